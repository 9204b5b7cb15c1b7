// Interop with node-mavlink 2.3.0, an independent MAVLink implementation.
// Frames it encodes (marker swapped 0xFD -> 0xFB per frame) must decode to the
// same fields in our codec, and frames our codec sends (marker swapped back)
// must parse in it with the same fields and a valid checksum.
#include "link/MavlinkCodec.h"

#include <QtTest>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <cstddef>
#include <type_traits>
#include <vector>

namespace {

const char *const kNodeMavlinkVersion = "2.3.0";

// ---- a small reflection of the wire structures -------------------------------

enum class Kind { U8, I8, U16, I16, U32, I32, U64, F32, Chars, U8Array };

struct Field {
    const char *name;
    size_t offset;
    Kind kind;
    int count; // array length, 1 otherwise
};

template <typename X>
constexpr Kind kindOf()
{
    if constexpr (std::is_array_v<X>)
        return std::is_same_v<std::remove_extent_t<X>, char> ? Kind::Chars : Kind::U8Array;
    else if constexpr (std::is_same_v<X, uint8_t>)
        return Kind::U8;
    else if constexpr (std::is_same_v<X, int8_t>)
        return Kind::I8;
    else if constexpr (std::is_same_v<X, uint16_t>)
        return Kind::U16;
    else if constexpr (std::is_same_v<X, int16_t>)
        return Kind::I16;
    else if constexpr (std::is_same_v<X, uint32_t>)
        return Kind::U32;
    else if constexpr (std::is_same_v<X, int32_t>)
        return Kind::I32;
    else if constexpr (std::is_same_v<X, uint64_t>)
        return Kind::U64;
    else {
        static_assert(std::is_same_v<X, float>, "field type not covered");
        return Kind::F32;
    }
}

#define FIELD(S, m)                                                                                \
    Field { #m, offsetof(S, m), kindOf<decltype(S::m)>(), int(std::extent_v<decltype(S::m)> ? std::extent_v<decltype(S::m)> : 1) }

struct Message {
    const char *name;
    uint32_t id;
    int size;
    std::vector<Field> fields; // in wire order
    QByteArray (*decode)(const MavlinkFrame &);
};

template <typename T>
QByteArray decodeAs(const MavlinkFrame &f)
{
    const T m = MavlinkCodec::decode<T>(f);
    return QByteArray(reinterpret_cast<const char *>(&m), sizeof m);
}

template <typename T>
Message message(const char *name, std::vector<Field> fields)
{
    return Message{name, MavlinkMessageInfo<T>::id, int(sizeof(T)), std::move(fields), &decodeAs<T>};
}

// Every message the program reads.
std::vector<Message> messagesRead()
{
    using HB = mavlink_heartbeat_t;
    using SS = mavlink_sys_status_t;
    using PV = mavlink_param_value_t;
    using GR = mavlink_gps_raw_int_t;
    using AT = mavlink_attitude_t;
    using RC = mavlink_rc_channels_t;
    using G2 = mavlink_gps2_raw_t;
    using MP = mavlink_mag_cal_progress_t;
    using MR = mavlink_mag_cal_report_t;
    using ST = mavlink_statustext_t;
    return {
        message<HB>("HEARTBEAT", {FIELD(HB, custom_mode), FIELD(HB, type), FIELD(HB, autopilot),
                                  FIELD(HB, base_mode), FIELD(HB, system_status), FIELD(HB, mavlink_version)}),
        message<SS>("SYS_STATUS",
                    {FIELD(SS, onboard_control_sensors_present), FIELD(SS, onboard_control_sensors_enabled),
                     FIELD(SS, onboard_control_sensors_health), FIELD(SS, load), FIELD(SS, voltage_battery),
                     FIELD(SS, current_battery), FIELD(SS, drop_rate_comm), FIELD(SS, errors_comm),
                     FIELD(SS, errors_count1), FIELD(SS, errors_count2), FIELD(SS, errors_count3),
                     FIELD(SS, errors_count4), FIELD(SS, battery_remaining),
                     FIELD(SS, onboard_control_sensors_present_extended),
                     FIELD(SS, onboard_control_sensors_enabled_extended),
                     FIELD(SS, onboard_control_sensors_health_extended)}),
        message<PV>("PARAM_VALUE", {FIELD(PV, param_value), FIELD(PV, param_count), FIELD(PV, param_index),
                                    FIELD(PV, param_id), FIELD(PV, param_type)}),
        message<GR>("GPS_RAW_INT",
                    {FIELD(GR, time_usec), FIELD(GR, lat), FIELD(GR, lon), FIELD(GR, alt), FIELD(GR, eph),
                     FIELD(GR, epv), FIELD(GR, vel), FIELD(GR, cog), FIELD(GR, fix_type),
                     FIELD(GR, satellites_visible), FIELD(GR, alt_ellipsoid), FIELD(GR, h_acc),
                     FIELD(GR, v_acc), FIELD(GR, vel_acc), FIELD(GR, hdg_acc), FIELD(GR, yaw)}),
        message<AT>("ATTITUDE", {FIELD(AT, time_boot_ms), FIELD(AT, roll), FIELD(AT, pitch), FIELD(AT, yaw),
                                 FIELD(AT, rollspeed), FIELD(AT, pitchspeed), FIELD(AT, yawspeed)}),
        message<RC>("RC_CHANNELS",
                    {FIELD(RC, time_boot_ms), FIELD(RC, chan1_raw), FIELD(RC, chan2_raw), FIELD(RC, chan3_raw),
                     FIELD(RC, chan4_raw), FIELD(RC, chan5_raw), FIELD(RC, chan6_raw), FIELD(RC, chan7_raw),
                     FIELD(RC, chan8_raw), FIELD(RC, chan9_raw), FIELD(RC, chan10_raw), FIELD(RC, chan11_raw),
                     FIELD(RC, chan12_raw), FIELD(RC, chan13_raw), FIELD(RC, chan14_raw), FIELD(RC, chan15_raw),
                     FIELD(RC, chan16_raw), FIELD(RC, chan17_raw), FIELD(RC, chan18_raw), FIELD(RC, chancount),
                     FIELD(RC, rssi)}),
        message<G2>("GPS2_RAW",
                    {FIELD(G2, time_usec), FIELD(G2, lat), FIELD(G2, lon), FIELD(G2, alt), FIELD(G2, dgps_age),
                     FIELD(G2, eph), FIELD(G2, epv), FIELD(G2, vel), FIELD(G2, cog), FIELD(G2, fix_type),
                     FIELD(G2, satellites_visible), FIELD(G2, dgps_numch), FIELD(G2, yaw),
                     FIELD(G2, alt_ellipsoid), FIELD(G2, h_acc), FIELD(G2, v_acc), FIELD(G2, vel_acc),
                     FIELD(G2, hdg_acc)}),
        message<MP>("MAG_CAL_PROGRESS",
                    {FIELD(MP, direction_x), FIELD(MP, direction_y), FIELD(MP, direction_z),
                     FIELD(MP, compass_id), FIELD(MP, cal_mask), FIELD(MP, cal_status), FIELD(MP, attempt),
                     FIELD(MP, completion_pct), FIELD(MP, completion_mask)}),
        message<MR>("MAG_CAL_REPORT",
                    {FIELD(MR, fitness), FIELD(MR, ofs_x), FIELD(MR, ofs_y), FIELD(MR, ofs_z), FIELD(MR, diag_x),
                     FIELD(MR, diag_y), FIELD(MR, diag_z), FIELD(MR, offdiag_x), FIELD(MR, offdiag_y),
                     FIELD(MR, offdiag_z), FIELD(MR, compass_id), FIELD(MR, cal_mask), FIELD(MR, cal_status),
                     FIELD(MR, autosaved), FIELD(MR, orientation_confidence), FIELD(MR, old_orientation),
                     FIELD(MR, new_orientation), FIELD(MR, scale_factor)}),
        message<ST>("STATUSTEXT", {FIELD(ST, severity), FIELD(ST, text), FIELD(ST, id), FIELD(ST, chunk_seq)}),
    };
}

// Every message the program sends.
std::vector<Message> messagesSent()
{
    using RR = mavlink_param_request_read_t;
    using RL = mavlink_param_request_list_t;
    using PS = mavlink_param_set_t;
    using DS = mavlink_request_data_stream_t;
    using CL = mavlink_command_long_t;
    return {
        message<RR>("PARAM_REQUEST_READ", {FIELD(RR, param_index), FIELD(RR, target_system),
                                           FIELD(RR, target_component), FIELD(RR, param_id)}),
        message<RL>("PARAM_REQUEST_LIST", {FIELD(RL, target_system), FIELD(RL, target_component)}),
        message<PS>("PARAM_SET", {FIELD(PS, param_value), FIELD(PS, target_system), FIELD(PS, target_component),
                                  FIELD(PS, param_id), FIELD(PS, param_type)}),
        message<DS>("REQUEST_DATA_STREAM", {FIELD(DS, req_message_rate), FIELD(DS, target_system),
                                            FIELD(DS, target_component), FIELD(DS, req_stream_id),
                                            FIELD(DS, start_stop)}),
        message<CL>("COMMAND_LONG", {FIELD(CL, param1), FIELD(CL, param2), FIELD(CL, param3), FIELD(CL, param4),
                                     FIELD(CL, param5), FIELD(CL, param6), FIELD(CL, param7), FIELD(CL, command),
                                     FIELD(CL, target_system), FIELD(CL, target_component),
                                     FIELD(CL, confirmation)}),
    };
}

const Message *findMessage(const std::vector<Message> &list, uint32_t id)
{
    for (const Message &m : list)
        if (m.id == id)
            return &m;
    return nullptr;
}

template <typename V>
V readAt(const QByteArray &bytes, size_t offset)
{
    V v;
    std::memcpy(&v, bytes.constData() + offset, sizeof v);
    return v;
}

template <typename V>
void writeAt(QByteArray &bytes, size_t offset, V v)
{
    std::memcpy(bytes.data() + offset, &v, sizeof v);
}

// One field of a structure's bytes as node-mavlink writes it in JSON.
QJsonValue fieldToJson(const QByteArray &bytes, const Field &f)
{
    switch (f.kind) {
    case Kind::U8: return int(readAt<uint8_t>(bytes, f.offset));
    case Kind::I8: return int(readAt<int8_t>(bytes, f.offset));
    case Kind::U16: return int(readAt<uint16_t>(bytes, f.offset));
    case Kind::I16: return int(readAt<int16_t>(bytes, f.offset));
    case Kind::U32: return double(readAt<uint32_t>(bytes, f.offset));
    case Kind::I32: return double(readAt<int32_t>(bytes, f.offset));
    case Kind::U64: return QString::number(readAt<uint64_t>(bytes, f.offset));
    case Kind::F32: return double(readAt<float>(bytes, f.offset));
    case Kind::Chars: {
        const QByteArray raw = bytes.mid(int(f.offset), f.count);
        const int nul = raw.indexOf('\0');
        return QString::fromLatin1(nul < 0 ? raw : raw.left(nul));
    }
    case Kind::U8Array: {
        QJsonArray a;
        for (int i = 0; i < f.count; ++i)
            a.append(int(uint8_t(bytes[int(f.offset) + i])));
        return a;
    }
    }
    return {};
}

// A random, non-zero value for one field, written into `bytes`.
void randomField(QRandomGenerator &rng, QByteArray &bytes, const Field &f)
{
    switch (f.kind) {
    case Kind::U8: writeAt<uint8_t>(bytes, f.offset, uint8_t(1 + rng.bounded(255))); break;
    case Kind::I8: writeAt<int8_t>(bytes, f.offset, int8_t(rng.bounded(2) ? 1 + rng.bounded(127) : -1 - int(rng.bounded(128)))); break;
    case Kind::U16: writeAt<uint16_t>(bytes, f.offset, uint16_t(1 + rng.bounded(65535))); break;
    case Kind::I16: writeAt<int16_t>(bytes, f.offset, int16_t(rng.bounded(2) ? 1 + rng.bounded(32767) : -1 - int(rng.bounded(32768)))); break;
    case Kind::U32: writeAt<uint32_t>(bytes, f.offset, rng.generate() | 1u); break;
    case Kind::I32: writeAt<int32_t>(bytes, f.offset, int32_t(rng.generate() | 1u)); break;
    case Kind::U64: writeAt<uint64_t>(bytes, f.offset, rng.generate64() | 1u); break;
    case Kind::F32: writeAt<float>(bytes, f.offset, float(1 + int(rng.bounded(2000000))) / (rng.bounded(2) ? 64.0f : -64.0f)); break;
    case Kind::Chars: {
        static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_ abcdefghijklmnopqrstuvwxyz:.";
        const int len = rng.bounded(3) == 0 ? f.count : 1 + rng.bounded(f.count);
        for (int i = 0; i < f.count; ++i)
            bytes[int(f.offset) + i] = i < len ? alphabet[rng.bounded(int(sizeof alphabet) - 1)] : '\0';
        break;
    }
    case Kind::U8Array:
        for (int i = 0; i < f.count; ++i)
            bytes[int(f.offset) + i] = char(1 + rng.bounded(255));
        break;
    }
}

QJsonObject fieldsToJson(const Message &m, const QByteArray &bytes)
{
    QJsonObject o;
    for (const Field &f : m.fields)
        o.insert(QString::fromLatin1(f.name), fieldToJson(bytes, f));
    return o;
}

// Names of the fields whose values differ.
QStringList differences(const Message &m, const QJsonObject &expected, const QJsonObject &actual)
{
    QStringList out;
    for (const Field &f : m.fields) {
        const QString key = QString::fromLatin1(f.name);
        if (expected.value(key) != actual.value(key)) {
            out << QString("%1: want %2, got %3")
                       .arg(key,
                            QString::fromUtf8(QJsonDocument(QJsonArray{expected.value(key)}).toJson(QJsonDocument::Compact)),
                            QString::fromUtf8(QJsonDocument(QJsonArray{actual.value(key)}).toJson(QJsonDocument::Compact)));
        }
    }
    return out;
}

QByteArray toHex(const uint8_t *p, int n)
{
    return QByteArray(reinterpret_cast<const char *>(p), n).toHex();
}

} // namespace

class TestInterop : public QObject
{
    Q_OBJECT

private:
    QString m_node;
    QString m_modules;

