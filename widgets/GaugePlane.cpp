#include "widgets/GaugePlane.h"

#include "widgets/Backdrop.h"
#include "widgets/WidgetFonts.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>

namespace {

// Centre the origin (whole pixels) and scale so the shorter side spans 200 units.
void setupLogical(QPainter &painter, const QWidget *widget)
{
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.translate(widget->width() / 2, widget->height() / 2);
    const double side = qMin(widget->width(), widget->height());
    painter.scale(side / 200.0, side / 200.0);
}

} // namespace

GaugePlane::GaugePlane(QWidget *parent)
    : QWidget(parent)
{
    WidgetFonts::installSubstitutions();
}

GaugePlane::~GaugePlane() = default;

QSize GaugePlane::sizeHint() const
{
    return QSize(200, 200);
}

QSize GaugePlane::minimumSizeHint() const
{
    return QSize(50, 50);
}

void GaugePlane::setColor(QColor &member, const QColor &color)
{
    if (member == color)
        return;
    member = color;
    m_layersValid = false;
    update();
}

void GaugePlane::setBorderOutColorStart(const QColor &color) { setColor(m_borderOutColorStart, color); }
void GaugePlane::setBorderOutColorEnd(const QColor &color) { setColor(m_borderOutColorEnd, color); }
void GaugePlane::setBorderInColorStart(const QColor &color) { setColor(m_borderInColorStart, color); }
void GaugePlane::setBorderInColorEnd(const QColor &color) { setColor(m_borderInColorEnd, color); }
void GaugePlane::setBgColor(const QColor &color) { setColor(m_bgColor, color); }
void GaugePlane::setPlaneColor(const QColor &color) { setColor(m_planeColor, color); }
void GaugePlane::setGlassColor(const QColor &color) { setColor(m_glassColor, color); }
void GaugePlane::setScaleColor(const QColor &color) { setColor(m_scaleColor, color); }
void GaugePlane::setLineColor(const QColor &color) { setColor(m_lineColor, color); }
void GaugePlane::setPointerColor(const QColor &color) { setColor(m_pointerColor, color); }
void GaugePlane::setHandleColor(const QColor &color) { setColor(m_handleColor, color); }

void GaugePlane::setDegValue(int degValue)
{
    if (degValue < -180 || degValue > 180 || degValue == m_degValue)
        return;
    m_degValue = degValue;
    update();
}

void GaugePlane::setRollValue(int rollValue)
{
    if (rollValue < -100 || rollValue > 100 || rollValue == m_rollValue)
        return;
    m_rollValue = rollValue;
    update();
}

void GaugePlane::paintDial(QPainter &painter) const
{
    painter.setPen(Qt::NoPen);
    // Outer ring.
    {
        QLinearGradient gradient(0, -99, 0, 99);
        gradient.setColorAt(0, m_borderOutColorStart);
        gradient.setColorAt(1, m_borderOutColorEnd);
        painter.setBrush(gradient);
        painter.drawEllipse(QRectF(-99, -99, 198, 198));
    }

    // Inner ring.
    {
        QLinearGradient gradient(0, -93, 0, 93);
        gradient.setColorAt(0, m_borderInColorStart);
        gradient.setColorAt(1, m_borderInColorEnd);
        painter.setBrush(gradient);
        painter.drawEllipse(QRectF(-93, -93, 186, 186));
    }

    // Sky, fading towards the bottom.
    {
        QColor top = m_bgColor;
        top.setAlpha(255);
        QColor bottom = m_bgColor;
        bottom.setAlpha(150);
        QLinearGradient gradient(0, -90, 0, 90);
        gradient.setColorAt(0, top);
        gradient.setColorAt(1, bottom);
        painter.setBrush(gradient);
        painter.drawEllipse(QRectF(-90, -90, 180, 180));
    }
}

void GaugePlane::paintGlassAndScale(QPainter &painter) const
{
    painter.setPen(Qt::NoPen);
    // Glass highlight.
    {
        const QRectF upper(-80, -80, 160, 160);
        const QRectF lower(-80, -20, 160, 40);
        QColor faint = m_glassColor;
        faint.setAlpha(30);
        QColor strong = m_glassColor;
        strong.setAlpha(100);
        QLinearGradient gradient(upper.topLeft(), upper.bottomRight());
        gradient.setColorAt(0.1, faint);
        gradient.setColorAt(0.5, strong);
        painter.setBrush(gradient);
        painter.drawPie(upper, 0, 180 * 16);
        painter.drawPie(lower, 0, -180 * 16);
    }

    // Bank scale.
    painter.save();
    {
        QPen pen(m_scaleColor, 4, Qt::SolidLine, Qt::RoundCap);
        painter.setPen(pen);
        for (int angle : {-90, -60, -30, 0, 30, 60, 90}) {
            painter.save();
            painter.rotate(angle);
            painter.drawLine(QPointF(0, -80), QPointF(0, -88));
            painter.restore();
        }
        pen.setWidth(2);
        painter.setPen(pen);
        for (int angle : {-20, -10, 0, 10, 20}) {
            painter.save();
            painter.rotate(angle);
            painter.drawLine(QPointF(0, -80), QPointF(0, -88));
            painter.restore();
        }
    }
    painter.restore();
}

