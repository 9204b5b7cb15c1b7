#include "pages/RotorPage.h"

#include "ui_RotorPage.h"

#include "pages/PageContext.h"
#include "pages/PagesLog.h"
#include "params/ModelPresets.h"
#include "params/ParameterStore.h"
#include "params/ValueMaps.h"
#include "widgets/FlatUI.h"
#include "widgets/WidgetFonts.h"

#include <QColor>
#include <QFont>
#include <QGraphicsDropShadowEffect>
#include <QPointer>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>

#include <algorithm>

namespace {

constexpr int kTrimMin = 1350;
constexpr int kTrimMax = 1650;

const char kSwashPanelStyle[] =
    "QWidget#Forward_Swash_widget,QWidget#Left_Swash_widget,QWidget#Right_Swash_widget "
    "{border-radius:8px;background-color: rgb(244, 243, 248);}";
const char kCollectivePanelStyle[] =
    "QWidget#Collective_pos_widget,QWidget#Collective_neg_widget "
    "{border-radius:8px;background-color: rgb(244, 243, 248);}";

const QColor kActiveShadow(250, 132, 43, 255);
const QColor kIdleShadow(0, 0, 0, 90);

void setSliderLook(QSlider *slider, bool active)
{
    const QString edge = active ? QStringLiteral("#FA842B") : QStringLiteral("#CCCCCC");
    FlatUI::Instance()->setSliderQss(slider, 8, QStringLiteral("#FFFFFF"), edge, edge);
}

// A fresh shadow each time: the panel owns and deletes the one it replaces.
void setPanelShadow(QWidget *panel, bool active)
{
    auto *shadow = new QGraphicsDropShadowEffect(panel);
    shadow->setOffset(0, 0);
    shadow->setColor(active ? kActiveShadow : kIdleShadow);
    shadow->setBlurRadius(15);
    panel->setGraphicsEffect(shadow);
}

} // namespace

RotorPage::RotorPage(PageContext *ctx, QWidget *parent)
    : QWidget(parent), ui(new Ui::RotorPage), m_ctx(ctx)
{
    WidgetFonts::installSubstitutions();
    ui->setupUi(this);

    m_servos[0] = {ui->Cross_servo_1_vS, ui->Cross_servo_1_sB, ui->Cross_servo_1_frame, ui->Left_Swash_widget,
                   QStringLiteral("SERVO1_TRIM"), QStringLiteral("SERVO1_REVERSED")};
    m_servos[1] = {ui->Cross_servo_2_vS, ui->Cross_servo_2_sB, ui->Cross_trim_2_frame, ui->Right_Swash_widget,
                   QStringLiteral("SERVO2_TRIM"), QStringLiteral("SERVO2_REVERSED")};
    m_servos[2] = {ui->Cross_servo_3_vS, ui->Cross_servo_3_sB, ui->Cross_servo_3_frame, ui->Forward_Swash_widget,
                   QStringLiteral("SERVO3_TRIM"), QStringLiteral("SERVO3_REVERSED")};
    m_collective[Positive] = {ui->Collective_pos_vS, ui->Collective_pos_sB, ui->Collective_pos_pB,
                              ui->Collective_pos_widget, QStringLiteral("H_COL_MAX")};
    m_collective[Negative] = {ui->Collective_neg_vS, ui->Collective_neg_sB, ui->Collective_neg_pB,
                              ui->Collective_neg_widget, QStringLiteral("H_COL_MIN")};
    for (Servo &s : m_servos)
        s.mark = OutOfRangeMark(s.slider, s.spin, s.slider->minimum(), s.slider->maximum());
    for (Collective &c : m_collective)
        c.mark = OutOfRangeMark(c.slider, c.spin, c.slider->minimum(), c.slider->maximum());

    // Both areas start with their idle look; the collective controls start
    // enabled, the servo frames disabled (as the form has them).
    setServoLook(false);
    setCollectiveLook(false, false);
}

RotorPage::~RotorPage() = default;

// ---- trim mapping ----------------------------------------------------------------------

bool RotorPage::isReversed(double reversedValue)
{
    return truncateTowardZero(reversedValue) == 1;
}

float RotorPage::trimForPosition(int position, bool reversed)
{
    const float trim = reversed ? 3000.0f - float(position) : float(position);
    return std::clamp(trim, float(kTrimMin), float(kTrimMax));
}

