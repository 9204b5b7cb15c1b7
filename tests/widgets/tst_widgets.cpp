// The self-painted widgets: ranges, signals, animations, exact style strings and what gets painted where.
#include "widgets/FlatUI.h"
#include "widgets/GaugeCompassPan.h"
#include "widgets/GaugePlane.h"
#include "widgets/NLineLabel.h"
#include "widgets/NavLabel.h"
#include "widgets/ProgressRing.h"
#include "widgets/SliderTip.h"
#include "widgets/SwitchButton.h"
#include "widgets/WidgetFonts.h"
#include "widgets/XProgressBar.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QGridLayout>
#include <QtTest>
#include <atomic>
#include <cmath>
#include <limits>
#include <thread>

namespace {
const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

// The widget alone on a transparent image: unpainted pixels keep alpha 0.
QImage render(QWidget *w)
{
    QImage image(w->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    w->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

bool near(const QColor &a, const QColor &b, int tol = 3)
{
    return qAbs(a.red() - b.red()) <= tol && qAbs(a.green() - b.green()) <= tol && qAbs(a.blue() - b.blue()) <= tol
        && qAbs(a.alpha() - b.alpha()) <= tol;
}

QString rgba(const QColor &c) { return QStringLiteral("rgba(%1,%2,%3,%4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alpha()); }

#define PIXEL(image, pt, expected)                                                                             \
    do {                                                                                                       \
        const QPoint p_ = (pt);                                                                                \
        const QColor a_ = (image).pixelColor(p_);                                                              \
        QVERIFY2(near(a_, (expected)), qPrintable(QStringLiteral("pixel (%1,%2) is %3, expected %4")           \
                                                      .arg(p_.x()).arg(p_.y()).arg(rgba(a_), rgba(expected)))); \
    } while (false)

void show(QWidget *w)
{
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
}

// Device pixel of a logical gauge point (the gauges paint a 200-unit square centred in the widget).
QPoint gauge(const QSize &s, double x, double y)
{
    const double scale = qMin(s.width(), s.height()) / 200.0;
    return QPoint(int(s.width() / 2 + x * scale), int(s.height() / 2 + y * scale));
}

// Point on the default ring of a 200 x 200 ProgressRing, `deg` clockwise from twelve o'clock.
QPoint ringPoint(double deg)
{
    const double r = qDegreesToRadians(deg);
    return QPoint(int(100 + 88.5 * std::sin(r)), int(100 - 88.5 * std::cos(r)));
}
} // namespace

class WidgetsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void flatUiFirstUseFromManyThreads(); // first: no FlatUI exists yet in this process
    void flatUiExactStyles_data();
    void flatUiExactStyles();
    void planeRangesAndPainting();
    void pitchLadderMovesInDevicePixels_data();
    void pitchLadderMovesInDevicePixels();
    void gaugesStayCentredAndRound();
    void compassHeading_data();
    void compassHeading();
    void compassTablesAndPainting();
    void switchKnob_data();
    void switchKnob();
    void switchDeferredToggleAndPress();
    void switchAnimationEnds();
    void switchPainting();
    void sliderJumpsToClick_data();
    void sliderJumpsToClick();
    void sliderPressHandling();
    void sliderTipPlacementAndDrag();
    void sliderTipTextAndLifetime();
    void navLabelCentresText_data();
    void navLabelCentresText();
    void navLabelArrowTriangleAndClicks();
    void ringValueAndRange();
    void ringTexts();
    void ringAnimation();
    void ringArcPainting();
    void ringAlarmColours_data();
    void ringAlarmColours();
    void barFill_data();
    void barFill();
    void barPainting();
    void lineLabel();
    void cjkFamiliesFallBack();
    void extremeSizesAndGallery();
};

void WidgetsTest::flatUiFirstUseFromManyThreads()
{
    std::atomic<bool> go{false};
    std::vector<FlatUI *> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&go, &seen, i] {
            while (!go.load())
                std::this_thread::yield();
            seen[i] = FlatUI::Instance();
        });
    go = true;
    for (std::thread &t : threads)
        t.join();
    FlatUI *one = FlatUI::Instance();
    QVERIFY(one && !one->parent());
    for (FlatUI *instance : seen)
        QCOMPARE(instance, one);
    QCOMPARE(one->thread(), QCoreApplication::instance()->thread()); // made on a worker, owned by the GUI thread
}

void WidgetsTest::flatUiExactStyles_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("horizontalHandle");
    QTest::addColumn<QString>("verticalHandle");
    // s = 3h/2 + h/5, margin s/2, vertical handle (s - 1)/2, all truncating.
    QTest::addRow("5") << 5 << "width:8px;margin-top:-4px" << "height:3px;margin-left:-4px";
    QTest::addRow("10") << 10 << "width:17px;margin-top:-8px" << "height:8px;margin-left:-8px";
    QTest::addRow("1") << 1 << "width:1px;margin-top:-0px" << "height:0px;margin-left:-0px";
}

void WidgetsTest::flatUiExactStyles()
{
    QFETCH(int, height);
    QFETCH(QString, horizontalHandle);
    QFETCH(QString, verticalHandle);
    FlatUI *ui = FlatUI::Instance();
    QPushButton button;
    const QString buttonQss = QStringLiteral(
        "QPushButton{border-style:none;padding:8px;border-radius:5px;color:#FFFFFF;background:#34495E;}"
        "QPushButton:hover{color:#F0F0F0;background:#4E6D8C;}"
        "QPushButton:pressed{color:#B8C6D1;background:#2D3E50;}");
    for (QPushButton *target : {&button, static_cast<QPushButton *>(nullptr)})
        QCOMPARE(ui->setPushButtonQss(target, 5, 8, "#34495E", "#FFFFFF", "#4E6D8C", "#F0F0F0", "#2D3E50", "#B8C6D1"),
                 buttonQss);
    QCOMPARE(button.styleSheet(), buttonQss);

    QSlider slider(Qt::Horizontal);
    const QString sliderQss = QStringLiteral(
        "QSlider::horizontal{min-height:16px;}"
        "QSlider::groove:horizontal{background:#E8EDF2;height:8px;border-radius:4px;}"
        "QSlider::add-page:horizontal{background:#E8EDF2;height:8px;border-radius:4px;}"
        "QSlider::handle:horizontal{width:13px;margin-top:-6px;margin-bottom:-6px;"
        "background-color:rgb(255,255,255);border:2px solid #16A085}"
        "QSlider::vertical{min-width:16px;}"
        "QSlider::groove:vertical{background:#E8EDF2;width:8px;border-radius:4px;border:none;}"
        "QSlider::add-page:vertical{background:#1ABC9C;width:8px;border-radius:4px;}"
        "QSlider::sub-page:vertical{background:#E8EDF2;width:8px;border-radius:4px;}"
        "QSlider::handle:vertical{height:6px;margin-left:-6px;margin-right:-6px;"
        "background-color:rgb(255,255,255);border:2px solid #16A085}");
    QCOMPARE(ui->setSliderQss(&slider, 8, "#E8EDF2", "#1ABC9C", "#16A085"), sliderQss);
    QCOMPARE(slider.styleSheet(), sliderQss);

    const QString qss = ui->setSliderQss(nullptr, height, "A", "B", "C");
    QVERIFY2(qss.contains("QSlider::handle:horizontal{" + horizontalHandle), qPrintable(qss));
    QVERIFY2(qss.contains("QSlider::handle:vertical{" + verticalHandle), qPrintable(qss));
    QVERIFY(qss.contains(QStringLiteral("border-radius:%1px").arg(height / 2)));
}

