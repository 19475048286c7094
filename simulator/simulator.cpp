#include "simulator.h"

#include "calibrationcontrols.h"
#include "cs2000sim.h"
#include "filecheck.h"
#include "flickercontrols.h"
#include "patterngencontrols.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace sim {

namespace {

bool makeDirs(const std::string &path) {
    std::string partial;
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        partial = path.substr(0, pos);
        if (!partial.empty() && ::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

// A measured spectrum at 1 nm from 380 to 780 nm is a few kilobytes.
constexpr std::size_t maxSpectrumBytes = 1024 * 1024;

// "light spectrum FILE": a measured spectrum becomes the light.
ControlResult loadSpectrum(Scene &scene, const std::string &path) {
    std::string text, why;
    if (!readSmallFile(path, maxSpectrumBytes, &text, &why))
        return ControlResult::failure(path + ": " + why);
    Spectrum s;
    if (!parseSpectrumCsv(text, s, &why) || !scene.setSpectrum(s))
        return ControlResult::failure(path + ": " + why);
    const Tristimulus l = scene.light();
    char buf[96];
    std::snprintf(buf, sizeof buf, "XYZ %.6g %.6g %.6g", l.X, l.Y, l.Z);
    return ControlResult::success(buf);
}

std::string fmt(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

} // namespace

std::string defaultPortDir() {
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime)
        return std::string(runtime) + "/tintwell-sim";
    return "/tmp/tintwell-sim-" + std::to_string(::getuid());
}

Simulator::Simulator(SimulatorOptions options) : options_(std::move(options)) {
    if (options_.dir.empty())
        options_.dir = defaultPortDir();
    colorimeter_ = std::make_unique<ColorimeterSim>(scene_, options_.dir + "/colorimeter",
                                                    options_.colorimeter);
    for (const ReferenceConfig &r : options_.references) {
        if (std::unique_ptr<ReferenceSim> sim = makeReferenceSim(scene_, options_.dir, r))
            references_.push_back(std::move(sim));
    }
    addDisplay();
    addControls();
}

Simulator::~Simulator() {
    stop();
}

bool Simulator::start(std::string *error) {
    if (!colorimeter_->stateError().empty()) {
        if (error)
            *error = colorimeter_->stateError();
        return false;
    }
    for (const auto &r : references_) {
        if (!r->stateError().empty()) {
            if (error)
                *error = r->stateError();
            return false;
        }
    }
    if (!makeDirs(options_.dir)) {
        if (error)
            *error = "cannot create " + options_.dir;
        return false;
    }
    if (!dirLock_.acquire(options_.dir, error))
        return false;
    for (SerialInstrument *i : instruments()) {
        if (!i->start(error)) {
            stop();
            return false;
        }
    }
    if (patternGen_ && !patternGen_->start(error)) {
        stop();
        return false;
    }
    return true;
}

void Simulator::stop() {
    if (patternGen_)
        patternGen_->stop();
    for (SerialInstrument *i : instruments())
        i->stop();
    dirLock_.release();
}

void Simulator::addDisplay() {
    if (options_.display.empty() && !options_.withPatternGenerator)
        return;
    const DisplayModel *model =
        options_.displaySpectra
            ? options_.displaySpectra.get()
            : findDisplayModel(options_.display.empty() ? "rec709" : options_.display);
    if (!model)
        return; // the command line checks the name; a bad one in code shows nothing
    display_ = std::make_unique<DisplaySim>(scene_, withLevels(*model, options_.displayLevels),
                                            options_.displaySettleMs);
    if (options_.withPatternGenerator) {
        patternGen_ = std::make_unique<PatternGenSim>(options_.patternGenerator);
        patternGen_->setListener([this](const PatternState &s) { display_->show(s); });
    }
}

std::vector<SerialInstrument *> Simulator::instruments() {
    std::vector<SerialInstrument *> all{colorimeter_.get()};
    for (const auto &r : references_)
        all.push_back(r.get());
    return all;
}

ReferenceSim *Simulator::reference(const std::string &name) {
    for (const auto &r : references_) {
        if (r->name() == name)
            return r.get();
    }
    return nullptr;
}

SerialInstrument *Simulator::instrument(const std::string &name) {
    for (SerialInstrument *i : instruments()) {
        if (i->name() == name)
            return i;
    }
    return nullptr;
}

SerialInstrument *Simulator::target(const ControlTable::Args &args, std::size_t index,
                                    std::string *error) {
    const std::string name = args.size() > index ? args[index] : "colorimeter";
    SerialInstrument *i = instrument(name);
    if (!i)
        *error = "no instrument '" + name + "'";
    return i;
}

void Simulator::addControls() {
    using Args = ControlTable::Args;
    ControlTable &t = control_;

    t.add("light", "xyY x y Y | XYZ X Y Z | spectrum FILE",
          "set the light the instruments see (cd/m²; FILE: CSV nm,W/(sr m² nm))",
          [this](const Args &a) {
              if (a.size() == 2 && a[0] == "spectrum")
                  return loadSpectrum(scene_, a[1]);
              if (a.empty()) {
                  Tristimulus l = scene_.light();
                  return ControlResult::success("XYZ " + fmt(l.X) + " " + fmt(l.Y) + " " +
                                                fmt(l.Z));
              }
              double v[3];
              if (a.size() != 4 || !parseNumber(a[1], v[0]) || !parseNumber(a[2], v[1]) ||
                  !parseNumber(a[3], v[2]))
                  return ControlResult::failure("usage: light xyY x y Y | light XYZ X Y Z");
              if (a[0] == "xyY") {
                  if (v[1] <= 0 || v[2] < 0 || v[0] < 0 || v[0] + v[1] > 1)
                      return ControlResult::failure("need 0 <= x, 0 < y, x + y <= 1, Y >= 0");
                  scene_.setxyY(v[0], v[1], v[2]);
              } else if (a[0] == "XYZ") {
                  if (v[0] < 0 || v[1] < 0 || v[2] < 0)
                      return ControlResult::failure("X, Y, Z must not be negative");
                  scene_.setXYZ(v[0], v[1], v[2]);
              } else {
                  return ControlResult::failure("usage: light xyY x y Y | light XYZ X Y Z");
              }
              Tristimulus l = scene_.light();
              return ControlResult::success("XYZ " + fmt(l.X) + " " + fmt(l.Y) + " " + fmt(l.Z));
          });

    t.add("aim", "", "report the colorimeter's aiming lights", [this](const Args &a) {
        if (!a.empty())
            return ControlResult::failure("usage: aim");
        return ControlResult::success(colorimeter_->aimingLights() ? "on" : "off");
    });

    t.add("ports", "", "list the instruments and their ports", [this](const Args &) {
        std::string out;
        for (SerialInstrument *i : instruments())
            out += (out.empty() ? "" : "; ") + i->name() + " " + i->linkPath() +
                   (i->plugged() ? "" : " (unplugged)");
        return ControlResult::success(out);
    });

    t.add("unplug", "[NAME]", "the instrument's port disappears", [this](const Args &a) {
        std::string err;
        SerialInstrument *i = target(a, 0, &err);
        if (!i)
            return ControlResult::failure(err);
        if (!i->unplug())
            return ControlResult::failure(i->name() + " is not plugged in");
        return ControlResult::success(i->name() + " unplugged");
    });

    t.add("replug", "[NAME]", "the port comes back under the same path", [this](const Args &a) {
        std::string err;
        SerialInstrument *i = target(a, 0, &err);
        if (!i)
            return ControlResult::failure(err);
        if (i->plugged())
            return ControlResult::failure(i->name() + " is plugged in already");
        if (!i->replug(&err))
            return ControlResult::failure(err);
        return ControlResult::success(i->name() + " " + i->linkPath());
    });

    t.add("silence", "on|off [NAME]", "the instrument stops answering", [this](const Args &a) {
        bool on = false;
        std::string err;
        if (a.empty() || !parseOnOff(a[0], on))
            return ControlResult::failure("usage: silence on|off [NAME]");
        SerialInstrument *i = target(a, 1, &err);
        if (!i)
            return ControlResult::failure(err);
        i->setSilent(on);
        return ControlResult::success(std::string("silence ") + (on ? "on" : "off"));
    });

    t.add("slow", "MS|off [NAME]", "extra milliseconds per reply byte", [this](const Args &a) {
        double ms = 0;
        std::string err;
        if (a.empty() || (a[0] != "off" && (!parseNumber(a[0], ms) || ms < 0 || ms > 10000)))
            return ControlResult::failure("usage: slow MS|off [NAME] (0 to 10000 ms)");
        SerialInstrument *i = target(a, 1, &err);
        if (!i)
            return ControlResult::failure(err);
        i->setSlowMs(ms);
        return ControlResult::success("slow " + fmt(ms) + " ms");
    });

    t.add(
        "truncate", "N|off [NAME]", "replies keep only their first N bytes", [this](const Args &a) {
            int n = -1;
            std::string err;
            if (a.empty() || (a[0] != "off" && (!parseInt(a[0], n) || n < 0)))
                return ControlResult::failure("usage: truncate N|off [NAME]");
            SerialInstrument *i = target(a, 1, &err);
            if (!i)
                return ControlResult::failure(err);
            i->setTruncate(n);
            return ControlResult::success(n < 0 ? "truncate off" : "truncate " + std::to_string(n));
        });

    t.add("garbage", "N|off [NAME]", "N random bytes before every reply", [this](const Args &a) {
        int n = 0;
        std::string err;
        if (a.empty() || (a[0] != "off" && (!parseInt(a[0], n) || n < 0 || n > 4096)))
            return ControlResult::failure("usage: garbage N|off [NAME] (0 to 4096)");
        SerialInstrument *i = target(a, 1, &err);
        if (!i)
            return ControlResult::failure(err);
        i->setGarbage(n);
        return ControlResult::success("garbage " + std::to_string(n));
    });

    t.add("noise", "SCALE", "reading noise (1 normal, 0 none)", [this](const Args &a) {
        double s = 0;
        if (a.size() != 1 || !parseNumber(a[0], s) || s < 0)
            return ControlResult::failure("usage: noise SCALE (>= 0)");
        colorimeter_->setNoise(s);
        for (const auto &r : references_)
            r->setNoise(s);
        return ControlResult::success("noise " + fmt(s));
    });

    t.add("measure-error", "ERnn|off",
          "the CS-2000 ends its measurements with error ERnn (ER10 over range, ER71 no sync, "
          "ER83 angle...)",
          [this](const Args &a) {
              auto *cs = dynamic_cast<CS2000Sim *>(reference("cs2000"));
              if (!cs)
                  return ControlResult::failure("no CS-2000 on this bench");
              int code = 0;
              const std::string digits =
                  a.size() == 1 && a[0].rfind("ER", 0) == 0 ? a[0].substr(2) : std::string();
              if (a.size() != 1 ||
                  (a[0] != "off" && (digits.size() != 2 || !parseInt(digits, code) || code < 1)))
                  return ControlResult::failure("usage: measure-error ERnn|off (ER01 to ER99)");
              cs->setMeasureError(code);
              return ControlResult::success(code ? "measure-error " + a[0] : "measure-error off");
          });

    addCalibrationControls(t, *colorimeter_);
    addFlickerControls(t, scene_, *colorimeter_);
    if (display_)
        addPatternControls(t, patternGen_.get(), *display_, options_.displayLevels);

    t.add("help", "", "this list",
          [this](const Args &) { return ControlResult::success(control_.helpText()); });
}

} // namespace sim
