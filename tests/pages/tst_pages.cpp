// The page forms laid out at the window's page size in both languages, the radio column arrangement,
// run-time texts per language, and the shared waits.

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

#include "tests/CpuTime.h"

#include "LayoutChecks.h"
#include "PageFixture.h"
#include "pages/ModelPage.h"
#include "pages/PageContext.h"
#include "pages/RotorPage.h"
#include "pages/StatusPage.h"
#include "pages/TuningPage.h"
#include "params/ModelPresets.h"
#include "params/ParameterStore.h"
#include "widgets/GaugeCompassPan.h"
#include "widgets/SwitchButton.h"

namespace {

QString label(QWidget *page, const char *name)
{
    return child<QLabel>(page, name)->text();
}

} // namespace

class PagesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void layoutFitsInChineseAndEnglish_data();
    void layoutFitsInChineseAndEnglish();
    void longestStateTextsFit();
    void rcColumnLayoutsBackAndForth();
    void modelButtonsStayPacked();
    void retranslateWritesStateTextsPerLanguage();
    void sleepKeepsEventsRunningWithoutSpinning();
    void rebootProgressDialog();

private:
    QWidget *host(QWidget *page) { return m_f.host(page); }
    void setEnglish(bool english) { QVERIFY(m_f.setEnglish(english)); }

    PageFixture m_f;
    ParameterStore &m_store = m_f.store;
    PageContext &m_ctx = m_f.ctx;
};

void PagesTest::initTestCase()
{
    QFile qss(QStringLiteral(":/QSS/style1.qss"));
    QVERIFY(qss.open(QIODevice::ReadOnly));
    qApp->setStyleSheet(QString::fromUtf8(qss.readAll()));
}

void PagesTest::cleanup()
{
    setEnglish(false);
    m_ctx.serial2IsMavlink = false;
    m_ctx.modelId = -1;
    m_store.clearParameterValue();
    m_f.clearHosts();
}

void PagesTest::layoutFitsInChineseAndEnglish_data()
{
    QTest::addColumn<int>("pageIndex");
    QTest::addColumn<bool>("english");
    const char *names[] = {"status", "rotor", "tuning", "models"};
    for (int i = 0; i < 4; ++i) {
        QTest::addRow("%s-zh", names[i]) << i << false;
        QTest::addRow("%s-en", names[i]) << i << true;
    }
}

void PagesTest::layoutFitsInChineseAndEnglish()
{
    QFETCH(int, pageIndex);
    QFETCH(bool, english);
    QWidget *page = nullptr;
    std::function<void()> retranslate;
    const auto make = [&](auto *p) {
        page = p;
        retranslate = [p] { p->retranslate(); };
    };
    switch (pageIndex) {
    case 0: make(new StatusPage(&m_ctx)); break;
    case 1: make(new RotorPage(&m_ctx)); break;
    case 2: make(new TuningPage(&m_ctx)); break;
    default: make(new ModelPage(&m_ctx)); break;
    }
    // The page asks for no more room than the window has for it.
    QVERIFY(page->minimumSizeHint().width() <= kPageSize.width()
            && page->minimumSizeHint().height() <= kPageSize.height());
    host(page);
    if (auto *status = qobject_cast<StatusPage *>(page))
        status->layoutRcColumn(false);
    if (auto *models = qobject_cast<ModelPage *>(page))
        models->initButtons();
    setEnglish(english);
    retranslate();
    settleLayouts();
    const QStringList faults = layoutFaults(page);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
}

