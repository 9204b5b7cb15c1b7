// The link worker on its own thread against the simulated flight controller
// over real pseudo-terminals: port search and filter, connecting, the
// parameter download with its completion rule and recovery, update mode and
// the telemetry streams, confirmed writes, loss of link, the wait for a first
// frame, and the telemetry and compass-calibration messages.
#include "WorkerHarness.h"

#include "link/MavlinkCodec.h"
#include "link/ParamTransfer.h"
#include "params/ParamFileParser.h"
#include "sim/SimulatedFlightController.h"
#include "sim/SimulatorPortSource.h"

#include <QtTest>

#include <memory>
#include <mutex>

namespace {

using T = SimParameter::Type;

// Thirty parameters: the interesting names first, then plain fillers.
QList<SimParameter> smallTable()
{
    QList<SimParameter> t = {
        {"fw_version", 3.0f, T::Real32},
        {"H_COL_MAX", 1750.0f, T::Int16},
        {"ATC_RAT_YAW_P", 0.18f, T::Real32},
        {"FLTMODE1", 5.0f, T::Int8},          // its decoded form is valid as well
        {"BAD.NAME", 1.0f, T::Real32},        // valid in neither form
        {"COMPASS_DISBLMSK", 0.0f, T::Int8},  // 16 characters
        {"RC1_MIN", 1100.0f, T::Int16},
        {"SERVO1_REVERSED", 0.0f, T::Int8},
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
    const int n = tx.encode(buf, message, 1, 1);
    return QByteArray(reinterpret_cast<const char *>(buf), n);
}

int countOf(const QList<QPair<QString, float>> &list, const QString &name)
{
    int n = 0;
    for (const auto &e : list)
        n += e.first == name;
    return n;
}

bool contains(const QList<QPair<QString, float>> &list, const QString &name, float value)
{
    for (const auto &e : list) {
        if (e.first == name && e.second == value)
            return true;
    }
    return false;
}

// A simulated flight controller and a worker that sees only its port.
struct Rig
{
    explicit Rig(const QList<SimParameter> &table = smallTable(), int baud = 0)
        : sim(table)
    {
        sim.setBaudRate(baud);
    }
    bool start()
    {
        if (!sim.start())
            return false;
        h = std::make_unique<WorkerHarness>(SimulatorPortSource::only(sim.portPath()));
        return true;
    }
    // Barrier: everything queued to the worker so far has run and its signals
    // have been delivered here.
    void settle()
    {
        h->call([](Mav2Uart_Worker *) {});
        QCoreApplication::processEvents();
    }

    SimulatedFlightController sim;
    std::unique_ptr<WorkerHarness> h;
};

} // namespace

class TestLinkWorker : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Mav2Uart_Worker::registerMetaTypes(); }

    void downloadPlainAndEncoded_data();
    void downloadPlainAndEncoded();
    void duplicatesCountOnce();
    void lossesRecoveredBySingleReads();
    void unanswerableIndicesReportedBeforeFinish();
    void unansweredListRequestRepeatedThenReported();
    void updateModeAfterDownload();
    void writesConfirmedByTheirEcho();
    void writesRefusedOrNeverEchoed();
    void writesOfBadInputAndAtClose();
    void writesSupersededBeforeTheirEcho();
    void presetResetOnTheDemoHelicopter();

    void connectPortEdgeCases();
    void portFilterAndSecondAdapter();
    void silenceClosesPortAfter100Ticks();
    void heartbeatResetsSilence();
    void quittingWhileWaitingForFirstFrame();
    void waitEndsWhenPortReplacedOrSilent();
    void secondDownloadRequestWhileWaitingTakesOver();
    void deviceGoneWhileOpen();

    void telemetryDispatch();
    void compassCalibrationProgress();
    void rebootKeepsParameters();
};

// ---- download ----------------------------------------------------------------------

void TestLinkWorker::downloadPlainAndEncoded_data()
{
    QTest::addColumn<bool>("encoded");
    QTest::newRow("plain") << false;
    QTest::newRow("encoded") << true;
}

void TestLinkWorker::downloadPlainAndEncoded()
{
    QFETCH(bool, encoded);
    Rig rig;
    rig.sim.setEncodedParams(encoded);
    QVERIFY(rig.start());
    WorkerHarness &h = *rig.h;
    h.startTicking(0);
    QVERIFY(h.connectPort(rig.sim.portPath()));
    QVERIFY(h.download());

    const QHash<QString, double> v = h.log->loadedValues();
    QCOMPARE(v.value("fw_version"), 3.0);
    QCOMPARE(v.value("H_COL_MAX"), 1750.0);
    QCOMPARE(float(v.value("ATC_RAT_YAW_P")), 0.18f);
    QCOMPARE(v.value("COMPASS_DISBLMSK", -1.0), 0.0);
    QCOMPARE(v.value("STAT_FLTTIME"), 12345.0);
    QCOMPARE(v.value("PARAM_29"), 14.5);
    if (encoded) {
        QCOMPARE(v.value("FLTMODE1"), 5.0);
        QVERIFY(!v.contains("CNQOLFB3"));
    } else {
        // A plain name that also reads as a valid encoded one is taken decoded.
        QCOMPARE(float(v.value("CNQOLFB3")), 5.0f / 12.0f);
        QVERIFY(!v.contains("FLTMODE1"));
    }
    // The invalid name is counted but never reported.
    QCOMPARE(v.size(), 29);
    QCOMPARE(h.log->loaded.size(), 29);
    QCOMPARE(h.log->loadedCounts.last(), 30);
    QVERIFY(std::all_of(h.log->loadedTotals.cbegin(), h.log->loadedTotals.cend(), [](int t) { return t == 30; }));
    QCOMPARE(h.read<quint32>([](Mav2Uart_Worker *w) { return w->receivedParamCount(); }), 30u);
    QCOMPARE(h.log->finished, 1);
    QVERIFY(h.log->missing.isEmpty());
    QCOMPARE(rig.sim.listRequestCount(), 1);
    QVERIFY(rig.sim.readRequests().isEmpty());

    // Quiet afterwards: no second completion.
    QTest::qWait(400);
    QCOMPARE(h.log->finished, 1);
}

