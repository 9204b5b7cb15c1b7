#pragma once

#include <QString>
#include <QVariant>

// The language choice in "settings.ini": group "tavro-set", key "Language",
// the text "English" or "简体中文". The file is the user's: a value of any
// other text or type (a list, a byte array, a serialised variant, a key in
// another case) is no choice, and the window keeps its language.
class LanguageSetting
{
public:
    enum class Choice { None, English, Chinese };

    static constexpr const char *Group = "tavro-set";
    static constexpr const char *Key = "Language";

    // The choice a value read from the file stands for: only a string, and
    // only one of the two texts exactly.
    static Choice fromValue(const QVariant &value);
    // The text stored for a choice.
    static QString toValue(bool english);

    // Reads the choice from a settings file (a missing or unreadable file: None).
    static Choice read(const QString &settingsFile);
    // Stores the choice, creating the file's folder when needed; false when
    // it could not be written.
    static bool write(const QString &settingsFile, bool english);
};
