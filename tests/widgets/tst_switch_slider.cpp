// Switch button, slider with tip and the tip label: state changes, knob and
// tip placement, and the painted colours.

#include "WidgetPixels.h"

#include "widgets/NavLabel.h"
#include "widgets/SliderTip.h"
#include "widgets/SwitchButton.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

class SwitchSliderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // SwitchButton
    void switchDefaults();
    void switchKnobOffsets_data();
    void switchKnobOffsets();
    void switchDeferredToggleBeforeFirstResize();
    void switchPressTogglesWithAnyButton();
    void switchAnimationSlidesAndEnds();
    void switchPaintsTrackAndKnob();
    void switchDisabledTrackIsTranslucent();
    void switchTextsArePublicMembers();

    // SliderTip
    void sliderTipDefaultsAndTipWindow();
    void sliderJumpsToClick_data();
    void sliderJumpsToClick();
    void sliderWithoutClickEnableLeavesPressToSlider();
    void sliderIgnoresOtherButtons();
    void sliderTipShowsOnlyWhenEnabled();
    void sliderTipPlacement();
    void sliderTipFollowsDrag();
    void sliderTipText();
    void sliderForwardsTipSettings();
    void sliderDeletesTip();

    // NavLabel
    void navLabelDefaultsAndClicks();
    void navLabelCentresText_data();
    void navLabelCentresText();
    void navLabelArrowAndTriangle();
};

namespace {

// Horizontal centre and vertical centre of the text pixels (near-white, opaque)
// of a NavLabel painted with its default colours.
QPointF textCentre(const QImage &image)
{
    int minX = image.width(), maxX = -1, minY = image.height(), maxY = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() == 255 && c.red() > 200) {
                minX = qMin(minX, x);
                maxX = qMax(maxX, x);
                minY = qMin(minY, y);
                maxY = qMax(maxY, y);
            }
        }
    }
    if (maxX < 0)
        return QPointF(-1, -1);
    return QPointF((minX + maxX + 1) / 2.0, (minY + maxY + 1) / 2.0);
}

void showAndWait(QWidget *widget)
{
    widget->show();
    QVERIFY(QTest::qWaitForWindowExposed(widget));
}

} // namespace

void SwitchSliderTest::switchDefaults()
{
    SwitchButton button;
    QCOMPARE(button.sizeHint(), QSize(70, 30));
    QCOMPARE(button.minimumSizeHint(), QSize(10, 5));
    QCOMPARE(button.buttonStyle(), SwitchButton::ButtonStyle_CircleIn);
    QCOMPARE(int(SwitchButton::ButtonStyle_CircleOut), 2);
    QCOMPARE(button.space(), 2);
    QCOMPARE(button.rectRadius(), 5);
    QVERIFY(!button.checked());
    QVERIFY(button.showText());
    QVERIFY(!button.showCircle());
    QVERIFY(!button.animation());
    QCOMPARE(button.bgColorOn(), QColor(21, 156, 119));
    QCOMPARE(button.bgColorOff(), QColor(111, 122, 126));
    QCOMPARE(button.textOff, QStringLiteral("关闭"));
    QCOMPARE(button.textOn, QStringLiteral("开启"));
    QVERIFY(button.setProperty("buttonStyle", QVariant::fromValue(SwitchButton::ButtonStyle_Rect)));
    QCOMPARE(button.buttonStyle(), SwitchButton::ButtonStyle_Rect);
}

void SwitchSliderTest::switchKnobOffsets_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("checkedAt70");
    QTest::addColumn<int>("checkedAt100");
    QTest::addRow("rect") << int(SwitchButton::ButtonStyle_Rect) << 35 << 50;
    QTest::addRow("circle in") << int(SwitchButton::ButtonStyle_CircleIn) << 40 << 70;
    QTest::addRow("circle out") << int(SwitchButton::ButtonStyle_CircleOut) << 40 << 70;
}

