// The status page's display rules and the travel calibration, by direct slot
// calls: battery and GPS read-outs, the attitude gauges, the receiver
// indicator, the channel monitor at its boundaries in both receiver layouts,
// and the calibration's states, captures, writes and texts.

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTranslator>

#include <array>

#include "pages/PageContext.h"
#include "pages/StatusPage.h"
#include "params/ParameterStore.h"
#include "widgets/GaugeCompassPan.h"
#include "widgets/GaugePlane.h"
#include "widgets/XProgressBar.h"

namespace {

const QString kLit = QStringLiteral("background-color:rgb(250,132,43);");
const QString kUnlit = QStringLiteral("background-color:rgb(255,255,255);");
const QString kGreen = QStringLiteral("border:none;\ncolor: rgb(0, 200, 0);");
const QString kBlue = QStringLiteral("border:none;\ncolor: rgb(0, 0, 200);");
const QString kRed = QStringLiteral("border:none;\ncolor: rgb(200, 0, 0);");

using State = StatusPage::TravelCalibrationState;

// Channels 1..9 of one RC_CHANNELS report; channels not given report 0 (no
// receiver output).
mavlink_rc_channels_t rc(std::initializer_list<std::pair<int, uint16_t>> values)
{
    mavlink_rc_channels_t m{};
    std::array<uint16_t, 9> ch{};
    for (const auto &[channel, value] : values)
        ch[size_t(channel - 1)] = value;
    m.chan1_raw = ch[0];
    m.chan2_raw = ch[1];
    m.chan3_raw = ch[2];
    m.chan4_raw = ch[3];
    m.chan5_raw = ch[4];
    m.chan6_raw = ch[5];
    m.chan7_raw = ch[6];
    m.chan8_raw = ch[7];
    m.chan9_raw = ch[8];
    return m;
}

// The four sticks at the given values.
mavlink_rc_channels_t sticks(uint16_t c1, uint16_t c2, uint16_t c3, uint16_t c4)
{
    return rc({{1, c1}, {2, c2}, {3, c3}, {4, c4}});
}

struct Write
{
    QString name;
    float value;
};

} // namespace

class StatusPageTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void voltageAndReceiverIndicator();
    void gpsAccuracyAndMergedSatellites();
    void attitudeOnlyWhileThePageIsShown();

    void stickRowBoundaries();
    void threePositionSwitchBoundaries();
    void centreFromStartCountsAsAbsent();
    void switchRowsFollowTheReceiverLayout();

    void calibrationStatesAndWrites();
    void incompleteSweepNeverFinishes();
    void receiverDropoutIsNotCaptured();
    void oddSumKeepsTheHalf();
    void clickDuringSweepAfterReconnectWritesNothing();
    void travelLabelsFollowEveryValue();
    void languageSwitchKeepsStateTexts();
    void rendersInItsMainStates();

private:
    template <typename T>
    T *child(const char *name)
    {
        return m_page->findChild<T *>(QString::fromLatin1(name));
    }
    QString text(const char *label) { return child<QLabel>(label)->text(); }
    QString style(const char *label) { return child<QLabel>(label)->styleSheet(); }
    // Low, middle (if any) and high label of a row lit or not, as "010".
    QString lit(const char *low, const char *mid, const char *high);
    void startSweep();
    // Sends the sticks to the given maxima, then minima.
    void sweep(const std::array<uint16_t, 4> &maxima, const std::array<uint16_t, 4> &minima);

    ParameterStore *m_store = nullptr;
    QWidget *m_window = nullptr;
    PageContext *m_ctx = nullptr;
    StatusPage *m_page = nullptr;
    QList<Write> m_writes;
};

void StatusPageTest::init()
{
    m_store = new ParameterStore;
    m_window = new QWidget;
    m_ctx = new PageContext(m_store, m_window);
    m_page = new StatusPage(m_ctx);
    m_page->layoutRcColumn(false);
    m_writes.clear();
    connect(m_ctx, &PageContext::writeParameterRequested, m_ctx,
            [this](const QString &name, float value) { m_writes.append({name, value}); });
}

