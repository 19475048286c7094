#pragma once
// The QC report of a new profile: reference, pre-calibration and
// post-calibration readings of White, Red, Green and Blue with their errors
// and pass marks, and the colour matrix in force, as CSV.

#include "matrix.h"
#include "measurement.h"

#include <QDateTime>
#include <QString>
#include <QVector>

namespace profiles {

struct QcReport {
    QDateTime when;
    matrix colorMatrix; // the colorimeter's current colour matrix, 3 x 3
    QString referenceModel, referenceSerial, referenceProfileId, referenceProfileName;
    QString model, serial; // the colorimeter
    int slot = 0;          // its current profile
    QString slotName;
    QVector<Measurement> reference, preCal, postCal; // four each
};

// False unless all three lists hold four readings.
bool qcReportComplete(const QcReport &r);
QString qcReportText(const QcReport &r);
// Proposed file name: serial number and profile slot.
QString qcReportFileName(const QString &serial, int slot);
// Written to a temporary file and renamed into place; false when the file
// could not be written (the old one, if any, is untouched).
bool saveQcReport(const QString &path, const QcReport &r);

} // namespace profiles