void WidgetsTest::planeRangesAndPainting()
{
    GaugePlane plane;
    // Out-of-range values reset to 0; the bounds themselves are kept.
    for (int v : {181, -181, -180, 180}) {
        plane.setDegValue(v);
        QCOMPARE(plane.degValue(), qAbs(v) > 180 ? 0 : v);
    }
    for (int v : {-101, 101, -100, 100}) {
        plane.setRollValue(v);
        QCOMPARE(plane.rollValue(), qAbs(v) > 100 ? 0 : v);
    }

    plane.setDegValue(0);
    plane.setRollValue(0);
    plane.resize(200, 200);
    const QSize s = plane.size();
    const QColor ground = plane.planeColor(), pointer = plane.pointerColor();
    // Level: the lower half is ground, the pointer at twelve o'clock.
    QImage image = render(&plane);
    PIXEL(image, gauge(s, 60, 30), ground);
    PIXEL(image, gauge(s, -60, 30), ground);
    PIXEL(image, gauge(s, 0, -64), pointer);
    QVERIFY(!near(image.pixelColor(gauge(s, 60, -30)), ground, 20));
    // Banked 90 degrees clockwise: ground on the left half, pointer at three o'clock.
    plane.setDegValue(90);
    image = render(&plane);
    PIXEL(image, gauge(s, -60, 30), ground);
    QVERIFY(!near(image.pixelColor(gauge(s, 60, 30)), ground, 20));
    PIXEL(image, gauge(s, 64, 0), pointer);
    // Horizon fully raised: no ground; fully lowered: all ground; half: chord edge 63.6 below the centre.
    plane.setDegValue(0);
    plane.setRollValue(100);
    image = render(&plane);
    QVERIFY(!near(image.pixelColor(gauge(s, 60, 30)), ground, 20));
    QVERIFY(!near(image.pixelColor(gauge(s, -60, 30)), ground, 20));
    plane.setRollValue(-100);
    image = render(&plane);
    PIXEL(image, gauge(s, 60, 30), ground);
    PIXEL(image, gauge(s, -60, 30), ground);
    plane.setRollValue(50);
    image = render(&plane);
    PIXEL(image, gauge(s, 35, 72), ground);
    QVERIFY(!near(image.pixelColor(gauge(s, 35, 58)), ground, 20));
}

void WidgetsTest::pitchLadderMovesInDevicePixels_data()
{
    QTest::addColumn<int>("side");
    for (int side : {200, 400, 120})
        QTest::addRow("%d px", side) << side;
}

void WidgetsTest::pitchLadderMovesInDevicePixels()
{
    QFETCH(int, side);
    GaugePlane plane;
    plane.resize(side, side);
    // Mean row of near-white pixels in a column, within `window` rows of `around`.
    auto whiteRow = [&plane](int x, double around, double window) {
        const QImage image = render(&plane);
        double sum = 0;
        int n = 0;
        for (int y = qMax(0, int(around - window)); y < qMin(image.height(), int(around + window) + 1); ++y) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() > 200 && c.blue() > 200) {
                sum += y;
                ++n;
            }
        }
        return n ? sum / n : -1;
    };
    // The -20 rung lies 27.14 units above the centre; sampled 10 units right of the axis, window 6 units.
    const double scale = side / 200.0, expected = side / 2 - 27.14 * scale, window = 6 * scale;
    const int x = gauge(plane.size(), 10, 0).x();
    const double level = whiteRow(x, expected, window);
    QVERIFY2(qAbs(level - expected) < 1.5, qPrintable(QString::number(level)));
    plane.setRollValue(30);
    const double lowered = whiteRow(x, expected + 30, window);
    QVERIFY2(qAbs(lowered - level - 30) < 1.0, qPrintable(QStringLiteral("%1 -> %2").arg(level).arg(lowered)));
    plane.setRollValue(-20);
    const double raised = whiteRow(x, expected - 20, window);
    QVERIFY2(qAbs(level - raised - 20) < 1.0, qPrintable(QStringLiteral("%1 -> %2").arg(level).arg(raised)));
}

void WidgetsTest::gaugesStayCentredAndRound()
{
    GaugePlane plane;
    plane.resize(300, 100); // 100 pixels across, centred horizontally
    QImage image = render(&plane);
    for (auto [x, y, alpha] : {std::tuple{97, 50, 0}, {203, 50, 0}, {101, 50, 255}, {198, 50, 255}, {150, 1, 255},
                               {150, 98, 255}, {110, 10, 0}})
        QVERIFY2(image.pixelColor(x, y).alpha() == alpha, qPrintable(QStringLiteral("(%1,%2)").arg(x).arg(y)));

    GaugeCompassPan compass;
    compass.resize(300, 100);
    image = render(&compass);
    QCOMPARE(image.pixelColor(99, 50).alpha(), 0);
    QCOMPARE(image.pixelColor(201, 50).alpha(), 0);
    PIXEL(image, QPoint(102, 50), compass.borderColor());
    PIXEL(image, QPoint(197, 50), compass.borderColor());
    compass.resize(100, 300);
    image = render(&compass);
    QCOMPARE(image.pixelColor(50, 99).alpha(), 0);
    PIXEL(image, QPoint(50, 102), compass.borderColor());
    PIXEL(image, QPoint(50, 197), compass.borderColor());
    QCOMPARE(image.pixelColor(50, 201).alpha(), 0);
}

