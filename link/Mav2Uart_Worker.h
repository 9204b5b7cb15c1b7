#pragma once
// Mav2Uart_Worker: the program's only contact with the flight controller.
//
// It finds the flight controller's USB serial port (vendor 0x05C0, product
// 0x007A), opens it at 115200 8N1, turns the received bytes into MAVLink
// messages and re-emits each message kind the program uses as a signal with
// plain arguments; it turns the main window's requests into outgoing MAVLink
// messages; it downloads the parameter table and confirms parameter writes.
//
// Thread model: the worker is created without parent and moved to a QThread
// of its own before that thread starts; every slot runs on the worker thread.
// It needs no outside tick: once its thread runs it searches for ports on its
// own timer while no port is open (every kPortPollMs, and at once when /dev
// changes), measures the link's silence with a timer restarted by every good
// frame, and arms the parameter transfer's timeouts only while something
// waits. All signals carry copyable values and are meant for queued
// connections; call registerMetaTypes() once before connecting. portOpen and
// readParamDone may be read from any thread.
//
// Typical wiring (see the main window):
//     Mav2Uart_Worker::registerMetaTypes();
//     auto *worker = new Mav2Uart_Worker;          // real serial ports
//     worker->moveToThread(&workerThread);
//     ... connect the window's signals to the slots and the signals to the window ...
//     workerThread.start();
// The window reports its page index (SetCurrentPage) and the compass
// calibration flag (SetMagcalibrationrun) when they change and once on every
// connect; the silence limit is armed only after the first page report.
//
// Shutdown: closePort() closes the port (use Qt::BlockingQueuedConnection from
// another thread); the worker also closes the port and stops its timers when
// its thread finishes. Every wait loop on the worker thread ends once the
// thread is asked to quit, so QThread::quit() + wait() always returns.
//
// Compared with the plain protocol, the parameter transfer detects failures
// instead of reporting them as success:
//  - completion counts distinct parameter indices; missing ones are asked for
//    again one by one and, when that fails, named by param_missing_value before
//    param_value_finish_value;
//  - an unanswered list request is repeated and finally reported by
//    link_error_value (and the port is closed as on silence);
//  - each write is confirmed by its echo, repeated when the echo does not come,
//    and reported by param_write_failed_value when it is never confirmed or the
//    flight controller keeps another value; when a name is written again
//    before the echo of the earlier value came back (a slider's press and
//    release), that echo is stale: no failure, the newer value still waits
//    for its own echo (every echo still goes out by param_value_update_value);
//  - the reason a port cannot be opened goes out by link_error_value;
//  - a device that goes away under the open port (its reads keep failing)
//    ends the link at once, as the silence limit would two seconds later;
//  - startParamRead called again while an earlier call still waits for the
//    first frame takes over: one list request, one download.
//  - the form of the names (plain or encoded) is learnt per connection from
//    the first name valid in only one form (ParamNameForm); names valid both
//    ways are read in that form, held back until it is known.

#include "link/MavlinkCodec.h"
#include "link/MavlinkMessages.h"
#include "link/ParamNameForm.h"
#include "link/ParamTransfer.h"
#include "link/PortSource.h"
#include "params/Parameter.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>

class QFileSystemWatcher;
class QIODevice;
class QSerialPort;
class QSocketNotifier;
class QTimer;

class Mav2Uart_Worker : public QObject
{
    Q_OBJECT

public:
    // USB identifiers of the flight controller's serial interface.
    static constexpr quint16 kVendorId = 0x05C0;
    static constexpr quint16 kProductId = 0x007A;
    static constexpr qint32 kBaudRate = 115200;

    // Link loss: this long without a good frame while the window shows a page
    // below 10.
    static constexpr int kSilenceLimitMs = 2000;
    // The port list is asked for this often while no port is open (and at
    // once when /dev changes): a flight controller plugged in is listed
    // within this time even where nothing tells of new devices.
    static constexpr int kPortPollMs = 250;
    // In update mode, bytes that arrive within this time are read and parsed
    // together, so that a burst of telemetry (every stream at 10 Hz, spread
    // over some 40 ms of line time at 115200 baud) reaches the window at once
    // and is painted once. Meanwhile a serial port is not read at all: the
    // worker wakes twice a burst instead of once per USB packet. The silence
    // limit therefore counts from at most this long after the last frame.
    static constexpr int kTelemetryBatchMs = 50;
    // Where the serial port lets its read notifications be paused (on Unix),
    // update mode reads it on a timer of this period instead, waking once per
    // period rather than twice per burst; the silence limit then counts from
    // the middle of the period in which the last frame came (within half a
    // period of its arrival).
    static constexpr int kPolledReadMs = 100;
    // How long the silence limit waits, once run out, for what a poll finds.
    static constexpr int kSilenceRecheckMs = 5;

