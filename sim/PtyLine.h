#pragma once
// PtyLine: the simulator's line as the master side of a pseudo-terminal
// (openpty, raw mode); the link opens the slave device ("/dev/pts/N").
// Unix only.

#include "sim/SimLine.h"

class PtyLine : public SimLine
{
public:
    PtyLine() = default;
    ~PtyLine() override;

    bool open(QString *error) override;
    QString portName() const override { return m_path; }
    qint64 write(const char *data, qint64 size) override;
    qint64 read(char *data, qint64 maxSize, int timeoutMs) override;
    void close() override;

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
};
