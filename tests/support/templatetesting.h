#pragma once
// Shared by the screen-calibration tests: templates written inline and the
// folder of the shipped ones.

#include <QByteArray>
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

// A template of one header "h" with one page "p" holding `elements`; the
// page's first line is line 3.
inline QByteArray onePageXml(const QString &elements) {
    return screenCalXml("<header name=\"h\"><frame name=\"p\">" + elements + "</frame></header>");
}

inline QString shippedTemplateDir() {
    const char *dir = std::getenv("TINTWELL_DATA_DIR");
    return QString::fromLocal8Bit(dir && *dir ? dir : "data") + QStringLiteral("/templates");
}
