#pragma once
// ParamTransfer: the bookkeeping of the parameter download and of parameter
// writes, owned by the link worker. It does no I/O and emits nothing: the
// worker feeds it what arrives and what it sent, asks msUntilDue() how long
// nothing is due, calls tick() once that time has passed (a single-shot timer,
// armed only while something waits), and carries out what the returned
// actions say (send a request, emit a signal, close the port). Times come from
// a monotonic clock in milliseconds (setClock() lets a test drive it).
//
// Download: every parameter index 0..count-1 must arrive once. Duplicates do
// not count twice; an index outside the announced range updates the value but
// counts for nothing. When all indices are there and kQuietMs pass without
// another PARAM_VALUE, the download finishes. When the messages stop with
// indices missing, they are asked for one by one (PARAM_REQUEST_READ by
// index), at most kMaxOutstandingReads at a time, each up to kMaxReadAttempts
// times; the indices that never come are handed back for reporting and the
// download finishes anyway. A list request answered by nothing at all within
// kListTimeoutMs is repeated up to kListResends times and then reported as
// failed.
//
// Writes: each sent value waits for its echo (a PARAM_VALUE of that name). No
// echo within kWriteTimeoutMs: sent again, up to kWriteResends times, then
// reported. A newer write of a name replaces the older one (and its retries),
// but the older value is remembered until the name is settled: the flight
// controller answers every PARAM_SET in turn, so the echo of the older value
// can still be on its way. Such a stale echo settles nothing; the latest value
// keeps waiting for its own echo. An echo that matches none of the values
// written since the name was last settled means the flight controller refused
// or clamped the write: reported at once, no retry. (Should a refusing flight
// controller keep exactly one of the older values, its echoes look stale: the
// latest value is then sent again and reported when its retries run out.)
//
// Names: the flight controller may send a name and value in an encoded form
// (even byte positions +3, odd positions -2, value x 12); decode() applies the
// rule that picks the decoded or the plain form.

#include "link/MavlinkMessages.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QVector>

#include <cstdint>
#include <functional>

class ParamTransfer
{
public:
    static constexpr int kQuietMs = 300;            // without a PARAM_VALUE: the download is over
    static constexpr int kMaxOutstandingReads = 10;
    static constexpr int kMaxReadAttempts = 5;
    static constexpr int kListTimeoutMs = 2000;
    static constexpr int kListResends = 3;
    static constexpr int kWriteTimeoutMs = 500;
    static constexpr int kWriteResends = 3;
    static constexpr int kNameLength = 16;

    // The name and value chosen from one PARAM_VALUE.
    struct Decoded
    {
        QString name;       // chosen name (bytes up to the first NUL, at most 16, Latin-1)
        float value = 0.0f; // chosen value
        bool valid = false; // the chosen name is a valid parameter name
        QString rawName;    // the name as sent
        float rawValue = 0.0f;
        bool rawValid = false;
    };

    // Applies the naming rule: a valid decoded name wins (value / 12), else a
    // valid plain name (value as sent), else the decoded form (not valid).
    static Decoded decode(const mavlink_param_value_t &message);
    // Letters, digits and underscores up to the first NUL (or all 16 bytes),
    // and not empty.
    static bool isValidName(const char *id, int size = kNameLength);
    static bool isValidName(const QString &name);
    // Bytes up to the first NUL, at most `size`, read as Latin-1.
    static QString nameFromBytes(const char *id, int size = kNameLength);
    // The encoded form of a name (for tests and tools): even positions +3,
    // odd positions -2, up to the first NUL.
    static void encodeName(const char *plain, char *out, int size = kNameLength);
    // A value message's name field as it came (`raw`) and read back from the
    // encoded form (`decoded`), both NUL-terminated.
    static void readNames(const mavlink_param_value_t &message, char (&raw)[kNameLength + 1],
                          char (&decoded)[kNameLength + 1]);

    ParamTransfer();
    // The clock the timeouts are measured on (milliseconds, never going
    // back); a steady clock unless a test hands in its own.
    void setClock(std::function<qint64()> clock);

