// The codec on its own: frames as they leave, the receive state machine with
// its recovery rule, and decoding of short payloads.
#include "link/MavlinkCodec.h"

#include <QtTest>

#include <cmath>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

template <typename T>
Bytes encodeFrame(MavlinkCodec &codec, const T &msg, uint8_t sysid = 1, uint8_t compid = 1)
{
    uint8_t buf[MavlinkCodec::kMaxFrameSize];
    const int n = codec.encode(buf, msg, sysid, compid);
    return Bytes(buf, buf + n);
}

// Any frame, laid out by hand (used for what the codec itself never sends:
// MAVLink 1, signed frames, foreign markers, unknown flags).
Bytes rawFrame(uint8_t magic, uint8_t incompat, uint8_t seq, uint8_t sysid, uint8_t compid,
               uint32_t msgid, const Bytes &payload, uint8_t crcExtra, const Bytes &signature = {})
{
    Bytes f;
    f.push_back(magic);
    f.push_back(static_cast<uint8_t>(payload.size()));
    if (magic == MavlinkCodec::kStxV1) {
        f.insert(f.end(), {seq, sysid, compid, static_cast<uint8_t>(msgid)});
    } else {
        f.insert(f.end(), {incompat, 0, seq, sysid, compid, static_cast<uint8_t>(msgid),
                           static_cast<uint8_t>(msgid >> 8), static_cast<uint8_t>(msgid >> 16)});
    }
    f.insert(f.end(), payload.begin(), payload.end());
    uint16_t crc = MavlinkCodec::crcCalculate(f.data() + 1, f.size() - 1);
    crc = MavlinkCodec::crcAccumulate(crcExtra, crc);
    f.push_back(static_cast<uint8_t>(crc & 0xFF));
    f.push_back(static_cast<uint8_t>(crc >> 8));
    f.insert(f.end(), signature.begin(), signature.end());
    return f;
}

template <typename T>
Bytes payloadOf(const T &msg, size_t len = sizeof(T))
{
    const auto *p = reinterpret_cast<const uint8_t *>(&msg);
    return Bytes(p, p + len);
}

Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes &p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Good frames out of a byte stream, one byte at a time through the recovery rule.
std::vector<MavlinkFrame> feedBytewise(MavlinkCodec &codec, const Bytes &bytes)
{
    std::vector<MavlinkFrame> frames;
    for (uint8_t b : bytes) {
        const MavlinkCodec::Result r = codec.receiveByte(b);
        if (r == MavlinkCodec::Ok)
            frames.push_back(codec.lastFrame());
        else if (r != MavlinkCodec::Incomplete)
            qFatal("receiveByte must apply the recovery rule");
    }
    return frames;
}

std::vector<MavlinkFrame> feedChunked(MavlinkCodec &codec, const Bytes &bytes, size_t chunk)
{
    std::vector<MavlinkFrame> frames;
    for (size_t i = 0; i < bytes.size(); i += chunk) {
        const size_t n = std::min(chunk, bytes.size() - i);
        codec.receive(bytes.data() + i, n, [&](const MavlinkFrame &f) { frames.push_back(f); });
    }
    return frames;
}

bool sameFrame(const MavlinkFrame &a, const MavlinkFrame &b)
{
    const MavlinkMessageEntry *e = MessageTable::lookup(a.msgid);
    const int n = std::max<int>(a.len, e ? e->maxLength : 0);
    return a.magic == b.magic && a.len == b.len && a.incompatFlags == b.incompatFlags
        && a.seq == b.seq && a.sysid == b.sysid && a.compid == b.compid && a.msgid == b.msgid
        && a.checksum == b.checksum && std::memcmp(a.payload, b.payload, n) == 0;
}

bool hasMarkerAfterStart(const Bytes &f)
{
    for (size_t i = 1; i < f.size(); ++i)
        if (f[i] == MavlinkCodec::kStx || f[i] == MavlinkCodec::kStxV1)
            return true;
    return false;
}

