// The simulated flight controller as a peer on the wire, talked to over its
// pseudo-terminal with a MAVLink codec of the test's own: its default table,
// parameter files, pacing to the baud rate, corruption and the reboot.
#include "link/MavlinkCodec.h"
#include "sim/HeliParameterTable.h"
#include "sim/SimulatedFlightController.h"

#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

// A raw client on the pseudo-terminal.
class Client
{
public:
    explicit Client(const QString &path)
    {
        m_fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    }
    ~Client()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }

    template <typename M>
    void send(const M &message)
    {
        uint8_t buf[MavlinkCodec::kMaxFrameSize];
        const int n = m_codec.encode(buf, message, 255, 0);
        QCOMPARE(::write(m_fd, buf, size_t(n)), ssize_t(n));
    }

    // Reads until `done` holds for the frames so far or `timeoutMs` passes;
    // returns the bytes read in that time.
    qint64 receive(const std::function<bool()> &done, int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        qint64 bytes = 0;
        uint8_t buf[4096];
        while (!done() && clock.elapsed() < timeoutMs) {
            pollfd pfd {m_fd, POLLIN, 0};
            if (::poll(&pfd, 1, 20) <= 0)
                continue;
            const ssize_t n = ::read(m_fd, buf, sizeof buf);
            if (n <= 0)
                continue;
            bytes += n;
            m_codec.receive(buf, size_t(n), [this](const MavlinkFrame &f) { frames.append(f); });
        }
        return bytes;
    }

    int count(uint32_t msgid) const
    {
        return int(std::count_if(frames.cbegin(), frames.cend(), [msgid](const MavlinkFrame &f) { return f.msgid == msgid; }));
    }

    QList<MavlinkFrame> frames;

private:
    int m_fd = -1;
    MavlinkCodec m_codec;
};

} // namespace

class TestSimulator : public QObject
{
    Q_OBJECT

private slots:
    void defaultTableIsAHelicopterSet();
    void parameterFiles();
    void listAnswerPacedToTheBaudRate();
    void corruptionSpoilsFrames();
    void rebootGoesSilentAndComesBack();
    void encodedEchoOfAWrite();
    void twoCompassesCalibrateTogether();
    void stickSweepReachesTheTravelMarks();
    void demoSetUp();
};

void TestSimulator::defaultTableIsAHelicopterSet()
{
    const QList<SimParameter> table = HeliParameterTable::build();
    QCOMPARE(table.size(), HeliParameterTable::kCount);
    QHash<QString, float> values;
    for (const SimParameter &p : table) {
        QVERIFY2(!values.contains(p.name), qPrintable(p.name));
        QVERIFY2(!p.name.isEmpty() && p.name.size() <= 16, qPrintable(p.name));
        QVERIFY2(QRegularExpression("^[A-Za-z0-9_]+$").match(p.name).hasMatch(), qPrintable(p.name));
        QVERIFY(std::isfinite(p.value));
        values.insert(p.name, p.value);
    }
    const QStringList pagesRead = {
        "fw_version", "SERIAL2_PROTOCOL", "STAT_FLTTIME", "FRAME_CLASS", "H_COL_MAX", "H_COL_MIN",
        "H_RSC_SETPOINT", "H_RSC_SETPOINT1", "H_RSC_SP_MID", "H_SV_MAN", "ATC_RAT_RLL_P",
        "ATC_RAT_PIT_P", "ATC_RAT_YAW_P", "LOIT_BRK_ACCEL", "BATT_CALL_NUMLV", "BATT_CALL_NUMCRT",
        "BATT_VOLT_MULT"};
    for (const QString &n : pagesRead)
        QVERIFY2(values.contains(n), qPrintable(n));
    for (int ch = 1; ch <= 9; ++ch) {
        const QString rc = QStringLiteral("RC%1_").arg(ch);
        QVERIFY(values.value(rc + "MIN") < values.value(rc + "TRIM"));
        QVERIFY(values.value(rc + "TRIM") < values.value(rc + "MAX"));
    }
    for (int s = 1; s <= 3; ++s) {
        QVERIFY(values.contains(QStringLiteral("SERVO%1_TRIM").arg(s)));
        QVERIFY(values.contains(QStringLiteral("SERVO%1_REVERSED").arg(s)));
    }
    QCOMPARE(values.value("FRAME_CLASS"), 6.0f);        // traditional helicopter
    // A GPS on serial 2 (MAVLink there would hide the radio page's travel calibration).
    QCOMPARE(values.value("SERIAL2_PROTOCOL"), 5.0f);
    QVERIFY(values.value("H_COL_MIN") < values.value("H_COL_MAX"));
    QVERIFY(values.value("BATT_VOLT_MULT") > 1.0f);
    // Every name of the compiled-in presets is there to be written.
    for (const char *n : {"H_RSC_GOV_RPM1", "H_RSC_SETPOINT2", "H_TAIL_TYPE", "PILOT_Y_RATE_TC",
                          "PSC_VELXY_IMAX", "PSC_ACCZ_IMAX", "SERVO6_MIN", "FLTMODE1"})
        QVERIFY2(values.contains(n), n);
}

