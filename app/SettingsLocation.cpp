#include "app/SettingsLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

// Directories the package manager owns. /usr is read-only, shareable data by
// the file-system hierarchy's rules, so even a program started as root
// (which may write anywhere) does not leave a settings file in /usr/bin.
bool isSystemDirectory(const QFileInfo &dir)
{
    QString path = dir.canonicalFilePath();
    if (path.isEmpty())
        path = dir.absoluteFilePath();
    return path == QLatin1String("/bin") || path == QLatin1String("/sbin")
           || path == QLatin1String("/usr") || path.startsWith(QLatin1String("/usr/"));
}

// Whether a file can be made in the folder. On Windows QFileInfo::isWritable
// reads only the read-only attribute, not the folder's access rights, so an
// installed copy under Program Files would look writable to a user who may
// not write there: only trying tells.
bool canCreateFileIn(const QString &dir)
{
#ifdef Q_OS_WIN
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral("settings-probe-XXXXXX")));
    return probe.open();
#else
    Q_UNUSED(dir);
    return true;
#endif
}

} // namespace

QString SettingsLocation::choose(const QString &besideDir, const QString &userDir)
{
    const QFileInfo dir(besideDir);
    const QString beside = QDir(besideDir).filePath(QLatin1String(FileName));
    const QFileInfo file(beside);
    const bool besideWritable = !besideDir.isEmpty() && dir.isDir() && dir.isWritable() && !isSystemDirectory(dir)
                                && (!file.exists() || (file.isFile() && file.isWritable()))
                                && canCreateFileIn(besideDir);
    if (besideWritable || userDir.isEmpty())
        return beside;
    return QDir(userDir).filePath(QLatin1String(FileName));
}

QString SettingsLocation::forThisProcess()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString userDir = config.isEmpty() ? QString() : QDir(config).filePath(QStringLiteral("tavro"));
    return choose(QCoreApplication::applicationDirPath(), userDir);
}

bool SettingsLocation::prepareForWrite(const QString &settingsFile)
{
    const QString dir = QFileInfo(settingsFile).absolutePath();
    return QDir().mkpath(dir);
}