void WidgetsTest::compassHeading_data()
{
    QTest::addColumn<double>("input");
    QTest::addColumn<double>("stored");
    QTest::addColumn<QString>("name");
    const QList<std::tuple<double, double, const char *>> rows = {
        {0, 0, "正北"},       {1, 1, "东北"},        {89, 89, "东北"},       {90, 90, "正东"},
        {91, 91, "东南"},     {179, 179, "东南"},    {180, 180, "正南"},     {181, 181, "西南"},
        {269, 269, "西南"},   {-90, 270, "正西"},    {271, 271, "西北"},     {359.99, 359, "西北"},
        {370.6, 10, "东北"},  {-0.5, 0, "正北"},     {360, 0, "正北"},       {-360, 0, "正北"},
        {-725, 355, "西北"},  {1e9, 280, "西北"}};
    for (const auto &[input, stored, name] : rows)
        QTest::addRow("%g", input) << input << stored << QString::fromUtf8(name);
}

void WidgetsTest::compassHeading()
{
    QFETCH(double, input);
    QFETCH(double, stored);
    QFETCH(QString, name);
    GaugeCompassPan compass;
    compass.setValue(123);
    compass.setValue(input);
    QCOMPARE(compass.value(), stored);
    QVERIFY(!std::signbit(compass.value()));
    QCOMPARE(compass.headingText(), QStringLiteral("%1°").arg(int(stored)));
    QCOMPARE(compass.headingName(), name);
}

void WidgetsTest::compassTablesAndPainting()
{
    GaugeCompassPan compass;
    compass.resize(200, 200);
    const QColor pointer = compass.pointerColor(), face = compass.bgColor();
    // The arrow ring lies between radius 44 and 50; the tip points at the heading.
    QImage image = render(&compass);
    PIXEL(image, QPoint(100, 53), pointer);
    PIXEL(image, QPoint(147, 100), pointer);
    PIXEL(image, QPoint(100, 44), pointer);
    PIXEL(image, QPoint(156, 100), face);
    compass.setValue(90);
    image = render(&compass);
    PIXEL(image, QPoint(156, 100), pointer);
    PIXEL(image, QPoint(100, 44), face);
    // Rim: width 6 from radius 93 to 99; a wider rim grows inwards.
    PIXEL(image, QPoint(100, 196), compass.borderColor());
    PIXEL(image, QPoint(100, 190), face);
    compass.setBorderWidth(12);
    image = render(&compass);
    PIXEL(image, QPoint(100, 190), compass.borderColor());
    PIXEL(image, QPoint(100, 197), compass.borderColor());
    QCOMPARE(image.pixelColor(100, 199).alpha(), 0);

    compass.setValue(45);
    compass.headingNames = {"N", "NE", "E", "SE", "S", "SW", "W", "NW"};
    QCOMPARE(compass.headingName(), QStringLiteral("NE"));
    // Short tables and bad values neither crash the painting nor change the heading.
    compass.headingNames = {"N"};
    compass.cardinalTexts = {};
    QCOMPARE(compass.headingName(), QString());
    compass.setValue(NaN);
    compass.setValue(Inf);
    QCOMPARE(compass.value(), 45.0);
    QVERIFY(!render(&compass).isNull());
}

void WidgetsTest::switchKnob_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("at70");
    QTest::addColumn<int>("at100");
    QTest::addRow("rect") << int(SwitchButton::ButtonStyle_Rect) << 35 << 50;
    QTest::addRow("circle in") << int(SwitchButton::ButtonStyle_CircleIn) << 40 << 70;
    QTest::addRow("circle out") << int(SwitchButton::ButtonStyle_CircleOut) << 40 << 70;
}

void WidgetsTest::switchKnob()
{
    QFETCH(int, style);
    QFETCH(int, at70);
    QFETCH(int, at100);
    SwitchButton button;
    button.setButtonStyle(SwitchButton::ButtonStyle(style));
    button.resize(70, 30);
    show(&button);
    QCOMPARE(button.knobOffset(), 0);
    QSignalSpy spy(&button, &SwitchButton::checkedChanged);
    button.setChecked(true); // already laid out: toggles at once
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QCOMPARE(button.knobOffset(), at70);
    button.setAnimation(true);
    button.resize(100, 30); // a resize places the knob at once, without animation
    QCOMPARE(button.knobOffset(), at100);
    button.setAnimation(false);
    button.setChecked(false);
    button.setChecked(false);
    QCOMPARE(button.knobOffset(), 0);
    QCOMPARE(spy.count(), 2);
}

void WidgetsTest::switchDeferredToggleAndPress()
{
    // Before the first resize the toggle is deferred by 10 ms and announced once.
    SwitchButton button;
    QSignalSpy spy(&button, &SwitchButton::checkedChanged);
    button.setChecked(true);
    QVERIFY(!button.checked());
    QCOMPARE(spy.count(), 0);
    QVERIFY(spy.wait(1000));
    QVERIFY(button.checked());
    SwitchButton twice;
    QSignalSpy twiceSpy(&twice, &SwitchButton::checkedChanged);
    twice.setChecked(true);
    twice.setChecked(true);
    QVERIFY(twiceSpy.wait(1000));
    QVERIFY(!twiceSpy.wait(100));
    QCOMPARE(twiceSpy.count(), 1);
    QVERIFY(twice.checked());
    SwitchButton undecided; // changing one's mind inside the 10 ms changes nothing
    QSignalSpy undecidedSpy(&undecided, &SwitchButton::checkedChanged);
    undecided.setChecked(true);
    undecided.setChecked(false);
    QVERIFY(!undecidedSpy.wait(100));
    QVERIFY(!undecided.checked());

    SwitchButton pressed; // any mouse button toggles
    pressed.resize(70, 30);
    show(&pressed);
    QSignalSpy pressSpy(&pressed, &SwitchButton::checkedChanged);
    for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
        QTest::mousePress(&pressed, b);
    QVERIFY(pressed.checked());
    QCOMPARE(pressSpy.count(), 3);
    QCOMPARE(pressSpy.at(1).at(0).toBool(), false);
}

