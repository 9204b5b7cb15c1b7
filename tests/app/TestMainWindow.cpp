// The main window without a flight controller: settings, the language switch, navigation guards, the
// drag band, the flight time, the download ring and the warning strip's lines and ageing.

#include "app/MainWindow.h"
#include "app/SettingsLocation.h"
#include "dialogs/PopUpWidget.h"
#include "link/Mav2Uart_Worker.h"
#include "pages/PageContext.h"
#include "pages/StatusPage.h"
#include "params/ParameterStore.h"
#include "tests/RunsUnderWine.h"
#include "widgets/NLineLabel.h"
#include "widgets/ProgressRing.h"

#include "WindowTestHelpers.h"

#include "tests/pages/LayoutChecks.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStackedWidget>
#include <QtTest>

#include <memory>

namespace {

QString text(MainWindow &w, const char *name)
{
    if (auto *label = w.findChild<QLabel *>(QString::fromLatin1(name)))
        return label->text();
    return child<QAbstractButton>(w, name)->text();
}

void switchTo(MainWindow &w, bool english)
{
    auto *box = child<QCheckBox>(w, english ? "English_checkBox" : "Chinese_checkBox");
    if (!box->isChecked())
        box->click();
}

void fill(MainWindow &w, const QList<Parameter> &parameters)
{
    for (const Parameter &p : parameters)
        w.parameterStore()->insertOrUpdate(p);
}

// Texts of the named labels and buttons a user can see, on every page.
QMap<QString, QString> shownTexts(MainWindow &w)
{
    QMap<QString, QString> texts;
    auto *stack = child<QStackedWidget>(w, "stackedWidget");
    auto shown = [&](QWidget *widget) {
        for (int i = 0; i < stack->count(); ++i)
            if (stack->widget(i)->isAncestorOf(widget))
                return widget->isVisibleTo(stack->widget(i));
        return widget->isVisibleTo(&w);
    };
    for (QWidget *c : w.findChildren<QWidget *>()) {
        const QString t = qobject_cast<QLabel *>(c)            ? static_cast<QLabel *>(c)->text()
                          : qobject_cast<QAbstractButton *>(c) ? static_cast<QAbstractButton *>(c)->text()
                                                               : QString();
        if (!c->objectName().isEmpty() && !t.isEmpty() && shown(c))
            texts.insert(c->objectName(), t);
    }
    return texts;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void languageValueIsComparedExactly_data();
    void languageValueIsComparedExactly();
    void settingsGoWhereTheyCanBeWritten();
    void languageBoxesAndStateTexts();
    void everyShownTextTurnsEnglishAndBack();
    void emptyStoreAndFrameTexts();
    void downloadDisplayKeepsTheTickedLanguage();
    void missingCatalogueIsReported();
    void navigationGuardsAndDragBand();
    void flightTimeFollowsTheStoreAndWarningsAge();
    void downloadRing_data();
    void downloadRing();
    void warningStripLines();
    void batteryDialogFollowsAndOutlivesItsClose();
    void frameTextsFit();
    void helpAndVersionNeedNoDisplay_data();
    void helpAndVersionNeedNoDisplay();

private:
    // The warning strip's ageing timer, run now as if its time had come.
    static void ageNow(MainWindow &w)
    {
        QVERIFY(w.warnAgeTimer->isActive());
        w.warnAgeTimer->stop();
        w.ageWarningStrip();
    }
    // A window whose worker sees no ports.
    std::unique_ptr<MainWindow> makeWindow(bool = true, const QString &catalogueDir = QString())
    {
        MainWindow::Options options;
        options.portSource = [] { return QList<PortCandidate>(); };
        options.settingsFile = m_settingsFile;
        options.catalogueDir = catalogueDir;
        return std::make_unique<MainWindow>(options);
    }
    void storeLanguage(const QString &value) { QSettings(m_settingsFile, QSettings::IniFormat).setValue(kKey, value); }
    QString storedLanguage() const { return QSettings(m_settingsFile, QSettings::IniFormat).value(kKey).toString(); }
    static inline const QString kKey = QStringLiteral("tavro-set/Language");

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_settingsFile;
};

void TestMainWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_settingsFile = m_dir->filePath(QStringLiteral("settings.ini"));
    MainWindow::resetWarningAge();
}

