// The four page forms: names the window and the style sheet rely on, the
// ranges and start values of the controls, the radio column arrangement, and
// the layout in Chinese and English at the size the window gives the pages.
//
// Set TAVRO_PAGE_SHOTS to a folder to get a PNG of every rendered state.

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTest>
#include <QTranslator>
#include <QVBoxLayout>

#include "EnglishCatalogue.h"
#include "LayoutChecks.h"
#include "pages/ModelPage.h"
#include "pages/PageContext.h"
#include "pages/RotorPage.h"
#include "pages/StatusPage.h"
#include "pages/TuningPage.h"
#include "params/ModelPresets.h"
#include "params/ParameterStore.h"
#include "widgets/GaugeCompassPan.h"
#include "widgets/GaugePlane.h"
#include "widgets/NavLabel.h"
#include "widgets/SliderTip.h"
#include "widgets/SwitchButton.h"
#include "widgets/XProgressBar.h"

namespace {

// What the window leaves the stacked pages: 1000 x 600 less the 200-pixel
// left column, the 60-pixel top bar and the layouts' spacing.
const QSize kPageSize(794, 534);

// Lets every pending layout request run, so geometry reflects the texts.
void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
    }
}

template <typename T>
T *child(QWidget *page, const char *name)
{
    return page->findChild<T *>(QString::fromLatin1(name));
}

} // namespace

class PagesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void statusPageNamesAndStartValues();
    void rotorPageNamesRangesAndStartValues();
    void tuningPageNamesRangesAndStartValues();
    void modelPageButtonsAndPictures();

    void rcColumnOrdinaryLayout();
    void rcColumnMavlinkLayoutAndBackAgain();
    void travelCalibrationRunningFollowsButtonText();
    void closeAdjustmentsEndsBothAdjustments();
    void modelButtonsStayPackedWhenShownOrHidden();
    void retranslateWritesStateTextsPerLanguage();

    void layoutFitsInChineseAndEnglish_data();
    void layoutFitsInChineseAndEnglish();
    void longestStateTextsFitInEnglish();

private:
    // A page shown inside a stacked widget named like the window's, at the
    // size the window gives it, styled by the application style sheet.
    QWidget *host(QWidget *page);
    void shoot(QWidget *page, const QString &name);
    void setEnglish(bool english);

    ParameterStore m_store;
    QWidget m_window;
    PageContext m_ctx{&m_store, &m_window};
    EnglishCatalogue m_english;
    // The application's compiled English catalogue, when the resources hold
    // one; it wins over the test's table where it has an entry.
    QTranslator m_shipped;
    bool m_shippedLoaded = false;
    QString m_shotDir;
    QList<QWidget *> m_hosts;
};

void PagesTest::initTestCase()
{
    QFile qss(QStringLiteral(":/QSS/style1.qss"));
    if (qss.open(QIODevice::ReadOnly))
        qApp->setStyleSheet(QString::fromUtf8(qss.readAll()));
    m_shippedLoaded = m_shipped.load(QStringLiteral(":/TAVRO_en_US.qm"));
    m_shotDir = qEnvironmentVariable("TAVRO_PAGE_SHOTS");
    if (!m_shotDir.isEmpty())
        QDir().mkpath(m_shotDir);
}

void PagesTest::cleanup()
{
    setEnglish(false);
    m_ctx.serial2IsMavlink = false;
    m_ctx.modelId = -1;
    qDeleteAll(m_hosts);
    m_hosts.clear();
}

QWidget *PagesTest::host(QWidget *page)
{
    auto *frame = new QWidget;
    auto *stack = new QStackedWidget(frame);
    stack->setObjectName(QStringLiteral("stackedWidget"));
    stack->addWidget(page);
    stack->setGeometry(QRect(QPoint(0, 0), kPageSize));
    frame->resize(kPageSize);
    frame->show();
    m_hosts.append(frame);
    if (!QTest::qWaitForWindowExposed(frame))
        qWarning("page host not exposed");
    settle();
    return frame;
}

