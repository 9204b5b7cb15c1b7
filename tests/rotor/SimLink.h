#pragma once
// A simulated flight controller on a pseudo-terminal and a real link worker
// on its own thread, wired to a page context the way the main window wires
// it: parameter writes, reboot, compass commands and the reconnect request go
// to the worker; downloaded and confirmed parameters go to the store; a 20 ms
// tick publishes the page index and the calibration flag, then runs the
// worker's port search.

#include "link/Mav2Uart_Worker.h"
#include "sim/SimulatedFlightController.h"

#include <QList>
#include <QString>
#include <QThread>
#include <QTimer>

#include <functional>

class PageContext;

class SimLink
{
public:
    // `page` is the stacked-page index reported on every tick.
    explicit SimLink(PageContext *ctx, int page);
    ~SimLink();

    SimulatedFlightController sim;
    Mav2Uart_Worker *worker = nullptr;

    // Starts the controller and the worker, opens the port; true when open.
    bool start(QString *error);
    // Downloads the whole table into the store and hands it over to the
    // page side (later values arrive as confirmations); true when finished.
    bool download(int timeoutMs = 30000);

    QString portPath() const { return sim.portPath(); }
    // ConnectSingal values in order, and how often the link was lost.
    QList<int> connects;
    int linkLosses = 0;

private:
    void post(const std::function<void(Mav2Uart_Worker *)> &f);

    PageContext *m_ctx;
    int m_page;
    QThread m_thread;
    QTimer m_tick;
    int m_finished = 0;
};
