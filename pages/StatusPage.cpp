#include "pages/StatusPage.h"

#include "ui_StatusPage.h"

#include "pages/PageContext.h"
#include "pages/PagesLog.h"
#include "params/ParameterStore.h"
#include "widgets/WidgetFonts.h"

#include <QLayoutItem>
#include <QPushButton>
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

} // namespace

StatusPage::StatusPage(PageContext *ctx, QWidget *parent)
    : QWidget(parent), ui(new Ui::StatusPage), m_ctx(ctx)
{
    WidgetFonts::installSubstitutions();
    ui->setupUi(this);
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

    ui->StrokeCalibration_PB->setVisible(!serial2IsMavlink);
    ui->StrokeCalibration->setVisible(!serial2IsMavlink);

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
    const QString text = ui->RC_pB->text();
    return text != QString::fromUtf8(kStartCalibrationZh) && text != QLatin1String(kStartCalibrationEn);
}

QPushButton *StatusPage::rcButton() const
{
    return ui->RC_pB;
}

void StatusPage::showParameters()
{
}

void StatusPage::retranslate()
{
    ui->retranslateUi(this);
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
    // A collective-pitch frame names its manual mode on the first switch.
    if (m_ctx->store() && m_ctx->store()->findParameterValue(QStringLiteral("FRAME_CLASS")) == 11.0) {
        if (en)
            ui->RC9_left_label->setText(QStringLiteral("Manual mode"));
        else
            ui->RC5_left_label->setText(QStringLiteral("手动模式"));
    }
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

void StatusPage::setLinkLost()
{
}

void StatusPage::sys_status_show(uint16_t voltageMv, signed char rcHealthy)
{
    Q_UNUSED(voltageMv)
    Q_UNUSED(rcHealthy)
}

void StatusPage::gps_raw_int_show(uint8_t satellites, uint16_t eph, uint16_t epv)
{
    Q_UNUSED(satellites)
    Q_UNUSED(eph)
    Q_UNUSED(epv)
}

void StatusPage::gps2_raw_show(uint8_t satellites, uint16_t eph)
{
    Q_UNUSED(satellites)
    Q_UNUSED(eph)
}

void StatusPage::attitude_show(float roll, float pitch, float yaw)
{
    Q_UNUSED(roll)
    Q_UNUSED(pitch)
    Q_UNUSED(yaw)
}

void StatusPage::rc_channels_show(mavlink_rc_channels_t channels)
{
    Q_UNUSED(channels)
}
