// The battery-voltage dialog: the write's guards in single precision, one write per opening, success only
// after the flight controller's echo, dragging, closing, and both languages without clipped texts.
#include "dialogs/PopUpWidget.h"
#include "tests/RunsUnderWine.h"

#include <QApplication>
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

// The dialog's boxes open without a nested event loop: seen() reads and closes every box on screen.
class BoxCatcher
{
public:
    const QList<SeenBox> &seen()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
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

QPushButton *button(PopUpWidget &d, const QString &textOrName)
{
    for (QPushButton *b : d.findChildren<QPushButton *>())
        if (b->text() == textOrName || b->objectName() == textOrName)
            return b;
    qFatal("no button %s", qPrintable(textOrName));
}

QPushButton *writeButton(PopUpWidget &d) { return button(d, QStringLiteral("PopUpWrite_bn")); }

// A dialog as the window opens it: stored multiplier 10, a reading of 16 V, "16.6V" picked.
void prepare(PopUpWidget &d, float volts = 16.0f)
{
    d.setBattVoltMult(10.0f);
    d.setMeasuredVoltage(volts);
    button(d, QStringLiteral("16.6V"))->click();
}

} // namespace

class TestPopUpWidget : public QObject
{
    Q_OBJECT

private slots:
    void write_data();
    void write();
    void answerOfTheFlightController();
    void dragging();
    void closedWithABoxUp();
    void englishTextsFollowTheState();
    void textsFitBothLanguages();
};

void TestPopUpWidget::write_data()
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    QTest::addColumn<bool>("giveMultiplier");
    QTest::addColumn<float>("stored");
    QTest::addColumn<int>("millivolts"); // -1: no reading yet
    QTest::addColumn<QString>("picked"); // empty: none
    QTest::addColumn<float>("written");  // 0: refused with title and text
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");

    const QString abnormal = QStringLiteral("电压异常");
    const QString tooFar = QStringLiteral("用户输入电压与飞控测量电压差超过1.5V，禁止写入");
    QTest::newRow("no voltage picked") << true << 10.0f << 16000 << QString() << 0.0f << QStringLiteral("提示")
                                       << QStringLiteral("请选择电压");
    QTest::newRow("no reading yet") << true << 10.0f << -1 << "16.0V" << 0.0f << abnormal << tooFar;
    QTest::newRow("1.6 V below") << true << 10.0f << 15000 << "16.6V" << 0.0f << abnormal << tooFar;
    QTest::newRow("1.5 V below") << true << 10.0f << 15000 << "16.5V" << 11.0f << QString() << QString();
    QTest::newRow("1.5 V above") << true << 10.0f << 17500 << "16.0V" << 16.0f / 17.5f * 10.0f << QString()
                                 << QString();
    QTest::newRow("1.6 V above") << true << 10.0f << 17600 << "16.0V" << 0.0f << abnormal << tooFar;
    // 16.7 - 15.2 comes out one single-precision step above 1.5.
    QTest::newRow("1.5 V rounded up") << true << 10.0f << 15200 << "16.7V" << 0.0f << abnormal << tooFar;
    QTest::newRow("1.4 V") << true << 10.0f << 15300 << "16.7V" << 16.7f / 15.3f * 10.0f << QString() << QString();
    QTest::newRow("formula") << true << 10.0f << 16000 << "16.6V" << 10.375f << QString() << QString();

    const QString hint = QStringLiteral("提示");
    const QString noMult = QStringLiteral("未读取到有效的电压系数BATT_VOLT_MULT，禁止写入");
    // -1 is what the parameter store answers for an absent name.
    QTest::newRow("multiplier absent") << true << -1.0f << 16000 << "16.6V" << 0.0f << hint << noMult;
    QTest::newRow("multiplier never given") << false << 0.0f << 16000 << "16.6V" << 0.0f << hint << noMult;
    QTest::newRow("multiplier zero") << true << 0.0f << 16000 << "16.6V" << 0.0f << hint << noMult;
    QTest::newRow("multiplier NaN") << true << nan << 16000 << "16.6V" << 0.0f << hint << noMult;
    QTest::newRow("multiplier infinite") << true << inf << 16000 << "16.6V" << 0.0f << hint << noMult;
    QTest::newRow("result overflows") << true << std::numeric_limits<float>::max() << 16000 << "16.6V" << 0.0f
                                      << hint << noMult;
}

