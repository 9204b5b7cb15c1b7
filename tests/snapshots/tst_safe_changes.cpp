// Snapshots, previews, presets and restores in the whole window against the simulated flight controller over a
// pseudo-terminal: what the user would do, with every dialog answered as it comes up.

#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include <algorithm>
#include <cstring>
#include <memory>

#include "app/AppStartup.h"
#include "app/MainWindow.h"
#include "app/ParamFilesBar.h"
#include "app/SafeChanges.h"
#include "dialogs/SnapshotsDialog.h"
#include "dialogs/WritePreviewDialog.h"
#include "link/Mav2Uart_Worker.h"
#include "link/ParamTransfer.h"
#include "pages/ModelPage.h"
#include "pages/PageContext.h"
#include "params/ModelPresets.h"
#include "params/ParamDiff.h"
#include "params/ParamFileParser.h"
#include "params/ParameterStore.h"
#include "params/SnapshotStore.h"
#include "sim/SimulatedFlightController.h"
#include "sim/SimulatorPortSource.h"
#include "widgets/NLineLabel.h"
#include "tests/WindowBesideSim.h"

namespace {

quint32 bits(float f)
{
    quint32 b = 0;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

// The window beside a simulated flight controller, with its own settings and snapshot folders; every preview and box
// is answered as configured and recorded.
struct Rig : public QObject
{
    QTemporaryDir dir;
    SimulatedFlightController sim;
    std::unique_ptr<MainWindow> w;
    bool acceptPreview = true;
    QMessageBox::StandardButton boxAnswer = QMessageBox::No; // Yes/No questions; Ok otherwise
    QStringList previewQuestions;
    QList<QStringList> previewChanges;
    QStringList boxTexts;
    QList<BatchAccount> accounts;
    QString shotPath; // a picture of the first preview goes here

    explicit Rig(const QString &snapshotDir = QString())
    {
        sim.setBaudRate(0);
        // Plain names that also read as encoded ones are taken decoded by the link (see the simulator); left out, the
        // table the window sees is the simulator's, name for name and bit for bit.
        QList<SimParameter> plain;
        for (const SimParameter &p : sim.parameters()) {
            mavlink_param_value_t m{};
            m.param_value = p.value;
            const QByteArray id = p.name.toLatin1();
            std::memcpy(m.param_id, id.constData(), size_t(std::min<int>(int(id.size()), 16)));
            if (ParamTransfer::decode(m).name == p.name)
                plain.append(p);
        }
        sim.setParameters(plain);
        QString error;
        if (!sim.start(&error))
            qFatal("simulator: %s", qPrintable(error));
        w = std::make_unique<MainWindow>(windowOptions(dir, sim.portPath(), snapshotDir));
        w->show();
        connect(w->safeChanges(), &SafeChanges::previewShown, this, &Rig::answerPreview);
        connect(w->modelPage(), &ModelPage::previewShown, this, &Rig::answerPreview);
        connect(w->safeChanges(), &SafeChanges::boxShown, this, &Rig::answerBox);
        connect(w->modelPage(), &ModelPage::boxShown, this, &Rig::answerBox);
        connect(w->safeChanges(), &SafeChanges::batchFinished, this,
                [this](const BatchAccount &a) { accounts.append(a); });
    }

    ~Rig() override
    {
        w.reset();
        sim.stop();
    }

    void answerPreview(WritePreviewDialog *preview)
    {
        if (!shotPath.isEmpty() && previewQuestions.isEmpty())
            preview->grab().save(shotPath);
        previewQuestions.append(preview->question());
        QStringList lines;
        for (int i = 0; i < preview->changesList()->count(); ++i)
            lines.append(preview->changesList()->item(i)->text());
        previewChanges.append(lines);
        (acceptPreview ? preview->acceptButton() : preview->rejectButton())->click();
    }

    void answerBox(QMessageBox *box)
    {
        boxTexts.append(box->text());
        QAbstractButton *b = box->button(QMessageBox::Ok);
        if (!b)
            b = box->button(boxAnswer);
        if (b)
            b->click();
        else
            box->reject();
    }

    QString boardFolder() const
    {
        return w->safeChanges()->snapshots().boardFolder(QString::fromLatin1(SimulatorPortSource::kSerialNumber));
    }

    int snapshotFiles() const
    {
        return int(QDir(boardFolder()).entryList({QStringLiteral("*.param")}, QDir::Files).size());
    }

    bool connectAndDownload() { return ::connectAndDownload(*w, sim.portPath()); }

    // Waits until the worker has no write waiting for its echo.
    bool settled()
    {
        return QTest::qWaitFor([this] { return pendingWrites(w->linkWorker()) == 0; }, 10000);
    }

    float simValue(const QString &name) const
    {
        float v = qQNaN();
        sim.parameterValue(name, &v);
        return v;
    }

    // Names whose simulator value differs (by the one rule) from the snapshot's.
    QStringList simDiffersFrom(const SnapshotData &snapshot) const
    {
        QStringList out;
        for (const Parameter &p : snapshot.parameters) {
            float v = 0;
            if (!sim.parameterValue(p.name, &v) || !ParamDiff::sameValue(double(v), p.value))
                out.append(p.name);
        }
        return out;
    }
};

// A snapshot file of the simulator's table with `changes` float values moved.
QString writeChangedSnapshot(const QString &path, const QList<SimParameter> &table, int changes)
{
    QList<Parameter> list;
    int changed = 0;
    for (const SimParameter &p : table) {
        double v = p.value;
        if (changed < changes && p.type == SimParameter::Real32 && p.name != QLatin1String("fw_version")) {
            v = double(p.value) + 1.5;
            ++changed;
        }
        list.append({p.name, v});
    }
    QString error;
    if (!SnapshotStore::writeFile(path, {QStringLiteral("pty"), QString(), true}, list, QDateTime::currentDateTime(),
                                  &error))
        qFatal("%s", qPrintable(error));
    return path;
}

} // namespace

class TestSafeChanges : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qRegisterMetaType<QMessageBox *>();
        // The program's look, so that a picture of the preview is the real one.
        AppStartup::installFontSubstitutes();
        AppStartup::applyStyleSheet(*qApp);
    }
    void downloadSnapshotSaveLoadAndDamagedFiles();
    void presetPreviewThenRestoreTheOriginalState();
    void restoreOverALossyLink();
    void linkDroppedMidRestoreListsTheRest();
    void restoreGoesOnAfterTheReconnect();
    void unwritableFolderWarnsAndGoesOn();
};

