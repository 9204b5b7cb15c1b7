#include "dialogs/SnapshotsDialog.h"

#include "dialogs/DialogsLog.h"
#include "params/ParamDiff.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Column { TimeColumn, ModelColumn, CountColumn, StateColumn, DiffColumn, ColumnCount };
constexpr int kPathRole = Qt::UserRole;
constexpr int kRestorableRole = Qt::UserRole + 1;
constexpr int kReadableRole = Qt::UserRole + 2;

} // namespace

SnapshotsDialog::SnapshotsDialog(const SnapshotStore &store, const QString &boardId, const QList<Parameter> &table,
                                 QWidget *parent)
    : QDialog(parent), m_table(table), m_connected(!boardId.isEmpty())
{
    setObjectName(QStringLiteral("SnapshotsDialog"));
    setWindowTitle(tr("参数快照"));
    setModal(true);
    resize(680, 420);

    auto *layout = new QVBoxLayout(this);
    m_note = new QLabel(this);
    m_note->setWordWrap(true);
    m_note->setText(m_connected ? tr("当前飞控的参数快照（%1）。选择一个快照，可预览并恢复。").arg(boardId)
                                : tr("未连接飞控：按飞控列出所有快照，可浏览和另存。"));
    layout->addWidget(m_note);

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("snapshotTree"));
    m_tree->setColumnCount(ColumnCount);
    m_tree->setHeaderLabels({tr("时间"), tr("机型"), tr("参数个数"), tr("状态"), tr("与当前不同")});
    m_tree->setRootIsDecorated(!m_connected);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_tree->header()->setStretchLastSection(true);
    layout->addWidget(m_tree, 1);

    if (m_connected) {
        const QList<SnapshotInfo> list = store.list(boardId);
        for (auto it = list.crbegin(); it != list.crend(); ++it)
            addRow(nullptr, *it, true);
    } else {
        for (const QString &board : store.boards()) {
            const QList<SnapshotInfo> list = store.list(board);
            if (list.isEmpty())
                continue;
            auto *group = new QTreeWidgetItem(m_tree, {board});
            group->setFlags(Qt::ItemIsEnabled);
            for (auto it = list.crbegin(); it != list.crend(); ++it)
                addRow(group, *it, false);
            group->setExpanded(true);
        }
        m_tree->setColumnHidden(DiffColumn, true);
    }
    if (m_tree->topLevelItemCount() == 0)
        m_note->setText(m_note->text() + QLatin1Char('\n') + tr("还没有快照。"));

    auto *buttons = new QDialogButtonBox(this);
    m_restore = buttons->addButton(tr("恢复..."), QDialogButtonBox::ActionRole);
    m_restore->setObjectName(QStringLiteral("snapshotRestore"));
    m_restore->setVisible(m_connected);
    m_saveAs = buttons->addButton(tr("另存为..."), QDialogButtonBox::ActionRole);
    m_saveAs->setObjectName(QStringLiteral("snapshotSaveAs"));
    QPushButton *close = buttons->addButton(tr("关闭窗口"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("snapshotClose"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_restore, &QPushButton::clicked, this, [this] {
        QTreeWidgetItem *item = m_tree->currentItem();
        if (!item || !item->data(0, kRestorableRole).toBool())
            return;
        m_chosen = item->data(0, kPathRole).toString();
        accept();
    });
    connect(m_saveAs, &QPushButton::clicked, this, &SnapshotsDialog::saveAs);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &SnapshotsDialog::updateButtons);
    layout->addWidget(buttons);
    updateButtons();
}

int SnapshotsDialog::differenceCount(const SnapshotData &snapshot, const QList<Parameter> &table)
{
    const ParamDiffResult diff = ParamDiff::compare(table, snapshot.entries());
    QSet<QString> inSnapshot;
    for (const Parameter &p : snapshot.parameters)
        inSnapshot.insert(p.name);
    int onlyInTable = 0;
    for (const Parameter &p : table)
        onlyInTable += inSnapshot.contains(p.name) ? 0 : 1;
    return int(diff.changed.size() + diff.unknown.size()) + onlyInTable;
}

void SnapshotsDialog::addRow(QTreeWidgetItem *parent, const SnapshotInfo &info, bool connected)
{
    auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
    item->setData(0, kPathRole, info.path);
    item->setData(0, kRestorableRole, info.restorable());
    item->setData(0, kReadableRole, info.readable);
    QString time = info.time.isValid() ? info.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                       : QFileInfo(info.path).completeBaseName();
    if (info.first)
        time += tr("（原始状态）");
    item->setText(TimeColumn, time);
    item->setToolTip(TimeColumn, info.path);
    if (!info.readable) {
        item->setText(StateColumn, tr("无法读取"));
        item->setToolTip(StateColumn, info.problem);
        item->setForeground(TimeColumn, Qt::gray);
        item->setForeground(StateColumn, Qt::red);
        return;
    }
    item->setText(ModelColumn, info.modelName);
    item->setText(CountColumn, QString::number(info.count));
    item->setText(StateColumn, info.complete ? tr("完整") : tr("不完整（不能恢复）"));
    if (connected)
        item->setText(DiffColumn, QString::number(differenceCount(SnapshotStore::read(info.path), m_table)));
}

bool SnapshotsDialog::selectPath(const QString &path)
{
    QTreeWidgetItemIterator it(m_tree);
    for (; *it; ++it) {
        if ((*it)->data(0, kPathRole).toString() == path) {
            m_tree->setCurrentItem(*it);
            return true;
        }
    }
    return false;
}

void SnapshotsDialog::updateButtons()
{
    QTreeWidgetItem *item = m_tree->currentItem();
    m_restore->setEnabled(item && item->data(0, kRestorableRole).toBool());
    m_saveAs->setEnabled(item && item->data(0, kReadableRole).toBool());
}

void SnapshotsDialog::saveAs()
{
    QTreeWidgetItem *item = m_tree->currentItem();
    if (!item || !item->data(0, kReadableRole).toBool())
        return;
    const QString source = item->data(0, kPathRole).toString();
    emit saveAsRequested(source);
    const QString target = QFileDialog::getSaveFileName(this, tr("另存为"), QFileInfo(source).fileName(),
                                                        tr("参数文件 (*.param)"));
    if (target.isEmpty())
        return;
    if (QFile::exists(target))
        QFile::remove(target);
    if (!QFile::copy(source, target)) {
        qCWarning(lcDialogs).noquote() << "cannot copy" << source << "to" << target;
        QMessageBox::warning(this, tr("警告"), tr("无法保存到 %1").arg(target));
    }
}
