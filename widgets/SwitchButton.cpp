#include "widgets/SwitchButton.h"

#include "widgets/WidgetFonts.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTimer>

SwitchButton::SwitchButton(QWidget *parent)
    : QWidget(parent)
    , textOff(QStringLiteral("关闭"))
    , textOn(QStringLiteral("开启"))
{
    WidgetFonts::installSubstitutions();
    m_timer = new QTimer(this);
    m_timer->setInterval(30);
    connect(m_timer, &QTimer::timeout, this, &SwitchButton::updateValue);
}

SwitchButton::~SwitchButton() = default;

QSize SwitchButton::sizeHint() const
{
    return QSize(70, 30);
}

QSize SwitchButton::minimumSizeHint() const
{
    return QSize(10, 5);
}

int SwitchButton::checkedTarget() const
{
    if (!m_checked)
        return 0;
    if (m_buttonStyle == ButtonStyle_Rect)
        return width() - width() / 2;
    return width() - height();
}

void SwitchButton::toggle()
{
    m_checked = !m_checked;
    Q_EMIT checkedChanged(m_checked);

    m_step = width() / 7;
    m_endX = checkedTarget();
    if (m_animation) {
        m_timer->start();
    } else {
        m_startX = m_endX;
        update();
    }
}

void SwitchButton::mousePressEvent(QMouseEvent *)
{
    m_changePending = false;
    toggle();
}

void SwitchButton::resizeEvent(QResizeEvent *)
{
    m_step = width() / 50;
    m_timer->stop();
    m_startX = checkedTarget();
    m_endX = m_startX;
    update();
}

void SwitchButton::setChecked(bool checked)
{
    if (m_changePending) {
        // A deferred toggle is queued; it settles on the latest wish.
        m_pendingChecked = checked;
        return;
    }
    if (checked == m_checked)
        return;
    if (m_step != 0) {
        toggle();
    } else {
        m_changePending = true;
        m_pendingChecked = checked;
        QTimer::singleShot(10, this, &SwitchButton::change);
    }
}

void SwitchButton::change()
{
    if (!m_changePending)
        return;
    m_changePending = false;
    if (m_pendingChecked != m_checked)
        toggle();
}

void SwitchButton::updateValue()
{
    // A very narrow switch has a step of 0; move at least one pixel a tick so
    // the animation always ends.
    const int step = qMax(m_step, 1);
    if (m_checked && m_startX < m_endX) {
        m_startX = qMin(m_startX + step, m_endX);
        update();
    } else if (!m_checked && m_startX > m_endX) {
        m_startX = qMax(m_startX - step, m_endX);
        update();
    } else {
        m_startX = m_endX;
        m_timer->stop();
        update();
    }
}

void SwitchButton::setSpace(int space)
{
    if (space == m_space)
        return;
    m_space = space;
    update();
}

void SwitchButton::setRectRadius(int rectRadius)
{
    if (rectRadius == m_rectRadius)
        return;
    m_rectRadius = rectRadius;
    update();
}

void SwitchButton::setShowText(bool showText)
{
    if (showText == m_showText)
        return;
    m_showText = showText;
    update();
}

void SwitchButton::setShowCircle(bool showCircle)
{
    if (showCircle == m_showCircle)
        return;
    m_showCircle = showCircle;
    update();
}

void SwitchButton::setAnimation(bool animation)
{
    if (animation == m_animation)
        return;
    m_animation = animation;
    update();
}

void SwitchButton::setButtonStyle(SwitchButton::ButtonStyle buttonStyle)
{
    if (buttonStyle == m_buttonStyle)
        return;
    m_buttonStyle = buttonStyle;
    // The knob's place depends on the style.
    m_timer->stop();
    m_startX = checkedTarget();
    m_endX = m_startX;
    update();
}

void SwitchButton::setColor(QColor &member, const QColor &color)
{
    if (member == color)
        return;
    member = color;
    update();
}

