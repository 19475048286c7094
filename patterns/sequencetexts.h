#pragma once
// What a sequence shows about itself: the patch rectangle of each size
// choice with its label, and the progress texts of the run and the patch.

#include <QRect>
#include <QString>

namespace sequencetexts {

constexpr int patchSizeCount = 4; // 1/4, 1/2 (the default), 3/4, full screen
constexpr int defaultPatchSize = 1;

// The patch of size choice index on a width x height pattern area; an
// unknown index gives the default.
QRect patchRect(int index, int width, int height);
// A window of percent of the screen's area (0 < percent <= 100): a box of
// the screen's proportions centred on it (the rest is black). HDR displays
// dim large bright areas, so they are measured in 10 % or 18 % windows.
QRect windowRect(double percent, int width, int height);
// "10 % window (608x342)"
QString windowLabel(double percent, int width, int height);
constexpr double minWindowPercent = 1.0;
constexpr double maxWindowPercent = 100.0;

// The combo entry of a size choice; sizes shown once the area is known.
QString patchSizeLabel(int index, int width, int height);

// "Patch 3/10"
QString patchCounter(int index, int count);
// "Stabilizing in...2.5"
QString stabilisingText(double secondsLeft);

} // namespace sequencetexts
