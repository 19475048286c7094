// The flicker analysis on synthetic buffers with known answers: the FFT
// against a naive DFT, bins, the JEITA curve, sine peaks in both spectra,
// the percent and decibel conventions, the response correction, the time
// axis, peaks, and buffers that hold no light.
#include "flickeranalysis.h"
#include "flickerresponse.h"
#include "measurement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>

using namespace clmtr;

namespace {

constexpr double pi = 3.14159265358979323846;

FlickerSettings plainSettings(int n, int rate) {
    FlickerSettings s;
    s.sampleCount = n;
    s.sampleRate = rate;
    s.windowOn = false;
    s.binMerge = false;
    s.jeitaDiscountDb = false;
    s.jeitaDiscountPercent = false;
    return s;
}

std::vector<double> sine(int n, int rate, double hz, double depth, double mean = 20000) {
    std::vector<double> s(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        s[static_cast<std::size_t>(i)] = mean * (1 + depth * std::sin(2 * pi * hz * i / rate));
    return s;
}

Flicker analyse(const FlickerSettings &settings, const std::vector<double> &samples,
                long counter = 100, double y = 50) {
    Flicker f;
    f.settings = settings;
    analyseFlicker(f, samples, counter, y);
    return f;
}

} // namespace

TEST(FlickerFft, MatchesNaiveDftWithPositiveExponent) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-1000, 1000);
    for (int n = 1; n <= 2048; n *= 2) {
        std::vector<double> re(static_cast<std::size_t>(n)), im(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            re[static_cast<std::size_t>(i)] = u(rng);
            im[static_cast<std::size_t>(i)] = u(rng);
        }
        std::vector<std::complex<double>> expect(static_cast<std::size_t>(n));
        for (int k = 0; k < n; ++k) {
            std::complex<double> sum;
            for (int j = 0; j < n; ++j) {
                const double a = 2 * pi * static_cast<double>((static_cast<long>(j) * k) % n) / n;
                sum += std::complex<double>(re[static_cast<std::size_t>(j)],
                                            im[static_cast<std::size_t>(j)]) *
                       std::polar(1.0, a);
            }
            expect[static_cast<std::size_t>(k)] = sum;
        }
        fft(re.data(), im.data(), n);
        const double tol = 1e-11 * 1000 * n;
        for (int k = 0; k < n; ++k) {
            const auto kk = static_cast<std::size_t>(k);
            ASSERT_NEAR(re[kk], expect[kk].real(), tol) << "n " << n << " bin " << k;
            ASSERT_NEAR(im[kk], expect[kk].imag(), tol) << "n " << n << " bin " << k;
        }
    }
}

TEST(FlickerBins, CountsAndSampleCountRule) {
    EXPECT_EQ(flickerBinCount(256), 101);
    EXPECT_EQ(flickerBinCount(64), 26);
    EXPECT_EQ(flickerBinCount(2048), 801);
    EXPECT_EQ(flickerBinCount(512), 201);
    for (int n : {64, 128, 256, 512, 1024, 2048})
        EXPECT_TRUE(validSampleCount(n)) << n;
    for (int n : {0, 1, 32, 63, 65, 96, 1000, 4096, -64})
        EXPECT_FALSE(validSampleCount(n)) << n;
}

TEST(JeitaWeight, PublishedPointsInterpolationAndCutoff) {
    const auto &t = jeitaTable();
    EXPECT_DOUBLE_EQ(t[0], 1.0);
    EXPECT_DOUBLE_EQ(t[20], 1.0);
    EXPECT_NEAR(t[21], 0.970795, 1e-6);
    EXPECT_DOUBLE_EQ(t[30], 0.707946);
    EXPECT_NEAR(t[31], 0.68727, 1e-5);
    EXPECT_NEAR(t[51], 0.22707, 1e-5);
    EXPECT_DOUBLE_EQ(t[60], 0.01);
    EXPECT_DOUBLE_EQ(t[61], 0.005158);
    EXPECT_DOUBLE_EQ(t[62], 0.000316);
    EXPECT_DOUBLE_EQ(t[63], 0.0);
    EXPECT_DOUBLE_EQ(jeitaWeight(10.5), 1.0);
    EXPECT_NEAR(jeitaWeight(25), (1.0 + 0.707946) / 2, 1e-12);
    EXPECT_NEAR(jeitaWeight(61.5), (0.005158 + 0.000316) / 2, 1e-12);
    EXPECT_EQ(jeitaWeight(62), 0.0);
    EXPECT_EQ(jeitaWeight(100), 0.0);
}

