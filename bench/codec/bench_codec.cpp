// Parses a mixed-telemetry capture (attitude, status, GPS, RC channels,
// parameter values, status texts and heartbeats, with noise bytes between
// frames) and prints the throughput of the receive path: one byte at a time
// through receiveByte() (what the link worker does) and chunk-wise through
// receive().
//
// Usage: bench_codec [megabytes of capture, default 16] [passes, default 5]
#include "link/MavlinkCodec.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QtGlobal>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

std::vector<uint8_t> makeCapture(size_t bytes, size_t *frameCount)
{
    QRandomGenerator rng(1234);
    MavlinkCodec fc; // the flight controller's end
    std::vector<uint8_t> out;
    out.reserve(bytes + 512);
    uint8_t buf[MavlinkCodec::kMaxFrameSize];
    size_t frames = 0;
    uint32_t t = 0;
    const auto add = [&](int n) {
        out.insert(out.end(), buf, buf + n);
        ++frames;
        // Line noise between frames: 0 to 6 random bytes, now and then.
        if (rng.bounded(4) == 0) {
            const int noise = rng.bounded(7);
            for (int i = 0; i < noise; ++i)
                out.push_back(static_cast<uint8_t>(rng.bounded(256)));
        }
    };
    const auto frand = [&](float lo, float hi) {
        return lo + (hi - lo) * static_cast<float>(rng.generateDouble());
    };

    int paramIndex = 0;
    while (out.size() < bytes) {
        t += 100;
        mavlink_attitude_t att{};
        att.time_boot_ms = t;
        att.roll = frand(-0.5f, 0.5f);
        att.pitch = frand(-0.5f, 0.5f);
        att.yaw = frand(-3.1f, 3.1f);
        att.rollspeed = frand(-1, 1);
        att.pitchspeed = frand(-1, 1);
        att.yawspeed = frand(-1, 1);
        add(fc.encode(buf, att, 1, 1));

        mavlink_rc_channels_t rc{};
        rc.time_boot_ms = t;
        rc.chancount = 16;
        rc.chan1_raw = static_cast<uint16_t>(1000 + rng.bounded(1000));
        rc.chan2_raw = static_cast<uint16_t>(1000 + rng.bounded(1000));
        rc.chan3_raw = static_cast<uint16_t>(1000 + rng.bounded(1000));
        rc.chan4_raw = static_cast<uint16_t>(1000 + rng.bounded(1000));
        rc.chan5_raw = rc.chan6_raw = rc.chan7_raw = rc.chan8_raw = 1500;
        rc.chan9_raw = rc.chan10_raw = 1100;
        rc.rssi = 200;
        add(fc.encode(buf, rc, 1, 1));

        if ((t / 100) % 2 == 0) {
            mavlink_sys_status_t st{};
            st.onboard_control_sensors_present = 0x0361FC2F;
            st.onboard_control_sensors_enabled = 0x0261FC2F;
            st.onboard_control_sensors_health = 0x0371FC2F;
            st.load = static_cast<uint16_t>(rng.bounded(1000));
            st.voltage_battery = static_cast<uint16_t>(11000 + rng.bounded(1600));
            st.current_battery = static_cast<int16_t>(rng.bounded(3000));
            st.battery_remaining = static_cast<int8_t>(rng.bounded(100));
            add(fc.encode(buf, st, 1, 1));

            mavlink_gps_raw_int_t gps{};
            gps.time_usec = uint64_t(t) * 1000;
            gps.lat = 313000000 + rng.bounded(10000);
            gps.lon = 1214000000 + rng.bounded(10000);
            gps.alt = 12000;
            gps.eph = static_cast<uint16_t>(80 + rng.bounded(100));
            gps.epv = static_cast<uint16_t>(120 + rng.bounded(100));
            gps.vel = static_cast<uint16_t>(rng.bounded(500));
            gps.cog = static_cast<uint16_t>(rng.bounded(36000));
            gps.fix_type = 3;
            gps.satellites_visible = static_cast<uint8_t>(8 + rng.bounded(10));
            add(fc.encode(buf, gps, 1, 1));

            mavlink_heartbeat_t hb{};
            hb.type = 4;
            hb.autopilot = 3;
            hb.base_mode = 81;
            hb.system_status = 3;
            hb.mavlink_version = 3;
            add(fc.encode(buf, hb, 1, 1));
        }

        mavlink_param_value_t pv{};
        pv.param_value = frand(0, 2000);
        pv.param_count = 1200;
        pv.param_index = static_cast<uint16_t>(paramIndex++ % 1200);
        std::snprintf(pv.param_id, sizeof pv.param_id, "PARAM_%05d", int(pv.param_index));
        pv.param_type = 9;
        add(fc.encode(buf, pv, 1, 1));

        if ((t / 100) % 10 == 0) {
            mavlink_statustext_t txt{};
            txt.severity = 6;
            std::snprintf(txt.text, sizeof txt.text, "PreArm: Compass not calibrated %u", unsigned(t));
            add(fc.encode(buf, txt, 1, 1));
        }
    }
    *frameCount = frames;
    return out;
}

