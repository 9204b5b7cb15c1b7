// The language boxes and what a switch does to the whole window: catalogue
// loaded and installed, every form and every state text in the new language,
// the choice in the settings file; the download display keeps the ticked
// language; the connect button follows the link state; the download ring, the
// status texts and the unconfirmed writes in the warning strip.

#include "app/MainWindow.h"
#include "dialogs/PopUpWidget.h"
#include "pages/PageContext.h"
#include "pages/StatusPage.h"
#include "params/ModelPresets.h"
#include "params/ParameterStore.h"
#include "widgets/NLineLabel.h"
#include "widgets/ProgressRing.h"

#include "tests/pages/LayoutChecks.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
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
            box->done(QMessageBox::Ok);
        });
        m_timer.start();
    }

    QStringList titles;
    QStringList texts;

private:
    QTimer m_timer;
};

bool hasHan(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x3400 && c.unicode() <= 0x9FFF)
            return true;
    return false;
}

} // namespace

class TestLanguageSwitch : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void clickingTheTickedBoxSwitches();
    void startsInTheStoredEnglish();
    void everyShownTextTurnsEnglishAndBack();
    void connectButtonFollowsTheLinkState();
    void emptyStoreTexts_data();
    void emptyStoreTexts();
    void collectivePitchFrameInBothLanguages();
    void runningTravelCalibrationKeepsItsTextAndGuard();
    void displayKeepsTheTickedLanguage();
    void keptTextsAndNearMisses();
    void missingCatalogueIsReported();
    void downloadRing_data();
    void downloadRing();
    void statusTextsReachTheStrip();
    void unconfirmedWritesShareOneLine();
    void openBatteryDialogFollows();
    void frameTextsFit_data();
    void frameTextsFit();

private:
    std::unique_ptr<MainWindow> makeWindow(const QString &catalogueDir = QString());
    void storeLanguage(const QString &value);
    QString storedLanguage() const;
    static void fill(MainWindow &w, const QList<Parameter> &parameters);
    // Texts of the labels, buttons and boxes a user can see on the window and
    // on every page (a page counts as seen whichever is current).
    static QMap<QString, QString> shownTexts(MainWindow &w);
    template <typename T>
    static T *child(QObject &w, const char *name)
    {
        T *c = w.findChild<T *>(QString::fromLatin1(name));
        if (!c)
            qFatal("no child %s", name);
        return c;
    }
    static QString text(MainWindow &w, const char *name)
    {
        if (auto *label = w.findChild<QLabel *>(QString::fromLatin1(name)))
            return label->text();
        return child<QAbstractButton>(w, name)->text();
    }
    static void switchTo(MainWindow &w, bool english)
    {
        auto *box = child<QCheckBox>(w, english ? "English_checkBox" : "Chinese_checkBox");
        if (!box->isChecked())
            box->click();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_settingsFile;
};

std::unique_ptr<MainWindow> TestLanguageSwitch::makeWindow(const QString &catalogueDir)
{
    MainWindow::Options options;
    options.portSource = [] { return QList<PortCandidate>(); };
    options.settingsFile = m_settingsFile;
    options.catalogueDir = catalogueDir;
    auto w = std::make_unique<MainWindow>(options);
    // The tests drive the window themselves.
    w->tickTimer->stop();
    return w;
}

void TestLanguageSwitch::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_settingsFile = m_dir->filePath(QStringLiteral("settings.ini"));
}

void TestLanguageSwitch::cleanup()
{
    m_dir.reset();
}

void TestLanguageSwitch::storeLanguage(const QString &value)
{
    QSettings s(m_settingsFile, QSettings::IniFormat);
    s.setValue(QStringLiteral("tavro-set/Language"), value);
}

QString TestLanguageSwitch::storedLanguage() const
{
    QSettings s(m_settingsFile, QSettings::IniFormat);
    return s.value(QStringLiteral("tavro-set/Language")).toString();
}

void TestLanguageSwitch::fill(MainWindow &w, const QList<Parameter> &parameters)
{
    for (const Parameter &p : parameters)
        w.parameterStore()->insertOrUpdate(p);
}