void TestSimulator::parameterFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString good = dir.filePath("good.param");
    {
        QFile f(good);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\xEF\xBB\xBF" "fw_version,12\r\n# comment\n\n ATC_RAT_YAW_P , 0.25 \nH_COL_MAX,1800\nfw_version,13\n");
    }
    QList<SimParameter> table;
    QString error;
    QVERIFY2(SimulatedFlightController::loadParameterFile(good, &table, &error), qPrintable(error));
    QCOMPARE(table.size(), 3);
    QCOMPARE(table[0].name, QStringLiteral("fw_version"));
    QCOMPARE(table[0].value, 12.0f);
    QCOMPARE(table[1].name, QStringLiteral("ATC_RAT_YAW_P"));
    QCOMPARE(table[1].type, uint8_t(SimParameter::Real32));
    QCOMPARE(table[2].type, uint8_t(SimParameter::Int32));

    const QString bad = dir.filePath("bad.param");
    {
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("H_COL_MAX,1800\nH_COL_MIN;1200\n");
    }
    QVERIFY(!SimulatedFlightController::loadParameterFile(bad, &table, &error));
    QVERIFY(error.contains("line 2"));
    QVERIFY(!SimulatedFlightController::loadParameterFile(dir.filePath("none.param"), &table, &error));
}

void TestSimulator::listAnswerPacedToTheBaudRate()
{
    QList<SimParameter> table;
    for (int i = 0; i < 40; ++i)
        table.append({QStringLiteral("PARAM_%1").arg(i), float(i), SimParameter::Real32});
    SimulatedFlightController sim(table);
    sim.setBaudRate(19200);
    sim.setHeartbeatEnabled(false);
    QVERIFY(sim.start());
    Client client(sim.portPath());
    QVERIFY(client.isOpen());

    mavlink_param_request_list_t req {};
    req.target_system = 1;
    req.target_component = 1;
    QElapsedTimer clock;
    clock.start();
    client.send(req);
    const qint64 bytes = client.receive([&] { return client.count(MavlinkId::PARAM_VALUE) == 40; }, 5000);
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(client.count(MavlinkId::PARAM_VALUE), 40);
    const double lineMs = double(bytes) * 10.0 * 1000.0 / 19200.0;
    QVERIFY2(elapsed >= lineMs * 0.9, qPrintable(QStringLiteral("%1 ms for %2 ms of line").arg(elapsed).arg(lineMs)));
    QVERIFY2(elapsed <= lineMs * 2.0 + 200, qPrintable(QStringLiteral("%1 ms for %2 ms of line").arg(elapsed).arg(lineMs)));
    // In table order, with the count and the index.
    const auto first = MavlinkCodec::decode<mavlink_param_value_t>(client.frames.first());
    QCOMPARE(int(first.param_count), 40);
    QCOMPARE(int(first.param_index), 0);
}

void TestSimulator::corruptionSpoilsFrames()
{
    SimulatedFlightController sim(HeliParameterTable::build());
    sim.setBaudRate(0);
    sim.setCorruptProbability(1.0);
    QVERIFY(sim.start());
    Client client(sim.portPath());
    mavlink_request_data_stream_t req {};
    req.req_stream_id = 10;
    req.req_message_rate = 20;
    req.start_stop = 1;
    client.send(req);
    const qint64 bytes = client.receive([] { return false; }, 400);
    QVERIFY(bytes > 100);
    QCOMPARE(client.frames.size(), 0);
    QCOMPARE(sim.streamRequests(), QList<int>{10});
}

void TestSimulator::rebootGoesSilentAndComesBack()
{
    SimulatedFlightController sim(HeliParameterTable::build());
    sim.setBaudRate(0);
    sim.setRebootSilenceMs(600);
    QVERIFY(sim.start());
    Client client(sim.portPath());
    client.receive([&] { return client.count(MavlinkId::HEARTBEAT) >= 1; }, 2000);
    QCOMPARE(client.count(MavlinkId::HEARTBEAT), 1);

    mavlink_command_long_t reboot {};
    reboot.command = 246;
    reboot.param1 = 1.0f;
    reboot.target_system = 1;
    reboot.target_component = 1;
    client.send(reboot);
    client.frames.clear();
    // Only the acknowledgement, then nothing for the restart time.
    client.receive([] { return false; }, 450);
    for (const MavlinkFrame &f : client.frames)
        QCOMPARE(f.msgid, 77u);
    client.receive([&] { return client.count(MavlinkId::HEARTBEAT) >= 1; }, 2000);
    QCOMPARE(client.count(MavlinkId::HEARTBEAT), 1);
    QCOMPARE(sim.commands(), QList<int>{246});
}

