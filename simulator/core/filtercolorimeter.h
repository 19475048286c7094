#pragma once
// A tristimulus colorimeter's optics: three glass-filter channels whose
// responses only approximate the CIE 1931 colour-matching functions, and
// the factory calibration that turns the channels into X, Y, Z. The
// calibration is a 3×3 matrix fitted to the colour-matching functions,
// with each channel's gain then set so that illuminant A reads exactly, as
// makers calibrate. A light whose spectrum is far from A (a display with
// narrow primaries most of all) therefore reads a little wrong, by an
// amount that depends on its spectrum: the reason profiles are made per
// display.

#include "scene.h"
#include "spectrum.h"

#include <array>

namespace sim {

// How one instrument's filters depart from a smooth fit of each function:
// peak shifts in nm and width changes (0.02 = 2 % wider), for the x̄ red
// lobe, ȳ and z̄ in that order. The x̄ blue lobe has no filter of its own:
// the calibration borrows it from the z̄ channel, as three-filter
// instruments do.
struct FilterDesign {
    std::array<double, 3> shiftNm{};
    std::array<double, 3> stretch{};
};

class FilterColorimeter {
public:
    explicit FilterColorimeter(const FilterDesign &design);

    // Factory-calibrated X, Y, Z (cd/m²) of a spectral radiance.
    Tristimulus read(const Spectrum &s) const;
    // The three filter channels' raw signals before the calibration.
    std::array<double, 3> channels(const Spectrum &s) const;
    // X, Y, Z from raw channel signals.
    Tristimulus calibrated(const std::array<double, 3> &channels) const;
    // Relative spectral mismatch of the Y channel against ȳ (the photometric
    // figure makers quote, normalised on illuminant A): 0.03 is 3 %.
    double yMismatch() const;

private:
    std::array<Spectrum, 3> filters_;
    std::array<std::array<double, 3>, 3> calibration_{};
};

} // namespace sim
