#pragma once

// Small helpers shared by the widget tests: render a widget onto a transparent
// image, compare colours with a tolerance for antialiasing, count repaints.

#include <QColor>
#include <QEvent>
#include <QImage>
#include <QObject>
#include <QWidget>
#include <QtMath>

// Renders the widget alone (no window background) so unpainted pixels stay
// fully transparent.
inline QImage renderImage(QWidget *widget)
{
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

inline bool nearColor(const QColor &actual, const QColor &expected, int tolerance = 3)
{
    return qAbs(actual.red() - expected.red()) <= tolerance && qAbs(actual.green() - expected.green()) <= tolerance
        && qAbs(actual.blue() - expected.blue()) <= tolerance && qAbs(actual.alpha() - expected.alpha()) <= tolerance;
}

inline QString describe(const QColor &color)
{
    return QStringLiteral("rgba(%1,%2,%3,%4)").arg(color.red()).arg(color.green()).arg(color.blue()).arg(color.alpha());
}

// Verifies the pixel at (x, y) of image against a colour, naming both on failure.
#define QCOMPARE_PIXEL(image, x, y, expected)                                                                  \
    do {                                                                                                       \
        const QColor actual_ = (image).pixelColor((x), (y));                                                   \
        QVERIFY2(nearColor(actual_, (expected)),                                                               \
                 qPrintable(QStringLiteral("pixel (%1,%2) is %3, expected %4")                                 \
                                .arg(x).arg(y).arg(describe(actual_), describe(expected))));                   \
    } while (false)

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget)
        : QObject(widget)
    {
        widget->installEventFilter(this);
    }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};
