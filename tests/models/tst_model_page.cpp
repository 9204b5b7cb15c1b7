// The parameter-file loader and the model page: preset resets against the simulated flight controller
// through a real link worker (and once through the whole window), unconfirmed writes, buttons per model group.

#include <QImage>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QStackedWidget>
#include <QtTest>

#include <memory>
#include <utility>

#include "app/MainWindow.h"
#include "SimLink.h"
#include "link/Mav2Uart_Worker.h"
#include "dialogs/WritePreviewDialog.h"
#include "pages/ModelPage.h"
#include "pages/PageContext.h"
#include "pages/ParamFileLoader.h"
#include "params/ModelPresets.h"
#include "params/ParamFileParser.h"
#include "params/ParameterStore.h"
#include "sim/SimulatedFlightController.h"
#include "sim/SimulatorPortSource.h"
#include "tests/WindowBesideSim.h"

namespace {

constexpr uint16_t kCmdReboot = 246; // MAV_CMD_PREFLIGHT_REBOOT_SHUTDOWN
using Entries = QList<QPair<QString, float>>;

struct Event
{
    enum Kind { Write, Value, Failed, Reboot, Reconnect, Box } kind;
    QString name;
    float value = 0.0f;
    qint64 atMs = 0;
};

// A window, its context and the model page, with the simulated flight controller behind a real link worker; every
// write, echo, failure, reboot, reconnect and box is logged in order.
class Rig : public QObject
{
public:
    ParameterStore store;
    QWidget *window = new QWidget;
    PageContext ctx{&store, window};
    ModelPage *page = new ModelPage(&ctx, window);
    std::unique_ptr<SimLink> link = std::make_unique<SimLink>(&ctx, 3);
    SimulatedFlightController &sim = link->sim;
    QList<Event> events;
    QElapsedTimer clock;
    bool recordValues = false;
    QMessageBox::StandardButton answer = QMessageBox::Yes;
    QStringList boxTexts;
    QStringList boxDetails;
    Entries setsAtReboot;
    bool dialogUpWhileWaiting = false;
    QList<int> previews;

    explicit Rig(float fwVersion = 3)
    {
        QList<SimParameter> table = sim.parameters();
        for (SimParameter &p : table) {
            if (p.name == QLatin1String("fw_version"))
                p.value = fwVersion;
        }
        sim.setParameters(table);
        sim.setBaudRate(0);
        clock.start();
        for (QPushButton *b : page->typeButtons())
            connect(b, &QPushButton::clicked, page, &ModelPage::on_typesButtonClicked);
        connect(&ctx, &PageContext::writeParameterRequested, this,
                [this](const QString &n, float v) { log(Event::Write, n, v); });
        connect(&store, &ParameterStore::parameterChanged, this, [this](const QString &n, double v) {
            if (recordValues)
                log(Event::Value, n, float(v));
        });
        connect(&ctx, &PageContext::parameterWriteFailed, this, [this](const QString &n, float v) {
            log(Event::Failed, n, v);
            for (QProgressDialog *d : window->findChildren<QProgressDialog *>())
                dialogUpWhileWaiting |= d->isVisible() && d->windowTitle() == QStringLiteral("参数加载中...");
        });
        connect(&ctx, &PageContext::rebootRequested, this, [this] {
            log(Event::Reboot);
            setsAtReboot = sim.paramSets();
        });
        connect(&ctx, &PageContext::reconnectRequested, this, [this] { log(Event::Reconnect); });
        connect(page, &ModelPage::previewShown, this, [this](WritePreviewDialog *preview) {
            log(Event::Box, QStringLiteral("preview"));
            boxTexts.append(preview->question());
            boxDetails.append(preview->summaryText());
            previews.append(preview->changesList()->count());
            if (answer == QMessageBox::Yes)
                preview->acceptButton()->click();
            else
                preview->rejectButton()->click();
        });
        connect(page, &ModelPage::boxShown, this, [this](QMessageBox *box) {
            log(Event::Box, box->windowTitle());
            boxTexts.append(box->text());
            boxDetails.append(box->detailedText());
            box->button(box->button(QMessageBox::Yes) ? answer : QMessageBox::Ok)->click();
        });
        window->show();
    }

