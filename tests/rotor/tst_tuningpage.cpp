// The tuning page by direct calls and synthetic mouse input: the slider
// formulas and their write rules, program fills that write nothing, the rate
// sliders following confirmed values, the low-battery switch, and the compass
// calibration's states, texts and commands (one and two compasses).
//
// Set TAVRO_PAGE_SHOTS to a folder to get PNGs of the page's main states.

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "PageFixture.h"
#include "pages/TuningPage.h"
#include "widgets/SliderTip.h"
#include "widgets/SwitchButton.h"

namespace {

template <typename T>
T *child(QWidget *page, const char *name)
{
    T *w = page->findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no widget %s", name);
    return w;
}

using Writes = QList<QPair<QString, float>>;

const QList<QPair<QString, double>> kDownload = {
    {"fw_version", 21},
    {"H_RSC_SETPOINT", 80}, {"H_RSC_SETPOINT1", 60}, {"H_RSC_SP_MID", 65},
    {"ATC_RAT_PIT_P", 0.05}, {"ATC_RAT_RLL_P", 0.032}, {"ATC_RAT_YAW_P", 0.25},
    {"LOIT_BRK_ACCEL", 275}, {"BATT_CALL_NUMLV", 0}, {"BATT_CALL_NUMCRT", 0},
};

// A point on a horizontal slider where a press lands on `value`.
QPoint pointFor(SliderTip *s, int value)
{
    const double share = double(value - s->minimum()) / double(s->maximum() - s->minimum());
    return QPoint(int(share * s->width()), s->height() / 2);
}

} // namespace

class TuningPageTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void formulasAndParameters_data();
    void formulasAndParameters();
    void keyboardStepsWriteAtOnceAndFillsDoNot();
    void pressDragReleaseWritesTwice();
    void downloadPositionsSlidersWithoutWriting();
    void absentParametersDisableTheirSliders();
    void rateSlidersFollowConfirmedValues();
    void lowBatterySwitchWritesChangesOnly();
    void lowBatterySwitchFollowsDownloadsSilently();

    void compassStartCancelAndTexts();
    void compassSuccessWithoutReboot();
    void compassSecondSuccessAfterStopIsIgnored();
    void compassTwoCompassesWaitForEachOther();
    void compassReportInsideCancelWait();
    void compassLanguageSwitchKeepsStateTexts();

private:
    void shoot(QWidget *page, const QString &name);
    QString m_shotDir;
};

void TuningPageTest::initTestCase()
{
    QFile qss(QStringLiteral(":/QSS/style1.qss"));
    if (qss.open(QIODevice::ReadOnly))
        qApp->setStyleSheet(QString::fromUtf8(qss.readAll()));
    m_shotDir = qEnvironmentVariable("TAVRO_PAGE_SHOTS");
    if (!m_shotDir.isEmpty())
        QDir().mkpath(m_shotDir);
}

void TuningPageTest::shoot(QWidget *page, const QString &name)
{
    if (!m_shotDir.isEmpty())
        page->grab().save(QDir(m_shotDir).filePath(name + QStringLiteral(".png")));
}

void TuningPageTest::formulasAndParameters_data()
{
    QTest::addColumn<int>("tuning");
    QTest::addColumn<int>("position");
    QTest::addColumn<float>("expected");
    QTest::addRow("pitch 0") << int(TuningPage::PitchGain) << 0 << 0.02f;
    QTest::addRow("pitch 50") << int(TuningPage::PitchGain) << 50 << 0.05f;
    QTest::addRow("pitch 100") << int(TuningPage::PitchGain) << 100 << 0.08f;
    QTest::addRow("roll 0") << int(TuningPage::RollGain) << 0 << 0.02f;
    QTest::addRow("roll 50") << int(TuningPage::RollGain) << 50 << 0.05f;
    QTest::addRow("roll 100") << int(TuningPage::RollGain) << 100 << 0.08f;
    QTest::addRow("yaw 0") << int(TuningPage::YawGain) << 0 << 0.15f;
    QTest::addRow("yaw 50") << int(TuningPage::YawGain) << 50 << 0.25f;
    QTest::addRow("yaw 100") << int(TuningPage::YawGain) << 100 << 0.35f;
    QTest::addRow("brake 0") << int(TuningPage::BrakeGain) << 0 << 50.0f;
    QTest::addRow("brake 50") << int(TuningPage::BrakeGain) << 50 << 275.0f;
    QTest::addRow("brake 100") << int(TuningPage::BrakeGain) << 100 << 500.0f;
    QTest::addRow("rotor 80") << int(TuningPage::MainRotorSpeed) << 80 << 80.0f;
}

