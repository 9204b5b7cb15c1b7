#include "link/PortSource.h"

#include <QElapsedTimer>
#include <QSerialPortInfo>

#include <memory>
#include <mutex>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

QList<PortCandidate> enumerateSerialPorts()
{
    QList<PortCandidate> ports;
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos) {
        PortCandidate c;
        c.portName = info.portName();
        if (info.hasVendorIdentifier())
            c.vendorId = info.vendorIdentifier();
        if (info.hasProductIdentifier())
            c.productId = info.productIdentifier();
        c.serialNumber = info.serialNumber();
        ports.append(c);
    }
    return ports;
}

// Changes when a device node comes or goes (and, on Linux, when udev has
// named a serial device); empty where there is no /dev. Read on every tick,
// so one stat() per directory and nothing else.
QString deviceDirectoryStamp()
{
#ifdef Q_OS_UNIX
    QString stamp;
    for (const char *dir : {"/dev", "/dev/serial/by-id"}) {
        struct stat st;
        if (::stat(dir, &st) == 0) {
            stamp += QString::number(qint64(st.st_mtime));
#ifdef Q_OS_LINUX
            stamp += QLatin1Char('.') + QString::number(qint64(st.st_mtim.tv_nsec));
#endif
            stamp += QLatin1Char(';');
        }
    }
    return stamp;
#else
    return QString();
#endif
}

} // namespace

PortSource cachedPortSource(PortSource base, int maxAgeMs, std::function<QString()> stamp)
{
    struct State
    {
        std::mutex mutex;
        bool valid = false;
        QString stamp;
        QElapsedTimer age;
        QList<PortCandidate> ports;
    };
    auto state = std::make_shared<State>();
    return [state, base = std::move(base), maxAgeMs, stamp = std::move(stamp)] {
        const QString now = stamp ? stamp() : QString();
        std::lock_guard<std::mutex> lock(state->mutex);
        // A stamp tells of every change; without one, the age decides.
        if (state->valid && now == state->stamp && (!now.isEmpty() || state->age.elapsed() < maxAgeMs))
            return state->ports;
        state->ports = base ? base() : QList<PortCandidate>();
        state->stamp = now;
        state->age.start();
        state->valid = true;
        return state->ports;
    };
}

QList<PortCandidate> systemSerialPorts()
{
    static const PortSource source =
        cachedPortSource(enumerateSerialPorts, kSystemPortsMaxAgeMs, deviceDirectoryStamp);
    return source();
}