TEST(FlickerSpectrum, SineAtBinCentrePeaksThereWithKnownHeight) {
    // 20 % modulation at 30 Hz; 256 samples at 256 samples/s put it on bin 30,
    // whose unwindowed magnitude relative to the mean is depth / 2.
    const double depth = 0.2;
    FlickerSettings s = plainSettings(256, 256);
    s.normalized = 1;
    s.jeita = 1;
    const Flicker f = analyse(s, sine(256, 256, 30, depth));
    ASSERT_EQ(f.spectrumPercent.rows(), 101);
    EXPECT_DOUBLE_EQ(f.spectrumPercent[30][0], 30.0);
    EXPECT_DOUBLE_EQ(f.spectrumPercent[0][1], 100.0);
    EXPECT_DOUBLE_EQ(f.spectrumDb[0][1], 0.0);
    EXPECT_DOUBLE_EQ(f.peaksPercent[0][0], 30.0);
    EXPECT_NEAR(f.peaksPercent[0][1], 100 * 1.046 * depth / 2, 1e-9);
    EXPECT_DOUBLE_EQ(f.peaksDb[0][0], 30.0);
    EXPECT_NEAR(f.peaksDb[0][1], 20 * std::log10(std::sqrt(2.0) * 1.046 * depth / 2), 1e-9);
    EXPECT_NEAR(f.amplitude[30][1], 1.046 * depth / 2, 1e-12);
    EXPECT_NEAR(f.amplitude[0][1], 256 * 20000.0, 1e-6); // the DC magnitude itself

    // The same at 384 samples/s lands on 1.5 Hz bins: 45 Hz is bin 30.
    const Flicker g = analyse(plainSettings(256, 384), sine(256, 384, 45, depth));
    EXPECT_DOUBLE_EQ(g.peaksPercent[0][0], 45.0);
    EXPECT_DOUBLE_EQ(g.peaksDb[0][0], 45.0);
}

TEST(FlickerSpectrum, WindowAndMergeKeepTheSineHeight) {
    // The window halves the peak bin and spreads a quarter to each side; the
    // merge and its 0.819 put the height back at about depth / 2.
    FlickerSettings s = plainSettings(512, 256);
    s.windowOn = true;
    s.binMerge = true;
    s.normalized = 1;
    const Flicker f = analyse(s, sine(512, 256, 40, 0.3));
    EXPECT_DOUBLE_EQ(f.peaksPercent[0][0], 40.0);
    EXPECT_NEAR(f.peaksPercent[0][1], 100 * 0.3 / 2, 0.02 * 15);
    EXPECT_NEAR(f.spectrumPercent[80][1], 100 * 0.3 / 2, 0.02 * 15); // 0.5 Hz bins
}

TEST(FlickerSpectrum, ContrastIsFourTimesNormalizedAndVesaAddsThreeDb) {
    FlickerSettings s = plainSettings(256, 384);
    s.windowOn = true;
    s.binMerge = true;
    std::vector<double> x = sine(256, 384, 27, 0.1);
    std::mt19937 rng(3);
    std::normal_distribution<double> noise(0, 30);
    for (double &v : x)
        v += noise(rng);

    s.normalized = 0;
    s.jeita = 0;
    const Flicker contrastVesa = analyse(s, x);
    s.normalized = 1;
    s.jeita = 1;
    const Flicker normalizedJeita = analyse(s, x);
    for (int k = 1; k < contrastVesa.spectrumPercent.rows(); ++k) {
        EXPECT_NEAR(contrastVesa.spectrumPercent[k][1], 4 * normalizedJeita.spectrumPercent[k][1],
                    1e-9)
            << k;
        EXPECT_NEAR(contrastVesa.spectrumDb[k][1], normalizedJeita.spectrumDb[k][1] + 3.01, 1e-9)
            << k;
    }
}

