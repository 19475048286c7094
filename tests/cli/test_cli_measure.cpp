// tintwell-cli measure as a separate process against the in-process
// simulator: JSON and CSV output, argument errors, no instrument, a lost
// instrument, and SIGINT.
#include "childprocess.h"
#include "simfixture.h"

#include <algorithm>
#include <csignal>

namespace {

// The number after "name": in a one-line JSON object.
double jsonField(const std::string &json, const std::string &name) {
    std::size_t at = json.find("\"" + name + "\":");
    if (at == std::string::npos)
        return -12345;
    return std::strtod(json.c_str() + at + name.size() + 3, nullptr);
}

std::string lastLine(const std::string &s) {
    std::string t = s;
    while (!t.empty() && t.back() == '\n')
        t.pop_back();
    return t.substr(t.rfind('\n') == std::string::npos ? 0 : t.rfind('\n') + 1);
}

} // namespace

class CliMeasure : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        startSim("T-40");
        sim_->scene().setXYZ(95, 100, 108);
    }
};

TEST_F(CliMeasure, PrintsOneJsonObjectPerReading) {
    ChildProcess p({"tintwell-cli", "measure", "--port", port(), "--count", "5", "--max-avg", "4"});
    ASSERT_EQ(p.wait(), 0) << p.err();
    p.waitLines(5);
    auto lines = p.lines();
    ASSERT_EQ(lines.size(), 5u) << p.out();
    double lastT = -1;
    for (const std::string &l : lines) {
        EXPECT_EQ(l.rfind("{\"t\":", 0), 0u) << l;
        EXPECT_EQ(l.back(), '}');
        const double t = jsonField(l, "t");
        EXPECT_GE(t, lastT);
        lastT = t;
        EXPECT_NEAR(jsonField(l, "bigY"), 99.9, 0.5);
        EXPECT_EQ(jsonField(l, "avgCount"), 1);
        EXPECT_EQ(jsonField(l, "errorCode"), 0);
        EXPECT_NE(l.find("\"gamutSpec\":{"), std::string::npos);
        EXPECT_NE(l.find("\"maxZ\":"), std::string::npos);
    }
    EXPECT_EQ(jsonField(lines[0], "t"), 0);
}

TEST_F(CliMeasure, CsvHasAHeaderAndOneRowPerReading) {
    ChildProcess p({"tintwell-cli", "measure", "--port", port(), "--count", "3", "--csv", "--speed",
                    "normal"});
    ASSERT_EQ(p.wait(), 0) << p.err();
    p.waitLines(4);
    auto lines = p.lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].rfind("t,x,y,bigX,bigY,bigZ,rawX", 0), 0u) << lines[0];
    const auto columns = [](const std::string &s) { return std::count(s.begin(), s.end(), ','); };
    for (std::size_t i = 1; i < 4; ++i)
        EXPECT_EQ(columns(lines[i]), columns(lines[0]));
    EXPECT_EQ(lines[1].rfind("0,", 0), 0u);
}

TEST_F(CliMeasure, BadArgumentsExitTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {"measure"},
        {"measure", "--port", port(), "--speed", "slow"},
        {"measure", "--port", port(), "--count", "0"},
        {"measure", "--port", port(), "--max-avg", "129"},
        {"measure", "--port", port(), "--count", "3", "--seconds", "2"},
        {"measure", "--port", port(), "--seconds", "-1"},
        {"measure", "--port", port(), "--frobnicate"},
    };
    for (auto args : cases) {
        args.insert(args.begin(), "tintwell-cli");
        ChildProcess p(args);
        EXPECT_EQ(p.wait(), 2) << args.back();
        EXPECT_TRUE(p.out().empty());
    }
}

TEST_F(CliMeasure, NoInstrumentAtThePathExitsOne) {
    ChildProcess p({"tintwell-cli", "measure", "--port", dir_ + "/missing", "--count", "1"});
    EXPECT_EQ(p.wait(), 1);
    EXPECT_NE(p.err().find("no port at"), std::string::npos) << p.err();
}

TEST_F(CliMeasure, LostInstrumentExitsThreeAndSaysHow) {
    ChildProcess p({"tintwell-cli", "measure", "--port", port(), "--seconds", "60"});
    ASSERT_GE(p.waitLines(3), 3u) << p.err();
    EXPECT_EQ(say("unplug"), "ok colorimeter unplugged");
    EXPECT_EQ(p.wait(), 3);
    EXPECT_NE(lastLine(p.err()).find("instrument lost"), std::string::npos) << p.err();
    EXPECT_NE(lastLine(p.err()).find("unplugged"), std::string::npos) << p.err();
}

TEST_F(CliMeasure, InterruptStopsCleanly) {
    ChildProcess p({"tintwell-cli", "measure", "--port", port()});
    ASSERT_GE(p.waitLines(3), 3u) << p.err();
    p.signal(SIGINT);
    EXPECT_EQ(p.wait(), 0) << p.err();
    // The port is released: another owner can connect at once.
    TClmtr c;
    EXPECT_TRUE(c.connect(port()));
}
