#include "app/AppStartup.h"
#include "app/MainWindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    AppStartup::createInstanceMarker();
    AppStartup::installFontSubstitutes();
    AppStartup::applyStyleSheet(app);

    int result = 0;
    {
        MainWindow window;
        window.show();
        result = app.exec();
    }
    return result;
}
