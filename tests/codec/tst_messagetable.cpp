// The generated message table and the hand-written message structures must
// agree with each other and with the protocol numbers the link depends on.
#include "link/MavlinkMessages.h"
#include "link/MessageTable.h"

#include <QtTest>

#include <cstddef>

class TestMessageTable : public QObject
{
    Q_OBJECT

private:
    template <typename T>
    void checkAgainstTable(const char *name)
    {
        using Info = MavlinkMessageInfo<T>;
        const MavlinkMessageEntry *e = MessageTable::lookup(Info::id);
        QVERIFY2(e, name);
        QCOMPARE(e->msgid, Info::id);
        QCOMPARE(int(e->crcExtra), int(Info::crcExtra));
        QCOMPARE(int(e->minLength), int(Info::minLength));
        QCOMPARE(int(e->maxLength), int(Info::maxLength));
        QCOMPARE(sizeof(T), size_t(e->maxLength));
    }

private slots:
    void commonSetIsComplete()
    {
        const MavlinkMessageEntry *t = MessageTable::commonEntries();
        QCOMPARE(MessageTable::kCommonCount, 221);
        QCOMPARE(t[0].msgid, 0u);
        for (int i = 1; i < MessageTable::kCommonCount; ++i)
            QVERIFY2(t[i - 1].msgid < t[i].msgid, qPrintable(QString("order broken at %1").arg(i)));
        for (int i = 0; i < MessageTable::kCommonCount; ++i) {
            const MavlinkMessageEntry &e = t[i];
            QVERIFY(e.minLength >= 1);
            QVERIFY(e.minLength <= e.maxLength);
            QVERIFY((e.flags & ~3) == 0);
            if (e.flags & MessageTable::HasTargetSystem)
                QVERIFY(e.targetSystemOffset < e.maxLength);
            else
                QCOMPARE(int(e.targetSystemOffset), 0);
            if (e.flags & MessageTable::HasTargetComponent)
                QVERIFY(e.targetComponentOffset < e.maxLength);
            else
                QCOMPARE(int(e.targetComponentOffset), 0);
        }
    }

    void bisectionFindsEveryIdAndNothingElse()
    {
        const MavlinkMessageEntry *t = MessageTable::commonEntries();
        const uint32_t last = t[MessageTable::kCommonCount - 1].msgid;
        int found = 0;
        int k = 0;
        for (uint32_t id = 0; id <= last + 10; ++id) {
            const bool present = k < MessageTable::kCommonCount && t[k].msgid == id;
            const MavlinkMessageEntry *e = MessageTable::findCommon(id);
            if (present) {
                QCOMPARE(e, &t[k]);
                ++found;
                ++k;
            } else {
                QVERIFY2(!e, qPrintable(QString("id %1 has no entry").arg(id)));
            }
        }
        QCOMPARE(found, MessageTable::kCommonCount);
        QVERIFY(!MessageTable::findCommon(0xFFFFFF));
        QVERIFY(!MessageTable::lookup(0xFFFFFF));
        QVERIFY(!MessageTable::lookup(last + 1));
    }

    void magCalProgressIsASeparateEntry()
    {
        QVERIFY(!MessageTable::findCommon(191));
        const MavlinkMessageEntry *e = MessageTable::lookup(191);
        QVERIFY(e);
        QCOMPARE(e, &MessageTable::magCalProgress());
        QCOMPARE(int(e->crcExtra), 92);
        QCOMPARE(int(e->minLength), 27);
        QCOMPARE(int(e->maxLength), 27);
        QCOMPARE(int(e->flags), 0);
    }

    // The numbers the flight controller's frames are checked with.
    void messagesReadAndSent_data()
    {
        QTest::addColumn<uint>("id");
        QTest::addColumn<int>("crcExtra");
        QTest::addColumn<int>("minLength");
        QTest::addColumn<int>("maxLength");
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("targetSystem");
        QTest::addColumn<int>("targetComponent");
        QTest::newRow("HEARTBEAT") << 0u << 50 << 9 << 9 << 0 << 0 << 0;
        QTest::newRow("SYS_STATUS") << 1u << 124 << 31 << 43 << 0 << 0 << 0;
        QTest::newRow("PARAM_REQUEST_READ") << 20u << 214 << 20 << 20 << 3 << 2 << 3;
        QTest::newRow("PARAM_REQUEST_LIST") << 21u << 159 << 2 << 2 << 3 << 0 << 1;
        QTest::newRow("PARAM_VALUE") << 22u << 220 << 25 << 25 << 0 << 0 << 0;
        QTest::newRow("PARAM_SET") << 23u << 168 << 23 << 23 << 3 << 4 << 5;
        QTest::newRow("GPS_RAW_INT") << 24u << 24 << 30 << 52 << 0 << 0 << 0;
        QTest::newRow("ATTITUDE") << 30u << 39 << 28 << 28 << 0 << 0 << 0;
        QTest::newRow("RC_CHANNELS") << 65u << 118 << 42 << 42 << 0 << 0 << 0;
        QTest::newRow("REQUEST_DATA_STREAM") << 66u << 148 << 6 << 6 << 3 << 2 << 3;
        QTest::newRow("COMMAND_LONG") << 76u << 152 << 33 << 33 << 3 << 30 << 31;
        QTest::newRow("GPS2_RAW") << 124u << 87 << 35 << 57 << 0 << 0 << 0;
        QTest::newRow("MAG_CAL_REPORT") << 192u << 36 << 44 << 54 << 0 << 0 << 0;
        QTest::newRow("STATUSTEXT") << 253u << 83 << 51 << 54 << 0 << 0 << 0;
    }

