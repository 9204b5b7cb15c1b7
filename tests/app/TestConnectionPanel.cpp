// The connection panel and the worker wiring against the simulated flight
// controller on a pseudo-terminal: connect, download, link loss, a failed
// open, a second click on the open port, and the shutdown order.

#include "app/MainWindow.h"
#include "dialogs/PopUpWidget.h"
#include "link/Mav2Uart_Worker.h"
#include "pages/PageContext.h"
#include "pages/TuningPage.h"
#include "params/ParameterStore.h"
#include "sim/SimulatedFlightController.h"
#include "sim/SimulatorPortSource.h"
#include "widgets/NLineLabel.h"
#include "widgets/ProgressRing.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QMutex>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

// Answers every modal message box that opens and records what it said.
class BoxWatcher : public QObject
{
public:
    BoxWatcher()
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            titles << box->windowTitle();
            texts << box->text();
            details << box->detailedText();
            box->done(QMessageBox::Ok);
        });
        m_timer.start();
    }

    QStringList titles;
    QStringList texts;
    QStringList details;

private:
    QTimer m_timer;
};

} // namespace

class TestConnectionPanel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void portListFollowsTheDevices();
    void clickWithoutPortDoesNothing();
    void downloadThenLinkLoss();
    void travelCalibrationBlocksNavigation();
    void unconfirmedDownloadAndWritesAreReported();
    void voltageShortcutOpensOneDialog();
    void linkLossWhileLoading();
    void failedOpenShowsTheBoxOnce();
    void secondClickOnTheOpenPortSendsNothing();
    void quitWhileConnectedClosesThePort();
    void quitWhileWaitingForAFirstFrameEndsPromptly();
    void compassCalibrationWaitsForEveryCompass();

private:
    std::unique_ptr<MainWindow> makeWindow(PortSource source);
    bool startSim();
    // Picks the simulator in the port list and clicks connect.
    bool connectToSim(MainWindow &w);
    template <typename T>
    static T *child(MainWindow &w, const char *name)
    {
        T *c = w.findChild<T *>(QString::fromLatin1(name));
        if (!c)
            qFatal("no child %s", name);
        return c;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SimulatedFlightController> m_sim;
};

void TestConnectionPanel::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestConnectionPanel::cleanup()
{
    if (m_sim)
        m_sim->stop();
    m_sim.reset();
    m_dir.reset();
}

bool TestConnectionPanel::startSim()
{
    m_sim = std::make_unique<SimulatedFlightController>();
    m_sim->setBaudRate(0);   // as fast as the pseudo-terminal takes it
    QString error;
    if (!m_sim->start(&error)) {
        qWarning() << "simulator:" << error;
        return false;
    }
    return true;
}

std::unique_ptr<MainWindow> TestConnectionPanel::makeWindow(PortSource source)
{
    MainWindow::Options options;
    options.portSource = std::move(source);
    options.settingsFile = m_dir->filePath(QStringLiteral("settings.ini"));
    return std::make_unique<MainWindow>(options);
}

bool TestConnectionPanel::connectToSim(MainWindow &w)
{
    auto *ports = child<QComboBox>(w, "Uartbox");
    if (!QTest::qWaitFor([&] { return ports->findText(m_sim->portPath()) >= 0; }, 5000))
        return false;
    ports->setCurrentIndex(ports->findText(m_sim->portPath()));
    child<QPushButton>(w, "OpenUart")->click();
    return true;
}