mavlink_attitude_t sampleAttitude(float roll)
{
    mavlink_attitude_t a{};
    a.time_boot_ms = 123456;
    a.roll = roll;
    a.pitch = -0.25f;
    a.yaw = 1.5f;
    a.rollspeed = 0.01f;
    a.pitchspeed = 0.02f;
    a.yawspeed = 0.03f;
    return a;
}

} // namespace

class TestMavlinkCodec : public QObject
{
    Q_OBJECT

private slots:
    void checksumIsMcrf4xx()
    {
        // The standard check value of CRC-16/MCRF4XX.
        const char *check = "123456789";
        QCOMPARE(MavlinkCodec::crcCalculate(reinterpret_cast<const uint8_t *>(check), 9), uint16_t(0x6F91));
    }

    void sentFramesAreTrimmedAndAddressed()
    {
        MavlinkCodec codec;
        uint8_t buf[MavlinkCodec::kMaxFrameSize];

        // Reboot: everything after the target-component byte is zero -> 32 bytes.
        int n = codec.packCommandLong(buf, 246, 1.0f);
        QCOMPARE(n, 10 + 32 + 2);
        QCOMPARE(int(buf[0]), 0xFB);
        QCOMPARE(int(buf[1]), 32);
        QCOMPARE(int(buf[2]), 0);
        QCOMPARE(int(buf[3]), 0);
        QCOMPARE(int(buf[5]), 255);
        QCOMPARE(int(buf[6]), 190);
        QCOMPARE(int(buf[7]) | int(buf[8]) << 8 | int(buf[9]) << 16, 76);
        const uint8_t *p = buf + 10;
        float p1;
        std::memcpy(&p1, p, 4);
        QCOMPARE(p1, 1.0f);
        for (int i = 4; i < 28; ++i)
            QCOMPARE(int(p[i]), 0);
        QCOMPARE(int(p[28]) | int(p[29]) << 8, 246);
        QCOMPARE(int(p[30]), 1);
        QCOMPARE(int(p[31]), 1);

        // Compass calibration start (42424), reboot flag 0.
        n = codec.packCommandLong(buf, 42424, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f);
        QCOMPARE(int(buf[1]), 32);
        QCOMPARE(int(buf[10 + 28]) | int(buf[10 + 29]) << 8, 42424);

        // Stream request: identity 255/0 towards 1/0; a stop ends in a zero byte.
        n = codec.packRequestDataStream(buf, 3, 10, 1);
        QCOMPARE(n, 10 + 6 + 2);
        QCOMPARE(int(buf[5]), 255);
        QCOMPARE(int(buf[6]), 0);
        QCOMPARE(int(buf[10]) | int(buf[11]) << 8, 10);
        QCOMPARE(int(buf[12]), 1);
        QCOMPARE(int(buf[13]), 0);
        QCOMPARE(int(buf[14]), 3);
        QCOMPARE(int(buf[15]), 1);
        n = codec.packRequestDataStream(buf, 3, 10, 0);
        QCOMPARE(int(buf[1]), 5);

        // Parameter list request: identity 1/1 towards 1/1, nothing to trim.
        n = codec.packParamRequestList(buf);
        QCOMPARE(n, 10 + 2 + 2);
        QCOMPARE(int(buf[5]), 1);
        QCOMPARE(int(buf[6]), 1);
        QCOMPARE(int(buf[10]), 1);
        QCOMPARE(int(buf[11]), 1);

        // An all-zero payload keeps one byte.
        mavlink_param_request_list_t empty{};
        n = codec.encode(buf, empty, 1, 1);
        QCOMPARE(n, 10 + 1 + 2);
        QCOMPARE(int(buf[1]), 1);
        QCOMPARE(int(buf[10]), 0);

        // The checksum covers the header after the marker, the payload and CRC_EXTRA.
        n = codec.packParamSet(buf, "H_COL_MAX", 1750.0f);
        uint16_t crc = MavlinkCodec::crcCalculate(buf + 1, 9 + buf[1]);
        crc = MavlinkCodec::crcAccumulate(168, crc);
        QCOMPARE(int(buf[n - 2]), crc & 0xFF);
        QCOMPARE(int(buf[n - 1]), crc >> 8);
    }

