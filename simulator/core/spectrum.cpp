#include "spectrum.h"

#include "cmf.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace sim {

namespace {

using Vec3 = std::array<double, 3>;

struct Basis {
    Spectrum shape;
    Vec3 xyz;
};

Basis makeBasis(Spectrum shape) {
    Basis b{std::move(shape), {}};
    spectrumXYZ(b.shape, b.xyz.data());
    return b;
}

// A smooth white: Planck's law at 6504 K, peak 1.
Basis whiteBasis() {
    return makeBasis(planckSpectrum(6504.0));
}

// Bands every 10 nm across the range, of one width (nm, standard deviation).
std::vector<Basis> bands(double sigma) {
    std::vector<Basis> out;
    for (int centre = spectrumFirstNm; centre <= spectrumLastNm; centre += 10)
        out.push_back(makeBasis(skewedBand(centre, sigma, sigma)));
    return out;
}

Spectrum synthesizeChromaticity(const Vec3 &target);

double logistic(double t) {
    return 1.0 / (1.0 + std::exp(-t));
}

double det(const Vec3 &a, const Vec3 &b, const Vec3 &c) {
    return a[0] * (b[1] * c[2] - b[2] * c[1]) - b[0] * (a[1] * c[2] - a[2] * c[1]) +
           c[0] * (a[1] * b[2] - a[2] * b[1]);
}

// Weights w with w0·a + w1·b + w2·c = t (Cramer's rule); false when singular.
bool solve(const Vec3 &a, const Vec3 &b, const Vec3 &c, const Vec3 &t, Vec3 &w) {
    const double d = det(a, b, c);
    const double scale = std::fabs(a[1] * b[1] * c[1]) + 1e-300;
    if (std::fabs(d) < 1e-12 * scale)
        return false;
    w = {det(t, b, c) / d, det(a, t, c) / d, det(a, b, t) / d};
    return true;
}

Spectrum mix(const Basis &a, const Basis &b, const Basis &c, const Vec3 &w) {
    Spectrum s(spectrumSize);
    for (int i = 0; i < spectrumSize; ++i)
        s[i] = w[0] * a.shape[i] + w[1] * b.shape[i] + w[2] * c.shape[i];
    return s;
}

} // namespace

void spectrumXYZ(const Spectrum &s, double xyz[3]) {
    spectrumToXYZ(s.data(), spectrumFirstNm, static_cast<int>(s.size()), xyz);
}

Spectrum skewedBand(double peakNm, double sigmaShortNm, double sigmaLongNm, double height) {
    Spectrum s(spectrumSize);
    for (int i = 0; i < spectrumSize; ++i) {
        const double nm = spectrumFirstNm + i;
        const double d = (nm - peakNm) / (nm < peakNm ? sigmaShortNm : sigmaLongNm);
        s[i] = height * std::exp(-0.5 * d * d);
    }
    return s;
}

Spectrum gaussianBand(double peakNm, double fwhmNm, double height) {
    const double sigma = fwhmNm / 2.354820045; // FWHM = 2·sqrt(2·ln 2)·sigma
    return skewedBand(peakNm, sigma, sigma, height);
}

Spectrum planckSpectrum(double kelvin) {
    Spectrum s(spectrumSize);
    const double c2 = 1.438777e-2; // m·K
    for (int i = 0; i < spectrumSize; ++i) {
        const double lambda = (spectrumFirstNm + i) * 1e-9; // m
        s[i] = 1.0 / (std::pow(lambda, 5) * std::expm1(c2 / (lambda * kelvin)));
    }
    const double peak = *std::max_element(s.begin(), s.end());
    for (double &v : s)
        v /= peak;
    return s;
}

const Spectrum &illuminantA() {
    static const Spectrum a = planckSpectrum(2856.0);
    return a;
}

Spectrum bandpassFilter(double loNm, double hiNm, double edgeNm, double leak) {
    Spectrum s(spectrumSize);
    const double k = edgeNm / 4.4; // 10 % to 90 % over edgeNm
    for (int i = 0; i < spectrumSize; ++i) {
        const double nm = spectrumFirstNm + i;
        s[i] = leak + (1 - leak) * logistic((nm - loNm) / k) * logistic((hiNm - nm) / k);
    }
    return s;
}

Spectrum operator+(const Spectrum &a, const Spectrum &b) {
    Spectrum s(a);
    for (std::size_t i = 0; i < s.size() && i < b.size(); ++i)
        s[i] += b[i];
    return s;
}