void TestSimulator::encodedEchoOfAWrite()
{
    SimulatedFlightController sim(HeliParameterTable::build());
    sim.setBaudRate(0);
    sim.setEncodedParams(true);
    QVERIFY(sim.start());
    Client client(sim.portPath());
    mavlink_param_set_t set {};
    std::memcpy(set.param_id, "H_RSC_SETPOINT1", 15);
    set.param_value = 72.6f;
    set.param_type = 9;
    set.target_system = 1;
    set.target_component = 1;
    client.send(set);
    client.receive([&] { return client.count(MavlinkId::PARAM_VALUE) == 1; }, 2000);
    QCOMPARE(client.count(MavlinkId::PARAM_VALUE), 1);
    mavlink_param_value_t echo {};
    for (const MavlinkFrame &f : client.frames) {
        if (f.msgid == MavlinkId::PARAM_VALUE)
            echo = MavlinkCodec::decode<mavlink_param_value_t>(f);
    }
    // An integer parameter: stored rounded, echoed encoded (x 12, shifted name).
    QCOMPARE(echo.param_value, 73.0f * 12.0f);
    QCOMPARE(QByteArray(echo.param_id, 3), QByteArray("K]U"));   // 'H'+3 '_'-2 'R'+3
    float stored = 0.0f;
    QVERIFY(sim.parameterValue("H_RSC_SETPOINT1", &stored));
    QCOMPARE(stored, 73.0f);
}

namespace {

mavlink_command_long_t command(uint16_t id)
{
    mavlink_command_long_t c {};
    c.command = id;
    c.param2 = 1.0f;
    c.param3 = 1.0f;
    c.target_system = 1;
    c.target_component = 1;
    return c;
}

} // namespace

void TestSimulator::twoCompassesCalibrateTogether()
{
    SimulatedFlightController sim(HeliParameterTable::build());
    sim.setBaudRate(0);
    sim.setHeartbeatEnabled(false);
    // Compass 1's progress first in every round; compass 0 starts later,
    // needs less time, fails, and reports first.
    SimulatedFlightController::MagCalCompass c1, c0;
    c1.compassId = 1;
    c1.durationMs = 1200;
    c0.compassId = 0;
    c0.startDelayMs = 200;
    c0.durationMs = 400;
    c0.resultStatus = 5;
    sim.setMagCalCompasses({c1, c0});
    QCOMPARE(sim.magCalCompasses().size(), 2);
    QVERIFY(sim.start());
    Client client(sim.portPath());
    client.send(command(42424));
    client.receive([&] { return client.count(MavlinkId::MAG_CAL_REPORT) == 2; }, 5000);
    QCOMPARE(client.count(MavlinkId::MAG_CAL_REPORT), 2);

    QList<int> order;            // compass ids of the progress messages
    QList<QPair<int, int>> reports;
    QList<int> pct[2];
    for (const MavlinkFrame &f : std::as_const(client.frames)) {
        if (f.msgid == MavlinkId::MAG_CAL_PROGRESS) {
            const auto p = MavlinkCodec::decode<mavlink_mag_cal_progress_t>(f);
            QCOMPARE(int(p.cal_mask), 0x3);
            QVERIFY(p.compass_id <= 1);
            order << p.compass_id;
            pct[p.compass_id] << p.completion_pct;
            QVERIFY(reports.isEmpty() || p.compass_id == 1);   // compass 0 is done first
        } else if (f.msgid == MavlinkId::MAG_CAL_REPORT) {
            const auto r = MavlinkCodec::decode<mavlink_mag_cal_report_t>(f);
            reports.append({r.compass_id, r.cal_status});
        }
    }
    QCOMPARE(reports, (QList<QPair<int, int>>{{0, 5}, {1, 4}}));
    QVERIFY(order.size() >= 4);
    QCOMPARE(order.first(), 1);   // compass 0 waits for its start
    QVERIFY(order.contains(0));
    // Where both run, compass 1 comes first in each round.
    const int firstZero = int(order.indexOf(0));
    QCOMPARE(order.value(firstZero - 1), 1);
    QVERIFY(std::is_sorted(pct[0].cbegin(), pct[0].cend()));
    QVERIFY(std::is_sorted(pct[1].cbegin(), pct[1].cend()));
    QVERIFY(pct[1].last() < 100 && pct[0].last() < 100);
    // Only a success changes the stored offsets (COMPASS_OFS2_* for compass 1).
    float ofs = 0.0f;
    QVERIFY(sim.parameterValue("COMPASS_OFS2_X", &ofs));
    QCOMPARE(ofs, 35.0f);

    // A cancel stops it: no report.
    client.frames.clear();
    client.send(command(42424));
    client.receive([&] { return client.count(MavlinkId::MAG_CAL_PROGRESS) >= 2; }, 2000);
    client.send(command(42426));
    client.receive([] { return false; }, 900);
    QCOMPARE(client.count(MavlinkId::MAG_CAL_REPORT), 0);
}

