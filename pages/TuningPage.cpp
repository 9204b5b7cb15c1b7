#include "pages/TuningPage.h"

// SliderTip.h (included by the form) hands out its NavLabel tip; it needs the
// complete type.
#include "widgets/NavLabel.h"

#include "ui_TuningPage.h"

#include "pages/PageContext.h"
#include "pages/PagesLog.h"
#include "params/ModelPresets.h"
#include "params/ParameterStore.h"
#include "params/ValueMaps.h"
#include "widgets/WidgetFonts.h"

#include <QFont>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QScopedValueRollback>

namespace {

// MAG_CAL_STATUS values of the compass reports.
constexpr uint8_t kMagCalWaitingToStart = 1;
constexpr uint8_t kMagCalRunningStepTwo = 3;
constexpr uint8_t kMagCalSuccess = 4;

bool leftButtonHeld()
{
    return QGuiApplication::mouseButtons() & Qt::LeftButton;
}

QFont calibrationButtonFont()
{
    QFont f(QStringLiteral("微软雅黑 Light"));
    f.setWeight(QFont::Normal);
    f.setPointSize(10);
    return f;
}

} // namespace

TuningPage::TuningPage(PageContext *ctx, QWidget *parent)
    : QWidget(parent), ui(new Ui::TuningPage), m_ctx(ctx)
{
    WidgetFonts::installSubstitutions();
    ui->setupUi(this);
    for (int t = 0; t < TuningCount; ++t) {
        SliderTip *s = slider(Tuning(t));
        m_marks[t] = OutOfRangeMark(s, valueLabel(Tuning(t)), s->minimum(), s->maximum());
    }
    connect(m_ctx->store(), &ParameterStore::parameterConfirmed, this, &TuningPage::onParameterConfirmed);

    // The way to every other parameter, on the title row of this section.
    m_allParameters = new QPushButton(ui->manualparam_widget);
    m_allParameters->setObjectName(QStringLiteral("allParameters_pB"));
    m_allParameters->setText(tr("全部参数..."));
    auto *titleRow = new QHBoxLayout;
    ui->manualparam_layout->removeWidget(ui->manualparam_title_label);
    titleRow->addWidget(ui->manualparam_title_label);
    titleRow->addStretch(1);
    titleRow->addWidget(m_allParameters);
    ui->manualparam_layout->addLayout(titleRow, 0, 0, 1, 3);
    connect(m_allParameters, &QPushButton::clicked, this, &TuningPage::allParametersRequested);
}

TuningPage::~TuningPage() = default;

// ---- tuning sliders --------------------------------------------------------------------

double TuningPage::valueForPosition(Tuning tuning, int position)
{
    const double v = position;
    switch (tuning) {
    case MainRotorSpeed:
        return v;
    case PitchGain:
    case RollGain:
        return v / 100 * 0.06 + 0.02;
    case YawGain:
        // The span is the double difference 0.35 - 0.15, not 0.2.
        return v / 100 * 0.19999999999999998 + 0.15;
    case BrakeGain:
        return v / 100 * 450 + 50;
    case TuningCount:
        break;
    }
    return 0.0;
}

QString TuningPage::parameterFor(Tuning tuning, int modelId)
{
    switch (tuning) {
    case MainRotorSpeed:
        return ModelPresets::isScaleModel(modelId) ? QStringLiteral("H_RSC_SETPOINT")
                                                   : QStringLiteral("H_RSC_SETPOINT1");
    case PitchGain:
        return QStringLiteral("ATC_RAT_PIT_P");
    case RollGain:
        return QStringLiteral("ATC_RAT_RLL_P");
    case YawGain:
        return QStringLiteral("ATC_RAT_YAW_P");
    case BrakeGain:
        return QStringLiteral("LOIT_BRK_ACCEL");
    case TuningCount:
        break;
    }
    return QString();
}

SliderTip *TuningPage::slider(Tuning tuning) const
{
    switch (tuning) {
    case MainRotorSpeed: return ui->Main_motor_speed_hs;
    case PitchGain: return ui->ATC_RAT_PIT_hS;
    case RollGain: return ui->ATC_RAT_RLL_hS;
    case YawGain: return ui->Locking_sensitivity_hs;
    case BrakeGain: return ui->Break_Accel_hS;
    case TuningCount: break;
    }
    return nullptr;
}

QLabel *TuningPage::valueLabel(Tuning tuning) const
{
    switch (tuning) {
    case MainRotorSpeed: return ui->Main_motor_speed_lab;
    case PitchGain: return ui->ATC_RAT_PIT_value_lab;
    case RollGain: return ui->ATC_RAT_RLL_value_lab;
    case YawGain: return ui->Locking_sensitivity_value_lab;
    case BrakeGain: return ui->Break_Accel_value_lab;
    case TuningCount: break;
    }
    return nullptr;
}

