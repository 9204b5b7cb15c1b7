#pragma once
// FaultRig: one main window wired to one simulated flight controller over a
// pseudo-terminal, for tests that make the link misbehave. The window gets a
// private settings file and a port source that lists whatever device the
// simulator currently has (a restarted simulator may get another one).

#include "app/MainWindow.h"
#include "sim/SimulatedFlightController.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

class NLineLabel;
class ProgressRing;
class QPushButton;

class FaultRig
{
public:
    explicit FaultRig(const SimulatedFlightController::Options &options = {});
    ~FaultRig();

    // Starts (or restarts) the simulator and points the port source at it.
    bool startSim();
    void stopSim();
    SimulatedFlightController &sim() { return *m_sim; }

    MainWindow &window();
    // Picks the simulator's device in the port list and clicks connect.
    bool connectWindow();
    // Waits until the window has taken a whole download.
    bool waitForDownload(int timeoutMs);

    QPushButton *connectButton();
    ProgressRing *ring();
    NLineLabel *strip();
    QStringList stripLines();

    // Store against the simulator's table: every parameter present with the
    // value the link carries (the encoded form is the value x 12 in single
    // precision, divided back by 12). Empty when all is right, else the first
    // differences.
    QStringList storeDifferences();

    // Asks the worker on its own thread.
    int pendingWrites();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SimulatedFlightController> m_sim;
    std::unique_ptr<MainWindow> m_window;
    std::shared_ptr<QMutex> m_pathMutex;
    std::shared_ptr<QString> m_path;
    bool m_encoded = false;
};

// Answers every modal message box that opens (OK, or Yes where offered) and
// records its text and detail.
class BoxAnswerer : public QObject
{
public:
    BoxAnswerer();
    QStringList texts;
    QStringList details;

private:
    QTimer m_timer;
};
