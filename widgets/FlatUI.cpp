#include "widgets/FlatUI.h"

#include <QCoreApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QPushButton>
#include <QSlider>
#include <QStringList>
#include <atomic>

namespace {
std::atomic<FlatUI *> g_instance{nullptr};
QMutex g_instanceMutex;
}

FlatUI::FlatUI(QObject *parent)
    : QObject(parent)
{
}

FlatUI::~FlatUI() = default;

FlatUI *FlatUI::Instance()
{
    FlatUI *self = g_instance.load(std::memory_order_acquire);
    if (!self) {
        QMutexLocker locker(&g_instanceMutex);
        self = g_instance.load(std::memory_order_relaxed);
        if (!self) {
            self = new FlatUI;
            // A first call from a worker thread must not tie the helper to a
            // thread that may end; it belongs with the application.
            if (QCoreApplication *app = QCoreApplication::instance())
                self->moveToThread(app->thread());
            g_instance.store(self, std::memory_order_release);
        }
    }
    return self;
}

QString FlatUI::setPushButtonQss(QPushButton *btn, int radius, int padding,
                                 const QString &normalColor, const QString &normalTextColor,
                                 const QString &hoverColor, const QString &hoverTextColor,
                                 const QString &pressedColor, const QString &pressedTextColor)
{
    QStringList rules;
    rules << QStringLiteral("QPushButton{border-style:none;padding:%1px;border-radius:%2px;color:%3;background:%4;}")
                 .arg(padding).arg(radius).arg(normalTextColor, normalColor);
    rules << QStringLiteral("QPushButton:hover{color:%1;background:%2;}").arg(hoverTextColor, hoverColor);
    rules << QStringLiteral("QPushButton:pressed{color:%1;background:%2;}").arg(pressedTextColor, pressedColor);

    const QString qss = rules.join(QString());
    if (btn)
        btn->setStyleSheet(qss);
    return qss;
}

QString FlatUI::setSliderQss(QSlider *slider, int sliderHeight, const QString &normalColor,
                             const QString &grooveColor, const QString &handleColor)
{
    const int h = sliderHeight;
    const int r = h / 2;
    const int s = (h * 3) / 2 + h / 5;
    const int m = s / 2;

    QStringList rules;
    rules << QStringLiteral("QSlider::horizontal{min-height:%1px;}").arg(h * 2);
    rules << QStringLiteral("QSlider::groove:horizontal{background:%1;height:%2px;border-radius:%3px;}")
                 .arg(normalColor).arg(h).arg(r);
    rules << QStringLiteral("QSlider::add-page:horizontal{background:%1;height:%2px;border-radius:%3px;}")
                 .arg(normalColor).arg(h).arg(r);
    rules << QStringLiteral("QSlider::handle:horizontal{width:%1px;margin-top:-%2px;margin-bottom:-%2px;"
                            "background-color:rgb(255,255,255);border:2px solid %3}")
                 .arg(s).arg(m).arg(handleColor);
    rules << QStringLiteral("QSlider::vertical{min-width:%1px;}").arg(h * 2);
    rules << QStringLiteral("QSlider::groove:vertical{background:%1;width:%2px;border-radius:%3px;border:none;}")
                 .arg(normalColor).arg(h).arg(r);
    rules << QStringLiteral("QSlider::add-page:vertical{background:%1;width:%2px;border-radius:%3px;}")
                 .arg(grooveColor).arg(h).arg(r);
    rules << QStringLiteral("QSlider::sub-page:vertical{background:%1;width:%2px;border-radius:%3px;}")
                 .arg(normalColor).arg(h).arg(r);
    rules << QStringLiteral("QSlider::handle:vertical{height:%1px;margin-left:-%2px;margin-right:-%2px;"
                            "background-color:rgb(255,255,255);border:2px solid %3}")
                 .arg((s - 1) / 2).arg(m).arg(handleColor);

    const QString qss = rules.join(QString());
    if (slider)
        slider->setStyleSheet(qss);
    return qss;
}
