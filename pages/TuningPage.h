#pragma once

#include "pages/OutOfRangeMark.h"

#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>

class PageContext;
class QLabel;
class QPushButton;
class SliderTip;

namespace Ui {
class TuningPage;
}

// Stacked page 2 ("page_3"): the onboard compass calibration and the flight
// tuning sliders with the low-battery return switch.
//
// Sliders write when pressed (they jump to the pressed point), when released,
// and at once for keyboard and wheel steps; during a drag only the percentage
// label follows. Filling the controls from the parameter store writes nothing.
class TuningPage : public QWidget
{
    Q_OBJECT

public:
    explicit TuningPage(PageContext *ctx, QWidget *parent = nullptr);
    ~TuningPage() override;

    // Positions the sliders and the low-battery switch from the store (no
    // writes) and enables the tuning area. A control whose parameter was not
    // downloaded is disabled.
    void showParameters();
    void retranslate();
    void setLinkLost();

    enum Tuning { MainRotorSpeed = 0, PitchGain, RollGain, YawGain, BrakeGain, TuningCount };
    // What a slider position stands for, in double precision (the link
    // carries it as a float): the rotor speed in percent, the pitch and roll
    // rate gains 0.02..0.08, the yaw rate gain 0.15..0.35, the brake
    // deceleration 50..500.
    static double valueForPosition(Tuning tuning, int position);
    // The parameter a slider writes; the rotor speed's depends on the model
    // class (H_RSC_SETPOINT for scale models, H_RSC_SETPOINT1 otherwise).
    static QString parameterFor(Tuning tuning, int modelId);

    // Low-battery return thresholds written by the switch (per cell, volts).
    static constexpr float kLowBatteryLevel = 3.6825f;
    static constexpr float kCriticalBatteryLevel = 3.6325f;

    // Compass calibration commands (MAV_CMD_DO_START_MAG_CAL / _CANCEL_MAG_CAL).
    static constexpr int kStartMagCal = 42424;
    static constexpr int kCancelMagCal = 42426;

    // The calibration button acts as "cancel" next (a calibration runs).
    bool magCalActive() const { return m_magCalActive; }
    // A calibration has succeeded since the program started.
    bool magCalSucceeded() const { return m_magCalSucceeded; }

signals:
    // The user asked for the table of every parameter (the window opens it).
    void allParametersRequested();

public slots:
    // Compass calibration progress in percent; values above 100 are ignored.
    void MagCalibration_show(int value);
    // The same for a progress report that names its compass: a compass seen
    // calibrating makes the success of another one wait for its own report.
    void mag_cal_progress_show(uint8_t compassId, int value);
    void mag_cal_report_show(uint8_t compassId, uint8_t calStatus);

private slots:
    void on_MAG_calibration_pB_clicked();

    void on_Main_motor_speed_hs_valueChanged(int value);
    void on_Main_motor_speed_hs_clicked();
    void on_Main_motor_speed_hs_sliderReleased();
    void on_ATC_RAT_PIT_hS_valueChanged(int value);
    void on_ATC_RAT_PIT_hS_clicked();
    void on_ATC_RAT_PIT_hS_sliderReleased();
    void on_ATC_RAT_RLL_hS_valueChanged(int value);
    void on_ATC_RAT_RLL_hS_clicked();
    void on_ATC_RAT_RLL_hS_sliderReleased();
    void on_Locking_sensitivity_hs_valueChanged(int value);
    void on_Locking_sensitivity_hs_clicked();
    void on_Locking_sensitivity_hs_sliderReleased();
    void on_Break_Accel_hS_valueChanged(int value);
    void on_Break_Accel_hS_clicked();
    void on_Break_Accel_hS_sliderReleased();

    void on_low_power_sB_checkedChanged(bool checked);

    void onParameterConfirmed(const QString &name, double value);

private:
    enum class MagText { None, Rotate, SuccessAutoReboot, SuccessRestartNeeded };

    SliderTip *slider(Tuning tuning) const;
    QLabel *valueLabel(Tuning tuning) const;
    void tuningValueChanged(Tuning tuning, int value);
    void writeTuning(Tuning tuning);
    // Puts a slider at the position a stored value stands for, without
    // writing: at its end, with the position in its label and a mark, when
    // the position lies outside the slider's range.
    void showPosition(Tuning tuning, int position);
    void showValueText(Tuning tuning);

    void startCalibration();
    void stopCalibration();
    void finishCalibration();
    void setMagText(MagText text);

    std::unique_ptr<Ui::TuningPage> ui;
    PageContext *m_ctx;
    // Beside the section title; enabled with the section once a download
    // has completed.
    QPushButton *m_allParameters = nullptr;

    // True while the program positions the sliders: their handlers write nothing.
    bool m_filling = false;
    // The low-battery state the flight controller was last given or reported
    // (by the last download or the last write of the switch).
    bool m_lowPowerKnown = false;

    bool m_magCalActive = false;
    bool m_magCalSucceeded = false;
    bool m_magCalStopping = false;   // a cancel waits before it goes out
    bool m_magCalFinishing = false;  // a success is being handled
    uint8_t m_compassesSeen = 0;     // bit n: compass n reported progress in this calibration
    uint8_t m_compassesDone = 0;     // bit n: compass n reported success in this calibration
    MagText m_magText = MagText::None;
    // Stored values outside a slider's range, one mark per slider.
    OutOfRangeMark m_marks[TuningCount];
};
