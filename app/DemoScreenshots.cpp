#include "app/DemoScreenshots.h"

#include "app/AppLog.h"
#include "app/MainWindow.h"
#include "link/Mav2Uart_Worker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QDir>
#include <QPixmap>
#include <QPushButton>
#include <QStackedWidget>

namespace {

constexpr int kStepMs = 100;
// Telemetry needs a moment after the download to fill the gauges and bars.
constexpr int kSettleMs = 2500;
constexpr int kPageShowMs = 900;

const char *const kPageFiles[] = {"1-radio.png", "2-rotor.png", "3-parameters.png", "4-models.png"};

qint64 nowMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

} // namespace

DemoScreenshots::DemoScreenshots(MainWindow *window, const QString &portName, const QString &outputDir,
                                 QObject *parent)
    : QObject(parent), m_window(window), m_portName(portName), m_outputDir(outputDir)
{
    m_timer.setInterval(kStepMs);
    connect(&m_timer, &QTimer::timeout, this, &DemoScreenshots::step);
}

void DemoScreenshots::start(int timeoutMs)
{
    QDir().mkpath(m_outputDir);
    m_timeoutMs = timeoutMs;
    m_startedMs = m_stageMs = nowMs();
    m_stage = Stage::WaitPort;
    m_timer.start();
}

void DemoScreenshots::step()
{
    const qint64 now = nowMs();
    auto *portBox = m_window->findChild<QComboBox *>(QStringLiteral("Uartbox"));
    auto *connectButton = m_window->findChild<QPushButton *>(QStringLiteral("OpenUart"));
    auto *stack = m_window->findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
    if (!portBox || !connectButton || !stack) {
        finish(false);
        return;
    }

    if ((m_stage == Stage::WaitPort || m_stage == Stage::WaitDownload) && now - m_startedMs > m_timeoutMs) {
        qCWarning(lcApp) << "demo: no complete download, saving the pages as they are";
        m_stage = Stage::Pages;
        m_stageMs = now;
        m_page = -1;
    }

    switch (m_stage) {
    case Stage::WaitPort: {
        const int index = portBox->findText(m_portName);
        if (index < 0)
            return;
        portBox->setCurrentIndex(index);
        saveWindow(QStringLiteral("0-start.png"));
        connectButton->click();
        m_stage = Stage::WaitDownload;
        m_stageMs = now;
        return;
    }
    case Stage::WaitDownload:
        if (!m_window->linkWorker()->readParamDone.load())
            return;
        m_downloaded = true;
        m_stage = Stage::Settle;
        m_stageMs = now;
        return;
    case Stage::Settle:
        if (now - m_stageMs < kSettleMs)
            return;
        m_stage = Stage::Pages;
        m_stageMs = now;
        m_page = -1;
        return;
    case Stage::Pages:
        if (m_page >= 0 && now - m_stageMs < kPageShowMs)
            return;
        if (m_page >= 0)
            saveWindow(languageTag() + QLatin1Char('-') + QString::fromLatin1(kPageFiles[m_page]));
        ++m_page;
        if (m_page >= 4 && !m_switched) {
            // The same pages in the other language: a click on the ticked box.
            m_switched = true;
            m_page = -1;
            const char *ticked = languageTag() == QLatin1String("en") ? "English_checkBox" : "Chinese_checkBox";
            if (auto *box = m_window->findChild<QCheckBox *>(QString::fromLatin1(ticked)))
                box->click();
            m_stageMs = now;
            return;
        }
        if (m_page >= 4) {
            finish(m_downloaded);
            return;
        }
        if (m_downloaded) {
            // Through the navigation, as a click would.
            if (auto *nav = m_window->findChild<QPushButton *>(QStringLiteral("nav_BT%1").arg(m_page + 1)))
                nav->click();
        } else {
            stack->setCurrentIndex(m_page);
        }
        m_stageMs = now;
        return;
    case Stage::Done:
        return;
    }
}

QString DemoScreenshots::languageTag() const
{
    auto *english = m_window->findChild<QCheckBox *>(QStringLiteral("English_checkBox"));
    return english && english->isChecked() ? QStringLiteral("en") : QStringLiteral("zh");
}

bool DemoScreenshots::saveWindow(const QString &fileName)
{
    const QString path = QDir(m_outputDir).filePath(fileName);
    const bool ok = m_window->grab().save(path, "PNG");
    if (ok)
        m_saved.append(path);
    else
        qCWarning(lcApp) << "demo: cannot write" << path;
    return ok;
}

void DemoScreenshots::finish(bool ok)
{
    m_stage = Stage::Done;
    m_timer.stop();
    emit finished(ok);
}
