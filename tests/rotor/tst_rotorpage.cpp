// The rotor page by direct calls: trims with and without reversal, the
// slider / spin-box pairs, servo centring and the collective sides with their
// H_SV_MAN writes, looks and enabled controls, program fills that write
// nothing, the navigation's close, and the texts kept across a language switch.
//
// Set TAVRO_PAGE_SHOTS to a folder to get PNGs of the page's main states.

#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

#include "PageFixture.h"
#include "pages/RotorPage.h"

namespace {

template <typename T>
T *child(QWidget *page, const char *name)
{
    T *w = page->findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no widget %s", name);
    return w;
}

QColor shadowColour(QWidget *panel)
{
    auto *shadow = qobject_cast<QGraphicsDropShadowEffect *>(panel->graphicsEffect());
    return shadow ? shadow->color() : QColor();
}

const QColor kOrange(250, 132, 43, 255);
const QColor kGrey(0, 0, 0, 90);

const QList<QPair<QString, double>> kDownload = {
    {"fw_version", 3},
    {"SERVO1_TRIM", 1520}, {"SERVO1_REVERSED", 0},
    {"SERVO2_TRIM", 1400}, {"SERVO2_REVERSED", 1},
    {"SERVO3_TRIM", 1200}, {"SERVO3_REVERSED", 1},
    {"H_COL_MAX", 1850.7}, {"H_COL_MIN", 1200},
};

} // namespace

class RotorPageTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void trimMapping();
    void servoSliderWritesTrimAndSpinBoxFollows();
    void collectiveSliderAndSpinBoxPairs();
    void downloadFillsWithoutWriting();
    void absentParametersDisableTheirControls();
    void servoCentringEntersAndLeaves();
    void collectiveButtonDuringCentring();
    void doneKeepsCentringAndRefillsServos();
    void closeAdjustmentsFromEitherAdjustment();
    void languageSwitchKeepsStateTexts();

private:
    // The page with the window's wiring of the three collective buttons.
    RotorPage *makePage(PageFixture &f);
    void shoot(QWidget *page, const QString &name);
    QString m_shotDir;
    QString m_styleSheet;
};

void RotorPageTest::initTestCase()
{
    QFile qss(QStringLiteral(":/QSS/style1.qss"));
    if (qss.open(QIODevice::ReadOnly))
        m_styleSheet = QString::fromUtf8(qss.readAll());
    qApp->setStyleSheet(m_styleSheet);
    m_shotDir = qEnvironmentVariable("TAVRO_PAGE_SHOTS");
    if (!m_shotDir.isEmpty())
        QDir().mkpath(m_shotDir);
}

RotorPage *RotorPageTest::makePage(PageFixture &f)
{
    auto *page = new RotorPage(&f.ctx);
    for (const char *name : {"Collective_pos_pB", "Collective_neg_pB", "Collective_ok_pB"})
        connect(child<QPushButton>(page, name), &QPushButton::clicked, page, &RotorPage::on_CollectiveButtonClicked);
    return page;
}

void RotorPageTest::shoot(QWidget *page, const QString &name)
{
    if (!m_shotDir.isEmpty())
        page->grab().save(QDir(m_shotDir).filePath(name + QStringLiteral(".png")));
}

void RotorPageTest::trimMapping()
{
    // Slider to trim: straight, or mirrored about 1500, held in 1350..1650.
    QCOMPARE(RotorPage::trimForPosition(1600, false), 1600.0f);
    QCOMPARE(RotorPage::trimForPosition(1600, true), 1400.0f);
    QCOMPARE(RotorPage::trimForPosition(1350, true), 1650.0f);
    QCOMPARE(RotorPage::trimForPosition(1700, false), 1650.0f);
    QCOMPARE(RotorPage::trimForPosition(1200, true), 1650.0f);

    // Trim to slider, truncated toward zero.
    QCOMPARE(RotorPage::positionForTrim(1400, false), 1400);
    QCOMPARE(RotorPage::positionForTrim(1400, true), 1600);
    QCOMPARE(RotorPage::positionForTrim(1200, false), 1350);
    QCOMPARE(RotorPage::positionForTrim(1200, true), 1650);
    QCOMPARE(RotorPage::positionForTrim(1500.5, false), 1500);
    QCOMPARE(RotorPage::positionForTrim(1500.5, true), 1499);
    QCOMPARE(RotorPage::positionForTrim(1475, true), 1525);
    QCOMPARE(RotorPage::positionForTrim(1525, true), 1475);
    QCOMPARE(RotorPage::positionForTrim(qQNaN(), false), 1350);

    // Reversed means "1" as an integer; absent (-1) and 0 are not reversed.
    QVERIFY(RotorPage::isReversed(1.0));
    QVERIFY(!RotorPage::isReversed(0.0));
    QVERIFY(!RotorPage::isReversed(-1.0));
    QVERIFY(!RotorPage::isReversed(2.0));

    // Round trip: every position shows again after its trim is stored.
    for (bool reversed : {false, true}) {
        for (int p = 1350; p <= 1650; ++p)
            QCOMPARE(RotorPage::positionForTrim(RotorPage::trimForPosition(p, reversed), reversed), p);
    }
}

