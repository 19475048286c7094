// tintwell-cli flicker as a separate process against the in-process
// simulator: records as JSON, the methods, argument errors, a colorimeter
// that cannot stream, no instrument, and a lost instrument.
#include "childprocess.h"
#include "simfixture.h"

#include <algorithm>
#include <cmath>
#include <csignal>

namespace {

// The number after `key` + "[[" + hz + "," in a JSON line; NaN when absent.
double firstPeak(const std::string &line, const std::string &key, const std::string &hz) {
    const std::string at = "\"" + key + "\":[[" + hz + ",";
    const std::size_t p = line.find(at);
    return p == std::string::npos ? std::nan("")
                                  : std::strtod(line.c_str() + p + at.size(), nullptr);
}

} // namespace

class CliFlicker : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        startSim("TV-40");
    }
};

TEST_F(CliFlicker, PrintsOneObjectPerRecordWithThePeaks) {
    ASSERT_EQ(say("flicker sine 30 20").substr(0, 2), "ok");
    ChildProcess c({"tintwell-cli", "flicker", "--port", port(), "--count", "12", "--spectrum"});
    ASSERT_EQ(c.wait(), 0) << c.err();
    const auto lines = c.lines();
    ASSERT_EQ(lines.size(), 12u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string &l = lines[i];
        EXPECT_EQ(l.front(), '{');
        EXPECT_EQ(l.back(), '}');
        for (const char *key : {"\"errorCode\":", "\"y\":", "\"range\":3", "\"sampleRate\":384",
                                "\"sampleCount\":256", "\"peaksPercent\":[[", "\"peaksDb\":[[",
                                "\"spectrumPercent\":[[0,100],[1.5,", "\"spectrumDb\":[[0,0],"})
            EXPECT_NE(l.find(key), std::string::npos) << key << " in " << l.substr(0, 200);
        // 256 samples are 8 packets: the first 7 records are incomplete.
        EXPECT_NE(l.find(i < 7 ? "\"errorCode\":8388608," : "\"errorCode\":0,"), std::string::npos)
            << i;
    }
    EXPECT_NEAR(firstPeak(lines.back(), "peaksPercent", "30"), 40.0, 2.0);
    EXPECT_FALSE(std::isnan(firstPeak(lines.back(), "peaksDb", "30")));
}

TEST_F(CliFlicker, MethodsScaleThePeaks) {
    ASSERT_EQ(say("flicker sine 30 20").substr(0, 2), "ok");
    ChildProcess contrast(
        {"tintwell-cli", "flicker", "--port", port(), "--count", "10", "--samples", "128"});
    ASSERT_EQ(contrast.wait(), 0) << contrast.err();
    ChildProcess normalized({"tintwell-cli", "flicker", "--port", port(), "--count", "10",
                             "--samples", "128", "--method", "normalized", "--db", "jeita"});
    ASSERT_EQ(normalized.wait(), 0) << normalized.err();
    const std::string a = contrast.lines().back(), b = normalized.lines().back();
    EXPECT_NE(a.find("\"sampleCount\":128"), std::string::npos);
    const double pa = firstPeak(a, "peaksPercent", "30"), pb = firstPeak(b, "peaksPercent", "30");
    EXPECT_NEAR(pa / pb, 4.0, 0.2);
    const double da = firstPeak(a, "peaksDb", "30"), db = firstPeak(b, "peaksDb", "30");
    EXPECT_NEAR(da - db, 3.01 + 20 * std::log10(pa / pb / 4), 0.2);
}

TEST_F(CliFlicker, BadArgumentsExitWith2) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--port"},
        {"--port", port(), "--samples", "1000"},
        {"--port", port(), "--samples", "4096"},
        {"--port", port(), "--method", "vesa"},
        {"--port", port(), "--db", "contrast"},
        {"--port", port(), "--count", "0"},
        {"--port", port(), "--colour"},
    };
    for (const auto &args : bad) {
        std::vector<std::string> argv = {"tintwell-cli", "flicker"};
        argv.insert(argv.end(), args.begin(), args.end());
        ChildProcess c(argv);
        EXPECT_EQ(c.wait(), 2) << (args.empty() ? "" : args.back());
        EXPECT_TRUE(c.lines().empty());
    }
}

TEST_F(CliFlicker, NoInstrumentOrOneThatCannotStreamExitsWith1) {
    ChildProcess none(
        {"tintwell-cli", "flicker", "--port", dir_ + "/nothing-here", "--count", "1"});
    EXPECT_EQ(none.wait(), 1);
    EXPECT_NE(none.err().find("no port at"), std::string::npos);

    sim_.reset();
    startSim("T-40");
    ChildProcess t40({"tintwell-cli", "flicker", "--port", port(), "--count", "1"});
    EXPECT_EQ(t40.wait(), 1);
    EXPECT_NE(t40.err().find("does not stream"), std::string::npos) << t40.err();
    EXPECT_TRUE(t40.lines().empty());
}

TEST_F(CliFlicker, LosingTheInstrumentExitsWith3) {
    ChildProcess c({"tintwell-cli", "flicker", "--port", port()});
    ASSERT_GE(c.waitLines(3), 3u) << c.err();
    ASSERT_EQ(say("unplug"), "ok colorimeter unplugged");
    EXPECT_EQ(c.wait(), 3);
    EXPECT_NE(c.err().find("instrument lost"), std::string::npos) << c.err();
}
