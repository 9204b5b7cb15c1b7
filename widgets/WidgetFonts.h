#pragma once

#include <QStringList>

// The interface asks for the Windows font "Microsoft YaHei" (and its light cut).
// Where it is missing (Linux, macOS) the font database is told to use an
// installed CJK family instead, so Chinese texts keep one consistent face.
// Every widget of this library calls installSubstitutions() on construction;
// the application may call it once at start-up as well (it is idempotent).
class WidgetFonts
{
public:
    // Registers the substitutes once per process; later calls do nothing.
    static void installSubstitutions();

    // The families asked for by the interface that get substitutes.
    static QStringList substitutedFamilies();

    // The substitutes tried in order for those families.
    static QStringList cjkFallbackFamilies();
};
