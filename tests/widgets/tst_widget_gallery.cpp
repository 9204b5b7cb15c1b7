// Renders every widget of the set in a few states into PNG files under
// <build>/gallery, so anyone can look at them. Each picture is also checked to
// be non-empty and the size asked for.

#include "widgets/FlatUI.h"
#include "widgets/GaugeCompassPan.h"
#include "widgets/GaugePlane.h"
#include "widgets/NLineLabel.h"
#include "widgets/NavLabel.h"
#include "widgets/ProgressRing.h"
#include "widgets/SliderTip.h"
#include "widgets/SwitchButton.h"
#include "widgets/XProgressBar.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <QtTest>

class WidgetGallery : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void gauges();
    void compassSizes();
    void switches();
    void navLabels();
    void sliderTip();
    void progressRings();
    void progressBars();
    void lineLabelAndStyles();

private:
    // Grabs the widget at its current size and writes <name>.png.
    void save(QWidget *widget, const QString &name);
    // Lays several widgets side by side on a neutral background and saves them.
    void saveRow(const QList<QWidget *> &widgets, const QString &name, const QColor &background = QColor(60, 63, 65));

    QDir m_dir;
};

void WidgetGallery::initTestCase()
{
    m_dir = QDir(QStringLiteral(TAVRO_GALLERY_DIR));
    QVERIFY(m_dir.mkpath(QStringLiteral(".")));
}

void WidgetGallery::save(QWidget *widget, const QString &name)
{
    const QPixmap pixmap = widget->grab();
    QVERIFY(!pixmap.isNull());
    QCOMPARE(pixmap.size(), widget->size());
    const QString path = m_dir.filePath(name + QStringLiteral(".png"));
    QVERIFY2(pixmap.save(path), qPrintable(path));
}

void WidgetGallery::saveRow(const QList<QWidget *> &widgets, const QString &name, const QColor &background)
{
    QWidget row;
    row.setAutoFillBackground(true);
    QPalette palette = row.palette();
    palette.setColor(QPalette::Window, background);
    row.setPalette(palette);
    auto *layout = new QHBoxLayout(&row);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(8);
    for (QWidget *widget : widgets)
        layout->addWidget(widget);
    row.adjustSize();
    row.show();
    QVERIFY(QTest::qWaitForWindowExposed(&row));
    save(&row, name);
}

void WidgetGallery::gauges()
{
    QList<QWidget *> planes;
    const QList<QPair<int, int>> attitudes = {{0, 0}, {20, 30}, {-45, -60}, {180, 100}};
    for (const auto &attitude : attitudes) {
        auto *plane = new GaugePlane;
        plane->setFixedSize(200, 200);
        plane->setDegValue(attitude.first);
        plane->setRollValue(attitude.second);
        planes << plane;
    }
    saveRow(planes, QStringLiteral("gauge_plane"));

    QList<QWidget *> compasses;
    for (double heading : {0.0, 45.0, 90.0, 225.0, 370.6}) {
        auto *compass = new GaugeCompassPan;
        compass->setFixedSize(200, 200);
        compass->setValue(heading);
        compasses << compass;
    }
    saveRow(compasses, QStringLiteral("gauge_compass"));
}

void WidgetGallery::compassSizes()
{
    // Wide, tall and small widgets: the gauges must stay round and centred.
    QList<QWidget *> widgets;
    auto *wide = new GaugePlane;
    wide->setFixedSize(300, 100);
    wide->setDegValue(15);
    widgets << wide;
    auto *tall = new GaugeCompassPan;
    tall->setFixedSize(100, 300);
    tall->setValue(300);
    widgets << tall;
    auto *small = new GaugePlane;
    small->setFixedSize(60, 60);
    small->setRollValue(20);
    widgets << small;
    auto *big = new GaugePlane;
    big->setFixedSize(400, 400);
    big->setDegValue(-30);
    big->setRollValue(-70);
    widgets << big;
    saveRow(widgets, QStringLiteral("gauge_sizes"));
}

