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

    const QSize buttonSize(340, 240);
    for (const HeliArt::Model &m : HeliArt::models()) {
        ok &= save(HeliArt::render(m, HeliArt::selectedPalette(), buttonSize),
                   out.filePath(QStringLiteral("types/%1.jpg").arg(m.name)), 92);
        ok &= save(HeliArt::render(m, HeliArt::mutedPalette(), buttonSize),
                   out.filePath(QStringLiteral("types/%1-noselected.jpg").arg(m.name)), 92);
    }
    ok &= save(BrandArt::logoMark(41), out.filePath(QStringLiteral("ZEN-F.png")));
    ok &= save(BrandArt::logoText(111, 51), out.filePath(QStringLiteral("ZEN-txt-F.png")));
    ok &= save(BrandArt::minimiseIcon(36), out.filePath(QStringLiteral("icons/minimized.png")));
    ok &= save(BrandArt::closeIcon(36), out.filePath(QStringLiteral("icons/close.png")));
    ok &= save(BrandArt::signalIcon(48, true), out.filePath(QStringLiteral("wifi_open.png")));
    ok &= save(BrandArt::signalIcon(48, false), out.filePath(QStringLiteral("wifi_close.png")));
    ok &= save(BrandArt::appIcon(256), out.filePath(QStringLiteral("icons/tavro.png")));
    return ok ? 0 : 1;
}
