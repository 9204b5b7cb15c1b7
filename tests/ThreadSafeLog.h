#pragma once

// Shared by the test folders.
#include <QList>
#include <QObject>

#include <tuple>

// Records a signal of an object on another thread (the link worker) on the
// test's own thread: a QSignalSpy would append on the emitting thread while
// the test reads, a data race.
template <typename... Args>
class ThreadSafeLog : public QObject
{
public:
    template <typename Sender, typename Signal>
    ThreadSafeLog(Sender *sender, Signal signal)
    {
        connect(sender, signal, this, [this](Args... args) { entries.append(std::make_tuple(args...)); },
                Qt::QueuedConnection);
    }
    qsizetype count() const { return entries.size(); }
    QList<std::tuple<Args...>> entries;
};