void SwitchSliderTest::switchKnobOffsets()
{
    QFETCH(int, style);
    QFETCH(int, checkedAt70);
    QFETCH(int, checkedAt100);

    SwitchButton button;
    button.setButtonStyle(SwitchButton::ButtonStyle(style));
    button.resize(70, 30);
    showAndWait(&button);
    QCOMPARE(button.knobOffset(), 0);

    QSignalSpy spy(&button, &SwitchButton::checkedChanged);
    button.setChecked(true); // resized already: toggles at once
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QCOMPARE(button.knobOffset(), checkedAt70);

    // A resize places the knob at once, without animation.
    button.setAnimation(true);
    button.resize(100, 30);
    QCOMPARE(button.knobOffset(), checkedAt100);

    button.setAnimation(false);
    button.setChecked(false);
    QCOMPARE(button.knobOffset(), 0);
    QCOMPARE(spy.count(), 2);
    button.setChecked(false);
    QCOMPARE(spy.count(), 2);
}

void SwitchSliderTest::switchDeferredToggleBeforeFirstResize()
{
    SwitchButton button;
    QSignalSpy spy(&button, &SwitchButton::checkedChanged);
    button.setChecked(true);
    QVERIFY(!button.checked());
    QCOMPARE(spy.count(), 0);
    QVERIFY(spy.wait(1000));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QVERIFY(button.checked());

    // Asking twice before the deferred toggle runs still ends checked, with
    // one announcement; changing one's mind inside the 10 ms changes nothing.
    SwitchButton twice;
    QSignalSpy twiceSpy(&twice, &SwitchButton::checkedChanged);
    twice.setChecked(true);
    twice.setChecked(true);
    QVERIFY(twiceSpy.wait(1000));
    QVERIFY(!twiceSpy.wait(100));
    QCOMPARE(twiceSpy.count(), 1);
    QVERIFY(twice.checked());

    SwitchButton undecided;
    QSignalSpy undecidedSpy(&undecided, &SwitchButton::checkedChanged);
    undecided.setChecked(true);
    undecided.setChecked(false);
    QVERIFY(!undecidedSpy.wait(100));
    QVERIFY(!undecided.checked());
}

void SwitchSliderTest::switchPressTogglesWithAnyButton()
{
    SwitchButton button;
    button.resize(70, 30);
    showAndWait(&button);
    QSignalSpy spy(&button, &SwitchButton::checkedChanged);
    QTest::mousePress(&button, Qt::LeftButton);
    QVERIFY(button.checked());
    QTest::mousePress(&button, Qt::RightButton);
    QVERIFY(!button.checked());
    QTest::mousePress(&button, Qt::MiddleButton);
    QVERIFY(button.checked());
    QCOMPARE(spy.count(), 3);
    QCOMPARE(spy.at(1).at(0).toBool(), false);
}

void SwitchSliderTest::switchAnimationSlidesAndEnds()
{
    SwitchButton button;
    button.setAnimation(true);
    button.resize(70, 30);
    showAndWait(&button);

    QTest::mousePress(&button, Qt::LeftButton);
    QVERIFY(button.checked());
    QCOMPARE(button.knobOffset(), 0);
    QCOMPARE(button.knobTarget(), 40);
    auto *timer = button.findChild<QTimer *>();
    QVERIFY(timer && timer->isActive());
    QCOMPARE(timer->interval(), 30);
    QTRY_COMPARE(button.knobOffset(), 40);
    QTRY_VERIFY(!timer->isActive());

    QTest::mousePress(&button, Qt::LeftButton);
    QCOMPARE(button.knobOffset(), 40);
    QTRY_COMPARE(button.knobOffset(), 0);
    QTRY_VERIFY(!timer->isActive());

    // The rect style's target is not a multiple of the step: the knob stops
    // on the target, never beyond the track.
    button.setButtonStyle(SwitchButton::ButtonStyle_Rect);
    int furthest = 0;
    int ticks = 0;
    // Connected after the button's own slot, so it sees each tick's result.
    connect(timer, &QTimer::timeout, &button, [&] {
        furthest = qMax(furthest, button.knobOffset());
        ++ticks;
    });
    QTest::mousePress(&button, Qt::LeftButton);
    QTRY_VERIFY(!timer->isActive());
    QCOMPARE(button.knobOffset(), 35);
    QCOMPARE(furthest, 35);
    QVERIFY(ticks >= 4);

    // A switch narrower than 7 pixels has a step of 0; its animation must end.
    SwitchButton narrow;
    narrow.setAnimation(true);
    narrow.setFixedSize(6, 3);
    showAndWait(&narrow);
    QTest::mousePress(&narrow, Qt::LeftButton);
    QTRY_COMPARE(narrow.knobOffset(), 3);
    auto *narrowTimer = narrow.findChild<QTimer *>();
    QTRY_VERIFY(!narrowTimer->isActive());
}

