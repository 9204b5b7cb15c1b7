// The window, the link worker and the simulated flight controller over a
// pseudo-terminal while the line misbehaves: damaged and lost frames, lost
// echoes, a silent or unplugged flight controller, stray bytes and foreign
// frames, odd status texts.
#include "app/MainWindow.h"
#include "link/Mav2Uart_Worker.h"
#include "link/MavlinkCodec.h"
#include "dialogs/WritePreviewDialog.h"
#include "pages/ModelPage.h"
#include "pages/PageContext.h"
#include "pages/TuningPage.h"
#include "params/ParameterStore.h"
#include "sim/HeliParameterTable.h"
#include "sim/SimulatedFlightController.h"
#include "widgets/NLineLabel.h"
#include "widgets/ProgressRing.h"
#include "widgets/SliderTip.h"
#include "tests/WindowBesideSim.h"

#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QtTest>

#include <atomic>
#include <memory>
#include <optional>
#include <random>

namespace {

SimulatedFlightController::Options encodedOptions(int baud = 0)
{
    SimulatedFlightController::Options o;
    o.encodedParams = true;   // the real flight controller's form
    o.baud = baud;            // 0: as fast as the pseudo-terminal takes it
    return o;
}

// One main window with a private settings file, wired to one simulator; its
// port source lists whatever device the simulator has now.
struct FaultRig
{
    explicit FaultRig(const SimulatedFlightController::Options &options = encodedOptions())
        : sim(options), encoded(options.encodedParams), path(std::make_shared<std::pair<QMutex, QString>>())
    {
    }
    ~FaultRig()
    {
        m_window.reset();
        sim.stop();
    }
    bool startSim()
    {
        QString error;
        if (!sim.start(&error)) {
            qWarning() << "simulator:" << error;
            return false;
        }
        QMutexLocker lock(&path->first);
        path->second = sim.portPath();
        return true;
    }
    MainWindow &window()
    {
        if (!m_window) {
            MainWindow::Options options;
            options.portSource = [p = path] {
                QMutexLocker lock(&p->first);
                return p->second.isEmpty() ? QList<PortCandidate>()
                                           : QList<PortCandidate>{{p->second, Mav2Uart_Worker::kVendorId,
                                                                   Mav2Uart_Worker::kProductId}};
            };
            options.settingsFile = m_dir.filePath("settings.ini");
            m_window = std::make_unique<MainWindow>(options);
        }
        return *m_window;
    }
    // Picks the simulator's device in the port list and clicks connect.
    bool connectWindow() { return ::connectWindow(window(), sim.portPath()); }
    bool connectAndDownload(int timeoutMs = 30000) { return ::connectAndDownload(window(), sim.portPath(), timeoutMs); }
    QPushButton *button() { return window().findChild<QPushButton *>("OpenUart"); }
    double ring() { return window().findChild<ProgressRing *>("Read_progress")->value(); }
    NLineLabel *strip() { return window().findChild<NLineLabel *>("warn_txt_widget"); }
    QStringList stripLines()
    {
        QStringList lines;
        for (int i = 0; i < strip()->lineCount(); ++i)
            lines << strip()->lineText(i);
        return lines;
    }
    // Every parameter of the simulator in the store with the value the link
    // carries (encoded: x 12 in single precision, divided back); the first differences.
    QString storeDifferences()
    {
        QStringList diffs;
        const ParameterStore *store = window().parameterStore();
        const QList<SimParameter> table = sim.parameters();
        if (store->size() != table.size())
            diffs << QString("size %1, table %2").arg(store->size()).arg(table.size());
        for (const SimParameter &p : table) {
            const float expected = encoded ? (p.value * 12.0f) / 12.0f : p.value;
            if (!store->contains(p.name) || store->findParameterValue(p.name) != double(expected))
                diffs << QString("%1 = %2, expected %3").arg(p.name).arg(store->findParameterValue(p.name)).arg(expected);
            if (diffs.size() >= 10)
                break;
        }
        return diffs.join("; ");
    }
    int pendingWrites() { return ::pendingWrites(window().linkWorker()); }