void TestMainWindow::languageValueIsComparedExactly_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("english");
    QTest::newRow("no settings") << QString() << false;
    QTest::newRow("English") << QStringLiteral("English") << true;
    QTest::newRow("leading blank") << QStringLiteral(" English") << false;
    QTest::newRow("Chinese") << QStringLiteral("简体中文") << false;
}

void TestMainWindow::languageValueIsComparedExactly()
{
    QFETCH(QString, stored);
    QFETCH(bool, english);
    if (!stored.isNull())
        storeLanguage(stored);
    BoxWatcher boxes;
    auto w = makeWindow(false);
    QCOMPARE(w->settingsFile(), m_settingsFile);
    QCOMPARE(child<QCheckBox>(*w, "English_checkBox")->isChecked(), english);
    QCOMPARE(child<QCheckBox>(*w, "Chinese_checkBox")->isChecked(), !english);
    QCOMPARE(text(*w, "nav_BT1"), english ? QStringLiteral("Radio") : QStringLiteral("遥控器"));
    QCOMPARE(text(*w, "OpenUart"), english ? QStringLiteral("Connect") : QStringLiteral("连 接"));
    QTest::qWait(100); // ticks run
    QVERIFY(boxes.texts.isEmpty());
    w.reset();
    // Nothing is written at start: the value is left as it was, no file is made.
    if (stored.isNull())
        QVERIFY(QDir(m_dir->path()).isEmpty(QDir::NoDotAndDotDot | QDir::AllEntries));
    else
        QCOMPARE(storedLanguage(), stored);
}

void TestMainWindow::settingsGoWhereTheyCanBeWritten()
{
    const QString beside = m_dir->filePath(QStringLiteral("bin"));
    const QString user = m_dir->filePath(QStringLiteral("config/tavro"));
    const QString inUser = user + QStringLiteral("/settings.ini");
    QVERIFY(QDir().mkpath(beside));

    QCOMPARE(MainWindow::defaultSettingsFile(), QCoreApplication::applicationDirPath() + QStringLiteral("/settings.ini"));
    // A writable folder of the executable comes first, with or without a file.
    QCOMPARE(SettingsLocation::choose(beside, user), beside + QStringLiteral("/settings.ini"));
    QFile existing(beside + QStringLiteral("/settings.ini"));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.close();
    QCOMPARE(SettingsLocation::choose(beside, user), beside + QStringLiteral("/settings.ini"));
    QVERIFY(existing.remove());

    // Otherwise the user's folder: a missing folder, a system folder (even for root), a name taken by a folder.
    QCOMPARE(SettingsLocation::choose(m_dir->filePath(QStringLiteral("gone")), user), inUser);
#ifdef Q_OS_WIN
    // No /usr here: a read-only settings file (what a user without rights
    // sees under Program Files) sends the settings to the user's folder.
    existing.setFileName(beside + QStringLiteral("/settings.ini"));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.close();
    QVERIFY(existing.setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadUser));
    QCOMPARE(SettingsLocation::choose(beside, user), inUser);
    QVERIFY(existing.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QVERIFY(existing.remove());
    const QString unwritable = m_dir->filePath(QStringLiteral("gone"));
#else
    QCOMPARE(SettingsLocation::choose(QStringLiteral("/usr/bin"), user), inUser);
    const QString unwritable = QStringLiteral("/usr/bin");
#endif
    QVERIFY(QDir().mkpath(beside + QStringLiteral("/settings.ini")));
    QCOMPARE(SettingsLocation::choose(beside, user), inUser);

    // The user's folder does not exist yet: the first switch creates it, the next start reads it.
    m_settingsFile = SettingsLocation::choose(unwritable, user);
    child<QCheckBox>(*makeWindow(), "English_checkBox")->click();
    QVERIFY(QFile::exists(inUser));
    QVERIFY(child<QCheckBox>(*makeWindow(), "English_checkBox")->isChecked());
}

