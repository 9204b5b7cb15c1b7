#pragma once

#include <QDialog>
#include <QList>
#include <QString>

#include "params/Parameter.h"
#include "params/SnapshotStore.h"

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The snapshots TAVRO took: while connected, those of the connected flight
// controller; offline, those of every board, grouped by board, for browsing
// and saving elsewhere. Each row: time, model, parameter count, complete or
// not, and (connected) how many parameters differ from the current table. The
// first snapshot of a board is marked as its original state. Unreadable
// snapshots are listed with the reason and can be neither restored nor saved;
// incomplete ones can be saved but not restored.
//
// "恢复..." closes the dialog with the chosen snapshot (chosenPath()); the
// caller previews and writes. "另存为..." copies the file where the user picks.
class SnapshotsDialog : public QDialog
{
    Q_OBJECT

public:
    // `boardId` empty: offline, every board. `table`: the current table to
    // count the differences against (connected only).
    SnapshotsDialog(const SnapshotStore &store, const QString &boardId, const QList<Parameter> &table,
                    QWidget *parent = nullptr);

    // The snapshot chosen for a restore, after exec() returned Accepted.
    QString chosenPath() const { return m_chosen; }

    QTreeWidget *tree() const { return m_tree; }
    QPushButton *restoreButton() const { return m_restore; }
    QPushButton *saveAsButton() const { return m_saveAs; }
    // Selects the row of that file; false when it is not listed.
    bool selectPath(const QString &path);

    // How many parameters of the snapshot differ from the table (by the one
    // rule of ParamDiff), names missing from either side counted too.
    static int differenceCount(const SnapshotData &snapshot, const QList<Parameter> &table);

signals:
    // The save-as file chooser is about to open (tests answer it).
    void saveAsRequested(const QString &sourcePath);

private:
    void addRow(QTreeWidgetItem *parent, const SnapshotInfo &info, bool connected);
    void updateButtons();
    void saveAs();

    QTreeWidget *m_tree;
    QLabel *m_note;
    QPushButton *m_restore;
    QPushButton *m_saveAs;
    QList<Parameter> m_table;
    bool m_connected;
    QString m_chosen;
};