void StatusPageTest::cleanup()
{
    delete m_page;
    delete m_ctx;
    delete m_window;
    delete m_store;
}

QString StatusPageTest::lit(const char *low, const char *mid, const char *high)
{
    QString s;
    for (const char *name : {low, mid, high}) {
        if (name)
            s += style(name) == kLit ? QLatin1Char('1') : QLatin1Char('0');
    }
    return s;
}

void StatusPageTest::startSweep()
{
    m_page->showParameters();
    QCOMPARE(m_page->travelCalibrationState(), State::Idle);
    m_page->rcButton()->click();
    QCOMPARE(m_page->travelCalibrationState(), State::Sweeping);
}

void StatusPageTest::sweep(const std::array<uint16_t, 4> &maxima, const std::array<uint16_t, 4> &minima)
{
    m_page->rc_channels_show(sticks(maxima[0], maxima[1], maxima[2], maxima[3]));
    m_page->rc_channels_show(sticks(minima[0], minima[1], minima[2], minima[3]));
}

void StatusPageTest::voltageAndReceiverIndicator()
{
    m_page->sys_status_show(999, 1);
    QCOMPARE(text("power_value"), QStringLiteral("无电池"));
    m_page->sys_status_show(1000, 1);
    QCOMPARE(text("power_value"), QStringLiteral("1.00V"));
    m_page->sys_status_show(12340, 1);
    QCOMPARE(text("power_value"), QStringLiteral("12.34V"));

    // Receiver present: green, the panel shows.
    QCOMPARE(style("RC_WARN"), QStringLiteral("image: url(:/wifi_open.png);"));
    QCOMPARE(style("RC_WARN_TEXT"), QStringLiteral("color: rgb(0, 125, 0);"));
    QCOMPARE(text("RC_WARN_TEXT"), QStringLiteral("遥控信号连接中"));
    QVERIFY(!child<QWidget>("StrokeCalibration")->isHidden());
    QVERIFY(!child<QWidget>("RC_label")->isHidden());
    QVERIFY(!m_page->rcButton()->isHidden());

    // Receiver lost: red, the panel and the button go, so nothing starts.
    m_page->sys_status_show(12340, 0);
    QCOMPARE(style("RC_WARN"), QStringLiteral("image: url(:/wifi_close.png);"));
    QCOMPARE(style("RC_WARN_TEXT"), QStringLiteral("color: rgb(255, 0, 0);"));
    QCOMPARE(text("RC_WARN_TEXT"), QStringLiteral("丢失遥控信号失控保护中"));
    QVERIFY(child<QWidget>("StrokeCalibration")->isHidden());
    QVERIFY(child<QWidget>("RC_label")->isHidden());
    QVERIFY(m_page->rcButton()->isHidden());

    // Any other flag value leaves the indicator alone.
    m_page->sys_status_show(12340, 2);
    m_page->sys_status_show(12340, -1);
    QCOMPARE(text("RC_WARN_TEXT"), QStringLiteral("丢失遥控信号失控保护中"));
    QVERIFY(m_page->rcButton()->isHidden());

    // With the receiver on serial 2 the calibration panel stays hidden even
    // while the receiver reports.
    m_page->layoutRcColumn(true);
    m_page->sys_status_show(12340, 1);
    QVERIFY(child<QWidget>("StrokeCalibration")->isHidden());
    QVERIFY(child<QWidget>("StrokeCalibration_PB")->isHidden());
    m_page->layoutRcColumn(false);
    QVERIFY(!child<QWidget>("StrokeCalibration")->isHidden());
    QVERIFY(!child<QWidget>("StrokeCalibration_PB")->isHidden());
}