QMap<QString, QString> TestLanguageSwitch::shownTexts(MainWindow &w)
{
    QMap<QString, QString> texts;
    auto *stack = child<QStackedWidget>(w, "stackedWidget");
    auto shown = [&](QWidget *widget) {
        for (int i = 0; i < stack->count(); ++i)
            if (stack->widget(i)->isAncestorOf(widget))
                return widget->isVisibleTo(stack->widget(i));
        return widget->isVisibleTo(&w);
    };
    for (QLabel *l : w.findChildren<QLabel *>())
        if (!l->objectName().isEmpty() && shown(l) && !l->text().isEmpty())
            texts.insert(l->objectName(), l->text());
    for (QAbstractButton *b : w.findChildren<QAbstractButton *>())
        if (!b->objectName().isEmpty() && shown(b) && !b->text().isEmpty())
            texts.insert(b->objectName(), b->text());
    return texts;
}

void TestLanguageSwitch::clickingTheTickedBoxSwitches()
{
    BoxWatcher boxes;
    auto w = makeWindow();
    auto *zh = child<QCheckBox>(*w, "Chinese_checkBox");
    auto *en = child<QCheckBox>(*w, "English_checkBox");
    QVERIFY(!QFile::exists(m_settingsFile));

    // A click on the ticked "中文" clears it: English takes over.
    zh->click();
    QVERIFY(en->isChecked() && !zh->isChecked());
    QCOMPARE(text(*w, "nav_BT1"), QStringLiteral("Radio"));
    QCOMPARE(QCoreApplication::translate("MainWindow", "遥控器"), QStringLiteral("Radio"));
    QCOMPARE(storedLanguage(), QStringLiteral("English"));
    QVERIFY(w->pageContext()->english);

    // And back: the Chinese catalogue installs (it is not empty) and shows
    // the source texts.
    en->click();
    QVERIFY(zh->isChecked() && !en->isChecked());
    QCOMPARE(text(*w, "nav_BT1"), QStringLiteral("遥控器"));
    QCOMPARE(QCoreApplication::translate("MainWindow", "遥控器"), QStringLiteral("遥控器"));
    QCOMPARE(storedLanguage(), QStringLiteral("简体中文"));
    QVERIFY(!w->pageContext()->english);

    // Clearing by program behaves like the click; ticking the other box too.
    en->setChecked(true);
    QVERIFY(en->isChecked() && !zh->isChecked());
    en->setChecked(false);
    QVERIFY(zh->isChecked() && !en->isChecked());
    for (int i = 0; i < 5; ++i) {
        (i % 2 ? zh : en)->click();
        QVERIFY(zh->isChecked() != en->isChecked());
    }
    QVERIFY(boxes.texts.isEmpty());
    QCOMPARE(w->windowTitle(), QStringLiteral("TAVRO"));
}

void TestLanguageSwitch::startsInTheStoredEnglish()
{
    storeLanguage(QStringLiteral("English"));
    BoxWatcher boxes;
    auto w = makeWindow();
    QVERIFY(child<QCheckBox>(*w, "English_checkBox")->isChecked());
    QVERIFY(!child<QCheckBox>(*w, "Chinese_checkBox")->isChecked());
    QCOMPARE(text(*w, "nav_BT1"), QStringLiteral("Radio"));
    QCOMPARE(text(*w, "nav_BT4"), QStringLiteral("Heli Type"));
    QCOMPARE(text(*w, "OpenUart"), QStringLiteral("Connect"));
    QCOMPARE(text(*w, "flytime_label"), QStringLiteral("FLIGHT TIME："));
    QCOMPARE(text(*w, "warn"), QStringLiteral("Error:"));
    // Bold, 9 points, or 8 where the system's font is too wide for the button.
    auto *button = child<QPushButton>(*w, "OpenUart");
    const QFont font = button->font();
    QVERIFY2(font.pointSize() == 9 || font.pointSize() == 8, qPrintable(QString::number(font.pointSize())));
    QCOMPARE(font.weight(), QFont::Bold);
    for (const char *state : {"Connect", "loading", "Success"})
        QVERIFY(QFontMetrics(font).horizontalAdvance(QLatin1String(state)) <= button->width());
    QFont nine = font;
    nine.setPointSize(9);
    if (font.pointSize() == 8)
        QVERIFY(QFontMetrics(nine).horizontalAdvance(QStringLiteral("Connect")) > button->width()
                || QFontMetrics(nine).horizontalAdvance(QStringLiteral("Success")) > button->width()
                || QFontMetrics(nine).horizontalAdvance(QStringLiteral("loading")) > button->width());
    QCOMPARE(w->windowTitle(), QStringLiteral("TAVRO"));
    QVERIFY(boxes.texts.isEmpty());
    w.reset();
    QCOMPARE(storedLanguage(), QStringLiteral("English"));
}

