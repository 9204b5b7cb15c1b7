// The model page against the simulated flight controller over a
// pseudo-terminal, through a real link worker on its own thread wired as the
// window wires it: a preset reset writes every line in file order, then the
// model id, and reboots only once every write has been echoed; answering No
// writes nothing; writes the flight controller never confirms are listed
// before the reboot; the buttons after a download follow the model group.

#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <optional>

#include "link/Mav2Uart_Worker.h"
#include "pages/ModelPage.h"
#include "pages/PageContext.h"
#include "params/ModelPresets.h"
#include "params/ParameterStore.h"
#include "sim/SimulatedFlightController.h"
#include "sim/SimulatorPortSource.h"

namespace {

constexpr uint16_t kCmdReboot = 246; // MAV_CMD_PREFLIGHT_REBOOT_SHUTDOWN

using Entries = QList<QPair<QString, float>>;

// What the page and the link did, in the order it happened on the window's
// thread.
struct Event
{
    enum Kind { Write, Value, Failed, Reboot, Reconnect, Box } kind;
    QString name;
    float value = 0.0f;
    qint64 atMs = 0;
};

// The simulator, a worker on its thread with the window's 20 ms tick, the
// store, the page context and the model page, wired like the window.
class Rig : public QObject
{
public:
    SimulatedFlightController sim;
    QThread thread;
    Mav2Uart_Worker *worker = nullptr;
    QTimer tick;
    QWidget *window = new QWidget;
    ParameterStore store;
    PageContext ctx{&store, window};
    ModelPage *page = new ModelPage(&ctx, window);
    QList<Event> events;
    QElapsedTimer clock;
    bool downloaded = false;
    bool recordValues = false;
    // The answer given to the question box; the failure box is always confirmed.
    QMessageBox::StandardButton answer = QMessageBox::Yes;
    QStringList boxTexts;
    QStringList boxDetails;
    // At the reboot request: what the simulator had received by then.
    Entries setsAtReboot;
    // Seen at the first failure report: the load's progress dialog still up.
    bool dialogUpWhileWaiting = false;

    explicit Rig(const QList<SimParameter> &table = {})
    {
        if (!table.isEmpty())
            sim.setParameters(table);
        // Downloads as fast as the pseudo-terminal takes them; the first
        // reset runs at the flight controller's real 115200 baud.
        sim.setBaudRate(0);
        clock.start();
    }

    ~Rig() override
    {
        tick.stop();
        if (worker) {
            QMetaObject::invokeMethod(worker, [w = worker] { w->closePort(); }, Qt::BlockingQueuedConnection);
            thread.requestInterruption();
            thread.quit();
            thread.wait();
            delete worker;
        }
        delete window;
        sim.stop();
    }

