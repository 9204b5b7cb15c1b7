// The compiled-in catalogues against the English text table and the catalogue
// sources: both catalogues install, every text with an English row shows
// exactly that text in its context, kept texts come back unchanged, and the
// Chinese catalogue shows the Chinese source texts.
#include "FixedEnglishTexts.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QTest>
#include <QTranslator>
#include <QXmlStreamReader>

#include <optional>

namespace {

const QString kEnglishQm = QStringLiteral(":/TAVRO_en_US.qm");
const QString kChineseQm = QStringLiteral(":/TAVRO_zh_CN.qm");
const QString kDir = QStringLiteral(TAVRO_TRANSLATIONS_DIR);

struct Message {
    QString context;
    QString source;
    bool operator==(const Message &o) const { return context == o.context && source == o.source; }
};

QString unescape(const QString &field)
{
    QString out;
    for (int i = 0; i < field.size(); ++i) {
        if (field.at(i) == QLatin1Char('\\') && i + 1 < field.size()) {
            const QChar n = field.at(++i);
            out += n == QLatin1Char('n') ? QChar('\n') : n == QLatin1Char('t') ? QChar('\t') : n;
        } else {
            out += field.at(i);
        }
    }
    return out;
}

// english.tsv: source -> English, std::nullopt for texts kept as written.
QHash<QString, std::optional<QString>> readRows(QStringList *errors)
{
    QHash<QString, std::optional<QString>> rows;
    QFile f(kDir + QStringLiteral("/english.tsv"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        errors->append(QStringLiteral("cannot open english.tsv"));
        return rows;
    }
    int number = 0;
    while (!f.atEnd()) {
        QString line = QString::fromUtf8(f.readLine());
        ++number;
        if (line.endsWith(QLatin1Char('\n')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() != 2 || fields.at(0).isEmpty() || fields.at(1).isEmpty()) {
            errors->append(QStringLiteral("english.tsv:%1: malformed row").arg(number));
            continue;
        }
        const QString source = unescape(fields.at(0));
        std::optional<QString> english;
        if (fields.at(1) != QLatin1String("@keep"))
            english = unescape(fields.at(1));
        if (rows.contains(source) && rows.value(source) != english)
            errors->append(QStringLiteral("english.tsv:%1: second, different row for %2").arg(number).arg(source));
        rows.insert(source, english);
    }
    return rows;
}

QList<Message> readCatalogueSource(const QString &fileName)
{
    QList<Message> messages;
    QFile f(kDir + QLatin1Char('/') + fileName);
    if (!f.open(QIODevice::ReadOnly))
        return messages;
    QXmlStreamReader xml(&f);
    QString context;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("name"))
            context = xml.readElementText();
        else if (xml.name() == QLatin1String("source"))
            messages.append({context, xml.readElementText()});
    }
    return messages;
}

QString lookup(const QString &context, const QString &source)
{
    return QCoreApplication::translate(context.toUtf8().constData(), source.toUtf8().constData());
}

} // namespace

class TranslationsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void bothCataloguesInstall();
    void englishRowsShowExactly();
    void keptTextsStayUnchanged();
    void nearMissesAreNotTranslated();
    void chineseCatalogueShowsSources();
    void fixedEnglishTextsInEveryContext();

private:
    QHash<QString, std::optional<QString>> m_rows;
    QList<Message> m_english;
    QList<Message> m_chinese;
    QStringList m_contexts;
};

void TranslationsTest::initTestCase()
{
    QStringList errors;
    m_rows = readRows(&errors);
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('\n'))));
    QVERIFY(!m_rows.isEmpty());
    m_english = readCatalogueSource(QStringLiteral("TAVRO_en_US.ts"));
    m_chinese = readCatalogueSource(QStringLiteral("TAVRO_zh_CN.ts"));
    QVERIFY2(!m_english.isEmpty() && !m_chinese.isEmpty(), "run tools/update_translations.py");

    QSet<QString> contexts{QStringLiteral("MainWindow"), QStringLiteral("PopUpWidget")};
    for (const Message &m : std::as_const(m_english))
        contexts.insert(m.context);
    m_contexts = contexts.values();
    m_contexts.sort();
}

