#include "app/LanguageSetting.h"

#include "app/AppLog.h"
#include "app/SettingsLocation.h"

#include <QFile>
#include <QSettings>

namespace {

// The program's own file is a few dozen bytes; a larger one is not its own.
constexpr qint64 kLargestFile = 64 * 1024;

// QSettings turns a value written as "@Variant(...)" or "@DateTime(...)" back
// into an object by reading it as a binary stream, and a damaged stream can
// claim a list of four thousand million entries, which it then tries to
// reserve. The program only ever writes one of two plain texts, so a file in
// which any value (or any item of a list value) begins with '@', or with an
// escape that could stand for one, is not handed to QSettings at all. The
// test errs on the careful side: every '=' and ',' counts as the start of a
// value, and quotes and blanks before the first character are skipped.
bool holdsOnlyPlainValues(const QByteArray &content)
{
    bool valueStarts = false;
    for (const char c : content) {
        if (c == '=' || c == ',') {
            valueStarts = true;
        } else if (valueStarts) {
            if (c == '@' || c == '\\')
                return false;
            if (c != ' ' && c != '\t' && c != '"')
                valueStarts = false;
        }
    }
    return true;
}

enum class FileState { Plain, Absent, NotOurs };

FileState inspect(const QString &settingsFile)
{
    QFile file(settingsFile);
    if (!file.open(QIODevice::ReadOnly))
        return FileState::Absent;   // missing or unreadable: QSettings finds nothing either
    const QByteArray content = file.read(kLargestFile + 1);
    if (content.size() > kLargestFile || !holdsOnlyPlainValues(content))
        return FileState::NotOurs;
    return FileState::Plain;
}

} // namespace

LanguageSetting::Choice LanguageSetting::fromValue(const QVariant &value)
{
    if (value.metaType().id() != QMetaType::QString)
        return Choice::None;
    const QString text = value.toString();
    if (text == toValue(true))
        return Choice::English;
    if (text == toValue(false))
        return Choice::Chinese;
    return Choice::None;
}

QString LanguageSetting::toValue(bool english)
{
    return english ? QStringLiteral("English") : QStringLiteral("简体中文");
}

LanguageSetting::Choice LanguageSetting::read(const QString &settingsFile)
{
    if (inspect(settingsFile) == FileState::NotOurs) {
        qCWarning(lcApp).noquote() << "settings: ignoring" << settingsFile
                                   << "(too large, or it holds values this program never writes)";
        return Choice::None;
    }
    QSettings settings(settingsFile, QSettings::IniFormat);
    settings.beginGroup(QLatin1String(Group));
    const QVariant value = settings.value(QLatin1String(Key));
    settings.endGroup();
    return fromValue(value);
}

bool LanguageSetting::write(const QString &settingsFile, bool english)
{
    if (!SettingsLocation::prepareForWrite(settingsFile))
        return false;
    const auto store = [&] {
        QSettings settings(settingsFile, QSettings::IniFormat);
        settings.beginGroup(QLatin1String(Group));
        settings.setValue(QLatin1String(Key), toValue(english));
        settings.endGroup();
        settings.sync();
        return settings.status();
    };
    // QSettings never rewrites a file it could not parse, so a damaged
    // file would keep every later choice from being stored; it reads the
    // whole file before it writes, which a file that is not ours must not
    // reach; and what it writes back of other keys could itself fail the
    // check above, leaving the choice unreadable. The file is the program's
    // own and holds nothing but this choice: in each case, start afresh.
    const auto replace = [&] {
        qCWarning(lcApp).noquote() << "settings: replacing the damaged" << settingsFile;
        return QFile::remove(settingsFile);
    };
    if (inspect(settingsFile) == FileState::NotOurs && !replace())
        return false;
    QSettings::Status status = store();
    if (status == QSettings::FormatError
        || (status == QSettings::NoError && inspect(settingsFile) == FileState::NotOurs)) {
        if (!replace())
            return false;
        status = store();
    }
    return status == QSettings::NoError;
}
