// The status page: read-outs, channel monitor, status texts and the radio travel calibration, by direct slot
// calls and over a real link worker against the simulated flight controller.

#include <QImage>
#include <QLabel>
#include <QLoggingCategory>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include "PageFixture.h"
#include "SimLink.h"
#include "tests/ThreadSafeLog.h"
#include "link/Mav2Uart_Worker.h"
#include "link/MavlinkCodec.h"
#include "pages/PageContext.h"
#include "pages/StatusPage.h"
#include "pages/StatusTextTable.h"
#include "params/ParameterStore.h"
#include "sim/SimulatedFlightController.h"
#include "widgets/GaugeCompassPan.h"
#include "widgets/GaugePlane.h"
#include "widgets/XProgressBar.h"

namespace {

const QColor kLit(250, 132, 43);
using State = StatusPage::TravelCalibrationState;
using M = mavlink_rc_channels_t;

// Channels 1..9 of one report; channels not given report 0 (no receiver output).
M rc(std::initializer_list<std::pair<int, uint16_t>> values)
{
    static constexpr uint16_t M::*kChannel[] = {&M::chan1_raw, &M::chan2_raw, &M::chan3_raw, &M::chan4_raw, &M::chan5_raw,
                                                &M::chan6_raw, &M::chan7_raw, &M::chan8_raw, &M::chan9_raw};
    M m{};
    for (const auto &[channel, value] : values)
        m.*kChannel[channel - 1] = value;
    return m;
}

M sticks(uint16_t c1, uint16_t c2, uint16_t c3, uint16_t c4) { return rc({{1, c1}, {2, c2}, {3, c3}, {4, c4}}); }

QString line(const char *text, uint8_t severity)
{
    return StatusTextTable::userLine(QString::fromLatin1(text), severity).value_or(QStringLiteral("<none>"));
}

QLoggingCategory::CategoryFilter g_previousFilter = nullptr;

void pagesDebugOn(QLoggingCategory *category)
{
    if (g_previousFilter)
        g_previousFilter(category);
    if (qstrcmp(category->categoryName(), "tavro.pages") == 0)
        category->setEnabled(QtDebugMsg, true);
}

} // namespace

class StatusPageTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<PageFixture> m_f;
    StatusPage *m_page = nullptr;

    QString text(const char *name) { return m_page->findChild<QLabel *>(QString::fromLatin1(name))->text(); }
    QString style(const char *name) { return m_page->findChild<QLabel *>(QString::fromLatin1(name))->styleSheet(); }
    // The calibration's state and whether its button takes a click, as "Ready on".
    QString cal()
    {
        static const char *const kNames[] = {"Unavailable", "Idle", "Sweeping", "Ready"};
        return QString::fromLatin1(kNames[int(m_page->travelCalibrationState())])
            + QLatin1String(m_page->rcButton()->isEnabled() ? " on" : " off");
    }
    XProgressBar *bar(const QString &channel) { return m_page->findChild<XProgressBar *>("RC_CH" + channel + "_Bar"); }
    // Low, middle (if any) and high indicator of channel row `row` lit, as "010": what each label shows (its corner).
    QString lit(const QString &row, bool withMiddle)
    {
        QString s;
        for (const char *part : {"left", "mid", "right"})
            if (withMiddle || qstrcmp(part, "mid") != 0)
                s += m_page->findChild<QLabel *>(QStringLiteral("RC%1_%2_label").arg(row, QLatin1String(part)))
                             ->grab().toImage().pixelColor(1, 1) == kLit ? '1' : '0';
        return s;
    }
    void startSweep()
    {
        m_page->showParameters();
        QCOMPARE(m_page->travelCalibrationState(), State::Idle);
        m_page->rcButton()->click();
        QCOMPARE(m_page->travelCalibrationState(), State::Sweeping);
    }
    void sweep(const std::array<uint16_t, 4> &hi, const std::array<uint16_t, 4> &lo)
    {
        m_page->rc_channels_show(sticks(hi[0], hi[1], hi[2], hi[3]));
        m_page->rc_channels_show(sticks(lo[0], lo[1], lo[2], lo[3]));
    }