void StatusPageTest::gpsAccuracyAndMergedSatellites()
{
    // The bounds are doubles; the hdop is a widened float: 0.9f and 1.3f lie
    // just below 0.9 and 1.3.
    m_page->gps_raw_int_show(12, 90, 0);
    QCOMPARE(text("GPS_1_accuracy_value"), QStringLiteral("0.9米"));
    QCOMPARE(style("GPS_1_accuracy_value"), kGreen);
    m_page->gps_raw_int_show(12, 91, 0);
    QCOMPARE(style("GPS_1_accuracy_value"), kBlue);
    m_page->gps_raw_int_show(12, 130, 0);
    QCOMPARE(text("GPS_1_accuracy_value"), QStringLiteral("1.3米"));
    QCOMPARE(style("GPS_1_accuracy_value"), kBlue);
    m_page->gps_raw_int_show(12, 131, 0);
    QCOMPARE(style("GPS_1_accuracy_value"), kRed);
    m_page->gps_raw_int_show(12, 9899, 0);
    QCOMPARE(text("GPS_1_accuracy_value"), QStringLiteral("98.99米"));
    QCOMPARE(style("GPS_1_accuracy_value"), kRed);
    m_page->gps_raw_int_show(12, 9900, 0);
    QCOMPARE(text("GPS_1_accuracy_value"), QStringLiteral("未定位"));
    QCOMPARE(text("GPS_1_number_value"), QStringLiteral("12"));

    // The second receiver shows with the next report of the first.
    m_page->gps2_raw_show(9, 100);
    QCOMPARE(text("GPS_1_number_value"), QStringLiteral("12"));
    m_page->gps_raw_int_show(12, 80, 0);
    QCOMPARE(text("GPS_1_number_value"), QStringLiteral("12+9"));

    // First receiver unknown, second present with 7.
    m_page->gps2_raw_show(7, 100);
    m_page->gps_raw_int_show(12, 65535, 0);
    QCOMPARE(text("GPS_1_number_value"), QStringLiteral("7"));
    QCOMPARE(text("GPS_1_accuracy_value"), QStringLiteral("未定位"));

    // Both unknown.
    m_page->gps2_raw_show(7, 65500);
    m_page->gps_raw_int_show(3, 65500, 0);
    QCOMPARE(text("GPS_1_number_value"), QStringLiteral("未连接"));
    QCOMPARE(text("GPS_1_accuracy_value"), QStringLiteral("未定位"));
    m_page->gps_raw_int_show(0, 65499, 0);
    QCOMPARE(text("GPS_1_number_value"), QStringLiteral("0"));
}

void StatusPageTest::attitudeOnlyWhileThePageIsShown()
{
    QStackedWidget stack;
    QWidget other;
    stack.addWidget(m_page);
    stack.addWidget(&other);
    auto *plane = child<GaugePlane>("gaugePlane_2");
    auto *compass = child<GaugeCompassPan>("gaugeCompasspan_2");

    stack.setCurrentIndex(0);
    m_page->attitude_show(0.1f, 0.1f, -0.5f);
    QCOMPARE(plane->degValue(), -5); // the roll is shown negated
    QCOMPARE(plane->rollValue(), 5);
    QCOMPARE(compass->value(), 331.0); // the compass shows whole degrees
    QVERIFY(qAbs(StatusPage::compassHeading(-0.5f) - 331.35) < 0.01);

    // Another page shown: dropped.
    stack.setCurrentIndex(1);
    m_page->attitude_show(-0.2f, 0.0f, 1.0f);
    QCOMPARE(plane->degValue(), -5);
    QCOMPARE(compass->value(), 331.0);

    // Not a number moves nothing and does not crash.
    stack.setCurrentIndex(0);
    m_page->attitude_show(std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                          std::numeric_limits<float>::quiet_NaN());
    QCOMPARE(plane->degValue(), -5);
    QCOMPARE(plane->rollValue(), 5);
    QCOMPARE(compass->value(), 331.0);
    stack.removeWidget(m_page);
    m_page->setParent(nullptr);
}