void SwitchSliderTest::switchPaintsTrackAndKnob()
{
    SwitchButton button;
    button.setShowText(false);
    button.resize(70, 30);
    showAndWait(&button);
    const QColor white(255, 255, 255);

    // Circle-in: knob of diameter 26 at offset 0, then 40.
    QImage image = renderImage(&button);
    QCOMPARE_PIXEL(image, 15, 15, white);
    QCOMPARE_PIXEL(image, 55, 15, button.bgColorOff());
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0); // round ends
    button.setChecked(true);
    image = renderImage(&button);
    QCOMPARE_PIXEL(image, 55, 15, white);
    QCOMPARE_PIXEL(image, 6, 15, button.bgColorOn());

    // Rect: square corners, knob half the width at offset 35.
    button.setButtonStyle(SwitchButton::ButtonStyle_Rect);
    button.setRectRadius(0);
    image = renderImage(&button);
    QCOMPARE_PIXEL(image, 0, 0, button.bgColorOn());
    QCOMPARE_PIXEL(image, 52, 15, white);
    QCOMPARE_PIXEL(image, 36, 15, button.bgColorOn());
    QCOMPARE_PIXEL(image, 38, 15, white);

    // Circle-out: the track is inset by `space`; the knob spans the height.
    button.setButtonStyle(SwitchButton::ButtonStyle_CircleOut);
    button.setChecked(false);
    image = renderImage(&button);
    QCOMPARE(image.pixelColor(35, 0).alpha(), 0);
    QCOMPARE_PIXEL(image, 35, 15, button.bgColorOff());
    QCOMPARE_PIXEL(image, 15, 15, button.sliderColorOff());
    QCOMPARE_PIXEL(image, 15, 2, button.bgColorOff()); // outer rim of the gradient

    // Ring instead of text, on the free side.
    button.setButtonStyle(SwitchButton::ButtonStyle_CircleIn);
    button.setShowCircle(true);
    image = renderImage(&button);
    QVERIFY(image.pixelColor(54, 7).red() > 200);
    QCOMPARE_PIXEL(image, 54, 15, button.bgColorOff());
}

void SwitchSliderTest::switchDisabledTrackIsTranslucent()
{
    SwitchButton button;
    button.setShowText(false);
    button.resize(70, 30);
    QImage image = renderImage(&button);
    QCOMPARE(image.pixelColor(45, 15).alpha(), 255);
    button.setEnabled(false);
    image = renderImage(&button);
    const QColor track = image.pixelColor(45, 15);
    QVERIFY2(qAbs(track.alpha() - 60) <= 1, qPrintable(describe(track)));
    QVERIFY2(nearColor(QColor(track.red(), track.green(), track.blue()), button.bgColorOff(), 5),
             qPrintable(describe(track)));
    // The knob stays opaque.
    QCOMPARE(image.pixelColor(15, 15).alpha(), 255);
}

