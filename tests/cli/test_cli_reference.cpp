// tintwell-cli ports, reference, spectrum and channels as separate processes
// against the in-process simulator: output formats, exit codes, and what a
// user sees when the instrument is missing or lost.
#include "childprocess.h"
#include "referencebench.h"
#include "serialport.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

struct CliRun {
    int code = -1;
    std::vector<std::string> lines; // standard output
    std::string err;
};

// tintwell-cli with the arguments, to its end.
CliRun cli(const std::string &args, const std::vector<std::string> &env = {}) {
    std::vector<std::string> argv{"tintwell-cli"};
    std::istringstream words(args);
    for (std::string w; words >> w;)
        argv.push_back(w);
    ChildProcess child(argv, env);
    CliRun r;
    r.code = child.wait(60000);
    r.lines = child.lines();
    r.err = child.err();
    return r;
}

class CliReference : public ::testing::Test {
protected:
    void SetUp() override {
        bench = std::make_unique<sim::Simulator>(referenceBenchOptions(dir.path()));
        std::string error;
        ASSERT_TRUE(bench->start(&error)) << error;
    }
    void TearDown() override { bench.reset(); }
    std::string port(const char *name) const { return dir.file(name); }

    TempDir dir;
    std::unique_ptr<sim::Simulator> bench;
};

TEST_F(CliReference, ReferenceReadingsAsJson) {
    bench->execute("light xyY 0.3127 0.329 42");
    for (const char *model : {"cs2000", "pr650", "bm7"}) {
        SCOPED_TRACE(model);
        const CliRun r =
            cli("reference --port " + port(model) + " --model " + model + " --count 2");
        EXPECT_EQ(r.code, 0) << r.err;
        ASSERT_EQ(r.lines.size(), 2u);
        EXPECT_EQ(r.lines[0].rfind("{\"t\":0,\"x\":", 0), 0u) << r.lines[0];
        // Each reads the light through its own optics: within 2 %.
        const std::size_t at = r.lines[1].find("\"bigY\":");
        ASSERT_NE(at, std::string::npos) << r.lines[1];
        EXPECT_NEAR(std::stod(r.lines[1].substr(at + 7)), 42, 0.84) << r.lines[1];
        EXPECT_NE(r.lines[1].find("\"gamutSpec\":{"), std::string::npos);
    }
}

TEST_F(CliReference, ExitCodesForArgumentsMissingAndLostInstruments) {
    EXPECT_EQ(cli("reference --port " + port("cs2000")).code, 2); // no model
    EXPECT_EQ(cli("reference --port " + port("cs2000") + " --model cs3000").code, 2);
    EXPECT_EQ(cli("channels --port " + port("cs2000") + " --select 11").code, 2);
    const CliRun wrong = cli("reference --port " + port("pr650") + " --model cs2000");
    EXPECT_EQ(wrong.code, 1);
    EXPECT_NE(wrong.err.find("no CS-2000 answered"), std::string::npos) << wrong.err;
    bench->execute("silence on cs2000");
    EXPECT_EQ(cli("reference --port " + port("cs2000") + " --model cs2000").code, 1);
    bench->execute("silence off cs2000");
    bench->execute("measure-error ER83"); // the angle selector moved while measuring
    const CliRun moved = cli("spectrum --port " + port("cs2000"));
    bench->execute("measure-error off");
    EXPECT_EQ(moved.code, 3);
    EXPECT_TRUE(moved.lines.empty());
    EXPECT_NE(moved.err.find("ER83"), std::string::npos) << moved.err;
}

