#include "pages/WriteBatch.h"

#include "link/ParamTransfer.h"
#include "pages/PageContext.h"
#include "pages/PagesLog.h"
#include "params/ParamFileParser.h"
#include "params/ParameterStore.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QProgressDialog>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

// Room for the queues between the worker and the window, and a late timer.
constexpr int kConfirmMarginMs = 1000;
// How often the wait for confirmations looks at what has arrived.
constexpr unsigned kConfirmPollMs = 20;

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

QString namesOf(const QList<BatchWrite> &writes, int limit)
{
    QStringList names;
    for (int i = 0; i < writes.size() && i < limit; ++i)
        names.append(writes[i].name);
    if (writes.size() > limit)
        names.append(QStringLiteral("…"));
    return names.join(QStringLiteral(", "));
}

QString linesOf(const QList<BatchWrite> &writes)
{
    QStringList lines;
    for (const BatchWrite &w : writes)
        lines.append(w.name + QStringLiteral(" = ") + QString::number(double(w.value)));
    return lines.join(QLatin1Char('\n'));
}

} // namespace

const int WriteBatch::kConfirmWindowMs =
    (ParamTransfer::kWriteResends + 1) * ParamTransfer::kWriteTimeoutMs + kConfirmMarginMs;

QString BatchAccount::summary(int namesPerList) const
{
    QStringList parts;
    if (linkLost)
        parts.append(WriteBatch::tr("与飞控的连接已断开，写入已停止。"));
    parts.append(WriteBatch::tr("已写入并确认：%1 个").arg(confirmed.size()));
    QString unknown = WriteBatch::tr("已发送但未确认：%1 个").arg(unconfirmed.size());
    if (!unconfirmed.isEmpty())
        unknown += QLatin1Char('\n') + WriteBatch::tr("（飞控可能已采用这些值，重新下载参数后可看到它们的值）")
                   + QLatin1Char('\n') + namesOf(unconfirmed, namesPerList);
    parts.append(unknown);
    QString unsent = WriteBatch::tr("未发送：%1 个").arg(notSent.size());
    if (!notSent.isEmpty())
        unsent += QLatin1Char('\n') + namesOf(notSent, namesPerList);
    parts.append(unsent);
    return parts.join(QLatin1Char('\n'));
}

QString BatchAccount::details() const
{
    QStringList parts;
    if (!unconfirmed.isEmpty())
        parts.append(WriteBatch::tr("已发送但未确认：") + QLatin1Char('\n') + linesOf(unconfirmed));
    if (!notSent.isEmpty())
        parts.append(WriteBatch::tr("未发送：") + QLatin1Char('\n') + linesOf(notSent));
    return parts.join(QStringLiteral("\n\n"));
}

WriteBatch::WriteBatch(PageContext *ctx, QObject *parent)
    : QObject(parent), m_ctx(ctx)
{
}

WriteBatch::~WriteBatch()
{
    stopTracking();
    closeDialog();
}

QProgressDialog *WriteBatch::progressDialog() const
{
    return m_dialog;
}

void WriteBatch::closeDialog()
{
    if (!m_dialog)
        return;
    m_dialog->close();
    delete m_dialog;
}

void WriteBatch::openDialog()
{
    closeDialog();
    m_dialog = new QProgressDialog(m_ctx->window());
    m_dialog->setWindowTitle(m_ctx->english ? QStringLiteral("params loading...") : QStringLiteral("参数加载中..."));
    m_dialog->setMinimumDuration(5);
    m_dialog->setRange(0, 100);
    m_dialog->setCancelButton(nullptr);
    m_dialog->setWindowFlags(m_dialog->windowFlags() & ~Qt::WindowCloseButtonHint);
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setValue(0);
    m_dialog->show();
}

void WriteBatch::startTracking()
{
    stopTracking();
    m_linkLost = false;
    m_connections.append(connect(m_ctx, &PageContext::parameterWriteFailed, this, &WriteBatch::onFailure));
    m_connections.append(connect(m_ctx, &PageContext::linkLost, this, [this] { m_linkLost = true; }));
    if (ParameterStore *store = m_ctx->store())
        m_connections.append(connect(store, &ParameterStore::parameterChanged, this, &WriteBatch::onValue));
}

