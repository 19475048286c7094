// The scene's spectrum and the simulated reference instruments on their
// pseudo-terminals: spectra that integrate back to the light, measured
// spectra from CSV, the PR-650's remote mode, and the CS-2000's channel
// selection kept in its state file.
#include "cmf.h"
#include "cs2000sim.h"
#include "ptyclient.h"
#include "simulator.h"
#include "spectrum.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace {

TEST(SceneSpectrum, IntegratesBackToTheLight) {
    const struct {
        double x, y, Y;
    } lights[] = {{0.3127, 0.329, 100}, {0.64, 0.33, 21.26},  {0.30, 0.60, 71.52},
                  {0.15, 0.06, 7.22},   {0.3127, 0.329, 0.5}, {0.45, 0.41, 30},
                  {0.25, 0.70, 60}};
    for (const auto &l : lights) {
        SCOPED_TRACE(testing::Message() << l.x << " " << l.y << " " << l.Y);
        sim::Scene scene;
        ASSERT_TRUE(scene.setxyY(l.x, l.y, l.Y));
        const sim::Spectrum s = scene.spectrum();
        ASSERT_EQ(s.size(), 401u);
        double xyz[3];
        spectrumToXYZ(s.data(), 380, 401, xyz);
        const sim::Tristimulus t = scene.light();
        EXPECT_NEAR(xyz[0], t.X, 0.005 * t.X);
        EXPECT_NEAR(xyz[1], t.Y, 0.005 * t.Y);
        EXPECT_NEAR(xyz[2], t.Z, 0.005 * t.Z);
        for (double v : s)
            ASSERT_GE(v, 0.0);
        // Smooth: no step between neighbours larger than a fifth of the peak.
        const double peak = *std::max_element(s.begin(), s.end());
        for (std::size_t i = 1; i < s.size(); ++i)
            ASSERT_LE(std::fabs(s[i] - s[i - 1]), 0.2 * peak) << 380 + i;
    }
}

TEST(SceneSpectrum, ColourOnTheLocusGetsTheNearestReachable) {
    sim::Scene scene;
    scene.setxyY(0.17, 0.797, 60); // a monochromatic green
    double xyz[3];
    const sim::Spectrum s = scene.spectrum();
    spectrumToXYZ(s.data(), 380, 401, xyz);
    const double sum = xyz[0] + xyz[1] + xyz[2];
    EXPECT_NEAR(xyz[0] / sum, 0.17, 0.01);
    EXPECT_NEAR(xyz[1] / sum, 0.797, 0.01);
}

TEST(SceneSpectrum, BlackAndImpossibleLightHaveNoSpectrum) {
    for (const auto &xyz : {std::array<double, 3>{0, 0, 0}, {-1, 5, 5}}) {
        const sim::Spectrum s = sim::synthesizeSpectrum(xyz[0], xyz[1], xyz[2]);
        EXPECT_EQ(*std::max_element(s.begin(), s.end()), 0.0);
    }
}

TEST(SceneSpectrum, CsvIsResampledAndChecked) {
    sim::Spectrum s;
    std::string why;
    ASSERT_TRUE(sim::parseSpectrumCsv("nm,value\n400,0\r\n500,1\n600,0\n", s, &why)) << why;
    EXPECT_EQ(s[0], 0.0);   // 380, before the data
    EXPECT_EQ(s[120], 1.0); // 500
    EXPECT_EQ(s[70], 0.5);  // 450
    EXPECT_EQ(s[250], 0.0); // 630, after the data
    const char *bad[] = {"400,1\n",        "400,1\n390,2\n",   "400,1\n500,-1\n",
                         "400,1\n500,x\n", "400,1\n500,nan\n", ""};
    for (const char *text : bad)
        EXPECT_FALSE(sim::parseSpectrumCsv(text, s, &why)) << text;
}

