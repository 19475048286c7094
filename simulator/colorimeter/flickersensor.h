#pragma once
// The video colorimeter's luminance channel while it streams: the light
// through the sensor's low-pass, sampled at the stream's rate. The sensor is
// slower on low ranges; the instrument reports its response per range pair
// in the "P4" reply, so the host can correct for it.

#include "flickerwave.h"
#include "flickerwire.h"

#include <array>

namespace sim {

class FlickerSensor {
public:
    static constexpr int oversample = 16; // filter steps per sample

    // Corner of the second-order low-pass for range pair 0 (ranges 1-2) to 2.
    static double cutoff(int pair); // Hz
    // The gain correction 1/|H(f)|, normalised to 1 at 1 Hz, of the sensor
    // as it runs at the given sample rate.
    static double gainCorrection(double f, int pair, int sampleRate);
    // The "P4" values: 32768 / g(2j + 1) for j = 0 to 63, per pair.
    static clmtrwire::ResponseValues responseValues(int sampleRate);

    struct Packet {
        std::array<double, 32> level; // relative to the mean, through the sensor
        double mean = 1;              // the light's mean level over the packet
    };

    explicit FlickerSensor(int sampleRate = 256) { restart(sampleRate); }
    // Time 0, the filter settled on a steady light, no flash under way.
    void restart(int sampleRate);
    void setPair(int pair);
    int sampleRate() const { return rate_; }
    // The next 32 samples of the wave (flashes asked for since the last call
    // start at the next sample).
    Packet next(const FlickerWave &wave);
    double time() const { return static_cast<double>(sample_) / rate_; } // s

private:
    void design(); // biquad for the current pair and rate

    int rate_ = 256; // samples/s
    int pair_ = 1;
    long long sample_ = 0;
    double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    double z1_ = 0, z2_ = 0;
    uint64_t flashesSeen_ = 0;
    double flashEnd_ = -1; // s
    double flashGain_ = 0;
};

} // namespace sim
