#include "link/Mav2Uart_Worker.h"

#include "link/BytePipe.h"
#include "link/InProcessPort.h"
#include "link/InProcessPorts.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileSystemWatcher>
#include <QLoggingCategory>
#include <QSerialPort>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <unistd.h>
#endif

#include <algorithm>
#include <cmath>
#include <limits>

Q_LOGGING_CATEGORY(lcLink, "tavro.link")

namespace {

constexpr uint16_t kStreamRateHz = 10;
constexpr uint16_t kCmdRebootShutdown = 246;   // MAV_CMD_PREFLIGHT_REBOOT_SHUTDOWN
constexpr int kFirstFrameWaitMs = 20;
// Telemetry streams asked for once the download has been taken over:
// RAW_SENSORS, EXTENDED_STATUS, RC_CHANNELS, POSITION, EXTRA1, EXTRA2, EXTRA3.
constexpr uint8_t kTelemetryStreams[] = {1, 2, 3, 6, 10, 11, 12};

QString indexList(const QList<int> &indices)
{
    QStringList parts;
    parts.reserve(indices.size());
    for (int i : indices)
        parts.append(QString::number(i));
    return parts.join(QLatin1Char(','));
}

} // namespace

Mav2Uart_Worker::Mav2Uart_Worker()
    : portSource(systemSerialPorts)
{
    init();
}

Mav2Uart_Worker::Mav2Uart_Worker(PortSource source)
    : portSource(source ? std::move(source) : PortSource(systemSerialPorts))
{
    init();
}

Mav2Uart_Worker::~Mav2Uart_Worker()
{
    delete hardwarePort;
}

void Mav2Uart_Worker::init()
{
    portSearchTimer = new QTimer(this);
    portSearchTimer->setInterval(kPortPollMs);
    connect(portSearchTimer, &QTimer::timeout, this, &Mav2Uart_Worker::SearchPort);
    silenceTimer = new QTimer(this);
    silenceTimer->setSingleShot(true);
    silenceTimer->setTimerType(Qt::PreciseTimer);
    connect(silenceTimer, &QTimer::timeout, this, [this] {
        // A port read in polls may hold frames that came after the last poll:
        // they are read first, and the limit decided a moment later.
        if (polledReads && !silenceRecheck) {
            silenceRecheck = true;
            pollReads();
            silenceTimer->start(kSilenceRecheckMs);
            return;
        }
        silenceRecheck = false;
        // Frames since the timer was started moved the limit on: wait for
        // the rest of it.
        const qint64 left = silenceDeadlineMs - silenceClock.elapsed();
        if (left > 0) {
            silenceTimer->start(int(left));
            return;
        }
        if (portOpen)
            closeForLinkLoss("no frame for 2 s");
    });
    silenceClock.start();
    transferTimer = new QTimer(this);
    transferTimer->setSingleShot(true);
    transferTimer->setTimerType(Qt::PreciseTimer);
    connect(transferTimer, &QTimer::timeout, this, [this] {
        runTransferTick();
        armTransferTimer();
    });
    // Posted now, delivered by the event loop of the thread the worker has
    // been moved to by then.
    QMetaObject::invokeMethod(this, &Mav2Uart_Worker::beginPortSearch, Qt::QueuedConnection);

    hardwarePort = new QSerialPort(this);
    serialPort = hardwarePort;
    connect(hardwarePort, &QSerialPort::readyRead, this, &Mav2Uart_Worker::dataArrived);
    // Telemetry comes in bursts (every stream at 10 Hz) that trickle in over
    // a few milliseconds; read together, a burst reaches the window as one
    // batch of signals and is painted once.
    readTimer = new QTimer(this);
    readTimer->setSingleShot(true);
    readTimer->setInterval(kTelemetryBatchMs);
    connect(readTimer, &QTimer::timeout, this, &Mav2Uart_Worker::readBatch);
    pollTimer = new QTimer(this);
    pollTimer->setInterval(kPolledReadMs);
    connect(pollTimer, &QTimer::timeout, this, &Mav2Uart_Worker::pollReads);
    // A device that goes away under an open port (cable pulled, flight
    // controller restarting its USB interface) makes every read fail at once
    // and again: a resource error, or read errors one after the other with
    // nothing read in between (a single failed read is not taken for it).
    // Handled after the port's own notification has returned.
    connect(hardwarePort, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if (error == QSerialPort::ReadError)
            ++failedReads;
        const bool gone = error == QSerialPort::ResourceError
                          || (error == QSerialPort::ReadError && failedReads >= kDeviceLossFailedReads);
        if (!gone || deviceLossQueued)
            return;
        deviceLossQueued = true;
        QMetaObject::invokeMethod(this, &Mav2Uart_Worker::handleDeviceLoss, Qt::QueuedConnection);
    });
}