void TuningPageTest::formulasAndParameters()
{
    QFETCH(int, tuning);
    QFETCH(int, position);
    QFETCH(float, expected);
    const auto t = TuningPage::Tuning(tuning);
    // Exactly the float nearest to the double result.
    QCOMPARE(float(TuningPage::valueForPosition(t, position)), expected);

    // Computing in single precision would differ at some positions; the page
    // sends the double result, rounded once.
    if (t == TuningPage::PitchGain) {
        const float single = float(50) / 100.0f * 0.06f + 0.02f;
        QVERIFY(single != float(TuningPage::valueForPosition(t, 50)));
    }

    QCOMPARE(TuningPage::parameterFor(TuningPage::MainRotorSpeed, 21), QStringLiteral("H_RSC_SETPOINT"));
    QCOMPARE(TuningPage::parameterFor(TuningPage::MainRotorSpeed, 10), QStringLiteral("H_RSC_SETPOINT"));
    QCOMPARE(TuningPage::parameterFor(TuningPage::MainRotorSpeed, 9), QStringLiteral("H_RSC_SETPOINT1"));
    QCOMPARE(TuningPage::parameterFor(TuningPage::MainRotorSpeed, -1), QStringLiteral("H_RSC_SETPOINT1"));
}

void TuningPageTest::keyboardStepsWriteAtOnceAndFillsDoNot()
{
    PageFixture f;
    std::unique_ptr<TuningPage> page(new TuningPage(&f.ctx));
    auto *pitch = child<SliderTip>(page.get(), "ATC_RAT_PIT_hS");
    auto *motor = child<SliderTip>(page.get(), "Main_motor_speed_hs");

    pitch->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(child<QLabel>(page.get(), "ATC_RAT_PIT_value_lab")->text(), QStringLiteral("1%"));
    f.ctx.modelId = 1;
    motor->setValue(80);
    f.ctx.modelId = 21;
    motor->setValue(81);
    QCOMPARE(f.writes, (Writes{{"ATC_RAT_PIT_P", float(0.01 * 0.06 + 0.02)},
                               {"H_RSC_SETPOINT1", 80.0f}, {"H_RSC_SETPOINT", 81.0f}}));
    QCOMPARE(child<QLabel>(page.get(), "Main_motor_speed_lab")->text(), QStringLiteral("81%"));

    // While the program moves controls from parameter values, the gain
    // sliders write nothing; the rotor speed has no such guard.
    f.writes.clear();
    f.store.paramUiUpdating = true;
    for (const char *name : {"ATC_RAT_PIT_hS", "ATC_RAT_RLL_hS", "Locking_sensitivity_hs", "Break_Accel_hS"})
        child<SliderTip>(page.get(), name)->setValue(30);
    motor->setValue(90);
    f.store.paramUiUpdating = false;
    QCOMPARE(f.writes, (Writes{{"H_RSC_SETPOINT", 90.0f}}));
    QCOMPARE(child<QLabel>(page.get(), "Break_Accel_value_lab")->text(), QStringLiteral("30%"));

    // A click or a release writes the position whatever the flag says.
    f.writes.clear();
    f.store.paramUiUpdating = true;
    emit child<SliderTip>(page.get(), "Break_Accel_hS")->clicked();
    emit child<SliderTip>(page.get(), "Locking_sensitivity_hs")->sliderReleased();
    f.store.paramUiUpdating = false;
    QCOMPARE(f.writes, (Writes{{"LOIT_BRK_ACCEL", 185.0f}, {"ATC_RAT_YAW_P", float(0.3 * 0.19999999999999998 + 0.15)}}));
}

