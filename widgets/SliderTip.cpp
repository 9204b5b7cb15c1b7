#include "widgets/SliderTip.h"

#include "widgets/NavLabel.h"
#include "widgets/WidgetFonts.h"

#include <QMouseEvent>
#include <cmath>

SliderTip::SliderTip(QWidget *parent)
    : QSlider(parent)
{
    WidgetFonts::installSubstitutions();
    setOrientation(Qt::Horizontal);
    m_labTipFont = font();

    m_labTip = new NavLabel;
    m_labTip->setBorderRadius(m_borderRadius);
    m_labTip->setArrowSize(m_arrowSize);
    m_labTip->setArrowPosition(static_cast<NavLabel::ArrowPosition>(m_arrowStyle));
    m_labTip->setBackground(m_background);
    m_labTip->setForeground(m_foreground);
    m_labTip->resize(m_labTipWidth, m_labTipHeight);
    m_labTip->setFont(m_labTipFont);
    m_labTip->setFocusPolicy(Qt::NoFocus);
    m_labTip->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    m_labTip->setAttribute(Qt::WA_TranslucentBackground);

    // The tip is filled in before the slider's own handling moves the value;
    // keep it in step with every change so it never shows a stale number.
    connect(this, &QSlider::valueChanged, this, [this] {
        if (m_labTip)
            m_labTip->setText(tipText());
    });
}

SliderTip::~SliderTip()
{
    if (m_labTip)
        m_labTip->deleteLater();
}

QString SliderTip::tipText() const
{
    QString text;
    if (m_showTime) {
        const int seconds = value() / 1000;
        text = QStringLiteral("%1:%2")
                   .arg(seconds / 60, 2, 10, QLatin1Char('0'))
                   .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    } else {
        text = QString::number(value());
    }
    return QStringLiteral("%1%2").arg(text, m_unit);
}

void SliderTip::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;

    if (m_clickEnable) {
        const double span = double(maximum()) - double(minimum());
        double target = value();
        if (orientation() == Qt::Horizontal) {
            if (width() > 0)
                target = minimum() + span * event->position().x() / width();
        } else {
            if (height() > 0)
                target = maximum() - span * event->position().y() / height();
        }
        setValue(static_cast<int>(std::trunc(target + 0.5)));
        Q_EMIT clicked();
    }

    mouseMoveEvent(event);
    if (m_tipVisable && m_labTip)
        m_labTip->show();
    QSlider::mousePressEvent(event);
}

void SliderTip::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF pos = event->position();
    if (orientation() == Qt::Horizontal) {
        if (pos.x() < 0 || pos.x() > width())
            return;
    } else {
        if (pos.y() < 0 || pos.y() > height())
            return;
    }

    if (m_labTip) {
        m_labTip->setText(tipText());
        const QPoint origin = mapToGlobal(QPoint(0, 0));
        const QPoint pointer = mapToGlobal(pos.toPoint());
        const int tipWidth = m_labTip->width();
        const int tipHeight = m_labTip->height();
        QPoint tipPos;
        if (orientation() == Qt::Horizontal) {
            const int y = m_arrowStyle == ArrowStyle_Top ? origin.y() + height() : origin.y() - tipHeight;
            tipPos = QPoint(pointer.x() - tipWidth / 2, y);
        } else {
            const int x = m_arrowStyle == ArrowStyle_Left ? origin.x() + width() : origin.x() - tipWidth;
            tipPos = QPoint(x, pointer.y() - tipHeight / 2);
        }
        m_labTip->move(tipPos);
    }

    QSlider::mouseMoveEvent(event);
}

void SliderTip::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_labTip)
        m_labTip->hide();
    QSlider::mouseReleaseEvent(event);
}

void SliderTip::setBorderRadius(int borderRadius)
{
    if (borderRadius == m_borderRadius)
        return;
    m_borderRadius = borderRadius;
    if (m_labTip)
        m_labTip->setBorderRadius(borderRadius);
}

void SliderTip::setArrowSize(int arrowSize)
{
    if (arrowSize == m_arrowSize)
        return;
    m_arrowSize = arrowSize;
    if (m_labTip)
        m_labTip->setArrowSize(arrowSize);
}

void SliderTip::setArrowStyle(SliderTip::ArrowStyle arrowStyle)
{
    if (arrowStyle == m_arrowStyle)
        return;
    m_arrowStyle = arrowStyle;
    if (m_labTip)
        m_labTip->setArrowPosition(static_cast<NavLabel::ArrowPosition>(arrowStyle));
}

void SliderTip::setBackground(const QColor &color)
{
    if (color == m_background)
        return;
    m_background = color;
    if (m_labTip)
        m_labTip->setBackground(color);
}

void SliderTip::setForeground(const QColor &color)
{
    if (color == m_foreground)
        return;
    m_foreground = color;
    if (m_labTip)
        m_labTip->setForeground(color);
}

void SliderTip::setLabTipWidth(int labTipWidth)
{
    if (labTipWidth == m_labTipWidth)
        return;
    m_labTipWidth = labTipWidth;
    if (m_labTip)
        m_labTip->resize(m_labTipWidth, m_labTipHeight);
}

void SliderTip::setLabTipHeight(int labTipHeight)
{
    if (labTipHeight == m_labTipHeight)
        return;
    m_labTipHeight = labTipHeight;
    if (m_labTip)
        m_labTip->resize(m_labTipWidth, m_labTipHeight);
}

void SliderTip::setLabTipFont(const QFont &font)
{
    if (font == m_labTipFont)
        return;
    m_labTipFont = font;
    if (m_labTip)
        m_labTip->setFont(font);
}

void SliderTip::setShowTime(bool showTime)
{
    m_showTime = showTime;
}

void SliderTip::setClickEnable(bool clickEnable)
{
    m_clickEnable = clickEnable;
}

void SliderTip::setUnit(const QString &unit)
{
    m_unit = unit;
}

void SliderTip::setTipVisable(bool showEnable)
{
    m_tipVisable = showEnable;
}
