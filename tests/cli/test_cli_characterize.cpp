// The display correction end to end against the simulator: a wide-gamut
// panel with the wrong gamma characterised for Rec. 709 at gamma 2.4 with
// tintwell-cli characterize, its .cube loaded into the simulated video
// processor, and the verification set measured through it with
// tintwell-cli verify: far from the targets before, within them after.
// Then the options and folders that are refused before anything is shown.
#include "channelswap.h"
#include "clijson.h"
#include "patternsimfixture.h"

#include <QFile>
#include <QJsonObject>

#include <filesystem>

namespace {

class CliCharacterize : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        useLoopbackPatternPort();
        const auto generator = withPatternGenerator("127.0.0.7", "PG-CORR", "p3");
        startSim("TV-40", [generator](sim::SimulatorOptions &o) {
            generator(o);
            o.displayLevels.gamma = 2.2; // the panel's; the target asks 2.4
        });
    }
    CliJsonRun cli(std::vector<std::string> args) {
        args.insert(args.end(), {"--generator", "127.0.0.7", "--device", port(), "--stable", "0",
                                 "--avg", "1"});
        return runCliJson(args, 240000);
    }
    TempDir files_;
};

} // namespace

TEST_F(CliCharacterize, AWideGamutPanelIsCorrectedToRec709ThroughItsCube) {
    const std::string out = files_.file("correction");
    const CliJsonRun made = cli({"characterize", "--standard", "REC709", "--gamma", "2.4",
                                 "--patches", "quick", "--size", "33", "--out", out});
    ASSERT_EQ(made.code, 0) << made.err;
    ASSERT_EQ(made.objects.size(), 1);
    const QJsonObject summary = made.objects[0];
    for (const char *file : {"display.cube", "display-calibration.cube", "display.icc",
                             "characterization.csv", "correction.json", "report.pdf"})
        EXPECT_GT(std::filesystem::file_size(out + "/" + file), 100u) << file;
    EXPECT_GT(summary["patches"].toInt(), 200);
    // The simulated panel's channels add: the model fits it closely.
    EXPECT_LT(summary["fit"]["maxDeltaE2000"].toDouble(), 0.5);
    EXPECT_GT(summary["fit"]["heldBack"].toInt(), 5);
    const QJsonObject coverage = summary["coverage"].toObject();
    EXPECT_GT(coverage["rec709"].toDouble(), 0.99);
    EXPECT_GT(coverage["p3"].toDouble(), 0.95);
    EXPECT_LT(coverage["rec2020"].toDouble(), 0.8);
    const QJsonObject before = summary["before"].toObject();
    EXPECT_EQ(before["patches"].toInt(), 29);
    EXPECT_GT(before["meanDeltaE2000"].toDouble(), 2.5);
    EXPECT_GT(before["maxDeltaE2000"].toDouble(), 4);

    EXPECT_EQ(say("lut " + out + "/display.cube"), "ok lut " + out + "/display.cube: 33^3");
    const CliJsonRun verified = cli({"verify", "--dir", out});
    ASSERT_EQ(verified.code, 0) << verified.err;
    ASSERT_EQ(verified.objects.size(), 1);
    const QJsonObject after = verified.objects[0]["after"].toObject();
    EXPECT_LT(after["meanDeltaE2000"].toDouble(), 0.8) << verified.err;
    EXPECT_LT(after["maxDeltaE2000"].toDouble(), 2.0) << after["worst"].toString().toStdString();
    EXPECT_LT(after["greyMaxDuv"].toDouble(), 0.002);
    // The before figures are the characterisation's, judged the same way.
    EXPECT_EQ(verified.objects[0]["before"].toObject(), before);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(out + "/verification.csv")));

    // Without the table the panel is as wrong as it was.
    EXPECT_EQ(say("lut off"), "ok lut off");
    const CliJsonRun plain = cli({"verify", "--dir", out});
    ASSERT_EQ(plain.code, 0) << plain.err;
    EXPECT_GT(plain.objects[0]["after"]["meanDeltaE2000"].toDouble(), 2.5);

    // A table that swaps red and blue leaves the panel further off: told,
    // and not a success.
    const std::string swappedFile =
        files_.write("swapped.cube", writeCube(channelSwapCube(17, {2, 1, 0})));
    EXPECT_EQ(say("lut " + swappedFile), "ok lut " + swappedFile + ": 17^3");
    const CliJsonRun worse = cli({"verify", "--dir", out});
    EXPECT_EQ(worse.code, 4) << worse.err;
    ASSERT_EQ(worse.objects.size(), 1); // the figures are still given
    EXPECT_GT(worse.objects[0]["after"]["meanDeltaE2000"].toDouble(), 10);
    EXPECT_NE(worse.err.find("further from the target than before correction"), std::string::npos)
        << worse.err;
}

TEST_F(CliCharacterize, BadOptionsAndFoldersAreRefusedBeforeAnythingIsShown) {
    const std::string file = files_.write("plain-file", "x");
    const struct {
        std::vector<std::string> args;
        const char *message;
    } cases[] = {
        {{"characterize", "--standard", "REC709", "--out", files_.file("a"), "--size", "32"},
         "--size must be 17, 33 or 65"},
        {{"characterize", "--out", files_.file("a"), "--patches", "huge"},
         "--patches must be quick, normal or thorough"},
        {{"characterize", "--out", files_.file("a"), "--gamma", "2.4", "--eotf", "pq"},
         "--gamma and --eotf exclude each other"},
        {{"characterize", "--out", files_.file("a"), "--eotf", "srgb"},
         "--eotf must be bt1886, pq or hlg"},
        {{"characterize", "--out", files_.file("a"), "--white", "0.3127"}, "--white needs x,y"},
        {{"characterize", "--out", files_.file("a"), "--bits", "10"}, "--bits does not apply"},
        {{"characterize", "--out", files_.file("a"), "--standard", "Nonesuch"},
         "no standard 'Nonesuch'"},
        {{"characterize", "--out", file}, "cannot make the folder"},
        {{"verify", "--dir", files_.file("missing")}, "cannot open"},
    };
    const long before = sim_->sim().patternGenerator()->commandCount();
    for (const auto &c : cases) {
        const CliJsonRun r = cli(c.args);
        EXPECT_EQ(r.code, 2) << c.message << "\n" << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_EQ(sim_->sim().patternGenerator()->commandCount(), before);
}
