// The download and write bookkeeping of the link, without a port: names and
// values as the flight controller sends them, the completion rule, the
// recovery of missing indices and the confirmation of writes.
#include "link/ParamTransfer.h"

#include <QtTest>

#include <cstring>

namespace {

mavlink_param_value_t valueMessage(const QByteArray &id, float value)
{
    mavlink_param_value_t m {};
    std::memcpy(m.param_id, id.constData(), std::min<size_t>(16, size_t(id.size())));
    m.param_value = value;
    return m;
}

// Ticks until something happens (at most `limit`); returns the actions and
// the number of ticks it took.
ParamTransfer::TickActions tickUntilAction(ParamTransfer &t, int limit, int *ticks)
{
    for (int i = 1; i <= limit; ++i) {
        ParamTransfer::TickActions a = t.tick(false);
        if (a.finish || !a.readRequests.isEmpty() || a.resendList || a.listFailed
            || !a.writeResends.isEmpty() || !a.writeFailures.isEmpty()) {
            *ticks = i;
            return a;
        }
    }
    *ticks = limit + 1;
    return {};
}

} // namespace

class TestParamTransfer : public QObject
{
    Q_OBJECT

private slots:
    void namesAndValues_data();
    void namesAndValues();
    void nameValidity();
    void encodeNameRoundTrip();

    void completionCountsDistinctIndices();
    void quietWaitRestartsOnEveryMessage();
    void outOfRangeAndChangedCounts();
    void missingIndicesAskedForThenReported();
    void atMostTenRequestsOutstanding();
    void valuesWithoutADownloadNeverRequest();
    void unansweredListRequest();

    void writeConfirmation_data();
    void writeConfirmation();
    void writeRetriesThenFails();
    void newerWriteReplacesOlder();
    void staleEchoesOfSupersededWrites();
};

void TestParamTransfer::namesAndValues_data()
{
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<float>("sent");
    QTest::addColumn<QString>("name");
    QTest::addColumn<float>("value");
    QTest::addColumn<bool>("valid");

    char encoded[16];
    ParamTransfer::encodeName("ATC_RAT_YAW_P", encoded);
    QTest::newRow("encoded name, value x 12")
        << QByteArray(encoded, 13) << 0.18f * 12.0f << "ATC_RAT_YAW_P" << 0.18f << true;
    // The decoded form of "H_COL_MAX" has '@' at position 4: the plain name is taken.
    QTest::newRow("plain name whose decoded form is invalid")
        << QByteArray("H_COL_MAX") << 24.0f << "H_COL_MAX" << 24.0f << true;
    // Capitals from D on at even positions, up to X at odd ones: the decoded
    // form is valid too and wins, with the value divided by 12.
    QTest::newRow("plain name that also decodes")
        << QByteArray("FLTMODE1") << 6.0f << "CNQOLFB3" << 0.5f << true;
    QTest::newRow("16 characters without a terminator")
        << QByteArray("COMPASS_DISBLMSK") << 3.0f << "COMPASS_DISBLMSK" << 3.0f << true;
    QTest::newRow("neither form valid")
        << QByteArray("BAD.NAME") << 1.0f << QString() << 0.0f << false;
    QTest::newRow("empty") << QByteArray() << 1.0f << QString() << 0.0f << false;
}

void TestParamTransfer::namesAndValues()
{
    QFETCH(QByteArray, id);
    QFETCH(float, sent);
    QFETCH(QString, name);
    QFETCH(float, value);
    QFETCH(bool, valid);

    const ParamTransfer::Decoded d = ParamTransfer::decode(valueMessage(id, sent));
    QCOMPARE(d.valid, valid);
    if (valid) {
        QCOMPARE(d.name, name);
        QCOMPARE(d.value, value);
    }
    QCOMPARE(d.rawName, QString::fromLatin1(id.left(16)));
    QCOMPARE(d.rawValue, sent);
}