void StatusPageTest::stickRowBoundaries()
{
    auto *bar = child<XProgressBar>("RC_CH3_Bar");
    const QList<QPair<uint16_t, QString>> cases = {
        {900, "10"}, {1230, "10"}, {1231, "00"}, {1500, "00"}, {1749, "00"}, {1750, "01"}, {2100, "01"}};
    for (const auto &[value, expected] : cases) {
        m_page->rc_channels_show(rc({{3, value}}));
        QCOMPARE(lit("RC3_left_label", nullptr, "RC3_right_label"), expected);
        QCOMPARE(bar->value(), int(value));
        QCOMPARE(bar->textColor(), QColor(0, 0, 0, 255));
    }
    // Out of range: dark, transparent text, bar back at 900.
    m_page->rc_channels_show(rc({{3, 2101}}));
    QCOMPARE(lit("RC3_left_label", nullptr, "RC3_right_label"), QStringLiteral("00"));
    QCOMPARE(bar->value(), 900);
    QCOMPARE(bar->textColor().alpha(), 0);

    // Two-position switch (motor lock, channel 7): the same rule.
    m_page->rc_channels_show(rc({{7, 1230}}));
    QCOMPARE(lit("RC7_left_label", nullptr, "RC7_right_label"), QStringLiteral("10"));
    m_page->rc_channels_show(rc({{7, 1750}}));
    QCOMPARE(lit("RC7_left_label", nullptr, "RC7_right_label"), QStringLiteral("01"));
    m_page->rc_channels_show(rc({{7, 899}}));
    QCOMPARE(lit("RC7_left_label", nullptr, "RC7_right_label"), QStringLiteral("00"));
    QCOMPARE(child<XProgressBar>("RC_CH7_Bar")->value(), 900);
}

void StatusPageTest::threePositionSwitchBoundaries()
{
    auto *bar = child<XProgressBar>("RC_CH5_Bar");
    const QList<QPair<uint16_t, QString>> cases = {{940, "000"},  {950, "100"},  {1230, "100"}, {1231, "000"},
                                                   {1489, "000"}, {1490, "010"}, {1500, "010"}, {1620, "010"},
                                                   {1621, "000"}, {1700, "000"}, {1750, "001"}, {2100, "001"}};
    for (const auto &[value, expected] : cases) {
        m_page->rc_channels_show(rc({{5, value}}));
        QCOMPARE(lit("RC5_left_label", "RC5_mid_label", "RC5_right_label"), expected);
        QCOMPARE(bar->value(), int(value));
        QCOMPARE(bar->textColor().alpha(), 255);
    }
    m_page->rc_channels_show(rc({{5, 2101}}));
    QCOMPARE(lit("RC5_left_label", "RC5_mid_label", "RC5_right_label"), QStringLiteral("000"));
    QCOMPARE(bar->value(), 900);
    QCOMPARE(bar->textColor().alpha(), 0);
}

void StatusPageTest::centreFromStartCountsAsAbsent()
{
    auto *bar = child<XProgressBar>("RC_CH1_Bar");
    auto *mode = child<XProgressBar>("RC_CH5_Bar");
    m_page->rc_channels_show(rc({{1, 1500}, {5, 1500}}));
    QCOMPARE(bar->value(), 1500);
    QCOMPARE(bar->textColor().alpha(), 0);
    QCOMPARE(mode->textColor().alpha(), 0);
    QCOMPARE(lit("RC5_left_label", "RC5_mid_label", "RC5_right_label"), QStringLiteral("000"));

    // One move makes it live; the centre then stays live.
    m_page->rc_channels_show(rc({{1, 1501}, {5, 1501}}));
    QCOMPARE(bar->textColor().alpha(), 255);
    m_page->rc_channels_show(rc({{1, 1500}, {5, 1500}}));
    QCOMPARE(bar->value(), 1500);
    QCOMPARE(bar->textColor().alpha(), 255);
    QCOMPARE(lit("RC1_left_label", nullptr, "RC1_right_label"), QStringLiteral("00"));
    QCOMPARE(lit("RC5_left_label", "RC5_mid_label", "RC5_right_label"), QStringLiteral("010"));

    // An out-of-range report forgets the move.
    m_page->rc_channels_show(rc({{1, 0}, {5, 1500}}));
    m_page->rc_channels_show(rc({{1, 1500}, {5, 1500}}));
    QCOMPARE(bar->textColor().alpha(), 0);
    QCOMPARE(mode->textColor().alpha(), 255);
}

