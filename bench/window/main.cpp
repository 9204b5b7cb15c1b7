// The TAVRO main window, offscreen, beside the simulated flight controller on
// a pseudo-terminal (as tavro-demo runs it): how long until the window is
// shown, how much CPU the program takes while it sits unconnected and while it
// sits connected to the full telemetry, how often it wakes up, and its peak
// memory.
//
//   bench_window [--seconds N] [--settle N] [--texts-hz F] [--pages N] [--no-sweep]
//                [--unconnected N] [--paint-stats] [--startup-only]
//
//   --seconds N      length of the idle-connected window (default 30)
//   --settle N       seconds between the end of the download and the measurement (default 2)
//   --texts-hz F     status texts a second from the flight controller (default 1; 0: none)
//   --pages N        afterwards, N seconds of switching pages once a second
//   --no-sweep       the sticks stay centred (the channel bars do not move)
//   --unconnected N  first N seconds with no flight controller listed, after
//                    start-up has settled (default and least 10; 0: skipped)
//   --paint-stats    lists the paint events and layout requests of the idle window
//                    by widget (costs a little)
//   --startup-only   stops once the window is shown
//
// The simulator runs in this process on threads of its own; their CPU time
// (read per thread from /proc/self/task) is taken out of the process's, so
// the figure is the program's: window thread plus link worker thread.
//
// Prints "start to first window: N ms", "unconnected idle cpu: X %",
// "idle cpu: X % of one core" and "peak rss: N MB", each with its target, and
// the wake-ups a second of the window and link worker threads (voluntary
// context switches); exits with 1 when the download fails or a figure misses
// its target (first window at most 300 ms, unconnected at most 0.3 %,
// idle-connected at most 1.0 %, peak RSS at most 60 MB).
#include "WindowProbe.h"

#include "app/AppStartup.h"
#include "app/MainWindow.h"
#include "link/Mav2Uart_Worker.h"
#include "sim/SimulatedFlightController.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QPaintEvent>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

namespace {

constexpr double kIdleTargetPercent = 1.0;
constexpr double kUnconnectedTargetPercent = 0.3;
constexpr double kRssTargetMb = 60.0;
constexpr double kStartTargetMs = 300.0;
// Start-up settles (first paints, fonts, the first port search) before the
// unconnected phase is measured.
constexpr int kStartupSettleMs = 2000;
constexpr int kLeastUnconnectedSeconds = 10;

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

pid_t currentTid()
{
    return pid_t(syscall(SYS_gettid));
}

std::set<pid_t> processThreads()
{
    std::set<pid_t> tids;
    const QStringList entries = QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &e : entries)
        tids.insert(pid_t(e.toInt()));
    return tids;
}

// CPU time of one thread of this process in seconds (0 once it has ended).
double threadCpuSeconds(pid_t tid)
{
    QFile f(QStringLiteral("/proc/self/task/%1/schedstat").arg(tid));
    if (!f.open(QIODevice::ReadOnly))
        return 0.0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.isEmpty() ? 0.0 : fields.first().toDouble() / 1e9;
}

// Voluntary context switches of one thread of this process: how often it
// went to sleep waiting for something, that is, its wake-ups.
long long threadWakeups(pid_t tid)
{
    QFile f(QStringLiteral("/proc/self/task/%1/status").arg(tid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("voluntary_ctxt_switches:"))
            return line.mid(24).trimmed().toLongLong();
    }
    return 0;
}

long long threadsWakeups(const std::set<pid_t> &tids)
{
    long long sum = 0;
    for (pid_t t : tids)
        sum += threadWakeups(t);
    return sum;
}

double threadsCpuSeconds(const std::set<pid_t> &tids)
{
    double sum = 0;
    for (pid_t t : tids)
        sum += threadCpuSeconds(t);
    return sum;
}

double processCpuSeconds()
{
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double peakRssMb()
{
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0; // kilobytes on Linux
}

bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Log lines of the program: counted, debug lines dropped (their formatting is
// still paid, as in the program), the program's warnings passed on.
std::atomic<int> debugLines{0};
std::atomic<int> warningLines{0};

void logHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtDebugMsg || type == QtInfoMsg) {
        ++debugLines;
        return;
    }
    // The program's own warnings are shown; Qt's notes about the offscreen
    // platform are not.
    const char *category = context.category ? context.category : "default";
    if (std::strncmp(category, "tavro.", 6) != 0)
        return;
    ++warningLines;
    std::fprintf(stderr, "%s: %s\n", category, qPrintable(message));
}

