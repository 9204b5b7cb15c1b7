#include <QSignalSpy>
#include <QtTest>

#include <climits>
#include <cmath>
#include <limits>

#include "params/ParameterStore.h"
#include "params/ValueMaps.h"

class TestParameterStore : public QObject
{
    Q_OBJECT

private slots:
    void findOnEmptyAndAbsent();
    void findTakesTheFirstExactMatch();
    void updateConfirmsWithTheUiFlagSet();
    void confirmationKeepsAnOuterUiFlag();
    void appendValidatesNewNames_data();
    void appendValidatesNewNames();
    void insertOrUpdateKeepsOrder();
    void clearEmptiesTheList();
    void sliderPositions();
    void yawDivisorIsTheDoubleDifference();
    void rounding();
    void felxDirectAndReversed();
    void felxClampsAndDegenerateRanges();
    void inverseClampsItsInput();
    void servoTrimRoundTrip();
};

void TestParameterStore::findOnEmptyAndAbsent()
{
    ParameterStore store;
    QCOMPARE(store.findParameterValue(QStringLiteral("fw_version")), -1.0);
    QCOMPARE(ParameterStore::findParameterValue(QList<Parameter>(), QStringLiteral("x")), -1.0);
    QCOMPARE(store.size(), 0);
    store.insertOrUpdate({QStringLiteral("fw_version"), 18});
    QCOMPARE(store.findParameterValue(QStringLiteral("FW_VERSION")), -1.0);
    QCOMPARE(store.findParameterValue(QStringLiteral("fw_version ")), -1.0);
    QVERIFY(!store.contains(QStringLiteral("fw_versio")));
}

void TestParameterStore::findTakesTheFirstExactMatch()
{
    const QList<Parameter> list = {{"H_COL_MAX", 1850}, {"h_col_max", 7}, {"H_COL_MAX", 1900}};
    QCOMPARE(ParameterStore::findParameterValue(list, QStringLiteral("H_COL_MAX")), 1850.0);
    QCOMPARE(ParameterStore::findParameterValue(list, QStringLiteral("h_col_max")), 7.0);
}

void TestParameterStore::updateConfirmsWithTheUiFlagSet()
{
    ParameterStore store;
    store.insertOrUpdate({QStringLiteral("ATC_RAT_RLL_P"), 0.03});
    store.insertOrUpdate({QStringLiteral("ATC_RAT_YAW_P"), 0.2});
    store.insertOrUpdate({QStringLiteral("H_COL_MAX"), 1850});

    bool flagDuringConfirmation = false;
    double valueInStoreDuringConfirmation = 0;
    connect(&store, &ParameterStore::parameterConfirmed, this, [&](const QString& name, double) {
        flagDuringConfirmation = store.paramUiUpdating;
        valueInStoreDuringConfirmation = store.findParameterValue(name);
    });
    QSignalSpy confirmed(&store, &ParameterStore::parameterConfirmed);
    QSignalSpy changed(&store, &ParameterStore::parameterChanged);

    QVERIFY(store.setParameterValue(QStringLiteral("ATC_RAT_YAW_P"), 0.25));
    QCOMPARE(confirmed.size(), 1);
    QCOMPARE(confirmed[0][0].toString(), QStringLiteral("ATC_RAT_YAW_P"));
    QCOMPARE(confirmed[0][1].toDouble(), 0.25);
    QCOMPARE(changed.size(), 1);
    QVERIFY(flagDuringConfirmation);
    QCOMPARE(valueInStoreDuringConfirmation, 0.25);
    QVERIFY(!store.paramUiUpdating);

    // Updating keeps the position; nothing is appended.
    QCOMPARE(store.size(), 3);
    QCOMPARE(store.parameterList().at(1).name, QStringLiteral("ATC_RAT_YAW_P"));
    QCOMPARE(store.parameterList().at(1).value, 0.25);
}

void TestParameterStore::confirmationKeepsAnOuterUiFlag()
{
    // A confirmation handled in the middle of a file load must not clear the
    // flag the load has set.
    ParameterStore store;
    store.insertOrUpdate({QStringLiteral("ATC_RAT_PIT_P"), 0.03});
    store.paramUiUpdating = true;
    QVERIFY(store.setParameterValue(QStringLiteral("ATC_RAT_PIT_P"), 0.04));
    QVERIFY(store.paramUiUpdating);
    QVERIFY(store.setParameterValue(QStringLiteral("NEW_ONE"), 1));
    QVERIFY(store.paramUiUpdating);
}

