// The simulated bench's physics: built-in displays as spectra, a colorimeter
// that reads them through its own filters (so its factory error depends on
// the spectrum in front of it), and noise that falls as the light rises, in
// the colorimeter and in the reference instruments alike.
#include "colorimetersim.h"
#include "displaymodel.h"
#include "protocol.h"
#include "ptyclient.h"
#include "referenceoptics.h"
#include "simulator.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

struct Xy {
    double x, y;
};

Xy chromaticity(const sim::Tristimulus &t) {
    const double sum = t.X + t.Y + t.Z;
    return {t.X / sum, t.Y / sum};
}

Xy chromaticity(const sim::Spectrum &s) {
    double t[3];
    sim::spectrumXYZ(s, t);
    return chromaticity(sim::Tristimulus{t[0], t[1], t[2]});
}

double distance(const Xy &a, const Xy &b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

// The colorimeter's largest xy error on its factory calibration over a
// display's white and primaries.
double factoryError(const sim::DisplayModel &m) {
    const int codes[4][3] = {{255, 255, 255}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    double worst = 0;
    for (const auto &c : codes) {
        const sim::Spectrum s = sim::displaySpectrum(m, c[0], c[1], c[2]);
        worst = std::max(
            worst, distance(chromaticity(s), chromaticity(sim::ColorimeterSim::factoryReading(s))));
    }
    return worst;
}

// How wide a display's primaries are: the mean of their equivalent widths
// ((∫s)² / ∫s², nm), a few nm for lines, about 100 for broad bands.
double primaryWidth(const sim::DisplayModel &m) {
    double total = 0;
    for (const sim::Spectrum &p : m.primaries) {
        const double a = std::accumulate(p.begin(), p.end(), 0.0);
        const double b = std::inner_product(p.begin(), p.end(), p.begin(), 0.0);
        total += a * a / b / 3;
    }
    return total;
}

std::vector<double> ranks(const std::vector<double> &v) {
    std::vector<std::size_t> order(v.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return v[a] < v[b]; });
    std::vector<double> r(v.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        r[order[i]] = static_cast<double>(i);
    return r;
}

double standardDeviation(const std::vector<double> &v) {
    const double mean = std::accumulate(v.begin(), v.end(), 0.0) / v.size();
    double sum = 0;
    for (double x : v)
        sum += (x - mean) * (x - mean);
    return std::sqrt(sum / (v.size() - 1));
}

} // namespace

TEST(SimPhysics, TheFactoryErrorGrowsAsThePrimariesNarrow) {
    // Calibrated on illuminant A, the colorimeter reads A exactly.
    const Xy a = chromaticity(sim::illuminantA());
    EXPECT_LT(distance(a, chromaticity(sim::ColorimeterSim::factoryReading(sim::illuminantA()))),
              1e-9);
    std::vector<double> widths, errors;
    for (const sim::DisplayModel &m : sim::displayModels()) {
        widths.push_back(primaryWidth(m));
        errors.push_back(factoryError(m));
        // Wrong by what real instruments show, never by what would make the
        // profile checks take the instruments for disagreeing.
        EXPECT_GT(errors.back(), 0.002) << m.name;
        EXPECT_LT(errors.back(), 0.03) << m.name;
    }
    // Spearman's rank correlation between width and error: strongly negative.
    const std::vector<double> rw = ranks(widths), re = ranks(errors);
    double d2 = 0;
    for (std::size_t i = 0; i < rw.size(); ++i)
        d2 += (rw[i] - re[i]) * (rw[i] - re[i]);
    const double n = static_cast<double>(rw.size());
    EXPECT_LT(1 - 6 * d2 / (n * (n * n - 1)), -0.7);
    // The laser's lines read worst of all, the broadest display best.
    const auto widest = std::max_element(widths.begin(), widths.end()) - widths.begin();
    const auto narrowest = std::min_element(widths.begin(), widths.end()) - widths.begin();
    EXPECT_EQ(*std::min_element(errors.begin(), errors.end()), errors[widest]);
    EXPECT_EQ(*std::max_element(errors.begin(), errors.end()), errors[narrowest]);
    EXPECT_EQ(sim::displayModels()[narrowest].name, "laser");
}

TEST(SimPhysics, TunedDisplaysLandOnTheirPrimaries) {
    const struct {
        const char *name;
        Xy red, green, blue, white;
    } cases[] = {
        {"rec709", {0.643, 0.334}, {0.296, 0.604}, {0.152, 0.062}, {0.3135, 0.3282}},
        {"ccfl-lcd", {0.643, 0.334}, {0.296, 0.604}, {0.152, 0.062}, {0.3135, 0.3282}},
        {"p3", {0.678, 0.321}, {0.268, 0.687}, {0.151, 0.062}, {0.3130, 0.3286}},
        {"oled", {0.675, 0.322}, {0.270, 0.684}, {0.141, 0.056}, {0.3127, 0.3290}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const sim::DisplayModel &m = *sim::findDisplayModel(c.name);
        EXPECT_LT(distance(chromaticity(m.primaries[0]), c.red), 0.004);
        EXPECT_LT(distance(chromaticity(m.primaries[1]), c.green), 0.004);
        EXPECT_LT(distance(chromaticity(m.primaries[2]), c.blue), 0.004);
        EXPECT_LT(distance(chromaticity(sim::displayLight(m, 255, 255, 255)), c.white), 1e-6);
        EXPECT_NEAR(sim::displayLight(m, 255, 255, 255).Y, m.whiteY, 1e-6);
    }
}

// The colorimeter on its pseudo-terminal, answering at once, with its
// ordinary noise unless told otherwise.
class ColorimeterBench : public ::testing::Test {
protected:
    void start(double noise = 1) {
        sim::SimulatorOptions o;
        o.dir = dir_.path();
        o.colorimeter.timeScale = 0;
        o.colorimeter.noise = noise;
        bench_ = std::make_unique<sim::Simulator>(o);
        std::string error;
        ASSERT_TRUE(bench_->start(&error)) << error;
        client_ = std::make_unique<PtyClient>(dir_.file("colorimeter"));
    }
    clmtr::RawReading reading() {
        clmtr::RawReading r;
        EXPECT_TRUE(clmtr::parseReadingReply(client_->transact("N5", 15), r));
        return r;
    }
    TempDir dir_;
    std::unique_ptr<sim::Simulator> bench_;
    std::unique_ptr<PtyClient> client_;
};

TEST_F(ColorimeterBench, RepeatabilityFallsWithLight) {
    start();
    auto spread = [&](double Y) {
        bench_->scene().setxyY(0.3127, 0.329, Y);
        std::vector<double> x;
        for (int i = 0; i < 60; ++i) {
            const clmtr::RawReading r = reading();
            x.push_back(r.x / (r.x + r.y + r.z));
        }
        return standardDeviation(x);
    };
    const double bright = spread(100), dim = spread(0.5);
    std::printf("colorimeter x repeatability (1 sigma, one reading): %.5f at 100 cd/m2, %.5f at "
                "0.5 cd/m2\n",
                bright, dim);
    EXPECT_GT(bright, 0.00005);
    EXPECT_LT(bright, 0.0005);
    EXPECT_GT(dim, 8 * bright);
}

TEST_F(ColorimeterBench, AColdInstrumentReadsOffUntilItWarmsUp) {
    start(0);
    bench_->scene().setxyY(0.3127, 0.329, 100);
    const clmtr::RawReading warm = reading();
    EXPECT_EQ(bench_->execute("warmup 2 3600"), "ok warmup 2 % settling over 3600 s");
    const clmtr::RawReading cold = reading();
    EXPECT_NEAR(cold.x / warm.x, 1.02, 0.001); // X by the percentage, Z the other way
    EXPECT_NEAR(cold.z / warm.z, 0.98, 0.001);
    EXPECT_EQ(bench_->execute("warmup 2 0").rfind("error usage: warmup", 0), 0u);
    EXPECT_EQ(bench_->execute("warmup off"), "ok warmup off");
    EXPECT_NEAR(reading().x, warm.x, 1e-3);
}

TEST(SimPhysics, ReferenceRepeatabilityFallsWithLightAndNoNoiseMeansNone) {
    for (const char *model : {"CS-2000", "PR-650", "BM-7"}) {
        SCOPED_TRACE(model);
        const sim::ReferenceOptics &optics = sim::ReferenceOptics::forModel(model);
        std::mt19937 rng(3);
        auto spread = [&](double Y, double noise) {
            sim::Scene scene;
            scene.setxyY(0.3127, 0.329, Y);
            std::vector<double> x;
            for (int i = 0; i < 40; ++i)
                x.push_back(chromaticity(optics.read(scene.spectrum(), noise, rng)).x);
            return standardDeviation(x);
        };
        const double bright = spread(100, 1), dim = spread(0.5, 1);
        EXPECT_LT(bright, 0.0003);
        EXPECT_GT(dim, 2 * bright);
        EXPECT_LT(spread(0.5, 0), 1e-12); // the same reading every time
    }
}
