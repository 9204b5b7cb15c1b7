// The window, the link worker and the simulated flight controller while the
// line misbehaves: a lost echo of a slider write, a preset reset over a link
// that loses echoes, a flight controller that falls silent or is unplugged in
// the middle of a download, stray bytes and standard-marker frames between
// good ones, and status texts that fill their field with bytes no text has.

#include "tests/faults/FaultRig.h"

#include "link/Mav2Uart_Worker.h"
#include "link/MavlinkCodec.h"
#include "pages/ModelPage.h"
#include "pages/PageContext.h"
#include "pages/TuningPage.h"
#include "params/ParameterStore.h"
#include "widgets/NLineLabel.h"
#include "widgets/ProgressRing.h"
#include "widgets/SliderTip.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMessageBox>
#include <QMutex>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QtTest>

#include <cstring>
#include <memory>
#include <random>

namespace {

SimulatedFlightController::Options encodedOptions()
{
    SimulatedFlightController::Options o;
    o.encodedParams = true;   // the real flight controller's form
    o.baud = 0;               // as fast as the pseudo-terminal takes it
    return o;
}

// The encoded form the flight controller gives a name on the wire.
QByteArray encodedName(const char *name)
{
    QByteArray n(name);
    for (int i = 0; i < n.size(); ++i)
        n[i] = char(uchar(n[i]) + (i % 2 == 0 ? 3 : -2));
    return n;
}

// What the worker's silence count and the close flag were at each tick,
// recorded on the worker's thread as the ticks end. The record outlives this
// object for as long as the worker may still tick.
class TickLog
{
public:
    struct Tick
    {
        int silent;
        int closed;
        qint64 ms;
    };

    explicit TickLog(Mav2Uart_Worker *worker) : m_record(std::make_shared<Record>())
    {
        m_record->clock.start();
        auto record = m_record;
        QObject::connect(
            worker, &Mav2Uart_Worker::PortList, worker,
            [record, worker](int, QStringList, int closed) {
                QMutexLocker lock(&record->mutex);
                record->ticks.append({worker->silentTickCount(), closed, record->clock.elapsed()});
            },
            Qt::DirectConnection);
    }
    QList<Tick> ticks()
    {
        QMutexLocker lock(&m_record->mutex);
        return m_record->ticks;
    }
    int closingTick()
    {
        const QList<Tick> t = ticks();
        for (int i = 0; i < t.size(); ++i)
            if (t[i].closed)
                return i;
        return -1;
    }

private:
    struct Record
    {
        QMutex mutex;
        QElapsedTimer clock;
        QList<Tick> ticks;
    };
    std::shared_ptr<Record> m_record;
};

} // namespace

class FaultLinkTest : public QObject
{
    Q_OBJECT

private slots:
    void sliderWriteSurvivesLostEchoes();
    void presetResetOverLossyEchoes_data();
    void presetResetOverLossyEchoes();
    void silenceMidDownloadClosesAfter100Ticks();
    void unpluggedMidDownloadThenReconnect();
    void strayBytesAndForeignFramesChangeNothing();
    void oddStatusTextsShowSafely();
};

void FaultLinkTest::sliderWriteSurvivesLostEchoes()
{
    FaultRig rig(encodedOptions());
    QVERIFY(rig.startSim());
    MainWindow &w = rig.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(rig.connectWindow());
    QVERIFY(rig.waitForDownload(30000));
    w.findChild<QPushButton *>(QStringLiteral("nav_BT3"))->click();
    QCOMPARE(w.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"))->currentIndex(), 2);
    QTRY_COMPARE(rig.pendingWrites(), 0);

    auto *slider = w.findChild<SliderTip *>(QStringLiteral("Break_Accel_hS"));
    QVERIFY(slider && slider->isEnabled());
    const QString name = QStringLiteral("LOIT_BRK_ACCEL");
    auto setsOf = [&] {
        int n = 0;
        for (const auto &s : rig.sim().paramSets())
            n += s.first == name ? 1 : 0;
        return n;
    };
    QSignalSpy writes(&w, &MainWindow::WriteParam_value);
    rig.sim().clearObservations();
    // Every echo is lost until the worker has sent the write again.
    rig.sim().setDroppedEchoes(1000);

    const int before = slider->value();
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() * 4 / 5, slider->height() / 2));
    QVERIFY(slider->value() != before);
    const float written = float(TuningPage::valueForPosition(TuningPage::BrakeGain, slider->value()));
    QVERIFY(writes.count() >= 1);
    QCOMPARE(writes.last().at(0).toString(), name);
    QCOMPARE(writes.last().at(1).toFloat(), written);
    const int sent = writes.count();
    QTRY_VERIFY_WITH_TIMEOUT(setsOf() > sent, 3000);   // the worker's resend
    rig.sim().setDroppedEchoes(0);

    QTRY_COMPARE_WITH_TIMEOUT(rig.pendingWrites(), 0, 5000);
    float held = 0;
    QVERIFY(rig.sim().parameterValue(name, &held));
    QCOMPARE(held, written);
    QTRY_COMPARE(w.parameterStore()->findParameterValue(name), double(written));
    QTest::qWait(300);   // a failure would be batched into the strip by now
    for (const QString &line : rig.stripLines())
        QVERIFY2(!line.contains(QStringLiteral("写入未确认")), qPrintable(line));
}