void TranslationsTest::bothCataloguesInstall()
{
    for (const QString &path : {kEnglishQm, kChineseQm}) {
        QVERIFY2(QFile::exists(path), qPrintable(path));
        QTranslator translator;
        QVERIFY2(translator.load(path), qPrintable(path));
        QVERIFY2(!translator.isEmpty(), qPrintable(path));
        QVERIFY2(QCoreApplication::installTranslator(&translator), qPrintable(path));
        QVERIFY(QCoreApplication::removeTranslator(&translator));
    }
    // the settings file names the language; the catalogue states it too
    QTranslator english;
    QVERIFY(english.load(kEnglishQm));
    QCOMPARE(english.language(), QStringLiteral("en_US"));
}

void TranslationsTest::englishRowsShowExactly()
{
    QTranslator translator;
    QVERIFY(translator.load(kEnglishQm));
    QVERIFY(QCoreApplication::installTranslator(&translator));

    QStringList wrong;
    int checked = 0;
    for (const Message &m : std::as_const(m_english)) {
        const auto row = m_rows.constFind(m.source);
        if (row == m_rows.constEnd() || !row->has_value())
            continue;
        ++checked;
        const QString shown = lookup(m.context, m.source);
        if (shown != **row)
            wrong << QStringLiteral("[%1] %2 -> %3 (expected %4)").arg(m.context, m.source, shown, **row);
    }
    QCoreApplication::removeTranslator(&translator);
    QVERIFY2(wrong.isEmpty(), qPrintable(QStringLiteral("stale catalogue, run tools/update_translations.py:\n")
                                         + wrong.join(QLatin1Char('\n'))));
    QVERIFY(checked > 0);

    // texts of the code still waiting for an English row are listed, not failed
    QStringList untranslated;
    for (const Message &m : std::as_const(m_english))
        if (!m_rows.contains(m.source))
            untranslated << QStringLiteral("[%1] %2").arg(m.context, m.source);
    if (!untranslated.isEmpty())
        qWarning("texts without an English row:\n%s", qPrintable(untranslated.join(QLatin1Char('\n'))));
}

void TranslationsTest::keptTextsStayUnchanged()
{
    QStringList kept{QStringLiteral("CH5"), QStringLiteral("max:"), QStringLiteral("连接"),
                     QStringLiteral("  CH1"), QStringLiteral("%p%"), QStringLiteral("中文"),
                     QStringLiteral("English"), QStringLiteral("  ＋13°"), QStringLiteral("  - 13°")};
    for (auto it = m_rows.cbegin(); it != m_rows.cend(); ++it)
        if (!it->has_value())
            kept << it.key();

    for (const QString &path : {kEnglishQm, kChineseQm}) {
        QTranslator translator;
        QVERIFY(translator.load(path));
        QVERIFY(QCoreApplication::installTranslator(&translator));
        QStringList changed;
        for (const QString &context : std::as_const(m_contexts))
            for (const QString &text : std::as_const(kept))
                if (lookup(context, text) != text)
                    changed << QStringLiteral("[%1] '%2' -> '%3'").arg(context, text, lookup(context, text));
        QCoreApplication::removeTranslator(&translator);
        QVERIFY2(changed.isEmpty(), qPrintable(path + QLatin1Char('\n') + changed.join(QLatin1Char('\n'))));
    }
}

