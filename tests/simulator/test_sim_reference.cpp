// The scene's spectrum and the simulated reference instruments on their
// pseudo-terminals: spectra that integrate back to the light, measured
// spectra from CSV, the PR-650's remote mode and the way its programs write,
// and the CS-2000 as its maker's document describes it (delimiters, field
// widths, number formats, error codes, the two-step measurement and its
// cancel, hexadecimal data) with its channel and sync kept in its state file.
#include "cmf.h"
#include "cs2000sim.h"
#include "cs2000wire.h"
#include "ptyclient.h"
#include "simulator.h"
#include "spectrum.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <regex>
#include <sstream>

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

// The simulated CS-2000's number formats against the document's forms and
// its one worked value: the calculation error in hexadecimal.
TEST(CS2000Numbers, InTheDocumentsForms) {
    using namespace sim::cs2000wire;
    const double none = std::nan("");
    const struct {
        std::string got, want;
    } cases[] = {
        {exponential(95.05), "9.5050e+1"},    {exponential(0.00123456), "1.2346e-3"},
        {exponential(9.99996), "1.0000e+1"},  {exponential(5.2e-11), "0.0520e-9"},
        {exponential(0), "0.0000e-9"},        {exponential(none), "-9.9999e9"},
        {hexFloat(-9.999999e10), "D1BA43B6"}, {hexFloat(1.0), "3F800000"},
        {hexFloat(none), "D1BA43B6"},         {sixCharacters(100), "100.00"},
        {sixCharacters(1.23456), "1.2346"},   {sixCharacters(12345.6), "12346"},
        {sixCharacters(123456), "123456"},    {sixCharacters(1234567), "1.23e+6"},
        {sixCharacters(0.00001), "0.0000"},   {sixCharacters(none), "-9.9e9"},
        {fixed4(0.31271), "0.3127"},          {fixed4(none), "-9.999"},
        {signedFixed4(0.0032), "+0.0032"},    {signedFixed4(-0.0032), "-0.0032"},
        {wholeNumber(6503.6), "6504"},        {wholeNumber(none), "-9999"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.got, c.want);
}

class ReferenceSims : public ::testing::Test {
protected:
    void TearDown() override { sim_.reset(); }
    std::string stateFile() const { return dir.file("state.cs2000"); }
    bool start(const std::string &model, std::string *error = nullptr, double timeScale = 0,
               const std::string &serial = "") {
        sim_.reset();
        sim::SimulatorOptions o;
        o.dir = dir.path();
        o.colorimeter.timeScale = 0;
        sim::ReferenceConfig r;
        r.model = model;
        r.serial = serial;
        r.timeScale = timeScale;
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

TEST_F(ReferenceSims, PR650AnswersOnlyInRemoteModeInTheWayItsProgramsWrite) {
    ASSERT_TRUE(start("PR-650"));
    PtyClient c(dir.file("pr650"));
    ASSERT_TRUE(c.ok());
    EXPECT_EQ(c.transact("D111", 8, 300), ""); // local mode: the keypad rules
    EXPECT_NE(c.transact("S01,,,,,,,1", 6).substr(0, 2), "00");
    // Line feeds, carriage returns or both; upper or lower case.
    EXPECT_EQ(c.ask("s01,,,,,,,1", "\n", 3000), "0000\r\n");
    EXPECT_EQ(c.ask("d110", "\r\n"), "60951234\r\n");
    EXPECT_EQ(c.receive(1, 200), ""); // the LF of the CR LF is no command
    sim_->execute("light xyY 0.3127 0.329 0.2");
    const std::string reading = c.ask("m2", "\n");
    EXPECT_EQ(reading.rfind("0018,0,", 0), 0u) << reading; // low light
    sim_->execute("unplug pr650");
    sim_->execute("replug pr650");
    PtyClient again(dir.file("pr650"));
    EXPECT_EQ(again.transact("D111", 8, 300), ""); // power cycled: local again
}

// What a program written from the maker's document sends, with LF as its
// delimiter, and the replies the document describes.
TEST_F(ReferenceSims, CS2000AnswersADocumentsCommandSequence) {
    ASSERT_TRUE(start("CS-2000"));
    sim_->execute("light xyY 0.3127 0.329 100");
    PtyClient c(dir.file("cs2000"));
    ASSERT_TRUE(c.ok());
    const std::string lf = "\n";
    EXPECT_EQ(c.ask("IDDR", lf), "ER00\n"); // not in remote mode
    EXPECT_EQ(c.ask("RMTS,1", lf), "OK00\n");
    EXPECT_EQ(c.ask("IDDR", lf), "OK00,CS-2000  ,1,1001234\n");
    EXPECT_EQ(c.ask("MSWE,0", lf), "OK00\n");
    EXPECT_EQ(c.ask("MEDR,2,0,1", lf), "ER20\n"); // nothing measured yet
    EXPECT_EQ(c.ask("MEAS,1", lf), "OK00,003\n");
    EXPECT_EQ(c.receiveUntil(lf, 3000), "OK00\n");

    const std::string block = c.ask("MEDR,1,0,1", lf);
    ASSERT_EQ(block.rfind("OK00,", 0), 0u);
    std::vector<std::string> values;
    std::istringstream in(block.substr(5, block.size() - 6));
    for (std::string v; std::getline(in, v, ',');)
        values.push_back(v);
    ASSERT_EQ(values.size(), 100u);
    const std::regex exponential(R"(\d\.\d{4}e[+-]\d)");
    for (const std::string &v : values)
        ASSERT_TRUE(std::regex_match(v, exponential)) << v;
    const std::string hex = c.ask("MEDR,1,1,001", lf);
    ASSERT_EQ(hex.size(), 5 + 100 * 9u) << hex;
    // The hexadecimal form is the same value in single precision.
    uint32_t bits = static_cast<uint32_t>(std::stoul(hex.substr(5, 8), nullptr, 16));
    float first;
    std::memcpy(&first, &bits, sizeof first);
    EXPECT_NEAR(first, std::stod(values[0]), 1e-4 * std::stod(values[0]));

    // Four decimals and a one-digit exponent; the instrument sees the light
    // through its 5 nm bandwidth, so Y is close to the 100 cd/m² set, not exact.
    const std::string xyz = c.ask("MEDR,2,0,01", lf);
    std::smatch n;
    const std::string e = R"((\d\.\d{4}e[+-]\d))";
    ASSERT_TRUE(std::regex_match(xyz, n, std::regex("OK00," + e + "," + e + "," + e + "\n")))
        << xyz;
    EXPECT_NEAR(std::stod(n[2]), 100.0, 0.05);
    const std::string all = c.ask("MEDR,2,0,0", lf);
    EXPECT_EQ(std::count(all.begin(), all.end(), ','), 24) << all;
    // Lv in six characters
    EXPECT_TRUE(std::regex_search(all, std::regex(R"(,(99\.9\d\d|100\.0\d),)"))) << all;
    EXPECT_NE(all.find(",0.3127,0.3290,"), std::string::npos) << all;
    EXPECT_EQ(c.ask("MEDR,0,0,1", lf), "OK00,0,1,001200000,0,0,0,0,00\n");
    // CR LF comes back as CR LF; fewer digits than a parameter's width are fine.
    EXPECT_EQ(c.ask("UCCS,4", "\r\n"), "OK00\r\n");
    EXPECT_EQ(c.ask("UCCR", "\r"), "OK00,04\r");
    EXPECT_EQ(c.ask("UCPR,2,4", "\r"), "OK00,Projector \r");
    EXPECT_EQ(c.ask("SCMR", "\r"), "OK00,1,06000\r");
    const struct {
        const char *command, *reply;
    } refused[] = {{"UCCS,11", "ER17\r"},   {"UCCS,03", "ER05\r"},    {"MEAS,0", "ER17\r"},
                   {"MEAS,2", "ER17\r"},    {"RMTS", "ER00\r"},       {"SCMS,1,1999", "ER17\r"},
                   {"SCMS,1", "ER00\r"},    {"MEDR,2,0,6", "ER17\r"}, {"NOPE", "ER00\r"},
                   {"MEDR,3,0,1", "ER17\r"}};
    for (const auto &r : refused)
        EXPECT_EQ(c.ask(r.command, "\r"), r.reply) << r.command;
}

TEST_F(ReferenceSims, CS2000MeasuresInTwoStepsAndCanBeCancelled) {
    // A twentieth of instrument time, in dim light: a 3 s measurement.
    ASSERT_TRUE(start("CS-2000", nullptr, 0.05));
    sim_->execute("light xyY 0.3127 0.329 0.01");
    PtyClient c(dir.file("cs2000"));
    ASSERT_TRUE(c.ok());
    c.ask("RMTS,1");
    EXPECT_EQ(c.ask("MEAS,1"), "OK00,062\r");
    EXPECT_EQ(c.ask("MEDR,2,0,01"), "ER02\r"); // measuring
    EXPECT_EQ(c.ask("UCCR"), "ER00\r");        // only a cancel is taken
    EXPECT_EQ(c.ask("MEAS,1"), "ER17\r");
    EXPECT_EQ(c.ask("MEAS,0"), "OK00\r");
    EXPECT_EQ(c.receive(1, 500), ""); // no end reply for a cancelled measurement
    EXPECT_EQ(c.ask("MEDR,2,0,01"), "ER20\r");
}

TEST_F(ReferenceSims, CS2000ErrorsFromTheLightTheSettingsAndTheControl) {
    ASSERT_TRUE(start("CS-2000"));
    PtyClient c(dir.file("cs2000"));
    ASSERT_TRUE(c.ok());
    c.ask("RMTS,1");
    sim_->execute("light xyY 0.3127 0.329 8000"); // past its range at 1°
    EXPECT_EQ(c.ask("MEAS,1"), "ER10\r");
    sim_->execute("light xyY 0.3127 0.329 100");
    EXPECT_EQ(sim_->execute("measure-error ER83"), "ok measure-error ER83");
    EXPECT_EQ(c.ask("MEAS,1"), "OK00,003\r");
    EXPECT_EQ(c.receiveUntil("\r", 3000), "ER83\r");
    EXPECT_EQ(c.ask("MEDR,2,0,01"), "ER20\r");
    sim_->execute("measure-error ER10");
    EXPECT_EQ(c.ask("MEAS,1"), "ER10\r");
    EXPECT_EQ(sim_->execute("measure-error off"), "ok measure-error off");
    for (const char *bad : {"measure-error 10", "measure-error ER1", "measure-error ER00"})
        EXPECT_EQ(sim_->execute(bad).rfind("error", 0), 0u) << bad;
    EXPECT_EQ(c.ask("SCMS,2"), "OK00\r"); // external sync, and no sync cable
    EXPECT_EQ(c.ask("MEAS,1"), "OK00,003\r");
    EXPECT_EQ(c.receiveUntil("\r", 3000), "ER71\r");
}

TEST_F(ReferenceSims, CS2000TimesGrowAsTheLightFalls) {
    double previousPre = 0;
    int previousSeconds = 0;
    for (double Y : {1e5, 100.0, 1.0, 0.01, 1e-4, 0.0}) {
        const double pre = sim::CS2000Sim::preMeasurementMs(Y);
        const int seconds = sim::CS2000Sim::measuringSeconds(Y);
        EXPECT_GE(pre, std::max(1000.0, previousPre)) << Y;
        EXPECT_LE(pre, 10000.0) << Y;
        EXPECT_GE(seconds, std::max(2, previousSeconds)) << Y;
        EXPECT_LE(seconds, 242) << Y;
        previousPre = pre;
        previousSeconds = seconds;
    }
    EXPECT_EQ(previousSeconds, 242); // in the dark, the longest
}

TEST_F(ReferenceSims, CS2000KeepsItsChannelAndSyncAcrossRuns) {
    ASSERT_TRUE(start("CS-2000"));
    auto *cs = dynamic_cast<sim::CS2000Sim *>(sim_->reference("cs2000"));
    ASSERT_TRUE(cs);
    {
        PtyClient c(dir.file("cs2000"));
        EXPECT_EQ(c.ask("RMTS,1"), "OK00\r");
        EXPECT_EQ(c.ask("UCCS,04"), "OK00\r");
        EXPECT_EQ(c.ask("SCMS,1,05000"), "OK00\r");
        EXPECT_EQ(cs->syncWrites(), 1);
    }
    ASSERT_TRUE(start("CS-2000")); // a new run on the same state file
    PtyClient c(dir.file("cs2000"));
    c.ask("RMTS,1");
    EXPECT_EQ(c.ask("UCCR"), "OK00,04\r");
    EXPECT_EQ(c.ask("SCMR"), "OK00,1,05000\r");

    // A file of an older simulator, without the sync line, still reads.
    sim_.reset();
    std::ofstream(stateFile()) << "tintwell-sim cs2000 state 1\nchannel 2\n";
    ASSERT_TRUE(start("CS-2000"));
    PtyClient older(dir.file("cs2000"));
    older.ask("RMTS,1");
    EXPECT_EQ(older.ask("UCCR"), "OK00,02\r");
    EXPECT_EQ(older.ask("SCMR"), "OK00,1,06000\r");

    sim_.reset();
    std::ofstream(stateFile()) << "something else\n";
    std::string error;
    EXPECT_FALSE(start("CS-2000", &error));
    EXPECT_NE(error.find("not a CS-2000 state file"), std::string::npos);
    std::ifstream in(stateFile());
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "something else"); // never written over
    EXPECT_FALSE(start("CS-2000", &error, 0, "10011234"));
    EXPECT_NE(error.find("must be 7 digits"), std::string::npos) << error;
}

} // namespace
