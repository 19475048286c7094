#include "lutbuild.h"

#include <algorithm>
#include <thread>

namespace correction {

CubeLut buildCorrectionLut(const DisplayModel &display, const ResolvedTarget &target, int size,
                           const std::string &title) {
    CubeLut lut = CubeLut::identity(size);
    lut.title = title;
    const double step = 1.0 / (size - 1);
    // Each blue plane is independent: two threads halve a 65³ table's time.
    auto planes = [&](int first, int stride) {
        for (int b = first; b < size; b += stride)
            for (int g = 0; g < size; ++g)
                for (int r = 0; r < size; ++r) {
                    const Rgb3 code = display.invert(target.mapped({r * step, g * step, b * step}));
                    lut.set(r, g, b, code);
                }
    };
    std::thread other(planes, 1, 2);
    planes(0, 2);
    other.join();
    return lut;
}

CubeLut buildCalibrationCurves(const DisplayModel &display, const ResolvedTarget &target,
                               int size) {
    CubeLut curves = CubeLut::identity(size, 1);
    curves.title = "grey calibration";
    Rgb3 previous{0, 0, 0};
    for (int i = 0; i < size; ++i) {
        const double s = double(i) / (size - 1);
        Rgb3 code = display.invert(target.mapped({s, s, s}));
        // A gamma table that falls back would fold tones over each other.
        for (int c = 0; c < 3; ++c)
            code[c] = std::max(code[c], previous[c]);
        curves.set(i, i, i, code);
        previous = code;
    }
    return curves;
}

} // namespace correction
