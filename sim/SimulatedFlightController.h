#pragma once
// SimulatedFlightController: a helicopter flight controller on the far end of
// a pseudo-terminal (or, where there is none, an in-process line: SimLine),
// speaking the link's MAVLink dialect (start marker 0xFB).
//
// start() opens the line and runs the controller on a thread of its own;
// portPath() is the port the link worker opens (e.g. "/dev/pts/7", "SIM1").
// The controller
//  - sends HEARTBEAT once a second and the telemetry streams that are asked
//    for by REQUEST_DATA_STREAM at their requested rate (raw sensors, status
//    with battery and GPS, RC channels with an optional stick sweep,
//    position, attitude, HUD, system time);
//  - answers PARAM_REQUEST_LIST with one PARAM_VALUE per parameter, in table
//    order, interleaved with the telemetry, plain or encoded (name bytes +3/-2
//    by position, value x 12); answers PARAM_REQUEST_READ by index or name;
//  - stores every PARAM_SET (integer types rounded and clamped, read-only
//    parameters kept) and echoes the stored value;
//  - runs a compass calibration on MAV_CMD_DO_START_MAG_CAL: one compass
//    (id 0) by default, or several (setMagCalCompasses) whose progress
//    messages interleave, each with its compass_id, and which each end with
//    their own report; stops it on MAV_CMD_DO_CANCEL_MAG_CAL;
//  - on MAV_CMD_PREFLIGHT_REBOOT_SHUTDOWN goes silent for a while and comes
//    back with its parameters kept.
//
// Parameter form: the flight controller TAVRO is made for sends names and
// values encoded. A default-constructed simulator sends them plain (the
// tests' reference form; `tavro-cli sim` does too unless --encode or --demo
// is given). The link learns the form per connection, so plain names that
// also read as valid encoded ones (FLTMODE1, RC3_MIN, ...) arrive as they
// are. Options::demo() sends the encoded form, sweeps the sticks and
// calibrates two compasses.
// Its output is paced to a baud rate (115200 by default, 10 bits a byte).
// Fault knobs drop, duplicate or corrupt messages, ignore requests, go silent
// or close the device. Every setter and observer may be called from any
// thread while the controller runs.

#include "link/MavlinkCodec.h"
#include "sim/SimParameter.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QSet>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <random>
#include <thread>

class SimLine;

class SimulatedFlightController
{
public:
    static constexpr int kDefaultBaud = 115200;

    // One compass taking part in a compass calibration.
    struct MagCalCompass
    {
        uint8_t compassId = 0;
        int startDelayMs = 0;     // from the start command to its first progress
        int durationMs = 3000;    // from its first progress to its report
        uint8_t resultStatus = 4; // cal_status of its report (4 success, 5 failed)
    };

    // A starting set-up; the setters below change any of it later.
    struct Options
    {
        QList<SimParameter> table;    // empty: the default helicopter table
        bool encodedParams = false;   // names and values in the encoded form
        bool stickSweep = false;      // channels 1-4 swing between about 1100 and 1900
        int baud = kDefaultBaud;
        QList<MagCalCompass> compasses{MagCalCompass{}};
        // An in-process line (InProcessPorts, "SIM1", ...) instead of a
        // pseudo-terminal; always so where the system has none (Windows).
        bool inProcessLine = false;

        // The set-up for tavro-demo: the default table sent encoded like the real
        // flight controller's, the sticks sweeping so that a travel
        // calibration can complete, and two compasses (0 and 1) calibrating
        // together, compass 1 finishing a second after compass 0.
        static Options demo();
    };

    // The default helicopter table (HeliParameterTable), plain names.
    SimulatedFlightController();
    explicit SimulatedFlightController(const QList<SimParameter> &table);
    explicit SimulatedFlightController(const Options &options);
    ~SimulatedFlightController();

    SimulatedFlightController(const SimulatedFlightController &) = delete;
    SimulatedFlightController &operator=(const SimulatedFlightController &) = delete;

    // Opens the line (a pseudo-terminal, or an in-process line: see
    // Options::inProcessLine) and starts the controller's thread.
    bool start(QString *error = nullptr);
    // Stops the thread and closes the line (the device goes away).
    void stop();
    bool isRunning() const;
    // The port to open, valid after start(): the pseudo-terminal's device
    // ("/dev/pts/7") or the in-process line's name ("SIM1").
    QString portPath() const;
    // Takes effect at the next start().
    void setInProcessLine(bool inProcess);
    bool usesInProcessLine() const;

    // ---- parameter table ----------------------------------------------------
    void setParameters(const QList<SimParameter> &table);
    QList<SimParameter> parameters() const;
    int parameterCount() const;
    bool parameterValue(const QString &name, float *value) const;
    // Reads a .param file ("NAME,VALUE" per line, '#' comments); integer-looking
    // values become INT32 parameters, others REAL32.
    static bool loadParameterFile(const QString &path, QList<SimParameter> *table, QString *error);