void TestLinkWorker::duplicatesCountOnce()
{
    Rig rig;
    rig.sim.setDuplicateProbability(1.0);
    QVERIFY(rig.start());
    WorkerHarness &h = *rig.h;
    h.startTicking(0);
    QVERIFY(h.connectPort(rig.sim.portPath()));
    QVERIFY(h.download());
    QCOMPARE(h.log->loaded.size(), 58);   // every valid one twice
    QCOMPARE(*std::max_element(h.log->loadedCounts.cbegin(), h.log->loadedCounts.cend()), 30);
    for (int i = 1; i < h.log->loadedCounts.size(); ++i)
        QVERIFY(h.log->loadedCounts[i] >= h.log->loadedCounts[i - 1]);
    QCOMPARE(h.log->finished, 1);
    QCOMPARE(h.read<quint32>([](Mav2Uart_Worker *w) { return w->receivedParamCount(); }), 30u);
}

void TestLinkWorker::lossesRecoveredBySingleReads()
{
    Rig rig;
    rig.sim.setDroppedIndices({3, 7, 20});
    QVERIFY(rig.start());
    WorkerHarness &h = *rig.h;
    h.startTicking(0);
    QVERIFY(h.connectPort(rig.sim.portPath()));
    QVERIFY(h.download());
    QList<int> asked = rig.sim.readRequests();
    std::sort(asked.begin(), asked.end());
    QCOMPARE(asked, (QList<int>{3, 7, 20}));
    QVERIFY(h.log->missing.isEmpty());
    QCOMPARE(h.log->finished, 1);
    QCOMPARE(h.log->loadedCounts.last(), 30);
    QCOMPARE(h.log->loadedValues().value("PARAM_20"), 10.0);
    QCOMPARE(float(h.log->loadedValues().value("CNQOLFB3")), 5.0f / 12.0f);
}

void TestLinkWorker::unanswerableIndicesReportedBeforeFinish()
{
    Rig rig;
    QSet<int> lost = {2};
    for (int i = 10; i <= 20; ++i)
        lost.insert(i);
    rig.sim.setUnanswerableIndices(lost);
    QVERIFY(rig.start());
    WorkerHarness &h = *rig.h;
    h.startTicking(0);
    QVERIFY(h.connectPort(rig.sim.portPath()));
    h.post([](Mav2Uart_Worker *w) { w->startParamRead(); });

    // The first round asks for ten at most, then waits for the quiet period.
    QTRY_VERIFY(rig.sim.readRequests().size() >= 10);
    QCOMPARE(rig.sim.readRequests().size(), 10);

    QTRY_COMPARE_WITH_TIMEOUT(h.log->finished, 1, 10000);
    QList<int> expected(lost.cbegin(), lost.cend());
    std::sort(expected.begin(), expected.end());
    QCOMPARE(h.log->missing.size(), 1);
    QCOMPARE(h.log->missing.first(), expected);
    QCOMPARE(h.log->sequence.filter(QRegularExpression("missing|finish")),
             (QStringList{"missing", "finish"}));
    const QList<int> asked = rig.sim.readRequests();
    QCOMPARE(asked.size(), 12 * 5);
    for (int i : expected)
        QCOMPARE(int(asked.count(i)), 5);
    QCOMPARE(h.log->loadedCounts.last(), 18);
}

void TestLinkWorker::unansweredListRequestRepeatedThenReported()
{
    Rig rig;
    rig.sim.setIgnoredListRequests(10);
    QVERIFY(rig.start());
    WorkerHarness &h = *rig.h;
    QVERIFY(h.connectPort(rig.sim.portPath()));
    h.post([](Mav2Uart_Worker *w) { w->startParamRead(); });
    QTRY_COMPARE(rig.sim.listRequestCount(), 1);

    // No page reported: only the list request's own clock runs.
    for (int resend = 2; resend <= 4; ++resend) {
        h.tick(99);
        rig.settle();
        QCOMPARE(rig.sim.listRequestCount(), resend - 1);
        h.tick(1);
        QTRY_COMPARE(rig.sim.listRequestCount(), resend);
    }
    h.tick(99);
    rig.settle();
    QCOMPARE(h.log->disconnects, 0);
    h.tick(1);
    rig.settle();
    QCOMPARE(h.log->linkErrors.size(), 1);
    QVERIFY(h.log->linkErrors.first().contains("parameter list"));
    QCOMPARE(h.log->disconnects, 1);
    QCOMPARE(h.log->portLists.last().silenceClosed, 1);
    QVERIFY(!h.worker->portOpen);
    QCOMPARE(h.log->finished, 0);

    // One ignored request: the second one gets the table.
    Rig again;
    again.sim.setIgnoredListRequests(1);
    QVERIFY(again.start());
    QVERIFY(again.h->connectPort(again.sim.portPath()));
    again.h->startTicking(0xFF);
    QVERIFY(again.h->download(10000));
    QCOMPARE(again.sim.listRequestCount(), 2);
    QCOMPARE(again.h->log->loadedCounts.last(), 30);
}

void TestLinkWorker::updateModeAfterDownload()
{
    Rig rig;
    QVERIFY(rig.start());
    WorkerHarness &h = *rig.h;
    h.startTicking(0);
    QVERIFY(h.connectPort(rig.sim.portPath()));
    QVERIFY(h.download());
    rig.sim.clearObservations();
    const int loaded = int(h.log->loaded.size());

    h.post([](Mav2Uart_Worker *w) { w->SetReadParamDone(); });
    QVERIFY(h.worker->readParamDone || QTest::qWaitFor([&] { return bool(h.worker->readParamDone); }));
    QTRY_COMPARE(rig.sim.streamRequests().size(), 7);
    QCOMPARE(rig.sim.streamRequests(), (QList<int>{1, 2, 3, 6, 10, 11, 12}));
    QTRY_VERIFY(h.log->attitudes > 0 && !h.log->rcChannels.isEmpty() && !h.log->sysStatus.isEmpty());

    h.post([](Mav2Uart_Worker *w) { w->sendWriteParametersCommand("RC1_MIN", 1105.0f); });
    QTRY_VERIFY(contains(h.log->updates, "RC1_MIN", 1105.0f));
    QCOMPARE(h.log->loaded.size(), loaded);
    QCOMPARE(h.read<quint32>([](Mav2Uart_Worker *w) { return w->receivedParamCount(); }), 30u);
    // The streams are asked for once.
    QTest::qWait(100);
    QCOMPARE(rig.sim.streamRequests().size(), 7);
}