    bool start()
    {
        QString error;
        if (!sim.start(&error)) {
            qWarning() << "simulator:" << error;
            return false;
        }
        Mav2Uart_Worker::registerMetaTypes();
        worker = new Mav2Uart_Worker(SimulatorPortSource::only(sim.portPath()));
        worker->moveToThread(&thread);

        connect(&tick, &QTimer::timeout, worker, &Mav2Uart_Worker::SearchPort);
        connect(worker, &Mav2Uart_Worker::ConnectSingal, this, [this](int opened) {
            if (opened == 1)
                QMetaObject::invokeMethod(worker, &Mav2Uart_Worker::startParamRead, Qt::QueuedConnection);
        });
        connect(worker, &Mav2Uart_Worker::param_value_loading_value, &store,
                [this](const Parameter &p, int, uint16_t) { store.insertOrUpdate(p); });
        connect(worker, &Mav2Uart_Worker::param_value_finish_value, this, [this] {
            downloaded = true;
            QMetaObject::invokeMethod(worker, &Mav2Uart_Worker::SetReadParamDone, Qt::QueuedConnection);
        });
        connect(worker, &Mav2Uart_Worker::param_value_update_value, &store,
                [this](const QString &name, float value) { store.setParameterValue(name, double(value)); });
        connect(worker, &Mav2Uart_Worker::param_write_failed_value, &ctx, &PageContext::parameterWriteFailed);
        connect(&ctx, &PageContext::writeParameterRequested, worker, &Mav2Uart_Worker::sendWriteParametersCommand);
        connect(&ctx, &PageContext::rebootRequested, worker, &Mav2Uart_Worker::sendRebootCommand);
        for (QPushButton *b : page->typeButtons())
            connect(b, &QPushButton::clicked, page, &ModelPage::on_typesButtonClicked);

        // The record, on the window's thread.
        connect(&ctx, &PageContext::writeParameterRequested, this,
                [this](const QString &n, float v) { log(Event::Write, n, v); });
        connect(&store, &ParameterStore::parameterChanged, this, [this](const QString &n, double v) {
            if (recordValues)
                log(Event::Value, n, float(v));
        });
        connect(&ctx, &PageContext::parameterWriteFailed, this, [this](const QString &n, float v) {
            log(Event::Failed, n, v);
            if (!dialogUpWhileWaiting) {
                for (QProgressDialog *d : window->findChildren<QProgressDialog *>())
                    dialogUpWhileWaiting |= d->isVisible() && d->windowTitle() == QStringLiteral("参数加载中...");
            }
        });
        connect(&ctx, &PageContext::rebootRequested, this, [this] {
            log(Event::Reboot);
            setsAtReboot = sim.paramSets();
        });
        connect(&ctx, &PageContext::reconnectRequested, this, [this] { log(Event::Reconnect); });
        connect(page, &ModelPage::boxShown, this, [this](QMessageBox *box) {
            log(Event::Box, box->windowTitle());
            boxTexts.append(box->text());
            boxDetails.append(box->detailedText());
            if (box->button(QMessageBox::Yes))
                box->button(answer)->click();
            else
                box->button(QMessageBox::Ok)->click();
        });

        thread.start();
        tick.start(20);
        window->show();
        return true;
    }

    // Connects, downloads the table and waits until the worker treats
    // parameter messages as confirmations, as after the window's refresh.
    bool download()
    {
        QMetaObject::invokeMethod(worker, [w = worker, port = sim.portPath()] { w->ConnectPort(port); },
                                  Qt::QueuedConnection);
        if (!QTest::qWaitFor([this] { return downloaded; }, 30000))
            return false;
        auto streaming = [this] {
            bool on = false;
            QMetaObject::invokeMethod(worker, [&on, w = worker] { on = w->isStreamsRequested(); },
                                      Qt::BlockingQueuedConnection);
            return on;
        };
        if (!QTest::qWaitFor(streaming, 5000))
            return false;
        sim.clearObservations();
        recordValues = true;
        return true;
    }

    // The window's first step of the refresh, then the page's share.
    void showModel()
    {
        ctx.modelId = ModelPresets::modelIdFromValue(store.findParameterValue(QStringLiteral("fw_version")));
        page->showParameters();
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
        for (const Event &e : events) {
            if (e.kind == kind)
                out.append(e);
        }
        return out;
    }

    int indexOf(Event::Kind kind, const QString &name = {}) const
    {
        for (int i = 0; i < events.size(); ++i) {
            if (events[i].kind == kind && (name.isEmpty() || events[i].name == name))
                return i;
        }
        return -1;
    }