int RotorPage::positionForTrim(double trim, bool reversed)
{
    const float p = reversed ? felx_v(float(trim), kTrimMin, kTrimMax, kTrimMax, kTrimMin)
                             : felx_v(float(trim), kTrimMin, kTrimMax, kTrimMin, kTrimMax);
    return std::clamp(truncateTowardZero(p), kTrimMin, kTrimMax);
}

// ---- value handlers --------------------------------------------------------------------

void RotorPage::servoMoved(Servo &servo, int position)
{
    if (!m_filling) {
        leaveOutside(servo.spin, servo.mark);
        const bool reversed = isReversed(m_ctx->store()->findParameterValue(servo.reversedName));
        m_ctx->writeParameter(servo.trimName, trimForPosition(position, reversed));
    }
    // A fill of a value outside the range keeps the spin box on that value.
    if (!servo.mark.isOutside())
        servo.spin->setValue(position);
}

void RotorPage::collectiveMoved(Collective &side, int value)
{
    if (!m_filling)
        leaveOutside(side.spin, side.mark);
    if (!side.mark.isOutside())
        side.spin->setValue(value);
    if (!m_filling)
        m_ctx->writeParameter(side.parameterName, float(value));
}

void RotorPage::leaveOutside(QSpinBox *spin, OutOfRangeMark &mark)
{
    if (!mark.isOutside())
        return;
    mark.clear();
    // The spin box's range narrows back silently: what it shows next is the
    // user's value.
    const QSignalBlocker quiet(spin);
    spin->setRange(mark.minimum(), mark.maximum());
}

void RotorPage::numberChanged(QSlider *slider, QSpinBox *spin, OutOfRangeMark &mark, int value,
                              const std::function<void(int)> &moved)
{
    if (m_filling || !mark.isOutside()) {
        slider->setValue(value);
        return;
    }
    // The user changed a number that showed a value outside the range: the
    // nearest value inside it, written even where the slider already rests.
    const int bounded = mark.bounded(value);
    leaveOutside(spin, mark);
    {
        QScopedValueRollback<bool> filling(m_filling, true);
        spin->setValue(bounded);
        slider->setValue(bounded);
    }
    moved(bounded);
}

void RotorPage::showStored(QSlider *slider, QSpinBox *spin, OutOfRangeMark &mark, int stored)
{
    QScopedValueRollback<bool> filling(m_filling, true);
    const int shown = mark.show(stored);
    if (mark.isOutside()) {
        spin->setRange(std::min(stored, mark.minimum()), std::max(stored, mark.maximum()));
        spin->setValue(stored);
        slider->setValue(shown);
    } else {
        spin->setRange(mark.minimum(), mark.maximum());
        slider->setValue(shown);
        spin->setValue(shown);
    }
}

void RotorPage::on_Cross_servo_1_vS_valueChanged(int value) { servoMoved(m_servos[0], value); }
void RotorPage::on_Cross_servo_2_vS_valueChanged(int value) { servoMoved(m_servos[1], value); }
void RotorPage::on_Cross_servo_3_vS_valueChanged(int value) { servoMoved(m_servos[2], value); }
void RotorPage::on_Cross_servo_1_sB_valueChanged(int value)
{
    numberChanged(ui->Cross_servo_1_vS, ui->Cross_servo_1_sB, m_servos[0].mark, value,
                  [this](int p) { servoMoved(m_servos[0], p); });
}
void RotorPage::on_Cross_servo_2_sB_valueChanged(int value)
{
    numberChanged(ui->Cross_servo_2_vS, ui->Cross_servo_2_sB, m_servos[1].mark, value,
                  [this](int p) { servoMoved(m_servos[1], p); });
}
void RotorPage::on_Cross_servo_3_sB_valueChanged(int value)
{
    numberChanged(ui->Cross_servo_3_vS, ui->Cross_servo_3_sB, m_servos[2].mark, value,
                  [this](int p) { servoMoved(m_servos[2], p); });
}

