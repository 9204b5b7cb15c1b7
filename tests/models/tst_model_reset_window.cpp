// A model-button reset in the whole window against the simulated flight
// controller: the window's own wiring carries the writes, their echoes and
// the reboot; the reconnect after the reboot wait downloads again and the new
// model's button is highlighted.

#include "app/MainWindow.h"
#include "link/Mav2Uart_Worker.h"
#include "pages/ModelPage.h"
#include "pages/PageContext.h"
#include "params/ParameterStore.h"
#include "sim/SimulatedFlightController.h"
#include "sim/SimulatorPortSource.h"

#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>

class ModelResetWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void resetRebootsAndReconnectsToTheNewModel();
};

void ModelResetWindowTest::resetRebootsAndReconnectsToTheNewModel()
{
    QTemporaryDir dir;
    SimulatedFlightController sim;
    sim.setBaudRate(0);
    QString error;
    QVERIFY2(sim.start(&error), qPrintable(error));

    MainWindow::Options options;
    options.portSource = SimulatorPortSource::only(sim.portPath());
    options.settingsFile = dir.filePath(QStringLiteral("settings.ini"));
    MainWindow w(options);
    w.show();
    auto *open = w.findChild<QPushButton *>(QStringLiteral("OpenUart"));
    auto *ports = w.findChild<QComboBox *>(QStringLiteral("Uartbox"));
    QVERIFY(open && ports);
    QTRY_VERIFY(ports->findText(sim.portPath()) >= 0);
    ports->setCurrentIndex(ports->findText(sim.portPath()));
    open->click();
    QTRY_COMPARE_WITH_TIMEOUT(open->text(), QStringLiteral("成 功"), 30000);
    QTRY_VERIFY(w.linkWorker()->readParamDone);

    ModelPage *page = w.modelPage();
    QStringList boxes;
    connect(page, &ModelPage::boxShown, this, [&](QMessageBox *box) {
        boxes << box->text();
        (box->button(QMessageBox::Yes) ? box->button(QMessageBox::Yes) : box->button(QMessageBox::Ok))->click();
    });
    w.findChild<QPushButton *>(QStringLiteral("nav_BT4"))->click();
    QCOMPARE(w.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"))->currentIndex(), 3);
    auto *alder = page->findChild<QPushButton *>(QStringLiteral("type1_pushButton"));
    QVERIFY(alder->isVisible());
    // The navigation may write (the rotor page's protective servo mode); let
    // those writes be answered before the reset is looked at.
    Mav2Uart_Worker *worker = w.linkWorker();
    auto settled = [worker] {
        int pending = -1;
        QMetaObject::invokeMethod(worker, [&pending, worker] { pending = worker->pendingWriteCount(); },
                                  Qt::BlockingQueuedConnection);
        return pending == 0;
    };
    QTRY_VERIFY(settled());
    sim.clearObservations();

    alder->click();

    // The question only: every write was confirmed.
    QCOMPARE(boxes, QStringList{QStringLiteral("是否将飞控重置为Alder参数")});
    const QList<QPair<QString, float>> sets = sim.paramSets();
    QStringList names;
    for (const auto &s : sets)
        names << s.first;
    QVERIFY2(sets.size() == 35, qPrintable(names.join(QLatin1Char(' '))));
    QCOMPARE(sets.first().first, QStringLiteral("fw_version"));
    QCOMPARE(sets.last(), qMakePair(QStringLiteral("fw_version"), 1.0f));
    QTRY_VERIFY(sim.commands().contains(246));

    // The reconnect downloads the reset table and the page highlights Alder.
    QTRY_COMPARE_WITH_TIMEOUT(w.pageContext()->modelId, 1, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(open->text(), QStringLiteral("成 功"), 30000);
    QCOMPARE(w.parameterStore()->findParameterValue(QStringLiteral("ATC_RAT_YAW_P")), double(0.23f));
    QVERIFY(alder->styleSheet().contains(QStringLiteral("url(:/types/Alder.jpg)")));
    QVERIFY(!alder->styleSheet().contains(QStringLiteral("hover")));
    sim.stop();
}

QTEST_MAIN(ModelResetWindowTest)
#include "tst_model_reset_window.moc"
