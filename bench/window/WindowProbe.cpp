#include "WindowProbe.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

WindowProbe::WindowProbe(QWidget *window, QObject *parent)
    : QObject(parent), m_widget(window)
{
    window->installEventFilter(this);
    window->winId(); // the native window exists before show(), so its first expose is seen
    m_window = window->windowHandle();
    if (m_window)
        m_window->installEventFilter(this);
}

bool WindowProbe::eventFilter(QObject *watched, QEvent *event)
{
    const auto now = Clock::now();
    if (watched == m_widget && event->type() == QEvent::Show && !m_show) {
        m_show = now;
    } else if (watched == m_window && event->type() == QEvent::Expose && !m_expose && m_window->isExposed()) {
        m_expose = now;
        QTimer::singleShot(0, this, [this] {
            m_painted = Clock::now();
            emit painted();
        });
    }
    return QObject::eventFilter(watched, event);
}