void SwitchSliderTest::switchTextsArePublicMembers()
{
    SwitchButton button;
    button.textOn = QStringLiteral("ON");
    QCOMPARE(button.property("textOn").toString(), QStringLiteral("ON"));
    QVERIFY(button.setProperty("textOff", QStringLiteral("OFF")));
    QCOMPARE(button.textOff, QStringLiteral("OFF"));
    button.setTextOn(QStringLiteral("I"));
    QCOMPARE(button.textOn, QStringLiteral("I"));
}

void SwitchSliderTest::sliderTipDefaultsAndTipWindow()
{
    SliderTip slider;
    QCOMPARE(slider.orientation(), Qt::Horizontal);
    QCOMPARE(slider.arrowStyle(), SliderTip::ArrowStyle_Bottom);
    QCOMPARE(slider.background(), QColor(100, 184, 255));
    QCOMPARE(slider.labTipWidth(), 50);
    QCOMPARE(slider.labTipHeight(), 30);
    QCOMPARE(slider.labTipFont(), slider.font());
    QVERIFY(!slider.showTime());
    QVERIFY(slider.clickEnable());
    QVERIFY(slider.unit().isEmpty());
    QVERIFY(!slider.tipVisable());

    NavLabel *tip = slider.labTip();
    QVERIFY(tip);
    QVERIFY(!tip->parent());
    QVERIFY(!tip->isVisible());
    QCOMPARE(tip->size(), QSize(50, 30));
    QCOMPARE(tip->font(), slider.labTipFont());
    QCOMPARE(tip->focusPolicy(), Qt::NoFocus);
    QCOMPARE(tip->arrowPosition(), NavLabel::ArrowPosition_Bottom);
    QCOMPARE(tip->background(), QColor(100, 184, 255));
    QVERIFY(tip->windowFlags().testFlag(Qt::Tool));
    QVERIFY(tip->windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(tip->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(tip->testAttribute(Qt::WA_TranslucentBackground));
}

void SwitchSliderTest::sliderJumpsToClick_data()
{
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<int>("expected");
    QTest::addRow("middle") << false << QPoint(99, 15) << 50;
    QTest::addRow("left edge") << false << QPoint(0, 15) << 0;
    QTest::addRow("right edge") << false << QPoint(199, 15) << 100;
    QTest::addRow("quarter") << false << QPoint(49, 15) << 25;
    QTest::addRow("vertical quarter") << true << QPoint(15, 50) << 75;
    QTest::addRow("vertical top") << true << QPoint(15, 0) << 100;
}

void SwitchSliderTest::sliderJumpsToClick()
{
    QFETCH(bool, vertical);
    QFETCH(QPoint, press);
    QFETCH(int, expected);

    SliderTip slider;
    slider.setRange(0, 100);
    if (vertical) {
        slider.setOrientation(Qt::Vertical);
        slider.resize(30, 200);
    } else {
        slider.resize(200, 30);
    }
    showAndWait(&slider);
    QSignalSpy clicked(&slider, &SliderTip::clicked);
    QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, press);
    QCOMPARE(slider.value(), expected);
    QCOMPARE(clicked.count(), 1);
    QTest::mouseRelease(&slider, Qt::LeftButton, Qt::NoModifier, press);
    QCOMPARE(slider.value(), expected);
}

void SwitchSliderTest::sliderWithoutClickEnableLeavesPressToSlider()
{
    // The same press on a plain slider tells what the slider's own handling does.
    QSlider plain(Qt::Horizontal);
    plain.setRange(0, 100);
    plain.resize(200, 30);
    showAndWait(&plain);
    QTest::mousePress(&plain, Qt::LeftButton, Qt::NoModifier, QPoint(150, 15));
    QTest::mouseRelease(&plain, Qt::LeftButton, Qt::NoModifier, QPoint(150, 15));

    SliderTip slider;
    slider.setRange(0, 100);
    slider.resize(200, 30);
    slider.setClickEnable(false);
    showAndWait(&slider);
    QSignalSpy clicked(&slider, &SliderTip::clicked);
    QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(150, 15));
    QTest::mouseRelease(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(150, 15));
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(slider.value(), plain.value());
    QVERIFY(slider.value() != 75);
}