void WidgetsTest::switchAnimationEnds()
{
    SwitchButton button;
    button.setAnimation(true);
    button.resize(70, 30);
    show(&button);
    auto *timer = button.findChild<QTimer *>();
    QTest::mousePress(&button, Qt::LeftButton);
    QVERIFY(button.checked());
    QCOMPARE(button.knobOffset(), 0);
    QCOMPARE(button.knobTarget(), 40);
    QVERIFY(timer && timer->isActive());
    QCOMPARE(timer->interval(), 30);
    QTRY_COMPARE(button.knobOffset(), 40);
    QTRY_VERIFY(!timer->isActive());
    QTest::mousePress(&button, Qt::LeftButton);
    QTRY_COMPARE(button.knobOffset(), 0);
    QTRY_VERIFY(!timer->isActive());

    // The rect target (35) is not a multiple of the step: the knob stops on it, never beyond.
    button.setButtonStyle(SwitchButton::ButtonStyle_Rect);
    int furthest = 0, ticks = 0;
    connect(timer, &QTimer::timeout, &button, [&] { // after the button's own slot: sees each tick's result
        furthest = qMax(furthest, button.knobOffset());
        ++ticks;
    });
    QTest::mousePress(&button, Qt::LeftButton);
    QTRY_VERIFY(!timer->isActive());
    QCOMPARE(button.knobOffset(), 35);
    QCOMPARE(furthest, 35);
    QVERIFY(ticks >= 4);

    // Narrower than 7 pixels the step is 0: the animation must still end.
    SwitchButton narrow;
    narrow.setAnimation(true);
    narrow.setFixedSize(6, 3);
    show(&narrow);
    QTest::mousePress(&narrow, Qt::LeftButton);
    QTRY_COMPARE(narrow.knobOffset(), 3);
    QTRY_VERIFY(!narrow.findChild<QTimer *>()->isActive());
}

void WidgetsTest::switchPainting()
{
    SwitchButton button;
    button.setShowText(false);
    button.resize(70, 30);
    const QColor white(255, 255, 255);
    QImage image = render(&button); // circle-in: knob of diameter 26 at offset 0, round ends
    PIXEL(image, QPoint(15, 15), white);
    PIXEL(image, QPoint(55, 15), button.bgColorOff());
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
    button.setEnabled(false); // disabled: translucent track, opaque knob
    image = render(&button);
    const QColor track = image.pixelColor(45, 15);
    QVERIFY2(qAbs(track.alpha() - 60) <= 1, qPrintable(rgba(track)));
    QVERIFY2(near(QColor(track.red(), track.green(), track.blue()), button.bgColorOff(), 5), qPrintable(rgba(track)));
    QCOMPARE(image.pixelColor(15, 15).alpha(), 255);
    button.setEnabled(true);
    show(&button);
    button.setChecked(true);
    image = render(&button);
    PIXEL(image, QPoint(55, 15), white);
    PIXEL(image, QPoint(6, 15), button.bgColorOn());
    // Rect: square corners, knob half the width at offset 35.
    button.setButtonStyle(SwitchButton::ButtonStyle_Rect);
    button.setRectRadius(0);
    image = render(&button);
    PIXEL(image, QPoint(0, 0), button.bgColorOn());
    PIXEL(image, QPoint(52, 15), white);
    PIXEL(image, QPoint(36, 15), button.bgColorOn());
    PIXEL(image, QPoint(38, 15), white);
    // Circle-out: track inset by `space`, knob spans the height with a gradient rim.
    button.setButtonStyle(SwitchButton::ButtonStyle_CircleOut);
    button.setChecked(false);
    image = render(&button);
    QCOMPARE(image.pixelColor(35, 0).alpha(), 0);
    PIXEL(image, QPoint(35, 15), button.bgColorOff());
    PIXEL(image, QPoint(15, 15), button.sliderColorOff());
    PIXEL(image, QPoint(15, 2), button.bgColorOff());
    // A ring instead of text, on the free side.
    button.setButtonStyle(SwitchButton::ButtonStyle_CircleIn);
    button.setShowCircle(true);
    image = render(&button);
    QVERIFY(image.pixelColor(54, 7).red() > 200);
    PIXEL(image, QPoint(54, 15), button.bgColorOff());
}

void WidgetsTest::sliderJumpsToClick_data()
{
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<int>("expected");
    QTest::addRow("middle") << false << QPoint(99, 15) << 50;
    QTest::addRow("left edge") << false << QPoint(0, 15) << 0;
    QTest::addRow("right edge") << false << QPoint(199, 15) << 100;
    QTest::addRow("vertical quarter") << true << QPoint(15, 50) << 75;
    QTest::addRow("vertical top") << true << QPoint(15, 0) << 100;
}

void WidgetsTest::sliderJumpsToClick()
{
    QFETCH(bool, vertical);
    QFETCH(QPoint, press);
    QFETCH(int, expected);
    SliderTip slider;
    slider.setRange(0, 100);
    slider.setOrientation(vertical ? Qt::Vertical : Qt::Horizontal);
    slider.resize(vertical ? QSize(30, 200) : QSize(200, 30));
    show(&slider);
    QSignalSpy clicked(&slider, &SliderTip::clicked);
    QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, press);
    QCOMPARE(slider.value(), expected);
    QCOMPARE(clicked.count(), 1);
    QTest::mouseRelease(&slider, Qt::LeftButton, Qt::NoModifier, press);
    QCOMPARE(slider.value(), expected);
}

