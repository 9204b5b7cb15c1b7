#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QString>
#include <QVector>

class QPainter;

// One model button picture: a side view of the helicopter on a card with the
// model's name underneath. Every model has a highlighted (selected) and a muted
// (not selected) rendering of the same drawing.
class HeliArt
{
public:
    enum class Body {
        SmallPod,    // small model: canopy over a frame, thin tube boom
        SmallRacer,  // small model: long low canopy, sporty
        SmallTrainer,// small model: tall rounded canopy
        Utility,     // cabin with sliding door and engine hump
        LightBubble, // glass bubble cabin, thin boom
        Executive,   // smooth long nose, row of windows
        Attack,      // narrow fuselage, tandem canopy, stub wings
        Transport,   // tall box cabin, round windows, sponsons
        Rescue       // medium twin, big windows, hoist
    };

    struct Model {
        QString name;
        Body body;
        int blades;      // main rotor blades
        int tailBlades;  // tail rotor blades (fan blades when fenestron)
        bool fenestron;  // shrouded tail fan instead of an open tail rotor
        bool wheels;     // wheels instead of skids
    };

    struct Palette {
        QColor background;
        QColor border;
        qreal borderWidth;
        QColor body;
        QColor bodyShade;
        QColor outline;
        QColor glass;
        QColor stripe;
        QColor rotor;
        QColor rotorFar;
        QColor disc;
        QColor mechanics;
        QColor band;
        QColor bandText;
    };

    static QVector<Model> models();
    static Palette selectedPalette();
    static Palette mutedPalette();

    // Draws the picture of `model` at `size` (designed for 340 x 240).
    static QImage render(const Model &model, const Palette &pal, const QSize &size);

private:
    struct Ctx {
        QPainter &p;
        const Palette &pal;
        const Model &m;
    };

    static void drawCard(Ctx &c, const QRectF &area);
    static void drawName(Ctx &c, const QRectF &area);

    static void drawSmall(Ctx &c);
    static void drawScale(Ctx &c);
    static void drawBubble(Ctx &c);

    static void drawMainRotor(Ctx &c, QPointF hub, qreal radius, qreal mastBottom);
    static void drawTailRotor(Ctx &c, QPointF centre, qreal radius);
    static void drawFenestron(Ctx &c, QPointF centre, qreal radius);
    static void drawSkids(Ctx &c, qreal bellyY, qreal x0, qreal x1, qreal groundY);
    static void drawWheels(Ctx &c, qreal bellyY, qreal mainX, qreal noseX, qreal groundY);
    static void fillShape(Ctx &c, const QPainterPath &path, const QColor &fill, qreal outlineWidth = 1.6);
};
