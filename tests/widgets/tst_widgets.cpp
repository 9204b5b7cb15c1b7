// The self-painted widgets: ranges, signals, animations, exact style strings and what gets painted where.
#include "widgets/FlatUI.h"
#include "widgets/GaugeCompassPan.h"
#include "widgets/GaugePlane.h"
#include "widgets/NLineLabel.h"
#include "widgets/NavLabel.h"
#include "widgets/NumberText.h"
#include "widgets/ProgressRing.h"
#include "widgets/SliderTip.h"
#include "widgets/SwitchButton.h"
#include "widgets/TextCache.h"
#include "widgets/WidgetFonts.h"
#include "widgets/XProgressBar.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <cmath>
#include <limits>
#include <thread>

namespace {
const double NaN = std::numeric_limits<double>::quiet_NaN(), Inf = std::numeric_limits<double>::infinity();
const QColor White(255, 255, 255), Clear(0, 0, 0, 0);

// The widget alone on a transparent image: unpainted pixels stay (0,0,0,0).
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

// The pixels that differ from what is expected, described; empty when all match.
struct Px { QPoint at; QColor colour; };
QString mismatches(const QImage &image, std::initializer_list<Px> expected)
{
    QString out;
    for (const Px &e : expected)
        if (const QColor c = image.pixelColor(e.at); !near(c, e.colour))
            out += QStringLiteral("(%1,%2) is %3 not %4; ").arg(e.at.x()).arg(e.at.y()).arg(c.name(QColor::HexArgb), e.colour.name(QColor::HexArgb));
    return out;
}
#define PIXELS(image, ...) QCOMPARE(mismatches((image), {__VA_ARGS__}), QString())

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

// A white image of `size` at `dpr`, painted by `paint` with antialiasing.
template <typename Paint>
QImage painted(const QSize &size, qreal dpr, Paint paint)
{
    QImage image(size * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    paint(painter);
    painter.end();
    return image;
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
    void flatUiFirstUseFromManyThreads() // first: no FlatUI exists yet in this process
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
        QCOMPARE(std::count(seen.cbegin(), seen.cend(), one), 8);
        QCOMPARE(one->thread(), QCoreApplication::instance()->thread()); // made on a worker, owned by the GUI thread
    }

    void flatUiExactStyles()
    {
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
        // Other heights: s = 3h/2 + h/5, margin s/2, vertical handle (s - 1)/2, all truncating.
        for (auto [h, horizontal, vertical] : {std::tuple{5, "width:8px;margin-top:-4px", "height:3px;margin-left:-4px"},
                                               {10, "width:17px;margin-top:-8px", "height:8px;margin-left:-8px"},
                                               {1, "width:1px;margin-top:-0px", "height:0px;margin-left:-0px"}}) {
            const QString qss = ui->setSliderQss(nullptr, h, "A", "B", "C");
            QVERIFY2(qss.contains(QStringLiteral("QSlider::handle:horizontal{") + horizontal)
                         && qss.contains(QStringLiteral("QSlider::handle:vertical{") + vertical)
                         && qss.contains(QStringLiteral("border-radius:%1px").arg(h / 2)), qPrintable(qss));
        }
    }

    void planeRangesAndPainting()
    {
        GaugePlane plane;
        for (auto [deg, roll] : {std::pair{181, -101}, {-181, 101}, {-180, -100}, {180, 100}}) { // out of range: 0
            plane.setDegValue(deg);
            plane.setRollValue(roll);
            QCOMPARE(QPoint(plane.degValue(), plane.rollValue()), qAbs(deg) > 180 ? QPoint() : QPoint(deg, roll));
        }
        plane.setDegValue(0);
        plane.setRollValue(0);
        plane.resize(200, 200);
        const QSize s = plane.size();
        const QColor ground = plane.planeColor(), pointer = plane.pointerColor();
        auto notGround = [&](double x, double y) { return !near(render(&plane).pixelColor(gauge(s, x, y)), ground, 20); };
        // Level: ground below, pointer at twelve o'clock. Banked 90 degrees clockwise: ground left, pointer at three.
        PIXELS(render(&plane), {gauge(s, 60, 30), ground}, {gauge(s, -60, 30), ground}, {gauge(s, 0, -64), pointer});
        QVERIFY(notGround(60, -30));
        plane.setDegValue(90);
        PIXELS(render(&plane), {gauge(s, -60, 30), ground}, {gauge(s, 64, 0), pointer});
        QVERIFY(notGround(60, 30));
        // Horizon raised fully: no ground; lowered fully: all ground; half: chord edge 63.6 units below the centre.
        plane.setDegValue(0);
        plane.setRollValue(100);
        QVERIFY(notGround(60, 30) && notGround(-60, 30));
        plane.setRollValue(-100);
        PIXELS(render(&plane), {gauge(s, 60, 30), ground}, {gauge(s, -60, 30), ground});
        plane.setRollValue(50);
        PIXELS(render(&plane), {gauge(s, 35, 72), ground});
        QVERIFY(notGround(35, 58));
    }

    void pitchLadderMovesInDevicePixels()
    {
        for (int side : {120, 400}) {
            GaugePlane plane;
            plane.resize(side, side);
            // The -20 rung lies 27.14 units above the centre; its mean row, 10 units right of the axis.
            const double scale = side / 200.0, expected = side / 2 - 27.14 * scale, window = 6 * scale;
            const int x = gauge(plane.size(), 10, 0).x();
            auto whiteRow = [&](double around) {
                const QImage image = render(&plane);
                double sum = 0;
                int n = 0;
                for (int y = int(around - window); y <= int(around + window); ++y)
                    if (const QColor c = image.pixelColor(x, y); c.red() > 200 && c.green() > 200 && c.blue() > 200)
                        sum += y, ++n;
                return n ? sum / n : -1;
            };
            const double level = whiteRow(expected);
            plane.setRollValue(30); // 30 device pixels lower at any size
            const double lowered = whiteRow(expected + 30);
            QVERIFY2(qAbs(level - expected) < 1.5 && qAbs(lowered - level - 30) < 1.0,
                     qPrintable(QStringLiteral("%1 -> %2").arg(level).arg(lowered)));
        }
    }

    void gaugesStayCentredAndRound()
    {
        GaugePlane plane; // 100 pixels across, centred; round: nothing outside the circle inside its square
        plane.resize(300, 100);
        const QImage image = render(&plane);
        QCOMPARE(QList<int>({image.pixelColor(97, 50).alpha(), image.pixelColor(101, 50).alpha(), image.pixelColor(198, 50).alpha(),
                             image.pixelColor(203, 50).alpha(), image.pixelColor(110, 10).alpha()}),
                 QList<int>({0, 255, 255, 0, 0}));
        GaugeCompassPan compass;
        compass.resize(100, 300);
        const QColor rim = compass.borderColor();
        PIXELS(render(&compass), {{50, 99}, Clear}, {{50, 201}, Clear}, {{50, 102}, rim}, {{50, 197}, rim});
    }

    void compassHeadingAndPainting()
    {
        // Reduced to whole degrees in 0..359, never -0; named by sector with the exact compass points.
        const QList<std::tuple<double, double, const char *>> rows = {
            {0, 0, "正北"},      {1, 1, "东北"},     {89, 89, "东北"},   {90, 90, "正东"},     {91, 91, "东南"},
            {179, 179, "东南"},  {180, 180, "正南"}, {181, 181, "西南"}, {269, 269, "西南"},   {-90, 270, "正西"},
            {271, 271, "西北"},  {359.99, 359, "西北"}, {370.6, 10, "东北"}, {-0.5, 0, "正北"}, {360, 0, "正北"},
            {-360, 0, "正北"},   {-725, 355, "西北"}, {1e9, 280, "西北"}};
        GaugeCompassPan compass;
        for (const auto &[input, stored, name] : rows) {
            compass.setValue(123);
            compass.setValue(input);
            const QString got = QStringLiteral("%1 %2 %3").arg(compass.value()).arg(compass.headingText(), compass.headingName());
            QCOMPARE(got, QStringLiteral("%1 %1° %2").arg(stored).arg(QString::fromUtf8(name)));
            QVERIFY(!std::signbit(compass.value()));
        }
        // The arrow (ring between radius 44 and 50) points at the heading; a wider rim grows inwards.
        compass.resize(200, 200);
        compass.setValue(0);
        const QColor pointer = compass.pointerColor(), face = compass.bgColor(), rim = compass.borderColor();
        PIXELS(render(&compass), {{100, 53}, pointer}, {{147, 100}, pointer}, {{100, 44}, pointer}, {{156, 100}, face});
        compass.setValue(90);
        PIXELS(render(&compass), {{156, 100}, pointer}, {{100, 44}, face}, {{100, 196}, rim}, {{100, 190}, face});
        compass.setBorderWidth(12);
        PIXELS(render(&compass), {{100, 190}, rim}, {{100, 197}, rim}, {{100, 199}, Clear});
        // Replaced names; short tables and bad values neither crash the painting nor change the heading.
        compass.setValue(45);
        compass.headingNames = {"N", "NE", "E", "SE", "S", "SW", "W", "NW"};
        QCOMPARE(compass.headingName(), QStringLiteral("NE"));
        compass.headingNames = {"N"};
        compass.cardinalTexts = {};
        QCOMPARE(compass.headingName(), QString());
        compass.setValue(NaN);
        compass.setValue(Inf);
        QCOMPARE(compass.value(), 45.0);
        QVERIFY(!render(&compass).isNull());
    }

    void switchKnobAndSignals()
    {
        using S = SwitchButton;
        for (auto [style, at70, at100] : {std::tuple{S::ButtonStyle_Rect, 35, 50}, {S::ButtonStyle_CircleIn, 40, 70},
                                          {S::ButtonStyle_CircleOut, 40, 70}}) {
            SwitchButton button;
            button.setButtonStyle(style);
            button.resize(70, 30);
            show(&button);
            QSignalSpy spy(&button, &SwitchButton::checkedChanged);
            button.setChecked(true); // already laid out: toggles at once
            QVERIFY(spy.count() == 1 && spy.at(0).at(0).toBool());
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
        // Any mouse button toggles. Disabled and without text: translucent track, opaque knob (diameter 26).
        SwitchButton pressed;
        pressed.resize(70, 30);
        show(&pressed);
        QSignalSpy pressSpy(&pressed, &SwitchButton::checkedChanged);
        for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
            QTest::mousePress(&pressed, b);
        QVERIFY(pressed.checked() && pressSpy.count() == 3 && !pressSpy.at(1).at(0).toBool());
        pressed.setChecked(false);
        pressed.setShowText(false);
        pressed.setEnabled(false);
        const QImage image = render(&pressed);
        const QColor track = image.pixelColor(45, 15);
        QVERIFY2(qAbs(track.alpha() - 60) <= 1 && near(QColor(track.rgb()), pressed.bgColorOff(), 5),
                 qPrintable(track.name(QColor::HexArgb)));
        PIXELS(image, {{15, 15}, White}, {{0, 0}, Clear});

        // Before the first resize the toggle is deferred by 10 ms; asked twice, it is announced once.
        SwitchButton twice, undecided;
        QSignalSpy twiceSpy(&twice, &SwitchButton::checkedChanged), undecidedSpy(&undecided, &SwitchButton::checkedChanged);
        twice.setChecked(true);
        twice.setChecked(true);
        QVERIFY(!twice.checked() && twiceSpy.isEmpty());
        QVERIFY(twiceSpy.wait(1000));
        QVERIFY(!twiceSpy.wait(100));
        QVERIFY(twiceSpy.count() == 1 && twice.checked());
        undecided.setChecked(true); // changing one's mind inside the 10 ms changes nothing
        undecided.setChecked(false);
        QVERIFY(!undecidedSpy.wait(100));
        QVERIFY(!undecided.checked());
    }

    void switchAnimationEnds()
    {
        SwitchButton button;
        button.setAnimation(true);
        button.resize(70, 30);
        show(&button);
        auto *timer = button.findChild<QTimer *>();
        QTest::mousePress(&button, Qt::LeftButton);
        QVERIFY(button.checked() && timer && timer->isActive());
        QCOMPARE(QList<int>({button.knobOffset(), button.knobTarget(), timer->interval()}), QList<int>({0, 40, 30}));
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
        QVERIFY2(button.knobOffset() == 35 && furthest == 35 && ticks >= 4, qPrintable(QString::number(furthest)));
        // Narrower than 7 pixels the step is 0: the animation must still end.
        SwitchButton narrow;
        narrow.setAnimation(true);
        narrow.setFixedSize(6, 3);
        show(&narrow);
        QTest::mousePress(&narrow, Qt::LeftButton);
        QTRY_COMPARE(narrow.knobOffset(), 3);
        QTRY_VERIFY(!narrow.findChild<QTimer *>()->isActive());
    }

    void sliderClicksAndTip()
    {
        // A left press jumps to the pointer, on either orientation, edges included.
        for (auto [vertical, press, expected] : {std::tuple{false, QPoint(99, 15), 50}, {false, QPoint(0, 15), 0},
                                                 {false, QPoint(199, 15), 100}, {true, QPoint(15, 50), 75},
                                                 {true, QPoint(15, 0), 100}}) {
            SliderTip slider;
            slider.setRange(0, 100);
            slider.setOrientation(vertical ? Qt::Vertical : Qt::Horizontal);
            slider.resize(vertical ? QSize(30, 200) : QSize(200, 30));
            show(&slider);
            QSignalSpy clicked(&slider, &SliderTip::clicked);
            QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, press);
            QVERIFY(slider.value() == expected && clicked.count() == 1);
            QTest::mouseRelease(&slider, Qt::LeftButton, Qt::NoModifier, press);
            QCOMPARE(slider.value(), expected);
        }
        // clickEnable off: the press does what a plain slider's does.
        QSlider plain(Qt::Horizontal);
        SliderTip slider;
        slider.setClickEnable(false);
        QSignalSpy clicked(&slider, &SliderTip::clicked);
        for (QSlider *s : {&plain, static_cast<QSlider *>(&slider)}) {
            s->setRange(0, 100);
            s->resize(200, 30);
            show(s);
            QTest::mousePress(s, Qt::LeftButton, Qt::NoModifier, QPoint(150, 15));
            QTest::mouseRelease(s, Qt::LeftButton, Qt::NoModifier, QPoint(150, 15));
        }
        QVERIFY(clicked.isEmpty() && slider.value() == plain.value() && slider.value() != 75);

        // The tip shows only when enabled and while the left button is down; other buttons move nothing.
        SliderTip tipped;
        tipped.setRange(0, 100);
        tipped.resize(200, 30);
        tipped.setUnit(QStringLiteral("%"));
        show(&tipped);
        NavLabel *tip = tipped.labTip();
        QTest::mousePress(&tipped, Qt::LeftButton, Qt::NoModifier, QPoint(99, 15));
        QVERIFY(!tip->isVisible());
        QTest::mouseRelease(&tipped, Qt::LeftButton, Qt::NoModifier, QPoint(99, 15));
        tipped.setValue(10);
        tipped.setTipVisable(true); // the flag alone shows nothing
        QVERIFY(!tip->isVisible());
        QSignalSpy tippedClicked(&tipped, &SliderTip::clicked), pressed(&tipped, &QSlider::sliderPressed);
        for (Qt::MouseButton b : {Qt::RightButton, Qt::MiddleButton}) {
            QTest::mousePress(&tipped, b, Qt::NoModifier, QPoint(150, 15));
            QVERIFY(tipped.value() == 10 && !tip->isVisible());
            QTest::mouseRelease(&tipped, b, Qt::NoModifier, QPoint(150, 15));
        }
        QCOMPARE(tippedClicked.count() + pressed.count(), 0);
        // Above the slider, centred on the pointer; beyond the end a drag is dropped, inside the tip follows.
        const QPoint origin = tipped.mapToGlobal(QPoint(0, 0));
        QTest::mousePress(&tipped, Qt::LeftButton, Qt::NoModifier, QPoint(49, 15));
        QVERIFY(tip->isVisible());
        QCOMPARE(tip->text(), QStringLiteral("25%"));
        QCOMPARE(QPoint(tip->x() + tip->width() / 2, tip->geometry().bottom() + 1), origin + QPoint(49, 0));
        const QPoint tipAtPress = tip->pos();
        QTest::mouseMove(&tipped, QPoint(260, 15));
        QVERIFY(tipped.value() == 25 && tip->pos() == tipAtPress);
        QTest::mouseMove(&tipped, QPoint(150, 15));
        QVERIFY(tipped.value() > 60);
        QCOMPARE(tip->text(), QString::number(tipped.value()) + '%');
        QCOMPARE(tip->x(), tipAtPress.x() + 101);
        QTest::mouseRelease(&tipped, Qt::LeftButton, Qt::NoModifier, QPoint(150, 15));
        QVERIFY(!tip->isVisible());
        // Below with the arrow on top; vertical: left of it with the arrow right, right of it with the arrow left.
        for (auto [arrow, orientation, at] : {std::tuple{SliderTip::ArrowStyle_Top, Qt::Horizontal, 140},
                                              {SliderTip::ArrowStyle_Right, Qt::Vertical, 80},
                                              {SliderTip::ArrowStyle_Left, Qt::Vertical, 120}}) {
            tipped.setArrowStyle(arrow);
            tipped.setOrientation(orientation);
            tipped.resize(orientation == Qt::Vertical ? QSize(30, 200) : QSize(200, 30));
            const QPoint o = tipped.mapToGlobal(QPoint(0, 0)), p = orientation == Qt::Vertical ? QPoint(15, at) : QPoint(at, 15);
            QTest::mousePress(&tipped, Qt::LeftButton, Qt::NoModifier, p);
            const QRect g = tip->geometry();
            if (arrow == SliderTip::ArrowStyle_Top)
                QCOMPARE(QPoint(g.x() + g.width() / 2, g.top()), QPoint(o.x() + at, o.y() + 30));
            else
                QCOMPARE(QPoint(arrow == SliderTip::ArrowStyle_Right ? g.right() + 1 : g.left(), g.y() + g.height() / 2),
                         QPoint(arrow == SliderTip::ArrowStyle_Right ? o.x() : o.x() + 30, o.y() + at));
            QTest::mouseRelease(&tipped, Qt::LeftButton, Qt::NoModifier, p);
        }
    }

    void sliderTipTextAndLifetime()
    {
        auto *slider = new SliderTip;
        slider->setRange(0, 1000000);
        const QList<std::tuple<int, bool, const char *, const char *>> rows = {
            {125000, false, "", "125000"},   {125000, false, " ms", "125000 ms"}, {125000, true, "", "02:05"},
            {59999, true, "", "00:59"},      {600000, true, "s", "10:00s"}};
        for (const auto &[value, time, unit, text] : rows) {
            slider->setShowTime(time);
            slider->setUnit(QString::fromUtf8(unit));
            slider->setValue(value);
            QCOMPARE(slider->tipText(), QString::fromUtf8(text));
        }
        QCOMPARE(slider->labTip()->text(), QStringLiteral("10:00s")); // keeps up with values set from code
        QPointer<NavLabel> tip = slider->labTip(); // a parentless window: the slider deletes it
        QVERIFY(tip && !tip->parent());
        delete slider;
        QTRY_VERIFY(tip.isNull());
    }

    void navLabelTextArrowAndTriangle()
    {
        // The text is centred on the background, which leaves room for the arrow.
        using N = NavLabel;
        for (auto [arrow, position, background] :
             {std::tuple{false, N::ArrowPosition_Right, QRect(0, 0, 120, 40)}, {true, N::ArrowPosition_Right, QRect(0, 0, 110, 40)},
              {true, N::ArrowPosition_Left, QRect(10, 0, 110, 40)}, {true, N::ArrowPosition_Top, QRect(0, 10, 120, 30)},
              {true, N::ArrowPosition_Bottom, QRect(0, 0, 120, 30)}}) {
            NavLabel label;
            label.resize(120, 40);
            label.setArrowSize(10);
            label.setShowArrow(arrow);
            label.setArrowPosition(position);
            label.setText(QStringLiteral("HHHH"));
            const QImage image = render(&label);
            QCOMPARE(label.backgroundRect(), background);
            QRect text; // the opaque near-white pixels
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (image.pixelColor(x, y).alpha() == 255 && image.pixelColor(x, y).red() > 200)
                        text |= QRect(x, y, 1, 1);
            const QPointF centre((text.left() + text.right() + 1) / 2.0, (text.top() + text.bottom() + 1) / 2.0);
            const QPointF expected = QRectF(background).center();
            QVERIFY2(!text.isEmpty() && qAbs(centre.x() - expected.x()) <= 1.0 && qAbs(centre.y() - expected.y()) <= 1.5,
                     qPrintable(QStringLiteral("text centre (%1,%2)").arg(centre.x()).arg(centre.y())));
        }
        NavLabel label; // the side triangle sits on the background; any button clicks
        label.resize(100, 30);
        label.setShowTriangle(true);
        label.setTriangleColor(QColor(200, 0, 0));
        PIXELS(render(&label), {{1, 15}, QColor(200, 0, 0)}, {{97, 3}, Clear}, {{97, 15}, label.background()});
        QSignalSpy clicked(&label, &NavLabel::clicked);
        QTest::mousePress(&label, Qt::LeftButton);
        QTest::mousePress(&label, Qt::RightButton);
        QCOMPARE(clicked.count(), 2);
    }

    void ringValueRangeAndTexts()
    {
        ProgressRing ring;
        QSignalSpy spy(&ring, &ProgressRing::valueChanged);
        ring.setValue(150.0);
        QVERIFY(ring.value() == 100.0 && ring.displayedValue() == 100.0);
        ring.setValue(100.0);
        ring.setValue(150.0); // clamps to the stored value: nothing changes
        ring.setValue(42.9);
        QCOMPARE(QList<int>({int(spy.count()), spy.value(0).value(0).toInt(), spy.value(1).value(0).toInt()}),
                 QList<int>({2, 100, 42})); // announced truncated
        for (auto [in, stored] : {std::pair{-5.0, 0.0}, {NaN, 0.0}, {Inf, 100.0}, {80.0, 80.0}}) {
            ring.setValue(in);
            QCOMPARE(ring.value(), stored);
        }
        spy.clear();
        // Empty, inverted and NaN ranges are refused.
        ring.setRange(50.0, 50.0);
        ring.setRange(60.0, 10.0);
        ring.setMinValue(100);
        ring.setMaxValue(-1);
        ring.setRange(NaN, 10.0);
        QVERIFY(ring.minValue() == 0.0 && ring.maxValue() == 100.0 && spy.isEmpty());
        // A narrower range pulls the value to its nearest bound, announced once.
        ring.setRange(20, 40);
        QVERIFY(ring.value() == 40.0 && ring.displayedValue() == 40.0);
        QCOMPARE(spy.count(), 1);
        ring.setMinValue(45); // not below the maximum
        QCOMPARE(ring.minValue(), 20.0);
        ring.setMinValue(30);
        ring.setMaxValue(35);
        ring.setMaxValue(200); // value inside: unchanged, not announced
        QVERIFY(ring.value() == 35.0 && spy.count() == 2);

        // Precision 0..3, percent of the range, own text first.
        ring.setRange(0, 100);
        ring.setPrecision(4);
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
        ring.setShowPercent(false);
        QCOMPARE(ring.centreText(), QStringLiteral("下载"));
        ring.setText(QString());
        QCOMPARE(ring.centreText(), QStringLiteral("125.0"));
    }

    void ringAnimation()
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
        QVERIFY(spy.count() == 1 && ring.value() == 1.2 && ring.displayedValue() == 0.0);
        QTRY_VERIFY(!timer->isActive());
        QCOMPARE(shown, QList<double>({0.5, 1.0, 1.5}));
        shown.clear();
        ring.setValue(0.3);
        QTRY_VERIFY(!timer->isActive());
        QCOMPARE(shown, QList<double>({1.0, 0.5, 0.0}));
        ring.setAnimationStep(0); // would never arrive: refused
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
        QVERIFY(ring.displayedValue() == 20.0 && !timer->isActive());
    }