    int simIndexOf(const QString &name) const
    {
        const QList<SimParameter> table = sim.parameters();
        for (int i = 0; i < table.size(); ++i) {
            if (table[i].name == name)
                return i;
        }
        return -1;
    }
};

// The writes of the Alder preset, as the preset lists them.
const Entries kAlder = {
    {"fw_version", 1},          {"ATC_ANG_RLL_P", 4.5f},     {"ATC_ANG_PIT_P", 4.5f},
    {"ATC_ANG_YAW_P", 4.5f},    {"PSC_POSXY_P", 1},          {"ATC_RAT_RLL_P", 0.045f},
    {"ATC_RAT_RLL_I", 0.2f},    {"ATC_RAT_RLL_D", 0.001f},   {"ATC_RAT_RLL_IMAX", 0.4f},
    {"ATC_RAT_PIT_P", 0.04f},   {"ATC_RAT_PIT_I", 0.2f},     {"ATC_RAT_PIT_D", 0.001f},
    {"ATC_RAT_PIT_IMAX", 0.4f}, {"ATC_RAT_YAW_P", 0.23f},    {"ATC_RAT_YAW_I", 0.12f},
    {"ATC_RAT_YAW_D", 0.005f},  {"ATC_RAT_YAW_IMAX", 0.4f},  {"PSC_VELZ_P", 5},
    {"PSC_POSZ_P", 1},          {"H_COL_MAX", 1850},         {"H_COL_MIN", 1200},
    {"H_RSC_GOV_RPM1", 2100},   {"H_RSC_SETPOINT1", 60},     {"H_RSC_GOV_RPM2", 2500},
    {"H_RSC_SETPOINT2", 95},    {"ATC_RAT_RLL_FLTE", 20},    {"ATC_RAT_PIT_FLTE", 20},
    {"ATC_RAT_YAW_FLTE", 20},   {"PSC_VELXY_P", 2.3f},       {"PSC_VELXY_I", 1},
    {"PSC_VELXY_D", 0.5f},      {"PSC_ACCZ_P", 0.2f},        {"PSC_ACCZ_I", 1},
    {"H_TAIL_TYPE", 3},
};

QString selectedSheet(const QString &picture)
{
    return QStringLiteral("QPushButton{border-image: url(:/types/%1.jpg);background-position:center;"
                          "background-repeat: no-repeat;border:none;\n}").arg(picture);
}

QString notSelectedSheet(const QString &picture)
{
    return QStringLiteral("QPushButton{border-image: url(:/types/%1-noselected.jpg);background-position:center;"
                          "background-repeat: no-repeat;border:none;\n}QPushButton:hover{\tborder-image: "
                          "url(:/types/%1.jpg);}").arg(picture);
}

QList<SimParameter> tableWithModel(std::optional<float> fwVersion)
{
    SimulatedFlightController defaults;
    QList<SimParameter> table = defaults.parameters();
    for (int i = 0; i < table.size(); ++i) {
        if (table[i].name == QLatin1String("fw_version")) {
            if (fwVersion)
                table[i].value = *fwVersion;
            else
                table.removeAt(i);
            break;
        }
    }
    return table;
}

} // namespace

class ModelPageTest : public QObject
{
    Q_OBJECT

private slots:
    void presetResetWritesTheFileThenTheIdAndRebootsAfterEveryEcho();
    void presetWithRemarkedFirstLineGetsItsIdFromTheExplicitWrite();
    void answeringNoWritesNothing();
    void unconfirmedWritesAreListedBeforeTheReboot();
    void withoutAnyAnswerTheWaitEndsAfterTheRetryWindow();
    void scaleModelDownloadOffersTheScaleButtons();
    void missingModelIdHidesEveryButton();
};

void ModelPageTest::presetResetWritesTheFileThenTheIdAndRebootsAfterEveryEcho()
{
    Rig rig;
    QVERIFY(rig.start());
    QVERIFY(rig.download());
    rig.sim.setBaudRate(SimulatedFlightController::kDefaultBaud);
    rig.showModel();
    QCOMPARE(rig.ctx.modelId, 3);
    QVERIFY(rig.button(1)->isVisible());

    rig.button(1)->click();

    // The question, with the row's text.
    QCOMPARE(rig.indexOf(Event::Box), 0);
    QCOMPARE(rig.events.at(0).name, QStringLiteral("提示"));
    QCOMPARE(rig.boxTexts.value(0), QStringLiteral("是否将飞控重置为Alder参数"));
    QCOMPARE(rig.boxTexts.size(), 1); // no failure box

    // Every line in file order, then the model id: as sent and as received.
    Entries expected = kAlder;
    expected.append({QStringLiteral("fw_version"), 1.0f});
    Entries written;
    for (const Event &e : rig.eventsOf(Event::Write))
        written.append({e.name, e.value});
    QCOMPARE(written, expected);
    QCOMPARE(rig.setsAtReboot, expected);

    // Every write echoed before the reboot was asked for, none failed, the
    // reboot wait in between, then the reconnect.
    const int reboot = rig.indexOf(Event::Reboot);
    QVERIFY(reboot > 0);
    QVERIFY(rig.eventsOf(Event::Failed).isEmpty());
    for (const auto &w : std::as_const(expected)) {
        const int echo = rig.indexOf(Event::Value, w.first);
        QVERIFY2(echo >= 0 && echo < reboot, qPrintable(w.first));
    }
    // One echo per write before the reboot, the model id's two included.
    int echoesBeforeReboot = 0;
    int idEchoesBeforeReboot = 0;
    for (int i = 0; i < reboot; ++i) {
        echoesBeforeReboot += rig.events[i].kind == Event::Value;
        idEchoesBeforeReboot += rig.events[i].kind == Event::Value && rig.events[i].name == QLatin1String("fw_version");
    }
    QCOMPARE(echoesBeforeReboot, expected.size());
    QCOMPARE(idEchoesBeforeReboot, 2);
    QCOMPARE(rig.indexOf(Event::Reconnect), rig.events.size() - 1);
    const qint64 rebootWait = rig.events.last().atMs - rig.events[reboot].atMs;
    QVERIFY2(rebootWait >= 3000, qPrintable(QString::number(rebootWait)));
    QVERIFY(!rig.page->resetRunning());

    // The flight controller got the reboot, and holds the preset.
    QTRY_VERIFY(rig.sim.commands().contains(kCmdReboot));
    float v = 0;
    QVERIFY(rig.sim.parameterValue(QStringLiteral("ATC_RAT_YAW_P"), &v));
    QCOMPARE(v, 0.23f);
    QVERIFY(rig.sim.parameterValue(QStringLiteral("fw_version"), &v));
    QCOMPARE(v, 1.0f);
    QCOMPARE(rig.store.findParameterValue(QStringLiteral("H_COL_MAX")), 1850.0);
    // The dialogs are gone.
    QVERIFY(rig.window->findChildren<QProgressDialog *>().isEmpty());
}