void TuningPageTest::pressDragReleaseWritesTwice()
{
    PageFixture f;
    f.load(kDownload);
    f.ctx.modelId = 21;
    auto *page = new TuningPage(&f.ctx);
    f.host(page);
    page->showParameters();
    QVERIFY(f.writes.isEmpty());
    auto *pitch = child<SliderTip>(page, "ATC_RAT_PIT_hS");
    auto *label = child<QLabel>(page, "ATC_RAT_PIT_value_lab");

    QTest::mousePress(pitch, Qt::LeftButton, Qt::NoModifier, pointFor(pitch, 20));
    QVERIFY(QGuiApplication::mouseButtons() & Qt::LeftButton);
    const int pressed = pitch->value();
    QVERIFY2(qAbs(pressed - 20) <= 1, qPrintable(QString::number(pressed)));
    QCOMPARE(f.writes, (Writes{{"ATC_RAT_PIT_P", float(TuningPage::valueForPosition(TuningPage::PitchGain, pressed))}}));

    // The drag: the label follows, nothing is written. The echo of the press
    // arriving meanwhile does not pull the held slider back.
    for (int v = 25; v <= 60; v += 5) {
        QTest::mouseMove(pitch, pointFor(pitch, v));
        QCOMPARE(label->text(), QString::number(pitch->value()) + QLatin1Char('%'));
    }
    f.store.setParameterValue(QStringLiteral("ATC_RAT_PIT_P"), f.writes.first().second);
    const int dragged = pitch->value();
    QVERIFY2(qAbs(dragged - 60) <= 2, qPrintable(QString::number(dragged)));
    QCOMPARE(f.writes.size(), 1);

    QTest::mouseRelease(pitch, Qt::LeftButton, Qt::NoModifier, pointFor(pitch, 60));
    QCOMPARE(f.writes, (Writes{{"ATC_RAT_PIT_P", float(TuningPage::valueForPosition(TuningPage::PitchGain, pressed))},
                               {"ATC_RAT_PIT_P", float(TuningPage::valueForPosition(TuningPage::PitchGain, dragged))}}));
    QCOMPARE(pitch->value(), dragged);
    QCOMPARE(label->text(), QString::number(dragged) + QLatin1Char('%'));
    shoot(page, QStringLiteral("tuning-filled-zh"));
}

void TuningPageTest::downloadPositionsSlidersWithoutWriting()
{
    PageFixture f;
    f.load(kDownload);
    std::unique_ptr<TuningPage> page(new TuningPage(&f.ctx));
    auto *motor = child<SliderTip>(page.get(), "Main_motor_speed_hs");
    QVERIFY(!child<QWidget>(page.get(), "page3_widget")->isEnabled());

    // A scale model shows the setpoint the page writes.
    f.ctx.modelId = 21;
    page->showParameters();
    QVERIFY(child<QWidget>(page.get(), "page3_widget")->isEnabled());
    QVERIFY(child<SliderTip>(page.get(), "Locking_sensitivity_hs")->isEnabled());
    QCOMPARE(motor->value(), 80);
    QCOMPARE(child<SliderTip>(page.get(), "ATC_RAT_PIT_hS")->value(), 50);
    QCOMPARE(child<SliderTip>(page.get(), "ATC_RAT_RLL_hS")->value(), 20);
    QCOMPARE(child<SliderTip>(page.get(), "Locking_sensitivity_hs")->value(), 50);
    QCOMPARE(child<SliderTip>(page.get(), "Break_Accel_hS")->value(), 50);
    QCOMPARE(child<QLabel>(page.get(), "Break_Accel_value_lab")->text(), QStringLiteral("50%"));
    QCOMPARE(child<QLabel>(page.get(), "Main_motor_speed_lab")->text(), QStringLiteral("80%"));
    QVERIFY(!f.store.paramUiUpdating);

    // Without H_RSC_SETPOINT a scale model falls back to H_RSC_SP_MID; a
    // small model shows H_RSC_SETPOINT1; out-of-range values show clamped.
    PageFixture g;
    g.load(kDownload);
    QList<Parameter> without;
    for (const Parameter &p : g.store.parameterList()) {
        if (p.name != QLatin1String("H_RSC_SETPOINT"))
            without.append(p);
    }
    g.store.clearParameterValue();
    for (const Parameter &p : without)
        g.store.insertOrUpdate(p);
    g.load({{"LOIT_BRK_ACCEL", 900}});
    std::unique_ptr<TuningPage> other(new TuningPage(&g.ctx));
    g.ctx.modelId = 15;
    other->showParameters();
    QCOMPARE(child<SliderTip>(other.get(), "Main_motor_speed_hs")->value(), 65);
    QCOMPARE(child<SliderTip>(other.get(), "Break_Accel_hS")->value(), 100);
    g.ctx.modelId = 4;
    other->showParameters();
    QCOMPARE(child<SliderTip>(other.get(), "Main_motor_speed_hs")->value(), 60);

    QVERIFY2(f.writes.isEmpty() && g.writes.isEmpty(), "a program fill wrote to the flight controller");
}

