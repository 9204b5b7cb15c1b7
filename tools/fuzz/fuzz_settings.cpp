// Fuzz target: the settings read at start.
//
// settings.ini can hold anything: a user edits it, a disk damages it, another
// program writes beside the executable. Each input becomes the file's whole
// content; the main window reads it as it does while it is built, and then
// exactly one language box is ticked: English when the file's "tavro-set"
// group holds "Language" exactly "English", Chinese otherwise.
//
// One window serves every input (building one costs far more than a read);
// it is put back to Chinese before each input, so every input starts from
// the state of a freshly built window.

#include "app/MainWindow.h"
#include "tools/fuzz/FuzzCheck.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QFile>
#include <QMetaObject>
#include <QSettings>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

void discardMessages(QtMsgType, const QMessageLogContext &, const QString &) {}

QTemporaryDir *g_dir = nullptr;
QString g_file;
MainWindow *g_window = nullptr;
QCheckBox *g_english = nullptr;
QCheckBox *g_chinese = nullptr;
qint64 g_stamp = 0;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qInstallMessageHandler(discardMessages);
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
    // Back to the state of a new window (this switch rewrites the file, which
    // the input then replaces).
    if (!g_chinese->isChecked())
        g_chinese->setChecked(true);
    FUZZ_CHECK(g_chinese->isChecked() && !g_english->isChecked());

    {
        QFile f(g_file);
        FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(f.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size));
        // QSettings keeps parsed files and re-reads one when its size or time
        // changed: give every input its own time.
        f.setFileTime(QDateTime::fromMSecsSinceEpoch(1000000000000LL + 1000 * ++g_stamp),
                      QFileDevice::FileModificationTime);
    }

    FUZZ_CHECK(QMetaObject::invokeMethod(g_window, "getSaveSetParameter", Qt::DirectConnection));

    const QString language = [] {
        QSettings s(g_file, QSettings::IniFormat);
        s.beginGroup(QStringLiteral("tavro-set"));
        return s.value(QStringLiteral("Language"), QStringLiteral("set")).toString();
    }();
    const bool english = language == QStringLiteral("English");
    FUZZ_CHECK(g_english->isChecked() == english);
    FUZZ_CHECK(g_chinese->isChecked() == !english);
    return 0;
}
