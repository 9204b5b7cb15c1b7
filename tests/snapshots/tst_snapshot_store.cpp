// The snapshot store on its own: the file format reads back bit-exact, the identical snapshot is not written twice,
// retention keeps the newest and the first, damaged and incomplete snapshots are never restorable, and a folder that
// cannot be written fails cleanly.

#include "params/SnapshotStore.h"

#include <QtTest>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

QList<Parameter> sampleTable()
{
    return {{QStringLiteral("fw_version"), 1.0},
            {QStringLiteral("ATC_RAT_RLL_P"), double(0.045f)},
            {QStringLiteral("H_COL_MAX"), 1850.0},
            {QStringLiteral("NEG_ZERO"), -0.0}};
}

quint32 bits(float f)
{
    quint32 b = 0;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

QDateTime at(int second)
{
    return QDateTime(QDate(2026, 12, 7), QTime(10, 0, 0)).addSecs(second);
}

} // namespace

class TestSnapshotStore : public QObject
{
    Q_OBJECT

private slots:
    void boardIdsAndRoot();
    void valuesReadBackBitExact();
    void headerAndListing();
    void identicalOrIncompleteSnapshots();
    void sameSecondCounterAndRetention();
    void damagedSnapshotsAreUnreadable_data();
    void damagedSnapshotsAreUnreadable();
    void unwritableFolderFails();
};

void TestSnapshotStore::boardIdsAndRoot()
{
    QCOMPARE(SnapshotStore::boardId(QStringLiteral("0042A1B2"), QStringLiteral("ttyACM0")), QStringLiteral("0042A1B2"));
    QCOMPARE(SnapshotStore::boardId(QString(), QStringLiteral("/dev/ttyACM0")), QStringLiteral("dev_ttyACM0"));
    QCOMPARE(SnapshotStore::boardId(QStringLiteral("  "), QStringLiteral("COM3")), QStringLiteral("COM3"));
    QCOMPARE(SnapshotStore::boardId(QStringLiteral("../../etc"), QString()), QStringLiteral("etc"));
    QCOMPARE(SnapshotStore::boardId(QStringLiteral("a b:c\\d*?"), QString()), QStringLiteral("a_b_c_d"));
    QCOMPARE(SnapshotStore::boardId(QString(), QString()), QStringLiteral("unknown"));
    QVERIFY(SnapshotStore::boardId(QString(200, QLatin1Char('x')), QString()).size() <= 64);

    // The folder: the option, else the environment, else the user's data folder.
    const QByteArray saved = qgetenv(SnapshotStore::kEnvironmentVariable);
    qputenv(SnapshotStore::kEnvironmentVariable, "/tmp/from-env");
    QCOMPARE(SnapshotStore(QStringLiteral("/tmp/explicit")).root(), QStringLiteral("/tmp/explicit"));
    QCOMPARE(SnapshotStore().root(), QStringLiteral("/tmp/from-env"));
    qunsetenv(SnapshotStore::kEnvironmentVariable);
    QVERIFY(SnapshotStore().root().endsWith(QStringLiteral("/tavro/snapshots")));
    if (!saved.isEmpty())
        qputenv(SnapshotStore::kEnvironmentVariable, saved);
}

void TestSnapshotStore::valuesReadBackBitExact()
{
    QList<Parameter> table;
    const float special[] = {0.0f, -0.0f, 0.1f, 1e-45f, 1.17549435e-38f, std::numeric_limits<float>::max(),
                             -std::numeric_limits<float>::max(), 16777217.0f, 0.045f, 3.4028e38f};
    int n = 0;
    for (float f : special)
        table.append({QStringLiteral("S_%1").arg(n++), double(f)});
    QRandomGenerator rng(1234);
    while (table.size() < 3000) {
        const quint32 b = rng.generate();
        float f = 0.0f;
        std::memcpy(&f, &b, sizeof f);
        if (!std::isfinite(f))
            continue;
        table.append({QStringLiteral("R_%1").arg(n++), double(f)});
    }
    const SnapshotData back = SnapshotStore::parse(SnapshotStore::format({QStringLiteral("p"), QString(), true}, table, at(0)));
    QVERIFY2(back.info.readable, qPrintable(back.info.problem));
    QCOMPARE(back.parameters.size(), table.size());
    for (int i = 0; i < table.size(); ++i) {
        QCOMPARE(back.parameters[i].name, table[i].name);
        QCOMPARE(bits(float(back.parameters[i].value)), bits(float(table[i].value)));
    }
    QVERIFY(SnapshotStore::sameParameters(back.parameters, table));
    QCOMPARE(SnapshotStore::formatValue(0.1f), QStringLiteral("0.1"));
    QCOMPARE(SnapshotStore::formatValue(-0.0f), QStringLiteral("-0"));
}

