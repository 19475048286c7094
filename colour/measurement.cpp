#include "measurement.h"

#include "locus.h"

#include <cmath>

namespace {

// Equal-energy white in u'v' (4/19, 9/19), as the dominant wavelength uses it.
constexpr double whiteU = 0.210526316;
constexpr double whiteV = 0.473684211;

constexpr double cctLimit = 0.05; // CIE 1960 uv
constexpr double footLambertNits = 3.4262591;

// CIELAB companding and its inverse.
constexpr double labEpsilon = 0.008856451679035631; // (6/29)³
constexpr double labKappa = 7.787037037037036;      // 1 / (3·(6/29)²)
constexpr double labOffset = 0.13793103448275862;   // 4/29
constexpr double labFLimit = 0.20689655172413793;   // 6/29
constexpr double labInvSlope = 0.12841854934601665; // 3·(6/29)²

double labF(double t) {
    return t > labEpsilon ? std::cbrt(t) : labKappa * t + labOffset;
}

double labFInverse(double f) {
    return f > labFLimit ? f * f * f : (f - labOffset) * labInvSlope;
}

// Every derived field from bigX, bigY, bigZ and gamutSpec, in dependency order.
void derive(Measurement &m) {
    const double X = m.bigX, Y = m.bigY, Z = m.bigZ;
    const Mat3 &toRgb = m.gamutSpec.xyzToRgb;
    m.redPercent = 100 * (toRgb[0][0] * X + toRgb[0][1] * Y + toRgb[0][2] * Z);
    m.greenPercent = 100 * (toRgb[1][0] * X + toRgb[1][1] * Y + toRgb[1][2] * Z);
    m.bluePercent = 100 * (toRgb[2][0] * X + toRgb[2][1] * Y + toRgb[2][2] * Z);

    double sum = X + Y + Z;
    if (sum == 0)
        sum = 1e-7;
    m.x = X / sum;
    m.y = Y / sum;

    const double d = 12 * m.y - 2 * m.x + 3;
    double v1960 = 0;
    if (d < 0.001) {
        m.uPrime = m.vPrime = 0;
    } else {
        m.uPrime = 4 * m.x / d;
        m.vPrime = 9 * m.y / d;
        v1960 = 6 * m.y / d;
    }

    const LocusCct cct = findCct(m.uPrime, v1960, cctLimit);
    m.temp = cct.temp;
    m.tempDuv = cct.duv;
    if (!cct.inRange)
        m.errorCode |= ErrorBits::CctOutOfRange;

    const LocusDominant dom = findDominantWavelength(m.uPrime, m.vPrime, whiteU, whiteV);
    m.nm = dom.nm;
    m.nmDuv = dom.duv;
    if (!dom.found)
        m.errorCode |= ErrorBits::NoDominantWavelength;

    const std::array<double, 3> lab = cielabFromXyz({X, Y, Z}, m.gamutSpec.whiteXYZ());
    m.labL = lab[0];
    m.labA = lab[1];
    m.labB = lab[2];
    m.labC = std::sqrt(m.labA * m.labA + m.labB * m.labB);
    m.labH = std::atan2(m.labB, m.labA);

    const double r = m.redPercent, g = m.greenPercent, b = m.bluePercent;
    const double mx = std::fmax(r, std::fmax(g, b));
    const double mn = std::fmin(r, std::fmin(g, b));
    const double span = mx - mn;
    m.value = mx;
    // The matrix inverse is exact only to rounding, so the gamut's own white
    // comes out with R, G, B a few ulps apart; that is still grey. A grey
    // has no hue and saturation 0; black has neither.
    if (span <= 1e-12 * std::fabs(mx)) {
        m.hue = -1;
        m.saturation = mx > 0 ? 0 : -1;
        return;
    }
    double sector;
    if (r == mx) {
        sector = (g - b) / span;
        if (sector < 0)
            sector += 6;
    } else if (g == mx) {
        sector = (b - r) / span + 2;
    } else {
        sector = (r - g) / span + 4;
    }
    m.hue = 60 * sector;
    if (m.hue < 0)
        m.hue += 360;
    else if (m.hue >= 360)
        m.hue -= 360;
    m.saturation = 100 * span / mx;
}

// CIEDE2000 angle constants: slightly off 2π, 180/π and π/180 on purpose,
// so that reported ΔE00 values do not move between versions.
constexpr double twoPi = 6.2831925;
constexpr double toDegrees = 57.29571392250038;
constexpr double toRadians = 0.0174533125;

double hueDegrees(double b, double a) {
    double h = std::atan2(b, a);
    if (h < 0)
        h += twoPi;
    return h * toDegrees;
}

} // namespace

const GamutSpec &Measurement::defaultSpec() {
    static const GamutSpec spec = GamutSpec::standardSpec(2, 100.0);
    return spec;
}