void TuningPageTest::absentParametersDisableTheirSliders()
{
    PageFixture f;
    f.load({{"ATC_RAT_YAW_P", 0.35}});
    std::unique_ptr<TuningPage> page(new TuningPage(&f.ctx));
    f.ctx.modelId = 1;
    page->showParameters();
    QVERIFY(child<SliderTip>(page.get(), "Locking_sensitivity_hs")->isEnabled());
    QCOMPARE(child<SliderTip>(page.get(), "Locking_sensitivity_hs")->value(), 100);
    for (const char *name : {"Main_motor_speed_hs", "ATC_RAT_PIT_hS", "ATC_RAT_RLL_hS", "Break_Accel_hS"}) {
        QVERIFY2(!child<SliderTip>(page.get(), name)->isEnabled(), name);
    }
    // Not set from -1: the form's start values stay.
    QCOMPARE(child<SliderTip>(page.get(), "Main_motor_speed_hs")->value(), 75);
    QCOMPARE(child<SliderTip>(page.get(), "Break_Accel_hS")->value(), 50);
    QVERIFY(!child<SwitchButton>(page.get(), "low_power_sB")->isEnabled());

    f.load(kDownload);
    page->showParameters();
    for (const char *name : {"Main_motor_speed_hs", "ATC_RAT_PIT_hS", "ATC_RAT_RLL_hS", "Break_Accel_hS"})
        QVERIFY2(child<SliderTip>(page.get(), name)->isEnabled(), name);
    QVERIFY(child<SwitchButton>(page.get(), "low_power_sB")->isEnabled());
    QVERIFY(f.writes.isEmpty());
}

void TuningPageTest::rateSlidersFollowConfirmedValues()
{
    PageFixture f;
    f.load(kDownload);
    std::unique_ptr<TuningPage> page(new TuningPage(&f.ctx));
    page->showParameters();

    f.store.setParameterValue(QStringLiteral("ATC_RAT_YAW_P"), 0.35);
    f.store.setParameterValue(QStringLiteral("ATC_RAT_RLL_P"), 0.08);
    f.store.setParameterValue(QStringLiteral("ATC_RAT_PIT_P"), 0.0223); // 3.83 -> 4
    f.store.setParameterValue(QStringLiteral("LOIT_BRK_ACCEL"), 500);   // not a rate slider
    QCOMPARE(child<SliderTip>(page.get(), "Locking_sensitivity_hs")->value(), 100);
    QCOMPARE(child<SliderTip>(page.get(), "ATC_RAT_RLL_hS")->value(), 100);
    QCOMPARE(child<SliderTip>(page.get(), "ATC_RAT_PIT_hS")->value(), 4);
    QCOMPARE(child<SliderTip>(page.get(), "Break_Accel_hS")->value(), 50);
    QCOMPARE(child<QLabel>(page.get(), "Locking_sensitivity_value_lab")->text(), QStringLiteral("100%"));
    QVERIFY2(f.writes.isEmpty(), "a confirmed value was written back");
    QVERIFY(!f.store.paramUiUpdating);
}

