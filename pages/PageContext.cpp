#include "pages/PageContext.h"

#include "pages/PagesLog.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <algorithm>

PageContext::PageContext(ParameterStore *store, QWidget *window, QObject *parent)
    : QObject(parent), m_store(store), m_window(window)
{
}

void PageContext::setMagCalibrating(bool running)
{
    if (running == magCalibrating)
        return;
    magCalibrating = running;
    emit magCalibratingChanged(running);
}

void PageContext::writeParameter(const QString &paramId, float paramValue)
{
    emit writeParameterRequested(paramId, paramValue);
}

void PageContext::sleep(unsigned msec)
{
    // A monotonic deadline: the wait neither ends early nor stretches when the
    // wall clock jumps (midnight, daylight saving, a time sync).
    const QDeadlineTimer deadline(qint64(msec), Qt::PreciseTimer);
#ifdef Q_OS_WIN
    // Windows' event dispatcher does not always deliver a timer started
    // inside a nested wait like this one (seen under Wine: the wait blocked
    // for good with the timer a millisecond from due), so the wait does not
    // block on it: it serves the events, then naps a few milliseconds.
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        const qint64 left = deadline.remainingTime();
        if (left > 0)
            QThread::msleep(unsigned(std::min<qint64>(left, 5)));
    }
#else
    // Waking timer so the wait blocks in the event dispatcher instead of
    // spinning; it fires at the deadline or after 100 ms, whichever is sooner.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    while (!deadline.hasExpired()) {
        if (!wake.isActive())
            wake.start(int(std::clamp<qint64>(deadline.remainingTime(), 0, 100)));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
#endif
}

void PageContext::simulate_progressBar(int time)
{
    // A negative step would wrap to an endless wait; treat it as no wait.
    const unsigned step = unsigned(std::max(time, 0));

    QPointer<QProgressDialog> dialog = new QProgressDialog(m_window);
    dialog->setWindowTitle(english ? QStringLiteral("rebooting...") : QStringLiteral("飞控重启中..."));
    dialog->setMinimumDuration(5);
    dialog->setRange(0, 100);
    dialog->setCancelButton(nullptr);
    dialog->setWindowFlags(dialog->windowFlags() & ~Qt::WindowCloseButtonHint);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->show();
    qCDebug(lcPages) << "reboot wait:" << step << "ms per step";

    for (int i = 0; i < 100; ++i) {
        sleep(step);
        // The window (and with it the dialog) can go while events are processed.
        if (!dialog)
            return;
        dialog->setValue(i);
        QCoreApplication::processEvents();
        if (!dialog)
            return;
    }
    dialog->close();
    delete dialog;
}
