#include "link/LinkSession.h"

LinkSession::LinkSession(PortSource portSource, QObject *parent)
    : QObject(parent)
{
    Mav2Uart_Worker::registerMetaTypes();
    m_worker = portSource ? new Mav2Uart_Worker(std::move(portSource)) : new Mav2Uart_Worker();
    m_worker->moveToThread(&m_thread);
    m_thread.setObjectName(QStringLiteral("link worker"));
}

LinkSession::~LinkSession()
{
    stop();
    delete m_worker;
}

void LinkSession::start(int page)
{
    m_page = page;
    if (!m_thread.isRunning())
        m_thread.start();
    reportPage();
    reportMagCalibration();
}

void LinkSession::stop()
{
    if (!m_thread.isRunning())
        return;
    Mav2Uart_Worker *w = m_worker;
    QMetaObject::invokeMethod(w, [w] { w->closePort(); }, Qt::BlockingQueuedConnection);
    m_thread.requestInterruption();
    m_thread.quit();
    m_thread.wait();
}

void LinkSession::setPage(int page)
{
    if (page == m_page)
        return;
    m_page = page;
    if (m_thread.isRunning())
        reportPage();
}

void LinkSession::setMagCalibrationRunning(bool running)
{
    const int flag = running ? 1 : 0;
    if (flag == m_magCal)
        return;
    m_magCal = flag;
    if (m_thread.isRunning())
        reportMagCalibration();
}

void LinkSession::reportPage()
{
    Mav2Uart_Worker *w = m_worker;
    const int page = m_page;
    QMetaObject::invokeMethod(w, [w, page] { w->SetCurrentPage(page); }, Qt::QueuedConnection);
}

void LinkSession::reportMagCalibration()
{
    Mav2Uart_Worker *w = m_worker;
    const int magCal = m_magCal;
    QMetaObject::invokeMethod(w, [w, magCal] { w->SetMagcalibrationrun(magCal); }, Qt::QueuedConnection);
}

void LinkSession::connectPort(const QString &name)
{
    Mav2Uart_Worker *w = m_worker;
    QMetaObject::invokeMethod(w, [w, name] { w->ConnectPort(name); }, Qt::QueuedConnection);
}

void LinkSession::startParamRead()
{
    Mav2Uart_Worker *w = m_worker;
    QMetaObject::invokeMethod(w, [w] { w->startParamRead(); }, Qt::QueuedConnection);
}

void LinkSession::setReadParamDone()
{
    Mav2Uart_Worker *w = m_worker;
    QMetaObject::invokeMethod(w, [w] { w->SetReadParamDone(); }, Qt::QueuedConnection);
}

void LinkSession::writeParameter(const QString &name, float value)
{
    Mav2Uart_Worker *w = m_worker;
    QMetaObject::invokeMethod(w, [w, name, value] { w->sendWriteParametersCommand(name, value); },
                              Qt::QueuedConnection);
}

void LinkSession::requestStream(uint8_t id, bool start)
{
    Mav2Uart_Worker *w = m_worker;
    QMetaObject::invokeMethod(w, [w, id, start] { w->sendDataStreamCommand(id, start); },
                              Qt::QueuedConnection);
}

void LinkSession::reboot()
{
    Mav2Uart_Worker *w = m_worker;
    QMetaObject::invokeMethod(w, [w] { w->sendRebootCommand(); }, Qt::QueuedConnection);
}

void LinkSession::compassCalibration(int command, int rebootFlag)
{
    Mav2Uart_Worker *w = m_worker;
    QMetaObject::invokeMethod(w, [w, command, rebootFlag] { w->sendCompassCalibrationCommand(command, rebootFlag); },
                              Qt::QueuedConnection);
}