    ~Rig() override
    {
        link.reset();
        delete window;
    }

    bool startAndDownload()
    {
        if (!link->start(nullptr) || !link->download(30000))
            return false;
        sim.clearObservations();
        recordValues = true;
        ctx.modelId = ModelPresets::modelIdFromValue(store.findParameterValue(QStringLiteral("fw_version")));
        page->showParameters();
        return true;
    }

    QPushButton *button(int number) const
    {
        return page->findChild<QPushButton *>(QStringLiteral("type%1_pushButton").arg(number));
    }

    void log(Event::Kind kind, const QString &name = {}, float value = 0.0f)
    {
        events.append({kind, name, value, clock.elapsed()});
    }

    QList<Event> eventsOf(Event::Kind kind) const
    {
        QList<Event> out;
        for (const Event &e : events)
            if (e.kind == kind)
                out.append(e);
        return out;
    }
    Entries written() const
    {
        Entries out;
        for (const Event &e : eventsOf(Event::Write))
            out.append({e.name, e.value});
        return out;
    }
    int indexOf(Event::Kind kind, const QString &name = {}) const
    {
        for (int i = 0; i < events.size(); ++i)
            if (events[i].kind == kind && (name.isEmpty() || events[i].name == name))
                return i;
        return -1;
    }
    float simValue(const QString &name) const
    {
        float v = qQNaN();
        sim.parameterValue(name, &v);
        return v;
    }
};

QString writeFile(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath(QStringLiteral("test.param"));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

QString sheet(const QString &picture, bool selected)
{
    if (selected)
        return QStringLiteral("QPushButton{border-image: url(:/types/%1.jpg);background-position:center;"
                              "background-repeat: no-repeat;border:none;\n}").arg(picture);
    return QStringLiteral("QPushButton{border-image: url(:/types/%1-noselected.jpg);background-position:center;"
                          "background-repeat: no-repeat;border:none;\n}QPushButton:hover{\tborder-image: "
                          "url(:/types/%1.jpg);}").arg(picture);
}

} // namespace

class ModelPageTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<QMessageBox *>(); }
    void loaderWritesValidLinesInOrder();
    void loaderProgressDialog();
    void loaderMissingFileWarns();
    void loaderStopsWhenTheWindowGoes();
    void buttonsFollowTheModelGroup();
    void presetResetWritesTheFileThenTheIdAndRebootsAfterEveryEcho();
    void remarkedFirstLineAndAnsweringNo();
    void unconfirmedWritesAreListedBeforeTheReboot();
    void withoutAnyAnswerTheWaitEndsAfterTheRetryWindow();
    void resetInTheWholeWindow();
    void picturesForScaledScreens();
};