    void ringPainting()
    {
        ProgressRing ring;
        ring.resize(200, 200);
        ring.setValue(25);
        const QColor arc = ring.ringColor(), rest = ring.ringBgColor();
        PIXELS(render(&ring), {ringPoint(45), arc}, {ringPoint(135), rest}, {ringPoint(315), rest}, // clockwise from 12
               {{100, 21}, ring.bgColor()}, {{30, 100}, ring.circleColor()}); // gap, then the centre disc
        ring.setClockWise(false);
        PIXELS(render(&ring), {ringPoint(315), arc}, {ringPoint(45), rest});
        ring.setClockWise(true);
        ring.setStartAngle(0); // from three o'clock
        PIXELS(render(&ring), {ringPoint(135), arc}, {ringPoint(45), rest});
        // Alarm colours: mode 1 by value thresholds, mode 2 by percent, others the plain colour.
        const QList<std::tuple<int, double, int>> rows = {{0, 80, 0},  {1, 9, 1},    {1, 30, 2}, {1, 69, 2}, {1, 70, 3},
                                                          {2, 10, 1},  {2, 10.5, 2}, {2, 30, 2}, {2, 31, 3}, {3, 50, 0}};
        ring.setStartAngle(90);
        for (const auto &[mode, value, colour] : rows) {
            ring.setAlarmMode(mode);
            ring.setValue(value);
            const QColor expected = QList<QColor>{arc, ring.ringColor1(), ring.ringColor2(), ring.ringColor3()}[colour];
            QCOMPARE(ring.arcColor(), expected);
            PIXELS(render(&ring), {ringPoint(15), expected}, {ringPoint(value * 3.6 + 15), rest});
        }
    }

