#include "sim/SimulatedFlightController.h"

#include "sim/HeliParameterTable.h"
#include "sim/SimLine.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cmath>
#include <cstring>

Q_LOGGING_CATEGORY(lcSim, "tavro.sim")

namespace {

constexpr uint8_t kSysId = 1;
constexpr uint8_t kCompId = 1;
constexpr int kOutLimit = 4096;        // telemetry is dropped beyond this backlog
constexpr int kListRefillBelow = 64;   // keep the list answer interleaved with telemetry
constexpr int kChunk = 64;             // bytes handed to the line at once: one USB full-speed packet
constexpr qint64 kCatchUpNs = 5000000; // how far a late wake-up may catch up

constexpr uint16_t kCmdReboot = 246;
constexpr uint16_t kCmdStartMagCal = 42424;
constexpr uint16_t kCmdCancelMagCal = 42426;

// Message ids sent only by the simulator (common set).
constexpr uint32_t kSystemTime = 2;
constexpr uint32_t kRawImu = 27;
constexpr uint32_t kScaledPressure = 29;
constexpr uint32_t kGlobalPositionInt = 33;
constexpr uint32_t kVfrHud = 74;
constexpr uint32_t kCommandAck = 77;

// Little-endian payload writer for the messages without a structure.
class Payload
{
public:
    template <typename V>
    Payload &put(V v)
    {
        char raw[sizeof(V)];
        std::memcpy(raw, &v, sizeof(V));
        m_bytes.append(raw, int(sizeof(V)));
        return *this;
    }
    QByteArray bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

bool isIntegerType(uint8_t type)
{
    return type >= 1 && type <= 8;
}

float storeAs(uint8_t type, float value)
{
    if (!isIntegerType(type))
        return value;
    double v = std::round(double(value));
    double lo = 0, hi = 0;
    switch (type) {
    case 1: lo = 0; hi = 255; break;
    case 2: lo = -128; hi = 127; break;
    case 3: lo = 0; hi = 65535; break;
    case 4: lo = -32768; hi = 32767; break;
    case 5: lo = 0; hi = 4294967295.0; break;
    default: lo = -2147483648.0; hi = 2147483647.0; break;
    }
    return float(std::clamp(v, lo, hi));
}

} // namespace

SimulatedFlightController::SimulatedFlightController()
    : SimulatedFlightController(HeliParameterTable::build())
{
}

SimulatedFlightController::SimulatedFlightController(const QList<SimParameter> &table)
{
    setParameters(table);
}

SimulatedFlightController::SimulatedFlightController(const Options &options)
    : SimulatedFlightController(options.table.isEmpty() ? HeliParameterTable::build() : options.table)
{
    setEncodedParams(options.encodedParams);
    setStickSweep(options.stickSweep);
    setBaudRate(options.baud);
    setMagCalCompasses(options.compasses);
    setInProcessLine(options.inProcessLine);
}

SimulatedFlightController::Options SimulatedFlightController::Options::demo()
{
    Options o;
    o.encodedParams = true;
    o.stickSweep = true;
    MagCalCompass second;
    second.compassId = 1;
    second.durationMs = 4000;
    o.compasses = {MagCalCompass{}, second};
    return o;
}

SimulatedFlightController::~SimulatedFlightController()
{
    stop();
}

// ---- lifecycle -------------------------------------------------------------------

bool SimulatedFlightController::start(QString *error)
{
    if (m_running)
        return true;
    std::unique_ptr<SimLine> line = SimLine::create(usesInProcessLine());
    if (!line->open(error))
        return false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_line = std::move(line);
        m_path = m_line->portName();
        m_out.clear();
        m_outOffset = 0;
        m_streams.clear();
        m_listCursor = -1;
        m_rebooting = false;
        m_magCalRunning = false;
    }
    m_stop = false;
    m_running = true;
    m_thread = std::thread([this] { run(); });
    qCDebug(lcSim) << "Simulated flight controller on" << m_path;
    return true;
}