void SwitchSliderTest::sliderIgnoresOtherButtons()
{
    SliderTip slider;
    slider.setRange(0, 100);
    slider.setValue(10);
    slider.resize(200, 30);
    slider.setTipVisable(true);
    showAndWait(&slider);
    QSignalSpy clicked(&slider, &SliderTip::clicked);
    QSignalSpy pressed(&slider, &QSlider::sliderPressed);
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mousePress(&slider, button, Qt::NoModifier, QPoint(150, 15));
        QCOMPARE(slider.value(), 10);
        QVERIFY(!slider.labTip()->isVisible());
        QTest::mouseRelease(&slider, button, Qt::NoModifier, QPoint(150, 15));
    }
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(pressed.count(), 0);
}

void SwitchSliderTest::sliderTipShowsOnlyWhenEnabled()
{
    SliderTip slider;
    slider.setRange(0, 100);
    slider.resize(200, 30);
    slider.setUnit(QStringLiteral("%"));
    showAndWait(&slider);

    QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(99, 15));
    QVERIFY(!slider.labTip()->isVisible());
    QTest::mouseRelease(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(99, 15));

    slider.setTipVisable(true);
    QVERIFY(!slider.labTip()->isVisible()); // the flag alone shows nothing
    QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(49, 15));
    QVERIFY(slider.labTip()->isVisible());
    QCOMPARE(slider.labTip()->text(), QStringLiteral("25%"));
    QTest::mouseRelease(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(49, 15));
    QVERIFY(!slider.labTip()->isVisible());
}

void SwitchSliderTest::sliderTipPlacement()
{
    QWidget window;
    window.resize(400, 400);
    auto *slider = new SliderTip(&window);
    slider->setRange(0, 100);
    slider->setGeometry(100, 150, 200, 30);
    slider->setTipVisable(true);
    showAndWait(&window);
    const QPoint origin = slider->mapToGlobal(QPoint(0, 0));
    NavLabel *tip = slider->labTip();

    // Above the slider, centred on the pointer.
    QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, QPoint(60, 15));
    QCOMPARE(tip->geometry().bottom() + 1, origin.y());
    QCOMPARE(tip->x() + tip->width() / 2, origin.x() + 60);
    QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, QPoint(60, 15));

    // Below it with the arrow on top.
    slider->setArrowStyle(SliderTip::ArrowStyle_Top);
    QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, QPoint(140, 15));
    QCOMPARE(tip->y(), origin.y() + slider->height());
    QCOMPARE(tip->x() + tip->width() / 2, origin.x() + 140);
    QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, QPoint(140, 15));

    // Vertical: to the left, or to the right with the arrow on the left.
    slider->setOrientation(Qt::Vertical);
    slider->setGeometry(150, 100, 30, 200);
    const QPoint vOrigin = slider->mapToGlobal(QPoint(0, 0));
    slider->setArrowStyle(SliderTip::ArrowStyle_Right);
    QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, QPoint(15, 80));
    QCOMPARE(tip->geometry().right() + 1, vOrigin.x());
    QCOMPARE(tip->y() + tip->height() / 2, vOrigin.y() + 80);
    QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, QPoint(15, 80));
    slider->setArrowStyle(SliderTip::ArrowStyle_Left);
    QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, QPoint(15, 120));
    QCOMPARE(tip->x(), vOrigin.x() + slider->width());
    QCOMPARE(tip->y() + tip->height() / 2, vOrigin.y() + 120);
    QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, QPoint(15, 120));
    QVERIFY(!tip->isVisible());
}