// ---- writes ------------------------------------------------------------------------

namespace {
std::unique_ptr<Rig> rigInUpdateMode()
{
    auto rig = std::make_unique<Rig>();
    if (!rig->start())
        return nullptr;
    WorkerHarness &h = *rig->h;
    h.startTicking(0);
    if (!h.connectPort(rig->sim.portPath()) || !h.download())
        return nullptr;
    h.post([](Mav2Uart_Worker *w) { w->SetReadParamDone(); });
    if (!QTest::qWaitFor([&] { return h.read<bool>([](Mav2Uart_Worker *w) { return w->isStreamsRequested(); }); }))
        return nullptr;
    return rig;
}
} // namespace

void TestLinkWorker::writesConfirmedByTheirEcho()
{
    auto rig = rigInUpdateMode();
    QVERIFY(rig);
    WorkerHarness &h = *rig->h;
    SimulatedFlightController &sim = rig->sim;

    h.post([](Mav2Uart_Worker *w) { w->sendWriteParametersCommand("H_COL_MAX", 1800.0f); });
    QTRY_VERIFY(contains(h.log->updates, "H_COL_MAX", 1800.0f));
    float stored = 0.0f;
    QVERIFY(sim.parameterValue("H_COL_MAX", &stored));
    QCOMPARE(stored, 1800.0f);

    // Two writes lost on the way: sent again after 500 ms each, then echoed.
    sim.setIgnoredParamSets(2);
    h.post([](Mav2Uart_Worker *w) { w->sendWriteParametersCommand("ATC_RAT_YAW_P", 0.25f); });
    QTRY_VERIFY(contains(h.log->updates, "ATC_RAT_YAW_P", 0.25f));
    QCOMPARE(countOf(sim.paramSets(), "ATC_RAT_YAW_P"), 3);

    // An integer parameter stores the rounded value: confirmed.
    h.post([](Mav2Uart_Worker *w) { w->sendWriteParametersCommand("RC1_MIN", 1100.4f); });
    QTRY_VERIFY(contains(h.log->updates, "RC1_MIN", 1100.0f));

    // A plain name that also decodes: the echo is matched by its raw name.
    h.post([](Mav2Uart_Worker *w) { w->sendWriteParametersCommand("FLTMODE1", 6.0f); });
    QTRY_VERIFY(contains(h.log->updates, "FLTMODE1", 6.0f));
    QCOMPARE(countOf(h.log->updates, "CNQOLFB3"), 0);

    // A newer write of a name cancels the retries of the older one.
    sim.setIgnoredParamSets(1);
    h.post([](Mav2Uart_Worker *w) {
        w->sendWriteParametersCommand("H_COL_MAX", 1700.0f);
        w->sendWriteParametersCommand("H_COL_MAX", 1650.0f);
    });
    QTRY_VERIFY(contains(h.log->updates, "H_COL_MAX", 1650.0f));
    QTest::qWait(700);
    QCOMPARE(countOf(sim.paramSets(), "H_COL_MAX"), 3);   // 1800, 1700 (lost), 1650
    QVERIFY(h.log->writeFailures.isEmpty());
    QCOMPARE(h.read<int>([](Mav2Uart_Worker *w) { return w->pendingWriteCount(); }), 0);
}

void TestLinkWorker::writesRefusedOrNeverEchoed()
{
    auto rig = rigInUpdateMode();
    QVERIFY(rig);
    WorkerHarness &h = *rig->h;
    SimulatedFlightController &sim = rig->sim;

    // Read-only: the flight controller echoes its old value. Reported at once,
    // the store gets the old value, no retry.
    sim.setReadOnly("STAT_FLTTIME", true);
    h.post([](Mav2Uart_Worker *w) { w->sendWriteParametersCommand("STAT_FLTTIME", 0.0f); });
    QTRY_VERIFY(contains(h.log->writeFailures, "STAT_FLTTIME", 0.0f));
    QVERIFY(contains(h.log->updates, "STAT_FLTTIME", 12345.0f));

    // Clamped by the parameter's type.
    h.post([](Mav2Uart_Worker *w) { w->sendWriteParametersCommand("SERVO1_REVERSED", 300.0f); });
    QTRY_VERIFY(contains(h.log->writeFailures, "SERVO1_REVERSED", 300.0f));
    QVERIFY(contains(h.log->updates, "SERVO1_REVERSED", 127.0f));

    // Never echoed: four attempts, then reported.
    sim.setIgnoredParamSets(100);
    QElapsedTimer clock;
    clock.start();
    h.post([](Mav2Uart_Worker *w) { w->sendWriteParametersCommand("fw_version", 5.0f); });
    QTRY_VERIFY_WITH_TIMEOUT(contains(h.log->writeFailures, "fw_version", 5.0f), 6000);
    QVERIFY(clock.elapsed() >= 1900);
    QCOMPARE(countOf(sim.paramSets(), "fw_version"), 4);
    QCOMPARE(countOf(sim.paramSets(), "STAT_FLTTIME"), 1);
    QCOMPARE(countOf(h.log->writeFailures, "STAT_FLTTIME"), 1);
    QCOMPARE(h.log->writeFailures.size(), 3);
}