void WidgetsTest::sliderPressHandling()
{
    // clickEnable off: the press does what a plain slider's does.
    QSlider plain(Qt::Horizontal);
    SliderTip slider;
    slider.setClickEnable(false);
    for (QSlider *s : {&plain, static_cast<QSlider *>(&slider)}) {
        s->setRange(0, 100);
        s->resize(200, 30);
        show(s);
    }
    QSignalSpy clicked(&slider, &SliderTip::clicked);
    for (QSlider *s : {&plain, static_cast<QSlider *>(&slider)}) {
        QTest::mousePress(s, Qt::LeftButton, Qt::NoModifier, QPoint(150, 15));
        QTest::mouseRelease(s, Qt::LeftButton, Qt::NoModifier, QPoint(150, 15));
    }
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(slider.value(), plain.value());
    QVERIFY(slider.value() != 75);

    // Right and middle buttons move nothing and show no tip; the tip shows only while the left one is down.
    SliderTip tipped;
    tipped.setRange(0, 100);
    tipped.setValue(10);
    tipped.resize(200, 30);
    tipped.setUnit(QStringLiteral("%"));
    show(&tipped);
    QTest::mousePress(&tipped, Qt::LeftButton, Qt::NoModifier, QPoint(99, 15));
    QVERIFY(!tipped.labTip()->isVisible()); // tip not enabled
    QTest::mouseRelease(&tipped, Qt::LeftButton, Qt::NoModifier, QPoint(99, 15));
    tipped.setValue(10);
    tipped.setTipVisable(true);
    QVERIFY(!tipped.labTip()->isVisible()); // the flag alone shows nothing
    QSignalSpy tippedClicked(&tipped, &SliderTip::clicked), pressed(&tipped, &QSlider::sliderPressed);
    for (Qt::MouseButton b : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mousePress(&tipped, b, Qt::NoModifier, QPoint(150, 15));
        QCOMPARE(tipped.value(), 10);
        QVERIFY(!tipped.labTip()->isVisible());
        QTest::mouseRelease(&tipped, b, Qt::NoModifier, QPoint(150, 15));
    }
    QCOMPARE(tippedClicked.count(), 0);
    QCOMPARE(pressed.count(), 0);
    QTest::mousePress(&tipped, Qt::LeftButton, Qt::NoModifier, QPoint(49, 15));
    QVERIFY(tipped.labTip()->isVisible());
    QCOMPARE(tipped.labTip()->text(), QStringLiteral("25%"));
    QTest::mouseRelease(&tipped, Qt::LeftButton, Qt::NoModifier, QPoint(49, 15));
    QVERIFY(!tipped.labTip()->isVisible());
}

void WidgetsTest::sliderTipPlacementAndDrag()
{
    QWidget window;
    window.resize(400, 400);
    auto *slider = new SliderTip(&window);
    slider->setRange(0, 100);
    slider->setGeometry(100, 150, 200, 30);
    slider->setTipVisable(true);
    show(&window);
    NavLabel *tip = slider->labTip();
    QPoint origin = slider->mapToGlobal(QPoint(0, 0));
    // Above (arrow at the bottom) or below (arrow on top), centred on the pointer.
    for (auto [arrow, x] : {std::pair{SliderTip::ArrowStyle_Bottom, 60}, {SliderTip::ArrowStyle_Top, 140}}) {
        slider->setArrowStyle(arrow);
        QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, QPoint(x, 15));
        QCOMPARE(arrow == SliderTip::ArrowStyle_Bottom ? tip->geometry().bottom() + 1 : tip->y(),
                 arrow == SliderTip::ArrowStyle_Bottom ? origin.y() : origin.y() + slider->height());
        QCOMPARE(tip->x() + tip->width() / 2, origin.x() + x);
        QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, QPoint(x, 15));
    }

    // Dragging: beyond the end the move is dropped; inside, the tip follows with the value it lands on.
    slider->setArrowStyle(SliderTip::ArrowStyle_Bottom);
    QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, QPoint(99, 15));
    QCOMPARE(slider->value(), 50);
    const QPoint tipAtPress = tip->pos();
    QTest::mouseMove(slider, QPoint(260, 15));
    QCOMPARE(slider->value(), 50);
    QCOMPARE(tip->pos(), tipAtPress);
    QTest::mouseMove(slider, QPoint(150, 15));
    QVERIFY(slider->value() > 60);
    QCOMPARE(tip->text(), QString::number(slider->value()));
    QCOMPARE(tip->x(), tipAtPress.x() + 51);
    QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, QPoint(150, 15));

    // Vertical: to the left (arrow right) or to the right (arrow left).
    slider->setOrientation(Qt::Vertical);
    slider->setGeometry(150, 100, 30, 200);
    origin = slider->mapToGlobal(QPoint(0, 0));
    for (auto [arrow, y] : {std::pair{SliderTip::ArrowStyle_Right, 80}, {SliderTip::ArrowStyle_Left, 120}}) {
        slider->setArrowStyle(arrow);
        QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, QPoint(15, y));
        QCOMPARE(arrow == SliderTip::ArrowStyle_Right ? tip->geometry().right() + 1 : tip->x(),
                 arrow == SliderTip::ArrowStyle_Right ? origin.x() : origin.x() + slider->width());
        QCOMPARE(tip->y() + tip->height() / 2, origin.y() + y);
        QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, QPoint(15, y));
    }
    QVERIFY(!tip->isVisible());
}

void WidgetsTest::sliderTipTextAndLifetime()
{
    auto *slider = new SliderTip;
    slider->setRange(0, 1000000);
    slider->setValue(125000);
    QCOMPARE(slider->tipText(), QStringLiteral("125000"));
    slider->setUnit(QStringLiteral(" ms"));
    QCOMPARE(slider->tipText(), QStringLiteral("125000 ms"));
    slider->setShowTime(true);
    slider->setUnit(QString());
    QCOMPARE(slider->tipText(), QStringLiteral("02:05"));
    slider->setValue(59999);
    QCOMPARE(slider->tipText(), QStringLiteral("00:59"));
    slider->setUnit(QStringLiteral("s"));
    slider->setValue(600000);
    QCOMPARE(slider->tipText(), QStringLiteral("10:00s"));
    QCOMPARE(slider->labTip()->text(), QStringLiteral("10:00s")); // keeps up with values set from code
    // The tip is a parentless window: the slider deletes it.
    QPointer<NavLabel> tip = slider->labTip();
    QVERIFY(tip && !tip->parent());
    delete slider;
    QTRY_VERIFY(tip.isNull());
}

void WidgetsTest::navLabelCentresText_data()
{
    QTest::addColumn<bool>("arrow");
    QTest::addColumn<int>("position");
    QTest::addColumn<QRect>("background");
    QTest::addRow("no arrow") << false << int(NavLabel::ArrowPosition_Right) << QRect(0, 0, 120, 40);
    QTest::addRow("right") << true << int(NavLabel::ArrowPosition_Right) << QRect(0, 0, 110, 40);
    QTest::addRow("left") << true << int(NavLabel::ArrowPosition_Left) << QRect(10, 0, 110, 40);
    QTest::addRow("top") << true << int(NavLabel::ArrowPosition_Top) << QRect(0, 10, 120, 30);
    QTest::addRow("bottom") << true << int(NavLabel::ArrowPosition_Bottom) << QRect(0, 0, 120, 30);
}

