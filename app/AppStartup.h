#pragma once

class QApplication;

// The steps every TAVRO executable takes before it builds its main window.
class AppStartup
{
public:
    // Leaves a named marker "TAVRO_Mutex" in the system while the process
    // runs. On Windows this is a named kernel mutex (never read back, so a
    // second copy starts normally); elsewhere nothing reads such a marker and
    // none is created.
    static void createInstanceMarker();

    // Applies the compiled-in style sheet ":/QSS/style1.qss" to the whole
    // application. A missing or unreadable sheet leaves the style empty.
    static void applyStyleSheet(QApplication &app);

    // Lets the Windows interface font resolve to an installed CJK face on
    // other systems (no font is set; only substitutes are registered).
    static void installFontSubstitutes();

    // Threads started from now on (the link worker) run Qt's own poll()
    // event loop instead of GLib's; the window thread keeps GLib, which the
    // desktop's dialogs rely on. The worker wakes ten or more times a second
    // while telemetry flows, and a wake-up through GLib costs it about twice
    // as much.
    // Call before the main window starts its worker. No effect on Windows.
    static void usePlainWorkerEventLoops();
};
