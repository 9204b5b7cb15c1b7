// Fuzz target: the receive side of the link, from raw serial bytes to the
// worker's signals.
//
// The first input byte chooses how the rest is used:
//   bit 2 clear: the rest is the serial byte stream as it stands;
//   bit 2 set:   the rest describes frames (kind, length, options, payload,
//                noise), which are built with correct checksums so that the
//                fuzzer reaches every message handler, then sent as a stream.
//   bit 0: a compass calibration runs; bit 1: the download has been taken
//   over (update mode) before the bytes arrive.
//
// The same stream goes through
//  - one codec byte by byte (receiveByte) and one codec in chunks (receive):
//    both must yield the same frames, each decoded into its structure;
//  - a link worker (DataAnalysis in chunks, a port search after each):
//    every handler and signal of the worker runs on fuzzed frames;
//  - the parameter-transfer bookkeeping of a running download, fed with every
//    PARAM_VALUE received, ticking as the worker would.
// In frame mode, when no noise byte can start a frame, every undamaged frame
// built must arrive in order with its content and nothing else may arrive.

#include "link/Mav2Uart_Worker.h"
#include "link/MavlinkCodec.h"
#include "link/MavlinkMessages.h"
#include "link/MessageTable.h"
#include "link/ParamTransfer.h"
#include "tools/fuzz/FuzzCheck.h"

#include <QCoreApplication>
#include <QObject>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

volatile uint32_t g_sink = 0;

struct Received {
    uint8_t magic, len, incompat, seq, sysid, compid;
    uint32_t msgid;
    std::vector<uint8_t> payload; // as on the wire (len bytes)
};

bool operator==(const Received &a, const Received &b)
{
    return a.magic == b.magic && a.len == b.len && a.incompat == b.incompat && a.seq == b.seq
        && a.sysid == b.sysid && a.compid == b.compid && a.msgid == b.msgid
        && a.payload == b.payload;
}

Received snapshot(const MavlinkFrame &f)
{
    return Received{f.magic, f.len, f.incompatFlags, f.seq, f.sysid, f.compid, f.msgid,
                    std::vector<uint8_t>(f.payload, f.payload + f.len)};
}

// Decodes the frame into T when the id matches and checks the decode rule:
// the first min(len, size) bytes are the payload's, the rest is zero.
template <typename T>
void decodeAs(const MavlinkFrame &f)
{
    if (f.msgid != MavlinkMessageInfo<T>::id)
        return;
    const T m = MavlinkCodec::decode<T>(f);
    const auto *bytes = reinterpret_cast<const uint8_t *>(&m);
    for (size_t i = 0; i < sizeof(T); ++i) {
        FUZZ_CHECK(bytes[i] == (i < f.len ? f.payload[i] : 0));
        g_sink = g_sink + bytes[i];
    }
}

void decodeFrame(const MavlinkFrame &f)
{
    FUZZ_CHECK(f.magic == MavlinkCodec::kStx || f.magic == MavlinkCodec::kStxV1);
    FUZZ_CHECK(f.msgid <= 0xFFFFFF);
    if (f.magic == MavlinkCodec::kStxV1)
        FUZZ_CHECK(f.msgid <= 0xFF && f.incompatFlags == 0);
    // A trimmed payload of a known message is zero-filled to its full length.
    if (const MavlinkMessageEntry *e = MessageTable::lookup(f.msgid)) {
        for (int i = f.len; i < e->maxLength; ++i)
            FUZZ_CHECK(f.payload[i] == 0);
    }
    decodeAs<mavlink_heartbeat_t>(f);
    decodeAs<mavlink_sys_status_t>(f);
    decodeAs<mavlink_param_request_read_t>(f);
    decodeAs<mavlink_param_request_list_t>(f);
    decodeAs<mavlink_param_value_t>(f);
    decodeAs<mavlink_param_set_t>(f);
    decodeAs<mavlink_gps_raw_int_t>(f);
    decodeAs<mavlink_attitude_t>(f);
    decodeAs<mavlink_rc_channels_t>(f);
    decodeAs<mavlink_request_data_stream_t>(f);
    decodeAs<mavlink_command_long_t>(f);
    decodeAs<mavlink_gps2_raw_t>(f);
    decodeAs<mavlink_mag_cal_progress_t>(f);
    decodeAs<mavlink_mag_cal_report_t>(f);
    decodeAs<mavlink_statustext_t>(f);
}

// A running download fed with what arrives, as the worker feeds it.
struct DownloadDriver {
    ParamTransfer transfer;
    int frames = 0;
    qint64 now = 0;   // the transfer's clock, driven by tick()

    DownloadDriver()
    {
        transfer.setClock([this] { return now; });
        transfer.startDownload();
    }

    void checkRequests(const QList<uint16_t> &requests) const
    {
        for (uint16_t index : requests)
            FUZZ_CHECK(index < transfer.totalParams());
    }

