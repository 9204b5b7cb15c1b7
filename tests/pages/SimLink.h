#pragma once
// A simulated flight controller and a real link worker on its own thread,
// wired to a page context as the main window wires it: the page index
// reported once, the calibration flag whenever it changes.

#include "link/Mav2Uart_Worker.h"
#include "sim/SimulatedFlightController.h"

#include <QList>
#include <QString>
#include <QThread>

#include <functional>

class PageContext;

class SimLink
{
public:
    // `page` is the stacked-page index reported to the worker.
    explicit SimLink(PageContext *ctx, int page);
    ~SimLink();

    SimulatedFlightController sim;
    Mav2Uart_Worker *worker = nullptr;

    bool start(QString *error);
    // Downloads the table; later values arrive as confirmations.
    bool download(int timeoutMs = 30000);

    QString portPath() const { return sim.portPath(); }
    QList<int> connects;
    int linkLosses = 0;

private:
    void post(const std::function<void(Mav2Uart_Worker *)> &f);

    PageContext *m_ctx;
    int m_page;
    QThread m_thread;
    int m_finished = 0;
};
