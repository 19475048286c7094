#pragma once
// The tools' golden files, in data/ beside these tests.
#include "filebytes.h"

inline QByteArray golden(const char *name) {
    return fileBytes(QStringLiteral(TOOLS_TEST_DATA "/") + QLatin1String(name));
}
