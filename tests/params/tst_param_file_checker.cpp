// The one checker of parameter files: line syntax, names, the values a 32-bit float holds, duplicates, foreign
// encodings, and quotes that cannot hurt a terminal; every shipped preset against the simulator's table.
#include "params/ParamFileChecker.h"
#include "sim/HeliParameterTable.h"

#include <QDir>
#include <QTranslator>
#include <QtTest>

#include <cfloat>
#include <limits>

Q_DECLARE_METATYPE(ParamCheckProblem::Kind)

namespace {

QSet<QString> knownNames()
{
    return {"SIMP_001", "SIMP_002", "SIMP_003", "ATC_RAT_YAW_P"};
}

} // namespace

class TestParamFileChecker : public QObject
{
    Q_OBJECT

private slots:
    // One problem line per case: its kind, line, a fragment of its text, and what stays writable.
    void oneProblem_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<ParamCheckProblem::Kind>("kind");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("fragment");
        QTest::addColumn<QStringList>("writable");

        using K = ParamCheckProblem;
        const auto row = [](const char *name, const QByteArray &text, K::Kind kind, int line, const char *fragment,
                            const QStringList &writable = {}) {
            QTest::newRow(name) << text << kind << line << QString::fromUtf8(fragment) << writable;
        };
        const QStringList second{"SIMP_002"};
        row("nan", "SIMP_001,nan\nSIMP_002,2.5\n", K::BadValue, 1, "not a number: \"SIMP_001,nan\"", second);
        row("inf", "SIMP_001,-inf\nSIMP_002,2.5\n", K::BadValue, 1, "not a number", second);
        row("trailing comment", "SIMP_001,1 # roll\nSIMP_002,2.5\n", K::BadFormat, 1,
            "comments stand on lines of their own", second);
        row("three fields", "# header\n\nSIMP_001,1,2\n", K::BadFormat, 3, "not NAME,VALUE: \"SIMP_001,1,2\"");
        row("no comma", "SIMP_001 1\r\nSIMP_002,2\r\n", K::BadFormat, 1, "not NAME,VALUE", second);
        row("bad name", "SIMP.001,1\n", K::BadName, 1, "not a parameter name");
        row("name too long", "ABCDEFGHIJKLMNOPQ,1\n", K::BadName, 1, "not a parameter name");
        row("locale comma", "SIMP_001,0,5\n", K::BadFormat, 1, "not NAME,VALUE");
        row("hex", "SIMP_001,0x10\n", K::BadValue, 1, "not a number");
        row("1e-50", "SIMP_001,1e-50\nSIMP_002,1\n", K::ValueNotFloat, 1,
            "SIMP_001: 1e-50 is too small for a 32-bit float: it would be written as 0", second);
        row("1e40", "SIMP_001,1e40\n", K::ValueNotFloat, 1, "beyond the range of a 32-bit float");
        row("-1e39", "SIMP_001,-1e39\n", K::ValueNotFloat, 1, "beyond the range");
        row("1e400", "SIMP_001,1e400\n", K::ValueNotFloat, 1, "beyond the range");
        row("1e-400", "SIMP_001,1e-400\n", K::ValueNotFloat, 1, "written as 0");
        row("half the smallest denormal", "SIMP_001,7e-46\n", K::ValueNotFloat, 1, "written as 0");
        row("unknown", "SIMP_001,1\nNOPE,2\nSIMP_002,3\n", K::UnknownName, 2, "line 2: unknown parameter: NOPE",
            {"SIMP_001", "SIMP_002"});
        row("duplicate differs", "SIMP_001,1\nSIMP_002,2\nSIMP_001,1.5\n", K::DuplicateDiffers, 3,
            "SIMP_001 given twice with different values (lines 1 and 3: 1 and 1.5)", second);
        row("invalid utf-8", "SIMP_001,1\xff\n", K::BadFormat, 1, "not UTF-8 text: \"SIMP_001,1\\xff\"");
        row("NUL inside a later line", QByteArray("SIMP_001,1\nSIMP_002,2\0garbage\n", 29), K::BadFormat, 2,
            "NUL byte: \"SIMP_002,2\\0garbage\"", {"SIMP_001"});
        row("escape sequence", "\x1b[2J\x1b]0;owned\x07,1\n", K::BadName, 1, "\"\\x1b[2J\\x1b]0;owned\\x07,1\"");
    }

    void oneProblem()
    {
        QFETCH(QByteArray, text);
        QFETCH(ParamCheckProblem::Kind, kind);
        QFETCH(int, line);
        QFETCH(QString, fragment);
        QFETCH(QStringList, writable);
        const QSet<QString> names = knownNames();
        const ParamCheckResult r = ParamFileChecker::check(text, &names);
        QVERIFY(r.readable);
        QCOMPARE(r.problems.size(), 1);
        const ParamCheckProblem &p = r.problems.first();
        QCOMPARE(p.kind, kind);
        QCOMPARE(p.line, line);
        QVERIFY(p.isError());
        QVERIFY(!r.clean());
        QVERIFY2(p.describe().contains(fragment), qPrintable(p.describe()));
        QStringList got;
        for (const ParamFileEntry &e : r.writable)
            got << e.name;
        QCOMPARE(got, writable);
    }

    // Values a 32-bit float holds within the write tolerance pass as the
    // float they become; denormals come back bit-exact from their shortest form.
    void valuesThatPass_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<float>("expected");
        QTest::newRow("0.001") << QByteArray("0.001") << 0.001f;
        QTest::newRow("-0") << QByteArray("-0") << -0.0f;
        QTest::newRow("+.5") << QByteArray("+.5") << 0.5f;
        QTest::newRow("integer") << QByteArray("1750") << 1750.0f;
        QTest::newRow("16777217 (rounds within 1e-5)") << QByteArray("16777217") << 16777216.0f;
        QTest::newRow("smallest normal") << QByteArray("1.1754944e-38") << FLT_MIN;
        QTest::newRow("denormal 1e-40") << QByteArray("1e-40") << 1e-40f;
        QTest::newRow("smallest denormal, shortest form") << QByteArray("1e-45")
                                                          << std::numeric_limits<float>::denorm_min();
        QTest::newRow("negative denormal") << QByteArray("-3e-45") << -3e-45f;
        QTest::newRow("largest float, shortest form") << QByteArray("3.4028235e+38") << FLT_MAX;
        QTest::newRow("largest float negative") << QByteArray("-3.4028235E38") << -FLT_MAX;
    }

    void valuesThatPass()
    {
        QFETCH(QByteArray, value);
        QFETCH(float, expected);
        const ParamCheckResult r = ParamFileChecker::check("SIMP_001, " + value + " \n", nullptr);
        QVERIFY2(r.clean(), r.problems.isEmpty() ? "" : qPrintable(r.problems.first().describe()));
        QCOMPARE(r.writable.size(), 1);
        QCOMPARE(std::signbit(r.writable.first().value), std::signbit(expected));
        QCOMPARE(r.writable.first().value, expected);
    }

    // A name twice with the same value is a note: written once, the file
    // still clean. With a third, different value both earlier lines are named.
    void duplicates()
    {
        const QSet<QString> names = knownNames();
        ParamCheckResult r = ParamFileChecker::check("SIMP_001,2.5\nSIMP_002,1\nSIMP_001,2.50\n", &names);
        QVERIFY(r.clean());
        QCOMPARE(r.writable.size(), 2);
        QCOMPARE(r.problems.size(), 1);
        QCOMPARE(r.problems.first().kind, ParamCheckProblem::DuplicateSame);
        QCOMPARE(r.problems.first().otherLine, 1);
        QVERIFY(r.problems.first().describe().contains("note: SIMP_001 repeats line 1"));

        // 1150 names, each a hundred times with drifting values: one error per
        // repeat, nothing of those names writable.
        QByteArray big;
        for (int round = 0; round < 100; ++round)
            for (int i = 0; i < 1150; ++i)
                big += "P" + QByteArray::number(i) + "," + QByteArray::number(round) + "\n";
        r = ParamFileChecker::check(big, nullptr);
        QCOMPARE(r.totalLines, 115000);
        QCOMPARE(r.errorCount(), 99 * 1150);
        QVERIFY(r.writable.isEmpty());
        const QStringList shown = r.describeProblems();
        QCOMPARE(shown.size(), 21);
        QCOMPARE(shown.last(), QStringLiteral("... and %1 more").arg(99 * 1150 - 20));
    }

    // Files in another encoding: one sentence naming it, no line problems.
    void foreignEncodings_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("encoding");
        const QString line = QStringLiteral("SIMP_001,1\nSIMP_002,2\n");
        const auto utf16 = [&](bool le, bool bom) {
            QByteArray out = bom ? (le ? QByteArray("\xff\xfe") : QByteArray("\xfe\xff")) : QByteArray();
            for (QChar c : line) {
                const char lo = char(c.unicode() & 0xff), hi = char(c.unicode() >> 8);
                out += le ? QByteArray{&lo, 1} + QByteArray{&hi, 1} : QByteArray{&hi, 1} + QByteArray{&lo, 1};
            }
            return out;
        };
        const auto utf32 = [&](bool le) {
            QByteArray out = le ? QByteArray("\xff\xfe\0\0", 4) : QByteArray("\0\0\xfe\xff", 4);
            for (QChar c : line) {
                const char b = char(c.unicode());
                out += le ? QByteArray(1, b) + QByteArray(3, '\0') : QByteArray(3, '\0') + QByteArray(1, b);
            }
            return out;
        };
        QTest::newRow("UTF-16 LE with mark") << utf16(true, true) << "UTF-16 LE";
        QTest::newRow("UTF-16 BE with mark") << utf16(false, true) << "UTF-16 BE";
        QTest::newRow("UTF-16 LE without mark") << utf16(true, false) << "UTF-16 LE";
        QTest::newRow("UTF-32 LE") << utf32(true) << "UTF-32 LE";
        QTest::newRow("UTF-32 BE") << utf32(false) << "UTF-32 BE";
        QTest::newRow("NUL in the first line") << QByteArray("\x01\x02\0\x7f\x1b[31m\n", 9) << "binary";
    }

    void foreignEncodings()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, encoding);
        const ParamCheckResult r = ParamFileChecker::check(text, nullptr);
        QVERIFY(!r.readable);
        QVERIFY(!r.clean());
        QVERIFY(r.wrongEncoding);
        QCOMPARE(r.encodingName, encoding);
        QVERIFY(r.problems.isEmpty());
        QVERIFY(r.writable.isEmpty());
        QVERIFY2(r.fileError.contains("save it as UTF-8"), qPrintable(r.fileError));
        if (encoding != "binary")
            QVERIFY2(r.fileError.contains(encoding), qPrintable(r.fileError));
        // A UTF-8 mark is no foreign encoding.
        QVERIFY(ParamFileChecker::check("\xEF\xBB\xBFSIMP_001,1\n", nullptr).clean());
    }

    // Quotes: at most 40 characters, every control byte and invalid UTF-8
    // byte escaped, valid UTF-8 kept; a 4 MB line costs nothing.
    void quoting_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("plain") << QByteArray("SIMP_001,1") << "SIMP_001,1";
        QTest::newRow("escape") << QByteArray("\x1b[31mred") << "\\x1b[31mred";
        QTest::newRow("NUL") << QByteArray("a\0b", 3) << "a\\0b";
        QTest::newRow("DEL, tab, CR") << QByteArray("\x7f\t\r") << "\\x7f\\x09\\x0d";
        QTest::newRow("backslash") << QByteArray("a\\x1b") << "a\\\\x1b";
        QTest::newRow("Chinese") << QByteArray("参数,1") << "参数,1";
        QTest::newRow("lone continuation") << QByteArray("\x80z") << "\\x80z";
        QTest::newRow("cut sequence") << QByteArray("\xe5\x8f") << "\\xe5\\x8f";
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << "\\xc0\\xaf";
        QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << "\\xed\\xa0\\x80";
        QTest::newRow("C1 CSI") << QByteArray("\xc2\x9b" "2J") << "\\u009b2J";
        QTest::newRow("right-to-left override") << QByteArray("a\xe2\x80\xae" "b") << "a\\u202eb";
        QTest::newRow("41 characters") << QByteArray(41, 'x') << QString(40, 'x') + "...";
        QTest::newRow("40 escapes") << QByteArray(45, '\x1b') << QString("\\x1b").repeated(40) + "...";
    }

    void quoting()
    {
        QFETCH(QByteArray, raw);
        QFETCH(QString, quoted);
        QCOMPARE(ParamFileChecker::quote(raw), quoted);
    }

    void garbageAndHugeLines()
    {
        // 100 KB of pseudo-random bytes (no NUL in the first line): every
        // problem's quote is short and free of control characters.
        QByteArray garbage;
        quint32 x = 12345;
        for (int i = 0; i < 100 * 1024; ++i) {
            x = x * 1664525u + 1013904223u;
            garbage += char(x >> 24);
        }
        garbage[0] = 'G';
        for (int i = 0; i < garbage.indexOf('\n'); ++i)
            if (garbage[i] == '\0')
                garbage[i] = 'x';
        const ParamCheckResult r = ParamFileChecker::check(garbage, nullptr);
        QVERIFY(r.readable);
        QVERIFY(r.errorCount() > 100);
        for (const ParamCheckProblem &p : r.problems) {
            const QString line = p.describe();
            QVERIFY(line.size() < 220);
            for (QChar c : line)
                QVERIFY2(c.unicode() >= 0x20 && c.unicode() != 0x7f && !(c.unicode() >= 0x80 && c.unicode() < 0xa0),
                         qPrintable(line));
        }
        // A 3.9 MB line: one problem, quoted in 40 characters.
        const QByteArray huge = "SIMP_001," + QByteArray(3900 * 1024, '7') + "\n";
        const ParamCheckResult h = ParamFileChecker::check(huge, nullptr);
        QCOMPARE(h.errorCount(), 1);
        QVERIFY(h.problems.first().describe().size() < 200);
    }

    void files()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const ParamCheckResult missing = ParamFileChecker::checkFile(dir.filePath("none.param"), nullptr);
        QVERIFY(!missing.readable);
        QVERIFY(missing.fileError.contains("cannot open"));
        QFile big(dir.filePath("big.param"));
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(ParamFileParser::maxFileSize + 1));
        big.close();
        const ParamCheckResult tooBig = ParamFileChecker::checkFile(big.fileName(), nullptr);
        QVERIFY(!tooBig.readable);
        QVERIFY(tooBig.fileError.contains("too large"));
    }

    // The window's lines: Chinese as written, and with the English catalogue exactly the lines tavro-cli prints.
    void textsInBothLanguages()
    {
        const QSet<QString> names = knownNames();
        static const char file[] = "A,1 # c\nB\0,1\nC,\xff\nno comma\n1BAD.,1\nSIMP_001,x\nSIMP_001,1e-50\n"
                                   "SIMP_001,1e40\nNOPE,1\nSIMP_002,1\nSIMP_002,2\nSIMP_003,1\nSIMP_003,1\n";
        const ParamCheckResult r = ParamFileChecker::check(QByteArray(file, sizeof file - 1), &names);
        QCOMPARE(r.problems.size(), 11);
        QCOMPARE(r.problems.first().text(), QStringLiteral("第1行：注释须单独成行：\"A,1 # c\""));
        QTranslator english;
        QVERIFY(english.load(QStringLiteral(":/TAVRO_en_US.qm")));
        QCoreApplication::installTranslator(&english);
        for (const ParamCheckProblem &p : r.problems)
            QCOMPARE(p.text(), p.describe());
        QCOMPARE(r.problemTexts(3), r.describeProblems(3));
        const ParamCheckResult utf16 = ParamFileChecker::check(QByteArray("\xff\xfe" "A\0", 4), nullptr);
        QCOMPARE(utf16.encodingText(), utf16.fileError);
        const ParamCheckResult binary = ParamFileChecker::check(QByteArray("\x01\0\x02", 3), nullptr);
        QCOMPARE(binary.encodingText(), binary.fileError);
        QCoreApplication::removeTranslator(&english);
        QVERIFY(utf16.encodingText().startsWith(QStringLiteral("此文件是 UTF-16 LE 编码")));
    }

    // Every shipped preset passes against the simulated flight controller's table.
    void shippedPresetsPass()
    {
        QSet<QString> names;
        for (const SimParameter &p : HeliParameterTable::build())
            names.insert(p.name);
        const QStringList presets = QDir(QStringLiteral(":/param")).entryList({"*.param"}, QDir::Files);
        QVERIFY(presets.size() >= 10);
        for (const QString &file : presets) {
            const ParamCheckResult r = ParamFileChecker::checkFile(QStringLiteral(":/param/") + file, &names);
            QVERIFY2(r.readable, qPrintable(file + ": " + r.fileError));
            QVERIFY2(r.problems.isEmpty(),
                     qPrintable(file + ": " + r.describeProblems().join(QStringLiteral("; "))));
            QVERIFY2(!r.writable.isEmpty(), qPrintable(file));
        }
    }
};

QTEST_GUILESS_MAIN(TestParamFileChecker)
#include "tst_param_file_checker.moc"