void TuningPage::writeTuning(Tuning tuning)
{
    // A click or release that did not move a slider resting at its end for
    // a stored value outside its range: the stored value stays.
    if (m_marks[tuning].isOutside())
        return;
    const int position = slider(tuning)->value();
    m_ctx->writeParameter(parameterFor(tuning, m_ctx->modelId), float(valueForPosition(tuning, position)));
}

void TuningPage::showPosition(Tuning tuning, int position)
{
    const int shown = m_marks[tuning].show(position);
    slider(tuning)->setValue(shown);
    showValueText(tuning);
}

void TuningPage::showValueText(Tuning tuning)
{
    const OutOfRangeMark &mark = m_marks[tuning];
    const int value = mark.isOutside() ? mark.stored() : slider(tuning)->value();
    valueLabel(tuning)->setText(QString::number(value) + QLatin1Char('%'));
}

void TuningPage::tuningValueChanged(Tuning tuning, int value)
{
    Q_UNUSED(value)
    const bool programMove =
        m_filling || (tuning != MainRotorSpeed && m_ctx->store()->paramUiUpdating);
    if (!programMove)
        m_marks[tuning].clear();   // the user moved it: its range holds again
    showValueText(tuning);
    if (m_filling || leftButtonHeld())
        return; // a program fill, or a drag (its press and release write)
    if (tuning != MainRotorSpeed && m_ctx->store()->paramUiUpdating)
        return;
    writeTuning(tuning);
}

void TuningPage::on_Main_motor_speed_hs_valueChanged(int value) { tuningValueChanged(MainRotorSpeed, value); }
void TuningPage::on_Main_motor_speed_hs_clicked() { writeTuning(MainRotorSpeed); }
void TuningPage::on_Main_motor_speed_hs_sliderReleased() { writeTuning(MainRotorSpeed); }
void TuningPage::on_ATC_RAT_PIT_hS_valueChanged(int value) { tuningValueChanged(PitchGain, value); }
void TuningPage::on_ATC_RAT_PIT_hS_clicked() { writeTuning(PitchGain); }
void TuningPage::on_ATC_RAT_PIT_hS_sliderReleased() { writeTuning(PitchGain); }
void TuningPage::on_ATC_RAT_RLL_hS_valueChanged(int value) { tuningValueChanged(RollGain, value); }
void TuningPage::on_ATC_RAT_RLL_hS_clicked() { writeTuning(RollGain); }
void TuningPage::on_ATC_RAT_RLL_hS_sliderReleased() { writeTuning(RollGain); }
void TuningPage::on_Locking_sensitivity_hs_valueChanged(int value) { tuningValueChanged(YawGain, value); }
void TuningPage::on_Locking_sensitivity_hs_clicked() { writeTuning(YawGain); }
void TuningPage::on_Locking_sensitivity_hs_sliderReleased() { writeTuning(YawGain); }
void TuningPage::on_Break_Accel_hS_valueChanged(int value) { tuningValueChanged(BrakeGain, value); }
void TuningPage::on_Break_Accel_hS_clicked() { writeTuning(BrakeGain); }
void TuningPage::on_Break_Accel_hS_sliderReleased() { writeTuning(BrakeGain); }

void TuningPage::onParameterConfirmed(const QString &name, double value)
{
    // The store sets paramUiUpdating around this call, so the moves below
    // write nothing back.
    Tuning tuning = TuningCount;
    int position = 0;
    if (name == QLatin1String("ATC_RAT_RLL_P")) {
        tuning = RollGain;
        position = ParameterStore::rateRollPitchSliderPosition(value);
    } else if (name == QLatin1String("ATC_RAT_PIT_P")) {
        tuning = PitchGain;
        position = ParameterStore::rateRollPitchSliderPosition(value);
    } else if (name == QLatin1String("ATC_RAT_YAW_P")) {
        tuning = YawGain;
        position = ParameterStore::rateYawSliderPosition(value);
    }
    // A slider the user holds keeps following the mouse: the echo of its
    // press must not pull it back, or the release would write the old value.
    if (tuning == TuningCount || slider(tuning)->isSliderDown())
        return;
    showPosition(tuning, position);
}

// ---- low-battery return ----------------------------------------------------------------

