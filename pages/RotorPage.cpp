#include "pages/RotorPage.h"

#include "ui_RotorPage.h"

#include "pages/PageContext.h"
#include "widgets/FlatUI.h"
#include "widgets/WidgetFonts.h"

#include <QFont>
#include <QSlider>

namespace {

// Slider look of an adjustment that is not running.
void setIdleSliderStyle(QSlider *slider)
{
    FlatUI::Instance()->setSliderQss(slider, 8, QStringLiteral("#FFFFFF"), QStringLiteral("#CCCCCC"),
                                     QStringLiteral("#CCCCCC"));
}

} // namespace

RotorPage::RotorPage(PageContext *ctx, QWidget *parent)
    : QWidget(parent), ui(new Ui::RotorPage), m_ctx(ctx)
{
    WidgetFonts::installSubstitutions();
    ui->setupUi(this);
    for (QSlider *s : {ui->Cross_servo_1_vS, ui->Cross_servo_2_vS, ui->Cross_servo_3_vS,
                       ui->Collective_pos_vS, ui->Collective_neg_vS})
        setIdleSliderStyle(s);
}

RotorPage::~RotorPage() = default;

void RotorPage::closeAdjustments()
{
    ui->Cross_servo_mid_pB->setText(tr("调整完成"));
    m_ctx->swashAdjustState = 1;
    ui->Cross_servo_mid_pB->click();
    ui->Collective_ok_pB->click();
}

void RotorPage::on_CollectiveButtonClicked()
{
}

void RotorPage::showParameters()
{
}

void RotorPage::retranslate()
{
    ui->retranslateUi(this);
    const bool scale = m_ctx->modelId / 10 != 0;
    ui->Collective_pos_label->setText(scale ? QStringLiteral("  ＋14°") : QStringLiteral("  ＋13°"));
    ui->Collective_neg_label->setText(scale ? QStringLiteral("  - 9°") : QStringLiteral("  - 13°"));

    QFont f(QStringLiteral("微软雅黑 Light"));
    f.setWeight(QFont::Normal);
    f.setPointSize(m_ctx->english ? 10 : 9);
    ui->Collective_pos_pB->setFont(f);
    ui->Collective_neg_pB->setFont(f);
}

void RotorPage::setLinkLost()
{
}