    // Uses the platform's serial ports (QSerialPortInfo).
    Mav2Uart_Worker();
    // Uses the given source for the list of ports; the 0x05C0/0x007A filter
    // still applies to whatever it returns.
    explicit Mav2Uart_Worker(PortSource portSource);
    ~Mav2Uart_Worker() override;

    // Registers Parameter, mavlink_rc_channels_t, the integer type names used
    // by the signals (uint8_t, uint16_t, int8_t, signed char) and QList<int>
    // with the meta-type system so that queued connections can copy them.
    // Safe to call more than once, from any thread.
    static void registerMetaTypes();

    // Read by the window's navigation guard from the user-interface thread.
    std::atomic<bool> portOpen{false};      // the serial port is open
    std::atomic<bool> readParamDone{false}; // the window has taken the downloaded parameters

    // State for inspection on the worker thread (tests, tools): call these from
    // the worker's thread, e.g. through QMetaObject::invokeMethod with
    // Qt::BlockingQueuedConnection.
    QString currentPortName() const { return portName; }
    QStringList currentPortList() const { return portList; }
    quint32 receivedParamCount() const { return paramTransfer.receivedParams; }
    bool isStreamsRequested() const { return streamsRequested; }
    // Update mode reads the serial port on a timer (see kPolledReadMs).
    bool isReadingInPolls() const { return polledReads; }
    bool isDownloadFinished() const { return paramTransfer.paramReadFinished; }
    // Milliseconds left before the silence limit closes the port, -1 while it
    // is not armed (no port open, no page reported yet, or a page of 10 and up).
    int silenceRemainingMs() const;
    // The page index last reported by SetCurrentPage (0xFF before the first).
    int reportedPage() const { return currentPage; }
    bool isPortSearchRunning() const;
    bool hasSeenMessage() const { return messageSeen != 0; }
    int pendingWriteCount() const { return paramTransfer.pendingWriteCount(); }
    bool isWaitingForFirstFrame() const { return firstFrameWaits > 0; }

signals:
    // The port list, when there is news: on the first search after the
    // worker's thread started, when a search found another list while no port
    // is open (replaced 1), and right after the link was lost (silenceClosed
    // 1: the silence limit, an unanswered list request, or the device went
    // away). Carries the current list every time.
    void PortList(int replaced, QStringList ports, int silenceClosed);
    // After every ConnectPort whose name differs from the open port: 1 opened, 0 failed/closed.
    void ConnectSingal(int opened);
    // The silence limit (or an unanswered list request, or the device going
    // away under the open port) closed the port; sent before the PortList
    // that carries the silence flag 1.
    void disconnect_UI_disable();
    // Compass calibration progress + 1 (from MAG_CAL_PROGRESS while a
    // calibration runs).
    void calibration_process(int progress);
    // The same progress with the compass it belongs to (MAG_CAL_PROGRESS
    // compass_id; pct is completion_pct + 1), emitted right after
    // calibration_process, so that a page can follow each compass of a
    // flight controller that calibrates several at once.
    void mag_cal_progress_value(uint8_t compassId, int pct);

    void sys_status_value(uint16_t voltageBattery, signed char rcReceiverHealthy);
    void gps_raw_int_value(uint8_t satellitesVisible, uint16_t eph, uint16_t epv);
    void gps2_raw_value(uint8_t satellitesVisible, uint16_t eph);
    void attitude_value(float roll, float pitch, float yaw);
    void mag_cal_report_value(uint8_t compassId, uint8_t calStatus);
    void rc_channels_value(mavlink_rc_channels_t channels);
    void statustext_value(QString text, uint8_t severity);