void TestMainWindow::languageBoxesAndStateTexts()
{
    BoxWatcher boxes;
    auto w = makeWindow();
    auto *zh = child<QCheckBox>(*w, "Chinese_checkBox");
    auto *en = child<QCheckBox>(*w, "English_checkBox");
    auto *button = child<QPushButton>(*w, "OpenUart");
    // A click on the ticked box clears it: the other language takes over and is stored at once.
    w->setLinkState(MainWindow::LinkState::Connected);
    zh->click();
    QVERIFY(en->isChecked() && !zh->isChecked());
    QCOMPARE(storedLanguage(), QStringLiteral("English"));
    QVERIFY(w->pageContext()->english);
    // The connect button keeps its link state's text, also when the same language is applied again.
    QCOMPARE(button->text(), QStringLiteral("Success"));
    w->switchLanguage(true, false);
    QCOMPARE(button->text(), QStringLiteral("Success"));
    w->setLinkState(MainWindow::LinkState::Loading);
    en->click();
    QVERIFY(zh->isChecked() && !en->isChecked());
    QCOMPARE(storedLanguage(), QStringLiteral("简体中文"));
    QVERIFY(!w->pageContext()->english);
    QCOMPARE(button->text(), QStringLiteral("加载中"));
    // Clearing by program behaves like the click; a download's end and an open go through the states.
    en->setChecked(true);
    QVERIFY(en->isChecked() && !zh->isChecked());
    w->Disconnect_UI_show();
    QCOMPARE(w->linkState(), MainWindow::LinkState::Idle);
    QCOMPARE(button->text(), QStringLiteral("Connect"));
    w->OpenUart_connect(1);
    QCOMPARE(w->linkState(), MainWindow::LinkState::Loading);
    QCOMPARE(button->text(), QStringLiteral("loading"));
    en->setChecked(false);
    QVERIFY(zh->isChecked() && !en->isChecked());
    QVERIFY(boxes.texts.isEmpty());
}

void TestMainWindow::everyShownTextTurnsEnglishAndBack()
{
    auto w = makeWindow();
    fill(*w, {{QStringLiteral("fw_version"), 1}, {QStringLiteral("STAT_FLTTIME"), 3599},
              {QStringLiteral("RC1_MAX"), 1900}, {QStringLiteral("BATT_CALL_NUMLV"), 0}});
    w->showParameterValue();
    const QMap<QString, QString> chinese = shownTexts(*w);
    QVERIFY(chinese.size() > 40);

    switchTo(*w, true);
    const QMap<QString, QString> english = shownTexts(*w);
    const QRegularExpression han(QStringLiteral("[\\x{3400}-\\x{9FFF}]"));
    QStringList leftChinese;
    for (auto it = english.cbegin(); it != english.cend(); ++it)
        if (it.value().contains(han) && it.key() != QLatin1String("Chinese_checkBox"))
            leftChinese << it.key() + QStringLiteral(": ") + it.value();
    QVERIFY2(leftChinese.isEmpty(), qPrintable(leftChinese.join(QLatin1Char('\n'))));
    QCOMPARE(english.keys(), chinese.keys());

    switchTo(*w, false);
    QCOMPARE(shownTexts(*w), chinese);
}

void TestMainWindow::emptyStoreAndFrameTexts()
{
    for (const bool english : {true, false}) {
        auto w = makeWindow();
        switchTo(*w, !english);
        switchTo(*w, english);
        // Absent parameters read -1; the switch labels are a small model's.
        QCOMPARE(text(*w, "flytypeshow_value"), QStringLiteral("----"));
        QCOMPARE(text(*w, "RC4_MAX"), QStringLiteral("max: -1"));
        QCOMPARE(text(*w, "Collective_neg_label"), QStringLiteral("  - 13°"));
        QCOMPARE(text(*w, "RC_CH9_Type_Label"), english ? QStringLiteral("Return") : QStringLiteral("一键返航"));
        // The collective-pitch frame has its own captions; another frame the form's again.
        fill(*w, {{QStringLiteral("FRAME_CLASS"), 11}, {QStringLiteral("fw_version"), 12}});
        switchTo(*w, !english);
        switchTo(*w, english);
        QCOMPARE(text(*w, "nav_BT4"), english ? QStringLiteral("Coll-Pitch") : QStringLiteral("螺距调试"));
        QCOMPARE(text(*w, "RC5_left_label"), english ? QStringLiteral("Manual mode") : QStringLiteral("手动模式"));
        w->parameterStore()->setParameterValue(QStringLiteral("FRAME_CLASS"), 6);
        switchTo(*w, !english);
        QCOMPARE(text(*w, "nav_BT4"), english ? QStringLiteral("直升机型号") : QStringLiteral("Heli Type"));
    }
}

