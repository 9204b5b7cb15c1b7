// Progress ring and flat progress bar: value handling, animation, texts and
// the painted colours and extents.

#include "WidgetPixels.h"

#include "widgets/ProgressRing.h"
#include "widgets/XProgressBar.h"

#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <limits>

namespace {

// Device pixel on the ring (radius 88.5 of 100, mid-way across the default
// ring) at `degrees` clockwise from twelve o'clock, on a 200 x 200 widget.
QPoint ringPoint(double degrees)
{
    const double rad = qDegreesToRadians(degrees);
    return QPoint(int(100 + 88.5 * std::sin(rad)), int(100 - 88.5 * std::cos(rad)));
}

QColor ringPixel(ProgressRing &ring, double degrees)
{
    const QImage image = renderImage(&ring);
    return image.pixelColor(ringPoint(degrees));
}

} // namespace

class ProgressTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ringDefaults();
    void ringClampsAndAnnounces();
    void ringRangeRules();
    void ringPrecisionAndTexts();
    void ringAnimationOvershootsToFirstStepPast();
    void ringAnimationChangeOfMind();
    void ringArcDirectionAndStart();
    void ringAlarmColours_data();
    void ringAlarmColours();

    void barDefaults();
    void barFillsTruncatedWidth_data();
    void barFillsTruncatedWidth();
    void barAutoRadiusUsesHalfHeight();
    void barBrushBorderAndText();
    void barOddRanges();
};

void ProgressTest::ringDefaults()
{
    ProgressRing ring;
    QCOMPARE(ring.sizeHint(), QSize(200, 200));
    QCOMPARE(ring.minimumSizeHint(), QSize(20, 20));
    QCOMPARE(ring.font().family(), QStringLiteral("Arial"));
    QCOMPARE(ring.font().pointSize(), 8);
    QCOMPARE(ring.maxValue(), 100.0);
    QCOMPARE(ring.startAngle(), 90);
    QCOMPARE(ring.ringWidth(), 15);
    QCOMPARE(ring.ringPadding(), 3);
    QCOMPARE(ring.animationStep(), 0.5);
    QCOMPARE(ring.ringValue2(), 30);
    QCOMPARE(ring.ringColor3(), QColor(255, 107, 107));
    QVERIFY(ring.clockWise());
    QCOMPARE(ring.centreText(), QStringLiteral("0"));
    auto *timer = ring.findChild<QTimer *>();
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 10);
}

void ProgressTest::ringClampsAndAnnounces()
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
    ring.setValue(100);
    QCOMPARE(spy.count(), 1);

    ring.setValue(42.9);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(0).toInt(), 42); // truncated
    ring.setValue(-5);
    QCOMPARE(ring.value(), 0.0);
    QCOMPARE(spy.at(2).at(0).toInt(), 0);

    ring.setValue(std::numeric_limits<double>::quiet_NaN());
    QCOMPARE(ring.value(), 0.0);
    ring.setValue(std::numeric_limits<double>::infinity());
    QCOMPARE(ring.value(), 100.0);
    QVERIFY(ring.setProperty("value", 12.5));
    QCOMPARE(ring.value(), 12.5);
}

void ProgressTest::ringRangeRules()
{
    ProgressRing ring;
    ring.setValue(80);
    QSignalSpy spy(&ring, &ProgressRing::valueChanged);

    ring.setRange(50.0, 50.0);
    ring.setRange(60.0, 10.0);
    ring.setMinValue(100);
    ring.setMaxValue(-1);
    ring.setRange(std::numeric_limits<double>::quiet_NaN(), 10.0);
    QCOMPARE(ring.minValue(), 0.0);
    QCOMPARE(ring.maxValue(), 100.0);
    QCOMPARE(spy.count(), 0);

    // A narrower range pulls the value to its nearest bound, announced once.
    ring.setRange(20, 40);
    QCOMPARE(ring.minValue(), 20.0);
    QCOMPARE(ring.maxValue(), 40.0);
    QCOMPARE(ring.value(), 40.0);
    QCOMPARE(ring.displayedValue(), 40.0);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 40);

    ring.setMinValue(45); // 45 is not below 40
    QCOMPARE(ring.minValue(), 20.0);
    ring.setMinValue(30);
    QCOMPARE(ring.minValue(), 30.0);
    ring.setMaxValue(35);
    QCOMPARE(ring.value(), 35.0);
    ring.setMaxValue(200); // value inside: unchanged and not announced
    QCOMPARE(ring.value(), 35.0);
    QCOMPARE(spy.count(), 2);
}

void ProgressTest::ringPrecisionAndTexts()
{
    ProgressRing ring;
    ring.setPrecision(4);
    QCOMPARE(ring.precision(), 0);
    ring.setPrecision(-1);
    QCOMPARE(ring.precision(), 0);
    ring.setPrecision(3);
    QCOMPARE(ring.precision(), 3);
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

    // Large paddings leave no centre disc; painting must cope.
    ring.setRingPadding(60);
    ring.resize(50, 50);
    QVERIFY(!renderImage(&ring).isNull());
}