    void paramValue(const MavlinkFrame &f)
    {
        const auto m = MavlinkCodec::decode<mavlink_param_value_t>(f);
        const ParamTransfer::Decoded d = ParamTransfer::decode(m);
        FUZZ_CHECK(d.name.size() <= ParamTransfer::kNameLength);
        FUZZ_CHECK(d.rawName.size() <= ParamTransfer::kNameLength);
        if (d.valid)
            FUZZ_CHECK(ParamTransfer::isValidName(d.name));
        FUZZ_CHECK(d.rawValid == ParamTransfer::isValidName(d.rawName));

        // Every other valid name is first written with the value it comes
        // back with: an identical echo of a real value always confirms.
        if (d.valid && std::isfinite(d.value) && (++frames % 2) == 0) {
            transfer.writeSent(d.name, d.value);
            float written = 0.0f;
            const auto r =
                transfer.echo(d.name, d.value, MavlinkCodec::kParamTypeReal32, &written);
            FUZZ_CHECK(r == ParamTransfer::EchoResult::Confirmed);
            FUZZ_CHECK(written == d.value);
        } else if (d.valid) {
            transfer.echo(d.name, d.value, m.param_type, nullptr);
        }

        const bool added = transfer.noteValue(m.param_index, m.param_count);
        FUZZ_CHECK(!added || m.param_index < transfer.totalParams());
        // The counter and the list of missing indices tell the same story,
        // also after the flight controller announced another total.
        FUZZ_CHECK(transfer.receivedParams <= transfer.totalParams());
        FUZZ_CHECK(transfer.receivedParams + uint32_t(transfer.missingIndices().size())
                   == transfer.totalParams());
        checkRequests(transfer.takeReadRequests());
    }

    // 20 ms of the transfer's clock go by.
    void tick()
    {
        now += 20;
        const ParamTransfer::TickActions a = transfer.tick(false);
        checkRequests(a.readRequests);
        FUZZ_CHECK(a.missing.isEmpty() || a.finish);
        int previous = -1;
        for (int index : a.missing) {
            FUZZ_CHECK(index > previous && index < transfer.totalParams());
            previous = index;
        }
    }
};

