#include "widgets/XProgressBar.h"

#include "widgets/Backdrop.h"
#include "widgets/WidgetFonts.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

XProgressBar::XProgressBar(QWidget *parent)
    : QProgressBar(parent)
{
    WidgetFonts::installSubstitutions();
}

XProgressBar::~XProgressBar() = default;

QSize XProgressBar::sizeHint() const
{
    return QSize(300, 30);
}

QSize XProgressBar::minimumSizeHint() const
{
    return QSize(10, 5);
}

int XProgressBar::effectiveRadius() const
{
    return m_autoRadius ? height() / 2 : m_radius;
}

int XProgressBar::filledWidth() const
{
    const double span = double(maximum()) - double(minimum());
    if (span <= 0)
        return 0;
    const double f = (double(value()) - double(minimum())) / span;
    const int filled = static_cast<int>(std::trunc(width() * f));
    return qBound(0, filled, width());
}

void XProgressBar::setValue(int value)
{
    // Unchanged, or refused as QProgressBar refuses a value outside a range
    // that is not 0..0: nothing happens.
    if (value == QProgressBar::value())
        return;
    if ((value > maximum() || value < minimum()) && (maximum() != 0 || minimum() != 0))
        return;
    if (!updatesEnabled()) {
        QProgressBar::setValue(value);
        return;
    }
    const int filledBefore = filledWidth();
    const int digitsBefore = int(QString::number(QProgressBar::value()).size());
    // QProgressBar repaints on the spot when its value changes; with updates
    // off it only stores the value and tells its listeners. Only what changed
    // is painted afterwards: the end of the fill and the number.
    setAttribute(Qt::WA_UpdatesDisabled, true);
    QProgressBar::setValue(value);
    setAttribute(Qt::WA_UpdatesDisabled, false);
    update(changedRegion(filledBefore, digitsBefore));
}

QRegion XProgressBar::changedRegion(int filledBefore, int digitsBefore)
{
    const int h = height();
    const int filled = filledWidth();
    const int lo = std::min(filled, filledBefore);
    const int hi = std::max(filled, filledBefore);
    QRegion region(QRect(lo - 1, 0, hi - lo + 2, h));
    // The number, centred: as wide as its digits can be, with room for
    // the glyphs' overhang.
    if (font() != m_digitFont || m_digitWidth <= 0) {
        m_digitFont = font();
        const QFontMetrics metrics(m_digitFont);
        m_digitWidth = metrics.horizontalAdvance(QLatin1Char('-'));
        for (char c = '0'; c <= '9'; ++c)
            m_digitWidth = std::max(m_digitWidth, metrics.horizontalAdvance(QLatin1Char(c)));
    }
    const int digits = std::max(digitsBefore, int(QString::number(value()).size()));
    const int band = digits * m_digitWidth + 8;
    region += QRect((width() - band) / 2, 0, band, h);
    return region & rect();
}

void XProgressBar::setColor(QColor &member, const QColor &color)
{
    if (member == color)
        return;
    member = color;
    m_layersValid = false;
    update();
}

void XProgressBar::updateLayers()
{
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * dpr).toSize();
    if (m_layersValid && m_emptyLayer.size() == pixels && m_emptyLayer.devicePixelRatio() == dpr)
        return;
    const int w = width();
    const int h = height();
    const int r = effectiveRadius();
    const auto render = [&](bool full) {
        QPixmap layer(pixels);
        layer.setDevicePixelRatio(dpr);
        layer.fill(Qt::transparent);
        QPainter painter(&layer);
        painter.setRenderHints(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_bgColor);
        painter.drawRoundedRect(QRect(1, 1, w - 2, h - 2), r, r);
        if (full) {
            QPainterPath clip;
            clip.addRoundedRect(QRectF(0, 0, w, h), r, r);
            painter.setClipPath(clip);
            if (m_valueBrush.style() != Qt::NoBrush)
                painter.setBrush(m_valueBrush);
            else
                painter.setBrush(m_valueColor);
            painter.drawRect(QRect(0, 0, w, h));
        }
        return layer;
    };
    m_emptyLayer = Backdrop::under(render(false), m_backdrop);
    m_fullLayer = Backdrop::under(render(true), m_backdrop);
    m_layersValid = true;
}

void XProgressBar::setValueColor(const QColor &color) { setColor(m_valueColor, color); }
void XProgressBar::setBgColor(const QColor &color) { setColor(m_bgColor, color); }
void XProgressBar::setTextColor(const QColor &color) { setColor(m_textColor, color); }
void XProgressBar::setBorderColor(const QColor &color) { setColor(m_borderColor, color); }

