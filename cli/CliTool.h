#pragma once
// CliTool: the commands of tavro-cli, a headless tool on the link worker.
//
//   tavro-cli ports
//   tavro-cli [--port PATH] params [--out FILE]
//   tavro-cli [--port PATH] set NAME VALUE
//   tavro-cli [--port PATH] load FILE
//   tavro-cli [--port PATH] watch
//   tavro-cli sim [--demo] [--encode | --plain] [--drop P] [--duplicate P] [--corrupt P]
//                 [--baud B] [--params FILE] [--sweep] [--compasses N] [--seed N]
//
// sim sends plain names and values by default (the simulator's default);
// --encode sends the encoded form the real flight controller uses; --demo
// starts from SimulatedFlightController::Options::demo() (encoded, stick
// sweep, two compasses), the set-up meant for tavro-demo; later options
// change it.
//
// The worker runs on its own thread; the session reports page 0 to it, so
// a silent link is detected as in the window. Without --port the first port
// the worker offers is used. Exit status 0 on success, 1 with a one-line
// reason on stderr on failure.

#include "params/Parameter.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class LinkSession;

class CliTool : public QObject
{
    Q_OBJECT

public:
    explicit CliTool(QObject *parent = nullptr);

    // Runs one command (arguments without the program name); returns the exit status.
    int run(const QStringList &arguments);

    static QString usage();
    // A float as the shortest text that reads back as the same float.
    static QString formatValue(float value);
    // An echo of `written` (within the link's tolerance, or rounded as an
    // integer parameter keeps it).
    static bool echoConfirms(float written, float echoed);

private:
    int cmdPorts();
    int cmdParams(const QString &outFile);
    int cmdSet(const QString &name, const QString &valueText);
    int cmdLoad(const QString &file);
    int cmdWatch();
    int cmdSim(const QStringList &options);

    // Picks the port (explicit or the first offered), opens it and waits for
    // the first frame. Returns false with `error` set on failure.
    bool openLink(LinkSession &session, QString *error);
    // Downloads the whole table into m_params (first-seen order).
    bool download(LinkSession &session, bool showProgress, QString *error);
    int fail(const QString &reason);

    QString m_port;
    QList<Parameter> m_params;
    QHash<QString, int> m_paramIndex;
};