void PagesTest::shoot(QWidget *page, const QString &name)
{
    if (m_shotDir.isEmpty())
        return;
    page->grab().save(QDir(m_shotDir).filePath(name + QStringLiteral(".png")));
}

void PagesTest::setEnglish(bool english)
{
    if (english) {
        QCoreApplication::installTranslator(&m_english);
        if (m_shippedLoaded)
            QCoreApplication::installTranslator(&m_shipped);
    } else {
        QCoreApplication::removeTranslator(&m_shipped);
        QCoreApplication::removeTranslator(&m_english);
    }
    m_ctx.english = english;
}

void PagesTest::statusPageNamesAndStartValues()
{
    StatusPage page(&m_ctx);
    QCOMPARE(page.objectName(), QStringLiteral("page"));

    // Channel bars: one per row, 900..2100, starting at 900.
    for (const char *name : {"RC_CH1_Bar", "RC_CH2_Bar", "RC_CH3_Bar", "RC_CH4_Bar", "RC_CH5_Bar", "RC_CH7_Bar",
                             "RC_CH8_Bar", "RC_CH9_Bar", "RC_CH9_NEW_Bar"}) {
        auto *bar = child<XProgressBar>(&page, name);
        QVERIFY2(bar, name);
        QCOMPARE(bar->minimum(), 900);
        QCOMPARE(bar->maximum(), 2100);
        QCOMPARE(bar->value(), 900);
        QCOMPARE(bar->orientation(), Qt::Horizontal);
        QVERIFY(bar->isTextVisible());
    }

    // Indicator labels, captions and channel labels with their form texts.
    const QList<QPair<const char *, const char *>> texts = {
        {"RC1_left_label", "左"}, {"RC1_right_label", "右"}, {"RC2_left_label", "后"}, {"RC2_right_label", "前"},
        {"RC3_left_label", "下"}, {"RC3_right_label", "上"}, {"RC4_left_label", "左"}, {"RC4_right_label", "右"},
        {"RC5_left_label", "特技"}, {"RC5_mid_label", "姿态"}, {"RC5_right_label", "GPS"},
        {"RC7_left_label", "熄火"}, {"RC7_right_label", "启动"},
        {"RC8_left_label", "柔和"}, {"RC8_mid_label", "标准"}, {"RC8_right_label", "运动"},
        {"RC9_left_label", "关闭"}, {"RC9_right_label", "返航"},
        {"RC9_NEW_left_label", "关闭"}, {"RC9_NEW_mid_label", "绕圆"}, {"RC9_NEW_right_label", "绕8字"},
        {"RC5_Label", "CH5"}, {"RC7_Label", "CH7"}, {"RC8_Label", "CH6"}, {"RC9_Label", "CH8"},
        {"RC9_NEW_Label", "CH9"}, {"RC_CH9_Type_Label", "一键返航"}, {"RC_CH9_NEW_Type_Label", "特技航线"},
        {"RC_label", ""}, {"RC_WARN_TEXT", "丢失遥控信号失控保护中"},
        {"power_value", "---"}, {"GPS_1_number_value", "未连接"}, {"GPS_1_accuracy_value", "未定位"},
        {"RC1_MIN", "min:"}, {"RC1_TRIM", "trim:"}, {"RC1_MAX", "max:"},
        {"RC4_MIN", "min:"}, {"RC4_TRIM", "trim:"}, {"RC4_MAX", "max:"},
    };
    for (const auto &[name, text] : texts) {
        auto *label = child<QLabel>(&page, name);
        QVERIFY2(label, name);
        QCOMPARE(label->text(), QString::fromUtf8(text));
    }
    // Unlit indicators are white; the receiver indicator starts on "lost".
    QCOMPARE(child<QLabel>(&page, "RC5_mid_label")->styleSheet(), QStringLiteral("background-color:rgb(255,255,255);"));
    QCOMPARE(child<QLabel>(&page, "RC_WARN")->styleSheet(), QStringLiteral("image: url(:/wifi_close.png);"));

    auto *rcButton = child<QPushButton>(&page, "RC_pB");
    QVERIFY(rcButton);
    QCOMPARE(page.rcButton(), rcButton);
    QCOMPARE(rcButton->text(), QStringLiteral("开始行程校准"));
    QVERIFY(!rcButton->isEnabled());

    QVERIFY(child<GaugePlane>(&page, "gaugePlane_2"));
    QVERIFY(child<GaugeCompassPan>(&page, "gaugeCompasspan_2"));
    for (const char *name : {"RC_widget", "page1_state_widget", "GPS_1_Widget", "StrokeCalibration_PB",
                             "StrokeCalibration", "RC1_4_Bar_widget", "RC5_9_Bar_widget", "RC9_NEW_Row_widget"})
        QVERIFY2(child<QWidget>(&page, name), name);
}