void TestLinkWorker::writesOfBadInputAndAtClose()
{
    auto rig = rigInUpdateMode();
    QVERIFY(rig);
    WorkerHarness &h = *rig->h;
    SimulatedFlightController &sim = rig->sim;
    sim.clearObservations();

    // Names that would be cut or mangled and values that are not numbers are
    // never sent.
    h.post([](Mav2Uart_Worker *w) {
        w->sendWriteParametersCommand("A.B", 1.0f);
        w->sendWriteParametersCommand("COMPASS_DISBLMSK1", 1.0f);
        w->sendWriteParametersCommand("", 1.0f);
        w->sendWriteParametersCommand("H_COL_MAX", std::numeric_limits<float>::quiet_NaN());
        w->sendWriteParametersCommand("H_COL_MAX", std::numeric_limits<float>::infinity());
    });
    QTRY_COMPARE(h.log->writeFailures.size(), 5);
    rig->settle();
    QVERIFY(sim.paramSets().isEmpty());

    // A write still waiting when the port closes is reported.
    sim.setIgnoredParamSets(100);
    h.post([](Mav2Uart_Worker *w) { w->sendWriteParametersCommand("H_COL_MIN", 1200.0f); });
    QTRY_COMPARE(sim.paramSets().size(), 1);
    h.post([](Mav2Uart_Worker *w) { w->ConnectPort(QString()); });
    QTRY_VERIFY(contains(h.log->writeFailures, "H_COL_MIN", 1200.0f));
    QCOMPARE(h.log->connects.last(), 0);

    // With no port open a write fails at once.
    h.post([](Mav2Uart_Worker *w) { w->sendWriteParametersCommand("H_COL_MIN", 1250.0f); });
    QTRY_VERIFY(contains(h.log->writeFailures, "H_COL_MIN", 1250.0f));
}

void TestLinkWorker::writesSupersededBeforeTheirEcho()
{
    auto rig = rigInUpdateMode();
    QVERIFY(rig);
    WorkerHarness &h = *rig->h;
    SimulatedFlightController &sim = rig->sim;
    auto valuesOf = [&](const QString &name) {
        QList<float> values;
        for (const auto &u : std::as_const(h.log->updates))
            if (u.first == name)
                values << u.second;
        return values;
    };

    // A slider's press and release: the second write leaves before the
    // echo of the first comes back. Both echoes reach the window, in order;
    // the first is no failure and the second confirms.
    h.post([](Mav2Uart_Worker *w) {
        w->sendWriteParametersCommand("ATC_RAT_YAW_P", 0.19f);
        w->sendWriteParametersCommand("ATC_RAT_YAW_P", 0.292f);
    });
    QTRY_COMPARE(valuesOf("ATC_RAT_YAW_P"), (QList<float>{0.19f, 0.292f}));
    rig->settle();
    QVERIFY2(h.log->writeFailures.isEmpty(), qPrintable(h.log->sequence.join(' ')));
    QCOMPARE(h.read<int>([](Mav2Uart_Worker *w) { return w->pendingWriteCount(); }), 0);
    float stored = 0.0f;
    QVERIFY(sim.parameterValue("ATC_RAT_YAW_P", &stored));
    QCOMPARE(stored, 0.292f);
    QTest::qWait(600);   // past the echo timeout: nothing was sent again
    QCOMPARE(countOf(sim.paramSets(), "ATC_RAT_YAW_P"), 2);

    // Both refused (read-only): the first echo matches neither value and is
    // reported once, with the value written last.
    sim.setReadOnly("STAT_FLTTIME", true);
    h.post([](Mav2Uart_Worker *w) {
        w->sendWriteParametersCommand("STAT_FLTTIME", 0.0f);
        w->sendWriteParametersCommand("STAT_FLTTIME", 1.0f);
    });
    QTRY_COMPARE(valuesOf("STAT_FLTTIME"), (QList<float>{12345.0f, 12345.0f}));
    rig->settle();
    QCOMPARE(h.log->writeFailures, (QList<QPair<QString, float>>{{"STAT_FLTTIME", 1.0f}}));
    QCOMPARE(h.read<int>([](Mav2Uart_Worker *w) { return w->pendingWriteCount(); }), 0);
}

void TestLinkWorker::presetResetOnTheDemoHelicopter()
{
    // What tavro-demo runs, at the real line rate with the telemetry streams
    // on: every preset name arrives under its own name (the encoded form,
    // FLTMODE1 included), and a model reset's writes are all confirmed.
    SimulatedFlightController sim(SimulatedFlightController::Options::demo());
    QVERIFY(sim.start());
    WorkerHarness h(SimulatorPortSource::only(sim.portPath()));
    h.startTicking(0);
    QVERIFY(h.connectPort(sim.portPath()));
    QVERIFY(h.download(60000));
    const QHash<QString, double> table = h.log->loadedValues();
    QCOMPARE(table.size(), sim.parameterCount());
    QVERIFY(h.log->missing.isEmpty());
    QCOMPARE(table.value("SERIAL2_PROTOCOL"), 5.0);   // the radio page shows its travel calibration

    const QDir presets(QStringLiteral(TAVRO_SOURCE_DIR "/resources/param"));
    const QStringList files = presets.entryList({"*.param"}, QDir::Files, QDir::Name);
    QVERIFY(!files.isEmpty());
    for (const QString &file : files) {
        const ParamFileReadResult r = ParamFileParser::readFile(presets.filePath(file));
        QVERIFY2(r.ok, qPrintable(r.error));
        for (const ParamFileEntry &e : r.content.entries)
            QVERIFY2(table.contains(e.name), qPrintable(file + ": " + e.name));
    }

    h.post([](Mav2Uart_Worker *w) { w->SetReadParamDone(); });
    QTRY_VERIFY(h.read<bool>([](Mav2Uart_Worker *w) { return w->isStreamsRequested(); }));
    QTRY_VERIFY(!h.log->rcChannels.isEmpty());

    // The model page's reset: each line at the loader's pace, then the model
    // id again; a tuning slider is pressed and released in the middle.
    const ParamFileReadResult birch = ParamFileParser::readFile(presets.filePath("Birch-2blades.param"));
    QVERIFY(birch.ok);
    QHash<QString, float> last;
    auto write = [&](const QString &name, float value) {
        last.insert(name, value);
        h.post([name, value](Mav2Uart_Worker *w) { w->sendWriteParametersCommand(name, value); });
        QTest::qWait(10);
    };
    int line = 0;
    for (const ParamFileEntry &e : birch.content.entries) {
        write(e.name, e.value);
        if (++line == 10) {
            // Press and release reach the worker together.
            last.insert("ATC_RAT_YAW_P", 0.292f);
            h.post([](Mav2Uart_Worker *w) {
                w->sendWriteParametersCommand("ATC_RAT_YAW_P", 0.19f);
                w->sendWriteParametersCommand("ATC_RAT_YAW_P", 0.292f);
            });
        }
    }
    write("fw_version", 10.0f);
    QVERIFY(last.contains("FLTMODE1"));

    QTRY_COMPARE_WITH_TIMEOUT(h.read<int>([](Mav2Uart_Worker *w) { return w->pendingWriteCount(); }), 0, 20000);
    h.call([](Mav2Uart_Worker *) {});
    QCoreApplication::processEvents();
    QVERIFY2(h.log->writeFailures.isEmpty(), qPrintable(h.log->sequence.filter("writefail").join(' ')));
    for (auto it = last.cbegin(); it != last.cend(); ++it) {
        float held = 0.0f;
        QVERIFY(sim.parameterValue(it.key(), &held));
        QVERIFY2(ParamTransfer::confirms(it.value(), held, 6) || ParamTransfer::confirms(it.value(), held, 9),
                 qPrintable(it.key()));
        // The last update of each name is the flight controller's value.
        float echoed = std::numeric_limits<float>::quiet_NaN();
        for (const auto &u : std::as_const(h.log->updates))
            if (u.first == it.key())
                echoed = u.second;
        QVERIFY2(ParamTransfer::confirms(held, echoed, 9), qPrintable(it.key()));
    }
    sim.stop();
}

