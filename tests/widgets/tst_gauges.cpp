// Attitude indicator and compass: value handling and what gets painted where.

#include "WidgetPixels.h"

#include "widgets/GaugeCompassPan.h"
#include "widgets/GaugePlane.h"

#include <QtTest>
#include <cmath>
#include <limits>

namespace {

// Device pixel of a logical point on a gauge painted into a w x h widget.
QPoint devicePoint(const QSize &size, double x, double y)
{
    const double scale = qMin(size.width(), size.height()) / 200.0;
    return QPoint(int(size.width() / 2 + x * scale), int(size.height() / 2 + y * scale));
}

// Mean row of the near-white pixels of one column within `window` rows of `around`.
double whiteRowCentre(const QImage &image, int x, double around, double window)
{
    const int top = int(around - window);
    const int bottom = int(around + window) + 1;
    double sum = 0;
    int count = 0;
    for (int y = qMax(0, top); y < qMin(image.height(), bottom); ++y) {
        const QColor c = image.pixelColor(x, y);
        if (c.red() > 200 && c.green() > 200 && c.blue() > 200) {
            sum += y;
            ++count;
        }
    }
    return count ? sum / count : -1;
}

} // namespace

class GaugesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaultsAndSizes();
    void planeSettersKeepRanges();
    void sameValueDoesNotRepaint();
    void groundAndPointerFollowAttitude();
    void pitchLadderMovesInDevicePixels_data();
    void pitchLadderMovesInDevicePixels();
    void gaugesStayCentredAndRound();
    void compassReducesHeading_data();
    void compassReducesHeading();
    void compassSectorNames_data();
    void compassSectorNames();
    void compassTablesAreAssignable();
    void compassArrowAndRimPixels();
};

void GaugesTest::defaultsAndSizes()
{
    GaugePlane plane;
    QCOMPARE(plane.sizeHint(), QSize(200, 200));
    QCOMPARE(plane.minimumSizeHint(), QSize(50, 50));
    QCOMPARE(plane.bgColor(), QColor(41, 127, 184));
    QCOMPARE(plane.handleColor(), QColor(254, 215, 0));
    QCOMPARE(plane.property("pointerColor").value<QColor>(), QColor(255, 107, 107));
    QVERIFY(plane.setProperty("lineColor", QColor(1, 2, 3)));
    QCOMPARE(plane.lineColor(), QColor(1, 2, 3));

    GaugeCompassPan compass;
    QCOMPARE(compass.sizeHint(), QSize(200, 200));
    QCOMPARE(compass.minimumSizeHint(), QSize(50, 50));
    QCOMPARE(compass.borderWidth(), 6);
    QCOMPARE(compass.borderColor(), QColor(34, 163, 169));
    QCOMPARE(compass.font().family(), QStringLiteral("Microsoft Yahei"));
    QCOMPARE(compass.font().pointSize(), 9);
    QCOMPARE(compass.cardinalTexts, QStringList({"北", "西", "南", "东"}));
    QCOMPARE(compass.headingNames.size(), 8);
    QCOMPARE(compass.headingName(), QStringLiteral("正北"));
}

void GaugesTest::planeSettersKeepRanges()
{
    GaugePlane plane;
    plane.setDegValue(181);
    QCOMPARE(plane.degValue(), 0);
    plane.setDegValue(-181);
    QCOMPARE(plane.degValue(), 0);
    plane.setDegValue(-180);
    QCOMPARE(plane.degValue(), -180);
    plane.setDegValue(180);
    QCOMPARE(plane.degValue(), 180);

    plane.setRollValue(-101);
    QCOMPARE(plane.rollValue(), 0);
    plane.setRollValue(101);
    QCOMPARE(plane.rollValue(), 0);
    plane.setRollValue(-100);
    QCOMPARE(plane.rollValue(), -100);
    plane.setRollValue(100);
    QCOMPARE(plane.rollValue(), 100);
}

