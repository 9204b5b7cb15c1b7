#include "cli/CliTool.h"

#include "cli/CliWriteBatch.h"
#include "cli/InterruptWatcher.h"
#include "link/LinkSession.h"
#include "link/ParamTransfer.h"
#include "link/PortSource.h"
#include "params/ParamDiff.h"
#include "params/ParamFileChecker.h"
#include "params/SnapshotStore.h"
#include "sim/SimulatedFlightController.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QSaveFile>
#include <QTimer>

#include <charconv>
#include <cstdio>
#include <functional>

#include <unistd.h>

namespace {

bool interrupted()
{
    return InterruptWatcher::interrupted();
}

// Processes events until `done` holds, the deadline passes (-1: never) or the
// user interrupts. Returns whether `done` holds.
bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QDeadlineTimer deadline = timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever)
                                            : QDeadlineTimer(timeoutMs);
    while (!done()) {
        if (interrupted() || deadline.hasExpired())
            return false;
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void printErr(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

void printOut(const QString &text)
{
    std::fprintf(stdout, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stdout);
}

constexpr int kOpenTimeoutMs = 5000;
constexpr int kFirstFrameTimeoutMs = 5000;
constexpr int kPortListTimeoutMs = 1000;

} // namespace

CliTool::CliTool(QObject *parent)
    : QObject(parent)
{
}

QString CliTool::usage()
{
    return QStringLiteral(
        "usage: tavro-cli ports\n"
        "       tavro-cli [--port PATH] params [--out FILE]\n"
        "       tavro-cli [--port PATH] set NAME VALUE\n"
        "       tavro-cli [--port PATH] [--snapshot-dir DIR] load [--skip-invalid] FILE\n"
        "       tavro-cli [--port PATH] [--snapshot-dir DIR] restore [--skip-invalid] SNAPSHOT_FILE\n"
        "       tavro-cli [--port PATH] diff FILE\n"
        "       tavro-cli [--snapshot-dir DIR] snapshots\n"
        "       tavro-cli [--port PATH] watch\n"
        "       tavro-cli sim [--demo] [--encode | --plain] [--drop P] [--duplicate P] [--corrupt P]\n"
        "                     [--baud B] [--params FILE] [--sweep] [--compasses N] [--seed N]\n"
        "\n"
        "load and restore check the whole file first: with any error nothing is written\n"
        "(exit 2) unless --skip-invalid, which writes the valid lines (exit 1 when any was\n"
        "skipped). Both save a snapshot of the flight controller's table before writing;\n"
        "restore writes only the parameters that differ. Every write ends with an account:\n"
        "confirmed, sent but not confirmed, not sent. Exit 0: everything applied exactly as\n"
        "written; 1: not everything confirmed, or the link failed; 2: refused input, nothing\n"
        "written; 130: interrupted. diff exits 0 when equal, 1 when not, 2 on an error.\n"
        "Snapshots: --snapshot-dir or TAVRO_SNAPSHOT_DIR overrides the folder.\n"
        "\n"
        "sim: names and values go out plain unless --encode (the real flight controller's\n"
        "form); the link learns the form from the first name valid in only one of them\n"
        "and reads names valid in both (FLTMODE1, RC3_MIN, ...) in that form, so either\n"
        "gives the exact table. --demo is the demo set-up: encoded, stick\n"
        "sweep, two compasses. --compasses N (1-3) calibrate together, compass i taking\n"
        "3 + i seconds.");
}

QString CliTool::formatValue(float value)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    return QString::fromLatin1(buf, int(r.ptr - buf));
}

bool CliTool::echoConfirms(float written, float echoed)
{
    // The parameter's type is not known here: a float within the worker's
    // tolerance, or the rounded value an integer parameter keeps.
    return ParamTransfer::confirms(written, echoed, MavlinkCodec::kParamTypeReal32)
           || ParamTransfer::confirms(written, echoed, 6 /* MAV_PARAM_TYPE_INT32 */);
}

int CliTool::fail(const QString &reason, int status)
{
    printErr(QStringLiteral("tavro-cli: ") + reason);
    return status;
}

int CliTool::failLink(const QString &reason)
{
    return fail(reason, interrupted() ? kExitInterrupted : kExitFailed);
}

