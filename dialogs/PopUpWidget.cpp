#include "dialogs/PopUpWidget.h"

#include "dialogs/DialogsLog.h"
#include "ui_PopUpWidget.h"

#include <QEvent>
#include <QFont>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QWindow>

#include <cmath>

namespace {

// Look of an unpicked voltage button, and the green mark of the picked one.
const char kVoltageButtonStyle[] =
    "border-radius:2px;\nborder: 1px solid rgb(216, 216, 216);\nbackground-color: rgb(255, 255, 255);\n";
const char kPickedVoltageStyle[] = "background:#4CAF50;color:white;";

// Largest accepted difference between the picked and the measured voltage.
constexpr float kMaxVoltageDifference = 1.5f;

bool isPositiveFinite(float v)
{
    return std::isfinite(v) && v > 0.0f;
}

} // namespace

PopUpWidget::PopUpWidget(QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::PopUpWidget>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    resize(400, 300);

    const QList<QPushButton *> buttons = {ui->Voltage_bn1, ui->Voltage_bn2, ui->Voltage_bn3,
                                          ui->Voltage_bn4, ui->Voltage_bn5, ui->Voltage_bn6,
                                          ui->Voltage_bn7, ui->Voltage_bn8, ui->Voltage_bn9};
    for (QPushButton *b : buttons)
        connect(b, &QPushButton::clicked, this, &PopUpWidget::onVoltageButtonClicked);

    applyStateTexts();
}

PopUpWidget::~PopUpWidget() = default;

QString PopUpWidget::confirmedText()
{
    return tr("电压校准完成");
}

QString PopUpWidget::failedText()
{
    return tr("飞控未确认新的电压系数，写入失败");
}

void PopUpWidget::setMeasuredVoltage(float volts)
{
    measuredVoltage = volts;
    voltageReceived = true;
    ui->PopUp_Tag->setText(tr("飞控测量电压: %1 V").arg(QString::number(volts, 'f', 2)));
}

void PopUpWidget::setBattVoltMult(float mult)
{
    battVoltMult = mult;
    battVoltMultGiven = true;
}

void PopUpWidget::setMessagePointSize(int pointSize)
{
    QFont font;
    font.setPointSize(pointSize);
    ui->PopUp_Message->setFont(font);
}

void PopUpWidget::onVoltageButtonClicked()
{
    auto *button = qobject_cast<QPushButton *>(sender());
    if (!button)
        return;
    QString text = button->text();
    text.chop(1); // the unit "V"
    selectedVoltage = text.toFloat();

    const QList<QPushButton *> buttons = {ui->Voltage_bn1, ui->Voltage_bn2, ui->Voltage_bn3,
                                          ui->Voltage_bn4, ui->Voltage_bn5, ui->Voltage_bn6,
                                          ui->Voltage_bn7, ui->Voltage_bn8, ui->Voltage_bn9};
    for (QPushButton *b : buttons)
        b->setStyleSheet(QString::fromLatin1(kVoltageButtonStyle));
    button->setStyleSheet(QString::fromLatin1(kPickedVoltageStyle));
}

void PopUpWidget::on_PopUpWrite_bn_clicked()
{
    if (m_writeState != WriteState::NotSent)
        return; // one write per opening

    if (selectedVoltage <= 0.0f) {
        refuse(tr("提示"), tr("请选择电压"));
        return;
    }
    // Single precision on purpose: 16.5 V picked against 15.0 V measured is
    // exactly 1.5 V apart and still accepted.
    if (std::fabs(selectedVoltage - measuredVoltage) > kMaxVoltageDifference) {
        refuse(tr("电压异常"), tr("用户输入电压与飞控测量电压差超过1.5V，禁止写入"));
        return;
    }
    // Without a valid reading or a valid stored multiplier the ratio below
    // would be meaningless (a missing parameter reads as -1.0 and would give a
    // negative multiplier), so nothing is written.
    if (!isPositiveFinite(measuredVoltage)) {
        refuse(tr("电压异常"), tr("飞控测量电压无效，禁止写入"));
        return;
    }
    if (!battVoltMultGiven || !isPositiveFinite(battVoltMult)) {
        qCWarning(lcDialogs) << "No usable BATT_VOLT_MULT:"
                             << (battVoltMultGiven ? QString::number(battVoltMult) : QStringLiteral("not given"));
        refuse(tr("提示"), tr("未读取到有效的电压系数BATT_VOLT_MULT，禁止写入"));
        return;
    }

    const float newMult = selectedVoltage / measuredVoltage * battVoltMult;
    qCDebug(lcDialogs) << "selectedVoltage =" << selectedVoltage;
    qCDebug(lcDialogs).nospace() << "measuredVoltage = " << measuredVoltage;
    qCDebug(lcDialogs) << "battVoltMult =" << battVoltMult;
    qCDebug(lcDialogs) << "New BATT_VOLT_MULT =" << newMult;
    if (!isPositiveFinite(newMult)) {
        refuse(tr("提示"), tr("未读取到有效的电压系数BATT_VOLT_MULT，禁止写入"));
        return;
    }

    // Disabled before the signal goes out, so an answer that arrives while
    // the signal is still being delivered finds the write pending.
    m_writeState = WriteState::Pending;
    m_sentMult = newMult;
    ui->PopUpWrite_bn->setEnabled(false);
    applyStateTexts();
    emit writeBattVoltMult(newMult);
}

