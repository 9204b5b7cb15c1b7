#include "HeliArt.h"

#include <QFont>
#include <QPainter>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

// Design space: every drawing is made for 340 x 240 and scaled to the output.
constexpr qreal kWidth = 340.0;
constexpr qreal kHeight = 240.0;
constexpr qreal kBandTop = 196.0;

const QColor kOrange(250, 132, 43);

QPainterPath roundedRect(const QRectF &r, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

QPainterPath polygon(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    bool first = true;
    for (const QPointF &pt : points) {
        if (first)
            path.moveTo(pt);
        else
            path.lineTo(pt);
        first = false;
    }
    path.closeSubpath();
    return path;
}

} // namespace

QVector<HeliArt::Model> HeliArt::models()
{
    // Order of the model page's buttons.
    return {
        {QStringLiteral("Alder"), Body::SmallPod, 2, 2, false, false},
        {QStringLiteral("Elm-v3"), Body::SmallRacer, 2, 2, false, false},
        {QStringLiteral("Aspen"), Body::SmallTrainer, 3, 2, false, false},
        {QStringLiteral("Birch-2blades"), Body::Utility, 2, 2, false, false},
        {QStringLiteral("Birch-4blades"), Body::Utility, 4, 2, false, false},
        {QStringLiteral("Cedar-2blades"), Body::Executive, 2, 2, false, false},
        {QStringLiteral("Cedar-4blades"), Body::Executive, 4, 4, false, false},
        {QStringLiteral("Fir"), Body::LightBubble, 2, 2, false, false},
        {QStringLiteral("Hazel"), Body::Executive, 5, 9, true, true},
        {QStringLiteral("Juniper"), Body::Attack, 4, 4, false, true},
        {QStringLiteral("Linden"), Body::Transport, 5, 4, false, true},
        {QStringLiteral("Larch"), Body::Rescue, 5, 4, false, true},
        {QStringLiteral("Ember"), Body::Rescue, 4, 9, true, true},
        {QStringLiteral("Maple"), Body::Rescue, 3, 2, false, false},
        {QStringLiteral("Oak"), Body::Utility, 2, 2, false, true},
        {QStringLiteral("Pine"), Body::Attack, 2, 2, false, false},
        {QStringLiteral("Rowan"), Body::LightBubble, 3, 2, false, false},
        {QStringLiteral("Spruce"), Body::Executive, 3, 9, true, false},
    };
}

HeliArt::Palette HeliArt::selectedPalette()
{
    Palette p;
    p.background = QColor(255, 255, 255);
    p.border = kOrange;
    p.borderWidth = 4.0;
    p.body = kOrange;
    p.bodyShade = QColor(214, 104, 24);
    p.outline = QColor(72, 52, 38);
    p.glass = QColor(58, 78, 98);
    p.stripe = QColor(255, 255, 255);
    p.rotor = QColor(48, 48, 54);
    p.rotorFar = QColor(120, 120, 128);
    p.disc = QColor(250, 132, 43, 34);
    p.mechanics = QColor(70, 70, 78);
    p.band = kOrange;
    p.bandText = QColor(255, 255, 255);
    return p;
}

HeliArt::Palette HeliArt::mutedPalette()
{
    Palette p;
    p.background = QColor(248, 248, 250);
    p.border = QColor(216, 216, 216);
    p.borderWidth = 2.0;
    p.body = QColor(208, 208, 212);
    p.bodyShade = QColor(186, 186, 191);
    p.outline = QColor(150, 150, 156);
    p.glass = QColor(172, 176, 182);
    p.stripe = QColor(232, 232, 235);
    p.rotor = QColor(158, 158, 164);
    p.rotorFar = QColor(196, 196, 200);
    p.disc = QColor(160, 160, 166, 26);
    p.mechanics = QColor(170, 170, 176);
    p.band = QColor(232, 232, 235);
    p.bandText = QColor(128, 128, 134);
    return p;
}