void StatusPageTest::switchRowsFollowTheReceiverLayout()
{
    auto *rc8 = child<XProgressBar>("RC_CH8_Bar");
    auto *rc9 = child<XProgressBar>("RC_CH9_Bar");
    auto *rc9new = child<XProgressBar>("RC_CH9_NEW_Bar");
    const auto report = rc({{6, 1100}, {8, 1600}, {9, 1900}});

    m_page->rc_channels_show(report);
    QCOMPARE(rc8->value(), 1600);
    QCOMPARE(rc9->value(), 1900);
    QCOMPARE(rc9new->value(), 900); // row hidden, not updated
    QCOMPARE(lit("RC8_left_label", "RC8_mid_label", "RC8_right_label"), QStringLiteral("010"));
    QCOMPARE(lit("RC9_left_label", nullptr, "RC9_right_label"), QStringLiteral("01"));

    m_page->layoutRcColumn(true);
    m_page->rc_channels_show(report);
    QCOMPARE(rc8->value(), 1100);
    QCOMPARE(rc9->value(), 1600);
    QCOMPARE(rc9new->value(), 1900);
    QCOMPARE(lit("RC8_left_label", "RC8_mid_label", "RC8_right_label"), QStringLiteral("100"));
    QCOMPARE(lit("RC9_left_label", nullptr, "RC9_right_label"), QStringLiteral("00"));
    QCOMPARE(lit("RC9_NEW_left_label", "RC9_NEW_mid_label", "RC9_NEW_right_label"), QStringLiteral("001"));
}

void StatusPageTest::calibrationStatesAndWrites()
{
    QPushButton *button = m_page->rcButton();
    QCOMPARE(m_page->travelCalibrationState(), State::Unavailable);
    QVERIFY(!button->isEnabled());
    QVERIFY(!m_page->travelCalibrationRunning());

    startSweep();
    QCOMPARE(button->text(), QStringLiteral("校准中"));
    QVERIFY(!button->isEnabled());
    QCOMPARE(text("RC_label"), QStringLiteral("请转动摇杆进行校准"));
    QVERIFY(m_page->travelCalibrationRunning());

    // Maxima first: not yet swept both ways.
    m_page->rc_channels_show(sticks(1900, 1950, 2000, 1850));
    QCOMPARE(m_page->travelCalibrationState(), State::Sweeping);
    QVERIFY(!button->isEnabled());
    m_page->rc_channels_show(sticks(1100, 1000, 1050, 1150));
    QCOMPARE(m_page->travelCalibrationState(), State::Ready);
    QVERIFY(button->isEnabled());
    QCOMPARE(button->text(), QStringLiteral("点击写入参数"));
    QVERIFY(button->styleSheet().contains(QStringLiteral("background:#E74C3C")));
    QCOMPARE(text("RC_label"), QStringLiteral("校准完成"));
    QVERIFY(m_page->travelCalibrationRunning());
    // Later centre reports change nothing.
    m_page->rc_channels_show(sticks(1500, 1500, 1500, 1500));
    QCOMPARE(m_page->travelCalibrationState(), State::Ready);

    button->click();
    const QList<QPair<QString, float>> expected = {
        {"RC1_MIN", 1100}, {"RC1_MAX", 1900}, {"RC1_TRIM", 1500}, {"RC2_MIN", 1000},
        {"RC2_MAX", 1950}, {"RC2_TRIM", 1475}, {"RC3_MIN", 1050}, {"RC3_MAX", 2000},
        {"RC3_TRIM", 1525}, {"RC4_MIN", 1150}, {"RC4_MAX", 1850}, {"RC4_TRIM", 1500}};
    QCOMPARE(m_writes.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(m_writes[i].name, expected[i].first);
        QCOMPARE(m_writes[i].value, expected[i].second);
    }
    QCOMPARE(m_page->travelCalibrationState(), State::Idle);
    QCOMPARE(button->text(), QStringLiteral("开始行程校准"));
    QVERIFY(button->isEnabled());
    QVERIFY(button->styleSheet().contains(QStringLiteral("background:#34495E")));
    QCOMPARE(text("RC_label"), QStringLiteral("校准完成"));
    QVERIFY(!m_page->travelCalibrationRunning());

    // Idle again: reports are no longer captured, a second click starts anew
    // from 1600/1400.
    button->click();
    QCOMPARE(m_page->rcMax(0), 1600);
    QCOMPARE(m_page->rcMin(0), 1400);
}

