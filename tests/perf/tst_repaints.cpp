// What the window paints while telemetry streams in: only what changes on
// screen, and once per frame.
#include "pages/PageContext.h"
#include "pages/StatusPage.h"
#include "params/ParameterStore.h"
#include "widgets/GaugeCompassPan.h"
#include "widgets/GaugePlane.h"
#include "widgets/XProgressBar.h"

#include <QPaintEvent>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

namespace {

// Counts the paint events of the widgets it watches and keeps their rectangles.
class PaintSpy : public QObject
{
public:
    QHash<QObject *, QList<QRect>> paints;
    int total() const
    {
        int n = 0;
        for (const auto &l : paints)
            n += int(l.size());
        return n;
    }
    int count(QObject *w) const { return int(paints.value(w).size()); }
    void clear() { paints.clear(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            paints[watched].append(static_cast<QPaintEvent *>(event)->rect());
        return false;
    }
};

mavlink_rc_channels_t report(std::initializer_list<std::pair<int, uint16_t>> values)
{
    mavlink_rc_channels_t m{};
    uint16_t *ch = &m.chan1_raw;
    for (int i = 0; i < 18; ++i)
        ch[i] = 1500;
    for (const auto &v : values)
        ch[v.first - 1] = v.second;
    m.chancount = 16;
    return m;
}

// Lets every pending paint happen.
void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

} // namespace

class RepaintsTest : public QObject
{
    Q_OBJECT

private slots:
    void barPaintsWithTheNextFrame();
    void barIgnoresUnchangedAndRefusedValues();
    void statusPageRepaintsOnlyChangedBars();
    void compassRepaintsItsMiddleOnHeadingChange();
    void gaugeLayersFollowColoursAndSize();
};

void RepaintsTest::barPaintsWithTheNextFrame()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    XProgressBar *bars[3];
    for (auto *&b : bars) {
        b = new XProgressBar;
        b->setRange(900, 2100);
        b->setValue(900);
        layout->addWidget(b);
    }
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    settle();

    PaintSpy spy;
    for (auto *b : bars)
        b->installEventFilter(&spy);
    QSignalSpy changed(bars[0], &QProgressBar::valueChanged);
    bars[0]->setValue(1200);
    bars[1]->setValue(1300);
    bars[2]->setValue(1400);
    // Stored and announced at once, painted later.
    QCOMPARE(bars[0]->value(), 1200);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toInt(), 1200);
    QCOMPARE(spy.total(), 0);
    settle();
    for (auto *b : bars)
        QCOMPARE(spy.count(b), 1);

    // Through the base class interface the value still lands.
    static_cast<QProgressBar *>(bars[0])->setValue(1600);
    QCOMPARE(bars[0]->value(), 1600);
}

void RepaintsTest::barIgnoresUnchangedAndRefusedValues()
{
    XProgressBar bar;
    bar.setRange(900, 2100);
    bar.setValue(1500);
    bar.resize(300, 20);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    settle();

    PaintSpy spy;
    bar.installEventFilter(&spy);
    QSignalSpy changed(&bar, &QProgressBar::valueChanged);
    bar.setValue(1500);
    bar.setValue(2101);
    bar.setValue(0);
    settle();
    QCOMPARE(bar.value(), 1500);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(spy.total(), 0);

    // Hidden or with updates off, the value is still taken.
    bar.setUpdatesEnabled(false);
    bar.setValue(1000);
    QCOMPARE(bar.value(), 1000);
    QVERIFY(!bar.updatesEnabled());
    bar.setUpdatesEnabled(true);
    bar.hide();
    bar.setValue(1100);
    QCOMPARE(bar.value(), 1100);
    QCOMPARE(changed.count(), 2);
}

void RepaintsTest::statusPageRepaintsOnlyChangedBars()
{
    ParameterStore store;
    QWidget window;
    PageContext ctx(&store, &window);
    auto *layout = new QVBoxLayout(&window);
    auto *page = new StatusPage(&ctx);
    page->layoutRcColumn(false);
    layout->addWidget(page);
    window.resize(1000, 600);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    auto bar = [page](const char *name) { return page->findChild<XProgressBar *>(QString::fromLatin1(name)); };
    QList<XProgressBar *> bars;
    for (const char *name : {"RC_CH1_Bar", "RC_CH2_Bar", "RC_CH3_Bar", "RC_CH4_Bar", "RC_CH5_Bar", "RC_CH7_Bar",
                             "RC_CH8_Bar", "RC_CH9_Bar"}) {
        QVERIFY2(bar(name), name);
        bars.append(bar(name));
    }

    // Sticks live, channel 5 on a switch position, 7 and 8 at a centre they
    // never left, 9 out of range.
    const auto first = report({{1, 1100}, {2, 1300}, {3, 1700}, {4, 1900}, {5, 1100}, {9, 0}});
    page->rc_channels_show(first);
    settle();
    QCOMPARE(bar("RC_CH1_Bar")->value(), 1100);
    QCOMPARE(bar("RC_CH7_Bar")->value(), 1500);   // shown, its text hidden
    QCOMPARE(bar("RC_CH7_Bar")->textColor().alpha(), 0);
    QCOMPARE(bar("RC_CH9_Bar")->value(), 900);    // refused raw value: the floor

    PaintSpy spy;
    for (auto *b : bars)
        b->installEventFilter(&spy);
    QSignalSpy changed7(bar("RC_CH7_Bar"), &QProgressBar::valueChanged);

    // The same report again: nothing on screen changes, nothing is painted
    // and no bar passes through another value on the way.
    for (int i = 0; i < 5; ++i) {
        page->rc_channels_show(first);
        settle();
    }
    QCOMPARE(spy.total(), 0);
    QCOMPARE(changed7.count(), 0);

    // One stick moves: its bar alone is painted, once.
    page->rc_channels_show(report({{1, 1150}, {2, 1300}, {3, 1700}, {4, 1900}, {5, 1100}, {9, 0}}));
    settle();
    QCOMPARE(spy.total(), 1);
    QCOMPARE(spy.count(bar("RC_CH1_Bar")), 1);
    QCOMPARE(bar("RC_CH1_Bar")->value(), 1150);
}

