#include "widgets/ProgressRing.h"

#include "widgets/WidgetFonts.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTimer>
#include <cmath>

ProgressRing::ProgressRing(QWidget *parent)
    : QWidget(parent)
{
    WidgetFonts::installSubstitutions();
    setFont(QFont(QStringLiteral("Arial"), 8));
    m_timer = new QTimer(this);
    m_timer->setInterval(10);
    connect(m_timer, &QTimer::timeout, this, &ProgressRing::updateValue);
}

ProgressRing::~ProgressRing() = default;

QSize ProgressRing::sizeHint() const
{
    return QSize(200, 200);
}

QSize ProgressRing::minimumSizeHint() const
{
    return QSize(20, 20);
}

template <typename T>
void ProgressRing::store(T &member, const T &value)
{
    if (member == value)
        return;
    member = value;
    update();
}

void ProgressRing::setRange(double minValue, double maxValue)
{
    // Also rejects NaN bounds.
    if (!(minValue < maxValue))
        return;
    m_minValue = minValue;
    m_maxValue = maxValue;
    if (m_value < minValue || m_value > maxValue)
        setValue(qBound(minValue, m_value, maxValue));
    // A displayed value left outside the new range would paint a wrong arc.
    if (!m_timer->isActive())
        m_currentValue = m_value;
    update();
}

void ProgressRing::setRange(int minValue, int maxValue)
{
    setRange(double(minValue), double(maxValue));
}

void ProgressRing::setMinValue(double minValue)
{
    setRange(minValue, m_maxValue);
}

void ProgressRing::setMaxValue(double maxValue)
{
    setRange(m_minValue, maxValue);
}

void ProgressRing::setValue(double value)
{
    if (value == m_value || std::isnan(value))
        return;
    const double clamped = qBound(m_minValue, value, m_maxValue);
    // A value that clamps to the stored one changes nothing and is not announced.
    if (clamped == m_value)
        return;

    // The direction is judged against what the ring shows, so that a change
    // of mind in the middle of an animation still ends on the new value.
    const double from = m_timer->isActive() ? m_currentValue : m_value;
    m_increasing = clamped > from;
    m_value = clamped;
    Q_EMIT valueChanged(static_cast<int>(std::trunc(m_value)));

    if (m_animation) {
        m_timer->start();
    } else {
        m_timer->stop();
        m_currentValue = m_value;
        update();
    }
}

void ProgressRing::setValue(int value)
{
    setValue(double(value));
}

void ProgressRing::updateValue()
{
    if (!m_increasing && m_currentValue > m_value) {
        m_currentValue -= m_animationStep;
        update();
    } else if (m_increasing && m_currentValue < m_value) {
        m_currentValue += m_animationStep;
        update();
    } else {
        m_timer->stop();
        update();
    }
}

void ProgressRing::setPrecision(int precision)
{
    if (precision > 3 || precision < 0)
        return;
    store(m_precision, precision);
}

void ProgressRing::setAnimationStep(double animationStep)
{
    // A step of zero or less (or NaN) would keep the animation running forever.
    if (!(animationStep > 0))
        return;
    store(m_animationStep, animationStep);
}

void ProgressRing::setText(const QString &text) { store(m_text, text); }
void ProgressRing::setClockWise(bool clockWise) { store(m_clockWise, clockWise); }
void ProgressRing::setShowPercent(bool showPercent) { store(m_showPercent, showPercent); }
void ProgressRing::setAlarmMode(int alarmMode) { store(m_alarmMode, alarmMode); }
void ProgressRing::setStartAngle(int startAngle) { store(m_startAngle, startAngle); }
void ProgressRing::setRingPadding(int ringPadding) { store(m_ringPadding, ringPadding); }
void ProgressRing::setRingWidth(int ringWidth) { store(m_ringWidth, ringWidth); }
void ProgressRing::setAnimation(bool animation) { store(m_animation, animation); }
void ProgressRing::setBgColor(const QColor &color) { store(m_bgColor, color); }
void ProgressRing::setTextColor(const QColor &color) { store(m_textColor, color); }
void ProgressRing::setRingColor(const QColor &color) { store(m_ringColor, color); }
void ProgressRing::setRingBgColor(const QColor &color) { store(m_ringBgColor, color); }
void ProgressRing::setCircleColor(const QColor &color) { store(m_circleColor, color); }
void ProgressRing::setRingValue1(int ringValue1) { store(m_ringValue1, ringValue1); }
void ProgressRing::setRingValue2(int ringValue2) { store(m_ringValue2, ringValue2); }
void ProgressRing::setRingValue3(int ringValue3) { store(m_ringValue3, ringValue3); }
void ProgressRing::setRingColor1(const QColor &color) { store(m_ringColor1, color); }
void ProgressRing::setRingColor2(const QColor &color) { store(m_ringColor2, color); }
void ProgressRing::setRingColor3(const QColor &color) { store(m_ringColor3, color); }