void TestParameterStore::appendValidatesNewNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("plain") << "BATT_CALL_NUMLV" << true;
    QTest::newRow("sixteen") << "ABCDEFGHIJKLMNOP" << true;
    QTest::newRow("digits and underscore") << "_1_2_3" << true;
    QTest::newRow("seventeen") << "ABCDEFGHIJKLMNOPQ" << false;
    QTest::newRow("hyphen") << "BATT-CALL" << false;
    QTest::newRow("space") << "BATT CALL" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("non-ascii letter") << QStringLiteral("BATTÄ") << false;
    QTest::newRow("nul") << QString(QStringLiteral("AB") + QChar(0) + QStringLiteral("C")) << false;
}

void TestParameterStore::appendValidatesNewNames()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    ParameterStore store;
    store.insertOrUpdate({QStringLiteral("fw_version"), 1});
    QSignalSpy confirmed(&store, &ParameterStore::parameterConfirmed);
    QSignalSpy changed(&store, &ParameterStore::parameterChanged);

    QCOMPARE(store.setParameterValue(name, 3.5), accepted);
    QCOMPARE(confirmed.size(), 0); // an append is no confirmation of a known value
    QCOMPARE(changed.size(), accepted ? 1 : 0);
    QCOMPARE(store.size(), accepted ? 2 : 1);
    if (accepted) {
        QCOMPARE(store.parameterList().last().name, name);
        QCOMPARE(store.findParameterValue(name), 3.5);
    }
}

void TestParameterStore::insertOrUpdateKeepsOrder()
{
    ParameterStore store;
    QSignalSpy changed(&store, &ParameterStore::parameterChanged);
    store.insertOrUpdate({QStringLiteral("B"), 2});
    store.insertOrUpdate({QStringLiteral("A"), 1});
    store.insertOrUpdate({QStringLiteral("B"), 5});
    store.insertOrUpdate({QStringLiteral("C"), -1});
    QCOMPARE(store.size(), 3);
    QCOMPARE(store.parameterList().at(0).name, QStringLiteral("B"));
    QCOMPARE(store.parameterList().at(0).value, 5.0);
    QCOMPARE(store.parameterList().at(1).name, QStringLiteral("A"));
    // A stored -1 reads like an absent parameter.
    QCOMPARE(store.findParameterValue(QStringLiteral("C")), -1.0);
    QVERIFY(store.contains(QStringLiteral("C")));
    QCOMPARE(changed.size(), 4);
}

void TestParameterStore::clearEmptiesTheList()
{
    ParameterStore store;
    store.insertOrUpdate({QStringLiteral("A"), 1});
    store.insertOrUpdate({QStringLiteral("B"), 2});
    QSignalSpy cleared(&store, &ParameterStore::cleared);
    store.clearParameterValue();
    QCOMPARE(cleared.size(), 1);
    QCOMPARE(store.size(), 0);
    QCOMPARE(store.findParameterValue(QStringLiteral("A")), -1.0);
    // After a clear a name is appended again, not confirmed.
    QSignalSpy confirmed(&store, &ParameterStore::parameterConfirmed);
    QVERIFY(store.setParameterValue(QStringLiteral("A"), 4));
    QCOMPARE(confirmed.size(), 0);
}

void TestParameterStore::sliderPositions()
{
    QCOMPARE(ParameterStore::rateRollPitchSliderPosition(0.02), 0);
    QCOMPARE(ParameterStore::rateRollPitchSliderPosition(0.05), 50);
    QCOMPARE(ParameterStore::rateRollPitchSliderPosition(0.08), 100);
    QCOMPARE(ParameterStore::rateRollPitchSliderPosition(0.045), 42); // 41.67
    QCOMPARE(ParameterStore::rateRollPitchSliderPosition(0.04), 33);  // 33.33
    QCOMPARE(ParameterStore::rateYawSliderPosition(0.15), 0);
    QCOMPARE(ParameterStore::rateYawSliderPosition(0.25), 50);
    QCOMPARE(ParameterStore::rateYawSliderPosition(0.35), 100);
    QCOMPARE(ParameterStore::brakeAccelSliderPosition(275), 50);
    QCOMPARE(ParameterStore::brakeAccelSliderPosition(50), 0);
    QCOMPARE(ParameterStore::brakeAccelSliderPosition(500), 100);
    // Out of the slider's range: not clamped here, and an absent value (-1)
    // gives a plain negative position.
    QCOMPARE(ParameterStore::rateYawSliderPosition(-1), -575);
    QCOMPARE(ParameterStore::rateRollPitchSliderPosition(std::numeric_limits<double>::quiet_NaN()), 0);
}

void TestParameterStore::yawDivisorIsTheDoubleDifference()
{
    // With 0.2 these land just below .5 and round down; the double 0.35 - 0.15
    // is a hair smaller than 0.2 and puts them on .5, which rounds up.
    QCOMPARE(ParameterStore::rateYawSliderPosition(0.235), 43);
    QCOMPARE(ParameterStore::rateYawSliderPosition(0.301), 76);
    QCOMPARE(ParameterStore::rateYawSliderPosition(0.349), 100);
}

