#include "colorimetersim.h"

#include "calibrationwire.h"
#include "colorimeterwire.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

struct ModelInfo {
    const char *name;
    bool aimingLights;
    double sensitivity; // noise relative to the reference model
    const char *defaultSerial;
};

const ModelInfo modelTable[] = {
    {"T-4", false, 0.2, "T4-10321"},  {"T-7", false, 4.0, "T7-20417"},
    {"T-40", true, 1.0, "T40-31052"}, {"T-40-A", true, 0.5, "T40A-3388"},
    {"T-90", true, 0.7, "T90-50123"}, {"TV-40", true, 1.0, "TV40-6012"},
};

const ModelInfo *findModel(const std::string &name) {
    for (const ModelInfo &m : modelTable) {
        if (name == m.name)
            return &m;
    }
    return nullptr;
}

constexpr double fastPeriodMs = 62.5;    // ms: 16 readings a second
constexpr double normalPeriodMs = 125.0; // ms: 8 readings a second
const double rangeLimits[6] = {2, 20, 200, 2000, 20000, 200000};

} // namespace

const std::vector<std::string> &colorimeterModels() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> v;
        for (const ModelInfo &m : modelTable)
            v.push_back(m.name);
        return v;
    }();
    return names;
}

double ColorimeterSim::rangeLimit(int range) {
    return rangeLimits[std::clamp(range, 1, 6) - 1];
}

const std::array<std::array<double, 3>, 3> &ColorimeterSim::matrixError() {
    // No factory matrix is perfect; profiles exist to correct this.
    static const std::array<std::array<double, 3>, 3> m{{
        {1.012, -0.006, 0.004},
        {0.003, 0.994, 0.002},
        {-0.002, 0.008, 1.015},
    }};
    return m;
}

ColorimeterSim::ColorimeterSim(Scene &scene, std::string linkPath, ColorimeterConfig config)
    : SerialInstrument("colorimeter", std::move(linkPath), config.baud), scene_(scene),
      config_(std::move(config)), noise_(config_.noise), rng_(config_.seed) {
    const ModelInfo *info = findModel(config_.model);
    hasLights_ = info ? info->aimingLights : false;
    sensitivity_ = info ? info->sensitivity : 1.0;
    if (config_.serial.empty())
        config_.serial = info ? info->defaultSerial : "000000";
    setTimeScale(config_.timeScale);

    commands_ = {
        {"P0", &ColorimeterSim::identifyCommand}, {"D7", &ColorimeterSim::profileListCommand},
        {"N4", &ColorimeterSim::readingCommand},  {"N5", &ColorimeterSim::readingCommand},
        {"L0", &ColorimeterSim::aimingCommand},   {"L1", &ColorimeterSim::aimingCommand},
        {"M6", &ColorimeterSim::countsCommand},
    };
    for (char c = '1'; c <= '8'; ++c)
        commands_[std::string("J") + c] = &ColorimeterSim::rangeCommand;
    initCalibration();
    initFlicker();
}

ColorimeterSim::~ColorimeterSim() {
    stop();
}

std::string ColorimeterSim::handle(const std::string &frame) {
    std::string reply;
    if (handleFlickerFrame(frame, reply))
        return reply;
    if (handleCalibrationFrame(frame, reply))
        return reply;
    std::string command = frame.substr(0, frame.size() - 1); // without the CR
    auto it = commands_.find(command);
    if (it == commands_.end())
        return {}; // unknown commands get no reply
    return (this->*(it->second))(command);
}

std::string ColorimeterSim::identifyCommand(const std::string &) {
    return clmtrwire::identifyReply(config_.model, config_.serial);
}

std::string ColorimeterSim::profileListCommand(const std::string &) {
    std::vector<std::string> records;
    for (int slot = 1; slot <= NonVolatileMemory::slotCount; ++slot)
        records.push_back(memory_->record(slot));
    return clmtrwire::profileListFromRecords(records);
}

std::string ColorimeterSim::aimingCommand(const std::string &command) {
    if (hasLights_)
        aiming_ = command == "L1";
    return {};
}

std::string ColorimeterSim::rangeCommand(const std::string &command) {
    int n = command[1] - '0';
    if (n <= 6)
        rangeMode_ = n;
    else
        rangeMode_ = n == 7 ? 0 : -1;
    return "0";
}

std::string ColorimeterSim::readingCommand(const std::string &command) {
    const double period = command == "N4" ? normalPeriodMs : fastPeriodMs;
    const auto now = Clock::now();
    if (period != periodMs_) {
        // A new speed restarts integration.
        periodMs_ = period;
        epoch_ = now;
    }
    const auto step = scaled(period);
    if (step.count() > 0) {
        const auto done = (now - epoch_) / step + 1;
        if (!waitUntil(epoch_ + step * done))
            return {};
    }
    Reading r = takeReading();
    return clmtrwire::readingReply(command, r.v[0], r.v[1], r.v[2], r.range[0], r.range[1],
                                   r.range[2], r.status);
}

std::string ColorimeterSim::countsCommand(const std::string &) {
    Reading r = takeReading();
    clmtrwire::Counts c;
    for (int i = 0; i < 3; ++i) {
        const double fraction = std::clamp(std::fabs(r.v[i]) / rangeLimit(r.range[i]), 0.0, 1.0);
        c.dark[i] = 1000 + 7 * static_cast<unsigned>(i);
        c.signal[i] = c.dark[i] + static_cast<unsigned>(fraction * 60000);
    }
    c.integrationMs = static_cast<unsigned>(periodMs_ > 0 ? periodMs_ : fastPeriodMs);
    c.temperatureA = 118;
    c.temperatureB = 121;
    c.rangeX = r.range[0];
    c.rangeY = r.range[1];
    c.rangeZ = r.range[2];
    c.status = r.status;
    return clmtrwire::countsReply(c);
}

void ColorimeterSim::setDrift(double x, double y, double z) {
    drift_[0] = x;
    drift_[1] = y;
    drift_[2] = z;
}

std::array<double, 3> ColorimeterSim::drift() const {
    return {drift_[0], drift_[1], drift_[2]};
}

ColorimeterSim::Reading ColorimeterSim::takeReading() {
    const Tristimulus t = dark_ ? Tristimulus{} : scene_.light();
    const double truth[3] = {t.X, t.Y, t.Z};
    const auto &m = matrixError();
    Reading r{};
    bool over = false;
    const int mode = rangeMode_;
    std::normal_distribution<double> gauss(0.0, 1.0);
    for (int i = 0; i < 3; ++i) {
        double v =
            (m[i][0] * truth[0] + m[i][1] * truth[1] + m[i][2] * truth[2]) * (1 + drift_[i] / 100);
        // A floor of detector noise plus a small part proportional to the
        // signal: relative noise grows as the light dims.
        const double sigma = noise_ * sensitivity_ * (0.002 + 0.0003 * std::fabs(v));
        v += sigma * gauss(rng_);
        int range = lastRanges_[i];
        if (mode < 0) {
            range = 1;
            while (range < 6 && std::fabs(v) > rangeLimit(range))
                ++range;
        } else if (mode >= 1) {
            range = mode;
        }
        if (std::fabs(v) > rangeLimit(range)) {
            v = std::copysign(rangeLimit(range), v);
            over = true;
        }
        lastRanges_[i] = range;
        r.v[i] = v;
        r.range[i] = range;
    }
    r.status = over ? 'X' : (aiming_ ? 'L' : '0');
    return r;
}

} // namespace sim
