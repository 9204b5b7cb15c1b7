#include "sim/PtyLine.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyLine::~PtyLine()
{
    close();
}

bool PtyLine::open(QString *error)
{
    int master = -1, slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    // Raw line on the device side: no echo, no line editing, 8 bits.
    termios tio {};
    if (::tcgetattr(slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B115200);
        ::cfsetospeed(&tio, B115200);
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    const char *name = ::ttyname(slave);
    m_master = master;
    m_slave = slave;
    m_path = QString::fromLocal8Bit(name ? name : "");
    return true;
}

qint64 PtyLine::write(const char *data, qint64 size)
{
    const ssize_t w = ::write(m_master, data, size_t(size));
    if (w < 0)
        return (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -1;
    return w;
}

qint64 PtyLine::read(char *data, qint64 maxSize, int timeoutMs)
{
    pollfd pfd {m_master, POLLIN, 0};
    const int r = ::poll(&pfd, 1, timeoutMs);
    if (r <= 0 || !(pfd.revents & POLLIN))
        return 0;
    const ssize_t n = ::read(m_master, data, size_t(maxSize));
    return n > 0 ? n : 0;
}

void PtyLine::close()
{
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = m_slave = -1;
}