void TestParamTransfer::nameValidity()
{
    QVERIFY(ParamTransfer::isValidName(QStringLiteral("ATC_RAT_YAW_P")));
    QVERIFY(ParamTransfer::isValidName(QStringLiteral("fw_version")));
    QVERIFY(ParamTransfer::isValidName(QStringLiteral("COMPASS_DISBLMSK")));
    QVERIFY(!ParamTransfer::isValidName(QStringLiteral("COMPASS_DISBLMSK1")));   // 17: would be cut
    QVERIFY(!ParamTransfer::isValidName(QString()));
    QVERIFY(!ParamTransfer::isValidName(QStringLiteral("A.B")));
    QVERIFY(!ParamTransfer::isValidName(QStringLiteral("RC1 MIN")));
    QVERIFY(!ParamTransfer::isValidName(QStringLiteral("RC1_MÏN")));
}

void TestParamTransfer::encodeNameRoundTrip()
{
    char encoded[16];
    ParamTransfer::encodeName("LOIT_BRK_ACCEL", encoded);
    QCOMPARE(QByteArray(encoded, 4), QByteArray("OMLR"));   // L+3 O-2 I+3 T-2
    const ParamTransfer::Decoded d = ParamTransfer::decode(valueMessage(QByteArray(encoded, 14), 3000.0f));
    QCOMPARE(d.name, QStringLiteral("LOIT_BRK_ACCEL"));
    QCOMPARE(d.value, 250.0f);
}

void TestParamTransfer::completionCountsDistinctIndices()
{
    ParamTransfer t;
    t.startDownload();
    QVERIFY(t.noteValue(0, 3));
    QVERIFY(!t.noteValue(0, 3));   // a duplicate does not count
    QVERIFY(t.noteValue(1, 3));
    QCOMPARE(t.receivedParams, 2u);

    // Three messages for a total of three, but index 2 never came: no
    // completion; after the quiet period index 2 is asked for.
    int ticks = 0;
    ParamTransfer::TickActions a = tickUntilAction(t, 100, &ticks);
    QCOMPARE(ticks, ParamTransfer::kQuietTicks + 1);   // the first tick sees the messages
    QVERIFY(!a.finish);
    QCOMPARE(a.readRequests, QList<uint16_t>{2});

    QVERIFY(t.noteValue(2, 3));
    QCOMPARE(t.receivedParams, 3u);
    QVERIFY(t.takeReadRequests().isEmpty());
    a = tickUntilAction(t, 100, &ticks);
    QVERIFY(a.finish);
    QVERIFY(a.missing.isEmpty());
    QVERIFY(t.paramReadFinished);

    // Later values change nothing and never finish twice.
    QVERIFY(!t.noteValue(1, 3));
    a = tickUntilAction(t, 100, &ticks);
    QVERIFY(!a.finish);
    QCOMPARE(t.receivedParams, 3u);
}

void TestParamTransfer::quietWaitRestartsOnEveryMessage()
{
    ParamTransfer t;
    t.startDownload();
    for (uint16_t i = 0; i < 3; ++i)
        t.noteValue(i, 3);
    for (int i = 0; i < 10; ++i)
        QVERIFY(!t.tick(false).finish);
    t.noteValue(1, 3);   // a repeated message still restarts the wait
    int ticks = 0;
    const ParamTransfer::TickActions a = tickUntilAction(t, 100, &ticks);
    QVERIFY(a.finish);
    QCOMPARE(ticks, ParamTransfer::kQuietTicks + 1);
}

void TestParamTransfer::outOfRangeAndChangedCounts()
{
    ParamTransfer t;
    t.startDownload();
    QVERIFY(!t.noteValue(65535, 3));   // an unrequested value outside the table
    QCOMPARE(t.receivedParams, 0u);
    t.noteValue(0, 3);
    t.noteValue(2, 3);
    QCOMPARE(t.receivedParams, 2u);
    // The flight controller now announces two parameters: index 2 is outside.
    t.noteValue(1, 2);
    QCOMPARE(t.totalParams(), uint16_t(2));
    QCOMPARE(t.receivedParams, 2u);
    int ticks = 0;
    QVERIFY(tickUntilAction(t, 100, &ticks).finish);
}