void TestParameterStore::rounding()
{
    QCOMPARE(roundHalfAwayFromZero(2.5), 3);
    QCOMPARE(roundHalfAwayFromZero(-2.5), -3);
    QCOMPARE(roundHalfAwayFromZero(17.5), 18);
    QCOMPARE(roundHalfAwayFromZero(-0.4), 0);
    // Adding 0.5 and truncating would give 1 here.
    QCOMPARE(roundHalfAwayFromZero(0.49999999999999994), 0);
    QCOMPARE(roundHalfAwayFromZero(1e300), INT_MAX);
    QCOMPARE(roundHalfAwayFromZero(-1e300), INT_MIN);
    QCOMPARE(roundHalfAwayFromZero(std::numeric_limits<double>::infinity()), INT_MAX);
    QCOMPARE(roundHalfAwayFromZero(std::numeric_limits<double>::quiet_NaN()), 0);
    QCOMPARE(truncateTowardZero(3599.0 / 60), 59);
    QCOMPARE(truncateTowardZero(-1.9), -1);
    QCOMPARE(truncateTowardZero(1649.9999), 1649);
    QCOMPARE(truncateTowardZero(-1e300), INT_MIN);
    QCOMPARE(truncateTowardZero(std::numeric_limits<double>::quiet_NaN()), 0);
}

void TestParameterStore::felxDirectAndReversed()
{
    QCOMPARE(felx_v(1500, 1350, 1650, 1650, 1350), 1500.0f);
    QCOMPARE(felx_v(1400, 1350, 1650, 1650, 1350), 1600.0f);
    QCOMPARE(felx_v(1400, 1350, 1650, 1350, 1650), 1400.0f);
    QCOMPARE(felx_v(0.25f, 0.15f, 0.35f, 0, 100), 50.0f);
    // Reversed input range.
    QCOMPARE(felx_v(1400, 1650, 1350, 1350, 1650), 1600.0f);
}

void TestParameterStore::felxClampsAndDegenerateRanges()
{
    QCOMPARE(felx_v(2000, 1350, 1650, 1650, 1350), 1350.0f);
    QCOMPARE(felx_v(1200, 1350, 1650, 1650, 1350), 1650.0f);
    QCOMPARE(felx_v(1200, 1350, 1650, 1350, 1650), 1350.0f);
    QCOMPARE(felx_v(-1, 1350, 1650, 1350, 1650), 1350.0f); // absent parameter
    QCOMPARE(felx_v(1e30f, 0, 1, -5, 5), 5.0f);
    // An empty input range must not give NaN to a slider.
    QCOMPARE(felx_v(5, 1, 1, 0, 10), 10.0f);
    QCOMPARE(felx_v(-5, 1, 1, 0, 10), 0.0f);
    QCOMPARE(felx_v(1, 1, 1, 0, 10), 0.0f);
    QCOMPARE(felx_v(std::numeric_limits<float>::quiet_NaN(), 0, 1, 3, 10), 3.0f);
    QCOMPARE(felx_v(std::numeric_limits<float>::infinity(), 0, 1, 3, 10), 10.0f);
}

void TestParameterStore::inverseClampsItsInput()
{
    QCOMPARE(inverse_felx_v(120, 0, 1, 0, 100), 1.0f);
    QCOMPARE(inverse_felx_v(-20, 0, 1, 0, 100), 0.0f);
    QCOMPARE(inverse_felx_v(50, 0, 1, 0, 100), 0.5f);
    QCOMPARE(inverse_felx_v(1600, 1350, 1650, 1650, 1350), 1400.0f);
    QCOMPARE(inverse_felx_v(1000, 1350, 1650, 1650, 1350), 1650.0f);
    QCOMPARE(inverse_felx_v(50, 0.15f, 0.35f, 0, 100), 0.25f);
    // Degenerate output range and NaN give the bottom of the parameter range.
    QCOMPARE(inverse_felx_v(7, 2, 9, 5, 5), 2.0f);
    QCOMPARE(inverse_felx_v(std::numeric_limits<float>::quiet_NaN(), 2, 9, 0, 100), 2.0f);
}

void TestParameterStore::servoTrimRoundTrip()
{
    // A servo slider's position written as a trim and shown again lands on the
    // same position, in both directions of the servo.
    for (int pos = 1350; pos <= 1650; ++pos) {
        const float trim = inverse_felx_v(float(pos), 1350, 1650, 1650, 1350);
        QCOMPARE(truncateTowardZero(felx_v(trim, 1350, 1650, 1650, 1350)), pos);
        const float plain = inverse_felx_v(float(pos), 1350, 1650, 1350, 1650);
        QCOMPARE(truncateTowardZero(felx_v(plain, 1350, 1650, 1350, 1650)), pos);
    }
}

QTEST_GUILESS_MAIN(TestParameterStore)
#include "tst_parameter_store.moc"
