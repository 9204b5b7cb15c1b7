// tavro-cli: headless access to the flight controller through the link worker.
#include "cli/CliTool.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <cstdio>
#include <cstring>

int main(int argc, char *argv[])
{
    // Help and version need nothing of the application: answered first.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(qPrintable(CliTool::usage()), stdout);
            std::fputc('\n', stdout);
            return 0;
        }
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("tavro-cli %s\n", TAVRO_VERSION);
        return 0;
    }

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavro-cli"));
    // The log stays quiet (failures end in one line of their own) unless
    // asked for with QT_LOGGING_RULES, e.g. "tavro.*=true".
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\ntavro.*.warning=false"));
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    CliTool tool;
    return tool.run(args);
}