void TestMainWindow::downloadDisplayKeepsTheTickedLanguage()
{
    storeLanguage(QStringLiteral("English"));
    auto w = makeWindow();
    storeLanguage(QStringLiteral("marker")); // from here on the file must not change
    fill(*w, {{QStringLiteral("fw_version"), 15}, {QStringLiteral("SERIAL2_PROTOCOL"), 1},
              {QStringLiteral("STAT_FLTTIME"), 600}, {QStringLiteral("H_COL_MAX"), 1700}});
    for (const bool english : {true, true, false}) {
        if (!english) {
            switchTo(*w, false);
            storeLanguage(QStringLiteral("marker"));
        }
        w->param_value_finish_show();
        QCOMPARE(child<QCheckBox>(*w, "English_checkBox")->isChecked(), english);
        QCOMPARE(text(*w, "OpenUart"), english ? QStringLiteral("Success") : QStringLiteral("成 功"));
        QCOMPARE(text(*w, "flytimeshow_value"), english ? QStringLiteral("10min") : QStringLiteral("10分"));
        QCOMPARE(text(*w, "RC5_left_label"), english ? QStringLiteral("ATT") : QStringLiteral("姿态"));
        QCOMPARE(text(*w, "Collective_pos_label"), QStringLiteral("  ＋14°"));
        QCOMPARE(storedLanguage(), QStringLiteral("marker"));
    }
}

void TestMainWindow::missingCatalogueIsReported()
{
    BoxWatcher boxes;
    auto w = makeWindow(true, m_dir->filePath(QStringLiteral("no-catalogues")));
    w->setLinkState(MainWindow::LinkState::Connected);
    switchTo(*w, true);
    QCOMPARE(boxes.texts, (QStringList{"LOAD QM FAILED", "Install FAILED"}));
    // Stored all the same; the form shows its source texts, the button its state.
    QCOMPARE(storedLanguage(), QStringLiteral("English"));
    QCOMPARE(text(*w, "nav_BT1"), QStringLiteral("遥控器"));
    QCOMPARE(text(*w, "OpenUart"), QStringLiteral("成 功"));
}

