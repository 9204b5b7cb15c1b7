#include "pages/StatusPage.h"

#include "ui_StatusPage.h"

#include "pages/PageContext.h"
#include "pages/PagesLog.h"
#include "params/ParameterStore.h"
#include "widgets/FlatUI.h"
#include "widgets/GaugeCompassPan.h"
#include "widgets/GaugePlane.h"
#include "widgets/WidgetFonts.h"
#include "widgets/XProgressBar.h"

#include <QEvent>
#include <QLabel>
#include <QLayoutItem>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

namespace {

// Parameter values shown as whole numbers: truncated toward zero and held in
// the int range, so a wild value from the flight controller cannot overflow.
int truncatedValue(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (v <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(v);
}

const char *const kStartCalibrationZh = "开始行程校准";
const char *const kStartCalibrationEn = "Start calibration";

// Indicator labels of the channel monitor: lit or out.
const QColor kLitColour(250, 132, 43);
const QColor kUnlitColour(255, 255, 255);
// Value text of a channel bar: live or not.
const QColor kLiveText(0, 0, 0, 255);
const QColor kDeadText(0, 0, 0, 0);

// Receiver indicator.
const char *const kRcOpenImage = "image: url(:/wifi_open.png);";
const char *const kRcCloseImage = "image: url(:/wifi_close.png);";
const char *const kRcOpenColour = "color: rgb(0, 125, 0);";
const char *const kRcCloseColour = "color: rgb(255, 0, 0);";

// GPS accuracy colours.
const char *const kAccuracyGood = "border:none;\ncolor: rgb(0, 200, 0);";
const char *const kAccuracyFair = "border:none;\ncolor: rgb(0, 0, 200);";
const char *const kAccuracyPoor = "border:none;\ncolor: rgb(200, 0, 0);";
const char *const kNoReadingStyle = "border:none;";
// Accuracy bounds, compared as doubles against the single-precision hdop.
constexpr double kAccuracyGoodMax = 0.9;
constexpr double kAccuracyFairMax = 1.3;
constexpr uint16_t kEphNotLocated = 9900;
constexpr uint16_t kEphUnknown = 65500;

// Channel values (microseconds).
constexpr int kChannelMin = 900;
constexpr int kChannelMax = 2100;
constexpr int kChannelCentre = 1500;
constexpr int kStickLowMax = 1230;  // two-label rows: low end at or below
constexpr int kStickHighMin = 1750; // two- and three-label rows: high end at or above
constexpr int kSwitchLowMin = 950;  // three-label rows: left from here to kStickLowMax
constexpr int kSwitchMidMin = 1490;
constexpr int kSwitchMidMax = 1620;

// Travel calibration.
constexpr int32_t kSweepStartMax = 1600;
constexpr int32_t kSweepStartMin = 1400;
constexpr int32_t kSweepMaxThreshold = 1800;
constexpr int32_t kSweepMinThreshold = 1200;
constexpr unsigned kLabelRefreshDelayMs = 100;

// A style sheet change re-polishes the widget and lays it out again, even
// when the sheet is the same: only a different one is set.
void setStyleIfChanged(QWidget *w, const char *style)
{
    if (w->styleSheet() != QLatin1String(style))
        w->setStyleSheet(QString::fromLatin1(style));
}

void setRedButtonStyle(QPushButton *b)
{
    FlatUI::Instance()->setPushButtonQss(b, 5, 8, QStringLiteral("#E74C3C"), QStringLiteral("#FFFFFF"),
                                         QStringLiteral("#EC7064"), QStringLiteral("#FFF5E7"),
                                         QStringLiteral("#DC2D1A"), QStringLiteral("#F5A996"));
}

void setNormalButtonStyle(QPushButton *b)
{
    FlatUI::Instance()->setPushButtonQss(b, 5, 8, QStringLiteral("#34495E"), QStringLiteral("#FFFFFF"),
                                         QStringLiteral("#4E6D8C"), QStringLiteral("#F0F0F0"),
                                         QStringLiteral("#2D3E50"), QStringLiteral("#B8C6D1"));
}

// Raw value of channel 1..18 of a report.
uint16_t channelValue(const mavlink_rc_channels_t &m, int channel)
{
    switch (channel) {
    case 1: return m.chan1_raw;
    case 2: return m.chan2_raw;
    case 3: return m.chan3_raw;
    case 4: return m.chan4_raw;
    case 5: return m.chan5_raw;
    case 6: return m.chan6_raw;
    case 7: return m.chan7_raw;
    case 8: return m.chan8_raw;
    case 9: return m.chan9_raw;
    default: return 0;
    }
}

bool inChannelRange(int v)
{
    return v >= kChannelMin && v <= kChannelMax;
}

// Degrees for a gauge, truncated; nothing for a value that is not a number.
std::optional<int> truncatedDegrees(float degrees)
{
    if (!std::isfinite(degrees))
        return std::nullopt;
    return truncatedValue(double(degrees));
}

} // namespace

StatusPage::StatusPage(PageContext *ctx, QWidget *parent)
    : QWidget(parent), ui(new Ui::StatusPage), m_ctx(ctx)
{
    WidgetFonts::installSubstitutions();
    ui->setupUi(this);

    m_stickRows = {RcRow{ui->RC_CH1_Bar, ui->RC1_left_label, nullptr, ui->RC1_right_label},
                   RcRow{ui->RC_CH2_Bar, ui->RC2_left_label, nullptr, ui->RC2_right_label},
                   RcRow{ui->RC_CH3_Bar, ui->RC3_left_label, nullptr, ui->RC3_right_label},
                   RcRow{ui->RC_CH4_Bar, ui->RC4_left_label, nullptr, ui->RC4_right_label}};
    m_rc5Row = {ui->RC_CH5_Bar, ui->RC5_left_label, ui->RC5_mid_label, ui->RC5_right_label};
    m_rc7Row = {ui->RC_CH7_Bar, ui->RC7_left_label, nullptr, ui->RC7_right_label};
    m_rc8Row = {ui->RC_CH8_Bar, ui->RC8_left_label, ui->RC8_mid_label, ui->RC8_right_label};
    m_rc9Row = {ui->RC_CH9_Bar, ui->RC9_left_label, nullptr, ui->RC9_right_label};
    m_rc9NewRow = {ui->RC_CH9_NEW_Bar, ui->RC9_NEW_left_label, ui->RC9_NEW_mid_label, ui->RC9_NEW_right_label};
    m_backdropped = {{ui->gaugePlane_2, ui->page1_state_widget}, {ui->gaugeCompasspan_2, ui->page1_state_widget}};
    for (const RcRow *row : {&m_stickRows[0], &m_stickRows[1], &m_stickRows[2], &m_stickRows[3], &m_rc5Row,
                             &m_rc7Row, &m_rc8Row, &m_rc9Row, &m_rc9NewRow})
        m_backdropped.append({row->bar, ui->RC_widget});
    for (const auto &[widget, panel] : std::as_const(m_backdropped)) {
        widget->setAttribute(Qt::WA_OpaquePaintEvent);
        widget->installEventFilter(this);
    }
    for (const RcRow *row : {&m_stickRows[0], &m_stickRows[1], &m_stickRows[2], &m_stickRows[3], &m_rc5Row,
                             &m_rc7Row, &m_rc8Row, &m_rc9Row, &m_rc9NewRow}) {
        for (QLabel *label : {row->low, row->mid, row->high}) {
            if (!label)
                continue;
            m_indicators.append(label);
            label->setAttribute(Qt::WA_OpaquePaintEvent);
            label->installEventFilter(this);
        }
    }
    m_rcMax.fill(kSweepStartMax);
    m_rcMin.fill(kSweepStartMin);
    // Empty bars without a reading until a channel reports.
    showNoTelemetry();

    // The travel labels follow every value the store takes for their
    // parameters, so the echoes of a calibration's writes show as they come.
    if (ParameterStore *store = m_ctx->store())
        connect(store, &ParameterStore::parameterChanged, this, &StatusPage::onParameterChanged);
}

StatusPage::~StatusPage()
{
    // A row taken out of the column is owned by this page until it goes back.
    delete m_rcRowTakenOut;
}

void StatusPage::layoutRcColumn(bool serial2IsMavlink)
{
    auto *column = qobject_cast<QVBoxLayout *>(ui->RC5_9_Bar_widget->layout());
    if (!column)
        return;

    // Undo the previous arrangement first.
    if (m_rcRowMoved && column->count() >= 2) {
        QLayoutItem *item = column->takeAt(1);
        column->insertItem(2, item);
    }
    m_rcRowMoved = false;
    if (m_rcRowTakenOut) {
        column->addItem(m_rcRowTakenOut);
        m_rcRowTakenOut = nullptr;
    }

    m_rcLayoutMavlink = serial2IsMavlink;
    applyPanelVisibility();

    if (serial2IsMavlink) {
        // Channel 9 gets its own row; the rows read channels 5, 6, 7, 8, 9.
        ui->RC9_NEW_Row_widget->setVisible(true);
        column->setStretch(4, 1);
        if (column->count() >= 4) {
            QLayoutItem *item = column->takeAt(2);
            column->insertItem(1, item);
            m_rcRowMoved = true;
        }
        // The rows of channels 6 and 8 carry their own numbers again, also
        // after an earlier ordinary layout renamed them.
        ui->RC8_Label->setText(QStringLiteral("CH6"));
        ui->RC9_Label->setText(QStringLiteral("CH8"));
    } else {
        if (column->count() > 4) {
            m_rcRowTakenOut = column->takeAt(4);
            if (QWidget *w = m_rcRowTakenOut->widget())
                w->setVisible(false);
        }
        ui->RC8_Label->setText(QStringLiteral("CH8"));
        ui->RC9_Label->setText(QStringLiteral("CH9"));
        QMargins m = column->contentsMargins();
        m.setBottom(18);
        column->setContentsMargins(m);
    }
    for (int i = 0; i < 4 && i < column->count(); ++i)
        column->setStretch(i, 1);
    column->invalidate();
    column->activate();
    qCDebug(lcPages) << "RC column laid out, serial2IsMavlink:" << serial2IsMavlink;
}

bool StatusPage::travelCalibrationRunning() const
{
    if (m_calState == TravelCalibrationState::Sweeping || m_calState == TravelCalibrationState::Ready)
        return true;
    const QString text = ui->RC_pB->text();
    return text != QString::fromUtf8(kStartCalibrationZh) && text != QLatin1String(kStartCalibrationEn);
}

QPushButton *StatusPage::rcButton() const
{
    return ui->RC_pB;
}

void StatusPage::showParameters()
{
    layoutRcColumn(m_ctx->serial2IsMavlink);
    applySwitchLabelTexts();
    applyTravelLabelTexts();

    // The parameters are there: a calibration can start. A sweep or a
    // finished sweep that survived a reconnect goes on where it was.
    if (m_calState == TravelCalibrationState::Unavailable)
        m_calState = TravelCalibrationState::Idle;
    ui->RC_pB->setEnabled(m_calState != TravelCalibrationState::Sweeping);
    applyCalibrationTexts();
}

void StatusPage::retranslate()
{
    ui->retranslateUi(this);
    // The form's texts are back; show the current state again.
    renderVoltage();
    renderRcIndicator();
    renderGps();
    applyCalibrationTexts();
    if (!m_ctx->serial2IsMavlink) {
        ui->RC8_Label->setText(QStringLiteral("CH8"));
        ui->RC9_Label->setText(QStringLiteral("CH9"));
    }

    GaugeCompassPan *compass = ui->gaugeCompasspan_2;
    if (m_ctx->english) {
        compass->cardinalTexts = {QStringLiteral("N"), QStringLiteral("W"), QStringLiteral("S"), QStringLiteral("E")};
        compass->headingNames = {QStringLiteral("North"), QStringLiteral("Northeast"), QStringLiteral("East"),
                                 QStringLiteral("Southeast"), QStringLiteral("South"), QStringLiteral("Southwest"),
                                 QStringLiteral("West"), QStringLiteral("Northwest")};
    } else {
        compass->cardinalTexts = {QStringLiteral("北"), QStringLiteral("西"), QStringLiteral("南"), QStringLiteral("东")};
        compass->headingNames = {QStringLiteral("正北"), QStringLiteral("东北"), QStringLiteral("正东"),
                                 QStringLiteral("东南"), QStringLiteral("正南"), QStringLiteral("西南"),
                                 QStringLiteral("正西"), QStringLiteral("西北")};
    }
    compass->update();

    applySwitchLabelTexts();
    applyTravelLabelTexts();
    update();
}

void StatusPage::applySwitchLabelTexts()
{
    const bool en = m_ctx->english;
    const int id = m_ctx->modelId;
    const bool scale = id / 10 != 0;
    if (scale && !m_ctx->serial2IsMavlink) {
        ui->RC5_left_label->setText(en ? QStringLiteral("ATT") : tr("姿态"));
        ui->RC5_mid_label->setText(QStringLiteral("GPS"));
        ui->RC5_right_label->setText(en ? QStringLiteral("Home") : tr("返航"));
        ui->RC_CH9_Type_Label->setText(en ? QStringLiteral("Turn") : tr("协调转弯"));
        ui->RC9_left_label->setText(en ? QStringLiteral("Off") : tr("关闭"));
        ui->RC9_right_label->setText(en ? QStringLiteral("On") : tr("开启"));
    } else {
        ui->RC5_left_label->setText(en ? QStringLiteral("Aerobatics") : tr("特技"));
        if (id < 10)
            ui->RC5_mid_label->setText(en ? QStringLiteral("ATT") : tr("姿态"));
        else
            ui->RC5_mid_label->setText(en ? QStringLiteral("Freedom") : tr("自由"));
        ui->RC5_right_label->setText(en ? QStringLiteral("GPS") : tr("GPS"));
        ui->RC_CH9_Type_Label->setText(en ? QStringLiteral("Return") : tr("一键返航"));
        ui->RC9_left_label->setText(en ? QStringLiteral("Off") : tr("关闭"));
        ui->RC9_right_label->setText(en ? QStringLiteral("Home") : tr("返航"));
    }
    if (m_ctx->serial2IsMavlink) {
        ui->RC_CH9_NEW_Type_Label->setText(en ? QStringLiteral("Route") : tr("特技航线"));
        ui->RC9_NEW_left_label->setText(en ? QStringLiteral("Off") : tr("关闭"));
        ui->RC9_NEW_mid_label->setText(en ? QStringLiteral("Circle") : tr("绕圆"));
        ui->RC9_NEW_right_label->setText(en ? QStringLiteral("Figure-8") : tr("绕8字"));
    }
    // A collective-pitch frame names its manual mode on the first switch,
    // in both languages on the same label.
    if (m_ctx->store() && m_ctx->store()->findParameterValue(QStringLiteral("FRAME_CLASS")) == 11.0)
        ui->RC5_left_label->setText(en ? QStringLiteral("Manual mode") : QStringLiteral("手动模式"));
}

void StatusPage::applyTravelLabelTexts()
{
    const ParameterStore *store = m_ctx->store();
    auto value = [store](const QString &name) {
        return truncatedValue(store ? store->findParameterValue(name) : -1.0);
    };
    QLabel *const maxLabels[] = {ui->RC1_MAX, ui->RC2_MAX, ui->RC3_MAX, ui->RC4_MAX};
    QLabel *const trimLabels[] = {ui->RC1_TRIM, ui->RC2_TRIM, ui->RC3_TRIM, ui->RC4_TRIM};
    QLabel *const minLabels[] = {ui->RC1_MIN, ui->RC2_MIN, ui->RC3_MIN, ui->RC4_MIN};
    for (int i = 0; i < 4; ++i)
        maxLabels[i]->setText(QStringLiteral("max: ") + QString::number(value(QStringLiteral("RC%1_MAX").arg(i + 1))));
    for (int i = 0; i < 4; ++i)
        trimLabels[i]->setText(QStringLiteral("trim: ") + QString::number(value(QStringLiteral("RC%1_TRIM").arg(i + 1))));
    for (int i = 0; i < 4; ++i)
        minLabels[i]->setText(QStringLiteral("min: ") + QString::number(value(QStringLiteral("RC%1_MIN").arg(i + 1))));
}


void StatusPage::onParameterChanged(const QString &name, double value)
{
    // RC1_MIN ... RC4_TRIM
    if (name.size() < 6 || !name.startsWith(QLatin1String("RC")) || name.at(3) != QLatin1Char('_'))
        return;
    const int channel = name.at(2).digitValue();
    if (channel < 1 || channel > 4)
        return;
    const QStringView kind = QStringView(name).mid(4);
    QLabel *const maxLabels[] = {ui->RC1_MAX, ui->RC2_MAX, ui->RC3_MAX, ui->RC4_MAX};
    QLabel *const trimLabels[] = {ui->RC1_TRIM, ui->RC2_TRIM, ui->RC3_TRIM, ui->RC4_TRIM};
    QLabel *const minLabels[] = {ui->RC1_MIN, ui->RC2_MIN, ui->RC3_MIN, ui->RC4_MIN};
    const QString number = QString::number(truncatedValue(value));
    if (kind == QLatin1String("MAX"))
        maxLabels[channel - 1]->setText(QStringLiteral("max: ") + number);
    else if (kind == QLatin1String("TRIM"))
        trimLabels[channel - 1]->setText(QStringLiteral("trim: ") + number);
    else if (kind == QLatin1String("MIN"))
        minLabels[channel - 1]->setText(QStringLiteral("min: ") + number);
}

void StatusPage::setLinkLost()
{
    // A link loss cancels nothing: a sweep goes on after a reconnect, and the
    // finishing writes still need the sweep's thresholds. The read-outs go
    // back to how they looked before the first connection, so that nothing
    // stale passes for live.
    showNoTelemetry();
}

void StatusPage::showNoTelemetry()
{
    m_voltageMv.reset();
    ui->power_value->setText(QStringLiteral("---"));

    m_rcReceiver = RcReceiver::Unknown;
    setStyleIfChanged(ui->RC_WARN, kRcCloseImage);
    setStyleIfChanged(ui->RC_WARN_TEXT, kRcCloseColour);
    ui->RC_WARN_TEXT->setText(tr("丢失遥控信号失控保护中"));
    applyPanelVisibility();

    gps1Present = false;
    gps1Sats = 0;
    gps2Present = false;
    gps2Sats = 0;
    m_gps1Eph.reset();
    setStyleIfChanged(ui->GPS_1_accuracy_value, kNoReadingStyle);
    ui->GPS_1_number_value->setText(tr("未连接"));
    ui->GPS_1_accuracy_value->setText(tr("未定位"));

    ui->gaugePlane_2->setDegValue(0);
    ui->gaugePlane_2->setRollValue(0);
    ui->gaugeCompasspan_2->setValue(0.0);

    channelMoved.fill(false);
    for (const RcRow *row : {&m_stickRows[0], &m_stickRows[1], &m_stickRows[2], &m_stickRows[3], &m_rc5Row,
                             &m_rc7Row, &m_rc8Row, &m_rc9Row, &m_rc9NewRow}) {
        setIndicatorLit(row->low, false);
        if (row->mid)
            setIndicatorLit(row->mid, false);
        setIndicatorLit(row->high, false);
        row->bar->setTextColor(kDeadText);
        row->bar->setValue(row->bar->minimum());
    }
}

// ---- read-outs -------------------------------------------------------------------

void StatusPage::sys_status_show(uint16_t voltageMv, signed char rcHealthy)
{
    m_voltageMv = voltageMv;
    renderVoltage();

    if (rcHealthy == 1 || rcHealthy == 0) {
        m_rcReceiver = rcHealthy == 1 ? RcReceiver::Healthy : RcReceiver::Lost;
        renderRcIndicator();
        applyPanelVisibility();
    }
}

void StatusPage::renderVoltage()
{
    if (!m_voltageMv)
        return;
    const float volts = float(*m_voltageMv) / 1000.0f;
    if (*m_voltageMv >= 1000)
        ui->power_value->setText(QString::number(double(volts), 'f', 2) + QStringLiteral("V"));
    else
        ui->power_value->setText(tr("无电池"));
}

void StatusPage::renderRcIndicator()
{
    switch (m_rcReceiver) {
    case RcReceiver::Unknown:
        return; // the form's lost text stays until the first report
    case RcReceiver::Healthy:
        setStyleIfChanged(ui->RC_WARN, kRcOpenImage);
        setStyleIfChanged(ui->RC_WARN_TEXT, kRcOpenColour);
        ui->RC_WARN_TEXT->setText(tr("遥控信号连接中"));
        return;
    case RcReceiver::Lost:
        setStyleIfChanged(ui->RC_WARN, kRcCloseImage);
        setStyleIfChanged(ui->RC_WARN_TEXT, kRcCloseColour);
        ui->RC_WARN_TEXT->setText(tr("丢失遥控信号失控保护中"));
        return;
    }
}

void StatusPage::applyPanelVisibility()
{
    // Without a receiver signal a calibration can neither start nor finish;
    // with the receiver on serial 2 the whole panel stays hidden.
    const bool receiverOk = m_rcReceiver != RcReceiver::Lost;
    ui->StrokeCalibration_PB->setVisible(!m_rcLayoutMavlink);
    ui->StrokeCalibration->setVisible(!m_rcLayoutMavlink && receiverOk);
    ui->RC_label->setVisible(receiverOk);
    ui->RC_pB->setVisible(receiverOk);
}

void StatusPage::gps_raw_int_show(uint8_t satellites, uint16_t eph, uint16_t epv)
{
    Q_UNUSED(epv)
    gps1Present = true;
    gps1Sats = satellites;
    if (eph >= kEphUnknown) {
        gps1Present = false;
        gps1Sats = 0;
    }
    m_gps1Eph = eph;
    renderGps();
}

void StatusPage::gps2_raw_show(uint8_t satellites, uint16_t eph)
{
    // Shown with the next report of the first receiver.
    gps2Present = true;
    gps2Sats = satellites;
    if (eph >= kEphUnknown) {
        gps2Present = false;
        gps2Sats = 0;
    }
}

void StatusPage::renderGps()
{
    if (!m_gps1Eph)
        return;
    const uint16_t eph = *m_gps1Eph;
    // The hdop in single precision, widened: eph 90 gives 0.899999976...,
    // which counts as good; eph 130 gives 1.29999995..., still fair.
    const double hd = double(float(eph) / 100.0f);
    QLabel *accuracy = ui->GPS_1_accuracy_value;
    if (hd <= kAccuracyGoodMax)
        setStyleIfChanged(accuracy, kAccuracyGood);
    else if (hd < kAccuracyFairMax)
        setStyleIfChanged(accuracy, kAccuracyFair);
    else
        setStyleIfChanged(accuracy, kAccuracyPoor);

    if (eph < kEphNotLocated)
        accuracy->setText(QString::number(hd, 'g', 6) + tr("米"));
    else
        accuracy->setText(tr("未定位"));

    QLabel *number = ui->GPS_1_number_value;
    if (gps1Present && gps2Present)
        number->setText(QString::number(gps1Sats) + QStringLiteral("+") + QString::number(gps2Sats));
    else if (gps1Present)
        number->setText(QString::number(gps1Sats));
    else if (gps2Present)
        number->setText(QString::number(gps2Sats));
    else
        number->setText(tr("未连接"));
}

bool StatusPage::isShownPage() const
{
    // The window stacks its pages; attitude reports for a page that is not
    // shown are dropped.
    const auto *stack = qobject_cast<const QStackedWidget *>(parentWidget());
    return !stack || stack->currentWidget() == this;
}

double StatusPage::compassHeading(float yaw)
{
    double heading = double(yaw * kRadToDeg);
    if (heading < 0)
        heading += 360.0;
    return heading;
}

void StatusPage::attitude_show(float roll, float pitch, float yaw)
{
    if (!isShownPage())
        return;
    // The gauge banks the other way round than the flight controller counts.
    if (const auto bank = truncatedDegrees(-roll * kRadToDeg))
        ui->gaugePlane_2->setDegValue(*bank);
    if (const auto nose = truncatedDegrees(pitch * kRadToDeg))
        ui->gaugePlane_2->setRollValue(*nose);
    if (std::isfinite(yaw))
        ui->gaugeCompasspan_2->setValue(compassHeading(yaw));
}

// ---- channel monitor -------------------------------------------------------------

bool StatusPage::channelLive(int channel, uint16_t value)
{
    if (!inChannelRange(value)) {
        channelMoved[size_t(channel)] = false;
        return false;
    }
    // A channel sitting at exactly the centre from the start (an output that
    // never moved, a placeholder) counts as absent until it moves once.
    if (value == kChannelCentre)
        return channelMoved[size_t(channel)];
    channelMoved[size_t(channel)] = true;
    return true;
}

bool StatusPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint) {
        if (auto *label = qobject_cast<QLabel *>(watched); label && m_indicators.contains(label)) {
            // An indicator fills itself with its colour, then draws its text
            // as any label (its style sheet's background is not painted
            // under an opaque widget; a polish may take that mark away).
            if (!label->testAttribute(Qt::WA_OpaquePaintEvent))
                label->setAttribute(Qt::WA_OpaquePaintEvent);
            QPainter painter(label);
            painter.fillRect(label->rect(), m_litIndicators.contains(label) ? kLitColour : kUnlitColour);
            return false;
        }
        for (const auto &[widget, panel] : std::as_const(m_backdropped)) {
            if (widget != watched)
                continue;
            // The panel's style sheet background, as its palette carries it,
            // painted by the widget under itself; none under a panel that is
            // not a plain colour (the panel is painted beneath instead).
            const QBrush &brush = panel->palette().brush(panel->backgroundRole());
            const QColor colour = brush.style() == Qt::SolidPattern ? brush.color() : QColor();
            if (auto *bar = qobject_cast<XProgressBar *>(widget))
                bar->setBackdrop(colour);
            else if (auto *plane = qobject_cast<GaugePlane *>(widget))
                plane->setBackdrop(colour);
            else if (auto *compass = qobject_cast<GaugeCompassPan *>(widget))
                compass->setBackdrop(colour);
            if (!colour.isValid())
                widget->setAttribute(Qt::WA_OpaquePaintEvent, false);
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void StatusPage::setIndicatorLit(QLabel *label, bool lit)
{
    if (m_litIndicators.contains(label) == lit)
        return;
    if (lit)
        m_litIndicators.insert(label);
    else
        m_litIndicators.remove(label);
    // The label paints its own colour (eventFilter): only it is repainted,
    // neither the panels beneath it nor the window's layout.
    label->update();
}

void StatusPage::showRcRow(const RcRow &row, int channel, uint16_t value)
{
    const bool live = channelLive(channel, value);
    const int v = value;
    bool low = false;
    bool mid = false;
    bool high = false;
    if (live) {
        if (row.mid) {
            low = v >= kSwitchLowMin && v <= kStickLowMax;
            mid = v >= kSwitchMidMin && v <= kSwitchMidMax;
        } else {
            low = v <= kStickLowMax;
        }
        high = v >= kStickHighMin;
    }
    setIndicatorLit(row.low, low);
    if (row.mid)
        setIndicatorLit(row.mid, mid);
    setIndicatorLit(row.high, high);
    row.bar->setTextColor(live ? kLiveText : kDeadText);

    // A live channel shows its value; one that is not live shows the raw
    // value with its text hidden when the bar takes it (a channel at exactly
    // 1500 that never moved), and otherwise the monitor's floor of 900 (the
    // bar refuses a value outside its range). The bar gets the value it ends
    // on in one step, so a report that changes nothing paints nothing.
    XProgressBar *bar = row.bar;
    const auto accepted = [bar](int x) {
        return (x >= bar->minimum() && x <= bar->maximum()) || (bar->minimum() == 0 && bar->maximum() == 0);
    };
    const int floorValue = live ? v : kChannelMin;
    if (accepted(v))
        bar->setValue(v);
    else if (accepted(floorValue))
        bar->setValue(floorValue);
}

void StatusPage::rc_channels_show(mavlink_rc_channels_t channels)
{
    for (int i = 0; i < 4; ++i)
        showRcRow(m_stickRows[size_t(i)], i + 1, channelValue(channels, i + 1));

    // Switch rows and the channel each reads, by receiver layout.
    struct SwitchRow
    {
        const RcRow *row;
        int channel;
    };
    const std::array<SwitchRow, 5> switches =
        m_rcLayoutMavlink
            ? std::array<SwitchRow, 5>{{{&m_rc5Row, 5}, {&m_rc7Row, 7}, {&m_rc8Row, 6}, {&m_rc9Row, 8},
                                        {&m_rc9NewRow, 9}}}
            : std::array<SwitchRow, 5>{{{&m_rc5Row, 5}, {&m_rc7Row, 7}, {&m_rc8Row, 8}, {&m_rc9Row, 9},
                                        {nullptr, 0}}};
    for (const SwitchRow &s : switches) {
        if (s.row)
            showRcRow(*s.row, s.channel, channelValue(channels, s.channel));
    }

    if (m_calState != TravelCalibrationState::Sweeping && m_calState != TravelCalibrationState::Ready)
        return;

    for (size_t slot = 0; slot < kCalibrationSlotChannel.size(); ++slot) {
        const int sample = channelValue(channels, kCalibrationSlotChannel[slot]);
        // A receiver dropping out reports values such as 0: not a stick end.
        if (!inChannelRange(sample))
            continue;
        if (sample >= m_rcMax[slot])
            m_rcMax[slot] = sample;
        if (sample <= m_rcMin[slot])
            m_rcMin[slot] = sample;
    }
    if (m_calState == TravelCalibrationState::Sweeping && sweepComplete())
        enterReady();
}

// ---- travel calibration ----------------------------------------------------------

bool StatusPage::sweepComplete() const
{
    for (size_t slot = 0; slot < m_rcMax.size(); ++slot) {
        if (m_rcMax[slot] < kSweepMaxThreshold || m_rcMin[slot] > kSweepMinThreshold)
            return false;
    }
    return true;
}

void StatusPage::on_RC_pB_clicked()
{
    switch (m_calState) {
    case TravelCalibrationState::Unavailable:
        qCDebug(lcPages) << "travel calibration: no parameters yet, click ignored";
        return;
    case TravelCalibrationState::Idle:
        enterSweeping();
        return;
    case TravelCalibrationState::Sweeping:
        // Only reachable when something else enabled the button (a reconnect's
        // display): the sticks have not been swept, so nothing is written.
        qCWarning(lcPages) << "travel calibration: sweep incomplete, nothing written";
        ui->RC_pB->setEnabled(false);
        applyCalibrationTexts();
        return;
    case TravelCalibrationState::Ready:
        finishCalibration();
        return;
    }
}

void StatusPage::enterSweeping()
{
    m_calState = TravelCalibrationState::Sweeping;
    m_calNote = CalibrationNote::MoveSticks;
    ui->RC_pB->setEnabled(false);
    m_rcMax.fill(kSweepStartMax);
    m_rcMin.fill(kSweepStartMin);
    // Empty bars without a reading until a channel reports.
    showNoTelemetry();
    applyCalibrationTexts();
    qCDebug(lcPages) << "travel calibration: sweeping";
}

void StatusPage::enterReady()
{
    m_calState = TravelCalibrationState::Ready;
    m_calNote = CalibrationNote::Complete;
    setRedButtonStyle(ui->RC_pB);
    ui->RC_pB->setEnabled(true);
    applyCalibrationTexts();
    qCDebug(lcPages) << "travel calibration: sweep complete, max" << m_rcMax[0] << m_rcMax[1] << m_rcMax[2]
                     << m_rcMax[3] << "min" << m_rcMin[0] << m_rcMin[1] << m_rcMin[2] << m_rcMin[3];
}

void StatusPage::finishCalibration()
{
    if (!sweepComplete()) {
        qCWarning(lcPages) << "travel calibration: thresholds not met, nothing written";
        return;
    }
    m_calState = TravelCalibrationState::Idle;
    setNormalButtonStyle(ui->RC_pB);
    applyCalibrationTexts();

    // Copies: the wait below processes events, and a new sweep may start.
    const std::array<int32_t, 4> maxima = m_rcMax;
    const std::array<int32_t, 4> minima = m_rcMin;
    for (size_t slot = 0; slot < maxima.size(); ++slot) {
        const int n = int(slot) + 1;
        // The trim in double precision, so an odd sum keeps its half.
        const double trim = (double(maxima[slot]) + double(minima[slot])) * 0.5;
        m_ctx->writeParameter(QStringLiteral("RC%1_MIN").arg(n), float(minima[slot]));
        m_ctx->writeParameter(QStringLiteral("RC%1_MAX").arg(n), float(maxima[slot]));
        m_ctx->writeParameter(QStringLiteral("RC%1_TRIM").arg(n), float(trim));
    }
    qCDebug(lcPages) << "travel calibration: twelve values written";

    const QPointer<StatusPage> self(this);
    m_ctx->sleep(kLabelRefreshDelayMs);
    if (!self)
        return;
    applyTravelLabelTexts();
}

void StatusPage::applyCalibrationTexts()
{
    switch (m_calState) {
    case TravelCalibrationState::Unavailable:
    case TravelCalibrationState::Idle:
        ui->RC_pB->setText(tr("开始行程校准"));
        break;
    case TravelCalibrationState::Sweeping:
        ui->RC_pB->setText(tr("校准中"));
        break;
    case TravelCalibrationState::Ready:
        ui->RC_pB->setText(tr("点击写入参数"));
        break;
    }
    switch (m_calNote) {
    case CalibrationNote::None:
        ui->RC_label->clear();
        break;
    case CalibrationNote::MoveSticks:
        ui->RC_label->setText(tr("请转动摇杆进行校准"));
        break;
    case CalibrationNote::Complete:
        ui->RC_label->setText(tr("校准完成"));
        break;
    }
}