int CliTool::run(const QStringList &arguments)
{
    InterruptWatcher interrupts;
    QStringList args = arguments;
    while (args.size() >= 2 && args[0].startsWith(QLatin1String("--"))) {
        if (args[0] == QLatin1String("--port"))
            m_port = args[1];
        else if (args[0] == QLatin1String("--snapshot-dir"))
            m_snapshotDir = args[1];
        else
            break;
        args = args.mid(2);
    }
    if (args.isEmpty())
        return fail(QStringLiteral("no command\n") + usage());
    const QString command = args.takeFirst();
    const bool skipInvalid = args.removeAll(QStringLiteral("--skip-invalid")) > 0;
    const bool writesFile = command == QLatin1String("load") || command == QLatin1String("restore");
    if (skipInvalid && !writesFile)
        return fail(QStringLiteral("--skip-invalid belongs to load and restore\n") + usage());

    if (command == QLatin1String("ports") && args.isEmpty())
        return cmdPorts();
    if (command == QLatin1String("params")) {
        if (args.isEmpty())
            return cmdParams(QString());
        if (args.size() == 2 && args[0] == QLatin1String("--out"))
            return cmdParams(args[1]);
    }
    if (command == QLatin1String("set") && args.size() == 2)
        return cmdSet(args[0], args[1]);
    if (command == QLatin1String("load") && args.size() == 1)
        return cmdLoad(args[0], skipInvalid);
    if (command == QLatin1String("restore") && args.size() == 1)
        return cmdRestore(args[0], skipInvalid);
    if (command == QLatin1String("diff") && args.size() == 1)
        return cmdDiff(args[0]);
    if (command == QLatin1String("snapshots") && args.isEmpty())
        return cmdSnapshots();
    if (command == QLatin1String("watch") && args.isEmpty())
        return cmdWatch();
    if (command == QLatin1String("sim"))
        return cmdSim(args);
    return fail(QStringLiteral("unknown command or arguments: %1\n%2")
                    .arg((QStringList{command} + args).join(QLatin1Char(' ')), usage()));
}

// ---- ports -------------------------------------------------------------------------

int CliTool::cmdPorts()
{
    LinkSession session;
    QStringList ports;
    bool listed = false;
    connect(session.worker(), &Mav2Uart_Worker::PortList, this,
            [&](int, const QStringList &list, int) {
                ports = list;
                listed = true;
            });
    session.start(0xFF);
    const bool ok = waitFor([&] { return listed; }, kPortListTimeoutMs);
    session.stop();
    if (!ok)
        return fail(QStringLiteral("the port search did not answer"));
    for (const QString &p : ports)
        printOut(p);
    return 0;
}

// ---- link set-up -------------------------------------------------------------------

bool CliTool::openLink(LinkSession &session, QString *error)
{
    Mav2Uart_Worker *w = session.worker();
    QString port = m_port;
    if (port.isEmpty()) {
        QStringList ports;
        bool listed = false;
        auto c = connect(w, &Mav2Uart_Worker::PortList, this, [&](int, const QStringList &list, int) {
            ports = list;
            listed = true;
        });
        waitFor([&] { return listed; }, kPortListTimeoutMs);
        disconnect(c);
        if (ports.isEmpty()) {
            *error = QStringLiteral("no flight controller port found (use --port PATH)");
            return false;
        }
        port = ports.first();
    }

    int opened = -1;
    QString reason;
    bool alive = false;
    auto c1 = connect(w, &Mav2Uart_Worker::ConnectSingal, this, [&](int flag) { opened = flag; });
    auto c2 = connect(w, &Mav2Uart_Worker::link_error_value, this, [&](const QString &r) { reason = r; });
    auto c3 = connect(w, &Mav2Uart_Worker::link_alive_value, this, [&] { alive = true; });
    session.connectPort(port);
    waitFor([&] { return opened >= 0; }, kOpenTimeoutMs);
    disconnect(c1);
    disconnect(c2);
    if (opened != 1) {
        *error = reason.isEmpty() ? QStringLiteral("cannot open %1").arg(port) : reason;
        disconnect(c3);
        return false;
    }
    // Ask for the raw-sensor stream: a flight controller that is already
    // talking answers at once, a quiet one starts talking.
    session.requestStream(1, true);
    const bool ok = waitFor([&] { return alive; }, kFirstFrameTimeoutMs);
    disconnect(c3);
    if (!ok) {
        *error = interrupted() ? QStringLiteral("interrupted")
                               : QStringLiteral("no frame from %1 within 5 s").arg(port);
        return false;
    }
    m_port = port;
    return true;
}