void ModelPageTest::loaderWritesValidLinesInOrder()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, "\xEF\xBB\xBF" "fw_version,12\r\n" // 1
                                        "  ATC_RAT_YAW_P ,  0.25  \n"      // 2
                                        "\n"                               // 3
                                        "# ATC_RAT_YAW_P,0.30\n"           // 4
                                        "ATC_RAT_RLL_P,0.05 #soft\n"       // 5 remark after the value: skipped
                                        "H_COL_MAX,1850,\n"                // 6
                                        "H_COL_MIN\n"                      // 7
                                        "PSC_POSZ_P,1#x\n"                 // 8
                                        "H_RSC_SETPOINT,-1.5e1\n"          // 9
                                        "BAD-NAME,3\n"                     // 10
                                        "LOIT_BRK_ACCEL,275");             // 11
    Rig rig;
    rig.store.insertOrUpdate({QStringLiteral("ATC_RAT_YAW_P"), 0.2});
    QList<bool> updatingAtWrite;
    connect(&rig.ctx, &PageContext::writeParameterRequested, &rig, [&](const QString &n, float v) {
        updatingAtWrite.append(rig.store.paramUiUpdating);
        if (n == QLatin1String("ATC_RAT_YAW_P")) // an echo in the middle keeps the load's flag
            rig.store.setParameterValue(n, double(v));
    });
    ParamFileLoader loader(&rig.ctx);
    QSignalSpy progress(&loader, &ParamFileLoader::progressChanged);
    QCOMPARE(loader.readParametersFromFile(path), 4);
    QCOMPARE(rig.written(), (Entries{{"fw_version", 12}, {"ATC_RAT_YAW_P", 0.25f}, {"H_RSC_SETPOINT", -15},
                               {"LOIT_BRK_ACCEL", 275}}));
    for (int i = 1; i < rig.events.size(); ++i)
        QVERIFY(rig.events.at(i).atMs - rig.events.at(i - 1).atMs >= 10);
    QCOMPARE(updatingAtWrite, (QList<bool>{true, true, true, true}));
    QVERIFY(!rig.store.paramUiUpdating);
    // Skipped lines count: the progress ends below 100.
    QList<int> values;
    for (const QList<QVariant> &args : std::as_const(progress))
        values.append(args.at(0).toInt());
    QCOMPARE(values, (QList<int>{9, 18, 27, 36}));
    QTRY_VERIFY(rig.window->findChildren<QProgressDialog *>().isEmpty());

    // Comments only: nothing written, the dialog stays at 0; a caller's set flag comes back set.
    const QString comments = writeFile(dir, "# a preset\r\n\r\n  # indented\n");
    rig.store.paramUiUpdating = true;
    loader.setKeepDialogOpen(true);
    QCOMPARE(loader.readParametersFromFile(comments), 0);
    QVERIFY(rig.store.paramUiUpdating);
    QCOMPARE(progress.size(), 4);
    QCOMPARE(loader.progressDialog()->value(), 0);
    loader.closeDialog();
    QVERIFY(!loader.progressDialog());
}

void ModelPageTest::loaderProgressDialog()
{
    QTemporaryDir dir;
    Rig rig;
    ParamFileLoader loader(&rig.ctx);
    for (const bool english : {false, true}) {
        rig.ctx.english = english;
        bool looked = false;
        const auto check = connect(&rig.ctx, &PageContext::writeParameterRequested, &rig.ctx, [&] {
            if (std::exchange(looked, true))
                return;
            QProgressDialog *d = loader.progressDialog();
            QVERIFY(d && d->isVisible() && d->isModal());
            QCOMPARE(d->parentWidget(), rig.window);
            QCOMPARE(d->windowTitle(), english ? QStringLiteral("params loading...") : QStringLiteral("参数加载中..."));
            QCOMPARE(d->minimumDuration(), 5);
            QVERIFY(!(d->windowFlags() & Qt::WindowCloseButtonHint));
            QVERIFY(d->findChildren<QPushButton *>().isEmpty()); // no cancel button
        });
        QCOMPARE(loader.readParametersFromFile(writeFile(dir, "fw_version,1\nH_COL_MAX,1850\n")), 2);
        QVERIFY(looked);
        disconnect(check);
    }
}

void ModelPageTest::loaderMissingFileWarns()
{
    QTemporaryDir dir;
    Rig rig;
    ParamFileLoader loader(&rig.ctx);
    QSignalSpy shown(&loader, &ParamFileLoader::warningShown);
    QCOMPARE(loader.readParametersFromFile(dir.filePath(QStringLiteral("absent.param"))), -1);
    QCOMPARE(shown.size(), 1);
    QVERIFY(!loader.progressDialog());
    QPointer<QMessageBox> box = qvariant_cast<QMessageBox *>(shown.at(0).at(0));
    QVERIFY(box && box->isVisible() && box->isModal()); // shown without blocking the caller
    QCOMPARE(box->parentWidget(), rig.window);
    QCOMPARE(box->windowTitle(), QStringLiteral("警告"));
    QCOMPARE(box->text(), QStringLiteral("找不到指定参数文件"));
    QCOMPARE(box->icon(), QMessageBox::Warning);
    box->button(QMessageBox::Ok)->click();
    QTRY_VERIFY(!box);

    QTranslator english;
    QVERIFY(english.load(QStringLiteral(":/TAVRO_en_US.qm")));
    QCoreApplication::installTranslator(&english);
    QCOMPARE(loader.readParametersFromFile(dir.path()), -1); // a folder is no file
    QCoreApplication::removeTranslator(&english);
    QCOMPARE(loader.readParametersFromFile(QStringLiteral(":/param/Absent.param")), -1);
    QCOMPARE(shown.size(), 3);
    box = qvariant_cast<QMessageBox *>(shown.at(1).at(0));
    QCOMPARE(box->windowTitle(), QStringLiteral("warn"));
    QCOMPARE(box->text(), QStringLiteral("Can not find the specified file"));
    QVERIFY(rig.events.isEmpty());
    for (QMessageBox *b : rig.window->findChildren<QMessageBox *>())
        b->button(QMessageBox::Ok)->click();
}

