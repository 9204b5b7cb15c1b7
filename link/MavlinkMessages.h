#pragma once
// Message structures of the MAVLink messages TAVRO reads and sends.
//
// Each structure is the message payload exactly as it travels on the wire:
// fields in wire order (base fields sorted by type size, largest first, in
// declaration order among equal sizes; extension fields last, in declaration
// order), packed, little-endian. A structure can therefore be copied to and
// from a frame payload byte for byte. Names follow MAVLink's code generators
// (mavlink_ + message name + _t) so that they read like every other MAVLink
// code base; the radio page receives mavlink_rc_channels_t whole (its
// meta-type declaration is here, so a page needs no worker header for it).
//
// MavlinkMessageInfo<T> gives each structure's message id, CRC_EXTRA and
// payload lengths; the table test checks these against the generated message
// table (MessageTable), so the two never drift apart.
//
// Read fields by value (auto v = msg.voltage_battery;): the structures are
// packed, so taking a reference or pointer to a member is not allowed.

#include <QMetaType>

#include <cstddef>
#include <cstdint>

#if defined(__BYTE_ORDER__) && defined(__ORDER_LITTLE_ENDIAN__)
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "MAVLink payloads are little-endian and are copied byte for byte into these structures");
#endif

#pragma pack(push, 1)

// 0 HEARTBEAT (minimal.xml)
struct mavlink_heartbeat_t {
    uint32_t custom_mode;
    uint8_t type;
    uint8_t autopilot;
    uint8_t base_mode;
    uint8_t system_status;
    uint8_t mavlink_version;
};

// 1 SYS_STATUS
struct mavlink_sys_status_t {
    uint32_t onboard_control_sensors_present;
    uint32_t onboard_control_sensors_enabled;
    uint32_t onboard_control_sensors_health;
    uint16_t load;
    uint16_t voltage_battery;   // mV
    int16_t current_battery;    // cA
    uint16_t drop_rate_comm;
    uint16_t errors_comm;
    uint16_t errors_count1;
    uint16_t errors_count2;
    uint16_t errors_count3;
    uint16_t errors_count4;
    int8_t battery_remaining;
    // extensions
    uint32_t onboard_control_sensors_present_extended;
    uint32_t onboard_control_sensors_enabled_extended;
    uint32_t onboard_control_sensors_health_extended;
};

// 20 PARAM_REQUEST_READ
struct mavlink_param_request_read_t {
    int16_t param_index;
    uint8_t target_system;
    uint8_t target_component;
    char param_id[16];          // NUL-padded, no terminator when 16 characters long
};

// 21 PARAM_REQUEST_LIST
struct mavlink_param_request_list_t {
    uint8_t target_system;
    uint8_t target_component;
};

// 22 PARAM_VALUE
struct mavlink_param_value_t {
    float param_value;
    uint16_t param_count;
    uint16_t param_index;
    char param_id[16];          // NUL-padded, no terminator when 16 characters long
    uint8_t param_type;
};

// 23 PARAM_SET
struct mavlink_param_set_t {
    float param_value;
    uint8_t target_system;
    uint8_t target_component;
    char param_id[16];          // NUL-padded, no terminator when 16 characters long
    uint8_t param_type;
};

// 24 GPS_RAW_INT
struct mavlink_gps_raw_int_t {
    uint64_t time_usec;
    int32_t lat;
    int32_t lon;
    int32_t alt;
    uint16_t eph;
    uint16_t epv;
    uint16_t vel;
    uint16_t cog;
    uint8_t fix_type;
    uint8_t satellites_visible;
    // extensions
    int32_t alt_ellipsoid;
    uint32_t h_acc;
    uint32_t v_acc;
    uint32_t vel_acc;
    uint32_t hdg_acc;
    uint16_t yaw;
};

// 30 ATTITUDE
struct mavlink_attitude_t {
    uint32_t time_boot_ms;
    float roll;                 // rad
    float pitch;                // rad
    float yaw;                  // rad
    float rollspeed;
    float pitchspeed;
    float yawspeed;
};

// 65 RC_CHANNELS
struct mavlink_rc_channels_t {
    uint32_t time_boot_ms;
    uint16_t chan1_raw;         // us
    uint16_t chan2_raw;
    uint16_t chan3_raw;
    uint16_t chan4_raw;
    uint16_t chan5_raw;
    uint16_t chan6_raw;
    uint16_t chan7_raw;
    uint16_t chan8_raw;
    uint16_t chan9_raw;
    uint16_t chan10_raw;
    uint16_t chan11_raw;
    uint16_t chan12_raw;
    uint16_t chan13_raw;
    uint16_t chan14_raw;
    uint16_t chan15_raw;
    uint16_t chan16_raw;
    uint16_t chan17_raw;
    uint16_t chan18_raw;
    uint8_t chancount;
    uint8_t rssi;
};

// 66 REQUEST_DATA_STREAM
struct mavlink_request_data_stream_t {
    uint16_t req_message_rate;  // Hz
    uint8_t target_system;
    uint8_t target_component;
    uint8_t req_stream_id;
    uint8_t start_stop;         // 1 start, 0 stop
};

// 76 COMMAND_LONG
struct mavlink_command_long_t {
    float param1;
    float param2;
    float param3;
    float param4;
    float param5;
    float param6;
    float param7;
    uint16_t command;
    uint8_t target_system;
    uint8_t target_component;
    uint8_t confirmation;
};

