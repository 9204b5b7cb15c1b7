// The battery-voltage dialog: the write's guards and formula in single
// precision, one write per opening, the answer of the flight controller, the
// green mark, dragging, and both languages drawn without clipped texts.
#include "dialogs/PopUpWidget.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTranslator>

#include <cmath>
#include <limits>

namespace {

struct SeenBox {
    QMessageBox::Icon icon;
    QString title;
    QString text;
};

// The dialog's message boxes open without a nested event loop, so they can
// be read and closed as soon as the call that opened them returns. seen()
// collects every box on screen, closes it and returns all seen so far.
class BoxCatcher
{
public:
    const QList<SeenBox> &seen()
    {
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (QWidget *w : windows) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (!box || !box->isVisible())
                continue;
            m_seen.append({box->icon(), box->windowTitle(), box->text()});
            box->button(QMessageBox::Ok)->click();
        }
        return m_seen;
    }

private:
    QList<SeenBox> m_seen;
};

QPushButton *voltageButton(PopUpWidget &d, int n)
{
    return d.findChild<QPushButton *>(QStringLiteral("Voltage_bn%1").arg(n));
}

QPushButton *buttonWithText(PopUpWidget &d, const QString &text)
{
    for (int n = 1; n <= 9; ++n) {
        if (voltageButton(d, n)->text() == text)
            return voltageButton(d, n);
    }
    return nullptr;
}

QPushButton *writeButton(PopUpWidget &d)
{
    return d.findChild<QPushButton *>(QStringLiteral("PopUpWrite_bn"));
}

// What the main window passes on from a SYS_STATUS report.
float voltsFromMillivolts(uint16_t mv)
{
    return float(mv) / 1000.0f;
}

const QString kBaseStyle = QStringLiteral(
    "border-radius:2px;\nborder: 1px solid rgb(216, 216, 216);\nbackground-color: rgb(255, 255, 255);\n");
const QString kGreenStyle = QStringLiteral("background:#4CAF50;color:white;");

const QString kChineseMessage = QStringLiteral(
    "<html><head/><body><p>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;请将电池充满电后，用精确的电压表测量XT60插头上的准确电压，"
    "例如：你测量到的电压是<span style=\" font-weight:700;\">16.6V</span>，那么请狗癣<span style=\" font-weight:700;\">16.6V"
    "</span>，然后连接电池到直升机，等待飞控测量电压显示稳定后，点击<span style=\" font-weight:700;\">写入电压</span>。"
    "</p></body></html>");
const QString kEnglishMessage = QStringLiteral(
    "<html><head/><body><p>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;Please fully charge the battery, then use a precision "
    "voltmeter to measure the exact voltage at the XT60 connector. For example, if the measured voltage is "
    "<span style=\" font-weight:700;\">16.6V</span>, please enter <span style=\" font-weight:700;\">16.6V.</span> "
    "Then connect the battery to the helicopter and wait for the flight controller's voltage reading to stabilize. "
    "Once stable, click <span style=\" font-weight:700;\">Apply Voltage</span>.</p></body></html>");

} // namespace

class TestPopUpWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void form();
    void writeWithoutPickedVoltage();
    void writeBeforeAnyReading();
    void calibrationWritesOnce();
    void voltageDifferenceGuard_data();
    void voltageDifferenceGuard();
    void unusableMultiplierOrReading_data();
    void unusableMultiplierOrReading();
    void answerOfTheFlightController();
    void answerWithinTheSignal();
    void greenMarkFollowsThePick();
    void dragging();
    void closeButton();
    void englishTexts();
    void renderBothLanguages();
};

void TestPopUpWidget::initTestCase()
{
    QFile qss(QStringLiteral(":/QSS/style1.qss"));
    QVERIFY(qss.open(QIODevice::ReadOnly));
    qApp->setStyleSheet(QString::fromUtf8(qss.readAll()));
}

