#pragma once
// A port source for the demo and the tests: the platform's serial ports plus
// the simulated flight controller's pseudo-terminal, listed with the flight
// controller's USB identifiers (0x05C0 / 0x007A) so that the link worker
// offers it like the real device.

#include "link/PortSource.h"

#include <QString>

class SimulatorPortSource
{
public:
    // The USB serial number the simulated flight controller is listed with:
    // fixed, so that its snapshots land in one folder run after run.
    static constexpr const char *kSerialNumber = "TAVRO-SIM-0001";

    // The pseudo-terminal at `ptyPath` first, then the ports of `base` (the
    // platform's ports by default; pass an empty source for none).
    static PortSource withSimulator(const QString &ptyPath, PortSource base = systemSerialPorts);
    // Only the pseudo-terminal.
    static PortSource only(const QString &ptyPath);
};
