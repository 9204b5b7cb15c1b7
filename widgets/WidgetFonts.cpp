#include "widgets/WidgetFonts.h"

#include "widgets/WidgetsLog.h"

#include <QFont>
#include <mutex>

QStringList WidgetFonts::substitutedFamilies()
{
    return {QStringLiteral("Microsoft YaHei"),
            QStringLiteral("Microsoft YaHei Light"),
            QStringLiteral("Microsoft YaHei UI"),
            QStringLiteral("微软雅黑"),
            QStringLiteral("微软雅黑 Light")};
}

QStringList WidgetFonts::cjkFallbackFamilies()
{
    return {QStringLiteral("WenQuanYi Micro Hei"),
            QStringLiteral("Noto Sans CJK SC"),
            QStringLiteral("Source Han Sans SC"),
            QStringLiteral("PingFang SC"),
            QStringLiteral("Hiragino Sans GB"),
            QStringLiteral("Droid Sans Fallback")};
}

void WidgetFonts::installSubstitutions()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const QStringList fallbacks = cjkFallbackFamilies();
        // Family names are matched case-insensitively, so "Microsoft Yahei"
        // is covered by "Microsoft YaHei".
        for (const QString &family : substitutedFamilies())
            QFont::insertSubstitutions(family, fallbacks);
        qCDebug(lcWidgets) << "CJK font substitutes installed:" << fallbacks;
    });
}
