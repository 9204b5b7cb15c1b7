#pragma once
// Whether this Windows program runs under Wine (the Windows build's tests run
// there): Wine's ntdll exports wine_get_version, Windows' does not. Text
// widths there come from Wine's font rendering, which matches neither
// Windows' nor Linux', so checks that texts fit their boxes to the pixel are
// left to the platforms themselves.

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

inline bool runsUnderWine()
{
#ifdef Q_OS_WIN
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}
