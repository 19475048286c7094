#pragma once
// "Save Next Measurement": one reading appended as a CSV row, with the header
// written only when the file does not already start with it, so a log grows
// by one row per save.

#include "measurement.h"

#include <QDateTime>
#include <QString>

extern const char *const measurementCsvHeader;

// "MM/dd/yyyy hh:mm:ss.zzz ap", then X, Y, Z (cd/m²), x, y, u', v', CCT, its
// duv, dominant wavelength, its duv, R%, G%, B%, hue, saturation, value (up to
// 6 significant digits) and the error code; no line end.
QString measurementCsvRow(const Measurement &m, const QDateTime &when);

enum class CsvAppendResult {
    Appended,
    CannotOpenReadWrite, // nothing written
    CannotOpenAppend,    // nothing written
    WriteFailed          // opened, but the row did not reach the file (disk full...)
};

CsvAppendResult appendMeasurementCsv(const QString &path, const Measurement &m,
                                     const QDateTime &when);