void PagesTest::rotorPageNamesRangesAndStartValues()
{
    RotorPage page(&m_ctx);
    QCOMPARE(page.objectName(), QStringLiteral("page_2"));

    struct Pair { const char *slider; const char *spin; int lo, hi, start; };
    const Pair pairs[] = {
        {"Cross_servo_1_vS", "Cross_servo_1_sB", 1350, 1650, 1500},
        {"Cross_servo_2_vS", "Cross_servo_2_sB", 1350, 1650, 1500},
        {"Cross_servo_3_vS", "Cross_servo_3_sB", 1350, 1650, 1500},
        {"Collective_pos_vS", "Collective_pos_sB", 1560, 1900, 1750},
        {"Collective_neg_vS", "Collective_neg_sB", 1000, 1450, 1250},
    };
    for (const Pair &p : pairs) {
        auto *slider = child<QSlider>(&page, p.slider);
        auto *spin = child<QSpinBox>(&page, p.spin);
        QVERIFY2(slider && spin, p.slider);
        QCOMPARE(slider->orientation(), Qt::Vertical);
        QCOMPARE(slider->minimum(), p.lo);
        QCOMPARE(slider->maximum(), p.hi);
        QCOMPARE(slider->value(), p.start);
        QCOMPARE(slider->pageStep(), 5);
        QCOMPARE(spin->minimum(), p.lo);
        QCOMPARE(spin->maximum(), p.hi);
        QCOMPARE(spin->value(), p.start);
    }

    // Servo frames start disabled, the collective controls enabled.
    for (const char *name : {"Cross_servo_1_frame", "Cross_trim_2_frame", "Cross_servo_3_frame"}) {
        auto *frame = child<QFrame>(&page, name);
        QVERIFY2(frame, name);
        QVERIFY(!frame->isEnabled());
    }
    QVERIFY(child<QSlider>(&page, "Cross_servo_2_vS")->parent() == child<QFrame>(&page, "Cross_trim_2_frame"));
    for (const char *name : {"Collective_pos_vS", "Collective_pos_sB", "Collective_neg_vS", "Collective_neg_sB"})
        QVERIFY2(child<QWidget>(&page, name)->isEnabled(), name);

    QCOMPARE(child<QPushButton>(&page, "Cross_servo_mid_pB")->text(), QStringLiteral("舵机回中"));
    QCOMPARE(child<QPushButton>(&page, "Collective_pos_pB")->text(), QStringLiteral("正螺距"));
    QCOMPARE(child<QPushButton>(&page, "Collective_neg_pB")->text(), QStringLiteral("负螺距"));
    QCOMPARE(child<QPushButton>(&page, "Collective_ok_pB")->text(), QStringLiteral("调整完成"));
    QCOMPARE(child<QLabel>(&page, "Collective_pos_label")->text(), QStringLiteral("  ＋13°"));
    QCOMPARE(child<QLabel>(&page, "Collective_neg_label")->text(), QStringLiteral("  - 13°"));
    for (const char *name : {"Cross_servo_widget", "Collective_widget", "Left_Swash_widget", "Right_Swash_widget",
                             "Forward_Swash_widget", "Collective_pos_widget", "Collective_neg_widget",
                             "Collective_pos_frame", "Collective_neg_frame"})
        QVERIFY2(child<QWidget>(&page, name), name);
}

