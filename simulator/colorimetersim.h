#pragma once
// The simulated tristimulus colorimeter. It integrates continuously (16 or 8
// readings a second) and answers a reading command with the next completed
// reading; it auto-ranges over six ranges, carries a small fixed error in its
// factory matrix, and its readings get noisier as the light gets dimmer.

#include "scene.h"
#include "serialinstrument.h"

#include <array>
#include <map>
#include <random>
#include <vector>

namespace sim {

struct ColorimeterConfig {
    std::string model = "TV-40";
    std::string serial; // empty: a default for the model
    int baud = 9600;
    double timeScale = 1.0;
    double noise = 1.0; // 0 gives exact readings
    uint32_t seed = 1;
};

// Names the simulator knows (the family's models).
const std::vector<std::string> &colorimeterModels();

class ColorimeterSim : public SerialInstrument {
public:
    ColorimeterSim(Scene &scene, std::string linkPath, ColorimeterConfig config);
    ~ColorimeterSim() override;

    const std::string &model() const { return config_.model; }
    const std::string &serial() const { return config_.serial; }
    bool aimingLights() const { return aiming_; }
    // -1 automatic, 0 hold, 1 to 6 fixed.
    int rangeMode() const { return rangeMode_; }
    void setNoise(double scale) { noise_ = scale; }
    // Slots 1 to 96; an empty name empties the slot.
    void setProfileName(int slot, const std::string &name);

    // Full scale of a range in instrument units (cd/m² per channel).
    static double rangeLimit(int range);
    // The factory matrix error applied to the true light.
    static const std::array<std::array<double, 3>, 3> &matrixError();

protected:
    std::string handle(const std::string &frame) override;

private:
    using Handler = std::string (ColorimeterSim::*)(const std::string &command);
    struct Reading {
        double v[3];
        int range[3];
        char status;
    };

    std::string identifyCommand(const std::string &);
    std::string profileListCommand(const std::string &);
    std::string readingCommand(const std::string &command);
    std::string aimingCommand(const std::string &command);
    std::string rangeCommand(const std::string &command);
    std::string countsCommand(const std::string &);
    Reading takeReading();

    Scene &scene_;
    ColorimeterConfig config_;
    std::map<std::string, Handler> commands_;
    std::atomic<bool> aiming_{false};
    std::atomic<int> rangeMode_{-1};
    std::atomic<double> noise_;
    bool hasLights_;
    double sensitivity_; // how much noisier than the reference model
    std::mutex profileLock_;
    std::vector<std::string> profiles_; // slots 1-96
    std::mt19937 rng_;
    int lastRanges_[3] = {3, 3, 3};
    // The integration clock: readings complete every period from epoch.
    Clock::time_point epoch_;
    double periodMs_ = 0;
};

} // namespace sim
