// The rotor and tuning pages: swashplate trims, collective range, manual servo modes, sliders, the
// low-battery return and the compass calibration, by direct calls and synthetic mouse input, and wired
// to a real link worker talking to the simulated flight controller.

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QtTest>

#include <cstring>
#include <memory>

#include "PageFixture.h"
#include "SimLink.h"
#include "pages/RotorPage.h"
#include "pages/TuningPage.h"
#include "params/ModelPresets.h"
#include "widgets/SliderTip.h"
#include "widgets/SwitchButton.h"

namespace {

constexpr int kRebootCommand = 246; // MAV_CMD_PREFLIGHT_REBOOT_SHUTDOWN

bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

const QList<QPair<QString, double>> kRotorDownload = {
    {"fw_version", 3},     {"SERVO1_TRIM", 1520}, {"SERVO1_REVERSED", 0}, {"SERVO2_TRIM", 1400},
    {"SERVO2_REVERSED", 1}, {"SERVO3_TRIM", 1200}, {"SERVO3_REVERSED", 1}, {"H_COL_MAX", 1850.7},
    {"H_COL_MIN", 1200},
};

const QList<QPair<QString, double>> kTuningDownload = {
    {"fw_version", 21},      {"H_RSC_SETPOINT", 80},  {"H_RSC_SETPOINT1", 60}, {"H_RSC_SP_MID", 65},
    {"ATC_RAT_PIT_P", 0.05}, {"ATC_RAT_RLL_P", 0.032}, {"ATC_RAT_YAW_P", 0.25}, {"LOIT_BRK_ACCEL", 275},
    {"BATT_CALL_NUMLV", 0},  {"BATT_CALL_NUMCRT", 0},
};

const Writes kManualOff = {{"H_SV_MAN", 0.0f}};

// The rotor page with the window's wiring of the three collective buttons.
RotorPage *makeRotorPage(PageFixture &f)
{
    auto *page = new RotorPage(&f.ctx);
    for (const char *name : {"Collective_pos_pB", "Collective_neg_pB", "Collective_ok_pB"})
        QObject::connect(child<QPushButton>(page, name), &QPushButton::clicked, page,
                         &RotorPage::on_CollectiveButtonClicked);
    return page;
}

bool enabled(QWidget *page, const char *name)
{
    return child<QWidget>(page, name)->isEnabled();
}

} // namespace

class RotorPageTest : public QObject
{
    Q_OBJECT

private slots:
    void trimMapping();
    void rotorControlsWriteAndFillsDoNot();
    void absentRotorParametersDisableTheirControls();
    void storedValuesOutsideTheRangeShownAsTheyAre();
    void tuningValuesOutsideTheRange();
    void centringCollectiveModesAndClosing();
    void tuningFormulas_data();
    void tuningFormulas();
    void tuningWriteRules();
    void pressDragReleaseWritesTwice();
    void tuningFillsFromTheStore();
    void lowBatterySwitch();
    void compassCalibrationOnThePage();
    void writesReachTheFlightControllerExactly();
    void compassCalibrationWithAutomaticReboot();
};

void RotorPageTest::trimMapping()
{
    // Slider to trim: straight, or mirrored about 1500, held in 1350..1650.
    QCOMPARE(RotorPage::trimForPosition(1600, true), 1400.0f);
    QCOMPARE(RotorPage::trimForPosition(1700, false), 1650.0f);
    QCOMPARE(RotorPage::trimForPosition(1200, true), 1650.0f);
    // Trim to slider, truncated toward zero.
    QCOMPARE(RotorPage::positionForTrim(1200, false), 1350);
    QCOMPARE(RotorPage::positionForTrim(1200, true), 1650);
    QCOMPARE(RotorPage::positionForTrim(1500.5, false), 1500);
    QCOMPARE(RotorPage::positionForTrim(1500.5, true), 1499);
    QCOMPARE(RotorPage::positionForTrim(qQNaN(), false), 1350);
    // Reversed means "1" as an integer; absent (-1) is not reversed.
    QVERIFY(RotorPage::isReversed(1.0));
    QVERIFY(!RotorPage::isReversed(-1.0));
    QVERIFY(!RotorPage::isReversed(2.0));
    for (bool reversed : {false, true}) {
        for (int p = 1350; p <= 1650; ++p)
            QCOMPARE(RotorPage::positionForTrim(RotorPage::trimForPosition(p, reversed), reversed), p);
    }
}

