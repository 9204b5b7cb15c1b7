// The waits the pages share: sleep keeps the event loop running on a
// monotonic deadline without burning the processor, and the reboot progress
// dialog runs its course, survives the window going away and never hangs.

#include <QElapsedTimer>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <ctime>

#include "pages/PageContext.h"
#include "params/ParameterStore.h"

class PageContextTest : public QObject
{
    Q_OBJECT

private slots:
    void sleepWaitsAtLeastTheTimeAndKeepsEventsRunning();
    void sleepBlocksInsteadOfSpinning();
    void sleepZeroReturnsAtOnce();
    void writeParameterIsForwarded();
    void rebootProgressDialog_data();
    void rebootProgressDialog();
    void rebootProgressEndsWhenTheWindowGoes();
    void rebootProgressWithNegativeStepDoesNotHang();
};

void PageContextTest::sleepWaitsAtLeastTheTimeAndKeepsEventsRunning()
{
    ParameterStore store;
    PageContext ctx(&store, nullptr);
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&] { ++ticks; });
    timer.start(10);
    bool queuedRan = false;
    QMetaObject::invokeMethod(this, [&] { queuedRan = true; }, Qt::QueuedConnection);

    QElapsedTimer clock;
    clock.start();
    ctx.sleep(200);
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= 200, qPrintable(QString::number(elapsed)));
    QVERIFY(queuedRan);
    QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
}

void PageContextTest::sleepBlocksInsteadOfSpinning()
{
    ParameterStore store;
    PageContext ctx(&store, nullptr);
    const std::clock_t cpuBefore = std::clock();
    QElapsedTimer clock;
    clock.start();
    ctx.sleep(400);
    const double cpuMs = 1000.0 * double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    QVERIFY(clock.elapsed() >= 400);
    // A busy wait would use about the whole 400 ms of processor time.
    QVERIFY2(cpuMs < 100.0, qPrintable(QString::number(cpuMs)));
}

void PageContextTest::sleepZeroReturnsAtOnce()
{
    ParameterStore store;
    PageContext ctx(&store, nullptr);
    QElapsedTimer clock;
    clock.start();
    ctx.sleep(0);
    QVERIFY(clock.elapsed() < 50);
}

void PageContextTest::writeParameterIsForwarded()
{
    ParameterStore store;
    PageContext ctx(&store, nullptr);
    QSignalSpy spy(&ctx, &PageContext::writeParameterRequested);
    ctx.writeParameter(QStringLiteral("ATC_RAT_YAW_P"), 0.25f);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("ATC_RAT_YAW_P"));
    QCOMPARE(spy.at(0).at(1).toFloat(), 0.25f);
}

void PageContextTest::rebootProgressDialog_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("title");
    QTest::newRow("chinese") << false << QStringLiteral("飞控重启中...");
    QTest::newRow("english") << true << QStringLiteral("rebooting...");
}

void PageContextTest::rebootProgressDialog()
{
    QFETCH(bool, english);
    QFETCH(QString, title);
    ParameterStore store;
    QWidget window;
    window.show();
    PageContext ctx(&store, &window);
    ctx.english = english;

    // Watch the dialog from a timer while the wait runs.
    QPointer<QProgressDialog> seen;
    int maxValue = -1;
    bool hasButton = true;
    Qt::WindowFlags flags;
    QString shownTitle;
    bool modal = false;
    QTimer probe;
    connect(&probe, &QTimer::timeout, this, [&] {
        if (auto *d = window.findChild<QProgressDialog *>()) {
            if (!seen) {
                // Follow every value from here on, not only those the probe sees.
                if (auto *bar = d->findChild<QProgressBar *>())
                    connect(bar, &QProgressBar::valueChanged, this,
                            [&](int v) { maxValue = std::max(maxValue, v); });
            }
            seen = d;
            maxValue = std::max(maxValue, d->value());
            hasButton = d->findChild<QPushButton *>() != nullptr;
            flags = d->windowFlags();
            shownTitle = d->windowTitle();
            modal = d->isModal();
        }
    });
    probe.start(5);

    QElapsedTimer clock;
    clock.start();
    ctx.simulate_progressBar(3);
    QVERIFY(clock.elapsed() >= 300);
    probe.stop();

    QCOMPARE(shownTitle, title);
    QVERIFY(modal);
    QVERIFY(seen.isNull());                    // destroyed at the end
    QVERIFY(window.findChildren<QProgressDialog *>().isEmpty());
    QCOMPARE(maxValue, 99);                  // runs to 99, as the reboot wait always did
    QVERIFY(!hasButton);                       // no cancel button
    QVERIFY(!(flags & Qt::WindowCloseButtonHint));
}

void PageContextTest::rebootProgressEndsWhenTheWindowGoes()
{
    ParameterStore store;
    auto *window = new QWidget;
    window->show();
    PageContext ctx(&store, window);
    QTimer::singleShot(100, window, [window] { delete window; });
    QElapsedTimer clock;
    clock.start();
    ctx.simulate_progressBar(20);   // would take 2 s
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(ctx.window() == nullptr);
}

void PageContextTest::rebootProgressWithNegativeStepDoesNotHang()
{
    ParameterStore store;
    QWidget window;
    PageContext ctx(&store, &window);
    QElapsedTimer clock;
    clock.start();
    ctx.simulate_progressBar(-30);
    QVERIFY(clock.elapsed() < 2000);
    QVERIFY(window.findChildren<QProgressDialog *>().isEmpty());
}

QTEST_MAIN(PageContextTest)
#include "tst_page_context.moc"
