// Writes the pictures of the resources folder. Usage: tavro-artwork <resources-dir>
#include "BrandArt.h"
#include "HeliArt.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QTextStream>

namespace {

bool save(const QImage &img, const QString &path, int quality = -1)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!img.save(path, nullptr, quality)) {
        QTextStream(stderr) << "cannot write " << path << "\n";
        return false;
    }
    QTextStream(stdout) << path << " " << img.width() << "x" << img.height() << "\n";
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: tavro-artwork <resources-dir>\n";
        return 2;
    }
    const QDir out(args.at(1));
    bool ok = true;

    // Every picture the window shows also at twice its size ("@2x", found by
    // Qt on a screen scaled to 200 %); the application icon is large already.
    const QSize buttonSize(340, 240);
    for (const HeliArt::Model &m : HeliArt::models()) {
        for (const int scale : {1, 2}) {
            const QString suffix = scale == 2 ? QStringLiteral("@2x") : QString();
            ok &= save(HeliArt::render(m, HeliArt::selectedPalette(), buttonSize * scale),
                       out.filePath(QStringLiteral("types/%1%2.jpg").arg(m.name, suffix)), 92);
            ok &= save(HeliArt::render(m, HeliArt::mutedPalette(), buttonSize * scale),
                       out.filePath(QStringLiteral("types/%1-noselected%2.jpg").arg(m.name, suffix)), 92);
        }
    }
    for (const int scale : {1, 2}) {
        const QString suffix = scale == 2 ? QStringLiteral("@2x") : QString();
        ok &= save(BrandArt::logoMark(41, scale), out.filePath(QStringLiteral("ZEN-F%1.png").arg(suffix)));
        ok &= save(BrandArt::logoText(111, 51, scale), out.filePath(QStringLiteral("ZEN-txt-F%1.png").arg(suffix)));
        ok &= save(BrandArt::minimiseIcon(36, scale), out.filePath(QStringLiteral("icons/minimized%1.png").arg(suffix)));
        ok &= save(BrandArt::closeIcon(36, scale), out.filePath(QStringLiteral("icons/close%1.png").arg(suffix)));
        ok &= save(BrandArt::signalIcon(48, true, scale), out.filePath(QStringLiteral("wifi_open%1.png").arg(suffix)));
        ok &= save(BrandArt::signalIcon(48, false, scale), out.filePath(QStringLiteral("wifi_close%1.png").arg(suffix)));
    }
    ok &= save(BrandArt::appIcon(256), out.filePath(QStringLiteral("icons/tavro.png")));
    return ok ? 0 : 1;
}