void PagesTest::tuningPageNamesRangesAndStartValues()
{
    TuningPage page(&m_ctx);
    QCOMPARE(page.objectName(), QStringLiteral("page_3"));

    struct Row { const char *caption; const char *captionText; const char *slider; int lo, hi, start; const char *value; };
    const Row rows[] = {
        {"throttle_label", "油门值", "Main_motor_speed_hs", 50, 100, 75, "Main_motor_speed_lab"},
        {"ATC_RAT_PIT_lab", "俯仰感度", "ATC_RAT_PIT_hS", 0, 100, 0, "ATC_RAT_PIT_value_lab"},
        {"ATC_RAT_RLL_lab", "横滚感度", "ATC_RAT_RLL_hS", 0, 100, 0, "ATC_RAT_RLL_value_lab"},
        {"Locking_sensitivity_lab", "锁尾感度", "Locking_sensitivity_hs", 0, 100, 50, "Locking_sensitivity_value_lab"},
        {"Break_Accel_lab", "刹车力度", "Break_Accel_hS", 0, 100, 50, "Break_Accel_value_lab"},
    };
    for (const Row &r : rows) {
        auto *slider = child<SliderTip>(&page, r.slider);
        QVERIFY2(slider, r.slider);
        QCOMPARE(slider->orientation(), Qt::Horizontal);
        QCOMPARE(slider->minimum(), r.lo);
        QCOMPARE(slider->maximum(), r.hi);
        QCOMPARE(slider->value(), r.start);
        QCOMPARE(slider->pageStep(), 1);
        QCOMPARE(child<QLabel>(&page, r.caption)->text(), QString::fromUtf8(r.captionText));
        // The percentage label matches the slider's start value.
        QCOMPARE(child<QLabel>(&page, r.value)->text(), QStringLiteral("%1%").arg(r.start));
    }
    QVERIFY(!child<SliderTip>(&page, "Locking_sensitivity_hs")->isEnabled());
    QVERIFY(!child<QWidget>(&page, "page3_widget")->isEnabled());
    QVERIFY(child<QWidget>(&page, "manualparam_widget"));

    auto *low = child<SwitchButton>(&page, "low_power_sB");
    QVERIFY(low);
    QVERIFY(!low->checked());
    QCOMPARE(child<QLabel>(&page, "lower_label")->text(), QStringLiteral("低电量返航"));

    auto *bar = child<QProgressBar>(&page, "MAG_calibration_xPB");
    QVERIFY(bar);
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 100);
    QCOMPARE(bar->value(), 0);
    QVERIFY(!bar->isTextVisible());
    QVERIFY(!child<QCheckBox>(&page, "MAG_calibration_cB")->isChecked());
    QCOMPARE(child<QCheckBox>(&page, "MAG_calibration_cB")->text(), QStringLiteral("校准完自动重启"));
    QCOMPARE(child<QPushButton>(&page, "MAG_calibration_pB")->text(), QStringLiteral("开始校准"));
    QCOMPARE(child<QLabel>(&page, "MAG_calibration_process_label")->text(), QStringLiteral("磁力计校准进度"));
    QVERIFY(child<QLabel>(&page, "MAG_calibration_lab")->wordWrap());
    QVERIFY(child<QWidget>(&page, "MAG_calibration_widget"));

    // Progress reports above 100 leave the bar as it is.
    page.MagCalibration_show(42);
    QCOMPARE(bar->value(), 42);
    page.MagCalibration_show(101);
    QCOMPARE(bar->value(), 42);
}

