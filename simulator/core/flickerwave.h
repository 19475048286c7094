#pragma once
// How the scene's luminance varies in time around its mean: steady, a sine,
// or a square wave (PWM), plus single flashes on demand. Instruments that
// sample fast enough to see it (the video colorimeter's stream) ask for the
// relative level at their own sample times; everything else sees the mean.

#include <atomic>
#include <cstdint>
#include <mutex>

namespace sim {

class FlickerWave {
public:
    enum class Shape { Steady, Sine, Square };
    struct Settings {
        Shape shape = Shape::Steady;
        double frequency = 0; // Hz
        // Sine: amplitude as a fraction of the mean. Square: the fraction by
        // which the light drops in the off part of each period.
        double depth = 0;
        double duty = 0.5; // square: fraction of each period at the high level
    };
    struct Flash {
        double gain = 1.0;      // the light rises by this fraction of its level
        double duration = 0.05; // s
    };

    // False (and nothing changed) for a frequency outside 0 to 10000 Hz, a
    // depth outside 0 to 1 or a duty outside 0.01 to 0.99.
    bool set(const Settings &s);
    Settings settings() const;
    void setSteady() { set(Settings{}); }

    // Level at time t (s) relative to the mean; the mean over a period is 1.
    double level(double t) const;
    // The largest level the waveform reaches (flashes aside).
    double peak() const;

    // Asks for one flash; a stream starts it at its next sample.
    void flash(const Flash &f);
    // Flashes asked for so far, and the last one's shape.
    uint64_t flashCount() const { return flashes_; }
    Flash lastFlash() const;

    // The same for given settings, without the lock.
    static double levelOf(const Settings &s, double t);

private:
    mutable std::mutex lock_;
    Settings settings_;
    Flash flash_;
    std::atomic<uint64_t> flashes_{0};
};

} // namespace sim