// 124 GPS2_RAW
struct mavlink_gps2_raw_t {
    uint64_t time_usec;
    int32_t lat;
    int32_t lon;
    int32_t alt;
    uint32_t dgps_age;
    uint16_t eph;
    uint16_t epv;
    uint16_t vel;
    uint16_t cog;
    uint8_t fix_type;
    uint8_t satellites_visible;
    uint8_t dgps_numch;
    // extensions
    uint16_t yaw;
    int32_t alt_ellipsoid;
    uint32_t h_acc;
    uint32_t v_acc;
    uint32_t vel_acc;
    uint32_t hdg_acc;
};

// 191 MAG_CAL_PROGRESS (ardupilotmega.xml; not part of the common set)
struct mavlink_mag_cal_progress_t {
    float direction_x;
    float direction_y;
    float direction_z;
    uint8_t compass_id;
    uint8_t cal_mask;
    uint8_t cal_status;
    uint8_t attempt;
    uint8_t completion_pct;     // %
    uint8_t completion_mask[10];
};

// 192 MAG_CAL_REPORT
struct mavlink_mag_cal_report_t {
    float fitness;
    float ofs_x;
    float ofs_y;
    float ofs_z;
    float diag_x;
    float diag_y;
    float diag_z;
    float offdiag_x;
    float offdiag_y;
    float offdiag_z;
    uint8_t compass_id;
    uint8_t cal_mask;
    uint8_t cal_status;
    uint8_t autosaved;
    // extensions
    float orientation_confidence;
    uint8_t old_orientation;
    uint8_t new_orientation;
    float scale_factor;
};

// 253 STATUSTEXT
struct mavlink_statustext_t {
    uint8_t severity;
    char text[50];              // NUL-padded, no terminator when 50 characters long
    // extensions
    uint16_t id;
    uint8_t chunk_seq;
};

#pragma pack(pop)

// The radio page receives RC_CHANNELS whole through a queued connection.
// (Mav2Uart_Worker::registerMetaTypes() registers it at run time.)
Q_DECLARE_METATYPE(mavlink_rc_channels_t)

// Per-structure protocol constants. minLength: base fields only (what a
// MAVLink 1 sender puts on the wire); maxLength: with extensions.
template <typename T>
struct MavlinkMessageInfo;

#define TAVRO_MAVLINK_INFO(TYPE, ID, CRC, MINLEN, MAXLEN)                                   \
    template <>                                                                             \
    struct MavlinkMessageInfo<TYPE> {                                                       \
        static constexpr uint32_t id = ID;                                                  \
        static constexpr uint8_t crcExtra = CRC;                                            \
        static constexpr uint8_t minLength = MINLEN;                                        \
        static constexpr uint8_t maxLength = MAXLEN;                                        \
    };                                                                                      \
    static_assert(sizeof(TYPE) == (MAXLEN), #TYPE " must match the wire length");

TAVRO_MAVLINK_INFO(mavlink_heartbeat_t, 0, 50, 9, 9)
TAVRO_MAVLINK_INFO(mavlink_sys_status_t, 1, 124, 31, 43)
TAVRO_MAVLINK_INFO(mavlink_param_request_read_t, 20, 214, 20, 20)
TAVRO_MAVLINK_INFO(mavlink_param_request_list_t, 21, 159, 2, 2)
TAVRO_MAVLINK_INFO(mavlink_param_value_t, 22, 220, 25, 25)
TAVRO_MAVLINK_INFO(mavlink_param_set_t, 23, 168, 23, 23)
TAVRO_MAVLINK_INFO(mavlink_gps_raw_int_t, 24, 24, 30, 52)
TAVRO_MAVLINK_INFO(mavlink_attitude_t, 30, 39, 28, 28)
TAVRO_MAVLINK_INFO(mavlink_rc_channels_t, 65, 118, 42, 42)
TAVRO_MAVLINK_INFO(mavlink_request_data_stream_t, 66, 148, 6, 6)
TAVRO_MAVLINK_INFO(mavlink_command_long_t, 76, 152, 33, 33)
TAVRO_MAVLINK_INFO(mavlink_gps2_raw_t, 124, 87, 35, 57)
TAVRO_MAVLINK_INFO(mavlink_mag_cal_progress_t, 191, 92, 27, 27)
TAVRO_MAVLINK_INFO(mavlink_mag_cal_report_t, 192, 36, 44, 54)
TAVRO_MAVLINK_INFO(mavlink_statustext_t, 253, 83, 51, 54)

#undef TAVRO_MAVLINK_INFO

// Message ids used by the link.
namespace MavlinkId {
constexpr uint32_t HEARTBEAT = 0;
constexpr uint32_t SYS_STATUS = 1;
constexpr uint32_t PARAM_REQUEST_READ = 20;
constexpr uint32_t PARAM_REQUEST_LIST = 21;
constexpr uint32_t PARAM_VALUE = 22;
constexpr uint32_t PARAM_SET = 23;
constexpr uint32_t GPS_RAW_INT = 24;
constexpr uint32_t ATTITUDE = 30;
constexpr uint32_t RC_CHANNELS = 65;
constexpr uint32_t REQUEST_DATA_STREAM = 66;
constexpr uint32_t COMMAND_LONG = 76;
constexpr uint32_t GPS2_RAW = 124;
constexpr uint32_t MAG_CAL_PROGRESS = 191;
constexpr uint32_t MAG_CAL_REPORT = 192;
constexpr uint32_t STATUSTEXT = 253;
} // namespace MavlinkId
