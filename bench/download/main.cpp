// Downloads the simulated flight controller's parameter table through the
// link worker (on its own thread, as tavro-cli runs it) and compares the time
// with what the flight controller's bytes need on the line: bytes x 10 / baud
// (everything it sent meanwhile, telemetry included) plus the 300 ms quiet
// period that ends a download.
//
//   bench_download                   both runs: no loss, then 5 % loss
//   bench_download [--drop P] [--encode] [--baud B] [--runs N]
//
// Exit status 1 when a run misses parameters or a loss-free run is slower
// than 1.10 x the line time.
#include "link/LinkSession.h"
#include "sim/SimulatedFlightController.h"
#include "sim/SimulatorPortSource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

constexpr double kTarget = 1.10;

bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(1, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

struct Result
{
    bool ok = false;
    int received = 0;
    int total = 0;
    int missing = 0;
    qint64 elapsedMs = 0;
    quint64 bytes = 0;
    double lineMs = 0;
    double ratio = 0;
};

Result runOnce(double drop, bool encoded, int baud, quint32 seed)
{
    Result r;
    SimulatedFlightController sim;
    sim.setBaudRate(baud);
    sim.setDropProbability(drop);
    sim.setEncodedParams(encoded);
    sim.setSeed(seed);
    if (!sim.start())
        return r;

    LinkSession session(SimulatorPortSource::only(sim.portPath()));
    Mav2Uart_Worker *w = session.worker();
    bool alive = false, finished = false, lost = false;
    QObject context;
    QObject::connect(w, &Mav2Uart_Worker::link_alive_value, &context, [&] { alive = true; });
    QObject::connect(w, &Mav2Uart_Worker::param_value_loading_value, &context,
                     [&](const Parameter &, int count, uint16_t total) {
                         r.received = count;
                         r.total = total;
                     });
    QObject::connect(w, &Mav2Uart_Worker::param_missing_value, &context,
                     [&](const QList<int> &m) { r.missing = int(m.size()); });
    QObject::connect(w, &Mav2Uart_Worker::param_value_finish_value, &context, [&] { finished = true; });
    QObject::connect(w, &Mav2Uart_Worker::disconnect_UI_disable, &context, [&] { lost = true; });

    session.start(0);
    session.connectPort(sim.portPath());
    session.requestStream(1, true);   // what the download's wait for a first frame asks for
    if (!waitFor([&] { return alive; }, 5000))
        return r;
    waitFor([] { return false; }, 200);   // let the raw-sensor stream settle

    const quint64 bytesBefore = sim.bytesSent();
    QElapsedTimer clock;
    clock.start();
    session.startParamRead();
    waitFor([&] { return finished || lost; }, 120000);
    r.elapsedMs = clock.elapsed();
    r.bytes = sim.bytesSent() - bytesBefore;
    session.stop();
    sim.stop();

    r.ok = finished && r.missing == 0 && r.total > 0 && r.received == r.total;
    r.lineMs = baud > 0 ? double(r.bytes) * 10.0 * 1000.0 / baud + 300.0 : 300.0;
    r.ratio = double(r.elapsedMs) / r.lineMs;
    return r;
}

bool report(const char *label, double drop, bool encoded, int baud, int runs)
{
    bool good = true;
    for (int i = 0; i < runs; ++i) {
        const Result r = runOnce(drop, encoded, baud, quint32(i + 1));
        std::printf("%-10s drop %.2f%s: %d/%d parameters, %d missing, %lld ms, %llu bytes, "
                    "line %.0f ms (bytes x 10 / %d + 300 ms), ratio %.3f%s\n",
                    label, drop, encoded ? " encoded" : "", r.received, r.total, r.missing,
                    static_cast<long long>(r.elapsedMs), static_cast<unsigned long long>(r.bytes),
                    r.lineMs, baud, r.ratio,
                    drop == 0.0 ? (r.ratio <= kTarget ? "  (target <= 1.10: met)" : "  (target <= 1.10: MISSED)") : "");
        std::fflush(stdout);
        good = good && r.ok && (drop > 0.0 || r.ratio <= kTarget);
    }
    return good;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("tavro.*.debug=false\ntavro.*.warning=false"));
    const QStringList args = QCoreApplication::arguments().mid(1);
    double drop = -1.0;
    bool encoded = false;
    int baud = SimulatedFlightController::kDefaultBaud;
    int runs = 1;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--drop") && i + 1 < args.size())
            drop = args[++i].toDouble();
        else if (a == QLatin1String("--encode"))
            encoded = true;
        else if (a == QLatin1String("--baud") && i + 1 < args.size())
            baud = args[++i].toInt();
        else if (a == QLatin1String("--runs") && i + 1 < args.size())
            runs = std::max(1, args[++i].toInt());
        else {
            std::fprintf(stderr, "usage: bench_download [--drop P] [--encode] [--baud B] [--runs N]\n");
            return 2;
        }
    }
    bool good = true;
    if (drop < 0.0) {
        good = report("download", 0.0, encoded, baud, runs) && good;
        good = report("download", 0.05, encoded, baud, runs) && good;
    } else {
        good = report("download", drop, encoded, baud, runs);
    }
    return good ? 0 : 1;
}