void ModelPageTest::presetWithRemarkedFirstLineGetsItsIdFromTheExplicitWrite()
{
    Rig rig(tableWithModel(12.0f));
    QVERIFY(rig.start());
    QVERIFY(rig.download());
    rig.showModel();
    QVERIFY(rig.button(10)->isVisible());

    rig.button(10)->click();
    QCOMPARE(rig.boxTexts.value(0), QStringLiteral("是否将飞控重置为Birch-2blades参数"));

    // The first line ("fw_version,10 #Birch-2blades") is not written at all:
    // the id is written once, last.
    const QList<Event> writes = rig.eventsOf(Event::Write);
    QVERIFY(writes.size() >= 21);
    QCOMPARE(writes.first().name, QStringLiteral("ATC_ANG_RLL_P"));
    int ids = 0;
    for (const Event &e : writes)
        ids += e.name == QLatin1String("fw_version");
    QCOMPARE(ids, 1);
    QCOMPARE(writes.last().name, QStringLiteral("fw_version"));
    QCOMPARE(writes.last().value, 10.0f);
    QCOMPARE(rig.setsAtReboot.size(), writes.size());
    QVERIFY(rig.eventsOf(Event::Failed).isEmpty());
    QVERIFY(rig.indexOf(Event::Value, QStringLiteral("fw_version")) < rig.indexOf(Event::Reboot));
    float v = 0;
    QVERIFY(rig.sim.parameterValue(QStringLiteral("fw_version"), &v));
    QCOMPARE(v, 10.0f);
}

void ModelPageTest::answeringNoWritesNothing()
{
    Rig rig;
    QVERIFY(rig.start());
    QVERIFY(rig.download());
    rig.showModel();
    rig.answer = QMessageBox::No;

    rig.button(4)->click();
    QCOMPARE(rig.boxTexts, QStringList{QStringLiteral("是否将飞控重置为Elm-V3参数")});
    QCOMPARE(rig.events.size(), 1); // the box, nothing else
    QVERIFY(!rig.page->resetRunning());
    QVERIFY(rig.window->findChildren<QProgressDialog *>().isEmpty());
    // The page takes the next click again.
    rig.button(1)->click();
    QCOMPARE(rig.boxTexts.size(), 2);
    QCOMPARE(rig.events.size(), 2);
    QVERIFY(rig.sim.paramSets().isEmpty());
    QVERIFY(!rig.sim.commands().contains(kCmdReboot));
}