    void parameterNamesAreSixteenBytesNulPadded()
    {
        MavlinkCodec codec;
        uint8_t buf[MavlinkCodec::kMaxFrameSize];
        MavlinkCodec rx;

        const auto sentParamSet = [&](const char *name, float value) {
            const int n = codec.packParamSet(buf, name, value);
            const auto frames = feedBytewise(rx, Bytes(buf, buf + n));
            if (frames.size() != 1)
                qFatal("PARAM_SET did not parse back");
            return MavlinkCodec::decode<mavlink_param_set_t>(frames[0]);
        };

        mavlink_param_set_t m = sentParamSet("ATC_RAT_YAW_P", 0.18f);
        QCOMPARE(QByteArray(m.param_id, 16), QByteArray("ATC_RAT_YAW_P\0\0\0", 16));
        QCOMPARE(float(m.param_value), 0.18f);
        QCOMPARE(int(m.param_type), 9);
        QCOMPARE(int(m.target_system), 1);
        QCOMPARE(int(m.target_component), 1);

        m = sentParamSet("ABCDEFGHIJKLMNOP", -2.5f); // exactly 16: no terminator
        QCOMPARE(QByteArray(m.param_id, 16), QByteArray("ABCDEFGHIJKLMNOP"));
        m = sentParamSet("ABCDEFGHIJKLMNOPQRS", 1.0f); // longer: cut at 16
        QCOMPARE(QByteArray(m.param_id, 16), QByteArray("ABCDEFGHIJKLMNOP"));
        m = sentParamSet(nullptr, 3.0f);
        QCOMPARE(QByteArray(m.param_id, 16), QByteArray(16, '\0'));
        QCOMPARE(float(m.param_value), 3.0f);

        // Single reads, by name and by index.
        int n = codec.packParamRequestRead(buf, "BATT_VOLT_MULT");
        auto frames = feedBytewise(rx, Bytes(buf, buf + n));
        QCOMPARE(frames.size(), size_t(1));
        auto rr = MavlinkCodec::decode<mavlink_param_request_read_t>(frames[0]);
        QCOMPARE(int(rr.param_index), -1);
        QCOMPARE(QByteArray(rr.param_id), QByteArray("BATT_VOLT_MULT"));
        QCOMPARE(int(frames[0].sysid), 1);
        QCOMPARE(int(frames[0].compid), 1);
        n = codec.packParamRequestRead(buf, "", 7);
        frames = feedBytewise(rx, Bytes(buf, buf + n));
        QCOMPARE(frames.size(), size_t(1));
        rr = MavlinkCodec::decode<mavlink_param_request_read_t>(frames[0]);
        QCOMPARE(int(rr.param_index), 7);
        QCOMPARE(QByteArray(rr.param_id, 16), QByteArray(16, '\0'));
        QCOMPARE(int(rr.target_system), 1);
        QCOMPARE(int(rr.target_component), 1);
    }

    void sequenceRunsAcrossMessageKindsAndWraps()
    {
        MavlinkCodec codec;
        uint8_t buf[MavlinkCodec::kMaxFrameSize];
        QCOMPARE(int(codec.txSequence()), 0);
        for (int i = 0; i < 600; ++i) {
            switch (i % 5) {
            case 0: codec.packRequestDataStream(buf, 1, 10, 1); break;
            case 1: codec.packCommandLong(buf, 246, 1.0f); break;
            case 2: codec.packParamRequestList(buf); break;
            case 3: codec.packParamSet(buf, "RC1_MIN", 1000.0f); break;
            default: codec.encode(buf, sampleAttitude(0.5f), 1, 1); break;
            }
            QCOMPARE(int(buf[4]), i % 256);
        }
        QCOMPARE(int(codec.txSequence()), 600 % 256);

        // Refused frames take no sequence number.
        const uint8_t payload[4] = {1, 2, 3, 4};
        QCOMPARE(codec.pack(buf, 99999, payload, 4, 1, 1), 0);
        QCOMPARE(codec.pack(buf, MavlinkId::ATTITUDE, payload, 256, 1, 1), 0);
        QCOMPARE(codec.pack(buf, MavlinkId::ATTITUDE, nullptr, 4, 1, 1), 0);
        QCOMPARE(int(codec.txSequence()), 600 % 256);
        QVERIFY(codec.pack(buf, MavlinkId::ATTITUDE, payload, 4, 1, 1) > 0);
        QCOMPARE(int(buf[4]), 600 % 256);
    }

