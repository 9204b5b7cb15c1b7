#pragma once

#include <QString>

// Where the program keeps "settings.ini".
//
// A copy unpacked by hand keeps its settings beside the executable, as it
// always has. A system-wide installation (the Debian package puts the program
// in /usr/bin) cannot write there, so the settings then live in the user's
// configuration directory and are read from there too. On Windows an unpacked
// zip keeps them beside tavro.exe; a copy installed under Program Files,
// where a user may not write, keeps them in the user's local application
// data folder (AppData/Local/tavro). The file's content
// (group "tavro-set", key "Language") is the same in both places.
class SettingsLocation
{
public:
    static constexpr const char *FileName = "settings.ini";

    // besideDir: the directory of the executable; userDir: the per-user
    // configuration directory of the program. Returns the settings file in
    // besideDir when that directory can be written, is not a system
    // directory (/usr/...), and the file there, if it exists, can be written
    // too; otherwise the file in userDir.
    static QString choose(const QString &besideDir, const QString &userDir);

    // choose() for this process: the executable's directory, and
    // "tavro" in the user's configuration location (~/.config/tavro).
    static QString forThisProcess();

    // Creates the directory that will hold the settings file, so that a
    // first write to the per-user location succeeds. Returns false (and the
    // caller logs it) when it cannot.
    static bool prepareForWrite(const QString &settingsFile);
};
