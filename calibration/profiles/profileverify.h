#pragma once
// Judging a new profile: the colorimeter's post-calibration readings of
// White, Red, Green and Blue against the reference's. A pass needs every
// chromaticity within 0.001 and every luminance within 2 %.

#include "measurement.h"

#include <QString>
#include <QVector>

namespace profiles {

constexpr int patchCount = 4; // White, Red, Green, Blue
constexpr double xyTolerance = 0.001;
constexpr double yTolerancePercent = 2.0;
constexpr double nearMissXy = 0.002; // "not by much"

const QStringList &patchNames();

struct PatchError {
    double x = 0, y = 0; // absolute differences
    double yPercent = 0; // |Y_post - Y_ref| / Y_ref, in %
    bool xPass = false, yPass = false, bigYPass = false;
};
// NaN or a reference without light never passes.
PatchError patchError(const Measurement &reference, const Measurement &post);

struct Verdict {
    double maxXyError = 0;
    double maxYErrorPercent = 0;
    bool pass = false;
    bool nearMiss = false; // failed, but xy below 0.002 and Y below 2 %
};
// Lists of four; anything shorter never passes.
Verdict verifyProfile(const QVector<Measurement> &reference, const QVector<Measurement> &post);

QString verdictText(const Verdict &v);    // "PASS" or the "NOT SO GOOD" line
QString verdictSummary(const Verdict &v); // "Max xy Err: ..., Max Y% Err: ... <verdict>"
QString verdictMessage(const Verdict &v); // what the operator is told after a failure

} // namespace profiles
