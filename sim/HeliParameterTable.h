#pragma once
// The default parameter table of the simulated flight controller: a
// traditional-helicopter ArduCopter set of exactly kCount parameters with the
// values a small helicopter (model id 3) would carry. The names the pages read
// (fw_version, SERIAL2_PROTOCOL, STAT_FLTTIME, FRAME_CLASS, RC1..RC9 travel,
// SERVO1..3 trims, the collective range, the rotor-speed setpoints, the rate
// gains, LOIT_BRK_ACCEL, the low-battery return pair, BATT_VOLT_MULT) carry
// explicit values; the bulk comes from ArduPilot's parameter families.

#include "sim/SimParameter.h"

#include <QList>

class HeliParameterTable
{
public:
    static constexpr int kCount = 1200;

    static QList<SimParameter> build();
};
