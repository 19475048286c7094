// Tintwell start-up: identity and INI settings first, then the application
// object, style and theme, then the main window and the event loop.
#include "metatypes.h"
#include "startup.h"

#include "mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    prepareApplicationIdentity();
    QApplication app(argc, argv);
    registerMetaTypes();
    applyStyleAndTheme(app);

    int exitCode;
    {
        MainWindow window;
        window.show();
        armUnattendedRun(&window);
        exitCode = app.exec();
    }
    return exitCode;
}
