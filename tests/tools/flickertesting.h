#pragma once
// Shared by the flicker tool's tests: a measuring device that streams only
// when told to, and scripted records shaped like the instrument's.

#include "fakemeter.h"
#include "flicker.h"
#include "measurement.h"

#include <cmath>

class FlickerMeter : public FakeMeter {
    Q_OBJECT
public:
    int startResult = 0;
    bool flickering = false;
    int samples = 64;
    bool isFlickering() override { return flickering; }
    int startFlicker(bool restart) override {
        FakeMeter::startFlicker(restart);
        flickering = startResult == 0;
        return startResult;
    }
    void stopFlicker() override {
        FakeMeter::stopFlicker();
        flickering = false;
    }
    int setFlickerSamples(int n) override {
        FakeMeter::setFlickerSamples(n);
        samples = n;
        return 0;
    }
    int flickerSamples() override { return samples; }
    int range() override { return -1; }
};

// Record c (from 1) of a 64-sample stream at 256 samples/s: a steady light of
// 20000 counts with a 30 Hz ripple, and a flash of +40 % over ten samples
// starting at sample flashAt (none when negative).
inline Flicker scriptedRecord(int c, int flashAt = -1, uint32_t errorCode = 0) {
    constexpr int n = 64, rate = 256;
    Flicker f;
    f.y = 48.25;
    f.range = 3;
    f.errorCode = errorCode;
    f.settings.sampleCount = n;
    f.signalCounts = matrix(n, 2);
    f.signalNits = matrix(n, 2);
    for (int i = 0; i < n; ++i) {
        const int k = 32 * c - n + i; // sample number since the start
        const double t = double(k) / rate;
        double counts = 20000 + 100 * std::sin(2 * M_PI * 30 * t);
        if (flashAt >= 0 && k >= flashAt && k < flashAt + 10)
            counts *= 1.4;
        f.signalCounts(i, 0) = f.signalNits(i, 0) = t;
        f.signalCounts(i, 1) = std::round(counts);
        f.signalNits(i, 1) = std::round(counts) * f.y / 20000;
    }
    const int bins = 26;
    f.spectrumPercent = matrix(bins, 2);
    f.spectrumDb = matrix(bins, 2);
    for (int k = 0; k < bins; ++k) {
        const double hz = k * 4.0;
        f.spectrumPercent(k, 0) = f.spectrumDb(k, 0) = hz;
        f.spectrumPercent(k, 1) = k == 0 ? 100 : (hz == 32 ? 2.0 : 0.05 * (k % 3));
        f.spectrumDb(k, 1) = k == 0 ? 0 : 20 * std::log10(f.spectrumPercent(k, 1) / 100 + 1e-5);
    }
    const double peaks[3][2] = {{32, 2.0}, {8, 0.1}, {20, 0.1}};
    for (int r = 0; r < 3; ++r) {
        f.peaksPercent(r, 0) = f.peaksDb(r, 0) = peaks[r][0];
        f.peaksPercent(r, 1) = peaks[r][1];
        f.peaksDb(r, 1) = 20 * std::log10(peaks[r][1] / 100);
    }
    return f;
}
