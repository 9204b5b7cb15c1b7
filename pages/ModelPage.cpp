#include "pages/ModelPage.h"

#include "ui_ModelPage.h"

#include "dialogs/WritePreviewDialog.h"
#include "pages/PageContext.h"
#include "pages/PagesLog.h"
#include "pages/WriteBatch.h"
#include "params/ParamDiff.h"
#include "params/ParamFileChecker.h"
#include "params/ModelPresets.h"
#include "params/ParameterStore.h"
#include "widgets/WidgetFonts.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGridLayout>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

// Reboot wait: 100 steps of this many milliseconds.
constexpr int kRebootStepMs = 30;

// Room the grid may take inside the page, and the pictures' aspect (340 x 240).
constexpr int kGridWidth = 760;
constexpr int kMaxButtonWidth = 240;
constexpr int kPictureWidth = 340;
constexpr int kPictureHeight = 240;

} // namespace

const int ModelPage::kConfirmWindowMs = WriteBatch::kConfirmWindowMs;

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
    const QList<int> offered = ModelPresets::offeredIndexes(m_ctx->modelId);
    for (int i = 0; i < m_buttons.size(); ++i) {
        const bool on = offered.contains(i);
        m_buttons[i]->setEnabled(on);
        m_buttons[i]->setVisible(on);
    }

    const int selected = ModelPresets::selectedIndexForModel(m_ctx->modelId);
    if (selected >= 0 && selected < m_buttons.size()) {
        types_reset();
        m_buttons[selected]->setStyleSheet(ModelPresets::selectedStyleSheet(ModelPresets::rows().at(selected)));
    }
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
    const int index = int(m_buttons.indexOf(button));
    qCDebug(lcPages) << "model button index" << index;
    resetToPreset(index);
}

void ModelPage::resetToPreset(int listIndex)
{
    const ModelPreset *row = ModelPresets::byIndex(listIndex);
    if (!row || !row->hasAction())
        return;
    if (m_resetRunning) {
        // The dialogs are modal; a click can only come from code.
        qCWarning(lcPages) << "preset reset already running, button index" << listIndex << "ignored";
        return;
    }
    m_resetRunning = true;
    QPointer<ModelPage> self(this);

    // The whole file is checked before anything is written; the model id is
    // always written after the file, whatever its own first line says.
    QList<BatchWrite> writes;
    ParamCheckResult check;
    const QString presetPath = QString::fromLatin1(row->presetPath);
    ParameterStore *store = m_ctx->store();
    QSet<QString> known;
    if (store) {
        for (const Parameter &p : store->parameterList())
            known.insert(p.name);
    }
    check = ParamFileChecker::checkFile(presetPath, known.isEmpty() ? nullptr : &known);
    if (!check.readable) {
        qCWarning(lcPages).noquote() << "Error opening file:" << presetPath << check.fileError;
        auto *box = new QMessageBox(QMessageBox::Warning, tr("警告"), tr("找不到指定参数文件"),
                                    QMessageBox::Ok, m_ctx->window());
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
        emit boxShown(box);
    }
    QList<ParamFileEntry> wanted = check.writable;
    wanted.append(ParamFileEntry{QStringLiteral("fw_version"), float(row->modelId), 0});
    for (const ParamFileEntry &e : std::as_const(wanted))
        writes.append(BatchWrite{e.name, e.value});

    WritePreviewDialog preview(m_ctx->window());
    preview.setQuestion(QCoreApplication::translate(ModelPresets::translationContext, row->confirmationText));
    preview.setContent(ParamDiff::compare(store ? store->parameterList() : QList<Parameter>(), wanted),
                       check.problems);
    preview.setNote(WritePreviewDialog::allLinesNote(int(writes.size())));
    QPointer<WritePreviewDialog> shown(&preview);
    QMetaObject::invokeMethod(this, [this, shown]() {
        if (shown)
            emit previewShown(shown);
    }, Qt::QueuedConnection);
    const int answer = preview.exec();
    if (!self)
        return;
    if (answer != QDialog::Accepted) {
        m_resetRunning = false;
        return;
    }
    qCDebug(lcPages) << "resetting to preset" << row->presetPath << "model id" << row->modelId;

    BatchAccount account;
    {
        WriteBatch batch(m_ctx);
        connect(&batch, &WriteBatch::accountShown, this, &ModelPage::boxShown);
        batch.setKeepDialogOpen(true);
        account = batch.run(writes);
        if (!self)
            return;
        batch.closeDialog();
        if (account.linkLost) {
            // No reboot with the link gone: the account, and the offer to go on
            // once the flight controller is back.
            batch.offerToContinue(account);
            if (self)
                m_resetRunning = false;
            return;
        }
        if (!account.allConfirmed()) {
            batch.showAccount(account);
            if (!self)
                return;
        }
    }

    emit m_ctx->rebootRequested();
    m_ctx->simulate_progressBar(kRebootStepMs);
    if (!self)
        return;
    emit m_ctx->reconnectRequested();
    m_resetRunning = false;
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
