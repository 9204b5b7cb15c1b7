#include "app/AppStartup.h"
#include "app/MainWindow.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    AppStartup::createInstanceMarker();
    AppStartup::installFontSubstitutes();
    AppStartup::usePlainWorkerEventLoops();
    AppStartup::applyStyleSheet(app);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("TAVRO helicopter flight controller configurator"));
    parser.addHelpOption();
    const QCommandLineOption snapshotOption(QStringLiteral("snapshot-dir"),
        QStringLiteral("Keep the parameter snapshots under dir (default: TAVRO_SNAPSHOT_DIR, else the user's data folder)."),
        QStringLiteral("dir"));
    parser.addOption(snapshotOption);
    parser.process(app);

    int result = 0;
    {
        MainWindow::Options options;
        options.snapshotDir = parser.value(snapshotOption);
        MainWindow window(options);
        window.show();
        result = app.exec();
    }
    return result;
}
