#include "link/BytePipe.h"

#include "link/InProcessPort.h"

#include <QMetaObject>

#include <algorithm>
#include <chrono>

qint64 BytePipe::writeToPort(const char *data, qint64 size)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_deviceClosed)
        return -1;
    if (!m_port)
        return size;   // nobody listening: the bytes are lost
    const qint64 n = std::min<qint64>(size, kCapacity - m_toPort.size());
    if (n <= 0)
        return 0;
    m_toPort.append(data, n);
    m_toPortArrived.notify_all();
    if (!m_notifyPending) {
        m_notifyPending = true;
        // Posted to the port's thread; a port deleted before it runs takes
        // the posted call with it (and it detaches under this lock first).
        InProcessPort *port = m_port;
        QMetaObject::invokeMethod(port, [port] { port->bytesArrived(); }, Qt::QueuedConnection);
    }
    return n;
}

qint64 BytePipe::readFromPort(char *data, qint64 maxSize, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_fromPortArrived.wait_for(lock, std::chrono::milliseconds(std::max(0, timeoutMs)),
                               [this] { return m_deviceClosed || !m_fromPort.isEmpty(); });
    if (m_deviceClosed)
        return -1;
    const qint64 n = std::min<qint64>(maxSize, m_fromPort.size());
    if (n > 0) {
        std::copy_n(m_fromPort.constData(), n, data);
        m_fromPort.remove(0, int(n));
    }
    return n;
}

void BytePipe::closeDevice()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_deviceClosed)
        return;
    m_deviceClosed = true;
    m_fromPort.clear();
    m_fromPortArrived.notify_all();
    m_toPortArrived.notify_all();
    if (m_port) {
        InProcessPort *port = m_port;
        QMetaObject::invokeMethod(port, [port] { port->deviceClosed(); }, Qt::QueuedConnection);
    }
}

bool BytePipe::isPortOpen() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_port != nullptr;
}

bool BytePipe::attach(InProcessPort *port, QString *error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_deviceClosed) {
        *error = QStringLiteral("the device is gone");
        return false;
    }
    if (m_port) {
        *error = QStringLiteral("the port is in use");
        return false;
    }
    m_port = port;
    m_toPort.clear();
    m_fromPort.clear();
    m_notifyPending = false;
    return true;
}

void BytePipe::detach(InProcessPort *port)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_port != port)
        return;
    m_port = nullptr;
    m_toPort.clear();
    m_notifyPending = false;
}

qint64 BytePipe::takeForPort(char *data, qint64 maxSize)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const qint64 n = std::min<qint64>(maxSize, m_toPort.size());
    if (n > 0) {
        std::copy_n(m_toPort.constData(), n, data);
        m_toPort.remove(0, int(n));
    }
    return n;
}

qint64 BytePipe::bytesForPort() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_toPort.size();
}

bool BytePipe::waitForPort(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_toPortArrived.wait_for(lock, std::chrono::milliseconds(std::max(0, timeoutMs)),
                                    [this] { return m_deviceClosed || !m_toPort.isEmpty(); })
           && !m_toPort.isEmpty();
}

qint64 BytePipe::writeFromPort(const char *data, qint64 size)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_deviceClosed)
        return -1;
    m_fromPort.append(data, size);
    m_fromPortArrived.notify_all();
    return size;
}

bool BytePipe::isDeviceClosed() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_deviceClosed;
}

void BytePipe::notified()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_notifyPending = false;
}