void TuningPageTest::lowBatterySwitchWritesChangesOnly()
{
    PageFixture f;
    f.load(kDownload);
    auto *page = new TuningPage(&f.ctx);
    f.host(page);
    page->showParameters();
    auto *low = child<SwitchButton>(page, "low_power_sB");
    QVERIFY(!low->checked());

    QTest::mouseClick(low, Qt::LeftButton);
    QTRY_COMPARE(f.writes.size(), 2);
    QCOMPARE(f.writes, (Writes{{"BATT_CALL_NUMLV", 3.6825f}, {"BATT_CALL_NUMCRT", 3.6325f}}));
    shoot(page, QStringLiteral("tuning-low-battery-on-zh"));

    // Off again before the flight controller's echo came back: still written.
    QTest::mouseClick(low, Qt::LeftButton);
    QTRY_COMPARE(f.writes.size(), 4);
    QCOMPARE(f.writes.mid(2), (Writes{{"BATT_CALL_NUMLV", 0.0f}, {"BATT_CALL_NUMCRT", 0.0f}}));

    // On and off again within the settle time (the second click is handled
    // while the first one's handler waits): nothing is written.
    QTimer::singleShot(5, low, [low] { QTest::mouseClick(low, Qt::LeftButton); });
    QTest::mouseClick(low, Qt::LeftButton);
    QTest::qWait(80);
    QCOMPARE(f.writes.size(), 4);
    QVERIFY(!low->checked());
}

void TuningPageTest::lowBatterySwitchFollowsDownloadsSilently()
{
    // A page never shown: its switch toggles 10 ms after being set.
    PageFixture f;
    f.load(kDownload);
    f.load({{"BATT_CALL_NUMLV", 3.6825}});
    std::unique_ptr<TuningPage> page(new TuningPage(&f.ctx));
    auto *low = child<SwitchButton>(page.get(), "low_power_sB");
    page->showParameters();
    QVERIFY(low->checked());

    f.load({{"BATT_CALL_NUMLV", 0}});
    page->showParameters();
    QTRY_VERIFY(!low->checked());
    QTest::qWait(60); // the handler's settle time
    QVERIFY2(f.writes.isEmpty(), "setting the switch from the store wrote to the flight controller");

    // After a fill, a user toggle against the stored state writes.
    low->setChecked(true);
    QTRY_COMPARE(f.writes.size(), 2);
    QCOMPARE(f.writes.first(), (QPair<QString, float>{"BATT_CALL_NUMLV", 3.6825f}));
}

void TuningPageTest::compassStartCancelAndTexts()
{
    PageFixture f;
    std::unique_ptr<TuningPage> page(new TuningPage(&f.ctx));
    QSignalSpy commands(&f.ctx, &PageContext::compassCalibrationRequested);
    auto *button = child<QPushButton>(page.get(), "MAG_calibration_pB");
    auto *label = child<QLabel>(page.get(), "MAG_calibration_lab");
    auto *bar = child<QProgressBar>(page.get(), "MAG_calibration_xPB");

    button->click();
    QVERIFY(page->magCalActive());
    QVERIFY(f.ctx.magCalibrating);
    QCOMPARE(button->text(), QStringLiteral("取消校准"));
    QCOMPARE(label->text(), QStringLiteral("请开始分别绕三个轴旋转\n"));
    QCOMPARE(commands.size(), 1);
    QCOMPARE(commands.at(0), (QList<QVariant>{TuningPage::kStartMagCal, 0}));

    page->MagCalibration_show(42);
    page->MagCalibration_show(101);
    QCOMPARE(bar->value(), 42);
    // Failures and other compasses' successes leave the page running.
    page->mag_cal_report_show(0, 5);
    page->mag_cal_report_show(2, 4);
    page->mag_cal_report_show(1, 7);
    QVERIFY(page->magCalActive());
    QCOMPARE(button->text(), QStringLiteral("取消校准"));
    QCOMPARE(label->text(), QStringLiteral("请开始分别绕三个轴旋转\n"));

    // Cancel, with the check box ticked: its state rides along, 50 ms later.
    child<QCheckBox>(page.get(), "MAG_calibration_cB")->setChecked(true);
    button->click();
    QCOMPARE(commands.size(), 2);
    QCOMPARE(commands.at(1), (QList<QVariant>{TuningPage::kCancelMagCal, 1}));
    QVERIFY(!page->magCalActive());
    QVERIFY(!f.ctx.magCalibrating);
    QCOMPARE(button->text(), QStringLiteral("开始校准"));
    QCOMPARE(bar->value(), 0);
    QCOMPARE(label->text(), QString());
}