void TestPopUpWidget::form()
{
    PopUpWidget d;
    QCOMPARE(d.size(), QSize(400, 300));
    QVERIFY(d.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(d.windowFlags() & Qt::WindowType_Mask, Qt::Dialog);

    QVERIFY(d.findChild<QWidget *>(QStringLiteral("PopUpSubWidget")));
    auto *close = d.findChild<QPushButton *>(QStringLiteral("PopUp_btn_close"));
    QVERIFY(close);
    QVERIFY(close->text().isEmpty());
    QCOMPARE(close->toolTip(), QStringLiteral("Close"));

    auto *message = d.findChild<QLabel *>(QStringLiteral("PopUp_Message"));
    QVERIFY(message);
    QCOMPARE(message->textFormat(), Qt::RichText);
    QCOMPARE(message->text(), kChineseMessage);

    const QStringList texts = {"16.8V", "16.7V", "16.6V", "16.5V", "16.4V", "16.3V", "16.2V", "16.1V", "16.0V"};
    for (int n = 1; n <= 9; ++n) {
        QVERIFY(voltageButton(d, n));
        QCOMPARE(voltageButton(d, n)->text(), texts.at(n - 1));
        QCOMPARE(voltageButton(d, n)->styleSheet(), kBaseStyle);
    }
    QCOMPARE(writeButton(d)->text(), QStringLiteral("写入电压"));
    QVERIFY(writeButton(d)->isEnabled());

    // No reading yet: the line says so instead of showing 0.00.
    auto *tag = d.findChild<QLabel *>(QStringLiteral("PopUp_Tag"));
    QCOMPARE(tag->text(), QStringLiteral("飞控测量电压: -- V"));
    d.setMeasuredVoltage(voltsFromMillivolts(16620));
    QCOMPARE(tag->text(), QStringLiteral("飞控测量电压: 16.62 V"));
    d.setMeasuredVoltage(voltsFromMillivolts(0));
    QCOMPARE(tag->text(), QStringLiteral("飞控测量电压: 0.00 V"));
    QCOMPARE(d.writeState(), PopUpWidget::WriteState::NotSent);
}

void TestPopUpWidget::writeWithoutPickedVoltage()
{
    PopUpWidget d;
    d.setBattVoltMult(10.0f);
    d.setMeasuredVoltage(16.0f);
    QSignalSpy spy(&d, &PopUpWidget::writeBattVoltMult);
    BoxCatcher boxes;
    writeButton(d)->click();
    QCOMPARE(boxes.seen().size(), 1);
    QCOMPARE(boxes.seen().at(0).icon, QMessageBox::Warning);
    QCOMPARE(boxes.seen().at(0).title, QStringLiteral("提示"));
    QCOMPARE(boxes.seen().at(0).text, QStringLiteral("请选择电压"));
    QCOMPARE(spy.count(), 0);
    // A refusal is not the write of this opening.
    QVERIFY(writeButton(d)->isEnabled());
    QCOMPARE(d.writeState(), PopUpWidget::WriteState::NotSent);
}

void TestPopUpWidget::writeBeforeAnyReading()
{
    PopUpWidget d;
    d.setBattVoltMult(10.0f);
    QSignalSpy spy(&d, &PopUpWidget::writeBattVoltMult);
    BoxCatcher boxes;
    for (int n = 1; n <= 9; ++n) {
        voltageButton(d, n)->click();
        writeButton(d)->click();
    }
    QCOMPARE(boxes.seen().size(), 9);
    for (const SeenBox &b : boxes.seen()) {
        QCOMPARE(b.icon, QMessageBox::Warning);
        QCOMPARE(b.title, QStringLiteral("电压异常"));
        QCOMPARE(b.text, QStringLiteral("用户输入电压与飞控测量电压差超过1.5V，禁止写入"));
    }
    QCOMPARE(spy.count(), 0);
    QVERIFY(writeButton(d)->isEnabled());
}

void TestPopUpWidget::calibrationWritesOnce()
{
    PopUpWidget d;
    d.setBattVoltMult(10.0f);
    d.setMeasuredVoltage(voltsFromMillivolts(16000));
    QSignalSpy spy(&d, &PopUpWidget::writeBattVoltMult);
    BoxCatcher boxes;

    buttonWithText(d, QStringLiteral("16.6V"))->click();
    writeButton(d)->click();
    QCOMPARE(spy.count(), 1);
    const float written = spy.at(0).at(0).toFloat();
    QCOMPARE(written, 16.6f / 16.0f * 10.0f);
    QVERIFY(std::fabs(written - 10.375f) < 1e-5f);
    QCOMPARE(d.sentMultiplier(), written);

    // Sent but not confirmed: no success yet, and no second write.
    QVERIFY(!writeButton(d)->isEnabled());
    QCOMPARE(d.writeState(), PopUpWidget::WriteState::Pending);
    QCOMPARE(writeButton(d)->text(), QStringLiteral("等待飞控确认"));
    buttonWithText(d, QStringLiteral("16.5V"))->click();
    writeButton(d)->click();
    d.on_PopUpWrite_bn_clicked();
    QCOMPARE(spy.count(), 1);
    QVERIFY(boxes.seen().isEmpty());
}

void TestPopUpWidget::voltageDifferenceGuard_data()
{
    QTest::addColumn<int>("millivolts");
    QTest::addColumn<QString>("picked");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<float>("multiplier"); // written for a stored 10.0

    QTest::newRow("1.6 V below") << 15000 << "16.6V" << false << 0.0f;
    QTest::newRow("1.5 V below") << 15000 << "16.5V" << true << 11.0f;
    QTest::newRow("1.5 V above") << 17500 << "16.0V" << true << 16.0f / 17.5f * 10.0f;
    QTest::newRow("1.6 V above") << 17600 << "16.0V" << false << 0.0f;
    // 16.7 and 15.2 are both rounded in single precision; their difference
    // comes out one step above 1.5, so the pair is refused.
    QTest::newRow("1.5 V rounded up") << 15200 << "16.7V" << false << 0.0f;
    QTest::newRow("1.4 V") << 15300 << "16.7V" << true << 16.7f / 15.3f * 10.0f;
}

void TestPopUpWidget::voltageDifferenceGuard()
{
    QFETCH(int, millivolts);
    QFETCH(QString, picked);
    QFETCH(bool, accepted);
    QFETCH(float, multiplier);

    PopUpWidget d;
    d.setBattVoltMult(10.0f);
    d.setMeasuredVoltage(voltsFromMillivolts(uint16_t(millivolts)));
    QSignalSpy spy(&d, &PopUpWidget::writeBattVoltMult);
    BoxCatcher boxes;
    buttonWithText(d, picked)->click();
    writeButton(d)->click();

    if (accepted) {
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toFloat(), multiplier);
        QVERIFY(boxes.seen().isEmpty());
        QVERIFY(!writeButton(d)->isEnabled());
    } else {
        QCOMPARE(spy.count(), 0);
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen().at(0).title, QStringLiteral("电压异常"));
        QVERIFY(writeButton(d)->isEnabled());
    }
}