    // One request to the node side; fails the test on any error there.
    QJsonObject askNode(QJsonObject request)
    {
        request.insert("modules", m_modules);
        QProcess p;
        p.start(m_node, {QStringLiteral(TAVRO_INTEROP_SCRIPT)});
        if (!p.waitForStarted(30000))
            return {};
        p.write(QJsonDocument(request).toJson(QJsonDocument::Compact));
        p.closeWriteChannel();
        if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            qWarning().noquote() << "node failed:" << p.readAllStandardError();
            return {};
        }
        QJsonParseError err{};
        const QJsonDocument doc = QJsonDocument::fromJson(p.readAllStandardOutput(), &err);
        if (err.error != QJsonParseError::NoError) {
            qWarning() << "node answered no JSON:" << err.errorString();
            return {};
        }
        return doc.object();
    }

    bool installedVersionMatches(const QString &dir)
    {
        QFile f(dir + "/node_modules/node-mavlink/package.json");
        if (!f.open(QIODevice::ReadOnly))
            return false;
        return QJsonDocument::fromJson(f.readAll()).object().value("version").toString()
            == QLatin1String(kNodeMavlinkVersion);
    }

private slots:
    void initTestCase()
    {
        m_node = QStandardPaths::findExecutable("node");
        if (m_node.isEmpty())
            m_node = QStandardPaths::findExecutable("nodejs");
        if (m_node.isEmpty())
            QSKIP("node is not installed: the interop test with node-mavlink cannot run "
                  "(install the Debian packages nodejs and npm)");
        const QString npm = QStandardPaths::findExecutable("npm");

        const QString dir = QStringLiteral(TAVRO_INTEROP_NPM_DIR);
        QVERIFY(QDir().mkpath(dir));
        m_modules = dir + "/node_modules";
        QLockFile lock(dir + "/install.lock");
        lock.setStaleLockTime(0);
        QVERIFY(lock.tryLock(300000));
        if (!installedVersionMatches(dir)) {
            if (npm.isEmpty())
                QSKIP("npm is not installed: node-mavlink cannot be fetched for the interop test");
            QProcess p;
            p.setProcessChannelMode(QProcess::MergedChannels);
            p.start(npm, {"install", "--no-audit", "--no-fund", "--no-save", "--prefix", dir,
                          QString("node-mavlink@%1").arg(kNodeMavlinkVersion)});
            QVERIFY2(p.waitForStarted(30000), "npm did not start");
            const bool finished = p.waitForFinished(300000);
            const QByteArray log = p.readAll();
            QVERIFY2(finished && p.exitCode() == 0,
                     qPrintable("npm install node-mavlink failed:\n" + QString::fromLocal8Bit(log)));
            QVERIFY2(installedVersionMatches(dir), "node-mavlink is not where npm was told to put it");
        }
    }

