#pragma once

#include "pages/OutOfRangeMark.h"

#include <QWidget>

#include <functional>
#include <memory>

class PageContext;
class QFrame;
class QPushButton;
class QSlider;
class QSpinBox;

namespace Ui {
class RotorPage;
}

// Stacked page 1 ("page_2"): swashplate levelling with the three servo trims
// and the collective-pitch range.
//
// While the user trims, the flight controller holds its servos in a manual
// mode (H_SV_MAN): 3 = mid collective for servo centring, 2 / 4 = maximum /
// minimum collective for the positive / negative collective side, 0 = off.
// Every move of a slider or spin box by the user is written at once; filling
// the controls from the parameter store writes nothing.
class RotorPage : public QWidget
{
    Q_OBJECT

public:
    explicit RotorPage(PageContext *ctx, QWidget *parent = nullptr);
    ~RotorPage() override;

    // Ends a servo centring or collective adjustment that is open (the window
    // calls it whenever it shows another page than the tuning page).
    void closeAdjustments();

    // Fills the servo sliders, the collective limits and their captions from
    // the store (no writes). A control whose parameter is absent is disabled.
    void showParameters();
    void retranslate();
    void setLinkLost();

    // H_SV_MAN values.
    static constexpr int kManualOff = 0;
    static constexpr int kManualMaxCollective = 2;
    static constexpr int kManualMidCollective = 3;
    static constexpr int kManualMinCollective = 4;

    // The trim a servo slider position stands for: the position itself, or
    // 3000 - position for a reversed servo, held in 1350..1650.
    static float trimForPosition(int position, bool reversed);
    // The slider position that shows a stored trim (the inverse of the above,
    // truncated toward zero, held in 1350..1650).
    static int positionForTrim(double trim, bool reversed);
    // A servo counts as reversed when its SERVOn_REVERSED, converted to an
    // integer, is 1 (an absent parameter, -1, is not reversed).
    static bool isReversed(double reversedValue);

public slots:
    // Shared by the positive, negative and done buttons of the collective panel.
    void on_CollectiveButtonClicked();

private slots:
    void on_Cross_servo_1_vS_valueChanged(int value);
    void on_Cross_servo_2_vS_valueChanged(int value);
    void on_Cross_servo_3_vS_valueChanged(int value);
    void on_Cross_servo_1_sB_valueChanged(int value);
    void on_Cross_servo_2_sB_valueChanged(int value);
    void on_Cross_servo_3_sB_valueChanged(int value);
    void on_Cross_servo_mid_pB_clicked();
    void on_Collective_pos_vS_valueChanged(int value);
    void on_Collective_pos_sB_valueChanged(int value);
    void on_Collective_neg_vS_valueChanged(int value);
    void on_Collective_neg_sB_valueChanged(int value);

private:
    struct Servo
    {
        QSlider *slider;
        QSpinBox *spin;
        QFrame *frame;
        QWidget *panel;
        QString trimName;
        QString reversedName;
        bool available = true; // its trim is in the store (or no download yet)
        OutOfRangeMark mark{}; // the stored trim lies outside the slider's range
    };
    enum Side { Positive = 0, Negative = 1 };
    struct Collective
    {
        QSlider *slider;
        QSpinBox *spin;
        QPushButton *button;
        QWidget *panel;
        QString parameterName;
        bool available = true;  // its limit is in the store (or no download yet)
        bool active = true;     // the adjustment state lets the user change it
        OutOfRangeMark mark{};  // the stored limit lies outside the slider's range
    };

    void servoMoved(Servo &servo, int position);
    void collectiveMoved(Collective &side, int value);
    // A spin box changed: by a fill, or by the user (who leaves a stored
    // value outside the range for the nearest value inside it).
    // `moved` is the slider's own handler: it writes the value the user chose.
    void numberChanged(QSlider *slider, QSpinBox *spin, OutOfRangeMark &mark, int value,
                       const std::function<void(int)> &moved);
    // Puts a stored value in a spin box and its slider without writing: the
    // slider at its end and the spin box showing the value when it lies
    // outside the slider's range.
    void showStored(QSlider *slider, QSpinBox *spin, OutOfRangeMark &mark, int stored);
    // The user moves a control whose stored value was outside its range.
    void leaveOutside(QSpinBox *spin, OutOfRangeMark &mark);
    void startCollectiveSide(Side side);
    void finishCollective();
    void setServoLook(bool active);
    void setCollectiveLook(bool positiveActive, bool negativeActive);
    void applyCollectiveEnabled();
    // Servo sliders from the stored trims, without writing.
    void refillServoSliders();
    void writeManualMode(int mode);
    bool centringTextShown() const;

    std::unique_ptr<Ui::RotorPage> ui;
    PageContext *m_ctx;
    Servo m_servos[3];
    Collective m_collective[2];
    // True while the program sets the controls: their handlers write nothing.
    bool m_filling = false;
};