void GaugePlane::paintAircraft(QPainter &painter) const
{
    {
        QPen pen(m_handleColor, 4, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(m_handleColor);
        painter.drawArc(QRectF(-15, -15, 30, 30), 0, -180 * 16);
        painter.drawEllipse(QRectF(-2, -2, 4, 4));
        painter.drawLine(QPointF(-30, 0), QPointF(-15, 0));
        painter.drawLine(QPointF(30, 0), QPointF(15, 0));
        painter.drawLine(QPointF(0, 15), QPointF(0, 80));
        const QPointF stand[4] = {QPointF(-30, 82), QPointF(-20, 60), QPointF(20, 60), QPointF(30, 82)};
        painter.drawPolygon(stand, 4);
        painter.setPen(Qt::NoPen);
        painter.drawPie(QRectF(-32, 77, 64, 13), 0, -180 * 16);
    }
}

QPixmap GaugePlane::renderLayer(void (GaugePlane::*paint)(QPainter &) const) const
{
    const qreal dpr = devicePixelRatioF();
    QPixmap layer((QSizeF(size()) * dpr).toSize());
    layer.setDevicePixelRatio(dpr);
    layer.fill(Qt::transparent);
    QPainter painter(&layer);
    setupLogical(painter, this);
    (this->*paint)(painter);
    return layer;
}

void GaugePlane::setBackdrop(const QColor &colour)
{
    if (colour == m_backdrop)
        return;
    m_backdrop = colour;
    m_layersValid = false;
    update();
}

void GaugePlane::paintEvent(QPaintEvent *)
{
    // The parts that neither bank nor pitch move are drawn once into layers
    // and redrawn only when the size or a colour changes.
    const qreal dpr = devicePixelRatioF();
    if (!m_layersValid || m_dialLayer.devicePixelRatio() != dpr
        || m_dialLayer.size() != (QSizeF(size()) * dpr).toSize()) {
        m_dialLayer = Backdrop::under(renderLayer(&GaugePlane::paintDial), m_backdrop);
        m_glassLayer = renderLayer(&GaugePlane::paintGlassAndScale);
        m_aircraftLayer = renderLayer(&GaugePlane::paintAircraft);
        m_layersValid = true;
    }

    Backdrop::markOpaque(this, m_backdrop);
    QPainter painter(this);
    // Outer ring, inner ring, sky (on the backdrop).
    painter.drawPixmap(0, 0, m_dialLayer);
    setupLogical(painter, this);
    painter.setPen(Qt::NoPen);

    // Ground: a chord that grows as the horizon is lowered, turned by the bank.
    painter.save();
    painter.rotate(m_degValue);
    painter.setBrush(m_planeColor);
    {
        const double k = -(m_rollValue * 90.0 / 100.0);
        const double a = 180.0 + k;
        const int startAngle = static_cast<int>(a * -16.0);
        const int spanAngle = static_cast<int>((a + k) * 16.0);
        painter.drawChord(QRectF(-90, -90, 180, 180), startAngle, spanAngle);
    }
    painter.restore();

    // Glass highlight and bank scale.
    painter.save();
    painter.resetTransform();
    painter.drawPixmap(0, 0, m_glassLayer);
    painter.restore();

    // Pitch ladder: its offset is in device pixels, the rest scales. It is kept
    // inside the sky disc so that a large offset does not spill over the bezel.
    painter.save();
    {
        QPainterPath sky;
        sky.addEllipse(QPointF(0, 0), 90, 90);
        painter.setClipPath(sky);
        painter.resetTransform();
        painter.translate(width() / 2, height() / 2 + m_rollValue);
        const double side = qMin(width(), height());
        painter.scale(side / 200.0, side / 200.0);
        painter.rotate(m_degValue);

        painter.setPen(QPen(m_lineColor, 2, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        // The ladder's font and the sizes of its three numbers, kept until
        // the widget's font changes.
        if (!m_ladderValid || painter.font() != m_ladderBase) {
            m_ladderBase = painter.font();
            m_ladderFont = m_ladderBase;
            m_ladderFont.setPixelSize(10);
            m_ladderFont.setWeight(QFont::Bold);
            const QFontMetricsF metrics(m_ladderFont);
            for (int i = 0; i < 3; ++i) {
                m_ladderLabels[size_t(i)] = QString::number(10 * (i + 1));
                m_ladderAdvances[size_t(i)] = metrics.horizontalAdvance(m_ladderLabels[size_t(i)]);
            }
            m_ladderHeight = metrics.height();
            m_ladderValid = true;
        }
        painter.setFont(m_ladderFont);

        for (int n : {-30, -20, -10, 10, 20, 30}) {
            const double y = n * 1.3571428571428572;
            const double h = std::abs(n) * 95.0 / 100.0;
            painter.drawLine(QPointF(-h, y), QPointF(h, y));

            const size_t index = size_t(std::abs(n) / 10 - 1);
            const QString &label = m_ladderLabels[index];
            QRectF box(0, 0, m_ladderAdvances[index], m_ladderHeight);
            box.moveCenter(QPointF(-h - 9.5, y));
            m_texts.draw(painter, box, Qt::AlignCenter, label);
            box.moveCenter(QPointF(h + 9.5, y));
            m_texts.draw(painter, box, Qt::AlignCenter, label);
        }
    }
    painter.restore();

    // Bank pointer.
    painter.save();
    painter.rotate(m_degValue);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_pointerColor);
    {
        const QPointF pointer[3] = {QPointF(0, -70), QPointF(-5, -60), QPointF(5, -60)};
        painter.drawPolygon(pointer, 3);
    }
    painter.restore();

    // Fixed aircraft symbol and its stand.
    painter.resetTransform();
    painter.drawPixmap(0, 0, m_aircraftLayer);
}
