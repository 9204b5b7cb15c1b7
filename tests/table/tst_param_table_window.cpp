// The all-parameters table in the whole window beside the simulated flight controller: where it opens, and a
// comparison whose chosen differing rows go through the window's write preview and batch.

#include <QCheckBox>
#include <QListWidget>
#include <QMessageBox>
#include <QTableView>
#include <QtTest>

#include <memory>

#include "app/SafeChanges.h"
#include "dialogs/AllParametersDialog.h"
#include "dialogs/WritePreviewDialog.h"
#include "pages/TuningPage.h"
#include "params/ParameterStore.h"
#include "params/ParameterTableModel.h"
#include "sim/SimulatedFlightController.h"
#include "tests/WindowBesideSim.h"

class TestParamTableWindow : public QObject
{
    Q_OBJECT

private slots:
    void openedFromTheParametersPageAndWritesThroughThePreview();
};

void TestParamTableWindow::openedFromTheParametersPageAndWritesThroughThePreview()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SimulatedFlightController sim;
    sim.setBaudRate(0);
    sim.setEncodedParams(true);
    QString error;
    QVERIFY2(sim.start(&error), qPrintable(error));
    auto w = std::make_unique<MainWindow>(windowOptions(dir, sim.portPath()));
    w->show();

    // Before a download: the button is there but cannot be used, and the table does not exist yet.
    auto *open = w->tuningPage()->findChild<QPushButton *>(QStringLiteral("allParameters_pB"));
    QVERIFY(open);
    QVERIFY(!open->isEnabled());
    QVERIFY(!w->findChild<AllParametersDialog *>());

    QVERIFY(connectAndDownload(*w, sim.portPath()));
    QTRY_VERIFY(open->isEnabled());

    if (qEnvironmentVariableIsSet("TAVRO_SCREENSHOTS")) {
        // The parameters page with its button, for the pictures.
        w->findChild<QPushButton *>(QStringLiteral("nav_BT3"))->click();
        QTest::qWait(100);
        w->grab().save(QDir(qEnvironmentVariable("TAVRO_SCREENSHOTS")).filePath(QStringLiteral("parameters-page-button.png")));
    }
    open->click();
    auto *table = w->findChild<AllParametersDialog *>();
    QVERIFY(table);
    QTRY_VERIFY(table->isVisible());
    QVERIFY(table->linkUp());
    QCOMPARE(table->model()->rowCount(), w->parameterStore()->size());

    // Two rows differ from the file; both are chosen and written.
    ParameterStore *store = w->parameterStore();
    const float trim = float(store->findParameterValue(QStringLiteral("SERVO2_TRIM"))) + 12.0f;
    const float gain = 0.5f;
    const QString path = dir.filePath(QStringLiteral("wanted.param"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("SERVO2_TRIM,%1\nATC_RAT_RLL_I,%2\n")
                .arg(ParameterTableModel::formatValue(trim), ParameterTableModel::formatValue(gain))
                .toUtf8());
    f.close();
    QVERIFY(table->compareWithFile(path, QStringLiteral("wanted.param")));
    QCOMPARE(table->model()->differingCount(), 2);
    table->differencesOnlyBox()->setChecked(true);
    table->view()->selectAll();

    QStringList questions;
    QStringList changes;
    connect(w->safeChanges(), &SafeChanges::previewShown, this, [&](WritePreviewDialog *preview) {
        questions.append(preview->question());
        changes.append(QString::number(preview->changesList()->count()));
        preview->acceptButton()->click();
    });
    QStringList boxes;
    connect(w->safeChanges(), &SafeChanges::boxShown, this, [&](QMessageBox *box) {
        boxes.append(box->text());
        box->reject();
    });
    QSignalSpy finished(w->safeChanges(), &SafeChanges::batchFinished);
    sim.clearObservations();
    auto *write = table->findChild<QPushButton *>(QStringLiteral("writeDifferencesButton"));
    QVERIFY(write && write->isVisible() && write->isEnabled());
    write->click();
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
    // The batch's one account: both confirmed.
    QTRY_COMPARE(boxes.size(), 1);
    QVERIFY2(boxes.first().contains(QStringLiteral("已写入并确认：2")), qPrintable(boxes.first()));
    QCOMPARE(questions.size(), 1);
    QVERIFY(questions.first().contains(QLatin1String("wanted.param")));
    QCOMPARE(changes, QStringList{QStringLiteral("2")});
    float held[2] = {0.0f, 0.0f};
    QVERIFY(sim.parameterValue(QStringLiteral("SERVO2_TRIM"), &held[0]));
    QVERIFY(sim.parameterValue(QStringLiteral("ATC_RAT_RLL_I"), &held[1]));
    QCOMPARE((QList<float>{held[0], held[1]}), (QList<float>{trim, gain}));
    const auto sets = sim.paramSets();
    QCOMPARE(int(std::count_if(sets.cbegin(), sets.cend(), [](const auto &s) {
                 return s.first == "SERVO2_TRIM" || s.first == "ATC_RAT_RLL_I";
             })), 2); // each written once
    // The confirmations reach the table: nothing differs any more.
    QTRY_COMPARE_WITH_TIMEOUT(table->model()->differingCount(), 0, 5000);
    QCOMPARE(table->view()->model()->rowCount(), 0);

    // Link loss: values stay, dimmed, no editing.
    sim.setSilent(true);
    QTRY_VERIFY_WITH_TIMEOUT(!table->linkUp(), 15000);
    QCOMPARE(table->model()->rowCount(), store->size());
    w.reset();
    sim.stop();
}

QTEST_MAIN(TestParamTableWindow)
#include "tst_param_table_window.moc"