void RotorPageTest::rotorControlsWriteAndFillsDoNot()
{
    PageFixture f;
    f.load(kRotorDownload);
    f.ctx.modelId = 3;
    std::unique_ptr<RotorPage> page(makeRotorPage(f));
    page->showParameters();
    QVERIFY2(f.writes.isEmpty(), "a program fill wrote to the flight controller");
    QCOMPARE(child<QSlider>(page.get(), "Cross_servo_2_vS")->value(), 1600); // reversed 1400
    QCOMPARE(child<QSlider>(page.get(), "Cross_servo_3_vS")->value(), 1650); // reversed 1200, clamped
    QCOMPARE(child<QSpinBox>(page.get(), "Collective_pos_sB")->value(), 1850); // truncated
    QCOMPARE(child<QLabel>(page.get(), "Collective_pos_label")->text(), QStringLiteral("  ＋13°"));
    f.ctx.modelId = 21; // a scale model's limits
    page->showParameters();
    QCOMPARE(child<QLabel>(page.get(), "Collective_neg_label")->text(), QStringLiteral("  - 9°"));
    QVERIFY(f.writes.isEmpty());

    // User moves write; the reversal is looked up at each move.
    child<QSlider>(page.get(), "Cross_servo_1_vS")->setValue(1600);
    child<QSpinBox>(page.get(), "Cross_servo_3_sB")->setValue(1475);
    f.load({{"SERVO1_REVERSED", 1}});
    child<QSlider>(page.get(), "Cross_servo_1_vS")->setValue(1525);
    child<QSpinBox>(page.get(), "Collective_neg_sB")->setValue(1300);
    child<QSlider>(page.get(), "Collective_pos_vS")->setValue(2000); // shown and written clamped
    QCOMPARE(f.writes, (Writes{{"SERVO1_TRIM", 1600}, {"SERVO3_TRIM", 1525}, {"SERVO1_TRIM", 1475},
                               {"H_COL_MIN", 1300}, {"H_COL_MAX", 1900}}));
    QCOMPARE(child<QSlider>(page.get(), "Collective_neg_vS")->value(), 1300);
}

// A preset's H_COL_MAX beyond the slider's end: the number shows it, the slider rests at its end, both say why;
// nothing is written until the user moves the control, and the user stays within the range.
void RotorPageTest::storedValuesOutsideTheRangeShownAsTheyAre()
{
    PageFixture f;
    f.load(kRotorDownload);
    f.load({{"H_COL_MAX", 1930}});
    f.ctx.modelId = 3;
    std::unique_ptr<RotorPage> page(makeRotorPage(f));
    page->showParameters();
    auto *slider = child<QSlider>(page.get(), "Collective_pos_vS");
    auto *spin = child<QSpinBox>(page.get(), "Collective_pos_sB");
    QCOMPARE((QList<int>{spin->value(), slider->value()}), (QList<int>{1930, 1900}));
    const QString tip = QStringLiteral("飞控中的值 1930 超出可调范围 1560 – 1900");
    QCOMPARE((QStringList{spin->toolTip(), slider->toolTip()}), (QStringList{tip, tip}));
    QCOMPARE(spin->styleSheet(), QStringLiteral("color: rgb(200, 0, 0);"));
    // The reversed servo 3 with trim 1200 stands at position 1800, beyond 1650.
    QCOMPARE(child<QSpinBox>(page.get(), "Cross_servo_3_sB")->value(), 1800);
    QCOMPARE(child<QSlider>(page.get(), "Cross_servo_3_vS")->value(), 1650);
    QVERIFY(child<QSpinBox>(page.get(), "Collective_neg_sB")->toolTip().isEmpty());
    QVERIFY(child<QSpinBox>(page.get(), "Cross_servo_2_sB")->styleSheet().isEmpty());

    // Adjustments opened and closed, servo sliders refilled, a second fill: the limit and the trim are never written.
    child<QPushButton>(page.get(), "Collective_pos_pB")->click();
    child<QPushButton>(page.get(), "Cross_servo_mid_pB")->click();
    page->closeAdjustments();
    page->showParameters();
    QVERIFY(f.writesOf("H_COL_MAX").isEmpty() && f.writesOf("SERVO3_TRIM").isEmpty());
    QCOMPARE(spin->value(), 1930);
    if (f.setEnglish(true)) {
        page->retranslate();
        QCOMPARE(spin->toolTip(),
                 QStringLiteral("The flight controller holds 1930, outside the adjustable range 1560 – 1900"));
        f.setEnglish(false);
        page->retranslate();
    }

    // A step down from 1930 gives the nearest value in range, written
    // although the slider already rests there; the range holds afterwards.
    spin->stepDown();
    QCOMPARE((QList<int>{spin->value(), spin->maximum(), slider->value()}), (QList<int>{1900, 1900, 1900}));
    QCOMPARE(f.writesOf("H_COL_MAX"), (QList<float>{1900}));
    QVERIFY(spin->toolTip().isEmpty() && slider->toolTip().isEmpty() && spin->styleSheet().isEmpty());
    spin->setValue(1950);
    QCOMPARE(f.writesOf("H_COL_MAX"), (QList<float>{1900}));

    // The next download shows 1940; a drag of the slider writes where it went.
    f.load({{"H_COL_MAX", 1940}});
    page->showParameters();
    QCOMPARE(spin->value(), 1940);
    slider->setValue(1880);
    QCOMPARE(spin->value(), 1880);
    QCOMPARE(f.writesOf("H_COL_MAX"), (QList<float>{1900, 1880}));
    QVERIFY(spin->toolTip().isEmpty());
    // A stored value back in range clears the mark of another fill.
    f.load({{"H_COL_MAX", 1945}});
    page->showParameters();
    f.load({{"H_COL_MAX", 1700}});
    page->showParameters();
    QCOMPARE((QList<int>{spin->value(), spin->maximum(), slider->value()}), (QList<int>{1700, 1900, 1700}));
    QVERIFY(spin->toolTip().isEmpty());
    QCOMPARE(f.writesOf("H_COL_MAX"), (QList<float>{1900, 1880}));
}

