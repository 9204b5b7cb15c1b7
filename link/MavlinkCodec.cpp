#include "link/MavlinkCodec.h"

#include <algorithm>

uint16_t MavlinkCodec::crcCalculate(const uint8_t *data, size_t count, uint16_t crc)
{
    return crcBlock(data, count, crc);
}

// ---- transmit ---------------------------------------------------------------

int MavlinkCodec::finalize(MavlinkFrame &frame, uint32_t msgid, uint8_t sysid, uint8_t compid,
                           uint8_t minLength, uint8_t length, uint8_t crcExtra)
{
    (void)minLength; // only a MAVLink 1 sender would need it; this link sends MAVLink 2

    // Trailing zero bytes are not sent; the receiver zero-fills them again.
    uint8_t len = length;
    while (len > 1 && frame.payload[len - 1] == 0)
        --len;

    frame.magic = kStx;
    frame.len = len;
    frame.incompatFlags = 0;
    frame.compatFlags = 0;
    frame.seq = m_txSeq++;
    frame.sysid = sysid;
    frame.compid = compid;
    frame.msgid = msgid & 0xFFFFFF;

    const uint8_t header[kHeaderLength - 1] = {
        frame.len, frame.incompatFlags, frame.compatFlags, frame.seq, frame.sysid, frame.compid,
        static_cast<uint8_t>(frame.msgid & 0xFF), static_cast<uint8_t>((frame.msgid >> 8) & 0xFF),
        static_cast<uint8_t>((frame.msgid >> 16) & 0xFF),
    };
    uint16_t crc = crcCalculate(header, sizeof header);
    crc = crcCalculate(frame.payload, len, crc);
    crc = crcStep(crcExtra, crc);
    frame.checksum = crc;
    frame.payload[len] = static_cast<uint8_t>(crc & 0xFF);
    frame.payload[len + 1] = static_cast<uint8_t>(crc >> 8);

    return kHeaderLength + len + kChecksumLength;
}

int MavlinkCodec::serialize(uint8_t *out, const MavlinkFrame &frame)
{
    uint8_t *p = out;
    *p++ = frame.magic;
    *p++ = frame.len;
    if (frame.magic == kStxV1) {
        *p++ = frame.seq;
        *p++ = frame.sysid;
        *p++ = frame.compid;
        *p++ = static_cast<uint8_t>(frame.msgid & 0xFF);
    } else {
        *p++ = frame.incompatFlags;
        *p++ = frame.compatFlags;
        *p++ = frame.seq;
        *p++ = frame.sysid;
        *p++ = frame.compid;
        *p++ = static_cast<uint8_t>(frame.msgid & 0xFF);
        *p++ = static_cast<uint8_t>((frame.msgid >> 8) & 0xFF);
        *p++ = static_cast<uint8_t>((frame.msgid >> 16) & 0xFF);
    }
    std::memcpy(p, frame.payload, frame.len);
    p += frame.len;
    *p++ = static_cast<uint8_t>(frame.checksum & 0xFF);
    *p++ = static_cast<uint8_t>(frame.checksum >> 8);
    if (frame.magic != kStxV1 && (frame.incompatFlags & kIncompatSigned)) {
        std::memcpy(p, frame.signature, MavlinkFrame::kSignatureLength);
        p += MavlinkFrame::kSignatureLength;
    }
    return static_cast<int>(p - out);
}

int MavlinkCodec::pack(uint8_t *out, uint32_t msgid, const void *payload, int length,
                       uint8_t sysid, uint8_t compid)
{
    const MavlinkMessageEntry *entry = MessageTable::lookup(msgid);
    if (!entry || length < 0 || length > MavlinkFrame::kMaxPayload || (length > 0 && !payload))
        return 0;
    if (length > 0)
        std::memmove(m_tx.payload, payload, static_cast<size_t>(length));
    if (length == 0) {
        // An empty payload still goes out as one zero byte.
        m_tx.payload[0] = 0;
        length = 1;
    }
    finalize(m_tx, msgid, sysid, compid, entry->minLength, static_cast<uint8_t>(length),
             entry->crcExtra);
    return serialize(out, m_tx);
}