void XProgressBar::setRadius(int radius)
{
    if (radius == m_radius)
        return;
    m_radius = radius;
    m_layersValid = false;
    update();
}

void XProgressBar::setAutoRadius(bool autoRadius)
{
    if (autoRadius == m_autoRadius)
        return;
    m_autoRadius = autoRadius;
    m_layersValid = false;
    update();
}

void XProgressBar::setShowProgressRadius(bool showProgressRadius)
{
    if (showProgressRadius == m_showProgressRadius)
        return;
    m_showProgressRadius = showProgressRadius;
    update();
}

void XProgressBar::setBorderWidth(double borderWidth)
{
    if (borderWidth == m_borderWidth)
        return;
    m_borderWidth = borderWidth;
    update();
}

void XProgressBar::setValueBrush(const QBrush &brush)
{
    if (brush == m_valueBrush)
        return;
    m_valueBrush = brush;
    m_layersValid = false;
    update();
}

void XProgressBar::setBackdrop(const QColor &colour)
{
    if (colour == m_backdrop)
        return;
    m_backdrop = colour;
    m_layersValid = false;
    update();
}

void XProgressBar::paintEvent(QPaintEvent *)
{
    Backdrop::markOpaque(this, m_backdrop);
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);

    const int w = width();
    const int h = height();
    const int r = effectiveRadius();

    if (r <= 0) {
        // Square corners (the channel monitor's bars): plain fills of whole
        // pixels, the same picture without a clip path or edge smoothing.
        if (m_backdrop.isValid())
            painter.fillRect(rect(), m_backdrop);
        painter.fillRect(QRect(1, 1, w - 2, h - 2), m_bgColor);
        const int filled = filledWidth();
        if (filled > 0) {
            if (m_valueBrush.style() != Qt::NoBrush)
                painter.fillRect(QRect(0, 0, filled, h), m_valueBrush);
            else
                painter.fillRect(QRect(0, 0, filled, h), m_valueColor);
        }
        painter.setPen(m_textColor);
        m_number.drawCentred(painter, rect(), QString::number(value()));
        paintBorder(painter);
        return;
    }

    if (!m_showProgressRadius) {
        // Rounded ends and a square end of the fill: the track with and
        // without its fill is drawn once (updateLayers) and shown in two
        // parts, cut where the fill ends.
        updateLayers();
        const int filled = filledWidth();
        const qreal dpr = m_emptyLayer.devicePixelRatio();
        if (filled > 0)
            painter.drawPixmap(QRectF(0, 0, filled, h), m_fullLayer, QRectF(0, 0, filled * dpr, h * dpr));
        if (filled < w)
            painter.drawPixmap(QRectF(filled, 0, w - filled, h), m_emptyLayer,
                               QRectF(filled * dpr, 0, (w - filled) * dpr, h * dpr));
        painter.setPen(m_textColor);
        m_number.drawCentred(painter, rect(), QString::number(value()));
        paintBorder(painter);
        return;
    }

    // Backdrop and background.
    if (m_backdrop.isValid())
        painter.fillRect(rect(), m_backdrop);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_bgColor);
    painter.drawRoundedRect(QRect(1, 1, w - 2, h - 2), r, r);

    // Filled part and the value, clipped to the rounded outline.
    painter.save();
    {
        QPainterPath clip;
        clip.addRoundedRect(QRectF(rect()), r, r);
        painter.setClipPath(clip);

        const int filled = filledWidth();
        if (m_valueBrush.style() != Qt::NoBrush)
            painter.setBrush(m_valueBrush);
        else
            painter.setBrush(m_valueColor);
        if (m_showProgressRadius)
            painter.drawRoundedRect(QRect(0, 0, filled, h), r, r);
        else
            painter.drawRect(QRect(0, 0, filled, h));

        painter.setPen(m_textColor);
        painter.setBrush(Qt::NoBrush);
        m_number.drawCentred(painter, rect(), QString::number(value()));
    }
    painter.restore();
    paintBorder(painter);
}

void XProgressBar::paintBorder(QPainter &painter) const
{
    if (m_borderWidth <= 0)
        return;
    const int r = effectiveRadius();
    painter.setPen(QPen(m_borderColor, m_borderWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRect(1, 1, width() - 2, height() - 2), r, r);
}
