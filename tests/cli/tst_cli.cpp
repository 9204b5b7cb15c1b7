// tavro-cli in its own process against the simulated flight controller over a
// pseudo-terminal: bad files refused before the first write, the account of
// every batch (a stalled flight controller, Ctrl+C and SIGTERM in the
// middle), files written whole or not at all, diff's exit codes.
#include "link/MavlinkCodec.h"
#include "link/MavlinkMessages.h"
#include "params/SnapshotStore.h"
#include "sim/HeliParameterTable.h"
#include "sim/SimulatedFlightController.h"

#include <QRegularExpression>
#include <QtTest>

#include <charconv>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct CliRun
{
    int exitCode = -1;
    QString out, err;
};

// tavro-cli in its own process, its snapshots in a folder of the test's own.
class Cli
{
public:
    explicit Cli(const QString &snapshotDir)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TAVRO_SNAPSHOT_DIR"), snapshotDir);
        m_process.setProcessEnvironment(env);
    }

    bool start(const QStringList &arguments)
    {
        m_process.start(QStringLiteral(TAVRO_CLI), arguments);
        return m_process.waitForStarted(10000);
    }
    QProcess &process() { return m_process; }

    CliRun finish(int timeoutMs = 60000)
    {
        CliRun r;
        if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(timeoutMs)) {
            m_process.kill();
            m_process.waitForFinished();
            r.err = QStringLiteral("did not finish");
            return r;
        }
        r.exitCode = m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
        r.out = QString::fromUtf8(m_process.readAllStandardOutput());
        r.err = QString::fromUtf8(m_process.readAllStandardError());
        return r;
    }

    CliRun run(const QStringList &arguments) { return start(arguments) ? finish() : CliRun(); }

private:
    QProcess m_process;
};

// The three counts of a batch's account.
struct Account
{
    bool found = false;
    int total = 0, confirmed = 0, unconfirmed = 0, notSent = 0;
    QStringList confirmedNames, unconfirmedNames, notSentNames;
};