Spectrum operator*(const Spectrum &a, const Spectrum &b) {
    Spectrum s(a);
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] *= i < b.size() ? b[i] : 0.0;
    return s;
}

Spectrum operator*(const Spectrum &a, double k) {
    Spectrum s(a);
    for (double &v : s)
        v *= k;
    return s;
}

Spectrum resampleSpectrum(const std::vector<std::pair<double, double>> &points) {
    Spectrum out(spectrumSize, 0.0);
    if (points.empty())
        return out;
    std::size_t k = 0;
    for (int i = 0; i < spectrumSize; ++i) {
        const double nm = spectrumFirstNm + i;
        if (nm < points.front().first || nm > points.back().first)
            continue;
        while (k + 1 < points.size() && points[k + 1].first < nm)
            ++k;
        const auto &p = points[k];
        const auto &q = points[std::min(k + 1, points.size() - 1)];
        const double t = q.first > p.first ? (nm - p.first) / (q.first - p.first) : 0.0;
        out[i] = p.second + t * (q.second - p.second);
    }
    return out;
}

Spectrum synthesizeSpectrum(double X, double Y, double Z) {
    if (!(X >= 0 && Y >= 0 && Z >= 0) || X + Y + Z <= 0 || !std::isfinite(X + Y + Z))
        return Spectrum(spectrumSize, 0.0);
    // Solved for a light of unit sum and scaled back, so that no light a
    // double can hold overflows on the way.
    const double sum = X + Y + Z;
    return synthesizeChromaticity({X / sum, Y / sum, Z / sum}) * sum;
}

namespace {

Spectrum synthesizeChromaticity(const Vec3 &target) {
    static const Basis white = whiteBasis();
    static const std::vector<std::vector<Basis>> widths = {bands(30), bands(15), bands(7), bands(3),
                                                           bands(1.2)};
    // The bands' colours ring the white; the white and two neighbouring
    // bands make a fan of triangles that cover the ring, so exactly one
    // gives weights that are all positive.
    Spectrum best(spectrumSize, 0.0);
    double bestShortfall = 1e300;
    for (const std::vector<Basis> &ring : widths) {
        const std::size_t n = ring.size();
        for (std::size_t i = 0; i < n; ++i) {
            const Basis &a = ring[i];
            const Basis &b = ring[(i + 1) % n];
            Vec3 w;
            if (!solve(white.xyz, a.xyz, b.xyz, target, w))
                continue;
            const double shortfall = std::max({0.0, -w[0], -w[1], -w[2]});
            const double size = std::fabs(w[0]) + std::fabs(w[1]) + std::fabs(w[2]);
            const Vec3 clipped{std::max(0.0, w[0]), std::max(0.0, w[1]), std::max(0.0, w[2])};
            if (shortfall <= 1e-12 * size)
                return mix(white, a, b, clipped);
            if (shortfall < bestShortfall) {
                // Out of reach: keep the closest, clipped to what light can be.
                bestShortfall = shortfall;
                best = mix(white, a, b, clipped);
            }
        }
    }
    return best;
}

} // namespace

bool parseSpectrumCsv(const std::string &text, Spectrum &out, std::string *error) {
    auto fail = [&](const std::string &why) {
        if (error)
            *error = why;
        return false;
    };
    std::vector<std::pair<double, double>> points;
    std::istringstream lines(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(lines, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos)
            continue;
        const std::size_t comma = line.find(',');
        char *end = nullptr;
        const std::string a = line.substr(0, comma);
        const std::string b = comma == std::string::npos ? "" : line.substr(comma + 1);
        const double nm = std::strtod(a.c_str(), &end);
        const bool nmOk = !a.empty() && *end == '\0';
        const double v = std::strtod(b.c_str(), &end);
        const bool vOk = !b.empty() && *end == '\0';
        if (!nmOk || !vOk) {
            if (points.empty() && lineNumber == 1)
                continue; // a header
            return fail("line " + std::to_string(lineNumber) + ": expected wavelength,value");
        }
        if (!std::isfinite(nm) || !std::isfinite(v) || v < 0)
            return fail("line " + std::to_string(lineNumber) + ": value must be finite and >= 0");
        if (!points.empty() && nm <= points.back().first)
            return fail("line " + std::to_string(lineNumber) + ": wavelengths must rise");
        points.emplace_back(nm, v);
    }
    if (points.size() < 2)
        return fail("need at least two wavelength,value lines");
    out = resampleSpectrum(points);
    return true;
}

} // namespace sim
