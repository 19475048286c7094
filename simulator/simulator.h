#pragma once
// One simulated bench: the scene and the instruments looking at it, each on
// its own pseudo-terminal under DIR/<name>, plus the line-command table that
// drives them. Tests use this class in-process; tintwell-sim wraps it.

#include "colorimetersim.h"
#include "controltable.h"
#include "dirlock.h"
#include "displaysim.h"
#include "patterngensim.h"
#include "referencesim.h"
#include "scene.h"

#include <memory>
#include <string>
#include <vector>

namespace sim {

struct SimulatorOptions {
    std::string dir; // where the port symlinks go; created if missing
    ColorimeterConfig colorimeter;
    // A network pattern generator driving a display under test. A display
    // without a generator only holds its model.
    PatternGenConfig patternGenerator;
    bool withPatternGenerator = false;
    std::string display; // display model; "rec709" when a generator runs
    // A display of the user's (--display-spectra), used instead of display.
    std::shared_ptr<const DisplayModel> displaySpectra;
    DisplayLevels displayLevels;             // overrides of the display's own levels
    int displaySettleMs = 200;               // 0: every change shows at once
    std::vector<ReferenceConfig> references; // each on DIR/<its port name>
};

// $XDG_RUNTIME_DIR/tintwell-sim, or /tmp/tintwell-sim-<uid>.
std::string defaultPortDir();

class Simulator {
public:
    explicit Simulator(SimulatorOptions options);
    ~Simulator();
    Simulator(const Simulator &) = delete;
    Simulator &operator=(const Simulator &) = delete;

    // Refuses a port directory another simulator holds (the message names its pid).
    bool start(std::string *error);
    void stop();

    Scene &scene() { return scene_; }
    ColorimeterSim &colorimeter() { return *colorimeter_; }
    std::vector<SerialInstrument *> instruments();
    SerialInstrument *instrument(const std::string &name);
    // Null unless configured.
    PatternGenSim *patternGenerator() { return patternGen_.get(); }
    DisplaySim *display() { return display_.get(); }
    // The reference instrument with this port name ("cs2000", ...), or null.
    ReferenceSim *reference(const std::string &name);

    // One command line in, one reply line out ("ok ..." / "error ...").
    std::string execute(const std::string &line) { return control_.execute(line); }
    ControlTable &control() { return control_; }

private:
    void addControls();
    void addDisplay();
    // The instrument named by args[index], or the only/default one when absent.
    SerialInstrument *target(const ControlTable::Args &args, std::size_t index, std::string *error);

    SimulatorOptions options_;
    DirLock dirLock_; // one simulator per port directory
    Scene scene_;
    std::unique_ptr<ColorimeterSim> colorimeter_;
    std::unique_ptr<DisplaySim> display_;
    std::unique_ptr<PatternGenSim> patternGen_;
    std::vector<std::unique_ptr<ReferenceSim>> references_;
    ControlTable control_;
};

} // namespace sim