bool CliTool::download(LinkSession &session, bool showProgress, QString *error)
{
    Mav2Uart_Worker *w = session.worker();
    m_params.clear();
    m_paramIndex.clear();
    bool finished = false;
    bool lost = false;
    QString linkError;
    QList<int> missing;
    int received = 0;
    int total = 0;
    const bool tty = ::isatty(fileno(stderr));
    int lastShown = 0;

    QList<QMetaObject::Connection> cs;
    cs << connect(w, &Mav2Uart_Worker::param_value_loading_value, this,
                  [&](const Parameter &p, int count, uint16_t totalParams) {
                      auto it = m_paramIndex.find(p.name);
                      if (it == m_paramIndex.end()) {
                          m_paramIndex.insert(p.name, int(m_params.size()));
                          m_params.append(p);
                      } else {
                          m_params[*it].value = p.value;
                      }
                      received = count;
                      total = totalParams;
                      if (showProgress && (count - lastShown >= 50 || count == totalParams)) {
                          lastShown = count;
                          std::fprintf(stderr, tty ? "\rparameters %d/%d" : "parameters %d/%d\n", count,
                                       int(totalParams));
                          std::fflush(stderr);
                      }
                  });
    cs << connect(w, &Mav2Uart_Worker::param_missing_value, this,
                  [&](const QList<int> &indices) { missing = indices; });
    cs << connect(w, &Mav2Uart_Worker::param_value_finish_value, this, [&] { finished = true; });
    cs << connect(w, &Mav2Uart_Worker::disconnect_UI_disable, this, [&] { lost = true; });
    cs << connect(w, &Mav2Uart_Worker::link_error_value, this, [&](const QString &r) { linkError = r; });

    session.startParamRead();
    waitFor([&] { return finished || lost; }, -1);
    for (const auto &c : cs)
        disconnect(c);
    if (showProgress && tty && lastShown > 0)
        std::fprintf(stderr, "\n");

    if (!finished) {
        if (interrupted())
            *error = QStringLiteral("interrupted");
        else if (!linkError.isEmpty())
            *error = linkError;
        else
            *error = QStringLiteral("link lost during the parameter download (%1 of %2 received)")
                         .arg(received)
                         .arg(total);
        return false;
    }
    if (!missing.isEmpty()) {
        QStringList idx;
        for (int i : missing)
            idx << QString::number(i);
        *error = QStringLiteral("%1 of %2 parameters missing (indices %3)")
                     .arg(missing.size())
                     .arg(total)
                     .arg(idx.join(QLatin1Char(',')));
        return false;
    }
    return true;
}

// ---- params ------------------------------------------------------------------------

int CliTool::cmdParams(const QString &outFile)
{
    LinkSession session;
    session.start(0);
    QString error;
    if (!openLink(session, &error))
        return failLink(error);
    // Nothing is written before the table is complete: a file named by --out
    // is replaced whole or left as it was.
    if (!download(session, true, &error)) {
        if (!outFile.isEmpty())
            error += QStringLiteral("; %1 not written").arg(outFile);
        return failLink(error);
    }

    QByteArray text;
    for (const Parameter &p : std::as_const(m_params))
        text += p.name.toLatin1() + ',' + formatValue(float(p.value)).toLatin1() + '\n';
    if (outFile.isEmpty()) {
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        std::fflush(stdout);
    } else {
        QSaveFile file(outFile);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
            return fail(QStringLiteral("cannot write %1: %2").arg(outFile, file.errorString()));
    }
    printErr(QStringLiteral("%1 parameters").arg(m_params.size()));
    return kExitOk;
}

// ---- checking files and values -------------------------------------------------------

