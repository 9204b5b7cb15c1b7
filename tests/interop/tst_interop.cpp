// Interop with node-mavlink 2.3.0, an independent MAVLink implementation:
// frames it encodes (marker 0xFD swapped to 0xFB) decode to the same fields
// here, and frames sent from here (marker swapped back) parse there with the
// same fields and a valid checksum.
#include "link/MavlinkCodec.h"

#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <cstddef>
#include <cstring>
#include <limits>
#include <type_traits>
#include <vector>

namespace {

const char *const kNodeMavlinkVersion = "2.3.0";

// A small reflection of the wire structures: each field's name, where it
// lies, how node-mavlink writes it in JSON, and a random non-zero value for it.
struct Field {
    const char *name;
    size_t offset;
    QJsonValue (*toJson)(const char *at);
    void (*randomize)(QRandomGenerator &rng, char *at);
};

template <typename X>
QJsonValue toJson(const char *at)
{
    if constexpr (std::is_array_v<X>) {
        constexpr int n = int(std::extent_v<X>);
        if constexpr (std::is_same_v<std::remove_extent_t<X>, char>) {
            return QString::fromLatin1(at, int(qstrnlen(at, uint(n))));
        } else {
            static_assert(std::is_same_v<std::remove_extent_t<X>, uint8_t>, "field type not covered");
            QJsonArray a;
            for (int i = 0; i < n; ++i)
                a.append(int(uint8_t(at[i])));
            return a;
        }
    } else {
        X v;
        std::memcpy(&v, at, sizeof v);
        if constexpr (sizeof(X) == 8)
            return QString::number(v);   // 64-bit integers as text
        else if constexpr (sizeof(X) <= 2)
            return int(v);
        else
            return double(v);
    }
}

template <typename X>
void randomize(QRandomGenerator &rng, char *at)
{
    if constexpr (std::is_array_v<X>) {
        constexpr int n = int(std::extent_v<X>);
        if constexpr (std::is_same_v<std::remove_extent_t<X>, char>) {
            static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_ abcdefghijklmnopqrstuvwxyz:.";
            const int len = rng.bounded(3) == 0 ? n : 1 + rng.bounded(n);
            for (int i = 0; i < n; ++i)
                at[i] = i < len ? alphabet[rng.bounded(int(sizeof alphabet) - 1)] : '\0';
        } else {
            for (int i = 0; i < n; ++i)
                at[i] = char(1 + rng.bounded(255));
        }
    } else {
        X v;
        if constexpr (std::is_floating_point_v<X>)
            v = float((rng.bounded(2) ? 1 : -1) * (1 + int(rng.bounded(2000000)))) / 64.0f;
        else if constexpr (sizeof(X) == 8)
            v = rng.generate64() | 1u;
        else if constexpr (sizeof(X) == 4)
            v = X(rng.generate() | 1u);
        else
            v = X((std::is_signed_v<X> && rng.bounded(2) ? -1 : 1) * (1 + int(rng.bounded(int(std::numeric_limits<X>::max())))));
        std::memcpy(at, &v, sizeof v);
    }
}

#define FIELD(S, m) Field{#m, offsetof(S, m), &toJson<decltype(S::m)>, &randomize<decltype(S::m)>}

struct Message {
    const char *name;
    uint32_t id;
    int size;
    std::vector<Field> fields;   // in wire order
    QByteArray (*decode)(const MavlinkFrame &);
};

template <typename T>
QByteArray bytesOf(const T &m)
{
    return QByteArray(reinterpret_cast<const char *>(&m), sizeof m);
}

template <typename T>
Message message(const char *name, std::vector<Field> fields)
{
    return Message{name, MavlinkMessageInfo<T>::id, int(sizeof(T)), std::move(fields),
                   [](const MavlinkFrame &f) { return bytesOf(MavlinkCodec::decode<T>(f)); }};
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

// A structure's fields as node-mavlink writes them in JSON.
QJsonObject fieldsToJson(const Message &m, const QByteArray &bytes)
{
    QJsonObject o;
    for (const Field &f : m.fields)
        o.insert(QString::fromLatin1(f.name), f.toJson(bytes.constData() + f.offset));
    return o;
}

void randomField(QRandomGenerator &rng, QByteArray &bytes, const Field &f) { f.randomize(rng, bytes.data() + f.offset); }

QString json(const QJsonObject &o)
{
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

} // namespace

class TestInterop : public QObject
{
    Q_OBJECT

private:
    QString m_node;
    QString m_modules;

    // One request to the node side; an empty answer on any error there.
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
        return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    }

    bool installedVersionMatches(const QString &dir)
    {
        QFile f(dir + "/node_modules/node-mavlink/package.json");
        return f.open(QIODevice::ReadOnly)
            && QJsonDocument::fromJson(f.readAll()).object().value("version").toString() == kNodeMavlinkVersion;
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
        const QString dir = QStringLiteral(TAVRO_INTEROP_NPM_DIR);
        QVERIFY(QDir().mkpath(dir));
        m_modules = dir + "/node_modules";
        QLockFile lock(dir + "/install.lock");
        lock.setStaleLockTime(0);
        QVERIFY(lock.tryLock(300000));
        if (installedVersionMatches(dir))
            return;
        const QString npm = QStandardPaths::findExecutable("npm");
        if (npm.isEmpty())
            QSKIP("npm is not installed: node-mavlink cannot be fetched for the interop test");
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(npm, {"install", "--no-audit", "--no-fund", "--no-save", "--prefix", dir,
                      QString("node-mavlink@%1").arg(kNodeMavlinkVersion)});
        QVERIFY2(p.waitForStarted(30000), "npm did not start");
        const bool finished = p.waitForFinished(300000);
        QVERIFY2(finished && p.exitCode() == 0, qPrintable("npm install failed:\n" + QString::fromLocal8Bit(p.readAll())));
        QVERIFY2(installedVersionMatches(dir), "node-mavlink is not where npm was told to put it");
    }

    // node-mavlink encodes, we decode: full, trimmed, all-zero, MAVLink 1 and 2.
    void framesFromNodeDecodeHere()
    {
        QRandomGenerator rng(4711);
        const std::vector<Message> read = messagesRead();
        struct Case {
            const Message *message;
            QString variant;
            QByteArray bytes;   // expected structure
        };
        std::vector<Case> cases;
        QJsonArray requests;
        for (const Message &m : read) {
            for (const QString variant : {"full", "trimmed", "zero", "v1"}) {
                for (int round = 0; round < (variant == "zero" ? 1 : 3); ++round) {
                    QByteArray bytes(m.size, '\0');
                    // trimmed: the latter half of the wire order stays 0.
                    const size_t keep = variant == "zero" ? 0 : variant == "trimmed" ? m.fields.size() / 2 : m.fields.size();
                    for (size_t i = 0; i < keep; ++i)
                        randomField(rng, bytes, m.fields[i]);
                    requests.append(QJsonObject{{"msgid", int(m.id)}, {"version", variant == "v1" ? 1 : 2}, {"sysid", 1},
                                                {"compid", 1}, {"seq", int(cases.size() % 256)},
                                                {"fields", fieldsToJson(m, bytes)}});
                    cases.push_back({&m, variant, bytes});
                }
            }
        }
        const QJsonArray encoded = askNode({{"encode", requests}}).value("encoded").toArray();
        QCOMPARE(encoded.size(), int(cases.size()));

        // All frames through one channel as one stream, like on the wire.
        MavlinkCodec codec;
        int trimmedSeen = 0;
        for (int i = 0; i < encoded.size(); ++i) {
            const Case &c = cases[size_t(i)];
            const QString what = QString("%1 %2 #%3: %4").arg(c.message->name, c.variant).arg(i).arg(encoded[i].toString());
            QByteArray frame = QByteArray::fromHex(encoded[i].toString().toLatin1());
            QVERIFY(frame.size() >= 8);
            QCOMPARE(uint8_t(frame[0]), uint8_t(c.variant == "v1" ? 0xFE : 0xFD));
            if (c.variant != "v1")
                frame[0] = char(0xFB);
            int ok = 0;
            for (char b : frame)
                ok += codec.receiveByte(uint8_t(b)) == MavlinkCodec::Ok;
            QVERIFY2(ok == 1, qPrintable(what + " not accepted"));
            const MavlinkFrame &f = codec.lastFrame();
            QCOMPARE((QList<int>{int(f.msgid), f.magic, f.sysid, f.compid, f.seq}),
                     (QList<int>{int(c.message->id), c.variant == "v1" ? 0xFE : 0xFB, 1, 1, i % 256}));
            trimmedSeen += f.len < c.message->size;
            const QByteArray decoded = c.message->decode(f);
            const QJsonObject want = fieldsToJson(*c.message, c.bytes), got = fieldsToJson(*c.message, decoded);
            QVERIFY2(want == got, qPrintable(what + "\nwant " + json(want) + "\ngot  " + json(got)));
            QVERIFY2(decoded == c.bytes, qPrintable(what + ": structure bytes differ"));
        }
        QVERIFY(trimmedSeen >= int(read.size()) * 2);   // trimmed and zero cases of every message
    }

    // We encode, node-mavlink parses: the messages the program sends with its
    // identities, and the telemetry the simulated flight controller sends.
    void framesFromHereParseInNode()
    {
        QRandomGenerator rng(815);
        const std::vector<Message> sent = messagesSent(), read = messagesRead();
        const auto find = [&](uint32_t id) {
            return &*std::find_if(sent.begin(), sent.end(), [id](const Message &m) { return m.id == id; });
        };
        MavlinkCodec codec;
        uint8_t buf[MavlinkCodec::kMaxFrameSize];
        struct Expect {
            const Message *message;
            QByteArray bytes;
            int sysid, compid, len;
        };
        std::vector<Expect> expects;
        QJsonArray hexes;
        const auto add = [&](const Message *m, const QByteArray &bytes, int n, int sysid, int compid) {
            QVERIFY(n > 0);
            QCOMPARE(int(buf[0]), 0xFB);
            buf[0] = 0xFD;   // the standard marker for node-mavlink, per frame
            hexes.append(QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(buf), n).toHex()));
            expects.push_back({m, bytes, sysid, compid, int(buf[1])});
        };
        const auto randomName = [&] {
            static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_";
            QByteArray name(rng.bounded(2) ? 16 : 1 + rng.bounded(16), '\0');
            for (char &c : name)
                c = alphabet[rng.bounded(int(sizeof alphabet) - 1)];
            return name;
        };
        const auto randomFloat = [&] { return float(int(rng.bounded(2000001)) - 1000000) / 32.0f; };

