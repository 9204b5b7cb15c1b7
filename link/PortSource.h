#pragma once
// Where the link worker gets its list of serial ports from.
//
// A port source returns the serial ports the platform offers right now, each
// with the USB identifiers of the adapter behind it. The worker calls it on
// every port-search tick while no port is open and keeps only the candidates
// whose identifiers are those of the flight controller (0x05C0 / 0x007A), so
// the filter runs on whatever a source returns.
//
// systemSerialPorts() is the real source (QSerialPortInfo). A test or the demo
// hands in its own function, e.g. one that adds a pseudo-terminal with the
// flight controller's identifiers beside the real ports. A source is called on
// the worker's thread.

#include <QList>
#include <QString>

#include <functional>

struct PortCandidate
{
    QString portName;       // what QSerialPort::setPortName() takes ("ttyACM0", "COM3", "/dev/pts/4")
    quint16 vendorId = 0;   // 0 when the platform reports none
    quint16 productId = 0;
};

using PortSource = std::function<QList<PortCandidate>()>;

// The platform's serial ports, in the order the platform enumerates them.
QList<PortCandidate> systemSerialPorts();
