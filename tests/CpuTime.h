#pragma once
// Processor time the whole process has used so far, in milliseconds.
// std::clock() is that on Linux but wall time on Windows, where the process's
// own times come from GetProcessTimes.

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <ctime>
#endif

inline double processCpuMs()
{
#ifdef Q_OS_WIN
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0.0;
    auto ticks = [](const FILETIME &t) {   // 100 ns units
        return (quint64(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return double(ticks(kernel) + ticks(user)) / 10000.0;
#else
    return 1000.0 * double(std::clock()) / CLOCKS_PER_SEC;
#endif
}
