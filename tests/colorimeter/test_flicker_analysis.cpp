// The flicker analysis on synthetic buffers with known answers: sine peaks in
// both spectra, the window and bin merge, the JEITA weights, the time axis,
// peaks, and buffers that hold no light. The methods' scales and the sensor's
// response correction are checked end to end.
#include "flickeranalysis.h"
#include "measurement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace clmtr;

namespace {

constexpr double pi = 3.14159265358979323846;

FlickerSettings plain(int n, int rate) {
    FlickerSettings s;
    s.sampleCount = n;
    s.sampleRate = rate;
    s.windowOn = s.binMerge = s.jeitaDiscountDb = s.jeitaDiscountPercent = false;
    return s;
}

FlickerSettings windowed(int n, int rate) {
    FlickerSettings s = plain(n, rate);
    s.windowOn = s.binMerge = true;
    return s;
}

// A sine around a mean, plus noise when asked for.
std::vector<double> sine(int n, int rate, double hz, double depth, double noise = 0) {
    std::mt19937 rng(3);
    std::normal_distribution<double> jitter(0, noise > 0 ? noise : 1);
    std::vector<double> s;
    for (int i = 0; i < n; ++i)
        s.push_back(20000 * (1 + depth * std::sin(2 * pi * hz * i / rate)) +
                    (noise > 0 ? jitter(rng) : 0));
    return s;
}

Flicker analyse(const FlickerSettings &settings, const std::vector<double> &samples,
                long counter = 100, double y = 50) {
    Flicker f;
    f.settings = settings;
    analyseFlicker(f, samples, counter, y);
    return f;
}

TEST(FlickerSpectrum, ASineAtABinCentrePeaksThereWithItsHeight) {
    // 20 % at 30 Hz, 256 samples at 256/s: bin 30, relative magnitude depth / 2.
    FlickerSettings s = plain(256, 256);
    s.normalized = s.jeita = 1;
    const Flicker f = analyse(s, sine(256, 256, 30, 0.2));
    ASSERT_EQ(f.spectrumPercent.rows(), 101);
    EXPECT_DOUBLE_EQ(f.spectrumPercent[0][1], 100.0);
    EXPECT_DOUBLE_EQ(f.peaksPercent[0][0], 30.0);
    EXPECT_NEAR(f.peaksPercent[0][1], 100 * 1.046 * 0.1, 1e-9);
    EXPECT_DOUBLE_EQ(f.peaksDb[0][0], 30.0);
    EXPECT_NEAR(f.peaksDb[0][1], 20 * std::log10(std::sqrt(2.0) * 1.046 * 0.1), 1e-9);
    // At 384/s the bins are 1.5 Hz: 45 Hz is bin 30.
    EXPECT_DOUBLE_EQ(analyse(plain(256, 384), sine(256, 384, 45, 0.2)).peaksDb[0][0], 45.0);
    // The window halves the peak bin and spreads a quarter each side; the
    // merge and its 0.819 put the height back at about depth / 2.
    s = windowed(512, 256);
    s.normalized = 1;
    const Flicker w = analyse(s, sine(512, 256, 40, 0.3));
    EXPECT_DOUBLE_EQ(w.peaksPercent[0][0], 40.0);
    EXPECT_NEAR(w.peaksPercent[0][1], 15, 0.3);
}

TEST(FlickerSpectrum, JeitaDiscountWeightsAndSilencesFrom62Hz) {
    // Published points, linear between them, nothing from 62 Hz.
    EXPECT_NEAR(jeitaWeight(21), 0.970795, 1e-6);
    EXPECT_NEAR(jeitaWeight(25), (1.0 + 0.707946) / 2, 1e-12);
    EXPECT_DOUBLE_EQ(jeitaWeight(61), 0.005158);
    FlickerSettings s = windowed(256, 384);
    const std::vector<double> x = sine(256, 384, 90, 0.3, 50);
    const Flicker unweighted = analyse(s, x);
    s.jeitaDiscountDb = s.jeitaDiscountPercent = true;
    const Flicker f = analyse(s, x);
    for (int k = 1; k < f.spectrumDb.rows(); ++k) {
        const double hz = f.spectrumDb[k][0], w = jeitaWeight(hz);
        EXPECT_NEAR(f.spectrumPercent[k][1], unweighted.spectrumPercent[k][1] * w, 1e-9) << hz;
        EXPECT_TRUE(hz < 62 || f.spectrumDb[k][1] == -100.0) << hz;
    }
    EXPECT_NEAR(unweighted.peaksDb[0][0], 90.0, 1.5); // the 90 Hz sine is gone when weighted
    EXPECT_LT(f.peaksDb[0][0], 62.0);
}

TEST(FlickerSpectrum, NoLightGivesZerosNotNaNAndAWrongSizeAnInternalFailure) {
    const Flicker f = analyse(windowed(128, 256), std::vector<double>(128, 0.0), 4, 12.0);
    for (int k = 1; k < f.spectrumPercent.rows(); ++k) {
        EXPECT_EQ(f.spectrumPercent[k][1], 0.0) << k;
        EXPECT_EQ(f.spectrumDb[k][1], -100.0) << k;
    }
    EXPECT_EQ(f.signalNits[3][1], 0.0);
    const Flicker wrong = analyse(plain(256, 256), std::vector<double>(100, 1.0));
    EXPECT_EQ(wrong.errorCode, ErrorBits::Internal);
    EXPECT_TRUE(wrong.spectrumPercent.isEmpty());
}

} // namespace
