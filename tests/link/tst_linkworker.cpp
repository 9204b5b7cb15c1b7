// The link: parameter-transfer bookkeeping on its own, the simulated flight
// controller as a peer on the wire, and the worker on its own thread against
// it over real pseudo-terminals.
#include "link/Mav2Uart_Worker.h"
#include "link/MavlinkCodec.h"
#include "link/ParamNameForm.h"
#include "link/ParamTransfer.h"
#include "params/ParamFileParser.h"
#include "sim/HeliParameterTable.h"
#include "sim/SimulatedFlightController.h"
#include "sim/SimulatorPortSource.h"
#include "WorkerHarness.h"

#include <QtTest>

#include "link/BytePipe.h"
#include "link/InProcessPort.h"
#include "link/InProcessPorts.h"

#include <QSerialPort>

#include <atomic>
#include <memory>
#include <mutex>

// The radio page takes RC_CHANNELS through a queued connection with nothing but the message header.
static_assert(QMetaTypeId2<mavlink_rc_channels_t>::Defined, "mavlink_rc_channels_t is a meta-type");

namespace {

using T = SimParameter::Type;

// Thirty parameters: the interesting names first, then plain fillers.
QList<SimParameter> smallTable()
{
    QList<SimParameter> t = {
        {"fw_version", 3.0f, T::Real32},       {"H_COL_MAX", 1750.0f, T::Int16},
        {"ATC_RAT_YAW_P", 0.18f, T::Real32},   {"FLTMODE1", 5.0f, T::Int8},   // its decoded form is valid too
        {"BAD.NAME", 1.0f, T::Real32},         // valid in neither form
        {"COMPASS_DISBLMSK", 0.0f, T::Int8},   // 16 characters
        {"RC1_MIN", 1100.0f, T::Int16},        {"SERVO1_REVERSED", 0.0f, T::Int8},
        {"STAT_FLTTIME", 12345.0f, T::Int32},
    };
    for (int i = int(t.size()); i < 30; ++i)
        t.append({QStringLiteral("PARAM_%1").arg(i), float(i) * 0.5f, T::Real32});
    return t;
}

template <typename M>
QByteArray frameOf(const M &message)
{
    static MavlinkCodec tx;
    uint8_t buf[MavlinkCodec::kMaxFrameSize];
    return QByteArray(reinterpret_cast<const char *>(buf), tx.encode(buf, message, 1, 1));
}

QList<float> valuesOf(const Writes &list, const QString &name)
{
    QList<float> values;
    for (const auto &e : list)
        if (e.first == name)
            values << e.second;
    return values;
}

int countOf(const Writes &list, const QString &name) { return int(valuesOf(list, name).size()); }

bool contains(const Writes &list, const QString &name, float value) { return list.contains({name, value}); }

// A simulated flight controller and a worker that sees only its port.
struct Rig
{
    explicit Rig(const QList<SimParameter> &table = smallTable()) : sim(table) { sim.setBaudRate(0); }
    bool start()
    {
        if (!sim.start())
            return false;
        h = std::make_unique<Harness>(SimulatorPortSource::only(sim.portPath()));
        return true;
    }
    // Started and connected, the page reported first unless told otherwise.
    bool startConnected(bool reportPage = true)
    {
        if (!start())
            return false;
        if (reportPage)
            h->reportPage();
        return h->connectPort(sim.portPath());
    }
    // ... and the table downloaded.
    bool startDownloaded(int timeoutMs = 20000) { return startConnected() && h->download(timeoutMs); }
    // ... and in update mode with the streams asked for.
    bool startInUpdateMode()
    {
        if (!startDownloaded())
            return false;
        h->post([](Mav2Uart_Worker *w) { w->SetReadParamDone(); });
        return QTest::qWaitFor([&] { return h->read(&Mav2Uart_Worker::isStreamsRequested); });
    }
    SimulatedFlightController sim;
    std::unique_ptr<Harness> h;
};

// A raw MAVLink client on the simulator's line: its pseudo-terminal, or its
// in-process line where there are none.
class Client
{
public:
    explicit Client(const QString &path)
    {
        if (const std::shared_ptr<BytePipe> pipe = InProcessPorts::find(path))
            m_line = std::make_unique<InProcessPort>(pipe);
        else
            m_line = std::make_unique<QSerialPort>(path);
        m_line->open(QIODevice::ReadWrite);
    }
    template <typename M>
    void send(const M &message)
    {
        uint8_t buf[MavlinkCodec::kMaxFrameSize];
        const int n = m_codec.encode(buf, message, 255, 0);
        QCOMPARE(m_line->write(reinterpret_cast<const char *>(buf), n), qint64(n));
        m_line->waitForBytesWritten(1000);
    }
    // Reads until `done` holds or `timeoutMs` passes; returns the bytes read.
    qint64 receive(const std::function<bool()> &done, int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        qint64 bytes = 0;
        while (!done() && clock.elapsed() < timeoutMs) {
            m_line->waitForReadyRead(20);
            const QByteArray in = m_line->readAll();
            bytes += in.size();
            m_codec.receive(reinterpret_cast<const uint8_t *>(in.constData()), size_t(in.size()),
                            [this](const MavlinkFrame &f) { frames.append(f); });
        }
        return bytes;
    }
    int count(uint32_t msgid) const
    {
        return int(std::count_if(frames.cbegin(), frames.cend(), [msgid](const MavlinkFrame &f) { return f.msgid == msgid; }));
    }
    QList<MavlinkFrame> frames;

private:
    std::unique_ptr<QIODevice> m_line;
    MavlinkCodec m_codec;
};

mavlink_param_value_t valueMessage(const QByteArray &id, float value)
{
    mavlink_param_value_t m{};
    std::memcpy(m.param_id, id.constData(), std::min<size_t>(16, size_t(id.size())));
    m.param_value = value;
    return m;
}

// Lets the transfer's clock run, waking it when it says something is due (as
// the worker's timer does), until something happens or limitMs have passed;
// `waited` gets when it happened (-1: nothing did).
ParamTransfer::TickActions waitForAction(ParamTransfer &t, qint64 &now, int limitMs, int *waited)
{
    const qint64 start = now;
    *waited = -1;
    for (;;) {
        const qint64 due = t.msUntilDue(false);
        if (due < 0 || now + due - start > limitMs)
            return {};
        now += std::max<qint64>(due, 1);
        ParamTransfer::TickActions a = t.tick(false);
        if (a.finish || !a.readRequests.isEmpty() || a.resendList || a.listFailed || !a.writeResends.isEmpty()
            || !a.writeFailures.isEmpty()) {
            *waited = int(now - start);
            return a;
        }
    }
}

} // namespace