    void barFillAndPainting()
    {
        // Filled width truncates; odd ranges and values below the minimum fill nothing.
        for (auto [minimum, maximum, value, width, filled] :
             {std::tuple{1000, 2000, 1500, 300, 150}, {0, 3, 1, 100, 33}, {0, 3, 2, 100, 66}, {1000, 2000, 1000, 300, 0},
              {1000, 2000, 2000, 300, 300}, {5, 5, 5, 100, 0}, {INT_MIN, INT_MAX, INT_MAX, 100, 100}}) {
            XProgressBar bar;
            bar.resize(width, 20);
            bar.setRange(minimum, maximum);
            bar.setValue(value);
            bar.setTextColor(Clear); // keep the text out of the samples
            QCOMPARE(bar.filledWidth(), filled);
            const QImage image = render(&bar);
            if (filled > 0)
                PIXELS(image, {{filled - 1, 10}, bar.valueColor()}, {{1, 10}, bar.valueColor()});
            if (filled < width - 1)
                PIXELS(image, {{qMax(filled, 1), 10}, bar.bgColor()});
            bar.reset();
            QCOMPARE(bar.filledWidth(), 0);
        }
        XProgressBar bar; // auto radius: half the height, the set radius kept
        bar.resize(300, 20);
        bar.setRadius(3);
        bar.setAutoRadius(true);
        QVERIFY(bar.effectiveRadius() == 10 && bar.radius() == 3);
        QCOMPARE(render(&bar).pixelColor(1, 1).alpha(), 0);
        bar.resize(300, 30);
        QCOMPARE(bar.effectiveRadius(), 15);
    }