void GaugesTest::sameValueDoesNotRepaint()
{
    GaugePlane plane;
    GaugeCompassPan compass;
    for (QWidget *widget : {static_cast<QWidget *>(&plane), static_cast<QWidget *>(&compass)}) {
        widget->resize(120, 120);
        widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(widget));
    }
    auto *planePaints = new PaintCounter(&plane);
    auto *compassPaints = new PaintCounter(&compass);

    plane.setDegValue(12);
    compass.setValue(33);
    QTRY_VERIFY(planePaints->count > 0);
    QTRY_VERIFY(compassPaints->count > 0);
    const int planeBefore = planePaints->count;
    const int compassBefore = compassPaints->count;

    plane.setDegValue(12);
    plane.setRollValue(0);
    plane.setBgColor(plane.bgColor());
    compass.setValue(33);
    compass.setValue(33.7); // truncates to the stored heading
    compass.setBorderWidth(6);
    compass.setPointerColor(compass.pointerColor());
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QCOMPARE(planePaints->count, planeBefore);
    QCOMPARE(compassPaints->count, compassBefore);

    plane.setRollValue(5);
    compass.setBorderWidth(8);
    QTRY_VERIFY(planePaints->count > planeBefore);
    QTRY_VERIFY(compassPaints->count > compassBefore);
}

void GaugesTest::groundAndPointerFollowAttitude()
{
    GaugePlane plane;
    plane.resize(200, 200);
    const QSize size = plane.size();
    const QColor ground = plane.planeColor();
    const QColor pointer = plane.pointerColor();

    // Level: the lower half is ground, the pointer sits at twelve o'clock.
    QImage image = renderImage(&plane);
    QCOMPARE_PIXEL(image, devicePoint(size, 60, 30).x(), devicePoint(size, 60, 30).y(), ground);
    QCOMPARE_PIXEL(image, devicePoint(size, -60, 30).x(), devicePoint(size, -60, 30).y(), ground);
    QCOMPARE_PIXEL(image, devicePoint(size, 0, -64).x(), devicePoint(size, 0, -64).y(), pointer);
    QVERIFY(!nearColor(image.pixelColor(devicePoint(size, 60, -30)), ground, 20));

    // Banked 90 degrees: the painter turns clockwise, the ground moves to the
    // left half and the pointer to three o'clock.
    plane.setDegValue(90);
    image = renderImage(&plane);
    QCOMPARE_PIXEL(image, devicePoint(size, -60, 30).x(), devicePoint(size, -60, 30).y(), ground);
    QVERIFY(!nearColor(image.pixelColor(devicePoint(size, 60, 30)), ground, 20));
    QCOMPARE_PIXEL(image, devicePoint(size, 64, 0).x(), devicePoint(size, 64, 0).y(), pointer);

    // Horizon fully raised: no ground at all; fully lowered: all ground.
    plane.setDegValue(0);
    plane.setRollValue(100);
    image = renderImage(&plane);
    QVERIFY(!nearColor(image.pixelColor(devicePoint(size, 60, 30)), ground, 20));
    QVERIFY(!nearColor(image.pixelColor(devicePoint(size, -60, 30)), ground, 20));
    plane.setRollValue(-100);
    image = renderImage(&plane);
    QCOMPARE_PIXEL(image, devicePoint(size, 60, 30).x(), devicePoint(size, 60, 30).y(), ground);
    QCOMPARE_PIXEL(image, devicePoint(size, -60, 30).x(), devicePoint(size, -60, 30).y(), ground);
    // Half raised: the chord spans 90 degrees, its edge 63.6 units below the
    // centre (90 x sin 45°).
    plane.setRollValue(50);
    image = renderImage(&plane);
    QCOMPARE_PIXEL(image, devicePoint(size, 35, 72).x(), devicePoint(size, 35, 72).y(), ground);
    QVERIFY(!nearColor(image.pixelColor(devicePoint(size, 35, 58)), ground, 20));
}