// A classic byte-at-a-time MAVLink parser, as parsers of that design are
// usually written: one call per byte, a running X.25 checksum updated bit-wise
// on every header and payload byte, the table searched for every frame and the
// whole frame record copied out on success. It parses the same frames; it is
// here only to give the figures of this run a yardstick that the machine's
// load affects in the same way.
class ClassicParser
{
public:
    Q_NEVER_INLINE int parse(uint8_t c)
    {
        switch (state) {
        case 0:
            if (c == 0xFB || c == 0xFE) {
                v1 = c == 0xFE;
                crc = 0xFFFF;
                state = 1;
            }
            return 0;
        case 1:
            rx.len = c;
            index = 0;
            acc(c);
            state = v1 ? 4 : 2;
            return 0;
        case 2:
            if (c & ~1) {
                state = 0;
                return 0;
            }
            rx.incompatFlags = c;
            acc(c);
            state = 3;
            return 0;
        case 3: rx.compatFlags = c; acc(c); state = 4; return 0;
        case 4: rx.seq = c; acc(c); state = 5; return 0;
        case 5: rx.sysid = c; acc(c); state = 6; return 0;
        case 6: rx.compid = c; acc(c); state = 7; return 0;
        case 7:
            rx.msgid = c;
            acc(c);
            state = v1 ? (rx.len ? 10 : 11) : 8;
            return 0;
        case 8: rx.msgid |= uint32_t(c) << 8; acc(c); state = 9; return 0;
        case 9: rx.msgid |= uint32_t(c) << 16; acc(c); state = rx.len ? 10 : 11; return 0;
        case 10:
            rx.payload[index++] = c;
            acc(c);
            if (index == rx.len)
                state = 11;
            return 0;
        case 11: {
            const MavlinkMessageEntry *e = MessageTable::lookup(rx.msgid);
            acc(e ? e->crcExtra : 0);
            if (e && rx.len < e->maxLength)
                std::memset(rx.payload + rx.len, 0, e->maxLength - rx.len);
            good = c == (crc & 0xFF);
            state = 12;
            return 0;
        }
        default:
            state = 0;
            if (good && c == (crc >> 8)) {
                last = rx;
                return 1;
            }
            if (c == 0xFB) { // the recovery rule: this byte may start the next frame
                v1 = false;
                crc = 0xFFFF;
                state = 1;
            }
            return 2;
        }
    }

private:
    void acc(uint8_t b)
    {
        uint8_t tmp = b ^ static_cast<uint8_t>(crc & 0xFF);
        tmp ^= static_cast<uint8_t>(tmp << 4);
        crc = static_cast<uint16_t>((crc >> 8) ^ (tmp << 8) ^ (tmp << 3) ^ (tmp >> 4));
    }