    // ---- behaviour ------------------------------------------------------------
    void setEncodedParams(bool encoded);
    void setBaudRate(int baud);                  // 0: as fast as the pseudo-terminal takes it
    void setDropProbability(double p);           // each PARAM_VALUE is lost with p
    void setDuplicateProbability(double p);      // each PARAM_VALUE is sent twice with p
    void setCorruptProbability(double p);        // each frame gets one bit flipped with p
    void setDroppedIndices(const QSet<int> &indices);   // lost in list answers (not in single reads)
    void setUnanswerableIndices(const QSet<int> &indices); // lost in list answers and single reads
    void setSilent(bool silent);                 // sends nothing and answers nothing
    // A stalled controller: reads nothing and sends nothing; what arrives
    // meanwhile waits in the pseudo-terminal and is handled (PARAM_SETs
    // stored and echoed) once it runs again.
    void setPaused(bool paused);
    // Pauses (as setPaused(true)) once the next `count` PARAM_SETs have been
    // stored and echoed (with the rest of the bytes read together with the
    // last of them); 0 cancels.
    void setPauseAfterParamSets(int count);
    bool isPaused() const { return m_paused; }
    void setHeartbeatEnabled(bool enabled);
    void setIgnoredListRequests(int count);      // the next count list requests get no answer
    void setIgnoredParamSets(int count);         // the next count PARAM_SETs are lost
    // Echo losses: the PARAM_SET is stored, only its PARAM_VALUE answer is lost
    // (the next count echoes; each echo with p).
    void setDroppedEchoes(int count);
    void setEchoDropProbability(double p);
    void setReadOnly(const QString &name, bool readOnly);
    void setRebootSilenceMs(int ms);
    // Every configured compass takes `ms` (at least 100) from its first
    // progress to its report.
    void setMagCalDurationMs(int ms);
    // The compasses a calibration runs, in the order in which their progress
    // messages follow each other every 100 ms; each reports when its own
    // duration has passed (at the same moment: in this order). An empty list
    // means one compass, id 0.
    void setMagCalCompasses(const QList<MagCalCompass> &compasses);
    QList<MagCalCompass> magCalCompasses() const;
    // Channels 1-4 sweep between about 1100 and 1900 (beyond the 1200/1800
    // marks of a travel calibration), each at its own pace, all four ends
    // within 8 s.
    void setStickSweep(bool sweep);
    void setBatteryMillivolts(int millivolts);
    void setRcReceiverHealthy(bool healthy);
    void setSeed(quint32 seed);

    // ---- injection ------------------------------------------------------------
    void sendStatusText(uint8_t severity, const QString &text);
    // Bytes sent as they are, after what is already queued.
    void sendRaw(const QByteArray &bytes);

    // ---- observation ----------------------------------------------------------
    int listRequestCount() const;
    QList<int> streamRequests() const;           // stream ids of REQUEST_DATA_STREAM starts, in order
    QList<int> readRequests() const;             // indices of PARAM_REQUEST_READ (-1: by name)
    QList<QPair<QString, float>> paramSets() const;   // PARAM_SETs received, in order
    QList<int> commands() const;                 // COMMAND_LONG command ids, in order
    quint64 bytesSent() const;
    int paramValuesSent() const;
    int framesReceived() const;
    void clearObservations();

private:
    struct Stream
    {
        int rateHz = 0;
        qint64 nextDueMs = 0;
    };

    void run();
    void handleFrame(const MavlinkFrame &frame, qint64 nowMs);
    void produce(qint64 nowMs);
    void sendTelemetry(int streamId, qint64 nowMs);
    void sendHeartbeat();
    void sendParamValue(int index, bool lossy, bool fromList);
    void queueFrame(const uint8_t *frame, int length);
    void queueMessage(uint32_t msgid, const QByteArray &payload);
    template <typename T>
    void queueStruct(const T &message)
    {
        uint8_t buf[MavlinkCodec::kMaxFrameSize];
        queueFrame(buf, m_codec.encode(buf, message, 1, 1));
    }
    void queueStatusText(uint8_t severity, const QByteArray &text);
    void startReboot(qint64 nowMs);
    void runMagCal(qint64 nowMs);
    double random01();
    int indexOf(const QString &name) const;
    void closeLine();

    mutable std::mutex m_mutex;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_paused{false};
    std::unique_ptr<SimLine> m_line;   // set by start(), closed by stop()
    bool m_inProcessLine = false;
    QString m_path;

    // table
    QList<SimParameter> m_table;
    QHash<QString, int> m_index;
    QSet<QString> m_readOnly;

    // knobs
    bool m_encoded = false;
    int m_baud = kDefaultBaud;
    double m_drop = 0.0;
    double m_duplicate = 0.0;
    double m_corrupt = 0.0;
    QSet<int> m_droppedIndices;
    QSet<int> m_unanswerable;
    bool m_silent = false;
    bool m_heartbeat = true;
    int m_ignoreLists = 0;
    int m_ignoreSets = 0;
    int m_pauseAfterSets = 0;
    int m_dropEchoes = 0;
    double m_echoDrop = 0.0;
    int m_rebootSilenceMs = 3000;
    QList<MagCalCompass> m_magCalCompasses{MagCalCompass{}};
    bool m_stickSweep = false;
    int m_batteryMv = 16420;
    bool m_rcHealthy = true;
    std::mt19937 m_random{1};

    // run state (worker thread, under the mutex)
    MavlinkCodec m_codec;
    QByteArray m_out;
    int m_outOffset = 0;
    qint64 m_lineFreeNs = 0;
    qint64 m_nextHeartbeatMs = 0;
    QHash<int, Stream> m_streams;
    int m_listCursor = -1;
    bool m_rebooting = false;
    qint64 m_rebootUntilMs = 0;
    bool m_magCalRunning = false;
    bool m_magCalReboot = false;
    qint64 m_magCalStartMs = 0;
    qint64 m_magCalNextMs = 0;
    QList<MagCalCompass> m_magCalRun;   // compasses of the running calibration
    QList<bool> m_magCalReported;
    qint64 m_startMs = 0;

    // observations
    int m_listRequests = 0;
    QList<int> m_streamRequests;
    QList<int> m_readRequests;
    QList<QPair<QString, float>> m_paramSets;
    QList<int> m_commands;
    quint64 m_bytesSent = 0;
    int m_paramValuesSent = 0;
    int m_framesReceived = 0;
};