// ---- port --------------------------------------------------------------------------

void TestLinkWorker::connectPortEdgeCases()
{
    Rig rig;
    QVERIFY(rig.start());
    WorkerHarness &h = *rig.h;
    const QString port = rig.sim.portPath();

    // An empty name while nothing is open: nothing at all.
    h.post([](Mav2Uart_Worker *w) { w->ConnectPort(QString()); });
    rig.settle();
    QVERIFY(h.log->connects.isEmpty());

    QVERIFY(h.connectPort(port));
    QVERIFY(h.worker->portOpen);
    QCOMPARE(h.read<QString>([](Mav2Uart_Worker *w) { return w->currentPortName(); }), port);

    // The same name again: nothing happens, nothing is emitted.
    h.post([port](Mav2Uart_Worker *w) { w->ConnectPort(port); });
    rig.settle();
    QCOMPARE(h.log->connects, QList<int>{1});

    // An empty name while open: closed, answered with 0.
    h.post([](Mav2Uart_Worker *w) { w->ConnectPort(QString()); });
    QTRY_COMPARE(h.log->connects, (QList<int>{1, 0}));
    QVERIFY(!h.worker->portOpen);
    QVERIFY(h.log->linkErrors.isEmpty());

    // A port that cannot be opened: 0, with the system's reason.
    const QString missing = QStringLiteral("/dev/tavro-no-such-port");
    h.post([missing](Mav2Uart_Worker *w) { w->ConnectPort(missing); });
    QTRY_COMPARE(h.log->connects, (QList<int>{1, 0, 0}));
    QCOMPARE(h.log->linkErrors.size(), 1);
    QVERIFY(h.log->linkErrors.first().contains(missing));
    QVERIFY(!h.worker->portOpen);
    QVERIFY(h.read<QString>([](Mav2Uart_Worker *w) { return w->currentPortName(); }).isEmpty());

    // The reason comes before the answer, so a message box can show it.
    const int errorAt = int(h.log->sequence.indexOf("error"));
    QVERIFY(errorAt >= 0);
    QCOMPARE(h.log->sequence.value(errorAt + 1), QStringLiteral("connect:0"));
}

void TestLinkWorker::portFilterAndSecondAdapter()
{
    SimulatedFlightController first(smallTable()), second(smallTable());
    QVERIFY(first.start());
    QVERIFY(second.start());
    auto mutex = std::make_shared<std::mutex>();
    auto ports = std::make_shared<QList<PortCandidate>>();
    auto setPorts = [=](const QList<PortCandidate> &list) {
        std::lock_guard<std::mutex> lock(*mutex);
        *ports = list;
    };
    setPorts({{first.portPath(), 0x05C0, 0x007A},
              {"/dev/ttyOTHER0", 0x05C0, 0x0001},     // same vendor, another product
              {"/dev/ttyOTHER1", 0x1234, 0x007A},
              {"/dev/ttyS0", 0, 0}});
    WorkerHarness h([=] {
        std::lock_guard<std::mutex> lock(*mutex);
        return *ports;
    });
    auto last = [&] {
        h.call([](Mav2Uart_Worker *) {});
        QCoreApplication::processEvents();
        return h.log->portLists.last();
    };

    h.tick();
    QCOMPARE(last().replaced, 1);
    QCOMPARE(last().ports, QStringList{first.portPath()});
    h.tick();
    QCOMPARE(last().replaced, 0);
    QCOMPARE(last().ports, QStringList{first.portPath()});

    // A second adapter while a port is open changes nothing.
    QVERIFY(h.connectPort(first.portPath()));
    setPorts({{first.portPath(), 0x05C0, 0x007A}, {second.portPath(), 0x05C0, 0x007A}});
    h.tick(3);
    QCOMPARE(last().replaced, 0);
    QCOMPARE(last().ports, QStringList{first.portPath()});

    // ... until the port is closed: listed on the next tick, once replaced.
    h.post([](Mav2Uart_Worker *w) { w->ConnectPort(QString()); });
    h.tick();
    QCOMPARE(last().replaced, 1);
    QCOMPARE(last().ports, (QStringList{first.portPath(), second.portPath()}));
    h.tick();
    QCOMPARE(last().replaced, 0);

    // Unplugged while closed: the list empties.
    setPorts({});
    h.tick();
    QCOMPARE(last().replaced, 1);
    QVERIFY(last().ports.isEmpty());
}