void SwitchSliderTest::sliderTipFollowsDrag()
{
    SliderTip slider;
    slider.setRange(0, 100);
    slider.resize(200, 30);
    slider.setTipVisable(true);
    showAndWait(&slider);
    NavLabel *tip = slider.labTip();

    QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(99, 15));
    QCOMPARE(slider.value(), 50);
    const QPoint tipAtPress = tip->pos();

    // Beyond the slider's end the move is dropped: neither tip nor value move.
    QTest::mouseMove(&slider, QPoint(260, 15));
    QCOMPARE(slider.value(), 50);
    QCOMPARE(tip->pos(), tipAtPress);

    // Inside, the slider drags and the tip shows the value it lands on.
    QTest::mouseMove(&slider, QPoint(150, 15));
    QVERIFY(slider.value() > 60);
    QCOMPARE(tip->text(), QString::number(slider.value()));
    QCOMPARE(tip->x(), tipAtPress.x() + 51);
    QTest::mouseRelease(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(150, 15));
    QVERIFY(!tip->isVisible());
}

void SwitchSliderTest::sliderTipText()
{
    SliderTip slider;
    slider.setRange(0, 1000000);
    slider.setValue(125000);
    QCOMPARE(slider.tipText(), QStringLiteral("125000"));
    slider.setUnit(QStringLiteral(" ms"));
    QCOMPARE(slider.tipText(), QStringLiteral("125000 ms"));
    slider.setShowTime(true);
    slider.setUnit(QString());
    QCOMPARE(slider.tipText(), QStringLiteral("02:05"));
    slider.setValue(59999);
    QCOMPARE(slider.tipText(), QStringLiteral("00:59"));
    slider.setUnit(QStringLiteral("s"));
    slider.setValue(600000);
    QCOMPARE(slider.tipText(), QStringLiteral("10:00s"));
    // The tip keeps up with value changes made from code.
    QCOMPARE(slider.labTip()->text(), QStringLiteral("10:00s"));
}

void SwitchSliderTest::sliderForwardsTipSettings()
{
    SliderTip slider;
    NavLabel *tip = slider.labTip();
    slider.setBorderRadius(9);
    slider.setArrowSize(7);
    slider.setArrowStyle(SliderTip::ArrowStyle_Left);
    slider.setBackground(QColor(1, 2, 3));
    slider.setForeground(QColor(4, 5, 6));
    slider.setLabTipWidth(80);
    slider.setLabTipHeight(40);
    QFont font(QStringLiteral("DejaVu Sans"), 13);
    slider.setLabTipFont(font);
    QCOMPARE(tip->borderRadius(), 9);
    QCOMPARE(tip->arrowSize(), 7);
    QCOMPARE(tip->arrowPosition(), NavLabel::ArrowPosition_Left);
    QCOMPARE(tip->background(), QColor(1, 2, 3));
    QCOMPARE(tip->foreground(), QColor(4, 5, 6));
    QCOMPARE(tip->size(), QSize(80, 40));
    QCOMPARE(tip->font(), font);
    QCOMPARE(slider.labTipFont(), font);
}

void SwitchSliderTest::sliderDeletesTip()
{
    auto *slider = new SliderTip;
    QPointer<NavLabel> tip = slider->labTip();
    QVERIFY(tip);
    delete slider;
    QTRY_VERIFY(tip.isNull());
}