void SwitchButton::setBgColorOff(const QColor &color) { setColor(m_bgColorOff, color); }
void SwitchButton::setBgColorOn(const QColor &color) { setColor(m_bgColorOn, color); }
void SwitchButton::setSliderColorOff(const QColor &color) { setColor(m_sliderColorOff, color); }
void SwitchButton::setSliderColorOn(const QColor &color) { setColor(m_sliderColorOn, color); }
void SwitchButton::setTextColorOff(const QColor &color) { setColor(m_textColorOff, color); }
void SwitchButton::setTextColorOn(const QColor &color) { setColor(m_textColorOn, color); }

void SwitchButton::setTextOff(const QString &text)
{
    if (text == textOff)
        return;
    textOff = text;
    update();
}

void SwitchButton::setTextOn(const QString &text)
{
    if (text == textOn)
        return;
    textOn = text;
    update();
}

void SwitchButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);

    const int w = width();
    const int h = height();
    const int s = m_space;
    const int r = m_rectRadius;
    const bool c = m_checked;

    // Track.
    painter.setPen(Qt::NoPen);
    QColor track = c ? m_bgColorOn : m_bgColorOff;
    if (!isEnabled())
        track.setAlpha(60);
    painter.setBrush(track);
    switch (m_buttonStyle) {
    case ButtonStyle_Rect:
        painter.drawRoundedRect(rect(), r, r);
        break;
    case ButtonStyle_CircleIn: {
        const int d = qMin(w, h);
        QPainterPath path;
        path.setFillRule(Qt::WindingFill);
        path.addEllipse(0, 0, d, d);
        path.addEllipse(w - d, 0, d, d);
        path.addRect(d / 2, 0, w - d, h);
        painter.drawPath(path);
        break;
    }
    case ButtonStyle_CircleOut:
        painter.drawRoundedRect(QRect(h / 2, s, w - h, h - 2 * s), r, r);
        break;
    }

    // Text or ring on the free side of the track.
    if (m_buttonStyle == ButtonStyle_Rect || m_buttonStyle == ButtonStyle_CircleIn) {
        if (m_showText) {
            const int d = qMin(w, h) - 2 * s;
            const int x = m_buttonStyle == ButtonStyle_Rect ? w / 2 - 5 : d - 5;
            painter.setBrush(Qt::NoBrush);
            if (c) {
                painter.setPen(m_textColorOn);
                painter.drawText(QRect(0, 0, w - x, h), Qt::AlignCenter, textOn);
            } else {
                painter.setPen(m_textColorOff);
                painter.drawText(QRect(x, 0, w - x, h), Qt::AlignCenter, textOff);
            }
        } else if (m_showCircle) {
            const int d = qMin(w, h) / 2;
            const int y = (h - d) / 2;
            painter.setBrush(Qt::NoBrush);
            if (c) {
                painter.setPen(QPen(m_textColorOn, 2, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
                painter.drawEllipse(d / 2, y, d, d);
            } else {
                painter.setPen(QPen(m_textColorOff, 2, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
                painter.drawEllipse(static_cast<int>(w - 1.5 * d), y, d, d);
            }
        }
    }

    // Knob.
    painter.setPen(Qt::NoPen);
    painter.setBrush(c ? m_sliderColorOn : m_sliderColorOff);
    switch (m_buttonStyle) {
    case ButtonStyle_Rect:
        painter.drawRoundedRect(QRect(m_startX + s, s, w / 2 - 2 * s, h - 2 * s), r, r);
        break;
    case ButtonStyle_CircleIn: {
        const int d = qMin(w, h) - 2 * s;
        painter.drawEllipse(m_startX + s, s, d, d);
        break;
    }
    case ButtonStyle_CircleOut: {
        const QRectF knob(m_startX, 0, h, h);
        QRadialGradient gradient(knob.center(), h / 2.0);
        const QColor inner = c ? QColor(Qt::white) : m_sliderColorOff;
        const QColor outer = c ? m_sliderColorOn : m_bgColorOff;
        gradient.setColorAt(0, inner);
        gradient.setColorAt(0.5, inner);
        gradient.setColorAt(0.6, outer);
        gradient.setColorAt(1, outer);
        painter.setBrush(gradient);
        painter.drawEllipse(knob);
        break;
    }
    }
}
