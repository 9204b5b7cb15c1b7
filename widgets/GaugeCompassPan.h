#pragma once

#include <QColor>
#include <QStringList>
#include <QPainterPath>
#include <QFont>
#include <QPixmap>
#include <QWidget>

#include "widgets/TextCache.h"

// Compass rose with a rotating heading ring and arrow, the heading in degrees
// and the name of the compass sector. Painted in a logical 200 x 200 square
// centred on the widget.
class GaugeCompassPan : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(double value READ value WRITE setValue)
    Q_PROPERTY(QColor bgColor READ bgColor WRITE setBgColor)
    Q_PROPERTY(QColor textColor READ textColor WRITE setTextColor)
    Q_PROPERTY(QColor borderColor READ borderColor WRITE setBorderColor)
    Q_PROPERTY(int borderWidth READ borderWidth WRITE setBorderWidth)
    Q_PROPERTY(QColor northDotColor READ northDotColor WRITE setNorthDotColor)
    Q_PROPERTY(QColor pointerColor READ pointerColor WRITE setPointerColor)

public:
    explicit GaugeCompassPan(QWidget *parent = nullptr);
    ~GaugeCompassPan() override;

    // North, west, south, east in drawing order. The language switch assigns
    // these directly; they show at the next repaint.
    QStringList cardinalTexts;
    // Eight sector names, from due north clockwise.
    QStringList headingNames;

    double value() const { return m_value; }
    QColor bgColor() const { return m_bgColor; }
    QColor textColor() const { return m_textColor; }
    QColor borderColor() const { return m_borderColor; }
    int borderWidth() const { return m_borderWidth; }
    QColor northDotColor() const { return m_northDotColor; }
    QColor pointerColor() const { return m_pointerColor; }

    // Index into headingNames of the sector that contains heading v (0..359).
    static int headingIndex(double v);
    // The sector name painted for the current heading.
    QString headingName() const;
    // The heading text painted in the middle, e.g. "10°".
    QString headingText() const;
    static QString headingTextFor(double heading);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public Q_SLOTS:
    // Truncates to whole degrees and reduces into 0..359 (-90 gives 270).
    void setValue(double value);
    void setBgColor(const QColor &color);
    void setTextColor(const QColor &color);
    void setBorderColor(const QColor &color);
    void setBorderWidth(int borderWidth);
    void setNorthDotColor(const QColor &color);
    void setPointerColor(const QColor &color);
    // The colour of the panel beneath, painted where the widget shows no
    // picture of its own, so that it counts as opaque (see Backdrop); an
    // invalid colour (the default): none, those pixels show what lies beneath.
    void setBackdrop(const QColor &colour);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void setColor(QColor &member, const QColor &color);
    // Heading ring and arrow in logical units, pointing up.
    static const QPainterPath &pointerShape();
    // Device rectangle of what a heading change repaints: the ring with the
    // arrow and both texts, all within 62 logical units of the centre.
    QRect headingRect() const;
    // Smoothed drawing in the logical 200 x 200 square centred on the widget.
    void setupLogical(QPainter &painter) const;
    // The dial with its rim at the current size, colours and border width.
    const QPixmap &dialPixmap();

    // The dial is the same in every paint: drawn once into a pixmap and
    // redrawn only when its size, colours or rim change.
    QPixmap m_dial;
    // The texts, laid out once: 360 headings, eight sector names, four letters.
    TextCache m_texts{400};
    QFont m_headingsLaidOutIn; // the font all headings were laid out in
    bool m_turned = false;     // the heading has changed since construction
    QColor m_backdrop;
    bool m_dialValid = false;
    // The three text sizes, made from the application's font and kept until
    // that font changes: a font made anew in every paint is looked up anew.
    void updateFonts();
    QFont m_fontBase;
    QFont m_letterFont;
    QFont m_headingFont;
    QFont m_nameFont;
    bool m_fontsValid = false;
    // The cardinal letters of the last full paint; a heading change repaints
    // only the middle while they are still the ones shown.
    QStringList m_paintedCardinals;

    double m_value = 0;
    QColor m_bgColor{40, 45, 48};
    QColor m_textColor{187, 191, 194};
    QColor m_borderColor{34, 163, 169};
    int m_borderWidth = 6;
    QColor m_northDotColor{214, 77, 84};
    QColor m_pointerColor{214, 77, 84};
};
