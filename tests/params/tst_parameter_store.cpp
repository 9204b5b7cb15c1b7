// The parameter store, the parameter-file parser and the compiled-in model presets.

#include <QtTest>

#include <climits>
#include <cmath>
#include <limits>

#include "params/ModelPresets.h"
#include "params/ParamFileParser.h"
#include "params/ParameterStore.h"
#include "params/ValueMaps.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const float kNaNf = std::numeric_limits<float>::quiet_NaN();

float valueOf(const ParamFileContent &c, const QString &name)
{
    for (const ParamFileEntry &e : c.entries) {
        if (e.name == name)
            return e.value;
    }
    return -1.0f;
}

} // namespace

class TestParams : public QObject
{
    Q_OBJECT

private slots:
    void findAndConfirm();
    void appendValidatesNewNames_data();
    void appendValidatesNewNames();
    void sliderPositionsRoundingAndRanges();
    void parserLines();
    void parserInvalidLines_data();
    void parserInvalidLines();
    void parserNumbers_data();
    void parserNumbers();
    void parserGarbageNeverYieldsABadEntry();
    void readFileAndProgress();
    void presetTable();
    void everyPresetParses();
};

void TestParams::findAndConfirm()
{
    ParameterStore store;
    QCOMPARE(store.findParameterValue(QStringLiteral("fw_version")), -1.0);
    const QList<Parameter> list = {{"H_COL_MAX", 1850}, {"h_col_max", 7}, {"H_COL_MAX", 1900}};
    QCOMPARE(ParameterStore::findParameterValue(list, QStringLiteral("H_COL_MAX")), 1850.0); // first exact match
    QCOMPARE(ParameterStore::findParameterValue(list, QStringLiteral("h_col_max")), 7.0);
    QCOMPARE(ParameterStore::findParameterValue(list, QStringLiteral("H_COL_MAX ")), -1.0);

    store.insertOrUpdate({QStringLiteral("ATC_RAT_RLL_P"), 0.03});
    store.insertOrUpdate({QStringLiteral("ATC_RAT_YAW_P"), 0.2});
    bool flagDuring = false;
    double valueDuring = 0;
    connect(&store, &ParameterStore::parameterConfirmed, this, [&](const QString &name, double) {
        flagDuring = store.paramUiUpdating;
        valueDuring = store.findParameterValue(name);
    });
    QSignalSpy confirmed(&store, &ParameterStore::parameterConfirmed);
    QVERIFY(store.setParameterValue(QStringLiteral("ATC_RAT_YAW_P"), 0.25));
    QCOMPARE(confirmed.size(), 1);
    QVERIFY(flagDuring);
    QCOMPARE(valueDuring, 0.25);
    QVERIFY(!store.paramUiUpdating);
    QCOMPARE(store.parameterList().at(1).name, QStringLiteral("ATC_RAT_YAW_P")); // updated in place
    QCOMPARE(store.size(), 2);

    // A confirmation in the middle of a file load keeps the load's flag.
    store.paramUiUpdating = true;
    QVERIFY(store.setParameterValue(QStringLiteral("ATC_RAT_RLL_P"), 0.04));
    QVERIFY(store.paramUiUpdating);
    store.paramUiUpdating = false;

    // After a clear a name is appended again, not confirmed; a stored -1 reads as absent.
    QSignalSpy cleared(&store, &ParameterStore::cleared);
    store.clearParameterValue();
    QCOMPARE(cleared.size(), 1);
    QVERIFY(store.setParameterValue(QStringLiteral("ATC_RAT_RLL_P"), -1));
    QCOMPARE(confirmed.size(), 2);
    QVERIFY(store.contains(QStringLiteral("ATC_RAT_RLL_P")));
    QCOMPARE(store.findParameterValue(QStringLiteral("ATC_RAT_RLL_P")), -1.0);
}

void TestParams::appendValidatesNewNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("sixteen") << "ABCDEFGHIJKLMNOP" << true;
    QTest::newRow("digits and underscore") << "_1_2_3" << true;
    QTest::newRow("seventeen") << "ABCDEFGHIJKLMNOPQ" << false;
    QTest::newRow("hyphen") << "BATT-CALL" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("non-ascii letter") << QStringLiteral("BATTÄ") << false;
    QTest::newRow("nul") << QString(QStringLiteral("AB") + QChar(0) + QStringLiteral("C")) << false;
}

void TestParams::appendValidatesNewNames()
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
}