void RotorPageTest::servoSliderWritesTrimAndSpinBoxFollows()
{
    PageFixture f;
    f.load({{"SERVO1_REVERSED", 1}, {"SERVO3_REVERSED", 0}});
    std::unique_ptr<RotorPage> page(makePage(f));
    auto *s1 = child<QSlider>(page.get(), "Cross_servo_1_vS");
    auto *s2 = child<QSlider>(page.get(), "Cross_servo_2_vS");
    auto *sb3 = child<QSpinBox>(page.get(), "Cross_servo_3_sB");
    auto *s3 = child<QSlider>(page.get(), "Cross_servo_3_vS");

    s1->setValue(1600); // reversed
    s2->setValue(1600); // SERVO2_REVERSED absent: straight
    sb3->setValue(1475); // typed into the spin box: the slider moves and writes
    QCOMPARE(f.writes, (QList<QPair<QString, float>>{
                           {"SERVO1_TRIM", 1400.0f}, {"SERVO2_TRIM", 1600.0f}, {"SERVO3_TRIM", 1475.0f}}));
    QCOMPARE(child<QSpinBox>(page.get(), "Cross_servo_1_sB")->value(), 1600);
    QCOMPARE(child<QSpinBox>(page.get(), "Cross_servo_2_sB")->value(), 1600);
    QCOMPARE(s3->value(), 1475);

    // The reversal is looked up at each move: a later download that reverses
    // servo 2 changes what the same slider position writes.
    f.writes.clear();
    f.load({{"SERVO2_REVERSED", 1}});
    s2->setValue(1525);
    QCOMPARE(f.writesOf("SERVO2_TRIM"), QList<float>{1475.0f});
}

void RotorPageTest::collectiveSliderAndSpinBoxPairs()
{
    PageFixture f;
    std::unique_ptr<RotorPage> page(makePage(f));
    child<QSlider>(page.get(), "Collective_pos_vS")->setValue(1800);
    QCOMPARE(child<QSpinBox>(page.get(), "Collective_pos_sB")->value(), 1800);
    child<QSpinBox>(page.get(), "Collective_neg_sB")->setValue(1300);
    QCOMPARE(child<QSlider>(page.get(), "Collective_neg_vS")->value(), 1300);
    QCOMPARE(f.writes, (QList<QPair<QString, float>>{{"H_COL_MAX", 1800.0f}, {"H_COL_MIN", 1300.0f}}));

    // Out of range: shown and written clamped.
    f.writes.clear();
    child<QSlider>(page.get(), "Collective_pos_vS")->setValue(2000);
    QCOMPARE(f.writes, (QList<QPair<QString, float>>{{"H_COL_MAX", 1900.0f}}));
}

