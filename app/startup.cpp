#include "startup.h"

#include "tintwellresources.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QSettings>
#include <QStyleFactory>
#include <QTimer>
#include <QWidget>

#include <cstdio>

void prepareApplicationIdentity() {
    initTintwellResources();
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QCoreApplication::setOrganizationName("TorvaInstruments");
    QCoreApplication::setOrganizationDomain("torva-instruments.example");
    QCoreApplication::setApplicationName("Tintwell");
    QCoreApplication::setApplicationVersion("5.43");
}

QString loadStyleSheet(const QString &resourcePath) {
    // Only compiled-in sheets: a path from the settings file could otherwise
    // name a device or a huge file and hang start-up reading it.
    if (!resourcePath.startsWith(QLatin1String(":/")))
        return QString();
    initTintwellResources();
    QFile file(resourcePath);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QString text = QString::fromLatin1(file.readAll());
    file.close();
    return text;
}

void applyStyleAndTheme(QApplication &app) {
    QSettings settings;
    if (QStyle *style = QStyleFactory::create("Windows"))
        QApplication::setStyle(style);
    app.setStyleSheet(
        loadStyleSheet(settings.value("Theme", ":/themes/night.qss").toString()));
}

void armUnattendedRun(QWidget *mainWindow) {
    const QString shot = qEnvironmentVariable("TINTWELL_SCREENSHOT");
    bool ok = false;
    int exitAfter = qEnvironmentVariableIntValue("TINTWELL_EXIT_AFTER_MS", &ok);
    if (!ok && shot.isEmpty())
        return;
    if (!ok)
        exitAfter = 1500; // ms: long enough for the first layout and paint
    QTimer::singleShot(exitAfter, mainWindow, [mainWindow, shot]() {
        if (!shot.isEmpty()) {
            const QPixmap picture = mainWindow->grab();
            if (picture.save(shot, "PNG"))
                std::printf("Screenshot of the main window saved to %s\n",
                            qPrintable(QDir(shot).absolutePath()));
            else
                std::fprintf(stderr, "Could not save the screenshot to %s\n", qPrintable(shot));
            std::fflush(stdout);
        }
        mainWindow->close();
    });
}