TEST(FlickerSpectrum, JeitaDiscountsSilenceFrom62Hz) {
    FlickerSettings s = plainSettings(256, 384);
    s.windowOn = true;
    s.binMerge = true;
    s.jeitaDiscountDb = true;
    s.jeitaDiscountPercent = true;
    std::vector<double> x = sine(256, 384, 90, 0.3);
    std::mt19937 rng(5);
    std::normal_distribution<double> noise(0, 50);
    for (double &v : x)
        v += noise(rng);
    const Flicker f = analyse(s, x);
    s.jeitaDiscountDb = false;
    s.jeitaDiscountPercent = false;
    const Flicker plain = analyse(s, x);

    int cut = 0;
    for (int k = 1; k < f.spectrumDb.rows(); ++k) {
        const double hz = f.spectrumDb[k][0];
        if (hz >= 62) {
            ++cut;
            EXPECT_EQ(f.spectrumDb[k][1], -100.0) << hz;
            EXPECT_EQ(f.spectrumPercent[k][1], 0.0) << hz;
        } else {
            const double w = jeitaWeight(hz);
            EXPECT_NEAR(f.spectrumPercent[k][1], plain.spectrumPercent[k][1] * w, 1e-9) << hz;
            EXPECT_NEAR(f.spectrumDb[k][1], plain.spectrumDb[k][1] + 20 * std::log10(w), 1e-9)
                << hz;
        }
    }
    EXPECT_EQ(cut, 101 - 42); // 1.5 Hz bins: 62 Hz and up from bin 42
    // The 90 Hz sine dominates the plain spectrum and is gone from the weighted one.
    EXPECT_NEAR(plain.peaksDb[0][0], 90.0, 1.5);
    EXPECT_LT(f.peaksDb[0][0], 62.0);
}

TEST(FlickerSpectrum, ResponseCorrectionScalesEachFrequencyAgainstTheMean) {
    // H is 2 up to 70 Hz and 3 above: bins under 70 Hz keep their ratio to
    // the mean (also corrected by 2), bins above gain 1.5.
    PairResponse pair{};
    pair.table.fill(2.0);
    pair.cubic = {3.0, 0, 0, 0};
    FlickerSettings s = plainSettings(256, 256);
    const std::vector<double> x = [] {
        std::vector<double> a = sine(256, 256, 40, 0.1);
        const std::vector<double> b = sine(256, 256, 80, 0.1);
        for (std::size_t i = 0; i < a.size(); ++i)
            a[i] += b[i] - 20000;
        return a;
    }();
    const Flicker plain = analyse(s, x);
    s.response = responseSegments(pair);
    const Flicker corrected = analyse(s, x);
    EXPECT_NEAR(corrected.spectrumPercent[40][1], plain.spectrumPercent[40][1], 1e-9);
    EXPECT_NEAR(corrected.spectrumPercent[80][1], 1.5 * plain.spectrumPercent[80][1], 1e-9);
    EXPECT_DOUBLE_EQ(corrected.peaksPercent[0][0], 80.0);
    EXPECT_DOUBLE_EQ(corrected.peaksPercent[1][0], 40.0);
}

TEST(FlickerSignal, TimeAxisFollowsThePacketCounterAndNitsFollowTheNewestPacket) {
    std::vector<double> x(64, 1000);
    for (int i = 32; i < 64; ++i)
        x[static_cast<std::size_t>(i)] = 2000; // the newest packet: mean 2000 counts
    FlickerSettings s = plainSettings(64, 256);
    const Flicker f = analyse(s, x, 10, 40.0);
    ASSERT_EQ(f.signalCounts.rows(), 64);
    // t0 = (32 * 10 - 64) / 256 s = 1 s.
    EXPECT_DOUBLE_EQ(f.signalCounts[0][0], 1.0);
    EXPECT_DOUBLE_EQ(f.signalCounts[63][0], 1.0 + 63.0 / 256);
    EXPECT_DOUBLE_EQ(f.signalCounts[5][1], 1000.0);
    EXPECT_DOUBLE_EQ(f.signalNits[5][0], f.signalCounts[5][0]);
    EXPECT_DOUBLE_EQ(f.signalNits[5][1], 20.0); // 1000 * 40 / 2000
    EXPECT_DOUBLE_EQ(f.signalNits[40][1], 40.0);
    EXPECT_DOUBLE_EQ(f.y, 40.0);

    const Flicker none = analyse(s, x, 2, -1);
    EXPECT_DOUBLE_EQ(none.signalNits[63][0], 63.0 / 256);
    EXPECT_DOUBLE_EQ(none.signalNits[63][1], 0.0); // no luminance: times only
}