// The tuning sliders: the label shows the position the stored value stands
// for; a click or release that does not move the slider writes nothing.
void RotorPageTest::tuningValuesOutsideTheRange()
{
    PageFixture f;
    f.load(kTuningDownload);
    f.load({{"LOIT_BRK_ACCEL", 900}});
    f.ctx.modelId = 21;
    std::unique_ptr<TuningPage> page(new TuningPage(&f.ctx));
    page->showParameters();
    auto *brake = child<SliderTip>(page.get(), "Break_Accel_hS");
    auto *label = child<QLabel>(page.get(), "Break_Accel_value_lab");
    QCOMPARE(brake->value(), 100);
    QCOMPARE(label->text(), QStringLiteral("189%"));   // (900 - 50) / 450
    QCOMPARE(brake->toolTip(), QStringLiteral("飞控中的值 189 超出可调范围 0 – 100"));
    emit brake->clicked();
    emit brake->sliderReleased();
    brake->triggerAction(QAbstractSlider::SliderSingleStepAdd);   // already at its end
    QVERIFY(f.writes.isEmpty());
    brake->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(f.writes, (Writes{{"LOIT_BRK_ACCEL", float(TuningPage::valueForPosition(TuningPage::BrakeGain, 99))}}));
    QCOMPARE(label->text(), QStringLiteral("99%"));
    QVERIFY(brake->toolTip().isEmpty() && label->styleSheet().isEmpty());

    // A confirmed rate outside the range: the same display, no write back.
    f.writes.clear();
    f.store.setParameterValue(QStringLiteral("ATC_RAT_YAW_P"), 0.5);
    QCOMPARE(child<SliderTip>(page.get(), "Locking_sensitivity_hs")->value(), 100);
    QCOMPARE(child<QLabel>(page.get(), "Locking_sensitivity_value_lab")->text(), QStringLiteral("175%"));
    f.store.setParameterValue(QStringLiteral("ATC_RAT_YAW_P"), 0.25);
    QCOMPARE(child<QLabel>(page.get(), "Locking_sensitivity_value_lab")->text(), QStringLiteral("50%"));
    QVERIFY(child<SliderTip>(page.get(), "Locking_sensitivity_hs")->toolTip().isEmpty());
    QVERIFY(f.writes.isEmpty());
}

void RotorPageTest::absentRotorParametersDisableTheirControls()
{
    PageFixture f;
    f.load({{"SERVO1_TRIM", 1500}, {"SERVO3_TRIM", 1510}, {"H_COL_MAX", 1800}});
    std::unique_ptr<RotorPage> page(makeRotorPage(f));
    auto *s2 = child<QSlider>(page.get(), "Cross_servo_2_vS");
    s2->setValue(1440);
    f.writes.clear();
    page->showParameters();
    // Not set from -1, and not adjustable either.
    QCOMPARE(s2->value(), 1440);
    QVERIFY(!s2->isEnabledTo(s2->parentWidget()));
    QVERIFY(!enabled(page.get(), "Collective_neg_vS") && !enabled(page.get(), "Collective_neg_pB"));
    QVERIFY(enabled(page.get(), "Collective_pos_vS"));
    child<QPushButton>(page.get(), "Cross_servo_mid_pB")->click();
    QVERIFY(enabled(page.get(), "Cross_trim_2_frame") && !s2->isEnabled());
    QVERIFY(enabled(page.get(), "Cross_servo_1_vS"));
    child<QPushButton>(page.get(), "Cross_servo_mid_pB")->click();

    f.load({{"SERVO2_TRIM", 1460}, {"H_COL_MIN", 1100}});
    f.writes.clear();
    page->showParameters();
    QVERIFY(s2->isEnabledTo(s2->parentWidget()));
    QCOMPARE(s2->value(), 1460);
    QVERIFY(enabled(page.get(), "Collective_neg_pB"));
    QVERIFY(f.writes.isEmpty());
}