QStringList namesOf(const QString &err, const QString &label)
{
    const QRegularExpression re(QStringLiteral("^%1 \\(\\d+\\): (.*?)( -- .*)?$").arg(QRegularExpression::escape(label)),
                                QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = re.match(err);
    QStringList names;
    if (!m.hasMatch())
        return names;
    for (const QString &item : m.captured(1).split(QStringLiteral(", ")))
        names << item.section(QLatin1Char('='), 0, 0).section(QLatin1Char(' '), 0, 0);
    return names;
}

Account accountOf(const QString &err)
{
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral(
        "(\\d+) writes?: (\\d+) confirmed, (\\d+) sent but not confirmed, (\\d+) not sent")).match(err);
    if (!m.hasMatch())
        return {};
    return {true, m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt(),
            namesOf(err, QStringLiteral("confirmed")), namesOf(err, QStringLiteral("sent but not confirmed")),
            namesOf(err, QStringLiteral("not sent"))};
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile f(dir.filePath(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return QString();
    return f.fileName();
}

// Everything sent to the simulator before this call has been handled once it
// returns true: a read request goes in behind it and the simulator records it.
bool settle(SimulatedFlightController &sim)
{
    const int fd = ::open(sim.portPath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    mavlink_param_request_read_t probe{};
    probe.param_index = -2;
    probe.target_system = probe.target_component = 1;
    std::memcpy(probe.param_id, "SETTLE_PROBE", 12);
    MavlinkCodec codec;
    uint8_t buf[MavlinkCodec::kMaxFrameSize];
    const int n = codec.encode(buf, probe, 255, 190);
    const bool written = ::write(fd, buf, size_t(n)) == n;
    bool seen = false;
    for (int i = 0; written && i < 500 && !seen; ++i) {
        seen = sim.readRequests().contains(-2);
        if (!seen)
            QTest::qWait(10);
    }
    ::close(fd);
    return seen;
}

// The account in `err` of a batch of `total` writes: its three counts add up,
// and every value the flight controller changed since `before` is among the
// confirmed or the unknown ones (nothing changed without a word).
void checkAccount(const QString &err, int total, const QList<SimParameter> &before,
                  const QList<SimParameter> &after, Account *a)
{
    *a = accountOf(err);
    QVERIFY2(a->found, qPrintable(err));
    QCOMPARE(a->total, total);
    QCOMPARE(a->confirmed + a->unconfirmed + a->notSent, total);
    QSet<QString> changed;
    for (int i = 0; i < before.size() && i < after.size(); ++i)
        if (before[i].value != after[i].value)
            changed.insert(before[i].name);
    const QSet<QString> covered = QSet<QString>(a->confirmedNames.cbegin(), a->confirmedNames.cend())
                                  + QSet<QString>(a->unconfirmedNames.cbegin(), a->unconfirmedNames.cend());
    QVERIFY(changed.size() >= a->confirmed);
    for (const QString &name : changed)
        QVERIFY2(covered.contains(name), qPrintable(name + " changed without a word\n" + err));
}

// `count` floating-point parameters of the default table, each set to a new value.
QByteArray batchFile(int count)
{
    QByteArray text = "# a batch of new values\n";
    int n = 0;
    for (const SimParameter &p : HeliParameterTable::build()) {
        if (p.type != SimParameter::Real32 || p.name == QLatin1String("fw_version"))
            continue;
        text += p.name.toLatin1() + ',' + QByteArray::number(double(p.value) * 2.0 + 1.25) + '\n';
        if (++n == count)
            break;
    }
    return text;
}

SimulatedFlightController::Options encodedSetup(int baud)
{
    // The demo's set-up (encoded names and values, as the real flight
    // controller sends them) without its sweeping sticks.
    SimulatedFlightController::Options setup = SimulatedFlightController::Options::demo();
    setup.stickSweep = false;
    setup.baud = baud;
    return setup;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_snapshots.isValid());
        QVERIFY(m_files.isValid());
    }

    // Every bad input is refused whole: exit 2, a message naming the fault,
    // and not one PARAM_SET reaches the flight controller. (Each kind of bad
    // line has its message checked in the file checker's own test.)
    void badInputWritesNothing_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("fragment");

        QByteArray garbage;
        quint32 x = 99;
        for (int i = 0; i < 100 * 1024; ++i) {
            x = x * 1664525u + 1013904223u;
            garbage += char(x >> 24);
        }
        garbage.replace('\0', 'x');   // no NUL: read line by line, not refused as binary
        QByteArray utf16("\xff\xfe");
        for (char c : QByteArray("ATC_RAT_YAW_P,0.2\n"))
            utf16 += QByteArray(1, c) + QByteArray(1, '\0');
        const QByteArray good = "ATC_RAT_YAW_P,0.2\nH_COL_MAX,1800\n";
        const QStringList load{"load"}, restore{"restore"}, diff{"diff"};

        QTest::newRow("garbage") << load << garbage << "... and ";
        QTest::newRow("UTF-16") << load << utf16 << "is UTF-16 LE text, parameter files must be UTF-8";
        QTest::newRow("NUL in the first line") << load << QByteArray("ATC_RAT_YAW_P\0,1\n", 17)
                                               << "NUL bytes in its first line";
        QTest::newRow("unknown name") << load << good + "NOPE_PARAM,1\n" << "line 3: unknown parameter: NOPE_PARAM";
        QTest::newRow("mixed valid and invalid") << load << good + "BAD LINE\nH_COL_MIN,abc\nX.Y,1\n"
                                                 << "3 errors; nothing written";
        QTest::newRow("escape bytes") << load << QByteArray("\x1b]0;pwned\x07\x1b[2J,1\n") << "\\x1b]0;pwned\\x07";
        QTest::newRow("3.9 MB line") << load << "ATC_RAT_YAW_P," + QByteArray(3900 * 1024, '9') + "\n"
                                     << "beyond the range";
        QTest::newRow("only comments") << load << QByteArray("# nothing\n\n") << "holds no parameters to write";
        QTest::newRow("restore with an error") << restore << good + "H_COL_MAX,1e-50\n" << "nothing written";
        QTest::newRow("diff of a UTF-16 file") << diff << utf16 << "UTF-16 LE";
        // set NAME VALUE: no file.
        QTest::newRow("set 1e-50") << QStringList{"set", "ATC_RAT_YAW_P", "1e-50"} << QByteArray()
                                   << "too small for a 32-bit float";
        QTest::newRow("set unknown name") << QStringList{"set", "NOPE_PARAM", "1"} << QByteArray()
                                          << "unknown parameter: NOPE_PARAM";
    }

    void badInputWritesNothing()
    {
        QFETCH(QStringList, command);
        QFETCH(QByteArray, file);
        QFETCH(QString, fragment);
        SimulatedFlightController sim(encodedSetup(0));
        QVERIFY(sim.start());
        QStringList arguments = QStringList{"--port", sim.portPath()} + command;
        if (!file.isNull()) {
            arguments << writeFile(m_files, QStringLiteral("bad.param"), file);
            QVERIFY(!arguments.last().isEmpty());
        }
        Cli cli(m_snapshots.path());
        const CliRun r = cli.run(arguments);
        QVERIFY2(r.exitCode == 2, qPrintable(QString::number(r.exitCode) + ": " + r.err));
        QVERIFY2(r.err.contains(fragment), qPrintable(r.err));
        // Never raw file content on the terminal, never more than 20 problems.
        QVERIFY2(!r.err.contains(QChar(0x1b)) && !r.err.contains(QChar(0)), qPrintable(r.err));
        QVERIFY2(r.err.count(QLatin1Char('\n')) <= 23, qPrintable(QString::number(r.err.count('\n'))));
        QVERIFY2(r.err.size() < 6000, qPrintable(QString::number(r.err.size())));
        QVERIFY(settle(sim));
        QCOMPARE(sim.paramSets().size(), 0);
    }

    // tavro-cli sim in a process of its own: a bad option refused, the demo
    // set-up (encoded names) offered on a pseudo-terminal, Ctrl+C ends it.
    void simulatorProcessAndSet()
    {
        Cli cli(m_snapshots.path());
        const CliRun bad = cli.run({"sim", "--compasses", "4"});
        QCOMPARE(bad.exitCode, 1);
        QVERIFY(bad.err.contains("bad value for --compasses"));
        Cli simProcess(m_snapshots.path());
        QVERIFY(simProcess.start({"sim", "--demo", "--baud", "0"}));
        QTRY_VERIFY_WITH_TIMEOUT(simProcess.process().canReadLine(), 10000);
        const QString path = QString::fromLocal8Bit(simProcess.process().readLine()).trimmed();
        QVERIFY2(path.startsWith("/dev/"), qPrintable(path));
        // FLTMODE1 is there by its name.
        const CliRun set = cli.run({"--port", path, "set", "FLTMODE1", "4"});
        QVERIFY2(set.exitCode == 0, qPrintable(set.err));
        QCOMPARE(set.out.trimmed(), QStringLiteral("FLTMODE1,4"));
        ::kill(pid_t(simProcess.process().processId()), SIGINT);
        const CliRun ended = simProcess.finish(10000);
        QCOMPARE(ended.exitCode, 0);
        QVERIFY(ended.err.contains("encoded"));
    }

    // Exit 0 only for "applied exactly as written"; --skip-invalid writes the
    // valid lines and says what it skipped; a value the flight controller
    // keeps otherwise is named with what it keeps.
    void accountsOfCompleteBatches()
    {
        SimulatedFlightController sim(encodedSetup(0));
        QVERIFY(sim.start());
        Cli cli(m_snapshots.path());
        const QString good = writeFile(m_files, "good.param",
                                       "ATC_RAT_YAW_P,0.292\nH_COL_MAX,1800\nATC_RAT_YAW_P,0.292\n");
        CliRun r = cli.run({"--port", sim.portPath(), "load", good});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY2(r.err.contains("note: ATC_RAT_YAW_P repeats line 1 with the same value"), qPrintable(r.err));
        QVERIFY2(r.err.contains("load: 2 writes: 2 confirmed, 0 sent but not confirmed, 0 not sent"), qPrintable(r.err));
        float held = 0.0f;
        QVERIFY(sim.parameterValue("ATC_RAT_YAW_P", &held));
        QCOMPARE(held, 0.292f);

        sim.clearObservations();
        const QString mixed = writeFile(m_files, "mixed.param", "H_COL_MAX,1750\nNOPE_PARAM,1\nH_COL_MIN,abc\n");
        r = cli.run({"--port", sim.portPath(), "load", "--skip-invalid", mixed});
        QVERIFY2(r.exitCode == 1, qPrintable(r.err));
        QVERIFY2(r.err.contains("2 errors; the lines in error are skipped"), qPrintable(r.err));
        QVERIFY2(r.err.contains("load: 1 write: 1 confirmed"), qPrintable(r.err));
        QVERIFY(settle(sim));
        QCOMPARE(sim.paramSets().size(), 1);
        QCOMPARE(sim.paramSets().first().first, QStringLiteral("H_COL_MAX"));

        // An 8-bit parameter clamps 300: the echo names what it keeps.
        const QString clamped = writeFile(m_files, "clamped.param", "SERVO1_REVERSED,300\nH_COL_MAX,1760\n");
        r = cli.run({"--port", sim.portPath(), "load", clamped});
        QVERIFY2(r.exitCode == 1, qPrintable(r.err));
        QVERIFY2(r.err.contains("sent but not confirmed (1): SERVO1_REVERSED=300 (the flight controller keeps"),
                 qPrintable(r.err));
        QVERIFY2(r.err.contains("1 confirmed, 1 sent but not confirmed, 0 not sent"), qPrintable(r.err));

        r = cli.run({"--port", sim.portPath(), "set", "H_COL_MAX", "1700"});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out.trimmed(), QStringLiteral("H_COL_MAX,1700"));
        QVERIFY2(r.err.contains("set: 1 write: 1 confirmed"), qPrintable(r.err));
    }

    // The flight controller stalls for 5 s in the middle of a batch: sending
    // stops, the three counts add up to the batch, and every value the
    // flight controller changed (also those it applied after resuming) is
    // among the confirmed or the unknown ones.
    void stalledFlightController()
    {
        SimulatedFlightController sim(encodedSetup(SimulatedFlightController::kDefaultBaud));
        QVERIFY(sim.start());
        const QList<SimParameter> before = sim.parameters();
        const QString file = writeFile(m_files, "batch.param", batchFile(300));
        sim.setPauseAfterParamSets(60);
        Cli cli(m_snapshots.path());
        QVERIFY(cli.start({"--port", sim.portPath(), "load", file}));
        QTRY_VERIFY_WITH_TIMEOUT(sim.isPaused(), 30000);
        bool resumed = false;
        QTimer::singleShot(5000, [&] {
            sim.setPaused(false);
            resumed = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(cli.process().state() == QProcess::NotRunning, 20000);
        const CliRun r = cli.finish();
        QTRY_VERIFY_WITH_TIMEOUT(resumed, 10000);
        QVERIFY(settle(sim));

        QVERIFY2(r.exitCode == 1, qPrintable(r.err));
        Account a;
        checkAccount(r.err, 300, before, sim.parameters(), &a);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(a.confirmedNames.size(), a.confirmed);
        QCOMPARE(a.unconfirmedNames.size(), a.unconfirmed);
        QCOMPARE(a.notSentNames.size(), a.notSent);
        QVERIFY2(r.err.contains("the flight controller may have applied these; a new download shows their values"),
                 qPrintable(r.err));
        // Sending stopped: no more than the writes in flight are of unknown outcome.
        QVERIFY2(a.unconfirmed >= 1 && a.unconfirmed <= 8, qPrintable(r.err));
        QVERIFY2(a.notSent >= 200, qPrintable(r.err));
    }

    // A flight controller that keeps talking but ignores every write: the
    // batch stops after the writes in flight and says why.
    void writesIgnored()
    {
        SimulatedFlightController sim(encodedSetup(0));
        QVERIFY(sim.start());
        sim.setIgnoredParamSets(1000);
        const QString file = writeFile(m_files, "ignored.param", batchFile(40));
        Cli cli(m_snapshots.path());
        const CliRun r = cli.run({"--port", sim.portPath(), "load", file});
        QVERIFY2(r.exitCode == 1, qPrintable(r.err));
        QVERIFY2(r.err.contains("(the flight controller stopped answering)"), qPrintable(r.err));
        const Account a = accountOf(r.err);
        QVERIFY2(a.found && a.total == 40 && a.confirmed == 0, qPrintable(r.err));
        QVERIFY2(a.unconfirmed >= 1 && a.unconfirmed <= 8 && a.unconfirmed + a.notSent == 40, qPrintable(r.err));
    }

    // Ctrl+C or SIGTERM in the middle of a batch: sending stops, the echoes
    // already due are waited for (at most 1 s), the account is printed, exit
    // 130. Interrupted during the download, before any write: 130 too.
    void interrupted_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("batch");   // 0: during the download
        QTest::newRow("Ctrl+C in a batch") << int(SIGINT) << 600;
        QTest::newRow("SIGTERM in a batch") << int(SIGTERM) << 600;
        QTest::newRow("Ctrl+C in the download") << int(SIGINT) << 0;
    }
    void interrupted()
    {
        QFETCH(int, signal);
        QFETCH(int, batch);
        SimulatedFlightController sim(encodedSetup(SimulatedFlightController::kDefaultBaud));
        QVERIFY(sim.start());
        const QList<SimParameter> before = sim.parameters();
        const QString file = writeFile(m_files, "interrupted.param", batch ? batchFile(batch) : "H_COL_MAX,1790\n");
        Cli cli(m_snapshots.path());
        QVERIFY(cli.start({"--port", sim.portPath(), "load", file}));
        if (batch)
            QTRY_VERIFY_WITH_TIMEOUT(sim.paramSets().size() >= 40, 30000);
        else
            QTRY_VERIFY_WITH_TIMEOUT(sim.paramValuesSent() >= 200, 30000);
        QElapsedTimer sinceSignal;
        sinceSignal.start();
        ::kill(pid_t(cli.process().processId()), signal);
        const CliRun r = cli.finish(10000);
        QVERIFY2(sinceSignal.elapsed() < 2500, qPrintable(QString::number(sinceSignal.elapsed())));
        QVERIFY(settle(sim));
        QVERIFY2(r.exitCode == 130, qPrintable(QString::number(r.exitCode) + ": " + r.err));
        if (!batch) {
            QVERIFY2(r.err.contains("interrupted"), qPrintable(r.err));
            QCOMPARE(sim.paramSets().size(), 0);
            return;
        }
        QVERIFY2(r.err.contains("(interrupted)"), qPrintable(r.err));
        Account a;
        checkAccount(r.err, batch, before, sim.parameters(), &a);
        if (QTest::currentTestFailed())
            return;
        QVERIFY2(a.confirmed >= 30 && a.notSent > 0, qPrintable(r.err));
    }

    // params --out: the file appears whole after a complete download; a link
    // cut halfway leaves no file, and an existing one as it was. diff: 0
    // equal, 1 different (each difference and the count), 2 error.
    void paramsOutAndDiff()
    {
        QTemporaryDir dir;
        const QString existing = writeFile(dir, "existing.param", "KEEP_ME,1\n");
        const QString fresh = dir.filePath("fresh.param");
        Cli cli(m_snapshots.path());
        for (const QString &target : {existing, fresh}) {
            SimulatedFlightController sim(encodedSetup(SimulatedFlightController::kDefaultBaud));
            QVERIFY(sim.start());
            QVERIFY(cli.start({"--port", sim.portPath(), "params", "--out", target}));
            QTRY_VERIFY_WITH_TIMEOUT(sim.paramValuesSent() >= 600, 30000);
            sim.stop();   // the cable pulled halfway
            const CliRun r = cli.finish(20000);
            QVERIFY2(r.exitCode == 1, qPrintable(QString::number(r.exitCode) + ": " + r.err));
            QVERIFY2(r.err.contains("; " + target + " not written"), qPrintable(r.err));
        }
        QFile kept(existing);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("KEEP_ME,1\n"));
        QVERIFY(!QFile::exists(fresh));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"existing.param"});

        SimulatedFlightController sim(encodedSetup(0));
        QVERIFY(sim.start());
        CliRun r = cli.run({"--port", sim.portPath(), "params", "--out", existing});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        kept.close();
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll().count('\n'), qsizetype(HeliParameterTable::kCount));

        r = cli.run({"--port", sim.portPath(), "diff", existing});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out.trimmed(), QStringLiteral("0 parameters differ"));

        const QString changed = writeFile(m_files, "changed.param", "H_COL_MAX,1751\nATC_RAT_YAW_P,0.18\n");
        sim.setParameters([] {
            QList<SimParameter> t = HeliParameterTable::build();
            for (SimParameter &p : t) {
                if (p.name == QLatin1String("H_COL_MAX"))
                    p.value = 1750.0f;
                if (p.name == QLatin1String("ATC_RAT_YAW_P"))
                    p.value = 0.18f;
            }
            return t;
        }());
        r = cli.run({"--port", sim.portPath(), "diff", changed});
        QVERIFY2(r.exitCode == 1, qPrintable(r.err));
        QCOMPARE(r.out, QStringLiteral("H_COL_MAX: 1750 -> 1751\n1 parameter differs\n"));

        r = cli.run({"--port", sim.portPath(), "diff", m_files.filePath("missing.param")});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains("cannot open"), qPrintable(r.err));
        r = cli.run({"--port", m_files.filePath("no-such-port"), "diff", changed});
        QCOMPARE(r.exitCode, 2);
        QVERIFY(settle(sim));
        QCOMPARE(sim.paramSets().size(), 0);
    }

    // restore takes a snapshot first and writes only the parameters that
    // differ, each confirmed; snapshots lists what the folder holds; a
    // damaged or incomplete snapshot is never restored.
    void snapshotsAndRestore()
    {
        SimulatedFlightController sim(encodedSetup(0));
        QVERIFY(sim.start());
        QTemporaryDir snapshots;
        QList<Parameter> wanted;
        for (const SimParameter &p : sim.parameters()) {
            float v = p.value;
            if (p.name == QLatin1String("ATC_RAT_YAW_P") || p.name == QLatin1String("H_COL_MAX")
                || p.name == QLatin1String("ATC_ACCEL_Y_MAX"))
                v += 2.0f;
            wanted.append(Parameter{p.name, double(v)});
        }
        const QDateTime time(QDate(2026, 1, 2), QTime(3, 4, 5));
        SnapshotSource source;
        source.port = QStringLiteral("ttyACM0");
        const QByteArray snapshot = SnapshotStore::format(source, wanted, time);
        const QString file = writeFile(m_files, "snapshot.param", snapshot);
        Cli cli(snapshots.path());
        CliRun r = cli.run({"--port", sim.portPath(), "restore", file});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("restore: 3 of %1 parameters differ").arg(HeliParameterTable::kCount)),
                 qPrintable(r.err));
        QVERIFY2(r.err.contains("restore: 3 writes: 3 confirmed, 0 sent but not confirmed, 0 not sent"), qPrintable(r.err));
        QVERIFY2(r.err.contains("snapshot of the table before writing: " + snapshots.path()), qPrintable(r.err));
        QVERIFY(settle(sim));
        QStringList written;
        for (const auto &set : sim.paramSets())
            written << set.first;
        written.sort();
        QCOMPARE(written, (QStringList{"ATC_ACCEL_Y_MAX", "ATC_RAT_YAW_P", "H_COL_MAX"}));

        // The snapshot holds the table as it was before the restore.
        r = cli.run({"snapshots"});
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[1].contains(QStringLiteral("%1 parameters, complete").arg(HeliParameterTable::kCount))
                     && lines[1].contains("(the first"), qPrintable(r.out));
        const QString taken = lines[1].trimmed().section(QLatin1Char(' '), 0, 0);
        const SnapshotData before = SnapshotStore::read(taken);
        QVERIFY2(before.info.restorable(), qPrintable(before.info.problem));
        QCOMPARE(before.parameters.size(), qsizetype(HeliParameterTable::kCount));
        for (const Parameter &p : before.parameters)
            if (p.name == QLatin1String("H_COL_MAX"))
                QCOMPARE(float(p.value), 1750.0f);

        // Nothing differs any more: nothing written, exit 0.
        sim.clearObservations();
        r = cli.run({"--port", sim.portPath(), "restore", file});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY2(r.err.contains("restore: 0 of"), qPrintable(r.err));

        // Cut short, or an incomplete download: refused before the link is touched.
        const QString cut = writeFile(m_files, "cut.param", snapshot.left(snapshot.size() - 30));
        r = cli.run({"--port", sim.portPath(), "restore", cut});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains("is not a readable snapshot"), qPrintable(r.err));
        source.complete = false;
        const QString incomplete = writeFile(m_files, "incomplete.param", SnapshotStore::format(source, wanted, time));
        r = cli.run({"--port", sim.portPath(), "restore", incomplete});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains("incomplete download and is never restored as a whole"), qPrintable(r.err));
        QVERIFY(settle(sim));
        QCOMPARE(sim.paramSets().size(), 0);

        // A snapshot folder that cannot be written: one warning, the load goes on.
        const QString blocker = writeFile(m_files, "blocker", "a file, not a folder\n");
        const QString load = writeFile(m_files, "one.param", "H_COL_MAX,1770\n");
        r = cli.run({"--port", sim.portPath(), "--snapshot-dir", blocker + "/snapshots", "load", load});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY2(r.err.contains("warning: no snapshot taken"), qPrintable(r.err));
    }

private:
    QTemporaryDir m_snapshots;
    QTemporaryDir m_files;
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
