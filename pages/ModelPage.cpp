#include "pages/ModelPage.h"

#include "ui_ModelPage.h"

#include "link/ParamTransfer.h"
#include "pages/PageContext.h"
#include "pages/PagesLog.h"
#include "pages/ParamFileLoader.h"
#include "params/ModelPresets.h"
#include "params/ParameterStore.h"
#include "widgets/WidgetFonts.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QGridLayout>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace {

// Room for the queues between the worker and the window, and a late timer.
constexpr int kConfirmMarginMs = 1000;
// How often the wait for confirmations looks at what has arrived.
constexpr unsigned kConfirmPollMs = 20;
// Reboot wait: 100 steps of this many milliseconds.
constexpr int kRebootStepMs = 30;
// Failed writes named in the box itself; the full list is in its details.
constexpr int kFailuresInText = 10;

// The flight controller keeps what was written: the same float, or the
// rounded value for a parameter of integer type (the worker's rule too).
bool keepsWritten(float written, float echoed)
{
    if (std::isnan(echoed))
        return false;
    if (echoed == written || std::fabs(double(echoed) - double(written)) <= 1e-5 * std::fabs(double(written)))
        return true;
    return echoed == static_cast<float>(std::round(written));
}

// Room the grid may take inside the page, and the pictures' aspect (340 x 240).
constexpr int kGridWidth = 760;
constexpr int kMaxButtonWidth = 240;
constexpr int kPictureWidth = 340;
constexpr int kPictureHeight = 240;

} // namespace

const int ModelPage::kConfirmWindowMs =
    (ParamTransfer::kWriteResends + 1) * ParamTransfer::kWriteTimeoutMs + kConfirmMarginMs;

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

ModelPage::~ModelPage()
{
    stopTracking();
}

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

bool ModelPage::ask(QMessageBox &box)
{
    // Announced from inside the box's own event loop, once it is up.
    QPointer<QMessageBox> shown(&box);
    QMetaObject::invokeMethod(this, [this, shown]() {
        if (shown)
            emit boxShown(shown);
    }, Qt::QueuedConnection);
    box.exec();
    return box.clickedButton() == box.button(QMessageBox::Yes);
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

    QMessageBox question(QMessageBox::Question, tr("提示"),
                         QCoreApplication::translate(ModelPresets::translationContext, row->confirmationText),
                         QMessageBox::Yes | QMessageBox::No, m_ctx->window());
    m_resetRunning = true;
    QPointer<ModelPage> self(this);
    const bool yes = ask(question);
    if (!self)
        return;
    if (!yes) {
        m_resetRunning = false;
        return;
    }
    qCDebug(lcPages) << "resetting to preset" << row->presetPath << "model id" << row->modelId;

    startTracking();
    QStringList failures;
    {
        ParamFileLoader loader(m_ctx);
        loader.setKeepDialogOpen(true);
        connect(&loader, &ParamFileLoader::warningShown, this, &ModelPage::boxShown);
        loader.readParametersFromFile(QString::fromLatin1(row->presetPath));
        if (!self)
            return;
        // The id is always written after the file, whatever the file's own
        // first line says or whether it could be read.
        m_ctx->writeParameter(QStringLiteral("fw_version"), float(row->modelId));
        if (!waitForConfirmations(loader.progressDialog()))
            return;
        failures = failedWrites();
    }
    stopTracking();

    if (!failures.isEmpty()) {
        showFailures(failures);
        if (!self)
            return;
    }

    emit m_ctx->rebootRequested();
    m_ctx->simulate_progressBar(kRebootStepMs);
    if (!self)
        return;
    emit m_ctx->reconnectRequested();
    m_resetRunning = false;
}