void SwitchSliderTest::navLabelDefaultsAndClicks()
{
    NavLabel label;
    QCOMPARE(label.sizeHint(), QSize(100, 30));
    QCOMPARE(label.minimumSizeHint(), QSize(20, 10));
    QCOMPARE(label.arrowPosition(), NavLabel::ArrowPosition_Right);
    QCOMPARE(label.trianglePosition(), NavLabel::TrianglePosition_Left);
    QVERIFY(label.showArrow());
    QVERIFY(!label.showTriangle());
    QCOMPARE(label.font().family(), QStringLiteral("Microsoft Yahei"));
    QCOMPARE(label.font().pointSize(), 10);
    label.resize(100, 30);
    QSignalSpy clicked(&label, &NavLabel::clicked);
    QTest::mousePress(&label, Qt::LeftButton);
    QTest::mousePress(&label, Qt::RightButton);
    QCOMPARE(clicked.count(), 2);
}

void SwitchSliderTest::navLabelCentresText_data()
{
    QTest::addColumn<bool>("arrow");
    QTest::addColumn<int>("position");
    QTest::addColumn<QRect>("background");
    QTest::addRow("no arrow") << false << int(NavLabel::ArrowPosition_Right) << QRect(0, 0, 120, 40);
    QTest::addRow("right") << true << int(NavLabel::ArrowPosition_Right) << QRect(0, 0, 110, 40);
    QTest::addRow("left") << true << int(NavLabel::ArrowPosition_Left) << QRect(10, 0, 110, 40);
    QTest::addRow("top") << true << int(NavLabel::ArrowPosition_Top) << QRect(0, 10, 120, 30);
    QTest::addRow("bottom") << true << int(NavLabel::ArrowPosition_Bottom) << QRect(0, 0, 120, 30);
}

void SwitchSliderTest::navLabelCentresText()
{
    QFETCH(bool, arrow);
    QFETCH(int, position);
    QFETCH(QRect, background);

    NavLabel label;
    label.resize(120, 40);
    label.setArrowSize(10);
    label.setShowArrow(arrow);
    label.setArrowPosition(NavLabel::ArrowPosition(position));
    label.setText(QStringLiteral("HHHH"));
    const QImage image = renderImage(&label);
    QCOMPARE(label.backgroundRect(), background);

    const QPointF centre = textCentre(image);
    const QPointF expected = QRectF(background).center();
    QVERIFY2(qAbs(centre.x() - expected.x()) <= 1.0,
             qPrintable(QStringLiteral("text centre x %1, expected %2").arg(centre.x()).arg(expected.x())));
    QVERIFY2(qAbs(centre.y() - expected.y()) <= 1.5,
             qPrintable(QStringLiteral("text centre y %1, expected %2").arg(centre.y()).arg(expected.y())));
}

void SwitchSliderTest::navLabelArrowAndTriangle()
{
    NavLabel label;
    label.resize(100, 30);
    label.setBorderRadius(0);
    const QColor blue = label.background();

    QImage image = renderImage(&label); // arrow right
    QCOMPARE_PIXEL(image, 97, 15, blue);
    QCOMPARE(image.pixelColor(97, 3).alpha(), 0);
    QCOMPARE_PIXEL(image, 2, 3, blue);

    label.setArrowPosition(NavLabel::ArrowPosition_Left);
    image = renderImage(&label);
    QCOMPARE_PIXEL(image, 2, 15, blue);
    QCOMPARE(image.pixelColor(2, 3).alpha(), 0);

    label.setShowArrow(false);
    image = renderImage(&label);
    QCOMPARE_PIXEL(image, 2, 3, blue);
    QCOMPARE_PIXEL(image, 97, 3, blue);

    label.setShowTriangle(true);
    label.setTriangleColor(QColor(200, 0, 0));
    image = renderImage(&label);
    QCOMPARE_PIXEL(image, 1, 15, QColor(200, 0, 0));
    QCOMPARE_PIXEL(image, 98, 15, blue);
    label.setTrianglePosition(NavLabel::TrianglePosition_Bottom);
    image = renderImage(&label);
    QCOMPARE_PIXEL(image, 50, 28, QColor(200, 0, 0));
    QCOMPARE_PIXEL(image, 1, 15, blue);
}

QTEST_MAIN(SwitchSliderTest)
#include "tst_switch_slider.moc"