void PagesTest::modelPageButtonsAndPictures()
{
    ModelPage page(&m_ctx);
    QCOMPARE(page.objectName(), QStringLiteral("page_4"));
    QCOMPARE(page.typeButtons().size(), ModelPresets::count);
    for (int i = 0; i < ModelPresets::count; ++i) {
        const ModelPreset &row = ModelPresets::rows().at(i);
        QPushButton *button = page.typeButtons().at(i);
        QCOMPARE(button->objectName(), QString::fromLatin1(row.buttonName));
        QVERIFY(button->text().isEmpty());
        // The form shows every picture not selected, as types_reset does.
        QCOMPARE(button->styleSheet(), ModelPresets::notSelectedStyleSheet(row));
        QVERIFY2(QFile::exists(QString::fromLatin1(row.selectedImage)), row.selectedImage);
        QVERIFY2(QFile::exists(QString::fromLatin1(row.notSelectedImage)), row.notSelectedImage);
    }
    page.typeButtons().at(5)->setStyleSheet(ModelPresets::selectedStyleSheet(ModelPresets::rows().at(5)));
    page.types_reset();
    QCOMPARE(page.typeButtons().at(5)->styleSheet(), ModelPresets::notSelectedStyleSheet(ModelPresets::rows().at(5)));
}

void PagesTest::rcColumnOrdinaryLayout()
{
    auto *page = new StatusPage(&m_ctx);
    host(page);
    auto *column = qobject_cast<QVBoxLayout *>(child<QWidget>(page, "RC5_9_Bar_widget")->layout());
    QVERIFY(column);
    QCOMPARE(column->count(), 5);

    page->layoutRcColumn(false);
    QCOMPARE(column->count(), 4);
    const char *order[] = {"RC5_Row_widget", "RC7_Row_widget", "RC8_Row_widget", "RC9_Row_widget"};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(column->itemAt(i)->widget()->objectName(), QString::fromLatin1(order[i]));
        QCOMPARE(column->stretch(i), 1);
    }
    QVERIFY(child<QWidget>(page, "RC9_NEW_Row_widget")->isHidden());
    QCOMPARE(child<QLabel>(page, "RC8_Label")->text(), QStringLiteral("CH8"));
    QCOMPARE(child<QLabel>(page, "RC9_Label")->text(), QStringLiteral("CH9"));
    QCOMPARE(column->contentsMargins().bottom(), 18);
    QVERIFY(child<QWidget>(page, "StrokeCalibration_PB")->isVisible());
    QVERIFY(child<QWidget>(page, "StrokeCalibration")->isVisible());

    // Calling it again changes nothing.
    page->layoutRcColumn(false);
    QCOMPARE(column->count(), 4);
    QCOMPARE(column->itemAt(1)->widget()->objectName(), QStringLiteral("RC7_Row_widget"));
    QVERIFY(layoutFaults(page).isEmpty());
}

void PagesTest::rcColumnMavlinkLayoutAndBackAgain()
{
    auto *page = new StatusPage(&m_ctx);
    host(page);
    auto *column = qobject_cast<QVBoxLayout *>(child<QWidget>(page, "RC5_9_Bar_widget")->layout());
    // The window's construction lays the column out the ordinary way first.
    page->layoutRcColumn(false);

    for (int round = 0; round < 3; ++round) {
        page->layoutRcColumn(true);
        settle();
        // Rows in channel order 5, 6, 7, 8, 9, top to bottom, all shown.
        const char *order[] = {"RC5_Row_widget", "RC8_Row_widget", "RC7_Row_widget", "RC9_Row_widget",
                               "RC9_NEW_Row_widget"};
        QCOMPARE(column->count(), 5);
        int lastY = -1;
        for (int i = 0; i < 5; ++i) {
            QWidget *row = column->itemAt(i)->widget();
            QCOMPARE(row->objectName(), QString::fromLatin1(order[i]));
            QCOMPARE(column->stretch(i), 1);
            QVERIFY(row->isVisible());
            QVERIFY(row->y() > lastY);
            lastY = row->y();
        }
        QCOMPARE(child<QLabel>(page, "RC8_Label")->text(), QStringLiteral("CH6"));
        QCOMPARE(child<QLabel>(page, "RC9_Label")->text(), QStringLiteral("CH8"));
        QCOMPARE(child<QLabel>(page, "RC9_NEW_Label")->text(), QStringLiteral("CH9"));
        QVERIFY(child<QWidget>(page, "StrokeCalibration_PB")->isHidden());
        QVERIFY(child<QWidget>(page, "StrokeCalibration")->isHidden());
        QVERIFY2(layoutFaults(page).isEmpty(), qPrintable(layoutFaults(page).join('\n')));
        if (round == 0)
            shoot(page, QStringLiteral("status-mavlink-rc-zh"));

        page->layoutRcColumn(false);
        settle();
        QCOMPARE(column->count(), 4);
        const char *ordinary[] = {"RC5_Row_widget", "RC7_Row_widget", "RC8_Row_widget", "RC9_Row_widget"};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(column->itemAt(i)->widget()->objectName(), QString::fromLatin1(ordinary[i]));
        QVERIFY(child<QWidget>(page, "RC9_NEW_Row_widget")->isHidden());
        QVERIFY(child<QWidget>(page, "StrokeCalibration")->isVisible());
        QCOMPARE(child<QLabel>(page, "RC8_Label")->text(), QStringLiteral("CH8"));
    }
}