void ModelPageTest::unconfirmedWritesAreListedBeforeTheReboot()
{
    Rig rig;
    QVERIFY(rig.start());
    QVERIFY(rig.download());
    rig.showModel();
    // Two parameters whose answers never come, and one the flight controller
    // keeps at its old value.
    rig.sim.setUnanswerableIndices({rig.simIndexOf(QStringLiteral("ATC_RAT_YAW_P")),
                                    rig.simIndexOf(QStringLiteral("H_COL_MAX"))});
    rig.sim.setReadOnly(QStringLiteral("ATC_RAT_RLL_P"), true);
    float oldRoll = 0;
    QVERIFY(rig.sim.parameterValue(QStringLiteral("ATC_RAT_RLL_P"), &oldRoll));
    QVERIFY(oldRoll != 0.045f);

    rig.button(1)->click();

    // The three failures, in the order of the writes, then the box that lists
    // them, then the reboot and the reconnect.
    const QList<Event> failed = rig.eventsOf(Event::Failed);
    QStringList failedNames;
    for (const Event &e : failed)
        failedNames.append(e.name);
    failedNames.sort();
    QCOMPARE(failedNames, (QStringList{QStringLiteral("ATC_RAT_RLL_P"), QStringLiteral("ATC_RAT_YAW_P"),
                                       QStringLiteral("H_COL_MAX")}));
    QCOMPARE(rig.boxTexts.size(), 2);
    QCOMPARE(rig.boxTexts.at(1), QStringLiteral("未能写入飞控的参数：3个\nATC_RAT_RLL_P = 0.045\n"
                                                "ATC_RAT_YAW_P = 0.23\nH_COL_MAX = 1850"));
    int failureBox = -1;
    for (int i = 0; i < rig.events.size(); ++i) {
        if (rig.events[i].kind == Event::Box && rig.events[i].name == QStringLiteral("警告"))
            failureBox = i;
    }
    QVERIFY(failureBox > 0);
    for (const QString &name : failedNames)
        QVERIFY(rig.indexOf(Event::Failed, name) < failureBox);
    const int reboot = rig.indexOf(Event::Reboot);
    QVERIFY(reboot > failureBox);
    QCOMPARE(rig.indexOf(Event::Reconnect), rig.events.size() - 1);

    // The worker tried each silent write four times before giving up, all of
    // that before the reboot, while the load's dialog stayed up.
    int yawSends = 0;
    for (const auto &s : std::as_const(rig.setsAtReboot))
        yawSends += s.first == QLatin1String("ATC_RAT_YAW_P");
    QCOMPARE(yawSends, 4);
    QVERIFY(rig.dialogUpWhileWaiting);
    // The wait is bounded by the retry window after the last write.
    const qint64 lastWrite = rig.eventsOf(Event::Write).last().atMs;
    const qint64 waited = rig.events[failureBox].atMs - lastWrite;
    QVERIFY2(waited <= ModelPage::kConfirmWindowMs + 500, qPrintable(QString::number(waited)));
    // The rest went through.
    float v = 0;
    QVERIFY(rig.sim.parameterValue(QStringLiteral("H_COL_MIN"), &v));
    QCOMPARE(v, 1200.0f);
    QTRY_VERIFY(rig.sim.commands().contains(kCmdReboot));
}

void ModelPageTest::withoutAnyAnswerTheWaitEndsAfterTheRetryWindow()
{
    // No link behind the context: the writes go nowhere, nothing answers and
    // nothing reports a failure. The page gives up after its window and
    // still lists every write.
    QWidget window;
    ParameterStore store;
    PageContext ctx(&store, &window);
    auto *page = new ModelPage(&ctx, &window);
    page->initButtons();
    window.show();
    connect(page->typeButtons().at(1), &QPushButton::clicked, page, &ModelPage::on_typesButtonClicked);
    QStringList texts;
    QStringList details;
    QElapsedTimer clock;
    qint64 lastWriteMs = -1;
    qint64 boxMs = -1;
    QStringList order;
    clock.start();
    connect(&ctx, &PageContext::writeParameterRequested, this, [&] { lastWriteMs = clock.elapsed(); });
    connect(&ctx, &PageContext::rebootRequested, this, [&] { order << QStringLiteral("reboot"); });
    connect(&ctx, &PageContext::reconnectRequested, this, [&] { order << QStringLiteral("reconnect"); });
    connect(page, &ModelPage::boxShown, this, [&](QMessageBox *box) {
        texts << box->text();
        details << box->detailedText();
        if (box->button(QMessageBox::Yes)) {
            box->button(QMessageBox::Yes)->click();
        } else {
            boxMs = clock.elapsed();
            order << QStringLiteral("failures");
            box->button(QMessageBox::Ok)->click();
        }
    });

    page->typeButtons().at(1)->click(); // Elm-V3

    QCOMPARE(texts.size(), 2);
    const QStringList lines = texts.at(1).split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 12); // the count, ten names, the ellipsis
    QVERIFY2(lines.first().startsWith(QStringLiteral("未能写入飞控的参数：")), qPrintable(lines.first()));
    QCOMPARE(lines.last(), QStringLiteral("…"));
    const QStringList all = details.at(1).split(QLatin1Char('\n'));
    QVERIFY(all.size() >= 21);
    QVERIFY(lines.first().contains(QString::number(all.size())));
    QCOMPARE(all.first(), QStringLiteral("fw_version = 4")); // in the order of the first writes
    const qint64 waited = boxMs - lastWriteMs;
    QVERIFY2(waited >= ModelPage::kConfirmWindowMs && waited < ModelPage::kConfirmWindowMs + 1000,
             qPrintable(QString::number(waited)));
    QCOMPARE(order, (QStringList{QStringLiteral("failures"), QStringLiteral("reboot"), QStringLiteral("reconnect")}));
}

