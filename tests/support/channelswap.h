#pragma once
// A 3D table that feeds each output channel from another input channel: a
// video processor wired wrongly, for tests that need a table known to change
// what the display shows.

#include "cubelut.h"

#include <array>

// Output channel c takes input channel from[c]: {2, 1, 0} swaps red and blue.
inline CubeLut channelSwapCube(int size, const std::array<int, 3> &from) {
    CubeLut lut = CubeLut::identity(size);
    const double top = size - 1;
    for (int b = 0; b < size; ++b)
        for (int g = 0; g < size; ++g)
            for (int r = 0; r < size; ++r) {
                const double in[3] = {r / top, g / top, b / top};
                lut.set(r, g, b, {in[from[0]], in[from[1]], in[from[2]]});
            }
    return lut;
}