void GaugesTest::pitchLadderMovesInDevicePixels_data()
{
    QTest::addColumn<int>("side");
    QTest::addRow("200 px") << 200;
    QTest::addRow("400 px") << 400;
    QTest::addRow("120 px") << 120;
}

void GaugesTest::pitchLadderMovesInDevicePixels()
{
    QFETCH(int, side);
    GaugePlane plane;
    plane.resize(side, side);
    const QSize size = plane.size();
    const double scale = side / 200.0;

    // The -20 rung lies 27.14 units above the centre; sample it 10 units right
    // of the axis, clear of the aircraft symbol. The window (6 units) keeps
    // the neighbouring rungs 13.6 units away out of the measure.
    const int x = devicePoint(size, 10, 0).x();
    const double expected = side / 2 - 27.14 * scale;
    const double window = 6 * scale;
    const double level = whiteRowCentre(renderImage(&plane), x, expected, window);
    QVERIFY2(qAbs(level - expected) < 1.5, qPrintable(QString::number(level)));

    plane.setRollValue(30);
    const double lowered = whiteRowCentre(renderImage(&plane), x, expected + 30, window);
    QVERIFY2(qAbs(lowered - level - 30) < 1.0, qPrintable(QStringLiteral("%1 -> %2").arg(level).arg(lowered)));

    plane.setRollValue(-20);
    const double raised = whiteRowCentre(renderImage(&plane), x, expected - 20, window);
    QVERIFY2(qAbs(level - raised - 20) < 1.0, qPrintable(QStringLiteral("%1 -> %2").arg(level).arg(raised)));
}

void GaugesTest::gaugesStayCentredAndRound()
{
    // A wide widget: the gauges are 100 pixels across, centred horizontally.
    GaugePlane plane;
    plane.resize(300, 100);
    QImage image = renderImage(&plane);
    QCOMPARE(image.pixelColor(97, 50).alpha(), 0);
    QCOMPARE(image.pixelColor(203, 50).alpha(), 0);
    QCOMPARE(image.pixelColor(101, 50).alpha(), 255);
    QCOMPARE(image.pixelColor(198, 50).alpha(), 255);
    QCOMPARE(image.pixelColor(150, 1).alpha(), 255);
    QCOMPARE(image.pixelColor(150, 98).alpha(), 255);
    QCOMPARE(image.pixelColor(110, 10).alpha(), 0); // outside the circle, inside its square

    GaugeCompassPan compass;
    compass.resize(300, 100);
    image = renderImage(&compass);
    QCOMPARE(image.pixelColor(99, 50).alpha(), 0);
    QCOMPARE(image.pixelColor(201, 50).alpha(), 0);
    QCOMPARE_PIXEL(image, 102, 50, compass.borderColor());
    QCOMPARE_PIXEL(image, 197, 50, compass.borderColor());

    // A tall widget centres vertically.
    compass.resize(100, 300);
    image = renderImage(&compass);
    QCOMPARE(image.pixelColor(50, 99).alpha(), 0);
    QCOMPARE_PIXEL(image, 50, 102, compass.borderColor());
    QCOMPARE_PIXEL(image, 50, 197, compass.borderColor());
    QCOMPARE(image.pixelColor(50, 201).alpha(), 0);
}

void GaugesTest::compassReducesHeading_data()
{
    QTest::addColumn<double>("input");
    QTest::addColumn<double>("stored");
    QTest::addRow("370.6") << 370.6 << 10.0;
    QTest::addRow("-90") << -90.0 << 270.0;
    QTest::addRow("-0.5") << -0.5 << 0.0;
    QTest::addRow("359.99") << 359.99 << 359.0;
    QTest::addRow("360") << 360.0 << 0.0;
    QTest::addRow("-360") << -360.0 << 0.0;
    QTest::addRow("-725") << -725.0 << 355.0;
    QTest::addRow("1e9") << 1e9 << 280.0;
}