void TestLanguageSwitch::everyShownTextTurnsEnglishAndBack()
{
    auto w = makeWindow();
    fill(*w, {{QStringLiteral("fw_version"), 1}, {QStringLiteral("STAT_FLTTIME"), 3599},
              {QStringLiteral("RC1_MAX"), 1900}, {QStringLiteral("BATT_CALL_NUMLV"), 0}});
    w->showParameterValue();
    const QMap<QString, QString> chinese = shownTexts(*w);
    QVERIFY(chinese.size() > 40);
    QCOMPARE(chinese.value(QStringLiteral("flytypeshow_value")), QStringLiteral("Alder-V3"));

    switchTo(*w, true);
    const QMap<QString, QString> english = shownTexts(*w);
    QStringList leftChinese;
    for (auto it = english.cbegin(); it != english.cend(); ++it)
        if (hasHan(it.value()) && it.key() != QLatin1String("Chinese_checkBox"))
            leftChinese << it.key() + QStringLiteral(": ") + it.value();
    QVERIFY2(leftChinese.isEmpty(), qPrintable(leftChinese.join(QLatin1Char('\n'))));
    QCOMPARE(english.keys(), chinese.keys());

    // Back to Chinese: every text as it was.
    switchTo(*w, false);
    const QMap<QString, QString> again = shownTexts(*w);
    QStringList differ;
    for (auto it = chinese.cbegin(); it != chinese.cend(); ++it)
        if (again.value(it.key()) != it.value())
            differ << it.key() + QStringLiteral(": ") + it.value() + QStringLiteral(" -> ") + again.value(it.key());
    QVERIFY2(differ.isEmpty(), qPrintable(differ.join(QLatin1Char('\n'))));
}

void TestLanguageSwitch::connectButtonFollowsTheLinkState()
{
    auto w = makeWindow();
    auto *button = child<QPushButton>(*w, "OpenUart");

    w->setLinkState(MainWindow::LinkState::Connected);
    QCOMPARE(button->text(), QStringLiteral("成 功"));
    switchTo(*w, true);
    QCOMPARE(button->text(), QStringLiteral("Success"));
    // Applying the same language again keeps the state's text.
    w->switchLanguage(true, false);
    QCOMPARE(button->text(), QStringLiteral("Success"));

    w->setLinkState(MainWindow::LinkState::Loading);
    QCOMPARE(button->text(), QStringLiteral("loading"));
    switchTo(*w, false);
    QCOMPARE(button->text(), QStringLiteral("加载中"));
    QCOMPARE(button->font().pointSize(), 12);
    QCOMPARE(button->font().weight(), QFont::Bold);
    w->switchLanguage(false, false);
    QCOMPARE(button->text(), QStringLiteral("加载中"));

    w->setLinkState(MainWindow::LinkState::Idle);
    switchTo(*w, true);
    QCOMPARE(button->text(), QStringLiteral("Connect"));
    QVERIFY(button->font().pointSize() <= 9);
    switchTo(*w, false);
    QCOMPARE(button->text(), QStringLiteral("连 接"));

    // A failed open and a download's end go through the same states.
    w->setLinkState(MainWindow::LinkState::Connected);
    switchTo(*w, true);
    w->OpenUart_connect(1);
    QCOMPARE(button->text(), QStringLiteral("loading"));
    QCOMPARE(w->linkState(), MainWindow::LinkState::Loading);
    w->Disconnect_UI_show();
    QCOMPARE(button->text(), QStringLiteral("Connect"));
    QCOMPARE(w->linkState(), MainWindow::LinkState::Idle);
}

void TestLanguageSwitch::emptyStoreTexts_data()
{
    QTest::addColumn<bool>("english");
    QTest::newRow("Chinese") << false;
    QTest::newRow("English") << true;
}