// What reached the window from the worker.
struct Counts
{
    std::atomic<int> sysStatus{0}, gps{0}, gps2{0}, attitude{0}, rc{0}, texts{0};
    void reset()
    {
        sysStatus = gps = gps2 = attitude = rc = texts = 0;
    }
};

// Status texts from the flight controller's side, on a thread of its own:
// pre-arm complaints the warning strip shows, and texts it does not.
class TextSender
{
public:
    TextSender(SimulatedFlightController &sim, double hz) : m_sim(sim), m_hz(hz) {}
    ~TextSender() { stop(); }

    void start()
    {
        if (m_hz <= 0)
            return;
        m_thread = std::thread([this] {
            m_tid = currentTid();
            static const char *const texts[] = {"PreArm: Radio failsafe on", "EKF3 IMU0 is using GPS",
                                                "PreArm: Check mag field", "GPS 1: detected as u-blox"};
            const auto period = std::chrono::duration<double>(1.0 / m_hz);
            auto next = Clock::now();
            int i = 0;
            std::unique_lock<std::mutex> lock(m_mutex);
            while (!m_stop) {
                m_sim.sendStatusText(i % 2 == 0 ? 4 : 6, QString::fromLatin1(texts[i % 4]));
                ++i;
                next += std::chrono::duration_cast<Clock::duration>(period);
                m_wake.wait_until(lock, next, [this] { return m_stop; });
            }
        });
    }
    void stop()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }
    pid_t tid() const { return m_tid; }

private:
    SimulatedFlightController &m_sim;
    double m_hz;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::atomic<pid_t> m_tid{0};
};

// Paint events by widget, for --paint-stats.
class PaintCounter : public QObject
{
public:
    struct Entry
    {
        int paints = 0;
        qint64 pixels = 0;
    };
    QMap<QString, Entry> entries;
    QMap<QString, int> layoutRequests;
    bool enabled = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (enabled && event->type() == QEvent::LayoutRequest && watched->isWidgetType())
            ++layoutRequests[QStringLiteral("%1 %2").arg(QString::fromLatin1(watched->metaObject()->className()),
                                                         watched->objectName())];
        if (enabled && event->type() == QEvent::Paint && watched->isWidgetType()) {
            const QRect r = static_cast<QPaintEvent *>(event)->rect();
            Entry &e = entries[QStringLiteral("%1 %2").arg(QString::fromLatin1(watched->metaObject()->className()),
                                                            watched->objectName())];
            ++e.paints;
            e.pixels += qint64(r.width()) * r.height();
        }
        return false;
    }
};

struct Phase
{
    double wallS = 0;
    double processCpuS = 0;
    double simCpuS = 0;
    double guiCpuS = 0;
    double workerCpuS = 0;
    long long wakeups = 0;        // the program's threads (not the simulator's)
    long long guiWakeups = 0;
    long long workerWakeups = 0;
    int debugLines = 0;
    double percent() const { return wallS > 0 ? (processCpuS - simCpuS) * 100.0 / wallS : 0.0; }
};

} // namespace