int CliTool::refuse(const QString &what, const ParamCheckResult &check, CheckStage stage, bool *proceed)
{
    *proceed = false;
    const bool skipInvalid = stage == CheckStage::FirstSkipping || stage == CheckStage::FinalSkipping;
    const bool first = stage == CheckStage::First || stage == CheckStage::FirstSkipping
                       || stage == CheckStage::CompareFirst;
    const bool compare = stage == CheckStage::CompareFirst || stage == CheckStage::Compare;
    if (!check.readable) {
        QString reason = check.fileError;
        if (!compare)
            reason += reason.endsWith(QLatin1Char('.')) ? QStringLiteral(" Nothing written.")
                                                        : QStringLiteral("; nothing written");
        return fail(QStringLiteral("%1: %2").arg(what, reason), kExitRefused);
    }
    const int errors = check.errorCount();
    // The check before the download speaks only when it stops the command;
    // the one against the table lists everything.
    const bool stops = (errors > 0 && !skipInvalid) || check.writable.isEmpty();
    if (!check.problems.isEmpty() && (!first || stops)) {
        const int notes = int(check.problems.size()) - errors;
        QString head = QStringLiteral("%1: %2 %3").arg(what).arg(errors).arg(errors == 1 ? "error" : "errors");
        if (notes > 0)
            head += QStringLiteral(", %1 %2").arg(notes).arg(notes == 1 ? "note" : "notes");
        if (errors > 0 && !compare)
            head += skipInvalid ? QStringLiteral("; the lines in error are skipped")
                   : stage == CheckStage::Value ? QStringLiteral("; nothing written")
                                                : QStringLiteral("; nothing written (--skip-invalid writes the valid lines)");
        printErr(head);
        for (const QString &line : check.describeProblems(kMaxProblemsShown))
            printErr(QStringLiteral("  ") + line);
    }
    if (errors > 0 && !skipInvalid)
        return kExitRefused;
    if (check.writable.isEmpty())
        return fail(QStringLiteral("%1 holds no parameters to write").arg(what), kExitRefused);
    *proceed = true;
    return kExitOk;
}

QSet<QString> CliTool::tableNames() const
{
    QSet<QString> names;
    names.reserve(m_params.size());
    for (const Parameter &p : m_params)
        names.insert(p.name);
    return names;
}

// ---- set / load / restore / diff ------------------------------------------------------

int CliTool::runBatch(LinkSession &session, const QString &command, const QList<ParamFileEntry> &writes,
                      bool skipped)
{
    session.setReadParamDone();
    waitFor([] { return false; }, 100);   // let the next tick switch to update mode
    CliWriteBatch batch(session);
    const CliWriteBatch::Account account = batch.run(writes);
    m_lastBatchEchoes.clear();
    for (const ParamFileEntry &e : writes)
        m_lastBatchEchoes.insert(e.name, batch.lastEcho(e.name, e.value));
    for (const QString &line : account.describe(command))
        printErr(line);
    if (account.interrupted)
        return kExitInterrupted;
    return account.allConfirmed() && !skipped ? kExitOk : kExitFailed;
}

bool CliTool::checkAgainstTable(LinkSession &session, const QString &what, const Checker &check, CheckStage before,
                                CheckStage after, int linkFailure, ParamCheckResult *result, int *status)
{
    // The input's own faults first, before the link is touched.
    bool proceed = false;
    *status = refuse(what, check(nullptr), before, &proceed);
    if (!proceed)
        return false;

    session.start(0);
    QString error;
    if (!openLink(session, &error) || !download(session, false, &error)) {
        *status = fail(error, interrupted() ? kExitInterrupted : linkFailure);
        return false;
    }
    const QSet<QString> names = tableNames();
    *result = check(&names);
    *status = refuse(what, *result, after, &proceed);
    return proceed;
}

int CliTool::cmdSet(const QString &name, const QString &valueText)
{
    const QByteArray line = name.toUtf8() + ',' + valueText.toUtf8();
    const QString what = QStringLiteral("set %1").arg(ParamFileChecker::quote(name.toUtf8()));
    LinkSession session;
    ParamCheckResult check;
    int status = kExitOk;
    if (!checkAgainstTable(session, what, [&](const QSet<QString> *known) { return ParamFileChecker::check(line, known); },
                           CheckStage::Value, CheckStage::Value, kExitFailed, &check, &status))
        return status;

    status = runBatch(session, QStringLiteral("set"), check.writable, false);
    if (status == kExitOk) {
        const ParamFileEntry &e = check.writable.first();
        printOut(QStringLiteral("%1,%2").arg(e.name, formatValue(m_lastBatchEchoes.value(e.name, e.value))));
    }
    return status;
}

