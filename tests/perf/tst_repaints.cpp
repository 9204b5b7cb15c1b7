// Work that changes nothing is not done: no repaint for a value that shows the same, one paint per frame for a
// change, gauge caches that follow colours and size, the port list asked for only when it may have changed, the
// window rewriting the flight time only when needed.
#include "link/PortSource.h"
#include "pages/PageContext.h"
#include "pages/StatusPage.h"
#include "params/ParameterStore.h"
#include "widgets/GaugeCompassPan.h"
#include "widgets/GaugePlane.h"
#include "widgets/XProgressBar.h"
#ifdef TAVRO_HAVE_APP
#include "app/MainWindow.h"
#include <QCheckBox>
#include <QLabel>
#include <QTemporaryDir>
#endif

#include <QPaintEvent>
#include <QSerialPortInfo>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <numeric>
#include <thread>

namespace {
// Paint events of the watched widgets, with their rectangles.
struct PaintSpy : QObject {
    explicit PaintSpy(std::initializer_list<QWidget *> widgets = {}) { watch(widgets); }
    void watch(std::initializer_list<QWidget *> widgets) { for (QWidget *w : widgets) w->installEventFilter(this); }
    QHash<QObject *, QList<QRect>> paints;
    int count(QObject *w) const { return int(paints.value(w).size()); }
    int total() const
    {
        return std::accumulate(paints.cbegin(), paints.cend(), 0, [](int n, const auto &l) { return n + int(l.size()); });
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            paints[watched].append(static_cast<QPaintEvent *>(event)->rect());
        return false;
    }
};

// Lets every pending paint happen.
void settle()
{
    QCoreApplication::sendPostedEvents();
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void showAndSettle(QWidget *w)
{
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    settle();
}

mavlink_rc_channels_t report(std::initializer_list<std::pair<int, uint16_t>> values)
{
    uint16_t ch[18];
    std::fill(std::begin(ch), std::end(ch), uint16_t(1500));
    for (const auto &v : values)
        ch[v.first - 1] = v.second;
    mavlink_rc_channels_t m{};
    static_assert(offsetof(mavlink_rc_channels_t, chan18_raw)
                  == offsetof(mavlink_rc_channels_t, chan1_raw) + 17 * sizeof(uint16_t));
    std::memcpy(reinterpret_cast<char *>(&m) + offsetof(mavlink_rc_channels_t, chan1_raw), ch, sizeof ch);
    m.chancount = 16;
    return m;
}
} // namespace

class RepaintsTest : public QObject
{
    Q_OBJECT

private slots:
    void barPaintsOnceWithTheNextFrame()
    {
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        XProgressBar *bars[3];
        for (auto *&b : bars) {
            b = new XProgressBar;
            b->setRange(900, 2100);
            b->setValue(1500);
            layout->addWidget(b);
        }
        showAndSettle(&window);
        PaintSpy spy{bars[0], bars[1], bars[2]};
        QSignalSpy changed(bars[0], &QProgressBar::valueChanged);
        // The same value or one out of range: nothing stored, announced or painted.
        for (int v : {1500, 2101, 0})
            bars[0]->setValue(v);
        settle();
        QCOMPARE(QList<int>({bars[0]->value(), int(changed.count()), spy.total()}), QList<int>({1500, 0, 0}));
        // Stored and announced at once, each bar painted once with the next frame.
        for (int i = 0; i < 3; ++i)
            bars[i]->setValue(1200 + 100 * i);
        QCOMPARE(QList<int>({bars[0]->value(), int(changed.count()), spy.total()}), QList<int>({1200, 1, 0}));
        settle();
        QCOMPARE(QList<int>({spy.count(bars[0]), spy.count(bars[1]), spy.count(bars[2])}), QList<int>({1, 1, 1}));
        // Through the base class, with updates off or hidden, the value still lands.
        static_cast<QProgressBar *>(bars[0])->setValue(1600);
        QCOMPARE(bars[0]->value(), 1600);
        bars[0]->setUpdatesEnabled(false);
        bars[0]->setValue(1000);
        QVERIFY(bars[0]->value() == 1000 && !bars[0]->updatesEnabled());
        bars[0]->setUpdatesEnabled(true);
        window.hide();
        bars[0]->setValue(1100);
        QVERIFY(bars[0]->value() == 1100 && changed.count() == 4);
    }

