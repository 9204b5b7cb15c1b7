#pragma once

#include <QMessageBox>
#include <QWidget>
#include <memory>

class QMouseEvent;

namespace Ui {
class PopUpWidget;
}

// Battery-voltage calibration dialog: the user picks the voltage a precise
// voltmeter shows at the fully charged battery, and once the flight
// controller's own reading (fed in by the main window) is steady, the dialog
// computes the BATT_VOLT_MULT that makes the two agree and emits it for the
// window to write. One write per opening.
//
// A frameless dialog window (dragged by pressing anywhere outside the buttons).
// The window creates it on demand; it does not delete itself on close unless
// the creator sets Qt::WA_DeleteOnClose.
//
// The write is reported as done only once the flight controller has echoed the
// new value: after writeBattVoltMult the dialog waits (write button disabled,
// showing that it waits) until the window calls writeConfirmed() with the
// echoed value or writeFailed().
class PopUpWidget : public QWidget
{
    Q_OBJECT

public:
    enum class WriteState {
        NotSent,    // no write this opening (refused attempts included)
        Pending,    // writeBattVoltMult emitted, no answer yet
        Confirmed,  // the flight controller echoed the value that was sent
        Failed,     // the window reported the write as not confirmed
    };
    Q_ENUM(WriteState)

    explicit PopUpWidget(QWidget *parent = nullptr);
    ~PopUpWidget() override;

    // The flight controller's latest battery reading in volts; shown with two
    // decimals.
    void setMeasuredVoltage(float volts);
    // The BATT_VOLT_MULT stored in the flight controller. Until this is called,
    // or when it is given a value that is not a positive finite number (the
    // parameter store answers -1.0 for an absent name), writing is refused.
    void setBattVoltMult(float mult);
    // Point size of the instruction text (the window picks it by language).
    void setMessagePointSize(int pointSize);

    WriteState writeState() const { return m_writeState; }
    // The multiplier sent by this opening's write (0 before it).
    float sentMultiplier() const { return m_sentMult; }

    // Outcome texts in the current language, for a caller that reports the
    // answer itself once the dialog has gone.
    static QString confirmedText();
    static QString failedText();

signals:
    void writeBattVoltMult(float newMult);

public slots:
    void onVoltageButtonClicked();
    void on_PopUpWrite_bn_clicked();
    void on_PopUp_btn_close_clicked();

    // The flight controller reported BATT_VOLT_MULT = confirmedMult. Completes
    // a pending write when it is the value that was sent (success box); any
    // other value, or a call without a pending write, is only logged.
    void writeConfirmed(float confirmedMult);
    // The pending write was not confirmed (error box). Ignored without one.
    void writeFailed();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void refuse(const QString &title, const QString &text);
    void showOutcomeBox(bool confirmed);
    void showBox(QMessageBox::Icon icon, const QString &title, const QString &text);
    void applyStateTexts();

    std::unique_ptr<Ui::PopUpWidget> ui;

    float measuredVoltage = 0.0f;
    float selectedVoltage = 0.0f;
    float battVoltMult = 1.0f;
    bool battVoltMultGiven = false;
    bool voltageReceived = false;

    qint32 dragOffsetX = 0;
    qint32 dragOffsetY = 0;
    bool dragging = false;

    WriteState m_writeState = WriteState::NotSent;
    float m_sentMult = 0.0f;
};
