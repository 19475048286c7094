#pragma once
// What an HDR display does to its input before light leaves the panel, kept
// apart from the panel itself so it can sit in front of any display model:
// PQ code values in a BT.2020 container are decoded to light, mapped onto the
// panel's own primaries (colours outside them clipped in linear light),
// rolled off towards the panel's peak above a knee of its own, and dimmed
// by automatic brightness limiting when the whole screen is bright.

#include <array>

namespace sim {

// The panel's primaries and white (CIE 1931 xy).
struct PanelPrimaries {
    double rx = 0, ry = 0, gx = 0, gy = 0, bx = 0, by = 0, wx = 0, wy = 0;
};

struct HdrSignal {
    bool on = false;
    double kneeNits = 800.0;  // cd/m²: its own roll-off starts here...
    double peakNits = 1000.0; // ...and approaches this, never passing it
    // cd/m²: the average over the whole screen the power supply sustains;
    // a brighter screen is dimmed to it.
    double ablAverageNits = 300.0;
    PanelPrimaries panel; // what the container's colours are mapped onto
};

// The light each of the panel's primaries gives (cd/m², as a white of that
// drive would have it) for code values up to maxCode of a full-range PQ
// signal in BT.2020: decoded, converted to the panel's primaries, clipped
// below 0 and rolled off above the knee.
std::array<double, 3> hdrNativeLight(const HdrSignal &hdr, double red, double green, double blue,
                                     int maxCode);

// The display's own roll-off: the identity up to the knee, then an
// exponential approach to the peak with the same slope at the knee.
double hdrRollOff(const HdrSignal &hdr, double nits);

// The brightness limiter's gain for a screen whose light averages
// meanNits (1 at or below the sustained average).
double hdrAblGain(const HdrSignal &hdr, double meanNits);

} // namespace sim