void StatusPageTest::incompleteSweepNeverFinishes()
{
    startSweep();
    for (int i = 0; i < 20; ++i)
        sweep({1900, 1900, 1900, 1790}, {1100, 1100, 1100, 1100});
    QCOMPARE(m_page->travelCalibrationState(), State::Sweeping);
    QVERIFY(!m_page->rcButton()->isEnabled());
    // 1800 exactly is enough.
    sweep({1900, 1900, 1900, 1800}, {1100, 1100, 1100, 1200});
    QCOMPARE(m_page->travelCalibrationState(), State::Ready);
}

void StatusPageTest::receiverDropoutIsNotCaptured()
{
    startSweep();
    m_page->rc_channels_show(sticks(1900, 1900, 1900, 1900));
    // A receiver dropping out mid-sweep: zeros and a wild value.
    m_page->rc_channels_show(sticks(0, 0, 0, 0));
    m_page->rc_channels_show(sticks(2200, 899, 65535, 0));
    for (int slot = 0; slot < 4; ++slot) {
        QCOMPARE(m_page->rcMin(slot), 1400);
        QCOMPARE(m_page->rcMax(slot), 1900);
    }
    QCOMPARE(m_page->travelCalibrationState(), State::Sweeping);
    // Receiver back, sweep completes with the real ends only.
    m_page->rc_channels_show(sticks(1100, 1100, 1100, 1100));
    QCOMPARE(m_page->travelCalibrationState(), State::Ready);
    m_page->rcButton()->click();
    QCOMPARE(m_writes.size(), 12);
    QCOMPARE(m_writes[0].name, QStringLiteral("RC1_MIN"));
    QCOMPARE(m_writes[0].value, 1100.0f);
    QCOMPARE(m_writes[1].value, 1900.0f);
}

void StatusPageTest::oddSumKeepsTheHalf()
{
    startSweep();
    sweep({1901, 1800, 1800, 1800}, {1100, 1200, 1200, 1199});
    m_page->rcButton()->click();
    QCOMPARE(m_writes.size(), 12);
    QCOMPARE(m_writes[2].name, QStringLiteral("RC1_TRIM"));
    QCOMPARE(m_writes[2].value, 1500.5f);
    QCOMPARE(m_writes[11].name, QStringLiteral("RC4_TRIM"));
    QCOMPARE(m_writes[11].value, 1499.5f);
}

void StatusPageTest::clickDuringSweepAfterReconnectWritesNothing()
{
    startSweep();
    m_page->rc_channels_show(sticks(1900, 1900, 1900, 1900));

    // Link lost and a new download: the sweep goes on, the button stays
    // disabled with its sweeping text, the navigation guard holds.
    m_page->setLinkLost();
    m_page->showParameters();
    QCOMPARE(m_page->travelCalibrationState(), State::Sweeping);
    QVERIFY(!m_page->rcButton()->isEnabled());
    QCOMPARE(m_page->rcButton()->text(), QStringLiteral("校准中"));
    QVERIFY(m_page->travelCalibrationRunning());

    // Something enables the button anyway: a click writes none of the unswept
    // values and disables it again.
    m_page->rcButton()->setEnabled(true);
    m_page->rcButton()->click();
    QVERIFY(m_writes.isEmpty());
    QCOMPARE(m_page->travelCalibrationState(), State::Sweeping);
    QVERIFY(!m_page->rcButton()->isEnabled());

    // A finished sweep survives a reconnect as Ready and writes.
    m_page->rc_channels_show(sticks(1100, 1100, 1100, 1100));
    m_page->setLinkLost();
    m_page->showParameters();
    QCOMPARE(m_page->travelCalibrationState(), State::Ready);
    QVERIFY(m_page->rcButton()->isEnabled());
    m_page->rcButton()->click();
    QCOMPARE(m_writes.size(), 12);
}