void SimulatedFlightController::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    m_running = false;
    std::lock_guard<std::mutex> lock(m_mutex);
    closeLine();
}

void SimulatedFlightController::closeLine()
{
    if (m_line)
        m_line->close();
    m_line.reset();
}

bool SimulatedFlightController::isRunning() const
{
    return m_running;
}

QString SimulatedFlightController::portPath() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_path;
}

void SimulatedFlightController::setInProcessLine(bool inProcess)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_inProcessLine = inProcess || !SimLine::pseudoTerminalsAvailable();
}

bool SimulatedFlightController::usesInProcessLine() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_inProcessLine || !SimLine::pseudoTerminalsAvailable();
}

// ---- table -------------------------------------------------------------------------

void SimulatedFlightController::setParameters(const QList<SimParameter> &table)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_table = table;
    m_index.clear();
    for (int i = 0; i < m_table.size(); ++i)
        m_index.insert(m_table[i].name, i);
    m_listCursor = -1;
}

QList<SimParameter> SimulatedFlightController::parameters() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_table;
}

int SimulatedFlightController::parameterCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return int(m_table.size());
}

bool SimulatedFlightController::parameterValue(const QString &name, float *value) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const int i = indexOf(name);
    if (i < 0)
        return false;
    if (value)
        *value = m_table[i].value;
    return true;
}

int SimulatedFlightController::indexOf(const QString &name) const
{
    return m_index.value(name, -1);
}

bool SimulatedFlightController::loadParameterFile(const QString &path, QList<SimParameter> *table,
                                                  QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QList<SimParameter> out;
    QSet<QString> seen;
    int lineNo = 0;
    while (!file.atEnd()) {
        ++lineNo;
        QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (lineNo == 1 && line.startsWith(QChar(0xFEFF)))
            line = line.mid(1).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = line.split(QLatin1Char(','));
        bool ok = fields.size() == 2;
        const QString name = ok ? fields[0].trimmed() : QString();
        const float value = ok ? fields[1].trimmed().toFloat(&ok) : 0.0f;
        if (!ok || name.isEmpty() || name.size() > 16) {
            if (error)
                *error = QStringLiteral("line %1: expected NAME,VALUE").arg(lineNo);
            return false;
        }
        if (seen.contains(name))
            continue;
        seen.insert(name);
        const bool integral = std::isfinite(value) && value == std::round(value)
                              && std::fabs(value) < 2147483647.0f
                              && !fields[1].contains(QLatin1Char('.'));
        out.append(SimParameter{name, value, uint8_t(integral ? SimParameter::Int32 : SimParameter::Real32)});
    }
    if (table)
        *table = out;
    return true;
}

// ---- knobs -------------------------------------------------------------------------

#define SIM_SET(member, value)                       \
    do {                                             \
        std::lock_guard<std::mutex> lock(m_mutex);   \
        member = (value);                            \
    } while (0)