void TestParams::sliderPositionsRoundingAndRanges()
{
    QCOMPARE(ParameterStore::rateRollPitchSliderPosition(0.02), 0);
    QCOMPARE(ParameterStore::rateRollPitchSliderPosition(0.08), 100);
    QCOMPARE(ParameterStore::rateRollPitchSliderPosition(0.045), 42); // 41.67
    QCOMPARE(ParameterStore::rateYawSliderPosition(0.25), 50);
    QCOMPARE(ParameterStore::brakeAccelSliderPosition(275), 50);
    QCOMPARE(ParameterStore::rateYawSliderPosition(-1), -575); // not clamped here
    QCOMPARE(ParameterStore::rateRollPitchSliderPosition(kNaN), 0);
    // The yaw divisor is the double 0.35 - 0.15, a hair below 0.2: these land on .5 and round up.
    QCOMPARE(ParameterStore::rateYawSliderPosition(0.235), 43);
    QCOMPARE(ParameterStore::rateYawSliderPosition(0.301), 76);
    QCOMPARE(ParameterStore::rateYawSliderPosition(0.349), 100);

    QCOMPARE(roundHalfAwayFromZero(2.5), 3);
    QCOMPARE(roundHalfAwayFromZero(-2.5), -3);
    // The largest doubles below one half: +0.5 and truncate gives 1, and so
    // does MinGW's std::round; every platform must give 0.
    QCOMPARE(roundHalfAwayFromZero(0.49999999999999994), 0);
    QCOMPARE(roundHalfAwayFromZero(-0.49999999999999994), 0);
    QCOMPARE(roundHalfAwayFromZero(1.4999999999999998), 1);
    QCOMPARE(roundHalfAwayFromZero(4503599627370495.5), INT_MAX);
    QCOMPARE(roundHalfAwayFromZero(-0.5), -1);
    QCOMPARE(roundHalfAwayFromZero(2147483646.5), INT_MAX);
    QCOMPARE(roundHalfAwayFromZero(1e300), INT_MAX);
    QCOMPARE(roundHalfAwayFromZero(-1e300), INT_MIN);
    QCOMPARE(roundHalfAwayFromZero(kNaN), 0);
    QCOMPARE(truncateTowardZero(-1.9), -1);
    QCOMPARE(truncateTowardZero(1649.9999), 1649);
    QCOMPARE(truncateTowardZero(-1e300), INT_MIN);
    QCOMPARE(truncateTowardZero(kNaN), 0);

    // Range maps, clamped to the output range.
    QCOMPARE(felx_v(1400, 1350, 1650, 1650, 1350), 1600.0f);
    QCOMPARE(felx_v(0.25f, 0.15f, 0.35f, 0, 100), 50.0f);
    QCOMPARE(felx_v(1400, 1650, 1350, 1350, 1650), 1600.0f); // reversed input range
    QCOMPARE(felx_v(2000, 1350, 1650, 1650, 1350), 1350.0f);
    QCOMPARE(felx_v(-1, 1350, 1650, 1350, 1650), 1350.0f); // absent parameter
    QCOMPARE(felx_v(1e30f, 0, 1, -5, 5), 5.0f);
    // An empty input range or NaN must not give NaN to a slider.
    QCOMPARE(felx_v(5, 1, 1, 0, 10), 10.0f);
    QCOMPARE(felx_v(1, 1, 1, 0, 10), 0.0f);
    QCOMPARE(felx_v(kNaNf, 0, 1, 3, 10), 3.0f);
    QCOMPARE(felx_v(std::numeric_limits<float>::infinity(), 0, 1, 3, 10), 10.0f);

    QCOMPARE(inverse_felx_v(120, 0, 1, 0, 100), 1.0f);
    QCOMPARE(inverse_felx_v(-20, 0, 1, 0, 100), 0.0f);
    QCOMPARE(inverse_felx_v(1600, 1350, 1650, 1650, 1350), 1400.0f);
    QCOMPARE(inverse_felx_v(50, 0.15f, 0.35f, 0, 100), 0.25f);
    QCOMPARE(inverse_felx_v(7, 2, 9, 5, 5), 2.0f);
    QCOMPARE(inverse_felx_v(kNaNf, 2, 9, 0, 100), 2.0f);
    // Single precision round trip of every servo position, both directions.
    for (int pos = 1350; pos <= 1650; ++pos) {
        QCOMPARE(truncateTowardZero(felx_v(inverse_felx_v(float(pos), 1350, 1650, 1650, 1350), 1350, 1650, 1650, 1350)), pos);
        QCOMPARE(truncateTowardZero(felx_v(inverse_felx_v(float(pos), 1350, 1650, 1350, 1650), 1350, 1650, 1350, 1650)), pos);
    }
}