void PagesTest::travelCalibrationRunningFollowsButtonText()
{
    StatusPage page(&m_ctx);
    QPushButton *button = page.rcButton();
    QVERIFY(!page.travelCalibrationRunning());
    button->setText(QStringLiteral("Start calibration"));
    QVERIFY(!page.travelCalibrationRunning());
    for (const char *text : {"校准中", "点击写入参数", "in calibration", "start calibration", ""}) {
        button->setText(QString::fromUtf8(text));
        QVERIFY2(page.travelCalibrationRunning(), text);
    }
}

void PagesTest::closeAdjustmentsEndsBothAdjustments()
{
    RotorPage page(&m_ctx);
    QSignalSpy centring(child<QPushButton>(&page, "Cross_servo_mid_pB"), &QPushButton::clicked);
    QSignalSpy done(child<QPushButton>(&page, "Collective_ok_pB"), &QPushButton::clicked);
    QList<QString> order;
    // Recorded on the press: the page's own click handler then leaves the state.
    connect(child<QPushButton>(&page, "Cross_servo_mid_pB"), &QPushButton::pressed, &page,
            [&] { order << QStringLiteral("centring:") + QString::number(m_ctx.swashAdjustState); });
    connect(child<QPushButton>(&page, "Collective_ok_pB"), &QPushButton::clicked, &page,
            [&] { order << QStringLiteral("done"); });
    m_ctx.swashAdjustState = 0;
    page.closeAdjustments();
    QCOMPARE(centring.count(), 1);
    QCOMPARE(done.count(), 1);
    // The centring button is clicked as "leave" (state 1), before the done button.
    QCOMPARE(order, (QList<QString>{QStringLiteral("centring:1"), QStringLiteral("done")}));
}

