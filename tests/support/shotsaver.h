#pragma once
// Saves a grabbed picture as TINTWELL_SCREENSHOT_DIR/<name>.png when that
// variable is set, so a person can look at what a test saw.

#include <QDir>
#include <QImage>
#include <QString>

inline void saveShot(const QImage &image, const QString &name) {
    const QString dir = qEnvironmentVariable("TINTWELL_SCREENSHOT_DIR");
    if (!dir.isEmpty() && QDir().mkpath(dir))
        image.save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}