QImage HeliArt::render(const Model &model, const Palette &pal, const QSize &size)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(QColor(244, 243, 248)); // the page colour shows at the rounded corners
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.scale(size.width() / kWidth, size.height() / kHeight);

    Ctx c{p, pal, model};
    const QRectF area(0, 0, kWidth, kHeight);
    drawCard(c, area);

    p.save();
    p.setClipPath(roundedRect(area.adjusted(pal.borderWidth, pal.borderWidth, -pal.borderWidth, -pal.borderWidth), 10));
    switch (model.body) {
    case Body::SmallPod:
    case Body::SmallRacer:
    case Body::SmallTrainer:
        drawSmall(c);
        break;
    case Body::LightBubble:
        drawBubble(c);
        break;
    default:
        drawScale(c);
        break;
    }
    p.restore();

    drawName(c, area);
    p.end();
    return img;
}

void HeliArt::drawCard(Ctx &c, const QRectF &area)
{
    const qreal half = c.pal.borderWidth / 2.0;
    c.p.setPen(QPen(c.pal.border, c.pal.borderWidth));
    c.p.setBrush(c.pal.background);
    c.p.drawRoundedRect(area.adjusted(half, half, -half, -half), 14, 14);
}

void HeliArt::drawName(Ctx &c, const QRectF &area)
{
    const qreal bw = c.pal.borderWidth;
    QPainterPath card = roundedRect(area.adjusted(bw, bw, -bw, -bw), 11);
    QPainterPath band;
    band.addRect(QRectF(0, kBandTop, kWidth, kHeight - kBandTop));
    c.p.setPen(Qt::NoPen);
    c.p.setBrush(c.pal.band);
    c.p.drawPath(card.intersected(band));

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(22);
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
    c.p.setFont(font);
    c.p.setPen(c.pal.bandText);
    c.p.drawText(QRectF(0, kBandTop, kWidth, kHeight - kBandTop - bw), Qt::AlignCenter, c.m.name);
}