void TestParamTransfer::missingIndicesAskedForThenReported()
{
    ParamTransfer t;
    t.startDownload();
    t.noteValue(0, 3);
    QMap<int, int> asked;
    ParamTransfer::TickActions a;
    int rounds = 0;
    for (;;) {
        int ticks = 0;
        a = tickUntilAction(t, 100, &ticks);
        QCOMPARE(ticks, ParamTransfer::kQuietTicks + (rounds == 0 ? 1 : 0));
        if (a.finish)
            break;
        for (uint16_t i : a.readRequests)
            ++asked[i];
        QVERIFY(++rounds <= ParamTransfer::kMaxReadAttempts);
    }
    QCOMPARE(asked.value(1), ParamTransfer::kMaxReadAttempts);
    QCOMPARE(asked.value(2), ParamTransfer::kMaxReadAttempts);
    QCOMPARE(a.missing, (QList<int>{1, 2}));
    QCOMPARE(t.receivedParams, 1u);
}

void TestParamTransfer::atMostTenRequestsOutstanding()
{
    ParamTransfer t;
    t.startDownload();
    t.noteValue(0, 30);
    int ticks = 0;
    ParamTransfer::TickActions a = tickUntilAction(t, 100, &ticks);
    QCOMPARE(a.readRequests.size(), ParamTransfer::kMaxOutstandingReads);
    QCOMPARE(a.readRequests.first(), uint16_t(1));
    QCOMPARE(a.readRequests.last(), uint16_t(10));
    // Every answer frees one slot for the next missing index.
    QVERIFY(t.noteValue(5, 30));
    QCOMPARE(t.takeReadRequests(), QList<uint16_t>{11});
    QVERIFY(t.takeReadRequests().isEmpty());
    // An answer that was not asked for frees nothing.
    QVERIFY(t.noteValue(20, 30));
    QVERIFY(t.takeReadRequests().isEmpty());
}

void TestParamTransfer::valuesWithoutADownloadNeverRequest()
{
    ParamTransfer t;   // values arriving without a list request
    t.noteValue(0, 3);
    t.noteValue(1, 3);
    int ticks = 0;
    QVERIFY(tickUntilAction(t, 60, &ticks).readRequests.isEmpty());
    QCOMPARE(ticks, 61);
    t.noteValue(2, 3);
    QVERIFY(tickUntilAction(t, 60, &ticks).finish);
}

void TestParamTransfer::unansweredListRequest()
{
    ParamTransfer t;
    t.startDownload();
    for (int resend = 1; resend <= ParamTransfer::kListResends; ++resend) {
        int ticks = 0;
        const ParamTransfer::TickActions a = tickUntilAction(t, 200, &ticks);
        QCOMPARE(ticks, ParamTransfer::kListTimeoutTicks);
        QVERIFY(a.resendList);
        QVERIFY(!a.listFailed);
    }
    int ticks = 0;
    const ParamTransfer::TickActions a = tickUntilAction(t, 200, &ticks);
    QCOMPARE(ticks, ParamTransfer::kListTimeoutTicks);
    QVERIFY(a.listFailed);
    QVERIFY(!a.resendList);
    // Reported once only.
    QVERIFY(!tickUntilAction(t, 300, &ticks).listFailed);

    // Any answer at all stops the clock.
    ParamTransfer u;
    u.startDownload();
    for (int i = 0; i < 90; ++i)
        u.tick(false);
    u.noteValue(0, 2);
    for (int i = 0; i < 300; ++i) {
        const ParamTransfer::TickActions b = u.tick(false);
        QVERIFY(!b.resendList && !b.listFailed);
        if (b.finish || !b.readRequests.isEmpty())
            break;
    }
}

void TestParamTransfer::writeConfirmation_data()
{
    QTest::addColumn<float>("written");
    QTest::addColumn<float>("echoed");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("confirmed");

    QTest::newRow("same float") << 0.18f << 0.18f << 9 << true;
    QTest::newRow("encoded round trip") << 0.024f << (0.024f * 12.0f) / 12.0f << 9 << true;
    QTest::newRow("within 1e-5 relative") << 1000.0f << 1000.009f << 9 << true;
    QTest::newRow("beyond 1e-5 relative") << 1000.0f << 1000.02f << 9 << false;
    QTest::newRow("zero exactly") << 0.0f << 0.0f << 9 << true;
    QTest::newRow("zero vs tiny") << 0.0f << 1e-6f << 9 << false;
    QTest::newRow("integer rounded") << 1100.4f << 1100.0f << 4 << true;
    QTest::newRow("integer half away") << 2.5f << 3.0f << 2 << true;
    QTest::newRow("integer clamped") << 300.0f << 127.0f << 2 << false;
    QTest::newRow("kept old value") << 5.0f << 12345.0f << 6 << false;
    QTest::newRow("not a number") << 1.0f << std::numeric_limits<float>::quiet_NaN() << 9 << false;
}

