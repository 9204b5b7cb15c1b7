// tavro-cli: headless access to the flight controller through the link worker.
#include "cli/CliTool.h"

#include <QCoreApplication>
#include <QLoggingCategory>

int main(int argc, char *argv[])
{
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