void RotorPageTest::centringCollectiveModesAndClosing()
{
    PageFixture f;
    f.load(kRotorDownload);
    auto *page = makeRotorPage(f);
    f.host(page);
    page->showParameters();
    auto *centre = child<QPushButton>(page, "Cross_servo_mid_pB");
    const char *frames[] = {"Cross_servo_1_frame", "Cross_trim_2_frame", "Cross_servo_3_frame"};

    centre->click();
    QCOMPARE(f.ctx.swashAdjustState, uint8_t(1));
    QCOMPARE(centre->text(), QStringLiteral("调整完成"));
    for (const char *fr : frames)
        QVERIFY2(enabled(page, fr), fr);
    child<QSlider>(page, "Cross_servo_2_vS")->setValue(1590);
    centre->click();
    QCOMPARE(f.ctx.swashAdjustState, uint8_t(0));
    QCOMPARE(f.writes, (Writes{{"H_SV_MAN", 3}, {"SERVO2_TRIM", 1410}, {"H_SV_MAN", 0}}));
    QCOMPARE(centre->text(), QStringLiteral("舵机回中"));
    for (const char *fr : frames)
        QVERIFY2(!enabled(page, fr), fr);

    // A collective side during centring leaves centring first.
    centre->click();
    f.writes.clear();
    child<QPushButton>(page, "Collective_pos_pB")->click();
    QCOMPARE(f.writes, (Writes{{"H_SV_MAN", 0}, {"H_SV_MAN", 2}}));
    QCOMPARE(f.ctx.swashAdjustState, uint8_t(2));
    QVERIFY(!enabled(page, "Cross_servo_1_frame"));
    QVERIFY(enabled(page, "Collective_pos_vS") && !enabled(page, "Collective_neg_vS"));
    QVERIFY(child<QSlider>(page, "Collective_pos_vS")->styleSheet().contains(QStringLiteral("#FA842B")));
    // The centring button does nothing while a collective side is active.
    f.writes.clear();
    centre->click();
    QVERIFY(f.writes.isEmpty());
    QCOMPARE(f.ctx.swashAdjustState, uint8_t(2));
    child<QPushButton>(page, "Collective_neg_pB")->click();
    QVERIFY(!enabled(page, "Collective_pos_vS") && enabled(page, "Collective_neg_vS"));
    child<QSlider>(page, "Collective_neg_vS")->setValue(1190);
    child<QPushButton>(page, "Collective_ok_pB")->click();
    QCOMPARE(f.writes, (Writes{{"H_SV_MAN", 4}, {"H_COL_MIN", 1190}, {"H_SV_MAN", 0}}));
    QCOMPARE(f.ctx.swashAdjustState, uint8_t(0));
    for (const char *name : {"Collective_pos_vS", "Collective_pos_sB", "Collective_neg_vS", "Collective_neg_sB"})
        QVERIFY2(!enabled(page, name), name);

    // Done during centring keeps centring (mid collective again) and refills the servos without writing.
    centre->click();
    child<QSlider>(page, "Cross_servo_1_vS")->setValue(1560);
    f.load({{"SERVO2_TRIM", 1390}});
    f.writes.clear();
    child<QPushButton>(page, "Collective_ok_pB")->click();
    QCOMPARE(f.ctx.swashAdjustState, uint8_t(1));
    QCOMPARE(f.writes, (Writes{{"H_SV_MAN", 3}}));
    QCOMPARE(child<QSlider>(page, "Cross_servo_1_vS")->value(), 1520);
    QCOMPARE(child<QSpinBox>(page, "Cross_servo_2_sB")->value(), 1610);

    // Closed from a collective side, from centring and from rest: the same two protective writes.
    page->closeAdjustments();
    for (const char *start : {"Collective_neg_pB", "Cross_servo_mid_pB", ""}) {
        if (*start)
            child<QPushButton>(page, start)->click();
        f.writes.clear();
        page->closeAdjustments();
        QCOMPARE(f.writes, kManualOff + kManualOff);
        QCOMPARE(f.ctx.swashAdjustState, uint8_t(0));
        QVERIFY(!enabled(page, "Collective_neg_vS") && !enabled(page, "Cross_servo_1_frame"));
    }

    centre->click();
    QVERIFY(f.setEnglish(true));
    page->retranslate();
    QCOMPARE(centre->text(), QStringLiteral("Done"));
    QCOMPARE(child<QPushButton>(page, "Collective_pos_pB")->font().pointSize(), 10);
    f.writes.clear();
    centre->click();
    QCOMPARE(centre->text(), QStringLiteral("Servo trim"));
    centre->click();
    child<QPushButton>(page, "Collective_pos_pB")->click();
    QCOMPARE(centre->text(), QStringLiteral("Servo trim"));
    f.setEnglish(false);
    page->retranslate();
    QCOMPARE(centre->text(), QStringLiteral("舵机回中"));
    QCOMPARE(child<QPushButton>(page, "Collective_pos_pB")->font().pointSize(), 9);
    QCOMPARE(f.writes, (Writes{{"H_SV_MAN", 0}, {"H_SV_MAN", 3}, {"H_SV_MAN", 0}, {"H_SV_MAN", 2}}));
}

void RotorPageTest::tuningFormulas_data()
{
    QTest::addColumn<int>("tuning");
    QTest::addColumn<int>("position");
    QTest::addColumn<float>("expected");
    QTest::addRow("pitch 0") << int(TuningPage::PitchGain) << 0 << 0.02f;
    QTest::addRow("pitch 50") << int(TuningPage::PitchGain) << 50 << 0.05f;
    QTest::addRow("roll 100") << int(TuningPage::RollGain) << 100 << 0.08f;
    QTest::addRow("yaw 0") << int(TuningPage::YawGain) << 0 << 0.15f;
    QTest::addRow("yaw 100") << int(TuningPage::YawGain) << 100 << 0.35f;
    QTest::addRow("brake 50") << int(TuningPage::BrakeGain) << 50 << 275.0f;
    QTest::addRow("rotor 80") << int(TuningPage::MainRotorSpeed) << 80 << 80.0f;
}