    void statusPageRepaintsOnlyChangedBars()
    {
        ParameterStore store;
        QWidget window;
        PageContext ctx(&store, &window);
        auto *page = new StatusPage(&ctx);
        page->layoutRcColumn(false);
        (new QVBoxLayout(&window))->addWidget(page);
        window.resize(1000, 600);
        showAndSettle(&window);
        auto bar = [page](int ch) { return page->findChild<XProgressBar *>(QStringLiteral("RC_CH%1_Bar").arg(ch)); };
        PaintSpy spy;
        for (int ch : {1, 2, 3, 4, 5, 7, 8, 9}) {
            QVERIFY2(bar(ch), qPrintable(QString::number(ch)));
            spy.watch({bar(ch)});
        }
        // Sticks live, channel 5 on a switch position, 7 and 8 at a centre they never left, 9 out of range.
        const auto first = report({{1, 1100}, {2, 1300}, {3, 1700}, {4, 1900}, {5, 1100}, {9, 0}});
        page->rc_channels_show(first);
        settle();
        // 7 shown with its text hidden, 9's refused raw value at the floor.
        QCOMPARE(QList<int>({bar(1)->value(), bar(7)->value(), bar(7)->textColor().alpha(), bar(9)->value()}),
                 QList<int>({1100, 1500, 0, 900}));
        spy.paints.clear();
        QSignalSpy changed7(bar(7), &QProgressBar::valueChanged);
        // The same report again: nothing painted, no bar passes through another value on the way.
        for (int i = 0; i < 5; ++i) {
            page->rc_channels_show(first);
            settle();
        }
        QVERIFY(spy.total() == 0 && changed7.isEmpty());
        // One stick moves: its bar alone is painted, once.
        page->rc_channels_show(report({{1, 1150}, {2, 1300}, {3, 1700}, {4, 1900}, {5, 1100}, {9, 0}}));
        settle();
        QCOMPARE(QList<int>({spy.total(), spy.count(bar(1)), bar(1)->value()}), QList<int>({1, 1, 1150}));
    }

    void gaugesSkipUnchangedValues()
    {
        GaugePlane plane;
        GaugeCompassPan compass;
        plane.resize(120, 120);
        compass.resize(200, 200);
        plane.setDegValue(12);
        showAndSettle(&plane);
        showAndSettle(&compass);
        PaintSpy spy{&plane, &compass};
        // Values and colours as they are, and headings within the whole degree drawn: nothing painted.
        plane.setDegValue(12);
        plane.setRollValue(0);
        plane.setBgColor(plane.bgColor());
        compass.setValue(0.7);
        compass.setBorderWidth(compass.borderWidth());
        compass.setPointerColor(compass.pointerColor());
        settle();
        QCOMPARE(spy.total(), 0);
        plane.setRollValue(5);
        settle();
        QCOMPARE(spy.count(&plane), 1);

        // A heading change repaints the middle only: ring, arrow tip (radius 60) and texts, not the letters.
        compass.setValue(45);
        settle();
        QCOMPARE(spy.count(&compass), 1);
        const QRect middle = spy.paints.value(&compass).first();
        QVERIFY(middle.contains(QRect(40, 40, 120, 120)) && !middle.contains(QPoint(100, 12)));
        // The letters changed meanwhile: the next heading change repaints all.
        spy.paints.clear();
        compass.cardinalTexts = {QStringLiteral("N"), QStringLiteral("W"), QStringLiteral("S"), QStringLiteral("E")};
        compass.setValue(46);
        settle();
        QCOMPARE(spy.paints.value(&compass), QList<QRect>{compass.rect()});
    }

    void gaugeLayersFollowColoursAndSize()
    {
        // A gauge changed after it was painted looks exactly like one set up that way from the start, at any size.
        auto sameAsFresh = [](auto &gauge, auto &fresh, auto change, QSize resized) {
            const QImage before = gauge.grab().toImage();
            change(gauge);
            change(fresh);
            fresh.resize(gauge.size());
            QVERIFY(gauge.grab().toImage() != before);
            QCOMPARE(gauge.grab().toImage(), fresh.grab().toImage());
            gauge.resize(resized);
            fresh.resize(resized);
            QCOMPARE(gauge.grab().toImage(), fresh.grab().toImage());
        };
        GaugePlane plane, planeFresh;
        plane.resize(200, 200);
        plane.setDegValue(20);
        planeFresh.setDegValue(20);
        sameAsFresh(plane, planeFresh, [](GaugePlane &p) {
            p.setBgColor(QColor(0, 200, 0));
            p.setBorderOutColorStart(QColor(255, 0, 0));
            p.setGlassColor(QColor(0, 0, 255));
            p.setScaleColor(QColor(0, 0, 0));
            p.setHandleColor(QColor(0, 255, 255));
        }, QSize(150, 120));
        GaugeCompassPan compass, compassFresh;
        compass.resize(200, 200);
        compass.setValue(30);
        compassFresh.setValue(30);
        sameAsFresh(compass, compassFresh, [](GaugeCompassPan &c) {
            c.setBgColor(QColor(10, 20, 30));
            c.setBorderColor(QColor(200, 0, 0));
            c.setBorderWidth(12);
        }, QSize(120, 160));
        QCOMPARE(compass.grab().toImage().pixelColor(60, 104).rgb(), QColor(10, 20, 30).rgb()); // dial face below the texts
    }

