#include "sim/HeliParameterTable.h"

#include <QHash>
#include <QSet>
#include <QStringList>

#include <initializer_list>

namespace {

using T = SimParameter::Type;

class TableBuilder
{
public:
    void add(const QString &name, float value, uint8_t type = T::Real32)
    {
        if (name.size() > 16 || m_names.contains(name))
            return;
        m_names.insert(name);
        m_table.append(SimParameter{name, value, type});
    }
    void addInt(const QString &name, int value, uint8_t type = T::Int8) { add(name, float(value), type); }

    // A small, stable calibration-looking number derived from the name, so
    // offsets and scales differ from each other without randomness.
    static float jitter(const QString &name, float span)
    {
        const uint h = qHash(name, 0x7A5Eu);
        return (float(h % 2001u) / 1000.0f - 1.0f) * span;
    }

    int size() const { return int(m_table.size()); }
    QList<SimParameter> take() { return std::move(m_table); }

private:
    QList<SimParameter> m_table;
    QSet<QString> m_names;
};

void addSystem(TableBuilder &b)
{
    b.add("fw_version", 3.0f);
    b.addInt("FORMAT_VERSION", 120, T::Int16);
    b.addInt("SYSID_THISMAV", 1, T::Int16);
    b.addInt("SYSID_MYGCS", 255, T::Int16);
    b.addInt("SYSID_ENFORCE", 0);
    b.addInt("FRAME_CLASS", 6);   // traditional helicopter
    b.addInt("FRAME_TYPE", 0);
    b.addInt("STAT_BOOTCNT", 57, T::Int16);
    b.addInt("STAT_FLTTIME", 12345, T::Int32);
    b.addInt("STAT_RUNTIME", 86421, T::Int32);
    b.add("STAT_RESET", 1.0f);
    b.addInt("LOG_BITMASK", 176126, T::Int32);
    b.addInt("LOG_BACKEND_TYPE", 1);
    b.addInt("LOG_FILE_BUFSIZE", 200, T::Int16);
    b.addInt("LOG_DISARMED", 0);
    b.addInt("LOG_REPLAY", 0);
    b.addInt("LOG_FILE_DSRMROT", 0);
    b.addInt("LOG_MAV_BUFSIZE", 8);
    b.addInt("LOG_FILE_TIMEOUT", 5, T::Int16);
    b.addInt("LOG_FILE_MB_FREE", 500, T::Int16);
    b.addInt("LOG_FILE_RATEMAX", 0);
    b.addInt("ESC_CALIBRATION", 0);
    b.addInt("DISARM_DELAY", 10);
    b.addInt("ANGLE_MAX", 3000, T::Int16);
    b.addInt("PHLD_BRAKE_RATE", 8, T::Int16);
    b.addInt("PHLD_BRAKE_ANGLE", 3000, T::Int16);
    b.addInt("LAND_REPOSITION", 1);
    b.addInt("FS_EKF_ACTION", 1);
    b.add("FS_EKF_THRESH", 0.8f);
    b.addInt("FS_CRASH_CHECK", 1);
    b.addInt("FS_VIBE_ENABLE", 1);
    b.addInt("FS_OPTIONS", 16, T::Int32);
    b.addInt("FS_GCS_ENABLE", 0);
    b.add("FS_GCS_TIMEOUT", 5.0f);
    b.addInt("FS_THR_ENABLE", 1);
    b.addInt("FS_THR_VALUE", 975, T::Int16);
    b.addInt("FS_DR_ENABLE", 2);
    b.addInt("FS_DR_TIMEOUT", 30, T::Int16);
    b.addInt("THR_DZ", 100, T::Int16);
    b.addInt("SIMPLE", 0);
    b.addInt("SUPER_SIMPLE", 0);
    b.addInt("TUNE", 0);
    b.add("TUNE_MIN", 0.0f);
    b.add("TUNE_MAX", 0.0f);
    b.addInt("DEV_OPTIONS", 0, T::Int32);
    b.addInt("AUTO_OPTIONS", 0, T::Int32);
    b.addInt("GUID_OPTIONS", 0, T::Int32);
    b.add("GUID_TIMEOUT", 3.0f);
    b.addInt("FLIGHT_OPTIONS", 0, T::Int32);
    b.add("RNGFND_GAIN", 0.8f);
    b.addInt("TKOFF_RPM_MIN", 0, T::Int16);
    b.add("TKOFF_SLEW_TIME", 2.0f);
    b.addInt("SURFTRAK_MODE", 1);
    b.add("SURFTRAK_TC", 1.0f);
    b.addInt("FLTMODE_CH", 5);
    const int modes[] = {0, 0, 5, 5, 6, 6};   // stabilize, loiter, RTL
    for (int i = 0; i < 6; ++i)
        b.addInt(QStringLiteral("FLTMODE%1").arg(i + 1), modes[i]);
    b.addInt("ACRO_RP_RATE", 360, T::Int16);
    b.add("ACRO_RP_EXPO", 0.3f);
    b.add("ACRO_Y_RATE", 202.5f);
    b.add("ACRO_Y_EXPO", 0.0f);
    b.add("ACRO_BAL_ROLL", 1.0f);
    b.add("ACRO_BAL_PITCH", 1.0f);
    b.addInt("ACRO_TRAINER", 2);
    b.add("ACRO_RP_RATE_TC", 0.0f);
    b.add("ACRO_Y_RATE_TC", 0.0f);
    b.add("ACRO_THR_MID", 0.0f);
    b.addInt("ACRO_OPTIONS", 0);
    b.addInt("PILOT_THR_FILT", 0);
    b.addInt("PILOT_TKOFF_ALT", 0, T::Int16);
    b.addInt("PILOT_THR_BHV", 0, T::Int16);
    b.addInt("PILOT_SPEED_UP", 250, T::Int16);
    b.addInt("PILOT_SPEED_DN", 0, T::Int16);
    b.addInt("PILOT_ACCEL_Z", 250, T::Int16);
    b.add("PILOT_Y_RATE", 202.5f);
    b.add("PILOT_Y_EXPO", 0.0f);
    b.add("PILOT_Y_RATE_TC", 0.0f);
    b.addInt("ARMING_CHECK", 1, T::Int32);
    b.addInt("ARMING_ACCTHRESH", 1);
    b.addInt("ARMING_RUDDER", 2);
    b.addInt("ARMING_MIS_ITEMS", 0, T::Int32);
    b.addInt("ARMING_OPTIONS", 0, T::Int32);
    b.addInt("ARMING_MAGTHRESH", 100, T::Int16);
    b.addInt("SCHED_DEBUG", 0);
    b.addInt("SCHED_LOOP_RATE", 400, T::Int16);
    b.addInt("SCHED_OPTIONS", 0);
}

void addSerial(TableBuilder &b)
{
    const int bauds[] = {115, 57, 57, 38, 38, 57, 57, 57};
    // Serial 0 and 1 speak MAVLink 2; serials 2 to 4 carry GPS receivers (the
    // second one is what GPS2_RAW reports). With MAVLink (2) on serial 2 the
    // radio page would take the receiver for a serial one and hide its travel
    // calibration, so the simulated helicopter keeps a GPS there.
    const int protocols[] = {2, 2, 5, 5, 5, -1, -1, -1};
    for (int i = 0; i < 8; ++i) {
        b.addInt(QStringLiteral("SERIAL%1_BAUD").arg(i), bauds[i], T::Int32);
        b.addInt(QStringLiteral("SERIAL%1_PROTOCOL").arg(i), protocols[i]);
        b.addInt(QStringLiteral("SERIAL%1_OPTIONS").arg(i), 0, T::Int16);
    }
    b.addInt("SERIAL_PASS1", 0);
    b.addInt("SERIAL_PASS2", -1);
    b.addInt("SERIAL_PASSTIMO", 15);
    const char *streams[] = {"RAW_SENS", "EXT_STAT", "RC_CHAN", "RAW_CTRL", "POSITION",
                             "EXTRA1", "EXTRA2", "EXTRA3", "PARAMS", "ADSB"};
    const int rates[] = {2, 2, 2, 0, 3, 10, 10, 3, 10, 0};
    for (int port = 0; port < 7; ++port) {
        for (int s = 0; s < 10; ++s)
            b.addInt(QStringLiteral("SR%1_%2").arg(port).arg(QLatin1String(streams[s])),
                     port < 3 ? rates[s] : 0, T::Int16);
    }
}

void addRadio(TableBuilder &b)
{
    for (int ch = 1; ch <= 16; ++ch) {
        const bool stick = ch <= 4;
        const int min = stick ? 1100 - (ch % 2) * 6 : 1000;
        const int max = stick ? 1900 + (ch % 3) * 4 : 2000;
        const int trim = ch == 3 ? 1500 : (stick ? 1500 + (ch - 2) * 3 : 1500);
        b.addInt(QStringLiteral("RC%1_MIN").arg(ch), min, T::Int16);
        b.addInt(QStringLiteral("RC%1_TRIM").arg(ch), trim, T::Int16);
        b.addInt(QStringLiteral("RC%1_MAX").arg(ch), max, T::Int16);
        b.addInt(QStringLiteral("RC%1_REVERSED").arg(ch), 0);
        b.addInt(QStringLiteral("RC%1_DZ").arg(ch), stick && ch != 3 ? 20 : 0, T::Int16);
        int option = 0;
        if (ch == 6)
            option = 32;    // motor interlock
        else if (ch == 7)
            option = 41;    // arm/disarm
        else if (ch == 9)
            option = 153;
        b.addInt(QStringLiteral("RC%1_OPTION").arg(ch), option, T::Int16);
    }
    b.add("RC_OVERRIDE_TIME", 3.0f);
    b.addInt("RC_OPTIONS", 32, T::Int32);
    b.addInt("RC_PROTOCOLS", 1, T::Int32);
    b.add("RC_FS_TIMEOUT", 1.0f);
    b.addInt("RC_SPEED", 125, T::Int16);
    b.addInt("RCMAP_ROLL", 1);
    b.addInt("RCMAP_PITCH", 2);
    b.addInt("RCMAP_THROTTLE", 3);
    b.addInt("RCMAP_YAW", 4);
    b.addInt("RSSI_TYPE", 0);
    b.addInt("RSSI_ANA_PIN", 8);
    b.add("RSSI_PIN_LOW", 0.0f);
    b.add("RSSI_PIN_HIGH", 5.0f);
    b.addInt("RSSI_CHANNEL", 0);
    b.addInt("RSSI_CHAN_LOW", 1000, T::Int16);
    b.addInt("RSSI_CHAN_HIGH", 2000, T::Int16);
}

void addServos(TableBuilder &b)
{
    // Outputs 1-3 swashplate servos, 4 tail, 8 rotor speed controller.
    const int functions[] = {33, 34, 35, 36, 0, 0, 0, 31, 0, 0, 0, 0, 0, 0, 0, 0};
    const int trims[] = {1500, 1500, 1500, 1500};
    for (int s = 1; s <= 16; ++s) {
        b.addInt(QStringLiteral("SERVO%1_MIN").arg(s), 1000, T::Int16);
        b.addInt(QStringLiteral("SERVO%1_MAX").arg(s), 2000, T::Int16);
        b.addInt(QStringLiteral("SERVO%1_TRIM").arg(s), s <= 4 ? trims[s - 1] + (s - 2) * 4 : 1500, T::Int16);
        b.addInt(QStringLiteral("SERVO%1_REVERSED").arg(s), s == 2 ? 1 : 0);
        b.addInt(QStringLiteral("SERVO%1_FUNCTION").arg(s), functions[s - 1], T::Int16);
    }
    b.addInt("SERVO_RATE", 50, T::Int16);
    b.addInt("SERVO_DSHOT_RATE", 0);
    b.addInt("SERVO_DSHOT_ESC", 0);
    b.addInt("SERVO_GPIO_MASK", 0, T::Int32);
    b.addInt("SERVO_RC_FS_MSK", 0, T::Int32);
    b.addInt("SERVO_32_ENABLE", 0);
    const char *blh[] = {"MASK", "AUTO", "TEST", "TMOUT", "TRATE", "DEBUG",
                         "OTYPE", "PORT", "POLES", "REMASK", "BDMASK", "RVMASK"};
    for (const char *n : blh)
        b.addInt(QStringLiteral("SERVO_BLH_%1").arg(QLatin1String(n)), QLatin1String(n) == QLatin1String("TRATE") ? 10 : (QLatin1String(n) == QLatin1String("POLES") ? 14 : 0), T::Int32);
    b.addInt("SERVO_SBUS_RATE", 50, T::Int16);
    b.addInt("SERVO_VOLZ_MASK", 0, T::Int32);
    b.addInt("SERVO_ROB_POSMIN", 0, T::Int32);
    b.addInt("SERVO_ROB_POSMAX", 4095, T::Int32);
    b.addInt("SERVO_FTW_MASK", 0, T::Int32);
    b.addInt("SERVO_FTW_RVMASK", 0, T::Int32);
    b.addInt("SERVO_FTW_POLES", 14);
}

void addHeli(TableBuilder &b)
{
    b.addInt("H_SW_TYPE", 0);
    b.addInt("H_SW_COL_DIR", 0);
    b.addInt("H_SW_LIN_SVO", 0);
    b.addInt("H_SW_H3_ENABLE", 0);
    b.addInt("H_SW_H3_SV1_POS", -60, T::Int16);
    b.addInt("H_SW_H3_SV2_POS", 60, T::Int16);
    b.addInt("H_SW_H3_SV3_POS", 180, T::Int16);
    b.addInt("H_SW_H3_PHANG", 0, T::Int16);
    b.addInt("H_COL_MIN", 1250, T::Int16);
    b.addInt("H_COL_MAX", 1750, T::Int16);
    b.addInt("H_COL_MID", 1500, T::Int16);
    b.add("H_COL_ANG_MIN", -10.0f);
    b.add("H_COL_ANG_MAX", 12.0f);
    b.add("H_COL_ZERO_THRST", 0.0f);
    b.add("H_COL_LAND_MIN", -2.0f);
    b.add("H_COL_HOVER", 0.5f);
    b.addInt("H_COL_HOVER_LRN", 2);
    b.addInt("H_CYC_MAX", 2500, T::Int16);
    b.addInt("H_SV_MAN", 0);
    b.addInt("H_SV_TEST", 0);
    b.addInt("H_FLYBAR_MODE", 0);
    b.addInt("H_TAIL_TYPE", 3);
    b.addInt("H_TAIL_SPEED", 50, T::Int16);
    b.addInt("H_GYR_GAIN", 350, T::Int16);
    b.addInt("H_GYR_GAIN_ACRO", 0, T::Int16);
    b.add("H_COLYAW", 0.0f);
    b.addInt("H_OPTIONS", 0);
    b.addInt("H_RSC_MODE", 3);
    b.addInt("H_RSC_SETPOINT", 70);
    b.addInt("H_RSC_SETPOINT1", 60);
    b.addInt("H_RSC_SETPOINT2", 95);
    b.addInt("H_RSC_SP_MID", 65);
    b.addInt("H_RSC_CRITICAL", 50);
    b.addInt("H_RSC_IDLE", 0);
    b.addInt("H_RSC_RAMP_TIME", 1);
    b.addInt("H_RSC_RUNUP_TIME", 10);
    b.addInt("H_RSC_SLEWRATE", 0, T::Int16);
    b.addInt("H_RSC_THRCRV_0", 25, T::Int16);
    b.addInt("H_RSC_THRCRV_25", 32, T::Int16);
    b.addInt("H_RSC_THRCRV_50", 38, T::Int16);
    b.addInt("H_RSC_THRCRV_75", 50, T::Int16);
    b.addInt("H_RSC_THRCRV_100", 100, T::Int16);
    b.add("H_RSC_GOV_COMP", 25.0f);
    b.add("H_RSC_GOV_DROOP", 25.0f);
    b.add("H_RSC_GOV_FF", 50.0f);
    b.add("H_RSC_GOV_RANGE", 100.0f);
    b.add("H_RSC_GOV_TORQUE", 30.0f);
    b.add("H_RSC_GOV_RPM", 1500.0f);
    b.add("H_RSC_GOV_RPM1", 2100.0f);
    b.add("H_RSC_GOV_RPM2", 2500.0f);
    b.addInt("H_RSC_CLDWN_TIME", 0);
    b.addInt("H_RSC_AROT_ENBL", 0);
    b.addInt("H_RSC_AROT_IDLE", 0);
    b.addInt("H_RSC_AROT_RAMP", 2);
}

void addAttitude(TableBuilder &b)
{
    struct Axis { const char *name; float p, i, d, ff, imax, fltt, flte, fltd; };
    const Axis axes[] = {
        {"RLL", 0.024f, 0.2f, 0.001f, 0.15f, 0.4f, 20.0f, 20.0f, 0.0f},
        {"PIT", 0.024f, 0.2f, 0.001f, 0.15f, 0.4f, 20.0f, 20.0f, 0.0f},
        {"YAW", 0.18f, 0.12f, 0.003f, 0.024f, 0.4f, 20.0f, 20.0f, 0.0f},
    };
    for (const Axis &a : axes) {
        const QString p = QStringLiteral("ATC_RAT_%1_").arg(QLatin1String(a.name));
        b.add(p + "P", a.p);
        b.add(p + "I", a.i);
        b.add(p + "D", a.d);
        b.add(p + "FF", a.ff);
        b.add(p + "IMAX", a.imax);
        b.add(p + "FLTT", a.fltt);
        b.add(p + "FLTE", a.flte);
        b.add(p + "FLTD", a.fltd);
        b.add(p + "SMAX", 0.0f);
        b.add(p + "D_FF", 0.0f);
        b.addInt(p + "NTF", 0);
        b.addInt(p + "NEF", 0);
        b.add(p + "PDMX", 0.0f);
        b.add(p + "ILMI", a.name[0] == 'Y' ? 0.0f : 0.05f);
    }
    b.add("ATC_ACCEL_R_MAX", 110000.0f);
    b.add("ATC_ACCEL_P_MAX", 110000.0f);
    b.add("ATC_ACCEL_Y_MAX", 27000.0f);
    b.add("ATC_ANG_RLL_P", 4.5f);
    b.add("ATC_ANG_PIT_P", 4.5f);
    b.add("ATC_ANG_YAW_P", 4.5f);
    b.add("ATC_ANG_LIM_TC", 1.0f);
    b.addInt("ATC_ANGLE_BOOST", 0);
    b.add("ATC_INPUT_TC", 0.15f);
    b.addInt("ATC_RATE_FF_ENAB", 1);
    b.add("ATC_RATE_R_MAX", 0.0f);
    b.add("ATC_RATE_P_MAX", 0.0f);
    b.add("ATC_RATE_Y_MAX", 0.0f);
    b.add("ATC_SLEW_YAW", 6000.0f);
    b.add("ATC_THR_MIX_MIN", 0.1f);
    b.add("ATC_THR_MIX_MAX", 0.5f);
    b.add("ATC_THR_MIX_MAN", 0.5f);
    b.addInt("ATC_HOVR_ROL_TRM", 300, T::Int16);
    b.addInt("ATC_PIRO_COMP", 1);
}

void addPositionControl(TableBuilder &b)
{
    struct Pid { const char *prefix; float p, i, d, imax, ff; };
    const Pid pids[] = {
        {"PSC_ACCZ_", 0.2f, 1.0f, 0.0f, 800.0f, 0.0f},
        {"PSC_VELZ_", 5.0f, 0.0f, 0.0f, 1000.0f, 0.0f},
        {"PSC_VELXY_", 2.3f, 1.0f, 0.5f, 1000.0f, 0.0f},
    };
    for (const Pid &p : pids) {
        const QString n = QLatin1String(p.prefix);
        b.add(n + "P", p.p);
        b.add(n + "I", p.i);
        b.add(n + "D", p.d);
        b.add(n + "IMAX", p.imax);
        b.add(n + "FF", p.ff);
        b.add(n + "FLTE", n.startsWith("PSC_ACCZ") ? 20.0f : 5.0f);
        b.add(n + "FLTD", n.startsWith("PSC_VELZ") ? 5.0f : 0.0f);
        b.add(n + "FLTT", 0.0f);
        b.add(n + "D_FF", 0.0f);
        b.add(n + "SMAX", 0.0f);
        b.addInt(n + "NTF", 0);
        b.addInt(n + "NEF", 0);
        b.add(n + "PDMX", 0.0f);
    }
    b.add("PSC_POSZ_P", 1.0f);
    b.add("PSC_POSXY_P", 1.0f);
    b.add("PSC_ANGLE_MAX", 0.0f);
    b.add("PSC_JERK_XY", 5.0f);
    b.add("PSC_JERK_Z", 5.0f);
    b.add("PSC_VELXY_IMX", 1000.0f);

    const std::initializer_list<std::pair<const char *, float>> nav = {
        {"WPNAV_SPEED", 500}, {"WPNAV_RADIUS", 200}, {"WPNAV_SPEED_UP", 250},
        {"WPNAV_SPEED_DN", 150}, {"WPNAV_ACCEL", 100}, {"WPNAV_ACCEL_Z", 100},
        {"WPNAV_RFND_USE", 1}, {"WPNAV_JERK", 1}, {"WPNAV_TER_MARGIN", 10},
        {"WPNAV_ACCEL_C", 0}, {"LOIT_SPEED", 1250}, {"LOIT_ANG_MAX", 0},
        {"LOIT_ACC_MAX", 500}, {"LOIT_BRK_ACCEL", 250}, {"LOIT_BRK_JERK", 500},
        {"LOIT_BRK_DELAY", 1}, {"LOIT_OPTIONS", 0}, {"RTL_ALT", 1500},
        {"RTL_CONE_SLOPE", 3}, {"RTL_SPEED", 0}, {"RTL_ALT_FINAL", 0},
        {"RTL_CLIMB_MIN", 0}, {"RTL_LOIT_TIME", 5000}, {"RTL_ALT_TYPE", 0},
        {"RTL_OPTIONS", 0}, {"LAND_SPEED", 50}, {"LAND_SPEED_HIGH", 0},
        {"LAND_ALT_LOW", 1000}, {"SRTL_ACCURACY", 2}, {"SRTL_POINTS", 300},
        {"SRTL_OPTIONS", 0}, {"CIRCLE_RADIUS", 1000}, {"CIRCLE_RATE", 20},
        {"CIRCLE_OPTIONS", 1}, {"AUTOTUNE_AXES", 7}, {"AUTOTUNE_AGGR", 0.1f},
        {"AUTOTUNE_MIN_D", 0.001f}, {"AUTOTUNE_SEQ", 3}, {"AUTOTUNE_FRQ_MIN", 10},
        {"AUTOTUNE_FRQ_MAX", 70}, {"AUTOTUNE_GN_MAX", 1.8f}, {"AUTOTUNE_VELXY_P", 0.1f},
    };
    for (const auto &e : nav)
        b.add(QLatin1String(e.first), e.second);
}

void addBattery(TableBuilder &b)
{
    const QStringList prefixes = {"BATT_", "BATT2_"};
    for (const QString &p : prefixes) {
        const bool first = p == QLatin1String("BATT_");
        b.addInt(p + "MONITOR", first ? 4 : 0);
        b.addInt(p + "CAPACITY", first ? 2200 : 0, T::Int32);
        b.addInt(p + "VOLT_PIN", first ? 14 : -1);
        b.addInt(p + "CURR_PIN", first ? 15 : -1);
        b.add(p + "VOLT_MULT", first ? 10.1f : 10.1f);
        b.add(p + "AMP_PERVLT", 17.0f);
        b.add(p + "AMP_OFFSET", 0.0f);
        b.add(p + "LOW_VOLT", first ? 14.4f : 0.0f);
        b.add(p + "CRT_VOLT", first ? 13.6f : 0.0f);
        b.add(p + "LOW_MAH", 0.0f);
        b.add(p + "CRT_MAH", 0.0f);
        b.addInt(p + "FS_LOW_ACT", first ? 2 : 0);
        b.addInt(p + "FS_CRT_ACT", first ? 1 : 0);
        b.add(p + "ARM_VOLT", 0.0f);
        b.addInt(p + "ARM_MAH", 0, T::Int32);
        b.add(p + "LOW_TIMER", 10.0f);
        b.addInt(p + "FS_VOLTSRC", 0);
        b.addInt(p + "SERIAL_NUM", -1, T::Int32);
        b.addInt(p + "OPTIONS", 0, T::Int32);
        b.addInt(p + "BUS", 0);
        b.add(p + "WATT_MAX", 0.0f);
        b.addInt(p + "SUM_MASK", 0, T::Int16);
    }
    // Cell voltages of the low-battery return (0 when it is off).
    b.add("BATT_CALL_NUMLV", 3.6825f);
    b.add("BATT_CALL_NUMCRT", 3.6325f);
}

void addSensors(TableBuilder &b)
{
    const char *axes[] = {"X", "Y", "Z"};
    // Inertial sensors.
    const QStringList offs = {"INS_ACCOFFS_", "INS_ACC2OFFS_", "INS_ACC3OFFS_",
                              "INS_GYROFFS_", "INS_GYR2OFFS_", "INS_GYR3OFFS_"};
    for (const QString &p : offs)
        for (const char *a : axes)
            b.add(p + a, TableBuilder::jitter(p + a, p.contains("GYR") ? 0.02f : 0.3f));
    const QStringList scales = {"INS_ACCSCAL_", "INS_ACC2SCAL_", "INS_ACC3SCAL_"};
    for (const QString &p : scales)
        for (const char *a : axes)
            b.add(p + a, 1.0f + TableBuilder::jitter(p + a, 0.01f));
    const QStringList pos = {"INS_POS1_", "INS_POS2_", "INS_POS3_"};
    for (const QString &p : pos)
        for (const char *a : axes)
            b.add(p + a, 0.0f);
    const std::initializer_list<std::pair<const char *, float>> ins = {
        {"INS_ACC_ID", 3408650}, {"INS_ACC2_ID", 2753290}, {"INS_ACC3_ID", 0},
        {"INS_GYR_ID", 3408394}, {"INS_GYR2_ID", 2753034}, {"INS_GYR3_ID", 0},
        {"INS_GYRO_FILTER", 20}, {"INS_ACCEL_FILTER", 20}, {"INS_USE", 1}, {"INS_USE2", 1},
        {"INS_USE3", 1}, {"INS_STILL_THRESH", 2.5f}, {"INS_GYR_CAL", 1}, {"INS_TRIM_OPTION", 1},
        {"INS_ACC_BODYFIX", 2}, {"INS_GYRO_RATE", 0}, {"INS_FAST_SAMPLE", 1},
        {"INS_ENABLE_MASK", 127}, {"INS_LOG_BAT_CNT", 1024}, {"INS_LOG_BAT_MASK", 0},
        {"INS_LOG_BAT_LGCT", 32}, {"INS_LOG_BAT_LGIN", 20}, {"INS_LOG_BAT_OPT", 0},
        {"INS_RAW_LOG_OPT", 0},
    };
    for (const auto &e : ins)
        b.add(QLatin1String(e.first), e.second);
    for (const char *notch : {"INS_HNTCH_", "INS_HNTC2_"}) {
        const QString p = QLatin1String(notch);
        const bool first = p == QLatin1String("INS_HNTCH_");
        b.addInt(p + "ENABLE", first ? 1 : 0);
        b.add(p + "FREQ", first ? 35.0f : 80.0f);
        b.add(p + "BW", first ? 17.0f : 40.0f);
        b.add(p + "ATT", 40.0f);
        b.add(p + "REF", first ? 0.25f : 0.0f);
        b.addInt(p + "MODE", first ? 3 : 1);
        b.addInt(p + "OPTS", 0, T::Int16);
        b.addInt(p + "HMNCS", 3);
        b.add(p + "FM_RAT", 1.0f);
    }
    for (int cal = 1; cal <= 3; ++cal) {
        const QString p = QStringLiteral("INS_TCAL%1_").arg(cal);
        b.addInt(p + "ENABLE", 0);
        b.add(p + "TMIN", 0.0f);
        b.add(p + "TMAX", 0.0f);
        for (const char *kind : {"ACC1_", "ACC2_", "ACC3_", "GYR1_", "GYR2_", "GYR3_"})
            for (const char *a : axes)
                b.add(p + kind + a, 0.0f);
    }

    // Compasses.
    for (const char *inst : {"", "2", "3"}) {
        const QString n = QLatin1String(inst);
        for (const char *kind : {"OFS", "DIA", "ODI", "MOT"})
            for (const char *a : axes) {
                const QString name = QStringLiteral("COMPASS_%1%2_%3").arg(QLatin1String(kind), n, QLatin1String(a));
                float v = 0.0f;
                if (QLatin1String(kind) == QLatin1String("OFS"))
                    v = TableBuilder::jitter(name, 120.0f);
                else if (QLatin1String(kind) == QLatin1String("DIA"))
                    v = 1.0f + TableBuilder::jitter(name, 0.05f);
                else if (QLatin1String(kind) == QLatin1String("ODI"))
                    v = TableBuilder::jitter(name, 0.02f);
                b.add(name, v);
            }
        b.add(QStringLiteral("COMPASS_SCALE%1").arg(n), 1.0f);
        b.addInt(QStringLiteral("COMPASS_ORIENT%1").arg(n), 0);
        b.addInt(QStringLiteral("COMPASS_EXTERN%1").arg(n.isEmpty() ? QStringLiteral("AL") : n), n.isEmpty() ? 1 : 0);
        b.addInt(QStringLiteral("COMPASS_USE%1").arg(n), n == QLatin1String("3") ? 0 : 1);
        b.addInt(QStringLiteral("COMPASS_DEV_ID%1").arg(n), n.isEmpty() ? 97539 : 0, T::Int32);
        b.addInt(QStringLiteral("COMPASS_PRIO%1_ID").arg(n.isEmpty() ? QStringLiteral("1") : n), n.isEmpty() ? 97539 : 0, T::Int32);
    }
    const std::initializer_list<std::pair<const char *, float>> compass = {
        {"COMPASS_LEARN", 0}, {"COMPASS_AUTODEC", 1}, {"COMPASS_DEC", 0},
        {"COMPASS_MOTCT", 0}, {"COMPASS_CAL_FIT", 16}, {"COMPASS_OFFS_MAX", 1800},
        {"COMPASS_TYPEMASK", 0}, {"COMPASS_AUTO_ROT", 2}, {"COMPASS_OPTIONS", 0},
        {"COMPASS_ENABLE", 1}, {"COMPASS_FLTR_RNG", 0}, {"COMPASS_DISBLMSK", 0},
        {"COMPASS_PMOT_EN", 0},
    };
    for (const auto &e : compass)
        b.add(QLatin1String(e.first), e.second);

    // Barometers.
    for (const char *inst : {"1", "2", "3"}) {
        const QString p = QStringLiteral("BARO%1_").arg(QLatin1String(inst));
        b.add(p + "GND_PRESS", inst[0] == '1' ? 101325.0f + TableBuilder::jitter(p, 150.0f) : 0.0f);
        b.addInt(p + "DEVID", 0, T::Int32);
        b.add(p + "WCF_ENABLE", 0.0f);
    }
    b.add("BARO_ALT_OFFSET", 0.0f);
    b.addInt("BARO_PRIMARY", 0);
    b.addInt("BARO_EXT_BUS", -1);
    b.addInt("BARO_PROBE_EXT", 0, T::Int32);
    b.add("BARO_FLTR_RNG", 0.0f);
    b.addInt("BARO_OPTIONS", 0);
    b.add("BARO_ALTERR_MAX", 2000.0f);
    b.add("BARO_GND_TEMP", 0.0f);

    // GPS.
    const std::initializer_list<std::pair<const char *, float>> gps = {
        {"GPS_TYPE", 1}, {"GPS_TYPE2", 0}, {"GPS_NAVFILTER", 8}, {"GPS_AUTO_SWITCH", 1},
        {"GPS_MIN_DGPS", 100}, {"GPS_SBAS_MODE", 2}, {"GPS_MIN_ELEV", -100},
        {"GPS_INJECT_TO", 127}, {"GPS_SBP_LOGMASK", -256}, {"GPS_RAW_DATA", 0},
        {"GPS_GNSS_MODE", 0}, {"GPS_SAVE_CFG", 2}, {"GPS_GNSS_MODE2", 0},
        {"GPS_AUTO_CONFIG", 1}, {"GPS_RATE_MS", 200}, {"GPS_RATE_MS2", 200},
        {"GPS_POS1_X", 0}, {"GPS_POS1_Y", 0}, {"GPS_POS1_Z", 0},
        {"GPS_POS2_X", 0}, {"GPS_POS2_Y", 0}, {"GPS_POS2_Z", 0},
        {"GPS_DELAY_MS", 0}, {"GPS_DELAY_MS2", 0}, {"GPS_BLEND_MASK", 5},
        {"GPS_BLEND_TC", 10}, {"GPS_DRV_OPTIONS", 0}, {"GPS_COM_PORT", 1},
        {"GPS_COM_PORT2", 1}, {"GPS_PRIMARY", 0}, {"GPS_CAN_NODEID1", 0},
        {"GPS_CAN_NODEID2", 0}, {"GPS1_CAN_OVRIDE", 0}, {"GPS2_CAN_OVRIDE", 0},
        {"GPS_MB1_TYPE", 0}, {"GPS_MB2_TYPE", 0}, {"GPS_HDOP_GOOD", 140},
        {"GPS_SAT_MIN", 6},
    };
    for (const auto &e : gps)
        b.add(QLatin1String(e.first), e.second);

    // Range finder.
    const std::initializer_list<std::pair<const char *, float>> rng = {
        {"TYPE", 0}, {"PIN", -1}, {"SCALING", 3}, {"OFFSET", 0}, {"FUNCTION", 0},
        {"MIN_CM", 20}, {"MAX_CM", 700}, {"STOP_PIN", -1}, {"RMETRIC", 1},
        {"PWRRNG", 0}, {"GNDCLEAR", 10}, {"ADDR", 0}, {"POS_X", 0}, {"POS_Y", 0},
        {"POS_Z", 0}, {"ORIENT", 25}, {"WSP_MAVG", 0}, {"WSP_MEDF", 0},
        {"WSP_FRQ", 0}, {"WSP_AVG", 0}, {"WSP_THR", 0}, {"WSP_BAUD", 0},
    };
    for (const auto &e : rng)
        b.add(QStringLiteral("RNGFND1_%1").arg(QLatin1String(e.first)), e.second);
}

void addEstimation(TableBuilder &b)
{
    const std::initializer_list<std::pair<const char *, float>> ahrs = {
        {"AHRS_GPS_GAIN", 1}, {"AHRS_GPS_USE", 1}, {"AHRS_YAW_P", 0.2f}, {"AHRS_RP_P", 0.2f},
        {"AHRS_WIND_MAX", 0}, {"AHRS_TRIM_X", 0.004f}, {"AHRS_TRIM_Y", -0.007f},
        {"AHRS_TRIM_Z", 0}, {"AHRS_ORIENTATION", 0}, {"AHRS_COMP_BETA", 0.1f},
        {"AHRS_GPS_MINSATS", 6}, {"AHRS_EKF_TYPE", 3}, {"AHRS_CUSTOM_ROLL", 0},
        {"AHRS_CUSTOM_PIT", 0}, {"AHRS_CUSTOM_YAW", 0}, {"AHRS_OPTIONS", 0},
    };
    for (const auto &e : ahrs)
        b.add(QLatin1String(e.first), e.second);
    b.addInt("EK2_ENABLE", 0);
    const std::initializer_list<std::pair<const char *, float>> ek3 = {
        {"ENABLE", 1}, {"VELNE_M_NSE", 0.3f}, {"VELD_M_NSE", 0.5f}, {"VEL_I_GATE", 500},
        {"POSNE_M_NSE", 0.5f}, {"POS_I_GATE", 500}, {"GLITCH_RAD", 25}, {"ALT_M_NSE", 2},
        {"HGT_I_GATE", 500}, {"HGT_DELAY", 60}, {"MAG_M_NSE", 0.05f}, {"MAG_CAL", 3},
        {"MAG_I_GATE", 300}, {"EAS_M_NSE", 1.4f}, {"EAS_I_GATE", 400}, {"RNG_M_NSE", 0.5f},
        {"RNG_I_GATE", 500}, {"MAX_FLOW", 2.5f}, {"FLOW_M_NSE", 0.25f}, {"FLOW_I_GATE", 300},
        {"FLOW_DELAY", 10}, {"GYRO_P_NSE", 0.015f}, {"ACC_P_NSE", 0.35f},
        {"GBIAS_P_NSE", 0.001f}, {"ABIAS_P_NSE", 0.003f}, {"WIND_P_NSE", 0.2f},
        {"WIND_PSCALE", 1}, {"GPS_CHECK", 31}, {"IMU_MASK", 3}, {"CHECK_SCALE", 100},
        {"NOAID_M_NSE", 10}, {"BETA_MASK", 0}, {"YAW_M_NSE", 0.5f}, {"YAW_I_GATE", 300},
        {"TAU_OUTPUT", 25}, {"MAGE_P_NSE", 0.001f}, {"MAGB_P_NSE", 0.0001f},
        {"RNG_USE_HGT", -1}, {"TERR_GRAD", 0.1f}, {"BCN_M_NSE", 1}, {"BCN_DELAY", 50},
        {"BCN_I_GTE", 500}, {"RNG_USE_SPD", 2}, {"ACC_BIAS_LIM", 1}, {"MAG_MASK", 0},
        {"OGN_HGT_MASK", 0}, {"VIS_VERR_MIN", 0.1f}, {"VIS_VERR_MAX", 0.5f},
        {"WENC_VERR", 0.1f}, {"FLOW_USE", 1}, {"HRT_FILT", 2}, {"MAG_EF_LIM", 50},
        {"GSF_RUN_MASK", 3}, {"GSF_USE_MASK", 3}, {"GSF_RST_MAX", 2}, {"ERR_THRESH", 0.2f},
        {"AFFINITY", 0}, {"DRAG_BCOEF_X", 0}, {"DRAG_BCOEF_Y", 0}, {"DRAG_M_NSE", 0.5f},
        {"DRAG_MCOEF", 0}, {"OGNM_TEST_SF", 2}, {"GND_EFF_DZ", 4}, {"PRIMARY", 0},
        {"SRC1_POSXY", 3}, {"SRC1_VELXY", 3}, {"SRC1_POSZ", 1}, {"SRC1_VELZ", 3},
        {"SRC1_YAW", 1}, {"SRC2_POSXY", 0}, {"SRC2_VELXY", 0}, {"SRC2_POSZ", 1},
        {"SRC2_VELZ", 0}, {"SRC2_YAW", 0}, {"SRC3_POSXY", 0}, {"SRC3_VELXY", 0},
        {"SRC3_POSZ", 1}, {"SRC3_VELZ", 0}, {"SRC3_YAW", 0}, {"SRC_OPTIONS", 1},
        {"LOG_LEVEL", 0}, {"GPS_VACC_MAX", 0},
    };
    for (const auto &e : ek3)
        b.add(QStringLiteral("EK3_%1").arg(QLatin1String(e.first)), e.second);
}

void addPeripherals(TableBuilder &b)
{
    const std::initializer_list<std::pair<const char *, float>> misc = {
        {"BRD_SER1_RTSCTS", 2}, {"BRD_SER2_RTSCTS", 2}, {"BRD_SAFETYENABLE", 0},
        {"BRD_SBUS_OUT", 0}, {"BRD_SERIAL_NUM", 0}, {"BRD_SAFETY_MASK", 0},
        {"BRD_HEAT_TARG", -1}, {"BRD_BOOT_DELAY", 0}, {"BRD_IMUHEAT_P", 200},
        {"BRD_IMUHEAT_I", 0.3f}, {"BRD_IMUHEAT_IMAX", 70}, {"BRD_ALT_CONFIG", 0},
        {"BRD_HEAT_LOWMGN", 5}, {"BRD_SD_SLOWDOWN", 0}, {"BRD_PWM_VOLT_SEL", 0},
        {"BRD_OPTIONS", 1}, {"BRD_VBUS_MIN", 4.3f}, {"BRD_VSERVO_MIN", 0},
        {"BRD_SAFETYOPTION", 3}, {"BRD_RTC_TYPES", 1}, {"BRD_RTC_TZ_MIN", 0},
        {"BRD_TYPE", 3},
        {"NTF_LED_BRIGHT", 3}, {"NTF_BUZZ_TYPES", 5}, {"NTF_LED_OVERRIDE", 0},
        {"NTF_DISPLAY_TYPE", 0}, {"NTF_OREO_THEME", 0}, {"NTF_BUZZ_PIN", 0},
        {"NTF_LED_TYPES", 199}, {"NTF_BUZZ_ON_LVL", 1}, {"NTF_BUZZ_VOLUME", 100},
        {"NTF_LED_LEN", 1},
        {"CAN_P1_DRIVER", 1}, {"CAN_P2_DRIVER", 0}, {"CAN_P1_BITRATE", 1000000},
        {"CAN_P2_BITRATE", 1000000}, {"CAN_D1_PROTOCOL", 1}, {"CAN_D2_PROTOCOL", 0},
        {"CAN_D1_UC_NODE", 10}, {"CAN_D1_UC_SRV_BM", 0}, {"CAN_D1_UC_SRV_RT", 50},
        {"CAN_D1_UC_OPTION", 0}, {"CAN_SLCAN_CPORT", 0}, {"CAN_SLCAN_SERNUM", -1},
        {"CAN_SLCAN_TIMOUT", 0}, {"CAN_LOGLEVEL", 0},
        {"FENCE_ENABLE", 0}, {"FENCE_TYPE", 7}, {"FENCE_ACTION", 1},
        {"FENCE_ALT_MAX", 100}, {"FENCE_RADIUS", 300}, {"FENCE_MARGIN", 2},
        {"FENCE_TOTAL", 0}, {"FENCE_ALT_MIN", -10}, {"FENCE_OPTIONS", 0},
        {"AVOID_ENABLE", 3}, {"AVOID_ANGLE_MAX", 1000}, {"AVOID_DIST_MAX", 5},
        {"AVOID_MARGIN", 2}, {"AVOID_BEHAVE", 0}, {"AVOID_BACKUP_SPD", 0.75f},
        {"AVOID_ALT_MIN", 0}, {"AVOID_ACCEL_MAX", 3}, {"AVOID_BACKZ_SPD", 0.75f},
        {"RALLY_TOTAL", 0}, {"RALLY_LIMIT_KM", 0.3f}, {"RALLY_INCL_HOME", 1},
        {"TERRAIN_ENABLE", 1}, {"TERRAIN_SPACING", 100}, {"TERRAIN_OPTIONS", 0},
        {"TERRAIN_MARGIN", 0.05f}, {"TERRAIN_OFS_MAX", 15},
        {"RELAY_PIN", 13}, {"RELAY_PIN2", -1}, {"RELAY_PIN3", -1}, {"RELAY_PIN4", -1},
        {"RELAY_PIN5", -1}, {"RELAY_PIN6", -1}, {"RELAY_DEFAULT", 0}, {"RELAY_PIN_TYPE", 0},
        {"CHUTE_ENABLED", 0}, {"CHUTE_TYPE", 0}, {"CHUTE_SERVO_ON", 1300},
        {"CHUTE_SERVO_OFF", 1100}, {"CHUTE_ALT_MIN", 10}, {"CHUTE_DELAY_MS", 500},
        {"CHUTE_CRT_SINK", 0}, {"CHUTE_OPTIONS", 1},
        {"FLOW_TYPE", 0}, {"FLOW_FXSCALER", 0}, {"FLOW_FYSCALER", 0},
        {"FLOW_ORIENT_YAW", 0}, {"FLOW_POS_X", 0}, {"FLOW_POS_Y", 0}, {"FLOW_POS_Z", 0},
        {"FLOW_ADDR", 0},
        {"PRX1_TYPE", 0}, {"PRX_IGN_GND", 0}, {"PRX_LOG_RAW", 0}, {"PRX_FILT", 0.25f},
        {"BCN_TYPE", 0}, {"BCN_LATITUDE", 0}, {"BCN_LONGITUDE", 0}, {"BCN_ALT", 0},
        {"BCN_ORIENT_YAW", 0},
        {"OA_TYPE", 0}, {"OA_MARGIN_MAX", 5}, {"OA_OPTIONS", 1}, {"OA_BR_LOOKAHEAD", 5},
        {"OA_DB_SIZE", 100}, {"OA_DB_EXPIRE", 10}, {"OA_DB_QUEUE_SIZE", 80},
        {"OA_DB_OUTPUT", 1}, {"OA_DB_BEAM_WIDTH", 5}, {"OA_DB_RADIUS_MIN", 0.01f},
        {"OA_DB_DIST_MAX", 0}, {"OA_DB_ALT_MIN", 0},
        {"VISO_TYPE", 0}, {"VISO_POS_X", 0}, {"VISO_POS_Y", 0}, {"VISO_POS_Z", 0},
        {"VISO_ORIENT", 0}, {"VISO_SCALE", 1}, {"VISO_DELAY_MS", 10}, {"VISO_VEL_M_NSE", 0.1f},
        {"VISO_POS_M_NSE", 0.2f}, {"VISO_YAW_M_NSE", 0.2f}, {"VISO_QUAL_MIN", 0},
        {"PLND_ENABLED", 0}, {"PLND_TYPE", 0}, {"PLND_EST_TYPE", 1}, {"PLND_ACC_P_NSE", 2.5f},
        {"PLND_CAM_POS_X", 0}, {"PLND_CAM_POS_Y", 0}, {"PLND_CAM_POS_Z", 0},
        {"PLND_BUS", -1}, {"PLND_LAG", 0.02f}, {"PLND_XY_DIST_MAX", 0},
        {"PLND_STRICT", 1}, {"PLND_RET_MAX", 4}, {"PLND_TIMEOUT", 4},
        {"PLND_RET_BEHAVE", 0}, {"PLND_ALT_MIN", 0.75f}, {"PLND_ALT_MAX", 8},
        {"PLND_OPTIONS", 0}, {"PLND_ORIENT", 25}, {"PLND_YAW_ALIGN", 0},
        {"SCR_ENABLE", 0}, {"SCR_VM_I_COUNT", 10000}, {"SCR_HEAP_SIZE", 43008},
        {"SCR_DEBUG_OPTS", 0}, {"SCR_USER1", 0}, {"SCR_USER2", 0}, {"SCR_USER3", 0},
        {"SCR_USER4", 0}, {"SCR_USER5", 0}, {"SCR_USER6", 0}, {"SCR_DIR_DISABLE", 0},
        {"BTN_ENABLE", 0}, {"BTN_PIN1", -1}, {"BTN_PIN2", -1}, {"BTN_PIN3", -1},
        {"BTN_PIN4", -1}, {"BTN_REPORT_SEND", 10}, {"BTN_OPTIONS1", 0},
        {"BTN_OPTIONS2", 0}, {"BTN_OPTIONS3", 0}, {"BTN_OPTIONS4", 0},
        {"BTN_FUNC1", 0}, {"BTN_FUNC2", 0}, {"BTN_FUNC3", 0}, {"BTN_FUNC4", 0},
        {"CAM1_TYPE", 0}, {"CAM1_DURATION", 0}, {"CAM1_SERVO_ON", 1300},
        {"CAM1_SERVO_OFF", 1100}, {"CAM1_TRIGG_DIST", 0}, {"CAM1_RELAY_ON", 1},
        {"CAM1_INTRVAL_MIN", 0}, {"CAM1_FEEDBAK_PIN", -1}, {"CAM1_FEEDBAK_POL", 1},
        {"CAM1_OPTIONS", 0}, {"CAM_MAX_ROLL", 0}, {"CAM_AUTO_ONLY", 0},
        {"MNT1_TYPE", 0}, {"MNT1_DEFLT_MODE", 3}, {"MNT1_RC_RATE", 0},
        {"MNT1_ROLL_MIN", -30}, {"MNT1_ROLL_MAX", 30}, {"MNT1_PITCH_MIN", -90},
        {"MNT1_PITCH_MAX", 20}, {"MNT1_YAW_MIN", -180}, {"MNT1_YAW_MAX", 180},
        {"MNT1_RETRACT_X", 0}, {"MNT1_RETRACT_Y", 0}, {"MNT1_RETRACT_Z", 0},
        {"MNT1_NEUTRAL_X", 0}, {"MNT1_NEUTRAL_Y", 0}, {"MNT1_NEUTRAL_Z", 0},
        {"MNT1_LEAD_RLL", 0}, {"MNT1_LEAD_PTCH", 0}, {"MNT1_SYSID_DFLT", 0},
        {"MNT1_DEVID", 0}, {"MNT1_OPTIONS", 0},
        {"ESC_TLM_MAV_OFS", 0}, {"TEMP1_TYPE", 0}, {"GEN_TYPE", 0}, {"EFI_TYPE", 0},
        {"FRSKY_UPLINK_ID", 13}, {"FRSKY_DNLINK1_ID", 20}, {"FRSKY_DNLINK2_ID", 7},
        {"FRSKY_DNLINK_ID", 27}, {"FRSKY_OPTIONS", 0},
        {"GRIP_ENABLE", 0}, {"WINCH_TYPE", 0}, {"RPM1_TYPE", 0}, {"RPM2_TYPE", 0},
        {"RPM1_SCALING", 1}, {"RPM1_MAX", 100000}, {"RPM1_MIN", 10},
        {"RPM1_MIN_QUAL", 0.5f}, {"RPM1_PIN", -1}, {"RPM1_ESC_MASK", 0},
        {"TCAL_ENABLED", 0}, {"VTX_ENABLE", 0}, {"MSP_OPTIONS", 0},
        {"DID_ENABLE", 0}, {"KDE_NPOLE", 14}, {"EAHRS_TYPE", 0},
        {"CUST_ROT_ENABLE", 0}, {"LGR_ENABLE", 0}, {"SPRAY_ENABLE", 0},
        {"FOLL_ENABLE", 0}, {"ADSB_TYPE", 0}, {"AIS_TYPE", 0}, {"NET_ENABLED", 0},
    };
    for (const auto &e : misc)
        b.add(QLatin1String(e.first), e.second);
}

// On-screen display items: the largest family, used to reach the table size.
void addOsd(TableBuilder &b, int targetCount)
{
    const std::initializer_list<std::pair<const char *, float>> globals = {
        {"OSD_TYPE", 0}, {"OSD_CHAN", 0}, {"OSD_SW_METHOD", 0}, {"OSD_OPTIONS", 0},
        {"OSD_FONT", 0}, {"OSD_V_OFFSET", 16}, {"OSD_H_OFFSET", 32}, {"OSD_W_RSSI", 30},
        {"OSD_W_NSAT", 9}, {"OSD_W_BATVOLT", 10}, {"OSD_UNITS", 0}, {"OSD_MSG_TIME", 10},
        {"OSD_ARM_SCR", 0}, {"OSD_DSARM_SCR", 0}, {"OSD_FS_SCR", 0}, {"OSD_BTN_DELAY", 300},
        {"OSD_W_TERR", -1}, {"OSD_W_AVGCELLV", 3.6f}, {"OSD_W_RESTVOLT", 10},
        {"OSD_W_ACRVOLT", 3.6f}, {"OSD_W_LQ", 50}, {"OSD_W_SNR", 0},
        {"OSD_CELL_COUNT", 0}, {"OSD_SB_H_OFS", 0}, {"OSD_SB_V_EXT", 0},
    };
    for (const auto &e : globals) {
        if (b.size() >= targetCount)
            return;
        b.add(QLatin1String(e.first), e.second);
    }
    const char *items[] = {
        "ALTITUDE", "BAT_VOLT", "RSSI", "CURRENT", "BATUSED", "SATS", "FLTMODE", "MESSAGE",
        "GSPEED", "HORIZON", "HOME", "HEADING", "THROTTLE", "COMPASS", "WIND", "ASPEED",
        "VSPEED", "BLHTEMP", "BLHRPM", "BLHAMPS", "GPSLAT", "GPSLONG", "ROLL", "PITCH",
        "TEMP", "HDOP", "WAYPOINT", "XTRACK", "DIST", "STATS", "FLTIME", "CLIMBEFF",
        "EFF", "BTEMP", "ATEMP", "BAT2_VLT", "BAT2USED", "ASPD2", "ASPD1", "CLK",
        "SIDEBARS", "CRSSHAIR", "HOMEDIST", "HOMEDIR", "POWER", "CELLVOLT", "BATTBAR",
        "ARMING", "PLUSCODE", "CALLSIGN", "CURRENT2", "VTX_PWR", "TER_HGT", "AVGCELLV",
        "RESTVOLT", "FENCE", "RNGF", "ACRVOLT", "LINK_Q", "RC_PWR", "RC_SNR", "RC_ANT",
        "RC_LQ", "RRPM", "ESCTEMP", "ESCRPM", "ESCAMPS",
    };
    const bool shown[] = {true, true, true, true, true, true, true, true, false, true};
    for (int screen = 1; screen <= 4; ++screen) {
        const QString s = QStringLiteral("OSD%1_").arg(screen);
        if (b.size() < targetCount)
            b.addInt(s + "ENABLE", screen == 1 ? 1 : 0);
        if (b.size() < targetCount)
            b.addInt(s + "CHAN_MIN", 900, T::Int16);
        if (b.size() < targetCount)
            b.addInt(s + "CHAN_MAX", 2100, T::Int16);
        int row = 0;
        for (const char *item : items) {
            const QString base = s + QLatin1String(item);
            if (b.size() < targetCount)
                b.addInt(base + "_EN", screen == 1 && row < 10 && shown[row] ? 1 : 0);
            if (b.size() < targetCount)
                b.addInt(base + "_X", (row * 7) % 28);
            if (b.size() < targetCount)
                b.addInt(base + "_Y", (row * 3) % 14 + 1);
            ++row;
        }
    }
}

} // namespace

QList<SimParameter> HeliParameterTable::build()
{
    TableBuilder b;
    addSystem(b);
    addSerial(b);
    addRadio(b);
    addServos(b);
    addHeli(b);
    addAttitude(b);
    addPositionControl(b);
    addBattery(b);
    addSensors(b);
    addEstimation(b);
    addPeripherals(b);
    addOsd(b, kCount);
    QList<SimParameter> table = b.take();
    if (table.size() > kCount)
        table.resize(kCount);
    return table;
}