    // The numbers both sides check frames with.
    void sameMessageDefinitions()
    {
        QJsonArray ids;
        for (const auto &list : {messagesRead(), messagesSent()})
            for (const Message &m : list)
                ids.append(int(m.id));
        const QJsonObject answer = askNode({{"table", ids}});
        const QJsonObject table = answer.value("table").toObject();
        QCOMPARE(table.size(), ids.size());
        for (const QJsonValue &id : ids) {
            const QJsonObject n = table.value(QString::number(id.toInt())).toObject();
            const MavlinkMessageEntry *e = MessageTable::lookup(uint32_t(id.toInt()));
            QVERIFY(e);
            QCOMPARE(n.value("crcExtra").toInt(), int(e->crcExtra));
            QCOMPARE(n.value("minLength").toInt(), int(e->minLength));
            QCOMPARE(n.value("maxLength").toInt(), int(e->maxLength));
        }
    }

    // node-mavlink encodes, we decode: full, trimmed, all-zero, MAVLink 1 and 2.
    void framesFromNodeDecodeHere()
    {
        QRandomGenerator rng(4711);
        const std::vector<Message> read = messagesRead();
        struct Case {
            const Message *message;
            QString variant;
            int version;
            QByteArray bytes; // expected structure
        };
        std::vector<Case> cases;
        QJsonArray requests;
        int seq = 0;
        for (const Message &m : read) {
            for (const QString variant : {"full", "trimmed", "zero", "v1"}) {
                for (int round = 0; round < 3; ++round) {
                    if (variant == "zero" && round > 0)
                        continue;
                    QByteArray bytes(m.size, '\0');
                    if (variant != "zero") {
                        // trimmed: the latter half of the wire order stays 0.
                        const size_t keep = variant == "trimmed" ? m.fields.size() / 2 : m.fields.size();
                        for (size_t i = 0; i < keep; ++i)
                            randomField(rng, bytes, m.fields[i]);
                    }
                    const int version = variant == "v1" ? 1 : 2;
                    cases.push_back({&m, variant, version, bytes});
                    requests.append(QJsonObject{{"msgid", int(m.id)}, {"version", version}, {"sysid", 1},
                                                {"compid", 1}, {"seq", seq++ % 256},
                                                {"fields", fieldsToJson(m, bytes)}});
                }
            }
        }

        const QJsonObject answer = askNode({{"encode", requests}});
        const QJsonArray encoded = answer.value("encoded").toArray();
        QCOMPARE(encoded.size(), int(cases.size()));

        // All frames go through one channel as one stream, like on the wire.
        MavlinkCodec codec;
        std::vector<MavlinkFrame> frames;
        for (int i = 0; i < encoded.size(); ++i) {
            QByteArray frame = QByteArray::fromHex(encoded[i].toString().toLatin1());
            QVERIFY(frame.size() >= 8);
            if (uint8_t(frame[0]) == 0xFD)
                frame[0] = char(0xFB); // this link's marker, swapped per frame
            else
                QCOMPARE(uint8_t(frame[0]), uint8_t(0xFE));
            for (char c : frame)
                if (codec.receiveByte(uint8_t(c)) == MavlinkCodec::Ok)
                    frames.push_back(codec.lastFrame());
            QVERIFY2(frames.size() == size_t(i + 1),
                     qPrintable(QString("%1 %2: frame %3 not accepted")
                                    .arg(cases[size_t(i)].message->name, cases[size_t(i)].variant, encoded[i].toString())));
        }

        int trimmedSeen = 0;
        for (size_t i = 0; i < cases.size(); ++i) {
            const Case &c = cases[i];
            const MavlinkFrame &f = frames[i];
            const QString what = QString("%1 %2 #%3").arg(c.message->name, c.variant).arg(i);
            QCOMPARE(f.msgid, c.message->id);
            QCOMPARE(int(f.magic), c.version == 1 ? 0xFE : 0xFB);
            QCOMPARE(int(f.sysid), 1);
            QCOMPARE(int(f.compid), 1);
            QCOMPARE(int(f.seq), int(i % 256));
            if (f.len < c.message->size)
                ++trimmedSeen;
            const QByteArray decoded = c.message->decode(f);
            const QStringList diff = differences(*c.message, fieldsToJson(*c.message, c.bytes),
                                                 fieldsToJson(*c.message, decoded));
            QVERIFY2(diff.isEmpty(), qPrintable(what + ": " + diff.join("; ")));
            QVERIFY2(decoded == c.bytes, qPrintable(what + ": structure bytes differ"));
        }
        QVERIFY(trimmedSeen >= int(read.size()) * 2); // trimmed and zero cases of every message
    }