void RotorPageTest::downloadFillsWithoutWriting()
{
    PageFixture f;
    f.load(kDownload);
    f.ctx.modelId = 3;
    std::unique_ptr<RotorPage> page(makePage(f));
    page->showParameters();

    QVERIFY2(f.writes.isEmpty(), "a program fill wrote to the flight controller");
    QCOMPARE(child<QSlider>(page.get(), "Cross_servo_1_vS")->value(), 1520);
    QCOMPARE(child<QSlider>(page.get(), "Cross_servo_2_vS")->value(), 1600); // reversed 1400
    QCOMPARE(child<QSlider>(page.get(), "Cross_servo_3_vS")->value(), 1650); // reversed 1200, clamped
    QCOMPARE(child<QSpinBox>(page.get(), "Cross_servo_2_sB")->value(), 1600);
    QCOMPARE(child<QSpinBox>(page.get(), "Collective_pos_sB")->value(), 1850); // truncated
    QCOMPARE(child<QSlider>(page.get(), "Collective_pos_vS")->value(), 1850);
    QCOMPARE(child<QSpinBox>(page.get(), "Collective_neg_sB")->value(), 1200);
    QCOMPARE(child<QSlider>(page.get(), "Collective_neg_vS")->value(), 1200);
    QCOMPARE(child<QLabel>(page.get(), "Collective_pos_label")->text(), QStringLiteral("  ＋13°"));
    QCOMPARE(child<QLabel>(page.get(), "Collective_neg_label")->text(), QStringLiteral("  - 13°"));
    QVERIFY(child<QPushButton>(page.get(), "Collective_pos_pB")->styleSheet().contains("#E74C3C"));
    QVERIFY(child<QPushButton>(page.get(), "Collective_neg_pB")->styleSheet().contains("#DC2D1A"));

    // A scale model's limits; a user move after the fill writes again.
    f.ctx.modelId = 21;
    page->showParameters();
    QCOMPARE(child<QLabel>(page.get(), "Collective_pos_label")->text(), QStringLiteral("  ＋14°"));
    QCOMPARE(child<QLabel>(page.get(), "Collective_neg_label")->text(), QStringLiteral("  - 9°"));
    QVERIFY(f.writes.isEmpty());
    child<QSlider>(page.get(), "Collective_neg_vS")->setValue(1210);
    QCOMPARE(f.writes, (QList<QPair<QString, float>>{{"H_COL_MIN", 1210.0f}}));
}

void RotorPageTest::absentParametersDisableTheirControls()
{
    PageFixture f;
    f.load({{"SERVO1_TRIM", 1500}, {"SERVO3_TRIM", 1510}, {"H_COL_MAX", 1800}});
    std::unique_ptr<RotorPage> page(makePage(f));
    auto *s2 = child<QSlider>(page.get(), "Cross_servo_2_vS");
    s2->setValue(1440);
    f.writes.clear();
    page->showParameters();

    // Servo 2 and the negative side were not downloaded: not set from -1,
    // but not adjustable either.
    // (The servo frames themselves are disabled until centring starts.)
    QCOMPARE(s2->value(), 1440);
    QVERIFY(!s2->isEnabledTo(s2->parentWidget()));
    QVERIFY(!child<QSpinBox>(page.get(), "Cross_servo_2_sB")->isEnabledTo(s2->parentWidget()));
    QVERIFY(child<QSlider>(page.get(), "Cross_servo_1_vS")->isEnabledTo(child<QFrame>(page.get(), "Cross_servo_1_frame")));
    QVERIFY(!child<QSlider>(page.get(), "Collective_neg_vS")->isEnabled());
    QVERIFY(!child<QSpinBox>(page.get(), "Collective_neg_sB")->isEnabled());
    QVERIFY(!child<QPushButton>(page.get(), "Collective_neg_pB")->isEnabled());
    QVERIFY(child<QSlider>(page.get(), "Collective_pos_vS")->isEnabled());
    QCOMPARE(child<QSpinBox>(page.get(), "Collective_neg_sB")->value(), 1250);

    // Centring enables the frames; servo 2 stays locked without its trim.
    child<QPushButton>(page.get(), "Cross_servo_mid_pB")->click();
    QVERIFY(child<QFrame>(page.get(), "Cross_trim_2_frame")->isEnabled());
    QVERIFY(!s2->isEnabled());
    QVERIFY(child<QSlider>(page.get(), "Cross_servo_1_vS")->isEnabled());
    child<QPushButton>(page.get(), "Cross_servo_mid_pB")->click();

    // A later download that has them enables them again.
    f.load({{"SERVO2_TRIM", 1460}, {"H_COL_MIN", 1100}});
    f.writes.clear();
    page->showParameters();
    QVERIFY(s2->isEnabledTo(s2->parentWidget()));
    QCOMPARE(s2->value(), 1460);
    QVERIFY(child<QPushButton>(page.get(), "Collective_neg_pB")->isEnabled());
    QCOMPARE(child<QSpinBox>(page.get(), "Collective_neg_sB")->value(), 1100);
    QVERIFY(f.writes.isEmpty());
}

