#pragma once

#include "pages/WriteBatch.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>

class ParameterStore;

// What the four pages share with the main window: the parameter store, the
// window-wide state the pages read and change, and the requests a page sends
// towards the flight controller or the frame. The main window owns one
// instance and connects its signals to the worker-facing signals and slots;
// the pages never see the worker or the frame's widgets.
class PageContext : public QObject
{
    Q_OBJECT
public:
    explicit PageContext(ParameterStore *store, QWidget *window, QObject *parent = nullptr);

    ParameterStore *store() const { return m_store; }
    QWidget *window() const { return m_window; }

    // Window-wide state.
    bool english = false;            // the English box is ticked
    int modelId = -1;                // rounded "fw_version" of the last download, -1 before one
    bool serial2IsMavlink = false;   // "SERIAL2_PROTOCOL" == 2
    bool magCalibrating = false;     // a compass calibration runs (set through setMagCalibrating)
    uint8_t swashAdjustState = 0;    // rotor page adjustment state

    // Sets magCalibrating; a change is announced by magCalibratingChanged
    // (the window passes it on to the link worker).
    void setMagCalibrating(bool running);

    // The one way a page writes a parameter (the window's WriteParameters).
    void writeParameter(const QString &paramId, float paramValue);

    // Waits msec milliseconds on a monotonic clock while processing events
    // (at most 100 ms per processing call): the window stays responsive.
    void sleep(unsigned msec);

    // Modal progress dialog while the flight controller reboots: runs from 0
    // to 100 over `time` steps (see the model and compass pages).
    void simulate_progressBar(int time);

signals:
    void writeParameterRequested(const QString &paramId, float paramValue); // -> WriteParam_value
    void rebootRequested();                                                 // -> Reboot_enable
    void compassCalibrationRequested(int command, int rebootFlag);          // -> CompassCalibration_enable
    void reconnectRequested();               // -> the connect action with the port shown in Uartbox
    void dataStreamRequested(uint8_t id, bool start);                       // -> ReadParam_stream
    void warningRaised(const QString &line); // -> one line in the warning strip
    void magCalibratingChanged(bool running); // -> MagCalibration_flag

    // From the window: the flight controller never confirmed a write (no echo
    // after the retries, or it answered with another value). Confirmed values
    // arrive through the store.
    void parameterWriteFailed(const QString &name, float written);

    // A write batch (preset, file load, restore, rows of the parameter table)
    // is about to send its first write: the window snapshots the store as it
    // is now. Emitted directly, so the snapshot exists before the first write.
    void writeBatchStarting();
    // From the window: the link to the flight controller is gone (silence,
    // the device went away, or the port was closed). A running batch stops.
    void linkLost();
    // A batch stopped by a lost link is to go on once the flight controller
    // is back: the window reconnects, and after the download the unconfirmed
    // writes whose values the table now shows count as done; the rest (and
    // the ones never sent) are written.
    void continueAfterReconnect(const QList<BatchWrite> &unconfirmed, const QList<BatchWrite> &notSent);

private:
    ParameterStore *m_store;
    QPointer<QWidget> m_window;
};