void TestLinkWorker::silenceClosesPortAfter100Ticks()
{
    Rig rig;
    rig.sim.setHeartbeatEnabled(false);
    rig.sim.setSilent(true);
    QVERIFY(rig.start());
    WorkerHarness &h = *rig.h;
    QVERIFY(h.connectPort(rig.sim.portPath()));

    // Before the window reports a page, and on pages 10 and up, a silent link stays.
    h.tick(150);
    h.tick(150, 10);
    rig.settle();
    QVERIFY(h.worker->portOpen);
    QCOMPARE(h.log->disconnects, 0);

    h.tick(99, 0);
    rig.settle();
    QVERIFY(h.worker->portOpen);
    QCOMPARE(h.log->disconnects, 0);
    QCOMPARE(h.log->portListsWithSilenceFlag(), 0);

    h.tick(1, 0);
    rig.settle();
    QVERIFY(!h.worker->portOpen);
    QVERIFY(!h.worker->readParamDone);
    QCOMPARE(h.log->disconnects, 1);
    QCOMPARE(h.log->portListsWithSilenceFlag(), 1);
    QCOMPARE(h.log->portLists.last().silenceClosed, 1);
    QCOMPARE(h.log->sequence.mid(h.log->sequence.size() - 2), (QStringList{"disconnect", "closed"}));
    QCOMPARE(h.log->connects, QList<int>{1});

    h.tick(1, 0);
    rig.settle();
    QCOMPARE(h.log->portLists.last().silenceClosed, 0);
}

void TestLinkWorker::heartbeatResetsSilence()
{
    Rig rig;
    rig.sim.setHeartbeatEnabled(false);
    rig.sim.setSilent(true);
    QVERIFY(rig.start());
    WorkerHarness &h = *rig.h;
    QVERIFY(h.connectPort(rig.sim.portPath()));

    h.tick(90, 0);
    mavlink_heartbeat_t hb {};
    hb.type = 4;
    hb.autopilot = 3;
    hb.mavlink_version = 3;
    rig.sim.sendRaw(frameOf(hb));
    QTRY_COMPARE(h.read<int>([](Mav2Uart_Worker *w) { return w->silentTickCount(); }), 0);
    QVERIFY(h.read<bool>([](Mav2Uart_Worker *w) { return w->hasSeenMessage(); }));

    h.tick(99, 0);
    rig.settle();
    QVERIFY(h.worker->portOpen);
    h.tick(1, 0);
    rig.settle();
    QVERIFY(!h.worker->portOpen);
    // A heartbeat emits nothing besides the first-frame notice.
    QCOMPARE(h.log->alive, 1);
    QCOMPARE(h.log->attitudes, 0);
    QVERIFY(h.log->sysStatus.isEmpty());
    QVERIFY(h.log->loaded.isEmpty());
}

void TestLinkWorker::quittingWhileWaitingForFirstFrame()
{
    Rig rig;
    rig.sim.setHeartbeatEnabled(false);
    rig.sim.setSilent(true);
    QVERIFY(rig.start());
    WorkerHarness &h = *rig.h;
    QVERIFY(h.connectPort(rig.sim.portPath()));
    h.post([](Mav2Uart_Worker *w) { w->startParamRead(); });
    // Waiting: it keeps asking for the raw-sensor stream.
    QTRY_VERIFY(rig.sim.streamRequests().size() >= 3);
    QVERIFY(h.read<bool>([](Mav2Uart_Worker *w) { return w->isWaitingForFirstFrame(); }));

    h.thread.quit();
    QVERIFY(h.thread.wait(3000));
    QCOMPARE(rig.sim.listRequestCount(), 0);
    // The port closes with the thread.
    QVERIFY(!h.worker->portOpen);
}

void TestLinkWorker::waitEndsWhenPortReplacedOrSilent()
{
    Rig quiet;
    quiet.sim.setHeartbeatEnabled(false);
    quiet.sim.setSilent(true);
    QVERIFY(quiet.start());
    SimulatedFlightController other(smallTable());
    other.setBaudRate(0);
    QVERIFY(other.start());
    WorkerHarness &h = *quiet.h;

    // Another port chosen while waiting: the old wait gives up without a list request.
    QVERIFY(h.connectPort(quiet.sim.portPath()));
    h.post([](Mav2Uart_Worker *w) { w->startParamRead(); });
    QTRY_VERIFY(h.read<bool>([](Mav2Uart_Worker *w) { return w->isWaitingForFirstFrame(); }));
    QVERIFY(h.connectPort(other.portPath()));
    QTRY_VERIFY(!h.read<bool>([](Mav2Uart_Worker *w) { return w->isWaitingForFirstFrame(); }));
    QTest::qWait(100);
    QCOMPARE(quiet.sim.listRequestCount(), 0);
    QCOMPARE(other.listRequestCount(), 0);
    // The new port's own download works.
    h.startTicking(0);
    QVERIFY(h.download());
    QCOMPARE(other.listRequestCount(), 1);

    // The silence limit closes the port while waiting: the wait ends too.
    QVERIFY(h.connectPort(quiet.sim.portPath()));
    h.post([](Mav2Uart_Worker *w) { w->startParamRead(); });
    QTRY_VERIFY(h.read<bool>([](Mav2Uart_Worker *w) { return w->isWaitingForFirstFrame(); }));
    QTRY_COMPARE_WITH_TIMEOUT(h.log->disconnects, 1, 5000);
    QTRY_VERIFY(!h.read<bool>([](Mav2Uart_Worker *w) { return w->isWaitingForFirstFrame(); }));
    QCOMPARE(quiet.sim.listRequestCount(), 0);
}