void Mav2Uart_Worker::registerMetaTypes()
{
    qRegisterMetaType<Parameter>("Parameter");
    qRegisterMetaType<mavlink_rc_channels_t>("mavlink_rc_channels_t");
    qRegisterMetaType<uint8_t>("uint8_t");
    qRegisterMetaType<uint16_t>("uint16_t");
    qRegisterMetaType<int8_t>("int8_t");
    qRegisterMetaType<signed char>("signed char");
    qRegisterMetaType<QList<int>>("QList<int>");
    qRegisterMetaType<quint8 *>("quint8*");
}

// ---- slots from the window -------------------------------------------------------

void Mav2Uart_Worker::SetCurrentPage(int page)
{
    currentPage = static_cast<uint8_t>(page & 0xFF);
    updateSilenceTimer();
}

void Mav2Uart_Worker::SetMagcalibrationrun(int run)
{
    magCalibrationRun = run;
}

void Mav2Uart_Worker::SetReadParamDone()
{
    readParamDone = true;
    // The download has been taken over: telemetry streams, update mode.
    if (!streamsRequested) {
        for (uint8_t id : kTelemetryStreams)
            sendDataStreamCommand(id, true);
        streamsRequested = true;
    }
    armTransferTimer();
}

// ---- timers ----------------------------------------------------------------------

void Mav2Uart_Worker::beginPortSearch()
{
    if (threadEnded)
        return;
    if (QThread *t = thread())
        connect(t, &QThread::finished, this, &Mav2Uart_Worker::stopOnThreadEnd, Qt::DirectConnection);
    // A device node that comes or goes changes /dev at once; the poll stays
    // for the sources nothing tells about (pseudo-terminals, the simulator)
    // and for a device that the platform describes only a moment later.
    if (QDir(QStringLiteral("/dev")).exists()) {
        deviceWatcher = new QFileSystemWatcher(this);
        if (deviceWatcher->addPath(QStringLiteral("/dev"))) {
            connect(deviceWatcher, &QFileSystemWatcher::directoryChanged, this, [this] {
                if (!serialPort->isOpen())
                    SearchPort();
            });
        } else {
            delete deviceWatcher;
            deviceWatcher = nullptr;
        }
    }
    SearchPort();
    if (!serialPort->isOpen())
        portSearchTimer->start();
}

void Mav2Uart_Worker::stopOnThreadEnd()
{
    threadEnded = true;
    portSearchTimer->stop();
    silenceTimer->stop();
    transferTimer->stop();
    readTimer->stop();
    pollTimer->stop();
    delete deviceWatcher;
    deviceWatcher = nullptr;
    closePort();
}

void Mav2Uart_Worker::resumePortSearch()
{
    if (threadEnded)
        return;
    SearchPort();
    if (!serialPort->isOpen())
        portSearchTimer->start();
}

bool Mav2Uart_Worker::isPortSearchRunning() const
{
    return portSearchTimer->isActive();
}

int Mav2Uart_Worker::silenceRemainingMs() const
{
    if (!silenceTimer->isActive())
        return -1;
    return int(std::max<qint64>(0, silenceDeadlineMs - silenceClock.elapsed()));
}

void Mav2Uart_Worker::updateSilenceTimer()
{
    // Counted while a port is open and the window shows a page below 10;
    // paused (keeping what is left) on pages 10 and up.
    const bool counts = portOpen && currentPage < 10 && !threadEnded;
    if (counts && !silenceTimer->isActive()) {
        silenceDeadlineMs = silenceClock.elapsed() + silenceLeftMs;
        silenceRecheck = false;
        silenceTimer->start(silenceLeftMs);
    } else if (!counts && silenceTimer->isActive()) {
        silenceLeftMs = silenceRemainingMs();
        silenceTimer->stop();
    }
}

void Mav2Uart_Worker::restartSilence()
{
    silenceLeftMs = kSilenceLimitMs;
    if (!portOpen || currentPage >= 10 || threadEnded)
        return;
    // Only the deadline moves with each batch of frames; a running timer
    // finds it moved when it fires, so it is not started anew ten times a
    // second.
    silenceDeadlineMs = silenceClock.elapsed() + kSilenceLimitMs - (polledReads ? kPolledReadMs / 2 : 0);
    if (!silenceTimer->isActive())
        silenceTimer->start(kSilenceLimitMs);
}