private slots:
    void initTestCase()
    {
        g_previousFilter = QLoggingCategory::installFilter(pagesDebugOn);
        Mav2Uart_Worker::registerMetaTypes();
    }

    void init()
    {
        m_f = std::make_unique<PageFixture>();
        m_page = new StatusPage(&m_f->ctx);
        m_page->layoutRcColumn(false);
    }

    void cleanup()
    {
        delete m_page;
        m_f.reset();
    }

    void voltageAndReceiverIndicator()
    {
        for (auto [mv, shown] : {std::pair{999, "无电池"}, {1000, "1.00V"}, {12340, "12.34V"}}) {
            m_page->sys_status_show(uint16_t(mv), 1);
            QCOMPARE(text("power_value"), QString::fromUtf8(shown));
        }
        QCOMPARE(style("RC_WARN"), QStringLiteral("image: url(:/wifi_open.png);"));
        QCOMPARE(text("RC_WARN_TEXT"), QStringLiteral("遥控信号连接中"));
        QVERIFY(!m_page->rcButton()->isHidden());
        // Receiver lost: red, the calibration button goes, so nothing starts; other flag values change nothing.
        m_page->sys_status_show(12340, 0);
        QCOMPARE(style("RC_WARN"), QStringLiteral("image: url(:/wifi_close.png);"));
        QCOMPARE(style("RC_WARN_TEXT"), QStringLiteral("color: rgb(255, 0, 0);"));
        QCOMPARE(text("RC_WARN_TEXT"), QStringLiteral("丢失遥控信号失控保护中"));
        QVERIFY(m_page->rcButton()->isHidden());
        m_page->sys_status_show(12340, 2);
        m_page->sys_status_show(12340, -1);
        QVERIFY(m_page->rcButton()->isHidden());
        // Receiver on serial 2: the calibration panel stays hidden while the receiver reports.
        auto *panel = m_page->findChild<QWidget *>(QStringLiteral("StrokeCalibration"));
        m_page->layoutRcColumn(true);
        m_page->sys_status_show(12340, 1);
        QVERIFY(panel->isHidden());
        m_page->layoutRcColumn(false);
        QVERIFY(!panel->isHidden());
    }

    void gpsAccuracyAndMergedSatellites()
    {
        // The bounds are doubles, the hdop a widened float: 0.9f and 1.3f lie just below 0.9 and 1.3.
        for (const auto &[eph, shown, colour] : {std::tuple{90, "0.9米", "0, 200, 0"}, {91, "0.91米", "0, 0, 200"},
                                                 {130, "1.3米", "0, 0, 200"}, {131, "1.31米", "200, 0, 0"},
                                                 {9899, "98.99米", "200, 0, 0"}}) {
            m_page->gps_raw_int_show(12, uint16_t(eph), 0);
            QCOMPARE(text("GPS_1_accuracy_value"), QString::fromUtf8(shown));
            QCOMPARE(style("GPS_1_accuracy_value"), QStringLiteral("border:none;\ncolor: rgb(%1);").arg(colour));
        }
        m_page->gps_raw_int_show(12, 9900, 0);
        QCOMPARE(text("GPS_1_accuracy_value"), QStringLiteral("未定位"));
        // The second receiver shows with the next report of the first; -1: no report.
        const auto count = [this](int sats2, uint16_t eph2, int sats, uint16_t eph) {
            if (sats2 >= 0)
                m_page->gps2_raw_show(uint8_t(sats2), eph2);
            if (sats >= 0)
                m_page->gps_raw_int_show(uint8_t(sats), eph, 0);
            return text("GPS_1_number_value");
        };
        QCOMPARE(count(9, 100, -1, 0), QStringLiteral("12"));
        QCOMPARE(count(-1, 0, 12, 80), QStringLiteral("12+9"));
        QCOMPARE(count(7, 100, 12, 65535), QStringLiteral("7"));
        QCOMPARE(count(7, 65500, 3, 65500), QStringLiteral("未连接"));
        QCOMPARE(count(-1, 0, 0, 65499), QStringLiteral("0"));
    }

    void attitudeOnlyWhileThePageIsShown()
    {
        QStackedWidget stack;
        QWidget other;
        stack.addWidget(m_page);
        stack.addWidget(&other);
        auto *plane = m_page->findChild<GaugePlane *>(QStringLiteral("gaugePlane_2"));
        auto *compass = m_page->findChild<GaugeCompassPan *>(QStringLiteral("gaugeCompasspan_2"));
        // Roll shown negated, heading in whole degrees; on another page, or not a number: nothing moves.
        const auto shown = [&] { return QList<double>{double(plane->degValue()), double(plane->rollValue()), compass->value()}; };
        m_page->attitude_show(0.1f, 0.1f, -0.5f);
        QCOMPARE(shown(), (QList<double>{-5, 5, 331}));
        stack.setCurrentIndex(1);
        m_page->attitude_show(-0.2f, 0.0f, 1.0f);
        QCOMPARE(shown(), (QList<double>{-5, 5, 331}));
        stack.setCurrentIndex(0);
        const float nan = std::numeric_limits<float>::quiet_NaN();
        m_page->attitude_show(nan, std::numeric_limits<float>::infinity(), nan);
        QCOMPARE(shown(), (QList<double>{-5, 5, 331}));
        stack.removeWidget(m_page);
        m_page->setParent(nullptr);
    }

    void channelRows_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("lit");
        QTest::addColumn<bool>("shown"); // bar at the value, text visible
        for (const auto &[v, l] : QList<QPair<int, QString>>{{900, "10"}, {1230, "10"}, {1231, "00"}, {1749, "00"},
                                                            {1750, "01"}, {2100, "01"}})
            QTest::addRow("stick %d", v) << 3 << v << l << true;
        QTest::addRow("stick 2101") << 3 << 2101 << "00" << false;
        QTest::addRow("motor lock 899") << 7 << 899 << "00" << false;
        for (const auto &[v, l] : QList<QPair<int, QString>>{{940, "000"}, {950, "100"}, {1231, "000"}, {1489, "000"},
                                                            {1490, "010"}, {1620, "010"}, {1621, "000"}, {1750, "001"}})
            QTest::addRow("mode %d", v) << 5 << v << l << true;
        QTest::addRow("mode 2101") << 5 << 2101 << "000" << false;
    }

    void channelRows()
    {
        QFETCH(int, channel);
        QFETCH(int, value);
        QFETCH(QString, lit);
        QFETCH(bool, shown);
        m_page->rc_channels_show(rc({{channel, uint16_t(value)}}));
        QCOMPARE(this->lit(QString::number(channel), channel == 5), lit);
        QCOMPARE(bar(QString::number(channel))->value(), shown ? value : 900);
        QCOMPARE(bar(QString::number(channel))->textColor().alpha(), shown ? 255 : 0);
    }

    void centreFromStartCountsAsAbsent()
    {
        // Text alpha of channel 1 and lamps of channel 5 after each report.
        const auto show = [this](uint16_t c1, uint16_t c5) {
            m_page->rc_channels_show(rc({{1, c1}, {5, c5}}));
            return QString::number(bar("1")->textColor().alpha()) + ' ' + lit("5", true);
        };
        QCOMPARE(show(1500, 1500), QStringLiteral("0 000"));
        QCOMPARE(bar("1")->value(), 1500);
        show(1501, 1501); // one move makes it live; the centre then stays live
        QCOMPARE(show(1500, 1500), QStringLiteral("255 010"));
        show(0, 1500); // an out-of-range report forgets the move
        QCOMPARE(show(1500, 1500).left(2), QStringLiteral("0 "));
    }

    // Before the first connection and after a lost link the page shows no reading: nothing stale passes for live.
    void linkLossShowsNoTelemetry()
    {
        auto *plane = m_page->findChild<GaugePlane *>(QStringLiteral("gaugePlane_2"));
        auto *compass = m_page->findChild<GaugeCompassPan *>(QStringLiteral("gaugeCompasspan_2"));
        const auto checkNoTelemetry = [&] {
            QCOMPARE(QStringList({text("power_value"), text("GPS_1_number_value"), text("GPS_1_accuracy_value"),
                                  style("GPS_1_accuracy_value"), text("RC_WARN_TEXT"), style("RC_WARN")}),
                     QStringList({"---", "未连接", "未定位", "border:none;", "丢失遥控信号失控保护中",
                                  "image: url(:/wifi_close.png);"}));
            QCOMPARE((QList<double>{double(plane->degValue()), double(plane->rollValue()), compass->value()}),
                     (QList<double>{0, 0, 0}));
            for (const char *ch : {"1", "2", "3", "4", "5", "7", "8", "9"})
                QVERIFY2(bar(ch)->value() == bar(ch)->minimum() && bar(ch)->textColor().alpha() == 0, ch);
            QCOMPARE(lit("1", false) + lit("5", true) + lit("8", true), QStringLiteral("00000000"));
        };
        checkNoTelemetry(); // before any connection: empty bars, no "900" reading

        m_page->sys_status_show(12340, 1);
        m_page->gps_raw_int_show(12, 80, 0);
        m_page->gps2_raw_show(9, 90);
        m_page->gps_raw_int_show(12, 80, 0);
        m_page->attitude_show(0.1f, 0.2f, -0.5f);
        m_page->rc_channels_show(rc({{1, 1900}, {2, 1100}, {3, 1500}, {4, 1600}, {5, 1550}, {8, 1000}}));
        QCOMPARE(QStringList({text("power_value"), text("GPS_1_number_value"), text("RC_WARN_TEXT"), lit("1", false)}),
                 QStringList({"12.34V", "12+9", "遥控信号连接中", "01"}));
        QVERIFY(plane->degValue() != 0 && compass->value() > 300);

        m_page->setLinkLost();
        checkNoTelemetry();
        // The second receiver's count is gone too: a new first report shows one count.
        m_page->gps_raw_int_show(7, 80, 0);
        QCOMPARE(text("GPS_1_number_value"), QStringLiteral("7"));
        // A language switch keeps the state (no stale voltage comes back).
        m_page->setLinkLost();
        m_page->retranslate();
        QCOMPARE(text("power_value"), QStringLiteral("---"));
    }

    void switchRowsFollowTheReceiverLayout()
    {
        const auto report = rc({{6, 1100}, {8, 1600}, {9, 1900}});
        m_page->rc_channels_show(report);
        QCOMPARE(bar("8")->value(), 1600);
        QCOMPARE(bar("9_NEW")->value(), 900); // row hidden, not updated
        QCOMPARE(lit("9", false), QStringLiteral("01"));
        m_page->layoutRcColumn(true);
        m_page->rc_channels_show(report);
        QCOMPARE(bar("8")->value(), 1100);
        QCOMPARE(lit("8", true) + lit("9", false) + lit("9_NEW", true), QStringLiteral("100" "00" "001"));
    }

    void calibrationStatesAndWrites()
    {
        QPushButton *button = m_page->rcButton();
        QCOMPARE(cal(), QStringLiteral("Unavailable off"));
        startSweep();
        QCOMPARE(button->text() + ' ' + text("RC_label"), QStringLiteral("校准中 请转动摇杆进行校准"));
        m_page->rc_channels_show(sticks(1900, 1950, 2000, 1850));
        QCOMPARE(cal(), QStringLiteral("Sweeping off"));
        m_page->rc_channels_show(sticks(1100, 1000, 1050, 1150));
        QCOMPARE(cal(), QStringLiteral("Ready on"));
        QCOMPARE(button->text() + ' ' + text("RC_label"), QStringLiteral("点击写入参数 校准完成"));
        m_page->rc_channels_show(sticks(1500, 1500, 1500, 1500));
        QCOMPARE(cal(), QStringLiteral("Ready on"));

        button->click();
        QCOMPARE(m_f->writes, (Writes{{"RC1_MIN", 1100}, {"RC1_MAX", 1900}, {"RC1_TRIM", 1500}, {"RC2_MIN", 1000},
                                   {"RC2_MAX", 1950}, {"RC2_TRIM", 1475}, {"RC3_MIN", 1050}, {"RC3_MAX", 2000},
                                   {"RC3_TRIM", 1525}, {"RC4_MIN", 1150}, {"RC4_MAX", 1850}, {"RC4_TRIM", 1500}}));
        QCOMPARE(cal() + ' ' + button->text(), QStringLiteral("Idle on 开始行程校准"));
        QVERIFY(!m_page->travelCalibrationRunning());
        button->click(); // a second click starts anew from 1600/1400
        QVERIFY(m_page->rcMax(0) == 1600 && m_page->rcMin(0) == 1400);

        // An odd sum keeps the half in the trim.
        m_f->writes.clear();
        sweep({1901, 1800, 1800, 1800}, {1100, 1200, 1200, 1199});
        button->click();
        QCOMPARE(m_f->writes.value(2), (QPair<QString, float>{"RC1_TRIM", 1500.5f}));
        QCOMPARE(m_f->writes.value(11), (QPair<QString, float>{"RC4_TRIM", 1499.5f}));
    }

    void calibrationNeedsAFullSweep()
    {
        startSweep();
        for (int i = 0; i < 5; ++i)
            sweep({1900, 1900, 1900, 1799}, {1100, 1100, 1100, 1200});
        QCOMPARE(m_page->travelCalibrationState(), State::Sweeping);
        m_page->rc_channels_show(sticks(1900, 1900, 1900, 1800)); // 1800 and 1200 exactly are enough
        QCOMPARE(m_page->travelCalibrationState(), State::Ready);
        m_page->rcButton()->click();
        m_f->writes.clear();

        m_page->rcButton()->click();
        sweep({1800, 1800, 1800, 1800}, {1201, 1201, 1201, 1201});
        QCOMPARE(m_page->travelCalibrationState(), State::Sweeping);
        // Samples outside 900..2100 (a receiver dropping out) are not captured.
        m_page->rc_channels_show(sticks(0, 0, 0, 0));
        m_page->rc_channels_show(sticks(2101, 899, 65535, 0));
        for (int slot = 0; slot < 4; ++slot)
            QVERIFY(m_page->rcMin(slot) == 1201 && m_page->rcMax(slot) == 1800);
        QCOMPARE(m_page->travelCalibrationState(), State::Sweeping);
        m_page->rc_channels_show(sticks(900, 900, 900, 900));
        QCOMPARE(m_page->travelCalibrationState(), State::Ready);
        m_page->rcButton()->click();
        QCOMPARE(m_f->writes.value(0), (QPair<QString, float>{"RC1_MIN", 900}));
    }

    void calibrationAcrossReconnectAndLanguage()
    {
        for (int n = 1; n <= 4; ++n) {
            m_f->store.insertOrUpdate({QStringLiteral("RC%1_MIN").arg(n), 1000.0 + n});
            m_f->store.insertOrUpdate({QStringLiteral("RC%1_TRIM").arg(n), 1500.0 + n});
        }
        startSweep();
        QCOMPARE(text("RC3_TRIM"), QStringLiteral("trim: 1503"));
        m_page->rc_channels_show(sticks(1900, 1900, 1900, 1900));
        // Link lost and a new download: the sweep goes on with its button disabled.
        m_page->setLinkLost();
        m_page->showParameters();
        QCOMPARE(cal(), QStringLiteral("Sweeping off"));
        QVERIFY(m_page->travelCalibrationRunning());
        // Something enables the button anyway: a click writes none of the unswept values.
        m_page->rcButton()->setEnabled(true);
        m_page->rcButton()->click();
        QVERIFY(m_f->writes.isEmpty());
        QCOMPARE(cal(), QStringLiteral("Sweeping off"));

        QVERIFY(m_f->setEnglish(true));
        m_page->retranslate();
        QCOMPARE(m_page->rcButton()->text() + '|' + text("RC_label"),
                 QStringLiteral("in calibration|Please turn the rocker for calibration"));
        m_page->rc_channels_show(sticks(1100, 1100, 1100, 1100));
        QCOMPARE(m_page->rcButton()->text() + '|' + text("RC_label"),
                 QStringLiteral("Click to write parameters.|Calibration complete"));
        m_f->setEnglish(false);

        // A finished sweep survives a reconnect as Ready and writes.
        m_page->setLinkLost();
        m_page->showParameters();
        QCOMPARE(m_page->travelCalibrationState(), State::Ready);
        QCOMPARE(m_page->rcButton()->text(), QStringLiteral("点击写入参数"));
        m_page->rcButton()->click();
        QCOMPARE(m_f->writes.size(), 12);

        // Confirmed values show at once, truncated; other names change nothing.
        m_f->store.setParameterValue(QStringLiteral("RC3_TRIM"), 1499.9);
        QCOMPARE(text("RC3_TRIM"), QStringLiteral("trim: 1499"));
        m_f->store.setParameterValue(QStringLiteral("RC10_MIN"), 1200);
        m_f->store.setParameterValue(QStringLiteral("RC1_MINX"), 1200);
        QCOMPARE(text("RC1_MIN"), QStringLiteral("min: 1001"));
    }

    void statusTexts()
    {
        const QList<QPair<const char *, const char *>> rows = {
            {"PreArm: Check mag field", "磁罗盘受到干扰"},
            {"PreArm: Compass not healthy", "磁罗盘不正常"},
            {"PreArm: 3D Accel calibration needed", "加速度计需要校准"},
            {"PreArm: Compass calibration running", "磁罗盘计正在校准"},
            {"PreArm: Compass not calibrated", "磁罗盘需要校准"},
            {"PreArm: Check FS_THR_VALUE", "3通道最小值过小"},
            {"Arm: Motor Interlock Enabled", "请把电机锁拨至熄火"},
            {"PreArm: RC3 radio max too low", "遥控器需要校准"},
            {"PreArm: Radio failsafe on", "请连接接收机"},
            {"Accels calibrated requires reboot", "加速度计校准完成后需要重启飞控"},
            {"Compass calibrated requires reboot now", "磁罗盘校准后需要重新启动"},
        };
        QCOMPARE(int(rows.size()), StatusTextTable::kRowCount);
        for (int i = 0; i < rows.size(); ++i) {
            QCOMPARE(StatusTextTable::matchRow(QString::fromLatin1(rows[i].first)), i);
            QCOMPARE(line(rows[i].first, 2), QString::fromUtf8(rows[i].second));
        }
        QVERIFY(m_f->setEnglish(true));
        QCOMPARE(line("PreArm: Check FS_THR_VALUE", 0), QStringLiteral("3 Channel minimum too small"));
        m_f->setEnglish(false);

        // Severities 0..2 are shown, 3 and above only logged; matching is case-sensitive.
        QCOMPARE(line("PreArm: Check mag field", 1), QStringLiteral("磁罗盘受到干扰"));
        for (uint8_t severity : {3, 7, 255})
            QCOMPARE(line("PreArm: Check mag field", severity), QStringLiteral("<none>"));
        QCOMPARE(line("PreArm: compass not healthy", 2) + line("PreArm: RC3 Radio max too low", 2) + line("", 0),
                 QStringLiteral("<none><none><none>"));
        // The first row of the table wins, wherever the texts sit.
        QCOMPARE(line("Radio failsafe on; Compass not calibrated", 2), QStringLiteral("磁罗盘需要校准"));
        QCOMPARE(line("Compass not calibrated, Check mag field", 2), QStringLiteral("磁罗盘受到干扰"));
        QTest::ignoreMessage(QtDebugMsg, "err_msg:Frame: HELI  6");
        QVERIFY(!StatusTextTable::userLine(QStringLiteral("Frame: HELI"), 6));
        // The strip's eight lines and repeats: tst_widgets' lineLabel.
    }

    // Twelve writes through a real link worker to the simulated flight controller, two of them lost and repeated,
    // and the echoes back into store and labels.
    void calibrationOverTheLink()
    {
        SimLink link(&m_f->ctx, 0);
        SimulatedFlightController &sim = link.sim;
        sim.setBaudRate(0);
        QString error;
        QVERIFY2(link.start(&error), qPrintable(error));
        connect(link.worker, &Mav2Uart_Worker::rc_channels_value, m_page, &StatusPage::rc_channels_show);
        connect(link.worker, &Mav2Uart_Worker::sys_status_value, m_page, &StatusPage::sys_status_show);
        ThreadSafeLog<QString, float> writeFailed(link.worker, &Mav2Uart_Worker::param_write_failed_value);
        QVERIFY(link.download(20000));
        QCOMPARE(m_f->store.size(), sim.parameterCount());
        m_page->showParameters();
        QTRY_VERIFY_WITH_TIMEOUT(!m_page->rcButton()->isHidden(), 5000);

        // The simulator's own reports keep the sticks centred; ours take them to their ends, with a dropout between.
        m_page->rcButton()->click();
        const auto frame = [](uint16_t c1, uint16_t c2, uint16_t c3, uint16_t c4) {
            M m = rc({{1, c1}, {2, c2}, {3, c3}, {4, c4}, {5, 1100}, {6, 1100}, {7, 1500}, {8, 1500}, {9, 1500}});
            m.chancount = 16;
            m.rssi = 255;
            uint8_t buf[MavlinkCodec::kMaxFrameSize];
            const int n = MavlinkCodec().encode(buf, m, 1, 1);
            return QByteArray(reinterpret_cast<const char *>(buf), n);
        };
        sim.sendRaw(frame(1900, 1950, 2000, 1851));
        sim.sendRaw(frame(0, 0, 0, 0));
        sim.sendRaw(frame(1100, 1000, 1050, 1150));
        QTRY_COMPARE_WITH_TIMEOUT(m_page->travelCalibrationState(), State::Ready, 5000);

        sim.clearObservations();
        sim.setIgnoredParamSets(2);
        m_page->rcButton()->click();
        const Writes expected = {{"RC1_MIN", 1100}, {"RC1_MAX", 1900}, {"RC1_TRIM", 1500}, {"RC2_MIN", 1000},
                                 {"RC2_MAX", 1950}, {"RC2_TRIM", 1475}, {"RC3_MIN", 1050}, {"RC3_MAX", 2000},
                                 {"RC3_TRIM", 1525}, {"RC4_MIN", 1150}, {"RC4_MAX", 1851}, {"RC4_TRIM", 1500.5f}};
        QTRY_VERIFY_WITH_TIMEOUT(sim.paramSets().size() >= 12 + 2, 5000);
        const Writes sets = sim.paramSets();
        QCOMPARE(sets.mid(0, 12), expected);
        Writes repeats = sets.mid(12, 2);
        std::sort(repeats.begin(), repeats.end());
        QCOMPARE(repeats, (Writes{{"RC1_MAX", 1900}, {"RC1_MIN", 1100}}));

        // The flight controller keeps trims whole, so 1500.5 comes back rounded.
        QTRY_COMPARE_WITH_TIMEOUT(text("RC1_MIN"), QStringLiteral("min: 1100"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(text("RC4_TRIM"), QStringLiteral("trim: 1501"), 5000);
        for (const auto &[name, value] : expected) {
            float fc = 0;
            QVERIFY(sim.parameterValue(name, &fc));
            QCOMPARE(fc, std::round(value));
            QTRY_COMPARE(m_f->store.findParameterValue(name), double(std::round(value)));
        }
        QCOMPARE(writeFailed.count(), 0);
    }
};

QTEST_MAIN(StatusPageTest)
#include "tst_status_page.moc"
