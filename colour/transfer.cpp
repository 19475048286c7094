#include "transfer.h"

#include <algorithm>
#include <cmath>

namespace transfer {

namespace {

// ST 2084 constants, as the standard writes them.
constexpr double m1 = 2610.0 / 16384.0;
constexpr double m2 = 2523.0 / 4096.0 * 128.0;
constexpr double c1 = 3424.0 / 4096.0;
constexpr double c2 = 2413.0 / 4096.0 * 32.0;
constexpr double c3 = 2392.0 / 4096.0 * 32.0;

// BT.2100 HLG constants.
constexpr double hlgA = 0.17883277;
constexpr double hlgB = 0.28466892;        // 1 - 4a
constexpr double hlgC = 0.559910729529562; // 0.5 - a ln(4a)

// BT.2100 luminance weights of R, G, B.
constexpr double weight[3] = {0.2627, 0.6780, 0.0593};

// NaN is no signal at all; infinities clamp like any value out of range.
double unit(double v) {
    return std::isnan(v) ? 0.0 : std::clamp(v, 0.0, 1.0);
}

} // namespace

double st2084Eotf(double signal) {
    const double p = std::pow(unit(signal), 1.0 / m2);
    const double num = std::max(p - c1, 0.0);
    return pqPeak * std::pow(num / (c2 - c3 * p), 1.0 / m1);
}

double st2084InverseEotf(double nits) {
    const double y = std::pow(unit(nits / pqPeak), m1);
    return std::pow((c1 + c2 * y) / (1.0 + c3 * y), m2);
}

double hlgOetf(double scene) {
    const double e = unit(scene);
    if (e <= 1.0 / 12.0)
        return std::sqrt(3.0 * e);
    return hlgA * std::log(12.0 * e - hlgB) + hlgC;
}

double hlgInverseOetf(double signal) {
    const double s = unit(signal);
    if (s <= 0.5)
        return s * s / 3.0;
    return (std::exp((s - hlgC) / hlgA) + hlgB) / 12.0;
}

double hlgSystemGamma(double peakNits) {
    if (!(peakNits > 0) || !std::isfinite(peakNits))
        return 1.2;
    return 1.2 + 0.42 * std::log10(peakNits / 1000.0);
}

std::array<double, 3> hlgOotf(const std::array<double, 3> &scene, double peakNits) {
    const double gamma = hlgSystemGamma(peakNits);
    const double e[3] = {unit(scene[0]), unit(scene[1]), unit(scene[2])};
    const double ys = weight[0] * e[0] + weight[1] * e[1] + weight[2] * e[2];
    // Ys^(γ-1) is 0 at black for γ above 1; below 1 it would be infinite
    // there, while the product with E still goes to 0.
    const double gain = ys > 0 ? peakNits * std::pow(ys, gamma - 1.0) : 0.0;
    return {gain * e[0], gain * e[1], gain * e[2]};
}

std::array<double, 3> hlgEotf(const std::array<double, 3> &signal, double peakNits,
                              double blackNits) {
    const double gamma = hlgSystemGamma(peakNits);
    const double black = peakNits > 0 ? std::max(0.0, blackNits) / peakNits : 0.0;
    const double beta = std::sqrt(3.0 * std::pow(black, 1.0 / gamma));
    std::array<double, 3> scene;
    for (int c = 0; c < 3; ++c)
        scene[c] = hlgInverseOetf(std::max(0.0, (1.0 - beta) * unit(signal[c]) + beta));
    return hlgOotf(scene, peakNits);
}

double hlgGreyEotf(double signal, double peakNits, double blackNits) {
    return hlgEotf({signal, signal, signal}, peakNits, blackNits)[1];
}

double bt1886Eotf(double signal, double whiteNits, double blackNits, double gamma) {
    const double w = std::pow(std::max(0.0, whiteNits), 1.0 / gamma);
    const double k = std::pow(std::max(0.0, blackNits), 1.0 / gamma);
    if (!(w > k))
        return std::max(0.0, blackNits);
    const double a = std::pow(w - k, gamma);
    const double b = k / (w - k);
    const double v = std::isfinite(signal) ? signal : 0.0;
    return a * std::pow(std::max(v + b, 0.0), gamma);
}

double bt2390Eetf(double pqSignal, const EetfRange &r) {
    const double lb = st2084InverseEotf(r.sourceBlack);
    const double lw = st2084InverseEotf(r.sourcePeak);
    const double span = lw - lb;
    if (!(span > 0))
        return unit(pqSignal);
    // Everything in the source range normalised to 0..1.
    const double e1 = std::clamp((unit(pqSignal) - lb) / span, 0.0, 1.0);
    const double minLum = (st2084InverseEotf(r.targetBlack) - lb) / span;
    const double maxLum = (st2084InverseEotf(r.targetPeak) - lb) / span;
    const double ks = 1.5 * maxLum - 0.5;
    double e2 = e1;
    if (e1 >= ks && ks < 1.0) {
        const double t = (e1 - ks) / (1.0 - ks);
        const double t2 = t * t, t3 = t2 * t;
        e2 = (2 * t3 - 3 * t2 + 1) * ks + (t3 - 2 * t2 + t) * (1.0 - ks) +
             (-2 * t3 + 3 * t2) * maxLum;
    }
    const double b = std::max(0.0, minLum);
    const double e3 = e2 + b * std::pow(1.0 - e2, 4);
    return e3 * span + lb;
}

double bt2390EetfNits(double nits, const EetfRange &range) {
    return st2084Eotf(bt2390Eetf(st2084InverseEotf(nits), range));
}

} // namespace transfer