TEST_F(CliReference, AnOverRangeMeasurementIsReportedAsSuch) {
    for (const char *how : {"light xyY 0.3127 0.329 8000", "measure-error ER10"}) {
        SCOPED_TRACE(how);
        bench->execute("light xyY 0.3127 0.329 100");
        bench->execute(how);
        const CliRun r = cli("reference --port " + port("cs2000") + " --model cs2000");
        bench->execute("measure-error off");
        EXPECT_EQ(r.code, 3);
        EXPECT_TRUE(r.lines.empty());
        EXPECT_NE(r.err.find("ER10: over its measuring range: the light is too bright"),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(r.err.find("stopped answering"), std::string::npos) << r.err;
    }
}

TEST_F(CliReference, NoInstrumentIsBelievedBeyondAMillionCandelas) {
    for (const char *light : {"light XYZ 1e300 1e300 1e300", "light XYZ 5e7 5e7 5e7"}) {
        ASSERT_EQ(bench->execute(light).substr(0, 2), "ok");
        for (const char *model : {"cs2000", "pr650", "bm7"}) {
            SCOPED_TRACE(std::string(model) + ", " + light);
            const CliRun r = cli("reference --port " + port(model) + " --model " + model);
            EXPECT_EQ(r.code, 3) << r.err;
            EXPECT_TRUE(r.lines.empty()) << r.lines.front();
            // The CS-2000 itself refuses light past its range (ER10); the
            // others answer, and the answer is refused here.
            const bool refused = r.err.find("could not be used") != std::string::npos ||
                                 r.err.find("over its measuring range") != std::string::npos;
            EXPECT_TRUE(refused) << r.err;
        }
    }
}

TEST_F(CliReference, ABusyPortAndAMissingOneAreToldApart) {
    serialPort held(port("cs2000"));
    ASSERT_TRUE(held.open());
    const struct {
        std::string port;
        const char *says;
    } cases[] = {{port("cs2000"), "is in use by another program"},
                 {port("cs2000") + "-gone", "no port at"}};
    for (const auto &c : cases) {
        for (const char *command : {"reference --model cs2000 --port ", "spectrum --port "}) {
            const CliRun r = cli(std::string(command) + c.port);
            EXPECT_EQ(r.code, 1) << command;
            EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        }
    }
}

TEST_F(CliReference, SpectrumAsJsonAndCsv) {
    const CliRun json = cli("spectrum --port " + port("cs2000"));
    ASSERT_EQ(json.code, 0) << json.err;
    ASSERT_EQ(json.lines.size(), 1u);
    EXPECT_EQ(json.lines[0].rfind("{\"nm\":[380,381,", 0), 0u);
    EXPECT_NE(json.lines[0].find(",780],\"value\":["), std::string::npos);

    const CliRun csv = cli("spectrum --csv --port " + port("cs2000"));
    ASSERT_EQ(csv.code, 0) << csv.err;
    ASSERT_EQ(csv.lines.size(), 402u);
    EXPECT_EQ(csv.lines[0], "nm,value");
    EXPECT_EQ(csv.lines[1].rfind("380,", 0), 0u);
    EXPECT_EQ(csv.lines[401].rfind("780,", 0), 0u);
    EXPECT_GT(std::stod(csv.lines[1 + 175].substr(4)), 0.0); // 555 nm
}

TEST_F(CliReference, ChannelsListAndSelect) {
    const CliRun list = cli("channels --port " + port("cs2000"));
    ASSERT_EQ(list.code, 0) << list.err;
    ASSERT_EQ(list.lines.size(), 1u);
    EXPECT_NE(list.lines[0].find("\"selected\":0,\"selectedName\":\"Factory Cal File\""),
              std::string::npos)
        << list.lines[0];
    EXPECT_NE(list.lines[0].find("\"3: Blank\""), std::string::npos);

    const CliRun pick = cli("channels --port " + port("cs2000") + " --select 4");
    EXPECT_EQ(pick.code, 0) << pick.err;
    EXPECT_NE(pick.lines.at(0).find("\"selected\":4,\"selectedName\":\"Projector\""),
              std::string::npos);
    const CliRun blank = cli("channels --port " + port("cs2000") + " --select 3");
    EXPECT_EQ(blank.code, 2);
    EXPECT_NE(blank.err.find("refused channel 3"), std::string::npos) << blank.err;
}

TEST_F(CliReference, PortsListsWhatAScanFinds) {
    const std::vector<std::string> extra = {"TINTWELL_EXTRA_PORTS=" + port("colorimeter") + ":" +
                                            port("cs2000") + ":" + port("pr650") + ":" +
                                            port("bm7")};
    const CliRun all = cli("ports --json --all", extra);
    ASSERT_EQ(all.code, 0) << all.err;
    std::string text;
    for (const std::string &l : all.lines)
        text += l + "\n";
    const std::vector<std::string> wanted = {
        "{\"type\":\"CS-2000\",\"model\":\"CS-2000\",\"serialNumber\":\"1001234\",\"port\":\"" +
            port("cs2000") + "\",\"status\":\"found\"}",
        "{\"type\":\"PR-650\",\"model\":\"PR-650\",\"serialNumber\":\"60951234\"",
        "{\"type\":\"BM7\",\"model\":\"BM-7\",\"serialNumber\":\"unknown\"",
        "{\"type\":\"Torva Devices\",\"model\":\"TV-40\"",
        "{\"type\":\"Manual\",\"model\":\"Manual \",\"serialNumber\":\"Entry\""};
    for (const std::string &expected : wanted)
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;

    // The settings (none here) leave the reference instruments unprobed.
    const CliRun plain = cli("ports", extra);
    ASSERT_EQ(plain.code, 0);
    EXPECT_NE(plain.err.find("not probed for CS-2000, PR-650, BM7"), std::string::npos);
    bool cs2000Unknown = false;
    for (const std::string &l : plain.lines)
        cs2000Unknown |= l.rfind("(none)", 0) == 0 && l.find(port("cs2000")) != std::string::npos;
    EXPECT_TRUE(cs2000Unknown);
}

} // namespace