void TestSafeChanges::downloadSnapshotSaveLoadAndDamagedFiles()
{
    Rig rig;
    auto *bar = rig.w->paramFilesBar();
    QVERIFY(!bar->saveButton()->isEnabled() && !bar->loadButton()->isEnabled());
    QVERIFY(bar->snapshotsButton()->isEnabled());
    QSignalSpy taken(rig.w->safeChanges(), &SafeChanges::snapshotTaken);
    QVERIFY(rig.connectAndDownload());
    QTRY_COMPARE(taken.size(), 1);
    QVERIFY(taken.at(0).at(1).toBool());
    QVERIFY(bar->saveButton()->isEnabled() && bar->loadButton()->isEnabled());

    // In the board's folder, named after the simulator's fixed serial number.
    const QString path = taken.at(0).at(0).toString();
    QCOMPARE(QFileInfo(path).absolutePath(), rig.boardFolder());
    const SnapshotData snap = SnapshotStore::read(path);
    QVERIFY2(snap.info.readable, qPrintable(snap.info.problem));
    QVERIFY(snap.info.complete);
    QCOMPARE(snap.info.serialNumber, QString::fromLatin1(SimulatorPortSource::kSerialNumber));
    QCOMPARE(snap.info.port, rig.sim.portPath());
    const QList<SimParameter> table = rig.sim.parameters();
    QCOMPARE(snap.parameters.size(), table.size());
    QHash<QString, float> simValues;
    for (const SimParameter &p : table)
        simValues.insert(p.name, p.value);
    for (const Parameter &p : snap.parameters) {
        QVERIFY2(simValues.contains(p.name), qPrintable(p.name));
        QCOMPARE(bits(float(p.value)), bits(simValues.value(p.name)));
    }

    // A second download of the same table writes no file.
    emit rig.w->startParamRead_value();
    QTRY_COMPARE_WITH_TIMEOUT(taken.size(), 2, 30000);
    QVERIFY(!taken.at(1).at(1).toBool());
    QCOMPARE(rig.snapshotFiles(), 1);
    QVERIFY(rig.settled());

    // Damaged and incomplete snapshots are never restored.
    rig.sim.clearObservations();
    const QString folder = rig.boardFolder();
    const QString good = writeChangedSnapshot(folder + QStringLiteral("/20300101-000000.param"), rig.sim.parameters(), 5);
    QFile in(good);
    QVERIFY(in.open(QIODevice::ReadOnly));
    const QByteArray text = in.readAll();
    auto put = [&](const QString &name, const QByteArray &bytes) {
        QFile f(folder + QLatin1Char('/') + name);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return f.fileName();
    };
    const QString truncated = put(QStringLiteral("20300101-000001.param"), text.left(text.size() / 2));
    const QString incomplete =
        put(QStringLiteral("20300101-000002.param"), QByteArray(text).replace("# state: complete", "# state: incomplete"));

    for (const QString &refused : {truncated, incomplete})
        rig.w->safeChanges()->restoreSnapshot(refused);
    QCOMPARE(rig.previewQuestions.size(), 0);
    QCOMPARE(rig.boxTexts.size(), 2);
    QVERIFY(rig.sim.paramSets().isEmpty());

    // Listed, but the restore button stays off for both.
    bool looked = false;
    connect(rig.w->safeChanges(), &SafeChanges::snapshotsDialogShown, &rig, [&](SnapshotsDialog *d) {
        QVERIFY(d->selectPath(truncated));
        QCOMPARE(d->tree()->currentItem()->text(3), QStringLiteral("无法读取"));
        QVERIFY(!d->restoreButton()->isEnabled());
        QVERIFY(d->selectPath(incomplete));
        QVERIFY(!d->restoreButton()->isEnabled());
        QVERIFY(d->selectPath(good));
        QVERIFY(d->restoreButton()->isEnabled());
        if (const QString shot = qEnvironmentVariable("TAVRO_SNAPSHOTS_SHOT"); !shot.isEmpty())
            d->grab().save(shot); // a picture of the list
        looked = true;
        d->reject();
    });
    rig.w->paramFilesBar()->snapshotsButton()->click();
    QVERIFY(looked);
    QVERIFY(rig.sim.paramSets().isEmpty());

    // Saved and loaded from the window.
    rig.accounts.clear();
    const QString saved = rig.dir.filePath(QStringLiteral("out/saved.param"));
    QVERIFY(rig.w->safeChanges()->saveParametersTo(saved));
    const SnapshotData back = SnapshotStore::read(saved);
    QVERIFY(back.info.readable);
    QCOMPARE(back.parameters.size(), rig.w->parameterStore()->size());

    // A file with one change, one unchanged line, one unknown name and one bad line.
    const float yaw = rig.simValue(QStringLiteral("ATC_RAT_YAW_P"));
    const float colMax = rig.simValue(QStringLiteral("H_COL_MAX"));
    const QString file = rig.dir.filePath(QStringLiteral("load.param"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("ATC_RAT_YAW_P,0.27\nH_COL_MAX," + SnapshotStore::formatValue(colMax).toLatin1()
            + "\nNO_SUCH_PARAM,1\nBAD LINE\n");
    f.close();
    rig.sim.clearObservations();
    rig.acceptPreview = false;
    rig.w->safeChanges()->loadParametersFrom(file);
    QCOMPARE(rig.previewChanges.size(), 1);
    QCOMPARE(rig.previewChanges.first(), QStringList{QStringLiteral("ATC_RAT_YAW_P: %1 -> 0.27")
                                                         .arg(SnapshotStore::formatValue(yaw))});
    QVERIFY(rig.sim.paramSets().isEmpty()); // the preview answered No: nothing written

    rig.acceptPreview = true;
    rig.w->safeChanges()->loadParametersFrom(file);
    QCOMPARE(rig.accounts.size(), 1);
    QVERIFY(rig.accounts.first().allConfirmed());
    // Every valid known line in file order, the unchanged one too.
    const QList<QPair<QString, float>> sets = rig.sim.paramSets();
    QCOMPARE(sets.size(), 2);
    QCOMPARE(sets.at(0), qMakePair(QStringLiteral("ATC_RAT_YAW_P"), 0.27f));
    QCOMPARE(sets.at(1).first, QStringLiteral("H_COL_MAX"));
}

void TestSafeChanges::presetPreviewThenRestoreTheOriginalState()
{
    Rig rig;
    QSignalSpy taken(rig.w->safeChanges(), &SafeChanges::snapshotTaken);
    QVERIFY(rig.connectAndDownload());
    QTRY_COMPARE(taken.size(), 1);
    const QString original = taken.at(0).at(0).toString();
    QVERIFY(rig.settled());

    // A page write, confirmed, then a preset: the snapshot before the preset's batch holds the page's value.
    rig.w->pageContext()->writeParameter(QStringLiteral("ATC_RAT_YAW_P"), 0.31f);
    QTRY_COMPARE(rig.w->parameterStore()->findParameterValue(QStringLiteral("ATC_RAT_YAW_P")), double(0.31f));

    // What the preview must list: the preset's lines (and the model id
    // after them) whose value differs from the simulator's.
    const int modelId = int(rig.w->pageContext()->modelId);
    QVERIFY(modelId >= 1);
    const QList<int> offered = ModelPresets::offeredIndexes(modelId);
    QVERIFY(!offered.isEmpty());
    const ModelPreset row = ModelPresets::rows().at(offered.first());
    QList<ParamFileEntry> wanted = ParamFileParser::readFile(QString::fromLatin1(row.presetPath)).content.entries;
    wanted.append(ParamFileEntry{QStringLiteral("fw_version"), float(row.modelId), 0});
    QStringList expected;
    for (const ParamFileEntry &e : wanted) {
        float v = 0;
        if (rig.sim.parameterValue(e.name, &v) && !ParamDiff::sameValue(double(v), double(e.value)))
            expected.append(e.name);
    }
    QVERIFY(!expected.isEmpty());

    rig.boxAnswer = QMessageBox::Yes;
    // TAVRO_PREVIEW_SHOT=file.png keeps a picture of the preset's preview (the README's screenshot).
    rig.shotPath = qEnvironmentVariable("TAVRO_PREVIEW_SHOT");
    rig.w->modelPage()->typeButtons().at(offered.first())->click();
    QCOMPARE(rig.previewQuestions.size(), 1);
    QCOMPARE(rig.previewQuestions.first(),
             QCoreApplication::translate(ModelPresets::translationContext, row.confirmationText));
    QStringList listed;
    for (const QString &line : rig.previewChanges.first())
        listed.append(line.section(QLatin1Char(':'), 0, 0));
    QCOMPARE(listed, expected);
    QVERIFY(taken.size() >= 2);
    const SnapshotData before = SnapshotStore::read(taken.at(1).at(0).toString());
    QCOMPARE(float(ParameterStore::findParameterValue(before.parameters, QStringLiteral("ATC_RAT_YAW_P"))), 0.31f);

    // The preset's reboot and reconnect: a new download.
    QTRY_VERIFY_WITH_TIMEOUT(rig.w->linkWorker()->readParamDone.load(), 30000);
    QVERIFY(rig.settled());
    const SnapshotData first = SnapshotStore::read(original);
    QVERIFY(!rig.simDiffersFrom(first).isEmpty());

    // The snapshots dialog lists the original state first-marked; restore it.
    connect(rig.w->safeChanges(), &SafeChanges::snapshotsDialogShown, &rig, [&](SnapshotsDialog *d) {
        QVERIFY(d->selectPath(original));
        QVERIFY(d->tree()->currentItem()->text(0).contains(QStringLiteral("原始状态")));
        QVERIFY(d->tree()->currentItem()->text(4).toInt() > 0);
        QVERIFY(d->restoreButton()->isEnabled());
        d->restoreButton()->click();
    });
    rig.boxAnswer = QMessageBox::No; // no reboot
    rig.accounts.clear();
    rig.w->paramFilesBar()->snapshotsButton()->click();
    QCOMPARE(rig.accounts.size(), 1);
    QVERIFY(rig.accounts.first().allConfirmed());
    QCOMPARE(rig.simDiffersFrom(first), QStringList());
    // Only the differences were written.
    QCOMPARE(rig.accounts.first().total(), rig.previewChanges.last().size());
}

void TestSafeChanges::restoreOverALossyLink()
{
    Rig rig;
    QVERIFY(rig.connectAndDownload() && rig.settled());
    const QString path = writeChangedSnapshot(rig.dir.filePath(QStringLiteral("lossy.param")), rig.sim.parameters(), 60);
    rig.sim.setDropProbability(0.05);
    rig.sim.setEchoDropProbability(0.05);
    rig.sim.setSeed(7);
    rig.w->safeChanges()->restoreSnapshot(path);
    QCOMPARE(rig.accounts.size(), 1);
    const BatchAccount a = rig.accounts.first();
    QCOMPARE(a.total(), int(rig.previewChanges.last().size())); // only the differences
    QVERIFY(a.notSent.isEmpty());
    // Every parameter still different is named as not confirmed.
    const QStringList differ = rig.simDiffersFrom(SnapshotStore::read(path));
    QStringList unconfirmed;
    for (const BatchWrite &b : a.unconfirmed)
        unconfirmed.append(b.name);
    for (const QString &name : differ)
        QVERIFY2(unconfirmed.contains(name), qPrintable(name));
    if (a.allConfirmed())
        QVERIFY(differ.isEmpty());
}

void TestSafeChanges::linkDroppedMidRestoreListsTheRest()
{
    Rig rig;
    QVERIFY(rig.connectAndDownload() && rig.settled());
    const QString path = writeChangedSnapshot(rig.dir.filePath(QStringLiteral("drop.param")), rig.sim.parameters(), 400);
    // The flight controller goes silent half a second into the batch.
    connect(rig.w->pageContext(), &PageContext::writeBatchStarting, &rig,
            [&rig] { QTimer::singleShot(500, &rig, [&rig] { rig.sim.setSilent(true); }); });
    rig.boxAnswer = QMessageBox::No; // do not continue
    rig.w->safeChanges()->restoreSnapshot(path);
    QCOMPARE(rig.accounts.size(), 1);
    const BatchAccount a = rig.accounts.first();
    QVERIFY(a.linkLost);
    QCOMPARE(a.total(), int(rig.previewChanges.last().size()));
    QVERIFY(!a.notSent.isEmpty());
    QVERIFY(!a.confirmed.isEmpty());
    // The box names what was not sent.
    QVERIFY(rig.boxTexts.last().contains(QStringLiteral("未发送：%1 个").arg(a.notSent.size())));
    QVERIFY(!rig.w->safeChanges()->continuationPending());
    // Nothing the account calls not sent reached the flight controller.
    QSet<QString> sent;
    for (const auto &s : rig.sim.paramSets())
        sent.insert(s.first);
    for (const BatchWrite &b : a.notSent)
        QVERIFY2(!sent.contains(b.name), qPrintable(b.name));
}

void TestSafeChanges::restoreGoesOnAfterTheReconnect()
{
    Rig rig;
    QVERIFY(rig.connectAndDownload() && rig.settled());
    const QString path = writeChangedSnapshot(rig.dir.filePath(QStringLiteral("resume.param")), rig.sim.parameters(), 300);
    connect(rig.w->pageContext(), &PageContext::writeBatchStarting, &rig, [&rig] {
        if (rig.accounts.isEmpty())
            QTimer::singleShot(500, &rig, [&rig] { rig.sim.setSilent(true); });
    });
    rig.boxAnswer = QMessageBox::Yes; // go on after reconnecting
    rig.w->safeChanges()->restoreSnapshot(path);
    QCOMPARE(rig.accounts.size(), 1);
    QVERIFY(rig.accounts.first().linkLost);
    QVERIFY(rig.w->safeChanges()->continuationPending());
    // The flight controller is back: the reconnect downloads, the download
    // settles the unconfirmed writes, the rest is written.
    rig.sim.setSilent(false);
    QTRY_COMPARE_WITH_TIMEOUT(rig.accounts.size(), 2, 60000);
    const BatchAccount second = rig.accounts.at(1);
    QVERIFY(!second.linkLost);
    QVERIFY(second.total() <= rig.accounts.first().remaining().size());
    QVERIFY(second.total() >= rig.accounts.first().notSent.size());
    QVERIFY(second.allConfirmed());
    QCOMPARE(rig.simDiffersFrom(SnapshotStore::read(path)), QStringList());
}

void TestSafeChanges::unwritableFolderWarnsAndGoesOn()
{
    QTemporaryDir dir;
    QFile plain(dir.filePath(QStringLiteral("plain")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    Rig rig(dir.filePath(QStringLiteral("plain/snapshots")));
    QSignalSpy warnings(rig.w->safeChanges(), &SafeChanges::warning);
    QVERIFY(rig.connectAndDownload());
    QTRY_COMPARE(warnings.size(), 1);
    auto *strip = rig.w->findChild<NLineLabel *>(QStringLiteral("warn_txt_widget"));
    QVERIFY(strip->toolTip().contains(QStringLiteral("参数快照无法保存")));
    // Writes go on, and one warning is enough.
    QVERIFY(rig.settled());
    rig.w->pageContext()->writeParameter(QStringLiteral("ATC_RAT_YAW_P"), 0.29f);
    QTRY_COMPARE(rig.w->parameterStore()->findParameterValue(QStringLiteral("ATC_RAT_YAW_P")), double(0.29f));
    QVERIFY(!rig.w->safeChanges()->takeSnapshot());
    QCOMPARE(warnings.size(), 1);
}

QTEST_MAIN(TestSafeChanges)
#include "tst_safe_changes.moc"
