#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QWidget>

#include "widgets/TextCache.h"

#include <array>

// Attitude indicator: sky disc with a rotating ground segment (bank), a pitch
// ladder moved by rollValue, a bank pointer and a fixed aircraft symbol.
// Painted in a logical 200 x 200 square centred on the widget.
class QPainter;

class GaugePlane : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor borderOutColorStart READ borderOutColorStart WRITE setBorderOutColorStart)
    Q_PROPERTY(QColor borderOutColorEnd READ borderOutColorEnd WRITE setBorderOutColorEnd)
    Q_PROPERTY(QColor borderInColorStart READ borderInColorStart WRITE setBorderInColorStart)
    Q_PROPERTY(QColor borderInColorEnd READ borderInColorEnd WRITE setBorderInColorEnd)
    Q_PROPERTY(QColor bgColor READ bgColor WRITE setBgColor)
    Q_PROPERTY(QColor planeColor READ planeColor WRITE setPlaneColor)
    Q_PROPERTY(QColor glassColor READ glassColor WRITE setGlassColor)
    Q_PROPERTY(QColor scaleColor READ scaleColor WRITE setScaleColor)
    Q_PROPERTY(QColor lineColor READ lineColor WRITE setLineColor)
    Q_PROPERTY(QColor pointerColor READ pointerColor WRITE setPointerColor)
    Q_PROPERTY(QColor handleColor READ handleColor WRITE setHandleColor)
    Q_PROPERTY(int degValue READ degValue WRITE setDegValue)
    Q_PROPERTY(int rollValue READ rollValue WRITE setRollValue)

public:
    explicit GaugePlane(QWidget *parent = nullptr);
    ~GaugePlane() override;

    QColor borderOutColorStart() const { return m_borderOutColorStart; }
    QColor borderOutColorEnd() const { return m_borderOutColorEnd; }
    QColor borderInColorStart() const { return m_borderInColorStart; }
    QColor borderInColorEnd() const { return m_borderInColorEnd; }
    QColor bgColor() const { return m_bgColor; }
    QColor planeColor() const { return m_planeColor; }
    QColor glassColor() const { return m_glassColor; }
    QColor scaleColor() const { return m_scaleColor; }
    QColor lineColor() const { return m_lineColor; }
    QColor pointerColor() const { return m_pointerColor; }
    QColor handleColor() const { return m_handleColor; }
    int degValue() const { return m_degValue; }
    int rollValue() const { return m_rollValue; }
    QColor backdrop() const { return m_backdrop; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public Q_SLOTS:
    void setBorderOutColorStart(const QColor &color);
    void setBorderOutColorEnd(const QColor &color);
    void setBorderInColorStart(const QColor &color);
    void setBorderInColorEnd(const QColor &color);
    void setBgColor(const QColor &color);
    void setPlaneColor(const QColor &color);
    void setGlassColor(const QColor &color);
    void setScaleColor(const QColor &color);
    void setLineColor(const QColor &color);
    void setPointerColor(const QColor &color);
    void setHandleColor(const QColor &color);
    // Bank angle in degrees; values outside -180..180 are ignored.
    void setDegValue(int degValue);
    // Horizon offset; values outside -100..100 are ignored.
    void setRollValue(int rollValue);
    // The colour of the panel beneath, painted where the widget shows no
    // picture of its own, so that it counts as opaque (see Backdrop); an
    // invalid colour (the default): none, those pixels show what lies beneath.
    void setBackdrop(const QColor &colour);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void setColor(QColor &member, const QColor &color);
    // The fixed parts, each in the logical 200 x 200 square: rings and sky;
    // glass highlight and bank scale; aircraft symbol and stand.
    void paintDial(QPainter &painter) const;
    void paintGlassAndScale(QPainter &painter) const;
    void paintAircraft(QPainter &painter) const;
    // One of those drawn into a transparent pixmap of the widget's size.
    QPixmap renderLayer(void (GaugePlane::*paint)(QPainter &) const) const;

    // The fixed parts as last drawn; invalid after a colour change.
    QPixmap m_dialLayer;
    QPixmap m_glassLayer;
    QPixmap m_aircraftLayer;
    bool m_layersValid = false;
    // The pitch ladder's font and numbers (10, 20, 30) with their widths.
    QFont m_ladderBase;
    QFont m_ladderFont;
    std::array<QString, 3> m_ladderLabels;
    std::array<double, 3> m_ladderAdvances{};
    double m_ladderHeight = 0;
    bool m_ladderValid = false;
    TextCache m_texts{8}; // the ladder's numbers, laid out once

    QColor m_borderOutColorStart{180, 180, 180};
    QColor m_borderOutColorEnd{50, 50, 50};
    QColor m_borderInColorStart{50, 50, 50};
    QColor m_borderInColorEnd{220, 220, 220};
    QColor m_bgColor{41, 127, 184};
    QColor m_backdrop;
    QColor m_planeColor{150, 108, 62};
    QColor m_glassColor{250, 250, 250};
    QColor m_scaleColor{255, 255, 255};
    QColor m_lineColor{255, 255, 255};
    QColor m_pointerColor{255, 107, 107};
    QColor m_handleColor{254, 215, 0};
    int m_degValue = 0;
    int m_rollValue = 0;
};