void TestLanguageSwitch::emptyStoreTexts()
{
    QFETCH(bool, english);
    auto w = makeWindow();
    // Into the other language and back, so that the switch under test runs.
    switchTo(*w, !english);
    switchTo(*w, english);
    QCOMPARE(w->parameterStore()->size(), 0);

    QCOMPARE(text(*w, "flytypeshow_value"), ModelPresets::modelName(-1));
    QCOMPARE(text(*w, "flytypeshow_value"), QStringLiteral("----"));
    for (int ch = 1; ch <= 4; ++ch) {
        QCOMPARE(text(*w, qPrintable(QStringLiteral("RC%1_MAX").arg(ch))), QStringLiteral("max: -1"));
        QCOMPARE(text(*w, qPrintable(QStringLiteral("RC%1_TRIM").arg(ch))), QStringLiteral("trim: -1"));
        QCOMPARE(text(*w, qPrintable(QStringLiteral("RC%1_MIN").arg(ch))), QStringLiteral("min: -1"));
    }
    QCOMPARE(text(*w, "Collective_pos_label"), QStringLiteral("  ＋13°"));
    QCOMPARE(text(*w, "Collective_neg_label"), QStringLiteral("  - 13°"));
    // The switch labels of a small model with an ordinary receiver.
    const QStringList expected = english
        ? QStringList{"Aerobatics", "ATT", "GPS", "Return", "Off", "Home"}
        : QStringList{"特技", "姿态", "GPS", "一键返航", "关闭", "返航"};
    const QStringList shown{text(*w, "RC5_left_label"), text(*w, "RC5_mid_label"), text(*w, "RC5_right_label"),
                            text(*w, "RC_CH9_Type_Label"), text(*w, "RC9_left_label"), text(*w, "RC9_right_label")};
    QCOMPARE(shown, expected);
    QCOMPARE(text(*w, "nav_BT4"), english ? QStringLiteral("Heli Type") : QStringLiteral("直升机型号"));
    QCOMPARE(text(*w, "RC8_Label"), QStringLiteral("CH8"));
    QCOMPARE(text(*w, "RC9_Label"), QStringLiteral("CH9"));
}

void TestLanguageSwitch::collectivePitchFrameInBothLanguages()
{
    auto w = makeWindow();
    fill(*w, {{QStringLiteral("FRAME_CLASS"), 11}, {QStringLiteral("fw_version"), 12}});
    switchTo(*w, true);
    QCOMPARE(text(*w, "nav_BT4"), QStringLiteral("Coll-Pitch"));
    QCOMPARE(text(*w, "RC5_left_label"), QStringLiteral("Manual mode"));
    QCOMPARE(text(*w, "RC9_left_label"), QStringLiteral("Off"));
    QCOMPARE(text(*w, "flytypeshow_value"), QStringLiteral("Cedar-2blades"));
    switchTo(*w, false);
    QCOMPARE(text(*w, "nav_BT4"), QStringLiteral("螺距调试"));
    QCOMPARE(text(*w, "RC5_left_label"), QStringLiteral("手动模式"));
    QCOMPARE(text(*w, "RC9_left_label"), QStringLiteral("关闭"));

    // Another frame: the form's navigation caption again.
    w->parameterStore()->setParameterValue(QStringLiteral("FRAME_CLASS"), 6);
    switchTo(*w, true);
    QCOMPARE(text(*w, "nav_BT4"), QStringLiteral("Heli Type"));
    QCOMPARE(text(*w, "RC5_left_label"), QStringLiteral("Aerobatics"));
}

void TestLanguageSwitch::runningTravelCalibrationKeepsItsTextAndGuard()
{
    BoxWatcher boxes;
    auto w = makeWindow();
    fill(*w, {{QStringLiteral("fw_version"), 1}, {QStringLiteral("RC1_MIN"), 1100}, {QStringLiteral("RC1_MAX"), 1900}});
    w->showParameterValue();
    auto *rc = child<QPushButton>(*w, "RC_pB");
    auto *stack = child<QStackedWidget>(*w, "stackedWidget");
    QVERIFY(rc->isEnabled());
    QCOMPARE(rc->text(), QStringLiteral("开始行程校准"));
    rc->click();
    QCOMPARE(w->statusPage()->travelCalibrationState(), StatusPage::TravelCalibrationState::Sweeping);
    const QString sweeping = rc->text();
    QVERIFY(sweeping != QStringLiteral("开始行程校准"));

    switchTo(*w, true);
    QCOMPARE(rc->text(), QStringLiteral("in calibration"));
    QVERIFY(w->statusPage()->travelCalibrationRunning());
    child<QPushButton>(*w, "nav_BT2")->click();
    QTRY_COMPARE(boxes.texts.size(), 1);
    QCOMPARE(boxes.titles.at(0), QStringLiteral("warn"));
    QVERIFY(boxes.texts.at(0).startsWith(QStringLiteral("During the remote controller travel calibration")));
    QCOMPARE(stack->currentIndex(), 0);

    switchTo(*w, false);
    QCOMPARE(rc->text(), sweeping);
    child<QPushButton>(*w, "nav_BT3")->click();
    QTRY_COMPARE(boxes.texts.size(), 2);
    QCOMPARE(boxes.titles.at(1), QStringLiteral("警报"));
    QCOMPARE(stack->currentIndex(), 0);
}

