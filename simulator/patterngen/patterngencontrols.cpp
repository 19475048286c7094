#include "patterngencontrols.h"

#include "displaysim.h"
#include "patterngensim.h"

#include <cstdio>

namespace sim {

void addPatternControls(ControlTable &t, PatternGenSim *generator, DisplaySim &display) {
    using Args = ControlTable::Args;
    t.add("display", "", "what the display under test shows and the light it settles to",
          [generator, &display](const Args &a) {
              if (!a.empty())
                  return ControlResult::failure("usage: display");
              char text[200];
              const Tristimulus l = display.target();
              std::snprintf(text, sizeof text, "%s XYZ %.6g %.6g %.6g%s",
                            display.model().name.c_str(), l.X, l.Y, l.Z,
                            display.settling() ? " (settling)" : "");
              std::string out = text;
              if (generator) {
                  const PatternState s = generator->state();
                  std::snprintf(text, sizeof text, "; pattern %d color %d %d %d box %d %d %d %d",
                                s.pattern, s.red, s.green, s.blue, s.boxX, s.boxY, s.boxW, s.boxH);
                  out += text;
              }
              return ControlResult::success(out);
          });
}

} // namespace sim
