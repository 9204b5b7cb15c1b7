// The window's 20 ms tick keeps the flight time right without rebuilding it
// every time: after a new value, a language switch, or the label being
// written by the form again.
#include "app/MainWindow.h"
#include "params/ParameterStore.h"

#include <QCheckBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class WindowTickTest : public QObject
{
    Q_OBJECT

private slots:
    void flightTimeFollowsValueLanguageAndLabel();
};

void WindowTickTest::flightTimeFollowsValueLanguageAndLabel()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    MainWindow::Options options;
    options.settingsFile = dir.filePath(QStringLiteral("settings.ini"));
    options.portSource = [] { return QList<PortCandidate>(); };
    MainWindow w(options);
    auto *label = w.findChild<QLabel *>(QStringLiteral("flytimeshow_value"));
    auto *english = w.findChild<QCheckBox *>(QStringLiteral("English_checkBox"));
    auto *chinese = w.findChild<QCheckBox *>(QStringLiteral("Chinese_checkBox"));
    QVERIFY(label && english && chinese);
    auto tick = [&w](int n) {
        for (int i = 0; i < n; ++i)
            QVERIFY(QMetaObject::invokeMethod(&w, "TimerInterrupt"));
    };
    auto setSeconds = [&w](double s) {
        w.parameterStore()->insertOrUpdate(Parameter{QStringLiteral("STAT_FLTTIME"), s});
    };

    setSeconds(150);
    tick(3);
    QCOMPARE(label->text(), QStringLiteral("2分"));

    // Something else wrote the label (the form's texts): the next tick
    // writes the flight time again.
    label->setText(QStringLiteral("0分"));
    tick(1);
    QCOMPARE(label->text(), QStringLiteral("2分"));

    // Within the same minute nothing changes; a new minute shows.
    setSeconds(179);
    tick(2);
    QCOMPARE(label->text(), QStringLiteral("2分"));
    setSeconds(180);
    tick(1);
    QCOMPARE(label->text(), QStringLiteral("3分"));

    // A language switch translates the unit, and the ticks keep it.
    english->setChecked(true);
    QCOMPARE(label->text(), QStringLiteral("3min"));
    tick(3);
    QCOMPARE(label->text(), QStringLiteral("3min"));
    setSeconds(245);
    tick(1);
    QCOMPARE(label->text(), QStringLiteral("4min"));
    chinese->setChecked(true);
    tick(1);
    QCOMPARE(label->text(), QStringLiteral("4分"));

    // The label reset to the same text as before the switch, in the other
    // language's form: rewritten in the current one.
    label->setText(QStringLiteral("4min"));
    tick(1);
    QCOMPARE(label->text(), QStringLiteral("4分"));
}

QTEST_MAIN(WindowTickTest)
#include "tst_window_tick.moc"
