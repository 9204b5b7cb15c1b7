#pragma once
// CliWriteBatch: a list of parameter writes sent by tavro-cli through the
// link worker's confirmed-write path, ending in an honest account.
//
// At most kWindow writes are in flight at a time (sent, their echo not yet
// back), so that a flight controller that stalls holds only a few writes of
// unknown outcome. Sending stops
//  - when the link is lost (the worker's silence limit),
//  - when nothing was echoed for kStallMs while writes were out (a stalled
//    flight controller): sending resumes with the next echo, and the batch
//    ends when nothing is left in flight,
//  - on Ctrl+C / SIGTERM (InterruptWatcher): the echoes already due get at
//    most kInterruptGraceMs.
// Every entry ends in one of three states: confirmed (its echo carried the
// value), sent but not confirmed (the flight controller may have applied it,
// or keeps another value it echoed), not sent.

#include "params/ParamFileParser.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class LinkSession;

class CliWriteBatch : public QObject
{
    Q_OBJECT

public:
    static constexpr int kWindow = 8;
    static constexpr int kStallMs = 1000;
    static constexpr int kInterruptGraceMs = 1000;

    enum class State { NotSent, Pending, Confirmed, Unconfirmed };

    struct Account
    {
        QStringList confirmed;     // names
        QStringList unconfirmed;   // "NAME=VALUE", with what the flight controller keeps when it said so
        QStringList notSent;       // "NAME=VALUE"
        bool linkLost = false;
        bool stalled = false;
        bool interrupted = false;
        int total() const { return int(confirmed.size() + unconfirmed.size() + notSent.size()); }
        bool allConfirmed() const { return confirmed.size() == total(); }
        // The lines tavro-cli prints: a summary with the three counts, then
        // one line per non-empty state with its names.
        QStringList describe(const QString &command) const;
    };

    // The session's worker must have finished its download.
    explicit CliWriteBatch(LinkSession &session, QObject *parent = nullptr);

    // Sends every entry in order (each name once) and returns when each has
    // settled or the batch had to stop.
    Account run(const QList<ParamFileEntry> &writes);

    // Echoed values of the batch's names, the last per name (set prints it).
    float lastEcho(const QString &name, float fallback) const { return m_echoes.value(name, fallback); }

private:
    void onEcho(const QString &name, float value);
    void onFailed(const QString &name, float written);
    bool sendMore();

    LinkSession &m_session;
    QList<ParamFileEntry> m_writes;
    QList<State> m_states;
    QHash<QString, int> m_index;     // name -> entry
    QHash<QString, float> m_echoes;  // name -> last echoed value
    QHash<QString, float> m_refused; // name -> the value the flight controller keeps
    int m_next = 0;
    int m_inFlight = 0;
    int m_sentSinceEcho = 0;
    bool m_linkLost = false;
    QElapsedTimer m_sinceEcho;
};