void ModelPageTest::loaderStopsWhenTheWindowGoes()
{
    QTemporaryDir dir;
    QByteArray text;
    for (int i = 1; i <= 10; ++i)
        text += "SERVO" + QByteArray::number(i) + "_TRIM,1500\n";
    ParameterStore store;
    auto *window = new QWidget;
    auto *ctx = new PageContext(&store, window, window);
    int writes = 0;
    connect(ctx, &PageContext::writeParameterRequested, ctx, [&] {
        // The third write's wait is where the window goes (link loss, quit).
        if (++writes == 3)
            QTimer::singleShot(0, window, [&] { delete std::exchange(window, nullptr); });
    });
    ParamFileLoader loader(ctx);
    QCOMPARE(loader.readParametersFromFile(writeFile(dir, text)), 3);
    QVERIFY(!window);
    QVERIFY(!loader.progressDialog());
    QVERIFY(!store.paramUiUpdating);
}

void ModelPageTest::buttonsFollowTheModelGroup()
{
    Rig rig;
    const auto refresh = [&](double fw) {
        rig.store.insertOrUpdate({QStringLiteral("fw_version"), fw});
        rig.ctx.modelId = ModelPresets::modelIdFromValue(rig.store.findParameterValue(QStringLiteral("fw_version")));
        rig.page->showParameters();
    };
    refresh(17.5);
    QCOMPARE(rig.ctx.modelId, 18);
    const QList<int> scale{10, 11, 12, 13, 15, 16, 17, 18, 20, 21, 22, 23, 24, 25};
    for (QPushButton *b : rig.page->typeButtons()) {
        const int number = b->objectName().section(QLatin1Char('_'), 0, 0).mid(4).toInt();
        QCOMPARE(b->isVisible(), scale.contains(number));
        QCOMPARE(b->isEnabled(), scale.contains(number));
    }
    QCOMPARE(rig.button(18)->styleSheet(), sheet(QStringLiteral("Linden"), true));
    QCOMPARE(rig.button(19)->styleSheet(), sheet(QStringLiteral("Larch"), false));

    refresh(4);
    QCOMPARE(rig.button(4)->styleSheet(), sheet(QStringLiteral("Elm-v3"), true));
    QCOMPARE(rig.button(18)->styleSheet(), sheet(QStringLiteral("Linden"), false));
    for (QPushButton *b : rig.page->typeButtons())
        QCOMPARE(b->isVisible(), b == rig.button(1) || b == rig.button(4));

    // No model id in the table: every button hidden, the pictures stay.
    rig.store.clearParameterValue();
    rig.ctx.modelId = ModelPresets::modelIdFromValue(rig.store.findParameterValue(QStringLiteral("fw_version")));
    rig.page->showParameters();
    QCOMPARE(rig.ctx.modelId, -1);
    for (QPushButton *b : rig.page->typeButtons())
        QVERIFY2(!b->isVisible() && !b->isEnabled(), qPrintable(b->objectName()));
    QCOMPARE(rig.button(4)->styleSheet(), sheet(QStringLiteral("Elm-v3"), true));
    QVERIFY(rig.events.isEmpty());
}

