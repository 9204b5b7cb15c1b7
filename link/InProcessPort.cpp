#include "link/InProcessPort.h"

#include "link/BytePipe.h"

InProcessPort::InProcessPort(std::shared_ptr<BytePipe> pipe, QObject *parent)
    : QIODevice(parent)
    , m_pipe(std::move(pipe))
{
}

InProcessPort::~InProcessPort()
{
    // Detach before QObject's destructor: from then on the device side posts
    // nothing more to this object.
    if (m_attached)
        m_pipe->detach(this);
}

bool InProcessPort::open(OpenMode mode)
{
    if (isOpen())
        return false;
    QString error;
    if (!m_pipe || !m_pipe->attach(this, &error)) {
        setErrorString(m_pipe ? error : QStringLiteral("no such line"));
        return false;
    }
    m_attached = true;
    return QIODevice::open(mode | QIODevice::Unbuffered);
}

void InProcessPort::close()
{
    if (m_attached) {
        m_pipe->detach(this);
        m_attached = false;
    }
    QIODevice::close();
}

qint64 InProcessPort::bytesAvailable() const
{
    return QIODevice::bytesAvailable() + (m_attached ? m_pipe->bytesForPort() : 0);
}

bool InProcessPort::waitForReadyRead(int msecs)
{
    return m_attached && m_pipe->waitForPort(msecs);
}

bool InProcessPort::isDeviceGone() const
{
    return m_pipe && m_pipe->isDeviceClosed();
}

qint64 InProcessPort::readData(char *data, qint64 maxSize)
{
    if (!m_attached)
        return -1;
    const qint64 n = m_pipe->takeForPort(data, maxSize);
    if (n == 0 && m_pipe->isDeviceClosed())
        return -1;
    return n;
}

qint64 InProcessPort::writeData(const char *data, qint64 size)
{
    if (!m_attached)
        return -1;
    const qint64 n = m_pipe->writeFromPort(data, size);
    if (n < 0)
        setErrorString(QStringLiteral("the device is gone"));
    return n;
}

void InProcessPort::bytesArrived()
{
    m_pipe->notified();
    if (isOpen())
        emit readyRead();
}

void InProcessPort::deviceClosed()
{
    if (isOpen())
        emit readChannelFinished();
}
