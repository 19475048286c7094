// tintwell-cli pattern and sequence as separate processes against the
// in-process simulated generator, display and colorimeter.
#include "childprocess.h"
#include "clijson.h"
#include "patternsimfixture.h"

#include <csignal>

namespace {

class CliPattern : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        useLoopbackPatternPort();
        startSim("TV-40", withPatternGenerator("127.0.0.3", "PG-CLI", "p3"));
        bench_ = &sim_->sim();
    }
    void TearDown() override {
        bench_ = nullptr;
        sim_.reset();
        SimFixture::TearDown();
    }
    int cli(const std::vector<std::string> &args, QList<QJsonObject> *objects = nullptr) {
        const CliJsonRun r = runCliJson(args);
        stderr_ = r.err;
        if (objects)
            *objects << r.objects;
        return r.code;
    }
    std::string colorsFile(const std::string &text) {
        return files_.write("colours" + std::to_string(++fileCount_) + ".csv", text);
    }
    sim::Simulator *bench_ = nullptr;
    std::string stderr_;
    TempDir files_;
    int fileCount_ = 0;
};

} // namespace

TEST_F(CliPattern, DiscoversAndDrivesTheGenerator) {
    QList<QJsonObject> out;
    ASSERT_EQ(cli({"pattern", "discover"}, &out), 0) << stderr_;
    ASSERT_EQ(out.size(), 1);
    EXPECT_EQ(out[0]["host"].toString(), "127.0.0.3");
    EXPECT_EQ(out[0]["serialNumber"].toString(), "PG-CLI");

    out.clear();
    ASSERT_EQ(cli({"pattern", "--host", "127.0.0.3", "color", "0", "128", "255"}, &out), 0);
    EXPECT_EQ(out[0]["width"].toInt(), 1920);
    const sim::PatternState s = bench_->patternGenerator()->state();
    EXPECT_EQ(s.pattern, 3);
    EXPECT_EQ(s.green, 128);
    EXPECT_EQ(s.blue, 255);

    ASSERT_EQ(cli({"pattern", "--host", "127.0.0.3", "box", "1", "2", "30", "40"}), 0);
    EXPECT_EQ(bench_->patternGenerator()->state().boxW, 30);
    for (const char *value : {"300", "-1"}) { // one range, one message
        EXPECT_EQ(cli({"pattern", "--host", "127.0.0.3", "color", "0", value, "0"}), 2);
        EXPECT_NE(stderr_.find("whole numbers from 0 to 255"), std::string::npos) << stderr_;
    }
    EXPECT_EQ(cli({"pattern", "color", "1", "2", "3"}), 2); // no host
    EXPECT_EQ(cli({"pattern", "--host", "127.0.0.9", "info"}), 1);
}

TEST_F(CliPattern, SequencePrintsOnePatchPerLineWithItsReading) {
    const std::string colors = colorsFile("White,255,255,255\nRed,255,0,0\nBlack,0,0,0\n");
    QList<QJsonObject> out;
    ASSERT_EQ(cli({"sequence", "--generator", "127.0.0.3", "--device", port(), "--colors", colors,
                   "--stable", "0.05", "--avg", "2"},
                  &out),
              0)
        << stderr_;
    ASSERT_EQ(out.size(), 3);
    const char *names[] = {"White", "Red", "Black"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(out[i]["index"].toInt(), i);
        EXPECT_EQ(out[i]["name"].toString(), names[i]);
        EXPECT_TRUE(out[i]["problem"].isNull());
    }
    EXPECT_EQ(out[1]["red"].toInt(), 255);
    EXPECT_EQ(out[1]["green"].toInt(), 0);
    // The p3 panel: its white is 200 cd/m², its red well out towards x = 0.68.
    EXPECT_NEAR(out[0]["bigY"].toDouble(), 200, 4);
    EXPECT_GT(out[1]["x"].toDouble(), 0.6);
    EXPECT_LT(out[2]["bigY"].toDouble(), 0.2);
}

TEST_F(CliPattern, SequenceRefusesBadInputAndReportsWhatIsMissing) {
    const std::string good = colorsFile("White,255,255,255\n");
    const std::string bad = colorsFile("White,255,255\n");
    EXPECT_EQ(cli({"sequence", "--generator", "127.0.0.3", "--device", port(), "--colors", bad}),
              2);
    EXPECT_NE(stderr_.find("line 1"), std::string::npos);
    EXPECT_EQ(cli({"sequence", "--generator", "127.0.0.3", "--device", port()}), 2);
    EXPECT_EQ(cli({"sequence", "--generator", "127.0.0.9", "--device", port(), "--colors", good}),
              1);
    EXPECT_EQ(
        cli({"sequence", "--generator", "127.0.0.3", "--device", port() + "x", "--colors", good}),
        1);
}

TEST_F(CliPattern, InterruptStopsCleanlyWithThePatchesSoFar) {
    const std::string colors = colorsFile("A,255,255,255\nB,10,10,10\nC,20,20,20\n");
    ChildProcess p({"tintwell-cli", "sequence", "--generator", "127.0.0.3", "--device", port(),
                    "--colors", colors, "--stable", "1.5", "--csv"});
    // The header and the first patch, then an interrupt while the second settles.
    ASSERT_EQ(p.waitLines(2, 20000), 2u) << p.err();
    p.signal(SIGINT);
    EXPECT_EQ(p.wait(5000), 0) << p.err();
    const std::vector<std::string> lines = p.lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("index,name,red,green,blue,problem,x,y,", 0), 0u);
    EXPECT_EQ(lines[1].rfind("0,A,255,255,255,,", 0), 0u);
}
