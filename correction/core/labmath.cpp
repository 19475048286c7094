#include "labmath.h"

#include "measurement.h"

#include <cmath>

namespace correction {

Lab xyzToLab(const Xyz &xyz, const Xyz &white) {
    return cielabFromXyz(xyz, white);
}

Xyz labToXyz(const Lab &lab, const Xyz &white) {
    return xyzFromCielab(lab, white);
}

double deltaE2000(const Xyz &a, const Xyz &b, const Xyz &white) {
    // The program's one CIEDE2000, in a gamut whose white is `white` (its
    // primaries do not enter Lab).
    const std::array<double, 2> w = chromaticity(white);
    const GamutSpec spec(0.64, 0.33, 0.30, 0.60, 0.15, 0.06, w[0], w[1], white[1]);
    const Measurement ma = Measurement::fromXYZ(a[0], a[1], a[2], spec);
    const Measurement mb = Measurement::fromXYZ(b[0], b[1], b[2], spec);
    return ma.deltaE2000(mb);
}

std::array<double, 2> chromaticity(const Xyz &xyz) {
    const double sum = xyz[0] + xyz[1] + xyz[2];
    if (!(sum > 0))
        return {0.3127, 0.3290};
    return {xyz[0] / sum, xyz[1] / sum};
}

std::array<double, 2> upvp(const Xyz &xyz) {
    const double d = xyz[0] + 15.0 * xyz[1] + 3.0 * xyz[2];
    if (!(d > 0))
        return {0.1978, 0.4683};
    return {4.0 * xyz[0] / d, 9.0 * xyz[1] / d};
}

Xyz fromXyY(double x, double y, double bigY) {
    if (!(y > 0))
        return {0, 0, 0};
    return {x * bigY / y, bigY, (1.0 - x - y) * bigY / y};
}

} // namespace correction