    void messagesReadAndSent()
    {
        QFETCH(uint, id);
        QFETCH(int, crcExtra);
        QFETCH(int, minLength);
        QFETCH(int, maxLength);
        QFETCH(int, flags);
        QFETCH(int, targetSystem);
        QFETCH(int, targetComponent);
        const MavlinkMessageEntry *e = MessageTable::findCommon(id);
        QVERIFY(e);
        QCOMPARE(int(e->crcExtra), crcExtra);
        QCOMPARE(int(e->minLength), minLength);
        QCOMPARE(int(e->maxLength), maxLength);
        QCOMPARE(int(e->flags), flags);
        QCOMPARE(int(e->targetSystemOffset), targetSystem);
        QCOMPARE(int(e->targetComponentOffset), targetComponent);
    }

    void structuresMatchTheTable()
    {
        checkAgainstTable<mavlink_heartbeat_t>("heartbeat");
        checkAgainstTable<mavlink_sys_status_t>("sys_status");
        checkAgainstTable<mavlink_param_request_read_t>("param_request_read");
        checkAgainstTable<mavlink_param_request_list_t>("param_request_list");
        checkAgainstTable<mavlink_param_value_t>("param_value");
        checkAgainstTable<mavlink_param_set_t>("param_set");
        checkAgainstTable<mavlink_gps_raw_int_t>("gps_raw_int");
        checkAgainstTable<mavlink_attitude_t>("attitude");
        checkAgainstTable<mavlink_rc_channels_t>("rc_channels");
        checkAgainstTable<mavlink_request_data_stream_t>("request_data_stream");
        checkAgainstTable<mavlink_command_long_t>("command_long");
        checkAgainstTable<mavlink_gps2_raw_t>("gps2_raw");
        checkAgainstTable<mavlink_mag_cal_progress_t>("mag_cal_progress");
        checkAgainstTable<mavlink_mag_cal_report_t>("mag_cal_report");
        checkAgainstTable<mavlink_statustext_t>("statustext");

        // Target fields sit where the table says.
        const auto targets = [](uint32_t id, size_t sys, size_t comp) {
            const MavlinkMessageEntry *e = MessageTable::lookup(id);
            return e && e->targetSystemOffset == sys && e->targetComponentOffset == comp;
        };
        QVERIFY(targets(20, offsetof(mavlink_param_request_read_t, target_system),
                        offsetof(mavlink_param_request_read_t, target_component)));
        QVERIFY(targets(21, offsetof(mavlink_param_request_list_t, target_system),
                        offsetof(mavlink_param_request_list_t, target_component)));
        QVERIFY(targets(23, offsetof(mavlink_param_set_t, target_system),
                        offsetof(mavlink_param_set_t, target_component)));
        QVERIFY(targets(66, offsetof(mavlink_request_data_stream_t, target_system),
                        offsetof(mavlink_request_data_stream_t, target_component)));
        QVERIFY(targets(76, offsetof(mavlink_command_long_t, target_system),
                        offsetof(mavlink_command_long_t, target_component)));

        // Base fields end where the minimum length says (extensions follow).
        QCOMPARE(offsetof(mavlink_sys_status_t, onboard_control_sensors_present_extended), size_t(31));
        QCOMPARE(offsetof(mavlink_gps_raw_int_t, alt_ellipsoid), size_t(30));
        QCOMPARE(offsetof(mavlink_gps2_raw_t, yaw), size_t(35));
        QCOMPARE(offsetof(mavlink_mag_cal_report_t, orientation_confidence), size_t(44));
        QCOMPARE(offsetof(mavlink_statustext_t, id), size_t(51));
        QCOMPARE(offsetof(mavlink_mag_cal_progress_t, completion_pct), size_t(16));
    }
};

QTEST_GUILESS_MAIN(TestMessageTable)
#include "tst_messagetable.moc"
