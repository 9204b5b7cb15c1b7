#pragma once
// Records what a link worker emits, on the test's thread (every connection is
// queued across the threads, as in the window).

#include "link/Mav2Uart_Worker.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QStringList>

class EventLog : public QObject
{
    Q_OBJECT

public:
    explicit EventLog(Mav2Uart_Worker *worker, QObject *parent = nullptr);

    struct PortListEvent
    {
        int replaced;
        QStringList ports;
        int silenceClosed;
    };

    // Order of the notable events: "connect:1", "disconnect", "closed",
    // "missing", "finish", "writefail:NAME", "error", "alive".
    QStringList sequence;

    QList<PortListEvent> portLists;
    QList<int> connects;
    int disconnects = 0;
    QList<int> calibration;
    QList<QPair<int, int>> magProgress;   // compass id, progress + 1
    QList<QPair<int, int>> sysStatus;
    QList<QList<int>> gps;
    QList<QPair<int, int>> gps2;
    int attitudes = 0;
    QList<mavlink_rc_channels_t> rcChannels;
    QList<QPair<QString, int>> statusTexts;
    QList<QPair<int, int>> magReports;
    QList<Parameter> loaded;
    QList<int> loadedCounts;
    QList<int> loadedTotals;
    int finished = 0;
    QList<QPair<QString, float>> updates;
    QList<QList<int>> missing;
    QList<QPair<QString, float>> writeFailures;
    QStringList linkErrors;
    int alive = 0;

    // Name -> last value reported by param_value_loading_value.
    QHash<QString, double> loadedValues() const;
    int portListsWithSilenceFlag() const;
};
