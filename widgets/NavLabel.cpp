#include "widgets/NavLabel.h"

#include "widgets/WidgetFonts.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

NavLabel::NavLabel(QWidget *parent)
    : QLabel(parent)
{
    WidgetFonts::installSubstitutions();
    setFont(QFont(QStringLiteral("Microsoft Yahei"), 10));
    m_bgRect = rect();
}

NavLabel::~NavLabel() = default;

QSize NavLabel::sizeHint() const
{
    return QSize(100, 30);
}

QSize NavLabel::minimumSizeHint() const
{
    return QSize(20, 10);
}

void NavLabel::mousePressEvent(QMouseEvent *)
{
    Q_EMIT clicked();
}

void NavLabel::setBorderRadius(int borderRadius)
{
    if (borderRadius == m_borderRadius)
        return;
    m_borderRadius = borderRadius;
    update();
}

void NavLabel::setColor(QColor &member, const QColor &color)
{
    if (member == color)
        return;
    member = color;
    update();
}

void NavLabel::setBackground(const QColor &color) { setColor(m_background, color); }
void NavLabel::setForeground(const QColor &color) { setColor(m_foreground, color); }
void NavLabel::setTriangleColor(const QColor &color) { setColor(m_triangleColor, color); }

void NavLabel::setShowArrow(bool showArrow)
{
    if (showArrow == m_showArrow)
        return;
    m_showArrow = showArrow;
    update();
}

void NavLabel::setArrowSize(int arrowSize)
{
    if (arrowSize == m_arrowSize)
        return;
    m_arrowSize = arrowSize;
    update();
}

void NavLabel::setArrowPosition(NavLabel::ArrowPosition arrowPosition)
{
    if (arrowPosition == m_arrowPosition)
        return;
    m_arrowPosition = arrowPosition;
    update();
}

void NavLabel::setShowTriangle(bool showTriangle)
{
    if (showTriangle == m_showTriangle)
        return;
    m_showTriangle = showTriangle;
    update();
}

void NavLabel::setTriangleLen(int triangleLen)
{
    if (triangleLen == m_triangleLen)
        return;
    m_triangleLen = triangleLen;
    update();
}

void NavLabel::setTrianglePosition(NavLabel::TrianglePosition trianglePosition)
{
    if (trianglePosition == m_trianglePosition)
        return;
    m_trianglePosition = trianglePosition;
    update();
}

void NavLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);

    const int w = width();
    const int h = height();
    const int a = m_arrowSize;
    const int r = m_borderRadius;

    // Background, with the arrow on the chosen side.
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_background);
    if (m_showArrow) {
        QPolygon arrow;
        switch (m_arrowPosition) {
        case ArrowPosition_Left:
            m_bgRect = QRect(a, 0, w - a, h);
            arrow << QPoint(a, h / 2 - a) << QPoint(a, h / 2 + a) << QPoint(0, h / 2);
            break;
        case ArrowPosition_Right:
            m_bgRect = QRect(0, 0, w - a, h);
            arrow << QPoint(w - a, h / 2 - a) << QPoint(w - a, h / 2 + a) << QPoint(w, h / 2);
            break;
        case ArrowPosition_Top:
            m_bgRect = QRect(0, a, w, h - a);
            arrow << QPoint(w / 2 - a, a) << QPoint(w / 2 + a, a) << QPoint(w / 2, 0);
            break;
        case ArrowPosition_Bottom:
            m_bgRect = QRect(0, 0, w, h - a);
            arrow << QPoint(w / 2 - a, h - a) << QPoint(w / 2 + a, h - a) << QPoint(w / 2, h);
            break;
        }
        painter.drawRoundedRect(m_bgRect, r, r);
        painter.drawPolygon(arrow);
    } else {
        m_bgRect = rect();
        painter.drawRoundedRect(m_bgRect, r, r);
    }

    // Text.
    painter.setPen(m_foreground);
    painter.setBrush(Qt::NoBrush);
    painter.drawText(m_bgRect, Qt::AlignCenter, text());

    // Triangle marker.
    if (m_showTriangle) {
        const int t = m_triangleLen;
        const int mx = w / 2;
        const int my = h / 2;
        QPolygon triangle;
        switch (m_trianglePosition) {
        case TrianglePosition_Left:
            triangle << QPoint(t, my) << QPoint(0, my - t) << QPoint(0, my + t);
            break;
        case TrianglePosition_Right:
            triangle << QPoint(w - t, my) << QPoint(w, my - t) << QPoint(w, my + t);
            break;
        case TrianglePosition_Top:
            triangle << QPoint(mx, t) << QPoint(mx - t, 0) << QPoint(mx + t, 0);
            break;
        case TrianglePosition_Bottom:
            triangle << QPoint(mx, h - t) << QPoint(mx - t, h) << QPoint(mx + t, h);
            break;
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_triangleColor);
        painter.drawPolygon(triangle);
    }
}