void SimulatedFlightController::setEncodedParams(bool encoded) { SIM_SET(m_encoded, encoded); }
void SimulatedFlightController::setBaudRate(int baud) { SIM_SET(m_baud, std::max(0, baud)); }
void SimulatedFlightController::setDropProbability(double p) { SIM_SET(m_drop, p); }
void SimulatedFlightController::setDuplicateProbability(double p) { SIM_SET(m_duplicate, p); }
void SimulatedFlightController::setCorruptProbability(double p) { SIM_SET(m_corrupt, p); }
void SimulatedFlightController::setDroppedIndices(const QSet<int> &indices) { SIM_SET(m_droppedIndices, indices); }
void SimulatedFlightController::setUnanswerableIndices(const QSet<int> &indices) { SIM_SET(m_unanswerable, indices); }
void SimulatedFlightController::setHeartbeatEnabled(bool enabled) { SIM_SET(m_heartbeat, enabled); }
void SimulatedFlightController::setIgnoredListRequests(int count) { SIM_SET(m_ignoreLists, count); }
void SimulatedFlightController::setIgnoredParamSets(int count) { SIM_SET(m_ignoreSets, count); }
void SimulatedFlightController::setDroppedEchoes(int count) { SIM_SET(m_dropEchoes, count); }
void SimulatedFlightController::setEchoDropProbability(double p) { SIM_SET(m_echoDrop, p); }
void SimulatedFlightController::setRebootSilenceMs(int ms) { SIM_SET(m_rebootSilenceMs, ms); }
void SimulatedFlightController::setStickSweep(bool sweep) { SIM_SET(m_stickSweep, sweep); }
void SimulatedFlightController::setBatteryMillivolts(int mv) { SIM_SET(m_batteryMv, mv); }
void SimulatedFlightController::setRcReceiverHealthy(bool healthy) { SIM_SET(m_rcHealthy, healthy); }
void SimulatedFlightController::setSeed(quint32 seed) { SIM_SET(m_random, std::mt19937(seed)); }

#undef SIM_SET

void SimulatedFlightController::setSilent(bool silent)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_silent = silent;
    if (silent) {
        m_out.clear();
        m_outOffset = 0;
        m_listCursor = -1;
    }
}

void SimulatedFlightController::setPaused(bool paused)
{
    m_paused = paused;
}

void SimulatedFlightController::setPauseAfterParamSets(int count)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pauseAfterSets = std::max(0, count);
}

void SimulatedFlightController::setMagCalDurationMs(int ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (MagCalCompass &c : m_magCalCompasses)
        c.durationMs = std::max(100, ms);
}

void SimulatedFlightController::setMagCalCompasses(const QList<MagCalCompass> &compasses)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_magCalCompasses = compasses.isEmpty() ? QList<MagCalCompass>{MagCalCompass{}} : compasses;
    for (MagCalCompass &c : m_magCalCompasses) {
        c.durationMs = std::max(100, c.durationMs);
        c.startDelayMs = std::max(0, c.startDelayMs);
    }
}

QList<SimulatedFlightController::MagCalCompass> SimulatedFlightController::magCalCompasses() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_magCalCompasses;
}

void SimulatedFlightController::setReadOnly(const QString &name, bool readOnly)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (readOnly)
        m_readOnly.insert(name);
    else
        m_readOnly.remove(name);
}

void SimulatedFlightController::sendStatusText(uint8_t severity, const QString &text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    queueStatusText(severity, text.toLocal8Bit());
}

void SimulatedFlightController::sendRaw(const QByteArray &bytes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_out.append(bytes);
}

// ---- observation -------------------------------------------------------------------

int SimulatedFlightController::listRequestCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_listRequests;
}

QList<int> SimulatedFlightController::streamRequests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_streamRequests;
}

QList<int> SimulatedFlightController::readRequests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_readRequests;
}

QList<QPair<QString, float>> SimulatedFlightController::paramSets() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_paramSets;
}

QList<int> SimulatedFlightController::commands() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_commands;
}

quint64 SimulatedFlightController::bytesSent() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_bytesSent;
}

int SimulatedFlightController::paramValuesSent() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_paramValuesSent;
}

int SimulatedFlightController::framesReceived() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_framesReceived;
}

void SimulatedFlightController::clearObservations()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_listRequests = 0;
    m_streamRequests.clear();
    m_readRequests.clear();
    m_paramSets.clear();
    m_commands.clear();
    m_bytesSent = 0;
    m_paramValuesSent = 0;
    m_framesReceived = 0;
}

// ---- the controller's thread -------------------------------------------------------

double SimulatedFlightController::random01()
{
    return std::uniform_real_distribution<double>(0.0, 1.0)(m_random);
}