    void everySentFrameParsesBack()
    {
        MavlinkCodec tx;
        MavlinkCodec rx;
        const mavlink_attitude_t att = sampleAttitude(0.75f);
        const auto frames = feedBytewise(rx, encodeFrame(tx, att, 1, 1));
        QCOMPARE(frames.size(), size_t(1));
        const MavlinkFrame &f = frames[0];
        QCOMPARE(int(f.magic), 0xFB);
        QCOMPARE(f.msgid, MavlinkId::ATTITUDE);
        QCOMPARE(int(f.sysid), 1);
        QCOMPARE(int(f.compid), 1);
        const auto got = MavlinkCodec::decode<mavlink_attitude_t>(f);
        QCOMPARE(std::memcmp(&got, &att, sizeof att), 0);
    }

    void singleBitErrorsAreDropped()
    {
        MavlinkCodec tx;
        const Bytes good = encodeFrame(tx, sampleAttitude(0.3f));
        for (size_t i = 1; i < good.size(); ++i) {
            for (int bit = 0; bit < 8; ++bit) {
                Bytes bad = good;
                bad[i] ^= static_cast<uint8_t>(1u << bit);
                MavlinkCodec rx;
                QVERIFY2(feedBytewise(rx, bad).empty(),
                         qPrintable(QString("byte %1 bit %2").arg(i).arg(bit)));
            }
        }
    }

    void badChecksumEndingInStartMarkerStartsTheNextFrame()
    {
        MavlinkCodec tx;
        Bytes bad = encodeFrame(tx, sampleAttitude(0.1f));
        const Bytes next = encodeFrame(tx, sampleAttitude(0.2f));
        QVERIFY(bad.back() != 0xFB);
        bad.back() = 0xFB; // wrong checksum high byte, and it is a start marker

        // The raw state machine reports the damage at that byte.
        {
            MavlinkCodec rx;
            MavlinkCodec::Result last = MavlinkCodec::Incomplete;
            for (uint8_t b : bad)
                last = rx.parseByte(b);
            QCOMPARE(last, MavlinkCodec::BadCrc);
        }

        // With the recovery rule, the 0xFB is the marker of `next`, whose own
        // marker is missing from the stream.
        MavlinkCodec rx;
        for (uint8_t b : bad)
            QCOMPARE(rx.receiveByte(b), MavlinkCodec::Incomplete);
        QCOMPARE(rx.state(), MavlinkCodec::State::GotStx);
        const auto frames = feedBytewise(rx, Bytes(next.begin() + 1, next.end()));
        QCOMPARE(frames.size(), size_t(1));
        QCOMPARE(MavlinkCodec::decode<mavlink_attitude_t>(frames[0]).roll, 0.2f);

        // The same through the chunk path, in one piece and byte by byte.
        for (size_t chunk : {size_t(1), size_t(7), size_t(1000)}) {
            MavlinkCodec c;
            const auto f = feedChunked(c, cat({bad, Bytes(next.begin() + 1, next.end())}), chunk);
            QCOMPARE(f.size(), size_t(1));
            QCOMPARE(int(f[0].seq), 1);
        }

        QCOMPARE(rx.droppedFrames(), 1u);
        QCOMPARE(rx.lastDroppedMsgid(), MavlinkId::ATTITUDE);

        // A damaged frame not ending in 0xFB is simply dropped.
        Bytes bad2 = encodeFrame(tx, sampleAttitude(0.4f));
        bad2[12] ^= 0x40;
        MavlinkCodec rx2;
        const auto f2 = feedBytewise(rx2, cat({bad2, next}));
        QCOMPARE(f2.size(), size_t(1));
        QCOMPARE(int(f2[0].seq), 1);
    }