void ModelPageTest::scaleModelDownloadOffersTheScaleButtons()
{
    Rig rig(tableWithModel(17.5f));
    QVERIFY(rig.start());
    QVERIFY(rig.download());
    int writes = 0;
    connect(&rig.ctx, &PageContext::writeParameterRequested, this, [&] { ++writes; });

    rig.showModel();
    QCOMPARE(rig.ctx.modelId, 18);
    const QList<int> offered{10, 11, 12, 13, 15, 16, 17, 18, 20, 21, 22, 23, 24, 25};
    for (QPushButton *b : rig.page->typeButtons()) {
        const int number = b->objectName().section(QLatin1Char('_'), 0, 0).mid(4).toInt();
        QCOMPARE(b->isVisible(), offered.contains(number));
        QCOMPARE(b->isEnabled(), offered.contains(number));
    }
    // Linden's picture is highlighted; every other button shows its
    // not-selected picture, the highlighted one when hovered.
    QCOMPARE(rig.button(18)->styleSheet(), selectedSheet(QStringLiteral("Linden")));
    QCOMPARE(rig.button(19)->styleSheet(), notSelectedSheet(QStringLiteral("Larch")));
    QCOMPARE(rig.button(10)->styleSheet(), notSelectedSheet(QStringLiteral("Birch-2blades")));
    QCOMPARE(rig.button(1)->styleSheet(), notSelectedSheet(QStringLiteral("Alder")));
    QCOMPARE(writes, 0);

    // A later refresh for a small model moves the highlight and the offer.
    rig.store.insertOrUpdate({QStringLiteral("fw_version"), 4.0});
    rig.showModel();
    QCOMPARE(rig.button(4)->styleSheet(), selectedSheet(QStringLiteral("Elm-v3")));
    QCOMPARE(rig.button(18)->styleSheet(), notSelectedSheet(QStringLiteral("Linden")));
    for (QPushButton *b : rig.page->typeButtons()) {
        const bool small = b == rig.button(1) || b == rig.button(4);
        QCOMPARE(b->isVisible(), small);
        QCOMPARE(b->isEnabled(), small);
    }
    QCOMPARE(writes, 0);
}

void ModelPageTest::missingModelIdHidesEveryButton()
{
    Rig rig(tableWithModel(std::nullopt));
    QVERIFY(rig.start());
    // An earlier refresh had model 21 highlighted.
    rig.ctx.modelId = 21;
    rig.page->showParameters();
    QVERIFY(rig.button(21)->isVisible());

    QVERIFY(rig.download());
    QVERIFY(rig.store.size() > 100);
    rig.showModel();
    QCOMPARE(rig.ctx.modelId, -1);
    for (QPushButton *b : rig.page->typeButtons()) {
        QVERIFY2(!b->isVisible() && !b->isEnabled(), qPrintable(b->objectName()));
    }
    // The pictures stay as they were.
    QCOMPARE(rig.button(21)->styleSheet(), selectedSheet(QStringLiteral("Maple")));
}

QTEST_MAIN(ModelPageTest)
#include "tst_model_page.moc"
