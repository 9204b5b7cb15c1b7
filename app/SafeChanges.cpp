#include "app/SafeChanges.h"

#include "app/AppLog.h"
#include "dialogs/SnapshotsDialog.h"
#include "dialogs/WritePreviewDialog.h"
#include "pages/PageContext.h"
#include "params/ModelPresets.h"
#include "params/ParamDiff.h"
#include "params/ParamFileChecker.h"
#include "params/ParameterStore.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QSet>
#include <QTimer>

namespace {

// Reboot wait after a restore: 100 steps of this many milliseconds (as a preset).
constexpr int kRebootStepMs = 30;

QSet<QString> namesOf(const QList<Parameter> &table)
{
    QSet<QString> names;
    names.reserve(table.size());
    for (const Parameter &p : table)
        names.insert(p.name);
    return names;
}

// Emits `shown` with the dialog once the dialog's own event loop runs (where
// a test answers it); not when the dialog went away first.
template <typename Dialog>
void announceWhenShown(SafeChanges *self, Dialog *dialog, void (SafeChanges::*shown)(Dialog *))
{
    QPointer<Dialog> d(dialog);
    QMetaObject::invokeMethod(self, [self, d, shown] {
        if (d)
            emit (self->*shown)(d);
    }, Qt::QueuedConnection);
}

} // namespace

SafeChanges::SafeChanges(PageContext *ctx, const QString &snapshotRoot, QObject *parent)
    : QObject(parent), m_ctx(ctx), m_store(snapshotRoot)
{
    connect(ctx, &PageContext::writeBatchStarting, this, [this] { takeSnapshot(); });
    connect(ctx, &PageContext::linkLost, this, &SafeChanges::linkLost);
    connect(ctx, &PageContext::continueAfterReconnect, this,
            [this](const QList<BatchWrite> &unconfirmed, const QList<BatchWrite> &notSent) {
                m_continuation = true;
                m_continuationBoard = m_boardId;
                m_unconfirmed = unconfirmed;
                m_notSent = notSent;
                qCDebug(lcApp) << "interrupted batch kept:" << unconfirmed.size() << "unconfirmed," << notSent.size()
                               << "not sent; reconnecting";
                if (m_ctx)
                    emit m_ctx->reconnectRequested();
            });
    qCDebug(lcApp).noquote() << "snapshots in" << m_store.root();
}

void SafeChanges::portOpened(const QString &port, const QString &serialNumber)
{
    m_port = port;
    m_serial = serialNumber;
    m_boardId = SnapshotStore::boardId(serialNumber, port);
    m_connected = true;
    m_downloadComplete = true;
    m_warnedUnwritable = false;
    qCDebug(lcApp).noquote() << "board" << m_boardId << "on" << port;
}

void SafeChanges::downloadMissing(const QList<int> &missingIndices)
{
    if (!missingIndices.isEmpty())
        m_downloadComplete = false;
}

void SafeChanges::linkLost()
{
    m_connected = false;
}

bool SafeChanges::takeSnapshot()
{
    if (!m_ctx || !m_ctx->store() || m_boardId.isEmpty())
        return false;
    const QList<Parameter> &table = m_ctx->store()->parameterList();
    if (table.isEmpty())
        return false;
    const SnapshotSaveResult r = m_store.save(m_boardId, {m_port, m_serial, m_downloadComplete}, table);
    if (r.status == SnapshotSaveResult::Failed) {
        qCWarning(lcApp).noquote() << "snapshot not saved:" << r.error;
        if (!m_warnedUnwritable) {
            m_warnedUnwritable = true;
            emit warning(tr("参数快照无法保存：文件夹不可写"));
        }
        return false;
    }
    m_lastSnapshot = r.path;
    emit snapshotTaken(r.path, r.status == SnapshotSaveResult::Written);
    return true;
}

void SafeChanges::downloadFinished()
{
    takeSnapshot();
    if (m_continuation)
        QTimer::singleShot(0, this, &SafeChanges::continueInterruptedBatch);
}

bool SafeChanges::preview(WritePreviewDialog &dialog)
{
    announceWhenShown(this, &dialog, &SafeChanges::previewShown);
    return dialog.exec() == QDialog::Accepted;
}

bool SafeChanges::ask(QMessageBox &box)
{
    announceWhenShown(this, &box, &SafeChanges::boxShown);
    box.exec();
    return box.clickedButton() == box.button(QMessageBox::Yes);
}

void SafeChanges::information(const QString &title, const QString &text, bool isWarning)
{
    QMessageBox box(isWarning ? QMessageBox::Warning : QMessageBox::Information, title, text, QMessageBox::Ok,
                    m_ctx ? m_ctx->window() : nullptr);
    ask(box);
}