void Mav2Uart_Worker::armTransferTimer()
{
    const qint64 due = paramTransfer.msUntilDue(streamsRequested);
    if (due < 0 || threadEnded) {
        transferTimer->stop();
        return;
    }
    // A timer that fires earlier stays: it finds nothing due yet and arms
    // itself again, so a flow of parameter messages does not restart it each time.
    if (transferTimer->isActive() && transferTimer->remainingTime() <= due)
        return;
    transferTimer->start(int(std::min<qint64>(due, std::numeric_limits<int>::max())));
}

// ---- port ------------------------------------------------------------------------

bool Mav2Uart_Worker::openInProcessPort(const QString &name, QString *error)
{
    const std::shared_ptr<BytePipe> pipe = InProcessPorts::find(name);
    auto *port = new InProcessPort(pipe, this);
    if (!port->open(QIODevice::ReadWrite)) {
        if (error)
            *error = port->errorString();
        delete port;
        return false;
    }
    // The same reads as from a serial port; the line's end is the device
    // going away.
    connect(port, &QIODevice::readyRead, this, &Mav2Uart_Worker::dataArrived);
    connect(port, &QIODevice::readChannelFinished, this, [this] {
        if (deviceLossQueued)
            return;
        deviceLossQueued = true;
        QMetaObject::invokeMethod(this, &Mav2Uart_Worker::handleDeviceLoss, Qt::QueuedConnection);
    });
    serialPort = port;
    return true;
}

void Mav2Uart_Worker::releaseInProcessPort()
{
    if (serialPort == hardwarePort)
        return;
    serialPort->close();
    // Possibly inside one of its own signals: deleted once that has returned.
    serialPort->disconnect(this);
    serialPort->deleteLater();
    serialPort = hardwarePort;
}

bool Mav2Uart_Worker::openSerialPort(const QString &name, QString *error, bool *permissionDenied)
{
    releaseInProcessPort();
    hardwarePort->close();
    failedReads = 0;
    if (permissionDenied)
        *permissionDenied = false;
    if (InProcessPorts::find(name))
        return openInProcessPort(name, error);
    hardwarePort->setPortName(name);
    hardwarePort->setBaudRate(kBaudRate, QSerialPort::AllDirections);
    hardwarePort->setDataBits(QSerialPort::Data8);
    hardwarePort->setParity(QSerialPort::NoParity);
    hardwarePort->setStopBits(QSerialPort::OneStop);
    hardwarePort->setFlowControl(QSerialPort::NoFlowControl);
    connect(hardwarePort, &QSerialPort::readyRead, this, &Mav2Uart_Worker::dataArrived,
            Qt::UniqueConnection);
    if (hardwarePort->open(QIODevice::ReadWrite))
        return true;
    if (error)
        *error = hardwarePort->errorString();
#ifdef Q_OS_WIN
    // Windows says "access denied" for a port another program holds and
    // "file not found" for a port whose adapter or driver is missing; say it
    // in those words.
    if (error && hardwarePort->error() == QSerialPort::PermissionError)
        *error = QStringLiteral("the port is in use by another program (%1)").arg(*error);
    else if (error && hardwarePort->error() == QSerialPort::DeviceNotFoundError)
        *error = QStringLiteral("the device is not connected or its driver is not installed (%1)").arg(*error);
    if (permissionDenied)
        *permissionDenied = hardwarePort->error() == QSerialPort::PermissionError;
#endif
    if (permissionDenied) {
        // Qt reports a port locked by another program as a permission error
        // too; only a device node the user may not open calls for the udev
        // rule or the dialout group.
#ifdef Q_OS_UNIX
        if (hardwarePort->error() == QSerialPort::PermissionError) {
            const QByteArray path = QFile::encodeName(
                name.startsWith(QLatin1Char('/')) ? name : QStringLiteral("/dev/") + name);
            *permissionDenied = ::access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES;
        }
#endif
    }
    return false;
}

void Mav2Uart_Worker::reportUnconfirmedWrites()
{
    const QList<ParamTransfer::PendingWrite> pending = paramTransfer.takePendingWrites();
    for (const ParamTransfer::PendingWrite &w : pending) {
        qCWarning(lcLink) << "Write not confirmed before the port closed:" << w.name << "=" << w.value;
        emit param_write_failed_value(w.name, w.value);
    }
}

void Mav2Uart_Worker::resetAfterClose()
{
    if (serialPort->isOpen())
        serialPort->close();
    releaseInProcessPort();
    portName.clear();
    portOpen = false;
    streamsRequested = false;
    readParamDone = false;
    paramTransfer.reset();
    paramNames.forget();
    silenceTimer->stop();
    silenceRecheck = false;
    readTimer->stop();
    readBatchEnd = false;
    stopPolledReads();
    hardwarePort->setReadBufferSize(0);
    silenceLeftMs = kSilenceLimitMs;
    messageSeen = 0;
    ++linkGeneration;
    reportUnconfirmedWrites();
    armTransferTimer();
}