void TestSnapshotStore::headerAndListing()
{
    QTemporaryDir dir;
    const SnapshotStore store(dir.path());
    const SnapshotSaveResult saved =
        store.save(QStringLiteral("B1"), {QStringLiteral("/dev/pts/7"), QString(), true}, sampleTable(), at(0));
    QCOMPARE(saved.status, SnapshotSaveResult::Written);
    QCOMPARE(saved.path, dir.path() + QStringLiteral("/B1/20261207-100000.param"));

    QFile f(saved.path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    QVERIFY(text.contains("# time: 2026-12-07T10:00:00"));
    QVERIFY(text.contains("# serial: none, the port name identifies the board\n"));
    QVERIFY(text.contains("# model: 1 Alder-V3\n"));
    QVERIFY(text.contains("\nATC_RAT_RLL_P,0.045\n"));

    const QList<SnapshotInfo> list = store.list(QStringLiteral("B1"));
    QCOMPARE(list.size(), 1);
    const SnapshotInfo& info = list.first();
    QVERIFY(info.readable && info.complete && info.first && info.restorable());
    QCOMPARE(info.count, 4);
    QCOMPARE(info.modelId, 1);
    QCOMPARE(info.modelName, QStringLiteral("Alder-V3"));
    QCOMPARE(info.port, QStringLiteral("/dev/pts/7"));
    QVERIFY(info.serialNumber.isEmpty());
    QCOMPARE(info.time, at(0));
    QCOMPARE(store.boards(), QStringList{QStringLiteral("B1")});
    // The loader's format: every value line is a NAME,VALUE line for it too.
    QCOMPARE(ParamFileParser::parse(text).entries.size(), 4);
}

void TestSnapshotStore::identicalOrIncompleteSnapshots()
{
    QTemporaryDir dir;
    const SnapshotStore store(dir.path());
    const SnapshotSource source{QStringLiteral("p"), QStringLiteral("SN1"), true};
    QCOMPARE(store.save(QStringLiteral("SN1"), source, sampleTable(), at(0)).status, SnapshotSaveResult::Written);
    // Another order, other header: still the same names and bits.
    QList<Parameter> reordered = sampleTable();
    std::reverse(reordered.begin(), reordered.end());
    QCOMPARE(store.save(QStringLiteral("SN1"), {QStringLiteral("q"), QStringLiteral("SN1"), true}, reordered, at(5)).status,
             SnapshotSaveResult::Identical);
    // One bit differs: a new snapshot.
    QList<Parameter> changed = sampleTable();
    changed[1].value = double(std::nextafter(0.045f, 1.0f));
    QCOMPARE(store.save(QStringLiteral("SN1"), source, changed, at(10)).status, SnapshotSaveResult::Written);
    // -0 and 0 are different bits.
    QList<Parameter> zero = changed;
    zero[3].value = 0.0;
    QCOMPARE(store.save(QStringLiteral("SN1"), source, zero, at(15)).status, SnapshotSaveResult::Written);
    QCOMPARE(store.list(QStringLiteral("SN1")).size(), 3);

    // An incomplete download is never restorable; the same values from a complete one are a snapshot of their own.
    QCOMPARE(store.save(QStringLiteral("B"), {QStringLiteral("p"), QString(), false}, sampleTable(), at(0)).status,
             SnapshotSaveResult::Written);
    QCOMPARE(store.save(QStringLiteral("B"), {QStringLiteral("p"), QString(), true}, sampleTable(), at(1)).status,
             SnapshotSaveResult::Written);
    const QList<SnapshotInfo> list = store.list(QStringLiteral("B"));
    QCOMPARE(list.size(), 2);
    QVERIFY(list[0].readable && !list[0].complete && !list[0].restorable());
    QVERIFY(list[1].restorable());
}

void TestSnapshotStore::sameSecondCounterAndRetention()
{
    QTemporaryDir dir;
    const SnapshotStore store(dir.path());
    QList<Parameter> table = sampleTable();
    QStringList paths;
    for (int i = 0; i < 11; ++i) {
        table[2].value = 1000.0 + i;
        paths.append(store.save(QStringLiteral("B"), {}, table, at(0)).path);
    }
    QVERIFY(paths[1].endsWith(QStringLiteral("/20261207-100000-2.param")));
    QVERIFY(paths[10].endsWith(QStringLiteral("/20261207-100000-11.param")));
    // Listed in the order taken, "-10" after "-9".
    const QList<SnapshotInfo> list = store.list(QStringLiteral("B"));
    QCOMPARE(list.size(), 11);
    for (int i = 0; i < list.size(); ++i)
        QCOMPARE(list[i].path, paths[i]);

    // Retention keeps the first and the newest; the eleven above count among them.
    for (int i = 1; i < SnapshotStore::kKeepNewest + 5; ++i) {
        table[2].value = 2000.0 + i;
        store.save(QStringLiteral("B"), {}, table, at(i * 60));
    }
    const QList<SnapshotInfo> kept = store.list(QStringLiteral("B"));
    QCOMPARE(kept.size(), SnapshotStore::kKeepNewest + 1);
    QCOMPARE(kept.first().path, paths.first());
    QVERIFY(kept.first().first);
    // After the first come the newest 100: snapshots 5 .. 104 minutes in.
    QCOMPARE(kept.at(1).time, at(5 * 60));
    QCOMPARE(kept.last().time, at((SnapshotStore::kKeepNewest + 4) * 60));
}

void TestSnapshotStore::damagedSnapshotsAreUnreadable_data()
{
    QTest::addColumn<QByteArray>("text");
    const QByteArray good = SnapshotStore::format({QStringLiteral("p"), QString(), true}, sampleTable(), at(0));
    QVERIFY(SnapshotStore::parse(good).info.readable);
    QTest::newRow("cut mid-line") << good.left(good.size() - 3);
    QTest::newRow("last line lost") << good.left(good.lastIndexOf('\n', good.size() - 2) + 1);
    QTest::newRow("count too high") << QByteArray(good).replace("# count: 4", "# count: 5");
    QTest::newRow("garbage value") << QByteArray(good).replace("H_COL_MAX,1850", "H_COL_MAX,18x0");
    QTest::newRow("value too large") << QByteArray(good).replace("H_COL_MAX,1850", "H_COL_MAX,1e40");
    QTest::newRow("bad name") << QByteArray(good).replace("H_COL_MAX,", "H-COL-MAX,");
    QTest::newRow("repeated name") << QByteArray(good).replace("H_COL_MAX,", "fw_version,");
    QTest::newRow("no header") << good.mid(good.indexOf("fw_version"));
    QTest::newRow("binary") << QByteArray("\x00\x01\x02\xff\n", 5);
    QTest::newRow("empty") << QByteArray();
}

void TestSnapshotStore::damagedSnapshotsAreUnreadable()
{
    QFETCH(QByteArray, text);
    QTemporaryDir dir;
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("B"))));
    QFile f(dir.filePath(QStringLiteral("B/20261207-100000.param")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
    f.close();
    const QList<SnapshotInfo> list = SnapshotStore(dir.path()).list(QStringLiteral("B"));
    QCOMPARE(list.size(), 1);
    QVERIFY(!list.first().readable);
    QVERIFY(!list.first().restorable());
    QVERIFY(!list.first().problem.isEmpty());
    QVERIFY(SnapshotStore::read(list.first().path).parameters.isEmpty());
}

void TestSnapshotStore::unwritableFolderFails()
{
    QTemporaryDir dir;
    QFile plain(dir.filePath(QStringLiteral("plain-file")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    const SnapshotStore store(dir.filePath(QStringLiteral("plain-file/snapshots")));
    const SnapshotSaveResult r = store.save(QStringLiteral("B"), {}, sampleTable(), at(0));
    QCOMPARE(r.status, SnapshotSaveResult::Failed);
    QVERIFY(r.error.contains(QStringLiteral("plain-file")));
    QVERIFY(store.list(QStringLiteral("B")).isEmpty());
    QVERIFY(store.boards().isEmpty());
    QString error;
    QVERIFY(!SnapshotStore::writeFile(dir.filePath(QStringLiteral("plain-file/x.param")), {}, sampleTable(), at(0), &error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestSnapshotStore)
#include "tst_snapshot_store.moc"