void TestSimulator::stickSweepReachesTheTravelMarks()
{
    SimulatedFlightController sim(HeliParameterTable::build());
    sim.setBaudRate(0);
    sim.setHeartbeatEnabled(false);
    sim.setStickSweep(true);
    QVERIFY(sim.start());
    Client client(sim.portPath());
    mavlink_request_data_stream_t req {};
    req.req_stream_id = 3;
    req.req_message_rate = 10;
    req.start_stop = 1;
    client.send(req);

    // A travel calibration needs every stick beyond 1800 and below 1200.
    int high[4] = {0, 0, 0, 0}, low[4] = {2000, 2000, 2000, 2000};
    auto swept = [&] {
        for (const MavlinkFrame &f : std::as_const(client.frames)) {
            if (f.msgid != MavlinkId::RC_CHANNELS)
                continue;
            const auto rc = MavlinkCodec::decode<mavlink_rc_channels_t>(f);
            const int ch[4] = {rc.chan1_raw, rc.chan2_raw, rc.chan3_raw, rc.chan4_raw};
            for (int i = 0; i < 4; ++i) {
                high[i] = std::max(high[i], ch[i]);
                low[i] = std::min(low[i], ch[i]);
            }
        }
        client.frames.clear();
        for (int i = 0; i < 4; ++i)
            if (high[i] <= 1800 || low[i] >= 1200)
                return false;
        return true;
    };
    client.receive(swept, 12000);
    for (int i = 0; i < 4; ++i) {
        QVERIFY2(high[i] > 1800 && high[i] <= 1950, qPrintable(QString::number(high[i])));
        QVERIFY2(low[i] < 1200 && low[i] >= 1050, qPrintable(QString::number(low[i])));
    }
}

void TestSimulator::demoSetUp()
{
    const SimulatedFlightController::Options demo = SimulatedFlightController::Options::demo();
    QVERIFY(demo.encodedParams);
    QVERIFY(demo.stickSweep);
    QCOMPARE(demo.baud, SimulatedFlightController::kDefaultBaud);
    QCOMPARE(demo.compasses.size(), 2);
    QCOMPARE(int(demo.compasses[0].compassId), 0);
    QCOMPARE(int(demo.compasses[1].compassId), 1);

    SimulatedFlightController sim(demo);
    QCOMPARE(sim.parameterCount(), HeliParameterTable::kCount);
    QCOMPARE(sim.magCalCompasses().size(), 2);
    sim.setBaudRate(0);
    QVERIFY(sim.start());
    Client client(sim.portPath());
    mavlink_param_request_read_t read {};
    read.param_index = -1;
    std::memcpy(read.param_id, "FLTMODE1", 8);
    read.target_system = 1;
    read.target_component = 1;
    client.send(read);
    client.receive([&] { return client.count(MavlinkId::PARAM_VALUE) == 1; }, 2000);
    QCOMPARE(client.count(MavlinkId::PARAM_VALUE), 1);
    mavlink_param_value_t v {};
    for (const MavlinkFrame &f : std::as_const(client.frames))
        if (f.msgid == MavlinkId::PARAM_VALUE)
            v = MavlinkCodec::decode<mavlink_param_value_t>(f);
    // Sent encoded, like the real flight controller.
    QCOMPARE(QByteArray(v.param_id, 4), QByteArray("IJWK"));   // F+3 L-2 T+3 M-2
    float held = 0.0f;
    QVERIFY(sim.parameterValue("FLTMODE1", &held));
    QCOMPARE(v.param_value, held * 12.0f);

    // A table handed in replaces the default one.
    SimulatedFlightController::Options own;
    own.table = {{"ONLY_ONE", 1.0f, SimParameter::Real32}};
    SimulatedFlightController small(own);
    QCOMPARE(small.parameterCount(), 1);
}

QTEST_GUILESS_MAIN(TestSimulator)
#include "tst_simulator.moc"
