#pragma once
// InProcessPort: the port end of a BytePipe, a QIODevice that the link worker
// reads and writes as it does a QSerialPort (readyRead, readAll, write).
// When the device side closes, the port emits readChannelFinished(), its
// reads return what was left and then -1, and its writes fail: the worker
// takes that for a device gone away, as with a serial adapter pulled out.
// Lives on the thread that opened it; the device side may be anywhere.

#include <QIODevice>

#include <memory>

class BytePipe;

class InProcessPort : public QIODevice
{
    Q_OBJECT

public:
    explicit InProcessPort(std::shared_ptr<BytePipe> pipe, QObject *parent = nullptr);
    ~InProcessPort() override;

    // Fails when another port has the line open ("in use") or the device is
    // gone; errorString() then says which.
    bool open(OpenMode mode) override;
    void close() override;
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;
    // Blocks up to msecs for bytes from the device (no readyRead is emitted
    // for them here: read them).
    bool waitForReadyRead(int msecs) override;
    // True once the device side has closed.
    bool isDeviceGone() const;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 size) override;

private:
    friend class BytePipe;
    void bytesArrived();     // queued from the device's thread
    void deviceClosed();     // queued from the device's thread

    std::shared_ptr<BytePipe> m_pipe;
    bool m_attached = false;
};