void TestMainWindow::navigationGuardsAndDragBand()
{
    BoxWatcher boxes;
    auto w = makeWindow();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QCOMPARE(w->size(), QSize(1000, 600));
    // Nothing of the frame or the pages is cut off.
    const QRect window(QPoint(0, 0), w->size());
    for (QWidget *c : w->findChildren<QWidget *>())
        if (c->isVisibleTo(w.get()) && !c->isWindow())
            QVERIFY2(window.contains(QRect(c->mapTo(w.get(), QPoint(0, 0)), c->size())), qPrintable(c->objectName()));

    // Before a download the buttons are off, and even enabled they do nothing.
    auto *stack = child<QStackedWidget>(*w, "stackedWidget");
    QSignalSpy streams(w.get(), &MainWindow::ReadParam_stream);
    for (const char *name : {"nav_BT1", "nav_BT2", "nav_BT3", "nav_BT4"}) {
        QVERIFY(!child(*w, name)->isEnabled());
        child(*w, name)->setEnabled(true);
    }
    child<QPushButton>(*w, "nav_BT3")->click();
    child<QPushButton>(*w, "nav_BT1")->click();
    QCOMPARE(stack->currentIndex(), 0);
    QCOMPARE(streams.count(), 0);
    QVERIFY(!w->linkWorker()->portOpen.load());

    // The drag band.
    w->move(100, 100);
    auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &e);
    };
    auto moveTo = [&](QPointF global) {
        QMouseEvent e(QEvent::MouseMove, w->mapFromGlobal(global), global, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &e);
    };
    // y = 59 is inside the 60-pixel band, also over the left column.
    send(QEvent::MouseButtonPress, QPointF(30, 59), Qt::LeftButton, Qt::LeftButton);
    moveTo(QPointF(400, 300));
    QCOMPARE(w->pos(), QPoint(400 - 30, 300 - 59));
    send(QEvent::MouseButtonRelease, QPointF(30, 59), Qt::LeftButton, Qt::NoButton);
    moveTo(QPointF(600, 500));
    QCOMPARE(w->pos(), QPoint(400 - 30, 300 - 59));
    // y = 60 is below the band; the right button never drags nor ends a left drag.
    send(QEvent::MouseButtonPress, QPointF(300, 60), Qt::LeftButton, Qt::LeftButton);
    QVERIFY(!w->dragging);
    send(QEvent::MouseButtonRelease, QPointF(300, 60), Qt::LeftButton, Qt::NoButton);
    send(QEvent::MouseButtonPress, QPointF(300, 10), Qt::RightButton, Qt::RightButton);
    QVERIFY(!w->dragging);
    send(QEvent::MouseButtonPress, QPointF(300, 10), Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, QPointF(300, 10), Qt::RightButton, Qt::LeftButton);
    QVERIFY(w->dragging);
    send(QEvent::MouseButtonRelease, QPointF(300, 10), Qt::LeftButton, Qt::NoButton);
    QVERIFY(!w->dragging);

    // After a download: the travel calibration guards the page.
    fill(*w, {{QStringLiteral("fw_version"), 1}, {QStringLiteral("RC1_MIN"), 1100}, {QStringLiteral("RC1_MAX"), 1900}});
    w->showParameterValue();
    auto *rc = child<QPushButton>(*w, "RC_pB");
    QCOMPARE(rc->text(), QStringLiteral("开始行程校准"));
    rc->click();
    QCOMPARE(w->statusPage()->travelCalibrationState(), StatusPage::TravelCalibrationState::Sweeping);
    const QString sweeping = rc->text();

    // While it runs every navigation click warns and keeps the page, in either language.
    child<QPushButton>(*w, "nav_BT3")->click();
    QTRY_COMPARE(boxes.texts.size(), 1);
    QCOMPARE(boxes.titles.at(0), QStringLiteral("警报"));
    QCOMPARE(boxes.texts.at(0), QStringLiteral("正在校准遥控器行程，请拨动摇杆至极限位置状态后，点击写入参数完成校准"));
    switchTo(*w, true);
    QCOMPARE(rc->text(), QStringLiteral("in calibration"));
    QVERIFY(w->statusPage()->travelCalibrationRunning());
    child<QPushButton>(*w, "nav_BT2")->click();
    QTRY_COMPARE(boxes.texts.size(), 2);
    QCOMPARE(boxes.titles.at(1), QStringLiteral("warn"));
    QVERIFY(boxes.texts.at(1).startsWith(QStringLiteral("During the remote controller travel calibration")));
    switchTo(*w, false);
    QCOMPARE(rc->text(), sweeping);
    QCOMPARE(stack->currentIndex(), 0);
}

void TestMainWindow::flightTimeFollowsTheStoreAndWarningsAge()
{
    auto w = makeWindow();
    auto *flytime = child<QLabel>(*w, "flytimeshow_value");
    QSignalSpy pages(w.get(), &MainWindow::PageValue);
    QCOMPARE(flytime->text(), QStringLiteral("0分")); // absent (-1) shows 0 from the start
    const QList<std::pair<double, QString>> cases{
        {3599.0, "59分"}, {3600.9, "60分"}, {1e30, QString::number(std::numeric_limits<int>::max() / 60) + "分"}};
    for (const auto &[seconds, shown] : cases) {
        w->parameterStore()->insertOrUpdate(Parameter{QStringLiteral("STAT_FLTTIME"), seconds});
        QCOMPARE(flytime->text(), shown); // at once, without a tick
    }
    w->parameterStore()->clearParameterValue();
    QCOMPARE(flytime->text(), QStringLiteral("0分"));
    // Nothing is sent to the worker while nothing changes.
    QTest::qWait(100);
    QCOMPARE(pages.count(), 0);

    // Warning lines age one every 10 s of being shown, the oldest first.
    auto *strip = child<NLineLabel>(*w, "warn_txt_widget");
    auto left = [&] { return w->warnAgeTimer->isActive() ? w->warnAgeTimer->remainingTime() : -1; };
    QCOMPARE(left(), -1); // an empty strip runs no timer
    for (const char *line : {"one", "two", "three"})
        w->addWarningLine(QString::fromLatin1(line));
    QVERIFY2(left() > 9900 && left() <= 10000, qPrintable(QString::number(left())));
    ageNow(*w);
    QCOMPARE(strip->lineCount(), 2);
    QCOMPARE(strip->lineText(0), QStringLiteral("two"));
    QVERIFY2(left() > 9900, qPrintable(QString::number(left()))); // the next one a full period later
    ageNow(*w);
    ageNow(*w);
    QCOMPARE(strip->lineCount(), 0);
    QCOMPARE(left(), -1);
    // An empty strip does not age: a new line gets its full period.
    QTest::qWait(300);
    w->addWarningLine(QStringLiteral("four"));
    QVERIFY2(left() > 9900, qPrintable(QString::number(left())));
    // A connection attempt clears the strip (an answer other than 0 or 1 does only that) but keeps the time
    // already counted: the next line goes that much sooner.
    QTest::qWait(400);
    QVERIFY(QMetaObject::invokeMethod(w.get(), "OpenUart_connect", Q_ARG(int, 7)));
    QCOMPARE(strip->lineCount(), 0);
    QCOMPARE(left(), -1);
    QTest::qWait(300);
    w->addWarningLine(QStringLiteral("new"));
    QVERIFY2(left() > 9000 && left() <= 9650, qPrintable(QString::number(left())));
    // In real time: one line goes after the rest of the period, not before.
    MainWindow::resetWarningAge();
    w->clearWarningStrip();
    QElapsedTimer shown;
    shown.start();
    w->addWarningLine(QStringLiteral("real"));
    QVERIFY(QTest::qWaitFor([&] { return strip->lineCount() == 0; }, 15000));
    QVERIFY2(shown.elapsed() >= 9950 && shown.elapsed() <= 10500, qPrintable(QString::number(shown.elapsed())));
}

