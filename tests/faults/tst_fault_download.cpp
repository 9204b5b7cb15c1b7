// Downloads through a damaged line: one frame in a hundred has a bit flipped
// and one parameter message in twenty is lost. Ten downloads in a row, each
// against its own simulator with its own fixed seed, must each end with
// every value right; the first takes the full default table, the others a
// few hundred parameters of it, all at the real baud rate.

#include "tests/faults/FaultRig.h"

#include "link/Mav2Uart_Worker.h"
#include "params/ParameterStore.h"
#include "sim/HeliParameterTable.h"
#include "widgets/ProgressRing.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QtTest>

class FaultDownloadTest : public QObject
{
    Q_OBJECT

private slots:
    void damagedLineDownloadsEveryValue_data();
    void damagedLineDownloadsEveryValue();
};

void FaultDownloadTest::damagedLineDownloadsEveryValue_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<quint32>("seed");
    QTest::newRow("run 1, full table") << HeliParameterTable::kCount << 101u;
    for (int run = 2; run <= 10; ++run)
        QTest::newRow(qPrintable(QStringLiteral("run %1, 300 parameters").arg(run))) << 300 << quint32(100 + run);
}

void FaultDownloadTest::damagedLineDownloadsEveryValue()
{
    QFETCH(int, count);
    QFETCH(quint32, seed);

    SimulatedFlightController::Options options;
    options.encodedParams = true;   // as the real flight controller sends them
    options.table = HeliParameterTable::build().mid(0, count);
    FaultRig rig(options);
    rig.sim().setSeed(seed);
    rig.sim().setCorruptProbability(0.01);
    rig.sim().setDropProbability(0.05);
    QVERIFY(rig.startSim());
    BoxAnswerer boxes;
    MainWindow &w = rig.window();

    QElapsedTimer t;
    t.start();
    QVERIFY(rig.connectWindow());
    QVERIFY2(rig.waitForDownload(60000), qPrintable(rig.connectButton()->text()));
    const qint64 ms = t.elapsed();
    qInfo("%d parameters in %lld ms, %d parameter messages sent", count, ms, rig.sim().paramValuesSent());

    // Losses happened and were made good by single reads.
    QVERIFY(rig.sim().paramValuesSent() > count);
    QVERIFY(!rig.sim().readRequests().isEmpty());
    const QStringList diffs = rig.storeDifferences();
    QVERIFY2(diffs.isEmpty(), qPrintable(diffs.join(QStringLiteral("; "))));
    QCOMPARE(rig.connectButton()->text(), QStringLiteral("成 功"));
    QCOMPARE(rig.ring()->value(), 100.0);
    // Nothing reported missing, no box.
    QVERIFY2(rig.stripLines().isEmpty(), qPrintable(rig.stripLines().join(QLatin1Char('|'))));
    QVERIFY(boxes.texts.isEmpty());
    QCOMPARE(w.parameterStore()->size(), count);
}

QTEST_MAIN(FaultDownloadTest)
#include "tst_fault_download.moc"