BatchAccount SafeChanges::runBatch(const QList<BatchWrite> &writes, bool *abandoned)
{
    QPointer<SafeChanges> self(this);
    WriteBatch batch(m_ctx);
    connect(&batch, &WriteBatch::accountShown, this, &SafeChanges::boxShown);
    const BatchAccount account = batch.run(writes);
    *abandoned = !self || batch.abandoned();
    if (*abandoned)
        return account;
    emit batchFinished(account);
    if (account.linkLost)
        batch.offerToContinue(account);
    else
        batch.showAccount(account, true);
    *abandoned = !self || batch.abandoned();
    return account;
}

bool SafeChanges::previewThenWrite(WritePreviewDialog &dialog, const QList<BatchWrite> &writes, BatchAccount *account)
{
    QPointer<SafeChanges> self(this);
    const bool yes = preview(dialog);
    if (!self)
        return false;
    if (!yes || writes.isEmpty()) {
        m_busy = false;
        return false;
    }
    bool abandoned = false;
    const BatchAccount done = runBatch(writes, &abandoned);
    if (abandoned)
        return false;
    m_busy = false;
    if (account)
        *account = done;
    return true;
}

// ---- save and load -------------------------------------------------------------------

void SafeChanges::saveParameters()
{
    if (!m_ctx || !m_connected)
        return;
    const QString suggested = QDir::home().filePath(
        QStringLiteral("tavro-%1-%2.param")
            .arg(m_boardId, QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))));
    const QString path = QFileDialog::getSaveFileName(m_ctx->window(), tr("保存参数"), suggested,
                                                      tr("参数文件 (*.param)"));
    if (!path.isEmpty())
        saveParametersTo(path);
}

bool SafeChanges::saveParametersTo(const QString &path)
{
    if (!m_ctx || !m_ctx->store())
        return false;
    QString error;
    if (!SnapshotStore::writeFile(path, {m_port, m_serial, m_downloadComplete}, m_ctx->store()->parameterList(),
                                  QDateTime::currentDateTime(), &error)) {
        qCWarning(lcApp).noquote() << "save parameters:" << error;
        information(tr("警告"), tr("参数无法保存到 %1").arg(path), true);
        return false;
    }
    qCDebug(lcApp).noquote() << "parameters saved to" << path;
    return true;
}

void SafeChanges::loadParameters()
{
    if (!m_ctx || !m_connected)
        return;
    const QString path = QFileDialog::getOpenFileName(m_ctx->window(), tr("加载参数"), QDir::homePath(),
                                                      tr("参数文件 (*.param);;所有文件 (*)"));
    if (!path.isEmpty())
        loadParametersFrom(path);
}

void SafeChanges::loadParametersFrom(const QString &path)
{
    if (!m_ctx || !m_ctx->store() || m_busy)
        return;
    m_busy = true;
    QPointer<SafeChanges> self(this);
    const QList<Parameter> table = m_ctx->store()->parameterList();
    const QSet<QString> known = namesOf(table);
    const ParamCheckResult check = ParamFileChecker::checkFile(path, known.isEmpty() ? nullptr : &known);
    if (!check.readable) {
        qCWarning(lcApp).noquote() << "load parameters:" << path << check.fileError;
        const QString text = check.wrongEncoding
                                 ? tr("文件的编码是 %1，不是 UTF-8。请把文件另存为 UTF-8 后再加载。").arg(check.encodingName)
                                 : tr("无法读取参数文件 %1").arg(path);
        information(tr("警告"), text, true);
        if (self)
            m_busy = false;
        return;
    }

    WritePreviewDialog dialog(m_ctx->window());
    dialog.setQuestion(tr("把文件 %1 中的参数写入飞控？").arg(QDir::toNativeSeparators(path)));
    dialog.setAcceptText(tr("写入"));
    dialog.setContent(ParamDiff::compare(table, check.writable), check.problems);
    dialog.setNote(WritePreviewDialog::allLinesNote(int(check.writable.size())));
    // Every valid line in file order, unchanged values included: the flight
    // controller's own state may differ from the table's.
    QList<BatchWrite> writes;
    for (const ParamFileEntry &e : check.writable)
        writes.append(BatchWrite{e.name, e.value});
    previewThenWrite(dialog, writes);
}

// ---- snapshots and restore -----------------------------------------------------------

void SafeChanges::showSnapshots()
{
    if (!m_ctx)
        return;
    QPointer<SafeChanges> self(this);
    const QList<Parameter> table = m_ctx->store() ? m_ctx->store()->parameterList() : QList<Parameter>();
    SnapshotsDialog dialog(m_store, boardId(), table, m_ctx->window());
    announceWhenShown(this, &dialog, &SafeChanges::snapshotsDialogShown);
    const int result = dialog.exec();
    if (!self || result != QDialog::Accepted || dialog.chosenPath().isEmpty())
        return;
    restoreSnapshot(dialog.chosenPath());
}

