// The compiled-in catalogues against the English text table (english.tsv), the catalogue sources and the
// fixed English texts: exact lookups, kept texts unchanged, Chinese shows its sources.
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
};

QString unescape(const QString &field)
{
    QString out;
    for (int i = 0; i < field.size(); ++i) {
        QChar c = field.at(i);
        if (c == QLatin1Char('\\') && i + 1 < field.size()) {
            c = field.at(++i);
            c = c == QLatin1Char('n') ? QChar('\n') : c == QLatin1Char('t') ? QChar('\t') : c;
        }
        out += c;
    }
    return out;
}

QString lookup(const QString &context, const QString &source)
{
    return QCoreApplication::translate(context.toUtf8().constData(), source.toUtf8().constData());
}

// Installs a catalogue for the life of the object.
struct Installed {
    explicit Installed(const QString &path) { ok = t.load(path) && !t.isEmpty() && QCoreApplication::installTranslator(&t); }
    ~Installed() { QCoreApplication::removeTranslator(&t); }
    QTranslator t;
    bool ok = false;
};

} // namespace

class TranslationsTest : public QObject
{
    Q_OBJECT

    QHash<QString, std::optional<QString>> m_rows; // source -> English; nullopt: kept as written ("@keep")
    QList<Message> m_english, m_chinese;

    static QList<Message> readCatalogueSource(const QString &fileName)
    {
        QList<Message> messages;
        QFile f(kDir + QLatin1Char('/') + fileName);
        if (!f.open(QIODevice::ReadOnly))
            return messages;
        QXmlStreamReader xml(&f);
        QString context;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("name"))
                context = xml.readElementText();
            else if (xml.name() == QLatin1String("source"))
                messages.append({context, xml.readElementText()});
        }
        return messages;
    }

