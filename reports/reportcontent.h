#pragma once
// What a report says: who made it, with which meter, generator, profile and
// calibration standard, and for each measured patch set the target and the
// measured colour of every patch with their ΔE2000. No painting here.

#include "batchfile.h"
#include "gamutspec.h"
#include "measurement.h"
#include "videotarget.h"

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
    int videoLow = 0, videoHigh = 255; // at `bits`
    int bits = 8;
    // The curve beyond the gamma: BT.1886, PQ or HLG with their parameters
    // (its gamma is the one above).
    TargetCurve curve;
    VideoStandard video() const;
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
    double deltaItp = 0;  // ΔE ITP (BT.2124) of the absolute light
    std::array<int, 3> codes{};
    int bits = 8;
};

struct PatchTable {
    QString title; // "Batch results", "Pre-calibration", ...
    QList<PatchResult> rows;
    double averageDeltaE() const;
    double averageDeltaItp() const;
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
// the video range, through the standard's curve (the gamma, BT.1886, PQ or
// HLG) and primaries. Relative curves are taken at the white luminance
// whiteY (cd/m²); PQ and HLG give their own luminance, whatever whiteY.
Measurement targetFor(const QColor &code, const CalibrationStandard &standard, double whiteY);
Measurement targetFor(const std::array<int, 3> &codes, const CalibrationStandard &standard,
                      double whiteY);

// Targets, ΔE2000 and ΔE ITP for measured patches. For the relative (SDR)
// curves both sides are compared against the same white: the measured video
// white when the set holds one (so a display is judged on its colour, not
// on its peak luminance), else the standard's white luminance. HDR patches
// are judged against the standard's reference white and their absolute
// targets.
PatchTable comparePatches(const QString &title, const QList<ColorPatch> &patches,
                          const QList<Measurement> &measured, const CalibrationStandard &standard);

// The summary page's description of the standard, one item a line.
QString standardText(const CalibrationStandard &s);
// "ST 2084 (PQ), peak 1000 cd/m², clipped above, reference white 203 cd/m²"
QString curveText(const TargetCurve &curve);
// "Manufacturer: %1\nModel: %2\nSerial Number: %3", or "None" for no device.
QString deviceText(const DeviceIdentity &d);
// "12 patches, average ΔE2000 1.23, maximum 4.56 (Red - 100 IRE); average
// ΔITP 3.4, maximum 7.8".
QString tableSummaryText(const PatchTable &t);
// The patch table's header and one row's cells.
QStringList patchTableHeader();
QStringList patchTableCells(const PatchResult &r);
