#include "flickersensor.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {
constexpr double pi = 3.14159265358979323846;
const double cutoffs[3] = {13, 15, 17}; // Hz: faster on the higher ranges

// The bilinear transform maps f to tan(pi f / fs); the response of the
// digital filter follows the warped frequency exactly.
double warped(double f, double fs) {
    return std::tan(pi * f / fs);
}
} // namespace

double FlickerSensor::cutoff(int pair) {
    return cutoffs[std::clamp(pair, 0, 2)];
}

double FlickerSensor::gainCorrection(double f, int pair, int sampleRate) {
    const double fs = static_cast<double>(sampleRate) * oversample;
    const double k = warped(cutoff(pair), fs);
    auto g = [&](double hz) { return std::sqrt(1 + std::pow(warped(hz, fs) / k, 4)); };
    return g(f) / g(1);
}

clmtrwire::ResponseValues FlickerSensor::responseValues(int sampleRate) {
    clmtrwire::ResponseValues v{};
    for (int pair = 0; pair < 3; ++pair) {
        for (int j = 0; j < 64; ++j) {
            const double g = gainCorrection(2 * j + 1, pair, sampleRate);
            const long value = std::lround(32768.0 / g);
            v[static_cast<std::size_t>(pair)][static_cast<std::size_t>(j)] =
                static_cast<uint16_t>(std::clamp(value, 1L, 65535L));
        }
    }
    return v;
}

void FlickerSensor::restart(int sampleRate) {
    rate_ = sampleRate > 0 ? sampleRate : 256;
    sample_ = 0;
    flashEnd_ = -1;
    design();
    // Settled on a steady light of level 1: y = x = 1 in the transposed
    // direct form.
    z2_ = b2_ - a2_;
    z1_ = b1_ - a1_ + z2_;
}

void FlickerSensor::setPair(int pair) {
    pair = std::clamp(pair, 0, 2);
    if (pair == pair_)
        return;
    pair_ = pair;
    design();
}

void FlickerSensor::design() {
    const double fs = static_cast<double>(rate_) * oversample;
    const double k = warped(cutoff(pair_), fs);
    const double norm = 1 / (1 + std::sqrt(2.0) * k + k * k);
    b0_ = k * k * norm;
    b1_ = 2 * b0_;
    b2_ = b0_;
    a1_ = 2 * (k * k - 1) * norm;
    a2_ = (1 - std::sqrt(2.0) * k + k * k) * norm;
}

FlickerSensor::Packet FlickerSensor::next(const FlickerWave &wave) {
    const FlickerWave::Settings settings = wave.settings();
    const double dt = 1.0 / (static_cast<double>(rate_) * oversample); // s
    Packet p;
    double sum = 0;
    for (std::size_t i = 0; i < p.level.size(); ++i, ++sample_) {
        const double t0 = static_cast<double>(sample_) / rate_;
        if (wave.flashCount() != flashesSeen_) {
            flashesSeen_ = wave.flashCount();
            const FlickerWave::Flash f = wave.lastFlash();
            flashGain_ = f.gain;
            flashEnd_ = t0 + f.duration;
        }
        double y = 0;
        for (int s = 0; s < oversample; ++s) {
            const double t = t0 + s * dt;
            double x = FlickerWave::levelOf(settings, t);
            if (t < flashEnd_)
                x *= 1 + flashGain_;
            sum += x;
            y = b0_ * x + z1_;
            z1_ = b1_ * x - a1_ * y + z2_;
            z2_ = b2_ * x - a2_ * y;
        }
        p.level[i] = y;
    }
    p.mean = sum / (p.level.size() * oversample);
    return p;
}

} // namespace sim