void RotorPageTest::servoCentringEntersAndLeaves()
{
    PageFixture f;
    f.load(kDownload);
    auto *page = makePage(f);
    f.host(page);
    page->showParameters();
    auto *centre = child<QPushButton>(page, "Cross_servo_mid_pB");
    const char *frames[] = {"Cross_servo_1_frame", "Cross_trim_2_frame", "Cross_servo_3_frame"};
    const char *panels[] = {"Left_Swash_widget", "Right_Swash_widget", "Forward_Swash_widget"};
    for (const char *p : panels)
        QCOMPARE(shadowColour(child<QWidget>(page, p)), kGrey);
    shoot(page, QStringLiteral("rotor-idle-zh"));

    centre->click();
    QCOMPARE(f.ctx.swashAdjustState, uint8_t(1));
    QCOMPARE(f.writes, (QList<QPair<QString, float>>{{"H_SV_MAN", 3.0f}}));
    QCOMPARE(centre->text(), QStringLiteral("调整完成"));
    for (const char *fr : frames)
        QVERIFY2(child<QFrame>(page, fr)->isEnabled(), fr);
    for (const char *p : panels) {
        QWidget *panel = child<QWidget>(page, p);
        QCOMPARE(shadowColour(panel), kOrange);
        auto *shadow = qobject_cast<QGraphicsDropShadowEffect *>(panel->graphicsEffect());
        QCOMPARE(shadow->offset(), QPointF(0, 0));
        QCOMPARE(shadow->blurRadius(), 15.0);
        QVERIFY(panel->styleSheet().contains(QStringLiteral("QWidget#Forward_Swash_widget,QWidget#Left_Swash_widget,"
                                                             "QWidget#Right_Swash_widget {border-radius:8px;")));
    }
    QVERIFY(child<QSlider>(page, "Cross_servo_1_vS")->styleSheet().contains(QStringLiteral("#FA842B")));
    shoot(page, QStringLiteral("rotor-centring-zh"));

    // Trimming while centring writes the trims; the page then leaves.
    child<QSlider>(page, "Cross_servo_2_vS")->setValue(1590);
    centre->click();
    QCOMPARE(f.ctx.swashAdjustState, uint8_t(0));
    QCOMPARE(f.writes, (QList<QPair<QString, float>>{
                           {"H_SV_MAN", 3.0f}, {"SERVO2_TRIM", 1410.0f}, {"H_SV_MAN", 0.0f}}));
    QCOMPARE(centre->text(), QStringLiteral("舵机回中"));
    for (const char *fr : frames)
        QVERIFY2(!child<QFrame>(page, fr)->isEnabled(), fr);
    for (const char *p : panels)
        QCOMPARE(shadowColour(child<QWidget>(page, p)), kGrey);
    QVERIFY(child<QSlider>(page, "Cross_servo_1_vS")->styleSheet().contains(QStringLiteral("#CCCCCC")));
}