bool Readings::plausible(double X, double Y, double Z) {
    // Written so that NaN fails too.
    return std::fabs(X) <= limit && std::fabs(Y) <= limit && std::fabs(Z) <= limit;
}

Measurement Measurement::fromXYZ(double X, double Y, double Z, const GamutSpec &spec) {
    // Copying a default record skips deriving the default gamut's matrices
    // again for every reading; the gamut is replaced right away anyway.
    static const Measurement blank;
    Measurement m = blank;
    m.gamutSpec = spec;
    // Noise around zero is zero, so it does not count as a negative reading.
    if (std::fabs(X) < 1e-10)
        X = 0;
    if (std::fabs(Y) < 1e-10)
        Y = 0;
    if (std::fabs(Z) < 1e-10)
        Z = 0;
    if (X < 0 || Y < 0 || Z < 0) {
        X = Y = Z = 0;
        m.errorCode |= ErrorBits::NegativeInput;
    }
    m.bigX = X;
    m.bigY = Y;
    m.bigZ = Z;
    derive(m);
    return m;
}

Measurement Measurement::fromxyY(double x, double y, double Y, const GamutSpec &spec) {
    if (y == 0)
        return fromXYZ(0, 0, 0, spec);
    return fromXYZ(x * Y / y, Y, (1 - x - y) * Y / y, spec);
}

Measurement Measurement::fromUpVp(double up, double vp, double Y, const GamutSpec &spec) {
    const double d = 6 * up - 16 * vp + 12;
    // d = 0 has no chromaticity; treat it like the origin.
    if ((up == 0 && vp == 0) || d == 0)
        return fromXYZ(0, 0, 0, spec);
    return fromxyY(9 * up / d, 4 * vp / d, Y, spec);
}

Measurement Measurement::fromCCT(double T, double duv, double Y, const GamutSpec &spec) {
    LocusPoint p;
    if (!locusLookup(T, planckianTable, &p))
        return fromXYZ(0, 0, 0, spec);
    // Move along the normal of the locus; positive duv goes above it.
    const double len = std::sqrt(p.du * p.du + p.dv * p.dv);
    const double u = p.u + duv * p.dv / len;
    const double v = p.v - duv * p.du / len;
    return fromUpVp(u, 1.5 * v, Y, spec);
}

Measurement Measurement::fromWavelength(double nm, double d, double Y, const GamutSpec &spec) {
    LocusPoint p;
    if (!locusLookup(nm, spectrumLocusTable, &p))
        return fromXYZ(0, 0, 0, spec);
    const double du = whiteU - p.u, dv = whiteV - p.v;
    const double len = std::sqrt(du * du + dv * dv);
    return fromUpVp(p.u + d * du / len, p.v + d * dv / len, Y, spec);
}

Measurement Measurement::fromRGB(double r, double g, double b, const GamutSpec &spec) {
    const Mat3 &m = spec.rgbToXyz;
    r /= 100;
    g /= 100;
    b /= 100;
    return fromXYZ(m[0][0] * r + m[0][1] * g + m[0][2] * b, m[1][0] * r + m[1][1] * g + m[1][2] * b,
                   m[2][0] * r + m[2][1] * g + m[2][2] * b, spec);
}

Measurement Measurement::fromHSV(double h, double s, double v, const GamutSpec &spec) {
    if (s == 0)
        return fromRGB(v, v, v, spec);
    // Sector 6 (h = 360) would take the last sector's formula with f = 0,
    // which is magenta, so hues are wrapped into [0, 360) first.
    h = std::fmod(h, 360.0);
    if (h < 0)
        h += 360;
    const double sector = h / 60;
    const int i = static_cast<int>(sector);
    const double f = sector - i;
    const double sf = s / 100, vf = v / 100;
    const double p = (1 - sf) * vf;
    const double q = (1 - f * sf) * vf;
    const double t = (1 - (1 - f) * sf) * vf;
    double r, g, b;
    switch (i) {
    case 0:
        r = vf, g = t, b = p;
        break;
    case 1:
        r = q, g = vf, b = p;
        break;
    case 2:
        r = p, g = vf, b = t;
        break;
    case 3:
        r = p, g = q, b = vf;
        break;
    case 4:
        r = t, g = p, b = vf;
        break;
    default:
        r = vf, g = p, b = q;
        break;
    }
    return fromRGB(100 * r, 100 * g, 100 * b, spec);
}

Measurement Measurement::fromLab(double L, double a, double b, const GamutSpec &spec) {
    const std::array<double, 3> xyz = xyzFromCielab({L, a, b}, spec.whiteXYZ());
    return fromXYZ(xyz[0], xyz[1], xyz[2], spec);
}

void Measurement::setGamutSpec(const GamutSpec &spec) {
    gamutSpec = spec;
    // Only the bits this derivation sets are recomputed; instrument bits stay.
    errorCode &= ~(ErrorBits::CctOutOfRange | ErrorBits::NoDominantWavelength);
    derive(*this);
}

