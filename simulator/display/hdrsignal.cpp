#include "hdrsignal.h"

#include "gamutspec.h"
#include "transfer.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

// BT.2020 RGB (white of 1 cd/m²) to XYZ.
const Mat3 &containerToXyz() {
    static const Mat3 m = GamutSpec::standardSpec(3, 1.0).rgbToXyz;
    return m;
}

std::array<double, 3> times(const Mat3 &m, const std::array<double, 3> &v) {
    std::array<double, 3> out{};
    for (int r = 0; r < 3; ++r)
        out[r] = m[r][0] * v[0] + m[r][1] * v[1] + m[r][2] * v[2];
    return out;
}

} // namespace

double hdrRollOff(const HdrSignal &hdr, double nits) {
    if (nits <= hdr.kneeNits)
        return nits;
    const double room = hdr.peakNits - hdr.kneeNits;
    if (!(room > 0))
        return hdr.peakNits;
    return hdr.kneeNits + room * (1.0 - std::exp(-(nits - hdr.kneeNits) / room));
}

double hdrAblGain(const HdrSignal &hdr, double meanNits) {
    if (!(meanNits > hdr.ablAverageNits))
        return 1.0;
    return hdr.ablAverageNits / meanNits;
}

std::array<double, 3> hdrNativeLight(const HdrSignal &hdr, double red, double green, double blue,
                                     int maxCode) {
    const PanelPrimaries &panel = hdr.panel;
    const double full = std::max(1, maxCode);
    const std::array<double, 3> container = {transfer::st2084Eotf(red / full),
                                             transfer::st2084Eotf(green / full),
                                             transfer::st2084Eotf(blue / full)};
    const GamutSpec native(panel.rx, panel.ry, panel.gx, panel.gy, panel.bx, panel.by, panel.wx,
                           panel.wy, 1.0);
    std::array<double, 3> out = times(native.xyzToRgb, times(containerToXyz(), container));
    for (double &v : out)
        v = hdrRollOff(hdr, std::max(0.0, v));
    return out;
}

} // namespace sim