void TestParamTransfer::writeConfirmation()
{
    QFETCH(float, written);
    QFETCH(float, echoed);
    QFETCH(int, type);
    QFETCH(bool, confirmed);

    ParamTransfer t;
    t.writeSent(QStringLiteral("X"), written);
    float pending = 0.0f;
    QCOMPARE(t.echo(QStringLiteral("X"), echoed, uint8_t(type), &pending),
             confirmed ? ParamTransfer::EchoResult::Confirmed : ParamTransfer::EchoResult::Refused);
    QCOMPARE(pending, written);
    // Either way the write is settled: no retry, no second report.
    QVERIFY(!t.hasPendingWrite(QStringLiteral("X")));
    QCOMPARE(t.echo(QStringLiteral("X"), echoed, uint8_t(type), &pending),
             ParamTransfer::EchoResult::NotPending);
}

void TestParamTransfer::writeRetriesThenFails()
{
    ParamTransfer t;
    t.writeSent(QStringLiteral("H_COL_MAX"), 1800.0f);
    for (int resend = 1; resend <= ParamTransfer::kWriteResends; ++resend) {
        int ticks = 0;
        const ParamTransfer::TickActions a = tickUntilAction(t, 100, &ticks);
        QCOMPARE(ticks, ParamTransfer::kWriteTimeoutTicks);
        QCOMPARE(a.writeResends.size(), 1);
        QCOMPARE(a.writeResends[0].attempts, resend + 1);
        QCOMPARE(a.writeResends[0].value, 1800.0f);
    }
    int ticks = 0;
    const ParamTransfer::TickActions a = tickUntilAction(t, 100, &ticks);
    QCOMPARE(ticks, ParamTransfer::kWriteTimeoutTicks);
    QVERIFY(a.writeResends.isEmpty());
    QCOMPARE(a.writeFailures.size(), 1);
    QCOMPARE(a.writeFailures[0].name, QStringLiteral("H_COL_MAX"));
    QCOMPARE(t.pendingWriteCount(), 0);

    // Writes still pending when the port closes are handed back.
    t.writeSent(QStringLiteral("B"), 2.0f);
    t.writeSent(QStringLiteral("A"), 1.0f);
    const QList<ParamTransfer::PendingWrite> left = t.takePendingWrites();
    QCOMPARE(left.size(), 2);
    QCOMPARE(left[0].name, QStringLiteral("A"));
    QCOMPARE(t.pendingWriteCount(), 0);
}

void TestParamTransfer::newerWriteReplacesOlder()
{
    ParamTransfer t;
    t.writeSent(QStringLiteral("X"), 1.0f);
    for (int i = 0; i < 20; ++i)
        t.tick(false);
    t.writeSent(QStringLiteral("X"), 2.0f);   // restarts the wait and the attempts
    for (int i = 0; i < ParamTransfer::kWriteTimeoutTicks - 1; ++i)
        QVERIFY(t.tick(false).writeResends.isEmpty());
    const ParamTransfer::TickActions a = t.tick(false);
    QCOMPARE(a.writeResends.size(), 1);
    QCOMPARE(a.writeResends[0].value, 2.0f);   // only the newer value is sent again
    QCOMPARE(a.writeResends[0].attempts, 2);
}