void TestLinkWorker::secondDownloadRequestWhileWaitingTakesOver()
{
    Rig rig;
    rig.sim.setSilent(true);
    QVERIFY(rig.start());
    WorkerHarness &h = *rig.h;
    QVERIFY(h.connectPort(rig.sim.portPath()));

    // The window asks again while the first request still waits for the
    // link: the second runs nested inside the first's wait.
    h.post([](Mav2Uart_Worker *w) { w->startParamRead(); });
    QTRY_VERIFY(h.read<bool>([](Mav2Uart_Worker *w) { return w->isWaitingForFirstFrame(); }));
    h.post([](Mav2Uart_Worker *w) { w->startParamRead(); });
    rig.settle();   // runs inside the second wait, so that one has begun

    rig.sim.setSilent(false);
    h.startTicking(0);
    QTRY_COMPARE_WITH_TIMEOUT(h.log->finished, 1, 20000);
    QTRY_VERIFY(!h.read<bool>([](Mav2Uart_Worker *w) { return w->isWaitingForFirstFrame(); }));
    QTest::qWait(400);
    // One list request, one download.
    QCOMPARE(rig.sim.listRequestCount(), 1);
    QCOMPARE(h.log->finished, 1);
    QCOMPARE(h.log->loadedCounts.last(), 30);
    QCOMPARE(rig.sim.paramValuesSent(), 30);
}

void TestLinkWorker::deviceGoneWhileOpen()
{
    auto rig = rigInUpdateMode();
    QVERIFY(rig);
    WorkerHarness &h = *rig->h;
    rig->sim.setIgnoredParamSets(100);
    h.post([](Mav2Uart_Worker *w) { w->sendWriteParametersCommand("H_COL_MAX", 1700.0f); });
    QTRY_COMPARE(rig->sim.paramSets().size(), 1);

    // The cable is pulled: the device goes away under the open port and
    // every read fails from then on. No tick runs meanwhile, so it is not the
    // silence limit that ends the link.
    h.stopTicking();
    rig->settle();
    rig->sim.stop();
    QTRY_COMPARE_WITH_TIMEOUT(h.log->disconnects, 1, 10000);
    QVERIFY(!h.worker->portOpen);
    QVERIFY(h.read<QString>([](Mav2Uart_Worker *w) { return w->currentPortName(); }).isEmpty());
    QVERIFY(contains(h.log->writeFailures, "H_COL_MAX", 1700.0f));
    QCOMPARE(h.log->portListsWithSilenceFlag(), 0);

    // The next port-search tick carries the flag, as after a silence; the
    // one after it does not.
    h.tick(1, 0);
    rig->settle();
    QCOMPARE(h.log->portLists.last().silenceClosed, 1);
    h.tick(1, 0);
    rig->settle();
    QCOMPARE(h.log->portLists.last().silenceClosed, 0);
    QCOMPARE(h.log->disconnects, 1);
    QCOMPARE(h.log->connects, QList<int>{1});
}

// ---- telemetry ---------------------------------------------------------------------

void TestLinkWorker::telemetryDispatch()
{
    Rig rig;
    QVERIFY(rig.start());
    WorkerHarness &h = *rig.h;
    QVERIFY(h.connectPort(rig.sim.portPath()));

    h.post([](Mav2Uart_Worker *w) {
        w->sendDataStreamCommand(2, true);
        w->sendDataStreamCommand(3, true);
        w->sendDataStreamCommand(10, true);
    });
    QTRY_VERIFY(!h.log->sysStatus.isEmpty() && !h.log->gps.isEmpty() && !h.log->gps2.isEmpty()
                && !h.log->rcChannels.isEmpty() && h.log->attitudes > 0);
    QVERIFY(qAbs(h.log->sysStatus.first().first - 16420) <= 20);
    QCOMPARE(h.log->sysStatus.first().second, 1);
    QCOMPARE(h.log->gps.first(), (QList<int>{14, 85, 120}));
    QCOMPARE(h.log->gps2.first(), (QPair<int, int>(12, 95)));
    QCOMPARE(int(h.log->rcChannels.first().chancount), 16);
    QCOMPARE(int(h.log->rcChannels.first().chan1_raw), 1500);
    h.post([](Mav2Uart_Worker *w) {
        w->sendDataStreamCommand(2, false);
        w->sendDataStreamCommand(3, false);
        w->sendDataStreamCommand(10, false);
    });
    QTest::qWait(300);   // let the stopped streams drain
    rig.settle();

    // Receiver-health bit 16 of the sensor health.
    h.log->sysStatus.clear();
    mavlink_sys_status_t s {};
    s.voltage_battery = 15800;
    s.onboard_control_sensors_health = 0x00010000;
    rig.sim.sendRaw(frameOf(s));
    s.onboard_control_sensors_health = 0x0000FFFF;
    rig.sim.sendRaw(frameOf(s));
    QTRY_COMPARE(h.log->sysStatus.size(), 2);
    QCOMPARE(h.log->sysStatus[0], (QPair<int, int>(15800, 1)));
    QCOMPARE(h.log->sysStatus[1], (QPair<int, int>(15800, 0)));

    // A text of 50 characters without a terminator, and a short one.
    const QString fifty = QStringLiteral("PreArm: Compass not calibrated, please calibrate!!");
    QCOMPARE(fifty.size(), 50);
    rig.sim.sendStatusText(4, fifty + QStringLiteral(" (cut)"));
    rig.sim.sendStatusText(6, QStringLiteral("EKF3 IMU0 is using GPS"));
    QTRY_COMPARE(h.log->statusTexts.size(), 2);
    QCOMPARE(h.log->statusTexts[0], (QPair<QString, int>(fifty, 4)));
    QCOMPARE(h.log->statusTexts[1], (QPair<QString, int>("EKF3 IMU0 is using GPS", 6)));

    // Standard MAVLink 2 frames (0xFD) are not this link's: nothing arrives.
    QByteArray standard = frameOf(s);
    standard[0] = char(0xFD);
    rig.sim.sendRaw(standard);
    rig.sim.sendStatusText(6, QStringLiteral("after"));
    QTRY_COMPARE(h.log->statusTexts.size(), 3);
    QCOMPARE(h.log->sysStatus.size(), 2);
}

