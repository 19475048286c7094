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
    table.add("warmup", "PERCENT SECONDS | off",
              "the colorimeter starts cold: X reads off by PERCENT (Y by half, Z by minus "
              "it), settling with a time constant of SECONDS",
              [&colorimeter](const Args &a) {
                  const char *usage = "usage: warmup PERCENT SECONDS | off (-20 to 20 %, "
                                      "1 to 3600 s)";
                  if (a.size() == 1 && a[0] == "off") {
                      colorimeter.setWarmup(0, 1);
                      return ControlResult::success("warmup off");
                  }
                  double percent = 0, seconds = 0;
                  if (a.size() != 2 || !parseNumber(a[0], percent) || !parseNumber(a[1], seconds) ||
                      !(std::fabs(percent) <= 20) || !(seconds >= 1 && seconds <= 3600))
                      return ControlResult::failure(usage);
                  colorimeter.setWarmup(percent, seconds);
                  char text[96];
                  std::snprintf(text, sizeof text, "warmup %g %% settling over %g s", percent,
                                seconds);
                  return ControlResult::success(text);
              });
}

} // namespace sim
