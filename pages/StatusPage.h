#pragma once

#include <QList>
#include <QPair>
#include <QSet>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

// mavlink_rc_channels_t and its meta-type declaration (queued from the worker).
#include "link/MavlinkMessages.h"

class PageContext;
class QLabel;
class QLayoutItem;
class QPushButton;
class XProgressBar;

namespace Ui {
class StatusPage;
}

// Stacked page 0 ("page"): battery and GPS read-outs, the attitude and compass
// gauges, the radio channel monitor and the stick travel calibration panel.
//
// Travel calibration, one explicit state machine:
//   Unavailable  no parameters downloaded yet; the button is disabled.
//   Idle         the button offers "开始行程校准"; a click starts a sweep.
//   Sweeping     the button reads "校准中" and is disabled; every RC_CHANNELS
//                report widens the extremes of the four sticks.
//   Ready        every stick went past 1800 and below 1200; the button offers
//                "点击写入参数"; a click writes RC1_MIN ... RC4_TRIM and
//                returns to Idle.
// A lost link leaves the state as it is; nothing is written unless the sweep
// thresholds were met.
class StatusPage : public QWidget
{
    Q_OBJECT

public:
    enum class TravelCalibrationState { Unavailable, Idle, Sweeping, Ready };

    // Stick slot n of the calibration (the parameters RCn_MIN, RCn_MAX,
    // RCn_TRIM) samples this RC channel: slot n takes channel n, as the
    // monitor rows, their captions and the flight controller's channel
    // numbering have it.
    static constexpr std::array<int, 4> kCalibrationSlotChannel{1, 2, 3, 4};

    // Radians to degrees as the gauges get it (180/pi in single precision).
    static constexpr float kRadToDeg = 57.2957763671875f;

    explicit StatusPage(PageContext *ctx, QWidget *parent = nullptr);
    ~StatusPage() override;

    // Arranges the switch rows of the channel column for the receiver layout:
    // with serial2IsMavlink the fifth row (channel 9) is shown and the rows read
    // channels 5, 6, 7, 8, 9; without it the fifth row is taken out and the rows
    // read channels 5, 7, 8, 9. A call first undoes what the previous one did,
    // so the routine can run after every download. The monitor reads the
    // channels of the layout given last.
    void layoutRcColumn(bool serial2IsMavlink);

    // A travel calibration is sweeping or waiting for its write (also: the
    // button shows neither of its idle texts). The navigation refuses to leave
    // the page meanwhile.
    bool travelCalibrationRunning() const;
    TravelCalibrationState travelCalibrationState() const { return m_calState; }
    QPushButton *rcButton() const;

    // Extremes captured for slot 0..3 of the running (or last) calibration.
    int32_t rcMax(int slot) const { return m_rcMax.at(size_t(slot)); }
    int32_t rcMin(int slot) const { return m_rcMin.at(size_t(slot)); }

    // Heading shown on the compass for a yaw in radians: 0 up to 360 degrees.
    static double compassHeading(float yaw);

    // This page's share of the display after a parameter download: the channel
    // column's layout, the switch labels, the travel labels, and the
    // calibration button becomes available.
    void showParameters();
    // Re-applies the form's texts and the texts that depend on the state
    // (read-outs, receiver indicator, calibration button and label), in the
    // language of the context.
    void retranslate();
    // What the page does when the link is lost: a running calibration keeps
    // its state; the read-outs (battery, GPS, gauges, channel bars, receiver
    // indicator) return to their state before the first connection.
    void setLinkLost();

public slots:
    void sys_status_show(uint16_t voltageMv, signed char rcHealthy);
    void gps_raw_int_show(uint8_t satellites, uint16_t eph, uint16_t epv);
    void gps2_raw_show(uint8_t satellites, uint16_t eph);
    // Shown only while this page is the current page of its stacked widget
    // (a page outside a stacked widget counts as shown).
    void attitude_show(float roll, float pitch, float yaw);
    void rc_channels_show(mavlink_rc_channels_t channels);

protected:
    // Paints the plain backdrop of the panels under the widgets that follow
    // the telemetry (see m_backdropped) and the indicator labels' colours.
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void on_RC_pB_clicked();

private:
    // One monitor row: a bar and two or three indicator labels.
    struct RcRow
    {
        XProgressBar *bar;
        QLabel *low;
        QLabel *mid; // null on two-position rows
        QLabel *high;
    };
    enum class RcReceiver { Unknown, Healthy, Lost };
    enum class CalibrationNote { None, MoveSticks, Complete };

    void applySwitchLabelTexts();
    void applyTravelLabelTexts();
    void onParameterChanged(const QString &name, double value);

    bool isShownPage() const;
    // Lights an indicator label or puts it out.
    void setIndicatorLit(QLabel *label, bool lit);
    bool channelLive(int channel, uint16_t value);
    void showRcRow(const RcRow &row, int channel, uint16_t value);
    void applyPanelVisibility();

    void showNoTelemetry();
    void renderVoltage();
    void renderRcIndicator();
    void renderGps();

    bool sweepComplete() const;
    void enterSweeping();
    void enterReady();
    void finishCalibration();
    void applyCalibrationTexts();

    std::unique_ptr<Ui::StatusPage> ui;
    PageContext *m_ctx;
    // What the last layoutRcColumn call changed in the channel column.
    bool m_rcRowMoved = false;
    QLayoutItem *m_rcRowTakenOut = nullptr;
    bool m_rcLayoutMavlink = false;

    std::array<RcRow, 4> m_stickRows{};
    // The channel monitor's indicator labels, and those of them lit.
    QList<QLabel *> m_indicators;
    QSet<const QLabel *> m_litIndicators;
    // The gauges and the channel bars sit on white panels: each paints
    // the panel's colour under itself (its backdrop, kept up to date at each
    // paint) and counts as opaque, so that a new reading repaints it alone,
    // not also the panels, the page and the window beneath. Each with the
    // panel it lies on.
    QList<QPair<QWidget *, QWidget *>> m_backdropped;
    RcRow m_rc5Row{}, m_rc7Row{}, m_rc8Row{}, m_rc9Row{}, m_rc9NewRow{};

    // Last read-outs, so a language switch can show them again.
    std::optional<uint16_t> m_voltageMv;
    RcReceiver m_rcReceiver = RcReceiver::Unknown;
    std::optional<uint16_t> m_gps1Eph; // last accuracy report of the first receiver

    bool gps1Present = false;
    uint8_t gps1Sats = 0;
    bool gps2Present = false;
    uint8_t gps2Sats = 0;

    // Indexed by channel number 1..9: the channel reported an in-range value
    // other than exactly 1500 since it last reported an out-of-range one.
    std::array<bool, 10> channelMoved{};

    TravelCalibrationState m_calState = TravelCalibrationState::Unavailable;
    CalibrationNote m_calNote = CalibrationNote::None;
    std::array<int32_t, 4> m_rcMax{};
    std::array<int32_t, 4> m_rcMin{};
};