QColor ProgressRing::arcColor() const
{
    const double d = m_currentValue;
    if (m_alarmMode == 1) {
        if (d >= m_ringValue3)
            return m_ringColor3;
        if (d >= m_ringValue2)
            return m_ringColor2;
        return m_ringColor1;
    }
    if (m_alarmMode == 2) {
        if (d <= m_ringValue1)
            return m_ringColor1;
        if (d <= m_ringValue2)
            return m_ringColor2;
        return m_ringColor3;
    }
    return m_ringColor;
}

QString ProgressRing::centreText() const
{
    if (!m_text.isEmpty())
        return m_text;
    if (m_showPercent) {
        const double percent = (m_currentValue - m_minValue) * 100.0 / (m_maxValue - m_minValue);
        return QStringLiteral("%1%").arg(QString::number(percent, 'f', m_precision));
    }
    return QStringLiteral("%1").arg(QString::number(m_currentValue, 'f', m_precision));
}

void ProgressRing::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.translate(width() / 2, height() / 2);
    const double side = qMin(width(), height());
    painter.scale(side / 200.0, side / 200.0);

    const int p = m_ringPadding;
    const int w = m_ringWidth;
    const double d = m_currentValue;

    // Outer disc.
    painter.setPen(Qt::NoPen);
    painter.setBrush(p != 0 ? m_bgColor : m_ringBgColor);
    painter.drawEllipse(QPointF(0, 0), 99, 99);

    // Arc for the value, then the rest of the ring.
    {
        const double f = (d - m_minValue) / (m_maxValue - m_minValue);
        double arc = 360.0 * f;
        double rest = 360.0 - arc;
        if (!m_clockWise) {
            arc = -arc;
            rest = -rest;
        }
        const double radius = 99 - p;
        const QRectF ringRect(-radius, -radius, 2 * radius, 2 * radius);
        painter.setBrush(arcColor());
        painter.drawPie(ringRect, static_cast<int>((m_startAngle - arc) * 16), static_cast<int>(arc * 16));
        painter.setBrush(m_ringBgColor);
        painter.drawPie(ringRect, static_cast<int>((m_startAngle - arc - rest) * 16), static_cast<int>(rest * 16));
    }

    // Gap inside the ring.
    if (p > 0) {
        const double radius = 99 - w - p;
        if (radius > 0) {
            painter.setBrush(m_bgColor);
            painter.drawEllipse(QPointF(0, 0), radius, radius);
        }
    }

    // Centre disc and text.
    const int r = 99 - 2 * p - w;
    if (r <= 0)
        return;
    painter.setBrush(m_circleColor);
    painter.drawEllipse(QPointF(0, 0), r, r);

    QFont textFont = font();
    const int pixelSize = qMax(1, m_showPercent ? r - 20 : r - 6);
    textFont.setPixelSize(pixelSize);
    // A long text (decimals, a word) would run over the ring: shrink it until
    // its ink fits inside the centre disc.
    const QString label = centreText();
    const QRectF ink = QFontMetricsF(textFont).tightBoundingRect(label);
    const double reach = std::hypot(ink.width() / 2, ink.height() / 2);
    const double room = r * 0.85;
    if (reach > room && reach > 0)
        textFont.setPixelSize(qMax(1, static_cast<int>(pixelSize * room / reach)));
    painter.setFont(textFont);
    painter.setPen(m_textColor);
    painter.setBrush(Qt::NoBrush);
    painter.drawText(QRectF(-r, -r, 2 * r, 2 * r), Qt::AlignCenter, label);
}
