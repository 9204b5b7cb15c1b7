#pragma once

#include "link/MavlinkMessages.h"
#include "link/PortSource.h"
#include "params/Parameter.h"

#include <QList>
#include <QMainWindow>
#include <QElapsedTimer>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QThread>

#include <cstdint>
#include <functional>
#include <limits>

class AllParametersDialog;
class Mav2Uart_Worker;
class ModelPage;
class ParamFilesBar;
class SafeChanges;
class PageContext;
class PopUpWidget;
class ParameterStore;
class QMouseEvent;
class QPushButton;
class QShortcut;
class QTimer;
class QTranslator;
class RotorPage;
class StatusPage;
class TuningPage;

namespace Ui {
class MainWindow;
}

// The program's one window: a frameless 1000 x 600 frame with the logo, the
// connection panel, flight time, model name and warning strip on the left,
// the navigation and language boxes on top, and the four pages stacked in the
// middle. It owns the link worker and its thread. Nothing runs periodically
// while the window is idle: the worker hears of the page and the compass
// calibration when they change (and on every connect), the flight time
// follows the parameter store, and the warning strip ages on a timer armed
// only while it shows a line.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // What differs between the program, the demo and the tests.
    struct Options
    {
        // The list of serial ports the worker searches; empty means the
        // platform's serial ports.
        PortSource portSource;
        // The settings file; empty means "settings.ini" beside the executable,
        // or in the user's configuration directory when that is not writable.
        QString settingsFile;
        // Where the language switch finds TAVRO_en_US.qm and TAVRO_zh_CN.qm;
        // empty means the compiled-in catalogues (":/").
        QString catalogueDir;
        // The snapshot folder (one folder per flight controller below it);
        // empty means TAVRO_SNAPSHOT_DIR, else the per-user data folder.
        QString snapshotDir;
    };

    // What the connect button tells: no link, a download running, or the
    // parameters downloaded. Its text shows this state in the current language.
    enum class LinkState { Idle, Loading, Connected };

    explicit MainWindow(QWidget *parent = nullptr);
    explicit MainWindow(const Options &options, QWidget *parent = nullptr);
    ~MainWindow() override;

    // "settings.ini" in the directory that holds the executable, or in the
    // user's configuration directory when that one is not writable.
    static QString defaultSettingsFile();
    QString settingsFile() const { return m_settingsFile; }

    ParameterStore *parameterStore() const { return m_store; }
    PageContext *pageContext() const { return m_ctx; }
    StatusPage *statusPage() const { return m_statusPage; }
    RotorPage *rotorPage() const { return m_rotorPage; }
    TuningPage *tuningPage() const { return m_tuningPage; }
    ModelPage *modelPage() const { return m_modelPage; }
    // Snapshots, save, load and restore; the buttons under the connection panel.
    SafeChanges *safeChanges() const { return m_safeChanges; }
    ParamFilesBar *paramFilesBar() const { return m_filesBar; }

    LinkState linkState() const { return m_linkState; }

    // The link worker. It lives on its own thread: from this thread read only
    // its portOpen and readParamDone flags, and reach it by signals.
    Mav2Uart_Worker *linkWorker() const { return worker; }

signals:
    void PageValue(int page);
    void CurrentComValue(QString portName);
    void MagCalibration_flag(int running);
    void readparamdone();
    void WriteParam_value(QString paramId, float paramValue);
    void ReadParam_stream(uint8_t id, bool start);
    void Reboot_enable();
    void startParamRead_value();
    void CompassCalibration_enable(int command, int rebootFlag);

public slots:
    // The one path by which the window writes a parameter.
    void WriteParameters(QString paramId, float paramValue);