void WidgetsTest::navLabelCentresText()
{
    QFETCH(bool, arrow);
    QFETCH(int, position);
    QFETCH(QRect, background);
    NavLabel label;
    label.resize(120, 40);
    label.setArrowSize(10);
    label.setShowArrow(arrow);
    label.setArrowPosition(NavLabel::ArrowPosition(position));
    label.setText(QStringLiteral("HHHH"));
    const QImage image = render(&label);
    QCOMPARE(label.backgroundRect(), background);
    QRect text; // bounding box of the opaque near-white text pixels
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).alpha() == 255 && image.pixelColor(x, y).red() > 200)
                text |= QRect(x, y, 1, 1);
    QVERIFY(!text.isEmpty());
    const QPointF centre((text.left() + text.right() + 1) / 2.0, (text.top() + text.bottom() + 1) / 2.0);
    const QPointF expected = QRectF(background).center();
    QVERIFY2(qAbs(centre.x() - expected.x()) <= 1.0 && qAbs(centre.y() - expected.y()) <= 1.5,
             qPrintable(QStringLiteral("text centre (%1,%2)").arg(centre.x()).arg(centre.y())));
}

void WidgetsTest::navLabelArrowTriangleAndClicks()
{
    NavLabel label;
    label.resize(100, 30);
    label.setBorderRadius(0);
    const QColor blue = label.background(), red(200, 0, 0);
    QImage image = render(&label); // arrow right
    PIXEL(image, QPoint(97, 15), blue);
    QCOMPARE(image.pixelColor(97, 3).alpha(), 0);
    PIXEL(image, QPoint(2, 3), blue);
    label.setArrowPosition(NavLabel::ArrowPosition_Left);
    image = render(&label);
    PIXEL(image, QPoint(2, 15), blue);
    QCOMPARE(image.pixelColor(2, 3).alpha(), 0);
    label.setShowArrow(false);
    image = render(&label);
    PIXEL(image, QPoint(2, 3), blue);
    PIXEL(image, QPoint(97, 3), blue);
    label.setShowTriangle(true);
    label.setTriangleColor(red);
    image = render(&label);
    PIXEL(image, QPoint(1, 15), red);
    PIXEL(image, QPoint(98, 15), blue);
    label.setTrianglePosition(NavLabel::TrianglePosition_Bottom);
    image = render(&label);
    PIXEL(image, QPoint(50, 28), red);
    PIXEL(image, QPoint(1, 15), blue);

    QSignalSpy clicked(&label, &NavLabel::clicked);
    QTest::mousePress(&label, Qt::LeftButton);
    QTest::mousePress(&label, Qt::RightButton);
    QCOMPARE(clicked.count(), 2);
}

void WidgetsTest::ringValueAndRange()
{
    ProgressRing ring;
    QSignalSpy spy(&ring, &ProgressRing::valueChanged);
    ring.setValue(150.0);
    QCOMPARE(ring.value(), 100.0);
    QCOMPARE(ring.displayedValue(), 100.0);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 100);
    ring.setValue(100.0);
    ring.setValue(150.0); // clamps to the stored value: nothing changes
    QCOMPARE(spy.count(), 1);
    ring.setValue(42.9);
    QCOMPARE(spy.at(1).at(0).toInt(), 42); // truncated
    ring.setValue(-5);
    QCOMPARE(ring.value(), 0.0);
    ring.setValue(NaN);
    QCOMPARE(ring.value(), 0.0);
    ring.setValue(Inf);
    QCOMPARE(ring.value(), 100.0);
    ring.setValue(80);
    spy.clear();

    // Empty, inverted and NaN ranges are refused.
    ring.setRange(50.0, 50.0);
    ring.setRange(60.0, 10.0);
    ring.setMinValue(100);
    ring.setMaxValue(-1);
    ring.setRange(NaN, 10.0);
    QCOMPARE(ring.minValue(), 0.0);
    QCOMPARE(ring.maxValue(), 100.0);
    QCOMPARE(spy.count(), 0);
    // A narrower range pulls the value to its nearest bound, announced once.
    ring.setRange(20, 40);
    QCOMPARE(ring.value(), 40.0);
    QCOMPARE(ring.displayedValue(), 40.0);
    QCOMPARE(spy.count(), 1);
    ring.setMinValue(45); // not below the maximum
    QCOMPARE(ring.minValue(), 20.0);
    ring.setMinValue(30);
    ring.setMaxValue(35);
    QCOMPARE(ring.value(), 35.0);
    ring.setMaxValue(200); // value inside: unchanged, not announced
    QCOMPARE(ring.value(), 35.0);
    QCOMPARE(spy.count(), 2);
}

void WidgetsTest::ringTexts()
{
    ProgressRing ring;
    ring.setPrecision(4); // 0..3 only
    QCOMPARE(ring.precision(), 0);
    ring.setPrecision(-1);
    QCOMPARE(ring.precision(), 0);
    ring.setPrecision(3);
    ring.setValue(12.3456);
    QCOMPARE(ring.centreText(), QStringLiteral("12.346"));
    ring.setPrecision(0);
    ring.setShowPercent(true);
    ring.setRange(50, 150);
    ring.setValue(100);
    QCOMPARE(ring.centreText(), QStringLiteral("50%"));
    ring.setPrecision(1);
    ring.setValue(125);
    QCOMPARE(ring.centreText(), QStringLiteral("75.0%"));
    ring.setText(QStringLiteral("下载"));
    QCOMPARE(ring.centreText(), QStringLiteral("下载"));
    ring.setShowPercent(false);
    QCOMPARE(ring.centreText(), QStringLiteral("下载"));
    ring.setText(QString());
    QCOMPARE(ring.centreText(), QStringLiteral("125.0"));
}

