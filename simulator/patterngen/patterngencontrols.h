#pragma once
// Control commands of the simulated pattern generator and display.

#include "controltable.h"
#include "displaymodel.h"

namespace sim {

class DisplaySim;
class PatternGenSim;

// generator may be null (a display on its own). A display swapped in by
// name gets the command line's levels too.
void addPatternControls(ControlTable &table, PatternGenSim *generator, DisplaySim &display,
                        const DisplayLevels &levels);

} // namespace sim
