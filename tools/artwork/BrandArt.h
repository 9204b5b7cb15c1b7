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
    static QImage logoMark(int size);                 // orange rotor "T" on white
    static QImage logoText(int width, int height);    // "TAVRO" in orange on white
    static QImage minimiseIcon(int size);             // thin grey bar, transparent
    static QImage closeIcon(int size);                // thin grey cross, transparent
    static QImage signalIcon(int size, bool connected);// green signal / red crossed signal
    static QImage appIcon(int size);                  // white rotor "T" on an orange tile

    static QColor brandOrange();

private:
    static QImage transparentImage(int width, int height);
    static void drawRotorGlyph(QPainter &p, const QRectF &box, const QColor &colour);
};