        for (int round = 0; round < 8; ++round) {
            mavlink_param_set_t ps{};
            ps.param_value = randomFloat();
            ps.target_system = ps.target_component = 1;
            const QByteArray name = randomName();
            std::memcpy(ps.param_id, name.constData(), size_t(name.size()));
            ps.param_type = 9;
            add(find(23), bytesOf(ps), codec.packParamSet(buf, name.constData(), ps.param_value), 1, 1);

            add(find(21), bytesOf(mavlink_param_request_list_t{1, 1}), codec.packParamRequestList(buf), 1, 1);

            mavlink_param_request_read_t rr{};   // by name or by index
            rr.target_system = rr.target_component = 1;
            rr.param_index = -1;
            const QByteArray readName = round % 2 ? randomName() : QByteArray();
            std::memcpy(rr.param_id, readName.constData(), size_t(readName.size()));
            if (readName.isEmpty())
                rr.param_index = int16_t(rng.bounded(1200));
            add(find(20), bytesOf(rr), codec.packParamRequestRead(buf, readName.constData(), rr.param_index), 1, 1);

            mavlink_request_data_stream_t ds{};
            ds.req_message_rate = 10;
            ds.target_system = 1;
            ds.req_stream_id = uint8_t(rng.bounded(13));
            ds.start_stop = uint8_t(round % 2);
            add(find(66), bytesOf(ds), codec.packRequestDataStream(buf, ds.req_stream_id, 10, ds.start_stop), 255, 0);

            mavlink_command_long_t cl{};   // reboot, then arbitrary commands
            cl.target_system = cl.target_component = 1;
            cl.command = round == 0 ? 246 : uint16_t(rng.bounded(65536));
            cl.param1 = round == 0 ? 1.0f : randomFloat();
            if (round > 0) {
                for (float *p : {&cl.param2, &cl.param3, &cl.param4, &cl.param5, &cl.param6, &cl.param7})
                    *p = randomFloat();
                cl.confirmation = uint8_t(rng.bounded(256));
            }
            add(find(76), bytesOf(cl),
                codec.packCommandLong(buf, cl.command, cl.param1, cl.param2, cl.param3, cl.param4, cl.param5,
                                      cl.param6, cl.param7, cl.confirmation), 255, 190);
        }
        // Telemetry as the simulated flight controller encodes it.
        for (const Message &m : read) {
            QByteArray bytes(m.size, '\0');
            for (const Field &f : m.fields)
                randomField(rng, bytes, f);
            add(&m, bytes, codec.pack(buf, m.id, bytes.constData(), m.size, 1, 1), 1, 1);
        }
        // One damaged copy at the end shows that the checksum check is live.
        QByteArray damaged = QByteArray::fromHex(hexes.first().toString().toLatin1());
        damaged[12] = char(damaged[12] ^ 0x01);
        hexes.append(QString::fromLatin1(damaged.toHex()));

