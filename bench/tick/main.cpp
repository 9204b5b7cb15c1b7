// What the link worker costs on its own while no port is open: on its thread
// it asks its port source every kPortPollMs (and at once when /dev changes)
// and answers only when the list changed. No window, no serial port, no
// telemetry: the figure is the floor of bench_window's unconnected figure on
// this machine. The port source here is empty, so no answer is expected
// after the first.
//
//   bench_tick [--seconds N]
//
// Prints "port poll alone: X % of one core (N polls in S s, Y us per poll,
// A answers)" and the thread's wake-ups a second.
#include "link/Mav2Uart_Worker.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <ctime>

namespace {

double processCpuSeconds()
{
    timespec ts {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// Voluntary context switches of the whole process (every thread).
long long processWakeups()
{
    long long sum = 0;
    const QString base = QStringLiteral("/proc/self/task");
    for (const QString &tid : QDir(base).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile f(base + QLatin1Char('/') + tid + QStringLiteral("/status"));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : f.readAll().split('\n'))
            if (line.startsWith("voluntary_ctxt_switches:"))
                sum += line.mid(24).trimmed().toLongLong();
    }
    return sum;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int seconds = 10;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--seconds"))
            seconds = std::max(1, args[i + 1].toInt());
    }

    std::atomic<int> polls{0};
    Mav2Uart_Worker::registerMetaTypes();
    auto *worker = new Mav2Uart_Worker([&polls] {
        ++polls;
        return QList<PortCandidate>();
    });
    QThread thread;
    worker->moveToThread(&thread);
    int answers = 0;
    QObject::connect(worker, &Mav2Uart_Worker::PortList, &app, [&] { ++answers; });
    thread.start();

    // Settle for a second, then measure.
    QTimer::singleShot(1000, &app, [&] {
        const double cpu0 = processCpuSeconds();
        const long long wake0 = processWakeups();
        QElapsedTimer wall;
        wall.start();
        const int polls0 = polls.load();
        QTimer::singleShot(seconds * 1000, &app, [&, cpu0, wake0, wall, polls0] {
            const double cpu = processCpuSeconds() - cpu0;
            const double secs = double(wall.nsecsElapsed()) / 1e9;
            const int n = polls.load() - polls0;
            std::printf("port poll alone: %.3f %% of one core (%d polls in %.1f s, %.0f us per poll, %d answers)\n",
                        100.0 * cpu / secs, n, secs, n > 0 ? 1e6 * cpu / n : 0.0, answers);
            std::printf("  wake-ups: %.1f a second\n", double(processWakeups() - wake0) / secs);
            app.quit();
        });
    });
    const int rc = app.exec();
    thread.quit();
    thread.wait();
    delete worker;
    return rc;
}