void TestMainWindow::downloadRing_data()
{
    QTest::addColumn<int>("received");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("green");
    QTest::newRow("500: first") << 0 << 500 << 0 << 0;
    QTest::newRow("500: 488") << 488 << 500 << 99 << 248;
    QTest::newRow("500: 489") << 489 << 500 << 100 << 249;
    QTest::newRow("11: 0") << 0 << 11 << 100 << 23; // one to show, reached at once
    QTest::newRow("3: 1") << 1 << 3 << 33 << 85;
    QTest::newRow("3: more than announced") << 7 << 3 << 100 << 255;
}

void TestMainWindow::downloadRing()
{
    QFETCH(int, received);
    QFETCH(int, count);
    QFETCH(int, value);
    QFETCH(int, green);
    auto w = makeWindow();
    auto *ring = child<ProgressRing>(*w, "Read_progress");
    w->param_value_loading_show({QStringLiteral("P"), 2.5}, received, uint16_t(count));
    QCOMPARE(ring->value(), double(value));
    QCOMPARE(ring->ringColor(), QColor(255 - green, green, 0, 255));
    // Nothing announced: the value is stored, the ring left alone.
    w->param_value_loading_show({QStringLiteral("P"), 3.5}, received, 0);
    QCOMPARE(ring->value(), double(value));
    QCOMPARE(w->parameterStore()->findParameterValue(QStringLiteral("P")), 3.5);
    QCOMPARE(w->parameterStore()->size(), 1);
}

