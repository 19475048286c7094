#include "referenceoptics.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

// One gain error for a whole reading (relative, 1σ at noise 1): lamp and
// electronics, whatever the light level.
constexpr double gainSigma = 0.0005;

// The CS-2000: 5 nm bandwidth; its detector fills in any light above about
// 5 cd/m² of white and it integrates longer below that, up to its limit.
const ReferenceOptics::Spectral cs2000{5.0, 60000, 8.8e8, 20};
// The PR-650: 8 nm bandwidth and a less sensitive detector, full above about
// 20 cd/m² of white.
const ReferenceOptics::Spectral pr650{8.0, 30000, 1.1e8, 15};
// The BM-7: glass filters of its own make (shifts in nm, width changes),
// calibrated on illuminant A; it integrates about 0.7 s, far quieter than a
// colorimeter's 62.5 ms reading.
const ReferenceOptics::Filter bm7{{{-1.0, 1.0, -1.0}, {-0.015, 0.01, -0.01}}, 2.2e-6, 0.0005};

// Never negative; a light beyond what doubles hold reads as infinite, never
// as a plausible number.
double reading(double v) {
    return std::isfinite(v) ? std::max(0.0, v) : INFINITY;
}

Tristimulus xyzOf(const Spectrum &s) {
    double t[3];
    spectrumXYZ(s, t);
    return {reading(t[0]), reading(t[1]), reading(t[2])};
}

// The light through a triangular slit of the given full width at half
// maximum (nm), at 1 nm. At the ends of the range the slit sees only the
// side within it.
Spectrum throughSlit(const Spectrum &s, double fwhm) {
    const int reach = static_cast<int>(std::ceil(fwhm));
    std::vector<double> w;
    for (int d = -reach; d <= reach; ++d)
        w.push_back(std::max(0.0, 1.0 - std::fabs(d) / fwhm));
    Spectrum out(s.size(), 0.0);
    const int n = static_cast<int>(s.size());
    for (int i = 0; i < n; ++i) {
        double sum = 0, total = 0;
        for (int d = -reach; d <= reach; ++d) {
            const int j = i + d;
            const double weight = w[static_cast<std::size_t>(d + reach)];
            if (j >= 0 && j < n && weight > 0) {
                sum += s[static_cast<std::size_t>(j)] * weight;
                total += weight;
            }
        }
        out[static_cast<std::size_t>(i)] = sum / total;
    }
    return out;
}

} // namespace

ReferenceOptics::ReferenceOptics() : kind_(Kind::Exact) {}

ReferenceOptics::ReferenceOptics(const Spectral &s) : kind_(Kind::Spectral), spectral_(s) {}

ReferenceOptics::ReferenceOptics(const Filter &f)
    : kind_(Kind::Filter), filter_(f), filters_(std::make_unique<FilterColorimeter>(f.design)) {}

const ReferenceOptics &ReferenceOptics::forModel(const std::string &model) {
    static const ReferenceOptics cs(cs2000), pr(pr650), bm(bm7), exact;
    if (model == "CS-2000")
        return cs;
    if (model == "PR-650")
        return pr;
    if (model == "BM-7")
        return bm;
    return exact;
}

Spectrum ReferenceOptics::sample(const Spectrum &light, double noise, std::mt19937 &rng) const {
    if (kind_ != Kind::Spectral)
        return light;
    Spectrum s = throughSlit(light, spectral_.bandwidthNm);
    if (noise <= 0)
        return s;
    std::normal_distribution<double> gauss(0.0, 1.0);
    // Exposure: until the brightest sample fills the detector, or for the
    // longest integration in dim light.
    const double peak = *std::max_element(s.begin(), s.end());
    const double perRadiance =
        peak > 0 ? std::min(spectral_.countsAtLongest, spectral_.fullWellCounts / peak)
                 : spectral_.countsAtLongest;
    const double gain = 1.0 + noise * gainSigma * gauss(rng);
    for (double &v : s) {
        const double counts = v * perRadiance;
        const double sigma =
            noise * std::sqrt(counts + spectral_.darkCounts * spectral_.darkCounts);
        v = std::max(0.0, (counts + sigma * gauss(rng)) / perRadiance * gain);
    }
    return s;
}

Tristimulus ReferenceOptics::read(const Spectrum &light, double noise, std::mt19937 &rng) const {
    if (kind_ != Kind::Filter)
        return xyzOf(sample(light, noise, rng));
    const Tristimulus t = filters_->read(light);
    if (noise <= 0)
        return {reading(t.X), reading(t.Y), reading(t.Z)};
    std::normal_distribution<double> gauss(0.0, 1.0);
    const double gain = 1.0 + noise * gainSigma * gauss(rng);
    auto noisy = [&](double v) {
        const double sigma = noise * std::sqrt(filter_.photonVariance * std::fabs(v) +
                                               filter_.darkSigma * filter_.darkSigma);
        return reading((v + sigma * gauss(rng)) * gain);
    };
    const double x = noisy(t.X), y = noisy(t.Y), z = noisy(t.Z);
    return {x, y, z};
}

} // namespace sim