void PagesTest::modelButtonsStayPackedWhenShownOrHidden()
{
    auto *page = new ModelPage(&m_ctx);
    host(page);
    const QList<QPushButton *> &buttons = page->typeButtons();

    page->initButtons();
    settle();
    for (int i = 0; i < buttons.size(); ++i) {
        const int number = ModelPresets::rows().at(i).buttonNumber;
        const bool offered = number == 1 || number == 4;
        QCOMPARE(buttons[i]->isVisible(), offered);
        QCOMPARE(buttons[i]->isEnabled(), offered);
    }
    // The two small-model buttons side by side, centred on the page.
    QPushButton *alder = buttons[0], *elm = buttons[1];
    QCOMPARE(alder->y(), elm->y());
    QVERIFY(alder->x() < elm->x());
    const QRect pair = alder->geometry().united(elm->geometry()).translated(alder->parentWidget()->pos());
    QVERIFY(qAbs(pair.center().x() - page->width() / 2) <= 2);
    QVERIFY(layoutFaults(page).isEmpty());
    shoot(page, QStringLiteral("models-small-zh"));

    // The scale models' fourteen buttons: packed in rows of five, no gaps
    // where the hidden ones sit in the table.
    for (QPushButton *b : buttons) {
        b->setVisible(false);
        b->setEnabled(false);
    }
    QList<QPushButton *> scale;
    for (int i = 0; i < buttons.size(); ++i) {
        const int id = ModelPresets::rows().at(i).buttonNumber;
        if (id >= 10 && id != 19) {
            buttons[i]->setEnabled(true);
            buttons[i]->setVisible(true);
            scale << buttons[i];
        }
    }
    settle();
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
    shoot(page, QStringLiteral("models-scale-zh"));
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
    rotor.retranslate();
    QCOMPARE(child<QLabel>(&status, "RC_WARN_TEXT")->text(), QStringLiteral("loss of RC signal"));
    QCOMPARE(child<QPushButton>(&status, "RC_pB")->text(), QStringLiteral("Start calibration"));
    QCOMPARE(compass->cardinalTexts, (QStringList{"N", "W", "S", "E"}));
    QCOMPARE(compass->headingNames.at(1), QStringLiteral("Northeast"));
    QCOMPARE(low->textOn, QStringLiteral("On"));
    QCOMPARE(low->textOff, QStringLiteral("Off"));
    QCOMPARE(child<QLabel>(&status, "RC5_left_label")->text(), QStringLiteral("Aerobatics"));
    QCOMPARE(child<QLabel>(&status, "RC9_right_label")->text(), QStringLiteral("Home"));
    // Ordinary receiver layout: channels 8 and 9 on the last two rows.
    QCOMPARE(child<QLabel>(&status, "RC8_Label")->text(), QStringLiteral("CH8"));
    QCOMPARE(child<QLabel>(&status, "RC9_Label")->text(), QStringLiteral("CH9"));
    // Travel labels show the stored values, -1 for absent ones.
    QCOMPARE(child<QLabel>(&status, "RC1_MAX")->text(), QStringLiteral("max: -1"));

    // A scale model with the radio on serial 2: the form's channel numbers
    // stay and the channel-9 row gets its English texts.
    m_ctx.modelId = 21;
    m_ctx.serial2IsMavlink = true;
    m_store.insertOrUpdate(Parameter{QStringLiteral("RC2_TRIM"), 1502.9});
    status.retranslate();
    rotor.retranslate();
    QCOMPARE(child<QLabel>(&status, "RC8_Label")->text(), QStringLiteral("CH6"));
    QCOMPARE(child<QLabel>(&status, "RC_CH9_NEW_Type_Label")->text(), QStringLiteral("Route"));
    QCOMPARE(child<QLabel>(&status, "RC9_NEW_right_label")->text(), QStringLiteral("Figure-8"));
    QCOMPARE(child<QLabel>(&status, "RC5_mid_label")->text(), QStringLiteral("Freedom"));
    QCOMPARE(child<QLabel>(&status, "RC2_TRIM")->text(), QStringLiteral("trim: 1502"));
    QCOMPARE(child<QLabel>(&rotor, "Collective_pos_label")->text(), QStringLiteral("  ＋14°"));
    QCOMPARE(child<QLabel>(&rotor, "Collective_neg_label")->text(), QStringLiteral("  - 9°"));

    setEnglish(false);
    m_ctx.serial2IsMavlink = false;
    status.retranslate();
    tuning.retranslate();
    QCOMPARE(compass->cardinalTexts, (QStringList{"北", "西", "南", "东"}));
    QCOMPARE(low->textOn, QStringLiteral("开启"));
    QCOMPARE(child<QLabel>(&status, "RC5_left_label")->text(), QStringLiteral("姿态"));
    QCOMPARE(child<QLabel>(&status, "RC_CH9_Type_Label")->text(), QStringLiteral("协调转弯"));
    m_store.clearParameterValue();
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
    switch (pageIndex) {
    case 0: page = new StatusPage(&m_ctx); break;
    case 1: page = new RotorPage(&m_ctx); break;
    case 2: page = new TuningPage(&m_ctx); break;
    default: page = new ModelPage(&m_ctx); break;
    }
    // The page asks for no more room than the window has for it.
    QVERIFY2(page->minimumSizeHint().width() <= kPageSize.width()
                 && page->minimumSizeHint().height() <= kPageSize.height(),
             qPrintable(QStringLiteral("%1x%2").arg(page->minimumSizeHint().width()).arg(page->minimumSizeHint().height())));
    host(page);
    if (auto *status = qobject_cast<StatusPage *>(page))
        status->layoutRcColumn(false);
    if (auto *models = qobject_cast<ModelPage *>(page))
        models->initButtons();
    setEnglish(english);
    if (auto *p = qobject_cast<StatusPage *>(page))
        p->retranslate();
    else if (auto *p = qobject_cast<RotorPage *>(page))
        p->retranslate();
    else if (auto *p = qobject_cast<TuningPage *>(page))
        p->retranslate();
    else if (auto *p = qobject_cast<ModelPage *>(page))
        p->retranslate();
    settle();

    const QStringList faults = layoutFaults(page);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    shoot(page, QString::fromLatin1(QTest::currentDataTag()));
}

