// Warning-line stack, the flat style helper and the CJK font fallback.

#include "widgets/FlatUI.h"
#include "widgets/NLineLabel.h"
#include "widgets/WidgetFonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QSlider>
#include <QtTest>
#include <atomic>
#include <thread>
#include <vector>

class LabelsStylesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Runs first, while no FlatUI exists yet in this process.
    void flatUiFirstUseFromManyThreads();
    void flatUiPushButtonStyle();
    void flatUiSliderStyle();
    void flatUiSliderStyleOtherHeights_data();
    void flatUiSliderStyleOtherHeights();

    void lineLabelLooks();
    void lineLabelShiftsWhenFull();
    void lineLabelDropAndClear();

    void cjkFamiliesFallBack();
};

void LabelsStylesTest::flatUiFirstUseFromManyThreads()
{
    constexpr int threadCount = 8;
    std::atomic<bool> go{false};
    std::vector<FlatUI *> seen(threadCount, nullptr);
    std::vector<std::thread> threads;
    for (int i = 0; i < threadCount; ++i) {
        threads.emplace_back([&go, &seen, i] {
            while (!go.load())
                std::this_thread::yield();
            seen[i] = FlatUI::Instance();
        });
    }
    go = true;
    for (std::thread &thread : threads)
        thread.join();

    FlatUI *one = FlatUI::Instance();
    QVERIFY(one);
    for (FlatUI *instance : seen)
        QCOMPARE(instance, one);
    QVERIFY(!one->parent());
    // Created on a worker thread, it still belongs to the application thread.
    QCOMPARE(one->thread(), QCoreApplication::instance()->thread());
}

void LabelsStylesTest::flatUiPushButtonStyle()
{
    QPushButton button;
    const QString qss = FlatUI::Instance()->setPushButtonQss(
        &button, 5, 8, QStringLiteral("#34495E"), QStringLiteral("#FFFFFF"), QStringLiteral("#4E6D8C"),
        QStringLiteral("#F0F0F0"), QStringLiteral("#2D3E50"), QStringLiteral("#B8C6D1"));
    const QString expected = QStringLiteral(
        "QPushButton{border-style:none;padding:8px;border-radius:5px;color:#FFFFFF;background:#34495E;}"
        "QPushButton:hover{color:#F0F0F0;background:#4E6D8C;}"
        "QPushButton:pressed{color:#B8C6D1;background:#2D3E50;}");
    QCOMPARE(qss, expected);
    QCOMPARE(button.styleSheet(), expected);

    // No button: the string is still built, nothing crashes.
    QCOMPARE(FlatUI::Instance()->setPushButtonQss(nullptr, 5, 8, QStringLiteral("#34495E"), QStringLiteral("#FFFFFF"),
                                                  QStringLiteral("#4E6D8C"), QStringLiteral("#F0F0F0"),
                                                  QStringLiteral("#2D3E50"), QStringLiteral("#B8C6D1")),
             expected);
}

void LabelsStylesTest::flatUiSliderStyle()
{
    QSlider slider(Qt::Horizontal);
    const QString qss = FlatUI::Instance()->setSliderQss(&slider, 8, QStringLiteral("#E8EDF2"),
                                                         QStringLiteral("#1ABC9C"), QStringLiteral("#16A085"));
    const QString expected = QStringLiteral(
        "QSlider::horizontal{min-height:16px;}"
        "QSlider::groove:horizontal{background:#E8EDF2;height:8px;border-radius:4px;}"
        "QSlider::add-page:horizontal{background:#E8EDF2;height:8px;border-radius:4px;}"
        "QSlider::handle:horizontal{width:13px;margin-top:-6px;margin-bottom:-6px;"
        "background-color:rgb(255,255,255);border:2px solid #16A085}"
        "QSlider::vertical{min-width:16px;}"
        "QSlider::groove:vertical{background:#E8EDF2;width:8px;border-radius:4px;border:none;}"
        "QSlider::add-page:vertical{background:#1ABC9C;width:8px;border-radius:4px;}"
        "QSlider::sub-page:vertical{background:#E8EDF2;width:8px;border-radius:4px;}"
        "QSlider::handle:vertical{height:6px;margin-left:-6px;margin-right:-6px;"
        "background-color:rgb(255,255,255);border:2px solid #16A085}");
    QCOMPARE(qss, expected);
    QCOMPARE(slider.styleSheet(), expected);
    QVERIFY(!FlatUI::Instance()->setSliderQss(nullptr, 8, "a", "b", "c").isEmpty());
}

void LabelsStylesTest::flatUiSliderStyleOtherHeights_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("horizontalHandle");
    QTest::addColumn<QString>("verticalHandle");
    // s = 3h/2 + h/5, margin s/2, vertical handle (s - 1)/2, all truncating.
    QTest::addRow("5") << 5 << "width:8px;margin-top:-4px" << "height:3px;margin-left:-4px";
    QTest::addRow("10") << 10 << "width:17px;margin-top:-8px" << "height:8px;margin-left:-8px";
    QTest::addRow("1") << 1 << "width:1px;margin-top:-0px" << "height:0px;margin-left:-0px";
}

