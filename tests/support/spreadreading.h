#pragma once
// A D65 reading of luminance maxY whose Y readings spread by the given
// percentage (X and Z steady), with an error code: what the patch judgement
// looks at.

#include "measurement.h"

inline Measurement spreadReading(double maxY, double spreadPercent = 0, uint32_t error = 0) {
    Measurement m = Measurement::fromxyY(0.3127, 0.329, maxY);
    m.minX = m.maxX = m.bigX;
    m.minZ = m.maxZ = m.bigZ;
    m.maxY = maxY;
    m.minY = maxY * (1 - spreadPercent / 100);
    m.errorCode = error;
    return m;
}