void Mav2Uart_Worker::closeForLinkLoss(const char *why)
{
    qCWarning(lcLink) << "Closing" << portName << ":" << why;
    resetAfterClose();
    emit disconnect_UI_disable();
    // The list follows at once with the silence flag.
    closedForLoss = true;
    resumePortSearch();
}

void Mav2Uart_Worker::handleDeviceLoss()
{
    deviceLossQueued = false;
    // An in-process line only reports its end; a serial port its error.
    const bool lineEnded = serialPort != hardwarePort;
    const QSerialPort::SerialPortError error = hardwarePort->error();
    if (!portOpen || !serialPort->isOpen()
        || (!lineEnded && error != QSerialPort::ResourceError && error != QSerialPort::ReadError))
        return;
    // Nothing will come from it any more: the link is lost now rather than
    // after the silence limit, and the port stops reporting its failure.
    qCWarning(lcLink).noquote() << "Reads from" << portName << "keep failing, the device went away ("
                                << serialPort->errorString() << ")";
    closeForLinkLoss("device gone");
}

void Mav2Uart_Worker::closePort()
{
    if (!serialPort->isOpen() && portName.isEmpty())
        return;
    qCDebug(lcLink) << "Closing port" << portName;
    resetAfterClose();
}

void Mav2Uart_Worker::ConnectPort(QString name)
{
    if (name == portName)
        return;

    if (serialPort->isOpen() || !portName.isEmpty()) {
        qCDebug(lcLink) << "Leaving port" << portName;
        resetAfterClose();
    }

    QString error;
    bool permissionDenied = false;
    if (!name.isEmpty() && openSerialPort(name, &error, &permissionDenied)) {
        portName = name;
        portOpen = true;
        portSearchTimer->stop();
        // A new port starts a new link: its own silence limit and its own
        // first frame.
        restartSilence();
        messageSeen = 0;
        // Close the port when the worker's thread ends, whoever stops it.
        if (QThread *t = thread())
            connect(t, &QThread::finished, this, &Mav2Uart_Worker::closePort,
                    static_cast<Qt::ConnectionType>(Qt::DirectConnection | Qt::UniqueConnection));
        qCDebug(lcLink) << "Opened" << name;
        emit port_opened_value(name, serialNumberOf(name));
        emit ConnectSingal(1);
        return;
    }

    portOpen = false;
    portName.clear();
    streamsRequested = false;
    stopPolledReads();
    readParamDone = false;
    paramTransfer.reset();
    paramNames.forget();
    armTransferTimer();
    silenceTimer->stop();
    silenceRecheck = false;
    messageSeen = 0;
    if (!name.isEmpty()) {
        const QString reason = QStringLiteral("Cannot open %1: %2").arg(name, error);
        qCWarning(lcLink).noquote() << reason;
        if (permissionDenied)
            emit port_permission_denied_value(name);
        emit link_error_value(reason);
    }
    emit ConnectSingal(0);
    resumePortSearch();
}

QString Mav2Uart_Worker::serialNumberOf(const QString &name) const
{
    // Asked once per opened port; the platform's source answers from its cache.
    const QList<PortCandidate> candidates = portSource ? portSource() : QList<PortCandidate>();
    for (const PortCandidate &c : candidates) {
        if (c.portName == name)
            return c.serialNumber;
    }
    return QString();
}

// ---- port search -----------------------------------------------------------------

void Mav2Uart_Worker::SearchPort()
{
    int replaced = 0;
    // The list of ports, only while no port is open.
    if (!serialPort->isOpen()) {
        QStringList names;
        const QList<PortCandidate> candidates = portSource ? portSource() : QList<PortCandidate>();
        for (const PortCandidate &c : candidates) {
            if (c.vendorId == kVendorId && c.productId == kProductId)
                names.append(c.portName);
        }
        if (names != portList && portName.isEmpty()) {
            portList = names;
            replaced = 1;
        }
    }
    // A link lost since the last list is reported with this one.
    const int closed = closedForLoss ? 1 : 0;
    closedForLoss = false;
    if (replaced || closed || !listPublished) {
        listPublished = true;
        emit PortList(replaced, portList, closed);
    }
}

