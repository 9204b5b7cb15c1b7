#pragma once
// InterruptWatcher: Ctrl+C and SIGTERM (on Windows: Ctrl+C, Ctrl+Break and
// closing the console) turned into a flag the command loops of tavro-cli
// poll, and into the signal interruptRequested() on the event loop.
//
// On POSIX systems the handler only sets the flag and writes one byte into a
// pipe whose read end a QSocketNotifier watches (nothing else is safe inside
// a signal handler); a second interrupt while the first is being handled ends
// the program at once with status 130. On Windows a console control handler
// sets the flag.
//
// One watcher at a time; the handlers are installed by the constructor and
// the defaults restored by the destructor.

#include <QObject>

class QSocketNotifier;

class InterruptWatcher : public QObject
{
    Q_OBJECT

public:
    explicit InterruptWatcher(QObject *parent = nullptr);
    ~InterruptWatcher() override;

    // True once an interrupt arrived (any thread may ask).
    static bool interrupted();

signals:
    void interruptRequested();

private:
    QSocketNotifier *m_notifier = nullptr;
};