void TestConnectionPanel::portListFollowsTheDevices()
{
    // A port source the test changes while the window runs.
    auto mutex = std::make_shared<QMutex>();
    auto ports = std::make_shared<QList<PortCandidate>>();
    auto w = makeWindow([mutex, ports] {
        QMutexLocker lock(mutex.get());
        return *ports;
    });
    auto *box = child<QComboBox>(*w, "Uartbox");
    auto setPorts = [&](QList<PortCandidate> list) {
        QMutexLocker lock(mutex.get());
        *ports = std::move(list);
    };
    const quint16 vid = Mav2Uart_Worker::kVendorId;
    const quint16 pid = Mav2Uart_Worker::kProductId;

    QTest::qWait(100);
    QCOMPARE(box->count(), 0);
    setPorts({{QStringLiteral("ttyOTHER"), vid, quint16(pid + 1)}, {QStringLiteral("ttyFC1"), vid, pid}});
    QTRY_COMPARE(box->count(), 1);
    QCOMPARE(box->itemText(0), QStringLiteral("ttyFC1"));
    // A second device joins; the user's choice survives later ticks.
    setPorts({{QStringLiteral("ttyFC1"), vid, pid}, {QStringLiteral("ttyFC2"), vid, pid}});
    QTRY_COMPARE(box->count(), 2);
    box->setCurrentIndex(1);
    QTest::qWait(100);
    QCOMPARE(box->currentText(), QStringLiteral("ttyFC2"));
    // Unplugged before connecting: the list empties.
    setPorts({});
    QTRY_COMPARE(box->count(), 0);
}

void TestConnectionPanel::clickWithoutPortDoesNothing()
{
    BoxWatcher boxes;
    auto w = makeWindow([] { return QList<PortCandidate>(); });
    QSignalSpy connects(w->linkWorker(), &Mav2Uart_Worker::ConnectSingal);
    auto *button = child<QPushButton>(*w, "OpenUart");
    button->click();
    QTest::qWait(300);
    QCOMPARE(connects.count(), 0);
    QVERIFY(boxes.texts.isEmpty());
    QCOMPARE(button->text(), QStringLiteral("连 接"));
}

void TestConnectionPanel::downloadThenLinkLoss()
{
    QVERIFY(startSim());
    auto w = makeWindow(SimulatorPortSource::only(m_sim->portPath()));
    auto *button = child<QPushButton>(*w, "OpenUart");
    auto *ring = child<ProgressRing>(*w, "Read_progress");
    auto *strip = child<NLineLabel>(*w, "warn_txt_widget");
    auto *stack = child<QStackedWidget>(*w, "stackedWidget");
    auto *shortcut = w->findChild<QShortcut *>();
    QVERIFY(shortcut);
    QVERIFY(!shortcut->isEnabled());
    QSignalSpy streams(w.get(), &MainWindow::ReadParam_stream);

    QVERIFY(connectToSim(*w));
    QTRY_COMPARE_WITH_TIMEOUT(button->text(), QStringLiteral("成 功"), 20000);
    QCOMPARE(ring->value(), 100.0);
    QCOMPARE(w->parameterStore()->size(), m_sim->parameterCount());
    QTRY_VERIFY(w->linkWorker()->readParamDone.load());
    QVERIFY(shortcut->isEnabled());
    QVERIFY(child<QPushButton>(*w, "nav_BT3")->isEnabled());

    // Navigation now works; page 0 asks for the RC channel stream.
    child<QPushButton>(*w, "nav_BT2")->click();
    QCOMPARE(stack->currentIndex(), 1);
    child<QPushButton>(*w, "nav_BT1")->click();
    QCOMPARE(stack->currentIndex(), 0);
    QCOMPARE(streams.count(), 1);
    QCOMPARE(streams.at(0).at(0).value<uint8_t>(), uint8_t(3));
    QCOMPARE(streams.at(0).at(1).toBool(), true);
    QTRY_VERIFY(m_sim->streamRequests().contains(3));
    child<QPushButton>(*w, "nav_BT2")->click();

    // The flight controller falls silent: two seconds later the panel is idle.
    strip->addLine(QStringLiteral("warning"));
    QElapsedTimer silent;
    m_sim->setSilent(true);
    silent.start();
    QTRY_COMPARE_WITH_TIMEOUT(button->text(), QStringLiteral("连 接"), 5000);
    QVERIFY2(silent.elapsed() >= 1500, qPrintable(QString::number(silent.elapsed())));
    QCOMPARE(ring->value(), 0.0);
    QCOMPARE(strip->lineCount(), 0);
    QVERIFY(!shortcut->isEnabled());
    QVERIFY(!w->linkWorker()->portOpen.load());
    // The page shown stays; navigation is ignored until the next download.
    QCOMPARE(stack->currentIndex(), 1);
    child<QPushButton>(*w, "nav_BT3")->click();
    QCOMPARE(stack->currentIndex(), 1);
}

