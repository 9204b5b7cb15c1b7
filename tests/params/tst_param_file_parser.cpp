#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

#include "params/ParamFileParser.h"
#include "params/ParameterStore.h"

class TestParamFileParser : public QObject
{
    Q_OBJECT

private slots:
    void commentsAndBlanksOnly();
    void blanksAroundFieldsAndCommentMarker();
    void remarkAfterValueSkipsTheLine();
    void byteOrderMarkAndLineEndings();
    void lineCounting_data();
    void lineCounting();
    void fieldCount_data();
    void fieldCount();
    void numberSyntax_data();
    void numberSyntax();
    void names_data();
    void names();
    void diagnosticsKeepFileOrderAndLines();
    void garbageNeverYieldsABadEntry();
    void readFileReportsOpeningErrors();
    void readFileParsesAFile();
    void loadProgress();
};

void TestParamFileParser::commentsAndBlanksOnly()
{
    const ParamFileContent c = ParamFileParser::parse("# preset\n\n   \n\t# another\r\n#ATC_RAT_YAW_P,0.25\n");
    QVERIFY(c.entries.isEmpty());
    QVERIFY(c.diagnostics.isEmpty());
    QCOMPARE(c.totalLines, 5);

    const ParamFileContent empty = ParamFileParser::parse(QByteArray());
    QVERIFY(empty.entries.isEmpty());
    QCOMPARE(empty.totalLines, 0);
}

void TestParamFileParser::blanksAroundFieldsAndCommentMarker()
{
    const ParamFileContent c = ParamFileParser::parse("  ATC_RAT_YAW_P \t,   0.25  \n"
                                                      "# ATC_RAT_YAW_P , 0.25\n"
                                                      "   #ATC_RAT_PIT_P,0.03\n");
    QCOMPARE(c.entries.size(), 1);
    QCOMPARE(c.entries[0].name, QStringLiteral("ATC_RAT_YAW_P"));
    QCOMPARE(c.entries[0].value, 0.25f);
    QCOMPARE(c.entries[0].line, 1);
    QVERIFY(c.diagnostics.isEmpty());
    QCOMPARE(c.totalLines, 3);
}

void TestParamFileParser::remarkAfterValueSkipsTheLine()
{
    // A remark after the value makes it no number: the line is not written at
    // all (writing 0 would zero a gain).
    const ParamFileContent c = ParamFileParser::parse("ATC_RAT_YAW_P, 0.25 #tail\n"
                                                      "fw_version,10 # Birch\n"
                                                      "ATC_RAT_RLL_P,0.03\n");
    QCOMPARE(c.entries.size(), 1);
    QCOMPARE(c.entries[0].name, QStringLiteral("ATC_RAT_RLL_P"));
    QCOMPARE(c.diagnostics.size(), 2);
    QCOMPARE(c.diagnostics[0].line, 1);
    QCOMPARE(c.diagnostics[0].message, QStringLiteral("Invalid value: ATC_RAT_YAW_P, 0.25 #tail"));
    QCOMPARE(c.diagnostics[1].message, QStringLiteral("Invalid value: fw_version,10 # Birch"));
}

void TestParamFileParser::byteOrderMarkAndLineEndings()
{
    const ParamFileContent c = ParamFileParser::parse("\xEF\xBB\xBF" "fw_version,1\r\nH_COL_MAX,1850\nH_COL_MIN,1200\r\n");
    QCOMPARE(c.entries.size(), 3);
    QCOMPARE(c.entries[0].name, QStringLiteral("fw_version"));
    QCOMPARE(c.entries[0].value, 1.0f);
    QCOMPARE(c.entries[1].value, 1850.0f);
    QCOMPARE(c.entries[2].name, QStringLiteral("H_COL_MIN"));
    QVERIFY(c.diagnostics.isEmpty());

    // Only a leading mark is skipped; one further down is part of the name.
    const ParamFileContent later = ParamFileParser::parse("fw_version,1\n\xEF\xBB\xBFH_COL_MAX,1850\n");
    QCOMPARE(later.entries.size(), 1);
    QCOMPARE(later.diagnostics.size(), 1);
    QCOMPARE(later.diagnostics[0].line, 2);

    // A lone CR does not end a line: the two halves make one invalid line.
    const ParamFileContent cr = ParamFileParser::parse("H_COL_MAX,1850\rH_COL_MIN,1200");
    QCOMPARE(cr.totalLines, 1);
    QVERIFY(cr.entries.isEmpty());
    QCOMPARE(cr.diagnostics.size(), 1);
}