private slots:
    // Frame.
    void display_init();
    // The warning strip's oldest line has been shown long enough.
    void ageWarningStrip();
    void on_btn_minimize_clicked();
    void on_btn_close_clicked();
    void slotDoAction();
    void sleep(uint msec);

    // Settings and language.
    void getSaveSetParameter();
    void on_Chinese_checkBox_stateChanged(int arg1);
    void on_English_checkBox_stateChanged(int arg1);

    // Connection panel and worker wiring.
    void serialPort_init();
    void on_OpenUart_clicked();
    void Uartbox_show(int FLAG1, QStringList qsL, int FLAG2);
    void OpenUart_connect(int FLAG);
    void Disconnect_UI_show();
    void MagCalibration_show(int value);
    // The all-parameters table, created when first asked for.
    void openAllParameters();
    void check_uart();

    // Telemetry, forwarded to the pages.
    void sys_status_show(uint16_t voltageMv, signed char rcHealthy);
    void gps_raw_int_show(uint8_t satellites, uint16_t eph, uint16_t epv);
    void gps2_raw_show(uint8_t satellites, uint16_t eph);
    void attitude_show(float roll, float pitch, float yaw);
    void mag_cal_progress_show(uint8_t compassId, int value);
    void mag_cal_report_show(uint8_t compassId, uint8_t calStatus);
    void rc_channels_show(mavlink_rc_channels_t channels);
    void statustext_show(QString text, uint8_t severity);

    // Parameters.
    void param_value_loading_show(Parameter parameter, int received, uint16_t count);
    void param_value_finish_show();
    void param_value_update_show(QString name, float value);
    void param_missing_show(QList<int> missingIndices);
    void param_write_failed_show(QString name, float written);
    void link_error_show(QString reason);
    void port_permission_denied_show(QString name);
    // The battery-voltage dialog's new multiplier.
    void Voltage_Write_show(float newMult);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // Connected by member pointer to the four navigation buttons; not a slot,
    // so the form's connection by name does not look at it.
    void on_navButtonClicked();
    // Refreshes the frame and every page from the parameter store.
    void showParameterValue();
    // Puts the whole interface into a language: loads and installs its
    // catalogue, re-applies every form's texts and the texts that follow the
    // state, and, when storeChoice, writes the choice to the settings file.
    // Both language boxes and the end of a download display come here.
    void switchLanguage(bool english, bool storeChoice);
    // The window's own texts that code writes: the navigation caption of a
    // collective-pitch frame, the model name, the connect button's font and
    // state text.
    void applyWindowLanguageTexts(bool english);
    // Qt's own texts (message box buttons, "Show Details...") in Chinese when
    // its catalogue is installed on this system; Qt's English otherwise.
    void installQtCatalogue(bool english);
    void setLinkState(LinkState state);
    // The flight time in whole minutes, after a change of STAT_FLTTIME, a
    // cleared store or re-applied form texts: the text is built again only
    // when the minutes or the language changed, or the label no longer shows
    // it (the form's texts re-applied).
    void showFlightTime();
    // Runs or pauses the warning strip's ageing after its lines changed.
    void updateWarningAgeing();
    QString connectButtonText() const;
    static QString connectButtonText(LinkState state);
    // Unconfirmed writes are collected for a moment, so that several failing
    // together make one line in the warning strip.
    void flushFailedWrites();
    void clearWarningStrip();
    // One line at the bottom of the warning strip. A line is kept by what it
    // says, `text` giving it in the current language, so that a language
    // switch shows it again translated; a fixed text stays as it is.
    void addWarningLine(std::function<QString()> text);
    void addWarningLine(const QString &text);
    // Shows the lines again in the current language.
    void retranslateWarningStrip();
    QString elidedWarningLine(const QString &text) const;
    void updateWarningToolTip();
    // A modal warning with one OK button; detail, when given, is the box's
    // detailed text.
    void showWarningBox(const QString &title, const QString &text, const QString &detail = QString(),
                        const QString &hint = QString());
    // What the user can do when the system refuses to open the port: on
    // Linux install the udev rule or join the dialout group, then re-plug; on
    // Windows close the program that holds the port. Empty elsewhere.
    QString permissionFixText() const;
    void stopWorkerThread();
    // Sets the process-wide ageing time of the warning strip back to 0.
    static void resetWarningAge();

    Ui::MainWindow *ui = nullptr;
    QTranslator *translator = nullptr;
    QTranslator *qtTranslator = nullptr;

    QThread workerThread;
    Mav2Uart_Worker *worker = nullptr;
    // Drops the warning strip's oldest line; runs only while a line is shown.
    QTimer *warnAgeTimer = nullptr;
    QElapsedTimer warnAgeClock;   // since the ageing last resumed

    QShortcut *voltageShortcut = nullptr;
    QPointer<PopUpWidget> voltageDialog;
    QPointer<AllParametersDialog> m_allParameters;

    bool dragging = false;
    QPoint dragOffset;

    ParameterStore *m_store = nullptr;
    PageContext *m_ctx = nullptr;
    StatusPage *m_statusPage = nullptr;
    RotorPage *m_rotorPage = nullptr;
    TuningPage *m_tuningPage = nullptr;
    ModelPage *m_modelPage = nullptr;
    SafeChanges *m_safeChanges = nullptr;
    ParamFilesBar *m_filesBar = nullptr;
    QList<QPushButton *> m_navButtons;

    Options m_options;
    QString m_settingsFile;
    // The last reason the worker gave for a failed open; shown with the
    // failure box of the next ConnectSingal(0).
    QString m_lastLinkError;
    bool m_lastOpenDenied = false;
    LinkState m_linkState = LinkState::Idle;
    // What showFlightTime last wrote, and for which minutes (a language
    // switch that installs a catalogue forgets the minutes).
    QString m_flightTimeText;
    int m_flightTimeMinutes = std::numeric_limits<int>::min();
    // Names of the writes the flight controller did not confirm, waiting to
    // be shown together.
    QStringList m_failedWrites;
    QTimer *m_failedWritesTimer = nullptr;
    // The strip's lines in full, oldest first (the strip may show them cut),
    // each in the current language.
    QList<std::function<QString()>> m_warnLines;

    friend class TestMainWindow;
    friend class TestConnectionPanel;
    friend class TestLanguageSwitch;
};