// Appends one frame built from the description at `in`; returns the bytes of
// the description used. `clean` turns false when a noise byte could start a
// frame (then frames may be lost legitimately).
size_t buildFrame(const uint8_t *in, size_t n, std::vector<uint8_t> &stream,
                  std::vector<Received> &expected, bool &clean, uint8_t &seq)
{
    static const uint32_t kKnown[] = {
        MavlinkId::HEARTBEAT,       MavlinkId::SYS_STATUS,        MavlinkId::PARAM_REQUEST_READ,
        MavlinkId::PARAM_REQUEST_LIST, MavlinkId::PARAM_VALUE,    MavlinkId::PARAM_SET,
        MavlinkId::GPS_RAW_INT,     MavlinkId::ATTITUDE,          MavlinkId::RC_CHANNELS,
        MavlinkId::REQUEST_DATA_STREAM, MavlinkId::COMMAND_LONG,  MavlinkId::GPS2_RAW,
        MavlinkId::MAG_CAL_PROGRESS, MavlinkId::MAG_CAL_REPORT,   MavlinkId::STATUSTEXT,
    };
    constexpr size_t kKnownCount = sizeof kKnown / sizeof kKnown[0];
    if (n < 3)
        return n;
    size_t used = 0;
    const uint8_t sel = in[used++];
    uint8_t len = in[used++];
    const uint8_t opts = in[used++];

    uint32_t msgid = kKnown[sel % kKnownCount];
    if (sel >= 0xE0 && used < n)
        msgid = MessageTable::commonEntries()[in[used++] % MessageTable::kCommonCount].msgid;
    const bool v1 = (opts & 0x01) != 0;
    const bool isSigned = !v1 && (opts & 0x02) != 0;
    const bool damaged = (opts & 0x04) != 0;
    const size_t noise = opts >> 3;
    if (v1)
        msgid &= 0xFF;

    for (size_t i = 0; i < noise && used < n; ++i) {
        const uint8_t b = in[used++];
        clean = clean && b != MavlinkCodec::kStx && b != MavlinkCodec::kStxV1;
        stream.push_back(b);
    }

    uint8_t payload[MavlinkFrame::kMaxPayload] = {};
    if (len > n - used)
        len = static_cast<uint8_t>(n - used);
    std::memcpy(payload, in + used, len);
    used += len;

    std::vector<uint8_t> frame;
    frame.push_back(v1 ? MavlinkCodec::kStxV1 : MavlinkCodec::kStx);
    frame.push_back(len);
    if (!v1) {
        frame.push_back(isSigned ? MavlinkCodec::kIncompatSigned : 0);
        frame.push_back(0);
    }
    frame.push_back(seq);
    frame.push_back(1);
    frame.push_back(1);
    frame.push_back(static_cast<uint8_t>(msgid));
    if (!v1) {
        frame.push_back(static_cast<uint8_t>(msgid >> 8));
        frame.push_back(static_cast<uint8_t>(msgid >> 16));
    }
    frame.insert(frame.end(), payload, payload + len);
    const MavlinkMessageEntry *entry = MessageTable::lookup(msgid);
    uint16_t crc = MavlinkCodec::crcCalculate(frame.data() + 1, frame.size() - 1);
    crc = MavlinkCodec::crcAccumulate(entry ? entry->crcExtra : 0, crc);
    if (damaged)
        crc ^= 0x0101;
    frame.push_back(static_cast<uint8_t>(crc));
    frame.push_back(static_cast<uint8_t>(crc >> 8));
    // The byte that shows a frame damaged starts the next frame when it is a
    // start marker (the recovery rule), which may swallow the next frame.
    clean = clean && !(damaged && frame.back() == MavlinkCodec::kStx);
    if (isSigned) {
        for (int i = 0; i < MavlinkFrame::kSignatureLength; ++i) {
            const uint8_t b = static_cast<uint8_t>(0x5A + i * 7);
            // A damaged frame's signature is read as noise.
            clean = clean && !(damaged && (b == MavlinkCodec::kStx || b == MavlinkCodec::kStxV1));
            frame.push_back(b);
        }
    }
    stream.insert(stream.end(), frame.begin(), frame.end());
    if (!damaged) {
        Received r{frame[0], len, static_cast<uint8_t>(isSigned ? 1 : 0), seq, 1, 1, msgid,
                   std::vector<uint8_t>(payload, payload + len)};
        expected.push_back(std::move(r));
    }
    ++seq;
    return used;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzDiscardMessages();
    static QCoreApplication app(*argc, *argv);
    Mav2Uart_Worker::registerMetaTypes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const uint8_t mode = data[0];
    const size_t chunk = (data[1] % 64) + 1;
    data += 2;
    size -= 2;

    std::vector<uint8_t> stream;
    std::vector<Received> expected;
    bool clean = true;
    if (mode & 0x04) {
        uint8_t seq = 0;
        size_t i = 0;
        while (i < size)
            i += buildFrame(data + i, size - i, stream, expected, clean, seq);
    } else {
        stream.assign(data, data + size);
    }

    // Byte by byte, and in chunks: the same frames.
    std::vector<Received> byByte;
    DownloadDriver download;
    {
        MavlinkCodec codec;
        for (size_t i = 0; i < stream.size(); ++i) {
            const MavlinkCodec::Result r = codec.receiveByte(stream[i]);
            FUZZ_CHECK(r == MavlinkCodec::Ok || r == MavlinkCodec::Incomplete);
            if (r == MavlinkCodec::Ok) {
                const MavlinkFrame &f = codec.lastFrame();
                decodeFrame(f);
                byByte.push_back(snapshot(f));
                if (f.msgid == MavlinkId::PARAM_VALUE)
                    download.paramValue(f);
            }
            if ((i + 1) % chunk == 0)
                download.tick();
        }
    }
    std::vector<Received> chunked;
    {
        MavlinkCodec codec;
        for (size_t at = 0; at < stream.size(); at += chunk) {
            const size_t n = std::min(chunk, stream.size() - at);
            int frames = 0;
            const int reported = codec.receive(stream.data() + at, n, [&](const MavlinkFrame &f) {
                chunked.push_back(snapshot(f));
                ++frames;
            });
            FUZZ_CHECK(reported == frames);
        }
    }
    FUZZ_CHECK(chunked == byByte);
    if (clean && (mode & 0x04))
        FUZZ_CHECK(byByte == expected);

    // The worker: no port is open, so nothing is sent; every frame handler
    // and its signal still run.
    Mav2Uart_Worker worker(PortSource([] { return QList<PortCandidate>(); }));
    int emitted = 0;
    QObject::connect(&worker, &Mav2Uart_Worker::statustext_value,
                     [&](const QString &text, uint8_t) {
                         FUZZ_CHECK(text.size() <= 50);
                         ++emitted;
                     });
    QObject::connect(&worker, &Mav2Uart_Worker::param_value_loading_value,
                     [&](const Parameter &p, int received, uint16_t total) {
                         FUZZ_CHECK(ParamTransfer::isValidName(p.name));
                         FUZZ_CHECK(received >= 0 && received <= total);
                         ++emitted;
                     });
    QObject::connect(&worker, &Mav2Uart_Worker::param_value_update_value,
                     [&](const QString &name, float) {
                         FUZZ_CHECK(ParamTransfer::isValidName(name));
                         ++emitted;
                     });
    QObject::connect(&worker, &Mav2Uart_Worker::rc_channels_value,
                     [&](const mavlink_rc_channels_t &) { ++emitted; });
    if (mode & 0x01)
        worker.SetMagcalibrationrun(1);
    if (mode & 0x02) {
        worker.SetReadParamDone();
        worker.SearchPort();
    }
    std::vector<uint8_t> copy(stream);
    for (size_t at = 0; at < copy.size(); at += chunk) {
        const size_t n = std::min(chunk, copy.size() - at);
        worker.DataAnalysis(copy.data() + at, static_cast<int>(n));
        worker.SearchPort();
    }
    FUZZ_CHECK(!worker.portOpen);
    g_sink = g_sink + static_cast<uint32_t>(emitted);
    return 0;
}
