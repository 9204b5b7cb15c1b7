// tavro-demo: TAVRO beside a simulated helicopter flight controller. The
// simulator's pseudo-terminal is listed as a USB flight controller next to any
// real one, so every page can be tried without hardware.
//
//   tavro-demo                     simulator built in
//   tavro-demo --port /dev/pts/N   list that pseudo-terminal instead (e.g. tavro-cli sim)
//   tavro-demo --connect           pick the simulator and connect at start
//   tavro-demo --snapshot-dir DIR  keep the parameter snapshots under DIR
//   tavro-demo --screenshots DIR   connect, visit every page in both languages, save
//                                  pictures to DIR, quit

#include "app/AppLog.h"
#include "app/AppStartup.h"
#include "app/DemoScreenshots.h"
#include "app/MainWindow.h"
#include "sim/SimulatedFlightController.h"
#include "sim/SimulatorPortSource.h"

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

const char kUsage[] =
    "usage: tavro-demo [--port PATH] [--connect] [--snapshot-dir DIR] [--screenshots DIR]\n"
    "       tavro-demo --help | --version\n"
    "\n"
    "TAVRO with a simulated helicopter flight controller.\n"
    "  --port PATH         list this pseudo-terminal as the flight controller instead of\n"
    "                      the built-in simulator (e.g. one started by tavro-cli sim)\n"
    "  --connect           pick the simulated flight controller and connect at start\n"
    "  --snapshot-dir DIR  keep the parameter snapshots under DIR (default:\n"
    "                      TAVRO_SNAPSHOT_DIR, else the user's data folder)\n"
    "  --screenshots DIR   connect, show every page, save a picture of each into DIR,\n"
    "                      then quit\n"
    "  -h, --help          print this text\n"
    "  --version           print the version\n";

} // namespace

int main(int argc, char *argv[])
{
    // The command line is read before the application exists, so that help
    // and version need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption versionOption(QStringLiteral("version"));
    const QCommandLineOption portOption(QStringLiteral("port"), QString(), QStringLiteral("path"));
    const QCommandLineOption shotsOption(QStringLiteral("screenshots"), QString(), QStringLiteral("dir"));
    const QCommandLineOption connectOption(QStringLiteral("connect"));
    const QCommandLineOption snapshotOption(QStringLiteral("snapshot-dir"), QString(), QStringLiteral("dir"));
    parser.addOptions({helpOption, versionOption, portOption, shotsOption, connectOption, snapshotOption});
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "tavro-demo: %s\n%s", qPrintable(parser.errorText()), kUsage);
        return 1;
    }
    if (parser.isSet(helpOption)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (parser.isSet(versionOption)) {
        std::printf("tavro-demo %s\n", TAVRO_VERSION);
        return 0;
    }

    QApplication app(argc, argv);
    AppStartup::createInstanceMarker();
    AppStartup::installFontSubstitutes();
    AppStartup::usePlainWorkerEventLoops();
    AppStartup::applyStyleSheet(app);

    std::unique_ptr<SimulatedFlightController> sim;
    QString portPath = parser.value(portOption);
    if (portPath.isEmpty()) {
        // Names and values encoded as the real flight controller sends them,
        // the sticks sweeping, two compasses calibrating together.
        sim = std::make_unique<SimulatedFlightController>(SimulatedFlightController::Options::demo());
        // The demo helicopter is an Alder-V3 (model id 1), so the header and
        // the model page show a named model.
        QList<SimParameter> table = sim->parameters();
        for (SimParameter &p : table) {
            if (p.name == QLatin1String("fw_version"))
                p.value = 1.0f;
        }
        sim->setParameters(table);
        QString error;
        if (!sim->start(&error)) {
            std::fprintf(stderr, "tavro-demo: cannot start the simulator: %s\n", qPrintable(error));
            return 1;
        }
        portPath = sim->portPath();
    }
    std::fprintf(stderr, "tavro-demo: simulated flight controller on %s\n", qPrintable(portPath));

    int result = 0;
    {
        MainWindow::Options options;
        options.portSource = SimulatorPortSource::withSimulator(portPath);
        options.snapshotDir = parser.value(snapshotOption);
        // A picture run switches languages: it keeps its settings to itself.
        QTemporaryDir shotSettings;
        if (parser.isSet(shotsOption))
            options.settingsFile = shotSettings.filePath(QStringLiteral("settings.ini"));
        MainWindow window(options);
        window.show();

        std::unique_ptr<DemoScreenshots> shots;
        if (parser.isSet(shotsOption)) {
            shots = std::make_unique<DemoScreenshots>(&window, portPath, parser.value(shotsOption));
            QObject::connect(shots.get(), &DemoScreenshots::finished, &app, [&](bool ok) {
                for (const QString &file : shots->savedFiles())
                    std::fprintf(stderr, "tavro-demo: saved %s\n", qPrintable(file));
                if (!ok)
                    std::fprintf(stderr, "tavro-demo: the download did not complete\n");
                app.exit(ok ? 0 : 2);
            });
            shots->start();
        } else if (parser.isSet(connectOption)) {
            // As a user would: wait for the port to be listed, pick it, click.
            auto *poll = new QTimer(&window);
            QObject::connect(poll, &QTimer::timeout, &window, [&window, poll, portPath] {
                auto *ports = window.findChild<QComboBox *>(QStringLiteral("Uartbox"));
                auto *button = window.findChild<QPushButton *>(QStringLiteral("OpenUart"));
                const int index = ports ? ports->findText(portPath) : -1;
                if (index < 0 || !button)
                    return;
                poll->stop();
                ports->setCurrentIndex(index);
                button->click();
            });
            poll->start(50);
        }
        result = app.exec();
    }
    if (sim)
        sim->stop();
    return result;
}