bool CliTool::checkFileAgainstTable(LinkSession &session, const QString &path, bool skipInvalid,
                                    ParamCheckResult *result, int *status)
{
    return checkAgainstTable(session, path,
                             [&](const QSet<QString> *known) { return ParamFileChecker::checkFile(path, known); },
                             skipInvalid ? CheckStage::FirstSkipping : CheckStage::First,
                             skipInvalid ? CheckStage::FinalSkipping : CheckStage::Final, kExitFailed, result, status);
}

int CliTool::cmdLoad(const QString &path, bool skipInvalid)
{
    LinkSession session;
    ParamCheckResult check;
    int status = kExitOk;
    if (!checkFileAgainstTable(session, path, skipInvalid, &check, &status))
        return status;
    takeSnapshot();
    return runBatch(session, QStringLiteral("load"), check.writable, check.errorCount() > 0);
}

int CliTool::cmdRestore(const QString &path, bool skipInvalid)
{
    QString error;
    if (!checkRestorable(path, &error))
        return fail(error, kExitRefused);
    LinkSession session;
    ParamCheckResult check;
    int status = kExitOk;
    if (!checkFileAgainstTable(session, path, skipInvalid, &check, &status))
        return status;

    const ParamDiffResult diff = ParamDiff::compare(m_params, check.writable);
    QList<ParamFileEntry> writes;
    for (const ParamChange &c : diff.changed)
        writes.append({c.name, float(c.wanted), c.line});
    printErr(QStringLiteral("restore: %1 of %2 parameters differ").arg(writes.size()).arg(check.writable.size()));
    if (writes.isEmpty())
        return check.errorCount() > 0 ? kExitFailed : kExitOk;
    takeSnapshot();
    return runBatch(session, QStringLiteral("restore"), writes, check.errorCount() > 0);
}

int CliTool::cmdDiff(const QString &path)
{
    // diff writes nothing: a file it cannot compare, or a link that fails, is an error (2).
    LinkSession session;
    ParamCheckResult check;
    int status = kExitOk;
    if (!checkAgainstTable(session, path,
                           [&](const QSet<QString> *known) { return ParamFileChecker::checkFile(path, known); },
                           CheckStage::CompareFirst, CheckStage::Compare, kExitRefused, &check, &status))
        return status == kExitOk ? kExitRefused : status;

    const ParamDiffResult diff = ParamDiff::compare(m_params, check.writable);
    for (const ParamChange &c : diff.changed)
        printOut(QStringLiteral("%1: %2 -> %3").arg(c.name, formatValue(float(c.current)), formatValue(float(c.wanted))));
    printOut(QStringLiteral("%1 %2").arg(diff.changed.size()).arg(diff.changed.size() == 1 ? "parameter differs"
                                                                                           : "parameters differ"));
    return diff.changed.isEmpty() ? kExitOk : kExitFailed;
}

// ---- snapshots -----------------------------------------------------------------------

QString CliTool::serialNumberOf(const QString &port)
{
    for (const PortCandidate &c : systemSerialPorts()) {
        if (c.portName == port || QStringLiteral("/dev/") + c.portName == port)
            return c.serialNumber;
    }
    return QString();
}

void CliTool::takeSnapshot()
{
    const SnapshotStore store(m_snapshotDir);
    SnapshotSource source;
    source.port = m_port;
    source.serialNumber = serialNumberOf(m_port);
    source.complete = true;
    const QString board = SnapshotStore::boardId(source.serialNumber, m_port);
    const SnapshotSaveResult saved = store.save(board, source, m_params);
    switch (saved.status) {
    case SnapshotSaveResult::Written:
        printErr(QStringLiteral("snapshot of the table before writing: %1").arg(saved.path));
        break;
    case SnapshotSaveResult::Identical:
        printErr(QStringLiteral("snapshot of the table before writing: unchanged since %1").arg(saved.path));
        break;
    case SnapshotSaveResult::Failed:
        // The writes go on: a folder that cannot be written must not keep a
        // user from changing the flight controller, but it is said clearly.
        printErr(QStringLiteral("tavro-cli: warning: no snapshot taken (%1)").arg(saved.error));
        break;
    }
}

