#include "flickerwave.h"

#include <cmath>

namespace sim {

namespace {
constexpr double twoPi = 6.28318530717958647692;
} // namespace

bool FlickerWave::set(const Settings &s) {
    if (!(s.frequency >= 0 && s.frequency <= 10000) || !(s.depth >= 0 && s.depth <= 1) ||
        !(s.duty >= 0.01 && s.duty <= 0.99))
        return false;
    std::lock_guard<std::mutex> lock(lock_);
    settings_ = s;
    return true;
}

FlickerWave::Settings FlickerWave::settings() const {
    std::lock_guard<std::mutex> lock(lock_);
    return settings_;
}

double FlickerWave::levelOf(const Settings &s, double t) {
    switch (s.shape) {
    case Shape::Steady:
        return 1.0;
    case Shape::Sine:
        return 1.0 + s.depth * std::sin(twoPi * s.frequency * t);
    case Shape::Square: {
        // High for the duty part of each period, (1 - depth) of that after,
        // scaled so the mean stays 1.
        const double high = 1.0 / (1.0 - s.depth * (1.0 - s.duty));
        const double phase = s.frequency * t - std::floor(s.frequency * t);
        return phase < s.duty ? high : high * (1.0 - s.depth);
    }
    }
    return 1.0;
}

double FlickerWave::level(double t) const {
    return levelOf(settings(), t);
}

double FlickerWave::peak() const {
    const Settings s = settings();
    switch (s.shape) {
    case Shape::Steady:
        return 1.0;
    case Shape::Sine:
        return 1.0 + s.depth;
    case Shape::Square:
        return 1.0 / (1.0 - s.depth * (1.0 - s.duty));
    }
    return 1.0;
}

void FlickerWave::flash(const Flash &f) {
    {
        std::lock_guard<std::mutex> lock(lock_);
        flash_ = f;
    }
    ++flashes_;
}

FlickerWave::Flash FlickerWave::lastFlash() const {
    std::lock_guard<std::mutex> lock(lock_);
    return flash_;
}

} // namespace sim
