#pragma once
// How each simulated reference instrument turns the light in front of it
// into its reading, in one place: the spectroradiometers (CS-2000, PR-650)
// see the spectrum through their optical bandwidth and sample it at 1 nm,
// exposing until the detector is full or their longest integration has
// passed, so photon and dark noise grow as the light dims; the BM-7 is a
// filter colorimeter with its own filters and factory calibration.

#include "filtercolorimeter.h"
#include "scene.h"
#include "spectrum.h"

#include <memory>
#include <random>
#include <string>

namespace sim {

class ReferenceOptics {
public:
    // The optics of "CS-2000", "PR-650" or "BM-7" (an exact instrument for
    // any other name).
    static const ReferenceOptics &forModel(const std::string &model);

    // The spectrum the instrument reports for a light (noise: 1 normal,
    // 0 none). A filter colorimeter reports none: the light as it is.
    Spectrum sample(const Spectrum &light, double noise, std::mt19937 &rng) const;
    // The X, Y, Z it reports (cd/m²), never negative.
    Tristimulus read(const Spectrum &light, double noise, std::mt19937 &rng) const;

    struct Spectral {
        double bandwidthNm;     // full width at half maximum of its triangular slit
        double fullWellCounts;  // a sample's counts when the exposure fills the detector
        double countsAtLongest; // counts per W/(sr·m²·nm) at its longest integration
        double darkCounts;      // dark noise per sample, 1σ
    };
    struct Filter {
        FilterDesign design;
        double photonVariance; // cd/m² per cd/m² of signal
        double darkSigma;      // cd/m², 1σ
    };
    explicit ReferenceOptics(const Spectral &s);
    explicit ReferenceOptics(const Filter &f);
    ReferenceOptics(); // exact

private:
    enum class Kind { Exact, Spectral, Filter } kind_;
    Spectral spectral_{};
    Filter filter_{};
    std::unique_ptr<FilterColorimeter> filters_;
};

} // namespace sim