void ModelPageTest::presetResetWritesTheFileThenTheIdAndRebootsAfterEveryEcho()
{
    Rig rig;
    QVERIFY(rig.startAndDownload());
    rig.sim.setBaudRate(SimulatedFlightController::kDefaultBaud); // the flight controller's real speed
    QCOMPARE(rig.ctx.modelId, 3);
    rig.button(1)->click();

    QCOMPARE(rig.indexOf(Event::Box), 0);
    QCOMPARE(rig.events.at(0).name, QStringLiteral("preview"));
    QCOMPARE(rig.boxTexts, QStringList{QStringLiteral("是否将飞控重置为Alder参数")}); // no failure box
    // Every line in file order, then the model id: as sent and as received.
    Entries expected;
    for (const ParamFileEntry &e : ParamFileParser::readFile(QStringLiteral(":/param/Alder-V3.param")).content.entries)
        expected.append({e.name, e.value});
    QCOMPARE(expected.size(), 34);
    expected.append({QStringLiteral("fw_version"), 1.0f});
    QCOMPARE(rig.written(), expected);
    QCOMPARE(rig.setsAtReboot, expected);

    // One echo per write before the reboot, none failed; the reboot wait, then the reconnect.
    const int reboot = rig.indexOf(Event::Reboot);
    QVERIFY(rig.eventsOf(Event::Failed).isEmpty());
    int echoesBeforeReboot = 0;
    for (int i = 0; i < reboot; ++i)
        echoesBeforeReboot += rig.events[i].kind == Event::Value;
    QCOMPARE(echoesBeforeReboot, expected.size());
    QCOMPARE(rig.indexOf(Event::Reconnect), rig.events.size() - 1);
    const qint64 rebootWait = rig.events.last().atMs - rig.events[reboot].atMs;
    QVERIFY2(rebootWait >= 3000, qPrintable(QString::number(rebootWait)));
    QVERIFY(!rig.page->resetRunning());
    QTRY_VERIFY(rig.sim.commands().contains(kCmdReboot));
    QCOMPARE(rig.simValue(QStringLiteral("ATC_RAT_YAW_P")), 0.23f);
    QVERIFY(rig.window->findChildren<QProgressDialog *>().isEmpty());
}

void ModelPageTest::remarkedFirstLineAndAnsweringNo()
{
    Rig rig(12.0f);
    QVERIFY(rig.startAndDownload());
    rig.answer = QMessageBox::No;
    rig.button(10)->click();
    QCOMPARE(rig.events.size(), 1); // the question, nothing else
    QVERIFY(!rig.page->resetRunning());

    rig.answer = QMessageBox::Yes;
    rig.button(10)->click();
    QCOMPARE(rig.boxTexts.value(1), QStringLiteral("是否将飞控重置为Birch-2blades参数"));
    // The first line (a comment naming the model) is not written: the id is written once, last.
    const QList<Event> writes = rig.eventsOf(Event::Write);
    QCOMPARE(writes.first().name, QStringLiteral("ATC_ANG_RLL_P"));
    QCOMPARE(int(std::count_if(writes.cbegin(), writes.cend(), [](const Event &e) { return e.name == "fw_version"; })), 1);
    QCOMPARE(rig.written().last(), qMakePair(QStringLiteral("fw_version"), 10.0f));
    QCOMPARE(rig.setsAtReboot.size(), writes.size());
    QVERIFY(rig.eventsOf(Event::Failed).isEmpty());
    QCOMPARE(rig.simValue(QStringLiteral("fw_version")), 10.0f);
}