void HeliArt::fillShape(Ctx &c, const QPainterPath &path, const QColor &fill, qreal outlineWidth)
{
    c.p.setBrush(fill);
    if (outlineWidth > 0)
        c.p.setPen(QPen(c.pal.outline, outlineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    else
        c.p.setPen(Qt::NoPen);
    c.p.drawPath(path);
}

// The main rotor seen slightly from above: the disc is a flat ellipse, so two
// blades read as one long bar and four or more as a star.
void HeliArt::drawMainRotor(Ctx &c, QPointF hub, qreal radius, qreal mastBottom)
{
    const qreal squash = 0.14;
    // keep the disc inside the card
    radius = std::min({radius, hub.x() - 16.0, kWidth - 16.0 - hub.x()});
    c.p.setPen(Qt::NoPen);
    c.p.setBrush(c.pal.disc);
    c.p.drawEllipse(hub, radius, radius * squash);

    // mast
    c.p.setPen(QPen(c.pal.mechanics, 5, Qt::SolidLine, Qt::FlatCap));
    c.p.drawLine(QPointF(hub.x(), mastBottom), hub);
    const int n = qMax(2, c.m.blades);
    // phase chosen so that no blade points straight at the viewer
    const qreal phase = qDegreesToRadians(n == 2 ? 12.0 : n == 4 ? 32.0 : 0.0);
    struct Blade { qreal depth; QPointF tip; };
    QVector<Blade> blades;
    for (int k = 0; k < n; ++k) {
        const qreal a = phase + 2.0 * M_PI * k / n;
        blades.push_back({std::sin(a), hub + QPointF(radius * std::cos(a), radius * squash * std::sin(a))});
    }
    // far blades first (they sit higher in the picture and lighter)
    std::sort(blades.begin(), blades.end(), [](const Blade &a, const Blade &b) { return a.depth < b.depth; });
    for (const Blade &b : blades) {
        const bool far = b.depth < -0.05;
        const QColor col = far ? c.pal.rotorFar : c.pal.rotor;
        c.p.setPen(QPen(col, far ? 3.2 : 4.2, Qt::SolidLine, Qt::RoundCap));
        c.p.drawLine(hub, b.tip);
        // tip marking
        const QPointF dir = (b.tip - hub) / std::max(1.0, std::hypot(b.tip.x() - hub.x(), b.tip.y() - hub.y()));
        c.p.setPen(QPen(c.pal.body, far ? 3.2 : 4.2, Qt::SolidLine, Qt::FlatCap));
        c.p.drawLine(b.tip - dir * 9, b.tip - dir * 3);
    }
    // hub
    c.p.setPen(QPen(c.pal.outline, 1.2));
    c.p.setBrush(c.pal.mechanics);
    c.p.drawRoundedRect(QRectF(hub.x() - 7, hub.y() - 4, 14, 8), 3, 3);
}

void HeliArt::drawTailRotor(Ctx &c, QPointF centre, qreal radius)
{
    c.p.setPen(Qt::NoPen);
    c.p.setBrush(c.pal.disc);
    c.p.drawEllipse(centre, radius, radius);
    const int n = qMax(2, c.m.tailBlades);
    const qreal phase = qDegreesToRadians(n == 2 ? 60.0 : 20.0);
    c.p.setPen(QPen(c.pal.rotor, 2.6, Qt::SolidLine, Qt::RoundCap));
    for (int k = 0; k < n; ++k) {
        const qreal a = phase + 2.0 * M_PI * k / n;
        c.p.drawLine(centre, centre + QPointF(radius * std::cos(a), radius * std::sin(a)));
    }
    c.p.setPen(QPen(c.pal.outline, 1.0));
    c.p.setBrush(c.pal.mechanics);
    c.p.drawEllipse(centre, 3.2, 3.2);
}

void HeliArt::drawFenestron(Ctx &c, QPointF centre, qreal radius)
{
    c.p.setPen(QPen(c.pal.outline, 1.4));
    c.p.setBrush(c.pal.glass.darker(115));
    c.p.drawEllipse(centre, radius, radius);
    const int n = qMax(5, c.m.tailBlades);
    c.p.setPen(QPen(c.pal.rotorFar, 1.6, Qt::SolidLine, Qt::RoundCap));
    for (int k = 0; k < n; ++k) {
        const qreal a = 2.0 * M_PI * k / n + 0.2;
        c.p.drawLine(centre + QPointF(3 * std::cos(a), 3 * std::sin(a)),
                     centre + QPointF((radius - 2) * std::cos(a + 0.35), (radius - 2) * std::sin(a + 0.35)));
    }
    c.p.setPen(QPen(c.pal.outline, 1.0));
    c.p.setBrush(c.pal.mechanics);
    c.p.drawEllipse(centre, 3.0, 3.0);
}

void HeliArt::drawSkids(Ctx &c, qreal bellyY, qreal x0, qreal x1, qreal groundY)
{
    const qreal len = x1 - x0;
    c.p.setPen(QPen(c.pal.mechanics, 3.2, Qt::SolidLine, Qt::RoundCap));
    // cross tubes, splayed
    c.p.drawLine(QPointF(x0 + len * 0.22, bellyY - 2), QPointF(x0 + len * 0.18, groundY));
    c.p.drawLine(QPointF(x0 + len * 0.72, bellyY - 2), QPointF(x0 + len * 0.76, groundY));
    // skid tube with upturned front (nose is on the right)
    QPainterPath skid;
    skid.moveTo(x0, groundY);
    skid.lineTo(x1 - 12, groundY);
    skid.quadTo(x1, groundY, x1 + 2, groundY - 8);
    c.p.setBrush(Qt::NoBrush);
    c.p.setPen(QPen(c.pal.outline, 4.2, Qt::SolidLine, Qt::RoundCap));
    c.p.drawPath(skid);
}

void HeliArt::drawWheels(Ctx &c, qreal bellyY, qreal mainX, qreal noseX, qreal groundY)
{
    const qreal r = 8.0;
    c.p.setPen(QPen(c.pal.mechanics, 3.0, Qt::SolidLine, Qt::RoundCap));
    c.p.drawLine(QPointF(mainX + 4, bellyY - 2), QPointF(mainX, groundY - r));
    c.p.drawLine(QPointF(noseX, bellyY - 2), QPointF(noseX, groundY - r));
    for (qreal x : {mainX, noseX}) {
        c.p.setPen(QPen(c.pal.outline, 1.4));
        c.p.setBrush(c.pal.rotor);
        c.p.drawEllipse(QPointF(x, groundY - r), r, r);
        c.p.setBrush(c.pal.rotorFar);
        c.p.drawEllipse(QPointF(x, groundY - r), r * 0.4, r * 0.4);
    }
}

// Small models: compact canopy over a visible frame, thin tail boom, big rotor.
void HeliArt::drawSmall(Ctx &c)
{
    QPainter &p = c.p;
    const bool racer = c.m.body == Body::SmallRacer;
    const bool trainer = c.m.body == Body::SmallTrainer;
    const qreal ground = 176;

    // tail boom (tube) and its brace
    p.setPen(QPen(c.pal.outline, 1.2));
    p.setBrush(c.pal.mechanics);
    p.drawPath(polygon({{150, 120}, {150, 128}, {70, 124}, {70, 120}}));
    p.setPen(QPen(c.pal.mechanics, 1.6));
    p.drawLine(QPointF(165, 150), QPointF(96, 124));

    // horizontal stabiliser and vertical fin
    fillShape(c, polygon({{104, 120}, {96, 116}, {84, 116}, {88, 121}}), c.pal.body, 1.2);
    fillShape(c, polygon({{78, 121}, {66, 92}, {60, 92}, {64, 124}, {62, 140}, {68, 140}}), c.pal.body, 1.4);
    drawTailRotor(c, QPointF(70, 108), 18);

    drawSkids(c, 150, 160, 262, ground);

    // frame with servos and motor below the canopy
    fillShape(c, roundedRect(QRectF(150, 104, 72, 52), 4), c.pal.mechanics, 1.2);
    p.setPen(QPen(c.pal.rotorFar, 1.0));
    p.setBrush(c.pal.rotorFar);
    p.drawRoundedRect(QRectF(162, 112, 12, 18), 2, 2);
    p.drawRoundedRect(QRectF(180, 112, 12, 18), 2, 2);
    p.setBrush(c.pal.body);
    p.drawEllipse(QPointF(200, 140), 10, 10); // motor bell

    // canopy
    QPainterPath canopy;
    if (racer) {
        canopy.moveTo(168, 100);
        canopy.cubicTo(200, 86, 250, 90, 276, 118);
        canopy.cubicTo(284, 128, 276, 142, 256, 144);
        canopy.lineTo(214, 146);
        canopy.cubicTo(196, 146, 176, 136, 168, 126);
        canopy.closeSubpath();
    } else if (trainer) {
        canopy.moveTo(178, 98);
        canopy.cubicTo(196, 72, 246, 74, 262, 112);
        canopy.cubicTo(268, 130, 260, 150, 238, 152);
        canopy.lineTo(212, 152);
        canopy.cubicTo(192, 150, 176, 134, 174, 118);
        canopy.closeSubpath();
    } else {
        canopy.moveTo(172, 102);
        canopy.cubicTo(190, 80, 240, 82, 266, 114);
        canopy.cubicTo(274, 128, 266, 146, 244, 148);
        canopy.lineTo(212, 148);
        canopy.cubicTo(192, 148, 174, 134, 170, 120);
        canopy.closeSubpath();
    }
    fillShape(c, canopy, c.pal.body, 1.8);
    // window decal and stripe
    QPainterPath win;
    win.addRect(QRectF(222, 70, 80, trainer ? 42 : 36));
    fillShape(c, canopy.intersected(win), c.pal.glass, 0);
    QPainterPath band;
    band.addRect(QRectF(150, racer ? 124 : 128, 140, 6));
    fillShape(c, canopy.intersected(band), c.pal.stripe, 0);

    drawMainRotor(c, QPointF(194, 64), racer ? 142 : 132, 96);
}

// Light models with a glass bubble cabin and a thin tail boom.
void HeliArt::drawBubble(Ctx &c)
{
    QPainter &p = c.p;
    const qreal ground = 180;

    // tail boom, fin and tail rotor
    fillShape(c, polygon({{176, 108}, {176, 118}, {56, 112}, {56, 106}}), c.pal.body, 1.4);
    fillShape(c, polygon({{70, 110}, {58, 80}, {48, 80}, {52, 110}, {48, 132}, {58, 132}}), c.pal.body, 1.4);
    fillShape(c, polygon({{96, 112}, {90, 106}, {78, 106}, {82, 114}}), c.pal.bodyShade, 1.2);
    drawTailRotor(c, QPointF(56, 96), 20);

    // engine deck and mast fairing
    fillShape(c, roundedRect(QRectF(160, 92, 56, 34), 6), c.pal.mechanics, 1.4);
    QPainterPath cowl;
    cowl.moveTo(176, 94);
    cowl.cubicTo(184, 78, 212, 78, 220, 96);
    cowl.closeSubpath();
    fillShape(c, cowl, c.pal.body, 1.4);

    drawSkids(c, 158, 178, 294, ground);

    // bubble cabin: glass top half, painted lower half
    QPainterPath bubble;
    bubble.addEllipse(QPointF(238, 124), 50, 38);
    fillShape(c, bubble, c.pal.glass, 1.8);
    QPainterPath lower;
    lower.addRect(QRectF(180, 128, 120, 40));
    fillShape(c, bubble.intersected(lower), c.pal.body, 1.6);
    // door frame and seat hint
    p.setPen(QPen(c.pal.outline, 1.4));
    p.drawLine(QPointF(236, 88), QPointF(226, 128));
    p.setPen(QPen(c.pal.stripe, 3.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(200, 140), QPointF(276, 140));

    drawMainRotor(c, QPointF(198, 66), 136, 84);
}

// Scale models with a closed fuselage. The body is one path: cabin with a
// rounded nose on the right, a rear belly sweeping up into the tail boom.
void HeliArt::drawScale(Ctx &c)
{
    QPainter &p = c.p;
    const Body body = c.m.body;

    // fuselage geometry per class
    qreal noseX = 292, cabinRear = 168, top = 96, belly = 152, noseLen = 46, tailX = 46;
    qreal boomTop = 106, boomBottom = 124, boomTopEnd = 104, boomBottomEnd = 114;
    qreal hub = 62, rotorR = 136;
    qreal ground = 182;
    switch (body) {
    case Body::Utility:
        noseX = 290; cabinRear = 160; top = 94; belly = 154; noseLen = 40;
        break;
    case Body::Executive:
        noseX = 298; cabinRear = 168; top = 98; belly = 150; noseLen = 62;
        boomTop = 106; boomBottom = 126;
        break;
    case Body::Attack:
        noseX = 304; cabinRear = 178; top = 112; belly = 146; noseLen = 74;
        boomTop = 114; boomBottom = 130; boomTopEnd = 108; boomBottomEnd = 118;
        hub = 70; rotorR = 140;
        break;
    case Body::Transport:
        noseX = 296; cabinRear = 138; top = 90; belly = 162; noseLen = 34;
        boomTop = 94; boomBottom = 120; boomTopEnd = 88; boomBottomEnd = 102;
        hub = 56; rotorR = 142; ground = 186;
        break;
    case Body::Rescue:
        noseX = 296; cabinRear = 158; top = 94; belly = 156; noseLen = 50;
        boomTop = 102; boomBottom = 124;
        break;
    default:
        break;
    }
    const qreal h = belly - top;

    QPainterPath fuselage;
    fuselage.moveTo(cabinRear, top);
    fuselage.lineTo(noseX - noseLen, top);
    if (body == Body::Transport) {
        fuselage.cubicTo(noseX - noseLen * 0.3, top, noseX, top + h * 0.25, noseX, top + h * 0.55);
        fuselage.cubicTo(noseX, belly - 4, noseX - 8, belly, noseX - 26, belly);
    } else {
        fuselage.cubicTo(noseX - noseLen * 0.35, top, noseX, top + h * 0.35, noseX, top + h * 0.62);
        fuselage.cubicTo(noseX, belly - h * 0.12, noseX - noseLen * 0.25, belly, noseX - noseLen * 0.55, belly);
    }
    fuselage.lineTo(cabinRear + 14, belly);
    fuselage.cubicTo(cabinRear - 6, belly, cabinRear - 22, boomBottom + 6, cabinRear - 44, boomBottom);
    fuselage.lineTo(tailX, boomBottomEnd);
    fuselage.lineTo(tailX, boomTopEnd);
    fuselage.lineTo(cabinRear - 34, boomTop);
    fuselage.cubicTo(cabinRear - 16, boomTop, cabinRear - 12, top, cabinRear, top);
    fuselage.closeSubpath();

    // vertical fin (behind the boom), horizontal stabiliser
    QPainterPath fin;
    if (c.m.fenestron) {
        fin = polygon({{tailX + 30, boomTopEnd}, {tailX + 8, boomTopEnd - 36}, {tailX - 4, boomTopEnd - 36},
                       {tailX - 6, boomBottomEnd + 12}, {tailX + 16, boomBottomEnd + 8}});
    } else {
        fin = polygon({{tailX + 26, boomTopEnd + 2}, {tailX + 6, boomTopEnd - 30}, {tailX - 4, boomTopEnd - 30},
                       {tailX + 2, boomBottomEnd}, {tailX - 2, boomBottomEnd + 18}, {tailX + 8, boomBottomEnd + 18},
                       {tailX + 18, boomBottomEnd}});
    }
    fillShape(c, fin, c.pal.bodyShade, 1.4);

    // landing gear, partly hidden by the fuselage
    if (c.m.wheels)
        drawWheels(c, belly, cabinRear + 50, noseX - noseLen * 0.6, ground);
    else
        drawSkids(c, belly, cabinRear + 4, noseX - 10, ground);

    fillShape(c, fuselage, c.pal.body, 1.8);
    const qreal stabX = tailX + 44;
    const qreal stabY = boomTopEnd + (boomTop - boomTopEnd) * 0.25 + 6;
    fillShape(c, polygon({{stabX + 22, stabY}, {stabX + 14, stabY - 6}, {stabX - 6, stabY - 6}, {stabX - 2, stabY + 2}}),
              c.pal.bodyShade, 1.2);

    // accent stripe along the body
    QPainterPath band;
    band.addRect(QRectF(0, belly - h * 0.28, kWidth, 6));
    fillShape(c, fuselage.intersected(band), c.pal.stripe, 0);

    // windscreen follows the nose curve
    QPainterPath screenBox;
    if (body == Body::Attack) {
        // tandem canopy: two stepped glass humps on top
        QPainterPath canopy;
        canopy.moveTo(noseX - 100, top + 2);
        canopy.cubicTo(noseX - 96, top - 22, noseX - 62, top - 24, noseX - 52, top - 8);
        canopy.cubicTo(noseX - 44, top - 20, noseX - 20, top - 16, noseX - 8, top + 6);
        canopy.lineTo(noseX - 100, top + 6);
        canopy.closeSubpath();
        fillShape(c, canopy, c.pal.glass, 1.6);
        p.setPen(QPen(c.pal.outline, 1.4));
        p.drawLine(QPointF(noseX - 52, top - 8), QPointF(noseX - 52, top + 4));
        // stub wing with pods
        fillShape(c, polygon({{cabinRear + 20, belly - 22}, {cabinRear + 50, belly - 22},
                              {cabinRear + 58, belly - 14}, {cabinRear + 14, belly - 14}}), c.pal.bodyShade, 1.4);
        fillShape(c, roundedRect(QRectF(cabinRear + 16, belly - 14, 42, 9), 4.5), c.pal.mechanics, 1.2);
        // chin sensor
        fillShape(c, roundedRect(QRectF(noseX - 34, belly - 4, 14, 10), 4), c.pal.mechanics, 1.2);
    } else {
        screenBox.addRect(QRectF(noseX - noseLen * 0.82, top - 10, noseLen + 20, h * 0.5 + 10));
        QPainterPath screen = fuselage.intersected(screenBox);
        fillShape(c, screen, c.pal.glass, 0);
        p.setPen(QPen(c.pal.outline, 1.2));
        p.drawLine(QPointF(noseX - noseLen * 0.82, top + 1), QPointF(noseX - noseLen * 0.82, top + h * 0.5));
    }

    // cabin windows and doors
    p.setPen(QPen(c.pal.outline, 1.4));
    switch (body) {
    case Body::Utility: {
        fillShape(c, roundedRect(QRectF(cabinRear + 60, top + 8, 28, h * 0.38), 4), c.pal.glass, 1.2);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(c.pal.outline, 1.4));
        p.drawRoundedRect(QRectF(cabinRear + 6, top + 6, 48, h - 12), 3, 3); // sliding door
        fillShape(c, roundedRect(QRectF(cabinRear + 14, top + 12, 32, h * 0.32), 3), c.pal.glass, 1.0);
        // engine hump and exhaust
        fillShape(c, roundedRect(QRectF(cabinRear - 8, top - 16, 86, 20), 8), c.pal.bodyShade, 1.6);
        fillShape(c, roundedRect(QRectF(cabinRear - 20, top - 10, 14, 9), 3), c.pal.mechanics, 1.2);
        break;
    }
    case Body::Executive: {
        for (int i = 0; i < 3; ++i)
            fillShape(c, roundedRect(QRectF(cabinRear + 10 + i * 30, top + 10, 22, h * 0.34), 6), c.pal.glass, 1.2);
        fillShape(c, roundedRect(QRectF(cabinRear - 2, top - 12, 96, 16), 8), c.pal.bodyShade, 1.6);
        break;
    }
    case Body::Transport: {
        for (int i = 0; i < 5; ++i)
            fillShape(c, roundedRect(QRectF(cabinRear + 12 + i * 18, top + 14, 13, 13), 6.5), c.pal.glass, 1.2);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(c.pal.outline, 1.4));
        p.drawRect(QRectF(noseX - noseLen - 24, top + 10, 20, h - 18)); // crew door
        // sponson
        fillShape(c, roundedRect(QRectF(cabinRear + 28, belly - 24, 70, 22), 10), c.pal.bodyShade, 1.6);
        // engine housings
        fillShape(c, roundedRect(QRectF(cabinRear + 6, top - 18, 110, 22), 10), c.pal.bodyShade, 1.6);
        fillShape(c, roundedRect(QRectF(cabinRear - 4, top - 12, 14, 9), 3), c.pal.mechanics, 1.2);
        break;
    }
    case Body::Rescue: {
        fillShape(c, roundedRect(QRectF(cabinRear + 12, top + 10, 36, h * 0.36), 5), c.pal.glass, 1.2);
        fillShape(c, roundedRect(QRectF(cabinRear + 54, top + 10, 30, h * 0.36), 5), c.pal.glass, 1.2);
        fillShape(c, roundedRect(QRectF(cabinRear - 4, top - 14, 100, 18), 8), c.pal.bodyShade, 1.6);
        // searchlight under the nose
        fillShape(c, roundedRect(QRectF(noseX - noseLen * 0.55 - 20, belly - 3, 16, 9), 4), c.pal.mechanics, 1.2);
        break;
    }
    case Body::Attack:
        fillShape(c, roundedRect(QRectF(cabinRear - 28, top - 12, 52, 16), 7), c.pal.bodyShade, 1.6);
        break;
    default:
        break;
    }

    // tail rotor or shrouded fan
    if (c.m.fenestron)
        drawFenestron(c, QPointF(tailX + 8, boomTopEnd - 14), 13);
    else
        drawTailRotor(c, QPointF(tailX + 2, boomTopEnd - 16), body == Body::Transport ? 26 : 22);

    const qreal mastX = body == Body::Transport ? cabinRear + 56 : body == Body::Attack ? cabinRear + 4 : cabinRear + 32;
    drawMainRotor(c, QPointF(mastX, hub), rotorR, top - 8);
}
