#pragma once
// BytePipe: a serial line inside the process, for platforms without
// pseudo-terminals (Windows).
//
// One side is a device (the simulated flight controller, on a thread of its
// own) that writes and reads with the blocking calls below; the other side is
// the InProcessPort that the link worker opens like a serial port. A line
// carries bytes only while a port is open: what the device sends with nobody
// listening is lost, as on a UART. Like a pseudo-terminal's buffer, the
// line to the port holds at most kCapacity bytes; a device write beyond that
// takes what fits, so a device paces itself as it would on a real line.
// Every call may come from any thread.

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <mutex>

class InProcessPort;

class BytePipe
{
public:
    static constexpr int kCapacity = 64 * 1024;

    BytePipe() = default;
    BytePipe(const BytePipe &) = delete;
    BytePipe &operator=(const BytePipe &) = delete;

    // ---- the device's side ------------------------------------------------------
    // Queues bytes for the open port; returns how many were taken (0 when the
    // line is full; all of them, dropped, when no port is open); -1 once the
    // device is closed.
    qint64 writeToPort(const char *data, qint64 size);
    // Waits up to timeoutMs for bytes the port wrote and takes at most maxSize
    // of them; 0 when none came, -1 once the device is closed.
    qint64 readFromPort(char *data, qint64 maxSize, int timeoutMs);
    // The device goes away: an open port sees its read channel finish, its
    // writes fail, and later opens fail. Wakes a waiting readFromPort.
    void closeDevice();
    bool isPortOpen() const;

private:
    friend class InProcessPort;
    // The port's side (called by InProcessPort on its thread).
    bool attach(InProcessPort *port, QString *error);
    void detach(InProcessPort *port);
    qint64 takeForPort(char *data, qint64 maxSize);
    qint64 bytesForPort() const;
    // Waits up to timeoutMs for bytes for the port (or the device's end).
    bool waitForPort(int timeoutMs);
    qint64 writeFromPort(const char *data, qint64 size);
    bool isDeviceClosed() const;
    void notified();

    mutable std::mutex m_mutex;
    std::condition_variable m_fromPortArrived;
    std::condition_variable m_toPortArrived;
    QByteArray m_toPort;
    QByteArray m_fromPort;
    InProcessPort *m_port = nullptr;   // the open port, if any
    bool m_notifyPending = false;      // a readyRead is on its way to the port
    bool m_deviceClosed = false;
};
