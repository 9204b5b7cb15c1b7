// A travel calibration against the simulated flight controller: the page gets
// its RC_CHANNELS reports through a real link worker on its own thread over a
// pseudo-terminal, its twelve writes leave as PARAM_SET frames, and the
// echoes come back into the parameter store and the travel labels, also when
// some of them arrive only after the worker repeated a lost write.

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <memory>

#include "link/Mav2Uart_Worker.h"
#include "link/MavlinkCodec.h"
#include "pages/PageContext.h"
#include "pages/StatusPage.h"
#include "params/ParameterStore.h"
#include "sim/SimulatedFlightController.h"
#include "sim/SimulatorPortSource.h"

namespace {

using State = StatusPage::TravelCalibrationState;

// An RC_CHANNELS frame as the flight controller sends it: sticks on
// channels 1 to 4, the switches where the simulator keeps them.
QByteArray rcFrame(uint16_t c1, uint16_t c2, uint16_t c3, uint16_t c4)
{
    mavlink_rc_channels_t m{};
    m.chancount = 16;
    m.chan1_raw = c1;
    m.chan2_raw = c2;
    m.chan3_raw = c3;
    m.chan4_raw = c4;
    m.chan5_raw = 1100;
    m.chan6_raw = 1100;
    m.chan7_raw = 1500;
    m.chan8_raw = 1500;
    m.chan9_raw = 1500;
    m.rssi = 255;
    MavlinkCodec codec;
    uint8_t buf[MavlinkCodec::kMaxFrameSize];
    const int n = codec.encode(buf, m, 1, 1);
    return QByteArray(reinterpret_cast<const char *>(buf), n);
}

} // namespace

class StatusCalibrationLinkTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void twelveWritesReachTheFlightControllerAndComeBack();

private:
    std::unique_ptr<SimulatedFlightController> m_sim;
    QThread m_thread;
    Mav2Uart_Worker *m_worker = nullptr;
    QTimer m_tick;
    std::unique_ptr<ParameterStore> m_store;
    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<PageContext> m_ctx;
    std::unique_ptr<StatusPage> m_page;
};

void StatusCalibrationLinkTest::initTestCase()
{
    Mav2Uart_Worker::registerMetaTypes();
}

void StatusCalibrationLinkTest::init()
{
    m_sim = std::make_unique<SimulatedFlightController>();
    m_sim->setBaudRate(0);
    QString error;
    QVERIFY2(m_sim->start(&error), qPrintable(error));

    m_store = std::make_unique<ParameterStore>();
    m_window = std::make_unique<QWidget>();
    m_ctx = std::make_unique<PageContext>(m_store.get(), m_window.get());
    m_page = std::make_unique<StatusPage>(m_ctx.get());
    m_page->layoutRcColumn(false);

    m_worker = new Mav2Uart_Worker(SimulatorPortSource::only(m_sim->portPath()));
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(&m_tick, &QTimer::timeout, m_worker, &Mav2Uart_Worker::SearchPort);

    // The window's part of the wiring.
    connect(m_ctx.get(), &PageContext::writeParameterRequested, m_worker,
            &Mav2Uart_Worker::sendWriteParametersCommand);
    connect(m_worker, &Mav2Uart_Worker::param_value_loading_value, m_store.get(),
            [this](Parameter p, int, uint16_t) { m_store->insertOrUpdate(p); });
    connect(m_worker, &Mav2Uart_Worker::param_value_update_value, m_store.get(),
            [this](QString name, float value) { m_store->setParameterValue(name, double(value)); });
    connect(m_worker, &Mav2Uart_Worker::rc_channels_value, m_page.get(), &StatusPage::rc_channels_show);
    connect(m_worker, &Mav2Uart_Worker::sys_status_value, m_page.get(), &StatusPage::sys_status_show);

    m_thread.start();
    m_tick.start(20);
}

void StatusCalibrationLinkTest::cleanup()
{
    m_tick.stop();
    if (m_thread.isRunning()) {
        QMetaObject::invokeMethod(m_worker, &Mav2Uart_Worker::closePort, Qt::BlockingQueuedConnection);
        m_thread.requestInterruption();
        m_thread.quit();
        m_thread.wait();
    }
    m_worker = nullptr;
    m_page.reset();
    m_ctx.reset();
    m_window.reset();
    m_store.reset();
    m_sim.reset();
}

