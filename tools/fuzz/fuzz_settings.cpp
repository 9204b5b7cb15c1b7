// Fuzz target: the settings the program reads at start.
//
// settings.ini can hold anything: a user edits it, a disk damages it, another
// program writes beside the executable. Qt's file parser is not instrumented,
// so besides the whole file this target hands the program's own reading code
// the values themselves:
//  - the input as the file's whole content: the main window reads it as it
//    does while it is built, and exactly one language box is ticked, English
//    when LanguageSetting::read() finds that choice, Chinese otherwise; then
//    the choice written into that same damaged file reads back as written;
//  - the input as the value of the Language key in every form the file's
//    parser can hand over (text, byte array, list; the program does not let
//    it decode serialised objects): only the exact text "English" or
//    "简体中文" is a choice;
//  - the input's first two lines as the two folders SettingsLocation::choose
//    picks from: the result is the file in one of them.
//
// One window serves every input (building one costs far more than a read);
// it is put back to Chinese before each input, so every input starts from
// the state of a freshly built window.

#include "app/LanguageSetting.h"
#include "app/MainWindow.h"
#include "app/SettingsLocation.h"
#include "tools/fuzz/FuzzCheck.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMetaObject>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

QTemporaryDir *g_dir = nullptr;
QString g_file;
MainWindow *g_window = nullptr;
QCheckBox *g_english = nullptr;
QCheckBox *g_chinese = nullptr;
qint64 g_stamp = 0;

void writeInput(const QByteArray &bytes)
{
    QFile f(g_file);
    FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(f.write(bytes) == bytes.size());
    // QSettings keeps parsed files and re-reads one when its size or time
    // changed: give every input its own time.
    f.setFileTime(QDateTime::fromMSecsSinceEpoch(1000000000000LL + 1000 * ++g_stamp),
                  QFileDevice::FileModificationTime);
}

void checkValue(const QVariant &value)
{
    const LanguageSetting::Choice choice = LanguageSetting::fromValue(value);
    const bool isText = value.metaType().id() == QMetaType::QString;
    const QString text = isText ? value.toString() : QString();
    FUZZ_CHECK((choice == LanguageSetting::Choice::English) == (isText && text == QLatin1String("English")));
    FUZZ_CHECK((choice == LanguageSetting::Choice::Chinese) == (isText && text == QStringLiteral("简体中文")));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzDiscardMessages();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    g_dir = new QTemporaryDir;
    FUZZ_CHECK(g_dir->isValid());
    g_file = g_dir->filePath(QStringLiteral("settings.ini"));

    MainWindow::Options options;
    options.portSource = [] { return QList<PortCandidate>(); };
    options.settingsFile = g_file;
    g_window = new MainWindow(options);
    g_english = g_window->findChild<QCheckBox *>(QStringLiteral("English_checkBox"));
    g_chinese = g_window->findChild<QCheckBox *>(QStringLiteral("Chinese_checkBox"));
    FUZZ_CHECK(g_english && g_chinese);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));

    // ---- the whole file, read by the window ----
    // Back to the state of a new window (this switch rewrites the file, which
    // the input then replaces).
    if (!g_chinese->isChecked())
        g_chinese->setChecked(true);
    FUZZ_CHECK(g_chinese->isChecked() && !g_english->isChecked());
    writeInput(input);
    FUZZ_CHECK(QMetaObject::invokeMethod(g_window, "getSaveSetParameter", Qt::DirectConnection));
    const bool english = LanguageSetting::read(g_file) == LanguageSetting::Choice::English;
    FUZZ_CHECK(g_english->isChecked() == english);
    FUZZ_CHECK(g_chinese->isChecked() == !english);

    // A choice stored into the damaged file reads back as stored.
    const bool store = size > 0 && (data[0] & 1);
    FUZZ_CHECK(LanguageSetting::write(g_file, store));
    FUZZ_CHECK(LanguageSetting::read(g_file)
               == (store ? LanguageSetting::Choice::English : LanguageSetting::Choice::Chinese));

    // ---- the value alone, in every form the parser hands over ----
    checkValue(QVariant(QString::fromUtf8(input)));
    checkValue(QVariant(input));
    checkValue(QVariant(QString::fromUtf8(input).split(QLatin1Char(','))));
    checkValue(QVariant());

    // ---- the two folders the settings file may live in ----
    const QList<QByteArray> lines = input.split('\n');
    const QString beside = QString::fromUtf8(lines.value(0));
    const QString user = QString::fromUtf8(lines.value(1));
    const QString chosen = SettingsLocation::choose(beside, user);
    const QString inBeside = QDir(beside).filePath(QLatin1String(SettingsLocation::FileName));
    const QString inUser = QDir(user).filePath(QLatin1String(SettingsLocation::FileName));
    FUZZ_CHECK(chosen == inBeside || (!user.isEmpty() && chosen == inUser));
    return 0;
}