void PopUpWidget::on_PopUp_btn_close_clicked()
{
    close();
}

void PopUpWidget::writeConfirmed(float confirmedMult)
{
    if (m_writeState != WriteState::Pending) {
        qCDebug(lcDialogs) << "BATT_VOLT_MULT reported without a pending write:" << confirmedMult;
        return;
    }
    // The same tolerance as the link's write confirmation: a float that went
    // through the flight controller and back.
    if (!(std::fabs(double(confirmedMult) - double(m_sentMult)) <= 1e-5 * double(m_sentMult))) {
        qCDebug(lcDialogs) << "BATT_VOLT_MULT reported as" << confirmedMult << "while waiting for" << m_sentMult;
        return;
    }
    qCDebug(lcDialogs) << "BATT_VOLT_MULT confirmed:" << confirmedMult;
    m_writeState = WriteState::Confirmed;
    applyStateTexts();
    showOutcomeBox(true);
}

void PopUpWidget::writeFailed()
{
    if (m_writeState != WriteState::Pending) {
        qCDebug(lcDialogs) << "Write failure reported without a pending write";
        return;
    }
    qCWarning(lcDialogs) << "BATT_VOLT_MULT =" << m_sentMult << "was not confirmed";
    m_writeState = WriteState::Failed;
    applyStateTexts();
    showOutcomeBox(false);
}

void PopUpWidget::refuse(const QString &title, const QString &text)
{
    showBox(QMessageBox::Warning, title, text);
}

void PopUpWidget::showOutcomeBox(bool confirmed)
{
    if (confirmed)
        showBox(QMessageBox::Information, tr("成功"), confirmedText());
    else
        showBox(QMessageBox::Critical, tr("错误"), failedText());
}

void PopUpWidget::showBox(QMessageBox::Icon icon, const QString &title, const QString &text)
{
    // Modal to the dialog but without a nested event loop: the window may
    // close and delete the dialog at any time (link loss), which must not
    // pull a running exec() out from under a box, and the answer of the
    // flight controller arrives inside the window's parameter handler, which
    // must not be held up.
    auto *box = new QMessageBox(icon, title, text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void PopUpWidget::applyStateTexts()
{
    if (voltageReceived)
        setMeasuredVoltage(measuredVoltage);
    else
        ui->PopUp_Tag->setText(tr("飞控测量电压: %1 V").arg(QStringLiteral("--")));

    switch (m_writeState) {
    case WriteState::NotSent:
        ui->PopUpWrite_bn->setText(tr("写入电压"));
        break;
    case WriteState::Pending:
        ui->PopUpWrite_bn->setText(tr("等待飞控确认"));
        break;
    case WriteState::Confirmed:
        ui->PopUpWrite_bn->setText(tr("校准完成"));
        break;
    case WriteState::Failed:
        ui->PopUpWrite_bn->setText(tr("写入失败"));
        break;
    }
}

void PopUpWidget::mousePressEvent(QMouseEvent *event)
{
    QWindow *handle = windowHandle();
    if (event->button() == Qt::LeftButton && (!handle || !handle->startSystemMove())) {
        // The desktop refused to move the dialog: it follows the mouse itself.
        const QPoint offset = event->globalPosition().toPoint() - frameGeometry().topLeft();
        dragOffsetX = offset.x();
        dragOffsetY = offset.y();
        dragging = true;
    }
    QWidget::mousePressEvent(event);
}

void PopUpWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (dragging && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - QPoint(dragOffsetX, dragOffsetY));
    QWidget::mouseMoveEvent(event);
}

void PopUpWidget::mouseReleaseEvent(QMouseEvent *event)
{
    dragging = false;
    QWidget::mouseReleaseEvent(event);
}

void PopUpWidget::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        applyStateTexts();
    }
    QWidget::changeEvent(event);
}
