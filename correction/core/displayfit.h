#pragma once
// A model of a display fitted to what was measured of it: for any code
// value (0..1 per channel, full range) the X, Y, Z it shows, and back.
//
// The model is the display's physics first and a correction second:
//   XYZ(v) = black + M · (t_r(v_r), t_g(v_g), t_b(v_b)) + e(v)
// t_c is each channel's measured response (a monotone cubic through its
// ramp, 0 at code 0 and 1 at full drive), M holds the three primaries at
// full drive above black, and e is the residual the cube measured against
// that additive prediction, interpolated trilinearly between the cube's
// grid points. Displays whose channels add (most LCDs and OLEDs away from
// their power limits) are described by the first part almost exactly, with
// few patches and no ringing between them; the residual then carries what
// does not add (channel crosstalk, a white sub-pixel, a panel that sags
// under load) where the cube saw it. A pure 3D fit of the cube alone would
// need far more patches for the same accuracy near black, where a 5³ or 9³
// grid is coarse and the eye is sensitive.

#include "cubelut.h"
#include "gamutspec.h"

#include <string>
#include <vector>

namespace correction {

using Xyz = std::array<double, 3>;

struct Sample {
    Rgb3 code; // 0..1 per channel
    Xyz xyz;   // cd/m²
};

struct FitReport {
    int samples = 0;
    // The whole model against the patches the fit did not use (the grey
    // ramp and detail between the cube's grid points), ΔE2000 relative to
    // the measured white.
    int heldBack = 0;
    double meanDeltaE = 0, maxDeltaE = 0;
    // The additive part alone against the cube: how far the channels are
    // from adding up (0 for a display that adds exactly).
    double interactionMeanDeltaE = 0, interactionMaxDeltaE = 0;
};

class DisplayModel {
public:
    // Fits the model; false with the reason when the samples cannot carry
    // it (no black, a channel without its full-drive patch or its ramp, a
    // primary that gives no light).
    bool fit(const std::vector<Sample> &samples, std::string *error);

    Xyz predict(const Rgb3 &code) const;
    // Without the residual: the display as if its channels added exactly.
    Xyz predictAdditive(const Rgb3 &code) const;
    // The code that shows xyz, clamped to 0..1 where the display cannot.
    Rgb3 invert(const Xyz &xyz) const;
    // Whether the display can show xyz (within a small tolerance).
    bool reachable(const Xyz &xyz) const;

    const Xyz &black() const { return black_; }
    // Channel c at full drive above black.
    Xyz primary(int c) const { return {m_[0][c], m_[1][c], m_[2][c]}; }
    Xyz white() const { return predict({1, 1, 1}); }
    // Channel response 0..1 of a code 0..1, and its inverse.
    double response(int channel, double code) const;
    double inverseResponse(int channel, double t) const;
    const FitReport &report() const { return report_; }

private:
    Xyz residual(const Rgb3 &code) const;
    // Distance of the model's light at code from xyz, relative to the white.
    double missBy(const Rgb3 &code, const Xyz &xyz) const;
    double distance(const Xyz &a, const Xyz &b) const;
    // The code nearest to showing xyz, searched from start.
    Rgb3 refined(const Rgb3 &start, const Xyz &xyz) const;
    // Linear drives (t) for a colour, before clamping.
    Rgb3 drivesFor(const Xyz &xyz) const;

    Xyz black_{};
    Mat3 m_{}, inverse_{};
    // A monotone cubic Hermite through t^(1/exponent): a power-law panel's
    // response is then nearly a straight line, which the cubic follows
    // between ramp steps far better than the bent curve itself.
    struct Curve {
        double exponent = 1;
        std::vector<double> v, y, slope;
    };
    Curve curves_[3];
    std::vector<double> grid_;  // the cube's levels, rising, the same on every axis
    std::vector<Xyz> residual_; // grid_.size()³, red fastest
    FitReport report_;
    double whiteY_ = 1; // the white's luminance above black, the scale of missBy()
};

// 3×3 helpers shared by the correction code.
Xyz multiply(const Mat3 &m, const Xyz &v);
// False when the matrix is singular.
bool invert3(const Mat3 &m, Mat3 *out);

} // namespace correction
