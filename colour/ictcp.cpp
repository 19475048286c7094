#include "ictcp.h"

#include "gamutspec.h"
#include "transfer.h"

#include <cmath>

namespace {

// XYZ (cd/m²) to linear BT.2020 RGB (cd/m²): the REC2020 standard with a
// white of 1, so RGB (1, 1, 1) is a white of 1 cd/m².
const Mat3 &xyzToRec2020() {
    static const Mat3 m = GamutSpec::standardSpec(3, 1.0).xyzToRgb;
    return m;
}

} // namespace

ICtCp ictcpFromRec2020(double r, double g, double b) {
    // The BT.2100 LMS cone responses of BT.2020 RGB, each through the PQ
    // inverse EOTF.
    const double l = (1688 * r + 2146 * g + 262 * b) / 4096.0;
    const double m = (683 * r + 2951 * g + 462 * b) / 4096.0;
    const double s = (99 * r + 309 * g + 3688 * b) / 4096.0;
    const double lp = transfer::st2084InverseEotf(l);
    const double mp = transfer::st2084InverseEotf(m);
    const double sp = transfer::st2084InverseEotf(s);
    ICtCp out;
    out.i = 0.5 * lp + 0.5 * mp;
    out.ct = (6610 * lp - 13613 * mp + 7003 * sp) / 4096.0;
    out.cp = (17933 * lp - 17390 * mp - 543 * sp) / 4096.0;
    return out;
}

ICtCp ictcpFromXyz(double X, double Y, double Z) {
    const Mat3 &m = xyzToRec2020();
    const double xyz[3] = {X, Y, Z};
    double rgb[3];
    for (int r = 0; r < 3; ++r)
        rgb[r] = m[r][0] * xyz[0] + m[r][1] * xyz[1] + m[r][2] * xyz[2];
    return ictcpFromRec2020(rgb[0], rgb[1], rgb[2]);
}

double deltaEItp(const ICtCp &a, const ICtCp &b) {
    const double di = a.i - b.i;
    const double dt = 0.5 * (a.ct - b.ct);
    const double dp = a.cp - b.cp;
    return 720.0 * std::sqrt(di * di + dt * dt + dp * dp);
}

double deltaEItpXyz(const double a[3], const double b[3]) {
    return deltaEItp(ictcpFromXyz(a[0], a[1], a[2]), ictcpFromXyz(b[0], b[1], b[2]));
}
