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
    QCOMPARE(values.value("SERIAL2_PROTOCOL"), 2.0f);   // MAVLink 2
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

QTEST_GUILESS_MAIN(TestSimulator)
#include "tst_simulator.moc"
