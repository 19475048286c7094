#include "calibrationcontrols.h"

#include <cmath>
#include <cstdio>

namespace sim {

void addCalibrationControls(ControlTable &table, ColorimeterSim &colorimeter) {
    using Args = ControlTable::Args;
    table.add("dark", "on|off", "cover the colorimeter's lens (for black calibration)",
              [&colorimeter](const Args &a) {
                  bool on = false;
                  if (a.empty()) {
                      return ControlResult::success(std::string("dark ") +
                                                    (colorimeter.dark() ? "on" : "off"));
                  }
                  if (a.size() != 1 || !parseOnOff(a[0], on))
                      return ControlResult::failure("usage: dark on|off");
                  colorimeter.setDark(on);
                  return ControlResult::success(std::string("dark ") + (on ? "on" : "off"));
              });
    table.add("drift", "X Y Z | off",
              "the colorimeter's X, Y and Z channels drift by these percentages",
              [&colorimeter](const Args &a) {
                  double d[3] = {0, 0, 0};
                  const bool off = a.size() == 1 && a[0] == "off";
                  if (!off && a.size() != 3)
                      return ControlResult::failure("usage: drift X Y Z | off");
                  for (std::size_t i = 0; !off && i < 3; ++i) {
                      if (!parseNumber(a[i], d[i]) || !std::isfinite(d[i]) || std::fabs(d[i]) > 50)
                          return ControlResult::failure("drift: percentages from -50 to 50");
                  }
                  colorimeter.setDrift(d[0], d[1], d[2]);
                  char text[96];
                  std::snprintf(text, sizeof text, "drift %g %g %g", d[0], d[1], d[2]);
                  return ControlResult::success(text);
              });
}

} // namespace sim
