#pragma once
// CliTool: the commands of tavro-cli, a headless tool on the link worker.
//
//   tavro-cli ports
//   tavro-cli [--port PATH] params [--out FILE]
//   tavro-cli [--port PATH] set NAME VALUE
//   tavro-cli [--port PATH] [--snapshot-dir DIR] load [--skip-invalid] FILE
//   tavro-cli [--port PATH] [--snapshot-dir DIR] restore [--skip-invalid] SNAPSHOT_FILE
//   tavro-cli [--port PATH] diff FILE
//   tavro-cli [--snapshot-dir DIR] snapshots
//   tavro-cli [--port PATH] watch
//   tavro-cli sim [--demo] [--encode | --plain] [--drop P] [--duplicate P] [--corrupt P]
//                 [--baud B] [--params FILE] [--sweep] [--compasses N] [--seed N]
//
// sim sends plain names and values by default (the simulator's default);
// --encode sends the encoded form the real flight controller uses; --demo
// starts from SimulatedFlightController::Options::demo() (encoded, stick
// sweep, two compasses), the set-up meant for tavro-demo; later options
// change it.
//
// The worker runs on its own thread; the session reports page 0 to it, so
// a silent link is detected as in the window. Without --port the first port
// the worker offers is used.
//
// Files are checked whole (ParamFileChecker) before the first write; every
// batch of writes (set, load, restore) ends with its account on stderr
// (CliWriteBatch). Exit status: 0 success (for writes: applied exactly as
// written); 1 failure with a one-line reason on stderr (a write not
// confirmed, lines skipped by --skip-invalid, the link); 2 input refused,
// nothing written (diff: 0 equal, 1 different, 2 error); 130 interrupted.

#include "params/ParamFileParser.h"
#include "params/Parameter.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

class LinkSession;
struct ParamCheckResult;

class CliTool : public QObject
{
    Q_OBJECT

public:
    static constexpr int kExitOk = 0;
    static constexpr int kExitFailed = 1;
    static constexpr int kExitRefused = 2;
    static constexpr int kExitInterrupted = 130;
    static constexpr int kMaxProblemsShown = 20;

    explicit CliTool(QObject *parent = nullptr);

    // Runs one command (arguments without the program name); returns the exit status.
    int run(const QStringList &arguments);

    static QString usage();
    // A float as the shortest text that reads back as the same float.
    static QString formatValue(float value);
    // An echo of `written` (within the link's tolerance, or rounded as an
    // integer parameter keeps it).
    static bool echoConfirms(float written, float echoed);

private:
    int cmdPorts();
    int cmdParams(const QString &outFile);
    int cmdSet(const QString &name, const QString &valueText);
    int cmdLoad(const QString &file, bool skipInvalid);
    int cmdRestore(const QString &file, bool skipInvalid);
    int cmdDiff(const QString &file);
    int cmdSnapshots();
    int cmdWatch();
    int cmdSim(const QStringList &options);

    // Picks the port (explicit or the first offered), opens it and waits for
    // the first frame. Returns false with `error` set on failure.
    bool openLink(LinkSession &session, QString *error);
    // Downloads the whole table into m_params (first-seen order).
    bool download(LinkSession &session, bool showProgress, QString *error);
    QSet<QString> tableNames() const;
    // Lists a check's problems (at most kMaxProblemsShown) on stderr. Sets
    // `proceed` when there is something to write; otherwise returns the exit
    // status.
    enum class CheckStage {
        First,          // the file alone, before the link: quiet unless it stops the command
        FirstSkipping,  // the same with --skip-invalid
        Final,          // against the downloaded table
        FinalSkipping,  // the same with --skip-invalid
        Value,          // set NAME VALUE
        CompareFirst,   // diff: the file alone
        Compare,        // diff: against the downloaded table
    };
    int refuse(const QString &what, const ParamCheckResult &check, CheckStage stage, bool *proceed);
    // Check, download, check: the input alone (`before`; the link is not
    // touched when it stops the command), then the session started, the port
    // opened and the table downloaded, then the input against the table's
    // names (`after`). True with the second check in `result`; otherwise false
    // with the exit status in `status` (a link failure: 130 when interrupted,
    // else `linkFailure`).
    using Checker = std::function<ParamCheckResult(const QSet<QString> *known)>;
    bool checkAgainstTable(LinkSession &session, const QString &what, const Checker &check, CheckStage before,
                           CheckStage after, int linkFailure, ParamCheckResult *result, int *status);
    // The same for a parameter file (load, restore).
    bool checkFileAgainstTable(LinkSession &session, const QString &path, bool skipInvalid, ParamCheckResult *result,
                               int *status);
    // Runs the writes and prints the account; returns the exit status
    // (`skipped`: lines of the input were left out).
    int runBatch(LinkSession &session, const QString &command, const QList<ParamFileEntry> &writes, bool skipped);
    // Saves the downloaded table as a snapshot before a batch, in the folder
    // the window uses (--snapshot-dir, else TAVRO_SNAPSHOT_DIR, else the
    // per-user data folder); a failure is a warning, the batch goes on.
    void takeSnapshot();
    // The USB serial number the platform reports for the port, or empty.
    static QString serialNumberOf(const QString &port);
    // False (with the reason) for a snapshot that must not be restored whole.
    bool checkRestorable(const QString &path, QString *error);
    int fail(const QString &reason, int status = kExitFailed);
    // A link failure: 130 when the user interrupted it, else 1.
    int failLink(const QString &reason);

    QString m_port;
    QString m_snapshotDir;
    QHash<QString, float> m_lastBatchEchoes;
    QList<Parameter> m_params;
    QHash<QString, int> m_paramIndex;
};