void TestPopUpWidget::unusableMultiplierOrReading_data()
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    QTest::addColumn<bool>("giveMultiplier");
    QTest::addColumn<float>("storedMultiplier");
    QTest::addColumn<float>("measured");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");

    const QString multTitle = QStringLiteral("提示");
    const QString multText = QStringLiteral("未读取到有效的电压系数BATT_VOLT_MULT，禁止写入");
    // -1.0 is what the parameter store answers for an absent name.
    QTest::newRow("absent") << true << -1.0f << 16.0f << multTitle << multText;
    QTest::newRow("never given") << false << 0.0f << 16.0f << multTitle << multText;
    QTest::newRow("zero") << true << 0.0f << 16.0f << multTitle << multText;
    QTest::newRow("not a number") << true << nan << 16.0f << multTitle << multText;
    QTest::newRow("infinite") << true << inf << 16.0f << multTitle << multText;
    QTest::newRow("result overflows") << true << std::numeric_limits<float>::max() << 16.0f << multTitle << multText;
    QTest::newRow("reading not a number") << true << 10.0f << nan << QStringLiteral("电压异常")
                                          << QStringLiteral("飞控测量电压无效，禁止写入");
}

void TestPopUpWidget::unusableMultiplierOrReading()
{
    QFETCH(bool, giveMultiplier);
    QFETCH(float, storedMultiplier);
    QFETCH(float, measured);
    QFETCH(QString, title);
    QFETCH(QString, text);

    PopUpWidget d;
    if (giveMultiplier)
        d.setBattVoltMult(storedMultiplier);
    d.setMeasuredVoltage(measured);
    QSignalSpy spy(&d, &PopUpWidget::writeBattVoltMult);
    BoxCatcher boxes;
    buttonWithText(d, QStringLiteral("16.6V"))->click();
    writeButton(d)->click();

    QCOMPARE(spy.count(), 0);
    QCOMPARE(boxes.seen().size(), 1);
    QCOMPARE(boxes.seen().at(0).icon, QMessageBox::Warning);
    QCOMPARE(boxes.seen().at(0).title, title);
    QCOMPARE(boxes.seen().at(0).text, text);
    QVERIFY(writeButton(d)->isEnabled());
    QCOMPARE(d.writeState(), PopUpWidget::WriteState::NotSent);
}

