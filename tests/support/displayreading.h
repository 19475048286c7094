#pragma once
// What the simulated colorimeter reads for a patch on a simulated display:
// the display's spectrum through the instrument's filters and factory
// calibration, without noise.

#include "colorimetersim.h"
#include "displaymodel.h"

#include <algorithm>
#include <string>

inline sim::Tristimulus expectedColorimeterReading(const std::string &display, int r, int g,
                                                   int b) {
    return sim::ColorimeterSim::factoryReading(
        sim::displaySpectrum(*sim::findDisplayModel(display), r, g, b));
}

// Counts quantise a reading; dim patches get an absolute floor.
inline double readingTolerance(double value) {
    return std::max(0.02, value * 0.005);
}
