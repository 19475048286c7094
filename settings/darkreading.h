#pragma once
// The smallest luminance a reading is shown for. Below it (a covered or
// darkened sensor) X, Y and Z are noise around zero, and the chromaticity of
// noise is no colour: every window says the light is below the limit
// instead of showing numbers.

#include "measurement.h"

#include <QString>

constexpr double resolvableLuminance = 0.001; // cd/m²

// Also a sum of X, Y and Z of zero or less, and values that are no numbers.
bool isBelowResolution(const Measurement &m);
// "<0.001 nits" (as narrow as a readout with numbers), or the limit in
// foot-lamberts.
QString belowResolutionText(bool nits);
// The status bar's words for such a reading.
QString tooDarkText(bool nits);