void TestConnectionPanel::travelCalibrationBlocksNavigation()
{
    QVERIFY(startSim());
    BoxWatcher boxes;
    auto w = makeWindow(SimulatorPortSource::only(m_sim->portPath()));
    auto *stack = child<QStackedWidget>(*w, "stackedWidget");
    QVERIFY(connectToSim(*w));
    QTRY_VERIFY_WITH_TIMEOUT(w->linkWorker()->readParamDone.load(), 20000);
    QVERIFY(boxes.texts.isEmpty());

    // The calibration button shows its running text: every navigation click
    // warns and keeps the page.
    QPushButton *rc = w->findChild<QPushButton *>(QStringLiteral("RC_pB"));
    QVERIFY(rc);
    const QString idle = rc->text();
    rc->setText(QStringLiteral("写入参数"));
    child<QPushButton>(*w, "nav_BT2")->click();
    QTRY_COMPARE(boxes.texts.size(), 1);
    QCOMPARE(boxes.titles.at(0), QStringLiteral("警报"));
    QCOMPARE(boxes.texts.at(0),
             QStringLiteral("正在校准遥控器行程，请拨动摇杆至极限位置状态后，点击写入参数完成校准"));
    QCOMPARE(stack->currentIndex(), 0);

    rc->setText(idle);
    child<QPushButton>(*w, "nav_BT2")->click();
    QCOMPARE(stack->currentIndex(), 1);
    QCOMPARE(boxes.texts.size(), 1);
}

void TestConnectionPanel::unconfirmedDownloadAndWritesAreReported()
{
    QVERIFY(startSim());
    // One parameter never arrives, one refuses writes.
    m_sim->setUnanswerableIndices({5});
    m_sim->setReadOnly(QStringLiteral("STAT_BOOTCNT"), true);
    auto w = makeWindow(SimulatorPortSource::only(m_sim->portPath()));
    auto *strip = child<NLineLabel>(*w, "warn_txt_widget");
    QSignalSpy failedWrites(w->pageContext(), &PageContext::parameterWriteFailed);

    QVERIFY(connectToSim(*w));
    QTRY_VERIFY_WITH_TIMEOUT(w->linkWorker()->readParamDone.load(), 30000);
    QCOMPARE(w->parameterStore()->size(), m_sim->parameterCount() - 1);
    QCOMPARE(strip->lineCount(), 1);
    QCOMPARE(strip->lineText(0), QStringLiteral("参数缺失：1 个"));

    w->WriteParameters(QStringLiteral("STAT_BOOTCNT"), 99.0f);
    QTRY_COMPARE_WITH_TIMEOUT(failedWrites.count(), 1, 10000);
    QCOMPARE(failedWrites.at(0).at(0).toString(), QStringLiteral("STAT_BOOTCNT"));
    QCOMPARE(failedWrites.at(0).at(1).toFloat(), 99.0f);
    QTRY_COMPARE(strip->lineText(1), QStringLiteral("写入未确认：STAT_BOOTCNT"));
    // The store keeps what the flight controller holds.
    float held = 0;
    QVERIFY(m_sim->parameterValue(QStringLiteral("STAT_BOOTCNT"), &held));
    QTRY_COMPARE(w->parameterStore()->findParameterValue(QStringLiteral("STAT_BOOTCNT")), double(held));
}

void TestConnectionPanel::voltageShortcutOpensOneDialog()
{
    QVERIFY(startSim());
    auto w = makeWindow(SimulatorPortSource::only(m_sim->portPath()));
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    auto *shortcut = w->findChild<QShortcut *>();
    auto *central = child<QWidget>(*w, "centralwidget");
    auto dialogs = [&] { return w->findChildren<PopUpWidget *>().size(); };
    auto press = [&] { QTest::keyClick(w.get(), Qt::Key_K, Qt::ControlModifier | Qt::AltModifier); };

    press();
    QCOMPARE(dialogs(), 0);

    QVERIFY(connectToSim(*w));
    QTRY_VERIFY_WITH_TIMEOUT(w->linkWorker()->readParamDone.load(), 20000);
    QVERIFY(shortcut->isEnabled());
    press();
    QCOMPARE(dialogs(), 1);
    QVERIFY(!shortcut->isEnabled());
    QVERIFY(!central->isEnabled());
    press();
    QCOMPARE(dialogs(), 1);

    // Closing the dialog gives the window back.
    PopUpWidget *dialog = w->findChild<PopUpWidget *>();
    QPointer<PopUpWidget> guard(dialog);
    dialog->close();
    QTRY_VERIFY(guard.isNull());
    QVERIFY(shortcut->isEnabled());
    QVERIFY(central->isEnabled());
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    press();
    QCOMPARE(dialogs(), 1);
}