        const QJsonArray decoded = askNode({{"decode", hexes}}).value("decoded").toArray();
        QCOMPARE(decoded.size(), int(expects.size()) + 1);
        QVERIFY(!decoded.last().toObject().value("crcOk").toBool());
        for (int i = 0; i < int(expects.size()); ++i) {
            const Expect &e = expects[size_t(i)];
            const QJsonObject d = decoded[i].toObject();
            const QString what = QString("%1 #%2").arg(e.message->name).arg(i);
            QVERIFY2(d.value("crcOk").toBool(), qPrintable(what + ": checksum rejected"));
            QCOMPARE(d.value("name").toString(), QString::fromLatin1(e.message->name));
            QCOMPARE((QList<int>{d.value("msgid").toInt(), d.value("seq").toInt(), d.value("sysid").toInt(),
                                 d.value("compid").toInt(), d.value("incompat").toInt(), d.value("len").toInt()}),
                     (QList<int>{int(e.message->id), i % 256, e.sysid, e.compid, 0, e.len}));
            const QJsonObject want = fieldsToJson(*e.message, e.bytes), got = d.value("fields").toObject();
            QVERIFY2(want == got, qPrintable(what + "\nwant " + json(want) + "\ngot  " + json(got)));
        }
        QCOMPARE(expects[4].len, 32);   // the reboot command went out trimmed after the target component
    }
};

QTEST_GUILESS_MAIN(TestInterop)
#include "tst_interop.moc"