void RotorPageTest::tuningFormulas()
{
    QFETCH(int, tuning);
    QFETCH(int, position);
    QFETCH(float, expected);
    // Exactly the float nearest to the double result.
    QCOMPARE(float(TuningPage::valueForPosition(TuningPage::Tuning(tuning), position)), expected);
    // Single precision would differ here; the page sends the double result, rounded once.
    QVERIFY(float(50) / 100.0f * 0.06f + 0.02f != float(TuningPage::valueForPosition(TuningPage::PitchGain, 50)));
    QCOMPARE(TuningPage::parameterFor(TuningPage::MainRotorSpeed, 10), QStringLiteral("H_RSC_SETPOINT"));
    QCOMPARE(TuningPage::parameterFor(TuningPage::MainRotorSpeed, 9), QStringLiteral("H_RSC_SETPOINT1"));
    QCOMPARE(TuningPage::parameterFor(TuningPage::MainRotorSpeed, -1), QStringLiteral("H_RSC_SETPOINT1"));
}

void RotorPageTest::tuningWriteRules()
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
    QCOMPARE(f.writes, (Writes{{"ATC_RAT_PIT_P", float(0.01 * 0.06 + 0.02)}, {"H_RSC_SETPOINT1", 80},
                               {"H_RSC_SETPOINT", 81}}));

    // While the program fills controls, the gain sliders write nothing; the rotor speed has no such guard.
    f.writes.clear();
    f.store.paramUiUpdating = true;
    for (const char *name : {"ATC_RAT_PIT_hS", "ATC_RAT_RLL_hS", "Locking_sensitivity_hs", "Break_Accel_hS"})
        child<SliderTip>(page.get(), name)->setValue(30);
    motor->setValue(90);
    // A click or a release writes the position whatever the flag says.
    emit child<SliderTip>(page.get(), "Break_Accel_hS")->clicked();
    emit child<SliderTip>(page.get(), "Locking_sensitivity_hs")->sliderReleased();
    f.store.paramUiUpdating = false;
    QCOMPARE(f.writes, (Writes{{"H_RSC_SETPOINT", 90}, {"LOIT_BRK_ACCEL", 185},
                               {"ATC_RAT_YAW_P", float(0.3 * 0.19999999999999998 + 0.15)}}));
}

void RotorPageTest::pressDragReleaseWritesTwice()
{
    PageFixture f;
    f.load(kTuningDownload);
    f.ctx.modelId = 21;
    auto *page = new TuningPage(&f.ctx);
    f.host(page);
    page->showParameters();
    auto *pitch = child<SliderTip>(page, "ATC_RAT_PIT_hS");
    auto *label = child<QLabel>(page, "ATC_RAT_PIT_value_lab");
    const auto value = [](int pos) { return float(TuningPage::valueForPosition(TuningPage::PitchGain, pos)); };

    QTest::mousePress(pitch, Qt::LeftButton, Qt::NoModifier, pointFor(pitch, 20));
    const int pressed = pitch->value();
    QVERIFY2(qAbs(pressed - 20) <= 1, qPrintable(QString::number(pressed)));
    QCOMPARE(f.writes, (Writes{{"ATC_RAT_PIT_P", value(pressed)}}));
    // The drag: the label follows, nothing is written; the press's echo does not pull the held slider back.
    for (int v = 25; v <= 60; v += 5) {
        QTest::mouseMove(pitch, pointFor(pitch, v));
        QCOMPARE(label->text(), QString::number(pitch->value()) + QLatin1Char('%'));
    }
    f.store.setParameterValue(QStringLiteral("ATC_RAT_PIT_P"), f.writes.first().second);
    const int dragged = pitch->value();
    QVERIFY2(qAbs(dragged - 60) <= 2, qPrintable(QString::number(dragged)));
    QTest::mouseRelease(pitch, Qt::LeftButton, Qt::NoModifier, pointFor(pitch, 60));
    QCOMPARE(f.writes, (Writes{{"ATC_RAT_PIT_P", value(pressed)}, {"ATC_RAT_PIT_P", value(dragged)}}));
    QCOMPARE(pitch->value(), dragged);
}

