// Tintwell start-up: identity and INI settings first, then the application
// object, style and theme, then the main window and the event loop.
#include "appidentity.h"
#include "devicetypes.h"
#include "manual.h"
#include "metatypes.h"
#include "startup.h"
#include "theme.h"

#include "mainwindow.h"
#include "screenpatternfactories.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    prepareApplicationIdentity();
    QApplication app(argc, argv);
    registerMetaTypes();
    registerDeviceMetaTypes();
    registerManualMeter(); // before the first scan builds the factory list
    registerPatternFactories();
    applyStyleAndTheme(app);

    int exitCode;
    {
        MainWindow window;
        window.show();
        armUnattendedRun(&window, &window);
        exitCode = app.exec();
    }
    return exitCode;
}
