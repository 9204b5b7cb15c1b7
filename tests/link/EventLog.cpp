#include "EventLog.h"

EventLog::EventLog(Mav2Uart_Worker *w, QObject *parent)
    : QObject(parent)
{
    using W = Mav2Uart_Worker;
    connect(w, &W::PortList, this, [this](int replaced, const QStringList &ports, int closed) {
        portLists.append({replaced, ports, closed});
        if (closed)
            sequence << QStringLiteral("closed");
    });
    connect(w, &W::ConnectSingal, this, [this](int flag) {
        connects << flag;
        sequence << QStringLiteral("connect:%1").arg(flag);
    });
    connect(w, &W::disconnect_UI_disable, this, [this] {
        ++disconnects;
        sequence << QStringLiteral("disconnect");
    });
    connect(w, &W::calibration_process, this, [this](int p) { calibration << p; });
    connect(w, &W::mag_cal_progress_value, this,
            [this](uint8_t id, int pct) { magProgress.append({int(id), pct}); });
    connect(w, &W::sys_status_value, this,
            [this](uint16_t mv, signed char rc) { sysStatus.append({int(mv), int(rc)}); });
    connect(w, &W::gps_raw_int_value, this, [this](uint8_t sats, uint16_t eph, uint16_t epv) {
        gps.append({int(sats), int(eph), int(epv)});
    });
    connect(w, &W::gps2_raw_value, this, [this](uint8_t sats, uint16_t eph) { gps2.append({int(sats), int(eph)}); });
    connect(w, &W::attitude_value, this, [this](float, float, float) { ++attitudes; });
    connect(w, &W::rc_channels_value, this, [this](const mavlink_rc_channels_t &rc) { rcChannels << rc; });
    connect(w, &W::statustext_value, this,
            [this](const QString &text, uint8_t severity) { statusTexts.append({text, int(severity)}); });
    connect(w, &W::mag_cal_report_value, this,
            [this](uint8_t id, uint8_t status) { magReports.append({int(id), int(status)}); });
    connect(w, &W::param_value_loading_value, this, [this](const Parameter &p, int count, uint16_t total) {
        loaded << p;
        loadedCounts << count;
        loadedTotals << int(total);
    });
    connect(w, &W::param_value_finish_value, this, [this] {
        ++finished;
        sequence << QStringLiteral("finish");
    });
    connect(w, &W::param_value_update_value, this, [this](const QString &n, float v) { updates.append({n, v}); });
    connect(w, &W::param_missing_value, this, [this](const QList<int> &indices) {
        missing << indices;
        sequence << QStringLiteral("missing");
    });
    connect(w, &W::param_write_failed_value, this, [this](const QString &n, float v) {
        writeFailures.append({n, v});
        sequence << QStringLiteral("writefail:") + n;
    });
    connect(w, &W::link_error_value, this, [this](const QString &reason) {
        linkErrors << reason;
        sequence << QStringLiteral("error");
    });
    connect(w, &W::link_alive_value, this, [this] {
        ++alive;
        sequence << QStringLiteral("alive");
    });
}

QHash<QString, double> EventLog::loadedValues() const
{
    QHash<QString, double> values;
    for (const Parameter &p : loaded)
        values.insert(p.name, p.value);
    return values;
}

int EventLog::portListsWithSilenceFlag() const
{
    int n = 0;
    for (const PortListEvent &e : portLists)
        n += e.silenceClosed;
    return n;
}
