#include "pages/StatusTextTable.h"

#include "pages/PagesLog.h"

#include <QCoreApplication>

namespace {

const char *const kContext = "StatusTextTable";

// Tried from top to bottom. Several patterns share words ("Compass not ..."),
// and a pre-arm text can carry more than one complaint, so the order decides.
const std::array<StatusTextTable::Row, StatusTextTable::kRowCount> kRows{{
    {"Check mag field", QT_TRANSLATE_NOOP("StatusTextTable", "磁罗盘受到干扰")},
    {"Compass not healthy", QT_TRANSLATE_NOOP("StatusTextTable", "磁罗盘不正常")},
    {"3D Accel calibration needed", QT_TRANSLATE_NOOP("StatusTextTable", "加速度计需要校准")},
    {"Compass calibration running", QT_TRANSLATE_NOOP("StatusTextTable", "磁罗盘计正在校准")},
    {"Compass not calibrated", QT_TRANSLATE_NOOP("StatusTextTable", "磁罗盘需要校准")},
    {"Check FS_THR_VALUE", QT_TRANSLATE_NOOP("StatusTextTable", "3通道最小值过小")},
    {"Motor Interlock Enabled", QT_TRANSLATE_NOOP("StatusTextTable", "请把电机锁拨至熄火")},
    {"radio max too low", QT_TRANSLATE_NOOP("StatusTextTable", "遥控器需要校准")},
    {"Radio failsafe on", QT_TRANSLATE_NOOP("StatusTextTable", "请连接接收机")},
    {"Accels calibrated requires reboot", QT_TRANSLATE_NOOP("StatusTextTable", "加速度计校准完成后需要重启飞控")},
    {"Compass calibrated requires reboot", QT_TRANSLATE_NOOP("StatusTextTable", "磁罗盘校准后需要重新启动")},
}};

} // namespace

const std::array<StatusTextTable::Row, StatusTextTable::kRowCount> &StatusTextTable::rows()
{
    return kRows;
}

int StatusTextTable::matchRow(const QString &text)
{
    for (int i = 0; i < kRowCount; ++i) {
        if (text.contains(QLatin1String(kRows[size_t(i)].pattern), Qt::CaseSensitive))
            return i;
    }
    return -1;
}

std::optional<QString> StatusTextTable::userLine(const QString &text, uint8_t severity)
{
    qCDebug(lcPages).noquote() << QStringLiteral("err_msg:") + text + QStringLiteral("  ") + QString::number(severity);
    if (severity > kLowestShownSeverity)
        return std::nullopt;
    const int row = matchRow(text);
    if (row < 0)
        return std::nullopt;
    return QCoreApplication::translate(kContext, kRows[size_t(row)].message);
}