double Measurement::deltaE76(const Measurement &o) const {
    const double dL = labL - o.labL, da = labA - o.labA, db = labB - o.labB;
    return std::sqrt(dL * dL + da * da + db * db);
}

double Measurement::deltaE94(const Measurement &o) const {
    const double c1 = std::sqrt(labA * labA + labB * labB);
    const double c2 = std::sqrt(o.labA * o.labA + o.labB * o.labB);
    const double dL = o.labL - labL, dC = c2 - c1;
    const double da = o.labA - labA, db = o.labB - labB;
    // ΔH² can come out a rounding error below zero for equal hues.
    const double dH2 = std::fmax(0.0, da * da + db * db - dC * dC);
    const double sc = 1 + 0.045 * c2;
    const double sh = 1 + 0.015 * c2;
    return std::sqrt(dL * dL + (dC / sc) * (dC / sc) + dH2 / (sh * sh));
}

double Measurement::deltaE2000(const Measurement &o) const {
    const double L1 = labL, a1 = labA, b1 = labB;
    const double L2 = o.labL, a2 = o.labA, b2 = o.labB;
    const double pow25to7 = std::pow(25.0, 7);

    const double cBar = (std::sqrt(a1 * a1 + b1 * b1) + std::sqrt(a2 * a2 + b2 * b2)) / 2;
    const double cBar7 = std::pow(cBar, 7);
    const double g = 0.5 * (1 - std::sqrt(cBar7 / (cBar7 + pow25to7)));
    const double a1p = (1 + g) * a1, a2p = (1 + g) * a2;
    const double c1p = std::sqrt(a1p * a1p + b1 * b1);
    const double c2p = std::sqrt(a2p * a2p + b2 * b2);
    const double h1p = hueDegrees(b1, a1p);
    const double h2p = hueDegrees(b2, a2p);

    const double dLp = L2 - L1;
    const double dCp = c2p - c1p;
    const double cProduct = c1p * c2p;
    double dhp = 0;
    if (cProduct != 0) {
        dhp = h2p - h1p;
        if (dhp > 180)
            dhp -= 360;
        else if (dhp < -180)
            dhp += 360;
    }
    const double dHp = 2 * std::sqrt(cProduct) * std::sin(dhp / 2 * toRadians);

    const double lBarP = (L1 + L2) / 2;
    const double cBarP = (c1p + c2p) / 2;
    double hBarP = h1p + h2p;
    if (cProduct != 0) {
        if (std::fabs(h1p - h2p) <= 180)
            hBarP = (h1p + h2p) / 2;
        else if (h1p + h2p < 360)
            hBarP = (h1p + h2p + 360) / 2;
        else
            hBarP = (h1p + h2p - 360) / 2;
    }

    const double t = 1 - 0.17 * std::cos((hBarP - 30) * toRadians) +
                     0.24 * std::cos(2 * hBarP * toRadians) +
                     0.32 * std::cos((3 * hBarP + 6) * toRadians) -
                     0.20 * std::cos((4 * hBarP - 63) * toRadians);
    const double dTheta = 30 * std::exp(-std::pow((hBarP - 275) / 25, 2));
    const double cBarP7 = std::pow(cBarP, 7);
    const double rc = 2 * std::sqrt(cBarP7 / (cBarP7 + pow25to7));
    const double lDev = (lBarP - 50) * (lBarP - 50);
    const double sl = 1 + 0.015 * lDev / std::sqrt(20 + lDev);
    const double sc = 1 + 0.045 * cBarP;
    const double sh = 1 + 0.015 * cBarP * t;
    const double rt = -std::sin(2 * dTheta * toRadians) * rc;

    const double l = dLp / sl, c = dCp / sc, h = dHp / sh;
    return std::sqrt(l * l + c * c + h * h + rt * c * h);
}

double nitsToFootLamberts(double v) {
    return v / footLambertNits;
}

double footLambertsToNits(double v) {
    return v * footLambertNits;
}

std::array<double, 3> cielabFromXyz(const std::array<double, 3> &xyz,
                                    const std::array<double, 3> &white) {
    const auto ratio = [&](int i) { return white[i] > 0 ? xyz[i] / white[i] : 0; };
    const double fx = labF(ratio(0)), fy = labF(ratio(1)), fz = labF(ratio(2));
    return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

std::array<double, 3> xyzFromCielab(const std::array<double, 3> &lab,
                                    const std::array<double, 3> &white) {
    const double fy = (lab[0] + 16) / 116;
    const double fx = fy + lab[1] / 500;
    const double fz = fy - lab[2] / 200;
    return {labFInverse(fx) * white[0], labFInverse(fy) * white[1], labFInverse(fz) * white[2]};
}
