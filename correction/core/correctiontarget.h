#pragma once
// What a corrected display should show: a standard's primaries and white,
// its transfer curve, and what to do with the display's black, made
// concrete for one measured display (its white luminance, its black), and
// the gamut mapping that brings colours the display cannot show inside it.

#include "displayfit.h"
#include "videotarget.h"

namespace correction {

enum class BlackHandling {
    // The display's black stays under every colour and the curve spans the
    // range above it (shadow detail kept, blacks as deep as the panel).
    Native,
    // The curve starts from zero light; codes the display cannot make dark
    // enough all show its black.
    Zero
};

struct TargetSpec {
    GamutSpec primaries; // chromaticities of red, green, blue and white
    // The transfer curve: its gamma, PQ's mastering peak; the black and
    // peak luminances come from the display.
    TargetCurve curve;
    BlackHandling black = BlackHandling::Native;
};

class ResolvedTarget {
public:
    ResolvedTarget() = default;
    // The white is made as bright as the display can show it in the
    // target's chromaticity (PQ, being absolute, keeps its own luminances
    // and is clipped at that white).
    ResolvedTarget(const TargetSpec &spec, const DisplayModel &display);

    // The light asked for by full-range signals 0..1, possibly beyond what
    // the display can show.
    Xyz xyz(const Rgb3 &signal) const;
    // The same brought inside the display's gamut.
    Xyz mapped(const Rgb3 &signal) const;
    // The white CIELAB and ΔE2000 are taken against (the target's white).
    const Xyz &white() const { return white_; }
    double whiteNits() const { return white_[1]; }
    const VideoStandard &standard() const { return standard_; }
    const TargetSpec &spec() const { return spec_; }
    bool isHdr() const { return standard_.curve.isHdr(); }

private:
    TargetSpec spec_;
    VideoStandard standard_;
    const DisplayModel *display_ = nullptr;
    Mat3 toXyz_{};          // the standard's RGB to XYZ for a white of Y 1
    Xyz black_{};           // added under a gamma curve on the display's black
    double lightWhite_ = 1; // cd/m²: the white the curve is given
    Xyz white_{};
};

// A colour the display cannot show, moved to one it can, its hue (CIELAB
// against white) kept: chroma reduced at the same lightness, or, for a
// bright colour, along the line towards the mid-grey (L* 50) when that
// comes closer to it (ΔE2000); a lightness beyond the display's white is
// brought down to it first. Reachable colours come back unchanged.
Xyz mapIntoGamut(const Xyz &xyz, const DisplayModel &display, const Xyz &white);

} // namespace correction