void TuningPage::on_low_power_sB_checkedChanged(bool)
{
    QPointer<TuningPage> self(this);
    m_ctx->sleep(20); // the switch settles its state
    if (!self)
        return;
    const bool on = ui->low_power_sB->checked();
    // Only a change of what the flight controller has is written: a fill
    // from the store, and a click undone within the settle time, write nothing.
    if (on == m_lowPowerKnown)
        return;
    m_lowPowerKnown = on;
    qCDebug(lcPages) << "low-battery return" << (on ? "on" : "off");
    m_ctx->writeParameter(QStringLiteral("BATT_CALL_NUMLV"), on ? kLowBatteryLevel : 0.0f);
    m_ctx->writeParameter(QStringLiteral("BATT_CALL_NUMCRT"), on ? kCriticalBatteryLevel : 0.0f);
}

// ---- filling from the store ------------------------------------------------------------

void TuningPage::showParameters()
{
    ParameterStore *store = m_ctx->store();
    QPointer<TuningPage> self(this);

    // Rotor speed: scale models show the setpoint they are written (falling
    // back to H_RSC_SP_MID when a controller lacks it), small models H_RSC_SETPOINT1.
    QString speedName = parameterFor(MainRotorSpeed, m_ctx->modelId);
    if (ModelPresets::isScaleModel(m_ctx->modelId) && !store->contains(speedName))
        speedName = QStringLiteral("H_RSC_SP_MID");
    {
        QScopedValueRollback<bool> filling(m_filling, true);
        const bool present = store->contains(speedName);
        ui->Main_motor_speed_hs->setEnabled(present);
        if (present && !leftButtonHeld())
            showPosition(MainRotorSpeed, roundHalfAwayFromZero(store->findParameterValue(speedName)));

        QScopedValueRollback<bool> updating(store->paramUiUpdating, true);
        struct Fill { Tuning tuning; const char *name; int (*position)(double); };
        const Fill fills[] = {
            {YawGain, "ATC_RAT_YAW_P", &ParameterStore::rateYawSliderPosition},
            {RollGain, "ATC_RAT_RLL_P", &ParameterStore::rateRollPitchSliderPosition},
            {PitchGain, "ATC_RAT_PIT_P", &ParameterStore::rateRollPitchSliderPosition},
            {BrakeGain, "LOIT_BRK_ACCEL", &ParameterStore::brakeAccelSliderPosition},
        };
        for (const Fill &f : fills) {
            const QString name = QString::fromLatin1(f.name);
            const bool has = store->contains(name);
            slider(f.tuning)->setEnabled(has);
            if (has)
                showPosition(f.tuning, f.position(store->findParameterValue(name)));
        }
    }

    // Low-battery return switch. A switch that has never been laid out
    // toggles a little later, so setting it on is repeated until it reads on.
    const QString lowName = QStringLiteral("BATT_CALL_NUMLV");
    SwitchButton *low = ui->low_power_sB;
    low->setEnabled(store->contains(lowName));
    if (store->contains(lowName)) {
        const bool on = store->findParameterValue(lowName) != 0.0;
        m_lowPowerKnown = on;
        if (on) {
            for (int attempt = 0; attempt < 20 && !low->checked(); ++attempt) {
                low->setChecked(true);
                qCDebug(lcPages) << "打开";
                m_ctx->sleep(100);
                if (!self)
                    return;
            }
        } else {
            low->setChecked(false);
            qCDebug(lcPages) << "关闭";
        }
    }

    ui->page3_widget->setEnabled(true);

    // Every download follows a connection: a flight controller that had to be
    // restarted after a calibration has been.
    if (m_magText == MagText::SuccessRestartNeeded && !m_magCalActive)
        setMagText(MagText::None);
}

// ---- compass calibration ---------------------------------------------------------------

void TuningPage::setMagText(MagText text)
{
    m_magText = text;
    switch (text) {
    case MagText::None:
        ui->MAG_calibration_lab->clear();
        break;
    case MagText::Rotate:
        ui->MAG_calibration_lab->setText(tr("请开始分别绕三个轴旋转\n"));
        break;
    case MagText::SuccessAutoReboot:
        ui->MAG_calibration_lab->setText(tr("校准成功，自动重启飞控完成校准\n"));
        break;
    case MagText::SuccessRestartNeeded:
        ui->MAG_calibration_lab->setText(tr("校准成功，必须重启飞控完成校准\n"));
        break;
    }
}

void TuningPage::on_MAG_calibration_pB_clicked()
{
    if (m_magCalStopping)
        return; // the cancel of the last click has not gone out yet
    if (m_magCalActive)
        stopCalibration();
    else
        startCalibration();
}

