#pragma once
// The arithmetic of a new colour profile: from white, red, green and blue as
// seen by a reference instrument and by the colorimeter, the correction
// matrix that maps the colorimeter's primaries onto the reference's, and the
// RGB matrix of the reference primaries. Plain 3 x 3 algebra, Cramer's rule.

#include "gamutspec.h"

#include <cstdint>

namespace clmtr {

// errorCode bit: a set of four colours whose primaries are degenerate.
constexpr uint32_t ProfileDegenerate = 0x10000;

// X, Y, Z of white, red, green and blue, in that order.
constexpr int profileSetSize = 12;

struct ProfileSolution {
    Mat3 correction{}; // correction · colorimeter primary = reference primary
    Mat3 rgb{};        // rgb · reference primary = 100 in that primary's channel
    uint32_t flags = 0;
};

// Rows red, green and blue: each primary's chromaticity scaled so that the
// three add up to the white, the white-derived scale counted twice and the
// primary's own sum once. False when the chromaticities are singular or a
// primary has no light.
bool primaryMatrix(const double *set, Mat3 &out);

// Both matrices; flags holds ProfileDegenerate when either set is degenerate
// (the matrices are then still filled, but must not be stored).
ProfileSolution solveProfile(const double *reference, const double *measured);

double determinant(const Mat3 &m);
// x with m·x = b; a determinant of exactly 0 counts as 1e-5. singular tells
// whether m is singular up to rounding.
std::array<double, 3> cramer(const Mat3 &m, const std::array<double, 3> &b,
                             bool *singular = nullptr);

} // namespace clmtr
