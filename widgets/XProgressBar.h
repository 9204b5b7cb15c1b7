#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QProgressBar>
#include <QRegion>

#include "widgets/NumberText.h"

class QPainter;

// Flat progress bar with rounded ends, an optional border and the current
// value written across it. Range and value are the QProgressBar's own.
class XProgressBar : public QProgressBar
{
    Q_OBJECT
    Q_PROPERTY(QColor valueColor READ valueColor WRITE setValueColor)
    Q_PROPERTY(QColor bgColor READ bgColor WRITE setBgColor)
    Q_PROPERTY(QColor textColor READ textColor WRITE setTextColor)
    Q_PROPERTY(int radius READ radius WRITE setRadius)
    Q_PROPERTY(bool autoRadius READ autoRadius WRITE setAutoRadius)
    Q_PROPERTY(bool showProgressRadius READ showProgressRadius WRITE setShowProgressRadius)
    Q_PROPERTY(double borderWidth READ borderWidth WRITE setBorderWidth)
    Q_PROPERTY(QColor borderColor READ borderColor WRITE setBorderColor)

public:
    explicit XProgressBar(QWidget *parent = nullptr);
    ~XProgressBar() override;

    QColor valueColor() const { return m_valueColor; }
    QColor bgColor() const { return m_bgColor; }
    QColor textColor() const { return m_textColor; }
    int radius() const { return m_radius; }
    bool autoRadius() const { return m_autoRadius; }
    bool showProgressRadius() const { return m_showProgressRadius; }
    double borderWidth() const { return m_borderWidth; }
    QColor borderColor() const { return m_borderColor; }
    QBrush valueBrush() const { return m_valueBrush; }
    QColor backdrop() const { return m_backdrop; }

    // Width in pixels of the filled part at the current value and size.
    int filledWidth() const;
    // Corner radius used by the next paint (half the height with autoRadius).
    int effectiveRadius() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public Q_SLOTS:
    // QProgressBar::setValue, except that a changed value is painted with the
    // window's next frame instead of at once: several bars changing together
    // then cost one paint of the window, not one each. An unchanged or
    // refused value paints nothing.
    void setValue(int value);
    void setValueColor(const QColor &color);
    void setBgColor(const QColor &color);
    void setTextColor(const QColor &color);
    void setRadius(int radius);
    void setAutoRadius(bool autoRadius);
    void setShowProgressRadius(bool showProgressRadius);
    void setBorderWidth(double borderWidth);
    void setBorderColor(const QColor &color);
    // Any brush but Qt::NoBrush fills the value part instead of valueColor.
    void setValueBrush(const QBrush &brush);
    // The colour of the panel beneath, painted where the widget shows no
    // picture of its own, so that it counts as opaque (see Backdrop); an
    // invalid colour (the default): none, those pixels show what lies beneath.
    void setBackdrop(const QColor &colour);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void setColor(QColor &member, const QColor &color);
    void paintBorder(QPainter &painter) const;
    // The track without and with its fill (rounded ends), redrawn when the
    // size or a colour changes.
    void updateLayers();
    // What a change of the value from filledBefore (pixels) and a number of
    // digitsBefore characters leaves to repaint.
    QRegion changedRegion(int filledBefore, int digitsBefore);

    QPixmap m_emptyLayer;
    QPixmap m_fullLayer;
    bool m_layersValid = false;
    QFont m_digitFont;
    int m_digitWidth = 0;

    QColor m_valueColor{250, 132, 43};
    QColor m_bgColor{244, 243, 248};
    QColor m_textColor{0, 0, 0};
    int m_radius = 0;
    bool m_autoRadius = false;
    bool m_showProgressRadius = false;
    double m_borderWidth = 0;
    QColor m_borderColor{255, 255, 255};
    QBrush m_valueBrush{Qt::NoBrush};
    QColor m_backdrop;
    NumberText m_number; // the value's text, drawn without shaping it anew
};