void TestMainWindow::warningStripLines()
{
    auto w = makeWindow();
    auto *strip = child<NLineLabel>(*w, "warn_txt_widget");
    w->statustext_show(QStringLiteral("PreArm: Compass not calibrated"), 2);
    w->statustext_show(QStringLiteral("PreArm: Compass not calibrated"), 3); // below critical: log only
    w->statustext_show(QStringLiteral("Something else"), 0);                // no row: log only
    QCOMPARE(strip->lineCount(), 1);
    QCOMPARE(strip->lineText(0), QStringLiteral("磁罗盘需要校准"));
    w->clearWarningStrip();

    // Unconfirmed writes: the pages hear at once, the strip gets one line per batch.
    QSignalSpy failures(w->pageContext(), &PageContext::parameterWriteFailed);
    w->param_write_failed_show(QStringLiteral("H_COL_MAX"), 1700.0f);
    QCOMPARE(failures.count(), 1);
    QTRY_COMPARE(strip->lineCount(), 1);
    QCOMPARE(strip->lineText(0), QStringLiteral("写入未确认：H_COL_MAX"));
    for (const char *name : {"RC1_MIN", "RC1_MAX", "RC1_MIN", "RC1_TRIM"})
        w->param_write_failed_show(QString::fromLatin1(name), 1000.0f);
    QCOMPARE(failures.count(), 5);
    QTRY_COMPARE(strip->lineCount(), 2);
    QCOMPARE(strip->lineText(1), QStringLiteral("写入未确认：3 个参数"));

    // A language switch shows every line again in the new language, cut to
    // the strip's width, in full in the tool tip.
    w->statustext_show(QStringLiteral("PreArm: Compass not calibrated"), 2);
    switchTo(*w, true);
    QCOMPARE(strip->lineCount(), 3);
    QCOMPARE(strip->lineText(0), QStringLiteral("Write failed: H_COL_MAX"));
    QCOMPARE(strip->lineText(1), QStringLiteral("Writes failed: 3"));
    QVERIFY2(strip->lineText(2).endsWith(QChar(0x2026)), qPrintable(strip->lineText(2)));
    QCOMPARE(strip->toolTip(), QStringLiteral("Write failed: H_COL_MAX\nWrites failed: 3\n"
                                              "Magnetic compass needs to be calibrated"));
    switchTo(*w, false);
    QCOMPARE(strip->lineText(2), QStringLiteral("磁罗盘需要校准"));
    switchTo(*w, true);

    // In English; a connection attempt's clearing drops what waits.
    w->statustext_show(QStringLiteral("PreArm: Radio failsafe on"), 1);
    QCOMPARE(strip->lineText(3), QStringLiteral("Please connect the receiver"));
    w->param_write_failed_show(QStringLiteral("ATC_RAT_YAW_P"), 0.2f);
    QTRY_COMPARE(strip->lineCount(), 5);
    QCOMPARE(strip->lineText(4), QStringLiteral("Write failed: ATC_RAT_YAW_P"));
    w->param_write_failed_show(QStringLiteral("RC2_MIN"), 1000.0f);
    w->Disconnect_UI_show();
    QCOMPARE(strip->lineCount(), 0);
    QTest::qWait(250); // longer than a batch waits
    QCOMPARE(strip->lineCount(), 0);
    w->param_missing_show({3, 4});
    QCOMPARE(strip->lineText(0), QStringLiteral("Missing parameters: 2"));
}

void TestMainWindow::batteryDialogFollowsAndOutlivesItsClose()
{
    storeLanguage(QStringLiteral("English"));
    auto w = makeWindow();
    w->move(240, 160);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    w->slotDoAction();
    QPointer<PopUpWidget> dialog = w->findChild<PopUpWidget *>();
    QVERIFY(dialog);
    // It opens over the middle of the window.
    QVERIFY2((dialog->frameGeometry().center() - w->frameGeometry().center()).manhattanLength() <= 2,
             qPrintable(QStringLiteral("dialog at %1,%2").arg(dialog->x()).arg(dialog->y())));
    auto *write = child<QPushButton>(*dialog, "PopUpWrite_bn");
    QCOMPARE(write->text(), QStringLiteral("Apply Voltage"));
    QCOMPARE(child<QLabel>(*dialog, "PopUp_Message")->font().pointSize(), 9);
    // The dialog keeps the window's content disabled: only the display's re-application switches.
    child<QCheckBox>(*w, "English_checkBox")->setChecked(false);
    QCOMPARE(write->text(), QStringLiteral("写入电压"));
    w->switchLanguage(true, false);
    QCOMPARE(write->text(), QStringLiteral("Apply Voltage"));

    // An answer after the close still reaches the warning strip.
    dialog->close();
    QTRY_VERIFY(dialog.isNull());
    QVERIFY(child(*w, "centralwidget")->isEnabled());
    w->param_value_update_show(QStringLiteral("BATT_VOLT_MULT"), 10.5f);
    w->param_write_failed_show(QStringLiteral("BATT_VOLT_MULT"), 10.5f);
    QTRY_COMPARE(child<NLineLabel>(*w, "warn_txt_widget")->lineCount(), 1);
    QCOMPARE(child<NLineLabel>(*w, "warn_txt_widget")->toolTip(), QStringLiteral("Write failed: BATT_VOLT_MULT"));
}