void TestPopUpWidget::answerOfTheFlightController()
{
    {
        PopUpWidget d;
        d.setBattVoltMult(10.0f);
        d.setMeasuredVoltage(16.0f);
        BoxCatcher boxes;

        d.writeConfirmed(10.0f); // a report before any write: nothing to confirm
        QVERIFY(boxes.seen().isEmpty());

        buttonWithText(d, QStringLiteral("16.6V"))->click();
        writeButton(d)->click();
        d.writeConfirmed(10.0f); // the old value, reported again: keep waiting
        QVERIFY(boxes.seen().isEmpty());
        QCOMPARE(d.writeState(), PopUpWidget::WriteState::Pending);

        d.writeConfirmed(10.375f);
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen().at(0).icon, QMessageBox::Information);
        QCOMPARE(boxes.seen().at(0).title, QStringLiteral("成功"));
        QCOMPARE(boxes.seen().at(0).text, QStringLiteral("电压校准完成"));
        QCOMPARE(d.writeState(), PopUpWidget::WriteState::Confirmed);
        QCOMPARE(writeButton(d)->text(), QStringLiteral("校准完成"));
        QVERIFY(!writeButton(d)->isEnabled());

        // Late or repeated answers change nothing.
        d.writeFailed();
        d.writeConfirmed(10.375f);
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(d.writeState(), PopUpWidget::WriteState::Confirmed);
    }
    {
        PopUpWidget d;
        d.setBattVoltMult(10.0f);
        d.setMeasuredVoltage(16.0f);
        BoxCatcher boxes;
        buttonWithText(d, QStringLiteral("16.6V"))->click();
        writeButton(d)->click();
        d.writeFailed();
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen().at(0).icon, QMessageBox::Critical);
        QCOMPARE(boxes.seen().at(0).title, QStringLiteral("错误"));
        QCOMPARE(boxes.seen().at(0).text, PopUpWidget::failedText());
        QCOMPARE(d.writeState(), PopUpWidget::WriteState::Failed);
        QCOMPARE(writeButton(d)->text(), QStringLiteral("写入失败"));
        // The flight controller may have taken the value after all, and the
        // stored multiplier this opening started from would then be stale.
        QVERIFY(!writeButton(d)->isEnabled());
        d.writeConfirmed(10.375f);
        QCOMPARE(boxes.seen().size(), 1);
    }
}

void TestPopUpWidget::answerWithinTheSignal()
{
    // A window that answers while the signal is being delivered (a direct
    // connection whose write fails at once) still gets its answer shown.
    PopUpWidget d;
    d.setBattVoltMult(10.0f);
    d.setMeasuredVoltage(16.0f);
    connect(&d, &PopUpWidget::writeBattVoltMult, &d, [&d](float) { d.writeFailed(); });
    BoxCatcher boxes;
    buttonWithText(d, QStringLiteral("16.6V"))->click();
    writeButton(d)->click();
    QCOMPARE(boxes.seen().size(), 1);
    QCOMPARE(boxes.seen().at(0).icon, QMessageBox::Critical);
    QCOMPARE(d.writeState(), PopUpWidget::WriteState::Failed);
}

void TestPopUpWidget::greenMarkFollowsThePick()
{
    PopUpWidget d;
    d.setBattVoltMult(10.0f);
    d.setMeasuredVoltage(16.0f);
    auto marked = [&d]() {
        QList<int> green;
        for (int n = 1; n <= 9; ++n) {
            const QString style = voltageButton(d, n)->styleSheet();
            if (style == kGreenStyle)
                green.append(n);
            else if (style != kBaseStyle)
                return QList<int>{-n};
        }
        return green;
    };
    QCOMPARE(marked(), QList<int>{});
    voltageButton(d, 3)->click();
    QCOMPARE(marked(), QList<int>{3});
    voltageButton(d, 7)->click();
    QCOMPARE(marked(), QList<int>{7});
    voltageButton(d, 7)->click();
    QCOMPARE(marked(), QList<int>{7});

    // The last pick is the one written: "16.2V" against 16.0 V.
    QSignalSpy spy(&d, &PopUpWidget::writeBattVoltMult);
    writeButton(d)->click();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toFloat(), 16.2f / 16.0f * 10.0f);
}

