#pragma once
// The patches the new-colours dialog adds: target colours at an IRE level,
// ten-step IRE ramps, and the four built-in patches of an empty default batch.

#include "batchfile.h"

#include <QStringList>

namespace newpatches {

// The "Target Color:" choices: the seven colours, then primaries,
// secondaries and all seven.
QStringList targetChoices();
// The patches of choice (index into targetChoices) at ire, named "%1 - %2 IRE".
QList<ColorPatch> targetPatches(int choice, int ire, int low, int high);
// Eleven patches of one colour (0 to 6) at 0, 10, ... 100 IRE.
QList<ColorPatch> tenPointPatches(int colour, int low, int high);
// White, red, green and blue at 100 IRE.
QList<ColorPatch> builtInBatch(int low, int high);
// True when any channel lies outside low..high.
bool outOfRange(const QColor &c, int low, int high);

} // namespace newpatches