void TestParams::parserLines()
{
    // BOM, CR LF, blanks around fields, comments (also indented), a repeated name written again.
    const ParamFileContent c = ParamFileParser::parse("\xEF\xBB\xBF" "fw_version,1\r\n"
                                                      "  ATC_RAT_YAW_P \t,   0.25  \n"
                                                      "\n"
                                                      "   #ATC_RAT_PIT_P,0.03\n"
                                                      "bad line\r\n"
                                                      "fw_version,18");
    QCOMPARE(c.totalLines, 6);
    QCOMPARE(c.entries.size(), 3);
    QCOMPARE(c.entries[0].name, QStringLiteral("fw_version"));
    QCOMPARE(c.entries[1].name, QStringLiteral("ATC_RAT_YAW_P"));
    QCOMPARE(c.entries[1].value, 0.25f);
    QCOMPARE(c.entries[2].value, 18.0f);
    QCOMPARE(c.entries[2].line, 6);
    QCOMPARE(c.diagnostics.size(), 1);
    QCOMPARE(c.diagnostics[0].line, 5);
    QCOMPARE(c.diagnostics[0].message, QStringLiteral("Invalid line format: bad line"));

    // Only a leading mark is skipped; a lone CR does not end a line.
    const ParamFileContent later = ParamFileParser::parse("fw_version,1\n\xEF\xBB\xBFH_COL_MAX,1850\n");
    QCOMPARE(later.entries.size(), 1);
    QCOMPARE(later.diagnostics.value(0).line, 2);
    const ParamFileContent cr = ParamFileParser::parse("H_COL_MAX,1850\rH_COL_MIN,1200");
    QCOMPARE(cr.totalLines, 1);
    QVERIFY(cr.entries.isEmpty());
    QCOMPARE(ParamFileParser::parse("a,1\n\n").totalLines, 2);
    QCOMPARE(ParamFileParser::parse("\xEF\xBB\xBF").totalLines, 0);
}

void TestParams::parserInvalidLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("message");
    QTest::newRow("no comma") << QByteArray("H_COL_MAX 1850") << "Invalid line format: H_COL_MAX 1850";
    QTest::newRow("trailing comma") << QByteArray("H_COL_MAX,1850,") << "Invalid line format: H_COL_MAX,1850,";
    QTest::newRow("decimal comma") << QByteArray(" a,0,25 \r") << "Invalid line format: a,0,25";
    QTest::newRow("empty value") << QByteArray("H_COL_MAX,") << "Invalid value: H_COL_MAX,";
    // A remark after the value is no number: the line is skipped, not written as 0.
    QTest::newRow("remark after value") << QByteArray("fw_version,10 # Birch") << "Invalid value: fw_version,10 # Birch";
    QTest::newRow("empty name") << QByteArray(" , 5") << "Invalid name: , 5";
    // The flight controller keeps 16 characters: a longer name would write another parameter.
    QTest::newRow("seventeen characters") << QByteArray("ATC_RAT_RLL_FLTDX,1") << "Invalid name: ATC_RAT_RLL_FLTDX,1";
    QTest::newRow("hash in name") << QByteArray("H_COL#MAX,1") << "Invalid name: H_COL#MAX,1";
    QTest::newRow("chinese name") << QStringLiteral("参数,1").toUtf8() << QStringLiteral("Invalid name: 参数,1");
}

void TestParams::parserInvalidLines()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, message);
    const ParamFileContent c = ParamFileParser::parse(line);
    QVERIFY(c.entries.isEmpty());
    QCOMPARE(c.diagnostics.size(), 1);
    QCOMPARE(c.diagnostics[0].message, message);
    QCOMPARE(c.diagnostics[0].line, 1);
}

void TestParams::parserNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<float>("value");
    QTest::newRow("plus sign") << "+2" << true << 2.0f;
    QTest::newRow("negative exponent") << "2.5E-2" << true << 0.025f;
    QTest::newRow("leading point") << ".5" << true << 0.5f;
    QTest::newRow("trailing point") << "5." << true << 5.0f;
    QTest::newRow("float rounding") << "0.045" << true << 0.045f;
    QTest::newRow("largest float") << "3.4028234e38" << true << 3.4028234e38f;
    QTest::newRow("tiny") << "1e-50" << true << 0.0f;
    QTest::newRow("beyond float") << "1e39" << false << 0.0f;
    QTest::newRow("negative beyond float") << "-3.5e38" << false << 0.0f;
    QTest::newRow("inf") << "inf" << false << 0.0f;
    QTest::newRow("nan") << "nan" << false << 0.0f;
    QTest::newRow("hex") << "0x10" << false << 0.0f;
    QTest::newRow("blank inside") << "1 5" << false << 0.0f;
    QTest::newRow("lone point") << "." << false << 0.0f;
    QTest::newRow("dangling exponent") << "5e" << false << 0.0f;
    QTest::newRow("full-width digit") << QString(QChar(0xFF13)) << false << 0.0f;
    QTest::newRow("trailing letter") << "5f" << false << 0.0f;
}