void ModelPageTest::unconfirmedWritesAreListedBeforeTheReboot()
{
    Rig rig;
    QVERIFY(rig.startAndDownload());
    // Two answers that never come, one value the flight controller keeps.
    QSet<int> silent;
    const QList<SimParameter> table = rig.sim.parameters();
    for (int i = 0; i < table.size(); ++i) {
        if (table[i].name == QLatin1String("ATC_RAT_YAW_P") || table[i].name == QLatin1String("H_COL_MAX"))
            silent << i;
    }
    rig.sim.setUnanswerableIndices(silent);
    rig.sim.setReadOnly(QStringLiteral("ATC_RAT_RLL_P"), true);
    rig.button(1)->click();

    QCOMPARE(rig.eventsOf(Event::Failed).size(), 3);
    QCOMPARE(rig.boxTexts.size(), 2);
    QCOMPARE(rig.boxTexts.at(1), QStringLiteral("已写入并确认：31 个\n已发送但未确认：3 个\n"
                                                "（飞控可能已采用这些值，重新下载参数后可看到它们的值）\n"
                                                "ATC_RAT_RLL_P, ATC_RAT_YAW_P, H_COL_MAX\n未发送：0 个"));
    const int failureBox = rig.indexOf(Event::Box, QStringLiteral("警告"));
    QVERIFY(failureBox > 0);
    for (const Event &e : rig.eventsOf(Event::Failed))
        QVERIFY(rig.indexOf(Event::Failed, e.name) < failureBox);
    QVERIFY(rig.indexOf(Event::Reboot) > failureBox);
    QCOMPARE(rig.indexOf(Event::Reconnect), rig.events.size() - 1);
    // Each silent write tried four times, all before the reboot, with the load's dialog up.
    QCOMPARE(int(std::count_if(rig.setsAtReboot.cbegin(), rig.setsAtReboot.cend(),
                               [](const auto &s) { return s.first == "ATC_RAT_YAW_P"; })), 4);
    QVERIFY(rig.dialogUpWhileWaiting);
    const qint64 waited = rig.events[failureBox].atMs - rig.eventsOf(Event::Write).last().atMs;
    QVERIFY2(waited <= ModelPage::kConfirmWindowMs + 500, qPrintable(QString::number(waited)));
    QCOMPARE(rig.simValue(QStringLiteral("H_COL_MIN")), 1200.0f);
    QTRY_VERIFY(rig.sim.commands().contains(kCmdReboot));
}

void ModelPageTest::withoutAnyAnswerTheWaitEndsAfterTheRetryWindow()
{
    // No link: nothing answers and nothing reports a failure; the page gives up after its window.
    Rig rig;
    rig.page->initButtons();
    rig.button(4)->click();
    QCOMPARE(rig.boxTexts.size(), 2);
    // Nothing confirmed: every write is listed as sent but not confirmed,
    // ten names in the box and all of them in its details.
    const QStringList lines = rig.boxTexts.at(1).split(QLatin1Char('\n'));
    QCOMPARE(lines.at(0), QStringLiteral("已写入并确认：0 个"));
    QSet<QString> names; // the file's own fw_version line and the model id are one parameter
    for (const Event &e : rig.eventsOf(Event::Write))
        names.insert(e.name);
    const int sent = int(names.size());
    QCOMPARE(lines.at(1), QStringLiteral("已发送但未确认：%1 个").arg(sent));
    QCOMPARE(lines.at(3).count(QStringLiteral(", ")), 10);
    QVERIFY(lines.at(3).endsWith(QStringLiteral("…")));
    const QStringList all = rig.boxDetails.at(1).split(QLatin1Char('\n'));
    QCOMPARE(all.size(), sent + 1); // the heading, one line per write
    QCOMPARE(all.at(0), QStringLiteral("已发送但未确认："));
    QCOMPARE(all.at(1), QStringLiteral("fw_version = 4")); // the value written last
    const qint64 waited = rig.events[rig.indexOf(Event::Box, QStringLiteral("警告"))].atMs
        - rig.eventsOf(Event::Write).last().atMs;
    QVERIFY2(waited >= ModelPage::kConfirmWindowMs && waited < ModelPage::kConfirmWindowMs + 1000,
             qPrintable(QString::number(waited)));
    QVERIFY(rig.indexOf(Event::Reboot) > rig.indexOf(Event::Box, QStringLiteral("警告")));
    QCOMPARE(rig.indexOf(Event::Reconnect), rig.events.size() - 1);
}

