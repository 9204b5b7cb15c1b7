#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include "params/ParamFileParser.h"
#include "params/Parameter.h"

// What a snapshot says about itself (its "#" header lines), and what the
// store found when it read the file.
struct SnapshotInfo
{
    QString path;            // the file
    QString boardId;         // the folder it lies in
    QDateTime time;          // when it was taken (local time with its offset)
    QString programVersion;
    QString port;
    QString serialNumber;    // empty: the port name identifies the board
    int modelId = -1;
    QString modelName;
    int count = 0;           // parameters the header announces
    bool complete = false;   // the download had every parameter
    bool readable = false;   // header and lines agree; false: see problem
    QString problem;         // why it cannot be read (English, for the log)
    bool first = false;      // the first ever taken of this board: the state before TAVRO changed anything

    // Only a readable snapshot of a complete download may be restored as a whole.
    bool restorable() const { return readable && complete; }
};

// A snapshot read back: its header and its parameters in file order.
struct SnapshotData
{
    SnapshotInfo info;
    QList<Parameter> parameters; // every value exactly the 32-bit float that was saved

    // The parameters as the wanted list of ParamDiff::compare (line numbers
    // of the file).
    QList<ParamFileEntry> entries() const;
};

// What the header of a new snapshot says besides the time, the model and the
// count (both read from the table).
struct SnapshotSource
{
    QString port;
    QString serialNumber;    // empty: the port name identifies the board
    bool complete = true;
};

struct SnapshotSaveResult
{
    enum Status { Written, Identical, Failed };
    Status status = Failed;
    QString path;   // the new file, or the newest one when identical
    QString error;  // English, for the log, when Failed
};

// The snapshots of every flight controller TAVRO has talked to: one folder per
// board under one root shared by tavro, tavro-demo and tavro-cli.
//
// A snapshot is a parameter file of "NAME,VALUE" lines (values in the shortest
// form that reads back as the same 32-bit float) after "#" header lines:
//     # TAVRO parameter snapshot
//     # time: 2026-12-07T14:05:09+01:00
//     # program: TAVRO 0.1.0
//     # port: ttyACM0
//     # serial: 0042A1B2          (or "# serial: none, the port name identifies the board")
//     # model: 1 Alder-V3
//     # count: 1187
//     # state: complete           (or "incomplete")
// The loader reads it like any parameter file. The store reads it strictly: a
// count that does not match the lines, a line that is not "NAME,VALUE", a
// value that is not a float, a repeated name or a last line without its line
// end makes the snapshot unreadable, and an unreadable snapshot is never
// restored.
//
// Files are named YYYYMMDD-HHMMSS.param (local time), with "-2", "-3", ...
// when that name is taken, and written atomically. A snapshot holding the same
// names with bit-exact the same values as the board's newest one is not
// written again. Each board keeps its newest kKeepNewest snapshots and always
// its first one.
class SnapshotStore
{
public:
    static constexpr int kKeepNewest = 100;
    static constexpr const char* kEnvironmentVariable = "TAVRO_SNAPSHOT_DIR";

    // `root`: the folder that holds one folder per board. Empty: the
    // environment's TAVRO_SNAPSHOT_DIR if set, else defaultRoot().
    explicit SnapshotStore(const QString& root = QString());

    QString root() const { return m_root; }

    // The per-user data folder + "/tavro/snapshots".
    static QString defaultRoot();
    // `explicitRoot` if not empty, else TAVRO_SNAPSHOT_DIR if set, else defaultRoot().
    static QString resolveRoot(const QString& explicitRoot);

    // The board's id: its USB serial number, else its port name, each cleaned
    // for use as a folder name ("/dev/ttyACM0" -> "dev_ttyACM0"). Never empty.
    static QString boardId(const QString& serialNumber, const QString& portName);
    static QString cleanForFolderName(const QString& text);
    QString boardFolder(const QString& boardId) const;

    // Saves `table` as the board's newest snapshot unless it equals the
    // newest one; then applies the retention. `time` is for tests.
    SnapshotSaveResult save(const QString& boardId, const SnapshotSource& source, const QList<Parameter>& table,
                            const QDateTime& time = QDateTime::currentDateTime()) const;

    // The board's snapshots, oldest first, each read and checked; the oldest
    // is marked first.
    QList<SnapshotInfo> list(const QString& boardId) const;
    // Every board with a folder under the root, sorted.
    QStringList boards() const;

    // Keeps the newest kKeepNewest and the first; returns how many went.
    int applyRetention(const QString& boardId) const;

    // Reads and checks one snapshot file.
    static SnapshotData read(const QString& path);
    static SnapshotData parse(const QByteArray& text, const QString& path = QString());

    // The file's text; the one format of the store and the window's "Save
    // parameters...".
    static QByteArray format(const SnapshotSource& source, const QList<Parameter>& table, const QDateTime& time);
    // Writes `table` to `path` atomically (nothing changes on failure).
    static bool writeFile(const QString& path, const SnapshotSource& source, const QList<Parameter>& table,
                          const QDateTime& time, QString* error);

    // Shortest text that reads back as bit-exact the same 32-bit float.
    static QString formatValue(float value);
    // Same names in the same order with bit-exact the same float values.
    static bool sameParameters(const QList<Parameter>& a, const QList<Parameter>& b);
    static QString programVersion();

private:
    // The board's snapshot files, oldest first.
    QStringList files(const QString& boardId) const;

    QString m_root;
};
