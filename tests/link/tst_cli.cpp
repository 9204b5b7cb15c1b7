// tavro-cli as a user runs it: its own process against the simulated flight
// controller, or running the simulator itself.
#include "sim/SimulatedFlightController.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run runCli(const QStringList &arguments, int timeoutMs = 60000)
{
    QProcess p;
    p.start(QStringLiteral(TAVRO_CLI), arguments);
    Run r;
    if (!p.waitForStarted(10000) || !p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("did not finish: ") + arguments.join(QLatin1Char(' '));
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &text)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    f.write(text);
    return path;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void loadConfirmsTheValueWrittenLast();
    void simulatorProcessAndSet();
};

void TestCli::loadConfirmsTheValueWrittenLast()
{
    SimulatedFlightController::Options setup = SimulatedFlightController::Options::demo();
    setup.baud = 0;
    SimulatedFlightController sim(setup);
    QVERIFY(sim.start());
    QTemporaryDir dir;

    // A file may name a parameter twice; the value that counts is the last.
    // Both written back to back, the first echo comes while the second waits.
    const QString good = writeFile(dir, "good.param",
                                   "ATC_RAT_YAW_P,0.19\nATC_RAT_YAW_P,0.292\nFLTMODE1,6\nH_COL_MAX,1800\n");
    Run r = runCli({"--port", sim.portPath(), "load", good});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QVERIFY2(r.err.contains("3 written and confirmed"), qPrintable(r.err));
    float held = 0.0f;
    QVERIFY(sim.parameterValue("ATC_RAT_YAW_P", &held));
    QCOMPARE(held, 0.292f);
    QVERIFY(sim.parameterValue("FLTMODE1", &held));
    QCOMPARE(held, 6.0f);

    // The earlier value is taken, the last one is clamped (an 8-bit
    // parameter): the echo of the earlier value confirms nothing.
    const QString clamped = writeFile(dir, "clamped.param", "SERVO1_REVERSED,1\nSERVO1_REVERSED,300\n");
    r = runCli({"--port", sim.portPath(), "load", clamped});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains("not confirmed: SERVO1_REVERSED=300"), qPrintable(r.err));

    sim.stop();
}

void TestCli::simulatorProcessAndSet()
{
    Run bad = runCli({"sim", "--compasses", "4"});
    QCOMPARE(bad.exitCode, 1);
    QVERIFY(bad.err.contains("bad value for --compasses"));

    QProcess simProcess;
    simProcess.start(QStringLiteral(TAVRO_CLI), {"sim", "--demo", "--baud", "0"});
    QVERIFY(simProcess.waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(simProcess.canReadLine(), 10000);
    const QString path = QString::fromLocal8Bit(simProcess.readLine()).trimmed();
    QVERIFY2(path.startsWith("/dev/"), qPrintable(path));

    // The demo set-up sends encoded names: FLTMODE1 is there by its name.
    const Run set = runCli({"--port", path, "set", "FLTMODE1", "4"});
    QVERIFY2(set.exitCode == 0, qPrintable(set.err));
    QCOMPARE(set.out.trimmed(), QStringLiteral("FLTMODE1,4"));

    ::kill(pid_t(simProcess.processId()), SIGINT);
    QVERIFY(simProcess.waitForFinished(10000));
    QCOMPARE(simProcess.exitCode(), 0);
    QVERIFY(QString::fromLocal8Bit(simProcess.readAllStandardError()).contains("encoded"));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