void Mav2Uart_Worker::runTransferTick()
{
    const ParamTransfer::TickActions a = paramTransfer.tick(streamsRequested);

    for (const ParamTransfer::PendingWrite &w : a.writeResends) {
        qCDebug(lcLink) << "No echo for" << w.name << "- sending it again, attempt" << w.attempts;
        uint8_t buf[MavlinkCodec::kMaxFrameSize];
        const QByteArray id = w.name.toLatin1();
        writeFrame(buf, codec.packParamSet(buf, id.constData(), w.value));
    }
    for (const ParamTransfer::PendingWrite &w : a.writeFailures) {
        qCWarning(lcLink) << "Write never confirmed:" << w.name << "=" << w.value << "after"
                          << w.attempts << "attempts";
        emit param_write_failed_value(w.name, w.value);
    }
    for (uint16_t index : a.readRequests)
        sendParamRequestRead(index);
    if (a.resendList) {
        qCWarning(lcLink) << "No answer to the parameter list request - sending it again";
        sendParamRequestList();
    }
    if (a.listFailed) {
        const QString reason =
            QStringLiteral("The flight controller did not answer the parameter list request");
        qCWarning(lcLink).noquote() << reason;
        emit link_error_value(reason);
        closeForLinkLoss("parameter list request unanswered");
        return;
    }
    if (!a.missing.isEmpty()) {
        qCWarning(lcLink).noquote() << "Parameters missing after repeated requests, indices:"
                                    << indexList(a.missing);
        emit param_missing_value(a.missing);
    }
    if (a.finish) {
        // Names still undecided when the download ends take the old rule.
        releaseHeldParams();
        qCDebug(lcLink) << "Parameter download complete:" << paramTransfer.receivedParams << "of"
                        << paramTransfer.totalParams();
        emit param_value_finish_value();
    }
}

// ---- receive ---------------------------------------------------------------------

void Mav2Uart_Worker::dataArrived()
{
    // A download and its completion are read at once; once the telemetry
    // flows, what arrives within kTelemetryBatchMs is read in one go.
    if (!streamsRequested) {
        ReceiveData();
        return;
    }
    if (polledReads || startPolledReads()) {
        // Woken although paused (a read turns notifications on again).
        ReceiveData();
        pauseReadNotifier();
        return;
    }
    if (readBatchEnd) {
        // The rest of a batch whose time is up.
        readBatchEnd = false;
        ReceiveData();
        holdReads(true);
        return;
    }
    if (!readTimer->isActive())
        readTimer->start();
}

void Mav2Uart_Worker::readBatch()
{
    if (serialPort == hardwarePort && hardwarePort->isOpen()) {
        // The port has read the batch's first byte and waits: it reads the
        // rest at once (dataArrived) when allowed to.
        readBatchEnd = true;
        holdReads(false);
    }
    ReceiveData();
}

bool Mav2Uart_Worker::startPolledReads()
{
    if (serialPort != hardwarePort || !hardwarePort->isOpen())
        return false;
    if (!portReadNotifier())
        return false;
    polledReads = true;
    readTimer->stop();
    readBatchEnd = false;
    hardwarePort->setReadBufferSize(0);
    pollTimer->start();
    qCDebug(lcLink) << "Update mode: reading the port every" << kPolledReadMs << "ms";
    return true;
}

void Mav2Uart_Worker::stopPolledReads()
{
    pollTimer->stop();
    if (!polledReads)
        return;
    polledReads = false;
    // Notifications on again (an open port's next read would also do it).
    if (hardwarePort->isOpen())
        hardwarePort->setReadBufferSize(0);
}

void Mav2Uart_Worker::pollReads()
{
    if (!polledReads || !hardwarePort->isOpen())
        return;
    // Notifications on: what the driver holds (or a device gone) is taken
    // at once by the port's notifier, in this same wake-up, and read by
    // dataArrived, which pauses them again; with nothing there, the next
    // byte is.
    hardwarePort->setReadBufferSize(0);
}

void Mav2Uart_Worker::pauseReadNotifier()
{
    if (!polledReads || !hardwarePort->isOpen())
        return;
    if (QSocketNotifier *n = portReadNotifier(); n && n->isEnabled())
        n->setEnabled(false);
}

QSocketNotifier *Mav2Uart_Worker::portReadNotifier() const
{
    // Qt's serial port reads on a socket notifier of its own on Unix (not on
    // Windows): paused between polls, the port's data waits in the driver.
    for (QSocketNotifier *n : hardwarePort->findChildren<QSocketNotifier *>()) {
        if (n->type() == QSocketNotifier::Read)
            return n;
    }
    return nullptr;
}

void Mav2Uart_Worker::holdReads(bool hold)
{
    if (!hold) {
        hardwarePort->setReadBufferSize(0);
        return;
    }
    if (streamsRequested && serialPort == hardwarePort && hardwarePort->isOpen())
        hardwarePort->setReadBufferSize(1);
}

