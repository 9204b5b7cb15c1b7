#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class MainWindow;

// Drives the demo window like a user would, for a run without a display:
// picks the simulated flight controller in the port list, connects, waits for
// the parameter download, then shows each of the four pages in turn and saves
// a picture of the whole window for each into a folder; then switches to the
// other language with its box and does the same again. The files are named
// by language and page ("zh-1-radio.png", "en-3-parameters.png").
class DemoScreenshots : public QObject
{
    Q_OBJECT

public:
    DemoScreenshots(MainWindow *window, const QString &portName, const QString &outputDir,
                    QObject *parent = nullptr);

    // Starts the run; finished() follows, also when the download never
    // completes within timeoutMs (the pages are then saved as they are).
    void start(int timeoutMs = 90000);

    // Files written so far.
    QStringList savedFiles() const { return m_saved; }

signals:
    void finished(bool ok);

private:
    enum class Stage { WaitPort, WaitDownload, Settle, Pages, Done };

    void step();
    bool saveWindow(const QString &fileName);
    // "en" or "zh", by the ticked language box.
    QString languageTag() const;
    void finish(bool ok);

    MainWindow *m_window;
    QString m_portName;
    QString m_outputDir;
    QTimer m_timer;
    Stage m_stage = Stage::WaitPort;
    qint64 m_startedMs = 0;
    qint64 m_stageMs = 0;
    int m_timeoutMs = 90000;
    int m_page = -1;
    bool m_downloaded = false;
    bool m_switched = false; // the pages of the second language are being shown
    QStringList m_saved;
};
