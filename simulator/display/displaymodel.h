#pragma once
// A display under test: the spectral radiance of its three primaries at full
// drive, its transfer curve, black level and peak white. RGB code values go
// through the curve, mix the primaries' spectra and add the black level's.
// Knows what a light sensor at the middle of the screen sees of each pattern
// the generator can show.

#include "cubelut.h"
#include "hdrsignal.h"
#include "patternstate.h"
#include "scene.h"
#include "spectrum.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace sim {

struct DisplayModel {
    std::string name;
    std::string technology; // one line for the help
    // Relative spectral radiance of each primary at full drive, scaled so
    // that full white (their sum) has a luminance of 1 cd/m².
    std::array<Spectrum, 3> primaries;
    // The light at code value 0, luminance 1 cd/m² (what leaks through an
    // LCD's closed cells: the backlight's white).
    Spectrum blackShape;
    double whiteY = 120; // cd/m², full white including the black level
    double blackY = 0.1; // cd/m², code value 0
    double gamma = 2.4;
    // An HDR display takes PQ in a BT.2020 container instead of the gamma
    // (hdrsignal.h); whiteY is then its peak.
    HdrSignal hdr = {};
    // A video processor between the signal and the panel (the "lut"
    // command): every colour's codes, as a share of the largest code, go
    // through this table first. Null for none.
    std::shared_ptr<const CubeLut> processor;
};

// Levels given on the command line; a negative value keeps the display's own.
struct DisplayLevels {
    double peak = -1; // cd/m², full white
    double gamma = -1;
    double black = -1; // cd/m²
};
DisplayModel withLevels(DisplayModel m, const DisplayLevels &levels);

// The built-in displays (displaycatalog.cpp).
const std::vector<DisplayModel> &displayModels();
// Null for an unknown name.
const DisplayModel *findDisplayModel(const std::string &name);
// "rec709, p3, ..." for messages and help.
std::string displayModelNames();

// A display from a CSV file of its primaries' spectra (displayfile.cpp):
// header "nm,red,green,blue", then one line per wavelength, rising by at
// most 5 nm, with finite values that are not negative. The white is the
// three primaries as given (their relative radiances set its colour),
// scaled to whiteY. False with a reason naming the line otherwise.
bool parseDisplaySpectra(const std::string &text, DisplayModel &out, std::string *error);

// The spectrum of a uniform field of one colour (code values up to maxCode),
// before any brightness limiting.
Spectrum displaySpectrum(const DisplayModel &m, double red, double green, double blue,
                         int maxCode = 255);
// Its X, Y, Z.
Tristimulus displayLight(const DisplayModel &m, double red, double green, double blue,
                         int maxCode = 255);

// The luminance averaged over the whole screen for what the generator
// shows, before any brightness limiting (cd/m²).
double screenAverage(const DisplayModel &m, const PatternState &s);

// The average light over the sensor's spot at the middle of the screen for
// what the generator shows (an HDR display's brightness limiting included).
Spectrum sensorSpectrum(const DisplayModel &m, const PatternState &s);
Tristimulus sensorLight(const DisplayModel &m, const PatternState &s);

} // namespace sim