void Mav2Uart_Worker::ReceiveData()
{
    receiveBuffer.append(serialPort->readAll());
    if (receiveBuffer.isEmpty())
        return;
    failedReads = 0;
    DataAnalysis(reinterpret_cast<quint8 *>(receiveBuffer.data()), int(receiveBuffer.size()));
    receiveBuffer.clear();
}

void Mav2Uart_Worker::DataAnalysis(quint8 *bytes, int count)
{
    if (!bytes || count <= 0)
        return;
    using State = MavlinkCodec::State;
    const quint32 framesBefore = goodFrames;
    paramValueSeen = false;
    for (int i = 0; i < count; ++i) {
        const uint8_t byte = bytes[i];
        const State before = codec.state();
        // Follow the message id of the frame in progress (MAVLink 1 has one
        // id byte after the component id, MAVLink 2 three).
        if (before == State::GotCompid)
            parsingMsgid = byte;
        else if (before == State::GotMsgid1)
            parsingMsgid |= uint32_t(byte) << 8;
        else if (before == State::GotMsgid2)
            parsingMsgid |= uint32_t(byte) << 16;

        if (codec.receiveByte(byte) == MavlinkCodec::Ok) {
            handleFrame(codec.lastFrame());
            continue;
        }
        if ((before == State::GotCrc1 || before == State::GotBadCrc1)
            && codec.state() != State::SignatureWait
            && parsingMsgid == MavlinkId::MAG_CAL_PROGRESS) {
            // The checksum of a compass-progress frame failed: most likely a
            // firmware whose message definition differs from ours.
            qCWarning(lcLink) << "MAG_CAL_PROGRESS frame dropped: checksum mismatch";
        }
    }
    // Once per chunk: the silence limit starts again, the transfer's next
    // timeout follows what arrived.
    if (goodFrames != framesBefore)
        restartSilence();
    if (paramValueSeen)
        armTransferTimer();
}

void Mav2Uart_Worker::handleFrame(const MavlinkFrame &f)
{
    ++goodFrames;
    if (messageSeen == 0) {
        messageSeen = 1;
        emit link_alive_value();
    }

    switch (f.msgid) {
    case MavlinkId::SYS_STATUS: {
        const auto m = MavlinkCodec::decode<mavlink_sys_status_t>(f);
        const uint32_t health = m.onboard_control_sensors_health;
        emit sys_status_value(m.voltage_battery, static_cast<signed char>((health & 0x10000u) ? 1 : 0));
        break;
    }
    case MavlinkId::PARAM_VALUE:
        paramValueSeen = true;
        handleParamValue(f);
        break;
    case MavlinkId::GPS_RAW_INT: {
        const auto m = MavlinkCodec::decode<mavlink_gps_raw_int_t>(f);
        emit gps_raw_int_value(m.satellites_visible, m.eph, m.epv);
        break;
    }
    case MavlinkId::ATTITUDE: {
        const auto m = MavlinkCodec::decode<mavlink_attitude_t>(f);
        emit attitude_value(m.roll, m.pitch, m.yaw);
        break;
    }
    case MavlinkId::RC_CHANNELS:
        emit rc_channels_value(MavlinkCodec::decode<mavlink_rc_channels_t>(f));
        break;
    case MavlinkId::GPS2_RAW: {
        const auto m = MavlinkCodec::decode<mavlink_gps2_raw_t>(f);
        emit gps2_raw_value(m.satellites_visible, m.eph);
        break;
    }
    case MavlinkId::MAG_CAL_PROGRESS: {
        if (magCalibrationRun == 1) {
            const auto m = MavlinkCodec::decode<mavlink_mag_cal_progress_t>(f);
            const int pct = int(m.completion_pct) + 1;
            emit calibration_process(pct);
            emit mag_cal_progress_value(m.compass_id, pct);
        }
        break;
    }
    case MavlinkId::MAG_CAL_REPORT: {
        const auto m = MavlinkCodec::decode<mavlink_mag_cal_report_t>(f);
        const int compassId = m.compass_id;
        const int calStatus = m.cal_status;
        qCDebug(lcLink) << "compass_id:" << compassId << "cal_status:" << calStatus;
        emit mag_cal_report_value(m.compass_id, m.cal_status);
        break;
    }
    case MavlinkId::STATUSTEXT: {
        const auto m = MavlinkCodec::decode<mavlink_statustext_t>(f);
        int n = 0;
        while (n < int(sizeof m.text) && m.text[n] != '\0')
            ++n;
        emit statustext_value(QString::fromLocal8Bit(m.text, n), m.severity);
        break;
    }
    default:
        break;
    }
}

