#pragma once
// LinkSession: a link worker on its own thread for the tools and tests that
// have no main window (tavro-cli, the benchmarks, the link tests). It wires
// the worker the way the window does: the worker is moved to a dedicated
// thread before it starts and searches ports on its own; the session reports
// the page index and the compass-calibration flag once at the start and
// again whenever they change, all queued.
//
// Connect to worker()'s signals with a context object on your thread (they
// arrive queued); command it through the helpers below, which queue the call
// onto the worker's thread.

#include "link/Mav2Uart_Worker.h"

#include <QObject>
#include <QThread>

class LinkSession : public QObject
{
    Q_OBJECT

public:
    // An empty source means the platform's serial ports.
    explicit LinkSession(PortSource portSource = PortSource(), QObject *parent = nullptr);
    ~LinkSession() override;

    Mav2Uart_Worker *worker() const { return m_worker; }

    // Starts the worker's thread and reports `page` (below 10: link loss is
    // detected) and the calibration flag.
    void start(int page = 0);
    // Closes the port, ends the worker's thread and waits for it.
    void stop();
    bool isRunning() const { return m_thread.isRunning(); }

    void setPage(int page);
    void setMagCalibrationRunning(bool running);

    void connectPort(const QString &name);
    void startParamRead();
    void setReadParamDone();
    void writeParameter(const QString &name, float value);
    void requestStream(uint8_t id, bool start);
    void reboot();
    void compassCalibration(int command, int rebootFlag);
    // Runs `f` on the worker's thread and waits for it (for reading state).
    template <typename F>
    void onWorkerThread(F &&f)
    {
        if (m_thread.isRunning())
            QMetaObject::invokeMethod(m_worker, std::forward<F>(f), Qt::BlockingQueuedConnection);
        else
            f();
    }

private:
    void reportPage();
    void reportMagCalibration();

    QThread m_thread;
    Mav2Uart_Worker *m_worker = nullptr;
    int m_page = 0;
    int m_magCal = 0;
};
