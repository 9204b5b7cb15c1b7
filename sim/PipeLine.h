#pragma once
// PipeLine: the simulator's line as an in-process BytePipe, listed by
// InProcessPorts under a name such as "SIM1" that the link worker opens like
// a serial port. For systems without pseudo-terminals (Windows), and for the
// tests that check that path on Linux.

#include "sim/SimLine.h"

#include <memory>

class BytePipe;

class PipeLine : public SimLine
{
public:
    PipeLine() = default;
    ~PipeLine() override;

    bool open(QString *error) override;
    QString portName() const override { return m_name; }
    qint64 write(const char *data, qint64 size) override;
    qint64 read(char *data, qint64 maxSize, int timeoutMs) override;
    void close() override;

private:
    std::shared_ptr<BytePipe> m_pipe;
    QString m_name;
};