void TestLanguageSwitch::displayKeepsTheTickedLanguage()
{
    storeLanguage(QStringLiteral("English"));
    auto w = makeWindow();
    auto *en = child<QCheckBox>(*w, "English_checkBox");
    QVERIFY(en->isChecked());
    // From here on the file must not change: mark it.
    storeLanguage(QStringLiteral("English-marker"));

    fill(*w, {{QStringLiteral("fw_version"), 15}, {QStringLiteral("SERIAL2_PROTOCOL"), 1},
              {QStringLiteral("STAT_FLTTIME"), 600}, {QStringLiteral("H_COL_MAX"), 1700}});
    w->param_value_finish_show();
    QVERIFY(en->isChecked());
    QVERIFY(!child<QCheckBox>(*w, "Chinese_checkBox")->isChecked());
    QCOMPARE(text(*w, "OpenUart"), QStringLiteral("Success"));
    QCOMPARE(text(*w, "nav_BT1"), QStringLiteral("Radio"));
    QCOMPARE(text(*w, "flytimeshow_value"), QStringLiteral("10min"));
    QCOMPARE(text(*w, "flytypeshow_value"), QStringLiteral("Fir"));
    QCOMPARE(text(*w, "RC5_left_label"), QStringLiteral("ATT"));
    QCOMPARE(text(*w, "RC5_right_label"), QStringLiteral("Home"));
    QCOMPARE(text(*w, "Collective_pos_label"), QStringLiteral("  ＋14°"));
    QCOMPARE(storedLanguage(), QStringLiteral("English-marker"));

    // A second download the same way; then in Chinese.
    w->param_value_finish_show();
    QVERIFY(en->isChecked());
    QCOMPARE(text(*w, "OpenUart"), QStringLiteral("Success"));
    switchTo(*w, false);
    QCOMPARE(storedLanguage(), QStringLiteral("简体中文"));
    storeLanguage(QStringLiteral("Chinese-marker"));
    w->param_value_finish_show();
    QVERIFY(!en->isChecked());
    QCOMPARE(text(*w, "OpenUart"), QStringLiteral("成 功"));
    QCOMPARE(text(*w, "RC5_left_label"), QStringLiteral("姿态"));
    QCOMPARE(text(*w, "flytimeshow_value"), QStringLiteral("10分"));
    QCOMPARE(storedLanguage(), QStringLiteral("Chinese-marker"));
}

void TestLanguageSwitch::keptTextsAndNearMisses()
{
    auto w = makeWindow();
    switchTo(*w, true);
    QCOMPARE(text(*w, "RC5_Label"), QStringLiteral("CH5"));
    QCOMPARE(text(*w, "Chinese_checkBox"), QStringLiteral("中文"));
    QCOMPARE(text(*w, "English_checkBox"), QStringLiteral("English"));
    QCOMPARE(text(*w, "version_label"), QStringLiteral("V1.08.03"));
    for (const char *context : {"MainWindow", "StatusPage"}) {
        QCOMPARE(QCoreApplication::translate(context, "CH5"), QStringLiteral("CH5"));
        QCOMPARE(QCoreApplication::translate(context, "max:"), QStringLiteral("max:"));
        QCOMPARE(QCoreApplication::translate(context, "连接"), QStringLiteral("连接"));
    }
    QCOMPARE(QCoreApplication::translate("MainWindow", "连 接"), QStringLiteral("Connect"));
    QCOMPARE(QCoreApplication::translate("MainWindow", "成 功"), QStringLiteral("Success"));
    QCOMPARE(QCoreApplication::translate("MainWindow", "加载中"), QStringLiteral("loading"));
}

