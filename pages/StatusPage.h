#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>

// mavlink_rc_channels_t and its meta-type declaration (queued from the worker).
#include "link/Mav2Uart_Worker.h"

class PageContext;
class QLayoutItem;
class QPushButton;

namespace Ui {
class StatusPage;
}

// Stacked page 0 ("page"): battery and GPS read-outs, the attitude and compass
// gauges, the radio channel monitor and the stick travel calibration panel.
class StatusPage : public QWidget
{
    Q_OBJECT

public:
    explicit StatusPage(PageContext *ctx, QWidget *parent = nullptr);
    ~StatusPage() override;

    // Arranges the switch rows of the channel column for the receiver layout:
    // with serial2IsMavlink the fifth row (channel 9) is shown and the rows read
    // channels 5, 6, 7, 8, 9; without it the fifth row is taken out and the rows
    // read channels 5, 7, 8, 9. A call first undoes what the previous one did,
    // so the routine can run after every download.
    void layoutRcColumn(bool serial2IsMavlink);

    // A travel calibration is sweeping or waiting for its write: the button
    // shows neither of its idle texts.
    bool travelCalibrationRunning() const;
    QPushButton *rcButton() const;

    // This page's share of the display after a parameter download.
    void showParameters();
    // Re-applies the form's texts and the texts that depend on the state, in
    // the language of the context.
    void retranslate();
    // What the page does when the link is lost.
    void setLinkLost();

public slots:
    void sys_status_show(uint16_t voltageMv, signed char rcHealthy);
    void gps_raw_int_show(uint8_t satellites, uint16_t eph, uint16_t epv);
    void gps2_raw_show(uint8_t satellites, uint16_t eph);
    void attitude_show(float roll, float pitch, float yaw);
    void rc_channels_show(mavlink_rc_channels_t channels);

private:
    void applySwitchLabelTexts();
    void applyTravelLabelTexts();

    std::unique_ptr<Ui::StatusPage> ui;
    PageContext *m_ctx;
    // What the last layoutRcColumn call changed in the channel column.
    bool m_rcRowMoved = false;
    QLayoutItem *m_rcRowTakenOut = nullptr;
};
