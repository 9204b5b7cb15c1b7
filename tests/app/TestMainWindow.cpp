// The main window's frame without a flight controller: start-up settings, the
// language boxes, navigation guards, the drag band, the tick's flight time and
// the warning strip's ageing.

#include "app/MainWindow.h"
#include "app/SettingsLocation.h"
#include "link/Mav2Uart_Worker.h"
#include "params/ParameterStore.h"
#include "widgets/NLineLabel.h"
#include "widgets/ProgressRing.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsChineseWithoutSettings();
    void languageValueIsComparedExactly_data();
    void languageValueIsComparedExactly();
    void languageBoxesBehaveAsAPair();
    void settingsGoWhereTheyCanBeWritten();
    void frameGeometryAndTitle();
    void navigationIgnoredBeforeDownload();
    void dragBand();
    void flightTimeFromParameterStore();
    void warningsAgeOneEveryFiveHundredTicks();
    void sleepKeepsTheWindowRunning();
    void clearingKeepsTheAgeingCount();

private:
    // A window whose worker sees no ports at all.
    std::unique_ptr<MainWindow> makeWindow();
    // Stops the 20 ms timer so that a test drives the tick itself.
    void stopTicks(MainWindow &w) { w.tickTimer->stop(); }
    void tick(MainWindow &w, int count)
    {
        for (int i = 0; i < count; ++i)
            w.TimerInterrupt();
    }
    template <typename T>
    static T *child(MainWindow &w, const char *name)
    {
        T *c = w.findChild<T *>(QString::fromLatin1(name));
        if (!c)
            qFatal("no child %s", name);
        return c;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_settingsFile;
};

std::unique_ptr<MainWindow> TestMainWindow::makeWindow()
{
    MainWindow::Options options;
    options.portSource = [] { return QList<PortCandidate>(); };
    options.settingsFile = m_settingsFile;
    return std::make_unique<MainWindow>(options);
}

void TestMainWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_settingsFile = m_dir->filePath(QStringLiteral("settings.ini"));
}

void TestMainWindow::cleanup()
{
    m_dir.reset();
}