void RotorPageTest::collectiveButtonDuringCentring()
{
    PageFixture f;
    f.load(kDownload);
    auto *page = makePage(f);
    f.host(page);
    page->showParameters();
    auto *centre = child<QPushButton>(page, "Cross_servo_mid_pB");
    auto *posSlider = child<QSlider>(page, "Collective_pos_vS");
    auto *negSlider = child<QSlider>(page, "Collective_neg_vS");
    auto *posPanel = child<QWidget>(page, "Collective_pos_widget");
    auto *negPanel = child<QWidget>(page, "Collective_neg_widget");

    centre->click();
    f.writes.clear();
    child<QPushButton>(page, "Collective_pos_pB")->click();
    // Centring is left first, then the servos go to maximum collective.
    QCOMPARE(f.writes, (QList<QPair<QString, float>>{{"H_SV_MAN", 0.0f}, {"H_SV_MAN", 2.0f}}));
    QCOMPARE(f.ctx.swashAdjustState, uint8_t(2));
    QCOMPARE(centre->text(), QStringLiteral("舵机回中"));
    QVERIFY(!child<QFrame>(page, "Cross_servo_1_frame")->isEnabled());
    QVERIFY(posSlider->isEnabled() && child<QSpinBox>(page, "Collective_pos_sB")->isEnabled());
    QVERIFY(!negSlider->isEnabled() && !child<QSpinBox>(page, "Collective_neg_sB")->isEnabled());
    QCOMPARE(shadowColour(posPanel), kOrange);
    QCOMPARE(shadowColour(negPanel), kGrey);
    QVERIFY(posSlider->styleSheet().contains(QStringLiteral("#FA842B")));
    QVERIFY(negSlider->styleSheet().contains(QStringLiteral("#CCCCCC")));
    QVERIFY(posPanel->styleSheet().startsWith(QStringLiteral("QWidget#Collective_pos_widget,QWidget#Collective_neg_widget")));
    shoot(page, QStringLiteral("rotor-collective-positive-zh"));

    // The centring button does nothing while a collective side is active.
    f.writes.clear();
    centre->click();
    QVERIFY(f.writes.isEmpty());
    QCOMPARE(f.ctx.swashAdjustState, uint8_t(2));
    QCOMPARE(centre->text(), QStringLiteral("舵机回中"));
    QVERIFY(!child<QFrame>(page, "Cross_servo_1_frame")->isEnabled());

    // The other side: mirror image, still state 2.
    child<QPushButton>(page, "Collective_neg_pB")->click();
    QCOMPARE(f.writes, (QList<QPair<QString, float>>{{"H_SV_MAN", 4.0f}}));
    QCOMPARE(f.ctx.swashAdjustState, uint8_t(2));
    QVERIFY(!posSlider->isEnabled() && negSlider->isEnabled());
    QCOMPARE(shadowColour(posPanel), kGrey);
    QCOMPARE(shadowColour(negPanel), kOrange);
    negSlider->setValue(1190);
    QCOMPARE(f.writesOf("H_COL_MIN"), QList<float>{1190.0f});

    // Done: manual mode off, both sides locked and grey.
    f.writes.clear();
    child<QPushButton>(page, "Collective_ok_pB")->click();
    QCOMPARE(f.writes, (QList<QPair<QString, float>>{{"H_SV_MAN", 0.0f}}));
    QCOMPARE(f.ctx.swashAdjustState, uint8_t(0));
    for (const char *name : {"Collective_pos_vS", "Collective_pos_sB", "Collective_neg_vS", "Collective_neg_sB"})
        QVERIFY2(!child<QWidget>(page, name)->isEnabled(), name);
    QCOMPARE(shadowColour(negPanel), kGrey);
    QVERIFY(negSlider->styleSheet().contains(QStringLiteral("#CCCCCC")));
    shoot(page, QStringLiteral("rotor-done-zh"));
}

void RotorPageTest::doneKeepsCentringAndRefillsServos()
{
    PageFixture f;
    f.load(kDownload);
    std::unique_ptr<RotorPage> page(makePage(f));
    page->showParameters();
    auto *s1 = child<QSlider>(page.get(), "Cross_servo_1_vS");
    auto *s2 = child<QSlider>(page.get(), "Cross_servo_2_vS");

    child<QPushButton>(page.get(), "Cross_servo_mid_pB")->click();
    s1->setValue(1560);
    // The store holds what the flight controller confirmed last.
    f.load({{"SERVO2_TRIM", 1390}});
    f.writes.clear();
    child<QPushButton>(page.get(), "Collective_ok_pB")->click();

    // Centring stays on, and so does the flight controller's mid collective.
    QCOMPARE(f.ctx.swashAdjustState, uint8_t(1));
    QVERIFY(child<QFrame>(page.get(), "Cross_servo_1_frame")->isEnabled());
    QCOMPARE(child<QPushButton>(page.get(), "Cross_servo_mid_pB")->text(), QStringLiteral("调整完成"));
    QCOMPARE(f.writes, (QList<QPair<QString, float>>{{"H_SV_MAN", 3.0f}}));
    // The servo sliders show the store again, without writing it back.
    QCOMPARE(s1->value(), 1520);
    QCOMPARE(s2->value(), 1610);
    QCOMPARE(child<QSpinBox>(page.get(), "Cross_servo_2_sB")->value(), 1610);
}

