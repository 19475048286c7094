#pragma once
// The corrections computed from a display model and a target: a 3D table
// from the target's code values to the codes that make the display show
// them, and per-channel curves that only put the greys right (white point
// and grey tracking) for the video card's gamma table.

#include "correctiontarget.h"
#include "cubelut.h"

#include <string>

namespace correction {

// size points per axis (17, 33 or 65 are usual), full-range codes 0..1 in
// and out.
CubeLut buildCorrectionLut(const DisplayModel &display, const ResolvedTarget &target, int size,
                           const std::string &title);

// For each grey signal, the three codes that show the target's grey: a 1D
// table, monotone in every channel.
CubeLut buildCalibrationCurves(const DisplayModel &display, const ResolvedTarget &target,
                               int size = 256);

} // namespace correction