void StatusPageTest::travelLabelsFollowEveryValue()
{
    for (int n = 1; n <= 4; ++n) {
        m_store->insertOrUpdate({QStringLiteral("RC%1_MIN").arg(n), 1000.0 + n});
        m_store->insertOrUpdate({QStringLiteral("RC%1_MAX").arg(n), 2000.0 + n});
        m_store->insertOrUpdate({QStringLiteral("RC%1_TRIM").arg(n), 1500.0 + n});
    }
    m_page->showParameters();
    QCOMPARE(text("RC2_MIN"), QStringLiteral("min: 1002"));
    QCOMPARE(text("RC4_MAX"), QStringLiteral("max: 2004"));
    QCOMPARE(text("RC3_TRIM"), QStringLiteral("trim: 1503"));

    // A confirmed value shows at once, truncated; other names change nothing.
    m_store->setParameterValue(QStringLiteral("RC3_TRIM"), 1499.9);
    QCOMPARE(text("RC3_TRIM"), QStringLiteral("trim: 1499"));
    m_store->setParameterValue(QStringLiteral("RC5_TRIM"), 1200);
    m_store->setParameterValue(QStringLiteral("RC1_MINX"), 1200);
    m_store->setParameterValue(QStringLiteral("RC1_DZ"), 30);
    m_store->setParameterValue(QStringLiteral("RC10_MIN"), 1200);
    QCOMPARE(text("RC1_MIN"), QStringLiteral("min: 1001"));

    // The writes of a calibration, echoed by a flight controller that answers
    // at once: the labels show the echoes.
    connect(m_ctx, &PageContext::writeParameterRequested, m_store,
            [this](const QString &name, float value) { m_store->setParameterValue(name, double(value)); });
    m_page->rcButton()->click();
    sweep({1900, 1950, 2000, 1850}, {1100, 1000, 1050, 1150});
    m_page->rcButton()->click();
    QCOMPARE(text("RC2_TRIM"), QStringLiteral("trim: 1475"));
    QCOMPARE(text("RC3_MAX"), QStringLiteral("max: 2000"));
    QCOMPARE(text("RC4_MIN"), QStringLiteral("min: 1150"));
}

void StatusPageTest::languageSwitchKeepsStateTexts()
{
    QTranslator english;
    QVERIFY(english.load(QStringLiteral(":/TAVRO_en_US.qm")));
    m_page->sys_status_show(16420, 1);
    m_page->gps_raw_int_show(14, 85, 0);
    startSweep();

    QCoreApplication::installTranslator(&english);
    m_ctx->english = true;
    m_page->retranslate();
    QCOMPARE(m_page->rcButton()->text(), QStringLiteral("in calibration"));
    QCOMPARE(text("RC_label"), QStringLiteral("Please turn the rocker for calibration"));
    QVERIFY(m_page->travelCalibrationRunning());
    QCOMPARE(text("RC_WARN_TEXT"), QStringLiteral("RC signal connecting"));
    QCOMPARE(text("power_value"), QStringLiteral("16.42V"));
    QCOMPARE(text("GPS_1_accuracy_value"), QStringLiteral("0.85meter"));
    QCOMPARE(text("GPS_1_number_value"), QStringLiteral("14"));

    sweep({1900, 1900, 1900, 1900}, {1100, 1100, 1100, 1100});
    QCOMPARE(m_page->rcButton()->text(), QStringLiteral("Click to write parameters.\""));
    m_page->retranslate();
    QCOMPARE(m_page->rcButton()->text(), QStringLiteral("Click to write parameters.\""));
    QCOMPARE(text("RC_label"), QStringLiteral("Calibration complete"));
    QVERIFY(m_page->rcButton()->isEnabled());

    QCoreApplication::removeTranslator(&english);
    m_ctx->english = false;
    m_page->retranslate();
    QCOMPARE(m_page->rcButton()->text(), QStringLiteral("点击写入参数"));
    QCOMPARE(text("RC_label"), QStringLiteral("校准完成"));
    m_page->rcButton()->click();
    m_page->retranslate();
    QCOMPARE(m_page->rcButton()->text(), QStringLiteral("开始行程校准"));
    QVERIFY(!m_page->travelCalibrationRunning());
}