    void cachedPicturesFollowChanges()
    {
        // Rounded bars and the compass keep pictures of what a new value leaves as it is and repaint only the
        // part that changed: on screen the result equals a full repaint, grab() shows the new value, and a new
        // size or colour is drawn anew.
        QWidget top;
        top.resize(330, 260);
        auto *bar = new XProgressBar(&top);
        bar->setGeometry(10, 10, 300, 20);
        bar->setAutoRadius(true);
        bar->setRange(900, 2100);
        bar->setValue(1000);
        auto *compass = new GaugeCompassPan(&top);
        compass->setGeometry(10, 40, 200, 200);
        show(&top);
        const auto screen = [&top](QWidget *w) {
            return top.screen()->grabWindow(top.winId(), w->x(), w->y(), w->width(), w->height()).toImage();
        };
        const auto freshBar = [bar](int value) { // a bar made for this value, grabbed the same way
            QWidget parent;
            auto *b = new XProgressBar(&parent);
            b->resize(bar->size());
            b->setAutoRadius(true);
            b->setValueColor(bar->valueColor());
            b->setRange(900, 2100);
            b->setValue(value);
            return b->grab().toImage();
        };
        const auto same = [](const QImage &a, const QImage &b) {
            return a.convertToFormat(QImage::Format_ARGB32) == b.convertToFormat(QImage::Format_ARGB32);
        };
        for (int value : {2050, 1200, 1999, 900, 1500, 2100}) {
            bar->setValue(value);
            compass->setValue(value / 7.0);
            QCoreApplication::processEvents();
            const QImage partialBar = screen(bar), partialCompass = screen(compass);
            top.repaint();
            QVERIFY2(same(partialBar, screen(bar)), qPrintable(QString::number(value)));
            QVERIFY2(same(partialCompass, screen(compass)), qPrintable(QString::number(value)));
            QVERIFY(same(bar->grab().toImage(), freshBar(value)));
        }
        bar->resize(260, 26);
        QVERIFY(same(bar->grab().toImage(), freshBar(2100)));
        bar->setValueColor(QColor(0, 160, 0));
        bar->setValue(1300);
        QVERIFY(same(bar->grab().toImage(), freshBar(1300)));
        // A resized compass against a fresh one: tst_repaints' gaugeLayersFollowColoursAndSize.
    }

