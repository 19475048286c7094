#pragma once
// The light every simulated instrument looks at. Instruments sample it when a
// reading completes; the control channel and tests change it at any time.

#include "flickerwave.h"
#include "spectrum.h"

#include <mutex>

namespace sim {

struct Tristimulus {
    double X = 0, Y = 0, Z = 0; // cd/m²
};

class Scene {
public:
    Scene();
    void setXYZ(double X, double Y, double Z);
    // False (and nothing changed) unless y > 0 and the values are finite.
    bool setxyY(double x, double y, double Y);
    Tristimulus light() const;
    // The light's spectral power distribution. Whatever sets the light sets
    // it too: setXYZ()/setxyY() give a synthesized spectrum with those
    // values, setSpectrum() a measured one whose X, Y, Z become the light.
    Spectrum spectrum() const;
    // False (and nothing changed) unless it has spectrumSize values, all
    // finite and not negative.
    bool setSpectrum(const Spectrum &s);
    // How the light varies in time around light() (steady unless set).
    FlickerWave &flicker() { return flicker_; }
    const FlickerWave &flicker() const { return flicker_; }

private:
    mutable std::mutex lock_;
    Tristimulus light_;
    // Made when first asked for after setXYZ(): the light may change far more
    // often than anyone looks at its spectrum.
    mutable Spectrum spectrum_;
    mutable bool spectrumStale_ = true;
    FlickerWave flicker_;
};

} // namespace sim
