// What the window's tick costs with nothing else going on: a 20 ms timer on
// the window thread queues the page index, the calibration flag and the port
// search to a worker thread, and the worker answers each tick with the port
// list, as the program's window and link worker do. No widget, no serial
// port, no telemetry: the figure is the floor of bench_window's idle figure
// on this machine.
//
//   bench_tick [--seconds N] [--interval MS]
//
// Prints "tick alone: X % of one core (N ticks, Y us per tick)".
#include "TickWorker.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

double processCpuSeconds()
{
    timespec ts {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

class TickSource : public QObject
{
    Q_OBJECT

signals:
    void page(int index);
    void calibration(int flag);
};

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int seconds = 10;
    int interval = 20;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--seconds"))
            seconds = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--interval"))
            interval = args[i + 1].toInt();
    }

    QThread thread;
    TickWorker worker;
    worker.moveToThread(&thread);
    TickSource source;
    QTimer timer;
    int ticks = 0;
    int answers = 0;
    QObject::connect(&timer, &QTimer::timeout, &source, [&] {
        ++ticks;
        emit source.page(0);
        emit source.calibration(0);
    });
    QObject::connect(&timer, &QTimer::timeout, &worker, &TickWorker::searchPort);
    QObject::connect(&source, &TickSource::page, &worker, &TickWorker::setPage);
    QObject::connect(&source, &TickSource::calibration, &worker, &TickWorker::setCalibration);
    QObject::connect(&worker, &TickWorker::portList, &app, [&](int, const QStringList &, int) { ++answers; });
    thread.start();
    timer.start(interval);

    // Settle for a second, then measure.
    QTimer::singleShot(1000, [&] {
        const double cpu0 = processCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        const int ticks0 = ticks;
        QTimer::singleShot(seconds * 1000, [&, cpu0, wall, ticks0] {
            const double cpu = processCpuSeconds() - cpu0;
            const double secs = double(wall.nsecsElapsed()) / 1e9;
            const int n = ticks - ticks0;
            std::printf("tick alone: %.2f %% of one core (%d ticks of %d ms in %.1f s, %.0f us per tick, %d answers)\n",
                        100.0 * cpu / secs, n, interval, secs, n > 0 ? 1e6 * cpu / n : 0.0, answers);
            app.quit();
        });
    });
    const int rc = app.exec();
    thread.quit();
    thread.wait();
    return rc;
}

#include "main.moc"
