#pragma once
// Where the templates shipped with the application are, and reading a
// template file without trusting its size.

#include <QByteArray>
#include <QString>

namespace screencal {

// The folder of the shipped templates: TINTWELL_TEMPLATE_DIR when set, else
// the installed data folder beside the program, else the source tree's
// data/templates (a build run in place). The one place to change when the
// application gains a data-directory lookup.
QString templateDirectory();

// Reads at most maxTemplateBytes; false with a reason for a missing,
// unreadable or oversized file.
bool readTemplateFile(const QString &path, QByteArray *bytes, QString *error);

} // namespace screencal