void TranslationsTest::nearMissesAreNotTranslated()
{
    // Lookup is exact: a blank more or less, or a missing line feed, is another text.
    QTranslator translator;
    QVERIFY(translator.load(kEnglishQm));
    QVERIFY(QCoreApplication::installTranslator(&translator));
    QStringList leaked;
    for (const Message &m : std::as_const(m_english)) {
        const QString variants[] = {m.source + QLatin1Char(' '), QLatin1Char(' ') + m.source,
                                    QString(m.source).remove(QLatin1Char(' ')), QString(m.source).remove(QLatin1Char('\n'))};
        for (const QString &v : variants) {
            if (v == m.source)
                continue;
            if (m_rows.contains(v))
                continue; // the variant is a text of its own
            const QString shown = lookup(m.context, v);
            if (shown != v)
                leaked << QStringLiteral("[%1] '%2' -> '%3'").arg(m.context, v, shown);
        }
    }
    if (m_english.contains(Message{QStringLiteral("MainWindow"), QStringLiteral("连 接")}))
        QCOMPARE(lookup(QStringLiteral("MainWindow"), QStringLiteral("连 接")), QStringLiteral("Connect"));
    QCOMPARE(lookup(QStringLiteral("MainWindow"), QStringLiteral("连接")), QStringLiteral("连接"));
    QCoreApplication::removeTranslator(&translator);
    QVERIFY2(leaked.isEmpty(), qPrintable(leaked.join(QLatin1Char('\n'))));
}

void TranslationsTest::chineseCatalogueShowsSources()
{
    QTranslator translator;
    QVERIFY(translator.load(kChineseQm));
    QVERIFY(QCoreApplication::installTranslator(&translator));
    QStringList changed;
    for (const Message &m : std::as_const(m_chinese))
        if (lookup(m.context, m.source) != m.source)
            changed << QStringLiteral("[%1] %2 -> %3").arg(m.context, m.source, lookup(m.context, m.source));
    // the same texts as the English catalogue, so switching back restores every one
    QSet<QString> english, chinese;
    for (const Message &m : std::as_const(m_english))
        english.insert(m.context + QLatin1Char('\x1f') + m.source);
    for (const Message &m : std::as_const(m_chinese))
        chinese.insert(m.context + QLatin1Char('\x1f') + m.source);
    QCoreApplication::removeTranslator(&translator);
    QVERIFY2(changed.isEmpty(), qPrintable(changed.join(QLatin1Char('\n'))));
    QCOMPARE(chinese, english);
}

void TranslationsTest::fixedEnglishTextsInEveryContext()
{
    QTranslator translator;
    QVERIFY(translator.load(kEnglishQm));
    QVERIFY(QCoreApplication::installTranslator(&translator));

    QStringList wrong;
    for (const FixedEnglishText &t : kFixedEnglishTexts) {
        const QString source = QString::fromUtf8(t.source);
        const QString english = QString::fromUtf8(t.english);
        const bool dialog = qstrcmp(t.context, "PopUpWidget") == 0;
        int contexts = 0;
        for (const Message &m : std::as_const(m_english)) {
            if (m.source != source || (m.context == QLatin1String("PopUpWidget")) != dialog)
                continue;
            ++contexts;
            const QString shown = lookup(m.context, source);
            if (shown != english)
                wrong << QStringLiteral("[%1] %2 -> %3 (expected %4)").arg(m.context, source, shown, english);
        }
        if (contexts == 0)
            wrong << QStringLiteral("[%1] %2 is missing from the catalogue").arg(QString::fromLatin1(t.context), source);
    }

    // The flight-time caption: short, upper case, with the full-width colon.
    const QString caption = lookup(QStringLiteral("MainWindow"), QStringLiteral("飞行时长："));
    if (!caption.endsWith(QChar(0xFF1A)) || caption != caption.toUpper() || caption.size() > 14
        || caption == QStringLiteral("飞行时长："))
        wrong << QStringLiteral("flight-time caption: ") + caption;

    for (const char *text : kUntranslatedTexts) {
        const QString source = QString::fromUtf8(text);
        for (const QString &context : std::as_const(m_contexts))
            if (lookup(context, source) != source)
                wrong << QStringLiteral("[%1] '%2' translated to '%3'").arg(context, source, lookup(context, source));
    }
    QCoreApplication::removeTranslator(&translator);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
}

QTEST_GUILESS_MAIN(TranslationsTest)
#include "tst_translations.moc"