bool CliTool::checkRestorable(const QString &path, QString *error)
{
    const SnapshotData data = SnapshotStore::read(path);
    if (!data.info.readable) {
        *error = QStringLiteral("%1 is not a readable snapshot (%2); nothing written").arg(path, data.info.problem);
        return false;
    }
    if (!data.info.complete) {
        *error = QStringLiteral("%1 holds an incomplete download and is never restored as a whole; "
                                "load writes its lines if that is meant").arg(path);
        return false;
    }
    return true;
}

int CliTool::cmdSnapshots()
{
    const SnapshotStore store(m_snapshotDir);
    const QStringList boards = store.boards();
    if (boards.isEmpty()) {
        printErr(QStringLiteral("no snapshots in %1").arg(store.root()));
        return kExitOk;
    }
    printErr(QStringLiteral("snapshots in %1").arg(store.root()));
    for (const QString &board : boards) {
        printOut(board + QLatin1Char(':'));
        for (const SnapshotInfo &s : store.list(board)) {
            QString state;
            if (!s.readable)
                state = QStringLiteral("unreadable: ") + s.problem;
            else
                state = QStringLiteral("%1 parameters, %2, model %3 %4")
                            .arg(s.count)
                            .arg(s.complete ? QStringLiteral("complete") : QStringLiteral("incomplete"))
                            .arg(s.modelId)
                            .arg(s.modelName);
            printOut(QStringLiteral("  %1  %2  %3%4")
                         .arg(s.path, s.time.isValid() ? s.time.toString(Qt::ISODate) : QStringLiteral("-"), state,
                              s.first ? QStringLiteral("  (the first: the state before TAVRO changed anything)")
                                      : QString()));
        }
    }
    return kExitOk;
}

// ---- watch -------------------------------------------------------------------------

int CliTool::cmdWatch()
{
    LinkSession session;
    session.start(0);
    QString error;
    if (!openLink(session, &error))
        return fail(error);
    Mav2Uart_Worker *w = session.worker();
    bool lost = false;
    connect(w, &Mav2Uart_Worker::disconnect_UI_disable, this, [&] { lost = true; });
    connect(w, &Mav2Uart_Worker::sys_status_value, this, [](uint16_t mv, signed char rc) {
        printOut(QStringLiteral("SYS_STATUS voltage_battery=%1mV rc_receiver=%2").arg(mv).arg(int(rc)));
    });
    connect(w, &Mav2Uart_Worker::gps_raw_int_value, this, [](uint8_t sats, uint16_t eph, uint16_t epv) {
        printOut(QStringLiteral("GPS_RAW_INT satellites=%1 eph=%2 epv=%3").arg(sats).arg(eph).arg(epv));
    });
    connect(w, &Mav2Uart_Worker::gps2_raw_value, this, [](uint8_t sats, uint16_t eph) {
        printOut(QStringLiteral("GPS2_RAW satellites=%1 eph=%2").arg(sats).arg(eph));
    });
    connect(w, &Mav2Uart_Worker::attitude_value, this, [](float r, float p, float y) {
        printOut(QStringLiteral("ATTITUDE roll=%1 pitch=%2 yaw=%3")
                     .arg(formatValue(r), formatValue(p), formatValue(y)));
    });
    connect(w, &Mav2Uart_Worker::rc_channels_value, this, [](const mavlink_rc_channels_t &rc) {
        QStringList ch;
        const uint16_t raw[8] = {rc.chan1_raw, rc.chan2_raw, rc.chan3_raw, rc.chan4_raw,
                                 rc.chan5_raw, rc.chan6_raw, rc.chan7_raw, rc.chan8_raw};
        for (uint16_t v : raw)
            ch << QString::number(v);
        printOut(QStringLiteral("RC_CHANNELS count=%1 %2").arg(rc.chancount).arg(ch.join(QLatin1Char(' '))));
    });
    connect(w, &Mav2Uart_Worker::statustext_value, this, [](const QString &text, uint8_t severity) {
        printOut(QStringLiteral("STATUSTEXT severity=%1 %2").arg(severity).arg(text));
    });
    connect(w, &Mav2Uart_Worker::mag_cal_report_value, this, [](uint8_t id, uint8_t status) {
        printOut(QStringLiteral("MAG_CAL_REPORT compass_id=%1 cal_status=%2").arg(id).arg(status));
    });
    connect(w, &Mav2Uart_Worker::param_value_update_value, this, [](const QString &n, float v) {
        printOut(QStringLiteral("PARAM_VALUE %1=%2").arg(n, formatValue(v)));
    });
    // The telemetry streams, as after a download.
    session.setReadParamDone();
    waitFor([&] { return lost; }, -1);
    if (lost)
        return fail(QStringLiteral("link lost: no frame for 2 s"));
    return 0;
}