void Mav2Uart_Worker::handleParamValue(const MavlinkFrame &f)
{
    const auto m = MavlinkCodec::decode<mavlink_param_value_t>(f);
    // The first name valid in only one form tells which form this flight
    // controller uses; names read earlier that fit both forms follow it.
    if (paramNames.learn(m))
        releaseHeldParams();

    if (streamsRequested) {
        reportParamValue(m, 0);
        return;
    }
    paramTransfer.noteValue(m.param_index, m.param_count);
    const uint32_t received = paramTransfer.receivedParams;
    if (paramTransfer.downloadRunning() && paramNames.undecided(m)) {
        qCDebug(lcLink) << "Name readable in both forms, held until the form is known:"
                        << ParamTransfer::nameFromBytes(m.param_id);
        paramNames.hold(m, received);
    } else {
        reportParamValue(m, received);
    }
    for (uint16_t index : paramTransfer.takeReadRequests())
        sendParamRequestRead(index);
}

void Mav2Uart_Worker::releaseHeldParams()
{
    const QList<ParamNameForm::Held> held = paramNames.takeHeld();
    for (const ParamNameForm::Held &h : held)
        reportParamValue(h.message, h.received);
}

void Mav2Uart_Worker::reportParamValue(const mavlink_param_value_t &m, uint32_t received)
{
    const ParamTransfer::Decoded d = paramNames.choose(m);
    QString name = d.name;
    float value = d.value;
    bool valid = d.valid;

    // The flight controller echoes a write under the name it was written
    // with; a plain name can also read as a valid encoded one, so a pending
    // write of the raw name decides.
    if (d.rawValid && paramTransfer.hasPendingWrite(d.rawName)) {
        name = d.rawName;
        value = d.rawValue;
        valid = true;
    }

    ParamTransfer::EchoResult echo = ParamTransfer::EchoResult::NotPending;
    float written = 0.0f;
    if (valid)
        echo = paramTransfer.echo(name, value, m.param_type, &written);

    if (streamsRequested) {
        if (valid) {
            emit param_value_update_value(name, value);
        } else {
            qCDebug(lcLink) << "Invalid param name ignored. raw name:" << d.rawName;
        }
    } else {
        if (valid) {
            emit param_value_loading_value(Parameter{name, double(value)}, int(received), m.param_count);
            qCDebug(lcLink).nospace() << "totalParams: " << m.param_count << " receivedParams: " << received
                                      << " Parameter: " << name << ", Value: " << value;
        } else {
            qCDebug(lcLink).nospace() << "Invalid param name ignored. totalParams: " << m.param_count
                                      << " receivedParams: " << received
                                      << " raw name: " << name.toLatin1();
        }
    }

    if (echo == ParamTransfer::EchoResult::Confirmed) {
        qCDebug(lcLink) << "Write confirmed:" << name << "=" << value;
    } else if (echo == ParamTransfer::EchoResult::Stale) {
        qCDebug(lcLink) << "Echo of an earlier write:" << name << "=" << value << "- still waiting for"
                        << written;
    } else if (echo == ParamTransfer::EchoResult::Refused) {
        qCWarning(lcLink) << "Write not taken:" << name << "written" << written
                          << "but the flight controller keeps" << value;
        emit param_write_failed_value(name, written);
    }
}

// ---- parameter download ------------------------------------------------------------

bool Mav2Uart_Worker::threadQuitRequested() const
{
    QThread *t = QThread::currentThread();
    return t && t->isInterruptionRequested();
}

void Mav2Uart_Worker::sendReadParametersCommand()
{
    startParamRead();
}