void PagesTest::longestStateTextsFit()
{
    // The texts the pages write at run time, in their longest forms.
    auto *status = new StatusPage(&m_ctx);
    auto *tuning = new TuningPage(&m_ctx);
    host(status);
    host(tuning);
    status->layoutRcColumn(false);
    setEnglish(true);
    status->retranslate();
    tuning->retranslate();
    child<QPushButton>(status, "RC_pB")->setText(QStringLiteral("Click to write parameters."));
    child<QLabel>(status, "RC_label")->setText(QStringLiteral("Please turn the rocker for calibration"));
    child<QLabel>(status, "RC_WARN_TEXT")->setText(QStringLiteral("RC signal connecting"));
    child<QLabel>(status, "power_value")->setText(QStringLiteral("Battery free"));
    child<QLabel>(status, "GPS_1_number_value")->setText(QStringLiteral("not connected"));
    child<QLabel>(status, "GPS_1_accuracy_value")->setText(QStringLiteral("98.99meter"));
    child<QLabel>(status, "RC1_MAX")->setText(QStringLiteral("max: -1000"));
    child<QLabel>(status, "RC9_left_label")->setText(QStringLiteral("Manual mode"));
    child<QLabel>(status, "RC5_mid_label")->setText(QStringLiteral("Freedom"));
    child<QLabel>(tuning, "MAG_calibration_lab")->setText(QStringLiteral(
        "Calibration successful, the flight controller will automatically restart to complete the calibration."));
    child<QPushButton>(tuning, "MAG_calibration_pB")->setText(QStringLiteral("Cancel"));
    settleLayouts();
    QStringList faults = layoutFaults(status) + layoutFaults(tuning);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));

    setEnglish(false);
    child<QPushButton>(status, "RC_pB")->setText(QStringLiteral("点击写入参数"));
    child<QLabel>(status, "RC_label")->setText(QStringLiteral("请转动摇杆进行校准"));
    child<QLabel>(status, "RC5_left_label")->setText(QStringLiteral("手动模式"));
    child<QLabel>(tuning, "MAG_calibration_lab")->setText(QStringLiteral("校准成功，自动重启飞控完成校准\n"));
    settleLayouts();
    faults = layoutFaults(status) + layoutFaults(tuning);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
}

void PagesTest::rcColumnLayoutsBackAndForth()
{
    auto *page = new StatusPage(&m_ctx);
    host(page);
    auto *column = qobject_cast<QVBoxLayout *>(child<QWidget>(page, "RC5_9_Bar_widget")->layout());
    QVERIFY(column);
    const QStringList ordinary = {"RC5_Row_widget", "RC7_Row_widget", "RC8_Row_widget", "RC9_Row_widget"};
    // Receiver on serial 2: rows in channel order 5, 6, 7, 8, 9, all shown.
    const QStringList mavlink = {"RC5_Row_widget", "RC8_Row_widget", "RC7_Row_widget", "RC9_Row_widget",
                                 "RC9_NEW_Row_widget"};
    const auto rows = [column] {
        QStringList names;
        for (int i = 0; i < column->count(); ++i) {
            names << column->itemAt(i)->widget()->objectName();
            if (column->stretch(i) != 1)
                names << QStringLiteral("bad stretch");
        }
        return names;
    };
    for (int round = 0; round < 2; ++round) {
        page->layoutRcColumn(false);
        page->layoutRcColumn(false); // a repeat changes nothing
        settleLayouts();
        QCOMPARE(rows(), ordinary);
        QVERIFY(child<QWidget>(page, "RC9_NEW_Row_widget")->isHidden());
        QVERIFY(child<QWidget>(page, "StrokeCalibration")->isVisible());
        QCOMPARE(label(page, "RC8_Label"), QStringLiteral("CH8"));
        QCOMPARE(label(page, "RC9_Label"), QStringLiteral("CH9"));
        QVERIFY2(layoutFaults(page).isEmpty(), qPrintable(layoutFaults(page).join('\n')));

        page->layoutRcColumn(true);
        settleLayouts();
        QCOMPARE(rows(), mavlink);
        int lastY = -1;
        for (int i = 0; i < column->count(); ++i) {
            QWidget *row = column->itemAt(i)->widget();
            QVERIFY(row->isVisible() && row->y() > lastY);
            lastY = row->y();
        }
        QCOMPARE(label(page, "RC8_Label"), QStringLiteral("CH6"));
        QCOMPARE(label(page, "RC9_Label"), QStringLiteral("CH8"));
        QCOMPARE(label(page, "RC9_NEW_Label"), QStringLiteral("CH9"));
        QVERIFY(child<QWidget>(page, "StrokeCalibration_PB")->isHidden());
        QVERIFY2(layoutFaults(page).isEmpty(), qPrintable(layoutFaults(page).join('\n')));
    }
}