void RepaintsTest::compassRepaintsItsMiddleOnHeadingChange()
{
    GaugeCompassPan compass;
    compass.resize(200, 200);
    compass.show();
    QVERIFY(QTest::qWaitForWindowExposed(&compass));
    settle();

    PaintSpy spy;
    compass.installEventFilter(&spy);
    compass.setValue(45);
    settle();
    QCOMPARE(spy.count(&compass), 1);
    const QRect middle = spy.paints.value(&compass).first();
    // The ring, the arrow tip (radius 60) and both texts, not the letters.
    QVERIFY(middle.contains(QRect(40, 40, 120, 120)));
    QVERIFY(!middle.contains(QPoint(100, 12)));

    // The letters changed meanwhile: the next heading change repaints all.
    spy.clear();
    compass.cardinalTexts = {QStringLiteral("N"), QStringLiteral("W"), QStringLiteral("S"), QStringLiteral("E")};
    compass.setValue(46);
    settle();
    QCOMPARE(spy.count(&compass), 1);
    QCOMPARE(spy.paints.value(&compass).first(), compass.rect());

    // The same heading at the resolution drawn (whole degrees): no paint.
    spy.clear();
    compass.setValue(46.7);
    settle();
    QCOMPARE(spy.total(), 0);
}

void RepaintsTest::gaugeLayersFollowColoursAndSize()
{
    // A gauge changed after it was painted looks exactly like one that was
    // set up that way from the start: the cached parts follow.
    auto image = [](QWidget &w) { return w.grab().toImage(); };

    // Colours first at the same size, then a new size.
    GaugePlane plane;
    plane.resize(200, 200);
    plane.setDegValue(20);
    const QImage planeBefore = image(plane);
    plane.setBgColor(QColor(0, 200, 0));
    plane.setBorderOutColorStart(QColor(255, 0, 0));
    plane.setGlassColor(QColor(0, 0, 255));
    plane.setScaleColor(QColor(0, 0, 0));
    plane.setHandleColor(QColor(0, 255, 255));
    GaugePlane planeFresh;
    planeFresh.setDegValue(20);
    planeFresh.setBgColor(QColor(0, 200, 0));
    planeFresh.setBorderOutColorStart(QColor(255, 0, 0));
    planeFresh.setGlassColor(QColor(0, 0, 255));
    planeFresh.setScaleColor(QColor(0, 0, 0));
    planeFresh.setHandleColor(QColor(0, 255, 255));
    planeFresh.resize(200, 200);
    const QImage planeAfter = image(plane);
    QVERIFY(planeAfter != planeBefore);
    QCOMPARE(planeAfter, image(planeFresh));
    plane.resize(150, 120);
    planeFresh.resize(150, 120);
    QCOMPARE(image(plane), image(planeFresh));

    GaugeCompassPan compass;
    compass.resize(200, 200);
    compass.setValue(30);
    const QImage compassBefore = image(compass);
    compass.setBgColor(QColor(10, 20, 30));
    compass.setBorderColor(QColor(200, 0, 0));
    GaugeCompassPan compassFresh;
    compassFresh.setValue(30);
    compassFresh.setBgColor(QColor(10, 20, 30));
    compassFresh.setBorderColor(QColor(200, 0, 0));
    compassFresh.resize(200, 200);
    const QImage compassAfter = image(compass);
    QVERIFY(compassAfter != compassBefore);
    QCOMPARE(compassAfter, image(compassFresh));
    compass.setBorderWidth(12);
    compassFresh.setBorderWidth(12);
    QCOMPARE(image(compass), image(compassFresh));
    compass.resize(120, 160);
    compassFresh.resize(120, 160);
    const QImage resized = image(compass);
    QCOMPARE(resized, image(compassFresh));
    QCOMPARE(resized.pixelColor(60, 104).rgb(), QColor(10, 20, 30).rgb()); // dial face below the texts
}

QTEST_MAIN(RepaintsTest)
#include "tst_repaints.moc"
