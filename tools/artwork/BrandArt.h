#pragma once

#include <QColor>
#include <QImage>

class QPainter;
class QRectF;

// The brand and window pictures: logo mark and logo text of the header, the
// window's minimise and close glyphs, the radio-signal indicator and the
// application icon.
class BrandArt
{
public:
    // Sizes are in logical pixels; `scale` 2 draws the same picture with
    // twice the pixels for a screen at 200 % (saved as name@2x.png).
    static QImage logoMark(int size, qreal scale = 1.0);              // orange rotor "T" on white
    static QImage logoText(int width, int height, qreal scale = 1.0); // "TAVRO" in orange on white
    static QImage minimiseIcon(int size, qreal scale = 1.0);          // thin grey bar, transparent
    static QImage closeIcon(int size, qreal scale = 1.0);             // thin grey cross, transparent
    static QImage signalIcon(int size, bool connected, qreal scale = 1.0); // green signal / red crossed signal
    static QImage appIcon(int size);                  // white rotor "T" on an orange tile

    static QColor brandOrange();

private:
    // An image of width x height logical pixels at `scale` (its device pixel ratio).
    static QImage blankImage(int width, int height, qreal scale, QImage::Format format, const QColor &fill);
    static QImage transparentImage(int width, int height, qreal scale);
    static void drawRotorGlyph(QPainter &p, const QRectF &box, const QColor &colour);
};