    void standardMarkerIsNeverRecognised()
    {
        MavlinkCodec tx;
        Bytes stream;
        Bytes wanted;
        for (int i = 0; i < 50; ++i) {
            Bytes f = encodeFrame(tx, sampleAttitude(0.01f * i));
            f[0] = 0xFD;
            stream.insert(stream.end(), f.begin(), f.end());
        }
        MavlinkCodec rx;
        QVERIFY(feedBytewise(rx, stream).empty());

        // Interleaved with frames of this link, only those come through.
        Bytes mixed;
        for (int i = 0; i < 20; ++i) {
            Bytes f = encodeFrame(tx, sampleAttitude(0.02f * i));
            const Bytes own = f;
            f[0] = 0xFD;
            mixed.insert(mixed.end(), f.begin(), f.end());
            mixed.insert(mixed.end(), own.begin(), own.end());
        }
        MavlinkCodec rx2;
        QCOMPARE(feedBytewise(rx2, mixed).size(), size_t(20));
    }

    void unknownIncompatibilityFlagsDropTheFrame_data()
    {
        QTest::addColumn<int>("flags");
        QTest::newRow("0x02") << 0x02;
        QTest::newRow("0x03") << 0x03;
        QTest::newRow("0x80") << 0x80;
    }

    void unknownIncompatibilityFlagsDropTheFrame()
    {
        QFETCH(int, flags);
        const mavlink_attitude_t att = sampleAttitude(0.5f);
        const Bytes odd = rawFrame(0xFB, static_cast<uint8_t>(flags), 7, 1, 1, 30, payloadOf(att), 39);
        QVERIFY(!hasMarkerAfterStart(odd));
        MavlinkCodec tx;
        const Bytes good = encodeFrame(tx, sampleAttitude(0.6f));

        MavlinkCodec rx;
        rx.receiveByte(odd[0]);
        rx.receiveByte(odd[1]);
        rx.receiveByte(odd[2]);
        QCOMPARE(rx.state(), MavlinkCodec::State::Idle);
        const auto frames = feedBytewise(rx, cat({Bytes(odd.begin() + 3, odd.end()), good}));
        QCOMPARE(frames.size(), size_t(1));
        QCOMPARE(MavlinkCodec::decode<mavlink_attitude_t>(frames[0]).roll, 0.6f);
    }

    void signedFramesAreAcceptedWithoutVerification()
    {
        const mavlink_attitude_t att = sampleAttitude(-0.7f);
        const Bytes sig = {0xFB, 0xFE, 0xFD, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0xFB};
        const Bytes signedFrame = rawFrame(0xFB, 0x01, 9, 1, 1, 30, payloadOf(att), 39, sig);

        MavlinkCodec rx;
        const size_t okAt = signedFrame.size() - 1;
        for (size_t i = 0; i < signedFrame.size(); ++i) {
            const MavlinkCodec::Result r = rx.receiveByte(signedFrame[i]);
            QCOMPARE(r, i == okAt ? MavlinkCodec::Ok : MavlinkCodec::Incomplete);
        }
        const MavlinkFrame &f = rx.lastFrame();
        QCOMPARE(int(f.incompatFlags), 1);
        QCOMPARE(Bytes(f.signature, f.signature + 13), sig);
        QCOMPARE(MavlinkCodec::decode<mavlink_attitude_t>(f).roll, -0.7f);

        // A signed frame with a bad checksum is reported at once; its 13
        // signature bytes are then scanned as ordinary bytes. Here they hold a
        // complete 13-byte frame, which is delivered.
        MavlinkCodec tx;
        mavlink_heartbeat_t hb{};
        hb.custom_mode = 5;
        const Bytes tiny = encodeFrame(tx, hb, 1, 1);
        QCOMPARE(tiny.size(), size_t(13));
        Bytes badSigned = rawFrame(0xFB, 0x01, 10, 1, 1, 30, payloadOf(att), 39, tiny);
        badSigned[10] ^= 0x01;
        {
            MavlinkCodec raw;
            MavlinkCodec::Result r = MavlinkCodec::Incomplete;
            size_t i = 0;
            for (; i < badSigned.size() && r == MavlinkCodec::Incomplete; ++i)
                r = raw.parseByte(badSigned[i]);
            QCOMPARE(r, MavlinkCodec::BadCrc);
            QCOMPARE(i, badSigned.size() - 13);
        }
        MavlinkCodec rx2;
        const auto frames = feedBytewise(rx2, badSigned);
        QCOMPARE(frames.size(), size_t(1));
        QCOMPARE(frames[0].msgid, MavlinkId::HEARTBEAT);
        QCOMPARE(MavlinkCodec::decode<mavlink_heartbeat_t>(frames[0]).custom_mode, 5u);
    }

