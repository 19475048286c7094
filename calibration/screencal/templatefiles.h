#pragma once
// Where the templates shipped with the application are, and reading a
// template file without trusting its size.

#include <QByteArray>
#include <QString>

namespace screencal {

// The folder of the shipped templates: TINTWELL_TEMPLATE_DIR when set, else
// the application's data folder "templates" (empty when there is none).
QString templateDirectory();

// Reads at most maxTemplateBytes; false with a reason for a missing,
// unreadable or oversized file.
bool readTemplateFile(const QString &path, QByteArray *bytes, QString *error);

} // namespace screencal
