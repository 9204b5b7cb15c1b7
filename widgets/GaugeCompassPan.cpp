#include "widgets/GaugeCompassPan.h"

#include "widgets/Backdrop.h"
#include "widgets/WidgetFonts.h"

#include <QFontMetricsF>
#include <QPaintEvent>
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

const QPainterPath &GaugeCompassPan::pointerShape()
{
    // The same in every paint (the painter turns it): the ring between the
    // radii 50 and 44 with the arrow tip reaching 60. Uniting and subtracting
    // paths is costly, so it is built once.
    static const QPainterPath shape = [] {
        QPainterPath outer;
        outer.addEllipse(QPointF(0, 0), 50, 50);
        QPainterPath inner;
        inner.addEllipse(QPointF(0, 0), 44, 44);
        QPainterPath arrow;
        arrow.moveTo(50, 0);
        arrow.lineTo(-50, 0);
        arrow.lineTo(0, -60);
        arrow.closeSubpath();
        return arrow.united(outer).subtracted(inner);
    }();
    return shape;
}

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
    return headingTextFor(m_value);
}

QString GaugeCompassPan::headingTextFor(double heading)
{
    return QStringLiteral("%1°").arg(QString::number(heading, 'f', 0));
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
    m_turned = true;
    // Only the middle changes, unless the letters shown are outdated.
    if (m_paintedCardinals == cardinalTexts)
        update(headingRect());
    else
        update();
}

QRect GaugeCompassPan::headingRect() const
{
    const double scale = qMin(width(), height()) / 200.0;
    const int half = int(std::ceil(62 * scale)) + 2;
    return QRect(width() / 2 - half, height() / 2 - half, 2 * half, 2 * half);
}

void GaugeCompassPan::setupLogical(QPainter &painter) const
{
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.translate(width() / 2, height() / 2);
    const double side = qMin(width(), height());
    painter.scale(side / 200.0, side / 200.0);
}

const QPixmap &GaugeCompassPan::dialPixmap()
{
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * dpr).toSize();
    if (m_dialValid && m_dial.size() == pixels && m_dial.devicePixelRatio() == dpr)
        return m_dial;
    m_dial = QPixmap(pixels);
    m_dial.setDevicePixelRatio(dpr);
    m_dial.fill(Qt::transparent);
    {
        QPainter painter(&m_dial);
        setupLogical(painter);
        // The rim's outer edge lies on radius 99.
        const int b = m_borderWidth;
        const int halfB = b / 2;
        painter.setPen(QPen(m_borderColor, b, Qt::SolidLine, Qt::FlatCap));
        painter.setBrush(m_bgColor);
        painter.drawEllipse(QRectF(halfB - 99, halfB - 99, 198 - b, 198 - b));
    }
    m_dial = Backdrop::under(m_dial, m_backdrop);
    m_dialValid = true;
    return m_dial;
}

void GaugeCompassPan::setColor(QColor &member, const QColor &color)
{
    if (member == color)
        return;
    member = color;
    m_dialValid = false;
    update();
}

void GaugeCompassPan::setBgColor(const QColor &color) { setColor(m_bgColor, color); }
void GaugeCompassPan::setTextColor(const QColor &color) { setColor(m_textColor, color); }
void GaugeCompassPan::setBorderColor(const QColor &color) { setColor(m_borderColor, color); }
void GaugeCompassPan::setNorthDotColor(const QColor &color) { setColor(m_northDotColor, color); }
void GaugeCompassPan::setPointerColor(const QColor &color) { setColor(m_pointerColor, color); }

void GaugeCompassPan::setBackdrop(const QColor &colour)
{
    if (colour == m_backdrop)
        return;
    m_backdrop = colour;
    m_dialValid = false;
    update();
}

void GaugeCompassPan::setBorderWidth(int borderWidth)
{
    if (borderWidth == m_borderWidth)
        return;
    m_borderWidth = borderWidth;
    m_dialValid = false;
    update();
}

void GaugeCompassPan::updateFonts()
{
    const QFont base;
    if (m_fontsValid && base == m_fontBase)
        return;
    m_fontBase = base;
    m_letterFont = base;
    m_letterFont.setPixelSize(15);
    m_headingFont = base;
    m_headingFont.setPixelSize(26);
    m_nameFont = base;
    m_nameFont.setPixelSize(10);
    m_fontsValid = true;
}

void GaugeCompassPan::paintEvent(QPaintEvent *event)
{
    updateFonts();
    Backdrop::markOpaque(this, m_backdrop);
    QPainter painter(this);
    // Dial with its rim (on the backdrop).
    painter.drawPixmap(0, 0, dialPixmap());

    setupLogical(painter);

    const int b = m_borderWidth;
    const int halfB = b / 2;

    // Cardinal letters, each turned with its position; not when only the
    // middle is being repainted.
    painter.save();
    if (!headingRect().contains(event->rect())) {
        m_paintedCardinals = cardinalTexts;
        painter.setFont(m_letterFont);
        const QFontMetricsF metrics(m_letterFont);
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
            m_texts.draw(painter, QRectF(-(advance / 2), top, advance, metrics.height()), Qt::AlignCenter, letter);
        }
    }
    painter.restore();

    // Heading ring with the arrow tip.
    painter.save();
    {
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_pointerColor);
        painter.rotate(m_value);
        painter.drawPath(pointerShape());
    }
    painter.restore();

    // Heading in degrees.
    {
        painter.setFont(m_headingFont);
        painter.setPen(m_textColor);
        // Every heading laid out once the compass has turned (some 30 ms,
        // not at start-up), so a turning helicopter never waits for one.
        if (m_turned && m_headingsLaidOutIn != m_headingFont) {
            for (int heading = 0; heading < 360; ++heading)
                m_texts.prepare(painter, headingTextFor(heading));
            m_headingsLaidOutIn = m_headingFont;
        }
        m_texts.draw(painter, QRectF(-100, -100, 200, 200), Qt::AlignCenter, headingText());
    }

    // Sector name just below the centre.
    {
        painter.setFont(m_nameFont);
        painter.setPen(QColor(Qt::gray));
        m_texts.draw(painter, QRectF(-100, 12, 200, 200), Qt::AlignHCenter | Qt::AlignTop, headingName());
    }
}