void WidgetsTest::ringAnimation()
{
    ProgressRing ring;
    ring.setAnimation(true);
    auto *timer = ring.findChild<QTimer *>();
    QList<double> shown;
    connect(timer, &QTimer::timeout, &ring, [&] {
        if (shown.isEmpty() || shown.last() != ring.displayedValue())
            shown << ring.displayedValue();
    });
    // Announced at once; the display stops on the first step at or past the value, both ways.
    QSignalSpy spy(&ring, &ProgressRing::valueChanged);
    ring.setValue(1.2);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(ring.value(), 1.2);
    QCOMPARE(ring.displayedValue(), 0.0);
    QTRY_VERIFY(!timer->isActive());
    QCOMPARE(shown, QList<double>({0.5, 1.0, 1.5}));
    shown.clear();
    ring.setValue(0.3);
    QTRY_VERIFY(!timer->isActive());
    QCOMPARE(shown, QList<double>({1.0, 0.5, 0.0}));
    // A step of zero or below would never arrive: refused.
    ring.setAnimationStep(0);
    ring.setAnimationStep(-1);
    QCOMPARE(ring.animationStep(), 0.5);

    // Change of mind while climbing to 80: 50 is still above what shows, and is where it stops.
    ring.setAnimationStep(1);
    ring.setValue(80);
    QTRY_VERIFY(ring.displayedValue() >= 10);
    QVERIFY(ring.displayedValue() < 50);
    ring.setValue(50);
    QTRY_VERIFY(!timer->isActive());
    QCOMPARE(ring.displayedValue(), 50.0);
    ring.setAnimation(false); // off: shown at once
    ring.setValue(20);
    QCOMPARE(ring.displayedValue(), 20.0);
    QVERIFY(!timer->isActive());
}

void WidgetsTest::ringArcPainting()
{
    ProgressRing ring;
    ring.resize(200, 200);
    ring.setValue(25);
    const QColor arc = ring.ringColor(), rest = ring.ringBgColor();
    auto at = [&ring](double deg) { return render(&ring).pixelColor(ringPoint(deg)); };
    QVERIFY(near(at(45), arc)); // clockwise from twelve o'clock
    QVERIFY(near(at(135), rest));
    QVERIFY(near(at(315), rest));
    ring.setClockWise(false);
    QVERIFY(near(at(315), arc));
    QVERIFY(near(at(45), rest));
    ring.setClockWise(true);
    ring.setStartAngle(0); // from three o'clock
    QVERIFY(near(at(135), arc));
    QVERIFY(near(at(45), rest));
    const QImage image = render(&ring); // background between ring and centre disc
    PIXEL(image, QPoint(100, 21), ring.bgColor());
    PIXEL(image, QPoint(30, 100), ring.circleColor());
}

void WidgetsTest::ringAlarmColours_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("colour");
    const QList<std::tuple<int, double, int>> rows = {{0, 80, 0},  {1, 9, 1},    {1, 30, 2}, {1, 69, 2}, {1, 70, 3},
                                                      {2, 10, 1},  {2, 10.5, 2}, {2, 30, 2}, {2, 31, 3}, {3, 50, 0}};
    for (const auto &[mode, value, colour] : rows)
        QTest::addRow("mode %d, %g", mode, value) << mode << value << colour;
}

void WidgetsTest::ringAlarmColours()
{
    QFETCH(int, mode);
    QFETCH(double, value);
    QFETCH(int, colour);
    ProgressRing ring;
    ring.resize(200, 200);
    ring.setAlarmMode(mode);
    ring.setValue(value);
    const QColor expected = QList<QColor>{ring.ringColor(), ring.ringColor1(), ring.ringColor2(), ring.ringColor3()}[colour];
    QCOMPARE(ring.arcColor(), expected);
    const QImage image = render(&ring); // every row covers at least 9 %: sample at 15 degrees
    PIXEL(image, ringPoint(15), expected);
    PIXEL(image, ringPoint(value * 3.6 + 15), ring.ringBgColor());
}

void WidgetsTest::barFill_data()
{
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("filled");
    QTest::addRow("radio channel") << 1000 << 2000 << 1500 << 300 << 150;
    QTest::addRow("a third") << 0 << 3 << 1 << 100 << 33;
    QTest::addRow("two thirds") << 0 << 3 << 2 << 100 << 66;
    QTest::addRow("empty") << 1000 << 2000 << 1000 << 300 << 0;
    QTest::addRow("full") << 1000 << 2000 << 2000 << 300 << 300;
    QTest::addRow("empty range") << 5 << 5 << 5 << 100 << 0;
    QTest::addRow("whole int range") << int(INT_MIN) << int(INT_MAX) << int(INT_MAX) << 100 << 100;
}

void WidgetsTest::barFill()
{
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, value);
    QFETCH(int, width);
    QFETCH(int, filled);
    XProgressBar bar;
    bar.resize(width, 20);
    bar.setRange(minimum, maximum);
    bar.setValue(value);
    bar.setTextColor(QColor(0, 0, 0, 0)); // keep the text out of the samples
    QCOMPARE(bar.filledWidth(), filled); // truncated
    const QImage image = render(&bar);
    if (filled > 0)
        PIXEL(image, QPoint(filled - 1, 10), bar.valueColor());
    if (filled > 1)
        PIXEL(image, QPoint(1, 10), bar.valueColor());
    if (filled < width - 1)
        PIXEL(image, QPoint(qMax(filled, 1), 10), bar.bgColor());
    bar.reset(); // value below the minimum
    QCOMPARE(bar.filledWidth(), 0);
    QVERIFY(!render(&bar).isNull());
}

void WidgetsTest::barPainting()
{
    XProgressBar bar;
    bar.resize(300, 20);
    bar.setRange(1000, 2000);
    bar.setValue(1500);
    bar.setRadius(3);
    QCOMPARE(bar.effectiveRadius(), 3);
    QCOMPARE(render(&bar).pixelColor(1, 1).alpha(), 255);
    bar.setAutoRadius(true); // half the height, the set radius kept
    QCOMPARE(bar.effectiveRadius(), 10);
    QCOMPARE(bar.radius(), 3);
    QImage image = render(&bar);
    QCOMPARE(image.pixelColor(1, 1).alpha(), 0);
    QCOMPARE(image.pixelColor(298, 18).alpha(), 0);
    PIXEL(image, QPoint(10, 3), bar.valueColor());
    bar.resize(300, 30);
    QCOMPARE(bar.effectiveRadius(), 15);
    bar.setAutoRadius(false);

    image = render(&bar); // the value is written in the middle
    int dark = 0;
    for (int x = 120; x < 180; ++x)
        for (int y = 5; y < 25; ++y)
            dark += image.pixelColor(x, y).lightness() < 80 ? 1 : 0;
    QVERIFY(dark > 20);
    bar.setTextColor(QColor(0, 0, 0, 0));
    bar.setValueBrush(QBrush(QColor(0, 0, 255)));
    PIXEL(render(&bar), QPoint(20, 15), QColor(0, 0, 255));
    bar.setValueBrush(QBrush(Qt::NoBrush));
    bar.setBorderWidth(2);
    bar.setBorderColor(QColor(200, 0, 0));
    image = render(&bar);
    PIXEL(image, QPoint(20, 15), bar.valueColor());
    PIXEL(image, QPoint(1, 15), QColor(200, 0, 0));
    PIXEL(image, QPoint(298, 15), QColor(200, 0, 0));
}