void RotorPageTest::tuningFillsFromTheStore()
{
    PageFixture f;
    f.load({{"ATC_RAT_YAW_P", 0.35}});
    std::unique_ptr<TuningPage> page(new TuningPage(&f.ctx));
    const auto slider = [&](const char *name) { return child<SliderTip>(page.get(), name); };
    QVERIFY(!enabled(page.get(), "page3_widget"));
    f.ctx.modelId = 1;
    page->showParameters();
    // Absent parameters: not set from -1, not adjustable.
    QCOMPARE(slider("Locking_sensitivity_hs")->value(), 100);
    for (const char *name : {"Main_motor_speed_hs", "ATC_RAT_PIT_hS", "ATC_RAT_RLL_hS", "Break_Accel_hS"})
        QVERIFY2(!slider(name)->isEnabled(), name);
    QCOMPARE(slider("Main_motor_speed_hs")->value(), 75);
    QVERIFY(!enabled(page.get(), "low_power_sB"));

    // A scale model without H_RSC_SETPOINT shows H_RSC_SP_MID; out-of-range values show clamped.
    QList<QPair<QString, double>> withoutSetpoint = kTuningDownload;
    withoutSetpoint.removeIf([](const auto &p) { return p.first == QLatin1String("H_RSC_SETPOINT"); });
    f.load(withoutSetpoint);
    f.load({{"LOIT_BRK_ACCEL", 900}});
    f.ctx.modelId = 15;
    page->showParameters();
    QVERIFY(enabled(page.get(), "page3_widget") && enabled(page.get(), "low_power_sB"));
    QCOMPARE(slider("Main_motor_speed_hs")->value(), 65);
    QCOMPARE(slider("Break_Accel_hS")->value(), 100);
    f.load({{"H_RSC_SETPOINT", 80}});
    f.ctx.modelId = 21;
    page->showParameters();
    QCOMPARE(slider("Main_motor_speed_hs")->value(), 80);
    QCOMPARE(slider("ATC_RAT_PIT_hS")->value(), 50);
    QCOMPARE(slider("ATC_RAT_RLL_hS")->value(), 20);
    QCOMPARE(child<QLabel>(page.get(), "Main_motor_speed_lab")->text(), QStringLiteral("80%"));
    f.ctx.modelId = 4; // a small model shows H_RSC_SETPOINT1
    page->showParameters();
    QCOMPARE(slider("Main_motor_speed_hs")->value(), 60);

    // Confirmed rate values move their sliders (3.83 rounds to 4) without writing back.
    f.store.setParameterValue(QStringLiteral("ATC_RAT_PIT_P"), 0.0223);
    f.store.setParameterValue(QStringLiteral("ATC_RAT_RLL_P"), 0.08);
    f.store.setParameterValue(QStringLiteral("LOIT_BRK_ACCEL"), 275); // not a rate slider
    QCOMPARE(slider("ATC_RAT_PIT_hS")->value(), 4);
    QCOMPARE(slider("ATC_RAT_RLL_hS")->value(), 100);
    QCOMPARE(slider("Break_Accel_hS")->value(), 100);
    QVERIFY2(f.writes.isEmpty(), "a program fill wrote to the flight controller");
    QVERIFY(!f.store.paramUiUpdating);
}

void RotorPageTest::lowBatterySwitch()
{
    PageFixture f;
    f.load(kTuningDownload);
    auto *page = new TuningPage(&f.ctx);
    f.host(page);
    page->showParameters();
    auto *low = child<SwitchButton>(page, "low_power_sB");
    QVERIFY(!low->checked());
    QTest::mouseClick(low, Qt::LeftButton);
    QTRY_COMPARE(f.writes.size(), 2);
    QCOMPARE(f.writes, (Writes{{"BATT_CALL_NUMLV", 3.6825f}, {"BATT_CALL_NUMCRT", 3.6325f}}));
    // Off again before the echo came back: still written.
    QTest::mouseClick(low, Qt::LeftButton);
    QTRY_COMPARE(f.writes.size(), 4);
    QCOMPARE(f.writes.mid(2), (Writes{{"BATT_CALL_NUMLV", 0}, {"BATT_CALL_NUMCRT", 0}}));
    // On and off within the settle time: nothing is written.
    QTimer::singleShot(5, low, [low] { QTest::mouseClick(low, Qt::LeftButton); });
    QTest::mouseClick(low, Qt::LeftButton);
    QTest::qWait(80);
    QCOMPARE(f.writes.size(), 4);
    QVERIFY(!low->checked());

    // Set from the store: follows silently.
    f.load({{"BATT_CALL_NUMLV", 3.6825}});
    page->showParameters();
    QTRY_VERIFY(low->checked());
    QTest::qWait(60); // the handler's settle time
    QCOMPARE(f.writes.size(), 4);
}