    void mavlink1FramesDecodeLikeMavlink2()
    {
        const mavlink_attitude_t att = sampleAttitude(0.9f);
        const Bytes v1 = rawFrame(0xFE, 0, 42, 1, 1, 30, payloadOf(att), 39);
        MavlinkCodec tx;
        const Bytes v2 = encodeFrame(tx, att);
        MavlinkCodec rx;
        const auto frames = feedBytewise(rx, cat({v1, v2}));
        QCOMPARE(frames.size(), size_t(2));
        QCOMPARE(int(frames[0].magic), 0xFE);
        QCOMPARE(int(frames[0].seq), 42);
        QCOMPARE(frames[0].msgid, frames[1].msgid);
        const auto a = MavlinkCodec::decode<mavlink_attitude_t>(frames[0]);
        const auto b = MavlinkCodec::decode<mavlink_attitude_t>(frames[1]);
        QCOMPARE(std::memcmp(&a, &b, sizeof a), 0);

        // A MAVLink 1 SYS_STATUS carries the base fields only.
        mavlink_sys_status_t st{};
        st.voltage_battery = 12600;
        st.onboard_control_sensors_health = 0x00010000;
        st.battery_remaining = 80;
        MavlinkCodec rx2;
        const auto f2 = feedBytewise(rx2, rawFrame(0xFE, 0, 0, 1, 1, 1, payloadOf(st, 31), 124));
        QCOMPARE(f2.size(), size_t(1));
        const auto d = MavlinkCodec::decode<mavlink_sys_status_t>(f2[0]);
        QCOMPARE(int(d.voltage_battery), 12600);
        QCOMPARE(uint32_t(d.onboard_control_sensors_health), 0x00010000u);
        QCOMPARE(uint32_t(d.onboard_control_sensors_health_extended), 0u);
    }

