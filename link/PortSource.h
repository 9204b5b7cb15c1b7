#pragma once
// Where the link worker gets its list of serial ports from.
//
// A port source returns the serial ports the platform offers right now, each
// with the USB identifiers of the adapter behind it. The worker calls it on
// every port search while no port is open and keeps only the candidates
// whose identifiers are those of the flight controller (0x05C0 / 0x007A), so
// the filter runs on whatever a source returns. (The worker asks every
// kPortPollMs while no port is open, and at once when /dev changes.)
//
// systemSerialPorts() is the real source (QSerialPortInfo). A test or the demo
// hands in its own function, e.g. one that adds a pseudo-terminal with the
// flight controller's identifiers beside the real ports. A source is called on
// the worker's thread.
//
// Asking the platform takes milliseconds, on Linux with its many terminals
// tens of them, while the worker asks several times a second:
// systemSerialPorts() asks again only when the device directory changed (or,
// where there is no device directory to look at, when its list is a while
// old) (cachedPortSource), and answers from memory in between.

#include <QList>
#include <QString>

#include <functional>
#include <utility>

struct PortCandidate
{
    PortCandidate() = default;
    PortCandidate(QString name, quint16 vendor, quint16 product, QString serial = QString())
        : portName(std::move(name)), vendorId(vendor), productId(product), serialNumber(std::move(serial))
    {
    }

    QString portName;       // what QSerialPort::setPortName() takes ("ttyACM0", "COM3", "/dev/pts/4")
    quint16 vendorId = 0;   // 0 when the platform reports none
    quint16 productId = 0;
    // The USB adapter's serial number (QSerialPortInfo::serialNumber()),
    // empty when the platform reports none. It tells one flight controller
    // from another whatever port it gets: the snapshots are kept per board.
    QString serialNumber;
};

using PortSource = std::function<QList<PortCandidate>()>;

// The platform's serial ports, in the order the platform enumerates them; new
// after a change of /dev (a port added or removed; /dev/serial/by-id on Linux
// once udev has named it); at most kSystemPortsMaxAgeMs old where there is no
// /dev.
QList<PortCandidate> systemSerialPorts();
constexpr int kSystemPortsMaxAgeMs = 2000;

// A source that asks `base` on its first call and again when `stamp` returns
// something else than at the last asking; where `stamp` tells nothing (none,
// or an empty stamp) it asks again when the last asking was maxAgeMs or more
// ago. Otherwise it returns the last list. Callable from any thread.
PortSource cachedPortSource(PortSource base, int maxAgeMs, std::function<QString()> stamp);
