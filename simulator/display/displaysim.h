#pragma once
// The display under test in the simulated bench: whatever the pattern
// generator shows becomes the scene's light (its spectrum), reached over a
// settling time after each change, as a real panel drifts to its new level.
// Between changes it leaves the scene alone, so the "light" command still
// overrides it.

#include "displaymodel.h"
#include "scene.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace sim {

class DisplaySim {
public:
    // settleMs 0 sets each new light at once.
    DisplaySim(Scene &scene, DisplayModel model, int settleMs = 200);
    ~DisplaySim();
    DisplaySim(const DisplaySim &) = delete;
    DisplaySim &operator=(const DisplaySim &) = delete;

    DisplayModel model() const;
    // Another display is put in front of the instruments; it shows what the
    // generator showed last.
    void setModel(DisplayModel model);
    // A video processor's table between the signal and the panel (null for
    // none); it stays when another display is put in front.
    void setProcessor(std::shared_ptr<const CubeLut> lut);
    // The generator changed what it shows.
    void show(const PatternState &state);
    // The light the display settles to for the last state shown.
    Tristimulus target() const;
    // True until the last change has settled.
    bool settling() const;

private:
    void run();
    void showLocked(const PatternState &state);

    using Clock = std::chrono::steady_clock;
    Scene &scene_;
    DisplayModel model_;
    const int settleMs_;
    mutable std::mutex lock_;
    std::condition_variable wake_;
    Spectrum from_, target_, shown_;
    PatternState state_;
    bool shownAny_ = false;
    Clock::time_point changedAt_;
    bool settling_ = false;
    bool stop_ = false;
    std::thread thread_;
};

} // namespace sim