void SimulatedFlightController::run()
{
    QElapsedTimer clock;
    clock.start();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_startMs = 0;
        m_nextHeartbeatMs = 0;
        m_lineFreeNs = 0;
    }
    uint8_t in[4096];

    while (!m_stop) {
        if (m_paused) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        int timeoutMs = 10;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            const qint64 nowMs = clock.elapsed();
            const bool idle = m_outOffset >= m_out.size();
            produce(nowMs);

            // Hand bytes to the device no faster than the line carries them.
            // The line carries bytes back to back while there is something to
            // send; a late wake-up catches up (within a few milliseconds, as a
            // UART's transmit buffer would), an idle line starts afresh.
            const qint64 nowNs = clock.nsecsElapsed();
            if (m_lineFreeNs < nowNs - (idle ? 0 : kCatchUpNs))
                m_lineFreeNs = nowNs - (idle ? 0 : kCatchUpNs);
            while (m_outOffset < m_out.size()) {
                if (m_baud > 0 && m_lineFreeNs > nowNs)
                    break;
                const int n = std::min<int>(kChunk, int(m_out.size()) - m_outOffset);
                const qint64 w = m_line->write(m_out.constData() + m_outOffset, n);
                if (w <= 0)
                    break;   // the device's buffer is full: try again shortly
                m_outOffset += int(w);
                m_bytesSent += quint64(w);
                if (m_baud > 0)
                    m_lineFreeNs += qint64(w) * 10 * 1000000000LL / m_baud;
            }
            if (m_outOffset >= m_out.size()) {
                m_out.clear();
                m_outOffset = 0;
            } else if (m_outOffset > 65536) {
                m_out.remove(0, m_outOffset);
                m_outOffset = 0;
            }
            if (m_outOffset < m_out.size()) {
                const qint64 waitNs = m_lineFreeNs - nowNs;
                timeoutMs = waitNs > 0 ? int((waitNs + 999999) / 1000000) : 1;
            } else {
                timeoutMs = 5;
            }
        }

        {
            const qint64 n = m_line->read(reinterpret_cast<char *>(in), qint64(sizeof in), timeoutMs);
            if (n > 0) {
                std::lock_guard<std::mutex> lock(m_mutex);
                const qint64 nowMs = clock.elapsed();
                m_codec.receive(in, size_t(n), [this, nowMs](const MavlinkFrame &f) { handleFrame(f, nowMs); });
            }
        }
    }
}

void SimulatedFlightController::produce(qint64 nowMs)
{
    if (m_rebooting) {
        if (nowMs < m_rebootUntilMs)
            return;
        m_rebooting = false;
        m_nextHeartbeatMs = nowMs;
        qCDebug(lcSim) << "Back from reboot";
        queueStatusText(6, "Frame: HELI");
    }
    if (m_silent)
        return;

    if (m_heartbeat && nowMs >= m_nextHeartbeatMs) {
        // Nobody reading: the backlog is capped like the telemetry's.
        if (m_out.size() - m_outOffset < kOutLimit)
            sendHeartbeat();
        m_nextHeartbeatMs = nowMs + 1000;
    }
    for (auto it = m_streams.begin(); it != m_streams.end(); ++it) {
        Stream &s = it.value();
        if (s.rateHz <= 0 || nowMs < s.nextDueMs)
            continue;
        if (m_out.size() - m_outOffset < kOutLimit)
            sendTelemetry(it.key(), nowMs);
        s.nextDueMs = std::max(s.nextDueMs + 1000 / s.rateHz, nowMs - 1000 / s.rateHz);
    }

    if (m_magCalRunning && nowMs >= m_magCalNextMs) {
        runMagCal(nowMs);
        if (m_rebooting)
            return;
    }

    // The list answer, a few messages at a time so that telemetry interleaves.
    while (m_listCursor >= 0 && m_listCursor < m_table.size()
           && m_out.size() - m_outOffset < kListRefillBelow) {
        sendParamValue(m_listCursor, true, true);
        ++m_listCursor;
    }
    if (m_listCursor >= m_table.size())
        m_listCursor = -1;
}