void TuningPage::startCalibration()
{
    m_magCalActive = true;
    m_compassesSeen = 0;
    m_compassesDone = 0;
    m_ctx->setMagCalibrating(true);
    ui->MAG_calibration_pB->setText(tr("取消校准"));
    // All compasses, retry on failure, save automatically, no reboot by the
    // flight controller itself.
    emit m_ctx->compassCalibrationRequested(kStartMagCal, 0);
    ui->MAG_calibration_lab->setText(tr("开始磁力计校准...\n"));
    setMagText(MagText::Rotate);
    qCDebug(lcPages) << "compass calibration started";
}

void TuningPage::stopCalibration()
{
    // The state changes before the wait, so that a report or a click handled
    // inside it sees the calibration stopped.
    m_magCalActive = false;
    m_magCalStopping = true;
    m_ctx->setMagCalibrating(false);
    ui->MAG_calibration_pB->setText(tr("开始校准"));
    ui->MAG_calibration_xPB->setValue(0);
    if (!m_magCalSucceeded)
        setMagText(MagText::None);

    QPointer<TuningPage> self(this);
    m_ctx->sleep(50);
    if (!self)
        return;
    m_magCalStopping = false;
    emit m_ctx->compassCalibrationRequested(kCancelMagCal, ui->MAG_calibration_cB->isChecked() ? 1 : 0);
    qCDebug(lcPages) << "compass calibration stopped";
}

void TuningPage::MagCalibration_show(int value)
{
    if (value > 100)
        return;
    ui->MAG_calibration_xPB->setValue(value);
}

void TuningPage::mag_cal_progress_show(uint8_t compassId, int value)
{
    if (m_magCalActive && compassId <= 1)
        m_compassesSeen |= uint8_t(1u << compassId);
    MagCalibration_show(value);
}

void TuningPage::mag_cal_report_show(uint8_t compassId, uint8_t calStatus)
{
    if (compassId > 1)
        return;
    const uint8_t bit = uint8_t(1u << compassId);
    if (calStatus >= kMagCalWaitingToStart && calStatus <= kMagCalRunningStepTwo) {
        if (m_magCalActive)
            m_compassesSeen |= bit;
        return;
    }
    if (calStatus != kMagCalSuccess)
        return; // failed, bad orientation, bad radius: the calibration retries or the user cancels
    if (!m_magCalActive || m_magCalFinishing) {
        qCDebug(lcPages) << "compass" << compassId << "success ignored: no calibration running";
        return;
    }
    m_compassesSeen |= bit;
    m_compassesDone |= bit;
    const uint8_t waiting = m_compassesSeen & ~m_compassesDone;
    if (waiting) {
        qCDebug(lcPages) << "compass" << compassId << "succeeded; waiting for the report of compass mask" << waiting;
        return;
    }
    finishCalibration();
}

void TuningPage::finishCalibration()
{
    QPointer<TuningPage> self(this);
    m_magCalFinishing = true;
    if (ui->MAG_calibration_cB->isChecked()) {
        setMagText(MagText::SuccessAutoReboot);
        emit m_ctx->rebootRequested();
        m_ctx->simulate_progressBar(70);
        if (!self)
            return;
        emit m_ctx->reconnectRequested();
        m_ctx->setMagCalibrating(false);
    } else {
        setMagText(MagText::SuccessRestartNeeded);
    }
    ui->MAG_calibration_xPB->setValue(0);
    m_magCalSucceeded = true;
    m_magCalFinishing = false;
    qCDebug(lcPages) << "compass calibration succeeded";
    if (m_magCalActive)
        stopCalibration();
}

// ---- language and link -----------------------------------------------------------------

void TuningPage::retranslate()
{
    ui->retranslateUi(this);
    m_allParameters->setText(tr("全部参数..."));
    // The form's texts are the idle ones; keep the state's.
    ui->MAG_calibration_pB->setText(m_magCalActive ? tr("取消校准") : tr("开始校准"));
    setMagText(m_magText);
    // The calibration button keeps the form's font in both languages.
    ui->MAG_calibration_pB->setFont(calibrationButtonFont());

    if (m_ctx->english) {
        ui->low_power_sB->textOn = QStringLiteral("On");
        ui->low_power_sB->textOff = QStringLiteral("Off");
    } else {
        ui->low_power_sB->textOn = QStringLiteral("开启");
        ui->low_power_sB->textOff = QStringLiteral("关闭");
    }
    ui->low_power_sB->update();

    for (int t = 0; t < TuningCount; ++t) {
        if (m_marks[t].isOutside()) {
            m_marks[t].retranslate();
            showValueText(Tuning(t));
        }
    }
}

void TuningPage::setLinkLost()
{
    // A compass calibration keeps its state across a disconnect; the user
    // cancels it or the flight controller reports when the link is back.
}
