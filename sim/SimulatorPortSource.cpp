#include "sim/SimulatorPortSource.h"

namespace {
// The flight controller's USB serial interface.
constexpr quint16 kFlightControllerVendorId = 0x05C0;
constexpr quint16 kFlightControllerProductId = 0x007A;
} // namespace

PortSource SimulatorPortSource::withSimulator(const QString &ptyPath, PortSource base)
{
    return [ptyPath, base]() {
        QList<PortCandidate> ports;
        ports.append(PortCandidate{ptyPath, kFlightControllerVendorId, kFlightControllerProductId,
                                   QString::fromLatin1(SimulatorPortSource::kSerialNumber)});
        if (base)
            ports.append(base());
        return ports;
    };
}

PortSource SimulatorPortSource::only(const QString &ptyPath)
{
    return withSimulator(ptyPath, PortSource());
}
