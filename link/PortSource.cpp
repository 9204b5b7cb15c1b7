#include "link/PortSource.h"

#include <QSerialPortInfo>

QList<PortCandidate> systemSerialPorts()
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
