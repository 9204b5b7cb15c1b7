#pragma once

#include <QHash>
#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class PageContext;
class QMessageBox;
class QProgressDialog;
class QWidget;

// One write of a batch.
struct BatchWrite
{
    QString name;
    float value = 0.0f;
};

// How a batch ended, to the last parameter: every write of the batch is in
// exactly one of the three lists, in the batch's order.
struct BatchAccount
{
    QList<BatchWrite> confirmed;   // the flight controller echoed the value
    QList<BatchWrite> unconfirmed; // sent, no confirmation: it may have applied them (a new download shows)
    QList<BatchWrite> notSent;     // never sent (the link went, or the window)
    bool linkLost = false;         // the batch stopped because the link went

    int total() const { return int(confirmed.size() + unconfirmed.size() + notSent.size()); }
    bool allConfirmed() const { return unconfirmed.isEmpty() && notSent.isEmpty(); }
    // What is left to write: the unconfirmed ones, then the ones not sent.
    QList<BatchWrite> remaining() const { return unconfirmed + notSent; }

    // The batch box's text: the three counts, each with its names (at most
    // `namesPerList` each, then "…").
    QString summary(int namesPerList = 10) const;
    // Every name of the two failing lists, one "NAME = value" a line.
    QString details() const;
};

// The one write loop of the window: every flow that writes several
// parameters (a model preset, a file load, a snapshot restore, rows of the
// parameter table) runs its writes through here. It
//  - announces the batch (PageContext::writeBatchStarting: the window takes a
//    snapshot of the store as it is then),
//  - sends each write through PageContext::writeParameter (the confirmed-write
//    path), kWriteIntervalMs apart, under a modal progress dialog, with the
//    store's paramUiUpdating set,
//  - waits until each write is confirmed (its echo lands in the store) or has
//    failed (PageContext::parameterWriteFailed), at most kConfirmWindowMs
//    after the last one,
//  - stops at once when the link goes (PageContext::linkLost): what was sent
//    and not confirmed is unknown, the rest was not sent,
// and hands back one BatchAccount. Waits process events on a monotonic clock.
class WriteBatch : public QObject
{
    Q_OBJECT

public:
    static constexpr unsigned kWriteIntervalMs = 10;
    // Longest wait for the confirmations after the last write: the link
    // worker's whole retry window plus a margin for the queues.
    static const int kConfirmWindowMs;

    explicit WriteBatch(PageContext *ctx, QObject *parent = nullptr);
    ~WriteBatch() override;

    // The progress dialog counts against this total (e.g. every line of a
    // file, blank and comment lines too); 0, the default: the batch's size.
    void setProgressTotal(int total) { m_progressTotal = total; }
    // The dialog stays up after the batch until closeDialog(), so a caller
    // can go on waiting under it.
    void setKeepDialogOpen(bool keep) { m_keepDialog = keep; }
    QProgressDialog *progressDialog() const;
    void closeDialog();

    // Sends the writes and waits for their confirmations (see above).
    BatchAccount run(const QList<BatchWrite> &writes);
    // Sends the writes without waiting for confirmations; the account then
    // holds the sent ones as unconfirmed.
    BatchAccount send(const QList<BatchWrite> &writes);

    // The window (and with it the context) went while the batch waited.
    bool abandoned() const { return !m_ctx; }

    // Shows the account in a warning box (nothing when every write was
    // confirmed, unless `alsoWhenConfirmed`: then an information box). With
    // `question`, the box asks it below the account with Yes and No and the
    // answer is returned. Blocks; false when the window went meanwhile.
    bool showAccount(const BatchAccount &account, bool alsoWhenConfirmed = false,
                     const QString &question = QString());

    // After a batch the lost link stopped: the account with the question
    // whether to go on after reconnecting; on yes, asks the window for that
    // (PageContext::continueAfterReconnect). Returns the answer.
    bool offerToContinue(const BatchAccount &account);

signals:
    // The dialog's value after each write (0..100).
    void progressChanged(int percent);
    // The account box is up (emitted from inside its event loop, so a
    // receiver may answer it at once).
    void accountShown(QMessageBox *box);

private:
    enum class State { NotSent, Pending, Confirmed, Failed };
    struct Tracked
    {
        float value = 0.0f;
        State state = State::NotSent;
    };

    BatchAccount execute(const QList<BatchWrite> &writes, bool wait);
    void openDialog();
    void startTracking();
    void stopTracking();
    void onValue(const QString &name, double value);
    void onFailure(const QString &name, float written);
    bool anyPending() const;

    QPointer<PageContext> m_ctx;
    QPointer<QProgressDialog> m_dialog;
    int m_progressTotal = 0;
    bool m_keepDialog = false;
    bool m_linkLost = false;
    QHash<QString, Tracked> m_tracked;
    QList<QMetaObject::Connection> m_connections;
};