void TestMainWindow::frameTextsFit()
{
    if (runsUnderWine())
        QSKIP("text widths under Wine match neither Windows nor Linux");
    // The frame's texts in their longest forms, in the shown window, in both languages.
    for (const bool english : {false, true}) {
        MainWindow::resetWarningAge(); // each window's strip ages from its own start
        auto w = makeWindow();
        fill(*w, {{QStringLiteral("fw_version"), 13}, {QStringLiteral("STAT_FLTTIME"), 5999940},
                  {QStringLiteral("FRAME_CLASS"), 11}});
        w->showParameterValue();
        switchTo(*w, english);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        auto *strip = child<NLineLabel>(*w, "warn_txt_widget");
        for (const char *text : {"Accels calibrated requires reboot", "Compass calibrated requires reboot",
                                 "Check FS_THR_VALUE", "Motor Interlock Enabled", "Compass not healthy"})
            w->statustext_show(QString::fromLatin1(text), 0);
        w->param_missing_show({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
        w->param_write_failed_show(QStringLiteral("ATC_RAT_YAW_IMAX"), 1.0f);
        QTRY_COMPARE(strip->lineCount(), 7);
        w->param_write_failed_show(QStringLiteral("ATC_RAT_YAW_IMAX"), 1.0f);
        w->param_write_failed_show(QStringLiteral("ATC_RAT_RLL_IMAX"), 1.0f);
        QTRY_COMPARE(strip->lineCount(), 8);

        QStringList faults;
        auto *button = child<QPushButton>(*w, "OpenUart");
        for (auto state : {MainWindow::LinkState::Idle, MainWindow::LinkState::Loading, MainWindow::LinkState::Connected}) {
            w->setLinkState(state);
            QCoreApplication::processEvents();
            for (const char *part : {"Side_widget", "top_widget", "Head_widget"})
                for (const QString &fault : layoutFaults(child(*w, part)))
                    // The connect button sits on the ring, the logo beside its lettering, by design.
                    if (!fault.contains(QLatin1String("OpenUart")) && !fault.contains(QLatin1String("icon_ZEN_IMG")))
                        faults << fault;
            if (button->fontMetrics().horizontalAdvance(button->text()) > button->width())
                faults << QStringLiteral("connect button: %1").arg(button->text());
        }
        // Every line in full in the strip's tool tip, the newest last; the shown line cut with an ellipsis.
        const QStringList full = strip->toolTip().split(QLatin1Char('\n'));
        QCOMPARE(full.size(), 8);
        QCOMPARE(full.at(0), english ? QStringLiteral("Need to restart flight control after accelerometer calibration is complete")
                                     : QStringLiteral("加速度计校准完成后需要重启飞控"));
        QCOMPARE(strip->lineText(0).endsWith(QChar(0x2026)), english);
        QCOMPARE(full.at(7), english ? QStringLiteral("Writes failed: 2") : QStringLiteral("写入未确认：2 个参数"));
        ageNow(*w);
        QCOMPARE(strip->toolTip().split(QLatin1Char('\n')), full.mid(1));
        faults.removeDuplicates();
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }
}

QTEST_MAIN(TestMainWindow)
// The programs answer --help and --version before they create an application: with a platform that cannot start (no
// display) they still print and end normally.
void TestMainWindow::helpAndVersionNeedNoDisplay_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("start");
#ifdef TAVRO_DEMO
    QTest::newRow("demo --help") << QStringLiteral(TAVRO_DEMO) << QStringList{"--help"} << "usage: tavro-demo";
    QTest::newRow("demo -h") << QStringLiteral(TAVRO_DEMO) << QStringList{"-h"} << "usage: tavro-demo";
    QTest::newRow("demo --version") << QStringLiteral(TAVRO_DEMO) << QStringList{"--version"} << "tavro-demo 0.";
#endif
#ifdef TAVRO_CLI
    QTest::newRow("cli --help") << QStringLiteral(TAVRO_CLI) << QStringList{"--help"} << "usage: tavro-cli";
    QTest::newRow("cli -h") << QStringLiteral(TAVRO_CLI) << QStringList{"-h"} << "usage: tavro-cli";
    QTest::newRow("cli --version") << QStringLiteral(TAVRO_CLI) << QStringList{"--version"} << "tavro-cli 0.";
#endif
}

void TestMainWindow::helpAndVersionNeedNoDisplay()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QString, start);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    p.setProcessEnvironment(env);
    p.start(program, arguments);
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
    QVERIFY2(out.startsWith(start), qPrintable(out));
    QVERIFY(out.endsWith(QLatin1Char('\n')));
}

#include "TestMainWindow.moc"
