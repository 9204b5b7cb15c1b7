#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>

class PageContext;

namespace Ui {
class TuningPage;
}

// Stacked page 2 ("page_3"): the onboard compass calibration and the flight
// tuning sliders with the low-battery return switch.
class TuningPage : public QWidget
{
    Q_OBJECT

public:
    explicit TuningPage(PageContext *ctx, QWidget *parent = nullptr);
    ~TuningPage() override;

    void showParameters();
    void retranslate();
    void setLinkLost();

public slots:
    // Compass calibration progress in percent; values above 100 are ignored.
    void MagCalibration_show(int value);
    void mag_cal_report_show(uint8_t compassId, uint8_t calStatus);

private:
    std::unique_ptr<Ui::TuningPage> ui;
    PageContext *m_ctx;
};