class TestLinkWorker : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Mav2Uart_Worker::registerMetaTypes(); }

    // ---- parameter transfer without a port ----------------------------------------

    void namesAndValues_data()
    {
        QTest::addColumn<QByteArray>("id");
        QTest::addColumn<float>("sent");
        QTest::addColumn<QString>("name");
        QTest::addColumn<float>("value");
        char encoded[16];
        ParamTransfer::encodeName("ATC_RAT_YAW_P", encoded);
        QTest::newRow("encoded name, value x 12") << QByteArray(encoded, 13) << 0.18f * 12.0f << "ATC_RAT_YAW_P" << 0.18f;
        QTest::newRow("encoded, 14 characters") << QByteArray("OMLRb@UIb?FAHJ") << 3000.0f << "LOIT_BRK_ACCEL" << 250.0f;
        // Decoded, "H_COL_MAX" has '@' at position 4: the plain name is taken.
        QTest::newRow("plain name whose decoded form is invalid") << QByteArray("H_COL_MAX") << 24.0f << "H_COL_MAX" << 24.0f;
        // Capitals from D on at even positions, up to X at odd ones: the decoded form wins.
        QTest::newRow("plain name that also decodes") << QByteArray("FLTMODE1") << 6.0f << "CNQOLFB3" << 0.5f;
        QTest::newRow("16 characters, no terminator") << QByteArray("COMPASS_DISBLMSK") << 3.0f << "COMPASS_DISBLMSK" << 3.0f;
        QTest::newRow("neither form valid") << QByteArray("BAD.NAME") << 1.0f << QString() << 0.0f;
        QTest::newRow("empty") << QByteArray() << 1.0f << QString() << 0.0f;
    }
    void namesAndValues()
    {
        QFETCH(QByteArray, id);
        QFETCH(float, sent);
        QFETCH(QString, name);
        QFETCH(float, value);
        const ParamTransfer::Decoded d = ParamTransfer::decode(valueMessage(id, sent));
        QCOMPARE(d.valid, !name.isEmpty());
        if (d.valid)
            QCOMPARE((QPair<QString, float>(d.name, d.value)), (QPair<QString, float>(name, value)));
        QCOMPARE(d.rawName, QString::fromLatin1(id.left(16)));
        QCOMPARE(d.rawValue, sent);
    }
    // (encodeName, which only tests use, is pinned by the first two rows above: a round trip and the literal.)
    void nameRules()
    {
        for (const char *ok : {"ATC_RAT_YAW_P", "fw_version", "COMPASS_DISBLMSK"})
            QVERIFY(ParamTransfer::isValidName(QString::fromUtf8(ok)));
        for (const char *bad : {"COMPASS_DISBLMSK1", "", "A.B", "RC1 MIN", "RC1_MÏN"})   // 17 would be cut
            QVERIFY2(!ParamTransfer::isValidName(QString::fromUtf8(bad)), bad);
    }

    void completionCountsDistinctIndices()
    {
        qint64 now = 1000;
        const auto clock = [&now] { return now; };
        ParamTransfer t;
        t.setClock(clock);
        t.startDownload();
        QVERIFY(!t.noteValue(65535, 3));   // an unrequested value outside the table
        QVERIFY(t.noteValue(0, 3));
        QVERIFY(!t.noteValue(0, 3));   // a duplicate does not count
        QVERIFY(t.noteValue(1, 3));
        QCOMPARE(t.receivedParams, 2u);
        // Index 2 never came: no completion; after the quiet period it is asked for.
        int waited = 0;
        ParamTransfer::TickActions a = waitForAction(t, now, 10000, &waited);
        QCOMPARE(waited, ParamTransfer::kQuietMs);
        QVERIFY(!a.finish);
        QCOMPARE(a.readRequests, QList<uint16_t>{2});
        now += 50;
        QVERIFY(t.noteValue(2, 3));
        QVERIFY(t.takeReadRequests().isEmpty());
        now += 200;
        QVERIFY(!t.tick(false).finish);
        t.noteValue(1, 3);   // a repeated message still restarts the quiet wait
        a = waitForAction(t, now, 10000, &waited);
        QVERIFY(a.finish && a.missing.isEmpty() && t.paramReadFinished);
        QCOMPARE(waited, ParamTransfer::kQuietMs);
        // Later values never finish twice, and nothing waits any more.
        QVERIFY(!t.noteValue(1, 3));
        QCOMPARE(t.msUntilDue(false), -1);
        QVERIFY(!waitForAction(t, now, 10000, &waited).finish);

        // The flight controller announces fewer parameters: indices beyond drop out.
        ParamTransfer u;
        u.setClock(clock);
        u.startDownload();
        u.noteValue(0, 3);
        u.noteValue(2, 3);
        u.noteValue(1, 2);
        QCOMPARE(u.totalParams(), uint16_t(2));
        QCOMPARE(u.receivedParams, 2u);
        QVERIFY(waitForAction(u, now, 10000, &waited).finish);

        // Values arriving without a list request never cause read requests;
        // nothing is due for them.
        ParamTransfer v;
        v.setClock(clock);
        v.noteValue(0, 3);
        QCOMPARE(v.msUntilDue(false), -1);
        now += 5000;
        QVERIFY(v.tick(false).readRequests.isEmpty());
    }

    void missingIndicesAskedForThenReported()
    {
        qint64 now = 0;
        const auto clock = [&now] { return now; };
        ParamTransfer t;
        t.setClock(clock);
        t.startDownload();
        t.noteValue(0, 30);
        int waited = 0;
        ParamTransfer::TickActions a = waitForAction(t, now, 10000, &waited);
        // At most ten outstanding; every answer frees one slot, an unasked one none.
        QCOMPARE(a.readRequests.size(), ParamTransfer::kMaxOutstandingReads);
        QCOMPARE(a.readRequests.first(), uint16_t(1));
        QVERIFY(t.noteValue(5, 30));
        QCOMPARE(t.takeReadRequests(), QList<uint16_t>{11});
        QVERIFY(t.noteValue(20, 30));
        QVERIFY(t.takeReadRequests().isEmpty());

        ParamTransfer u;
        u.setClock(clock);
        u.startDownload();
        u.noteValue(0, 3);
        QMap<int, int> asked;
        for (int rounds = 0;; ++rounds) {
            a = waitForAction(u, now, 10000, &waited);
            QCOMPARE(waited, ParamTransfer::kQuietMs);   // each round waits its own quiet period
            if (a.finish)
                break;
            for (uint16_t i : a.readRequests)
                ++asked[i];
            QVERIFY(rounds < ParamTransfer::kMaxReadAttempts);
        }
        QCOMPARE(asked, (QMap<int, int>{{1, ParamTransfer::kMaxReadAttempts}, {2, ParamTransfer::kMaxReadAttempts}}));
        QCOMPARE(a.missing, (QList<int>{1, 2}));

        // An unanswered list request: resent every 2 s, then reported once.
        ParamTransfer l;
        l.setClock(clock);
        l.startDownload();
        for (int resend = 0; resend <= ParamTransfer::kListResends; ++resend) {
            a = waitForAction(l, now, 10000, &waited);
            QCOMPARE(waited, ParamTransfer::kListTimeoutMs);
            QCOMPARE((QPair<bool, bool>(a.resendList, a.listFailed)),
                     (QPair<bool, bool>(resend < ParamTransfer::kListResends, resend == ParamTransfer::kListResends)));
        }
        QCOMPARE(l.msUntilDue(false), -1);
        QVERIFY(!waitForAction(l, now, 10000, &waited).listFailed);
    }

    void writeConfirmation_data()
    {
        QTest::addColumn<float>("written");
        QTest::addColumn<float>("echoed");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("encoded round trip") << 0.024f << (0.024f * 12.0f) / 12.0f << 9 << true;
        QTest::newRow("within 1e-5 relative") << 1000.0f << 1000.009f << 9 << true;
        QTest::newRow("beyond 1e-5 relative") << 1000.0f << 1000.02f << 9 << false;
        QTest::newRow("zero exactly") << 0.0f << 0.0f << 9 << true;
        QTest::newRow("zero vs tiny") << 0.0f << 1e-6f << 9 << false;
        QTest::newRow("integer rounded") << 1100.4f << 1100.0f << 4 << true;
        QTest::newRow("integer half away") << 2.5f << 3.0f << 2 << true;
        QTest::newRow("integer clamped") << 300.0f << 127.0f << 2 << false;
        QTest::newRow("not a number") << 1.0f << std::numeric_limits<float>::quiet_NaN() << 9 << false;
    }
    void writeConfirmation()
    {
        QFETCH(float, written);
        QFETCH(float, echoed);
        QFETCH(int, type);
        QFETCH(bool, confirmed);
        ParamTransfer t;
        t.writeSent("X", written);
        float pending = 0.0f;
        QCOMPARE(t.echo("X", echoed, uint8_t(type), &pending),
                 confirmed ? ParamTransfer::EchoResult::Confirmed : ParamTransfer::EchoResult::Refused);
        QCOMPARE(pending, written);
        // Either way the write is settled: no retry, no second report.
        QCOMPARE(t.echo("X", echoed, uint8_t(type), &pending), ParamTransfer::EchoResult::NotPending);
    }

    // A slider's press and release: two writes before the first echo.
    void staleEchoesOfSupersededWrites()
    {
        qint64 now = 0;
        ParamTransfer t;
        t.setClock([&now] { return now; });
        const QString name = "ATC_RAT_YAW_P";
        QCOMPARE(t.msUntilDue(false), -1);   // nothing waits, no timer runs
        t.writeSent(name, 0.19f);
        t.writeSent(name, 0.292f);
        QCOMPARE(t.msUntilDue(false), ParamTransfer::kWriteTimeoutMs);
        now += 200;
        t.tick(false);
        // The echo of the press (also in its encoded round trip): no confirmation, no failure.
        float written = 0.0f;
        QCOMPARE(t.echo(name, 0.19f, 9, &written), ParamTransfer::EchoResult::Stale);
        QCOMPARE(written, 0.292f);
        QCOMPARE(t.echo(name, (0.19f * 12.0f) / 12.0f, 9, &written), ParamTransfer::EchoResult::Stale);
        // The release keeps its own clock: sent again 500 ms after it was written.
        int waited = 0;
        ParamTransfer::TickActions a = waitForAction(t, now, 10000, &waited);
        QCOMPARE(waited, ParamTransfer::kWriteTimeoutMs - 200);
        QCOMPARE(a.writeResends.size(), 1);
        QCOMPARE(a.writeResends[0].value, 0.292f);
        QCOMPARE(t.echo(name, 0.292f, 9, &written), ParamTransfer::EchoResult::Confirmed);
        QCOMPARE(t.echo(name, 0.19f, 9, &written), ParamTransfer::EchoResult::NotPending);

        // Integer parameters compare rounded, older values too.
        t.writeSent("RC1_MIN", 1100.4f);
        t.writeSent("RC1_MIN", 1200.0f);
        QCOMPARE(t.echo("RC1_MIN", 1100.0f, 4, &written), ParamTransfer::EchoResult::Stale);
        QCOMPARE(t.echo("RC1_MIN", 1200.0f, 4, &written), ParamTransfer::EchoResult::Confirmed);
        // A value settled before the latest write is not stale: the write was not taken.
        t.writeSent("H_COL_MAX", 1700.0f);
        QCOMPARE(t.echo("H_COL_MAX", 1700.0f, 9, &written), ParamTransfer::EchoResult::Confirmed);
        t.writeSent("H_COL_MAX", 1800.0f);
        QCOMPARE(t.echo("H_COL_MAX", 1700.0f, 9, &written), ParamTransfer::EchoResult::Refused);
        // A long drag keeps a bounded list of older values and still fails after its retries.
        for (int i = 0; i < 200; ++i)
            t.writeSent("LOIT_BRK_ACCEL", float(i));
        ParamTransfer::TickActions last;
        for (int i = 0; i < (ParamTransfer::kWriteResends + 1) * ParamTransfer::kWriteTimeoutMs / 20; ++i) {
            now += 20;
            last = t.tick(false);
            if (i % 10 == 0)
                QCOMPARE(t.echo("LOIT_BRK_ACCEL", 198.0f, 9, &written), ParamTransfer::EchoResult::Stale);
        }
        QCOMPARE(last.writeFailures.size(), 1);
        QCOMPARE(last.writeFailures[0].value, 199.0f);
        QCOMPARE(last.writeFailures[0].superseded.size(), ParamTransfer::kMaxSupersededValues);
        QCOMPARE(t.pendingWriteCount(), 0);
        QCOMPARE(t.msUntilDue(false), -1);
    }

    // ---- the simulator as a peer on the wire --------------------------------------

    void simulatorTableAndFiles()
    {
        QHash<QString, float> values;
        for (const SimParameter &p : HeliParameterTable::build()) {
            QVERIFY2(!values.contains(p.name) && QRegularExpression("^[A-Za-z0-9_]{1,16}$").match(p.name).hasMatch(),
                     qPrintable(p.name));
            values.insert(p.name, p.value);
        }
        QCOMPARE(values.size(), HeliParameterTable::kCount);
        // (RC3_MIN to TKOFF_RPM_MIN are valid plain and decoded: the full-table download reads them.)
        for (const char *n : {"fw_version", "STAT_FLTTIME", "H_RSC_SETPOINT1", "H_SV_MAN", "LOIT_BRK_ACCEL",
                              "BATT_CALL_NUMCRT", "BATT_VOLT_MULT", "SERVO3_REVERSED", "RC9_TRIM", "RC3_MIN",
                              "RC3_TRIM", "RC9_MAX", "FLTMODE1", "TKOFF_RPM_MIN"})
            QVERIFY2(values.contains(n), n);
        QCOMPARE(values.value("FRAME_CLASS"), 6.0f);   // traditional helicopter
        // A GPS on serial 2 (MAVLink there would hide the radio page's travel calibration).
        QCOMPARE(values.value("SERIAL2_PROTOCOL"), 5.0f);

        QTemporaryDir dir;
        QFile good(dir.filePath("good.param")), bad(dir.filePath("bad.param"));
        QVERIFY(good.open(QIODevice::WriteOnly) && bad.open(QIODevice::WriteOnly));
        good.write("\xEF\xBB\xBF" "fw_version,12\r\n# comment\n\n ATC_RAT_YAW_P , 0.25 \nH_COL_MAX,1800\nfw_version,13\n");
        bad.write("H_COL_MAX,1800\nH_COL_MIN;1200\n");
        good.close();
        bad.close();
        QList<SimParameter> table;
        QString error;
        QVERIFY2(SimulatedFlightController::loadParameterFile(good.fileName(), &table, &error), qPrintable(error));
        QCOMPARE(table.size(), 3);
        QCOMPARE((QPair<QString, float>(table[0].name, table[0].value)), (QPair<QString, float>("fw_version", 12.0f)));
        QCOMPARE((QList<int>{table[1].type, table[2].type}), (QList<int>{SimParameter::Real32, SimParameter::Int32}));
        QVERIFY(!SimulatedFlightController::loadParameterFile(bad.fileName(), &table, &error));
        QVERIFY(error.contains("line 2"));
        QVERIFY(!SimulatedFlightController::loadParameterFile(dir.filePath("none.param"), &table, &error));
    }

    void simulatorPacingAndCorruption()
    {
        QList<SimParameter> table;
        for (int i = 0; i < 40; ++i)
            table.append({QStringLiteral("PARAM_%1").arg(i), float(i), SimParameter::Real32});
        SimulatedFlightController sim(table);
        sim.setBaudRate(19200);
        sim.setHeartbeatEnabled(false);
        QVERIFY(sim.start());
        Client client(sim.portPath());
        QElapsedTimer clock;
        clock.start();
        client.send(mavlink_param_request_list_t{1, 1});
        const qint64 bytes = client.receive([&] { return client.count(MavlinkId::PARAM_VALUE) == 40; }, 5000);
        const qint64 elapsed = clock.elapsed();
        QCOMPARE(client.count(MavlinkId::PARAM_VALUE), 40);
        const double lineMs = double(bytes) * 10.0 * 1000.0 / 19200.0;
        QVERIFY2(elapsed >= lineMs * 0.9 && elapsed <= lineMs * 2.0 + 200,
                 qPrintable(QStringLiteral("%1 ms for %2 ms of line").arg(elapsed).arg(lineMs)));
        const auto first = MavlinkCodec::decode<mavlink_param_value_t>(client.frames.first());
        QCOMPARE((QList<int>{first.param_count, first.param_index}), (QList<int>{40, 0}));

        SimulatedFlightController spoiled(table);
        spoiled.setBaudRate(0);
        spoiled.setCorruptProbability(1.0);
        QVERIFY(spoiled.start());
        Client c2(spoiled.portPath());
        mavlink_request_data_stream_t req{};
        req.req_stream_id = 10;
        req.req_message_rate = 20;
        req.start_stop = 1;
        c2.send(req);
        QVERIFY(c2.receive([] { return false; }, 400) > 100);
        QCOMPARE(c2.frames.size(), 0);
        QCOMPARE(spoiled.streamRequests(), QList<int>{10});
    }

    void simulatorStickSweepReachesTheTravelMarks()
    {
        SimulatedFlightController sim(HeliParameterTable::build());
        sim.setBaudRate(0);
        sim.setHeartbeatEnabled(false);
        sim.setStickSweep(true);
        QVERIFY(sim.start());
        Client client(sim.portPath());
        // A travel calibration needs every stick beyond 1800 and below 1200.
        mavlink_request_data_stream_t req{};
        req.req_stream_id = 3;
        req.req_message_rate = 10;
        req.start_stop = 1;
        client.send(req);
        int high[4] = {0, 0, 0, 0}, low[4] = {2000, 2000, 2000, 2000};
        client.receive([&] {
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
            return std::all_of(high, high + 4, [](int v) { return v > 1800; })
                && std::all_of(low, low + 4, [](int v) { return v < 1200; });
        }, 12000);
        for (int i = 0; i < 4; ++i) {
            QVERIFY2(high[i] > 1800 && high[i] <= 1950, qPrintable(QString::number(high[i])));
            QVERIFY2(low[i] < 1200 && low[i] >= 1050, qPrintable(QString::number(low[i])));
        }
    }

    // ---- the worker against the simulator ------------------------------------------

    void download_data()
    {
        QTest::addColumn<bool>("encoded");
        QTest::addColumn<bool>("duplicated");
        QTest::addColumn<QList<int>>("dropped");
        QTest::newRow("plain") << false << false << QList<int>();
        QTest::newRow("encoded, every message twice") << true << true << QList<int>();
        QTest::newRow("plain, three lost") << false << false << QList<int>{3, 7, 20};
    }
    void download()
    {
        QFETCH(bool, encoded);
        QFETCH(bool, duplicated);
        QFETCH(QList<int>, dropped);
        Rig rig;
        rig.sim.setEncodedParams(encoded);
        rig.sim.setDuplicateProbability(duplicated ? 1.0 : 0.0);
        rig.sim.setDroppedIndices(QSet<int>(dropped.cbegin(), dropped.cend()));
        QVERIFY(rig.startDownloaded());
        Harness &h = *rig.h;

        const QHash<QString, double> v = h.log->loadedValues();
        QCOMPARE(float(v.value("ATC_RAT_YAW_P")), 0.18f);
        QCOMPARE((QList<double>{v.value("fw_version"), v.value("H_COL_MAX"), v.value("COMPASS_DISBLMSK", -1),
                                v.value("STAT_FLTTIME"), v.value("PARAM_20"), v.value("PARAM_29")}),
                 (QList<double>{3, 1750, 0, 12345, 10, 14.5}));
        // A name valid in both forms is read in the form fw_version settled.
        QCOMPARE(float(v.value("FLTMODE1")), 5.0f);
        QVERIFY(!v.contains("CNQOLFB3"));
        // The invalid name is counted but never reported; duplicates count once.
        QCOMPARE(v.size(), 29);
        QCOMPARE(h.log->loaded.size(), duplicated ? 58 : 29);
        QCOMPARE(*std::max_element(h.log->loadedCounts.cbegin(), h.log->loadedCounts.cend()), 30);
        QVERIFY(std::is_sorted(h.log->loadedCounts.cbegin(), h.log->loadedCounts.cend()));
        QVERIFY(std::all_of(h.log->loadedTotals.cbegin(), h.log->loadedTotals.cend(), [](int t) { return t == 30; }));
        QCOMPARE(h.read(&Mav2Uart_Worker::receivedParamCount), 30u);
        QVERIFY(h.log->missing.isEmpty());
        QCOMPARE(rig.sim.listRequestCount(), 1);
        QList<int> asked = rig.sim.readRequests();
        std::sort(asked.begin(), asked.end());
        QCOMPARE(asked, dropped);
        QTest::qWait(400);   // quiet afterwards: no second completion
        QCOMPARE(h.log->finished, 1);
    }

    // ---- plain or encoded names, per connection ------------------------------------

    void nameFormEvidence()
    {
        char encoded[16];
        const auto message = [](const char *id) { return valueMessage(QByteArray(id), 1.0f); };
        const auto encodedMessage = [&](const char *plain) {
            ParamTransfer::encodeName(plain, encoded);
            return valueMessage(QByteArray(encoded, int(qstrnlen(encoded, 16))), 12.0f);
        };
        using F = ParamNameForm::Form;
        QCOMPARE(ParamNameForm::evidence(message("fw_version")), F::Plain);
        QCOMPARE(ParamNameForm::evidence(message("RC3_MIN")), F::Unknown);       // "OE0aJKK" too
        QCOMPARE(ParamNameForm::evidence(message("FLTMODE1")), F::Unknown);
        QCOMPARE(ParamNameForm::evidence(encodedMessage("fw_version")), F::Unknown);   // "iubthpvgrl"
        QCOMPARE(ParamNameForm::evidence(encodedMessage("RC3_MIN")), F::Encoded);      // '_' at 3 -> ']'
        QCOMPARE(ParamNameForm::evidence(message("BAD.NAME")), F::Unknown);

        ParamNameForm form;
        QVERIFY(!form.learn(message("RC3_MIN")));
        QVERIFY(form.undecided(message("RC3_MIN")));
        QCOMPARE(form.choose(message("RC3_MIN")).name, QStringLiteral("OE0aJKK"));   // the old rule
        QVERIFY(form.learn(message("fw_version")));
        QVERIFY(!form.learn(encodedMessage("RC3_MIN")));   // the first evidence stays
        QCOMPARE(form.form(), F::Plain);
        QVERIFY(!form.undecided(message("RC3_MIN")));
        const ParamTransfer::Decoded d = form.choose(message("RC3_MIN"));
        QCOMPARE((QPair<QString, float>(d.name, d.value)), (QPair<QString, float>("RC3_MIN", 1.0f)));
        // A name valid only decoded still reads decoded.
        QCOMPARE(form.choose(encodedMessage("RC3_MIN")).name, QStringLiteral("RC3_MIN"));
        form.hold(message("FLTMODE1"), 3);
        form.forget();
        QCOMPARE(form.form(), F::Unknown);
        QCOMPARE(form.heldCount(), 0);
    }

    // The whole helicopter table, plain and encoded, 5 % of it lost and read
    // singly: every name exactly as the flight controller has it. (Without
    // losses the same stream is read the same way.)
    void fullTableInBothForms_data()
    {
        QTest::addColumn<bool>("encoded");
        QTest::newRow("plain") << false;
        QTest::newRow("encoded") << true;
    }
    void fullTableInBothForms()
    {
        QFETCH(bool, encoded);
        Rig rig(HeliParameterTable::build());
        rig.sim.setEncodedParams(encoded);
        rig.sim.setDropProbability(0.05);
        rig.sim.setSeed(7);
        QVERIFY(rig.startDownloaded(60000));
        Harness &h = *rig.h;
        QVERIFY(h.log->missing.isEmpty());
        QVERIFY(!rig.sim.readRequests().isEmpty());

        const QHash<QString, double> got = h.log->loadedValues();
        const QList<SimParameter> table = rig.sim.parameters();
        QCOMPARE(table.size(), HeliParameterTable::kCount);
        QCOMPARE(got.size(), table.size());
        QStringList wrong;
        for (const SimParameter &p : table) {
            const auto it = got.constFind(p.name);
            // Encoded values travel multiplied by 12 in single precision.
            const float expected = encoded ? (p.value * 12.0f) / 12.0f : p.value;
            if (it == got.cend() || float(it.value()) != expected)
                wrong << p.name;
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(' ')));
        // Every report reached the window before the download was declared finished.
        QCOMPARE(h.log->sequence.count("finish"), 1);
    }

    // Names valid in both forms and nothing else: held until the download
    // ends, then read by the old rule (decoded). The form is forgotten with
    // the port: a plain flight controller's evidence does not carry over.
    void undecidedNamesBeforeFinishAndFormForgotten()
    {
        Rig rig({{"fw_version", 3.0f, T::Real32}, {"FLTMODE1", 6.0f, T::Int8}, {"RC3_MIN", 1100.0f, T::Int16}});
        QVERIFY(rig.startDownloaded());
        Harness &h = *rig.h;
        QCOMPARE(h.log->loadedValues().value("RC3_MIN"), 1100.0);

        // Same port, reconnected: now only ambiguous names, sent plain.
        h.call([](Mav2Uart_Worker *w) { w->closePort(); });
        rig.sim.setParameters({{"FLTMODE1", 6.0f, T::Int8}, {"RC3_MIN", 1100.0f, T::Int16}});
        h.log->loaded.clear();
        QVERIFY(h.connectPort(rig.sim.portPath()));
        int reportsAtFinish = -1;
        QObject::connect(h.worker, &Mav2Uart_Worker::param_value_finish_value, h.log,
                         [&] { reportsAtFinish = int(h.log->loaded.size()); });
        QVERIFY(h.download());
        QCOMPARE(reportsAtFinish, 2);
        const QHash<QString, double> v = h.log->loadedValues();
        QCOMPARE(v.keys().size(), 2);
        QCOMPARE(float(v.value("CNQOLFB3")), 0.5f);                 // the old rule
        QCOMPARE(float(v.value("OE0aJKK")), 1100.0f / 12.0f);
    }

    void unanswerableIndicesReportedBeforeFinish()
    {
        Rig rig;
        QSet<int> lost = {2};
        for (int i = 10; i <= 20; ++i)
            lost.insert(i);
        rig.sim.setUnanswerableIndices(lost);
        QVERIFY(rig.startConnected());
        Harness &h = *rig.h;
        h.post([](Mav2Uart_Worker *w) { w->startParamRead(); });
        // The first round asks for ten at most, then waits for the quiet period.
        QTRY_VERIFY(rig.sim.readRequests().size() >= 10);
        QCOMPARE(rig.sim.readRequests().size(), 10);
        QTRY_COMPARE_WITH_TIMEOUT(h.log->finished, 1, 10000);
        QList<int> expected(lost.cbegin(), lost.cend());
        std::sort(expected.begin(), expected.end());
        QCOMPARE(h.log->missing, QList<QList<int>>{expected});
        QCOMPARE(h.log->sequence.filter(QRegularExpression("missing|finish")), (QStringList{"missing", "finish"}));
        QCOMPARE(rig.sim.readRequests().size(), 12 * 5);
        QCOMPARE(h.log->loadedCounts.last(), 18);
    }

    void unansweredListRequestRepeatedThenReported()
    {
        Rig rig;
        rig.sim.setIgnoredListRequests(10);
        QVERIFY(rig.startConnected(false));
        Harness &h = *rig.h;
        h.post([](Mav2Uart_Worker *w) { w->startParamRead(); });
        QTRY_COMPARE(rig.sim.listRequestCount(), 1);
        QElapsedTimer clock;
        clock.start();
        // No page reported: only the list request's own clock runs, 2 s a request.
        QTRY_COMPARE_WITH_TIMEOUT(rig.sim.listRequestCount(), 4, 15000);
        QVERIFY2(clock.elapsed() >= 3 * ParamTransfer::kListTimeoutMs - 100, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(h.log->disconnects, 0);
        QTRY_COMPARE_WITH_TIMEOUT(h.log->disconnects, 1, 5000);
        QVERIFY2(clock.elapsed() >= 4 * ParamTransfer::kListTimeoutMs - 100, qPrintable(QString::number(clock.elapsed())));
        h.settle();
        QCOMPARE(h.log->linkErrors.size(), 1);
        QVERIFY(h.log->linkErrors.first().contains("parameter list"));
        QCOMPARE(h.log->disconnects, 1);
        QCOMPARE(h.log->portLists.last().silenceClosed, 1);
        QVERIFY(!h.worker->portOpen);
        QCOMPARE(h.log->finished, 0);

        Rig again;   // one ignored request: the second one gets the table
        again.sim.setIgnoredListRequests(1);
        QVERIFY(again.start());
        QVERIFY(again.h->connectPort(again.sim.portPath()));
        QVERIFY(again.h->download(10000));
        QCOMPARE(again.sim.listRequestCount(), 2);
        QCOMPARE(again.h->log->loadedCounts.last(), 30);
    }

    void writesAndTheirEchoes()
    {
        Rig rig;
        QVERIFY(rig.startInUpdateMode());
        Harness &h = *rig.h;
        SimulatedFlightController &sim = rig.sim;
        // Each telemetry stream asked for once, after the download. Before it,
        // only the wake-up request for stream 1, repeated while the flight
        // controller had not yet answered (a slow start sends it twice).
        const QList<int> telemetry{1, 2, 3, 6, 10, 11, 12};
        const auto endsWithTelemetry = [&] {
            const QList<int> r = sim.streamRequests();
            return r.size() >= telemetry.size() && r.mid(r.size() - telemetry.size()) == telemetry;
        };
        QTRY_VERIFY2(endsWithTelemetry(), qPrintable(QDebug::toString(sim.streamRequests())));
        const QList<int> requests = sim.streamRequests();
        for (qsizetype i = 0; i < requests.size() - telemetry.size(); ++i)
            QCOMPARE(requests.at(i), 1);
        QTRY_VERIFY(h.log->attitudes > 0 && !h.log->rcChannels.isEmpty() && !h.log->sysStatus.isEmpty());
        const int loaded = int(h.log->loaded.size());

        // Two writes lost on the way: sent again after 500 ms each, then echoed.
        sim.setIgnoredParamSets(2);
        h.write("ATC_RAT_YAW_P", 0.25f);
        QTRY_VERIFY(contains(h.log->updates, "ATC_RAT_YAW_P", 0.25f));
        QCOMPARE(countOf(sim.paramSets(), "ATC_RAT_YAW_P"), 3);
        // An integer parameter stores the rounded value: confirmed.
        h.write("RC1_MIN", 1100.4f);
        QTRY_VERIFY(contains(h.log->updates, "RC1_MIN", 1100.0f));
        // A plain name that also decodes: the echo is matched by its raw name.
        h.write("FLTMODE1", 6.0f);
        QTRY_VERIFY(contains(h.log->updates, "FLTMODE1", 6.0f));
        QCOMPARE(countOf(h.log->updates, "CNQOLFB3"), 0);
        // A newer write of a name cancels the retries of the older one.
        sim.setIgnoredParamSets(1);
        h.post([](Mav2Uart_Worker *w) {
            w->sendWriteParametersCommand("H_COL_MAX", 1700.0f);
            w->sendWriteParametersCommand("H_COL_MAX", 1650.0f);
        });
        QTRY_VERIFY(contains(h.log->updates, "H_COL_MAX", 1650.0f));
        // A slider's press and release leave before the first echo: both echoes
        // reach the window in order, the first is no failure.
        h.post([](Mav2Uart_Worker *w) {
            w->sendWriteParametersCommand("PARAM_10", 0.19f);
            w->sendWriteParametersCommand("PARAM_10", 0.292f);
        });
        QTRY_VERIFY(contains(h.log->updates, "PARAM_10", 0.292f));
        QTest::qWait(700);   // past the echo timeout: nothing was sent again
        QCOMPARE(countOf(sim.paramSets(), "H_COL_MAX"), 2);   // 1700 (lost), 1650
        QCOMPARE(countOf(sim.paramSets(), "PARAM_10"), 2);
        QCOMPARE(valuesOf(h.log->updates, "PARAM_10"), (QList<float>{0.19f, 0.292f}));
        float stored = 0.0f;
        QVERIFY(sim.parameterValue("PARAM_10", &stored));
        QCOMPARE(stored, 0.292f);
        QVERIFY2(h.log->writeFailures.isEmpty(), qPrintable(h.log->sequence.join(' ')));
        QCOMPARE(h.read(&Mav2Uart_Worker::pendingWriteCount), 0);
        QCOMPARE(h.log->loaded.size(), loaded);
        QCOMPARE(sim.streamRequests().size(), requests.size());   // none asked for again

        // Refused, never echoed, never sent.
        sim.clearObservations();
        // Read-only: the old value comes back, reported once with the value written last, no retry.
        sim.setReadOnly("STAT_FLTTIME", true);
        h.post([](Mav2Uart_Worker *w) {
            w->sendWriteParametersCommand("STAT_FLTTIME", 0.0f);
            w->sendWriteParametersCommand("STAT_FLTTIME", 1.0f);
        });
        QTRY_COMPARE(countOf(h.log->updates, "STAT_FLTTIME"), 2);
        QVERIFY(contains(h.log->updates, "STAT_FLTTIME", 12345.0f));
        // Clamped by the parameter's type.
        h.write("SERVO1_REVERSED", 300.0f);
        QTRY_VERIFY(contains(h.log->writeFailures, "SERVO1_REVERSED", 300.0f));
        QVERIFY(contains(h.log->updates, "SERVO1_REVERSED", 127.0f));
        // Names that would be cut or mangled and values that are no numbers are never sent.
        for (const char *name : {"A.B", "COMPASS_DISBLMSK1", ""})
            h.write(name, 1.0f);
        h.write("H_COL_MAX", std::numeric_limits<float>::quiet_NaN());
        h.write("H_COL_MAX", std::numeric_limits<float>::infinity());
        QTRY_COMPARE(h.log->writeFailures.size(), 7);
        QCOMPARE(h.log->writeFailures.first(), (QPair<QString, float>("STAT_FLTTIME", 1.0f)));
        h.settle();
        for (const auto &set : sim.paramSets())
            QVERIFY2(set.first == "STAT_FLTTIME" || set.first == "SERVO1_REVERSED", qPrintable(set.first));

        // Never echoed: four attempts, then reported.
        sim.setIgnoredParamSets(100);
        QElapsedTimer clock;
        clock.start();
        h.write("fw_version", 5.0f);
        QTRY_VERIFY_WITH_TIMEOUT(contains(h.log->writeFailures, "fw_version", 5.0f), 6000);
        QVERIFY(clock.elapsed() >= 1900);
        QCOMPARE(countOf(sim.paramSets(), "fw_version"), 4);
        QCOMPARE(countOf(sim.paramSets(), "STAT_FLTTIME"), 2);
        // A write still waiting when the port closes is reported; with no port a write fails at once.
        h.write("H_COL_MIN", 1200.0f);
        QTRY_COMPARE(countOf(sim.paramSets(), "H_COL_MIN"), 1);
        h.post([](Mav2Uart_Worker *w) { w->ConnectPort(QString()); });
        QTRY_VERIFY(contains(h.log->writeFailures, "H_COL_MIN", 1200.0f));
        QCOMPARE(h.log->connects.last(), 0);
        h.write("H_COL_MIN", 1250.0f);
        QTRY_VERIFY(contains(h.log->writeFailures, "H_COL_MIN", 1250.0f));
    }

    // What tavro-demo runs, at the real line rate with the streams on: a model
    // reset's writes (with a slider pressed and released among them) are all
    // confirmed. (That every preset name is in the table and every table name
    // arrives under its own name, the file checker's and the full-table tests
    // show.)
    void presetResetOnTheDemoHelicopter()
    {
        SimulatedFlightController sim(SimulatedFlightController::Options::demo());
        QVERIFY(sim.start());
        Harness h(SimulatorPortSource::only(sim.portPath()));
        h.reportPage();
        QVERIFY(h.connectPort(sim.portPath()));
        QVERIFY(h.download(60000));
        QCOMPARE(h.log->loadedValues().size(), sim.parameterCount());
        QVERIFY(h.log->missing.isEmpty());
        h.post([](Mav2Uart_Worker *w) { w->SetReadParamDone(); });
        QTRY_VERIFY(!h.log->rcChannels.isEmpty());

        const ParamFileReadResult birch =
            ParamFileParser::readFile(QStringLiteral(TAVRO_SOURCE_DIR "/resources/param/Birch-2blades.param"));
        QVERIFY(birch.ok);
        QHash<QString, float> last;
        int line = 0;
        for (const ParamFileEntry &e : birch.content.entries) {
            last.insert(e.name, e.value);
            h.write(e.name, e.value);
            QTest::qWait(10);   // the loader's pace
            if (++line == 10) {
                last.insert("ATC_RAT_YAW_P", 0.292f);
                h.post([](Mav2Uart_Worker *w) {
                    w->sendWriteParametersCommand("ATC_RAT_YAW_P", 0.19f);
                    w->sendWriteParametersCommand("ATC_RAT_YAW_P", 0.292f);
                });
            }
        }
        last.insert("fw_version", 10.0f);
        h.write("fw_version", 10.0f);
        QVERIFY(last.contains("FLTMODE1"));
        QTRY_COMPARE_WITH_TIMEOUT(h.read(&Mav2Uart_Worker::pendingWriteCount), 0, 20000);
        h.settle();
        QVERIFY2(h.log->writeFailures.isEmpty(), qPrintable(h.log->sequence.filter("writefail").join(' ')));
        for (auto it = last.cbegin(); it != last.cend(); ++it) {
            float held = 0.0f;
            QVERIFY(sim.parameterValue(it.key(), &held));
            QVERIFY2(ParamTransfer::confirms(it.value(), held, 6) || ParamTransfer::confirms(it.value(), held, 9),
                     qPrintable(it.key()));
            float echoed = std::numeric_limits<float>::quiet_NaN();   // the last update is the flight controller's value
            for (const auto &u : std::as_const(h.log->updates))
                if (u.first == it.key())
                    echoed = u.second;
            QVERIFY2(ParamTransfer::confirms(held, echoed, 9), qPrintable(it.key()));
        }
    }

    void connectPortEdgeCases()
    {
        Rig rig;
        QVERIFY(rig.start());
        Harness &h = *rig.h;
        const QString port = rig.sim.portPath();
        h.post([](Mav2Uart_Worker *w) { w->ConnectPort(QString()); });   // nothing open: nothing at all
        h.settle();
        QVERIFY(h.log->connects.isEmpty());
        QVERIFY(h.connectPort(port));
        QCOMPARE(h.read(&Mav2Uart_Worker::currentPortName), port);
        h.post([port](Mav2Uart_Worker *w) { w->ConnectPort(port); });   // the same name: nothing emitted
        h.settle();
        QCOMPARE(h.log->connects, QList<int>{1});
        h.post([](Mav2Uart_Worker *w) { w->ConnectPort(QString()); });   // empty while open: closed, 0
        QTRY_COMPARE(h.log->connects, (QList<int>{1, 0}));
        QVERIFY(!h.worker->portOpen && h.log->linkErrors.isEmpty());
        // A port that cannot be opened: the system's reason first (for a box), then 0.
        const QString missing = "/dev/tavro-no-such-port";
        h.post([missing](Mav2Uart_Worker *w) { w->ConnectPort(missing); });
        QTRY_COMPARE(h.log->connects, (QList<int>{1, 0, 0}));
        QCOMPARE(h.log->linkErrors.size(), 1);
        QVERIFY(h.log->linkErrors.first().contains(missing));
        QVERIFY(!h.worker->portOpen && h.read(&Mav2Uart_Worker::currentPortName).isEmpty());
        QCOMPARE(h.log->sequence.mid(h.log->sequence.indexOf("error"), 2), (QStringList{"error", "connect:0"}));
    }

    void portFilterAndSecondAdapter()
    {
        SimulatedFlightController first(smallTable()), second(smallTable());
        QVERIFY(first.start() && second.start());
        auto mutex = std::make_shared<std::mutex>();
        auto ports = std::make_shared<QList<PortCandidate>>();
        auto setPorts = [=](const QList<PortCandidate> &list) {
            std::lock_guard<std::mutex> lock(*mutex);
            *ports = list;
        };
        setPorts({{first.portPath(), 0x05C0, 0x007A}, {"/dev/ttyOTHER0", 0x05C0, 0x0001},
                  {"/dev/ttyOTHER1", 0x1234, 0x007A}, {"/dev/ttyS0", 0, 0}});
        Harness h([=] {
            std::lock_guard<std::mutex> lock(*mutex);
            return *ports;
        });
        auto last = [&] {
            return QPair<int, QStringList>(h.log->portLists.last().replaced, h.log->portLists.last().ports);
        };
        // Several polls go by (the worker asks every kPortPollMs).
        auto severalPolls = [&] {
            QTest::qWait(3 * Mav2Uart_Worker::kPortPollMs);
            h.settle();
        };
        const QStringList one{first.portPath()}, both{first.portPath(), second.portPath()};
        // The worker searches on its own: the first search publishes the list ...
        QTRY_COMPARE(h.log->portLists.size(), 1);
        QCOMPARE(last(), qMakePair(1, one));
        QVERIFY(h.read(&Mav2Uart_Worker::isPortSearchRunning));
        // ... and an unchanged list is not sent again, by the poll or by a search asked for.
        severalPolls();
        h.call([](Mav2Uart_Worker *w) { w->SearchPort(); });
        h.settle();
        QCOMPARE(h.log->portLists.size(), 1);
        // A second adapter while a port is open changes nothing; no search runs.
        QVERIFY(h.connectPort(first.portPath()));
        QVERIFY(!h.read(&Mav2Uart_Worker::isPortSearchRunning));
        setPorts({{first.portPath(), 0x05C0, 0x007A}, {second.portPath(), 0x05C0, 0x007A}});
        severalPolls();
        h.call([](Mav2Uart_Worker *w) { w->SearchPort(); });
        h.settle();
        QCOMPARE(h.log->portLists.size(), 1);
        QCOMPARE(h.read(&Mav2Uart_Worker::currentPortList), one);
        // ... until the port is closed: listed at once, replaced, and only once.
        h.post([](Mav2Uart_Worker *w) { w->ConnectPort(QString()); });
        QTRY_COMPARE(h.log->portLists.size(), 2);
        QCOMPARE(last(), qMakePair(1, both));
        QVERIFY(h.read(&Mav2Uart_Worker::isPortSearchRunning));
        severalPolls();
        QCOMPARE(h.log->portLists.size(), 2);
        setPorts({});   // unplugged while closed: the poll empties the list
        QTRY_COMPARE_WITH_TIMEOUT(h.log->portLists.size(), 3, 5000);
        QCOMPARE(last(), qMakePair(1, QStringList()));
    }

    void silenceClosesPortAfterTwoSeconds()
    {
        Rig rig;
        rig.sim.setHeartbeatEnabled(false);
        rig.sim.setSilent(true);
        QVERIFY(rig.startConnected(false));
        Harness &h = *rig.h;
        const int limit = Mav2Uart_Worker::kSilenceLimitMs;
        // Before the window reports a page, and on pages 10 and up, the limit is not armed.
        QTest::qWait(300);
        QCOMPARE(h.read(&Mav2Uart_Worker::silenceRemainingMs), -1);
        h.reportPage(10);
        QCOMPARE(h.read(&Mav2Uart_Worker::reportedPage), 10);
        QCOMPARE(h.read(&Mav2Uart_Worker::silenceRemainingMs), -1);
        // A page below 10 arms it; a page of 10 and up pauses it, keeping what is left.
        h.reportPage(0);
        int left = h.read(&Mav2Uart_Worker::silenceRemainingMs);
        QVERIFY2(left > limit - 200 && left <= limit, qPrintable(QString::number(left)));
        QTest::qWait(500);
        h.reportPage(12);
        QCOMPARE(h.read(&Mav2Uart_Worker::silenceRemainingMs), -1);
        QTest::qWait(300);
        h.reportPage(3);
        left = h.read(&Mav2Uart_Worker::silenceRemainingMs);
        QVERIFY2(left > 200 && left <= limit - 450, qPrintable(QString::number(left)));
        // A heartbeat starts the limit again and emits nothing besides the first-frame notice.
        rig.sim.sendRaw(frameOf(mavlink_heartbeat_t{0, 4, 3, 0, 0, 3}));
        QTRY_VERIFY(h.read(&Mav2Uart_Worker::hasSeenMessage));
        QElapsedTimer sinceFrame;
        sinceFrame.start();
        left = h.read(&Mav2Uart_Worker::silenceRemainingMs);
        QVERIFY2(left > limit - 300, qPrintable(QString::number(left)));
        QVERIFY(h.worker->portOpen);
        QCOMPARE(h.log->disconnects + h.log->silenceFlags(), 0);
        // Two seconds after that frame the port closes, the list follows with the flag.
        QTRY_COMPARE_WITH_TIMEOUT(h.log->disconnects, 1, 5000);
        const qint64 silent = sinceFrame.elapsed();
        QVERIFY2(silent >= limit - 150 && silent <= limit + 600, qPrintable(QString::number(silent)));
        h.settle();
        QVERIFY(!h.worker->portOpen && !h.worker->readParamDone);
        QCOMPARE(h.log->portLists.last().silenceClosed, 1);
        QCOMPARE(h.log->sequence.mid(h.log->sequence.size() - 2), (QStringList{"disconnect", "closed"}));
        QCOMPARE(h.log->connects, QList<int>{1});
        QCOMPARE((QList<int>{h.log->alive, h.log->attitudes, int(h.log->sysStatus.size()), int(h.log->loaded.size())}),
                 (QList<int>{1, 0, 0, 0}));
        QCOMPARE(h.read(&Mav2Uart_Worker::silenceRemainingMs), -1);
        QTest::qWait(3 * Mav2Uart_Worker::kPortPollMs);
        h.settle();
        QCOMPARE(h.log->silenceFlags(), 1);
    }

    // A download asked for before the first frame waits for one; the wait must end.
    void waitForFirstFrameEnds()
    {
        Rig quiet;
        quiet.sim.setHeartbeatEnabled(false);
        quiet.sim.setSilent(true);
        QVERIFY(quiet.start());
        SimulatedFlightController other(smallTable());
        other.setBaudRate(0);
        QVERIFY(other.start());
        Harness &h = *quiet.h;
        // Another port chosen while waiting: the old wait gives up without a list request.
        QVERIFY(h.connectPort(quiet.sim.portPath()));
        h.post([](Mav2Uart_Worker *w) { w->startParamRead(); });
        QTRY_VERIFY(quiet.sim.streamRequests().size() >= 3);   // it keeps asking for the raw-sensor stream
        QVERIFY(h.waiting());
        QVERIFY(h.connectPort(other.portPath()));
        QTRY_VERIFY(!h.waiting());
        h.reportPage();   // arms the silence limit
        QVERIFY(h.download());   // the new port's own download works
        QCOMPARE((QList<int>{quiet.sim.listRequestCount(), other.listRequestCount()}), (QList<int>{0, 1}));
        // The silence limit closes the port while waiting: the wait ends too.
        QVERIFY(h.connectPort(quiet.sim.portPath()));
        h.post([](Mav2Uart_Worker *w) { w->startParamRead(); });
        QTRY_VERIFY(h.waiting());
        QTRY_COMPARE_WITH_TIMEOUT(h.log->disconnects, 1, 5000);
        QTRY_VERIFY(!h.waiting());
        // Quitting the thread while waiting: it ends, and the port closes with it
        // (a page of 10 and up keeps the silence limit out of it).
        h.reportPage(10);
        QVERIFY(h.connectPort(quiet.sim.portPath()));
        h.post([](Mav2Uart_Worker *w) { w->startParamRead(); });
        QTRY_VERIFY(h.waiting());
        h.thread.quit();
        QVERIFY(h.thread.wait(3000));
        QVERIFY(!h.worker->portOpen);
        QCOMPARE(quiet.sim.listRequestCount(), 0);
    }

    void secondDownloadRequestWhileWaitingTakesOver()
    {
        Rig rig;
        rig.sim.setSilent(true);
        QVERIFY(rig.startConnected(false));
        Harness &h = *rig.h;
        // The window asks again while the first request still waits: the second runs nested in the first's wait.
        h.post([](Mav2Uart_Worker *w) { w->startParamRead(); });
        QTRY_VERIFY(h.waiting());
        h.post([](Mav2Uart_Worker *w) { w->startParamRead(); });
        h.settle();   // runs inside the second wait, so that one has begun
        rig.sim.setSilent(false);
        h.reportPage();
        QTRY_COMPARE_WITH_TIMEOUT(h.log->finished, 1, 20000);
        QTRY_VERIFY(!h.waiting());
        QTest::qWait(400);
        QCOMPARE((QList<int>{rig.sim.listRequestCount(), h.log->finished, h.log->loadedCounts.last(),
                             rig.sim.paramValuesSent()}),
                 (QList<int>{1, 1, 30, 30}));
    }

    // In update mode a serial port is read in polls where its reads can be paused (Unix): telemetry keeps
    // coming, and the silence limit still ends the link 2.0 s (+- 0.1 s) after the last frame.
    void updateModePollsAndKeepsTheSilenceLimit()
    {
        Rig rig;
        QVERIFY(rig.startInUpdateMode());
        Harness &h = *rig.h;
#ifdef Q_OS_UNIX
        QTRY_VERIFY(h.read(&Mav2Uart_Worker::isReadingInPolls));
#endif
        const int before = h.log->attitudes;
        QTest::qWait(1000);
        QVERIFY2(h.log->attitudes - before >= 7, qPrintable(QString::number(h.log->attitudes - before)));
        rig.sim.setSilent(true);
        QTest::qWait(300); // what was on its way has been read
        auto clock = std::make_shared<QElapsedTimer>();
        auto lostAfter = std::make_shared<std::atomic<qint64>>(-1);
        connect(h.worker, &Mav2Uart_Worker::disconnect_UI_disable, h.worker,
                [clock, lostAfter] { lostAfter->store(clock->elapsed()); }, Qt::DirectConnection);
        clock->start();
        rig.sim.sendRaw(frameOf(mavlink_heartbeat_t{0, 4, 3, 0, 0, 3}));
        QTRY_COMPARE_WITH_TIMEOUT(h.log->disconnects, 1, 5000);
        const qint64 lost = lostAfter->load();
        QVERIFY2(lost >= Mav2Uart_Worker::kSilenceLimitMs - 100 && lost <= Mav2Uart_Worker::kSilenceLimitMs + 100,
                 qPrintable(QString::number(lost)));
        QVERIFY(!h.read(&Mav2Uart_Worker::isReadingInPolls));
    }

    void deviceGoneWhileOpen()
    {
        Rig rig;
        QVERIFY(rig.startInUpdateMode());
        Harness &h = *rig.h;
        rig.sim.setIgnoredParamSets(100);
        h.write("H_COL_MAX", 1700.0f);
        QTRY_COMPARE(rig.sim.paramSets().size(), 1);
        // The cable is pulled on a page of 10 and up, so not the silence limit ends the link.
        h.reportPage(10);
        h.settle();
        QCOMPARE(h.read(&Mav2Uart_Worker::silenceRemainingMs), -1);
        rig.sim.stop();
        QTRY_COMPARE_WITH_TIMEOUT(h.log->disconnects, 1, 10000);
        QVERIFY(!h.worker->portOpen && h.read(&Mav2Uart_Worker::currentPortName).isEmpty());
        QVERIFY(contains(h.log->writeFailures, "H_COL_MAX", 1700.0f));
        // The list follows with the flag, as after a silence, once; the search runs again.
        QTRY_COMPARE(h.log->silenceFlags(), 1);
        QCOMPARE(h.log->sequence.filter(QRegularExpression("disconnect|closed")), (QStringList{"disconnect", "closed"}));
        QVERIFY(h.read(&Mav2Uart_Worker::isPortSearchRunning));
        QTest::qWait(3 * Mav2Uart_Worker::kPortPollMs);
        h.settle();
        QCOMPARE(h.log->silenceFlags(), 1);
        QCOMPARE(h.log->connects, QList<int>{1});
    }

    void telemetryDispatch()
    {
        Rig rig;
        QVERIFY(rig.startConnected(false));
        Harness &h = *rig.h;
        const auto streams = [&](bool on) {
            h.post([on](Mav2Uart_Worker *w) {
                for (int s : {2, 3, 10})
                    w->sendDataStreamCommand(uint8_t(s), on);
            });
        };
        streams(true);
        QTRY_VERIFY(!h.log->sysStatus.isEmpty() && !h.log->gps.isEmpty() && !h.log->gps2.isEmpty()
                    && !h.log->rcChannels.isEmpty() && h.log->attitudes > 0);
        QVERIFY(qAbs(h.log->sysStatus.first().first - 16420) <= 20);
        QCOMPARE(h.log->sysStatus.first().second, 1);
        QCOMPARE(h.log->gps.first(), (QList<int>{14, 85, 120}));
        QCOMPARE(h.log->gps2.first(), (QPair<int, int>(12, 95)));
        QCOMPARE((QList<int>{h.log->rcChannels.first().chancount, h.log->rcChannels.first().chan1_raw}),
                 (QList<int>{16, 1500}));
        streams(false);
        QTest::qWait(300);   // let the stopped streams drain
        h.settle();

        // Receiver health is bit 16 of the sensor health.
        h.log->sysStatus.clear();
        mavlink_sys_status_t s{};
        s.voltage_battery = 15800;
        s.onboard_control_sensors_health = 0x00010000;
        rig.sim.sendRaw(frameOf(s));
        s.onboard_control_sensors_health = 0x0000FFFF;
        rig.sim.sendRaw(frameOf(s));
        QTRY_COMPARE(h.log->sysStatus, (QList<QPair<int, int>>{{15800, 1}, {15800, 0}}));
        // A text of 50 characters without a terminator, and a short one.
        const QString fifty = "PreArm: Compass not calibrated, please calibrate!!";
        QCOMPARE(fifty.size(), 50);
        rig.sim.sendStatusText(4, fifty + " (cut)");
        rig.sim.sendStatusText(6, "EKF3 IMU0 is using GPS");
        QTRY_COMPARE(h.log->statusTexts, (QList<QPair<QString, int>>{{fifty, 4}, {"EKF3 IMU0 is using GPS", 6}}));
        // (Standard 0xFD frames: the codec's and the window's fault tests.)
    }

    void compassCalibrationProgress()
    {
        Rig rig;
        QVERIFY(rig.startConnected(false));
        Harness &h = *rig.h;
        mavlink_mag_cal_progress_t p{};
        p.compass_id = 1;
        p.completion_pct = 42;
        p.completion_mask[9] = 0x80;
        const auto barrier = [&](int texts) {
            rig.sim.sendStatusText(6, "barrier");
            QTRY_COMPARE(h.log->statusTexts.size(), texts);
        };
        // Not calibrating: progress frames are ignored.
        rig.sim.sendRaw(frameOf(p));
        barrier(1);
        QVERIFY(h.log->calibration.isEmpty());
        // Calibrating: anywhere in the stream, and trimmed by its sender (its
        // last byte is then a checksum byte, not the percentage).
        h.post([](Mav2Uart_Worker *w) { w->SetMagcalibrationrun(1); });
        rig.sim.sendRaw(QByteArray("\x01\x02noise", 7) + frameOf(p));
        mavlink_mag_cal_progress_t trimmed{};
        trimmed.completion_pct = 17;
        const QByteArray shortFrame = frameOf(trimmed);
        QCOMPARE(int(uint8_t(shortFrame[1])), 17);
        rig.sim.sendRaw(shortFrame);
        QTRY_COMPARE(h.log->calibration, (QList<int>{43, 18}));
        QCOMPARE(h.log->magProgress, (QList<QPair<int, int>>{{1, 43}, {0, 18}}));
        // A damaged one is dropped and logged.
        QByteArray damaged = frameOf(p);
        damaged[12] = char(damaged[12] ^ 0x10);
        QTest::ignoreMessage(QtWarningMsg, "MAG_CAL_PROGRESS frame dropped: checksum mismatch");
        rig.sim.sendRaw(damaged);
        barrier(2);
        QCOMPARE(h.log->calibration.size(), 2);

        // The flight controller's own calibration of two compasses: progress
        // interleaves, compass 0 first, each rising; the longer one reports last.
        h.log->calibration.clear();
        h.log->magProgress.clear();
        SimulatedFlightController::MagCalCompass first, second;
        first.durationMs = 600;
        second.compassId = 1;
        second.durationMs = 1000;
        rig.sim.setMagCalCompasses({first, second});
        h.post([](Mav2Uart_Worker *w) { w->sendCompassCalibrationCommand(42424, 0); });
        QTRY_COMPARE(h.log->magReports, (QList<QPair<int, int>>{{0, 4}, {1, 4}}));
        QCOMPARE(rig.sim.commands(), QList<int>{42424});
        h.settle();
        const QList<QPair<int, int>> progress = h.log->magProgress;
        QCOMPARE(progress.size(), h.log->calibration.size());
        QList<int> pct[2];
        for (int i = 0; i < progress.size(); ++i) {
            QCOMPARE(progress[i].second, h.log->calibration[i]);   // emitted side by side
            QVERIFY(progress[i].first == 0 || progress[i].first == 1);
            pct[progress[i].first] << progress[i].second;
        }
        QVERIFY(!pct[0].isEmpty() && pct[1].size() >= pct[0].size());
        QVERIFY(std::is_sorted(pct[0].cbegin(), pct[0].cend()) && std::is_sorted(pct[1].cbegin(), pct[1].cend()));
        QVERIFY(pct[0].first() >= 1 && pct[1].last() <= 101);
        for (int i = 0; i < 2 * pct[0].size(); ++i)
            QCOMPARE(progress[i].first, i % 2);
    }
};

QTEST_GUILESS_MAIN(TestLinkWorker)
#include "tst_linkworker.moc"
