#include "app/AppStartup.h"

#include "app/AppLog.h"
#include "widgets/WidgetFonts.h"

#include <QApplication>
#include <QFile>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

void AppStartup::createInstanceMarker()
{
#ifdef Q_OS_WIN
    // Default security, not owned; the handle stays open until the process
    // ends and the result is deliberately not examined.
    static HANDLE marker = CreateMutexW(nullptr, FALSE, L"TAVRO_Mutex");
    Q_UNUSED(marker);
#endif
}

void AppStartup::applyStyleSheet(QApplication &app)
{
    QFile qss(QStringLiteral(":/QSS/style1.qss"));
    if (!qss.open(QIODevice::ReadOnly)) {
        qCDebug(lcApp) << "style sheet not available:" << qss.errorString();
        return;
    }
    app.setStyleSheet(QString::fromUtf8(qss.readAll()));
    qss.close();
}

void AppStartup::usePlainWorkerEventLoops()
{
#ifdef Q_OS_UNIX
    // Read by Qt when a thread starts its event loop; a value the user set
    // is left as it is.
    if (qEnvironmentVariableIsEmpty("QT_NO_THREADED_GLIB") && !qputenv("QT_NO_THREADED_GLIB", "1"))
        qCDebug(lcApp) << "worker threads keep GLib's event loop";
#endif
}

void AppStartup::installFontSubstitutes()
{
    WidgetFonts::installSubstitutions();
}