int MavlinkCodec::packRequestDataStream(uint8_t *out, uint8_t streamId, uint16_t rateHz,
                                        uint8_t startStop)
{
    mavlink_request_data_stream_t m{};
    m.req_message_rate = rateHz;
    m.target_system = kRequestDataStreamIdentity.targetSystem;
    m.target_component = kRequestDataStreamIdentity.targetComponent;
    m.req_stream_id = streamId;
    m.start_stop = startStop;
    return encode(out, m, kRequestDataStreamIdentity.sysid, kRequestDataStreamIdentity.compid);
}

int MavlinkCodec::packCommandLong(uint8_t *out, uint16_t command, float param1, float param2,
                                  float param3, float param4, float param5, float param6,
                                  float param7, uint8_t confirmation)
{
    mavlink_command_long_t m{};
    m.param1 = param1;
    m.param2 = param2;
    m.param3 = param3;
    m.param4 = param4;
    m.param5 = param5;
    m.param6 = param6;
    m.param7 = param7;
    m.command = command;
    m.target_system = kCommandLongIdentity.targetSystem;
    m.target_component = kCommandLongIdentity.targetComponent;
    m.confirmation = confirmation;
    return encode(out, m, kCommandLongIdentity.sysid, kCommandLongIdentity.compid);
}

int MavlinkCodec::packParamRequestList(uint8_t *out)
{
    mavlink_param_request_list_t m{};
    m.target_system = kParameterIdentity.targetSystem;
    m.target_component = kParameterIdentity.targetComponent;
    return encode(out, m, kParameterIdentity.sysid, kParameterIdentity.compid);
}

namespace {
// Copies a parameter name into a 16-byte, NUL-padded field.
void copyParamId(char (&field)[16], const char *name)
{
    std::memset(field, 0, sizeof field);
    if (!name)
        return;
    for (size_t i = 0; i < sizeof field && name[i] != '\0'; ++i)
        field[i] = name[i];
}
} // namespace

int MavlinkCodec::packParamSet(uint8_t *out, const char *paramId, float value, uint8_t paramType)
{
    mavlink_param_set_t m{};
    m.param_value = value;
    m.target_system = kParameterIdentity.targetSystem;
    m.target_component = kParameterIdentity.targetComponent;
    copyParamId(m.param_id, paramId);
    m.param_type = paramType;
    return encode(out, m, kParameterIdentity.sysid, kParameterIdentity.compid);
}

int MavlinkCodec::packParamRequestRead(uint8_t *out, const char *paramId, int16_t paramIndex)
{
    mavlink_param_request_read_t m{};
    m.param_index = paramIndex;
    m.target_system = kParameterIdentity.targetSystem;
    m.target_component = kParameterIdentity.targetComponent;
    copyParamId(m.param_id, paramId);
    return encode(out, m, kParameterIdentity.sysid, kParameterIdentity.compid);
}

// ---- receive ----------------------------------------------------------------

void MavlinkCodec::recover(uint8_t byte)
{
    m_lastResult = Incomplete;
    m_state = State::Idle;
    if (byte == kStx) {
        // The byte that ended the damaged frame may be the start of the next.
        m_v1 = false;
        m_rx.magic = kStx;
        m_rx.len = 0;
        m_crc = kCrcSeed;
        m_state = State::GotStx;
    }
}

const MavlinkMessageEntry *MavlinkCodec::entryFor(uint32_t msgid)
{
    const MavlinkMessageEntry *&slot = m_entryCache[msgid & 31];
    if (slot && slot->msgid == msgid)
        return slot;
    const MavlinkMessageEntry *entry = MessageTable::lookup(msgid);
    if (entry)
        slot = entry;
    return entry;
}

size_t MavlinkCodec::takePayload(const uint8_t *data, size_t count)
{
    const size_t want = static_cast<size_t>(m_rx.len) - m_payloadIndex;
    const size_t n = std::min(want, count);
    std::memcpy(m_rx.payload + m_payloadIndex, data, n);
    m_payloadIndex = static_cast<uint8_t>(m_payloadIndex + n);
    if (n == want)
        m_state = State::GotPayload;
    m_lastResult = Incomplete;
    return n;
}

