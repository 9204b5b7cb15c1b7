#pragma once

#include <QObject>
#include <QStringList>

// Stands in for the link worker on the tick's path: takes the page index and
// the calibration flag, and answers every tick with the port list.
class TickWorker : public QObject
{
    Q_OBJECT

public slots:
    void setPage(int page) { m_page = page; }
    void setCalibration(int flag) { m_calibration = flag; }
    void searchPort() { emit portList(0, m_ports, 0); }

signals:
    void portList(int replaced, QStringList ports, int closed);

private:
    int m_page = 0;
    int m_calibration = 0;
    QStringList m_ports;
};
