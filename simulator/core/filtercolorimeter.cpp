#include "filtercolorimeter.h"

#include "cmf.h"

#include <cmath>

namespace sim {

namespace {

using Mat3 = std::array<std::array<double, 3>, 3>;

// Smooth fits of the CIE 1931 2° functions by skewed Gaussians (peak nm,
// short- and long-side standard deviations in nm), made by least squares
// against the tables in data/: the x̄ red lobe, ȳ and z̄. A single smooth
// band cannot follow a colour-matching function exactly; with the design's
// shifts added, that is the mismatch of real glass filters (a few percent).
struct Lobe {
    double peak, sigmaShort, sigmaLong;
};
constexpr Lobe fitted[3] = {{598.5, 35.3, 31.8}, {553.0, 36.4, 47.1}, {444.2, 16.9, 28.6}};

Mat3 inverse(const Mat3 &m) {
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    Mat3 inv{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
            inv[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
        }
    return inv;
}

double cmf(int i, int k) {
    double c[3];
    cmfAt(spectrumFirstNm + i, c);
    return c[k];
}

} // namespace

FilterColorimeter::FilterColorimeter(const FilterDesign &design) {
    for (int k = 0; k < 3; ++k) {
        const double w = 1 + design.stretch[k];
        filters_[k] = skewedBand(fitted[k].peak + design.shiftNm[k], fitted[k].sigmaShort * w,
                                 fitted[k].sigmaLong * w);
    }
    // The design matrix: the combination of filters closest to the
    // colour-matching functions over the spectrum (least squares).
    Mat3 ff{}, cf{};
    for (int i = 0; i < spectrumSize; ++i)
        for (int a = 0; a < 3; ++a)
            for (int b = 0; b < 3; ++b) {
                ff[a][b] += filters_[a][i] * filters_[b][i];
                cf[a][b] += cmf(i, a) * filters_[b][i];
            }
    const Mat3 ffInv = inverse(ff);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            calibration_[r][c] =
                cf[r][0] * ffInv[0][c] + cf[r][1] * ffInv[1][c] + cf[r][2] * ffInv[2][c];
    // Then each channel's gain is set on illuminant A.
    double truth[3];
    spectrumXYZ(illuminantA(), truth);
    const Tristimulus read = calibrated(channels(illuminantA()));
    const double got[3] = {read.X, read.Y, read.Z};
    for (int r = 0; r < 3; ++r)
        for (double &v : calibration_[r])
            v *= truth[r] / got[r];
}

std::array<double, 3> FilterColorimeter::channels(const Spectrum &s) const {
    std::array<double, 3> out{};
    for (int k = 0; k < 3; ++k) {
        double sum = 0;
        for (std::size_t i = 0; i < s.size() && i < filters_[k].size(); ++i)
            if (filters_[k][i] > 0) // an infinite light through an opaque tail adds nothing
                sum += s[i] * filters_[k][i];
        out[k] = maxLuminousEfficacy * sum;
    }
    return out;
}

Tristimulus FilterColorimeter::calibrated(const std::array<double, 3> &ch) const {
    double v[3];
    for (int r = 0; r < 3; ++r)
        v[r] = calibration_[r][0] * ch[0] + calibration_[r][1] * ch[1] + calibration_[r][2] * ch[2];
    return {v[0], v[1], v[2]};
}

Tristimulus FilterColorimeter::read(const Spectrum &s) const {
    return calibrated(channels(s));
}

double FilterColorimeter::yMismatch() const {
    // The Y channel's effective response, scaled to read A right.
    Spectrum response(spectrumSize);
    for (int i = 0; i < spectrumSize; ++i)
        response[i] = calibration_[1][0] * filters_[0][i] + calibration_[1][1] * filters_[1][i] +
                      calibration_[1][2] * filters_[2][i];
    double a = 0, b = 0, deviation = 0, total = 0;
    for (int i = 0; i < spectrumSize; ++i) {
        a += illuminantA()[i] * cmf(i, 1);
        b += illuminantA()[i] * response[i];
    }
    for (int i = 0; i < spectrumSize; ++i) {
        deviation += std::fabs(response[i] * a / b - cmf(i, 1));
        total += cmf(i, 1);
    }
    return deviation / total;
}

} // namespace sim
