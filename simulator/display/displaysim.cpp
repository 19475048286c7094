#include "displaysim.h"

#include <cmath>

namespace sim {

namespace {
constexpr int tickMs = 5;
// The approach is exponential; the settling time covers five time constants
// (99.3 %), after which the light is set exactly.
constexpr double timeConstants = 5.0;

Spectrum mix(const Spectrum &a, const Spectrum &b, double f) {
    Spectrum s(b);
    for (std::size_t i = 0; i < s.size() && i < a.size(); ++i)
        s[i] = a[i] + (b[i] - a[i]) * f;
    return s;
}
} // namespace

DisplaySim::DisplaySim(Scene &scene, DisplayModel model, int settleMs)
    : scene_(scene), model_(std::move(model)), settleMs_(settleMs < 0 ? 0 : settleMs) {
    shown_ = scene_.spectrum();
    target_ = shown_;
    thread_ = std::thread([this] { run(); });
}

DisplaySim::~DisplaySim() {
    {
        std::lock_guard<std::mutex> lock(lock_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

DisplayModel DisplaySim::model() const {
    std::lock_guard<std::mutex> lock(lock_);
    return model_;
}

void DisplaySim::setModel(DisplayModel model) {
    {
        std::lock_guard<std::mutex> lock(lock_);
        model.processor = model_.processor;
        model_ = std::move(model);
        if (shownAny_)
            showLocked(state_);
    }
    wake_.notify_all();
}

void DisplaySim::setProcessor(std::shared_ptr<const CubeLut> lut) {
    {
        std::lock_guard<std::mutex> lock(lock_);
        model_.processor = std::move(lut);
        if (shownAny_)
            showLocked(state_);
    }
    wake_.notify_all();
}

void DisplaySim::show(const PatternState &state) {
    {
        std::lock_guard<std::mutex> lock(lock_);
        showLocked(state);
    }
    wake_.notify_all();
}

void DisplaySim::showLocked(const PatternState &state) {
    state_ = state;
    shownAny_ = true;
    // A change mid-way starts from where the panel is now.
    from_ = shown_;
    target_ = sensorSpectrum(model_, state);
    changedAt_ = Clock::now();
    settling_ = settleMs_ > 0;
    if (!settling_) {
        shown_ = target_;
        scene_.setSpectrum(shown_);
    }
}

Tristimulus DisplaySim::target() const {
    std::lock_guard<std::mutex> lock(lock_);
    double xyz[3];
    spectrumXYZ(target_, xyz);
    return {xyz[0], xyz[1], xyz[2]};
}

bool DisplaySim::settling() const {
    std::lock_guard<std::mutex> lock(lock_);
    return settling_;
}

void DisplaySim::run() {
    std::unique_lock<std::mutex> lock(lock_);
    while (!stop_) {
        if (!settling_) {
            wake_.wait(lock, [this] { return stop_ || settling_; });
            continue;
        }
        const double ms =
            std::chrono::duration<double, std::milli>(Clock::now() - changedAt_).count();
        if (ms >= settleMs_) {
            shown_ = target_;
            settling_ = false;
        } else {
            const double tau = settleMs_ / timeConstants;
            shown_ = mix(from_, target_, 1.0 - std::exp(-ms / tau));
        }
        scene_.setSpectrum(shown_);
        if (settling_)
            wake_.wait_for(lock, std::chrono::milliseconds(tickMs));
    }
}

} // namespace sim
