// The flight controller's status texts: which ones reach the warning strip,
// in which words (Chinese and through the compiled English catalogue), in
// which order of the table, at which severities, and the log line of each.

#include <QLoggingCategory>
#include <QTest>
#include <QTranslator>

#include "pages/StatusTextTable.h"
#include "widgets/NLineLabel.h"

namespace {

struct Expected
{
    const char *text;      // as the flight controller might send it
    const char *chinese;   // shown message
    const char *english;   // its English form
};

// One text per row, each with something around the pattern.
const Expected kRows[] = {
    {"PreArm: Check mag field", "磁罗盘受到干扰", "Compass is experiencing interference."},
    {"PreArm: Compass not healthy", "磁罗盘不正常", "The magnetic compass is not functioning properly."},
    {"PreArm: 3D Accel calibration needed", "加速度计需要校准", "Accelerometers need to be calibrated"},
    {"PreArm: Compass calibration running", "磁罗盘计正在校准", "Magnetic compass meter being calibrated"},
    {"PreArm: Compass not calibrated", "磁罗盘需要校准", "Magnetic compass needs to be calibrated"},
    {"PreArm: Check FS_THR_VALUE", "3通道最小值过小", "3 Channel minimum too small"},
    {"Arm: Motor Interlock Enabled", "请把电机锁拨至熄火", "Please turn the motor lock to off."},
    {"PreArm: RC3 radio max too low", "遥控器需要校准", "Remote control needs to be calibrated"},
    {"PreArm: Radio failsafe on", "请连接接收机", "Please connect the receiver"},
    {"Accels calibrated requires reboot", "加速度计校准完成后需要重启飞控",
     "Need to restart flight control after accelerometer calibration is complete"},
    {"Compass calibrated requires reboot now", "磁罗盘校准后需要重新启动",
     "Reboot required after magnetic compass calibration"},
};

QString line(const char *text, uint8_t severity)
{
    return StatusTextTable::userLine(QString::fromLatin1(text), severity).value_or(QStringLiteral("<none>"));
}

} // namespace

class StatusTextsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyRowInChineseAndEnglish();
    void severitiesAndCase();
    void firstRowWins();
    void logLineForEveryText();
    void strip();
};

QLoggingCategory::CategoryFilter g_previousFilter = nullptr;

// The page log's debug lines are on for this test, whatever the environment's
// logging rules say.
void pagesDebugOn(QLoggingCategory *category)
{
    if (g_previousFilter)
        g_previousFilter(category);
    if (qstrcmp(category->categoryName(), "tavro.pages") == 0)
        category->setEnabled(QtDebugMsg, true);
}

void StatusTextsTest::initTestCase()
{
    g_previousFilter = QLoggingCategory::installFilter(pagesDebugOn);
}

void StatusTextsTest::everyRowInChineseAndEnglish()
{
    QCOMPARE(int(std::size(kRows)), StatusTextTable::kRowCount);
    for (int i = 0; i < StatusTextTable::kRowCount; ++i) {
        QCOMPARE(StatusTextTable::matchRow(QString::fromLatin1(kRows[i].text)), i);
        QCOMPARE(line(kRows[i].text, 2), QString::fromUtf8(kRows[i].chinese));
    }

    QTranslator english;
    QVERIFY(english.load(QStringLiteral(":/TAVRO_en_US.qm")));
    QCoreApplication::installTranslator(&english);
    for (const Expected &row : kRows)
        QCOMPARE(line(row.text, 0), QString::fromUtf8(row.english));
    QCoreApplication::removeTranslator(&english);
}

void StatusTextsTest::severitiesAndCase()
{
    // Emergency, alert and critical are shown; error and below only logged.
    QCOMPARE(line("PreArm: Check mag field", 0), QStringLiteral("磁罗盘受到干扰"));
    QCOMPARE(line("PreArm: Check mag field", 1), QStringLiteral("磁罗盘受到干扰"));
    for (uint8_t severity : {3, 4, 6, 7, 255})
        QCOMPARE(line("PreArm: Check mag field", severity), QStringLiteral("<none>"));

    // Case-sensitive: row 8 needs "radio", row 9 "Radio".
    QCOMPARE(line("PreArm: compass not healthy", 2), QStringLiteral("<none>"));
    QCOMPARE(line("PreArm: Compass not healthy for now", 2), QStringLiteral("磁罗盘不正常"));
    QCOMPARE(line("PreArm: RC3 Radio max too low", 2), QStringLiteral("<none>"));
    QCOMPARE(line("PreArm: radio failsafe on", 2), QStringLiteral("<none>"));
    QCOMPARE(line("", 0), QStringLiteral("<none>"));
    QCOMPARE(line("EKF3 IMU0 is using GPS", 0), QStringLiteral("<none>"));
}

void StatusTextsTest::firstRowWins()
{
    QCOMPARE(line("Radio failsafe on; Compass not calibrated", 2), QStringLiteral("磁罗盘需要校准"));
    QCOMPARE(line("Compass not calibrated, Check mag field", 2), QStringLiteral("磁罗盘受到干扰"));
}

void StatusTextsTest::logLineForEveryText()
{
    QTest::ignoreMessage(QtDebugMsg, "err_msg:PreArm: Check mag field  4");
    QVERIFY(!StatusTextTable::userLine(QStringLiteral("PreArm: Check mag field"), 4));
    QTest::ignoreMessage(QtDebugMsg, "err_msg:Frame: HELI  6");
    QVERIFY(!StatusTextTable::userLine(QStringLiteral("Frame: HELI"), 6));
    QTest::ignoreMessage(QtDebugMsg, "err_msg:Radio failsafe on  2");
    QVERIFY(StatusTextTable::userLine(QStringLiteral("Radio failsafe on"), 2));
}

void StatusTextsTest::strip()
{
    // Nine critical texts in a row: the ninth pushes the first out; repeats
    // are not merged.
    NLineLabel strip;
    for (int i = 0; i < 9; ++i) {
        if (const auto shown = StatusTextTable::userLine(QString::fromLatin1(kRows[i].text), 2))
            strip.addLine(*shown);
    }
    QCOMPARE(strip.lineCount(), 8);
    QCOMPARE(strip.lineText(0), QString::fromUtf8(kRows[1].chinese));
    QCOMPARE(strip.lineText(7), QString::fromUtf8(kRows[8].chinese));

    NLineLabel repeats;
    for (int i = 0; i < 3; ++i)
        repeats.addLine(*StatusTextTable::userLine(QStringLiteral("Radio failsafe on"), 2));
    QCOMPARE(repeats.lineCount(), 3);
    QCOMPARE(repeats.lineText(2), QStringLiteral("请连接接收机"));
}

QTEST_MAIN(StatusTextsTest)
#include "tst_status_texts.moc"
