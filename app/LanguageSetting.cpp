#include "app/LanguageSetting.h"

#include "app/AppLog.h"
#include "app/SettingsLocation.h"

#include <QFile>

#include <QSettings>

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
    QSettings::Status status = store();
    if (status == QSettings::FormatError) {
        // QSettings never rewrites a file it could not parse, so a damaged
        // file would keep every later choice from being stored. The file is
        // the program's own and holds nothing but this choice: start afresh.
        qCWarning(lcApp).noquote() << "settings: replacing the damaged" << settingsFile;
        if (!QFile::remove(settingsFile))
            return false;
        status = store();
    }
    return status == QSettings::NoError;
}
