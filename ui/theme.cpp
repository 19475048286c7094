#include "theme.h"

#include "tintwellresources.h"

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QStyleFactory>

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
    app.setStyleSheet(loadStyleSheet(settings.value("Theme", ":/themes/night.qss").toString()));
}
