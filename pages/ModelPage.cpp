#include "pages/ModelPage.h"

#include "ui_ModelPage.h"

#include "pages/PageContext.h"
#include "pages/PagesLog.h"
#include "params/ModelPresets.h"
#include "widgets/WidgetFonts.h"

#include <QEvent>
#include <QGridLayout>
#include <QPushButton>

#include <algorithm>

namespace {

// Room the grid may take inside the page, and the pictures' aspect (340 x 240).
constexpr int kGridWidth = 760;
constexpr int kMaxButtonWidth = 240;
constexpr int kPictureWidth = 340;
constexpr int kPictureHeight = 240;

} // namespace

ModelPage::ModelPage(PageContext *ctx, QWidget *parent)
    : QWidget(parent), ui(new Ui::ModelPage), m_ctx(ctx)
{
    WidgetFonts::installSubstitutions();
    ui->setupUi(this);
    for (const ModelPreset &row : ModelPresets::rows()) {
        auto *button = findChild<QPushButton *>(QString::fromLatin1(row.buttonName));
        Q_ASSERT(button);
        m_buttons.append(button);
        button->installEventFilter(this);
    }
    reflowButtons();
}

ModelPage::~ModelPage() = default;

void ModelPage::initButtons()
{
    for (int i = 0; i < m_buttons.size(); ++i) {
        const bool offered = ModelPresets::rows().at(i).buttonNumber == 1 || ModelPresets::rows().at(i).buttonNumber == 4;
        m_buttons[i]->setEnabled(offered);
        m_buttons[i]->setVisible(offered);
    }
}

void ModelPage::showParameters()
{
}

void ModelPage::retranslate()
{
    ui->retranslateUi(this);
}

void ModelPage::setLinkLost()
{
}

void ModelPage::on_typesButtonClicked()
{
    auto *button = qobject_cast<QPushButton *>(sender());
    if (!button)
        return;
    qCDebug(lcPages) << "model button index" << m_buttons.indexOf(button);
}

void ModelPage::types_reset()
{
    const QList<ModelPreset> &rows = ModelPresets::rows();
    for (int i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->setStyleSheet(ModelPresets::notSelectedStyleSheet(rows.at(i)));
}

bool ModelPage::eventFilter(QObject *watched, QEvent *event)
{
    if ((event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)
        && m_buttons.contains(qobject_cast<QPushButton *>(watched)))
        reflowButtons();
    return QWidget::eventFilter(watched, event);
}

void ModelPage::reflowButtons()
{
    QGridLayout *grid = ui->types_layout;
    QList<QPushButton *> shown;
    for (QPushButton *b : std::as_const(m_buttons)) {
        grid->removeWidget(b);
        if (!b->isHidden())
            shown.append(b);
    }
    const int n = int(shown.size());
    const int columns = n <= 4 ? std::max(n, 1) : (n <= 15 ? 5 : 6);
    const int spacing = grid->horizontalSpacing();
    const int width = std::min(kMaxButtonWidth, (kGridWidth - (columns - 1) * spacing) / columns);
    const int height = width * kPictureHeight / kPictureWidth;
    for (int i = 0; i < n; ++i) {
        shown[i]->setFixedSize(width, height);
        grid->addWidget(shown[i], i / columns, i % columns);
    }
}