void TestMainWindow::startsChineseWithoutSettings()
{
    {
        auto w = makeWindow();
        QCOMPARE(w->settingsFile(), m_settingsFile);
        QVERIFY(child<QCheckBox>(*w, "Chinese_checkBox")->isChecked());
        QVERIFY(!child<QCheckBox>(*w, "English_checkBox")->isChecked());
        QCOMPARE(child<QPushButton>(*w, "OpenUart")->text(), QStringLiteral("连 接"));
        QCOMPARE(child<QPushButton>(*w, "nav_BT1")->text(), QStringLiteral("遥控器"));
        // Let ticks run: still nothing is written.
        QTest::qWait(100);
    }
    QVERIFY(!QFile::exists(m_settingsFile));
    QVERIFY(QDir(m_dir->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    // The default lies beside the executable, whatever the working directory.
    QCOMPARE(MainWindow::defaultSettingsFile(),
             QCoreApplication::applicationDirPath() + QStringLiteral("/settings.ini"));
}

void TestMainWindow::languageValueIsComparedExactly_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("english");
    QTest::newRow("English") << QStringLiteral("English") << true;
    QTest::newRow("english") << QStringLiteral("english") << false;
    QTest::newRow("leading blank") << QStringLiteral(" English") << false;
    QTest::newRow("Chinese") << QStringLiteral("简体中文") << false;
    QTest::newRow("other") << QStringLiteral("set") << false;
}

void TestMainWindow::languageValueIsComparedExactly()
{
    QFETCH(QString, stored);
    QFETCH(bool, english);
    {
        QSettings s(m_settingsFile, QSettings::IniFormat);
        s.beginGroup(QStringLiteral("tavro-set"));
        s.setValue(QStringLiteral("Language"), stored);
        s.endGroup();
    }
    auto w = makeWindow();
    QCOMPARE(child<QCheckBox>(*w, "English_checkBox")->isChecked(), english);
    QCOMPARE(child<QCheckBox>(*w, "Chinese_checkBox")->isChecked(), !english);
    QCOMPARE(w->pageContext() != nullptr, true);
    w.reset();
    // The stored value is left as it was.
    QSettings s(m_settingsFile, QSettings::IniFormat);
    QCOMPARE(s.value(QStringLiteral("tavro-set/Language")).toString(), stored);
}

void TestMainWindow::languageBoxesBehaveAsAPair()
{
    auto w = makeWindow();
    auto *zh = child<QCheckBox>(*w, "Chinese_checkBox");
    auto *en = child<QCheckBox>(*w, "English_checkBox");
    // Clearing the ticked box ticks the other one.
    zh->click();
    QVERIFY(en->isChecked());
    QVERIFY(!zh->isChecked());
    en->click();
    QVERIFY(zh->isChecked());
    QVERIFY(!en->isChecked());
    en->click();
    QVERIFY(en->isChecked());
    QVERIFY(!zh->isChecked());
}

void TestMainWindow::settingsGoWhereTheyCanBeWritten()
{
    const QString beside = m_dir->filePath(QStringLiteral("bin"));
    const QString user = m_dir->filePath(QStringLiteral("config/tavro"));
    const QString inUser = user + QStringLiteral("/settings.ini");
    QVERIFY(QDir().mkpath(beside));

    // A writable folder of the executable comes first, with or without a file.
    QCOMPARE(SettingsLocation::choose(beside, user), beside + QStringLiteral("/settings.ini"));
    QFile existing(beside + QStringLiteral("/settings.ini"));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.close();
    QCOMPARE(SettingsLocation::choose(beside, user), beside + QStringLiteral("/settings.ini"));
    QVERIFY(existing.remove());

    // Otherwise the user's folder: a folder that cannot hold the file, a
    // system folder (even for root, who may write there), a name taken by a
    // folder.
    QCOMPARE(SettingsLocation::choose(m_dir->filePath(QStringLiteral("gone")), user), inUser);
    QCOMPARE(SettingsLocation::choose(QStringLiteral("/usr/bin"), user), inUser);
    QVERIFY(QDir().mkpath(beside + QStringLiteral("/settings.ini")));
    QCOMPARE(SettingsLocation::choose(beside, user), inUser);

    // The user's folder does not exist yet: the first language switch creates
    // it, and the next start reads the choice from there.
    {
        MainWindow::Options options;
        options.portSource = [] { return QList<PortCandidate>(); };
        options.settingsFile = SettingsLocation::choose(QStringLiteral("/usr/bin"), user);
        MainWindow w(options);
        child<QCheckBox>(w, "English_checkBox")->click();
    }
    QVERIFY(QFile::exists(inUser));
    MainWindow::Options options;
    options.portSource = [] { return QList<PortCandidate>(); };
    options.settingsFile = inUser;
    MainWindow again(options);
    QVERIFY(child<QCheckBox>(again, "English_checkBox")->isChecked());
}

void TestMainWindow::frameGeometryAndTitle()
{
    auto w = makeWindow();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QCOMPARE(w->windowTitle(), QStringLiteral("TAVRO"));
    QVERIFY(w->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(w->size(), QSize(1000, 600));
    QCOMPARE(w->maximumSize(), QSize(1000, 600));
    QCOMPARE(child<QWidget>(*w, "nav_widget")->height(), 60);
    QCOMPARE(child<QWidget>(*w, "Head_widget")->size(), QSize(200, 84));
    QCOMPARE(child<QWidget>(*w, "Side_widget")->width(), 200);

    auto *stack = child<QStackedWidget>(*w, "stackedWidget");
    QCOMPARE(stack->count(), 4);
    QCOMPARE(stack->currentIndex(), 0);
    const char *const names[] = {"page", "page_2", "page_3", "page_4"};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(stack->widget(i)->objectName(), QString::fromLatin1(names[i]));

    // Nothing of the frame or the pages is cut off: every visible child lies
    // inside the window.
    const QRect window(QPoint(0, 0), w->size());
    for (QWidget *c : w->findChildren<QWidget *>()) {
        if (!c->isVisibleTo(w.get()) || c->isWindow())
            continue;
        const QRect r(c->mapTo(w.get(), QPoint(0, 0)), c->size());
        QVERIFY2(window.contains(r), qPrintable(c->objectName()));
    }
}

void TestMainWindow::navigationIgnoredBeforeDownload()
{
    auto w = makeWindow();
    auto *stack = child<QStackedWidget>(*w, "stackedWidget");
    QSignalSpy streams(w.get(), &MainWindow::ReadParam_stream);

    for (const char *name : {"nav_BT1", "nav_BT2", "nav_BT3", "nav_BT4"})
        QVERIFY(!child<QPushButton>(*w, name)->isEnabled());
    child<QPushButton>(*w, "nav_BT3")->click();
    QCOMPARE(stack->currentIndex(), 0);

    // Enabled buttons still do nothing while no download has been taken over.
    for (const char *name : {"nav_BT1", "nav_BT2", "nav_BT3", "nav_BT4"})
        child<QPushButton>(*w, name)->setEnabled(true);
    child<QPushButton>(*w, "nav_BT3")->click();
    child<QPushButton>(*w, "nav_BT1")->click();
    QCOMPARE(stack->currentIndex(), 0);
    QCOMPARE(streams.count(), 0);
    QVERIFY(!w->linkWorker()->portOpen.load());
}

void TestMainWindow::dragBand()
{
    auto w = makeWindow();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    w->move(100, 100);
    QCOMPARE(child<QWidget>(*w, "nav_widget")->height(), 60);

    auto press = [&](QPointF at, Qt::MouseButton button) {
        QMouseEvent e(QEvent::MouseButtonPress, at, w->mapToGlobal(at), button, button, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &e);
    };
    auto release = [&](QPointF at, Qt::MouseButton button) {
        QMouseEvent e(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), button, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &e);
    };
    auto moveTo = [&](QPointF global) {
        const QPointF local = w->mapFromGlobal(global);
        QMouseEvent e(QEvent::MouseMove, local, global, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &e);
    };

    // y = 59 is inside the 60-pixel band, also over the left column.
    press(QPointF(30, 59), Qt::LeftButton);
    QVERIFY(w->dragging);
    QCOMPARE(w->dragOffset, QPoint(30, 59));
    moveTo(QPointF(400, 300));
    QCOMPARE(w->pos(), QPoint(400 - 30, 300 - 59));
    release(QPointF(30, 59), Qt::LeftButton);
    QVERIFY(!w->dragging);
    const QPoint rest = w->pos();
    moveTo(QPointF(600, 500));
    QCOMPARE(w->pos(), rest);

    // y = 60 is below the band.
    press(QPointF(300, 60), Qt::LeftButton);
    QVERIFY(!w->dragging);
    release(QPointF(300, 60), Qt::LeftButton);

    // The right button never drags; its release does not end a left drag.
    press(QPointF(300, 10), Qt::RightButton);
    QVERIFY(!w->dragging);
    press(QPointF(300, 10), Qt::LeftButton);
    QVERIFY(w->dragging);
    release(QPointF(300, 10), Qt::RightButton);
    QVERIFY(w->dragging);
    release(QPointF(300, 10), Qt::LeftButton);
    QVERIFY(!w->dragging);
}

void TestMainWindow::flightTimeFromParameterStore()
{
    auto w = makeWindow();
    stopTicks(*w);
    auto *flytime = child<QLabel>(*w, "flytimeshow_value");
    auto *stack = child<QStackedWidget>(*w, "stackedWidget");
    QSignalSpy pages(w.get(), &MainWindow::PageValue);
    QSignalSpy calibration(w.get(), &MainWindow::MagCalibration_flag);

    tick(*w, 1);
    // Before a download the absent parameter (-1) shows 0 minutes.
    QCOMPARE(flytime->text(), QStringLiteral("0分"));
    QCOMPARE(pages.count(), 1);
    QCOMPARE(pages.at(0).at(0).toInt(), stack->currentIndex());
    QCOMPARE(calibration.at(0).at(0).toInt(), 0);

    w->parameterStore()->insertOrUpdate(Parameter{QStringLiteral("STAT_FLTTIME"), 3599.0});
    tick(*w, 1);
    QCOMPARE(flytime->text(), QStringLiteral("59分"));
    w->parameterStore()->insertOrUpdate(Parameter{QStringLiteral("STAT_FLTTIME"), 3600.9});
    tick(*w, 1);
    QCOMPARE(flytime->text(), QStringLiteral("60分"));
    // A wild value from the flight controller does not overflow.
    w->parameterStore()->insertOrUpdate(Parameter{QStringLiteral("STAT_FLTTIME"), 1e30});
    tick(*w, 1);
    QCOMPARE(flytime->text(), QString::number(std::numeric_limits<int>::max() / 60) + QStringLiteral("分"));
}

void TestMainWindow::warningsAgeOneEveryFiveHundredTicks()
{
    auto w = makeWindow();
    stopTicks(*w);
    auto *strip = child<NLineLabel>(*w, "warn_txt_widget");
    strip->clearLines();
    tick(*w, 1);
    MainWindow::resetWarnTicks();
    strip->addLine(QStringLiteral("one"));
    strip->addLine(QStringLiteral("two"));
    strip->addLine(QStringLiteral("three"));

    tick(*w, 499);
    QCOMPARE(strip->lineCount(), 3);
    tick(*w, 1);
    QCOMPARE(strip->lineCount(), 2);
    QCOMPARE(strip->lineText(0), QStringLiteral("two"));
    tick(*w, 500);
    QCOMPARE(strip->lineCount(), 1);
    QCOMPARE(strip->lineText(0), QStringLiteral("three"));
    tick(*w, 500);
    QCOMPARE(strip->lineCount(), 0);
    // An empty strip does not age: a new line gets its full 500 ticks.
    tick(*w, 800);
    strip->addLine(QStringLiteral("four"));
    tick(*w, 499);
    QCOMPARE(strip->lineCount(), 1);
    tick(*w, 1);
    QCOMPARE(strip->lineCount(), 0);
}

void TestMainWindow::clearingKeepsTheAgeingCount()
{
    auto w = makeWindow();
    stopTicks(*w);
    auto *strip = child<NLineLabel>(*w, "warn_txt_widget");
    MainWindow::resetWarnTicks();
    strip->addLine(QStringLiteral("old"));
    tick(*w, 450);
    QCOMPARE(strip->lineCount(), 1);

    // A connection attempt clears the strip (an answer other than 0 or 1 does
    // only that) but not the count.
    QVERIFY(QMetaObject::invokeMethod(w.get(), "OpenUart_connect", Q_ARG(int, 7)));
    QCOMPARE(strip->lineCount(), 0);
    tick(*w, 20);
    strip->addLine(QStringLiteral("new"));
    tick(*w, 49);
    QCOMPARE(strip->lineCount(), 1);
    tick(*w, 1);   // 50 ticks = 1 s after its arrival
    QCOMPARE(strip->lineCount(), 0);
}

void TestMainWindow::sleepKeepsTheWindowRunning()
{
    auto w = makeWindow();
    QSignalSpy ticks(w.get(), &MainWindow::PageValue);
    QElapsedTimer t;
    t.start();
    QVERIFY(QMetaObject::invokeMethod(w.get(), "sleep", Q_ARG(uint, 100)));
    QVERIFY(t.elapsed() >= 100);
    QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
    // The 20 ms tick went on during the wait (five would be due; a loaded
    // machine may deliver fewer, but never none).
    QVERIFY2(ticks.count() >= 2, qPrintable(QString::number(ticks.count())));
}

QTEST_MAIN(TestMainWindow)
#include "TestMainWindow.moc"