void RotorPageTest::compassCalibrationOnThePage()
{
    PageFixture f;
    std::unique_ptr<TuningPage> page(new TuningPage(&f.ctx));
    QSignalSpy commands(&f.ctx, &PageContext::compassCalibrationRequested);
    QSignalSpy reboots(&f.ctx, &PageContext::rebootRequested);
    auto *button = child<QPushButton>(page.get(), "MAG_calibration_pB");
    auto *label = child<QLabel>(page.get(), "MAG_calibration_lab");
    auto *bar = child<QProgressBar>(page.get(), "MAG_calibration_xPB");

    button->click();
    QVERIFY(page->magCalActive() && f.ctx.magCalibrating);
    QCOMPARE(button->text(), QStringLiteral("取消校准"));
    QCOMPARE(label->text(), QStringLiteral("请开始分别绕三个轴旋转\n"));
    QCOMPARE(commands.at(0), (QList<QVariant>{TuningPage::kStartMagCal, 0}));
    page->MagCalibration_show(42);
    page->MagCalibration_show(101); // above 100: ignored
    QCOMPARE(bar->value(), 42);
    // Failures and other compasses' successes leave the page running.
    page->mag_cal_report_show(0, 5);
    page->mag_cal_report_show(1, 7);
    QVERIFY(page->magCalActive());
    // Cancel with the check box ticked: its state rides along.
    child<QCheckBox>(page.get(), "MAG_calibration_cB")->setChecked(true);
    button->click();
    QCOMPARE(commands.at(1), (QList<QVariant>{TuningPage::kCancelMagCal, 1}));
    QVERIFY(!page->magCalActive() && !f.ctx.magCalibrating);
    QCOMPARE(button->text(), QStringLiteral("开始校准"));
    QCOMPARE(bar->value(), 0);
    QCOMPARE(label->text(), QString());

    // Success without the automatic reboot.
    child<QCheckBox>(page.get(), "MAG_calibration_cB")->setChecked(false);
    button->click();
    page->mag_cal_report_show(0, 4);
    QCOMPARE(label->text(), QStringLiteral("校准成功，必须重启飞控完成校准\n"));
    QVERIFY(page->magCalSucceeded() && !page->magCalActive() && !f.ctx.magCalibrating);
    QCOMPARE(commands.size(), 4);
    QCOMPARE(commands.at(3), (QList<QVariant>{TuningPage::kCancelMagCal, 0}));
    QCOMPARE(reboots.size(), 0);
    // A repeated success after the stop must not start a new calibration.
    page->mag_cal_report_show(1, 4);
    page->mag_cal_report_show(0, 4);
    QCOMPARE(commands.size(), 4);
    QVERIFY(!page->magCalActive());
    // The next download follows a restart or a reconnect: the request to restart is done with.
    page->showParameters();
    QCOMPARE(label->text(), QString());

    // In English the running calibration still cancels.
    button->click();
    QVERIFY(f.setEnglish(true));
    page->retranslate();
    QCOMPARE(button->text(), QStringLiteral("Cancel"));
    QCOMPARE(label->text(), QStringLiteral("Please start rotating around each of the three axes."));
    button->click();
    QCOMPARE(button->text(), QStringLiteral("Start"));
    QVERIFY(!page->magCalActive());
    f.setEnglish(false);

    // Two compasses, on a new page: done when both report.
    page.reset(new TuningPage(&f.ctx));
    button = child<QPushButton>(page.get(), "MAG_calibration_pB");
    commands.clear();
    button->click();
    page->mag_cal_progress_show(0, 30);
    page->mag_cal_progress_show(1, 20);
    page->mag_cal_report_show(0, 4);
    // Compass 1 is still calibrating: no cancel that would abort it.
    QVERIFY(page->magCalActive());
    QCOMPARE(commands.size(), 1);
    QVERIFY(!page->magCalSucceeded());
    page->mag_cal_report_show(1, 4);
    QVERIFY(!page->magCalActive());
    QCOMPARE(commands.size(), 2);

    // The second compass known only from a running report; a failure of the other keeps waiting.
    button->click();
    page->mag_cal_report_show(0, 2);
    page->mag_cal_report_show(1, 4);
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

    // A success report and a second click inside the cancel's 50 ms wait: exactly one cancel.
    page.reset(new TuningPage(&f.ctx));
    button = child<QPushButton>(page.get(), "MAG_calibration_pB");
    button->click();
    QTimer::singleShot(10, page.get(), [&] {
        page->mag_cal_report_show(0, 4);
        button->click();
    });
    button->click();
    QCOMPARE(commands.size(), 8);
    QCOMPARE(commands.at(7).at(0).toInt(), TuningPage::kCancelMagCal);
    QVERIFY(!page->magCalActive() && !page->magCalSucceeded());
    button->click();
    QVERIFY(page->magCalActive());
}

void RotorPageTest::writesReachTheFlightControllerExactly()
{
    PageFixture f;
    SimLink link(&f.ctx, 2);
    link.sim.setBaudRate(0);
    QString error;
    QVERIFY2(link.start(&error), qPrintable(error));
    QVERIFY(link.download());
    f.ctx.modelId = ModelPresets::modelIdFromValue(f.store.findParameterValue(QStringLiteral("fw_version")));
    auto *page = new TuningPage(&f.ctx);
    f.host(page);
    page->showParameters();
    QTest::qWait(100);
    QVERIFY2(link.sim.paramSets().isEmpty(), "filling the page wrote to the flight controller");

    // Press, drag, release: two PARAM_SETs with the floats of the double formula.
    auto *yaw = child<SliderTip>(page, "Locking_sensitivity_hs");
    QTest::mousePress(yaw, Qt::LeftButton, Qt::NoModifier, pointFor(yaw, 20));
    const int pressed = yaw->value();
    for (int v = 30; v <= 70; v += 10)
        QTest::mouseMove(yaw, pointFor(yaw, v));
    QTest::mouseRelease(yaw, Qt::LeftButton, Qt::NoModifier, pointFor(yaw, 70));
    const int released = yaw->value();
    QTRY_COMPARE_WITH_TIMEOUT(link.sim.paramSets().size(), 2, 3000);
    const float first = float(pressed / 100.0 * 0.19999999999999998 + 0.15);
    const float last = float(released / 100.0 * 0.19999999999999998 + 0.15);
    for (int i : {0, 1}) {
        const auto set = link.sim.paramSets().at(i);
        QCOMPARE(set.first, QStringLiteral("ATC_RAT_YAW_P"));
        QVERIFY2(sameBits(set.second, i ? last : first), qPrintable(QString::number(double(set.second), 'g', 17)));
    }
    // The echo lands in the store, leaves the slider alone and is not written back.
    QTRY_VERIFY(sameBits(float(f.store.findParameterValue(QStringLiteral("ATC_RAT_YAW_P"))), last));
    QCOMPARE(yaw->value(), released);
    QTest::qWait(100);
    QCOMPARE(link.sim.paramSets().size(), 2);
    // A keyboard step on the rotor speed writes the small model's setpoint.
    QCOMPARE(f.ctx.modelId, 3);
    child<SliderTip>(page, "Main_motor_speed_hs")->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QTRY_COMPARE_WITH_TIMEOUT(link.sim.paramSets().size(), 3, 3000);
    QCOMPARE(link.sim.paramSets().at(2).first, QStringLiteral("H_RSC_SETPOINT1"));

    // Servo centring: manual mode 3, the trim, manual mode 0, all echoed into the store.
    auto *rotor = new RotorPage(&f.ctx);
    f.host(rotor);
    rotor->showParameters();
    link.sim.clearObservations();
    const bool reversed = RotorPage::isReversed(f.store.findParameterValue(QStringLiteral("SERVO2_REVERSED")));
    child<QPushButton>(rotor, "Cross_servo_mid_pB")->click();
    child<QSlider>(rotor, "Cross_servo_2_vS")->setValue(1580);
    child<QPushButton>(rotor, "Cross_servo_mid_pB")->click();
    QTRY_COMPARE_WITH_TIMEOUT(link.sim.paramSets().size(), 3, 3000);
    QCOMPARE(link.sim.paramSets(), (Writes{{"H_SV_MAN", 3}, {"SERVO2_TRIM", reversed ? 1420.0f : 1580.0f},
                                           {"H_SV_MAN", 0}}));
    QTRY_COMPARE(f.store.findParameterValue(QStringLiteral("SERVO2_TRIM")), reversed ? 1420.0 : 1580.0);
    QTRY_COMPARE(f.store.findParameterValue(QStringLiteral("H_SV_MAN")), 0.0);
}

