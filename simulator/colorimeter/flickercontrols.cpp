#include "flickercontrols.h"

#include <cstdio>

namespace sim {

namespace {
std::string fmt(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

std::string describe(const FlickerWave::Settings &s) {
    switch (s.shape) {
    case FlickerWave::Shape::Steady:
        return "flicker off";
    case FlickerWave::Shape::Sine:
        return "flicker sine " + fmt(s.frequency) + " Hz depth " + fmt(s.depth * 100) + " %";
    case FlickerWave::Shape::Square:
        return "flicker square " + fmt(s.frequency) + " Hz depth " + fmt(s.depth * 100) +
               " % duty " + fmt(s.duty * 100) + " %";
    }
    return {};
}
} // namespace

void addFlickerControls(ControlTable &t, Scene &scene, ColorimeterSim &colorimeter) {
    using Args = ControlTable::Args;

    t.add("flicker", "off | sine F DEPTH | square F DEPTH [DUTY]",
          "the light's waveform: F in Hz, DEPTH and DUTY in % (DUTY default 50)",
          [&scene](const Args &a) {
              const char *usage = "usage: flicker off | sine F DEPTH | square F DEPTH [DUTY] "
                                  "(F 0 to 10000 Hz, DEPTH 0 to 100 %, DUTY 1 to 99 %)";
              FlickerWave::Settings s;
              if (a.size() == 1 && a[0] == "off") {
                  scene.flicker().setSteady();
                  return ControlResult::success(describe(scene.flicker().settings()));
              }
              double f = 0, depth = 0, duty = 50;
              const bool sine = !a.empty() && a[0] == "sine" && a.size() == 3;
              const bool square =
                  !a.empty() && a[0] == "square" && (a.size() == 3 || a.size() == 4);
              if ((!sine && !square) || !parseNumber(a[1], f) || !parseNumber(a[2], depth) ||
                  (a.size() == 4 && !parseNumber(a[3], duty)))
                  return ControlResult::failure(usage);
              s.shape = sine ? FlickerWave::Shape::Sine : FlickerWave::Shape::Square;
              s.frequency = f;
              s.depth = depth / 100;
              s.duty = duty / 100;
              if (!scene.flicker().set(s))
                  return ControlResult::failure(usage);
              return ControlResult::success(describe(scene.flicker().settings()));
          });

    t.add("flash", "[PERCENT [MS]]",
          "one flash: the light rises by PERCENT (default 100) for MS ms (default 50)",
          [&scene](const Args &a) {
              FlickerWave::Flash f;
              double percent = 100, ms = 50;
              if (a.size() > 2 || (a.size() >= 1 && !parseNumber(a[0], percent)) ||
                  (a.size() == 2 && !parseNumber(a[1], ms)) || percent < -100 || percent > 10000 ||
                  ms <= 0 || ms > 10000)
                  return ControlResult::failure(
                      "usage: flash [PERCENT [MS]] (-100 to 10000 %, 0 to 10000 ms)");
              f.gain = percent / 100;
              f.duration = ms / 1000;
              scene.flicker().flash(f);
              return ControlResult::success("flash " + fmt(percent) + " % for " + fmt(ms) + " ms");
          });

    t.add("range", "N|auto", "the range the colorimeter streams in (1 to 6), or its own choice",
          [&colorimeter](const Args &a) {
              int n = 0;
              if (a.size() != 1 || (a[0] != "auto" && (!parseInt(a[0], n) || n < 1 || n > 6)))
                  return ControlResult::failure("usage: range N|auto (N 1 to 6)");
              colorimeter.setForcedRange(n);
              return ControlResult::success(n ? "range " + std::to_string(n) : "range auto");
          });

    t.add("saturate", "on|off", "streamed samples over-saturate", [&colorimeter](const Args &a) {
        bool on = false;
        if (a.size() != 1 || !parseOnOff(a[0], on))
            return ControlResult::failure("usage: saturate on|off");
        colorimeter.setSaturated(on);
        return ControlResult::success(std::string("saturate ") + (on ? "on" : "off"));
    });

    t.add("stream", "", "report the colorimeter's sample stream", [&colorimeter](const Args &a) {
        if (!a.empty())
            return ControlResult::failure("usage: stream");
        const std::string fw = "firmware " + colorimeter.firmware();
        if (!colorimeter.streaming())
            return ControlResult::success("off, " + fw);
        return ControlResult::success("on, " + std::to_string(colorimeter.streamSampleRate()) +
                                      " samples/s at " + std::to_string(colorimeter.baud()) +
                                      " baud, " + std::to_string(colorimeter.packetsSent()) +
                                      " packets, " + fw);
    });
}

} // namespace sim