void TestConnectionPanel::linkLossWhileLoading()
{
    QVERIFY(startSim());
    m_sim->setSilent(true);
    auto w = makeWindow(SimulatorPortSource::only(m_sim->portPath()));
    auto *button = child<QPushButton>(*w, "OpenUart");
    auto *ring = child<ProgressRing>(*w, "Read_progress");
    auto *strip = child<NLineLabel>(*w, "warn_txt_widget");

    QVERIFY(connectToSim(*w));
    QTRY_COMPARE(button->text(), QStringLiteral("加载中"));
    QElapsedTimer loading;
    loading.start();
    ring->setValue(40);
    strip->addLine(QStringLiteral("warning"));

    QTRY_COMPARE_WITH_TIMEOUT(button->text(), QStringLiteral("连 接"), 5000);
    QVERIFY2(loading.elapsed() >= 1500, qPrintable(QString::number(loading.elapsed())));
    QCOMPARE(ring->value(), 0.0);
    QCOMPARE(strip->lineCount(), 0);
    QVERIFY(!w->linkWorker()->portOpen.load());
}

void TestConnectionPanel::failedOpenShowsTheBoxOnce()
{
    // A port that is listed with the flight controller's identifiers but
    // cannot be opened.
    const QString missing = m_dir->filePath(QStringLiteral("ttyNOPE"));
    BoxWatcher boxes;
    auto w = makeWindow([missing] {
        return QList<PortCandidate>{{missing, Mav2Uart_Worker::kVendorId, Mav2Uart_Worker::kProductId}};
    });
    auto *ports = child<QComboBox>(*w, "Uartbox");
    auto *button = child<QPushButton>(*w, "OpenUart");
    auto *ring = child<ProgressRing>(*w, "Read_progress");
    QTRY_COMPARE(ports->currentText(), missing);
    ring->setValue(30);

    button->click();
    QTRY_COMPARE(boxes.texts.size(), 1);
    QCOMPARE(boxes.texts.at(0), QStringLiteral("串口连接失败"));
    QCOMPARE(boxes.titles.at(0), QStringLiteral("错误"));
    // The system's reason comes along as the detail.
    QVERIFY2(boxes.details.at(0).contains(missing), qPrintable(boxes.details.at(0)));
    QCOMPARE(button->text(), QStringLiteral("连 接"));
    QCOMPARE(ring->value(), 0.0);
    QTest::qWait(300);
    QCOMPARE(boxes.texts.size(), 1);

    // Each click gives one box.
    button->click();
    QTRY_COMPARE(boxes.texts.size(), 2);
    QTest::qWait(300);
    QCOMPARE(boxes.texts.size(), 2);
    QVERIFY(boxes.details.at(1).contains(missing));
}

void TestConnectionPanel::secondClickOnTheOpenPortSendsNothing()
{
    QVERIFY(startSim());
    BoxWatcher boxes;
    auto w = makeWindow(SimulatorPortSource::only(m_sim->portPath()));
    auto *button = child<QPushButton>(*w, "OpenUart");
    QSignalSpy connects(w->linkWorker(), &Mav2Uart_Worker::ConnectSingal);

    QVERIFY(connectToSim(*w));
    QTRY_COMPARE_WITH_TIMEOUT(button->text(), QStringLiteral("成 功"), 20000);
    // Let the stream requests after the download go out.
    QTRY_VERIFY(m_sim->streamRequests().size() >= 7);
    QTest::qWait(200);
    const int frames = m_sim->framesReceived();
    const int lists = m_sim->listRequestCount();
    QCOMPARE(connects.count(), 1);

    button->click();
    QTest::qWait(500);
    QCOMPARE(m_sim->framesReceived(), frames);
    QCOMPARE(m_sim->listRequestCount(), lists);
    QCOMPARE(connects.count(), 1);
    QCOMPARE(button->text(), QStringLiteral("成 功"));
    QVERIFY(boxes.texts.isEmpty());
}

