#pragma once
// Whether the four patches measured by the reference and by the colorimeter
// can make a profile at all. A profile is written into the instrument for
// good, so readings of a display that did not change, of a patch the
// generator never showed, or from a damaged reply are refused before any
// write: each set must hold four readings without a problem, plausible and
// distinct primaries with the white among them, and the correction between
// the sets must be a well-conditioned matrix; readings of the same patch by
// both instruments must roughly agree.

#include "measurement.h"

#include <QString>
#include <QVector>

namespace profiles {

// The reference and colorimeter readings of a patch differ by more than
// this in x or y, or by more than this factor in Y: one of them is wrong.
constexpr double agreementXy = 0.05;
constexpr double agreementYFactor = 2.0;
// Primaries this close in x, y are one colour.
constexpr double distinctXy = 0.03;
// The correction maps one instrument's view onto another's: close to the
// identity, never a magnifier of noise.
constexpr double largestCorrection = 10.0;
constexpr double largestCondition = 100.0;

// Why the sets (White, Red, Green, Blue each) cannot make a profile, in one
// sentence; empty when they can. referenceMeasured is false for a reference
// taken from a gamut standard, which need not agree with the display.
QString patchSetProblem(const QVector<Measurement> &reference, const QVector<Measurement> &measured,
                        bool referenceMeasured);

} // namespace profiles