void TestLanguageSwitch::missingCatalogueIsReported()
{
    BoxWatcher boxes;
    auto w = makeWindow(m_dir->filePath(QStringLiteral("no-catalogues")));
    w->setLinkState(MainWindow::LinkState::Connected);
    switchTo(*w, true);
    QCOMPARE(boxes.texts, (QStringList{"LOAD QM FAILED", "Install FAILED"}));
    QCOMPARE(boxes.titles, (QStringList{QString(), QString()}));
    // The choice is stored all the same; the form shows its source texts,
    // the connect button its state.
    QCOMPARE(storedLanguage(), QStringLiteral("English"));
    QVERIFY(child<QCheckBox>(*w, "English_checkBox")->isChecked());
    QCOMPARE(text(*w, "nav_BT1"), QStringLiteral("遥控器"));
    QCOMPARE(text(*w, "OpenUart"), QStringLiteral("成 功"));
    QCOMPARE(w->windowTitle(), QStringLiteral("TAVRO"));
}

void TestLanguageSwitch::downloadRing_data()
{
    QTest::addColumn<int>("received");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("green");
    QTest::newRow("500: first") << 0 << 500 << 0 << 0;
    QTest::newRow("500: 488") << 488 << 500 << 99 << 248;
    QTest::newRow("500: 489") << 489 << 500 << 100 << 249;
    QTest::newRow("500: all") << 500 << 500 << 100 << 249;
    QTest::newRow("11: 0") << 0 << 11 << 100 << 23; // one to show, reached at once
    QTest::newRow("10: 5") << 5 << 10 << 50 << 127;
    QTest::newRow("10: 10") << 10 << 10 << 100 << 255;
    QTest::newRow("3: 1") << 1 << 3 << 33 << 85;
    QTest::newRow("1: 1") << 1 << 1 << 100 << 255;
    QTest::newRow("3: more than announced") << 7 << 3 << 100 << 255;
}

void TestLanguageSwitch::downloadRing()
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
    QCOMPARE(w->parameterStore()->findParameterValue(QStringLiteral("P")), 2.5);

    // Nothing announced: the value is stored, the ring left alone.
    w->param_value_loading_show({QStringLiteral("P"), 3.5}, received, 0);
    QCOMPARE(ring->value(), double(value));
    QCOMPARE(w->parameterStore()->findParameterValue(QStringLiteral("P")), 3.5);
    QCOMPARE(w->parameterStore()->size(), 1);
}

void TestLanguageSwitch::statusTextsReachTheStrip()
{
    auto w = makeWindow();
    auto *strip = child<NLineLabel>(*w, "warn_txt_widget");
    w->statustext_show(QStringLiteral("PreArm: Compass not calibrated"), 2);
    w->statustext_show(QStringLiteral("PreArm: Compass not calibrated"), 3); // below critical: log only
    w->statustext_show(QStringLiteral("Something else"), 0);                // no row: log only
    QCOMPARE(strip->lineCount(), 1);
    QCOMPARE(strip->lineText(0), QStringLiteral("磁罗盘需要校准"));
    switchTo(*w, true);
    w->statustext_show(QStringLiteral("PreArm: Radio failsafe on"), 1);
    QCOMPARE(strip->lineCount(), 2);
    QCOMPARE(strip->lineText(1), QStringLiteral("Please connect the receiver"));
}

void TestLanguageSwitch::unconfirmedWritesShareOneLine()
{
    auto w = makeWindow();
    auto *strip = child<NLineLabel>(*w, "warn_txt_widget");
    QSignalSpy failures(w->pageContext(), &PageContext::parameterWriteFailed);

    // One failure: a line naming it.
    w->param_write_failed_show(QStringLiteral("H_COL_MAX"), 1700.0f);
    QCOMPARE(failures.count(), 1); // the pages hear at once
    QTRY_COMPARE(strip->lineCount(), 1);
    QCOMPARE(strip->lineText(0), QStringLiteral("写入未确认：H_COL_MAX"));

    // Three together (one of them twice): one summary line.
    w->param_write_failed_show(QStringLiteral("RC1_MIN"), 1000.0f);
    w->param_write_failed_show(QStringLiteral("RC1_MAX"), 2000.0f);
    w->param_write_failed_show(QStringLiteral("RC1_MIN"), 1000.0f);
    w->param_write_failed_show(QStringLiteral("RC1_TRIM"), 1500.0f);
    QCOMPARE(failures.count(), 5);
    QTRY_COMPARE(strip->lineCount(), 2);
    QCOMPARE(strip->lineText(1), QStringLiteral("写入未确认：3 个参数"));
    QTest::qWait(250);
    QCOMPARE(strip->lineCount(), 2);

    // In English; and a connection attempt's clearing drops what waits.
    switchTo(*w, true);
    w->param_write_failed_show(QStringLiteral("ATC_RAT_YAW_P"), 0.2f);
    QTRY_COMPARE(strip->lineCount(), 3);
    QCOMPARE(strip->lineText(2), QStringLiteral("Write failed: ATC_RAT_YAW_P"));
    w->param_write_failed_show(QStringLiteral("RC2_MIN"), 1000.0f);
    w->Disconnect_UI_show();
    QCOMPARE(strip->lineCount(), 0);
    QTest::qWait(250);
    QCOMPARE(strip->lineCount(), 0);

    // The missing-parameter line, in English.
    w->param_missing_show({3, 4});
    QCOMPARE(strip->lineText(0), QStringLiteral("Missing parameters: 2"));
}