    int state = 0;
    bool v1 = false;
    bool good = false;
    uint16_t crc = 0xFFFF;
    uint8_t index = 0;
    MavlinkFrame rx;
    MavlinkFrame last;
};

struct Figure {
    double mbPerSecond;
    double framesPerSecond;
    size_t frames;
};

template <typename Parse>
Figure measure(const std::vector<uint8_t> &capture, int passes, Parse parse)
{
    // Best of several passes, by processor time: the machine is shared, and
    // time spent waiting for a core is not the parser's.
    double best = 1e100;
    size_t frames = 0;
    for (int p = 0; p < passes; ++p) {
        MavlinkCodec codec;
        const std::clock_t start = std::clock();
        frames = parse(codec, capture);
        const double s = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
        best = std::min(best, std::max(s, 1e-9));
    }
    return {capture.size() / best / 1e6, frames / best, frames};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const size_t megabytes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 16;
    const int passes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

    size_t built = 0;
    const std::vector<uint8_t> capture = makeCapture(megabytes * 1000 * 1000, &built);

    const Figure perByte = measure(capture, passes, [](MavlinkCodec &c, const std::vector<uint8_t> &d) {
        size_t n = 0;
        uint32_t sink = 0;
        for (uint8_t b : d) {
            if (c.receiveByte(b) == MavlinkCodec::Ok) {
                ++n;
                sink += c.lastFrame().msgid;
            }
        }
        if (sink == 0xFFFFFFFF)
            std::puts("");
        return n;
    });

    const Figure chunked = measure(capture, passes, [](MavlinkCodec &c, const std::vector<uint8_t> &d) {
        size_t n = 0;
        // Serial reads arrive in chunks; 4 KiB is a generous one.
        for (size_t i = 0; i < d.size(); i += 4096) {
            c.receive(d.data() + i, std::min<size_t>(4096, d.size() - i),
                      [&n](const MavlinkFrame &) { ++n; });
        }
        return n;
    });

    double classicBest = 1e100;
    size_t classicFrames = 0;
    for (int p = 0; p < passes; ++p) {
        ClassicParser parser;
        size_t n = 0;
        const std::clock_t start = std::clock();
        for (uint8_t b : capture)
            n += parser.parse(b) == 1;
        classicBest = std::min(classicBest, std::max(1e-9, double(std::clock() - start) / CLOCKS_PER_SEC));
        classicFrames = n;
    }
    const double classicMBps = capture.size() / classicBest / 1e6;

#ifdef NDEBUG
    const char *build = "optimised";
#else
    const char *build = "debug (figures not representative)";
#endif
    std::printf("codec benchmark: %.1f MB mixed telemetry, %zu frames built, best of %d passes (processor time), %s build\n",
                capture.size() / 1e6, built, passes, build);
    std::printf("  receiveByte (per byte): %8.1f MB/s  %10.0f frames/s  (%zu frames)\n",
                perByte.mbPerSecond, perByte.framesPerSecond, perByte.frames);
    std::printf("  receive (4 KiB chunks): %8.1f MB/s  %10.0f frames/s  (%zu frames)\n",
                chunked.mbPerSecond, chunked.framesPerSecond, chunked.frames);
    std::printf("  classic per-byte parser: %8.1f MB/s  %10.0f frames/s  (%zu frames; yardstick)\n",
                classicMBps, classicFrames / classicBest, classicFrames);
    std::printf("  ratio receiveByte / classic: %.2f   receive / classic: %.2f\n",
                perByte.mbPerSecond / classicMBps, chunked.mbPerSecond / classicMBps);
    // Noise that happens to hold a start marker swallows the frame after it,
    // as on a real line; both paths must agree on what got through.
    const bool ok = perByte.frames == chunked.frames && classicFrames == perByte.frames && perByte.frames >= built * 95 / 100;
    if (!ok)
        std::printf("  frame counts differ or too many frames lost (built %zu)\n", built);
    return ok ? 0 : 1;
}