void TestParams::parserNumbers()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(float, value);
    const ParamFileContent c = ParamFileParser::parse(("H_COL_MAX, " + text + " \n").toUtf8());
    QCOMPARE(c.entries.size(), valid ? 1 : 0);
    if (valid)
        QCOMPARE(c.entries[0].value, value);
    else
        QVERIFY(c.diagnostics.value(0).message.startsWith(QStringLiteral("Invalid value: ")));
}

void TestParams::parserGarbageNeverYieldsABadEntry()
{
    QRandomGenerator rng(20240611);
    QByteArray alphabet = "AZaz09_,.#-+eE \t\r\n\xEF\xBB\xBF\xFF";
    alphabet.append('\0');
    for (int round = 0; round < 2000; ++round) {
        QByteArray text;
        const int len = rng.bounded(200);
        for (int i = 0; i < len; ++i)
            text.append(rng.bounded(4) == 0 ? char(rng.bounded(256)) : alphabet.at(rng.bounded(int(alphabet.size()))));
        const ParamFileContent c = ParamFileParser::parse(text);
        QVERIFY(c.entries.size() + c.diagnostics.size() <= c.totalLines);
        QVERIFY(c.totalLines <= text.count('\n') + 1);
        for (const ParamFileEntry &e : c.entries) {
            QVERIFY2(ParameterStore::isValidName(e.name), qPrintable(e.name));
            QVERIFY(std::isfinite(e.value));
            QVERIFY(e.line >= 1 && e.line <= c.totalLines);
        }
    }
}

void TestParams::readFileAndProgress()
{
    QTemporaryDir dir;
    const ParamFileReadResult missing = ParamFileParser::readFile(dir.filePath("none.param"));
    QVERIFY(!missing.ok);
    QVERIFY(missing.error.startsWith(QStringLiteral("Error opening file: ")));
    QVERIFY(!ParamFileParser::readFile(dir.path()).ok);
    QVERIFY(!ParamFileParser::readFile(QStringLiteral(":/param/none.param")).ok);
    QFile big(dir.filePath("big.param"));
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.resize(ParamFileParser::maxFileSize + 1));
    big.close();
    const ParamFileReadResult tooBig = ParamFileParser::readFile(big.fileName());
    QVERIFY(!tooBig.ok);
    QVERIFY(tooBig.content.entries.isEmpty());

    QCOMPARE(ParamFileParser::progressPercent(3, 0), 0);
    QCOMPARE(ParamFileParser::progressPercent(34, 46), 73); // blank lines count
    QCOMPARE(ParamFileParser::progressPercent(2, 3), 66);
    QCOMPARE(ParamFileParser::progressPercent(45, 46), 97);
    QCOMPARE(ParamFileParser::progressPercent(50, 40), 100);
}

