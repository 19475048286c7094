#pragma once
// A display under test: RGB code values go through its transfer curve and
// primary matrix onto its black level. Knows what a light sensor at the
// middle of the screen sees of each pattern the generator can show.

#include "hdrsignal.h"
#include "patternstate.h"
#include "scene.h"

#include <string>
#include <vector>

namespace sim {

struct DisplayModel {
    std::string name;
    double rx, ry, gx, gy, bx, by; // primaries, CIE 1931 xy
    double wx, wy;                 // white point
    double whiteY;                 // cd/m², full white including the black level
    double blackY;                 // cd/m², code value 0
    double gamma;
    // An HDR display takes PQ in a BT.2020 container instead of the gamma
    // (hdrsignal.h); whiteY is then its peak.
    HdrSignal hdr = {};
};

const std::vector<DisplayModel> &displayModels();
// Null for an unknown name.
const DisplayModel *findDisplayModel(const std::string &name);

// The light of a uniform field of one colour (code values up to maxCode),
// before any brightness limiting.
Tristimulus displayLight(const DisplayModel &m, double red, double green, double blue,
                         int maxCode = 255);

// The luminance averaged over the whole screen for what the generator
// shows, before any brightness limiting (cd/m²).
double screenAverage(const DisplayModel &m, const PatternState &s);

// The average light over the sensor's spot at the middle of the screen for
// what the generator shows.
Tristimulus sensorLight(const DisplayModel &m, const PatternState &s);

} // namespace sim