void TestPopUpWidget::write()
{
    QFETCH(bool, giveMultiplier);
    QFETCH(float, stored);
    QFETCH(int, millivolts);
    QFETCH(QString, picked);
    QFETCH(float, written);
    QFETCH(QString, title);
    QFETCH(QString, text);

    PopUpWidget d;
    if (giveMultiplier)
        d.setBattVoltMult(stored);
    if (millivolts >= 0)
        d.setMeasuredVoltage(float(uint16_t(millivolts)) / 1000.0f); // as the window passes SYS_STATUS on
    if (!picked.isEmpty())
        button(d, picked)->click();
    QSignalSpy spy(&d, &PopUpWidget::writeBattVoltMult);
    BoxCatcher boxes;
    writeButton(d)->click();

    if (written == 0.0f) {
        QCOMPARE(spy.count(), 0);
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen().at(0).icon, QMessageBox::Warning);
        QCOMPARE(boxes.seen().at(0).title, title);
        QCOMPARE(boxes.seen().at(0).text, text);
        // A refusal is not this opening's write.
        QVERIFY(writeButton(d)->isEnabled());
        QCOMPARE(d.writeState(), PopUpWidget::WriteState::NotSent);
        return;
    }
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toFloat(), written);
    QCOMPARE(d.sentMultiplier(), written);
    QVERIFY(boxes.seen().isEmpty());
    // Sent, not confirmed: no success yet and no second write, whatever is clicked.
    QCOMPARE(d.writeState(), PopUpWidget::WriteState::Pending);
    QVERIFY(!writeButton(d)->isEnabled());
    QCOMPARE(writeButton(d)->text(), QStringLiteral("等待飞控确认"));
    button(d, QStringLiteral("16.1V"))->click();
    d.on_PopUpWrite_bn_clicked();
    QCOMPARE(spy.count(), 1);
    QVERIFY(boxes.seen().isEmpty());
}

void TestPopUpWidget::answerOfTheFlightController()
{
    {
        PopUpWidget d;
        BoxCatcher boxes;
        d.writeConfirmed(10.0f); // before any write: nothing to confirm
        prepare(d);
        writeButton(d)->click();
        d.writeConfirmed(10.0f); // the old value reported again: keep waiting
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
        BoxCatcher boxes;
        prepare(d);
        writeButton(d)->click();
        d.writeFailed();
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen().at(0).icon, QMessageBox::Critical);
        QCOMPARE(boxes.seen().at(0).title, QStringLiteral("错误"));
        QCOMPARE(boxes.seen().at(0).text, PopUpWidget::failedText());
        QCOMPARE(d.writeState(), PopUpWidget::WriteState::Failed);
        QCOMPARE(writeButton(d)->text(), QStringLiteral("写入失败"));
        // The value may have been taken after all: the opening's stored multiplier is stale, no retry.
        QVERIFY(!writeButton(d)->isEnabled());
        d.writeConfirmed(10.375f);
        QCOMPARE(boxes.seen().size(), 1);
    }
    {
        // An answer given while the signal is still being delivered is shown too.
        PopUpWidget d;
        connect(&d, &PopUpWidget::writeBattVoltMult, &d, [&d](float) { d.writeFailed(); });
        BoxCatcher boxes;
        prepare(d);
        writeButton(d)->click();
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(d.writeState(), PopUpWidget::WriteState::Failed);
    }
}

