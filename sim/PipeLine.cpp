#include "sim/PipeLine.h"

#include "link/BytePipe.h"
#include "link/InProcessPorts.h"

PipeLine::~PipeLine()
{
    close();
}

bool PipeLine::open(QString *)
{
    close();
    m_pipe = std::make_shared<BytePipe>();
    m_name = InProcessPorts::add(m_pipe);
    return true;
}

qint64 PipeLine::write(const char *data, qint64 size)
{
    return m_pipe ? m_pipe->writeToPort(data, size) : -1;
}

qint64 PipeLine::read(char *data, qint64 maxSize, int timeoutMs)
{
    const qint64 n = m_pipe ? m_pipe->readFromPort(data, maxSize, timeoutMs) : -1;
    return n > 0 ? n : 0;
}

void PipeLine::close()
{
    if (!m_pipe)
        return;
    InProcessPorts::remove(m_name);
    m_pipe->closeDevice();
    m_pipe.reset();
}