void LabelsStylesTest::flatUiSliderStyleOtherHeights()
{
    QFETCH(int, height);
    QFETCH(QString, horizontalHandle);
    QFETCH(QString, verticalHandle);
    const QString qss = FlatUI::Instance()->setSliderQss(nullptr, height, "A", "B", "C");
    QVERIFY2(qss.contains(QStringLiteral("QSlider::handle:horizontal{") + horizontalHandle), qPrintable(qss));
    QVERIFY2(qss.contains(QStringLiteral("QSlider::handle:vertical{") + verticalHandle), qPrintable(qss));
    QVERIFY(qss.contains(QStringLiteral("border-radius:%1px").arg(height / 2)));
}

void LabelsStylesTest::lineLabelLooks()
{
    NLineLabel label;
    QCOMPARE(label.lineCount(), 0);
    QCOMPARE(NLineLabel::capacity, 8);
    const QList<QLabel *> lines = label.findChildren<QLabel *>();
    QCOMPARE(lines.size(), 8);
    QCOMPARE(label.layout()->contentsMargins(), QMargins(0, 0, 0, 0));
    for (QLabel *line : lines) {
        QVERIFY(line->text().isEmpty());
        QCOMPARE(line->font().family(), QStringLiteral("微软雅黑 Light"));
        QCOMPARE(line->font().pointSize(), 9);
        QCOMPARE(line->font().weight(), QFont::Bold);
        QCOMPARE(line->styleSheet(), QStringLiteral("color:rgb(255,0,0)"));
        QVERIFY(line->alignment() & Qt::AlignTop);
    }
    // Lines are stacked top to bottom in index order.
    label.resize(300, 300);
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    for (int i = 0; i + 1 < lines.size(); ++i)
        QVERIFY(lines[i]->y() < lines[i + 1]->y());
}

void LabelsStylesTest::lineLabelShiftsWhenFull()
{
    NLineLabel label;
    for (int i = 1; i <= 9; ++i)
        label.addLine(QString::number(i));
    QCOMPARE(label.lineCount(), 8);
    for (int i = 0; i < 8; ++i)
        QCOMPARE(label.lineText(i), QString::number(i + 2));
    QCOMPARE(label.lineText(-1), QString());
    QCOMPARE(label.lineText(8), QString());

    label.addLine(QStringLiteral("10"));
    QCOMPARE(label.lineText(0), QStringLiteral("3"));
    QCOMPARE(label.lineText(7), QStringLiteral("10"));
    QCOMPARE(label.lineCount(), 8);
}

void LabelsStylesTest::lineLabelDropAndClear()
{
    NLineLabel label;
    label.dropOldestLine();
    QCOMPARE(label.lineCount(), 0);
    for (int i = 0; i < 8; ++i)
        QVERIFY(label.lineText(i).isEmpty());

    label.addLine(QStringLiteral("a"));
    label.addLine(QStringLiteral("b"));
    label.addLine(QStringLiteral("c"));
    label.dropOldestLine();
    QCOMPARE(label.lineCount(), 2);
    QCOMPARE(label.lineText(0), QStringLiteral("b"));
    QCOMPARE(label.lineText(1), QStringLiteral("c"));
    QVERIFY(label.lineText(2).isEmpty());
    label.addLine(QStringLiteral("d"));
    QCOMPARE(label.lineText(2), QStringLiteral("d"));

    // A full label that drops one takes the next line at the bottom again.
    for (int i = 0; i < 8; ++i)
        label.addLine(QString::number(i));
    label.dropOldestLine();
    QCOMPARE(label.lineCount(), 7);
    QVERIFY(label.lineText(7).isEmpty());
    label.addLine(QStringLiteral("new"));
    QCOMPARE(label.lineText(7), QStringLiteral("new"));
    QCOMPARE(label.lineText(6), QStringLiteral("7"));

    label.clearLines();
    QCOMPARE(label.lineCount(), 0);
    for (int i = 0; i < 8; ++i)
        QVERIFY(label.lineText(i).isEmpty());
    label.addLine(QStringLiteral("first"));
    QCOMPARE(label.lineText(0), QStringLiteral("first"));
}

void LabelsStylesTest::cjkFamiliesFallBack()
{
    WidgetFonts::installSubstitutions();
    WidgetFonts::installSubstitutions(); // idempotent
    for (const QString &family : {QStringLiteral("Microsoft Yahei"), QStringLiteral("微软雅黑 Light")})
        QCOMPARE(QFont::substitutes(family).value(0).toLower(), QStringLiteral("wenquanyi micro hei"));

    const QStringList installed = QFontDatabase::families();
    if (installed.contains(QStringLiteral("Microsoft YaHei"), Qt::CaseInsensitive))
        QSKIP("The Windows font is installed; no fallback needed");
    const auto fallback = std::find_if(installed.cbegin(), installed.cend(), [](const QString &family) {
        return WidgetFonts::cjkFallbackFamilies().contains(family);
    });
    if (fallback == installed.cend())
        QSKIP("No CJK fallback family installed here");

    // The families the widgets ask for resolve to an installed CJK face.
    NLineLabel label;
    const QFont lineFont = label.findChild<QLabel *>()->font();
    QVERIFY(WidgetFonts::cjkFallbackFamilies().contains(QFontInfo(lineFont).family()));
    QVERIFY(WidgetFonts::cjkFallbackFamilies().contains(QFontInfo(QFont(QStringLiteral("Microsoft Yahei"), 9)).family()));
}

QTEST_MAIN(LabelsStylesTest)
#include "tst_labels_styles.moc"
