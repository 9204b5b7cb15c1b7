#include "link/PortSource.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <memory>
#include <mutex>

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
        ports.append(c);
    }
    return ports;
}

// Changes when a device node comes or goes (and, on Linux, when udev has
// named a serial device); empty where there is no /dev.
QString deviceDirectoryStamp()
{
    QString stamp;
    for (const char *dir : {"/dev", "/dev/serial/by-id"}) {
        const QFileInfo info(QString::fromLatin1(dir));
        if (info.exists())
            stamp += QString::number(info.lastModified().toMSecsSinceEpoch()) + QLatin1Char(';');
    }
    return stamp;
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
        if (state->valid && now == state->stamp && state->age.elapsed() < maxAgeMs)
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