void RotorPageTest::compassCalibrationWithAutomaticReboot()
{
    PageFixture f;
    SimLink link(&f.ctx, 2);
    link.sim.setMagCalDurationMs(1500);
    link.sim.setRebootSilenceMs(2500);
    QString error;
    QVERIFY2(link.start(&error), qPrintable(error));

    auto *page = new TuningPage(&f.ctx);
    f.host(page);
    auto *bar = child<QProgressBar>(page, "MAG_calibration_xPB");
    auto *label = child<QLabel>(page, "MAG_calibration_lab");
    QObject::connect(link.worker, &Mav2Uart_Worker::calibration_process, page, &TuningPage::MagCalibration_show);
    QObject::connect(link.worker, &Mav2Uart_Worker::mag_cal_report_value, page, &TuningPage::mag_cal_report_show);

    QStringList events;
    int highestProgress = 0;
    QObject::connect(&f.ctx, &PageContext::compassCalibrationRequested, page,
                     [&](int command, int flag) { events << QStringLiteral("command %1 %2").arg(command).arg(flag); });
    QObject::connect(&f.ctx, &PageContext::rebootRequested, page, [&] { events << QStringLiteral("reboot"); });
    QString labelAtReconnect;
    QObject::connect(&f.ctx, &PageContext::reconnectRequested, page, [&] {
        events << QStringLiteral("reconnect");
        labelAtReconnect = label->text();
    });
    QObject::connect(bar, &QProgressBar::valueChanged, page, [&](int v) { highestProgress = std::max(highestProgress, v); });

    child<QCheckBox>(page, "MAG_calibration_cB")->setChecked(true);
    child<QPushButton>(page, "MAG_calibration_pB")->click();
    QCOMPARE(child<QPushButton>(page, "MAG_calibration_pB")->text(), QStringLiteral("取消校准"));

    // The success reboots, waits in the modal progress dialog, asks for the reconnect, then cancels.
    QTRY_VERIFY_WITH_TIMEOUT(highestProgress >= 50, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(events.contains(QStringLiteral("command 42426 1")), 15000);
    QCOMPARE(events, (QStringList{"command 42424 0", "reboot", "reconnect", "command 42426 1"}));
    QCOMPARE(labelAtReconnect, QStringLiteral("校准成功，自动重启飞控完成校准\n"));
    QVERIFY(page->magCalSucceeded() && !page->magCalActive() && !f.ctx.magCalibrating);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(child<QPushButton>(page, "MAG_calibration_pB")->text(), QStringLiteral("开始校准"));

    // The restart lost the link once; the reconnect opened the port again.
    QCOMPARE(link.linkLosses, 1);
    QTRY_VERIFY(link.connects.size() >= 2);
    QCOMPARE(link.connects.last(), 1);
    QTRY_VERIFY(link.sim.commands().contains(42426));
    const QList<int> commands = link.sim.commands();
    const int start = commands.indexOf(TuningPage::kStartMagCal);
    const int reboot = commands.indexOf(kRebootCommand);
    const int cancel = commands.indexOf(TuningPage::kCancelMagCal);
    QVERIFY2(start >= 0 && start < reboot && reboot < cancel, qPrintable(QString::number(commands.size())));
}

QTEST_MAIN(RotorPageTest)
#include "tst_rotorpage.moc"