void ProgressTest::ringAnimationOvershootsToFirstStepPast()
{
    ProgressRing ring;
    ring.setAnimation(true);
    QList<double> shown;
    auto *timer = ring.findChild<QTimer *>();
    connect(timer, &QTimer::timeout, &ring, [&] {
        if (shown.isEmpty() || shown.last() != ring.displayedValue())
            shown << ring.displayedValue();
    });

    QSignalSpy spy(&ring, &ProgressRing::valueChanged);
    ring.setValue(1.2);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 1);
    QCOMPARE(ring.value(), 1.2);
    QCOMPARE(ring.displayedValue(), 0.0);
    QTRY_VERIFY(!timer->isActive());
    QCOMPARE(shown, QList<double>({0.5, 1.0, 1.5}));
    QCOMPARE(ring.displayedValue(), 1.5);

    // Downwards it also stops on the first step at or past the value.
    shown.clear();
    ring.setValue(0.3);
    QTRY_VERIFY(!timer->isActive());
    QCOMPARE(shown, QList<double>({1.0, 0.5, 0.0}));

    // A step of zero or below would never arrive: it is refused.
    ring.setAnimationStep(0);
    ring.setAnimationStep(-1);
    QCOMPARE(ring.animationStep(), 0.5);
    ring.setAnimationStep(25);
    ring.setValue(100);
    QTRY_VERIFY(!timer->isActive());
    QCOMPARE(ring.displayedValue(), 100.0);
}

void ProgressTest::ringAnimationChangeOfMind()
{
    ProgressRing ring;
    ring.setAnimation(true);
    ring.setAnimationStep(1);
    auto *timer = ring.findChild<QTimer *>();
    ring.setValue(80);
    QTRY_VERIFY(ring.displayedValue() >= 10);
    // Still climbing towards 80; now 50 is wanted, which is above what shows.
    QVERIFY(ring.displayedValue() < 50);
    ring.setValue(50);
    QTRY_VERIFY(!timer->isActive());
    QCOMPARE(ring.displayedValue(), 50.0);

    // Turning the animation off shows the value at once.
    ring.setAnimation(false);
    ring.setValue(20);
    QCOMPARE(ring.displayedValue(), 20.0);
    QVERIFY(!timer->isActive());
}

void ProgressTest::ringArcDirectionAndStart()
{
    ProgressRing ring;
    ring.resize(200, 200);
    ring.setValue(25);
    const QColor arc = ring.ringColor();
    const QColor rest = ring.ringBgColor();

    // Clockwise from twelve o'clock: a quarter covers up to three o'clock.
    QVERIFY(nearColor(ringPixel(ring, 45), arc));
    QVERIFY(nearColor(ringPixel(ring, 135), rest));
    QVERIFY(nearColor(ringPixel(ring, 315), rest));

    ring.setClockWise(false);
    QVERIFY(nearColor(ringPixel(ring, 315), arc));
    QVERIFY(nearColor(ringPixel(ring, 45), rest));

    // Starting at three o'clock.
    ring.setClockWise(true);
    ring.setStartAngle(0);
    QVERIFY(nearColor(ringPixel(ring, 135), arc));
    QVERIFY(nearColor(ringPixel(ring, 45), rest));

    // Between the ring and the centre disc lies the background; the centre
    // disc has its own colour.
    const QImage image = renderImage(&ring);
    QCOMPARE_PIXEL(image, 100, 100 - 79, ring.bgColor());
    QCOMPARE_PIXEL(image, 100 - 70, 100, ring.circleColor());
}

void ProgressTest::ringAlarmColours_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("colour");
    QTest::addRow("mode 0") << 0 << 80.0 << 0;
    QTest::addRow("mode 1, 9") << 1 << 9.0 << 1;
    QTest::addRow("mode 1, 30") << 1 << 30.0 << 2;
    QTest::addRow("mode 1, 69") << 1 << 69.0 << 2;
    QTest::addRow("mode 1, 70") << 1 << 70.0 << 3;
    QTest::addRow("mode 2, 10") << 2 << 10.0 << 1;
    QTest::addRow("mode 2, 10.5") << 2 << 10.5 << 2;
    QTest::addRow("mode 2, 30") << 2 << 30.0 << 2;
    QTest::addRow("mode 2, 31") << 2 << 31.0 << 3;
    QTest::addRow("mode 3") << 3 << 50.0 << 0;
}