void TestLanguageSwitch::openBatteryDialogFollows()
{
    // The dialog keeps the window's content disabled, so only the display's
    // re-application can switch while it is open; it follows at once.
    storeLanguage(QStringLiteral("English"));
    auto w = makeWindow();
    w->slotDoAction();
    auto *dialog = w->findChild<PopUpWidget *>();
    QVERIFY(dialog);
    auto *write = child<QPushButton>(*dialog, "PopUpWrite_bn");
    QCOMPARE(write->text(), QStringLiteral("Apply Voltage"));
    child<QCheckBox>(*w, "English_checkBox")->setChecked(false);
    QCOMPARE(write->text(), QStringLiteral("写入电压"));
    w->switchLanguage(true, false);
    QCOMPARE(write->text(), QStringLiteral("Apply Voltage"));
    QVERIFY(child<QLabel>(*dialog, "PopUp_Message")->text().contains(QStringLiteral("precision voltmeter")));
    QCOMPARE(child<QLabel>(*dialog, "PopUp_Message")->font().pointSize(), 9);
}

void TestLanguageSwitch::frameTextsFit_data()
{
    QTest::addColumn<bool>("english");
    QTest::newRow("Chinese") << false;
    QTest::newRow("English") << true;
}

void TestLanguageSwitch::frameTextsFit()
{
    // The frame's texts in their longest forms, in the shown window.
    QFETCH(bool, english);
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
    for (MainWindow::LinkState state :
         {MainWindow::LinkState::Idle, MainWindow::LinkState::Loading, MainWindow::LinkState::Connected}) {
        w->setLinkState(state);
        QCoreApplication::processEvents();
        for (const char *part : {"Side_widget", "top_widget", "Head_widget"})
            for (const QString &fault : layoutFaults(child<QWidget>(*w, part)))
                // The connect button sits on the ring, the logo beside its
                // lettering, by design; the button's text is checked below.
                if (!fault.contains(QLatin1String("OpenUart")) && !fault.contains(QLatin1String("icon_ZEN_IMG")))
                    faults << fault;
        auto *button = child<QPushButton>(*w, "OpenUart");
        if (button->fontMetrics().horizontalAdvance(button->text()) > button->width())
            faults << QStringLiteral("connect button: %1").arg(button->text());
    }
    // Every line in full in the strip's tool tip, the newest last.
    const QStringList full = strip->toolTip().split(QLatin1Char('\n'));
    QCOMPARE(full.size(), 8);
    QCOMPARE(full.at(0), english
                             ? QStringLiteral("Need to restart flight control after accelerometer calibration is complete")
                             : QStringLiteral("加速度计校准完成后需要重启飞控"));
    if (english)
        QVERIFY(strip->lineText(0).endsWith(QChar(0x2026)));
    else
        QCOMPARE(strip->lineText(0), full.at(0));
    QCOMPARE(full.at(7), english ? QStringLiteral("Writes failed: 2") : QStringLiteral("写入未确认：2 个参数"));
    w->TimerInterrupt();
    for (int i = 0; i < 500; ++i)
        w->TimerInterrupt();
    QCOMPARE(strip->lineCount(), 7);
    QCOMPARE(strip->toolTip().split(QLatin1Char('\n')), full.mid(1));
    faults.removeDuplicates();
    // TAVRO_TEST_SHOTS=DIR keeps a picture of the frame for a look.
    const QString shots = qEnvironmentVariable("TAVRO_TEST_SHOTS");
    if (!shots.isEmpty())
        w->grab().save(QDir(shots).filePath(QStringLiteral("frame-%1.png").arg(english ? "en" : "zh")));
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestLanguageSwitch)
#include "TestLanguageSwitch.moc"