void TestPopUpWidget::dragging()
{
    PopUpWidget d;
    d.move(100, 100);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    const QPoint start = d.pos();

    auto send = [&d](QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons buttons) {
        const QPoint global = d.pos() + local;
        QMouseEvent e(type, QPointF(local), QPointF(local), QPointF(global), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(&d, &e);
    };

    // A left press, then the pointer moves by (+60, +40) in two steps.
    const QPoint grip(200, 12);
    send(QEvent::MouseButtonPress, grip, Qt::LeftButton, Qt::LeftButton);
    QMouseEvent step1(QEvent::MouseMove, QPointF(grip), QPointF(grip), QPointF(start + grip + QPoint(30, 10)),
                      Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&d, &step1);
    QCOMPARE(d.pos(), start + QPoint(30, 10));
    QMouseEvent step2(QEvent::MouseMove, QPointF(grip), QPointF(grip), QPointF(start + grip + QPoint(60, 40)),
                      Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&d, &step2);
    QCOMPARE(d.pos(), start + QPoint(60, 40));

    // After the release, moving the pointer leaves the dialog where it is.
    send(QEvent::MouseButtonRelease, grip, Qt::LeftButton, Qt::NoButton);
    QMouseEvent after(QEvent::MouseMove, QPointF(grip), QPointF(grip), QPointF(start + QPoint(500, 500)),
                      Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&d, &after);
    QCOMPARE(d.pos(), start + QPoint(60, 40));

    // A right press does not start a drag.
    const QPoint here = d.pos();
    send(QEvent::MouseButtonPress, grip, Qt::RightButton, Qt::RightButton);
    QMouseEvent right(QEvent::MouseMove, QPointF(grip), QPointF(grip), QPointF(here + grip + QPoint(50, 50)),
                      Qt::NoButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(&d, &right);
    QCOMPARE(d.pos(), here);
    send(QEvent::MouseButtonRelease, grip, Qt::RightButton, Qt::NoButton);

    // A press on the instruction text reaches the dialog too (the text takes
    // no mouse input), so the dialog can be dragged by it.
    auto *message = d.findChild<QLabel *>(QStringLiteral("PopUp_Message"));
    const QPoint onText = message->rect().center();
    QTest::mousePress(message, Qt::LeftButton, Qt::NoModifier, onText);
    QMouseEvent textMove(QEvent::MouseMove, QPointF(onText), QPointF(onText),
                         QPointF(message->mapToGlobal(onText) + QPoint(-20, 15)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
    QApplication::sendEvent(&d, &textMove);
    QCOMPARE(d.pos(), here + QPoint(-20, 15));
    QTest::mouseRelease(message, Qt::LeftButton, Qt::NoModifier, onText);
}

void TestPopUpWidget::closeButton()
{
    QWidget window;
    QPointer<PopUpWidget> d = new PopUpWidget(&window);
    d->setAttribute(Qt::WA_DeleteOnClose);
    window.show();
    d->show();
    QVERIFY(QTest::qWaitForWindowExposed(d));
    d->findChild<QPushButton *>(QStringLiteral("PopUp_btn_close"))->click();
    QTRY_VERIFY(d.isNull());

    // Closed by the window (link loss) while a refusal box is up: the box
    // goes with the dialog.
    d = new PopUpWidget(&window);
    d->setAttribute(Qt::WA_DeleteOnClose);
    d->show();
    writeButton(*d)->click();
    QPointer<QMessageBox> box = d->findChild<QMessageBox *>();
    QVERIFY(box && box->isVisible());
    d->close();
    QTRY_VERIFY(d.isNull());
    QVERIFY(box.isNull());
}

void TestPopUpWidget::englishTexts()
{
    QTranslator english;
    QVERIFY(english.load(QStringLiteral(":/TAVRO_en_US.qm")));

    PopUpWidget d;
    d.setBattVoltMult(10.0f);
    d.setMeasuredVoltage(16.0f);
    buttonWithText(d, QStringLiteral("16.6V"))->click();
    QSignalSpy spy(&d, &PopUpWidget::writeBattVoltMult);
    writeButton(d)->click();
    QCOMPARE(spy.count(), 1);

    // Switched while the write waits: the texts follow the state.
    QVERIFY(QCoreApplication::installTranslator(&english));
    auto *message = d.findChild<QLabel *>(QStringLiteral("PopUp_Message"));
    auto *tag = d.findChild<QLabel *>(QStringLiteral("PopUp_Tag"));
    QTRY_COMPARE(message->text(), kEnglishMessage); // the change reaches windows as a posted event
    QCOMPARE(tag->text(), QStringLiteral("Flight controller measured voltage: 16.00 V"));
    QCOMPARE(writeButton(d)->text(), QStringLiteral("Waiting for confirmation"));
    QCOMPARE(voltageButton(d, 1)->text(), QStringLiteral("16.8V"));
    QCOMPARE(PopUpWidget::confirmedText(), QStringLiteral("Voltage calibration complete"));
    QCOMPARE(PopUpWidget::failedText(),
             QStringLiteral("The flight controller did not confirm the new voltage multiplier. Writing failed."));

    {
        BoxCatcher boxes;
        d.writeConfirmed(spy.at(0).at(0).toFloat());
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen().at(0).title, QStringLiteral("Success"));
        QCOMPARE(boxes.seen().at(0).text, QStringLiteral("Voltage calibration complete"));
        QCOMPARE(writeButton(d)->text(), QStringLiteral("Calibration complete"));
    }

    // A dialog opened in English starts with English texts.
    PopUpWidget fresh;
    QCOMPARE(writeButton(fresh)->text(), QStringLiteral("Apply Voltage"));
    QCOMPARE(fresh.findChild<QLabel *>(QStringLiteral("PopUp_Tag"))->text(),
             QStringLiteral("Flight controller measured voltage: -- V"));

    // And back to the source texts.
    QVERIFY(QCoreApplication::removeTranslator(&english));
    QTRY_COMPARE(message->text(), kChineseMessage);
    QCOMPARE(writeButton(d)->text(), QStringLiteral("校准完成"));
    QCOMPARE(writeButton(fresh)->text(), QStringLiteral("写入电压"));
}

void TestPopUpWidget::renderBothLanguages()
{
    // The window sets the instruction text to 10 points in Chinese and 9 in
    // English. Every text must fit its widget in both languages, in every
    // state of the write button.
    QDir().mkpath(QStringLiteral(TAVRO_GALLERY_DIR));
    QTranslator english;
    QVERIFY(english.load(QStringLiteral(":/TAVRO_en_US.qm")));

    for (const bool inEnglish : {false, true}) {
        if (inEnglish)
            QVERIFY(QCoreApplication::installTranslator(&english));
        const QString language = inEnglish ? QStringLiteral("en") : QStringLiteral("zh");

        PopUpWidget d;
        d.setMessagePointSize(inEnglish ? 9 : 10);
        d.setBattVoltMult(10.0f);
        d.setMeasuredVoltage(voltsFromMillivolts(16620));
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        voltageButton(d, 3)->click();

        auto fits = [&d](const char *when) {
            const QString where = QString::fromLatin1(when);
            auto *message = d.findChild<QLabel *>(QStringLiteral("PopUp_Message"));
            auto *tag = d.findChild<QLabel *>(QStringLiteral("PopUp_Tag"));
            QVERIFY2(message->heightForWidth(message->width()) <= message->height(), qPrintable(where));
            QVERIFY2(tag->sizeHint().width() <= tag->width(), qPrintable(where));
            QVERIFY2(writeButton(d)->sizeHint().width() <= writeButton(d)->width(), qPrintable(where));
            QVERIFY2(d.findChild<QWidget *>(QStringLiteral("PopUpSubWidget"))->geometry() == d.rect(),
                     qPrintable(where));
        };
        fits("idle");
        QVERIFY(d.grab().save(QStringLiteral(TAVRO_GALLERY_DIR "/popup_%1.png").arg(language)));

        BoxCatcher boxes;
        writeButton(d)->click();
        fits("waiting");
        QVERIFY(d.grab().save(QStringLiteral(TAVRO_GALLERY_DIR "/popup_%1_waiting.png").arg(language)));
        d.writeFailed();
        auto *box = d.findChild<QMessageBox *>();
        QVERIFY(box && box->isVisible());
        QVERIFY(box->grab().save(QStringLiteral(TAVRO_GALLERY_DIR "/popup_%1_failed_box.png").arg(language)));
        QCOMPARE(boxes.seen().size(), 1);
        fits("failed");

        if (inEnglish)
            QVERIFY(QCoreApplication::removeTranslator(&english));
    }
}

QTEST_MAIN(TestPopUpWidget)
#include "tst_popupwidget.moc"
