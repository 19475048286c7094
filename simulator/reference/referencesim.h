#pragma once
// Base of the simulated reference instruments (CS-2000, PR-650, BM-7): the
// truth of the bench. They read the scene's light through their own optics
// (referenceoptics.h), with noise that grows as the light dims, and take
// instrument time to measure.

#include "referenceoptics.h"
#include "scene.h"
#include "serialinstrument.h"

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace sim {

struct ReferenceConfig {
    std::string model;  // one of referenceModels()
    std::string serial; // empty: the model's default
    double timeScale = 1.0;
    double noise = 1.0; // 0 gives exact readings
    uint32_t seed = 7;
    bool footLamberts = false; // BM-7: report in foot-lamberts
    std::string stateFile;     // CS-2000: the selected channel persists here (empty: none)
    // The idealised instruments of earlier benches: the light's exact X, Y, Z
    // and spectrum but for one gain error (about 0.05 %) and a floor.
    bool ideal = false;
};

// "CS-2000", "PR-650", "BM-7".
const std::vector<std::string> &referenceModels();
// The port link's name for a model: "cs2000", "pr650", "bm7"; empty if unknown.
std::string referencePortName(const std::string &model);
// Why the model cannot have this serial number (the CS-2000's has seven
// digits); empty when it can, or when none is given.
std::string referenceSerialProblem(const std::string &model, const std::string &serial);

class ReferenceSim : public SerialInstrument {
public:
    ~ReferenceSim() override;
    const ReferenceConfig &config() const { return config_; }
    const std::string &serial() const { return config_.serial; }
    void setNoise(double scale) { noise_ = scale; }
    // Empty unless the instrument's state file could not be read or its
    // configuration names something it cannot be (a serial number).
    virtual std::string stateError() const { return {}; }

protected:
    ReferenceSim(std::string name, std::string linkPath, int baud, Scene &scene,
                 ReferenceConfig config, const char *defaultSerial);

    // The scene's X, Y, Z as measured now.
    Tristimulus readLight();
    // The scene's spectrum as measured now.
    Spectrum readSpectrum();
    double gainNoise();
    // Spends ms of instrument time; false when unplugged meanwhile.
    bool spend(double ms);

    Scene &scene_;
    ReferenceConfig config_;
    std::mt19937 rng_;

private:
    const ReferenceOptics &optics_;
    std::atomic<double> noise_;
};

// The simulated instrument of a config, on DIR/<referencePortName(model)>;
// null for an unknown model.
std::unique_ptr<ReferenceSim> makeReferenceSim(Scene &scene, const std::string &dir,
                                               const ReferenceConfig &config);

} // namespace sim