    SimulatedFlightController sim;
    bool encoded;
    std::shared_ptr<std::pair<QMutex, QString>> path;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<MainWindow> m_window;
};

// Answers every modal message box (Yes where offered, else OK) and records its text.
struct BoxAnswerer : QObject
{
    BoxAnswerer()
    {
        connect(&timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            texts << box->text();
            if (QAbstractButton *yes = box->button(QMessageBox::Yes))
                yes->click();
            else
                box->done(QMessageBox::Ok);
        });
        timer.start(10);
    }
    QStringList texts;
    QTimer timer;
};

// When the worker last reported a parameter and when it gave the link up (ms
// on one clock), recorded on the worker's thread; shared, so that it outlives
// this object while the worker runs.
class LinkClock
{
public:
    explicit LinkClock(Mav2Uart_Worker *worker) : r(std::make_shared<Record>())
    {
        r->clock.start();
        QObject::connect(worker, &Mav2Uart_Worker::param_value_loading_value, worker,
                         [r = r] { r->lastParameter = r->clock.elapsed(); }, Qt::DirectConnection);
        QObject::connect(worker, &Mav2Uart_Worker::disconnect_UI_disable, worker, [r = r] {
            qint64 none = -1;
            r->lost.compare_exchange_strong(none, r->clock.elapsed());
        }, Qt::DirectConnection);
    }
    qint64 now() const { return r->clock.elapsed(); }
    qint64 lastParameter() const { return r->lastParameter; }
    qint64 lost() const { return r->lost; }

private:
    struct Record { QElapsedTimer clock; std::atomic<qint64> lastParameter{-1}, lost{-1}; };
    std::shared_ptr<Record> r;
};

template <typename M>
QByteArray frameOf(MavlinkCodec &codec, const M &message, uint8_t marker = 0xFB)
{
    uint8_t buf[MavlinkCodec::kMaxFrameSize];
    const int n = codec.encode(buf, message, 1, 1);
    buf[0] = marker;
    return QByteArray(reinterpret_cast<const char *>(buf), n);
}

} // namespace

