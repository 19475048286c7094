#pragma once
// Line commands for flicker: the scene's waveform ("flicker"), single flashes
// ("flash"), the range the video colorimeter streams in ("range"),
// over-saturation ("saturate") and the stream's state ("stream").

#include "colorimetersim.h"
#include "controltable.h"
#include "scene.h"

namespace sim {

void addFlickerControls(ControlTable &table, Scene &scene, ColorimeterSim &colorimeter);

} // namespace sim