void TestLinkWorker::compassCalibrationProgress()
{
    Rig rig;
    rig.sim.setMagCalDurationMs(600);
    QVERIFY(rig.start());
    WorkerHarness &h = *rig.h;
    QVERIFY(h.connectPort(rig.sim.portPath()));

    mavlink_mag_cal_progress_t p {};
    p.compass_id = 1;
    p.completion_pct = 42;
    p.direction_x = 0.5f;
    p.completion_mask[9] = 0x80;

    // Not calibrating: progress frames are ignored.
    rig.sim.sendRaw(frameOf(p));
    rig.sim.sendStatusText(6, QStringLiteral("barrier"));
    QTRY_COMPARE(h.log->statusTexts.size(), 1);
    QVERIFY(h.log->calibration.isEmpty());

    h.post([](Mav2Uart_Worker *w) { w->SetMagcalibrationrun(1); });
    // Anywhere in the stream: behind other bytes, and trimmed by its sender
    // (its last byte is then a checksum byte, not the percentage).
    rig.sim.sendRaw(QByteArray("\x01\x02noise", 7) + frameOf(p));
    mavlink_mag_cal_progress_t trimmed {};
    trimmed.completion_pct = 17;
    const QByteArray shortFrame = frameOf(trimmed);
    QCOMPARE(int(uint8_t(shortFrame[1])), 17);   // payload cut after completion_pct
    rig.sim.sendRaw(shortFrame);
    QTRY_COMPARE(h.log->calibration, (QList<int>{43, 18}));
    QCOMPARE(h.log->magProgress, (QList<QPair<int, int>>{{1, 43}, {0, 18}}));

    // A damaged one is dropped and logged.
    QByteArray damaged = frameOf(p);
    damaged[12] = char(damaged[12] ^ 0x10);
    QTest::ignoreMessage(QtWarningMsg, "MAG_CAL_PROGRESS frame dropped: checksum mismatch");
    rig.sim.sendRaw(damaged);
    rig.sim.sendStatusText(6, QStringLiteral("barrier"));
    QTRY_COMPARE(h.log->statusTexts.size(), 2);
    QCOMPARE(h.log->calibration.size(), 2);

    // The flight controller's own calibration: rising progress, then the report.
    h.log->calibration.clear();
    h.log->magProgress.clear();
    h.post([](Mav2Uart_Worker *w) { w->sendCompassCalibrationCommand(42424, 0); });
    QTRY_COMPARE(h.log->magReports.size(), 1);
    QCOMPARE(h.log->magReports.first(), (QPair<int, int>(0, 4)));
    QVERIFY(h.log->calibration.size() >= 3);
    QVERIFY(std::is_sorted(h.log->calibration.cbegin(), h.log->calibration.cend()));
    QVERIFY(h.log->calibration.first() >= 1 && h.log->calibration.last() <= 101);
    QCOMPARE(rig.sim.commands(), QList<int>{42424});
    QCOMPARE(h.log->magProgress.size(), h.log->calibration.size());

    // Two compasses at once: their progress interleaves, each with its id;
    // the one that needs longer reports last.
    h.log->calibration.clear();
    h.log->magProgress.clear();
    h.log->magReports.clear();
    SimulatedFlightController::MagCalCompass first, second;
    first.compassId = 0;
    first.durationMs = 600;
    second.compassId = 1;
    second.durationMs = 1000;
    rig.sim.setMagCalCompasses({first, second});
    h.post([](Mav2Uart_Worker *w) { w->sendCompassCalibrationCommand(42424, 0); });
    QTRY_COMPARE(h.log->magReports.size(), 2);
    QCOMPARE(h.log->magReports, (QList<QPair<int, int>>{{0, 4}, {1, 4}}));
    rig.settle();
    const QList<QPair<int, int>> progress = h.log->magProgress;
    QCOMPARE(progress.size(), h.log->calibration.size());
    QList<int> pct[2];
    for (int i = 0; i < progress.size(); ++i) {
        QCOMPARE(progress[i].second, h.log->calibration[i]);   // emitted side by side
        QVERIFY(progress[i].first == 0 || progress[i].first == 1);
        pct[progress[i].first] << progress[i].second;
    }
    QVERIFY(!pct[0].isEmpty() && pct[1].size() >= pct[0].size());
    QVERIFY(std::is_sorted(pct[0].cbegin(), pct[0].cend()));
    QVERIFY(std::is_sorted(pct[1].cbegin(), pct[1].cend()));
    // While both run they take turns, compass 0 first.
    for (int i = 0; i < 2 * pct[0].size(); ++i)
        QCOMPARE(progress[i].first, i % 2);
}

void TestLinkWorker::rebootKeepsParameters()
{
    Rig rig;
    rig.sim.setRebootSilenceMs(2600);
    QVERIFY(rig.start());
    WorkerHarness &h = *rig.h;
    h.startTicking(0);
    QVERIFY(h.connectPort(rig.sim.portPath()));
    QVERIFY(h.download());
    h.post([](Mav2Uart_Worker *w) { w->SetReadParamDone(); });
    QTRY_VERIFY(h.read<bool>([](Mav2Uart_Worker *w) { return w->isStreamsRequested(); }));
    h.post([](Mav2Uart_Worker *w) { w->sendWriteParametersCommand("H_COL_MAX", 1820.0f); });
    QTRY_VERIFY(contains(h.log->updates, "H_COL_MAX", 1820.0f));

    h.post([](Mav2Uart_Worker *w) { w->sendRebootCommand(); });
    QTRY_COMPARE_WITH_TIMEOUT(h.log->disconnects, 1, 5000);
    QCOMPARE(rig.sim.commands(), QList<int>{246});
    QVERIFY(!h.worker->portOpen);

    // Back after its silence, with the written value kept.
    QVERIFY(h.connectPort(rig.sim.portPath()));
    h.log->loaded.clear();
    QVERIFY(h.download());
    QCOMPARE(h.log->loadedValues().value("H_COL_MAX"), 1820.0);
}

QTEST_GUILESS_MAIN(TestLinkWorker)
#include "tst_linkworker.moc"
