#pragma once
// The main window beside a simulated flight controller, for the tests that
// drive the whole window: its settings and snapshots in a folder of the
// test's own, the simulator's port offered; connected as a user connects
// (the port picked in the list, the connect button clicked).

#include "app/MainWindow.h"
#include "link/Mav2Uart_Worker.h"
#include "sim/SimulatorPortSource.h"

#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

// A window offering only `port`, its settings and snapshots (unless given) in `dir`.
inline MainWindow::Options windowOptions(const QTemporaryDir &dir, const QString &port,
                                         const QString &snapshotDir = QString())
{
    MainWindow::Options options;
    options.portSource = SimulatorPortSource::only(port);
    options.settingsFile = dir.filePath(QStringLiteral("settings.ini"));
    options.snapshotDir = snapshotDir.isEmpty() ? dir.filePath(QStringLiteral("snapshots")) : snapshotDir;
    return options;
}

// Picks `port` once the window lists it and clicks connect.
inline bool connectWindow(MainWindow &w, const QString &port)
{
    auto *ports = w.findChild<QComboBox *>(QStringLiteral("Uartbox"));
    if (!ports || !QTest::qWaitFor([&] { return ports->findText(port) >= 0; }, 5000))
        return false;
    ports->setCurrentIndex(ports->findText(port));
    w.findChild<QPushButton *>(QStringLiteral("OpenUart"))->click();
    return true;
}

// ... and waits for the parameter download to end.
inline bool connectAndDownload(MainWindow &w, const QString &port, int timeoutMs = 30000)
{
    return connectWindow(w, port)
        && QTest::qWaitFor([&] { return w.linkWorker()->readParamDone.load(); }, timeoutMs);
}

// The writes the worker still waits to see echoed, asked on its own thread.
inline int pendingWrites(Mav2Uart_Worker *worker)
{
    int pending = -1;
    QMetaObject::invokeMethod(worker, [&pending, worker] { pending = worker->pendingWriteCount(); },
                              Qt::BlockingQueuedConnection);
    return pending;
}