void Mav2Uart_Worker::startParamRead()
{
    const quint64 generation = linkGeneration;
    // A later call (e.g. the window asking again after a reconnect while this
    // one still waits, running nested inside this wait) takes over: only the
    // latest request sends the list request, so the table is not asked for
    // twice and the download is not restarted halfway.
    const quint64 request = ++downloadRequests;
    struct WaitMark {
        int &count;
        explicit WaitMark(int &c) : count(c) { ++count; }
        ~WaitMark() { --count; }
    } mark(firstFrameWaits);

    // Wait for the link to show life, asking for the raw-sensor stream so
    // that a quiet flight controller starts talking. Ticks, received data and
    // the window's commands keep being served meanwhile.
    while (messageSeen == 0) {
        if (request != downloadRequests) {
            qCDebug(lcLink) << "Parameter download request superseded by a newer one";
            return;
        }
        if (generation != linkGeneration) {
            qCDebug(lcLink) << "Parameter download abandoned: the port was closed while waiting";
            return;
        }
        if (threadQuitRequested()) {
            qCDebug(lcLink) << "Parameter download abandoned: the worker is stopping";
            return;
        }
        if (!portName.isEmpty() && !serialPort->isOpen()) {
            QString error;
            if (!openSerialPort(portName, &error))
                qCDebug(lcLink) << "Reopening" << portName << "failed:" << error;
        }
        if (serialPort->isOpen())
            sendDataStreamCommand(1, true);

        QEventLoop loop;
        QTimer::singleShot(kFirstFrameWaitMs, &loop, [&loop] { loop.exit(1); });
        if (loop.exec() != 1) {
            // Only a request to end the thread's event loops stops the pass
            // early (or refuses to start it).
            qCDebug(lcLink) << "Parameter download abandoned: the worker's thread is quitting";
            return;
        }
    }

    if (request != downloadRequests) {
        qCDebug(lcLink) << "Parameter download request superseded by a newer one";
        return;
    }
    if (generation != linkGeneration) {
        // The first frame came from a port opened meanwhile by another
        // ConnectPort, whose answer starts its own download.
        qCDebug(lcLink) << "Parameter download abandoned: the port was replaced while waiting";
        return;
    }

    streamsRequested = false;
    stopPolledReads();
    readParamDone = false;
    paramTransfer.startDownload();
    paramNames.dropHeld();
    restartSilence();
    sendParamRequestList();
    armTransferTimer();
}

void Mav2Uart_Worker::sendParamRequestList()
{
    uint8_t buf[MavlinkCodec::kMaxFrameSize];
    writeFrame(buf, codec.packParamRequestList(buf));
}

void Mav2Uart_Worker::sendParamRequestRead(uint16_t index)
{
    qCDebug(lcLink) << "Asking again for parameter index" << index;
    uint8_t buf[MavlinkCodec::kMaxFrameSize];
    writeFrame(buf, codec.packParamRequestRead(buf, "", static_cast<int16_t>(index)));
}

// ---- sending ---------------------------------------------------------------------

bool Mav2Uart_Worker::writeFrame(const uint8_t *frame, int length)
{
    if (length <= 0)
        return false;
    if (!serialPort->isOpen())
        return false;
    return serialPort->write(reinterpret_cast<const char *>(frame), length) == length;
}

void Mav2Uart_Worker::sendDataStreamCommand(uint8_t ID, bool flay)
{
    uint8_t buf[MavlinkCodec::kMaxFrameSize];
    const int length = codec.packRequestDataStream(buf, ID, kStreamRateHz, flay ? 1 : 0);
    if (!serialPort->isOpen()) {
        qCDebug(lcLink) << "Failed to write the data to port.";
        return;
    }
    const qint64 written = serialPort->write(reinterpret_cast<const char *>(buf), length);
    if (written == -1)
        qCDebug(lcLink) << "Failed to write the data to port.";
    else if (written < length)
        qCDebug(lcLink) << "Could not send all bytes to port.";
}

void Mav2Uart_Worker::sendWriteParametersCommand(QString name, float value)
{
    // A name the flight controller cannot hold would be cut to 16 bytes and
    // could then name another parameter; a value that is not a number would
    // be stored as such. Neither is sent.
    if (!ParamTransfer::isValidName(name) || !std::isfinite(value)) {
        qCWarning(lcLink) << "Write refused, invalid name or value:" << name << value;
        emit param_write_failed_value(name, value);
        return;
    }
    if (!serialPort->isOpen()) {
        qCWarning(lcLink) << "Write not sent, no port open:" << name << value;
        emit param_write_failed_value(name, value);
        return;
    }
    uint8_t buf[MavlinkCodec::kMaxFrameSize];
    const QByteArray id = name.toLatin1();
    writeFrame(buf, codec.packParamSet(buf, id.constData(), value));
    paramTransfer.writeSent(name, value);
    armTransferTimer();
    qCDebug(lcLink) << "PARAM_SET" << name << "=" << value;
}

void Mav2Uart_Worker::sendRebootCommand()
{
    uint8_t buf[MavlinkCodec::kMaxFrameSize];
    writeFrame(buf, codec.packCommandLong(buf, kCmdRebootShutdown, 1.0f));
}

void Mav2Uart_Worker::sendCompassCalibrationCommand(int command, int rebootFlag)
{
    uint8_t buf[MavlinkCodec::kMaxFrameSize];
    writeFrame(buf, codec.packCommandLong(buf, static_cast<uint16_t>(command & 0xFFFF), 0.0f, 1.0f,
                                          1.0f, 0.0f, rebootFlag == 1 ? 1.0f : 0.0f));
}
