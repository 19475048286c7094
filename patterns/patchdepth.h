#pragma once
// Code values deeper than 8 bits (10-bit HDR patches) and what a generator
// of less depth shows for them: the nearest codes at its depth, in the same
// kind of range, which is what the patch's target must then follow.

#include "videotarget.h"

#include <QColor>

#include <array>

using Codes = std::array<int, 3>;

struct ShownCodes {
    Codes code{};
    CodeRange range;
    bool reduced = false; // shown at less depth than asked
};

// The range at another depth: full stays full, limited stays limited, any
// other range scales with the depth.
CodeRange rangeAtBits(const CodeRange &range, int bits);

// The codes a generator of generatorBits shows for code of range.
ShownCodes shownCodes(const Codes &code, const CodeRange &range, int generatorBits);

// An 8-bit colour for swatches and tables: the nearest full-range codes.
QColor previewColor(const Codes &code, int bits);

// "10-bit 520,520,520 shown as 8-bit 130,130,130"
QString reducedCodesText(const Codes &asked, int askedBits, const ShownCodes &shown);
