#pragma once
// SimLine: the simulated flight controller's end of its line to the link.
//
// Two kinds: a pseudo-terminal (PtyLine, where the system has them: the link
// then opens a real serial device) and an in-process line (PipeLine, a
// BytePipe the link worker finds by name through InProcessPorts; Windows has
// no pseudo-terminals). The controller's thread writes and reads through this
// interface only.

#include <QString>

#include <memory>

class SimLine
{
public:
    virtual ~SimLine() = default;

    // Opens the line; the name the link opens is portName() afterwards.
    virtual bool open(QString *error) = 0;
    virtual QString portName() const = 0;
    // Hands bytes to the line without waiting: the count taken, 0 when its
    // buffer is full, -1 on failure.
    virtual qint64 write(const char *data, qint64 size) = 0;
    // Waits up to timeoutMs for bytes from the link: the count read, 0 when
    // none came.
    virtual qint64 read(char *data, qint64 maxSize, int timeoutMs) = 0;
    // The device goes away (the link sees its port fail).
    virtual void close() = 0;

    // True where this system has pseudo-terminals.
    static bool pseudoTerminalsAvailable();
    // A pseudo-terminal line, or an in-process one when `inProcess` is set
    // or the system has no pseudo-terminals.
    static std::unique_ptr<SimLine> create(bool inProcess);
};