void FaultLinkTest::presetResetOverLossyEchoes_data()
{
    QTest::addColumn<double>("loss");
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<bool>("someFail");
    QTest::newRow("5 % of echoes lost") << 0.05 << 7u << false;
    // So many lost that some writes run out of retries: those are named.
    QTest::newRow("75 % of echoes lost") << 0.75 << 11u << true;
}

void FaultLinkTest::presetResetOverLossyEchoes()
{
    QFETCH(double, loss);
    QFETCH(quint32, seed);
    QFETCH(bool, someFail);
    FaultRig rig(encodedOptions());
    QVERIFY(rig.startSim());
    MainWindow &w = rig.window();
    w.show();
    QVERIFY(rig.connectWindow());
    QVERIFY(rig.waitForDownload(30000));

    ModelPage *page = w.modelPage();
    QStringList boxes;
    connect(page, &ModelPage::boxShown, this, [&](QMessageBox *box) {
        boxes << box->text() + QLatin1Char('\n') + box->detailedText();
        (box->button(QMessageBox::Yes) ? box->button(QMessageBox::Yes) : box->button(QMessageBox::Ok))->click();
    });
    w.findChild<QPushButton *>(QStringLiteral("nav_BT4"))->click();
    QTRY_COMPARE(rig.pendingWrites(), 0);

    // At the reboot request: what has been written and reported, and
    // whether the worker still waits for an echo (the reboot command is
    // queued to the worker before this runs, so this asks after it).
    bool rebootAsked = false;
    QList<QPair<QString, float>> setsAtReboot;
    QStringList reportedAtReboot;
    int pendingAtReboot = -1;
    connect(w.pageContext(), &PageContext::rebootRequested, this, [&] {
        rebootAsked = true;
        setsAtReboot = rig.sim().paramSets();
        reportedAtReboot = boxes + rig.stripLines();
        pendingAtReboot = rig.pendingWrites();
    });

    rig.sim().clearObservations();
    rig.sim().setSeed(seed);
    rig.sim().setEchoDropProbability(loss);
    page->findChild<QPushButton *>(QStringLiteral("type1_pushButton"))->click();
    QTRY_VERIFY_WITH_TIMEOUT(rebootAsked, 30000);
    QCOMPARE(pendingAtReboot, 0);
    // The reboot command reaches the flight controller, with no write after
    // the request; what it holds then stays over the reboot.
    QTRY_VERIFY_WITH_TIMEOUT(rig.sim().commands().contains(246), 5000);
    QCOMPARE(rig.sim().paramSets(), setsAtReboot);
    const QList<SimParameter> heldAtReboot = rig.sim().parameters();

    // The preset's writes, the last value of each name.
    QHash<QString, float> lastWrite;
    QStringList order;
    for (const auto &s : setsAtReboot) {
        if (!lastWrite.contains(s.first))
            order << s.first;
        lastWrite[s.first] = s.second;
    }
    QVERIFY2(order.size() >= 30, qPrintable(order.join(QLatin1Char(' '))));
    // Echoes were lost and the writes sent again.
    QVERIFY2(setsAtReboot.size() > order.size(), qPrintable(QString::number(setsAtReboot.size())));
    QHash<QString, float> held;
    for (const SimParameter &p : heldAtReboot)
        held[p.name] = p.value;
    const QString reported = reportedAtReboot.join(QLatin1Char('\n'));
    int applied = 0;
    for (const QString &n : order) {
        if (held.value(n) == lastWrite[n]) {
            ++applied;
            continue;
        }
        QVERIFY2(reported.contains(n), qPrintable(n + QStringLiteral(" neither applied nor reported: ") + reported));
    }
    qInfo("%d of %lld preset values applied, %lld PARAM_SETs", applied, qlonglong(order.size()),
          qlonglong(setsAtReboot.size()));
    if (someFail) {
        // The question, then the box that names the unconfirmed writes (the
        // flight controller may hold them: only their echoes were lost).
        QVERIFY2(boxes.size() == 2, qPrintable(boxes.join(QLatin1Char('|'))));
        QVERIFY(boxes.at(1).startsWith(QStringLiteral("未能写入飞控的参数：")));
    } else {
        QCOMPARE(boxes.size(), 1);   // the question only
    }
    // The reconnect after the reboot downloads the new model.
    rig.sim().setEchoDropProbability(0.0);
    QTRY_COMPARE_WITH_TIMEOUT(w.pageContext()->modelId, 1, 30000);
    QTRY_VERIFY_WITH_TIMEOUT(w.linkWorker()->readParamDone.load(), 30000);
}