void TestParamFileParser::lineCounting_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("lines");
    QTest::newRow("no final newline") << QByteArray("a,1\nb,2") << 2;
    QTest::newRow("final newline") << QByteArray("a,1\nb,2\n") << 2;
    QTest::newRow("final CR LF") << QByteArray("a,1\r\nb,2\r\n") << 2;
    QTest::newRow("blank lines count") << QByteArray("\n\n\n") << 3;
    QTest::newRow("trailing blank line") << QByteArray("a,1\n\n") << 2;
    QTest::newRow("mark only") << QByteArray("\xEF\xBB\xBF") << 0;
    QTest::newRow("invalid lines count") << QByteArray("x\ny\nz,1,2\n") << 3;
}

void TestParamFileParser::lineCounting()
{
    QFETCH(QByteArray, text);
    QFETCH(int, lines);
    QCOMPARE(ParamFileParser::parse(text).totalLines, lines);
}

void TestParamFileParser::fieldCount_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("message");
    QTest::newRow("no comma") << QByteArray("H_COL_MAX 1850") << "Invalid line format: H_COL_MAX 1850";
    QTest::newRow("trailing comma") << QByteArray("H_COL_MAX,1850,") << "Invalid line format: H_COL_MAX,1850,";
    QTest::newRow("two commas in a row") << QByteArray("H_COL_MAX,,1850") << "Invalid line format: H_COL_MAX,,1850";
    QTest::newRow("three fields") << QByteArray(" a,1,2 \r") << "Invalid line format: a,1,2";
    QTest::newRow("decimal comma") << QByteArray("ATC_RAT_YAW_P,0,25") << "Invalid line format: ATC_RAT_YAW_P,0,25";
    QTest::newRow("empty value") << QByteArray("H_COL_MAX,") << "Invalid value: H_COL_MAX,";
    QTest::newRow("empty name") << QByteArray(" , 5") << "Invalid name: , 5";
    QTest::newRow("only a comma") << QByteArray(",") << "Invalid name: ,";
}

void TestParamFileParser::fieldCount()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, message);
    const ParamFileContent c = ParamFileParser::parse(line);
    QVERIFY(c.entries.isEmpty());
    QCOMPARE(c.diagnostics.size(), 1);
    QCOMPARE(c.diagnostics[0].message, message);
    QCOMPARE(c.diagnostics[0].line, 1);
}

void TestParamFileParser::numberSyntax_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<float>("value");
    QTest::newRow("integer") << "1850" << true << 1850.0f;
    QTest::newRow("negative") << "-1.5" << true << -1.5f;
    QTest::newRow("plus sign") << "+2" << true << 2.0f;
    QTest::newRow("exponent") << "1e3" << true << 1000.0f;
    QTest::newRow("negative exponent") << "2.5E-2" << true << 0.025f;
    QTest::newRow("leading point") << ".5" << true << 0.5f;
    QTest::newRow("trailing point") << "5." << true << 5.0f;
    QTest::newRow("leading zeros") << "007" << true << 7.0f;
    QTest::newRow("float rounding") << "0.045" << true << 0.045f;
    QTest::newRow("largest float") << "3.4028234e38" << true << 3.4028234e38f;
    QTest::newRow("tiny") << "1e-50" << true << 0.0f;
    QTest::newRow("beyond float") << "1e39" << false << 0.0f;
    QTest::newRow("inf") << "inf" << false << 0.0f;
    QTest::newRow("nan") << "nan" << false << 0.0f;
    QTest::newRow("hex") << "0x10" << false << 0.0f;
    QTest::newRow("blank inside") << "1 5" << false << 0.0f;
    QTest::newRow("two points") << "1.2.3" << false << 0.0f;
    QTest::newRow("lone point") << "." << false << 0.0f;
    QTest::newRow("lone sign") << "-" << false << 0.0f;
    QTest::newRow("exponent only") << "e5" << false << 0.0f;
    QTest::newRow("dangling exponent") << "5e" << false << 0.0f;
    QTest::newRow("group separator") << "1'000" << false << 0.0f;
    QTest::newRow("underscore") << "1_000" << false << 0.0f;
    QTest::newRow("arabic-indic digit") << QString(QChar(0x0663)) << false << 0.0f;
    QTest::newRow("full-width digit") << QString(QChar(0xFF13)) << false << 0.0f;
    QTest::newRow("trailing letter") << "5f" << false << 0.0f;
}

