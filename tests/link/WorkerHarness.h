#pragma once
// A link worker on its own thread for the tests, wired as the window wires it
// (moved to the thread before it starts, queued connections), with its events
// logged on the test's thread. Ticks are either driven one by one (tick(),
// which waits until the tick has run) or by a 20 ms timer like the window's.

#include "EventLog.h"

#include "link/Mav2Uart_Worker.h"

#include <QThread>
#include <QTimer>

#include <functional>

class WorkerHarness
{
public:
    explicit WorkerHarness(PortSource source);
    ~WorkerHarness();

    Mav2Uart_Worker *worker = nullptr;
    EventLog *log = nullptr;
    QThread thread;

    // Runs `f` on the worker's thread and waits for it.
    void call(const std::function<void(Mav2Uart_Worker *)> &f);
    // Queues `f` onto the worker's thread.
    void post(const std::function<void(Mav2Uart_Worker *)> &f);
    // `count` port-search ticks, each after reporting `page` (negative: no
    // page report).
    void tick(int count = 1, int page = -1);
    // The window's 20 ms tick: page report, then the port search.
    void startTicking(int page = 0);
    void stopTicking();

    // Opens `port` and waits for the answer; true when it opened.
    bool connectPort(const QString &port);
    // Starts a download and waits for its end (finish or link loss).
    bool download(int timeoutMs = 20000);

    template <typename T>
    T read(const std::function<T(Mav2Uart_Worker *)> &f)
    {
        T value {};
        call([&](Mav2Uart_Worker *w) { value = f(w); });
        return value;
    }

private:
    QTimer m_timer;
    int m_page = 0;
};