    void shortPayloadsAreZeroFilled()
    {
        MavlinkCodec rx;

        // A full SYS_STATUS first, so stale extension bytes would show.
        mavlink_sys_status_t full{};
        full.voltage_battery = 11100;
        full.battery_remaining = 50;
        full.onboard_control_sensors_present_extended = 0xAAAAAAAA;
        full.onboard_control_sensors_enabled_extended = 0xBBBBBBBB;
        full.onboard_control_sensors_health_extended = 0xCCCCCCCC;
        MavlinkCodec tx;
        auto frames = feedBytewise(rx, encodeFrame(tx, full));
        QCOMPARE(frames.size(), size_t(1));
        QCOMPARE(int(frames[0].len), 43);

        // Then one of 31 bytes, as an older sender writes it.
        mavlink_sys_status_t base{};
        base.voltage_battery = 12345;
        base.battery_remaining = 42;
        frames = feedBytewise(rx, rawFrame(0xFB, 0, 3, 1, 1, 1, payloadOf(base, 31), 124));
        QCOMPARE(frames.size(), size_t(1));
        QCOMPARE(int(frames[0].len), 31);
        for (int i = 31; i < 43; ++i)
            QCOMPARE(int(frames[0].payload[i]), 0);
        const auto d = MavlinkCodec::decode<mavlink_sys_status_t>(frames[0]);
        QCOMPARE(int(d.voltage_battery), 12345);
        QCOMPARE(int(d.battery_remaining), 42);
        QCOMPARE(uint32_t(d.onboard_control_sensors_present_extended), 0u);
        QCOMPARE(uint32_t(d.onboard_control_sensors_enabled_extended), 0u);
        QCOMPARE(uint32_t(d.onboard_control_sensors_health_extended), 0u);

        // Trimmed by its sender: an ATTITUDE whose last fields are zero.
        mavlink_attitude_t att = sampleAttitude(0.2f);
        att.rollspeed = att.pitchspeed = att.yawspeed = 0.0f;
        const Bytes fa = encodeFrame(tx, att);
        QCOMPARE(int(fa[1]), 16);
        frames = feedBytewise(rx, fa);
        QCOMPARE(frames.size(), size_t(1));
        const auto da = MavlinkCodec::decode<mavlink_attitude_t>(frames[0]);
        QCOMPARE(std::memcmp(&da, &att, sizeof att), 0);

        // An empty payload (some senders trim an all-zero payload away).
        frames = feedBytewise(rx, rawFrame(0xFB, 0, 4, 1, 1, 0, {}, 50));
        QCOMPARE(frames.size(), size_t(1));
        QCOMPARE(MavlinkCodec::decode<mavlink_heartbeat_t>(frames[0]).custom_mode, 0u);

        // A longer payload than the structure (a newer sender) is cut to size.
        Bytes longer = payloadOf(sampleAttitude(0.8f));
        longer.insert(longer.end(), {9, 9, 9, 9});
        frames = feedBytewise(rx, rawFrame(0xFB, 0, 5, 1, 1, 30, longer, 39));
        QCOMPARE(frames.size(), size_t(1));
        QCOMPARE(MavlinkCodec::decode<mavlink_attitude_t>(frames[0]).roll, 0.8f);
    }

    void unknownIdsAreCheckedWithCrcExtraZero()
    {
        const Bytes payload = {1, 2, 3, 4, 5};
        MavlinkCodec rx;
        QVERIFY(feedBytewise(rx, rawFrame(0xFB, 0, 0, 1, 1, 4242, payload, 77)).empty());
        // Only a frame checked with 0 gets through (the dispatcher then ignores it).
        const auto f = feedBytewise(rx, rawFrame(0xFB, 0, 1, 1, 1, 4242, payload, 0));
        QCOMPARE(f.size(), size_t(1));
        QCOMPARE(f[0].msgid, 4242u);
        QCOMPARE(int(f[0].len), 5);
    }

    void compassProgressIsCheckedAndDecoded()
    {
        mavlink_mag_cal_progress_t p{};
        p.compass_id = 0;
        p.cal_status = 2;
        p.attempt = 1;
        p.completion_pct = 63;
        p.completion_mask[3] = 0x0F;
        p.direction_x = 0.5f;
        MavlinkCodec tx;
        MavlinkCodec rx;
        const Bytes good = encodeFrame(tx, p, 1, 1);
        const auto frames = feedBytewise(rx, good);
        QCOMPARE(frames.size(), size_t(1));
        QCOMPARE(frames[0].msgid, MavlinkId::MAG_CAL_PROGRESS);
        const auto d = MavlinkCodec::decode<mavlink_mag_cal_progress_t>(frames[0]);
        QCOMPARE(int(d.completion_pct), 63);
        QCOMPARE(int(d.completion_mask[3]), 0x0F);
        QCOMPARE(int(d.completion_mask[9]), 0);
        // Its raw byte positions in a MAVLink 2 frame.
        QCOMPARE(int(good[7]), 191);
        QCOMPARE(int(good[26]), 63);
        // Checked with CRC_EXTRA 92: a frame built with 0 does not pass.
        QVERIFY(feedBytewise(rx, rawFrame(0xFB, 0, 0, 1, 1, 191, payloadOf(p), 0)).empty());
    }

