#include "displaysim.h"

#include <cmath>

namespace sim {

namespace {
constexpr int tickMs = 5;
// The approach is exponential; the settling time covers five time constants
// (99.3 %), after which the light is set exactly.
constexpr double timeConstants = 5.0;

Tristimulus mix(const Tristimulus &a, const Tristimulus &b, double f) {
    return {a.X + (b.X - a.X) * f, a.Y + (b.Y - a.Y) * f, a.Z + (b.Z - a.Z) * f};
}
} // namespace

DisplaySim::DisplaySim(Scene &scene, DisplayModel model, int settleMs)
    : scene_(scene), model_(std::move(model)), settleMs_(settleMs < 0 ? 0 : settleMs) {
    shown_ = scene_.light();
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

void DisplaySim::show(const PatternState &state) {
    const Tristimulus t = sensorLight(model_, state);
    {
        std::lock_guard<std::mutex> lock(lock_);
        // A change mid-way starts from where the panel is now.
        from_ = shown_;
        target_ = t;
        changedAt_ = Clock::now();
        settling_ = settleMs_ > 0;
        if (!settling_) {
            shown_ = t;
            scene_.setXYZ(t.X, t.Y, t.Z);
        }
    }
    wake_.notify_all();
}

Tristimulus DisplaySim::target() const {
    std::lock_guard<std::mutex> lock(lock_);
    return target_;
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
        scene_.setXYZ(shown_.X, shown_.Y, shown_.Z);
        if (settling_)
            wake_.wait_for(lock, std::chrono::milliseconds(tickMs));
    }
}

} // namespace sim
