// The rotor and tuning pages against the simulated flight controller through
// a real link worker: user actions arrive as the right frames, reports drive the pages.

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <cstring>

#include "PageFixture.h"
#include "SimLink.h"
#include "pages/RotorPage.h"
#include "pages/TuningPage.h"
#include "params/ModelPresets.h"
#include "widgets/SliderTip.h"

namespace {

constexpr int kRebootCommand = 246; // MAV_CMD_PREFLIGHT_REBOOT_SHUTDOWN

bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

class RotorLinkTest : public QObject
{
    Q_OBJECT

private slots:
    void sliderReleaseReachesFlightControllerAsExactFloat();
    void servoCentringWritesManualModeThreeThenZero();
    void compassCalibrationWithAutomaticReboot();
};

void RotorLinkTest::sliderReleaseReachesFlightControllerAsExactFloat()
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

    const auto sets = link.sim.paramSets();
    const float first = float(pressed / 100.0 * 0.19999999999999998 + 0.15);
    const float last = float(released / 100.0 * 0.19999999999999998 + 0.15);
    QCOMPARE(sets.at(0).first, QStringLiteral("ATC_RAT_YAW_P"));
    QCOMPARE(sets.at(1).first, QStringLiteral("ATC_RAT_YAW_P"));
    QVERIFY2(sameBits(sets.at(0).second, first), qPrintable(QString::number(double(sets.at(0).second), 'g', 17)));
    QVERIFY2(sameBits(sets.at(1).second, last), qPrintable(QString::number(double(sets.at(1).second), 'g', 17)));

    // The echo lands in the store, leaves the slider alone and is not written back.
    QTRY_VERIFY(sameBits(float(f.store.findParameterValue(QStringLiteral("ATC_RAT_YAW_P"))), last));
    QCOMPARE(yaw->value(), released);
    QTest::qWait(100);
    QCOMPARE(link.sim.paramSets().size(), 2);
    float stored = 0;
    QVERIFY(link.sim.parameterValue(QStringLiteral("ATC_RAT_YAW_P"), &stored));
    QVERIFY(sameBits(stored, last));

    // A keyboard step on the rotor speed writes the small model's setpoint.
    QCOMPARE(f.ctx.modelId, 3);
    child<SliderTip>(page, "Main_motor_speed_hs")->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QTRY_COMPARE_WITH_TIMEOUT(link.sim.paramSets().size(), 3, 3000);
    QCOMPARE(link.sim.paramSets().at(2).first, QStringLiteral("H_RSC_SETPOINT1"));
}

void RotorLinkTest::servoCentringWritesManualModeThreeThenZero()
{
    PageFixture f;
    SimLink link(&f.ctx, 1);
    link.sim.setBaudRate(0);
    QString error;
    QVERIFY2(link.start(&error), qPrintable(error));
    QVERIFY(link.download());

    auto *page = new RotorPage(&f.ctx);
    f.host(page);
    page->showParameters();

    auto *centre = child<QPushButton>(page, "Cross_servo_mid_pB");
    auto *servo2 = child<QSlider>(page, "Cross_servo_2_vS");
    const bool reversed = RotorPage::isReversed(f.store.findParameterValue(QStringLiteral("SERVO2_REVERSED")));
    centre->click();
    QTRY_COMPARE_WITH_TIMEOUT(link.sim.paramSets().size(), 1, 3000);
    float manual = -1;
    QTRY_VERIFY(link.sim.parameterValue(QStringLiteral("H_SV_MAN"), &manual) && manual == 3.0f);

    servo2->setValue(1580);
    centre->click();
    QTRY_COMPARE_WITH_TIMEOUT(link.sim.paramSets().size(), 3, 3000);
    const auto sets = link.sim.paramSets();
    QCOMPARE(sets.at(0), (QPair<QString, float>{"H_SV_MAN", 3.0f}));
    QCOMPARE(sets.at(1), (QPair<QString, float>{"SERVO2_TRIM", reversed ? 1420.0f : 1580.0f}));
    QCOMPARE(sets.at(2), (QPair<QString, float>{"H_SV_MAN", 0.0f}));
    QTRY_VERIFY(link.sim.parameterValue(QStringLiteral("H_SV_MAN"), &manual) && manual == 0.0f);
    QTRY_COMPARE(f.store.findParameterValue(QStringLiteral("SERVO2_TRIM")), reversed ? 1420.0 : 1580.0);
    QTRY_COMPARE(f.store.findParameterValue(QStringLiteral("H_SV_MAN")), 0.0);
}

void RotorLinkTest::compassCalibrationWithAutomaticReboot()
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
    QVERIFY(page->magCalSucceeded());
    QVERIFY(!page->magCalActive());
    QVERIFY(!f.ctx.magCalibrating);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(label->text(), QStringLiteral("校准成功，自动重启飞控完成校准\n"));
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

QTEST_MAIN(RotorLinkTest)
#include "tst_rotor_link.moc"