    // We encode, node-mavlink parses: the messages the program sends, with its
    // identities, and the telemetry the simulated flight controller sends.
    void framesFromHereParseInNode()
    {
        QRandomGenerator rng(815);
        const std::vector<Message> sent = messagesSent();
        const std::vector<Message> read = messagesRead();
        MavlinkCodec codec;
        uint8_t buf[MavlinkCodec::kMaxFrameSize];

        struct Expect {
            const Message *message;
            QByteArray bytes;
            int sysid;
            int compid;
            int len;
        };
        std::vector<Expect> expects;
        QJsonArray hexes;

        const auto add = [&](const Message *m, const QByteArray &bytes, int n, int sysid, int compid) {
            QVERIFY(n > 0);
            QCOMPARE(int(buf[0]), 0xFB);
            buf[0] = 0xFD; // the standard marker for node-mavlink, per frame
            hexes.append(QString::fromLatin1(toHex(buf, n)));
            expects.push_back({m, bytes, sysid, compid, int(buf[1])});
        };
        const auto randomName = [&](int maxLen) {
            static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_";
            const int len = rng.bounded(2) ? maxLen : 1 + rng.bounded(maxLen);
            QByteArray name;
            for (int i = 0; i < len; ++i)
                name.append(alphabet[rng.bounded(int(sizeof alphabet) - 1)]);
            return name;
        };
        const auto randomFloat = [&]() { return float(int(rng.bounded(2000001)) - 1000000) / 32.0f; };

        for (int round = 0; round < 8; ++round) {
            { // PARAM_SET
                const QByteArray name = randomName(16);
                const float value = randomFloat();
                mavlink_param_set_t m{};
                m.param_value = value;
                m.target_system = 1;
                m.target_component = 1;
                std::memcpy(m.param_id, name.constData(), size_t(name.size()));
                m.param_type = 9;
                add(findMessage(sent, 23), QByteArray(reinterpret_cast<const char *>(&m), sizeof m),
                    codec.packParamSet(buf, name.constData(), value), 1, 1);
            }
            { // PARAM_REQUEST_LIST
                mavlink_param_request_list_t m{1, 1};
                add(findMessage(sent, 21), QByteArray(reinterpret_cast<const char *>(&m), sizeof m),
                    codec.packParamRequestList(buf), 1, 1);
            }
            { // PARAM_REQUEST_READ, by name or by index
                mavlink_param_request_read_t m{};
                m.target_system = 1;
                m.target_component = 1;
                int n;
                if (round % 2) {
                    const QByteArray name = randomName(16);
                    std::memcpy(m.param_id, name.constData(), size_t(name.size()));
                    m.param_index = -1;
                    n = codec.packParamRequestRead(buf, name.constData());
                } else {
                    m.param_index = int16_t(rng.bounded(1200));
                    n = codec.packParamRequestRead(buf, "", m.param_index);
                }
                add(findMessage(sent, 20), QByteArray(reinterpret_cast<const char *>(&m), sizeof m), n, 1, 1);
            }
            { // REQUEST_DATA_STREAM
                mavlink_request_data_stream_t m{};
                m.req_message_rate = 10;
                m.target_system = 1;
                m.target_component = 0;
                m.req_stream_id = uint8_t(rng.bounded(13));
                m.start_stop = uint8_t(round % 2);
                add(findMessage(sent, 66), QByteArray(reinterpret_cast<const char *>(&m), sizeof m),
                    codec.packRequestDataStream(buf, m.req_stream_id, 10, m.start_stop), 255, 0);
            }
            { // COMMAND_LONG: reboot, compass calibration, and arbitrary
                mavlink_command_long_t m{};
                m.target_system = 1;
                m.target_component = 1;
                int n;
                if (round == 0) {
                    m.command = 246;
                    m.param1 = 1.0f;
                    n = codec.packCommandLong(buf, 246, 1.0f);
                } else if (round == 1) {
                    m.command = 42424;
                    m.param2 = 1.0f;
                    m.param3 = 1.0f;
                    m.param5 = 1.0f;
                    n = codec.packCommandLong(buf, 42424, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f);
                } else {
                    m.command = uint16_t(rng.bounded(65536));
                    m.param1 = randomFloat();
                    m.param2 = randomFloat();
                    m.param3 = randomFloat();
                    m.param4 = randomFloat();
                    m.param5 = randomFloat();
                    m.param6 = randomFloat();
                    m.param7 = randomFloat();
                    m.confirmation = uint8_t(rng.bounded(256));
                    n = codec.packCommandLong(buf, m.command, m.param1, m.param2, m.param3, m.param4,
                                              m.param5, m.param6, m.param7, m.confirmation);
                }
                add(findMessage(sent, 76), QByteArray(reinterpret_cast<const char *>(&m), sizeof m), n, 255, 190);
            }
        }

        // Telemetry as the simulated flight controller encodes it.
        for (const Message &m : read) {
            QByteArray bytes(m.size, '\0');
            for (const Field &f : m.fields)
                randomField(rng, bytes, f);
            const int n = codec.pack(buf, m.id, bytes.constData(), m.size, 1, 1);
            add(&m, bytes, n, 1, 1);
        }

        // One damaged copy at the end shows that the checksum check is live.
        QByteArray damaged = QByteArray::fromHex(hexes.first().toString().toLatin1());
        damaged[12] = char(damaged[12] ^ 0x01);
        hexes.append(QString::fromLatin1(damaged.toHex()));

        const QJsonObject answer = askNode({{"decode", hexes}});
        const QJsonArray decoded = answer.value("decoded").toArray();
        QCOMPARE(decoded.size(), int(expects.size()) + 1);
        QVERIFY(!decoded.last().toObject().value("crcOk").toBool());
        for (int i = 0; i < int(expects.size()); ++i) {
            const Expect &e = expects[size_t(i)];
            const QJsonObject d = decoded[i].toObject();
            const QString what = QString("%1 #%2").arg(e.message->name).arg(i);
            QVERIFY2(d.value("crcOk").toBool(), qPrintable(what + ": checksum rejected"));
            QCOMPARE(d.value("name").toString(), QString::fromLatin1(e.message->name));
            QCOMPARE(d.value("msgid").toInt(), int(e.message->id));
            QCOMPARE(d.value("seq").toInt(), i % 256);
            QCOMPARE(d.value("sysid").toInt(), e.sysid);
            QCOMPARE(d.value("compid").toInt(), e.compid);
            QCOMPARE(d.value("incompat").toInt(), 0);
            QCOMPARE(d.value("len").toInt(), e.len);
            const QStringList diff = differences(*e.message, fieldsToJson(*e.message, e.bytes),
                                                 d.value("fields").toObject());
            QVERIFY2(diff.isEmpty(), qPrintable(what + ": " + diff.join("; ")));
        }
        // The reboot command went out trimmed after the target component.
        QCOMPARE(expects[4].len, 32);
    }
};

QTEST_GUILESS_MAIN(TestInterop)
#include "tst_interop.moc"