void FaultLinkTest::silenceMidDownloadClosesAfter100Ticks()
{
    SimulatedFlightController::Options o = encodedOptions();
    o.baud = SimulatedFlightController::kDefaultBaud;   // a download that takes seconds
    FaultRig rig(o);
    QVERIFY(rig.startSim());
    MainWindow &w = rig.window();
    TickLog log(w.linkWorker());
    QVERIFY(rig.connectWindow());
    QTRY_VERIFY_WITH_TIMEOUT(w.parameterStore()->size() > 200, 10000);
    QCOMPARE(rig.connectButton()->text(), QStringLiteral("加载中"));
    rig.sim().setSilent(true);

    QTRY_COMPARE_WITH_TIMEOUT(rig.connectButton()->text(), QStringLiteral("连 接"), 10000);
    const int closing = log.closingTick();
    QVERIFY(closing > 0);
    const QList<TickLog::Tick> t = log.ticks();
    // The silence count ran up tick by tick from 1 to the limit, and that tick closed the port.
    int first = closing - 1;
    while (first > 0 && t[first - 1].silent == t[first].silent - 1 && t[first - 1].silent >= 1)
        --first;
    QCOMPARE(t[first].silent, 1);
    QCOMPARE(t[closing - 1].silent, Mav2Uart_Worker::kSilenceLimitTicks - 1);
    QCOMPARE(closing - first + 1, Mav2Uart_Worker::kSilenceLimitTicks);
    const qint64 ms = t[closing].ms - t[first].ms;
    QVERIFY2(ms >= 1500 && ms < 10000, qPrintable(QString::number(ms)));
    QCOMPARE(rig.ring()->value(), 0.0);
    QVERIFY(!w.linkWorker()->portOpen.load());
}

void FaultLinkTest::unpluggedMidDownloadThenReconnect()
{
    SimulatedFlightController::Options o = encodedOptions();
    o.baud = SimulatedFlightController::kDefaultBaud;
    FaultRig rig(o);
    QVERIFY(rig.startSim());
    BoxAnswerer boxes;
    MainWindow &w = rig.window();
    TickLog log(w.linkWorker());
    QVERIFY(rig.connectWindow());
    QTRY_VERIFY_WITH_TIMEOUT(w.parameterStore()->size() > 200, 10000);
    const int ticksBefore = log.ticks().size();
    rig.stopSim();   // the cable is pulled: the device goes away

    QTRY_COMPARE_WITH_TIMEOUT(rig.connectButton()->text(), QStringLiteral("连 接"), 10000);
    const int closing = log.closingTick();
    QVERIFY(closing >= ticksBefore);
    // The link ends no later than the silence limit (a vanished device may end it at once).
    QVERIFY2(closing - ticksBefore <= Mav2Uart_Worker::kSilenceLimitTicks + 1,
             qPrintable(QString::number(closing - ticksBefore)));
    qInfo("link closed %d ticks after the device went away", closing - ticksBefore);
    QCOMPARE(rig.ring()->value(), 0.0);
    QVERIFY(!w.linkWorker()->portOpen.load());

    // Plugged in again: the device is listed, a connect downloads the whole table.
    rig.sim().setBaudRate(0);
    QVERIFY(rig.startSim());
    QVERIFY(rig.connectWindow());
    QVERIFY(rig.waitForDownload(30000));
    QCOMPARE(rig.connectButton()->text(), QStringLiteral("成 功"));
    const QStringList diffs = rig.storeDifferences();
    QVERIFY2(diffs.isEmpty(), qPrintable(diffs.join(QStringLiteral("; "))));
    QVERIFY(boxes.texts.isEmpty());
}