// ---- sim ---------------------------------------------------------------------------

int CliTool::cmdSim(const QStringList &options)
{
    // --demo first, whatever its position: the other options change its set-up.
    SimulatedFlightController::Options setup = options.contains(QLatin1String("--demo"))
                                                   ? SimulatedFlightController::Options::demo()
                                                   : SimulatedFlightController::Options();
    double drop = 0.0, duplicate = 0.0, corrupt = 0.0;
    quint32 seed = 1;
    QString paramsFile;
    for (int i = 0; i < options.size(); ++i) {
        const QString &o = options[i];
        const bool hasValue = i + 1 < options.size();
        bool ok = true;
        if (o == QLatin1String("--demo")) {
            // applied above
        } else if (o == QLatin1String("--encode")) {
            setup.encodedParams = true;
        } else if (o == QLatin1String("--plain")) {
            setup.encodedParams = false;
        } else if (o == QLatin1String("--sweep")) {
            setup.stickSweep = true;
        } else if (o == QLatin1String("--compasses") && hasValue) {
            const int n = options[++i].toInt(&ok);
            ok = ok && n >= 1 && n <= 3;
            if (ok) {
                setup.compasses.clear();
                for (int c = 0; c < n; ++c) {
                    SimulatedFlightController::MagCalCompass compass;
                    compass.compassId = uint8_t(c);
                    compass.durationMs = 3000 + 1000 * c;
                    setup.compasses.append(compass);
                }
            }
        } else if (o == QLatin1String("--drop") && hasValue) {
            drop = options[++i].toDouble(&ok);
            ok = ok && drop >= 0.0 && drop <= 1.0;
        } else if (o == QLatin1String("--duplicate") && hasValue) {
            duplicate = options[++i].toDouble(&ok);
            ok = ok && duplicate >= 0.0 && duplicate <= 1.0;
        } else if (o == QLatin1String("--corrupt") && hasValue) {
            corrupt = options[++i].toDouble(&ok);
            ok = ok && corrupt >= 0.0 && corrupt <= 1.0;
        } else if (o == QLatin1String("--baud") && hasValue) {
            setup.baud = options[++i].toInt(&ok);
            ok = ok && setup.baud >= 0;
        } else if (o == QLatin1String("--seed") && hasValue) {
            seed = options[++i].toUInt(&ok);
        } else if (o == QLatin1String("--params") && hasValue) {
            paramsFile = options[++i];
        } else {
            return fail(QStringLiteral("unknown sim option: %1\n%2").arg(o, usage()));
        }
        if (!ok)
            return fail(QStringLiteral("bad value for %1: %2").arg(o, options[i]));
    }

    if (!paramsFile.isEmpty()) {
        QString error;
        if (!SimulatedFlightController::loadParameterFile(paramsFile, &setup.table, &error))
            return fail(QStringLiteral("%1: %2").arg(paramsFile, error));
        if (setup.table.isEmpty())
            return fail(QStringLiteral("%1 holds no parameters").arg(paramsFile));
    }
    SimulatedFlightController sim(setup);
    sim.setDropProbability(drop);
    sim.setDuplicateProbability(duplicate);
    sim.setCorruptProbability(corrupt);
    sim.setSeed(seed);
    const bool encode = setup.encodedParams;
    const int baud = setup.baud;
    QString error;
    if (!sim.start(&error))
        return fail(QStringLiteral("cannot open a pseudo-terminal: %1").arg(error));
    printOut(sim.portPath());
    printErr(QStringLiteral("simulated flight controller: %1 parameters%2, %3 baud; Ctrl+C ends it")
                 .arg(sim.parameterCount())
                 .arg(encode ? QStringLiteral(", encoded") : QString())
                 .arg(baud));
    waitFor([] { return false; }, -1);
    sim.stop();
    return 0;
}
