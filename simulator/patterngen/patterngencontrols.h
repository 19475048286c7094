#pragma once
// Control commands of the simulated pattern generator and display.

#include "controltable.h"

namespace sim {

class DisplaySim;
class PatternGenSim;

// generator may be null (a display on its own).
void addPatternControls(ControlTable &table, PatternGenSim *generator, DisplaySim &display);

} // namespace sim