void RotorPage::on_Collective_pos_vS_valueChanged(int value) { collectiveMoved(m_collective[Positive], value); }
void RotorPage::on_Collective_neg_vS_valueChanged(int value) { collectiveMoved(m_collective[Negative], value); }
void RotorPage::on_Collective_pos_sB_valueChanged(int value)
{
    numberChanged(ui->Collective_pos_vS, ui->Collective_pos_sB, m_collective[Positive].mark, value,
                  [this](int v) { collectiveMoved(m_collective[Positive], v); });
}
void RotorPage::on_Collective_neg_sB_valueChanged(int value)
{
    numberChanged(ui->Collective_neg_vS, ui->Collective_neg_sB, m_collective[Negative].mark, value,
                  [this](int v) { collectiveMoved(m_collective[Negative], v); });
}

// ---- servo centring --------------------------------------------------------------------

bool RotorPage::centringTextShown() const
{
    return ui->Cross_servo_mid_pB->text() == tr("调整完成");
}

void RotorPage::writeManualMode(int mode)
{
    m_ctx->writeParameter(QStringLiteral("H_SV_MAN"), float(mode));
}

void RotorPage::setServoLook(bool active)
{
    for (Servo &s : m_servos) {
        s.frame->setEnabled(active);
        setSliderLook(s.slider, active);
        s.panel->setStyleSheet(QString::fromLatin1(kSwashPanelStyle));
        setPanelShadow(s.panel, active);
    }
}

void RotorPage::on_Cross_servo_mid_pB_clicked()
{
    // Restyling the panels can shift them for a moment; put them back where
    // they were once the new look has settled.
    QPoint positions[3];
    for (int i = 0; i < 3; ++i)
        positions[i] = m_servos[i].panel->pos();

    if (ui->Cross_servo_mid_pB->text() == tr("舵机回中") && m_ctx->swashAdjustState == 0) {
        m_ctx->swashAdjustState = 1;
        writeManualMode(kManualMidCollective);
        setServoLook(true);
        ui->Cross_servo_mid_pB->setText(tr("调整完成"));
        qCDebug(lcPages) << "servo centring on";
    } else if (m_ctx->swashAdjustState == 1) {
        m_ctx->swashAdjustState = 0;
        writeManualMode(kManualOff);
        setServoLook(false);
        ui->Cross_servo_mid_pB->setText(tr("舵机回中"));
        qCDebug(lcPages) << "servo centring off";
    }
    // State 2 (a collective side is active): nothing changes.

    QPointer<RotorPage> self(this);
    m_ctx->sleep(10);
    if (!self)
        return;
    for (int i = 0; i < 3; ++i)
        m_servos[i].panel->move(positions[i]);
}

// ---- collective ------------------------------------------------------------------------

void RotorPage::setCollectiveLook(bool positiveActive, bool negativeActive)
{
    const bool active[2] = {positiveActive, negativeActive};
    for (int i = 0; i < 2; ++i) {
        Collective &c = m_collective[i];
        c.panel->setStyleSheet(QString::fromLatin1(kCollectivePanelStyle));
        setPanelShadow(c.panel, active[i]);
        setSliderLook(c.slider, active[i]);
    }
}

void RotorPage::applyCollectiveEnabled()
{
    for (Collective &c : m_collective) {
        const bool on = c.active && c.available;
        c.slider->setEnabled(on);
        c.spin->setEnabled(on);
        // Without its limit in the store the side has nothing to adjust.
        c.button->setEnabled(c.available);
    }
}

void RotorPage::startCollectiveSide(Side side)
{
    if (centringTextShown())
        ui->Cross_servo_mid_pB->click(); // leaves the servo centring first
    m_ctx->swashAdjustState = 2;
    writeManualMode(side == Positive ? kManualMaxCollective : kManualMinCollective);
    setCollectiveLook(side == Positive, side == Negative);
    m_collective[Positive].active = side == Positive;
    m_collective[Negative].active = side == Negative;
    applyCollectiveEnabled();
    qCDebug(lcPages) << "collective adjustment on the" << (side == Positive ? "positive" : "negative") << "side";
}

void RotorPage::finishCollective()
{
    const bool centring = ui->Cross_servo_mid_pB->text() != tr("舵机回中");
    m_ctx->swashAdjustState = centring ? 1 : 0;
    // With the servo centring still on, the flight controller stays at mid
    // collective, as the page shows; otherwise manual mode ends.
    writeManualMode(centring ? kManualMidCollective : kManualOff);
    setCollectiveLook(false, false);
    for (Collective &c : m_collective)
        c.active = false;
    applyCollectiveEnabled();
    refillServoSliders();
    qCDebug(lcPages) << "collective adjustment done, state" << m_ctx->swashAdjustState;
}

