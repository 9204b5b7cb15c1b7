#pragma once
// One parameter of the simulated flight controller's table.

#include <QString>

#include <cstdint>

struct SimParameter
{
    // MAV_PARAM_TYPE values the table uses.
    enum Type : uint8_t {
        Int8 = 2,
        Int16 = 4,
        Int32 = 6,
        Real32 = 9,
    };

    QString name;
    float value = 0.0f;
    uint8_t type = Real32;
};