void TuningPageTest::compassSuccessWithoutReboot()
{
    PageFixture f;
    auto *page = new TuningPage(&f.ctx);
    f.host(page);
    QSignalSpy commands(&f.ctx, &PageContext::compassCalibrationRequested);
    QSignalSpy reboots(&f.ctx, &PageContext::rebootRequested);
    auto *button = child<QPushButton>(page, "MAG_calibration_pB");
    auto *label = child<QLabel>(page, "MAG_calibration_lab");

    button->click();
    page->mag_cal_progress_show(0, 64);
    shoot(page, QStringLiteral("tuning-compass-running-zh"));
    page->mag_cal_report_show(0, 4);
    QCOMPARE(label->text(), QStringLiteral("校准成功，必须重启飞控完成校准\n"));
    QCOMPARE(button->text(), QStringLiteral("开始校准"));
    QCOMPARE(child<QProgressBar>(page, "MAG_calibration_xPB")->value(), 0);
    QVERIFY(page->magCalSucceeded());
    QVERIFY(!page->magCalActive());
    QVERIFY(!f.ctx.magCalibrating);
    QCOMPARE(commands.size(), 2);
    QCOMPARE(commands.at(1), (QList<QVariant>{TuningPage::kCancelMagCal, 0}));
    QCOMPARE(reboots.size(), 0);
    shoot(page, QStringLiteral("tuning-compass-success-zh"));

    // A later start shows the instruction again; a cancel now leaves it.
    button->click();
    QCOMPARE(label->text(), QStringLiteral("请开始分别绕三个轴旋转\n"));
    button->click();
    QCOMPARE(label->text(), QStringLiteral("请开始分别绕三个轴旋转\n"));
    QCOMPARE(commands.size(), 4);
}

void TuningPageTest::compassSecondSuccessAfterStopIsIgnored()
{
    PageFixture f;
    std::unique_ptr<TuningPage> page(new TuningPage(&f.ctx));
    QSignalSpy commands(&f.ctx, &PageContext::compassCalibrationRequested);
    child<QPushButton>(page.get(), "MAG_calibration_pB")->click();
    page->mag_cal_report_show(0, 4);
    QCOMPARE(commands.size(), 2);

    // Another success (a second compass the page never saw calibrating, or
    // a repeat) must not start a new calibration.
    page->mag_cal_report_show(1, 4);
    page->mag_cal_report_show(0, 4);
    QCOMPARE(commands.size(), 2);
    QVERIFY(!page->magCalActive());
    QVERIFY(!f.ctx.magCalibrating);
    QCOMPARE(child<QPushButton>(page.get(), "MAG_calibration_pB")->text(), QStringLiteral("开始校准"));
}

