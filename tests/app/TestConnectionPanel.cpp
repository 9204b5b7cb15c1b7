// The connection panel against the simulated flight controller on a pseudo-terminal: port list, connect,
// download, battery-dialog shortcut, compass calibration, link loss, a failed open with its reason, quitting.

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

#include "WindowTestHelpers.h"

#include <QComboBox>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QtTest>

#include <memory>

class TestConnectionPanel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void portListFollowsTheDevices();
    void downloadThenLinkLoss();
    void unconfirmedDownloadAndWritesThenQuit();
    void quitWhileWaitingForAFirstFrame();
    void failedOpenShowsTheBoxOnce();

private:
    // The simulator's port unless another source is given.
    std::unique_ptr<MainWindow> makeWindow(PortSource source = {});
    bool startSim();
    // Picks the simulator in the port list and clicks connect.
    bool connectToSim(MainWindow &w);

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
}

bool TestConnectionPanel::startSim()
{
    m_sim = std::make_unique<SimulatedFlightController>();
    m_sim->setBaudRate(0); // as fast as the pseudo-terminal takes it
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
    options.portSource = source ? std::move(source) : SimulatorPortSource::only(m_sim->portPath());
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

    // Without a port a click sends nothing and says nothing.
    BoxWatcher boxes;
    ThreadSafeLog<int> connects(w->linkWorker(), &Mav2Uart_Worker::ConnectSingal);
    child<QPushButton>(*w, "OpenUart")->click();
    QTest::qWait(100);
    QCOMPARE(box->count(), 0);
    QCOMPARE(connects.count(), 0);
    QVERIFY(boxes.texts.isEmpty());

    // Plugged in while the window sits idle: listed within half a second. Only
    // the flight controller's identifiers are listed.
    QTest::qWait(600);
    QElapsedTimer plugged;
    plugged.start();
    setPorts({{QStringLiteral("ttyOTHER"), vid, quint16(pid + 1)}, {QStringLiteral("ttyFC1"), vid, pid}});
    QVERIFY(QTest::qWaitFor([&] { return box->count() == 1; }, 5000));
    QVERIFY2(plugged.elapsed() <= 500, qPrintable(QString::number(plugged.elapsed())));
    QCOMPARE(box->itemText(0), QStringLiteral("ttyFC1"));
    // The user's choice survives later searches.
    setPorts({{QStringLiteral("ttyFC1"), vid, pid}, {QStringLiteral("ttyFC2"), vid, pid}});
    QTRY_COMPARE(box->count(), 2);
    box->setCurrentIndex(1);
    QTest::qWait(600);
    QCOMPARE(box->currentText(), QStringLiteral("ttyFC2"));
    // Unplugged: gone as fast.
    plugged.restart();
    setPorts({});
    QVERIFY(QTest::qWaitFor([&] { return box->count() == 0; }, 5000));
    QVERIFY2(plugged.elapsed() <= 500, qPrintable(QString::number(plugged.elapsed())));
}