int main(int argc, char *argv[])
{
    const Clock::time_point mainStart = Clock::now();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(logHandler);

    QApplication app(argc, argv);
    AppStartup::createInstanceMarker();
    AppStartup::installFontSubstitutes();
    AppStartup::usePlainWorkerEventLoops();
    AppStartup::applyStyleSheet(app);

    int seconds = 30;
    int settle = 2;
    double textsHz = 1.0;
    int pageSeconds = 0;
    bool sweep = true;
    bool paintStats = false;
    int unconnectedSeconds = kLeastUnconnectedSeconds;
    bool startupOnly = false;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--seconds") && hasValue)
            seconds = std::max(1, args[++i].toInt());
        else if (a == QLatin1String("--settle") && hasValue)
            settle = std::max(0, args[++i].toInt());
        else if (a == QLatin1String("--texts-hz") && hasValue)
            textsHz = std::max(0.0, args[++i].toDouble());
        else if (a == QLatin1String("--pages") && hasValue)
            pageSeconds = std::max(0, args[++i].toInt());
        else if (a == QLatin1String("--no-sweep"))
            sweep = false;
        else if (a == QLatin1String("--unconnected") && hasValue) {
            unconnectedSeconds = std::max(0, args[++i].toInt());
            if (unconnectedSeconds > 0)
                unconnectedSeconds = std::max(unconnectedSeconds, kLeastUnconnectedSeconds);
        } else if (a == QLatin1String("--startup-only"))
            startupOnly = true;
        else if (a == QLatin1String("--paint-stats"))
            paintStats = true;
        else {
            std::fprintf(stderr, "usage: bench_window [--seconds N] [--settle N] [--texts-hz F] [--pages N] "
                                 "[--no-sweep] [--unconnected N] [--paint-stats] [--startup-only]\n");
            return 2;
        }
    }

    QTemporaryDir settingsDir;
    if (!settingsDir.isValid()) {
        std::fprintf(stderr, "bench_window: no temporary directory\n");
        return 1;
    }

    // The simulator's device is listed once it exists (the simulator starts
    // after the window is up: its start is no part of the program's).
    auto portMutex = std::make_shared<std::mutex>();
    auto portPath = std::make_shared<QString>();
    MainWindow::Options options;
    options.settingsFile = settingsDir.filePath(QStringLiteral("settings.ini"));
    // Like tavro-demo: the simulator first, then the platform's own ports.
    options.portSource = [portMutex, portPath] {
        QList<PortCandidate> list;
        {
            std::lock_guard<std::mutex> lock(*portMutex);
            if (!portPath->isEmpty())
                list.append(PortCandidate{*portPath, 0x05C0, 0x007A});
        }
        list.append(systemSerialPorts());
        return list;
    };

    int result = 0;
    {
        auto window = std::make_unique<MainWindow>(options);
        WindowProbe probe(window.get());
        window->show();
        if (!waitFor([&] { return probe.firstPainted().has_value(); }, 10000)) {
            std::fprintf(stderr, "bench_window: the window was never exposed\n");
            return 1;
        }
        const double startMs = msBetween(mainStart, *probe.firstExpose());
        std::printf("start to first window: %.0f ms (shown %.0f ms, painted %.0f ms; target <= %.0f ms: %s)\n",
                    startMs, msBetween(mainStart, *probe.firstShow()), msBetween(mainStart, *probe.firstPainted()),
                    kStartTargetMs, startMs <= kStartTargetMs ? "met" : "MISSED");
        std::fflush(stdout);
        bool good = startMs <= kStartTargetMs;
        if (startupOnly)
            return good ? 0 : 1;

        // The link worker's thread, for the split of the figures.
        Mav2Uart_Worker *worker = window->linkWorker();
        pid_t workerTid = 0;
        QMetaObject::invokeMethod(worker, [&workerTid] { workerTid = currentTid(); }, Qt::BlockingQueuedConnection);
        const pid_t guiTid = currentTid();

        // The window alone, no flight controller listed: what the port search
        // and anything else that runs without a link cost.
        if (unconnectedSeconds > 0) {
            runFor(kStartupSettleMs);
            const std::set<pid_t> threads = processThreads();
            const double cpu0 = processCpuSeconds();
            const long long wake0 = threadsWakeups(threads);
            const long long guiWake0 = threadWakeups(guiTid);
            const long long workerWake0 = threadWakeups(workerTid);
            const auto wall0 = Clock::now();
            runFor(unconnectedSeconds * 1000);
            const double wall = msBetween(wall0, Clock::now()) / 1000.0;
            const double percent = (processCpuSeconds() - cpu0) * 100.0 / wall;
            const double wakeups = double(threadsWakeups(threads) - wake0) / wall;
            std::printf("unconnected idle cpu: %.2f %% of one core (%.1f s, no flight controller listed; "
                        "target <= %.1f %%: %s)\n",
                        percent, wall, kUnconnectedTargetPercent, percent <= kUnconnectedTargetPercent ? "met" : "MISSED");
            std::printf("  unconnected wake-ups: %.1f a second (window thread %.1f, link worker thread %.1f)\n", wakeups,
                        double(threadWakeups(guiTid) - guiWake0) / wall,
                        double(threadWakeups(workerTid) - workerWake0) / wall);
            std::fflush(stdout);
            good = good && percent <= kUnconnectedTargetPercent;
        }

        // The flight controller as tavro-demo runs it: encoded parameters,
        // sticks sweeping, an Alder-V3.
        const std::set<pid_t> threadsBefore = processThreads();
        SimulatedFlightController sim(SimulatedFlightController::Options::demo());
        sim.setStickSweep(sweep);
        QList<SimParameter> table = sim.parameters();
        for (SimParameter &p : table) {
            if (p.name == QLatin1String("fw_version"))
                p.value = 1.0f;
        }
        sim.setParameters(table);
        QString error;
        if (!sim.start(&error)) {
            std::fprintf(stderr, "bench_window: cannot start the simulator: %s\n", qPrintable(error));
            return 1;
        }
        std::set<pid_t> simThreads;
        for (pid_t t : processThreads()) {
            if (!threadsBefore.count(t))
                simThreads.insert(t);
        }
        {
            std::lock_guard<std::mutex> lock(*portMutex);
            *portPath = sim.portPath();
        }

        // Connect as a user would: pick the port once it is listed, click.
        auto *ports = window->findChild<QComboBox *>(QStringLiteral("Uartbox"));
        auto *connectButton = window->findChild<QPushButton *>(QStringLiteral("OpenUart"));
        if (!ports || !connectButton
            || !waitFor([&] { return ports->findText(sim.portPath()) >= 0; }, 5000)) {
            std::fprintf(stderr, "bench_window: the simulator's port is not listed\n");
            return 1;
        }
        ports->setCurrentIndex(ports->findText(sim.portPath()));
        QElapsedTimer download;
        download.start();
        connectButton->click();
        if (!waitFor([&] { return window->linkState() == MainWindow::LinkState::Connected && worker->readParamDone.load(); },
                     180000)) {
            std::fprintf(stderr, "bench_window: the download did not complete\n");
            return 1;
        }
        std::printf("download: %d parameters in %lld ms\n", sim.parameterCount(),
                    static_cast<long long>(download.elapsed()));

        Counts counts;
        QObject::connect(worker, &Mav2Uart_Worker::sys_status_value, worker, [&] { ++counts.sysStatus; }, Qt::DirectConnection);
        QObject::connect(worker, &Mav2Uart_Worker::gps_raw_int_value, worker, [&] { ++counts.gps; }, Qt::DirectConnection);
        QObject::connect(worker, &Mav2Uart_Worker::gps2_raw_value, worker, [&] { ++counts.gps2; }, Qt::DirectConnection);
        QObject::connect(worker, &Mav2Uart_Worker::attitude_value, worker, [&] { ++counts.attitude; }, Qt::DirectConnection);
        QObject::connect(worker, &Mav2Uart_Worker::rc_channels_value, worker, [&] { ++counts.rc; }, Qt::DirectConnection);
        QObject::connect(worker, &Mav2Uart_Worker::statustext_value, worker, [&] { ++counts.texts; }, Qt::DirectConnection);

        TextSender texts(sim, textsHz);
        texts.start();
        runFor(settle * 1000);

        const QList<int> requested = sim.streamRequests();
        QStringList streams;
        for (int id : {1, 2, 3, 6, 10, 11, 12})
            streams << QStringLiteral("%1%2").arg(id).arg(requested.contains(id) ? "" : " (not requested)");
        std::printf("telemetry streams requested at 10 Hz: %s\n", qPrintable(streams.join(QStringLiteral(", "))));

        auto measure = [&](int ms, const std::function<void()> &everySecond) {
            Phase p;
            counts.reset();
            const int linesBefore = debugLines.load();
            const double cpu0 = processCpuSeconds();
            const double sim0 = threadsCpuSeconds(simThreads) + threadCpuSeconds(texts.tid());
            const double gui0 = threadCpuSeconds(guiTid);
            const double worker0 = threadCpuSeconds(workerTid);
            std::set<pid_t> programThreads;
            for (pid_t t : processThreads())
                if (!simThreads.count(t) && t != texts.tid())
                    programThreads.insert(t);
            const long long wake0 = threadsWakeups(programThreads);
            const long long guiWake0 = threadWakeups(guiTid);
            const long long workerWake0 = threadWakeups(workerTid);
            const auto wall0 = Clock::now();
            QTimer tick;
            if (everySecond) {
                QObject::connect(&tick, &QTimer::timeout, everySecond);
                tick.start(1000);
            }
            runFor(ms);
            tick.stop();
            p.wallS = msBetween(wall0, Clock::now()) / 1000.0;
            p.processCpuS = processCpuSeconds() - cpu0;
            p.simCpuS = threadsCpuSeconds(simThreads) + threadCpuSeconds(texts.tid()) - sim0;
            p.guiCpuS = threadCpuSeconds(guiTid) - gui0;
            p.workerCpuS = threadCpuSeconds(workerTid) - worker0;
            p.wakeups = threadsWakeups(programThreads) - wake0;
            p.guiWakeups = threadWakeups(guiTid) - guiWake0;
            p.workerWakeups = threadWakeups(workerTid) - workerWake0;
            p.debugLines = debugLines.load() - linesBefore;
            return p;
        };
        auto printDetail = [&](const Phase &p) {
            const double w = p.wallS;
            std::printf("  process %.2f %%, simulator and text sender %.2f %% (taken out); window thread %.2f %%, "
                        "link worker thread %.2f %%\n",
                        p.processCpuS * 100 / w, p.simCpuS * 100 / w, p.guiCpuS * 100 / w, p.workerCpuS * 100 / w);
            std::printf("  per second: SYS_STATUS %.1f, GPS_RAW_INT %.1f, GPS2_RAW %.1f, ATTITUDE %.1f, "
                        "RC_CHANNELS %.1f, status texts %.1f; debug log lines %.1f\n",
                        counts.sysStatus / w, counts.gps / w, counts.gps2 / w, counts.attitude / w, counts.rc / w,
                        counts.texts / w, p.debugLines / w);
            std::printf("  wake-ups: %.1f a second (window thread %.1f, link worker thread %.1f)\n", p.wakeups / w,
                        p.guiWakeups / w, p.workerWakeups / w);
        };

        PaintCounter paints;
        if (paintStats) {
            app.installEventFilter(&paints);
            paints.enabled = true;
        }
        const Phase idle = measure(seconds * 1000, nullptr);
        paints.enabled = false;
        std::printf("idle cpu: %.2f %% of one core (%.1f s connected, page 0, sticks %s, status texts %.1f Hz; "
                    "target <= %.1f %%: %s)\n",
                    idle.percent(), idle.wallS, sweep ? "sweeping" : "centred", textsHz, kIdleTargetPercent,
                    idle.percent() <= kIdleTargetPercent ? "met" : "MISSED");
        printDetail(idle);
        std::fflush(stdout);
        good = good && idle.percent() <= kIdleTargetPercent;
        if (paintStats) {
            std::printf("  paint events a second (pixels a second) by widget:\n");
            for (auto it = paints.entries.cbegin(); it != paints.entries.cend(); ++it)
                std::printf("    %6.1f %9.0f  %s\n", it->paints / idle.wallS, double(it->pixels) / idle.wallS,
                            qPrintable(it.key()));
            std::printf("  layout requests a second by widget:\n");
            for (auto it = paints.layoutRequests.cbegin(); it != paints.layoutRequests.cend(); ++it)
                std::printf("    %6.1f  %s\n", it.value() / idle.wallS, qPrintable(it.key()));
        }

        if (pageSeconds > 0) {
            const QList<QPushButton *> nav{window->findChild<QPushButton *>(QStringLiteral("nav_BT1")),
                                           window->findChild<QPushButton *>(QStringLiteral("nav_BT2")),
                                           window->findChild<QPushButton *>(QStringLiteral("nav_BT3")),
                                           window->findChild<QPushButton *>(QStringLiteral("nav_BT4"))};
            int page = 0;
            const Phase pages = measure(pageSeconds * 1000, [&] {
                page = (page + 1) % int(nav.size());
                if (nav[page])
                    nav[page]->click();
            });
            std::printf("page-switching cpu: %.2f %% of one core (%.1f s, next page every second)\n", pages.percent(),
                        pages.wallS);
            printDetail(pages);
            if (nav[0])
                nav[0]->click();
            runFor(500); // the write that leaving the rotor page makes is answered
        }

        texts.stop();
        const double rss = peakRssMb();
        std::printf("peak rss: %.0f MB (target <= %.0f MB: %s)\n", rss, kRssTargetMb,
                    rss <= kRssTargetMb ? "met" : "MISSED");
        good = good && rss <= kRssTargetMb;
        if (warningLines.load() > 0)
            std::printf("warnings logged: %d\n", warningLines.load());
        std::fflush(stdout);

        // The program goes first, as when the user closes it with the
        // flight controller still plugged in.
        window.reset();
        sim.stop();
        result = good ? 0 : 1;
    }
    return result;
}
