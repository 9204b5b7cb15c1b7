#include "SimLink.h"

#include "pages/PageContext.h"
#include "params/ParameterStore.h"
#include "sim/SimulatorPortSource.h"

#include <QTest>

SimLink::SimLink(PageContext *ctx, int page)
    : m_ctx(ctx), m_page(page)
{
    Mav2Uart_Worker::registerMetaTypes();
}

SimLink::~SimLink()
{
    if (m_thread.isRunning()) {
        QMetaObject::invokeMethod(worker, &Mav2Uart_Worker::closePort, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    delete worker;
    sim.stop();
}

void SimLink::post(const std::function<void(Mav2Uart_Worker *)> &f)
{
    Mav2Uart_Worker *w = worker;
    QMetaObject::invokeMethod(w, [w, f] { f(w); }, Qt::QueuedConnection);
}

bool SimLink::start(QString *error)
{
    if (!sim.start(error))
        return false;
    worker = new Mav2Uart_Worker(SimulatorPortSource::only(sim.portPath()));
    worker->moveToThread(&m_thread);

    ParameterStore *store = m_ctx->store();
    QObject::connect(m_ctx, &PageContext::writeParameterRequested, worker,
                     &Mav2Uart_Worker::sendWriteParametersCommand);
    QObject::connect(m_ctx, &PageContext::rebootRequested, worker, &Mav2Uart_Worker::sendRebootCommand);
    QObject::connect(m_ctx, &PageContext::compassCalibrationRequested, worker,
                     &Mav2Uart_Worker::sendCompassCalibrationCommand);
    const QString path = sim.portPath();
    QObject::connect(m_ctx, &PageContext::reconnectRequested, m_ctx,
                     [this, path] { post([path](Mav2Uart_Worker *w) { w->ConnectPort(path); }); });
    QObject::connect(worker, &Mav2Uart_Worker::param_value_loading_value, store,
                     [store](Parameter p, int, uint16_t) { store->insertOrUpdate(p); });
    QObject::connect(worker, &Mav2Uart_Worker::param_value_update_value, store,
                     [store](QString name, float value) { store->setParameterValue(name, double(value)); });
    QObject::connect(worker, &Mav2Uart_Worker::param_write_failed_value, m_ctx, &PageContext::parameterWriteFailed);
    QObject::connect(worker, &Mav2Uart_Worker::param_value_finish_value, m_ctx, [this] { ++m_finished; });
    QObject::connect(worker, &Mav2Uart_Worker::ConnectSingal, m_ctx, [this](int opened) { connects.append(opened); });
    QObject::connect(worker, &Mav2Uart_Worker::disconnect_UI_disable, m_ctx, [this] { ++linkLosses; });

    QObject::connect(m_ctx, &PageContext::magCalibratingChanged, worker,
                     [this](bool running) { worker->SetMagcalibrationrun(running ? 1 : 0); });
    m_thread.start();
    const int page = m_page;
    const int calibrating = m_ctx->magCalibrating ? 1 : 0;
    post([page, calibrating](Mav2Uart_Worker *w) {
        w->SetCurrentPage(page);
        w->SetMagcalibrationrun(calibrating);
    });

    post([path](Mav2Uart_Worker *w) { w->ConnectPort(path); });
    if (!QTest::qWaitFor([this] { return !connects.isEmpty(); }, 5000) || connects.last() != 1) {
        if (error)
            *error = QStringLiteral("the worker did not open %1").arg(path);
        return false;
    }
    return true;
}

bool SimLink::download(int timeoutMs)
{
    const int before = m_finished;
    post([](Mav2Uart_Worker *w) { w->startParamRead(); });
    if (!QTest::qWaitFor([&] { return m_finished > before; }, timeoutMs))
        return false;
    post([](Mav2Uart_Worker *w) { w->SetReadParamDone(); });
    // Update mode starts when the worker has taken SetReadParamDone.
    return QTest::qWaitFor([this] {
        bool requested = false;
        QMetaObject::invokeMethod(worker, [&] { requested = worker->isStreamsRequested(); },
                                  Qt::BlockingQueuedConnection);
        return requested;
    }, 2000);
}
