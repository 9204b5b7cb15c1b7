#pragma once
// MavlinkCodec: one MAVLink channel of the TAVRO link.
//
// The flight controller speaks MAVLink 2 with its own start marker 0xFB (not
// the standard 0xFD); MAVLink 1 frames (0xFE) are accepted on receipt. Frames
// starting with 0xFD are never recognised. Signing is never configured: a
// signed frame is accepted after its 13 signature bytes without verification.
//
// One MavlinkCodec object is one channel: receive parse state, the frame being
// received, a copy of the last complete frame, and the transmit sequence
// counter shared by every message kind sent through it. The link worker keeps
// exactly one instance for the lifetime of the program and uses it only on its
// own thread (no locking inside). The simulated flight controller keeps its
// own instance for its end of the wire. Nothing on the byte path allocates.
//
// ---- Sending (link worker) --------------------------------------------------
//
//     uint8_t buf[MavlinkCodec::kMaxFrameSize];
//     int n = m_codec.packParamSet(buf, "ATC_RAT_YAW_P", 0.18f);
//     m_serialPort->write(reinterpret_cast<const char *>(buf), n);
//
// Each pack helper fills the payload with the identities and targets TAVRO
// uses for that message, trims trailing zero bytes, takes the next sequence
// number (the counter advances whether or not the later write succeeds) and
// writes the complete frame into `out`, returning its length in bytes.
//
// The simulator (or a test) sends any of the structures of MavlinkMessages.h
// with its own identities through encode():
//
//     mavlink_attitude_t att{};  att.roll = 0.1f;
//     int n = m_codec.encode(buf, att, 1, 1);
//
// The low-level pair finalize() + serialize() works on a MavlinkFrame whose
// payload the caller has filled; pack()/encode()/the helpers are built on it.
//
// ---- Receiving --------------------------------------------------------------
//
//     for (int i = 0; i < count; ++i) {
//         if (m_codec.receiveByte(bytes[i]) == MavlinkCodec::Ok) {
//             const MavlinkFrame &f = m_codec.lastFrame();
//             switch (f.msgid) {
//             case MavlinkId::ATTITUDE: {
//                 auto att = MavlinkCodec::decode<mavlink_attitude_t>(f);
//                 emit attitude_value(att.roll, att.pitch, att.yaw);
//                 break; }
//             ...
//
// receiveByte() is parseByte() plus the recovery rule (a damaged frame is
// dropped; a 0xFB that ends it starts the next frame at once), so it never
// returns BadCrc or BadSignature. receive(data, n, callback) does the same for
// a whole chunk, faster, calling callback(const MavlinkFrame &) per good frame.
//
// A frame is checked with the CRC_EXTRA of the message table (MessageTable),
// which also knows MAG_CAL_PROGRESS (191). An id without an entry is checked
// with CRC_EXTRA 0 (so it nearly always fails) and its payload is not
// zero-filled. A good frame of a known id whose payload was trimmed by its
// sender is zero-filled up to the message's full length, so decode() of a
// short payload yields 0 for the missing fields.

#include "link/MavlinkMessages.h"
#include "link/MessageTable.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

// A MAVLink frame as received or as staged for sending.
struct MavlinkFrame {
    static constexpr int kMaxPayload = 255;
    static constexpr int kSignatureLength = 13;

    uint16_t checksum = 0;
    uint8_t magic = 0;          // 0xFB (MAVLink 2 as used here) or 0xFE (MAVLink 1)
    uint8_t len = 0;            // payload length as on the wire
    uint8_t incompatFlags = 0;  // bit 0: signed
    uint8_t compatFlags = 0;
    uint8_t seq = 0;
    uint8_t sysid = 0;
    uint8_t compid = 0;
    uint32_t msgid = 0;         // 24 bits
    uint8_t payload[kMaxPayload + 2] = {}; // room for the checksum bytes after a full payload
    uint8_t signature[kSignatureLength] = {};
};

// Lookup tables of the CRC (reflected polynomial 0x8408), built at compile time.
namespace MavlinkCrcTables {
struct Tables {
    uint16_t t[4][256];
};
constexpr Tables make()
{
    Tables tables{};
    for (int i = 0; i < 256; ++i) {
        uint16_t crc = static_cast<uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<uint16_t>((crc & 1) ? (crc >> 1) ^ 0x8408 : crc >> 1);
        tables.t[0][i] = crc;
    }
    for (int k = 1; k < 4; ++k)
        for (int i = 0; i < 256; ++i)
            tables.t[k][i] = static_cast<uint16_t>(
                (tables.t[k - 1][i] >> 8) ^ tables.t[0][tables.t[k - 1][i] & 0xFF]);
    return tables;
}
inline constexpr Tables kTables = make();
} // namespace MavlinkCrcTables