void TestConnectionPanel::quitWhileConnectedClosesThePort()
{
    QVERIFY(startSim());
    auto w = makeWindow(SimulatorPortSource::only(m_sim->portPath()));
    QVERIFY(connectToSim(*w));
    QTRY_COMPARE(child<QPushButton>(*w, "OpenUart")->text(), QStringLiteral("加载中"));
    QVERIFY(w->linkWorker()->portOpen.load());

    // What aboutToQuit runs: the port is closed while the worker thread still runs.
    QVERIFY(QMetaObject::invokeMethod(w.get(), "check_uart"));
    QVERIFY(!w->linkWorker()->portOpen.load());
    QVERIFY(w->workerThread.isRunning());
    QString name = QStringLiteral("?");
    QMetaObject::invokeMethod(w->linkWorker(), [&] { name = w->linkWorker()->currentPortName(); },
                              Qt::BlockingQueuedConnection);
    QVERIFY(name.isEmpty());

    QElapsedTimer t;
    t.start();
    w.reset();
    QVERIFY2(t.elapsed() < 2000, qPrintable(QString::number(t.elapsed())));
}

void TestConnectionPanel::quitWhileWaitingForAFirstFrameEndsPromptly()
{
    QVERIFY(startSim());
    m_sim->setSilent(true);
    auto w = makeWindow(SimulatorPortSource::only(m_sim->portPath()));
    QVERIFY(connectToSim(*w));
    QTRY_COMPARE(child<QPushButton>(*w, "OpenUart")->text(), QStringLiteral("加载中"));
    // The worker now waits for a first frame that never comes.
    QTest::qWait(200);
    QVERIFY(w->linkWorker()->portOpen.load());

    QElapsedTimer t;
    t.start();
    w.reset();
    QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
}

void TestConnectionPanel::compassCalibrationWaitsForEveryCompass()
{
    // Two compasses calibrate together; the first reports its success well
    // before the second. The calibration ends only with the second report.
    QVERIFY(startSim());
    m_sim->setMagCalCompasses({{0, 0, 600, 4}, {1, 0, 2100, 4}});
    auto w = makeWindow(SimulatorPortSource::only(m_sim->portPath()));
    QSignalSpy reports(w->linkWorker(), &Mav2Uart_Worker::mag_cal_report_value);
    QVERIFY(connectToSim(*w));
    QTRY_VERIFY_WITH_TIMEOUT(w->linkWorker()->readParamDone.load(), 20000);
    child<QPushButton>(*w, "nav_BT3")->click();
    QCOMPARE(child<QStackedWidget>(*w, "stackedWidget")->currentIndex(), 2);

    TuningPage *page = w->tuningPage();
    auto *bar = w->findChild<QWidget *>(QStringLiteral("MAG_calibration_xPB"));
    QVERIFY(bar);
    child<QPushButton>(*w, "MAG_calibration_pB")->click();
    QVERIFY(page->magCalActive());
    // Progress of both compasses reaches the page.
    QTRY_VERIFY_WITH_TIMEOUT(bar->property("value").toInt() > 0, 3000);

    QTRY_COMPARE_WITH_TIMEOUT(reports.count(), 1, 5000);
    QCOMPARE(reports.at(0).at(0).value<uint8_t>(), uint8_t(0));
    QCOMPARE(reports.at(0).at(1).value<uint8_t>(), uint8_t(4));
    QTest::qWait(300); // the report has reached the page by now
    QVERIFY(!page->magCalSucceeded());
    QVERIFY(page->magCalActive());

    QTRY_COMPARE_WITH_TIMEOUT(reports.count(), 2, 5000);
    QCOMPARE(reports.at(1).at(0).value<uint8_t>(), uint8_t(1));
    QTRY_VERIFY(page->magCalSucceeded());
    QVERIFY(!page->magCalActive());
}

QTEST_MAIN(TestConnectionPanel)
#include "TestConnectionPanel.moc"