void GaugesTest::compassReducesHeading()
{
    QFETCH(double, input);
    QFETCH(double, stored);
    GaugeCompassPan compass;
    compass.setValue(123);
    compass.setValue(input);
    QCOMPARE(compass.value(), stored);
    QVERIFY(!std::signbit(compass.value()));
    QCOMPARE(compass.headingText(), QStringLiteral("%1°").arg(int(stored)));
}

void GaugesTest::compassSectorNames_data()
{
    QTest::addColumn<double>("heading");
    QTest::addColumn<QString>("name");
    QTest::addRow("0") << 0.0 << "正北";
    QTest::addRow("1") << 1.0 << "东北";
    QTest::addRow("370.6") << 370.6 << "东北";
    QTest::addRow("89") << 89.0 << "东北";
    QTest::addRow("90") << 90.0 << "正东";
    QTest::addRow("91") << 91.0 << "东南";
    QTest::addRow("179") << 179.0 << "东南";
    QTest::addRow("180") << 180.0 << "正南";
    QTest::addRow("181") << 181.0 << "西南";
    QTest::addRow("269") << 269.0 << "西南";
    QTest::addRow("-90") << -90.0 << "正西";
    QTest::addRow("271") << 271.0 << "西北";
    QTest::addRow("359") << 359.0 << "西北";
}

void GaugesTest::compassSectorNames()
{
    QFETCH(double, heading);
    QFETCH(QString, name);
    GaugeCompassPan compass;
    compass.setValue(heading);
    QCOMPARE(compass.headingName(), name);
}

void GaugesTest::compassTablesAreAssignable()
{
    GaugeCompassPan compass;
    compass.setValue(45);
    compass.headingNames = {"N", "NE", "E", "SE", "S", "SW", "W", "NW"};
    compass.cardinalTexts = {"N", "W", "S", "E"};
    QCOMPARE(compass.headingName(), QStringLiteral("NE"));

    // Short tables and bad values must not crash the painting.
    compass.headingNames = {"N"};
    compass.cardinalTexts = {};
    QCOMPARE(compass.headingName(), QString());
    compass.setValue(std::numeric_limits<double>::quiet_NaN());
    compass.setValue(std::numeric_limits<double>::infinity());
    QCOMPARE(compass.value(), 45.0);
    compass.resize(100, 100);
    QVERIFY(!renderImage(&compass).isNull());
}

void GaugesTest::compassArrowAndRimPixels()
{
    GaugeCompassPan compass;
    compass.resize(200, 200);
    const QColor pointer = compass.pointerColor();
    const QColor face = compass.bgColor();

    // The ring lies between radius 44 and 50; the tip points at the heading.
    QImage image = renderImage(&compass);
    QCOMPARE_PIXEL(image, 100, 100 - 47, pointer);
    QCOMPARE_PIXEL(image, 100 + 47, 100, pointer);
    QCOMPARE_PIXEL(image, 100, 100 - 56, pointer);
    QCOMPARE_PIXEL(image, 100 + 56, 100, face);

    compass.setValue(90);
    image = renderImage(&compass);
    QCOMPARE_PIXEL(image, 100 + 56, 100, pointer);
    QCOMPARE_PIXEL(image, 100, 100 - 56, face);

    // Rim: width 6 from radius 93 to 99; a wider rim grows inwards.
    QCOMPARE_PIXEL(image, 100, 100 + 96, compass.borderColor());
    QCOMPARE_PIXEL(image, 100, 100 + 90, face);
    compass.setBorderWidth(12);
    image = renderImage(&compass);
    QCOMPARE_PIXEL(image, 100, 100 + 90, compass.borderColor());
    QCOMPARE_PIXEL(image, 100, 197, compass.borderColor());
    QCOMPARE(image.pixelColor(100, 199).alpha(), 0);
}

QTEST_MAIN(GaugesTest)
#include "tst_gauges.moc"