class MavlinkCodec
{
public:
    // Start markers.
    static constexpr uint8_t kStx = 0xFB;   // MAVLink 2 frame of this link
    static constexpr uint8_t kStxV1 = 0xFE; // MAVLink 1 frame (accepted, never sent)
    static constexpr uint8_t kIncompatSigned = 0x01;

    static constexpr int kHeaderLength = 10;       // MAVLink 2, start marker included
    static constexpr int kHeaderLengthV1 = 6;
    static constexpr int kChecksumLength = 2;
    // Largest frame serialize() can produce; size every send buffer with it.
    static constexpr int kMaxFrameSize =
        kHeaderLength + MavlinkFrame::kMaxPayload + kChecksumLength + MavlinkFrame::kSignatureLength;

    // Parse outcomes (numbered as MAVLink parsers number them).
    enum Result : uint8_t {
        Incomplete = 0,
        Ok = 1,
        BadCrc = 2,
        BadSignature = 3,
    };

    enum class State : uint8_t {
        Idle,
        GotStx,
        GotLength,
        GotIncompatFlags,
        GotCompatFlags,
        GotSeq,
        GotSysid,
        GotCompid,
        GotMsgid1,
        GotMsgid2,
        GotMsgid3,
        GotPayload,
        GotCrc1,
        GotBadCrc1,
        SignatureWait,
    };

    // Identities and targets TAVRO sends with.
    struct Identity {
        uint8_t sysid;
        uint8_t compid;
        uint8_t targetSystem;
        uint8_t targetComponent;
    };
    static constexpr Identity kRequestDataStreamIdentity{255, 0, 1, 0};
    static constexpr Identity kCommandLongIdentity{255, 190, 1, 1};
    static constexpr Identity kParameterIdentity{1, 1, 1, 1}; // PARAM_REQUEST_LIST, PARAM_SET, PARAM_REQUEST_READ

    static constexpr uint8_t kParamTypeReal32 = 9; // MAV_PARAM_TYPE_REAL32

    MavlinkCodec() = default;

    // ---- transmit -----------------------------------------------------------

    // Completes the header of `frame` (payload already filled, `length` bytes
    // before trimming): trims trailing zero bytes down to 1 byte, sets marker
    // 0xFB, flags 0, takes the transmit sequence number and advances it
    // (wrapping at 256), sets ids and computes the checksum with `crcExtra`.
    // Returns the frame length on the wire (header + payload + checksum).
    // `minLength` is the message's base length; MAVLink 2 frames do not use it.
    int finalize(MavlinkFrame &frame, uint32_t msgid, uint8_t sysid, uint8_t compid,
                 uint8_t minLength, uint8_t length, uint8_t crcExtra);

    // Writes header, payload, checksum (and the signature when flagged) of a
    // finalised frame contiguously into `out` (at least kMaxFrameSize bytes).
    // Returns the number of bytes written.
    static int serialize(uint8_t *out, const MavlinkFrame &frame);

    // finalize + serialize of `length` payload bytes for `msgid`; CRC_EXTRA and
    // the base length come from the message table. Returns the frame length,
    // or 0 (nothing written, sequence untouched) when the id has no entry or
    // `length` exceeds 255.
    int pack(uint8_t *out, uint32_t msgid, const void *payload, int length,
             uint8_t sysid, uint8_t compid);

    // Any structure of MavlinkMessages.h, sent with the given identity.
    template <typename T>
    int encode(uint8_t *out, const T &message, uint8_t sysid, uint8_t compid)
    {
        using Info = MavlinkMessageInfo<T>;
        static_assert(std::is_trivially_copyable<T>::value, "wire structures are plain bytes");
        MavlinkFrame &f = m_tx;
        std::memcpy(f.payload, &message, sizeof(T));
        finalize(f, Info::id, sysid, compid, Info::minLength, Info::maxLength, Info::crcExtra);
        return serialize(out, f);
    }