void ProgressTest::ringAlarmColours()
{
    QFETCH(int, mode);
    QFETCH(double, value);
    QFETCH(int, colour);

    ProgressRing ring;
    ring.resize(200, 200);
    ring.setAlarmMode(mode);
    ring.setValue(value);
    const QColor expected = colour == 0   ? ring.ringColor()
                            : colour == 1 ? ring.ringColor1()
                            : colour == 2 ? ring.ringColor2()
                                          : ring.ringColor3();
    QCOMPARE(ring.arcColor(), expected);
    // 9 % of the ring is covered by every row: sample at 15 degrees.
    const QImage image = renderImage(&ring);
    const QPoint onArc = ringPoint(15);
    QCOMPARE_PIXEL(image, onArc.x(), onArc.y(), expected);
    const QPoint pastArc = ringPoint(value * 3.6 + 15);
    QCOMPARE_PIXEL(image, pastArc.x(), pastArc.y(), ring.ringBgColor());
}

void ProgressTest::barDefaults()
{
    XProgressBar bar;
    QCOMPARE(bar.sizeHint(), QSize(300, 30));
    QCOMPARE(bar.minimumSizeHint(), QSize(10, 5));
    QCOMPARE(bar.valueColor(), QColor(250, 132, 43));
    QCOMPARE(bar.bgColor(), QColor(244, 243, 248));
    QCOMPARE(bar.radius(), 0);
    QCOMPARE(bar.borderWidth(), 0.0);
    QCOMPARE(bar.valueBrush().style(), Qt::NoBrush);
}

void ProgressTest::barFillsTruncatedWidth_data()
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
}

void ProgressTest::barFillsTruncatedWidth()
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
    QCOMPARE(bar.filledWidth(), filled);

    const QImage image = renderImage(&bar);
    if (filled > 0)
        QCOMPARE_PIXEL(image, filled - 1, 10, bar.valueColor());
    if (filled > 1)
        QCOMPARE_PIXEL(image, 1, 10, bar.valueColor());
    if (filled < width - 1)
        QCOMPARE_PIXEL(image, qMax(filled, 1), 10, bar.bgColor());
}

void ProgressTest::barAutoRadiusUsesHalfHeight()
{
    XProgressBar bar;
    bar.resize(300, 20);
    bar.setRange(0, 100);
    bar.setValue(50);
    bar.setRadius(3);
    QCOMPARE(bar.effectiveRadius(), 3);
    QImage image = renderImage(&bar);
    QCOMPARE(image.pixelColor(1, 1).alpha(), 255);

    bar.setAutoRadius(true);
    QCOMPARE(bar.effectiveRadius(), 10);
    QCOMPARE(bar.radius(), 3);
    image = renderImage(&bar);
    // Outside a radius-10 corner, inside a radius-3 one.
    QCOMPARE(image.pixelColor(1, 1).alpha(), 0);
    QCOMPARE(image.pixelColor(298, 18).alpha(), 0);
    QCOMPARE_PIXEL(image, 10, 3, bar.valueColor());

    bar.resize(300, 30);
    QCOMPARE(bar.effectiveRadius(), 15);
}

void ProgressTest::barBrushBorderAndText()
{
    XProgressBar bar;
    bar.resize(300, 30);
    bar.setRange(1000, 2000);
    bar.setValue(1500);

    // The value is written in the middle.
    QImage image = renderImage(&bar);
    int dark = 0;
    for (int x = 120; x < 180; ++x)
        for (int y = 5; y < 25; ++y)
            dark += image.pixelColor(x, y).lightness() < 80 ? 1 : 0;
    QVERIFY(dark > 20);
    bar.setTextColor(QColor(0, 0, 0, 0));

    bar.setValueBrush(QBrush(QColor(0, 0, 255)));
    image = renderImage(&bar);
    QCOMPARE_PIXEL(image, 20, 15, QColor(0, 0, 255));
    bar.setValueBrush(QBrush(Qt::NoBrush));
    image = renderImage(&bar);
    QCOMPARE_PIXEL(image, 20, 15, bar.valueColor());

    QCOMPARE_PIXEL(image, 1, 15, bar.valueColor());
    bar.setBorderWidth(2);
    bar.setBorderColor(QColor(200, 0, 0));
    image = renderImage(&bar);
    QCOMPARE_PIXEL(image, 1, 15, QColor(200, 0, 0));
    QCOMPARE_PIXEL(image, 298, 15, QColor(200, 0, 0));
    QCOMPARE_PIXEL(image, 20, 15, bar.valueColor());
}

void ProgressTest::barOddRanges()
{
    XProgressBar bar;
    bar.resize(100, 20);
    bar.setRange(5, 5);
    QCOMPARE(bar.filledWidth(), 0);
    QVERIFY(!renderImage(&bar).isNull());
    bar.setRange(0, 10);
    bar.reset(); // value below the minimum
    QCOMPARE(bar.filledWidth(), 0);
    QVERIFY(!renderImage(&bar).isNull());
    bar.setRange(-2147483647 - 1, 2147483647);
    bar.setValue(2147483647);
    QCOMPARE(bar.filledWidth(), 100);
}

QTEST_MAIN(ProgressTest)
#include "tst_progress.moc"
