#pragma once
// InProcessPorts: the names under which the link worker finds in-process
// lines (BytePipe) instead of serial ports. A simulated flight controller
// without a pseudo-terminal adds its line here as "SIM1", "SIM2", ...; the
// worker asks find() before it opens a name as a serial port, so the demo and
// the tests reach it through the same port list, filter and open path as a
// real device. Thread-safe.

#include <QString>

#include <memory>

class BytePipe;

class InProcessPorts
{
public:
    // Adds `pipe` under a name not in use ("<prefix>1", "<prefix>2", ...) and
    // returns that name.
    static QString add(std::shared_ptr<BytePipe> pipe, const QString &prefix = QStringLiteral("SIM"));
    static void remove(const QString &name);
    // The line added under `name`, or none.
    static std::shared_ptr<BytePipe> find(const QString &name);
};