void TuningPageTest::compassTwoCompassesWaitForEachOther()
{
    PageFixture f;
    std::unique_ptr<TuningPage> page(new TuningPage(&f.ctx));
    QSignalSpy commands(&f.ctx, &PageContext::compassCalibrationRequested);
    auto *label = child<QLabel>(page.get(), "MAG_calibration_lab");
    auto *button = child<QPushButton>(page.get(), "MAG_calibration_pB");

    button->click();
    page->mag_cal_progress_show(0, 30);
    page->mag_cal_progress_show(1, 20);
    page->mag_cal_report_show(0, 4);
    // Compass 1 is still calibrating: no stop, no cancel that would abort it.
    QVERIFY(page->magCalActive());
    QCOMPARE(commands.size(), 1);
    QCOMPARE(label->text(), QStringLiteral("请开始分别绕三个轴旋转\n"));
    QVERIFY(!page->magCalSucceeded());
    page->mag_cal_progress_show(1, 90);
    QCOMPARE(child<QProgressBar>(page.get(), "MAG_calibration_xPB")->value(), 90);
    page->mag_cal_report_show(1, 4);
    QVERIFY(!page->magCalActive());
    QCOMPARE(commands.size(), 2);
    QCOMPARE(label->text(), QStringLiteral("校准成功，必须重启飞控完成校准\n"));

    // The other order, the second compass known only from a running report;
    // a failure of the other one keeps the page waiting (it retries).
    button->click();
    page->mag_cal_report_show(0, 2);
    page->mag_cal_report_show(1, 4);
    QVERIFY(page->magCalActive());
    page->mag_cal_report_show(0, 5);
    QVERIFY(page->magCalActive());
    page->mag_cal_report_show(0, 4);
    QVERIFY(!page->magCalActive());
    QCOMPARE(commands.size(), 4);

    // A new calibration forgets the compasses of the last one.
    button->click();
    page->mag_cal_progress_show(0, 50);
    page->mag_cal_report_show(0, 4);
    QVERIFY(!page->magCalActive());
    QCOMPARE(commands.size(), 6);
}

void TuningPageTest::compassReportInsideCancelWait()
{
    PageFixture f;
    std::unique_ptr<TuningPage> page(new TuningPage(&f.ctx));
    QSignalSpy commands(&f.ctx, &PageContext::compassCalibrationRequested);
    auto *button = child<QPushButton>(page.get(), "MAG_calibration_pB");
    button->click();

    // A success report and a second click both arrive while the cancel waits
    // its 50 ms: the page stays stopped and sends exactly one cancel.
    QTimer::singleShot(10, page.get(), [&] {
        page->mag_cal_report_show(0, 4);
        button->click();
    });
    button->click();
    QCOMPARE(commands.size(), 2);
    QCOMPARE(commands.at(1).at(0).toInt(), TuningPage::kCancelMagCal);
    QVERIFY(!page->magCalActive());
    QVERIFY(!page->magCalSucceeded());
    QCOMPARE(button->text(), QStringLiteral("开始校准"));

    // The next click starts normally.
    button->click();
    QVERIFY(page->magCalActive());
    QCOMPARE(commands.size(), 3);
}

void TuningPageTest::compassLanguageSwitchKeepsStateTexts()
{
    PageFixture f;
    auto *page = new TuningPage(&f.ctx);
    f.host(page);
    auto *button = child<QPushButton>(page, "MAG_calibration_pB");
    auto *label = child<QLabel>(page, "MAG_calibration_lab");
    button->click();

    if (!f.setEnglish(true))
        QSKIP("no English catalogue in the resources");
    page->retranslate();
    QCOMPARE(button->text(), QStringLiteral("Cancel"));
    QCOMPARE(label->text(), QStringLiteral("Please start rotating around each of the three axes."));
    QCOMPARE(button->font().pointSize(), 10);
    QCOMPARE(child<SwitchButton>(page, "low_power_sB")->textOn, QStringLiteral("On"));
    shoot(page, QStringLiteral("tuning-compass-running-en"));

    // The running calibration still cancels in English.
    button->click();
    QCOMPARE(button->text(), QStringLiteral("Start"));
    QVERIFY(!page->magCalActive());

    f.setEnglish(false);
    page->retranslate();
    QCOMPARE(button->text(), QStringLiteral("开始校准"));
    QCOMPARE(button->font().pointSize(), 10);
    QCOMPARE(button->font().family(), QStringLiteral("微软雅黑 Light"));
    QCOMPARE(child<SwitchButton>(page, "low_power_sB")->textOff, QStringLiteral("关闭"));
}

QTEST_MAIN(TuningPageTest)
#include "tst_tuningpage.moc"