void WriteBatch::stopTracking()
{
    for (const QMetaObject::Connection &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
}

void WriteBatch::onValue(const QString &name, double value)
{
    // The echo of a write lands in the store. Another value is no answer:
    // the worker reports it as a failed write right after.
    auto it = m_tracked.find(name);
    if (it != m_tracked.end() && it->state == State::Pending && keepsWritten(it->value, float(value)))
        it->state = State::Confirmed;
}

void WriteBatch::onFailure(const QString &name, float written)
{
    // A report about an older value of a name written again since does not count.
    auto it = m_tracked.find(name);
    if (it != m_tracked.end() && it->state == State::Pending && it->value == written)
        it->state = State::Failed;
}

bool WriteBatch::anyPending() const
{
    return std::any_of(m_tracked.cbegin(), m_tracked.cend(),
                       [](const Tracked &t) { return t.state == State::Pending; });
}

BatchAccount WriteBatch::run(const QList<BatchWrite> &writes)
{
    return execute(writes, true);
}

BatchAccount WriteBatch::send(const QList<BatchWrite> &writes)
{
    return execute(writes, false);
}

BatchAccount WriteBatch::execute(const QList<BatchWrite> &writes, bool wait)
{
    BatchAccount account;
    if (!m_ctx) {
        account.notSent = writes;
        return account;
    }
    QPointer<WriteBatch> self(this);
    emit m_ctx->writeBatchStarting();
    if (!self || !m_ctx) {
        if (self)
            account.notSent = writes;
        return account;
    }

    m_tracked.clear();
    QStringList order;
    for (const BatchWrite &w : writes) {
        if (!m_tracked.contains(w.name))
            order.append(w.name);
        m_tracked[w.name] = Tracked{w.value, State::NotSent};
    }
    startTracking();
    openDialog();

    // Confirmations that arrive meanwhile move controls without writing back;
    // the flag is given back as it was found.
    const QPointer<ParameterStore> store = m_ctx->store();
    const bool wasUpdating = store && store->paramUiUpdating;
    if (store)
        store->paramUiUpdating = true;

    const int total = m_progressTotal > 0 ? m_progressTotal : int(writes.size());
    int written = 0;
    for (const BatchWrite &w : writes) {
        if (m_linkLost)
            break;
        qCDebug(lcPages).noquote() << w.name + QStringLiteral(":") + QString::number(double(w.value));
        Tracked &t = m_tracked[w.name];
        t.value = w.value;
        t.state = State::Pending;
        m_ctx->writeParameter(w.name, w.value);
        ++written;
        m_ctx->sleep(kWriteIntervalMs);
        // The window (and with it the context and the dialog) can go while
        // events are processed; nothing more is written then.
        if (!self || !m_ctx || !m_dialog)
            break;
        const int percent = ParamFileParser::progressPercent(written, total);
        m_dialog->setValue(percent);
        emit progressChanged(percent);
        QCoreApplication::processEvents();
        if (!self || !m_ctx || !m_dialog)
            break;
    }
    if (!self)
        return account;

    if (wait && m_ctx && !m_linkLost && anyPending()) {
        if (m_dialog)
            m_dialog->setLabelText(tr("等待飞控确认"));
        const QDeadlineTimer deadline(kConfirmWindowMs);
        while (anyPending() && !m_linkLost && !deadline.hasExpired()) {
            m_ctx->sleep(kConfirmPollMs);
            if (!self)
                return account;
            if (!m_ctx)
                break;
        }
        // A refusal comes right behind the echo that shows it; take it along.
        QCoreApplication::processEvents();
        if (!self)
            return account;
    }
    stopTracking();
    if (store)
        store->paramUiUpdating = wasUpdating;

    account.linkLost = m_linkLost;
    for (const QString &name : std::as_const(order)) {
        const Tracked &t = m_tracked.value(name);
        const BatchWrite w{name, t.value};
        switch (t.state) {
        case State::Confirmed:
            account.confirmed.append(w);
            break;
        case State::NotSent:
            account.notSent.append(w);
            break;
        case State::Pending:
        case State::Failed:
            account.unconfirmed.append(w);
            break;
        }
    }
    qCDebug(lcPages) << "write batch:" << account.confirmed.size() << "confirmed," << account.unconfirmed.size()
                     << "sent but not confirmed," << account.notSent.size() << "not sent"
                     << (account.linkLost ? "(link lost)" : "");
    if (!account.unconfirmed.isEmpty() && wait)
        qCWarning(lcPages).noquote() << "writes not confirmed:" << namesOf(account.unconfirmed, 1000);

    if (!m_keepDialog)
        closeDialog();
    return account;
}

bool WriteBatch::showAccount(const BatchAccount &account, bool alsoWhenConfirmed, const QString &question)
{
    if (account.allConfirmed() && !alsoWhenConfirmed && question.isEmpty())
        return true;
    QWidget *parent = m_ctx ? m_ctx->window() : nullptr;
    const bool ok = account.allConfirmed();
    QMessageBox box(ok ? QMessageBox::Information : QMessageBox::Warning, ok ? tr("提示") : tr("警告"),
                    account.summary(), question.isEmpty() ? QMessageBox::Ok : (QMessageBox::Yes | QMessageBox::No),
                    parent);
    if (!question.isEmpty()) {
        box.setInformativeText(question);
        box.setDefaultButton(QMessageBox::Yes);
    }
    const QString details = account.details();
    if (!details.isEmpty())
        box.setDetailedText(details);
    QPointer<WriteBatch> self(this);
    QPointer<QMessageBox> shown(&box);
    QMetaObject::invokeMethod(this, [this, shown]() {
        if (shown)
            emit accountShown(shown);
    }, Qt::QueuedConnection);
    box.exec();
    if (!self)
        return false;
    return box.clickedButton() == box.button(QMessageBox::Yes) || (question.isEmpty());
}

bool WriteBatch::offerToContinue(const BatchAccount &account)
{
    const QList<BatchWrite> rest = account.remaining();
    if (rest.isEmpty())
        return showAccount(account), false;
    QPointer<WriteBatch> self(this);
    const bool yes = showAccount(account, false,
                                 tr("重新连接飞控后，继续写入剩余的 %1 个参数吗？").arg(rest.size()));
    if (!self || !m_ctx)
        return false;
    if (yes)
        emit m_ctx->continueAfterReconnect(account.unconfirmed, account.notSent);
    return yes;
}