    void portListAskedOnlyWhenItMayHaveChanged()
    {
        int asked = 0;
        QString stamp = QStringLiteral("a");
        QList<PortCandidate> platform{PortCandidate{QStringLiteral("ttyACM0"), 0x05C0, 0x007A}};
        const PortSource source = cachedPortSource([&] { return ++asked, platform; }, 60000, [&] { return stamp; });
        QCOMPARE(source().size(), 1);
        // Unchanged device directory: from memory, even when the platform's list changed unseen.
        platform.append(PortCandidate{QStringLiteral("ttyUSB0"), 0x0403, 0x6001});
        for (int i = 0; i < 100; ++i)
            QCOMPARE(source().size(), 1);
        QCOMPARE(asked, 1);
        stamp = QStringLiteral("b"); // a device came: the next call asks
        QVERIFY(source().value(1).portName == QLatin1String("ttyUSB0") && asked == 2);
        // Where nothing tells of a change, the age does.
        int timedAsks = 0;
        const PortSource timed = cachedPortSource([&] { return ++timedAsks, QList<PortCandidate>(); }, 50, nullptr);
        timed();
        timed();
        QCOMPARE(timedAsks, 1);
        QTRY_VERIFY_WITH_TIMEOUT((timed(), timedAsks == 2), 5000);
        QVERIFY(cachedPortSource(nullptr, 1000, nullptr)().isEmpty()); // no base: an empty list

        // Two threads at once: one asking, every caller served the list.
        std::atomic<int> concurrentAsks{0}, wrong{0};
        const PortSource shared = cachedPortSource(
            [&] { return ++concurrentAsks, QList<PortCandidate>{PortCandidate{QStringLiteral("ttyACM0"), 0x05C0, 0x007A}}; },
            60000, [] { return QStringLiteral("same"); });
        auto caller = [&] {
            for (int i = 0; i < 2000; ++i)
                if (const QList<PortCandidate> l = shared(); l.size() != 1 || l.at(0).portName != QLatin1String("ttyACM0"))
                    ++wrong;
        };
        std::thread a(caller), b(caller);
        a.join();
        b.join();
        QVERIFY(concurrentAsks.load() == 1 && wrong.load() == 0);

        // The platform source lists the platform's ports, the same when asked again at once.
        QStringList expected, got;
        for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
            expected << info.portName();
        for (int i = 0; i < 2; ++i)
            for (const PortCandidate &c : systemSerialPorts())
                got << c.portName;
        QCOMPARE(got, expected + expected);
    }

#ifdef TAVRO_HAVE_APP
    void windowRewritesFlightTimeOnlyWhenNeeded()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        MainWindow::Options options;
        options.settingsFile = dir.filePath(QStringLiteral("settings.ini"));
        options.portSource = [] { return QList<PortCandidate>(); };
        MainWindow w(options);
        auto *label = w.findChild<QLabel *>(QStringLiteral("flytimeshow_value"));
        auto *english = w.findChild<QCheckBox *>(QStringLiteral("English_checkBox"));
        auto *chinese = w.findChild<QCheckBox *>(QStringLiteral("Chinese_checkBox"));
        QVERIFY(label && english && chinese);
        showAndSettle(&w);
        PaintSpy paints{label};
        // Sets the flight time (seconds); what the label shows once painted, and its paints so far.
        auto shown = [&](double seconds) {
            w.parameterStore()->insertOrUpdate(Parameter{QStringLiteral("STAT_FLTTIME"), seconds});
            settle();
            return QStringLiteral("%1 %2").arg(label->text()).arg(paints.count(label));
        };
        QCOMPARE(shown(150), QStringLiteral("2分 1"));
        // Another parameter, or the same minutes: the label is left alone.
        w.parameterStore()->insertOrUpdate(Parameter{QStringLiteral("BATT_VOLT_MULT"), 10.1});
        QCOMPARE(shown(179), QStringLiteral("2分 1"));
        QCOMPARE(shown(180), QStringLiteral("3分 2"));
        english->setChecked(true); // a language switch re-applies the forms and translates the unit
        QCOMPARE(label->text(), QStringLiteral("3min"));
        QCOMPARE(shown(245).section(' ', 0, 0), QStringLiteral("4min"));
        chinese->setChecked(true);
        QCOMPARE(label->text(), QStringLiteral("4分"));
    }
#endif
};

QTEST_MAIN(RepaintsTest)
#include "tst_repaints.moc"
