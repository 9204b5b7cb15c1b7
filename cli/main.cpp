// tavro-cli: headless access to the flight controller through the link worker.
#include "cli/CliTool.h"

#include <QCoreApplication>
#include <QLoggingCategory>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavro-cli"));
    // The debug log stays quiet unless asked for with QT_LOGGING_RULES.
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    CliTool tool;
    return tool.run(args);
}