void WidgetGallery::switches()
{
    QWidget panel;
    panel.setAutoFillBackground(true);
    auto *grid = new QVBoxLayout(&panel);
    const QList<SwitchButton::ButtonStyle> styles = {SwitchButton::ButtonStyle_Rect,
                                                      SwitchButton::ButtonStyle_CircleIn,
                                                      SwitchButton::ButtonStyle_CircleOut};
    for (SwitchButton::ButtonStyle style : styles) {
        auto *row = new QHBoxLayout;
        for (int variant = 0; variant < 5; ++variant) {
            auto *button = new SwitchButton;
            button->setButtonStyle(style);
            button->setFixedSize(variant == 4 ? 100 : 70, 30);
            if (variant == 1 || variant == 3 || variant == 4)
                button->setChecked(true);
            if (variant >= 2 && variant <= 3) {
                button->setShowText(false);
                button->setShowCircle(true);
            }
            row->addWidget(button);
        }
        auto *disabled = new SwitchButton;
        disabled->setButtonStyle(style);
        disabled->setFixedSize(70, 30);
        disabled->setEnabled(false);
        row->addWidget(disabled);
        grid->addLayout(row);
    }
    panel.adjustSize();
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    // setChecked on a switch that was not laid out yet takes effect 10 ms later.
    const auto buttons = panel.findChildren<SwitchButton *>();
    QTRY_COMPARE(std::count_if(buttons.cbegin(), buttons.cend(), [](SwitchButton *b) { return b->checked(); }), 9);
    save(&panel, QStringLiteral("switch_button"));
}

void WidgetGallery::navLabels()
{
    QList<QWidget *> labels;
    const QList<NavLabel::ArrowPosition> positions = {NavLabel::ArrowPosition_Left, NavLabel::ArrowPosition_Right,
                                                      NavLabel::ArrowPosition_Top, NavLabel::ArrowPosition_Bottom};
    for (NavLabel::ArrowPosition position : positions) {
        auto *label = new NavLabel;
        label->setFixedSize(100, 40);
        label->setArrowPosition(position);
        label->setText(QStringLiteral("导航 %1").arg(int(position)));
        labels << label;
    }
    auto *plain = new NavLabel;
    plain->setFixedSize(100, 40);
    plain->setShowArrow(false);
    plain->setShowTriangle(true);
    plain->setTrianglePosition(NavLabel::TrianglePosition_Left);
    plain->setText(QStringLiteral("No arrow"));
    labels << plain;
    auto *marker = new NavLabel;
    marker->setFixedSize(100, 40);
    marker->setShowTriangle(true);
    marker->setTriangleLen(8);
    marker->setTrianglePosition(NavLabel::TrianglePosition_Bottom);
    marker->setText(QStringLiteral("Marker"));
    labels << marker;
    saveRow(labels, QStringLiteral("nav_label"), QColor(245, 245, 245));
}

void WidgetGallery::sliderTip()
{
    // The tip is a window of its own; render it beside its slider.
    QList<QWidget *> widgets;
    auto *slider = new SliderTip;
    slider->setRange(0, 100);
    slider->setValue(42);
    slider->setFixedSize(200, 30);
    FlatUI::Instance()->setSliderQss(slider, 8, QStringLiteral("#E8EDF2"), QStringLiteral("#1ABC9C"),
                                     QStringLiteral("#1ABC9C"));
    widgets << slider;
    saveRow(widgets, QStringLiteral("slider_tip"), QColor(245, 245, 245));

    SliderTip timed;
    timed.setShowTime(true);
    timed.setRange(0, 600000);
    timed.setValue(125000);
    timed.setUnit(QStringLiteral(" s"));
    NavLabel *tip = timed.labTip();
    tip->setText(timed.tipText());
    save(tip, QStringLiteral("slider_tip_label"));
}