void TestParamTransfer::staleEchoesOfSupersededWrites()
{
    // A slider's press and its release: two writes before the first echo.
    ParamTransfer t;
    const QString name = QStringLiteral("ATC_RAT_YAW_P");
    t.writeSent(name, 0.19f);
    t.writeSent(name, 0.292f);
    for (int i = 0; i < 10; ++i)
        t.tick(false);

    // The echo of the press: no confirmation, no failure, nothing changes.
    float written = 0.0f;
    QCOMPARE(t.echo(name, 0.19f, 9, &written), ParamTransfer::EchoResult::Stale);
    QCOMPARE(written, 0.292f);
    QVERIFY(t.hasPendingWrite(name));
    // Within the tolerance, as the encoded form brings it back.
    QCOMPARE(t.echo(name, (0.19f * 12.0f) / 12.0f, 9, &written), ParamTransfer::EchoResult::Stale);

    // The release keeps its own clock: sent again 25 ticks after it was written.
    int ticks = 0;
    ParamTransfer::TickActions a = tickUntilAction(t, 100, &ticks);
    QCOMPARE(ticks, ParamTransfer::kWriteTimeoutTicks - 10);
    QCOMPARE(a.writeResends.size(), 1);
    QCOMPARE(a.writeResends[0].value, 0.292f);
    QVERIFY(a.writeFailures.isEmpty());

    QCOMPARE(t.echo(name, 0.292f, 9, &written), ParamTransfer::EchoResult::Confirmed);
    QCOMPARE(t.pendingWriteCount(), 0);
    // A late copy of the older echo after the name is settled: nothing pending.
    QCOMPARE(t.echo(name, 0.19f, 9, &written), ParamTransfer::EchoResult::NotPending);

    // An echo that matches none of the values written since: refused, with
    // the latest value reported.
    t.writeSent(QStringLiteral("STAT_FLTTIME"), 0.0f);
    t.writeSent(QStringLiteral("STAT_FLTTIME"), 1.0f);
    QCOMPARE(t.echo(QStringLiteral("STAT_FLTTIME"), 12345.0f, 6, &written), ParamTransfer::EchoResult::Refused);
    QCOMPARE(written, 1.0f);
    QVERIFY(!t.hasPendingWrite(QStringLiteral("STAT_FLTTIME")));

    // Integer parameters compare rounded, older values too.
    t.writeSent(QStringLiteral("RC1_MIN"), 1100.4f);
    t.writeSent(QStringLiteral("RC1_MIN"), 1200.0f);
    QCOMPARE(t.echo(QStringLiteral("RC1_MIN"), 1100.0f, 4, &written), ParamTransfer::EchoResult::Stale);
    QCOMPARE(t.echo(QStringLiteral("RC1_MIN"), 1200.0f, 4, &written), ParamTransfer::EchoResult::Confirmed);

    // Values settled before the latest write are not stale: the flight
    // controller holding one of them again means it did not take the write.
    t.writeSent(QStringLiteral("H_COL_MAX"), 1700.0f);
    QCOMPARE(t.echo(QStringLiteral("H_COL_MAX"), 1700.0f, 9, &written), ParamTransfer::EchoResult::Confirmed);
    t.writeSent(QStringLiteral("H_COL_MAX"), 1800.0f);
    QCOMPARE(t.echo(QStringLiteral("H_COL_MAX"), 1700.0f, 9, &written), ParamTransfer::EchoResult::Refused);

    // A write that never gets its echo fails after its retries, stale echoes
    // or not; a long drag keeps a bounded list of older values.
    for (int i = 0; i < 200; ++i)
        t.writeSent(QStringLiteral("LOIT_BRK_ACCEL"), float(i));
    QCOMPARE(t.echo(QStringLiteral("LOIT_BRK_ACCEL"), 190.0f, 9, &written), ParamTransfer::EchoResult::Stale);
    ParamTransfer::TickActions last;
    for (int i = 0; i < (ParamTransfer::kWriteResends + 1) * ParamTransfer::kWriteTimeoutTicks; ++i) {
        last = t.tick(false);
        if (i % 10 == 0)
            QCOMPARE(t.echo(QStringLiteral("LOIT_BRK_ACCEL"), 198.0f, 9, &written),
                     ParamTransfer::EchoResult::Stale);
    }
    QCOMPARE(last.writeFailures.size(), 1);
    QCOMPARE(last.writeFailures[0].value, 199.0f);
    QCOMPARE(last.writeFailures[0].superseded.size(), ParamTransfer::kMaxSupersededValues);
    QCOMPARE(t.pendingWriteCount(), 0);
}

// The radio page takes RC_CHANNELS through a queued connection with nothing
// but the message header included.
static_assert(QMetaTypeId2<mavlink_rc_channels_t>::Defined,
              "MavlinkMessages.h declares mavlink_rc_channels_t as a meta-type");

QTEST_GUILESS_MAIN(TestParamTransfer)
#include "tst_paramtransfer.moc"