void SimulatedFlightController::runMagCal(qint64 nowMs)
{
    // One round every 100 ms: a progress message for every compass still
    // calibrating, in the configured order, then the reports that are due.
    const qint64 elapsed = nowMs - m_magCalStartMs;
    uint8_t mask = 0;
    for (const MagCalCompass &c : std::as_const(m_magCalRun))
        mask |= uint8_t(1u << (c.compassId & 7));

    QList<int> due;
    for (int i = 0; i < m_magCalRun.size(); ++i) {
        const MagCalCompass &c = m_magCalRun[i];
        if (m_magCalReported[i])
            continue;
        const qint64 own = elapsed - c.startDelayMs;
        if (own < 0)
            continue;
        if (own >= c.durationMs) {
            due.append(i);
            continue;
        }
        const int pct = int(std::min<qint64>(99, own * 100 / c.durationMs));
        mavlink_mag_cal_progress_t p {};
        p.compass_id = c.compassId;
        p.cal_mask = mask;
        p.cal_status = pct < 50 ? 2 : 3;   // running step one / two
        p.attempt = 1;
        p.completion_pct = uint8_t(pct);
        for (int k = 0; k < 10 && k * 10 < pct; ++k)
            p.completion_mask[k] = 0xFF;
        p.direction_x = float(std::cos(own / 300.0 + c.compassId));
        p.direction_y = float(std::sin(own / 300.0 + c.compassId));
        p.direction_z = 0.3f;
        queueStruct(p);
    }

    for (int i : std::as_const(due)) {
        const MagCalCompass &c = m_magCalRun[i];
        m_magCalReported[i] = true;
        const float ofs[] = {31.0f + 4.0f * c.compassId, -12.5f + 3.0f * c.compassId, 44.0f - 6.0f * c.compassId};
        mavlink_mag_cal_report_t rep {};
        rep.compass_id = c.compassId;
        rep.cal_mask = mask;
        rep.cal_status = c.resultStatus;
        rep.autosaved = c.resultStatus == 4 ? 1 : 0;
        rep.fitness = 6.5f;
        rep.ofs_x = ofs[0];
        rep.ofs_y = ofs[1];
        rep.ofs_z = ofs[2];
        rep.diag_x = rep.diag_y = rep.diag_z = 1.0f;
        rep.scale_factor = 1.0f;
        queueStruct(rep);
        if (c.resultStatus != 4)
            continue;
        // ArduPilot keeps compass 0's offsets in COMPASS_OFS_*, the next in
        // COMPASS_OFS2_*.
        const QString prefix = c.compassId == 0 ? QStringLiteral("COMPASS_OFS_")
                                                : QStringLiteral("COMPASS_OFS%1_").arg(c.compassId + 1);
        const char *axes[] = {"X", "Y", "Z"};
        for (int k = 0; k < 3; ++k) {
            const int idx = indexOf(prefix + QLatin1String(axes[k]));
            if (idx >= 0)
                m_table[idx].value = ofs[k];
        }
    }

    m_magCalNextMs = nowMs + 100;
    if (std::all_of(m_magCalReported.cbegin(), m_magCalReported.cend(), [](bool r) { return r; })) {
        m_magCalRunning = false;
        if (m_magCalReboot)
            startReboot(nowMs);
    }
}

void SimulatedFlightController::startReboot(qint64 nowMs)
{
    qCDebug(lcSim) << "Rebooting, silent for" << m_rebootSilenceMs << "ms";
    m_rebooting = true;
    m_rebootUntilMs = nowMs + m_rebootSilenceMs;
    m_out.clear();
    m_outOffset = 0;
    m_streams.clear();
    m_listCursor = -1;
    m_magCalRunning = false;
}

// ---- sending -----------------------------------------------------------------------

