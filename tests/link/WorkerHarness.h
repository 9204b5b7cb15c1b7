#pragma once
// A link worker on its own thread, wired as the window wires it, and a log of
// everything it emits, recorded on the test's thread (queued, as in the
// window). Shared by the link tests over pseudo-terminals and over the
// in-process line.

#include "link/Mav2Uart_Worker.h"
#include "link/MavlinkMessages.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <functional>

using Writes = QList<QPair<QString, float>>;

// What a worker emits.
struct EventLog : QObject
{
    struct PortListEvent { int replaced; QStringList ports; int silenceClosed; };
    QStringList sequence;   // "connect:1", "disconnect", "closed", "missing", "finish", "writefail:N", "error"
    QList<PortListEvent> portLists;
    QList<int> connects, calibration, loadedCounts, loadedTotals;
    int disconnects = 0, attitudes = 0, finished = 0, alive = 0;
    QList<QPair<int, int>> magProgress, sysStatus, gps2, magReports;
    QList<QList<int>> gps, missing;
    QList<mavlink_rc_channels_t> rcChannels;
    QList<QPair<QString, int>> statusTexts;
    QList<Parameter> loaded;
    Writes updates, writeFailures;
    QStringList linkErrors;

    explicit EventLog(Mav2Uart_Worker *w)
    {
        using W = Mav2Uart_Worker;
        connect(w, &W::PortList, this, [this](int replaced, const QStringList &ports, int closed) {
            portLists.append({replaced, ports, closed});
            if (closed)
                sequence << "closed";
        });
        connect(w, &W::ConnectSingal, this, [this](int flag) { connects << flag; sequence << QString("connect:%1").arg(flag); });
        connect(w, &W::disconnect_UI_disable, this, [this] { ++disconnects; sequence << "disconnect"; });
        connect(w, &W::calibration_process, this, [this](int p) { calibration << p; });
        connect(w, &W::mag_cal_progress_value, this, [this](uint8_t id, int pct) { magProgress.append({int(id), pct}); });
        connect(w, &W::sys_status_value, this, [this](uint16_t mv, signed char rc) { sysStatus.append({int(mv), int(rc)}); });
        connect(w, &W::gps_raw_int_value, this, [this](uint8_t s, uint16_t eph, uint16_t epv) { gps.append({s, eph, epv}); });
        connect(w, &W::gps2_raw_value, this, [this](uint8_t sats, uint16_t eph) { gps2.append({int(sats), int(eph)}); });
        connect(w, &W::attitude_value, this, [this](float, float, float) { ++attitudes; });
        connect(w, &W::rc_channels_value, this, [this](const mavlink_rc_channels_t &rc) { rcChannels << rc; });
        connect(w, &W::statustext_value, this, [this](const QString &t, uint8_t s) { statusTexts.append({t, int(s)}); });
        connect(w, &W::mag_cal_report_value, this, [this](uint8_t id, uint8_t st) { magReports.append({int(id), int(st)}); });
        connect(w, &W::param_value_loading_value, this, [this](const Parameter &p, int count, uint16_t total) {
            loaded << p;
            loadedCounts << count;
            loadedTotals << int(total);
        });
        connect(w, &W::param_value_finish_value, this, [this] { ++finished; sequence << "finish"; });
        connect(w, &W::param_value_update_value, this, [this](const QString &n, float v) { updates.append({n, v}); });
        connect(w, &W::param_missing_value, this, [this](const QList<int> &i) { missing << i; sequence << "missing"; });
        connect(w, &W::param_write_failed_value, this, [this](const QString &n, float v) {
            writeFailures.append({n, v});
            sequence << "writefail:" + n;
        });
        connect(w, &W::link_error_value, this, [this](const QString &r) { linkErrors << r; sequence << "error"; });
        connect(w, &W::link_alive_value, this, [this] { ++alive; });
    }
    QHash<QString, double> loadedValues() const
    {
        QHash<QString, double> values;
        for (const Parameter &p : loaded)
            values.insert(p.name, p.value);
        return values;
    }
    int silenceFlags() const
    {
        return int(std::count_if(portLists.cbegin(), portLists.cend(), [](const auto &e) { return e.silenceClosed; }));
    }
};

// A worker on its own thread, wired as the window wires it: it runs on its
// own timers; the test reports the page as the window does (reportPage()).
struct Harness
{
    explicit Harness(PortSource source)
    {
        Mav2Uart_Worker::registerMetaTypes();
        worker = new Mav2Uart_Worker(std::move(source));
        worker->moveToThread(&thread);
        log = new EventLog(worker);
        thread.start();
    }
    ~Harness()
    {
        if (thread.isRunning()) {
            call([](Mav2Uart_Worker *w) { w->closePort(); });
            thread.quit();
            thread.wait();
        }
        delete log;
        delete worker;
    }
    void call(const std::function<void(Mav2Uart_Worker *)> &f)
    {
        QMetaObject::invokeMethod(worker, [w = worker, &f] { f(w); }, Qt::BlockingQueuedConnection);
    }
    void post(const std::function<void(Mav2Uart_Worker *)> &f)
    {
        QMetaObject::invokeMethod(worker, [w = worker, f] { f(w); }, Qt::QueuedConnection);
    }
    template <typename R>
    R read(R (Mav2Uart_Worker::*getter)() const)
    {
        R value{};
        call([&](Mav2Uart_Worker *w) { value = (w->*getter)(); });
        return value;
    }
    // Everything queued so far has run and its signals have arrived here.
    void settle()
    {
        call([](Mav2Uart_Worker *) {});
        QCoreApplication::processEvents();
    }
    // The window's page report (below 10 arms the silence limit).
    void reportPage(int pg = 0)
    {
        post([pg](Mav2Uart_Worker *w) { w->SetCurrentPage(pg); });
    }
    void write(const QString &name, float value)
    {
        post([=](Mav2Uart_Worker *w) { w->sendWriteParametersCommand(name, value); });
    }
    bool connectPort(const QString &port)
    {
        const int before = int(log->connects.size());
        post([port](Mav2Uart_Worker *w) { w->ConnectPort(port); });
        return QTest::qWaitFor([&] { return log->connects.size() > before; }, 5000) && log->connects.last() == 1;
    }
    // Starts a download and waits for its end (finish or link loss).
    bool download(int timeoutMs = 20000)
    {
        const int finished = log->finished, lost = log->disconnects;
        post([](Mav2Uart_Worker *w) { w->startParamRead(); });
        return QTest::qWaitFor([&] { return log->finished > finished || log->disconnects > lost; }, timeoutMs)
            && log->finished > finished;
    }
    bool waiting() { return read(&Mav2Uart_Worker::isWaitingForFirstFrame); }

    Mav2Uart_Worker *worker = nullptr;
    EventLog *log = nullptr;
    QThread thread;
};