// The window's own wiring carries the writes, echoes and reboot; the reconnect
// downloads again and the new model's button is highlighted.
void ModelPageTest::resetInTheWholeWindow()
{
    QTemporaryDir dir;
    SimulatedFlightController sim;
    sim.setBaudRate(0);
    QString error;
    QVERIFY2(sim.start(&error), qPrintable(error));
    MainWindow w(windowOptions(dir, sim.portPath()));
    w.show();
    auto *open = w.findChild<QPushButton *>(QStringLiteral("OpenUart"));
    QVERIFY(connectWindow(w, sim.portPath()));
    QTRY_COMPARE_WITH_TIMEOUT(open->text(), QStringLiteral("成 功"), 30000);
    QTRY_VERIFY(w.linkWorker()->readParamDone);

    QStringList boxes;
    connect(w.modelPage(), &ModelPage::previewShown, this, [&](WritePreviewDialog *preview) {
        boxes << preview->question();
        preview->acceptButton()->click();
    });
    connect(w.modelPage(), &ModelPage::boxShown, this, [&](QMessageBox *box) {
        boxes << box->text();
        (box->button(QMessageBox::Yes) ? box->button(QMessageBox::Yes) : box->button(QMessageBox::Ok))->click();
    });
    w.findChild<QPushButton *>(QStringLiteral("nav_BT4"))->click();
    QCOMPARE(w.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"))->currentIndex(), 3);
    // The navigation may write (the rotor page's protective servo mode): let those be answered first.
    QTRY_COMPARE(pendingWrites(w.linkWorker()), 0);
    sim.clearObservations();
    auto *alder = w.modelPage()->findChild<QPushButton *>(QStringLiteral("type1_pushButton"));
    alder->click();

    QCOMPARE(boxes, QStringList{QStringLiteral("是否将飞控重置为Alder参数")}); // every write confirmed
    const Entries sets = sim.paramSets();
    QCOMPARE(sets.size(), 35);
    QCOMPARE(sets.last(), qMakePair(QStringLiteral("fw_version"), 1.0f));
    QTRY_VERIFY(sim.commands().contains(kCmdReboot));
    QTRY_COMPARE_WITH_TIMEOUT(w.pageContext()->modelId, 1, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(open->text(), QStringLiteral("成 功"), 30000);
    QCOMPARE(w.parameterStore()->findParameterValue(QStringLiteral("ATC_RAT_YAW_P")), double(0.23f));
    QCOMPARE(alder->styleSheet(), sheet(QStringLiteral("Alder"), true));
    sim.stop();
}

QTEST_MAIN(ModelPageTest)
// Every picture the window shows has a twice-as-large twin under the same resource path with "@2x" (Qt picks it on a
// screen scaled to 200 %), drawn from the same source: the same picture at double resolution.
void ModelPageTest::picturesForScaledScreens()
{
    int pairs = 0;
    QDirIterator it(QStringLiteral(":/"), {QStringLiteral("*.png"), QStringLiteral("*.jpg")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.contains(QLatin1String("@2x")) || path == QLatin1String(":/icons/tavro.png")
            || path.startsWith(QLatin1String(":/qt-project.org")))
            continue;
        const QFileInfo info(path);
        const QString twin = info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral("@2x.")
                             + info.suffix();
        const QImage one(path);
        const QImage two(twin);
        QVERIFY2(!one.isNull() && !two.isNull(), qPrintable(twin));
        QCOMPARE(two.size(), one.size() * 2);
        // Scaled down, the large one is the small one (within the blur of the scaling and the JPEG coding).
        const QImage down = two.scaled(one.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                .convertToFormat(QImage::Format_ARGB32);
        const QImage ref = one.convertToFormat(QImage::Format_ARGB32);
        double diff = 0;
        for (int y = 0; y < ref.height(); ++y)
            for (int x = 0; x < ref.width(); ++x)
                diff += qAbs(qGray(down.pixel(x, y)) - qGray(ref.pixel(x, y)));
        diff /= ref.width() * ref.height();
        QVERIFY2(diff < 12, qPrintable(QStringLiteral("%1: mean difference %2").arg(path).arg(diff)));
        ++pairs;
    }
    QCOMPARE(pairs, 36 + 6);   // 18 model buttons in two looks, logo, logo text, two glyphs, two signal icons
}

#include "tst_model_page.moc"
