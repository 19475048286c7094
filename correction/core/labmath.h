#pragma once
// CIELAB against a chosen white, and the colour difference the correction
// reports, for colours given as X, Y, Z in cd/m².

#include "gamutspec.h"

namespace correction {

using Xyz = std::array<double, 3>;
using Lab = std::array<double, 3>;

Lab xyzToLab(const Xyz &xyz, const Xyz &white);
Xyz labToXyz(const Lab &lab, const Xyz &white);
// CIEDE2000 of two colours relative to the same white.
double deltaE2000(const Xyz &a, const Xyz &b, const Xyz &white);
// x, y of a colour (the white's for black).
std::array<double, 2> chromaticity(const Xyz &xyz);
// u', v' of a colour.
std::array<double, 2> upvp(const Xyz &xyz);
// X, Y, Z of a chromaticity at luminance Y.
Xyz fromXyY(double x, double y, double bigY);

} // namespace correction
