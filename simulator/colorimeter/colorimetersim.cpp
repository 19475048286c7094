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

// Photon noise: a channel's variance grows with its signal, this many
// cd/m² per cd/m² (about 0.05 % of a 100 cd/m² signal, 1σ, at fast speed);
// dark noise adds this much whatever the light (cd/m², 1σ).
constexpr double photonVariance = 2.5e-5;
constexpr double darkSigma = 0.002;

// The family's filters depart from smooth fits of the CIE functions by a
// few nm and percent, as glass filters of one melt do.
const FilterDesign familyFilters{{2.0, -1.5, 1.5}, {0.02, -0.03, 0.04}};

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

namespace {
Tristimulus throughMatrixError(const Tristimulus &l) {
    const auto &m = ColorimeterSim::matrixError();
    return {m[0][0] * l.X + m[0][1] * l.Y + m[0][2] * l.Z,
            m[1][0] * l.X + m[1][1] * l.Y + m[1][2] * l.Z,
            m[2][0] * l.X + m[2][1] * l.Y + m[2][2] * l.Z};
}
} // namespace

const FilterColorimeter &ColorimeterSim::filters() {
    static const FilterColorimeter f(familyFilters);
    return f;
}

Tristimulus ColorimeterSim::factoryReading(const Spectrum &s, bool ideal) {
    if (!ideal)
        return filters().read(s);
    double t[3];
    spectrumXYZ(s, t);
    return throughMatrixError({t[0], t[1], t[2]});
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

void ColorimeterSim::setWarmup(double percent, double seconds) {
    std::lock_guard<std::mutex> lock(warmupLock_);
    warmupPercent_ = percent;
    warmupSeconds_ = seconds > 0 ? seconds : 1;
    warmupFrom_ = Clock::now();
}

Tristimulus ColorimeterSim::sensed() const {
    if (dark_)
        return {};
    // The ideal instrument reads the light's exact X, Y, Z (set directly by
    // the "light" command), never a spectrum synthesised for it.
    Tristimulus v =
        config_.ideal ? throughMatrixError(scene_.light()) : filters().read(scene_.spectrum());
    double warm = 0;
    {
        std::lock_guard<std::mutex> lock(warmupLock_);
        if (warmupPercent_ != 0) {
            const double s = std::chrono::duration<double>(Clock::now() - warmupFrom_).count();
            warm = warmupPercent_ * std::exp(-s / warmupSeconds_);
        }
    }
    v.X *= 1 + (drift_[0] + warm) / 100;
    v.Y *= 1 + (drift_[1] + 0.5 * warm) / 100;
    v.Z *= 1 + (drift_[2] - warm) / 100;
    // Light beyond what doubles hold saturates every range.
    for (double *c : {&v.X, &v.Y, &v.Z})
        if (!std::isfinite(*c))
            *c = 1e300;
    return v;
}

double ColorimeterSim::readingSigma(double v) const {
    const double scale = noise_ * sensitivity_;
    if (config_.ideal) // a floor of detector noise plus a small part proportional to the signal
        return scale * (0.002 + 0.0003 * std::fabs(v));
    // Normal speed integrates twice as long as fast: half the variance.
    const double integration = periodMs_ > fastPeriodMs ? periodMs_ / fastPeriodMs : 1.0;
    return scale * std::sqrt((photonVariance * std::fabs(v) + darkSigma * darkSigma) / integration);
}

ColorimeterSim::Reading ColorimeterSim::takeReading() {
    const Tristimulus t = sensed();
    const double seen[3] = {t.X, t.Y, t.Z};
    Reading r{};
    bool over = false;
    const int mode = rangeMode_;
    std::normal_distribution<double> gauss(0.0, 1.0);
    for (int i = 0; i < 3; ++i) {
        double v = seen[i];
        v += readingSigma(v) * gauss(rng_);
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
