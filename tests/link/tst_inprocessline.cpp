// The in-process line (BytePipe + InProcessPort + InProcessPorts): the seam
// through which the simulated flight controller reaches the link worker where
// there are no pseudo-terminals. On Linux the other link tests run over
// pseudo-terminals; these run the same worker over the in-process line, so
// both paths stay tested on every system.
#include "link/BytePipe.h"
#include "link/InProcessPort.h"
#include "link/InProcessPorts.h"
#include "link/Mav2Uart_Worker.h"
#include "sim/SimulatedFlightController.h"
#include "sim/SimulatorPortSource.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <thread>

namespace {

QList<SimParameter> table()
{
    QList<SimParameter> t;
    t.append(SimParameter{QStringLiteral("ATC_RAT_RLL_P"), 0.05f, SimParameter::Real32});
    t.append(SimParameter{QStringLiteral("SERVO1_REVERSED"), 0.0f, SimParameter::Int8});
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

        Mav2Uart_Worker::registerMetaTypes();
        auto *worker = new Mav2Uart_Worker(SimulatorPortSource::only(name));
        QThread thread;
        worker->moveToThread(&thread);
        QStringList ports;
        QList<int> connects;
        int finished = 0, loaded = 0, lost = 0;
        connect(worker, &Mav2Uart_Worker::PortList, this, [&](int, const QStringList &list, int) { ports = list; });
        connect(worker, &Mav2Uart_Worker::ConnectSingal, this, [&](int flag) { connects << flag; });
        connect(worker, &Mav2Uart_Worker::param_value_loading_value, this, [&](const Parameter &, int, uint16_t) { ++loaded; });
        connect(worker, &Mav2Uart_Worker::param_value_finish_value, this, [&] { ++finished; });
        connect(worker, &Mav2Uart_Worker::disconnect_UI_disable, this, [&] { ++lost; });
        QTimer tick;
        connect(&tick, &QTimer::timeout, worker, &Mav2Uart_Worker::SearchPort);
        thread.start();
        tick.start(20);
        auto stopWorker = qScopeGuard([&] {
            tick.stop();
            QMetaObject::invokeMethod(worker, &Mav2Uart_Worker::closePort, Qt::BlockingQueuedConnection);
            thread.quit();
            thread.wait();
            delete worker;
        });
        auto post = [worker](const std::function<void(Mav2Uart_Worker *)> &f) {
            QMetaObject::invokeMethod(worker, [worker, f] { f(worker); }, Qt::QueuedConnection);
        };

        QTRY_COMPARE_WITH_TIMEOUT(ports, QStringList{name}, 5000);
        post([name](Mav2Uart_Worker *w) { w->ConnectPort(name); });
        QTRY_COMPARE_WITH_TIMEOUT(connects, QList<int>{1}, 5000);
        post([](Mav2Uart_Worker *w) { w->startParamRead(); });
        QTRY_COMPARE_WITH_TIMEOUT(finished, 1, 20000);
        QCOMPARE(loaded, sim.parameterCount());
        post([](Mav2Uart_Worker *w) { w->SetReadParamDone(); });
        post([](Mav2Uart_Worker *w) { w->sendWriteParametersCommand(QStringLiteral("ATC_RAT_RLL_P"), 0.07f); });
        float stored = 0;
        QTRY_VERIFY_WITH_TIMEOUT(sim.parameterValue(QStringLiteral("ATC_RAT_RLL_P"), &stored) && stored == 0.07f, 5000);

        // The simulator stops: the line ends, and the worker closes the link
        // well before the 2 s silence limit would.
        QElapsedTimer sinceStop;
        sinceStop.start();
        sim.stop();
        QVERIFY(!InProcessPorts::find(name));
        QTRY_COMPARE_WITH_TIMEOUT(lost, 1, 5000);
        QVERIFY2(sinceStop.elapsed() < 1500, qPrintable(QString::number(sinceStop.elapsed())));
        QVERIFY(!worker->portOpen);
    }
};

QTEST_GUILESS_MAIN(TestInProcessLine)
#include "tst_inprocessline.moc"