void TestParams::presetTable()
{
    const QList<ModelPreset> &rows = ModelPresets::rows();
    QCOMPARE(rows.size(), ModelPresets::count);
    for (const ModelPreset &r : rows) {
        QCOMPARE(QString::fromUtf8(r.buttonName), QStringLiteral("type%1_pushButton").arg(r.buttonNumber));
        QCOMPARE(r.hasAction(), r.buttonNumber != 5 && r.buttonNumber != 19);
        if (r.hasAction())
            QCOMPARE(r.modelId, r.buttonNumber);
    }
    // The Linden button writes the Larch preset and id 18.
    QCOMPARE(QString::fromUtf8(rows[10].presetPath), QStringLiteral(":/param/Larch.param"));
    QCOMPARE(QString::fromUtf8(rows[10].confirmationText), QStringLiteral("是否将飞控重置为Linden参数"));
    QCOMPARE(QString::fromUtf8(rows[1].confirmationText), QStringLiteral("是否将飞控重置为Elm-V3参数"));

    QCOMPARE(ModelPresets::byIndex(18), nullptr);
    QCOMPARE(ModelPresets::byModelId(19), nullptr);
    QCOMPARE(ModelPresets::indexOfButton(QStringLiteral("type14_pushButton")), -1);
    QCOMPARE(ModelPresets::modelIdFromValue(17.5), 18);
    QCOMPARE(ModelPresets::modelIdFromValue(17.49), 17);
    QCOMPARE(ModelPresets::modelIdFromValue(-1.0), -1);
    QVERIFY(ModelPresets::isSmallModel(9) && !ModelPresets::isSmallModel(10) && !ModelPresets::isSmallModel(0));
    QCOMPARE(ModelPresets::offeredIndexes(7), QList<int>({0, 1}));
    QCOMPARE(ModelPresets::offeredIndexes(300).size(), 14);
    QVERIFY(ModelPresets::offeredIndexes(0).isEmpty());
    QCOMPARE(ModelPresets::selectedIndexForModel(19), 11);
    for (int id : {-1, 0, 2, 9, 14, 26})
        QCOMPARE(ModelPresets::selectedIndexForModel(id), -1);
    QCOMPARE(ModelPresets::modelName(4), QStringLiteral("Elm "));
    QCOMPARE(ModelPresets::modelName(14), QStringLiteral("None"));
    for (int id : {INT_MIN, 0, 6, 26, INT_MAX})
        QCOMPARE(ModelPresets::modelName(id), QStringLiteral("----"));
}

void TestParams::everyPresetParses()
{
    QSet<QString> paths;
    float smallRollP = 1, scaleRollP = 0;
    for (const ModelPreset &r : ModelPresets::rows()) {
        if (!r.hasAction())
            continue;
        const QString path = QString::fromUtf8(r.presetPath);
        paths.insert(path);
        const ParamFileReadResult read = ParamFileParser::readFile(path);
        QVERIFY2(read.ok, qPrintable(path + ": " + read.error));
        const ParamFileContent &c = read.content;
        QVERIFY2(c.diagnostics.isEmpty(), qPrintable(path));
        if (r.modelId == 10 || r.modelId == 21) {
            // A comment names the model: the model id write after the file sets it.
            QVERIFY(c.entries.first().name != QLatin1String("fw_version"));
        } else {
            QCOMPARE(c.entries.first().name, QStringLiteral("fw_version"));
            QCOMPARE(c.entries.first().value, float(r.modelId));
        }
        QSet<QString> seen;
        for (const ParamFileEntry &e : c.entries) {
            QVERIFY2(ParameterStore::isValidName(e.name) && !seen.contains(e.name), qPrintable(path + " " + e.name));
            seen.insert(e.name);
        }
        // Inside the tuning sliders' ranges, so the sliders show them.
        const float rollP = valueOf(c, "ATC_RAT_RLL_P");
        QVERIFY2(rollP >= 0.02f && rollP <= 0.08f, qPrintable(path));
        QVERIFY2(valueOf(c, "ATC_RAT_YAW_P") >= 0.15f && valueOf(c, "ATC_RAT_YAW_P") <= 0.35f, qPrintable(path));
        QVERIFY2(valueOf(c, "H_COL_MIN") >= 1000 && valueOf(c, "H_COL_MIN") < valueOf(c, "H_COL_MAX")
                     && valueOf(c, "H_COL_MAX") <= 2000, qPrintable(path));
        if (ModelPresets::isSmallModel(r.modelId)) {
            smallRollP = std::min(smallRollP, rollP);
        } else {
            scaleRollP = std::max(scaleRollP, rollP);
            QVERIFY2(valueOf(c, "H_RSC_SETPOINT") > 0 && valueOf(c, "H_RSC_SETPOINT") <= 100, qPrintable(path));
        }
    }
    QVERIFY(scaleRollP < smallRollP);
    QCOMPARE(paths.size(), 16);
    const QStringList files = QDir(QStringLiteral(":/param")).entryList(QDir::Files);
    QCOMPARE(files.size(), 16); // no preset file that no button uses

    const ParamFileContent alder = ParamFileParser::readFile(QStringLiteral(":/param/Alder-V3.param")).content;
    QCOMPARE(alder.entries.size(), 34);
    QCOMPARE(valueOf(alder, "ATC_RAT_RLL_P"), 0.045f);
    QCOMPARE(valueOf(alder, "ATC_RAT_YAW_P"), 0.23f);
    QCOMPARE(alder.entries.last().name, QStringLiteral("H_TAIL_TYPE"));
}

QTEST_GUILESS_MAIN(TestParams)
#include "tst_parameter_store.moc"