void TestPopUpWidget::dragging()
{
    PopUpWidget d;
    d.move(100, 100);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    const QPoint grip(200, 12);
    auto send = [&d, grip](QEvent::Type type, QPoint global, Qt::MouseButton b, Qt::MouseButtons held) {
        QMouseEvent e(type, QPointF(grip), QPointF(grip), QPointF(global), b, held, Qt::NoModifier);
        QApplication::sendEvent(&d, &e);
    };
    const QPoint start = d.pos();
    send(QEvent::MouseButtonPress, start + grip, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, start + grip + QPoint(60, 40), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(d.pos(), start + QPoint(60, 40));
    send(QEvent::MouseButtonRelease, d.pos() + grip, Qt::LeftButton, Qt::NoButton);
    const QPoint here = d.pos();
    send(QEvent::MouseMove, start + QPoint(500, 500), Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonPress, here + grip, Qt::RightButton, Qt::RightButton); // the right button never drags
    send(QEvent::MouseMove, here + grip + QPoint(50, 50), Qt::NoButton, Qt::RightButton);
    QCOMPARE(d.pos(), here);
    send(QEvent::MouseButtonRelease, here + grip, Qt::RightButton, Qt::NoButton);

    // The instruction text takes no mouse input, so the dialog drags by it too.
    auto *message = d.findChild<QLabel *>(QStringLiteral("PopUp_Message"));
    const QPoint onText = message->rect().center();
    QTest::mousePress(message, Qt::LeftButton, Qt::NoModifier, onText);
    QMouseEvent move(QEvent::MouseMove, QPointF(onText), QPointF(onText),
                     QPointF(message->mapToGlobal(onText) + QPoint(-20, 15)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&d, &move);
    QCOMPARE(d.pos(), here + QPoint(-20, 15));
    QTest::mouseRelease(message, Qt::LeftButton, Qt::NoModifier, onText);
}

void TestPopUpWidget::closedWithABoxUp()
{
    QWidget window;
    window.show();
    QPointer<PopUpWidget> d = new PopUpWidget(&window);
    d->setAttribute(Qt::WA_DeleteOnClose);
    d->show();
    button(*d, QStringLiteral("PopUp_btn_close"))->click();
    QTRY_VERIFY(d.isNull());

    // Closed by the window (link loss) while a refusal box is up: the box goes with the dialog.
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

void TestPopUpWidget::englishTextsFollowTheState()
{
    PopUpWidget d;
    auto *tag = d.findChild<QLabel *>(QStringLiteral("PopUp_Tag"));
    QCOMPARE(tag->text(), QStringLiteral("飞控测量电压: -- V")); // not 0.00 before a reading
    prepare(d);
    writeButton(d)->click();

    // Switched while the write waits.
    QTranslator english;
    QVERIFY(english.load(QStringLiteral(":/TAVRO_en_US.qm")));
    QVERIFY(QCoreApplication::installTranslator(&english));
    QTRY_COMPARE(writeButton(d)->text(), QStringLiteral("Waiting for confirmation")); // a posted event
    QCOMPARE(tag->text(), QStringLiteral("Flight controller measured voltage: 16.00 V"));
    QCOMPARE(PopUpWidget::failedText(),
             QStringLiteral("The flight controller did not confirm the new voltage multiplier. Writing failed."));
    {
        BoxCatcher boxes;
        d.writeConfirmed(10.375f);
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen().at(0).title, QStringLiteral("Success"));
        QCOMPARE(boxes.seen().at(0).text, QStringLiteral("Voltage calibration complete"));
        QCOMPARE(writeButton(d)->text(), QStringLiteral("Calibration complete"));
    }
    PopUpWidget fresh;
    QCOMPARE(writeButton(fresh)->text(), QStringLiteral("Apply Voltage"));

    QVERIFY(QCoreApplication::removeTranslator(&english));
    QTRY_COMPARE(writeButton(d)->text(), QStringLiteral("校准完成"));
    QCOMPARE(writeButton(fresh)->text(), QStringLiteral("写入电压"));
}

void TestPopUpWidget::textsFitBothLanguages()
{
    if (runsUnderWine())
        QSKIP("text widths under Wine match neither Windows nor Linux");
    // The window sets the instruction to 10 points in Chinese, 9 in English; every state must fit.
    QTranslator english;
    QVERIFY(english.load(QStringLiteral(":/TAVRO_en_US.qm")));
    for (const bool inEnglish : {false, true}) {
        if (inEnglish)
            QVERIFY(QCoreApplication::installTranslator(&english));
        PopUpWidget d;
        d.setMessagePointSize(inEnglish ? 9 : 10);
        prepare(d, 16.62f);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        auto fits = [&d](const char *when) {
            auto *message = d.findChild<QLabel *>(QStringLiteral("PopUp_Message"));
            auto *tag = d.findChild<QLabel *>(QStringLiteral("PopUp_Tag"));
            QVERIFY2(message->heightForWidth(message->width()) <= message->height(), when);
            QVERIFY2(tag->sizeHint().width() <= tag->width(), when);
            QVERIFY2(writeButton(d)->sizeHint().width() <= writeButton(d)->width(), when);
        };
        fits("idle");
        BoxCatcher boxes;
        writeButton(d)->click();
        fits("waiting");
        d.writeFailed();
        QCOMPARE(boxes.seen().size(), 1);
        fits("failed");
        if (inEnglish)
            QVERIFY(QCoreApplication::removeTranslator(&english));
    }
}

QTEST_MAIN(TestPopUpWidget)
#include "tst_popupwidget.moc"