void RotorPage::on_CollectiveButtonClicked()
{
    QObject *from = sender();
    if (from == ui->Collective_pos_pB)
        startCollectiveSide(Positive);
    else if (from == ui->Collective_neg_pB)
        startCollectiveSide(Negative);
    else if (from == ui->Collective_ok_pB)
        finishCollective();
}

void RotorPage::closeAdjustments()
{
    ui->Cross_servo_mid_pB->setText(tr("调整完成"));
    m_ctx->swashAdjustState = 1;
    ui->Cross_servo_mid_pB->click();
    ui->Collective_ok_pB->click();
}

// ---- filling from the store ------------------------------------------------------------

void RotorPage::refillServoSliders()
{
    const ParameterStore *store = m_ctx->store();
    for (Servo &s : m_servos) {
        if (!store->contains(s.trimName)) {
            leaveOutside(s.spin, s.mark);   // no value, nothing outside
            continue;
        }
        const bool reversed = isReversed(store->findParameterValue(s.reversedName));
        const double trim = store->findParameterValue(s.trimName);
        // The position the trim stands for, also beyond the slider's ends.
        const double raw = reversed ? 3000.0 - trim : trim;
        const int position = raw >= kTrimMin && raw <= kTrimMax ? positionForTrim(trim, reversed)
                                                                : truncateTowardZero(raw);
        showStored(s.slider, s.spin, s.mark, position);
    }
}

void RotorPage::showParameters()
{
    const ParameterStore *store = m_ctx->store();

    // Servo trims; a servo whose trim was not downloaded cannot be adjusted.
    for (Servo &s : m_servos) {
        s.available = store->contains(s.trimName);
        s.slider->setEnabled(s.available);
        s.spin->setEnabled(s.available);
    }
    refillServoSliders();

    const bool scale = ModelPresets::isScaleModel(m_ctx->modelId);
    ui->Collective_pos_label->setText(scale ? QStringLiteral("  ＋14°") : QStringLiteral("  ＋13°"));
    ui->Collective_neg_label->setText(scale ? QStringLiteral("  - 9°") : QStringLiteral("  - 13°"));

    for (QPushButton *b : {ui->Collective_pos_pB, ui->Collective_neg_pB})
        FlatUI::Instance()->setPushButtonQss(b, 5, 8, QStringLiteral("#E74C3C"), QStringLiteral("#FFFFFF"),
                                             QStringLiteral("#EC7064"), QStringLiteral("#FFF5E7"),
                                             QStringLiteral("#DC2D1A"), QStringLiteral("#F5A996"));

    for (Collective &c : m_collective) {
        c.available = store->contains(c.parameterName);
        if (c.available)
            showStored(c.slider, c.spin, c.mark, truncateTowardZero(store->findParameterValue(c.parameterName)));
        else
            leaveOutside(c.spin, c.mark);
    }
    applyCollectiveEnabled();
}

// ---- language and link -----------------------------------------------------------------

void RotorPage::retranslate()
{
    ui->retranslateUi(this);
    // The form's text is the idle one; keep the running centring's.
    if (m_ctx->swashAdjustState == 1)
        ui->Cross_servo_mid_pB->setText(tr("调整完成"));

    const bool scale = ModelPresets::isScaleModel(m_ctx->modelId);
    ui->Collective_pos_label->setText(scale ? QStringLiteral("  ＋14°") : QStringLiteral("  ＋13°"));
    ui->Collective_neg_label->setText(scale ? QStringLiteral("  - 9°") : QStringLiteral("  - 13°"));

    QFont f(QStringLiteral("微软雅黑 Light"));
    f.setWeight(QFont::Normal);
    f.setPointSize(m_ctx->english ? 10 : 9);
    ui->Collective_pos_pB->setFont(f);
    ui->Collective_neg_pB->setFont(f);

    for (Servo &s : m_servos)
        s.mark.retranslate();
    for (Collective &c : m_collective)
        c.mark.retranslate();
}

void RotorPage::setLinkLost()
{
    // An adjustment stays as it is: the next navigation (or the user) ends it
    // with H_SV_MAN = 0 once the link is back.
}