void FaultLinkTest::strayBytesAndForeignFramesChangeNothing()
{
    FaultRig rig(encodedOptions());
    QVERIFY(rig.startSim());
    MainWindow &w = rig.window();

    // Standard-marker (0xFD) frames that would change a value and raise a
    // warning if the link took them, and random bytes (false 0xFB markers
    // among them).
    MavlinkCodec codec;
    QByteArray foreign;
    {
        uint8_t buf[MavlinkCodec::kMaxFrameSize];
        mavlink_param_value_t v {};
        const QByteArray id = encodedName("LOIT_BRK_ACCEL");
        std::memcpy(v.param_id, id.constData(), size_t(id.size()));
        v.param_value = 9999.0f * 12.0f;
        v.param_count = uint16_t(rig.sim().parameterCount());
        v.param_index = 3;
        v.param_type = 9;
        int n = codec.encode(buf, v, 1, 1);
        buf[0] = 0xFD;
        foreign.append(reinterpret_cast<const char *>(buf), n);
        mavlink_statustext_t s {};
        s.severity = 0;
        std::memcpy(s.text, "Check mag field", 15);
        n = codec.encode(buf, s, 1, 1);
        buf[0] = 0xFD;
        foreign.append(reinterpret_cast<const char *>(buf), n);
    }
    std::mt19937 random(42);
    int injections = 0;
    QTimer inject;
    inject.setInterval(15);
    connect(&inject, &QTimer::timeout, this, [&] {
        QByteArray junk(int(random() % 40) + 1, '\0');
        for (char &c : junk)
            c = char(random() & 0xFF);
        rig.sim().sendRaw(injections % 2 ? foreign : junk);
        ++injections;
    });
    inject.start();

    QVERIFY(rig.connectWindow());
    QVERIFY(rig.waitForDownload(60000));
    QCOMPARE(rig.connectButton()->text(), QStringLiteral("成 功"));
    QVERIFY(injections > 10);
    // Keep it up while the link is in update mode with the telemetry running.
    const int until = injections + 60;
    QTRY_VERIFY_WITH_TIMEOUT(injections >= until, 10000);
    inject.stop();
    QTRY_COMPARE(rig.pendingWrites(), 0);

    const QStringList diffs = rig.storeDifferences();
    QVERIFY2(diffs.isEmpty(), qPrintable(diffs.join(QStringLiteral("; "))));
    QVERIFY2(rig.stripLines().isEmpty(), qPrintable(rig.stripLines().join(QLatin1Char('|'))));
    QVERIFY(w.linkWorker()->portOpen.load());
}

void FaultLinkTest::oddStatusTextsShowSafely()
{
    FaultRig rig(encodedOptions());
    QVERIFY(rig.startSim());
    MainWindow &w = rig.window();
    QVERIFY(rig.connectWindow());
    QVERIFY(rig.waitForDownload(30000));
    QTRY_COMPARE(rig.pendingWrites(), 0);
    const int linesBefore = rig.strip()->lineCount();

    QStringList texts;
    connect(w.linkWorker(), &Mav2Uart_Worker::statustext_value, this,
            [&](QString text, uint8_t) { texts << text; });

    // 50 bytes, no NUL: a known complaint, control characters, bytes that are
    // no UTF-8, a multi-byte sequence cut at the end.
    QByteArray field("Check mag field");
    field += QByteArray("\x01\x07\x08\t\n\r\x1b[2J\x7f", 11);
    field += QByteArray("\xff\xfe\xc3\x28\xa0\xa1\xe2\x28\xa1\xf0\x90\x28\xbc\xc0\xaf", 15);
    while (field.size() < 49)
        field += 'x';
    field += '\xe2';
    QCOMPARE(field.size(), 50);
    QVERIFY(!field.contains('\0'));
    QByteArray noise(50, '\0');
    for (int i = 0; i < 50; ++i)
        noise[i] = char(0x80 + (i * 37) % 128);   // no NUL, nothing readable

    MavlinkCodec codec;
    auto send = [&](uint8_t severity, const QByteArray &bytes) {
        mavlink_statustext_t s {};
        s.severity = severity;
        std::memcpy(s.text, bytes.constData(), size_t(bytes.size()));
        s.id = 0xFFFF;          // extensions set: the frame is not trimmed
        s.chunk_seq = 0xFF;
        uint8_t buf[MavlinkCodec::kMaxFrameSize];
        const int n = codec.encode(buf, s, 1, 1);
        rig.sim().sendRaw(QByteArray(reinterpret_cast<const char *>(buf), n));
    };
    send(2, field);    // critical and known: one line
    send(0, noise);    // emergency but unknown: log only
    send(6, field);    // known but informational: log only
    QTRY_COMPARE_WITH_TIMEOUT(texts.size(), 3, 5000);
    for (const QString &t : texts)
        QVERIFY2(t.size() <= 50, qPrintable(QString::number(t.size())));
    QVERIFY(texts.at(0).startsWith(QStringLiteral("Check mag field")));
    QVERIFY(!texts.at(0).contains(QChar(0)));

    QTRY_COMPARE(rig.strip()->lineCount(), linesBefore + 1);
    QCOMPARE(rig.strip()->lineText(linesBefore), QStringLiteral("磁罗盘受到干扰"));
    QTest::qWait(200);
    QCOMPARE(rig.strip()->lineCount(), linesBefore + 1);
    // The link goes on.
    QVERIFY(w.linkWorker()->portOpen.load());
    QCOMPARE(rig.connectButton()->text(), QStringLiteral("成 功"));
}

QTEST_MAIN(FaultLinkTest)
#include "tst_fault_link.moc"
