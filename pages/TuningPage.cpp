#include "pages/TuningPage.h"

// SliderTip.h (included by the form) hands out its NavLabel tip; it needs the
// complete type.
#include "widgets/NavLabel.h"

#include "ui_TuningPage.h"

#include "pages/PageContext.h"
#include "widgets/WidgetFonts.h"

#include <QFont>

TuningPage::TuningPage(PageContext *ctx, QWidget *parent)
    : QWidget(parent), ui(new Ui::TuningPage), m_ctx(ctx)
{
    WidgetFonts::installSubstitutions();
    ui->setupUi(this);
}

TuningPage::~TuningPage() = default;

void TuningPage::showParameters()
{
}

void TuningPage::retranslate()
{
    ui->retranslateUi(this);
    if (m_ctx->english) {
        ui->low_power_sB->textOn = QStringLiteral("On");
        ui->low_power_sB->textOff = QStringLiteral("Off");
        QFont f(QStringLiteral("微软雅黑 Light"));
        f.setWeight(QFont::Normal);
        f.setPointSize(10);
        ui->MAG_calibration_pB->setFont(f);
    } else {
        ui->low_power_sB->textOn = QStringLiteral("开启");
        ui->low_power_sB->textOff = QStringLiteral("关闭");
    }
    ui->low_power_sB->update();
}

void TuningPage::setLinkLost()
{
}

void TuningPage::MagCalibration_show(int value)
{
    if (value > 100)
        return;
    ui->MAG_calibration_xPB->setValue(value);
}

void TuningPage::mag_cal_report_show(uint8_t compassId, uint8_t calStatus)
{
    Q_UNUSED(compassId)
    Q_UNUSED(calStatus)
}