void SimulatedFlightController::queueFrame(const uint8_t *frame, int length)
{
    if (length <= 0)
        return;
    QByteArray bytes(reinterpret_cast<const char *>(frame), length);
    if (m_corrupt > 0.0 && random01() < m_corrupt) {
        const int at = int(random01() * length) % length;
        const int bit = int(random01() * 8) % 8;
        bytes[at] = char(bytes[at] ^ (1 << bit));
    }
    m_out.append(bytes);
}

void SimulatedFlightController::queueMessage(uint32_t msgid, const QByteArray &payload)
{
    uint8_t buf[MavlinkCodec::kMaxFrameSize];
    queueFrame(buf, m_codec.pack(buf, msgid, payload.constData(), int(payload.size()), kSysId, kCompId));
}

void SimulatedFlightController::queueStatusText(uint8_t severity, const QByteArray &text)
{
    mavlink_statustext_t s {};
    s.severity = severity;
    std::memcpy(s.text, text.constData(), std::min<size_t>(sizeof s.text, size_t(text.size())));
    queueStruct(s);
}

void SimulatedFlightController::sendHeartbeat()
{
    mavlink_heartbeat_t hb {};
    hb.type = 4;          // helicopter
    hb.autopilot = 3;     // ArduPilot
    hb.base_mode = 81;
    hb.custom_mode = 0;
    hb.system_status = 3; // standby
    hb.mavlink_version = 3;
    queueStruct(hb);
}

void SimulatedFlightController::sendTelemetry(int streamId, qint64 nowMs)
{
    const double t = double(nowMs) / 1000.0;
    const uint32_t bootMs = uint32_t(nowMs);
    switch (streamId) {
    case 1: { // raw sensors
        Payload imu;
        imu.put<uint64_t>(uint64_t(nowMs) * 1000);
        const int16_t v[9] = {3, -5, -1001, 1, -2, 0, 212, -35, 410};
        for (int16_t x : v)
            imu.put<int16_t>(x);
        queueMessage(kRawImu, imu.bytes());
        Payload baro;
        baro.put<uint32_t>(bootMs).put<float>(1009.8f).put<float>(0.0f).put<int16_t>(2650);
        queueMessage(kScaledPressure, baro.bytes());
        break;
    }
    case 2: { // extended status: battery, GPS
        mavlink_sys_status_t s {};
        s.onboard_control_sensors_present = 0x0021FC2F;
        s.onboard_control_sensors_enabled = 0x0021FC2F;
        s.onboard_control_sensors_health = m_rcHealthy ? 0x0031FC2F : 0x0021FC2F;
        s.load = 180;
        s.voltage_battery = uint16_t(std::clamp(m_batteryMv + int(20 * std::sin(t)), 0, 65535));
        s.current_battery = 250;
        s.battery_remaining = 87;
        queueStruct(s);
        mavlink_gps_raw_int_t g {};
        g.time_usec = uint64_t(nowMs) * 1000;
        g.fix_type = 3;
        g.lat = 311234567;
        g.lon = 1214567890;
        g.alt = 12000;
        g.eph = 85;
        g.epv = 120;
        g.vel = 0;
        g.cog = 0;
        g.satellites_visible = 14;
        queueStruct(g);
        mavlink_gps2_raw_t g2 {};
        g2.time_usec = g.time_usec;
        g2.fix_type = 3;
        g2.lat = g.lat;
        g2.lon = g.lon;
        g2.alt = g.alt;
        g2.eph = 95;
        g2.epv = 140;
        g2.satellites_visible = 12;
        queueStruct(g2);
        break;
    }
    case 3: { // RC channels
        mavlink_rc_channels_t rc {};
        rc.time_boot_ms = bootMs;
        rc.chancount = 16;
        uint16_t ch[18];
        for (int i = 0; i < 18; ++i)
            ch[i] = i < 16 ? 1500 : UINT16_MAX;
        ch[4] = 1100;   // flight mode switch
        ch[5] = 1100;   // motor interlock off
        if (m_stickSweep) {
            for (int i = 0; i < 4; ++i)
                ch[i] = uint16_t(1500 + 400 * std::sin(t * (0.8 + 0.3 * i)));
        }
        // The eighteen channel fields follow each other without padding.
        static_assert(offsetof(mavlink_rc_channels_t, chan18_raw)
                      == offsetof(mavlink_rc_channels_t, chan1_raw) + 17 * sizeof(uint16_t));
        std::memcpy(reinterpret_cast<char *>(&rc) + offsetof(mavlink_rc_channels_t, chan1_raw), ch, sizeof ch);
        rc.rssi = 255;
        queueStruct(rc);
        break;
    }
    case 6: { // position
        Payload p;
        p.put<uint32_t>(bootMs).put<int32_t>(311234567).put<int32_t>(1214567890)
            .put<int32_t>(12000).put<int32_t>(0).put<int16_t>(0).put<int16_t>(0)
            .put<int16_t>(0).put<uint16_t>(uint16_t(std::fmod(t * 1146.0, 36000.0)));
        queueMessage(kGlobalPositionInt, p.bytes());
        break;
    }
    case 10: { // attitude
        mavlink_attitude_t a {};
        a.time_boot_ms = bootMs;
        a.roll = float(0.10 * std::sin(t * 0.9));
        a.pitch = float(0.06 * std::sin(t * 0.6));
        a.yaw = float(std::remainder(t * 0.2, 2 * M_PI));
        a.rollspeed = float(0.09 * std::cos(t * 0.9));
        queueStruct(a);
        break;
    }
    case 11: { // HUD
        Payload p;
        p.put<float>(0.0f).put<float>(0.0f).put<float>(12.0f).put<float>(0.0f)
            .put<int16_t>(int16_t(std::fmod(t * 11.46, 360.0))).put<uint16_t>(0);
        queueMessage(kVfrHud, p.bytes());
        break;
    }
    case 12: { // system time
        Payload p;
        p.put<uint64_t>(0).put<uint32_t>(bootMs);
        queueMessage(kSystemTime, p.bytes());
        break;
    }
    default:
        break;
    }
}