class FaultLinkTest : public QObject
{
    Q_OBJECT

private slots:
    // One frame in a hundred has a bit flipped and one parameter message in
    // twenty is lost, at the real baud rate: ten downloads, each with its own
    // seed, each with every value right; the first takes the full table.
    void damagedLineDownloadsEveryValue_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<quint32>("seed");
        QTest::newRow("run 1, full table") << HeliParameterTable::kCount << 101u;
        for (int run = 2; run <= 10; ++run)
            QTest::newRow(qPrintable(QString("run %1, 300 parameters").arg(run))) << 300 << quint32(100 + run);
    }
    void damagedLineDownloadsEveryValue()
    {
        QFETCH(int, count);
        QFETCH(quint32, seed);
        SimulatedFlightController::Options options = encodedOptions(SimulatedFlightController::kDefaultBaud);
        options.table = HeliParameterTable::build().mid(0, count);
        FaultRig rig(options);
        rig.sim.setSeed(seed);
        rig.sim.setCorruptProbability(0.01);
        rig.sim.setDropProbability(0.05);
        QVERIFY(rig.startSim());
        BoxAnswerer boxes;
        QVERIFY2(rig.connectAndDownload(60000), qPrintable(rig.button()->text()));
        // Losses happened and were made good by single reads.
        QVERIFY(rig.sim.paramValuesSent() > count);
        QVERIFY(!rig.sim.readRequests().isEmpty());
        QVERIFY2(rig.storeDifferences().isEmpty(), qPrintable(rig.storeDifferences()));
        QCOMPARE(rig.button()->text(), QStringLiteral("成 功"));
        QCOMPARE(rig.ring(), 100.0);
        // Nothing reported missing, no box.
        QVERIFY2(rig.stripLines().isEmpty(), qPrintable(rig.stripLines().join('|')));
        QVERIFY(boxes.texts.isEmpty());
    }

    void sliderWriteSurvivesLostEchoes()
    {
        FaultRig rig;
        QVERIFY(rig.startSim());
        MainWindow &w = rig.window();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(rig.connectAndDownload());
        w.findChild<QPushButton *>("nav_BT3")->click();
        QCOMPARE(w.findChild<QStackedWidget *>("stackedWidget")->currentIndex(), 2);
        QTRY_COMPARE(rig.pendingWrites(), 0);
        auto *slider = w.findChild<SliderTip *>("Break_Accel_hS");
        QVERIFY(slider && slider->isEnabled());
        const QString name = "LOIT_BRK_ACCEL";
        const auto setsOf = [&] {
            const auto sets = rig.sim.paramSets();
            return std::count_if(sets.cbegin(), sets.cend(), [&](const auto &s) { return s.first == name; });
        };
        QSignalSpy writes(&w, &MainWindow::WriteParam_value);
        rig.sim.clearObservations();
        rig.sim.setDroppedEchoes(1000);   // every echo lost until the worker has sent the write again

        const int before = slider->value();
        QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() * 4 / 5, slider->height() / 2));
        QVERIFY(slider->value() != before);
        const float written = float(TuningPage::valueForPosition(TuningPage::BrakeGain, slider->value()));
        QVERIFY(writes.count() >= 1);
        QCOMPARE(writes.last().at(0).toString(), name);
        QCOMPARE(writes.last().at(1).toFloat(), written);
        const int sent = int(writes.count());
        QTRY_VERIFY_WITH_TIMEOUT(setsOf() > sent, 3000);   // the worker's resend
        rig.sim.setDroppedEchoes(0);
        QTRY_COMPARE_WITH_TIMEOUT(rig.pendingWrites(), 0, 5000);
        float held = 0;
        QVERIFY(rig.sim.parameterValue(name, &held));
        QCOMPARE(held, written);
        QTRY_COMPARE(w.parameterStore()->findParameterValue(name), double(written));
        QTest::qWait(300);   // a failure would be batched into the strip by now
        QVERIFY2(rig.stripLines().filter("写入未确认").isEmpty(), qPrintable(rig.stripLines().join('|')));
    }

    void presetResetOverLossyEchoes_data()
    {
        QTest::addColumn<double>("loss");
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<bool>("someFail");
        QTest::newRow("5 % of echoes lost") << 0.05 << 7u << false;
        // So many lost that some writes run out of retries: those are named.
        QTest::newRow("75 % of echoes lost") << 0.75 << 11u << true;
    }
    void presetResetOverLossyEchoes()
    {
        QFETCH(double, loss);
        QFETCH(quint32, seed);
        QFETCH(bool, someFail);
        FaultRig rig;
        QVERIFY(rig.startSim());
        MainWindow &w = rig.window();
        w.show();
        QVERIFY(rig.connectAndDownload());
        ModelPage *page = w.modelPage();
        QStringList boxes;
        connect(page, &ModelPage::previewShown, this, [&](WritePreviewDialog *preview) {
            boxes << preview->question();
            preview->acceptButton()->click();
        });
        connect(page, &ModelPage::boxShown, this, [&](QMessageBox *box) {
            boxes << box->text() + '\n' + box->detailedText();
            (box->button(QMessageBox::Yes) ? box->button(QMessageBox::Yes) : box->button(QMessageBox::Ok))->click();
        });
        w.findChild<QPushButton *>("nav_BT4")->click();
        QTRY_COMPARE(rig.pendingWrites(), 0);

        // At the reboot request (queued to the worker before this runs): what
        // was written and reported, and whether the worker still waits for an echo.
        bool rebootAsked = false;
        QList<QPair<QString, float>> setsAtReboot;
        QString reported;
        int pendingAtReboot = -1;
        connect(w.pageContext(), &PageContext::rebootRequested, this, [&] {
            rebootAsked = true;
            setsAtReboot = rig.sim.paramSets();
            reported = (boxes + rig.stripLines()).join('\n');
            pendingAtReboot = rig.pendingWrites();
        });
        rig.sim.clearObservations();
        rig.sim.setSeed(seed);
        rig.sim.setEchoDropProbability(loss);
        page->findChild<QPushButton *>("type1_pushButton")->click();
        QTRY_VERIFY_WITH_TIMEOUT(rebootAsked, 30000);
        QCOMPARE(pendingAtReboot, 0);
        // The reboot command arrives with no write after the request; what it holds then stays.
        QTRY_VERIFY_WITH_TIMEOUT(rig.sim.commands().contains(246), 5000);
        QCOMPARE(rig.sim.paramSets(), setsAtReboot);
        QHash<QString, float> held, lastWrite;
        for (const SimParameter &p : rig.sim.parameters())
            held[p.name] = p.value;
        for (const auto &s : setsAtReboot)
            lastWrite[s.first] = s.second;
        QVERIFY2(lastWrite.size() >= 30, qPrintable(QString::number(lastWrite.size())));
        QVERIFY(setsAtReboot.size() > lastWrite.size());   // echoes were lost and the writes sent again
        for (auto it = lastWrite.cbegin(); it != lastWrite.cend(); ++it)
            QVERIFY2(held.value(it.key()) == it.value() || reported.contains(it.key()),
                     qPrintable(it.key() + " neither applied nor reported: " + reported));
        // The preview with the question, then (when some failed) the batch's
        // account naming the unconfirmed writes: the flight controller may
        // hold them, only their echoes were lost.
        QVERIFY2(boxes.size() == (someFail ? 2 : 1), qPrintable(boxes.join('|')));
        if (someFail)
            QVERIFY(boxes.at(1).contains(QStringLiteral("已发送但未确认：")));
        // The reconnect after the reboot downloads the new model.
        rig.sim.setEchoDropProbability(0.0);
        QTRY_COMPARE_WITH_TIMEOUT(w.pageContext()->modelId, 1, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(w.linkWorker()->readParamDone.load(), 30000);
    }

    // Halfway through a download at the real line rate the flight controller
    // falls silent, or its cable is pulled: the window shows the link lost.
    void linkLostMidDownload_data()
    {
        QTest::addColumn<bool>("unplugged");
        QTest::newRow("silent") << false;
        QTest::newRow("unplugged, then plugged in again") << true;
    }
    void linkLostMidDownload()
    {
        QFETCH(bool, unplugged);
        FaultRig rig(encodedOptions(SimulatedFlightController::kDefaultBaud));   // a download of seconds
        QVERIFY(rig.startSim());
        std::optional<BoxAnswerer> boxes;
        if (unplugged)
            boxes.emplace();
        MainWindow &w = rig.window();
        LinkClock clock(w.linkWorker());
        QVERIFY(rig.connectWindow());
        QTRY_VERIFY_WITH_TIMEOUT(w.parameterStore()->size() > 200, 10000);
        QCOMPARE(rig.button()->text(), QStringLiteral("加载中"));
        const qint64 cut = clock.now();
        if (unplugged)
            rig.sim.stop();   // the device goes away
        else
            rig.sim.setSilent(true);
        QTRY_COMPARE_WITH_TIMEOUT(rig.button()->text(), QStringLiteral("连 接"), 10000);
        QCOMPARE(rig.ring(), 0.0);
        QVERIFY(!w.linkWorker()->portOpen.load());
        const int limit = Mav2Uart_Worker::kSilenceLimitMs;
        if (!unplugged) {
            // Given up two seconds after the last frame (later frames without
            // a report can only make the gap look longer).
            QVERIFY(clock.lastParameter() >= 0 && clock.lost() >= 0);
            const qint64 ms = clock.lost() - clock.lastParameter();
            QVERIFY2(ms >= limit - 100 && ms <= limit + 1500, qPrintable(QString::number(ms)));
            return;
        }
        // No later than the silence limit (a vanished device may end it at once).
        QVERIFY(clock.lost() >= cut);
        QVERIFY2(clock.lost() - cut <= limit + 500, qPrintable(QString::number(clock.lost() - cut)));
        // Plugged in again: listed again, a connect downloads the whole table.
        rig.sim.setBaudRate(0);
        QVERIFY(rig.startSim());
        QVERIFY(rig.connectAndDownload());
        QCOMPARE(rig.button()->text(), QStringLiteral("成 功"));
        QVERIFY2(rig.storeDifferences().isEmpty(), qPrintable(rig.storeDifferences()));
        QVERIFY(boxes->texts.isEmpty());
    }

    void strayBytesAndForeignFramesChangeNothing()
    {
        FaultRig rig;
        QVERIFY(rig.startSim());
        MainWindow &w = rig.window();
        // Standard-marker (0xFD) frames that would change a value and raise a
        // warning if taken, and random bytes (false 0xFB markers among them).
        MavlinkCodec codec;
        mavlink_param_value_t v{};
        std::memcpy(v.param_id, "OMLRb@UIb?FAHJ", 14);   // LOIT_BRK_ACCEL encoded
        v.param_value = 9999.0f * 12.0f;
        v.param_count = uint16_t(rig.sim.parameterCount());
        v.param_index = 3;
        v.param_type = 9;
        mavlink_statustext_t s{};
        std::memcpy(s.text, "Check mag field", 15);
        const QByteArray foreign = frameOf(codec, v, 0xFD) + frameOf(codec, s, 0xFD);
        std::mt19937 random(42);
        int injections = 0;
        QTimer inject;
        connect(&inject, &QTimer::timeout, this, [&] {
            QByteArray junk(int(random() % 40) + 1, '\0');
            for (char &c : junk)
                c = char(random() & 0xFF);
            rig.sim.sendRaw(injections++ % 2 ? foreign : junk);
        });
        inject.start(15);
        QVERIFY(rig.connectAndDownload(60000));
        QCOMPARE(rig.button()->text(), QStringLiteral("成 功"));
        QVERIFY(injections > 10);
        // Kept up while the link is in update mode with the telemetry running.
        const int until = injections + 60;
        QTRY_VERIFY_WITH_TIMEOUT(injections >= until, 10000);
        inject.stop();
        QTRY_COMPARE(rig.pendingWrites(), 0);
        QVERIFY2(rig.storeDifferences().isEmpty(), qPrintable(rig.storeDifferences()));
        QVERIFY2(rig.stripLines().isEmpty(), qPrintable(rig.stripLines().join('|')));
        QVERIFY(w.linkWorker()->portOpen.load());
    }

    void oddStatusTextsShowSafely()
    {
        FaultRig rig;
        QVERIFY(rig.startSim());
        MainWindow &w = rig.window();
        QVERIFY(rig.connectAndDownload());
        QTRY_COMPARE(rig.pendingWrites(), 0);
        const int linesBefore = rig.strip()->lineCount();
        QStringList texts;
        connect(w.linkWorker(), &Mav2Uart_Worker::statustext_value, this, [&](QString text, uint8_t) { texts << text; });

        // 50 bytes, no NUL: a known complaint, control characters, bytes that
        // are no UTF-8, a multi-byte sequence cut at the end.
        QByteArray field("Check mag field");
        field += QByteArray("\x01\x07\x08\t\n\r\x1b[2J\x7f", 11);
        field += QByteArray("\xff\xfe\xc3\x28\xa0\xa1\xe2\x28\xa1\xf0\x90\x28\xbc\xc0\xaf", 15);
        field = field.leftJustified(49, 'x') + '\xe2';
        QCOMPARE(field.size(), 50);
        QByteArray noise(50, '\0');
        for (int i = 0; i < 50; ++i)
            noise[i] = char(0x80 + (i * 37) % 128);   // no NUL, nothing readable
        MavlinkCodec codec;
        const auto send = [&](uint8_t severity, const QByteArray &bytes) {
            mavlink_statustext_t s{};
            s.severity = severity;
            std::memcpy(s.text, bytes.constData(), size_t(bytes.size()));
            s.id = 0xFFFF;   // extensions set: the frame is not trimmed
            s.chunk_seq = 0xFF;
            rig.sim.sendRaw(frameOf(codec, s));
        };
        send(2, field);   // critical and known: one line
        send(0, noise);   // emergency but unknown: log only
        send(6, field);   // known but informational: log only
        QTRY_COMPARE_WITH_TIMEOUT(texts.size(), 3, 5000);
        for (const QString &t : texts)
            QVERIFY2(t.size() <= 50, qPrintable(QString::number(t.size())));
        QVERIFY(texts.at(0).startsWith("Check mag field"));
        QVERIFY(!texts.at(0).contains(QChar(0)));
        QTRY_COMPARE(rig.strip()->lineCount(), linesBefore + 1);
        QCOMPARE(rig.strip()->lineText(linesBefore), QStringLiteral("磁罗盘受到干扰"));
        QTest::qWait(200);
        QCOMPARE(rig.strip()->lineCount(), linesBefore + 1);
        QVERIFY(w.linkWorker()->portOpen.load());   // the link goes on
        QCOMPARE(rig.button()->text(), QStringLiteral("成 功"));
    }
};

QTEST_MAIN(FaultLinkTest)
#include "tst_fault_link.moc"
