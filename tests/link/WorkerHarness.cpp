#include "WorkerHarness.h"

#include <QtTest>

WorkerHarness::WorkerHarness(PortSource source)
{
    Mav2Uart_Worker::registerMetaTypes();
    worker = new Mav2Uart_Worker(std::move(source));
    worker->moveToThread(&thread);
    log = new EventLog(worker);
    thread.start();
    m_timer.setInterval(20);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        const int page = m_page;
        post([page](Mav2Uart_Worker *w) { w->SetCurrentPage(page); });
        post([](Mav2Uart_Worker *w) { w->SearchPort(); });
    });
}

WorkerHarness::~WorkerHarness()
{
    m_timer.stop();
    if (thread.isRunning()) {
        call([](Mav2Uart_Worker *w) { w->closePort(); });
        thread.quit();
        thread.wait();
    }
    delete log;
    delete worker;
}

void WorkerHarness::call(const std::function<void(Mav2Uart_Worker *)> &f)
{
    Mav2Uart_Worker *w = worker;
    QMetaObject::invokeMethod(w, [w, &f] { f(w); }, Qt::BlockingQueuedConnection);
}

void WorkerHarness::post(const std::function<void(Mav2Uart_Worker *)> &f)
{
    Mav2Uart_Worker *w = worker;
    QMetaObject::invokeMethod(w, [w, f] { f(w); }, Qt::QueuedConnection);
}

void WorkerHarness::tick(int count, int page)
{
    for (int i = 0; i < count; ++i) {
        call([page](Mav2Uart_Worker *w) {
            if (page >= 0)
                w->SetCurrentPage(page);
            w->SearchPort();
        });
    }
}

void WorkerHarness::startTicking(int page)
{
    m_page = page;
    m_timer.start();
}

void WorkerHarness::stopTicking()
{
    m_timer.stop();
}

bool WorkerHarness::connectPort(const QString &port)
{
    const int before = int(log->connects.size());
    post([port](Mav2Uart_Worker *w) { w->ConnectPort(port); });
    if (!QTest::qWaitFor([&] { return log->connects.size() > before; }, 5000))
        return false;
    return log->connects.last() == 1;
}

bool WorkerHarness::download(int timeoutMs)
{
    const int finished = log->finished;
    const int lost = log->disconnects;
    post([](Mav2Uart_Worker *w) { w->startParamRead(); });
    return QTest::qWaitFor([&] { return log->finished > finished || log->disconnects > lost; }, timeoutMs)
           && log->finished > finished;
}
