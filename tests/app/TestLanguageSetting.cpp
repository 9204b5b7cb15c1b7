// The language choice in settings.ini: only the exact texts count, and a
// choice is stored even into a file QSettings cannot parse.
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
        using C = LanguageSetting::Choice;
        QTest::newRow("English") << QByteArray("[tavro-set]\nLanguage=English\n") << int(C::English);
        QTest::newRow("Chinese") << QByteArray("[tavro-set]\nLanguage=简体中文\n") << int(C::Chinese);
        QTest::newRow("quoted") << QByteArray("[tavro-set]\nLanguage=\"English\"\n") << int(C::English);
        QTest::newRow("other case") << QByteArray("[tavro-set]\nLanguage=english\n") << int(C::None);
        QTest::newRow("a list") << QByteArray("[tavro-set]\nLanguage=English, English\n") << int(C::None);
        QTest::newRow("a byte array") << QByteArray("[tavro-set]\nLanguage=@ByteArray(English)\n") << int(C::None);
        QTest::newRow("another group") << QByteArray("[other]\nLanguage=English\n") << int(C::None);
        QTest::newRow("missing") << QByteArray() << int(C::None);
    }

    void values()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, choice);
        QTemporaryDir dir;
        const QString path = dir.filePath("settings.ini");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(file);
        f.close();
        QCOMPARE(int(LanguageSetting::read(path)), choice);
    }

    void storedIntoADamagedFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("sub/settings.ini");
        QVERIFY(LanguageSetting::write(path, true));   // the folder is made
        QCOMPARE(LanguageSetting::read(path), LanguageSetting::Choice::English);

        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("/tmp\n\x01\x02 not an ini file\n");
        f.close();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("replacing the damaged"));
        QVERIFY(LanguageSetting::write(path, false));
        QCOMPARE(LanguageSetting::read(path), LanguageSetting::Choice::Chinese);
        QCOMPARE(QSettings(path, QSettings::IniFormat).status(), QSettings::NoError);
    }
};

QTEST_GUILESS_MAIN(TestLanguageSetting)
#include "TestLanguageSetting.moc"