void TestParamFileParser::numberSyntax()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(float, value);
    const ParamFileContent c = ParamFileParser::parse(("H_COL_MAX, " + text + " \n").toUtf8());
    if (valid) {
        QCOMPARE(c.entries.size(), 1);
        QCOMPARE(c.entries[0].value, value);
        QVERIFY(c.diagnostics.isEmpty());
    } else {
        QVERIFY(c.entries.isEmpty());
        QCOMPARE(c.diagnostics.size(), 1);
        QVERIFY(c.diagnostics[0].message.startsWith(QStringLiteral("Invalid value: ")));
    }
}

void TestParamFileParser::names_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("valid");
    QTest::newRow("lower case") << "fw_version" << true;
    QTest::newRow("sixteen characters") << "ATC_RAT_RLL_FLTD" << true;
    // The flight controller keeps 16 characters: a longer name would be cut
    // and write a different parameter.
    QTest::newRow("seventeen characters") << "ATC_RAT_RLL_FLTDX" << false;
    QTest::newRow("hyphen") << "H-COL-MAX" << false;
    QTest::newRow("blank inside") << "H_COL MAX" << false;
    QTest::newRow("hash inside") << "H_COL#MAX" << false;
    QTest::newRow("chinese") << QStringLiteral("参数") << false;
}

void TestParamFileParser::names()
{
    QFETCH(QString, name);
    QFETCH(bool, valid);
    const ParamFileContent c = ParamFileParser::parse((name + ",1").toUtf8());
    QCOMPARE(c.entries.size(), valid ? 1 : 0);
    QCOMPARE(c.diagnostics.size(), valid ? 0 : 1);
    if (valid)
        QCOMPARE(c.entries[0].name, name);
    else
        QCOMPARE(c.diagnostics[0].message, "Invalid name: " + name + ",1");
}

void TestParamFileParser::diagnosticsKeepFileOrderAndLines()
{
    const QByteArray text = "fw_version,18\n"
                            "\n"
                            "bad line\n"
                            "# remark\n"
                            "ATC_RAT_RLL_P,0.03\n"
                            "ATC_RAT_PIT_P,x\n"
                            "ATC_RAT_RLL_P,0.031\n";
    const ParamFileContent c = ParamFileParser::parse(text);
    QCOMPARE(c.totalLines, 7);
    QCOMPARE(c.entries.size(), 3);
    QCOMPARE(c.entries[0].line, 1);
    QCOMPARE(c.entries[1].line, 5);
    // A repeated name is written again, in file order.
    QCOMPARE(c.entries[2].name, QStringLiteral("ATC_RAT_RLL_P"));
    QCOMPARE(c.entries[2].value, 0.031f);
    QCOMPARE(c.entries[2].line, 7);
    QCOMPARE(c.diagnostics.size(), 2);
    QCOMPARE(c.diagnostics[0].line, 3);
    QCOMPARE(c.diagnostics[1].line, 6);
}