    void numbersAsDrawTextDrawsThem()
    {
        // The bars' numbers are drawn from glyphs learned once per font: each must come out exactly as drawText
        // draws it, wherever the centring puts it, at both pixel ratios; other texts take drawText's way.
        NumberText number;
        const auto picture = [&number](const QFont &font, const QSize &size, qreal dpr, const QString &text,
                                       bool learned) {
            return painted(size, dpr, [&](QPainter &painter) {
                painter.setFont(font);
                if (learned)
                    number.drawCentred(painter, QRectF(QPointF(0, 0), QSizeF(size)), text);
                else
                    painter.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, text);
            });
        };
        QFont bold;
        bold.setPixelSize(13);
        bold.setBold(true);
        const QFont cjk(QStringLiteral("Microsoft Yahei"), 9);
#ifdef Q_OS_LINUX
        QVERIFY(number.drawsGlyphsFor(QFont()));
        QVERIFY(number.drawsGlyphsFor(cjk));
#endif
        for (const QFont &font : {QFont(), bold, cjk}) {
            for (const QSize &size : {QSize(300, 20), QSize(101, 17), QSize(40, 9)})
                for (qreal dpr : {1.0, 2.0})
                    for (int v = -105; v <= 2200; v += 7) {
                        const QString text = QString::number(v);
                        QVERIFY2(picture(font, size, dpr, text, true) == picture(font, size, dpr, text, false),
                                 qPrintable(QStringLiteral("%1 in %2 px").arg(text, font.toString())));
                    }
            for (const QString &text : {QStringLiteral("12.5"), QStringLiteral("--"), QString()})
                QVERIFY(picture(font, QSize(60, 20), 1.0, text, true) == picture(font, QSize(60, 20), 1.0, text, false));
        }
    }

    void cachedTextsAsDrawTextDrawsThem()
    {
        // The gauges keep their texts laid out: drawn again, turned, scaled, clipped or on a 2x device, each
        // must come out exactly as drawText draws it; what the cache does not handle takes drawText's way.
        TextCache cache(12); // smaller than the texts below: it starts afresh on the way
        const QStringList texts = {QStringLiteral("227°"), QStringLiteral("东南"), QStringLiteral("10"),
                                   QStringLiteral("Southeast"), QStringLiteral("0°"), QStringLiteral("a&b"),
                                   QStringLiteral("two\nlines")};
        const QList<int> flags = {int(Qt::AlignCenter), Qt::AlignHCenter | Qt::AlignTop, Qt::AlignLeft | Qt::AlignVCenter,
                                  0, int(Qt::AlignRight), Qt::AlignCenter | Qt::TextDontClip};
        const QList<QRectF> rects = {QRectF(-100, -100, 200, 200), QRectF(-100, 12, 200, 200), QRectF(3.5, -7.25, 17, 9)};
        QFont large;
        large.setPixelSize(26);
        QFont small = large;
        small.setPixelSize(10); // one cache serves a gauge's several fonts
        QPainterPath disc;
        disc.addEllipse(QPointF(0, 0), 50, 50);
        for (qreal dpr : {1.0, 2.0})
            for (int turn = 0; turn < 3; ++turn) {
                const auto picture = [&](const QFont &font, const QRectF &rect, int f, const QString &text, bool cached) {
                    return painted(QSize(140, 140), dpr, [&](QPainter &painter) {
                        painter.translate(70, 70);
                        if (turn == 1)
                            painter.scale(0.7, 0.7);
                        if (turn == 2) {
                            painter.rotate(33);
                            painter.setClipPath(disc);
                        }
                        painter.setFont(font);
                        painter.setPen(QColor(40, 40, 40));
                        if (cached)
                            cache.draw(painter, rect, f, text);
                        else
                            painter.drawText(rect, f, text);
                    });
                };
                for (const QRectF &rect : rects)
                    for (int f : flags)
                        for (const QString &text : texts)
                            for (const QFont &font : {large, small, large})
                                QVERIFY2(picture(font, rect, f, text, true) == picture(font, rect, f, text, false),
                                         qPrintable(QStringLiteral("%1, flags %2, turn %3").arg(text).arg(f).arg(turn)));
            }
    }

    void lineLabel()
    {
        NLineLabel label;
        auto texts = [&label] {
            QStringList l;
            for (int i = 0; i < NLineLabel::capacity; ++i)
                l << label.lineText(i);
            return l.join(',');
        };
        const QLabel *line = label.findChild<QLabel *>();
        QCOMPARE(line->font().family(), QStringLiteral("微软雅黑 Light"));
        QVERIFY(line->font().pointSize() == 9 && line->font().weight() == QFont::Bold);
        QCOMPARE(line->styleSheet(), QStringLiteral("color:rgb(255,0,0)"));
        label.dropOldestLine(); // empty: nothing happens
        QCOMPARE(label.lineCount(), 0);
        for (const char *t : {"a", "b", "c", "c"}) // a repeat is a line of its own
            label.addLine(t);
        label.dropOldestLine();
        label.addLine(QStringLiteral("d"));
        QCOMPARE(texts(), QStringLiteral("b,c,c,d,,,,"));
        for (int i = 1; i <= 9; ++i) // full: the oldest scrolls out
            label.addLine(QString::number(i));
        QVERIFY(label.lineCount() == 8 && label.lineText(-1).isEmpty() && label.lineText(8).isEmpty());
        QCOMPARE(texts(), QStringLiteral("2,3,4,5,6,7,8,9"));
        label.dropOldestLine(); // the next line lands at the bottom again
        label.addLine(QStringLiteral("new"));
        QCOMPARE(texts(), QStringLiteral("3,4,5,6,7,8,9,new"));
        label.clearLines();
        QCOMPARE(label.lineCount(), 0);
        label.addLine(QStringLiteral("first")); // at the top again
        QCOMPARE(texts(), QStringLiteral("first,,,,,,,"));
    }

    void cjkFamiliesFallBack()
    {
        WidgetFonts::installSubstitutions();
        WidgetFonts::installSubstitutions(); // idempotent
        for (const QString &family : {QStringLiteral("Microsoft Yahei"), QStringLiteral("微软雅黑 Light")})
            QCOMPARE(QFont::substitutes(family).value(0).toLower(), QStringLiteral("wenquanyi micro hei"));
        const QStringList installed = QFontDatabase::families();
        const QStringList cjk = WidgetFonts::cjkFallbackFamilies();
        if (installed.contains(QStringLiteral("Microsoft YaHei"), Qt::CaseInsensitive))
            QSKIP("The Windows font is installed; no fallback needed");
        if (std::none_of(installed.cbegin(), installed.cend(), [&cjk](const QString &f) { return cjk.contains(f); }))
            QSKIP("No CJK fallback family installed here");
        NLineLabel label;
        QVERIFY(cjk.contains(QFontInfo(label.findChild<QLabel *>()->font()).family()));
        QVERIFY(cjk.contains(QFontInfo(QFont(QStringLiteral("Microsoft Yahei"), 9)).family()));
    }

    void extremeSizesAndGallery()
    {
        // Every widget at extreme values paints at tiny, flat and large sizes; one panel goes to a PNG for the eye.
        auto *plane = new GaugePlane;
        plane->setDegValue(-180);
        plane->setRollValue(100);
        auto *compass = new GaugeCompassPan;
        compass->setValue(1e9);
        compass->setBorderWidth(500);
        auto *button = new SwitchButton;
        button->setButtonStyle(SwitchButton::ButtonStyle_CircleOut);
        auto *nav = new NavLabel;
        nav->setArrowSize(500);
        nav->setText(QStringLiteral("导航"));
        auto *ring = new ProgressRing;
        ring->setRingPadding(60); // no centre disc left
        ring->setRingWidth(500);
        auto *bar = new XProgressBar;
        bar->setValue(100);
        bar->setBorderWidth(50);
        auto *lines = new NLineLabel;
        lines->addLine(QStringLiteral("第 1 条警告: 电池电压低"));
        auto *slider = new SliderTip;
        FlatUI::Instance()->setSliderQss(slider, 8, "#E8EDF2", "#1ABC9C", "#1ABC9C");
        QWidget panel;
        auto *grid = new QGridLayout(&panel);
        const QList<QWidget *> widgets = {plane, compass, button, nav, ring, bar, lines, slider};
        for (int i = 0; i < widgets.size(); ++i) {
            for (const QSize &size : {QSize(1, 1), QSize(3, 2), QSize(800, 4), QSize(4, 800), QSize(900, 900)}) {
                widgets[i]->resize(size);
                QVERIFY(!render(widgets[i]).isNull());
            }
            grid->addWidget(widgets[i], i / 2, i % 2);
        }
        show(&panel);
        const QPixmap pixmap = panel.grab();
        QVERIFY(QDir().mkpath(QStringLiteral(TAVRO_GALLERY_DIR)));
        QVERIFY(pixmap.save(QStringLiteral(TAVRO_GALLERY_DIR "/widgets.png")));
    }
};

QTEST_MAIN(WidgetsTest)
#include "tst_widgets.moc"
