#pragma once
// Watches a top-level widget for the moments that make "the window is up":
// its first Show event, the first Expose of its native window (the platform
// shows it), and the end of the event processing that painted it.

#include <QObject>
#include <QPointer>

#include <chrono>
#include <optional>

class QWidget;
class QWindow;

class WindowProbe : public QObject
{
    Q_OBJECT

public:
    using Clock = std::chrono::steady_clock;

    // Creates the widget's native window (without showing it) and listens to
    // both the widget and that window.
    explicit WindowProbe(QWidget *window, QObject *parent = nullptr);

    std::optional<Clock::time_point> firstShow() const { return m_show; }
    std::optional<Clock::time_point> firstExpose() const { return m_expose; }
    // Taken by a zero timer queued at the first expose: the expose and the
    // paint it causes have been handled by then.
    std::optional<Clock::time_point> firstPainted() const { return m_painted; }

signals:
    void painted();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_widget;
    QPointer<QWindow> m_window;
    std::optional<Clock::time_point> m_show;
    std::optional<Clock::time_point> m_expose;
    std::optional<Clock::time_point> m_painted;
};