private slots:
    void initTestCase()
    {
        QFile f(kDir + QStringLiteral("/english.tsv"));
        QVERIFY(f.open(QIODevice::ReadOnly | QIODevice::Text));
        QStringList errors;
        for (int number = 1; !f.atEnd(); ++number) {
            const QString line = QString::fromUtf8(f.readLine()).remove(QLatin1Char('\n'));
            if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
                continue;
            const QStringList fields = line.split(QLatin1Char('\t'));
            if (fields.size() != 2 || fields.at(0).isEmpty() || fields.at(1).isEmpty()) {
                errors << QStringLiteral("english.tsv:%1: malformed row").arg(number);
                continue;
            }
            const QString source = unescape(fields.at(0));
            std::optional<QString> english;
            if (fields.at(1) != QLatin1String("@keep"))
                english = unescape(fields.at(1));
            if (m_rows.contains(source) && m_rows.value(source) != english)
                errors << QStringLiteral("english.tsv:%1: second, different row for %2").arg(number).arg(source);
            m_rows.insert(source, english);
        }
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('\n'))));
        m_english = readCatalogueSource(QStringLiteral("TAVRO_en_US.ts"));
        m_chinese = readCatalogueSource(QStringLiteral("TAVRO_zh_CN.ts"));
        QVERIFY2(!m_rows.isEmpty() && !m_english.isEmpty() && !m_chinese.isEmpty(), "run tools/update_translations.py");
    }

    // Every English row exactly; the fixed English texts in their contexts; the flight-time caption's form.
    void englishShowsItsRowsAndFixedTexts()
    {
        Installed english(kEnglishQm);
        QVERIFY(english.ok);
        QCOMPARE(english.t.language(), QStringLiteral("en_US"));
        QStringList wrong;
        for (const Message &m : std::as_const(m_english)) {
            const auto row = m_rows.constFind(m.source);
            if (row == m_rows.constEnd())
                wrong << QStringLiteral("[%1] %2 has no English row").arg(m.context, m.source);
            else if (row->has_value() && lookup(m.context, m.source) != **row)
                wrong << QStringLiteral("[%1] %2 -> %3 (expected %4)").arg(m.context, m.source, lookup(m.context, m.source), **row);
        }
        if (!wrong.isEmpty())
            wrong.prepend(QStringLiteral("run tools/update_translations.py --strict:"));
        for (const FixedEnglishText &t : kFixedEnglishTexts) {
            const QString source = QString::fromUtf8(t.source), expected = QString::fromUtf8(t.english);
            const bool dialog = qstrcmp(t.context, "PopUpWidget") == 0;
            int contexts = 0;
            for (const Message &m : std::as_const(m_english)) {
                if (m.source != source || (m.context == QLatin1String("PopUpWidget")) != dialog)
                    continue;
                ++contexts;
                if (lookup(m.context, source) != expected)
                    wrong << QStringLiteral("[%1] %2 -> %3 (expected %4)").arg(m.context, source, lookup(m.context, source), expected);
            }
            if (contexts == 0)
                wrong << QStringLiteral("[%1] %2 is missing from the catalogue").arg(QString::fromLatin1(t.context), source);
        }
        // Short, upper case, with the full-width colon.
        const QString caption = lookup(QStringLiteral("MainWindow"), QStringLiteral("飞行时长："));
        if (!caption.endsWith(QChar(0xFF1A)) || caption != caption.toUpper() || caption.size() > 14
            || caption == QStringLiteral("飞行时长："))
            wrong << QStringLiteral("flight-time caption: ") + caption;
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
    }

    void keptTextsAndNearMisses()
    {
        QStringList kept;
        for (const char *text : kUntranslatedTexts)
            kept << QString::fromUtf8(text);
        kept << QStringLiteral("连接"); // the button's text is "连 接"
        for (auto it = m_rows.cbegin(); it != m_rows.cend(); ++it)
            if (!it->has_value())
                kept << it.key();
        QSet<QString> contexts{QStringLiteral("MainWindow"), QStringLiteral("PopUpWidget")};
        for (const Message &m : std::as_const(m_english))
            contexts.insert(m.context);
        QStringList wrong;
        for (const QString &path : {kEnglishQm, kChineseQm}) {
            Installed catalogue(path);
            QVERIFY2(catalogue.ok, qPrintable(path));
            for (const QString &context : std::as_const(contexts))
                for (const QString &text : std::as_const(kept))
                    if (lookup(context, text) != text)
                        wrong << QStringLiteral("%1 [%2] '%3' -> '%4'").arg(path, context, text, lookup(context, text));
        }
        // Lookup is exact: a blank more or less, or a missing line feed, is another text.
        Installed english(kEnglishQm);
        QVERIFY(english.ok);
        for (const Message &m : std::as_const(m_english))
            for (const QString &v : {m.source + QLatin1Char(' '), QLatin1Char(' ') + m.source,
                                     QString(m.source).remove(QLatin1Char(' ')), QString(m.source).remove(QLatin1Char('\n'))})
                if (v != m.source && !m_rows.contains(v) && lookup(m.context, v) != v)
                    wrong << QStringLiteral("[%1] '%2' -> '%3'").arg(m.context, v, lookup(m.context, v));
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
    }

    // Chinese shows the sources, for the same texts as the English catalogue, so switching back restores every one.
    void chineseCatalogueShowsSources()
    {
        Installed chinese(kChineseQm);
        QVERIFY(chinese.ok);
        QStringList changed;
        QSet<QString> inChinese, inEnglish;
        for (const Message &m : std::as_const(m_chinese)) {
            inChinese.insert(m.context + QLatin1Char('\x1f') + m.source);
            if (lookup(m.context, m.source) != m.source)
                changed << QStringLiteral("[%1] %2 -> %3").arg(m.context, m.source, lookup(m.context, m.source));
        }
        QVERIFY2(changed.isEmpty(), qPrintable(changed.join(QLatin1Char('\n'))));
        for (const Message &m : std::as_const(m_english))
            inEnglish.insert(m.context + QLatin1Char('\x1f') + m.source);
        QCOMPARE(inChinese, inEnglish);
    }
};

QTEST_GUILESS_MAIN(TranslationsTest)
#include "tst_translations.moc"