void PagesTest::longestStateTextsFitInEnglish()
{
    // The texts the pages write later at run time, in their longest English
    // forms, must fit where they are shown.
    setEnglish(true);
    auto *status = new StatusPage(&m_ctx);
    auto *tuning = new TuningPage(&m_ctx);
    host(status);
    host(tuning);
    status->layoutRcColumn(false);
    status->retranslate();
    tuning->retranslate();

    child<QPushButton>(status, "RC_pB")->setText(tr("点击写入参数"));
    child<QLabel>(status, "RC_label")->setText(tr("请转动摇杆进行校准"));
    child<QLabel>(status, "RC_WARN_TEXT")->setText(tr("遥控信号连接中"));
    child<QLabel>(status, "power_value")->setText(tr("无电池"));
    child<QLabel>(status, "GPS_1_number_value")->setText(QStringLiteral("not connected"));
    child<QLabel>(status, "GPS_1_accuracy_value")->setText(QStringLiteral("98.99") + tr("米"));
    child<QLabel>(status, "RC1_MAX")->setText(QStringLiteral("max: -1000"));
    child<QLabel>(status, "RC2_TRIM")->setText(QStringLiteral("trim: 1500"));
    child<QLabel>(status, "RC9_left_label")->setText(QStringLiteral("Manual mode"));
    child<QLabel>(status, "RC5_mid_label")->setText(QStringLiteral("Freedom"));
    child<QLabel>(tuning, "MAG_calibration_lab")->setText(tr("校准成功，自动重启飞控完成校准\n"));
    child<QPushButton>(tuning, "MAG_calibration_pB")->setText(tr("取消校准"));
    settle();
    const QStringList faults = layoutFaults(status) + layoutFaults(tuning);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    shoot(status, QStringLiteral("status-long-texts-en"));
    shoot(tuning, QStringLiteral("tuning-long-texts-en"));

    // The same in the later Chinese states.
    setEnglish(false);
    child<QPushButton>(status, "RC_pB")->setText(QStringLiteral("点击写入参数"));
    child<QLabel>(status, "RC_label")->setText(QStringLiteral("请转动摇杆进行校准"));
    child<QLabel>(status, "RC5_left_label")->setText(QStringLiteral("手动模式"));
    child<QLabel>(tuning, "MAG_calibration_lab")->setText(QStringLiteral("校准成功，自动重启飞控完成校准\n"));
    settle();
    const QStringList zhFaults = layoutFaults(status) + layoutFaults(tuning);
    QVERIFY2(zhFaults.isEmpty(), qPrintable(zhFaults.join('\n')));
}

QTEST_MAIN(PagesTest)
#include "tst_pages.moc"