void TestConnectionPanel::downloadThenLinkLoss()
{
    QVERIFY(startSim());
    // Two compasses; the first reports success well before the second.
    m_sim->setMagCalCompasses({{0, 0, 600, 4}, {1, 0, 2100, 4}});
    BoxWatcher boxes;
    auto w = makeWindow();
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    auto *button = child<QPushButton>(*w, "OpenUart");
    auto *ring = child<ProgressRing>(*w, "Read_progress");
    auto *strip = child<NLineLabel>(*w, "warn_txt_widget");
    auto *stack = child<QStackedWidget>(*w, "stackedWidget");
    auto *shortcut = w->findChild<QShortcut *>();
    QSignalSpy streams(w.get(), &MainWindow::ReadParam_stream);
    ThreadSafeLog<int> connects(w->linkWorker(), &Mav2Uart_Worker::ConnectSingal);
    auto dialogs = [&] { return w->findChildren<PopUpWidget *>().size(); };
    auto press = [&] { QTest::keyClick(w.get(), Qt::Key_K, Qt::ControlModifier | Qt::AltModifier); };
    press();
    QCOMPARE(dialogs(), 0); // the battery dialog's shortcut is off before a download
    // The page the worker last heard of (it hears of a change, and of the page shown on every connect).
    Mav2Uart_Worker *worker = w->linkWorker();
    auto reportedPage = [worker] {
        int page = -1;
        QMetaObject::invokeMethod(worker, [&page, worker] { page = worker->reportedPage(); },
                                  Qt::BlockingQueuedConnection);
        return page;
    };
    QCOMPARE(reportedPage(), 0xFF);

    QVERIFY(connectToSim(*w));
    QTRY_COMPARE(reportedPage(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(button->text(), QStringLiteral("成 功"), 20000);
    QCOMPARE(ring->value(), 100.0);
    QCOMPARE(w->parameterStore()->size(), m_sim->parameterCount());
    QTRY_VERIFY(w->linkWorker()->readParamDone.load());

    // Navigation works now; page 0 asks for the RC channel stream.
    child<QPushButton>(*w, "nav_BT2")->click();
    QCOMPARE(stack->currentIndex(), 1);
    QTRY_COMPARE(reportedPage(), 1);
    child<QPushButton>(*w, "nav_BT1")->click();
    QCOMPARE(stack->currentIndex(), 0);
    QTRY_COMPARE(reportedPage(), 0);
    QCOMPARE(streams.count(), 1);
    QCOMPARE(streams.at(0).at(0).value<uint8_t>(), uint8_t(3));
    QCOMPARE(streams.at(0).at(1).toBool(), true);
    QTRY_VERIFY(m_sim->streamRequests().contains(3));

    // A second click on the open port sends nothing.
    QTRY_VERIFY(m_sim->streamRequests().size() >= 7);
    QTest::qWait(200);
    const int frames = m_sim->framesReceived();
    const int lists = m_sim->listRequestCount();
    button->click();
    QTest::qWait(500);
    QCOMPARE(m_sim->framesReceived(), frames);
    QCOMPARE(m_sim->listRequestCount(), lists);
    QCOMPARE(connects.count(), 1);
    QCOMPARE(button->text(), QStringLiteral("成 功"));
    QVERIFY(boxes.texts.isEmpty());

    // The shortcut opens one battery dialog, which holds the window until it closes.
    press();
    press();
    QCOMPARE(dialogs(), 1);
    QVERIFY(!shortcut->isEnabled());
    QVERIFY(!child(*w, "centralwidget")->isEnabled());
    QPointer<PopUpWidget> dialog(w->findChild<PopUpWidget *>());
    dialog->close();
    QTRY_VERIFY(dialog.isNull());
    QVERIFY(shortcut->isEnabled());
    QVERIFY(child(*w, "centralwidget")->isEnabled());

    // A calibration of two compasses ends only with the second one's report.
    ThreadSafeLog<uint8_t, uint8_t> reports(w->linkWorker(), &Mav2Uart_Worker::mag_cal_report_value);
    child<QPushButton>(*w, "nav_BT3")->click();
    QCOMPARE(stack->currentIndex(), 2);
    QTRY_COMPARE(reportedPage(), 2);
    TuningPage *page = w->tuningPage();
    child<QPushButton>(*w, "MAG_calibration_pB")->click();
    QVERIFY(page->magCalActive());
    QTRY_VERIFY_WITH_TIMEOUT(child(*w, "MAG_calibration_xPB")->property("value").toInt() > 0, 3000);
    QTRY_COMPARE_WITH_TIMEOUT(reports.count(), 1, 5000);
    QCOMPARE(std::get<0>(reports.entries.at(0)), uint8_t(0));
    QCOMPARE(std::get<1>(reports.entries.at(0)), uint8_t(4));
    QTest::qWait(300); // the report has reached the page by now
    QVERIFY(!page->magCalSucceeded());
    QVERIFY(page->magCalActive());
    QTRY_COMPARE_WITH_TIMEOUT(reports.count(), 2, 5000);
    QCOMPARE(std::get<0>(reports.entries.at(1)), uint8_t(1));
    QTRY_VERIFY(page->magCalSucceeded());
    QVERIFY(!page->magCalActive());

    // The flight controller falls silent: two seconds later the panel is idle.
    strip->addLine(QStringLiteral("warning"));
    QElapsedTimer silent;
    m_sim->setSilent(true);
    silent.start();
    QTRY_COMPARE_WITH_TIMEOUT(button->text(), QStringLiteral("连 接"), 5000);
    QVERIFY2(silent.elapsed() >= Mav2Uart_Worker::kSilenceLimitMs - 150, qPrintable(QString::number(silent.elapsed())));
    QCOMPARE(ring->value(), 0.0);
    QCOMPARE(strip->lineCount(), 0);
    QVERIFY(!shortcut->isEnabled());
    QVERIFY(!w->linkWorker()->portOpen.load());
    // The page stays; navigation is ignored until the next download.
    child<QPushButton>(*w, "nav_BT1")->click();
    QCOMPARE(stack->currentIndex(), 2);

    // The next connect tells the worker the page shown, changed or not.
    QMetaObject::invokeMethod(worker, [worker] { worker->SetCurrentPage(0xFF); }, Qt::BlockingQueuedConnection);
    m_sim->setSilent(false);
    QVERIFY(connectToSim(*w));
    QTRY_COMPARE(reportedPage(), 2);
}

void TestConnectionPanel::unconfirmedDownloadAndWritesThenQuit()
{
    QVERIFY(startSim());
    // One parameter never arrives, one refuses writes.
    m_sim->setUnanswerableIndices({5});
    m_sim->setReadOnly(QStringLiteral("STAT_BOOTCNT"), true);
    auto w = makeWindow();
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

    // What aboutToQuit runs: the port is closed while the worker thread still runs; the window goes at once.
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

// A silent flight controller while loading loses the link like one gone silent mid-download
// (tst_fault_link silenceMidDownloadClosesAfterTwoSeconds; the worker's own wait in tst_linkworker).
void TestConnectionPanel::quitWhileWaitingForAFirstFrame()
{
    QVERIFY(startSim());
    m_sim->setSilent(true);
    auto w = makeWindow();
    auto *button = child<QPushButton>(*w, "OpenUart");
    QVERIFY(connectToSim(*w));
    QTRY_COMPARE(button->text(), QStringLiteral("加载中"));
    QTest::qWait(200);
    QVERIFY(w->linkWorker()->portOpen.load());
    QElapsedTimer t;
    t.start();
    w.reset();
    QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
}

void TestConnectionPanel::failedOpenShowsTheBoxOnce()
{
    // Listed with the flight controller's identifiers, but cannot be opened.
    const QString missing = m_dir->filePath(QStringLiteral("ttyNOPE"));
    BoxWatcher boxes;
    auto w = makeWindow([missing] {
        return QList<PortCandidate>{{missing, Mav2Uart_Worker::kVendorId, Mav2Uart_Worker::kProductId}};
    });
    auto *button = child<QPushButton>(*w, "OpenUart");
    auto *ring = child<ProgressRing>(*w, "Read_progress");
    QTRY_COMPARE(child<QComboBox>(*w, "Uartbox")->currentText(), missing);
    ring->setValue(30);

    for (int click = 1; click <= 2; ++click) {
        button->click();
        QTRY_COMPARE(boxes.texts.size(), click);
        QCOMPARE(boxes.titles.last(), QStringLiteral("错误"));
        QCOMPARE(boxes.texts.last(), QStringLiteral("串口连接失败"));
        // The system's reason comes along as the detail.
        QVERIFY2(boxes.details.last().contains(missing), qPrintable(boxes.details.last()));
        QVERIFY(boxes.hints.last().isEmpty()); // a missing device is no permission problem
        QCOMPARE(button->text(), QStringLiteral("连 接"));
        QCOMPARE(ring->value(), 0.0);
        QTest::qWait(300);
        QCOMPARE(boxes.texts.size(), click); // one box per click
    }

    // Refused for lack of permission (the worker's report; root, who runs
    // the tests, is never refused): the same box, plus the fix, once.
    QVERIFY(QMetaObject::invokeMethod(w.get(), "port_permission_denied_show", Q_ARG(QString, missing)));
    button->click();
    QTRY_COMPARE(boxes.texts.size(), 3);
    QCOMPARE(boxes.texts.last(), QStringLiteral("串口连接失败"));
#if defined(Q_OS_LINUX)
    QVERIFY2(boxes.hints.last().contains(QStringLiteral("dialout"))
                 && boxes.hints.last().contains(QStringLiteral("udev")),
             qPrintable(boxes.hints.last()));
#elif defined(Q_OS_WIN)
    // Windows refuses a port another program holds: no group to join.
    QVERIFY2(boxes.hints.last().contains(QStringLiteral("其他程序"))
                 && !boxes.hints.last().contains(QStringLiteral("dialout")),
             qPrintable(boxes.hints.last()));
#endif
    button->click();
    QTRY_COMPARE(boxes.texts.size(), 4);
    QVERIFY(boxes.hints.last().isEmpty());
}

QTEST_MAIN(TestConnectionPanel)
#include "TestConnectionPanel.moc"
