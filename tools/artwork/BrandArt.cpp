#include "BrandArt.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>

QColor BrandArt::brandOrange()
{
    return QColor(250, 132, 43);
}

QImage BrandArt::blankImage(int width, int height, qreal scale, QImage::Format format, const QColor &fill)
{
    QImage img(qRound(width * scale), qRound(height * scale), format);
    img.setDevicePixelRatio(scale);
    img.fill(fill);
    return img;
}

QImage BrandArt::transparentImage(int width, int height, qreal scale)
{
    return blankImage(width, height, scale, QImage::Format_ARGB32_Premultiplied, Qt::transparent);
}

// The brand glyph: a helicopter seen from the front; the rotor bar over the
// mast and cabin also reads as a "T".
void BrandArt::drawRotorGlyph(QPainter &p, const QRectF &box, const QColor &colour)
{
    const qreal s = box.width();
    auto at = [&](qreal x, qreal y) { return QPointF(box.left() + x * s, box.top() + y * box.height()); };

    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    // rotor blades: tapered towards the tips
    QPainterPath blades;
    blades.moveTo(at(0.06, 0.27));
    blades.lineTo(at(0.50, 0.21));
    blades.lineTo(at(0.94, 0.27));
    blades.lineTo(at(0.94, 0.31));
    blades.lineTo(at(0.50, 0.35));
    blades.lineTo(at(0.06, 0.31));
    blades.closeSubpath();
    p.drawPath(blades);
    // mast, hub and a cabin seen from the front, with a windscreen cut out
    p.drawRect(QRectF(at(0.455, 0.30), at(0.545, 0.42)));
    p.drawEllipse(at(0.5, 0.29), s * 0.075, s * 0.075);
    QPainterPath cabin;
    cabin.addEllipse(QRectF(at(0.30, 0.40), at(0.70, 0.78)));
    QPainterPath screen;
    screen.moveTo(at(0.36, 0.56));
    screen.cubicTo(at(0.38, 0.45), at(0.62, 0.45), at(0.64, 0.56));
    screen.closeSubpath();
    p.drawPath(cabin.subtracted(screen));
    // skid legs and skids
    QPen pen(colour, s * 0.065, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawLine(at(0.40, 0.72), at(0.30, 0.87));
    p.drawLine(at(0.60, 0.72), at(0.70, 0.87));
    p.drawLine(at(0.18, 0.87), at(0.82, 0.87));
}

QImage BrandArt::logoMark(int size, qreal scale)
{
    QImage img = blankImage(size, size, scale, QImage::Format_RGB32, Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal m = size * 0.06;
    drawRotorGlyph(p, QRectF(m, m, size - 2 * m, size - 2 * m), brandOrange());
    return img;
}

QImage BrandArt::logoText(int width, int height, qreal scale)
{
    QImage img = blankImage(width, height, scale, QImage::Format_RGB32, Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    // largest size that fits with a small margin
    int px = height;
    for (; px > 8; --px) {
        font.setPixelSize(px);
        const QRectF r = QFontMetricsF(font).tightBoundingRect(QStringLiteral("TAVRO"));
        if (r.width() <= width - 8 && r.height() <= height * 0.52)
            break;
    }
    font.setPixelSize(px);
    const QFontMetricsF fm(font);
    const QRectF tight = fm.tightBoundingRect(QStringLiteral("TAVRO"));
    const qreal textTop = height * 0.16;
    const QPointF origin((width - tight.width()) / 2.0 - tight.left(), textTop - tight.top());
    QPainterPath text;
    text.addText(origin, font, QStringLiteral("TAVRO"));
    p.setPen(Qt::NoPen);
    p.setBrush(brandOrange());
    p.drawPath(text);

    // underline in the brand colour, ending in a rotor-tip dot
    const qreal y = textTop + tight.height() + height * 0.12;
    const qreal x0 = (width - tight.width()) / 2.0;
    const qreal x1 = x0 + tight.width();
    p.setPen(QPen(brandOrange(), 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(x0 + 1, y), QPointF(x1 - 8, y));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(x1 - 3, y), 2.6, 2.6);

    // tag line in grey
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(qMax(7, height / 6));
    small.setLetterSpacing(QFont::AbsoluteSpacing, 1.0);
    p.setFont(small);
    p.setPen(QColor(120, 120, 120));
    p.drawText(QRectF(0, y + 2, width, height - y - 2), Qt::AlignHCenter | Qt::AlignTop,
               QStringLiteral("HELI SETUP"));
    return img;
}

QImage BrandArt::minimiseIcon(int size, qreal scale)
{
    QImage img = transparentImage(size, size, scale);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(110, 110, 110), 1.6, Qt::SolidLine, Qt::RoundCap));
    const qreal y = size * 0.5 + 0.5;
    p.drawLine(QPointF(size * 0.32, y), QPointF(size * 0.68, y));
    return img;
}

QImage BrandArt::closeIcon(int size, qreal scale)
{
    QImage img = transparentImage(size, size, scale);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(110, 110, 110), 1.6, Qt::SolidLine, Qt::RoundCap));
    const qreal a = size * 0.34, b = size * 0.66;
    p.drawLine(QPointF(a, a), QPointF(b, b));
    p.drawLine(QPointF(a, b), QPointF(b, a));
    return img;
}

QImage BrandArt::signalIcon(int size, bool connected, qreal scale)
{
    QImage img = transparentImage(size, size, scale);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor colour = connected ? QColor(0, 150, 60) : QColor(220, 40, 40);
    const QColor faded = connected ? colour : QColor(220, 40, 40, 110);
    const qreal s = size;
    const QPointF base(s * 0.5, s * 0.80);

    // dot and three arcs opening upwards
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(base, s * 0.07, s * 0.07);
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= 3; ++i) {
        const qreal r = s * (0.08 + 0.15 * i);
        p.setPen(QPen(i == 1 ? colour : faded, s * 0.075, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(base.x() - r, base.y() - r, 2 * r, 2 * r), 45 * 16, 90 * 16);
    }
    if (!connected) {
        // cross over the signal
        p.setPen(QPen(QColor(255, 255, 255), s * 0.16, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s * 0.18, s * 0.14), QPointF(s * 0.82, s * 0.86));
        p.setPen(QPen(colour, s * 0.08, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s * 0.18, s * 0.14), QPointF(s * 0.82, s * 0.86));
    }
    return img;
}

QImage BrandArt::appIcon(int size)
{
    QImage img = transparentImage(size, size, 1.0);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QLinearGradient grad(0, 0, 0, s);
    grad.setColorAt(0.0, brandOrange().lighter(110));
    grad.setColorAt(1.0, brandOrange().darker(108));
    p.setPen(Qt::NoPen);
    p.setBrush(grad);
    p.drawRoundedRect(QRectF(s * 0.04, s * 0.04, s * 0.92, s * 0.92), s * 0.2, s * 0.2);
    drawRotorGlyph(p, QRectF(s * 0.16, s * 0.14, s * 0.68, s * 0.68), Qt::white);
    return img;
}
