// The in-process line (BytePipe + InProcessPort + InProcessPorts), through
// which the simulated flight controller reaches the link worker where there
// are no pseudo-terminals: tested here on every system.
#include "link/BytePipe.h"
#include "link/InProcessPort.h"
#include "link/InProcessPorts.h"
#include "link/Mav2Uart_Worker.h"
#include "sim/SimulatedFlightController.h"
#include "sim/SimulatorPortSource.h"
#include "WorkerHarness.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <thread>

namespace {

QList<SimParameter> table()
{
    QList<SimParameter> t{{QStringLiteral("ATC_RAT_RLL_P"), 0.05f, SimParameter::Real32},
                          {QStringLiteral("SERVO1_REVERSED"), 0.0f, SimParameter::Int8}};
    for (int i = 0; i < 40; ++i)
        t.append(SimParameter{QStringLiteral("FILL_%1").arg(i), float(i), SimParameter::Int16});
    return t;
}

} // namespace

class TestInProcessLine : public QObject
{
    Q_OBJECT

private slots:
    void lineCarriesBytesBothWaysAndEnds()
    {
        auto pipe = std::make_shared<BytePipe>();
        const QString name = InProcessPorts::add(pipe, QStringLiteral("TESTLINE"));
        QVERIFY(name.startsWith(QStringLiteral("TESTLINE")));
        QCOMPARE(InProcessPorts::find(name), pipe);
        QVERIFY(!InProcessPorts::find(QStringLiteral("COM3")));

        // Nobody listening: the device's bytes are lost, as on a UART.
        QCOMPARE(pipe->writeToPort("lost", 4), qint64(4));
        QVERIFY(!pipe->isPortOpen());

        InProcessPort port(InProcessPorts::find(name));
        QVERIFY(port.open(QIODevice::ReadWrite));
        QVERIFY(pipe->isPortOpen());
        InProcessPort second(pipe);
        QVERIFY(!second.open(QIODevice::ReadWrite));
        QVERIFY2(second.errorString().contains(QStringLiteral("in use")), qPrintable(second.errorString()));

        // Device to port, from another thread; the port hears of it by readyRead.
        QSignalSpy ready(&port, &QIODevice::readyRead);
        std::thread device([&] { pipe->writeToPort("\xFB\x01hello", 7); });
        device.join();
        QVERIFY(ready.wait(5000));
        QCOMPARE(port.bytesAvailable(), qint64(7));
        QCOMPARE(port.readAll(), QByteArray("\xFB\x01hello", 7));
        QVERIFY(port.readAll().isEmpty());

        // Port to device: the device's blocking read gets it, or times out empty.
        QCOMPARE(port.write("ping"), qint64(4));
        char buf[16];
        QCOMPARE(pipe->readFromPort(buf, sizeof buf, 1000), qint64(4));
        QCOMPARE(QByteArray(buf, 4), QByteArray("ping"));
        QElapsedTimer waited;
        waited.start();
        QCOMPARE(pipe->readFromPort(buf, sizeof buf, 50), qint64(0));
        QVERIFY(waited.elapsed() >= 40);

        // A full line takes what fits and no more, like a terminal's buffer.
        const QByteArray big(BytePipe::kCapacity + 100, 'x');
        QCOMPARE(pipe->writeToPort(big.constData(), big.size()), qint64(BytePipe::kCapacity));
        QCOMPARE(pipe->writeToPort("y", 1), qint64(0));
        QVERIFY(port.waitForReadyRead(0));
        QCOMPARE(port.readAll().size(), BytePipe::kCapacity);

        // Closed and opened again by the same side: a fresh line.
        port.close();
        QVERIFY(!pipe->isPortOpen());
        QVERIFY(second.open(QIODevice::ReadWrite));
        QCOMPARE(second.bytesAvailable(), qint64(0));

        // The device goes away: the port's read channel ends, writes fail,
        // nobody can open it again; a waiting device read returns at once.
        QSignalSpy finished(&second, &QIODevice::readChannelFinished);
        std::thread gone([&] { pipe->closeDevice(); });
        gone.join();
        QVERIFY(finished.wait(5000));
        QVERIFY(second.isDeviceGone());
        QCOMPARE(second.write("x"), qint64(-1));
        QCOMPARE(pipe->readFromPort(buf, sizeof buf, 5000), qint64(-1));
        second.close();
        QVERIFY(!port.open(QIODevice::ReadWrite));
        QVERIFY2(port.errorString().contains(QStringLiteral("gone")), qPrintable(port.errorString()));

        InProcessPorts::remove(name);
        QVERIFY(!InProcessPorts::find(name));
    }

    // The worker finds the simulator's line in its port list, opens it like a
    // serial port, downloads, writes, and takes the simulator's end for a
    // device gone away: the same behaviour as over a pseudo-terminal.
    void workerRunsTheLinkOverTheLine()
    {
        SimulatedFlightController::Options options;
        options.table = table();
        options.baud = 0;
        options.inProcessLine = true;
        SimulatedFlightController sim(options);
        QVERIFY(sim.usesInProcessLine());
        QVERIFY(sim.start());
        auto stopSim = qScopeGuard([&] { sim.stop(); });
        const QString name = sim.portPath();
        QVERIFY2(name.startsWith(QStringLiteral("SIM")), qPrintable(name));
        QVERIFY(InProcessPorts::find(name));

        Harness h(SimulatorPortSource::only(name));
        // The worker searches on its own and lists the line like a serial port.
        QTRY_VERIFY_WITH_TIMEOUT(!h.log->portLists.isEmpty(), 5000);
        QCOMPARE(h.log->portLists.last().ports, QStringList{name});
        QVERIFY(h.connectPort(name));
        QVERIFY(h.download());
        QCOMPARE(int(h.log->loaded.size()), sim.parameterCount());
        h.post([](Mav2Uart_Worker *w) { w->SetReadParamDone(); });
        h.write(QStringLiteral("ATC_RAT_RLL_P"), 0.07f);
        float stored = 0;
        QTRY_VERIFY_WITH_TIMEOUT(sim.parameterValue(QStringLiteral("ATC_RAT_RLL_P"), &stored) && stored == 0.07f, 5000);

        // The simulator stops: the line ends, and the worker closes the link
        // well before the 2 s silence limit would.
        QElapsedTimer sinceStop;
        sinceStop.start();
        sim.stop();
        QVERIFY(!InProcessPorts::find(name));
        QTRY_COMPARE_WITH_TIMEOUT(h.log->disconnects, 1, 5000);
        QVERIFY2(sinceStop.elapsed() < 1500, qPrintable(QString::number(sinceStop.elapsed())));
        QVERIFY(!h.worker->portOpen);
    }
};

QTEST_GUILESS_MAIN(TestInProcessLine)
#include "tst_inprocessline.moc"