void PagesTest::modelButtonsStayPacked()
{
    auto *page = new ModelPage(&m_ctx);
    host(page);
    const QList<QPushButton *> &buttons = page->typeButtons();
    page->initButtons();
    settleLayouts();
    QPushButton *alder = buttons[0], *elm = buttons[1];
    for (QPushButton *b : buttons)
        QCOMPARE(b->isVisible(), b == alder || b == elm);
    // The two small-model buttons side by side, centred on the page.
    QCOMPARE(alder->y(), elm->y());
    const QRect pair = alder->geometry().united(elm->geometry()).translated(alder->parentWidget()->pos());
    QVERIFY(qAbs(pair.center().x() - page->width() / 2) <= 2);
    QVERIFY(layoutFaults(page).isEmpty());

    // The fourteen scale-model buttons: rows of five, no gaps where hidden ones sit.
    QList<QPushButton *> scale;
    for (int i = 0; i < buttons.size(); ++i) {
        const int id = ModelPresets::rows().at(i).buttonNumber;
        buttons[i]->setVisible(id >= 10 && id != 19);
        if (id >= 10 && id != 19)
            scale << buttons[i];
    }
    settleLayouts();
    QCOMPARE(scale.size(), 14);
    auto *grid = qobject_cast<QGridLayout *>(scale.first()->parentWidget()->layout());
    QVERIFY(grid);
    for (int i = 0; i < scale.size(); ++i) {
        int row, column, rs, cs;
        grid->getItemPosition(grid->indexOf(scale[i]), &row, &column, &rs, &cs);
        QCOMPARE(row, i / 5);
        QCOMPARE(column, i % 5);
    }
    // Pictures keep their 340 x 240 proportions.
    QVERIFY(qAbs(scale.first()->width() * 240 - scale.first()->height() * 340) < 340);
    QVERIFY2(layoutFaults(page).isEmpty(), qPrintable(layoutFaults(page).join('\n')));
}

void PagesTest::retranslateWritesStateTextsPerLanguage()
{
    StatusPage status(&m_ctx);
    TuningPage tuning(&m_ctx);
    RotorPage rotor(&m_ctx);
    auto *compass = child<GaugeCompassPan>(&status, "gaugeCompasspan_2");
    auto *low = child<SwitchButton>(&tuning, "low_power_sB");

    setEnglish(true);
    status.retranslate();
    tuning.retranslate();
    QCOMPARE(label(&status, "RC_WARN_TEXT"), QStringLiteral("loss of RC signal"));
    QCOMPARE(child<QPushButton>(&status, "RC_pB")->text(), QStringLiteral("Start calibration"));
    QCOMPARE(compass->cardinalTexts, (QStringList{"N", "W", "S", "E"}));
    QCOMPARE(compass->headingNames.at(1), QStringLiteral("Northeast"));
    QCOMPARE(low->textOn, QStringLiteral("On"));
    QCOMPARE(label(&status, "RC5_left_label"), QStringLiteral("Aerobatics"));
    QCOMPARE(label(&status, "RC1_MAX"), QStringLiteral("max: -1")); // absent value

    // A scale model with the radio on serial 2.
    m_ctx.modelId = 21;
    m_ctx.serial2IsMavlink = true;
    m_store.insertOrUpdate(Parameter{QStringLiteral("RC2_TRIM"), 1502.9});
    status.retranslate();
    rotor.retranslate();
    QCOMPARE(label(&status, "RC8_Label"), QStringLiteral("CH6"));
    QCOMPARE(label(&status, "RC_CH9_NEW_Type_Label"), QStringLiteral("Route"));
    QCOMPARE(label(&status, "RC9_NEW_right_label"), QStringLiteral("Figure-8"));
    QCOMPARE(label(&status, "RC5_mid_label"), QStringLiteral("Freedom"));
    QCOMPARE(label(&status, "RC2_TRIM"), QStringLiteral("trim: 1502"));
    QCOMPARE(label(&rotor, "Collective_pos_label"), QStringLiteral("  ＋14°"));
    QCOMPARE(label(&rotor, "Collective_neg_label"), QStringLiteral("  - 9°"));

    setEnglish(false);
    m_ctx.serial2IsMavlink = false;
    status.retranslate();
    tuning.retranslate();
    QCOMPARE(compass->cardinalTexts, (QStringList{"北", "西", "南", "东"}));
    QCOMPARE(low->textOn, QStringLiteral("开启"));
    QCOMPARE(label(&status, "RC5_left_label"), QStringLiteral("姿态"));
    QCOMPARE(label(&status, "RC_CH9_Type_Label"), QStringLiteral("协调转弯"));
}