void SimulatedFlightController::sendParamValue(int index, bool lossy, bool fromList)
{
    if (index < 0 || index >= m_table.size())
        return;
    if (m_unanswerable.contains(index))
        return;
    if (lossy) {
        if (fromList && m_droppedIndices.contains(index))
            return;
        if (m_drop > 0.0 && random01() < m_drop)
            return;
    }
    const SimParameter &p = m_table[index];
    mavlink_param_value_t v {};
    const QByteArray name = p.name.toLatin1();
    std::memcpy(v.param_id, name.constData(), std::min<size_t>(16, size_t(name.size())));
    v.param_value = p.value;
    if (m_encoded) {
        for (int i = 0; i < 16 && v.param_id[i] != '\0'; ++i) {
            const auto c = static_cast<unsigned char>(v.param_id[i]);
            v.param_id[i] = static_cast<char>(static_cast<unsigned char>(i % 2 == 0 ? c + 3 : c - 2));
        }
        v.param_value = p.value * 12.0f;
    }
    v.param_type = p.type;
    v.param_count = uint16_t(m_table.size());
    v.param_index = uint16_t(index);
    const int copies = (lossy && m_duplicate > 0.0 && random01() < m_duplicate) ? 2 : 1;
    for (int c = 0; c < copies; ++c) {
        queueStruct(v);
        ++m_paramValuesSent;
    }
}

// ---- receiving ---------------------------------------------------------------------

