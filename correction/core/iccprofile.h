#pragma once
// An ICC display profile of the measured display as its calibration
// curves leave it: matrix and tone curves (version 4, with the chromatic
// adaptation tag), the measured primaries and white, the luminance, and the
// curves themselves as 'vcgt' for the video card. Built and serialised by
// Little CMS; nothing here writes profile bytes by hand.

#include "cubelut.h"
#include "displayfit.h"

#include <string>
#include <vector>

namespace correction {

// The profile's bytes; empty with the reason when it cannot be made.
// calibration: a 1D table (buildCalibrationCurves).
std::vector<unsigned char> displayProfile(const DisplayModel &display, const CubeLut &calibration,
                                          const std::string &description, std::string *error);

} // namespace correction