class ReferenceSims : public ::testing::Test {
protected:
    void TearDown() override { sim_.reset(); }
    std::string stateFile() const { return dir.file("state.cs2000"); }
    bool start(const std::string &model, std::string *error = nullptr) {
        sim::SimulatorOptions o;
        o.dir = dir.path();
        o.colorimeter.timeScale = 0;
        sim::ReferenceConfig r;
        r.model = model;
        r.timeScale = 0;
        r.noise = 0;
        r.stateFile = stateFile();
        o.references.push_back(r);
        sim_ = std::make_unique<sim::Simulator>(o);
        std::string e;
        const bool ok = sim_->start(error ? error : &e);
        if (!ok)
            sim_.reset();
        return ok;
    }
    TempDir dir;
    std::unique_ptr<sim::Simulator> sim_;
};

TEST_F(ReferenceSims, MeasuredSpectrumSetsTheLight) {
    ASSERT_TRUE(start("CS-2000"));
    const std::string csv = dir.file("lamp.csv");
    {
        std::ofstream out(csv);
        out << "wavelength,value\n";
        for (int nm = 380; nm <= 780; nm += 5)
            out << nm << "," << 0.001 << "\n";
    }
    const std::string reply = sim_->execute("light spectrum " + csv);
    ASSERT_EQ(reply.rfind("ok XYZ", 0), 0u) << reply;
    double flat[401];
    std::fill(std::begin(flat), std::end(flat), 0.001);
    double xyz[3];
    spectrumToXYZ(flat, 380, 401, xyz);
    EXPECT_NEAR(sim_->scene().light().Y, xyz[1], 1e-9);
    EXPECT_EQ(sim_->scene().spectrum()[200], 0.001);
    EXPECT_EQ(sim_->execute("light spectrum " + dir.file("missing.csv")).rfind("error", 0), 0u);
}

TEST_F(ReferenceSims, PR650AnswersOnlyInRemoteMode) {
    ASSERT_TRUE(start("PR-650"));
    PtyClient c(dir.file("pr650"));
    ASSERT_TRUE(c.ok());
    EXPECT_EQ(c.transact("D111", 8, 300), ""); // local mode: the keypad rules
    EXPECT_NE(c.transact("S01,,,,,,,1", 6).substr(0, 2), "00");
    EXPECT_EQ(c.transact("S01,,,,,,,1", 6), "0000\r\n");
    EXPECT_EQ(c.transact("D111", 8), "PR-650\r\n");
    sim_->execute("unplug pr650");
    sim_->execute("replug pr650");
    PtyClient again(dir.file("pr650"));
    EXPECT_EQ(again.transact("D111", 8, 300), ""); // power cycled: local again
}

TEST_F(ReferenceSims, CS2000KeepsItsChannelAcrossRuns) {
    ASSERT_TRUE(start("CS-2000"));
    {
        PtyClient c(dir.file("cs2000"));
        EXPECT_EQ(c.transact("UCCR", 6, 300), "ER00\r\n"); // not in remote mode
        EXPECT_EQ(c.transact("RMTS,1", 6), "OK00\r\n");
        EXPECT_EQ(c.transact("UCCS,03", 6), "ER05\r\n"); // blank
        EXPECT_EQ(c.transact("UCCS,04", 6), "OK00\r\n");
        EXPECT_EQ(c.transact("MEDR,2,0,01", 6), "ER10\r\n"); // nothing measured yet
    }
    ASSERT_TRUE(start("CS-2000")); // a new run on the same state file
    PtyClient c(dir.file("cs2000"));
    c.transact("RMTS,1", 6);
    EXPECT_EQ(c.transact("UCCR", 9), "OK00,4\r\n");

    sim_.reset();
    std::ofstream(stateFile()) << "something else\n";
    std::string error;
    EXPECT_FALSE(start("CS-2000", &error));
    EXPECT_NE(error.find("not a CS-2000 state file"), std::string::npos);
    std::ifstream in(stateFile());
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "something else"); // never written over
}

} // namespace