    // One per PARAM_VALUE with a valid name in download mode; receivedParams
    // is the number of distinct parameter indices received so far (a repeated
    // or out-of-range index updates the value but does not count).
    void param_value_loading_value(Parameter parameter, int receivedParams, uint16_t totalParams);
    // Once per download, when every index has arrived (or the missing ones
    // have been given up and reported by param_missing_value) and 300 ms
    // passed without a further parameter message.
    void param_value_finish_value();
    // A parameter value in update mode (after SetReadParamDone): the echo of
    // a write, or any later report of the flight controller.
    void param_value_update_value(QString name, float value);

    // Added to the plain protocol:
    // The download gave up on these parameter indices (sorted ascending, each
    // in 0..totalParams-1) after asking for each of them several times; sent
    // just before param_value_finish_value of that download.
    void param_missing_value(QList<int> missingIndices);
    // A write was not confirmed: never echoed after its retries, refused or
    // changed by the flight controller (the echoed value then also comes by
    // param_value_update_value), or still pending when the port closed.
    // `written` is the value that was sent last for that name. The echo of an
    // earlier write of a name written again since is no failure: the worker
    // keeps waiting for the echo of the latest value.
    void param_write_failed_value(QString name, float written);
    // A failure of the link in words (English, for the log or a message box):
    // the system's reason a port could not be opened, or an unanswered
    // parameter list request.
    void link_error_value(QString reason);
    // Opening the named port was refused for lack of permission (on Linux:
    // no udev rule and not in the dialout group; on Windows: another program
    // holds the port). Sent before the
    // link_error_value and ConnectSingal(0) of that attempt.
    void port_permission_denied_value(QString name);
    // The first good frame after a port was opened (the link shows life).
    void link_alive_value();
    // A port was opened: its name and the USB serial number its port source
    // lists for it (empty when there is none: the port name then identifies
    // the board). Sent just before the ConnectSingal(1) of that opening.
    void port_opened_value(QString portName, QString serialNumber);

public slots:
    // The window's page index; below 10 (unsigned) arms the silence limit.
    void SetCurrentPage(int page);
    void SetMagcalibrationrun(int run);
    // The window has taken the download: asks for the telemetry streams and
    // treats later parameter messages as updates.
    void SetReadParamDone();
    // Waits (processing events) for the first good frame, then asks for the
    // whole parameter table.
    void startParamRead();
    void sendReadParametersCommand();
    // One port search: while no port is open, asks the port source and
    // publishes the list when it changed (PortList). Runs on the worker's own
    // timer; calling it in between does no harm.
    void SearchPort();
    // Opens that port (115200 8N1); the name of the open port: nothing; an
    // empty name while a port is open: closes it and emits ConnectSingal(0).
    void ConnectPort(QString name);
    void ReceiveData();
    void DataAnalysis(quint8 *bytes, int count);
    // REQUEST_DATA_STREAM at 10 Hz: flay true starts, false stops stream ID.
    void sendDataStreamCommand(uint8_t ID, bool flay);
    // PARAM_SET (REAL32) of name = value, confirmed by its echo.
    void sendWriteParametersCommand(QString name, float value);
    void sendRebootCommand();
    // MAV_CMD_DO_START_MAG_CAL (42424) / MAV_CMD_DO_CANCEL_MAG_CAL (42426);
    // rebootFlag 1 asks the flight controller to reboot after calibrating.
    void sendCompassCalibrationCommand(int command, int rebootFlag);
    // Closes the port if one is open (pending writes are reported as not
    // confirmed); no signal besides those, and the port search does not
    // resume. For shutdown.
    void closePort();

private:
    void init();
    // Runs once on the worker's thread when its event loop starts: the /dev
    // watcher, the first search and the poll.
    void beginPortSearch();
    // The worker's thread ends: timers stopped, watcher gone, port closed.
    void stopOnThreadEnd();
    // No port is open any more: search again now and keep polling.
    void resumePortSearch();
    // Starts, pauses or resumes the silence limit after a change of the port
    // or the page; restartSilence() after a good frame.
    void updateSilenceTimer();
    // Update mode: the batch's time is up, read what it gathered.
    void readBatch();
    // Update mode on a serial port: after reading a batch the port keeps one
    // byte and stops reading until the next batch is due (its read buffer
    // is limited to that byte); holdReads(false) lets it read freely again.
    void holdReads(bool hold);
    // Update mode on a serial port whose reads can be paused: read on
    // pollTimer only. Returns false (nothing changed) where they cannot.
    bool startPolledReads();
    void stopPolledReads();
    void pollReads();
    // Pauses the serial port's read notifications until the next poll.
    void pauseReadNotifier();
    // The serial port's own read notifier, where it has one.
    QSocketNotifier *portReadNotifier() const;
    void restartSilence();
    // The transfer's next timeout, or none.
    void armTransferTimer();
    // readyRead: reads now, or (telemetry flowing) at the end of the frame.
    void dataArrived();
    bool openSerialPort(const QString &name, QString *error, bool *permissionDenied = nullptr);
    bool openInProcessPort(const QString &name, QString *error);
    // Back to the serial port object after an in-process line was used.
    void releaseInProcessPort();
    // Closes the port and resets the link and download state; bumps linkGeneration.
    void resetAfterClose();
    void closeForLinkLoss(const char *why);
    void handleDeviceLoss();
    bool writeFrame(const uint8_t *frame, int length);
    void handleFrame(const MavlinkFrame &frame);
    void handleParamValue(const MavlinkFrame &frame);
    // Emits one parameter message in the connection's name form.
    void reportParamValue(const mavlink_param_value_t &message, uint32_t received);
    void releaseHeldParams();
    void runTransferTick();
    void reportUnconfirmedWrites();
    void sendParamRequestRead(uint16_t index);
    void sendParamRequestList();
    bool threadQuitRequested() const;
    // The serial number the port source lists for that port, or empty.
    QString serialNumberOf(const QString &name) const;