TEST(FlickerPeaks, StrictNeighboursLastBinAndDescendingInsertion) {
    matrix spectrum(8, 2);
    const double values[8] = {100, 5, 7, 7, 3, 9, 1, 4};
    for (int k = 0; k < 8; ++k) {
        spectrum[k][0] = k;
        spectrum[k][1] = values[k];
    }
    matrix peaks(3, 2);
    findPeaks(spectrum, peaks);
    // Bin 2 ties bin 3 (no peak), bin 3 is not above bin 2; bin 5 is; the
    // last bin needs only its left neighbour; bin 0 never counts.
    EXPECT_DOUBLE_EQ(peaks[0][0], 5);
    EXPECT_DOUBLE_EQ(peaks[0][1], 9);
    EXPECT_DOUBLE_EQ(peaks[1][0], 7);
    EXPECT_DOUBLE_EQ(peaks[1][1], 4);
    EXPECT_DOUBLE_EQ(peaks[2][0], 0);
    EXPECT_DOUBLE_EQ(peaks[2][1], 0);

    // Peaks no greater than the empty rows' value stay out (dB lists start at -100).
    matrix db(3, 2);
    for (int r = 0; r < 3; ++r)
        db[r][1] = -100;
    matrix low(4, 2);
    const double lowValues[4] = {0, -120, -100, -130};
    for (int k = 0; k < 4; ++k)
        low[k][1] = lowValues[k];
    findPeaks(low, db);
    EXPECT_DOUBLE_EQ(db[0][1], -100);
    EXPECT_DOUBLE_EQ(db[0][0], 0);
}

TEST(FlickerSpectrum, SteadyLightShowsNoFlicker) {
    FlickerSettings s = plainSettings(256, 384);
    s.windowOn = true;
    s.binMerge = true;
    const Flicker f = analyse(s, std::vector<double>(256, 30000.0));
    for (int k = 1; k < f.spectrumPercent.rows(); ++k)
        EXPECT_LT(f.spectrumPercent[k][1], 2.0) << k; // window leakage only, at the lowest bins
    for (int k = 10; k < f.spectrumPercent.rows(); ++k)
        EXPECT_LT(f.spectrumPercent[k][1], 0.05) << k;
}

TEST(FlickerSpectrum, DarkBufferGivesZerosNotNaN) {
    FlickerSettings s = plainSettings(128, 256);
    s.windowOn = true;
    s.binMerge = true;
    const Flicker f = analyse(s, std::vector<double>(128, 0.0), 4, 12.0);
    for (int k = 1; k < f.spectrumPercent.rows(); ++k) {
        EXPECT_EQ(f.spectrumPercent[k][1], 0.0) << k;
        EXPECT_EQ(f.spectrumDb[k][1], -100.0) << k;
    }
    EXPECT_EQ(f.signalNits[3][1], 0.0);
    EXPECT_EQ(f.peaksPercent[0][1], 0.0);
    EXPECT_EQ(f.peaksDb[0][1], -100.0);
}

TEST(FlickerSpectrum, WrongBufferSizeIsAnInternalFailure) {
    Flicker f;
    f.settings = plainSettings(256, 256);
    analyseFlicker(f, std::vector<double>(100, 1.0), 1, 1);
    EXPECT_EQ(f.errorCode, ErrorBits::Internal);
    EXPECT_TRUE(f.spectrumPercent.isEmpty());
}