    void lastFrameSurvivesTheNextFrameInProgress()
    {
        MavlinkCodec tx;
        MavlinkCodec rx;
        const Bytes a = encodeFrame(tx, sampleAttitude(0.11f));
        const Bytes b = encodeFrame(tx, sampleAttitude(0.22f));
        QCOMPARE(feedBytewise(rx, a).size(), size_t(1));
        for (size_t i = 0; i < b.size() - 1; ++i)
            QCOMPARE(rx.receiveByte(b[i]), MavlinkCodec::Incomplete);
        QCOMPARE(MavlinkCodec::decode<mavlink_attitude_t>(rx.lastFrame()).roll, 0.11f);
        QCOMPARE(rx.receiveByte(b.back()), MavlinkCodec::Ok);
        QCOMPARE(MavlinkCodec::decode<mavlink_attitude_t>(rx.lastFrame()).roll, 0.22f);
    }

    void chunkPathMatchesBytePath()
    {
        // A stream of every kind of thing the link may see.
        QRandomGenerator rng(20240611);
        MavlinkCodec tx;
        Bytes stream;
        for (int i = 0; i < 400; ++i) {
            const int kind = rng.bounded(8);
            Bytes part;
            mavlink_attitude_t att = sampleAttitude(float(rng.bounded(1000)) / 100.0f);
            switch (kind) {
            case 0: part = encodeFrame(tx, att); break;
            case 1: part = rawFrame(0xFE, 0, uint8_t(i), 1, 1, 30, payloadOf(att), 39); break;
            case 2: {
                Bytes sig(13);
                for (auto &s : sig)
                    s = uint8_t(rng.bounded(256));
                part = rawFrame(0xFB, 1, uint8_t(i), 1, 1, 30, payloadOf(att), 39, sig);
                break;
            }
            case 3: part = encodeFrame(tx, att); part[5 + rng.bounded(int(part.size()) - 5)] ^= 0x10; break;
            case 4: part = encodeFrame(tx, att); part.back() = 0xFB; break;
            case 5: part = encodeFrame(tx, att); part[0] = 0xFD; break;
            case 6: part = rawFrame(0xFB, 2, 0, 1, 1, 30, payloadOf(att), 39); break;
            default:
                part.resize(rng.bounded(40));
                for (auto &n : part)
                    n = uint8_t(rng.bounded(256));
                break;
            }
            stream.insert(stream.end(), part.begin(), part.end());
        }

        MavlinkCodec byByte;
        const auto expected = feedBytewise(byByte, stream);
        QVERIFY(expected.size() > 100);
        for (size_t chunk : {size_t(1), size_t(2), size_t(13), size_t(64), size_t(4096), stream.size()}) {
            MavlinkCodec c;
            const auto got = feedChunked(c, stream, chunk);
            QCOMPARE(got.size(), expected.size());
            for (size_t i = 0; i < got.size(); ++i)
                QVERIFY2(sameFrame(got[i], expected[i]), qPrintable(QString("frame %1, chunk %2").arg(i).arg(chunk)));
            QCOMPARE(c.state(), byByte.state());
            QVERIFY(sameFrame(c.lastFrame(), byByte.lastFrame()));
        }
    }

    void noiseNeverBreaksTheParser()
    {
        QRandomGenerator rng(7);
        Bytes noise(1 << 20);
        for (auto &b : noise) {
            // Plenty of markers so that many frames start and fail.
            const quint32 r = rng.bounded(8u);
            b = r == 0 ? 0xFB : r == 1 ? 0xFE : uint8_t(rng.bounded(256));
        }
        MavlinkCodec rx;
        int frames = 0;
        rx.receive(noise.data(), noise.size(), [&](const MavlinkFrame &f) {
            ++frames;
            QVERIFY(f.len <= MavlinkFrame::kMaxPayload);
        });
        QVERIFY(frames < 5); // a chance pass needs the 16-bit checksum to match
        // The channel still works afterwards (after at most one frame's worth of bytes).
        MavlinkCodec tx;
        Bytes tail(300, 0x00);
        const Bytes good = encodeFrame(tx, sampleAttitude(0.33f));
        const auto f = feedBytewise(rx, cat({tail, good}));
        QCOMPARE(f.size(), size_t(1));
    }
};

QTEST_GUILESS_MAIN(TestMavlinkCodec)
#include "tst_mavlinkcodec.moc"