void TestParamFileParser::garbageNeverYieldsABadEntry()
{
    // Random bytes biased towards the format's own characters: whatever comes
    // out is a valid name with a finite value, on a line that exists.
    QRandomGenerator rng(20240611);
    QByteArray alphabet = "AZaz09_,.#-+eE \t\r\n\xEF\xBB\xBF\xFF";
    alphabet.append('\0');
    for (int round = 0; round < 2000; ++round) {
        QByteArray text;
        const int len = rng.bounded(200);
        for (int i = 0; i < len; ++i) {
            text.append(rng.bounded(4) == 0 ? char(rng.bounded(256))
                                            : alphabet.at(rng.bounded(int(alphabet.size()))));
        }
        const ParamFileContent c = ParamFileParser::parse(text);
        QVERIFY(c.entries.size() + c.diagnostics.size() <= c.totalLines);
        QVERIFY(c.totalLines <= text.count('\n') + 1);
        for (const ParamFileEntry& e : c.entries) {
            QVERIFY2(ParameterStore::isValidName(e.name), qPrintable(e.name));
            QVERIFY(std::isfinite(e.value));
            QVERIFY(e.line >= 1 && e.line <= c.totalLines);
        }
    }
}

void TestParamFileParser::readFileReportsOpeningErrors()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const ParamFileReadResult missing = ParamFileParser::readFile(dir.filePath("none.param"));
    QVERIFY(!missing.ok);
    QVERIFY(missing.error.startsWith(QStringLiteral("Error opening file: ")));
    QVERIFY(missing.error.size() > QStringLiteral("Error opening file: ").size());
    QVERIFY(missing.content.entries.isEmpty());

    const ParamFileReadResult folder = ParamFileParser::readFile(dir.path());
    QVERIFY(!folder.ok);
    QVERIFY(folder.error.startsWith(QStringLiteral("Error opening file: ")));

    const ParamFileReadResult resource = ParamFileParser::readFile(QStringLiteral(":/param/none.param"));
    QVERIFY(!resource.ok);

    QFile big(dir.filePath("big.param"));
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.resize(ParamFileParser::maxFileSize + 1));
    big.close();
    const ParamFileReadResult tooBig = ParamFileParser::readFile(big.fileName());
    QVERIFY(!tooBig.ok);
    QVERIFY(tooBig.content.entries.isEmpty());
}

void TestParamFileParser::readFileParsesAFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile f(dir.filePath("model.param"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("\xEF\xBB\xBF" "fw_version,16\r\n\r\n# gains\r\nATC_RAT_YAW_P,0.21\r\nbroken\r\n");
    f.close();
    const ParamFileReadResult r = ParamFileParser::readFile(f.fileName());
    QVERIFY(r.ok);
    QVERIFY(r.error.isEmpty());
    QCOMPARE(r.content.totalLines, 5);
    QCOMPARE(r.content.entries.size(), 2);
    QCOMPARE(r.content.entries[1].value, 0.21f);
    QCOMPARE(r.content.diagnostics.size(), 1);
}

void TestParamFileParser::loadProgress()
{
    QCOMPARE(ParamFileParser::progressPercent(0, 0), 0);
    QCOMPARE(ParamFileParser::progressPercent(3, 0), 0);
    QCOMPARE(ParamFileParser::progressPercent(0, 40), 0);
    QCOMPARE(ParamFileParser::progressPercent(40, 40), 100);
    // The Alder preset: 34 writes over 46 lines (blank lines count).
    QCOMPARE(ParamFileParser::progressPercent(34, 46), 73);
    QCOMPARE(ParamFileParser::progressPercent(1, 3), 33);
    QCOMPARE(ParamFileParser::progressPercent(2, 3), 66);
    // A preset whose remark line is skipped never reaches 100.
    QCOMPARE(ParamFileParser::progressPercent(45, 46), 97);
    QCOMPARE(ParamFileParser::progressPercent(50, 40), 100);
}

QTEST_GUILESS_MAIN(TestParamFileParser)
#include "tst_param_file_parser.moc"