    PortSource portSource;
    // The serial port object, and the device the link uses: that serial port,
    // or an in-process line (InProcessPorts) opened under its name instead.
    QSerialPort *hardwarePort = nullptr;
    QIODevice *serialPort = nullptr;
    QStringList portList;
    QString portName;
    int magCalibrationRun = 0;
    quint32 messageSeen = 0;
    bool streamsRequested = false;
    uint8_t currentPage = 0xFF;

    QTimer *portSearchTimer = nullptr;   // polls the port source while no port is open
    QTimer *silenceTimer = nullptr;      // single shot: the silence limit
    QTimer *transferTimer = nullptr;     // single shot: the transfer's next timeout
    QTimer *readTimer = nullptr;         // single shot: reads a batch of telemetry
    // Update mode on a serial port: the rest of the batch is read as soon as
    // the port reports it (the port holds back after the batch's first byte).
    bool readBatchEnd = false;
    QTimer *pollTimer = nullptr;         // repeating: update mode's reads where they can be paused
    bool polledReads = false;
    bool silenceRecheck = false;         // the silence limit ran out and waits for a poll's frames
    QFileSystemWatcher *deviceWatcher = nullptr;
    int silenceLeftMs = kSilenceLimitMs; // what the silence limit has left while paused
    QElapsedTimer silenceClock;          // runs from init(): the time base of silenceDeadlineMs
    qint64 silenceDeadlineMs = 0;        // when the silence limit runs out while it counts
    bool listPublished = false;          // the first search has published the list
    bool threadEnded = false;
    bool paramValueSeen = false;         // a PARAM_VALUE in the chunk being parsed
    quint32 goodFrames = 0;              // frames that passed the checksum so far

    ParamTransfer paramTransfer;   // download and write state
    ParamNameForm paramNames;      // plain or encoded names, per connection
    MavlinkCodec codec;            // the one channel of the program
    QByteArray receiveBuffer;      // kept between ReceiveData calls

    // Tracks the message id of the frame being parsed, so that a damaged
    // compass-progress frame can be logged.
    uint32_t parsingMsgid = 0;

    // Incremented whenever the port is closed or replaced; a wait for the
    // first frame that sees it change gives up.
    quint64 linkGeneration = 0;
    bool closedForLoss = false;      // closed for link loss since the last PortList
    bool deviceLossQueued = false;
    static constexpr int kDeviceLossFailedReads = 20;
    int failedReads = 0;             // read errors since data was last read
    int firstFrameWaits = 0;   // startParamRead calls waiting (they can nest)
    quint64 downloadRequests = 0;   // startParamRead calls so far; the latest one counts
};
