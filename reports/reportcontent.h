#pragma once
// What a report says: who made it, with which meter, generator, profile and
// calibration standard, and for each measured patch set the target and the
// measured colour of every patch with their ΔE2000. No painting here.

#include "batchfile.h"
#include "gamutspec.h"
#include "measurement.h"

#include <QList>
#include <QString>
#include <QStringList>

struct DeviceIdentity {
    QString manufacturer, model, serialNumber;
    bool isEmpty() const { return model.isEmpty() && serialNumber.isEmpty(); }
};

// The standard the targets are computed from.
struct CalibrationStandard {
    QString name;
    GamutSpec spec = GamutSpec::standardSpec(2);
    double gamma = 2.2;
    int videoLow = 0, videoHigh = 255;
};

// The texts of the report block ("Update Text" in the preview).
struct ReportTexts {
    QString title, name, company, email, phone, website;
};

struct PatchResult {
    QString name;
    QColor code;          // code values sent to the generator
    Measurement target;   // what the standard asks for
    Measurement measured; // against the same white as the target
    double deltaE = 0;    // CIEDE2000
};

struct PatchTable {
    QString title; // "Batch results", "Pre-calibration", ...
    QList<PatchResult> rows;
    double averageDeltaE() const;
    // Index of the row with the largest ΔE2000, -1 when empty.
    int worstRow() const;
};

struct ReportSetup {
    // Which kind of report ("batch", "screencal", "spectral", "prepost"):
    // each kind keeps its own title; "" keeps none.
    QString kind;
    ReportTexts texts;
    DeviceIdentity meter, generator;
    QString profile; // the meter's profile in force, "" when none
    CalibrationStandard standard;
    QList<PatchTable> tables;
};

// The target of code values under a standard: the code values relative to
// the video range, raised to the gamma, through the standard's primaries, at
// the white luminance whiteY (cd/m²).
Measurement targetFor(const QColor &code, const CalibrationStandard &standard, double whiteY);

// Targets and ΔE2000 for measured patches. Both sides are compared against
// the same white: the measured video white when the set holds one (so a
// display is judged on its colour, not on its peak luminance), else the
// standard's white luminance.
PatchTable comparePatches(const QString &title, const QList<ColorPatch> &patches,
                          const QList<Measurement> &measured, const CalibrationStandard &standard);

// The summary page's description of the standard, one item a line.
QString standardText(const CalibrationStandard &s);
// "Manufacturer: %1\nModel: %2\nSerial Number: %3", or "None" for no device.
QString deviceText(const DeviceIdentity &d);
// "12 patches, average ΔE2000 1.23, maximum 4.56 (Red - 100 IRE)".
QString tableSummaryText(const PatchTable &t);
// The patch table's header and one row's cells.
QStringList patchTableHeader();
QStringList patchTableCells(const PatchResult &r);
