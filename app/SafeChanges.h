#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include "pages/PageContext.h"
#include "pages/WriteBatch.h"
#include "params/ParamFileParser.h"
#include "params/SnapshotStore.h"

class QMessageBox;
class SnapshotsDialog;
class WritePreviewDialog;

// The window's safe-change flows, kept out of the main window:
//  - a snapshot of the flight controller's table after every completed
//    download and before every write batch (the store as it is then), in the
//    connected board's folder; a folder that cannot be written gives one line
//    in the warning strip and the log, and nothing else stops;
//  - "Save parameters..." (the table to a file, snapshot format), "Load
//    parameters..." (check, preview, write every valid line in file order);
//  - the snapshots list, and a restore (preview, write only the differences,
//    then the offer to reboot and reconnect, default yes when the model id
//    changed);
//  - a batch the lost link stopped goes on after the reconnect's download,
//    once the download has settled what the unconfirmed writes did.
// Every write goes through WriteBatch; every box and dialog is announced by
// a signal from inside its event loop, so tests can answer it.
class SafeChanges : public QObject
{
    Q_OBJECT

public:
    // `snapshotRoot` empty: TAVRO_SNAPSHOT_DIR, else the per-user data folder.
    SafeChanges(PageContext *ctx, const QString &snapshotRoot, QObject *parent = nullptr);

    const SnapshotStore &snapshots() const { return m_store; }
    // The connected board's id (its folder), empty while none is connected.
    QString boardId() const { return m_connected ? m_boardId : QString(); }
    bool connected() const { return m_connected; }
    // The last snapshot written or found identical.
    QString lastSnapshotPath() const { return m_lastSnapshot; }
    bool continuationPending() const { return m_continuation; }

    // Snapshots the store now (complete when the last download was).
    // False when it could not be written.
    bool takeSnapshot();

public slots:
    // From the window.
    void portOpened(const QString &port, const QString &serialNumber);
    void downloadMissing(const QList<int> &missingIndices);
    void downloadFinished();
    void linkLost();

    // The buttons under the connection panel.
    void saveParameters();
    void loadParameters();
    void showSnapshots();

    // The same flows with the file given (tests, the snapshots dialog).
    bool saveParametersTo(const QString &path);
    void loadParametersFrom(const QString &path);
    void restoreSnapshot(const QString &path);
    // Rows chosen in the all-parameters table, with the values they are to
    // get (from the file, snapshot or preset compared with): the same
    // preview and batch as a restore, without the reboot offer.
    void writeRows(const QList<ParamFileEntry> &rows, const QString &sourceLabel);

signals:
    void warning(const QString &line);             // one line for the warning strip
    void snapshotTaken(const QString &path, bool written);
    void previewShown(WritePreviewDialog *preview);
    void boxShown(QMessageBox *box);
    void snapshotsDialogShown(SnapshotsDialog *dialog);
    // A batch of this class has ended (load, restore, continuation).
    void batchFinished(const BatchAccount &account);

private:
    bool preview(WritePreviewDialog &dialog);
    bool ask(QMessageBox &box);
    void information(const QString &title, const QString &text, bool warning);
    BatchAccount runBatch(const QList<BatchWrite> &writes, bool *abandoned);
    // The tail of every write from a preview (file, restore, rows): shows the
    // preview; when it is accepted and there is something to write, runs the
    // writes as one batch. Clears m_busy unless this object or the batch went
    // away meanwhile. True when the batch ran to its account (in `account`).
    bool previewThenWrite(WritePreviewDialog &dialog, const QList<BatchWrite> &writes,
                          BatchAccount *account = nullptr);
    void continueInterruptedBatch();

    QPointer<PageContext> m_ctx;
    SnapshotStore m_store;
    QString m_port;
    QString m_serial;
    QString m_boardId;
    bool m_connected = false;
    bool m_downloadComplete = true;
    bool m_warnedUnwritable = false;
    bool m_busy = false;
    QString m_lastSnapshot;

    bool m_continuation = false;
    QString m_continuationBoard;
    QList<BatchWrite> m_unconfirmed;
    QList<BatchWrite> m_notSent;
};