void WidgetGallery::progressRings()
{
    QList<QWidget *> rings;
    auto addRing = [&rings](double value, auto configure) {
        auto *ring = new ProgressRing;
        ring->setFixedSize(160, 160);
        configure(ring);
        ring->setValue(value);
        rings << ring;
    };
    addRing(0, [](ProgressRing *) {});
    addRing(35, [](ProgressRing *) {});
    addRing(72.5, [](ProgressRing *r) { r->setPrecision(1); });
    addRing(100, [](ProgressRing *r) { r->setShowPercent(true); r->setRange(50.0, 150.0); });
    addRing(69, [](ProgressRing *r) { r->setAlarmMode(1); });
    addRing(70, [](ProgressRing *r) { r->setAlarmMode(1); });
    addRing(25, [](ProgressRing *r) { r->setAlarmMode(2); r->setClockWise(false); });
    addRing(60, [](ProgressRing *r) { r->setRingPadding(0); r->setText(QStringLiteral("下载")); });
    saveRow(rings, QStringLiteral("progress_ring"), QColor(245, 245, 245));
}

void WidgetGallery::progressBars()
{
    QWidget panel;
    auto *column = new QVBoxLayout(&panel);
    auto addBar = [column](int value, auto configure) {
        auto *bar = new XProgressBar;
        bar->setFixedSize(300, 20);
        bar->setRange(1000, 2000);
        bar->setValue(value);
        configure(bar);
        column->addWidget(bar);
    };
    addBar(1000, [](XProgressBar *) {});
    addBar(1500, [](XProgressBar *) {});
    addBar(1500, [](XProgressBar *b) { b->setRadius(6); });
    addBar(1750, [](XProgressBar *b) { b->setAutoRadius(true); });
    addBar(1250, [](XProgressBar *b) { b->setAutoRadius(true); b->setShowProgressRadius(true); });
    addBar(1900, [](XProgressBar *b) {
        b->setAutoRadius(true);
        b->setBorderWidth(2);
        b->setBorderColor(QColor(34, 163, 169));
    });
    addBar(1600, [](XProgressBar *b) {
        QLinearGradient gradient(0, 0, 300, 0);
        gradient.setColorAt(0, QColor(24, 189, 155));
        gradient.setColorAt(1, QColor(255, 107, 107));
        b->setValueBrush(gradient);
        b->setAutoRadius(true);
    });
    addBar(2000, [](XProgressBar *b) { b->setAutoRadius(true); });
    panel.adjustSize();
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    save(&panel, QStringLiteral("x_progress_bar"));
}

void WidgetGallery::lineLabelAndStyles()
{
    QWidget panel;
    auto *column = new QVBoxLayout(&panel);
    auto *lines = new NLineLabel;
    for (int i = 1; i <= 10; ++i)
        lines->addLine(QStringLiteral("第 %1 条警告: 电池电压低").arg(i));
    lines->dropOldestLine();
    column->addWidget(lines);

    auto *button = new QPushButton(QStringLiteral("连接"));
    FlatUI::Instance()->setPushButtonQss(button, 5, 8, QStringLiteral("#34495E"), QStringLiteral("#FFFFFF"),
                                         QStringLiteral("#4E6D8C"), QStringLiteral("#F0F0F0"),
                                         QStringLiteral("#2D3E50"), QStringLiteral("#B8C6D1"));
    column->addWidget(button);

    auto *horizontal = new QSlider(Qt::Horizontal);
    horizontal->setRange(0, 100);
    horizontal->setValue(30);
    FlatUI::Instance()->setSliderQss(horizontal, 8, QStringLiteral("#E8EDF2"), QStringLiteral("#1ABC9C"),
                                     QStringLiteral("#1ABC9C"));
    column->addWidget(horizontal);

    auto *vertical = new QSlider(Qt::Vertical);
    vertical->setRange(0, 100);
    vertical->setValue(70);
    vertical->setFixedHeight(100);
    FlatUI::Instance()->setSliderQss(vertical, 8, QStringLiteral("#E8EDF2"), QStringLiteral("#1ABC9C"),
                                     QStringLiteral("#1ABC9C"));
    column->addWidget(vertical);

    panel.resize(320, 380);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    save(&panel, QStringLiteral("labels_and_styles"));
}

QTEST_MAIN(WidgetGallery)
#include "tst_widget_gallery.moc"