    // ---- download ----------------------------------------------------------

    // A download begins: forget earlier arrivals, expect an answer to the list
    // request that is about to be sent.
    void startDownload();
    // The port closed: no download runs; pending writes are kept for
    // takePendingWrites().
    void reset();

    // A PARAM_VALUE in download mode. Returns true when the index was new.
    bool noteValue(uint16_t index, uint16_t count);
    // Indices to ask for right now (free request slots after an answer).
    QList<uint16_t> takeReadRequests();

    uint16_t totalParams() const { return m_total; }
    bool downloadRunning() const { return m_started && !paramReadFinished; }
    QList<int> missingIndices() const;

    // ---- writes ------------------------------------------------------------

    static constexpr int kMaxSupersededValues = 64;

    struct PendingWrite
    {
        QString name;
        float value = 0.0f;   // the latest value written, the one that counts
        int attempts = 0;
        qint64 due = 0;       // when it is sent again (or given up) without an echo
        // Values written earlier for this name since it was last settled
        // (oldest first, at most kMaxSupersededValues); their echoes are stale.
        QList<float> superseded;
    };

    enum class EchoResult {
        NotPending, // no write of that name waits
        Confirmed,  // the echo carries the latest value: settled
        Stale,      // the echo carries an older value written since: still waiting
        Refused,    // the echo carries a value never written: settled, a failure
    };

    void writeSent(const QString &name, float value);
    bool hasPendingWrite(const QString &name) const { return m_writes.contains(name); }
    // An echo of `name`; `written` gets the latest pending value when there
    // was one.
    EchoResult echo(const QString &name, float value, uint8_t paramType, float *written);
    QList<PendingWrite> takePendingWrites();
    int pendingWriteCount() const { return int(m_writes.size()); }
    static bool confirms(float written, float echoed, uint8_t paramType);

    // ---- timeouts ----------------------------------------------------------

    struct TickActions
    {
        bool finish = false;                // emit param_value_finish_value
        QList<int> missing;                 // report before finishing (non-empty only with finish)
        QList<uint16_t> readRequests;       // send PARAM_REQUEST_READ by index
        bool resendList = false;            // send PARAM_REQUEST_LIST again
        bool listFailed = false;            // the list request was never answered
        QList<PendingWrite> writeResends;   // send these PARAM_SETs again
        QList<PendingWrite> writeFailures;  // never echoed
    };

    // Does what is due by now: write resends and failures, the list request's
    // retry, the end of the quiet period. `updateMode` is true once the
    // download has been taken over (no download bookkeeping then).
    TickActions tick(bool updateMode);
    // Milliseconds until tick() has something to do (0: now), or -1 while
    // nothing waits (no write without its echo, no download running).
    qint64 msUntilDue(bool updateMode) const;

    // The protocol's download counters (same meaning as in the worker's
    // documentation): distinct indices received, count reached.
    uint32_t receivedParams = 0;
    bool paramCountReached = false;
    bool paramReadFinished = false;

private:
    QList<uint16_t> fillReadSlots();
    qint64 now() const;
    // When the download's own clock (list request or quiet period) next has
    // something to do, or -1.
    qint64 downloadDue(bool updateMode) const;

    std::function<qint64()> m_clock;
    bool m_started = false;          // a list request was sent for this download
    bool m_listAnswered = false;
    qint64 m_listDue = 0;            // the list request is sent again (or given up) then
    int m_listResends = 0;
    qint64 m_quietSince = 0;         // last PARAM_VALUE (or round of requests) of this download
    uint16_t m_total = 0;
    bool m_totalKnown = false;
    QVector<bool> m_arrived;
    uint32_t m_messages = 0;         // every PARAM_VALUE in download mode
    bool m_recovering = false;       // asking for missing indices
    QVector<uint8_t> m_attempts;     // requests sent per index
    QSet<uint16_t> m_outstanding;

    QHash<QString, PendingWrite> m_writes;
};