void SimulatedFlightController::handleFrame(const MavlinkFrame &f, qint64 nowMs)
{
    ++m_framesReceived;
    // What arrives is recorded even while the controller is silent or
    // restarting; it is answered only when it is up.
    const bool up = !m_rebooting && !m_silent;

    switch (f.msgid) {
    case MavlinkId::REQUEST_DATA_STREAM: {
        const auto m = MavlinkCodec::decode<mavlink_request_data_stream_t>(f);
        if (m.start_stop)
            m_streamRequests.append(m.req_stream_id);
        if (!up)
            break;
        Stream &s = m_streams[m.req_stream_id];
        if (m.start_stop) {
            s.rateHz = m.req_message_rate > 0 ? std::min<int>(m.req_message_rate, 50) : 4;
            s.nextDueMs = nowMs;
        } else {
            s.rateHz = 0;
        }
        break;
    }
    case MavlinkId::PARAM_REQUEST_LIST:
        ++m_listRequests;
        if (!up)
            break;
        if (m_ignoreLists > 0) {
            --m_ignoreLists;
            break;
        }
        m_listCursor = 0;
        break;
    case MavlinkId::PARAM_REQUEST_READ: {
        const auto m = MavlinkCodec::decode<mavlink_param_request_read_t>(f);
        m_readRequests.append(m.param_index);
        if (!up)
            break;
        int index = m.param_index;
        if (index < 0) {
            int n = 0;
            while (n < 16 && m.param_id[n] != '\0')
                ++n;
            index = indexOf(QString::fromLatin1(m.param_id, n));
        }
        sendParamValue(index, true, false);
        break;
    }
    case MavlinkId::PARAM_SET: {
        const auto m = MavlinkCodec::decode<mavlink_param_set_t>(f);
        int n = 0;
        while (n < 16 && m.param_id[n] != '\0')
            ++n;
        const QString name = QString::fromLatin1(m.param_id, n);
        const float value = m.param_value;
        m_paramSets.append({name, value});
        if (m_pauseAfterSets > 0 && --m_pauseAfterSets == 0)
            m_paused = true;   // this one is still stored and answered (the answer waits)
        if (!up)
            break;
        if (m_ignoreSets > 0) {
            --m_ignoreSets;
            break;
        }
        const int index = indexOf(name);
        if (index < 0 || !std::isfinite(value))
            break;   // unknown parameter or not a number: no answer
        if (!m_readOnly.contains(name))
            m_table[index].value = storeAs(m_table[index].type, value);
        if (m_dropEchoes > 0) {
            --m_dropEchoes;
            break;   // stored, but the echo is lost
        }
        if (m_echoDrop > 0.0 && random01() < m_echoDrop)
            break;
        sendParamValue(index, false, false);
        break;
    }
    case MavlinkId::COMMAND_LONG: {
        const auto m = MavlinkCodec::decode<mavlink_command_long_t>(f);
        m_commands.append(m.command);
        if (!up)
            break;
        Payload ack;
        ack.put<uint16_t>(m.command).put<uint8_t>(0);
        if (m.command == kCmdReboot && m.param1 == 1.0f) {
            startReboot(nowMs);
            queueMessage(kCommandAck, ack.bytes());   // the last words before the restart
        } else if (m.command == kCmdStartMagCal) {
            queueMessage(kCommandAck, ack.bytes());
            m_magCalRunning = true;
            m_magCalReboot = m.param5 == 1.0f;
            m_magCalStartMs = nowMs;
            m_magCalNextMs = nowMs;
            m_magCalRun = m_magCalCompasses;
            m_magCalReported = QList<bool>(m_magCalRun.size(), false);
            queueStatusText(6, "Mag cal started");
        } else if (m.command == kCmdCancelMagCal) {
            queueMessage(kCommandAck, ack.bytes());
            m_magCalRunning = false;
        } else {
            Payload unsupported;
            unsupported.put<uint16_t>(m.command).put<uint8_t>(3);
            queueMessage(kCommandAck, unsupported.bytes());
        }
        break;
    }
    default:
        break;
    }
}