void PagesTest::sleepKeepsEventsRunningWithoutSpinning()
{
    PageContext ctx(&m_store, nullptr);
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&] { ++ticks; });
    timer.start(10);
    bool queuedRan = false;
    QMetaObject::invokeMethod(this, [&] { queuedRan = true; }, Qt::QueuedConnection);
    const double cpuBefore = processCpuMs();
    QElapsedTimer clock;
    clock.start();
    ctx.sleep(400);
    const double cpuMs = processCpuMs() - cpuBefore;
    QVERIFY(clock.elapsed() >= 400);
    QVERIFY(queuedRan);
    QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
    // A busy wait would use about the whole 400 ms of processor time.
    QVERIFY2(cpuMs < 100.0, qPrintable(QString::number(cpuMs)));
    clock.restart();
    ctx.sleep(0);
    QVERIFY(clock.elapsed() < 50);
}

void PagesTest::rebootProgressDialog()
{
    QElapsedTimer clock;
    for (const bool english : {false, true}) {
        QWidget window;
        window.show();
        PageContext ctx(&m_store, &window);
        ctx.english = english;
        QPointer<QProgressDialog> seen;
        int maxValue = -1;
        QTimer probe;
        connect(&probe, &QTimer::timeout, this, [&] {
            auto *d = window.findChild<QProgressDialog *>();
            if (!d || seen)
                return;
            seen = d;
            QCOMPARE(d->windowTitle(), english ? QStringLiteral("rebooting...") : QStringLiteral("飞控重启中..."));
            QVERIFY(d->isModal() && !(d->windowFlags() & Qt::WindowCloseButtonHint));
            QVERIFY(!d->findChild<QPushButton *>()); // no cancel button
            connect(d->findChild<QProgressBar *>(), &QProgressBar::valueChanged, this,
                    [&](int v) { maxValue = std::max(maxValue, v); });
        });
        probe.start(5);
        clock.start();
        ctx.simulate_progressBar(3);
        QVERIFY(clock.elapsed() >= 300);
        QVERIFY(window.findChildren<QProgressDialog *>().isEmpty()); // destroyed at the end
        QCOMPARE(maxValue, 99);
    }

    // It ends when the window goes, and at once for a negative step.
    auto *window = new QWidget;
    window->show();
    PageContext ctx(&m_store, window);
    QTimer::singleShot(100, window, [window] { delete window; });
    clock.start();
    ctx.simulate_progressBar(20); // would take 2 s
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(ctx.window() == nullptr);

    QWidget other;
    PageContext negative(&m_store, &other);
    clock.restart();
    negative.simulate_progressBar(-30);
    QVERIFY(clock.elapsed() < 2000);
    QVERIFY(other.findChildren<QProgressDialog *>().isEmpty());
}

QTEST_MAIN(PagesTest)
#include "tst_pages.moc"