void SafeChanges::restoreSnapshot(const QString &path)
{
    if (!m_ctx || !m_ctx->store() || m_busy)
        return;
    QPointer<SafeChanges> self(this);
    const SnapshotData snapshot = SnapshotStore::read(path);
    if (!snapshot.info.restorable()) {
        qCWarning(lcApp).noquote() << "snapshot not restorable:" << path
                                   << (snapshot.info.readable ? QStringLiteral("incomplete") : snapshot.info.problem);
        information(tr("警告"),
                    snapshot.info.readable ? tr("这个快照来自不完整的参数下载，不能用来整体恢复。")
                                           : tr("这个快照已损坏，无法读取，不能用来恢复。"),
                    true);
        return;
    }
    if (!m_connected) {
        information(tr("警告"), tr("请先连接飞控。"), true);
        return;
    }
    m_busy = true;
    const QList<Parameter> table = m_ctx->store()->parameterList();
    const ParamDiffResult diff = ParamDiff::compare(table, snapshot.entries());
    WritePreviewDialog dialog(m_ctx->window());
    const QString when = snapshot.info.time.isValid()
                             ? snapshot.info.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                             : QDir::toNativeSeparators(path);
    dialog.setQuestion(tr("把飞控的参数恢复到 %1 的快照？只写入不同的参数。").arg(when));
    dialog.setAcceptText(tr("恢复"));
    dialog.setContent(diff, {});
    QList<BatchWrite> writes;
    bool modelChanges = false;
    for (const ParamChange &c : diff.changed) {
        writes.append(BatchWrite{c.name, float(c.wanted)});
        if (c.name == QLatin1String("fw_version")
            && ModelPresets::modelIdFromValue(c.wanted) != ModelPresets::modelIdFromValue(c.current))
            modelChanges = true;
    }
    BatchAccount account;
    if (!previewThenWrite(dialog, writes, &account) || account.linkLost || !m_ctx)
        return;

    // As after a preset: the new values take effect after a reboot.
    QMessageBox box(QMessageBox::Question, tr("提示"), tr("重启飞控并重新连接吗？"), QMessageBox::Yes | QMessageBox::No,
                    m_ctx->window());
    if (modelChanges)
        box.setInformativeText(tr("机型已改变，需要重启飞控才能生效。"));
    box.setDefaultButton(modelChanges ? QMessageBox::Yes : QMessageBox::No);
    const bool reboot = ask(box);
    if (!self || !m_ctx || !reboot)
        return;
    emit m_ctx->rebootRequested();
    m_ctx->simulate_progressBar(kRebootStepMs);
    if (!self || !m_ctx)
        return;
    emit m_ctx->reconnectRequested();
}

void SafeChanges::writeRows(const QList<ParamFileEntry> &rows, const QString &sourceLabel)
{
    if (!m_ctx || !m_ctx->store() || m_busy || rows.isEmpty())
        return;
    if (!m_connected) {
        information(tr("警告"), tr("请先连接飞控。"), true);
        return;
    }
    m_busy = true;
    const ParamDiffResult diff = ParamDiff::compare(m_ctx->store()->parameterList(), rows);
    WritePreviewDialog dialog(m_ctx->window());
    dialog.setQuestion(tr("把所选的参数写成 %1 中的值？只写入不同的参数。").arg(sourceLabel));
    dialog.setAcceptText(tr("写入"));
    dialog.setContent(diff, {});
    QList<BatchWrite> writes;
    for (const ParamChange &c : diff.changed)
        writes.append(BatchWrite{c.name, float(c.wanted)});
    previewThenWrite(dialog, writes);
}

void SafeChanges::continueInterruptedBatch()
{
    if (!m_continuation || !m_ctx || !m_ctx->store() || m_busy)
        return;
    if (m_continuationBoard != m_boardId) {
        qCDebug(lcApp) << "another board connected: the interrupted batch is dropped";
        m_continuation = false;
        return;
    }
    m_continuation = false;
    QPointer<SafeChanges> self(this);
    // The download settles what the unconfirmed writes did.
    QList<BatchWrite> rest;
    int settled = 0;
    for (const BatchWrite &w : std::as_const(m_unconfirmed)) {
        const double now = m_ctx->store()->findParameterValue(w.name);
        if (m_ctx->store()->contains(w.name) && ParamDiff::sameValue(now, double(w.value)))
            ++settled;
        else
            rest.append(w);
    }
    rest += m_notSent;
    m_unconfirmed.clear();
    m_notSent.clear();
    if (rest.isEmpty()) {
        information(tr("提示"), tr("新下载的参数显示：中断时未确认的 %1 个参数已经写入。").arg(settled), false);
        return;
    }
    QMessageBox box(QMessageBox::Question, tr("提示"),
                    tr("新下载的参数显示：中断时未确认的参数中有 %1 个已经写入。\n继续写入剩余的 %2 个参数吗？")
                        .arg(settled)
                        .arg(rest.size()),
                    QMessageBox::Yes | QMessageBox::No, m_ctx->window());
    box.setDefaultButton(QMessageBox::Yes);
    if (!ask(box) || !self)
        return;
    m_busy = true;
    bool abandoned = false;
    runBatch(rest, &abandoned);
    if (!abandoned)
        m_busy = false;
}
