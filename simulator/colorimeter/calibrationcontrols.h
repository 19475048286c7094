#pragma once
// Line commands for the colorimeter's calibration side: "dark on|off".

#include "colorimetersim.h"
#include "controltable.h"

namespace sim {

void addCalibrationControls(ControlTable &table, ColorimeterSim &colorimeter);

} // namespace sim