void ModelPage::startTracking()
{
    stopTracking();
    m_writeOrder.clear();
    m_writes.clear();
    m_tracking.append(connect(m_ctx, &PageContext::writeParameterRequested, this, &ModelPage::trackWrite));
    m_tracking.append(connect(m_ctx, &PageContext::parameterWriteFailed, this, &ModelPage::trackFailure));
    if (ParameterStore *store = m_ctx->store())
        m_tracking.append(connect(store, &ParameterStore::parameterChanged, this, &ModelPage::trackValue));
}

void ModelPage::stopTracking()
{
    for (const QMetaObject::Connection &c : std::as_const(m_tracking))
        disconnect(c);
    m_tracking.clear();
}

void ModelPage::trackWrite(const QString &name, float value)
{
    if (!m_writes.contains(name))
        m_writeOrder.append(name);
    m_writes[name] = TrackedWrite{value, TrackedWrite::Pending};
}

void ModelPage::trackValue(const QString &name, double value)
{
    // The echo of a write lands in the store. Another value is not taken as
    // an answer: the worker reports it as a failed write right after.
    auto it = m_writes.find(name);
    if (it != m_writes.end() && it->state == TrackedWrite::Pending && keepsWritten(it->value, float(value)))
        it->state = TrackedWrite::Confirmed;
}

void ModelPage::trackFailure(const QString &name, float written)
{
    // A report about an older write of a name that has been written again
    // since is not about the value that counts.
    auto it = m_writes.find(name);
    if (it != m_writes.end() && it->value == written)
        it->state = TrackedWrite::Failed;
}

bool ModelPage::waitForConfirmations(QProgressDialog *dialog)
{
    QPointer<ModelPage> self(this);
    QPointer<QProgressDialog> shown(dialog);
    if (shown)
        shown->setLabelText(tr("等待飞控确认"));
    const QDeadlineTimer deadline(kConfirmWindowMs);
    auto pending = [this]() {
        return std::any_of(m_writes.cbegin(), m_writes.cend(),
                           [](const TrackedWrite &w) { return w.state == TrackedWrite::Pending; });
    };
    while (pending() && !deadline.hasExpired()) {
        m_ctx->sleep(kConfirmPollMs);
        if (!self)
            return false;
    }
    // A refusal comes right behind the echo that shows it; take it along.
    QCoreApplication::processEvents();
    if (!self)
        return false;

    int confirmed = 0;
    QStringList unanswered;
    for (const QString &name : std::as_const(m_writeOrder)) {
        TrackedWrite &w = m_writes[name];
        if (w.state == TrackedWrite::Pending) {
            unanswered.append(name);
            w.state = TrackedWrite::Failed;
        } else if (w.state == TrackedWrite::Confirmed) {
            ++confirmed;
        }
    }
    if (!unanswered.isEmpty())
        qCWarning(lcPages) << "no answer within" << kConfirmWindowMs << "ms for" << unanswered;
    qCDebug(lcPages) << "preset writes confirmed:" << confirmed << "of" << m_writes.size();
    return true;
}

QStringList ModelPage::failedWrites() const
{
    QStringList lines;
    for (const QString &name : m_writeOrder) {
        const TrackedWrite &w = m_writes.value(name);
        if (w.state == TrackedWrite::Failed)
            lines.append(name + QStringLiteral(" = ") + QString::number(double(w.value)));
    }
    return lines;
}

void ModelPage::showFailures(const QStringList &failures)
{
    qCWarning(lcPages) << "preset writes not confirmed:" << failures;
    QStringList shownLines = failures.mid(0, kFailuresInText);
    if (failures.size() > kFailuresInText)
        shownLines.append(QStringLiteral("…"));
    const QString text = tr("未能写入飞控的参数：%1个").arg(failures.size()) + QLatin1Char('\n')
                         + shownLines.join(QLatin1Char('\n'));
    QMessageBox box(QMessageBox::Warning, tr("警告"), text, QMessageBox::Ok, m_ctx->window());
    if (failures.size() > kFailuresInText)
        box.setDetailedText(failures.join(QLatin1Char('\n')));
    ask(box);
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
