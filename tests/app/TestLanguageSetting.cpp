// The language choice in settings.ini: only the exact texts count, a file
// holding values the program never writes is not parsed, and a choice is
// stored even into a file QSettings cannot parse.
#include "app/LanguageSetting.h"

#include <QSettings>
#include <QtTest>

class TestLanguageSetting : public QObject
{
    Q_OBJECT

private slots:
    void values_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("refused");   // the file is not handed to QSettings
        using C = LanguageSetting::Choice;
        const auto row = [](const char *name, const QByteArray &file, C choice, bool refused = false) {
            QTest::newRow(name) << file << int(choice) << refused;
        };
        row("English", "[tavro-set]\nLanguage=English\n", C::English);
        row("Chinese", "[tavro-set]\nLanguage=简体中文\n", C::Chinese);
        row("quoted", "[tavro-set]\nLanguage=\"English\"\n", C::English);
        row("other case", "[tavro-set]\nLanguage=english\n", C::None);
        row("a list", "[tavro-set]\nLanguage=English, English\n", C::None);
        row("another group", "[other]\nLanguage=English\n", C::None);
        row("an @ inside values", "[tavro-set]\nLanguage=English\nMail=me@home, you@home\n", C::English);
        row("missing", QByteArray(), C::None);
        // Values QSettings would decode from a binary stream are not read at
        // all: this serialised list claims four thousand million texts, and
        // decoding it would try to reserve about 100 GB.
        const QByteArray hugeList("@Variant(\\0\\0\\0\\xb\\xff\\xff\\xff\\xff)");
        row("a huge serialised list", "[tavro-set]\nLanguage=" + hugeList + "\n", C::None, true);
        row("one in another key", "[tavro-set]\nLanguage=English\nOther=" + hugeList + "\n", C::None, true);
        row("one quoted in a list", "[tavro-set]\nLanguage=English, \"" + hugeList + "\"\n", C::None, true);
        row("an escaped @", "[tavro-set]\nLanguage=\\x40String(English)\n", C::None, true);
        row("a byte array", "[tavro-set]\nLanguage=@ByteArray(English)\n", C::None, true);
        row("too large", "[tavro-set]\nLanguage=English\n" + QByteArray(70000, ';') + "\n", C::None, true);
    }

    void values()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, choice);
        QFETCH(bool, refused);
        QTemporaryDir dir;
        const QString path = dir.filePath("settings.ini");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(file);
        f.close();
        if (refused)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("settings: ignoring"));
        QCOMPARE(int(LanguageSetting::read(path)), choice);
    }

    // A switch replaces a file it cannot safely store into, and the choice
    // reads back: a file QSettings cannot parse; one holding a value QSettings
    // would decode from a binary stream (replaced before QSettings reads it to
    // write); one whose other key QSettings writes back as an escape, which
    // the check then refuses.
    void storedIntoADamagedFile_data()
    {
        QTest::addColumn<QByteArray>("damaged");
        QTest::newRow("not an ini file") << QByteArray("/tmp\n\x01\x02 not an ini file\n");
        QTest::newRow("a serialised value")
            << QByteArray("[tavro-set]\nLanguage=@Variant(\\0\\0\\0\\xb\\xff\\xff\\xff\\xff)\n");
        QTest::newRow("written back as an escape") << QByteArray("[tavro-set]\nOther=\x01\n");
    }

    void storedIntoADamagedFile()
    {
        QFETCH(QByteArray, damaged);
        QTemporaryDir dir;
        const QString path = dir.filePath("sub/settings.ini");
        QVERIFY(LanguageSetting::write(path, true));   // the folder is made
        QCOMPARE(LanguageSetting::read(path), LanguageSetting::Choice::English);

        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(damaged);
        f.close();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("replacing the damaged"));
        QVERIFY(LanguageSetting::write(path, false));
        QCOMPARE(LanguageSetting::read(path), LanguageSetting::Choice::Chinese);
        QCOMPARE(QSettings(path, QSettings::IniFormat).status(), QSettings::NoError);
    }
};

QTEST_GUILESS_MAIN(TestLanguageSetting)
#include "TestLanguageSetting.moc"