void StatusCalibrationLinkTest::twelveWritesReachTheFlightControllerAndComeBack()
{
    // Connect and download, as the window does.
    QSignalSpy finished(m_worker, &Mav2Uart_Worker::param_value_finish_value);
    QSignalSpy writeFailed(m_worker, &Mav2Uart_Worker::param_write_failed_value);
    const QString port = m_sim->portPath();
    QMetaObject::invokeMethod(m_worker, [this, port] {
        m_worker->ConnectPort(port);
        m_worker->startParamRead();
    });
    QVERIFY(finished.wait(20000));
    QCOMPARE(m_store->size(), m_sim->parameterCount());
    m_page->showParameters();
    QCOMPARE(m_page->travelCalibrationState(), State::Idle);
    auto *rc1Min = m_page->findChild<QLabel *>(QStringLiteral("RC1_MIN"));
    auto *rc1Max = m_page->findChild<QLabel *>(QStringLiteral("RC1_MAX"));
    auto *rc4Trim = m_page->findChild<QLabel *>(QStringLiteral("RC4_TRIM"));
    float stored = 0;
    QVERIFY(m_sim->parameterValue(QStringLiteral("RC1_MIN"), &stored));
    QCOMPARE(rc1Min->text(), QStringLiteral("min: ") + QString::number(int(stored)));

    // Telemetry on; the receiver reports.
    QMetaObject::invokeMethod(m_worker, &Mav2Uart_Worker::SetReadParamDone);
    QSignalSpy reports(m_worker, &Mav2Uart_Worker::rc_channels_value);
    QVERIFY(reports.wait(5000));
    QTRY_VERIFY(!m_page->rcButton()->isHidden());

    // Sweep: the simulator's own reports keep the sticks centred; ours take
    // them to their ends, with a receiver dropout in between.
    m_page->rcButton()->click();
    QCOMPARE(m_page->travelCalibrationState(), State::Sweeping);
    m_sim->sendRaw(rcFrame(1900, 1950, 2000, 1851));
    m_sim->sendRaw(rcFrame(0, 0, 0, 0));
    m_sim->sendRaw(rcFrame(1100, 1000, 1050, 1150));
    QTRY_COMPARE_WITH_TIMEOUT(m_page->travelCalibrationState(), State::Ready, 5000);

    // The first two writes get lost on the way: the worker repeats them and
    // their echoes come only after the page's 100 ms refresh.
    m_sim->clearObservations();
    m_sim->setIgnoredParamSets(2);
    m_page->rcButton()->click();
    QCOMPARE(m_page->travelCalibrationState(), State::Idle);

    const QList<QPair<QString, float>> expected = {
        {"RC1_MIN", 1100}, {"RC1_MAX", 1900}, {"RC1_TRIM", 1500}, {"RC2_MIN", 1000},
        {"RC2_MAX", 1950}, {"RC2_TRIM", 1475}, {"RC3_MIN", 1050}, {"RC3_MAX", 2000},
        {"RC3_TRIM", 1525}, {"RC4_MIN", 1150}, {"RC4_MAX", 1851}, {"RC4_TRIM", 1500.5f}};
    // Every write arrives, in order, with the exact float; the repeats of the
    // two lost ones follow, in no particular order.
    QTRY_VERIFY_WITH_TIMEOUT(m_sim->paramSets().size() >= 12 + 2, 5000);
    const QList<QPair<QString, float>> sets = m_sim->paramSets();
    QCOMPARE(sets.mid(0, 12), expected);
    QList<QPair<QString, float>> repeats = sets.mid(12, 2);
    std::sort(repeats.begin(), repeats.end());
    QCOMPARE(repeats, (QList<QPair<QString, float>>{{"RC1_MAX", 1900}, {"RC1_MIN", 1100}}));

    // Echoes: store and labels, the late ones included. The flight controller
    // keeps trims as whole numbers, so 1500.5 comes back rounded.
    QTRY_COMPARE_WITH_TIMEOUT(rc1Min->text(), QStringLiteral("min: 1100"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(rc1Max->text(), QStringLiteral("max: 1900"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(rc4Trim->text(), QStringLiteral("trim: 1501"), 5000);
    for (const auto &[name, value] : expected) {
        float fc = 0;
        QVERIFY(m_sim->parameterValue(name, &fc));
        QCOMPARE(fc, std::round(value));
        QTRY_COMPARE(m_store->findParameterValue(name), double(std::round(value)));
    }
    QCOMPARE(m_page->findChild<QLabel *>(QStringLiteral("RC2_TRIM"))->text(), QStringLiteral("trim: 1475"));
    QCOMPARE(m_page->findChild<QLabel *>(QStringLiteral("RC3_MAX"))->text(), QStringLiteral("max: 2000"));
    QCOMPARE(writeFailed.count(), 0);
}

QTEST_MAIN(StatusCalibrationLinkTest)
#include "tst_status_calibration_link.moc"