// The checksum of the frame received so far: the header bytes after the
// start marker, the payload as received and the message's CRC_EXTRA.
uint16_t MavlinkCodec::frameChecksum(uint8_t crcExtra) const
{
    uint8_t header[kHeaderLength - 1];
    int n = 0;
    header[n++] = m_rx.len;
    if (!m_v1) {
        header[n++] = m_rx.incompatFlags;
        header[n++] = m_rx.compatFlags;
    }
    header[n++] = m_rx.seq;
    header[n++] = m_rx.sysid;
    header[n++] = m_rx.compid;
    header[n++] = static_cast<uint8_t>(m_rx.msgid & 0xFF);
    if (!m_v1) {
        header[n++] = static_cast<uint8_t>((m_rx.msgid >> 8) & 0xFF);
        header[n++] = static_cast<uint8_t>((m_rx.msgid >> 16) & 0xFF);
    }
    uint16_t crc = crcBlock(header, static_cast<size_t>(n), kCrcSeed);
    crc = crcBlock(m_rx.payload, m_rx.len, crc);
    return crcStep(crcExtra, crc);
}

// Copies the complete frame out for the caller: header, the payload bytes
// that are valid, and the signature of a signed frame.
void MavlinkCodec::keepFrame(int payloadBytes)
{
    m_last.checksum = m_rx.checksum;
    m_last.magic = m_rx.magic;
    m_last.len = m_rx.len;
    m_last.incompatFlags = m_rx.incompatFlags;
    m_last.compatFlags = m_rx.compatFlags;
    m_last.seq = m_rx.seq;
    m_last.sysid = m_rx.sysid;
    m_last.compid = m_rx.compid;
    m_last.msgid = m_rx.msgid;
    std::memcpy(m_last.payload, m_rx.payload, static_cast<size_t>(payloadBytes));
    if (m_rx.incompatFlags & kIncompatSigned)
        std::memcpy(m_last.signature, m_rx.signature, MavlinkFrame::kSignatureLength);
}

// The end of a frame: checksum bytes and signature.
MavlinkCodec::Result MavlinkCodec::finishByte(uint8_t c)
{
    Result result = Incomplete;

    switch (m_state) {
    case State::GotPayload: {
        // CRC_EXTRA of the id (0 without an entry); a payload shorter than
        // the message is zero-filled to its full length.
        const MavlinkMessageEntry *entry = entryFor(m_rx.msgid);
        m_crc = frameChecksum(entry ? entry->crcExtra : 0);
        m_filledLength = m_rx.len;
        if (entry && m_rx.len < entry->maxLength) {
            std::memset(m_rx.payload + m_rx.len, 0, entry->maxLength - m_rx.len);
            m_filledLength = entry->maxLength;
        }
        m_rx.checksum = c;
        m_state = (c == (m_crc & 0xFF)) ? State::GotCrc1 : State::GotBadCrc1;
        break;
    }

    case State::GotCrc1:
    case State::GotBadCrc1: {
        m_rx.checksum = static_cast<uint16_t>(m_rx.checksum | (c << 8));
        const bool good = m_state == State::GotCrc1 && c == (m_crc >> 8);
        if (!m_v1 && (m_rx.incompatFlags & kIncompatSigned)) {
            m_signatureWait = MavlinkFrame::kSignatureLength;
            m_signatureGood = good;
            m_state = State::SignatureWait;
            // A good signed frame is held back until its signature is in; a
            // bad one is reported at once.
            result = good ? Incomplete : BadCrc;
        } else {
            m_state = State::Idle;
            result = good ? Ok : BadCrc;
        }
        break;
    }

    case State::SignatureWait:
        m_rx.signature[MavlinkFrame::kSignatureLength - m_signatureWait] = c;
        if (--m_signatureWait == 0) {
            // No signing is configured, so the signature is not verified.
            m_state = State::Idle;
            result = m_signatureGood ? Ok : BadCrc;
        }
        break;

    default:
        break;
    }

    if (result == Ok)
        keepFrame(m_filledLength);
    return result;
}
