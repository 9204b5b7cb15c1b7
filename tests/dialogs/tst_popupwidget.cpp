// The battery-voltage dialog: the write's guards in single precision, one write per opening, success only
// after the flight controller's echo, dragging, closing, and both languages without clipped texts.
#include "dialogs/PopUpWidget.h"
#include "tests/RunsUnderWine.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QMetaEnum>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTranslator>

#include <cmath>
#include <limits>

namespace {

// The dialog's boxes open without a nested event loop: seen() notes and closes every box on screen, each as
// "icon title: text".
class BoxCatcher
{
public:
    const QStringList &seen()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (!box || !box->isVisible())
                continue;
            const char *icon = box->icon() == QMessageBox::Warning       ? "warning"
                               : box->icon() == QMessageBox::Information ? "information"
                               : box->icon() == QMessageBox::Critical    ? "critical"
                                                                         : "other";
            m_seen.append(QStringLiteral("%1 %2: %3").arg(QLatin1String(icon), box->windowTitle(), box->text()));
            box->button(QMessageBox::Ok)->click();
        }
        return m_seen;
    }

private:
    QStringList m_seen;
};

QPushButton *button(PopUpWidget &d, const QString &textOrName)
{
    for (QPushButton *b : d.findChildren<QPushButton *>())
        if (b->text() == textOrName || b->objectName() == textOrName)
            return b;
    qFatal("no button %s", qPrintable(textOrName));
}

QPushButton *writeButton(PopUpWidget &d) { return button(d, QStringLiteral("PopUpWrite_bn")); }

// The write's state and the write button, as "Pending off 等待飞控确认".
QString state(PopUpWidget &d)
{
    const char *name = QMetaEnum::fromType<PopUpWidget::WriteState>().valueToKey(int(d.writeState()));
    return QStringLiteral("%1 %2 %3")
        .arg(QLatin1String(name), QLatin1String(writeButton(d)->isEnabled() ? "on" : "off"), writeButton(d)->text());
}

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
    void write_data()
    {
        QTest::addColumn<bool>("giveMultiplier");
        QTest::addColumn<float>("stored");
        QTest::addColumn<int>("millivolts"); // -1: no reading yet
        QTest::addColumn<QString>("picked"); // empty: none
        QTest::addColumn<float>("written");  // 0: refused with this box
        QTest::addColumn<QString>("box");
        const auto row = [](const char *name, float stored, int mv, const char *picked, float written,
                            const char *box = "", bool give = true) {
            QTest::newRow(name) << give << stored << mv << QString::fromLatin1(picked) << written << QString::fromUtf8(box);
        };
        const char *tooFar = "warning 电压异常: 用户输入电压与飞控测量电压差超过1.5V，禁止写入";
        const char *noMult = "warning 提示: 未读取到有效的电压系数BATT_VOLT_MULT，禁止写入";
        row("no voltage picked", 10, 16000, "", 0, "warning 提示: 请选择电压");
        row("no reading yet", 10, -1, "16.0V", 0, tooFar);
        row("1.6 V below", 10, 15000, "16.6V", 0, tooFar);
        row("1.5 V below", 10, 15000, "16.5V", 11);
        row("1.5 V above", 10, 17500, "16.0V", 16.0f / 17.5f * 10.0f);
        row("1.6 V above", 10, 17600, "16.0V", 0, tooFar);
        row("1.5 V rounded up", 10, 15200, "16.7V", 0, tooFar); // 16.7 - 15.2 is one float step above 1.5
        row("1.4 V", 10, 15300, "16.7V", 16.7f / 15.3f * 10.0f);
        row("formula", 10, 16000, "16.6V", 10.375f);
        row("multiplier absent", -1, 16000, "16.6V", 0, noMult); // what the parameter store answers for no name
        row("multiplier never given", 0, 16000, "16.6V", 0, noMult, false);
        row("multiplier zero", 0, 16000, "16.6V", 0, noMult);
        row("multiplier NaN", std::numeric_limits<float>::quiet_NaN(), 16000, "16.6V", 0, noMult);
        row("multiplier infinite", std::numeric_limits<float>::infinity(), 16000, "16.6V", 0, noMult);
        row("result overflows", std::numeric_limits<float>::max(), 16000, "16.6V", 0, noMult);
    }

    void write()
    {
        QFETCH(bool, giveMultiplier);
        QFETCH(float, stored);
        QFETCH(int, millivolts);
        QFETCH(QString, picked);
        QFETCH(float, written);
        QFETCH(QString, box);

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

        if (written == 0.0f) { // a refusal is not this opening's write
            QCOMPARE(spy.count(), 0);
            QCOMPARE(boxes.seen(), QStringList{box});
            QCOMPARE(state(d), QStringLiteral("NotSent on 写入电压"));
            return;
        }
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toFloat(), written);
        QCOMPARE(d.sentMultiplier(), written);
        // Sent, not confirmed: no box, no success yet and no second write, whatever is clicked.
        QCOMPARE(state(d), QStringLiteral("Pending off 等待飞控确认"));
        button(d, QStringLiteral("16.1V"))->click();
        d.on_PopUpWrite_bn_clicked();
        QCOMPARE(spy.count(), 1);
        QVERIFY(boxes.seen().isEmpty());
    }

    void answerOfTheFlightController()
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
            QCOMPARE(boxes.seen(), QStringList{"information 成功: 电压校准完成"});
            QCOMPARE(state(d), QStringLiteral("Confirmed off 校准完成"));
            d.writeFailed(); // late or repeated answers change nothing
            d.writeConfirmed(10.375f);
            QCOMPARE(boxes.seen().size(), 1);
            QCOMPARE(state(d), QStringLiteral("Confirmed off 校准完成"));
        }
        {
            PopUpWidget d;
            BoxCatcher boxes;
            prepare(d);
            writeButton(d)->click();
            d.writeFailed();
            QCOMPARE(boxes.seen(), QStringList{"critical 错误: " + PopUpWidget::failedText()});
            // The value may have been taken after all: the opening's stored multiplier is stale, no retry.
            QCOMPARE(state(d), QStringLiteral("Failed off 写入失败"));
            d.writeConfirmed(10.375f);
            QCOMPARE(boxes.seen().size(), 1);
        }
        // An answer given while the signal is still being delivered is shown too.
        PopUpWidget d;
        connect(&d, &PopUpWidget::writeBattVoltMult, &d, [&d](float) { d.writeFailed(); });
        BoxCatcher boxes;
        prepare(d);
        writeButton(d)->click();
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(d.writeState(), PopUpWidget::WriteState::Failed);
    }

    void dragging()
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

    void closedWithABoxUp()
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

    void englishTextsFollowTheState()
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
        BoxCatcher boxes;
        d.writeConfirmed(10.375f);
        QCOMPARE(boxes.seen(), QStringList{"information Success: Voltage calibration complete"});
        QCOMPARE(writeButton(d)->text(), QStringLiteral("Calibration complete"));
        // A fresh dialog's "Apply Voltage" and back: TestMainWindow's batteryDialogFollowsAndOutlivesItsClose.
        QVERIFY(QCoreApplication::removeTranslator(&english));
        QTRY_COMPARE(writeButton(d)->text(), QStringLiteral("校准完成"));
    }

    void textsFitBothLanguages()
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
            auto *message = d.findChild<QLabel *>(QStringLiteral("PopUp_Message"));
            auto *tag = d.findChild<QLabel *>(QStringLiteral("PopUp_Tag"));
            auto fits = [&](const char *when) {
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
};

QTEST_MAIN(TestPopUpWidget)
#include "tst_popupwidget.moc"