    // The messages TAVRO sends, with its identities and targets.
    // REQUEST_DATA_STREAM (66): system 255, component 0 -> target 1/0.
    int packRequestDataStream(uint8_t *out, uint8_t streamId, uint16_t rateHz, uint8_t startStop);
    // COMMAND_LONG (76): system 255, component 190 -> target 1/1.
    int packCommandLong(uint8_t *out, uint16_t command, float param1, float param2 = 0.0f,
                        float param3 = 0.0f, float param4 = 0.0f, float param5 = 0.0f,
                        float param6 = 0.0f, float param7 = 0.0f, uint8_t confirmation = 0);
    // PARAM_REQUEST_LIST (21): system 1, component 1 -> target 1/1.
    int packParamRequestList(uint8_t *out);
    // PARAM_SET (23): system 1, component 1 -> target 1/1. `paramId` is copied
    // up to its first NUL or 16 bytes, NUL-padded (no terminator at 16).
    int packParamSet(uint8_t *out, const char *paramId, float value,
                     uint8_t paramType = kParamTypeReal32);
    // PARAM_REQUEST_READ (20): system 1, component 1 -> target 1/1. By name
    // with index -1, or by index with an empty name.
    int packParamRequestRead(uint8_t *out, const char *paramId, int16_t paramIndex = -1);

    // Sequence number the next sent frame will carry.
    uint8_t txSequence() const { return m_txSeq; }

    // ---- receive ------------------------------------------------------------

    // The receive state machine, one byte; no recovery (outcomes BadCrc and
    // BadSignature are returned as they happen). On Ok the frame is copied to
    // lastFrame().
    Result parseByte(uint8_t byte) { return step(byte, false); }

    // parseByte() followed by the recovery rule: on BadCrc/BadSignature the
    // frame is dropped, the state returns to Idle and, if `byte` is 0xFB, it
    // starts a new frame at once. Returns Incomplete or Ok.
    Result receiveByte(uint8_t byte) { return step(byte, true); }

    // Feeds a whole chunk through receiveByte()'s logic (same results, same
    // state afterwards) and calls onFrame(const MavlinkFrame &) for every good
    // frame; the frame passed is lastFrame(). Returns the number of good
    // frames. Payload bytes are taken in bulk, so this is the fast path.
    template <typename OnFrame>
    int receive(const uint8_t *data, size_t count, OnFrame &&onFrame)
    {
        int frames = 0;
        size_t i = 0;
        while (i < count) {
            if (m_state == State::GotMsgid3) {
                i += takePayload(data + i, count - i);
                continue;
            }
            if (m_state == State::Idle) {
                // Skip noise quickly.
                while (i < count && data[i] != kStx && data[i] != kStxV1)
                    ++i;
                if (i == count)
                    break;
            }
            if (step(data[i++], true) == Ok) {
                ++frames;
                onFrame(static_cast<const MavlinkFrame &>(m_last));
            }
        }
        return frames;
    }

    // The last complete good frame (valid after an Ok outcome until the next
    // Ok outcome).
    const MavlinkFrame &lastFrame() const { return m_last; }

    State state() const { return m_state; }
    Result lastResult() const { return m_lastResult; }

    // Frames dropped so far for a bad checksum, and the message id the last
    // of them carried (for diagnostics, e.g. a firmware whose definition of a
    // message differs from ours).
    uint32_t droppedFrames() const { return m_droppedFrames; }
    uint32_t lastDroppedMsgid() const { return m_lastDroppedMsgid; }

    // Decodes a frame's payload into a message structure: the structure is
    // zeroed, then min(payload length, sizeof(T)) bytes are copied. The caller
    // checks frame.msgid first.
    template <typename T>
    static T decode(const MavlinkFrame &frame)
    {
        static_assert(std::is_trivially_copyable<T>::value, "wire structures are plain bytes");
        T out;
        std::memset(static_cast<void *>(&out), 0, sizeof(T));
        const size_t n = frame.len < sizeof(T) ? frame.len : sizeof(T);
        std::memcpy(static_cast<void *>(&out), frame.payload, n);
        return out;
    }

    // CRC-16/MCRF4XX as MAVLink uses it (seed 0xFFFF, no final XOR).
    static constexpr uint16_t kCrcSeed = 0xFFFF;
    static uint16_t crcAccumulate(uint8_t byte, uint16_t crc) { return crcStep(byte, crc); }
    static uint16_t crcCalculate(const uint8_t *data, size_t count, uint16_t crc = kCrcSeed);

private:

    static uint16_t crcStep(uint8_t byte, uint16_t crc)
    {
        return static_cast<uint16_t>((crc >> 8) ^ MavlinkCrcTables::kTables.t[0][(crc ^ byte) & 0xFF]);
    }
    // Four bytes at a time (slicing), for payload runs.
    static uint16_t crcBlock(const uint8_t *data, size_t count, uint16_t crc)
    {
        while (count >= 4) {
            const uint16_t x = static_cast<uint16_t>(crc ^ (data[0] | (data[1] << 8)));
            crc = static_cast<uint16_t>(MavlinkCrcTables::kTables.t[3][x & 0xFF] ^ MavlinkCrcTables::kTables.t[2][x >> 8]
                                        ^ MavlinkCrcTables::kTables.t[1][data[2]] ^ MavlinkCrcTables::kTables.t[0][data[3]]);
            data += 4;
            count -= 4;
        }
        while (count--)
            crc = crcStep(*data++, crc);
        return crc;
    }

