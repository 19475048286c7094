#include "referencesim.h"

#include "bm7sim.h"
#include "cs2000sim.h"
#include "pr650sim.h"

namespace sim {

namespace {

struct ModelEntry {
    const char *model;
    const char *portName;
    std::unique_ptr<ReferenceSim> (*make)(Scene &, const std::string &, const ReferenceConfig &);
    bool (*serialOk)(const std::string &); // null: any the command line takes
    const char *serialRule;
};

template <typename Sim>
std::unique_ptr<ReferenceSim> make(Scene &scene, const std::string &link,
                                   const ReferenceConfig &config) {
    return std::make_unique<Sim>(scene, link, config);
}

const ModelEntry models[] = {
    {"CS-2000", "cs2000", make<CS2000Sim>, &CS2000Sim::validSerial, "7 digits"},
    {"PR-650", "pr650", make<PR650Sim>, nullptr, nullptr},
    {"BM-7", "bm7", make<BM7Sim>, nullptr, nullptr},
};

} // namespace

const std::vector<std::string> &referenceModels() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> v;
        for (const ModelEntry &m : models)
            v.push_back(m.model);
        return v;
    }();
    return names;
}

std::string referencePortName(const std::string &model) {
    for (const ModelEntry &m : models) {
        if (model == m.model)
            return m.portName;
    }
    return {};
}

std::string referenceSerialProblem(const std::string &model, const std::string &serial) {
    for (const ModelEntry &m : models) {
        if (model == m.model && m.serialOk && !serial.empty() && !m.serialOk(serial))
            return model + " serial number must be " + m.serialRule + ", not '" + serial + "'";
    }
    return {};
}

std::unique_ptr<ReferenceSim> makeReferenceSim(Scene &scene, const std::string &dir,
                                               const ReferenceConfig &config) {
    for (const ModelEntry &m : models) {
        if (config.model == m.model)
            return m.make(scene, dir + "/" + m.portName, config);
    }
    return nullptr;
}

ReferenceSim::ReferenceSim(std::string name, std::string linkPath, int baud, Scene &scene,
                           ReferenceConfig config, const char *defaultSerial)
    : SerialInstrument(std::move(name), std::move(linkPath), baud), scene_(scene),
      config_(std::move(config)), rng_(config_.seed),
      optics_(ReferenceOptics::forModel(config_.model)), noise_(config_.noise) {
    if (config_.serial.empty())
        config_.serial = defaultSerial;
    setTimeScale(config_.timeScale);
}

ReferenceSim::~ReferenceSim() = default;

double ReferenceSim::gainNoise() {
    std::normal_distribution<double> gauss(0.0, 1.0);
    return 1.0 + noise_ * 0.0005 * gauss(rng_);
}

Tristimulus ReferenceSim::readLight() {
    if (!config_.ideal)
        return optics_.read(scene_.spectrum(), noise_, rng_);
    // One gain error for the whole reading and a floor of 1e-4 cd/m².
    const Tristimulus t = scene_.light();
    std::normal_distribution<double> gauss(0.0, 1.0);
    const double gain = gainNoise();
    const double floor = noise_ * 1e-4; // cd/m²
    auto read = [&](double v) { return std::max(0.0, v * gain + floor * gauss(rng_)); };
    return {read(t.X), read(t.Y), read(t.Z)};
}

Spectrum ReferenceSim::readSpectrum() {
    if (!config_.ideal)
        return optics_.sample(scene_.spectrum(), noise_, rng_);
    Spectrum s = scene_.spectrum();
    const double gain = gainNoise();
    for (double &v : s)
        v *= gain;
    return s;
}

bool ReferenceSim::spend(double ms) {
    return waitUntil(Clock::now() + scaled(ms));
}

} // namespace sim