void RotorPageTest::closeAdjustmentsFromEitherAdjustment()
{
    PageFixture f;
    f.load(kDownload);
    std::unique_ptr<RotorPage> page(makePage(f));
    page->showParameters();

    // From a collective side: H_SV_MAN 0 twice, both adjustments off.
    child<QPushButton>(page.get(), "Collective_neg_pB")->click();
    f.writes.clear();
    page->closeAdjustments();
    QCOMPARE(f.writes, (QList<QPair<QString, float>>{{"H_SV_MAN", 0.0f}, {"H_SV_MAN", 0.0f}}));
    QCOMPARE(f.ctx.swashAdjustState, uint8_t(0));
    QCOMPARE(child<QPushButton>(page.get(), "Cross_servo_mid_pB")->text(), QStringLiteral("舵机回中"));
    QVERIFY(!child<QSlider>(page.get(), "Collective_neg_vS")->isEnabled());
    QVERIFY(!child<QFrame>(page.get(), "Cross_servo_1_frame")->isEnabled());

    // From servo centring, and from rest: the same two protective writes.
    child<QPushButton>(page.get(), "Cross_servo_mid_pB")->click();
    f.writes.clear();
    page->closeAdjustments();
    QCOMPARE(f.writes, (QList<QPair<QString, float>>{{"H_SV_MAN", 0.0f}, {"H_SV_MAN", 0.0f}}));
    QVERIFY(!child<QFrame>(page.get(), "Cross_servo_1_frame")->isEnabled());
    f.writes.clear();
    page->closeAdjustments();
    QCOMPARE(f.writes, (QList<QPair<QString, float>>{{"H_SV_MAN", 0.0f}, {"H_SV_MAN", 0.0f}}));
    QCOMPARE(f.ctx.swashAdjustState, uint8_t(0));

    // Centring can be entered again afterwards.
    child<QPushButton>(page.get(), "Cross_servo_mid_pB")->click();
    QCOMPARE(f.ctx.swashAdjustState, uint8_t(1));
}

void RotorPageTest::languageSwitchKeepsStateTexts()
{
    PageFixture f;
    f.load(kDownload);
    auto *page = makePage(f);
    f.host(page);
    page->showParameters();
    auto *centre = child<QPushButton>(page, "Cross_servo_mid_pB");
    centre->click();

    if (!f.setEnglish(true))
        QSKIP("no English catalogue in the resources");
    page->retranslate();
    QCOMPARE(centre->text(), QStringLiteral("Done"));
    QCOMPARE(child<QPushButton>(page, "Collective_pos_pB")->text(), QStringLiteral("MAX Pos"));
    QCOMPARE(child<QPushButton>(page, "Collective_pos_pB")->font().pointSize(), 10);
    shoot(page, QStringLiteral("rotor-centring-en"));

    // The state texts keep working in the other language: leave, then enter.
    f.writes.clear();
    centre->click();
    QCOMPARE(centre->text(), QStringLiteral("Servo trim"));
    centre->click();
    QCOMPARE(f.writes, (QList<QPair<QString, float>>{{"H_SV_MAN", 0.0f}, {"H_SV_MAN", 3.0f}}));
    child<QPushButton>(page, "Collective_pos_pB")->click(); // leaves centring first
    QCOMPARE(centre->text(), QStringLiteral("Servo trim"));
    shoot(page, QStringLiteral("rotor-collective-positive-en"));

    f.setEnglish(false);
    page->retranslate();
    QCOMPARE(centre->text(), QStringLiteral("舵机回中"));
    QCOMPARE(child<QPushButton>(page, "Collective_pos_pB")->font().pointSize(), 9);
    f.writes.clear();
    child<QPushButton>(page, "Collective_ok_pB")->click();
    QCOMPARE(f.writes, (QList<QPair<QString, float>>{{"H_SV_MAN", 0.0f}}));
    QCOMPARE(f.ctx.swashAdjustState, uint8_t(0));
}

QTEST_MAIN(RotorPageTest)
#include "tst_rotorpage.moc"
