#include "patterngencontrols.h"

#include "displaysim.h"
#include "filecheck.h"
#include "patterngensim.h"

#include <cstdio>

namespace sim {

namespace {

// A 65³ table is about 2.5 MB of text, the largest one usually made; this
// leaves room for 129³ and keeps a huge file named by mistake out.
constexpr std::size_t maxLutBytes = 64 * 1024 * 1024;

ControlResult loadLut(DisplaySim &display, const std::string &path) {
    std::string text, why;
    if (!readSmallFile(path, maxLutBytes, &text, &why))
        return ControlResult::failure("lut " + path + ": " + why);
    auto lut = std::make_shared<CubeLut>();
    if (!parseCube(text, lut.get(), &why))
        return ControlResult::failure("lut " + path + ": " + why);
    const std::string shape = std::to_string(lut->size) + (lut->dimensions == 3 ? "^3" : " (1D)");
    display.setProcessor(std::move(lut));
    return ControlResult::success("lut " + path + ": " + shape);
}

} // namespace

void addPatternControls(ControlTable &t, PatternGenSim *generator, DisplaySim &display,
                        const DisplayLevels &levels) {
    using Args = ControlTable::Args;
    t.add("display", "[MODEL]",
          "what the display under test shows and the light it settles to; MODEL puts "
          "another built-in display in its place",
          [generator, &display, levels](const Args &a) {
              if (a.size() > 1)
                  return ControlResult::failure("usage: display [MODEL]");
              if (a.size() == 1) {
                  const DisplayModel *m = findDisplayModel(a[0]);
                  if (!m)
                      return ControlResult::failure("display: MODEL is one of " +
                                                    displayModelNames());
                  display.setModel(withLevels(*m, levels));
              }
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
    t.add("lut", "FILE.cube|off",
          "a video processor between the signal and the display: every colour shown goes "
          "through the .cube table (3D or 1D) first; off removes it",
          [&display](const Args &a) {
              if (a.empty())
                  return ControlResult::failure("usage: lut FILE.cube|off");
              if (a.size() == 1 && a[0] == "off") {
                  display.setProcessor(nullptr);
                  return ControlResult::success("lut off");
              }
              std::string path = a[0]; // a path may hold spaces
              for (std::size_t i = 1; i < a.size(); ++i)
                  path += " " + a[i];
              return loadLut(display, path);
          });
    if (!generator)
        return;
    t.add("generator", "refuse|silence|output on|off | answer N|all | close TEXT|off | late MS|off",
          "the pattern generator misbehaves: refuses, hangs, answers but leaves the display "
          "alone (output off), falls silent after N more commands, hangs up on a command "
          "starting TEXT, answers all but getInfo MS late",
          [generator](const Args &a) {
              const char *usage = "usage: generator refuse|silence|output on|off | answer "
                                  "N|all | close TEXT|off | late MS|off";
              PatternFaults f = generator->faults();
              bool on = false;
              int n = 0;
              if (a.size() != 2)
                  return ControlResult::failure(usage);
              if ((a[0] == "refuse" || a[0] == "silence" || a[0] == "output") &&
                  parseOnOff(a[1], on))
                  (a[0] == "refuse" ? f.refuse : a[0] == "silence" ? f.silent : f.output) = on;
              else if (a[0] == "answer" && (a[1] == "all" || (parseInt(a[1], n) && n >= 0)))
                  f.answerLeft = a[1] == "all" ? -1 : n;
              else if (a[0] == "close")
                  f.closeOn = a[1] == "off" ? std::string() : a[1];
              else if (a[0] == "late" &&
                       (a[1] == "off" || (parseInt(a[1], n) && n >= 0 && n <= 600000)))
                  f.lateMs = a[1] == "off" ? 0 : n;
              else
                  return ControlResult::failure(usage);
              generator->setFaults(f);
              return ControlResult::success("generator " + a[0] + " " + a[1]);
          });
}

} // namespace sim
