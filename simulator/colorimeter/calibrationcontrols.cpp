#include "calibrationcontrols.h"

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
}

} // namespace sim
