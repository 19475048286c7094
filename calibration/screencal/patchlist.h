#pragma once
// The patches a page's run shows, from its run definition, the video range
// and the choices of the page's combo boxes; and the names and levels the
// graphs and tables read back from a patch.

#include "templatemodel.h"

#include <QString>
#include <QVector>

namespace screencal {

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb &o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb &o) const { return !(*this == o); }
};

// Entries of the "gray" and "color" combos.
enum ScaleMode { BalanceOnly = 0, TwoPoint = 1, TenPoint = 2 };

struct PatchSettings {
    int low = 0, high = 255; // video range
    int levelIre = 70;       // the "colorLevel" choice, 70 to 95
    int greyMode = BalanceOnly;
    int colourMode = BalanceOnly;
};

// Code value of an IRE level: the integer part of low + span * ire / 100.
int levelCode(double ire, int low, int high);

// The luminances of the PQ grey scale (cd/m²), around the 203 cd/m²
// reference white up to 1000, and their 10-bit full-range codes.
QVector<double> pqScaleLuminances();
int pqScaleCode(double nits);
// The depth of a run's codes: 10 for the PQ grey scale, else 8; such a run
// takes the full 10-bit range instead of the video range.
int runBits(const RunDefinition &run);
// The codes a run's patches are built in: full 10-bit for a 10-bit run,
// else the video range of `settings`.
PatchSettings forRun(const RunDefinition &run, PatchSettings settings);

QVector<Rgb> buildPatchList(const RunDefinition &run, const PatchSettings &settings);

// The colours a patch can be, in table order.
enum PatchColour { White = 0, Red, Green, Blue, Cyan, Magenta, Yellow, NoColour = -1 };
constexpr int patchColourCount = 7;
QString patchColourName(int colour); // "White" ... "Yellow"; "ERROR" otherwise
uint32_t patchColourMaskBit(int colour);
// Which colour a patch shows: the channels above low must share one code,
// the others sit at low. A grey (black included) is White.
int classifyPatch(const Rgb &patch, int low);
// The patch's drive level from 0 (low) to 1 (high), from its brightest channel.
double patchLevel(const Rgb &patch, int low, int high);
// The channel mask of a colour: White (1, 1, 1), Red (1, 0, 0) and so on.
Rgb colourChannels(int colour);

} // namespace screencal

namespace screencal {
// The choices a page's own "Combo" items make with their "current"
// attribute ("gray", "color", "colorLevel"), applied over `settings`.
PatchSettings pageChoices(const PageModel &page, PatchSettings settings);
} // namespace screencal
