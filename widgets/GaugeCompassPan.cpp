#include "widgets/GaugeCompassPan.h"

#include "widgets/WidgetFonts.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

GaugeCompassPan::GaugeCompassPan(QWidget *parent)
    : QWidget(parent)
    , cardinalTexts{QStringLiteral("北"), QStringLiteral("西"), QStringLiteral("南"), QStringLiteral("东")}
    , headingNames{QStringLiteral("正北"), QStringLiteral("东北"), QStringLiteral("正东"), QStringLiteral("东南"),
                   QStringLiteral("正南"), QStringLiteral("西南"), QStringLiteral("正西"), QStringLiteral("西北")}
{
    WidgetFonts::installSubstitutions();
    setFont(QFont(QStringLiteral("Microsoft Yahei"), 9));
}

GaugeCompassPan::~GaugeCompassPan() = default;

QSize GaugeCompassPan::sizeHint() const
{
    return QSize(200, 200);
}

QSize GaugeCompassPan::minimumSizeHint() const
{
    return QSize(50, 50);
}

int GaugeCompassPan::headingIndex(double v)
{
    if (v == 0)
        return 0;
    if (v < 90)
        return 1;
    if (v == 90)
        return 2;
    if (v < 180)
        return 3;
    if (v == 180)
        return 4;
    if (v < 270)
        return 5;
    if (v == 270)
        return 6;
    return 7;
}

QString GaugeCompassPan::headingName() const
{
    return headingNames.value(headingIndex(m_value));
}

QString GaugeCompassPan::headingText() const
{
    return QStringLiteral("%1°").arg(QString::number(m_value, 'f', 0));
}

void GaugeCompassPan::setValue(double value)
{
    if (value == m_value || !std::isfinite(value))
        return;
    double heading = std::fmod(std::trunc(value), 360.0);
    if (heading < 0)
        heading += 360.0;
    heading += 0.0; // turns -0 into 0
    if (heading == m_value)
        return;
    m_value = heading;
    update();
}

void GaugeCompassPan::setColor(QColor &member, const QColor &color)
{
    if (member == color)
        return;
    member = color;
    update();
}

void GaugeCompassPan::setBgColor(const QColor &color) { setColor(m_bgColor, color); }
void GaugeCompassPan::setTextColor(const QColor &color) { setColor(m_textColor, color); }
void GaugeCompassPan::setBorderColor(const QColor &color) { setColor(m_borderColor, color); }
void GaugeCompassPan::setNorthDotColor(const QColor &color) { setColor(m_northDotColor, color); }
void GaugeCompassPan::setPointerColor(const QColor &color) { setColor(m_pointerColor, color); }

void GaugeCompassPan::setBorderWidth(int borderWidth)
{
    if (borderWidth == m_borderWidth)
        return;
    m_borderWidth = borderWidth;
    update();
}

void GaugeCompassPan::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.translate(width() / 2, height() / 2);
    const double side = qMin(width(), height());
    painter.scale(side / 200.0, side / 200.0);

    const int b = m_borderWidth;
    const int halfB = b / 2;

    // Dial with its rim; the rim's outer edge lies on radius 99.
    painter.setPen(QPen(m_borderColor, b, Qt::SolidLine, Qt::FlatCap));
    painter.setBrush(m_bgColor);
    painter.drawEllipse(QRectF(halfB - 99, halfB - 99, 198 - b, 198 - b));

    // Cardinal letters, each turned with its position.
    painter.save();
    {
        QFont font;
        font.setPixelSize(15);
        painter.setFont(font);
        const QFontMetricsF metrics(font);
        const QRectF reference(halfB - 93, halfB - 93, 186 - b, 186 - b);
        const double top = 5 - reference.height() / 2;
        for (int i = 0; i < cardinalTexts.size() && i < 4; ++i) {
            if (i == 0) {
                painter.setPen(m_northDotColor);
            } else {
                painter.setPen(m_textColor);
                painter.rotate(-90);
            }
            const QString &letter = cardinalTexts.at(i);
            const double advance = metrics.horizontalAdvance(letter);
            painter.drawText(QRectF(-(advance / 2), top, advance, metrics.height()), Qt::AlignCenter, letter);
        }
    }
    painter.restore();

    // Heading ring with the arrow tip.
    painter.save();
    {
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_pointerColor);
        painter.rotate(m_value);
        QPainterPath outer;
        outer.addEllipse(QPointF(0, 0), 50, 50);
        QPainterPath inner;
        inner.addEllipse(QPointF(0, 0), 44, 44);
        QPainterPath arrow;
        arrow.moveTo(50, 0);
        arrow.lineTo(-50, 0);
        arrow.lineTo(0, -60);
        arrow.closeSubpath();
        painter.drawPath(arrow.united(outer).subtracted(inner));
    }
    painter.restore();

    // Heading in degrees.
    {
        QFont font;
        font.setPixelSize(26);
        painter.setFont(font);
        painter.setPen(m_textColor);
        painter.drawText(QRectF(-100, -100, 200, 200), Qt::AlignCenter, headingText());
    }

    // Sector name just below the centre.
    {
        QFont font;
        font.setPixelSize(10);
        painter.setFont(font);
        painter.setPen(QColor(Qt::gray));
        painter.drawText(QRectF(-100, 12, 200, 200), Qt::AlignHCenter | Qt::AlignTop, headingName());
    }
}