    // One byte through the state machine. The states every frame passes
    // through many times (payload, header, idle) are handled here, inline in
    // the caller's loop; the end of a frame goes to finishByte(). The header
    // and payload bytes are only stored on the way: the checksum over them is
    // computed in one pass when the first checksum byte arrives (same result
    // as a running checksum, a fraction of the work per byte).
    Result step(uint8_t c, bool recoverAfter)
    {
        // Payload bytes are most of the stream: test for them before the
        // state dispatch, so that a run of them costs one predictable branch.
        if (m_state == State::GotMsgid3) {
            const uint8_t i = m_payloadIndex;
            m_rx.payload[i] = c;
            m_payloadIndex = static_cast<uint8_t>(i + 1);
            if (i + 1 == m_rx.len)
                m_state = State::GotPayload;
            m_lastResult = Incomplete;
            return Incomplete;
        }
        switch (m_state) {
        case State::Idle:
            if (c == kStx || c == kStxV1) {
                m_v1 = (c == kStxV1);
                m_rx.magic = c;
                m_rx.len = 0;
                m_state = State::GotStx;
            }
            break;
        case State::GotStx:
            m_rx.len = c;
            m_payloadIndex = 0;
            if (m_v1) {
                m_rx.incompatFlags = 0;
                m_rx.compatFlags = 0;
                m_state = State::GotCompatFlags;
            } else {
                m_state = State::GotLength;
            }
            break;
        case State::GotLength:
            if (c & ~kIncompatSigned) {
                // A feature this link does not know: drop the frame here.
                m_state = State::Idle;
                break;
            }
            m_rx.incompatFlags = c;
            m_state = State::GotIncompatFlags;
            break;
        case State::GotIncompatFlags:
            m_rx.compatFlags = c;
            m_state = State::GotCompatFlags;
            break;
        case State::GotCompatFlags:
            m_rx.seq = c;
            m_state = State::GotSeq;
            break;
        case State::GotSeq:
            m_rx.sysid = c;
            m_state = State::GotSysid;
            break;
        case State::GotSysid:
            m_rx.compid = c;
            m_state = State::GotCompid;
            break;
        case State::GotCompid:
            m_rx.msgid = c;
            if (m_v1)
                m_state = m_rx.len > 0 ? State::GotMsgid3 : State::GotPayload;
            else
                m_state = State::GotMsgid1;
            break;
        case State::GotMsgid1:
            m_rx.msgid |= static_cast<uint32_t>(c) << 8;
            m_state = State::GotMsgid2;
            break;
        case State::GotMsgid2:
            m_rx.msgid |= static_cast<uint32_t>(c) << 16;
            m_state = m_rx.len > 0 ? State::GotMsgid3 : State::GotPayload;
            break;
        default: {
            const Result r = finishByte(c);
            if (r == BadCrc || r == BadSignature) {
                ++m_droppedFrames;
                m_lastDroppedMsgid = m_rx.msgid;
                if (recoverAfter) {
                    recover(c);
                    return Incomplete;
                }
            }
            m_lastResult = r;
            return r;
        }
        }
        m_lastResult = Incomplete;
        return Incomplete;
    }

    Result finishByte(uint8_t c);
    uint16_t frameChecksum(uint8_t crcExtra) const;
    void recover(uint8_t byte);
    size_t takePayload(const uint8_t *data, size_t count);
    const MavlinkMessageEntry *entryFor(uint32_t msgid);
    void keepFrame(int payloadBytes);

    // receive channel
    State m_state = State::Idle;
    Result m_lastResult = Incomplete;
    bool m_v1 = false;
    uint8_t m_payloadIndex = 0;
    uint8_t m_signatureWait = 0;
    bool m_signatureGood = false;
    uint16_t m_crc = kCrcSeed;  // checksum of the frame, once its payload is complete
    uint32_t m_droppedFrames = 0;
    uint32_t m_lastDroppedMsgid = 0;
    int m_filledLength = 0;     // payload bytes valid in m_rx (after zero-fill)
    MavlinkFrame m_rx;
    MavlinkFrame m_last;
    // Entries of recently seen ids (by low bits), so that a stream of the
    // same few messages does not search the table for every frame.
    const MavlinkMessageEntry *m_entryCache[32] = {};

    // transmit channel
    uint8_t m_txSeq = 0;
    MavlinkFrame m_tx;
};