// The page at the size the window gives it, styled like the application, in
// its main states. Set TAVRO_STATUS_SHOTS to a folder to keep the pictures.
void StatusPageTest::rendersInItsMainStates()
{
    QFile qss(QStringLiteral(":/QSS/style1.qss"));
    QVERIFY(qss.open(QIODevice::ReadOnly));
    qApp->setStyleSheet(QString::fromUtf8(qss.readAll()));
    const QString dir = qEnvironmentVariable("TAVRO_STATUS_SHOTS");
    if (!dir.isEmpty())
        QDir().mkpath(dir);

    QStackedWidget stack;
    stack.setObjectName(QStringLiteral("stackedWidget"));
    stack.addWidget(m_page);
    stack.resize(794, 534);
    stack.show();
    QVERIFY(QTest::qWaitForWindowExposed(&stack));
    for (int n = 1; n <= 4; ++n) {
        m_store->insertOrUpdate({QStringLiteral("RC%1_MIN").arg(n), 1094.0});
        m_store->insertOrUpdate({QStringLiteral("RC%1_MAX").arg(n), 1904.0});
        m_store->insertOrUpdate({QStringLiteral("RC%1_TRIM").arg(n), 1500.0});
    }
    m_ctx->modelId = 1;
    m_page->showParameters();
    m_page->sys_status_show(16420, 1);
    m_page->gps2_raw_show(12, 95);
    m_page->gps_raw_int_show(14, 85, 0);
    m_page->attitude_show(0.12f, 0.05f, 1.2f);

    const auto shoot = [&](const char *name) {
        QCoreApplication::processEvents();
        const QImage image = stack.grab().toImage();
        QCOMPARE(image.size(), stack.size() * image.devicePixelRatio());
        // Something was painted: not a single flat colour.
        QVERIFY(image.pixel(10, 10) != image.pixel(image.width() / 2, image.height() / 2)
                || image.pixel(10, 10) != image.pixel(image.width() - 10, image.height() - 10));
        if (!dir.isEmpty())
            image.save(QDir(dir).filePath(QString::fromLatin1(name) + QStringLiteral(".png")));
    };

    m_page->rc_channels_show(rc({{1, 1210}, {2, 1620}, {3, 1800}, {4, 1500}, {5, 1100}, {7, 1900}, {8, 1500}, {9, 1000}}));
    shoot("status-monitor");

    m_page->rcButton()->click();
    m_page->rc_channels_show(rc({{1, 1900}, {2, 1950}, {3, 2000}, {4, 1850}, {5, 1500}, {7, 1900}, {8, 1500}, {9, 1000}}));
    shoot("status-sweeping");

    m_page->rc_channels_show(rc({{1, 1100}, {2, 1000}, {3, 1050}, {4, 1150}, {5, 1900}, {7, 1900}, {8, 1500}, {9, 1000}}));
    QCOMPARE(m_page->travelCalibrationState(), State::Ready);
    shoot("status-ready");

    // The longest state texts in English still fit.
    QTranslator english;
    QVERIFY(english.load(QStringLiteral(":/TAVRO_en_US.qm")));
    QCoreApplication::installTranslator(&english);
    m_ctx->english = true;
    m_page->retranslate();
    QCoreApplication::processEvents();
    QPushButton *button = m_page->rcButton();
    QVERIFY(button->fontMetrics().horizontalAdvance(button->text()) + 16 <= button->width());
    auto *note = child<QLabel>("RC_label");
    QVERIFY(note->heightForWidth(note->width()) <= note->height());
    shoot("status-ready-en");
    QCoreApplication::removeTranslator(&english);
    m_ctx->english = false;
    m_page->retranslate();

    m_page->sys_status_show(900, 0);
    m_page->rc_channels_show(rc({}));
    m_page->gps_raw_int_show(0, 65535, 0);
    shoot("status-no-receiver");

    m_page->layoutRcColumn(true);
    m_page->sys_status_show(16420, 1);
    m_page->rc_channels_show(rc({{1, 1500}, {2, 1501}, {3, 1230}, {4, 1750}, {5, 1500}, {6, 1100}, {7, 1100}, {8, 1900}, {9, 2000}}));
    shoot("status-serial2");

    stack.removeWidget(m_page);
    m_page->setParent(nullptr);
}

QTEST_MAIN(StatusPageTest)
#include "tst_status_page.moc"