void WidgetsTest::lineLabel()
{
    NLineLabel label;
    auto texts = [&label] {
        QStringList l;
        for (int i = 0; i < NLineLabel::capacity; ++i)
            l << label.lineText(i);
        return l.join(',');
    };
    QCOMPARE(NLineLabel::capacity, 8);
    const QLabel *line = label.findChild<QLabel *>();
    QCOMPARE(line->font().family(), QStringLiteral("微软雅黑 Light"));
    QCOMPARE(line->font().pointSize(), 9);
    QCOMPARE(line->font().weight(), QFont::Bold);
    QCOMPARE(line->styleSheet(), QStringLiteral("color:rgb(255,0,0)"));

    label.dropOldestLine(); // empty: nothing happens
    QCOMPARE(label.lineCount(), 0);
    for (const char *t : {"a", "b", "c"})
        label.addLine(t);
    label.dropOldestLine();
    label.addLine(QStringLiteral("d"));
    QCOMPARE(texts(), QStringLiteral("b,c,d,,,,,"));
    for (int i = 1; i <= 9; ++i) // full: the oldest scrolls out
        label.addLine(QString::number(i));
    QCOMPARE(label.lineCount(), 8);
    QCOMPARE(texts(), QStringLiteral("2,3,4,5,6,7,8,9"));
    QVERIFY(label.lineText(-1).isEmpty() && label.lineText(8).isEmpty());
    label.dropOldestLine(); // the next line lands at the bottom again
    label.addLine(QStringLiteral("new"));
    QCOMPARE(texts(), QStringLiteral("3,4,5,6,7,8,9,new"));
    label.clearLines();
    QCOMPARE(label.lineCount(), 0);
    label.addLine(QStringLiteral("first"));
    QCOMPARE(texts(), QStringLiteral("first,,,,,,,"));
}

void WidgetsTest::cjkFamiliesFallBack()
{
    WidgetFonts::installSubstitutions();
    WidgetFonts::installSubstitutions(); // idempotent
    for (const QString &family : {QStringLiteral("Microsoft Yahei"), QStringLiteral("微软雅黑 Light")})
        QCOMPARE(QFont::substitutes(family).value(0).toLower(), QStringLiteral("wenquanyi micro hei"));
    const QStringList installed = QFontDatabase::families();
    if (installed.contains(QStringLiteral("Microsoft YaHei"), Qt::CaseInsensitive))
        QSKIP("The Windows font is installed; no fallback needed");
    if (std::none_of(installed.cbegin(), installed.cend(),
                     [](const QString &f) { return WidgetFonts::cjkFallbackFamilies().contains(f); }))
        QSKIP("No CJK fallback family installed here");
    NLineLabel label;
    QVERIFY(WidgetFonts::cjkFallbackFamilies().contains(QFontInfo(label.findChild<QLabel *>()->font()).family()));
    QVERIFY(WidgetFonts::cjkFallbackFamilies().contains(QFontInfo(QFont(QStringLiteral("Microsoft Yahei"), 9)).family()));
}

void WidgetsTest::extremeSizesAndGallery()
{
    // Every widget at extreme values paints at tiny, flat and large sizes; one panel goes to a PNG for a look by eye.
    QWidget panel;
    auto *grid = new QGridLayout(&panel);
    auto *plane = new GaugePlane;
    plane->setDegValue(-180);
    plane->setRollValue(100);
    auto *compass = new GaugeCompassPan;
    compass->setValue(1e9);
    compass->setBorderWidth(500);
    auto *button = new SwitchButton;
    button->setButtonStyle(SwitchButton::ButtonStyle_CircleOut);
    button->setShowCircle(true);
    auto *nav = new NavLabel;
    nav->setArrowSize(500);
    nav->setShowTriangle(true);
    nav->setText(QStringLiteral("导航"));
    auto *ring = new ProgressRing;
    ring->setRingPadding(60); // no centre disc left
    ring->setRingWidth(500);
    ring->setValue(Inf);
    auto *bar = new XProgressBar;
    bar->setRange(INT_MIN, INT_MAX);
    bar->setValue(INT_MAX);
    bar->setAutoRadius(true);
    bar->setBorderWidth(50);
    auto *lines = new NLineLabel;
    for (int i = 1; i <= 10; ++i)
        lines->addLine(QStringLiteral("第 %1 条警告: 电池电压低").arg(i));
    auto *slider = new SliderTip;
    FlatUI::Instance()->setSliderQss(slider, 8, "#E8EDF2", "#1ABC9C", "#1ABC9C");
    const QList<QWidget *> widgets = {plane, compass, button, nav, ring, bar, lines, slider};
    for (int i = 0; i < widgets.size(); ++i) {
        QWidget *w = widgets[i];
        for (const QSize &size : {QSize(1, 1), QSize(3, 2), QSize(800, 4), QSize(4, 800), QSize(900, 900)}) {
            w->resize(size);
            QVERIFY(!render(w).isNull());
        }
        grid->addWidget(w, i / 2, i % 2);
    }
    show(&panel);
    const QString dir = QStringLiteral(TAVRO_GALLERY_DIR);
    QVERIFY(QDir().mkpath(dir));
    const QPixmap pixmap = panel.grab();
    QCOMPARE(pixmap.size(), panel.size());
    QVERIFY(pixmap.save(dir + QStringLiteral("/widgets.png")));
}

QTEST_MAIN(WidgetsTest)
#include "tst_widgets.moc"
