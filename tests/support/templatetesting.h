#pragma once
// Shared by the screen-calibration tests: templates written inline and the
// templates shipped in data/templates.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <cstdlib>

// A ScreenCal 1.0 document around `body`.
inline QByteArray screenCalXml(const QString &body, const QString &name = "T") {
    return QStringLiteral("<?xml version=\"1.0\"?>\n<ScreenCal version=\"1.0\" name=\"%1\">\n%2\n"
                          "</ScreenCal>\n")
        .arg(name, body)
        .toUtf8();
}

inline QString shippedTemplateDir() {
    const char *dir = std::getenv("TINTWELL_DATA_DIR");
    return QString::fromLocal8Bit(dir && *dir ? dir : "data") + QStringLiteral("/templates");
}

inline QStringList shippedTemplates() {
    return {"greyscale-gamma.xml", "primaries-secondaries.xml", "whitepoint-luminance.xml"};
}

inline QByteArray readShippedTemplate(const QString &name) {
    QFile f(shippedTemplateDir() + QLatin1Char('/') + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
