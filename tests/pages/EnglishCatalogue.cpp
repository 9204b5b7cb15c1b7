#include "EnglishCatalogue.h"

EnglishCatalogue::EnglishCatalogue()
{
    m_entries = {
        // status page
        {QStringLiteral("当前电压"), QStringLiteral("Voltage")},
        {QStringLiteral("GPS星数"), QStringLiteral("Star")},
        {QStringLiteral("GPS精度"), QStringLiteral("HDOP")},
        {QStringLiteral("未连接"), QStringLiteral("not connected")},
        {QStringLiteral("未定位"), QStringLiteral("not located")},
        {QStringLiteral("遥控器"), QStringLiteral("Radio")},
        {QStringLiteral("开始行程校准"), QStringLiteral("Start calibration")},
        {QStringLiteral("丢失遥控信号失控保护中"), QStringLiteral("loss of RC signal")},
        {QStringLiteral("左右平移"), QStringLiteral("Aileron")},
        {QStringLiteral("前进后退"), QStringLiteral("Elevator")},
        {QStringLiteral("上下螺距"), QStringLiteral("collective")},
        {QStringLiteral("旋转方向"), QStringLiteral("Tail")},
        {QStringLiteral("左"), QStringLiteral("Left")},
        {QStringLiteral("右"), QStringLiteral("Right")},
        {QStringLiteral("前"), QStringLiteral("Forward")},
        {QStringLiteral("后"), QStringLiteral("Backward")},
        {QStringLiteral("上"), QStringLiteral("Pos")},
        {QStringLiteral("下"), QStringLiteral("Neg")},
        {QStringLiteral("模式开关"), QStringLiteral("MODE")},
        {QStringLiteral("特技"), QStringLiteral("Aerobatics")},
        {QStringLiteral("姿态"), QStringLiteral("ATT")},
        {QStringLiteral("电机锁"), QStringLiteral("Motor")},
        {QStringLiteral("熄火"), QStringLiteral("Off")},
        {QStringLiteral("启动"), QStringLiteral("On")},
        {QStringLiteral("手感模式"), QStringLiteral("Style")},
        {QStringLiteral("柔和"), QStringLiteral("Soft")},
        {QStringLiteral("标准"), QStringLiteral("Standard")},
        {QStringLiteral("运动"), QStringLiteral("Sport")},
        {QStringLiteral("一键返航"), QStringLiteral("Return")},
        {QStringLiteral("关闭"), QStringLiteral("Off")},
        {QStringLiteral("返航"), QStringLiteral("Home")},
        {QStringLiteral("开启"), QStringLiteral("On")},
        {QStringLiteral("协调转弯"), QStringLiteral("Turn")},
        {QStringLiteral("遥控信号连接中"), QStringLiteral("RC signal connecting")},
        {QStringLiteral("无电池"), QStringLiteral("Battery free")},
        {QStringLiteral("米"), QStringLiteral("meter")},
        {QStringLiteral("校准中"), QStringLiteral("in calibration")},
        {QStringLiteral("点击写入参数"), QStringLiteral("Click to write parameters.\"")},
        {QStringLiteral("校准完成"), QStringLiteral("Calibration complete")},
        {QStringLiteral("请转动摇杆进行校准"), QStringLiteral("Please turn the rocker for calibration")},
        // rotor page
        {QStringLiteral(" 斜盘调平"), QStringLiteral(" Sawsh-Trim")},
        {QStringLiteral("舵机回中"), QStringLiteral("Servo trim")},
        {QStringLiteral("螺距调整"), QStringLiteral("Collective")},
        {QStringLiteral("正螺距"), QStringLiteral("MAX Pos")},
        {QStringLiteral("负螺距"), QStringLiteral("MAX Neg")},
        {QStringLiteral("调整完成"), QStringLiteral("Done")},
        // tuning page
        {QStringLiteral("磁力计校准进度"), QStringLiteral("Compass calibration")},
        {QStringLiteral("校准完自动重启"), QStringLiteral("automatic restart")},
        {QStringLiteral("开始校准"), QStringLiteral("Start")},
        {QStringLiteral("取消校准"), QStringLiteral("Cancel")},
        {QStringLiteral("工程参数"), QStringLiteral("Parameters")},
        {QStringLiteral("油门值"), QStringLiteral("Throttle")},
        {QStringLiteral("俯仰感度"), QStringLiteral("Pitch gain")},
        {QStringLiteral("横滚感度"), QStringLiteral("Roll gain")},
        {QStringLiteral("锁尾感度"), QStringLiteral("Tail gain")},
        {QStringLiteral("刹车力度"), QStringLiteral("Brake gain")},
        {QStringLiteral("低电量返航"), QStringLiteral("Low battery")},
        {QStringLiteral("开始磁力计校准...\n"), QStringLiteral("Starting magnetometer calibration..")},
        {QStringLiteral("请开始分别绕三个轴旋转\n"), QStringLiteral("Please start rotating around each of the three axes.")},
        {QStringLiteral("校准成功，必须重启飞控完成校准\n"),
         QStringLiteral("Calibration successful, you must restart the flight controller to complete the calibration.")},
        {QStringLiteral("校准成功，自动重启飞控完成校准\n"),
         QStringLiteral("Calibration successful, the flight controller will automatically restart to complete the "
                        "calibration.")},
    };
}

QString EnglishCatalogue::translate(const char *, const char *sourceText, const char *, int) const
{
    return m_entries.value(QString::fromUtf8(sourceText));
}
