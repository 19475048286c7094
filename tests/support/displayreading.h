#pragma once
// What the simulated colorimeter reads for a patch on a simulated display:
// the display's light through the instrument's own factory-matrix error.

#include "colorimetersim.h"
#include "displaymodel.h"

inline sim::Tristimulus expectedColorimeterReading(const std::string &display, int r, int g,
                                                   int b) {
    const sim::Tristimulus t = sim::displayLight(*sim::findDisplayModel(display), r, g, b);
    const auto &m = sim::ColorimeterSim::matrixError();
    return {m[0][0] * t.X + m[0][1] * t.Y + m[0][2] * t.Z,
            m[1][0] * t.X + m[1][1] * t.Y + m[1][2] * t.Z,
            m[2][0] * t.X + m[2][1] * t.Y + m[2][2] * t.Z};
}

// Counts quantise a reading; dim patches get an absolute floor.
inline double readingTolerance(double value) {
    return std::max(0.02, value * 0.005);
}
