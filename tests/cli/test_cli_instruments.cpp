// tintwell-cli measure, flicker, profiles and black as child processes
// against the in-process simulator: their output, argument errors, no
// instrument, a lost instrument, and an interrupt.
#include "childprocess.h"
#include "simfixture.h"

#include <cmath>
#include <csignal>

namespace {

// The number after "name": in a one-line JSON object; NaN when absent.
double number(const std::string &json, const std::string &name) {
    const std::size_t at = json.find("\"" + name + "\":");
    return at == std::string::npos ? NAN
                                   : std::strtod(json.c_str() + at + name.size() + 3, nullptr);
}

// The amplitude of the first peak at hz in a flicker record's peak list.
double peak(const std::string &line, const std::string &key, const std::string &hz) {
    const std::string at = "\"" + key + "\":[[" + hz + ",";
    const std::size_t p = line.find(at);
    return p == std::string::npos ? NAN : std::strtod(line.c_str() + p + at.size(), nullptr);
}

class CliInstruments : public SimFixture {
protected:
    ChildProcess *cli(std::vector<std::string> args) {
        args.insert(args.begin(), "tintwell-cli");
        runs_.push_back(std::make_unique<ChildProcess>(args));
        return runs_.back().get();
    }
    std::vector<std::unique_ptr<ChildProcess>> runs_;
};

TEST_F(CliInstruments, MeasurePrintsOneJsonObjectOrCsvRowPerReading) {
    startSim("T-40");
    sim_->scene().setXYZ(95, 100, 108);
    ChildProcess *json = cli({"measure", "--port", port(), "--count", "5", "--max-avg", "4"});
    ASSERT_EQ(json->wait(), 0) << json->err();
    const auto lines = json->lines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(number(lines[0], "t"), 0);
    for (const std::string &l : lines) {
        EXPECT_EQ(l.rfind("{\"t\":", 0), 0u) << l;
        EXPECT_NEAR(number(l, "bigY"), 99.9, 0.5);
        EXPECT_EQ(number(l, "errorCode"), 0);
        EXPECT_NE(l.find("\"gamutSpec\":{"), std::string::npos);
    }
    ChildProcess *csv = cli({"measure", "--port", port(), "--count", "3", "--csv"});
    ASSERT_EQ(csv->wait(), 0) << csv->err();
    ASSERT_EQ(csv->lines().size(), 4u);
    EXPECT_EQ(csv->lines()[0].rfind("t,x,y,bigX,bigY,bigZ,rawX", 0), 0u);
}

TEST_F(CliInstruments, FlickerPrintsRecordsWithPeaksScaledByTheMethod) {
    startSim("TV-40");
    ASSERT_EQ(say("flicker sine 30 20").substr(0, 2), "ok");
    ChildProcess *contrast = cli({"flicker", "--port", port(), "--count", "10", "--spectrum"});
    ASSERT_EQ(contrast->wait(), 0) << contrast->err();
    const auto lines = contrast->lines();
    ASSERT_EQ(lines.size(), 10u);
    // 256 samples are 8 packets: the first 7 records are incomplete.
    EXPECT_NE(lines[6].find("\"errorCode\":8388608,"), std::string::npos);
    EXPECT_NE(lines[7].find("\"errorCode\":0,"), std::string::npos);
    for (const char *key : {"\"sampleRate\":384", "\"sampleCount\":256",
                            "\"spectrumPercent\":[[0,100],[1.5,", "\"spectrumDb\":[[0,0],"})
        EXPECT_NE(lines.back().find(key), std::string::npos) << key;
    const double pc = peak(lines.back(), "peaksPercent", "30");
    EXPECT_NEAR(pc, 40.0, 2.0); // contrast method: 4 x the 10 % relative amplitude

    ChildProcess *normalized = cli(
        {"flicker", "--port", port(), "--count", "10", "--method", "normalized", "--db", "jeita"});
    ASSERT_EQ(normalized->wait(), 0) << normalized->err();
    const std::string last = normalized->lines().back();
    const double ratio = pc / peak(last, "peaksPercent", "30");
    EXPECT_NEAR(ratio, 4.0, 0.2);
    // VESA adds 3.01 dB to JEITA.
    EXPECT_NEAR(peak(lines.back(), "peaksDb", "30") - peak(last, "peaksDb", "30"),
                3.01 + 20 * std::log10(ratio / 4), 0.2);
}

TEST_F(CliInstruments, ProfilesAndBlackPrintWhatTheInstrumentHolds) {
    startSim("T-40");
    ChildProcess *list = cli({"profiles", "--port", port()});
    ASSERT_EQ(list->wait(), 0) << list->err();
    EXPECT_EQ(list->out().rfind("{\"model\":\"T-40\",", 0), 0u) << list->out();
    EXPECT_NE(list->out().find("\"labels\":[\"0: Factory Cal File\",\"1: Studio D65\","),
              std::string::npos);
    EXPECT_NE(list->out().find("\"96: Blank\"]}\n"), std::string::npos);

    sim_->colorimeter().setProfileName(9, "Quote\" and \x01");
    ChildProcess *select = cli({"profiles", "--port", port(), "--select", "9"});
    ASSERT_EQ(select->wait(), 0) << select->err();
    EXPECT_NE(select->out().find("\"selected\":9,\"selectedName\":\"Quote\\\" and \\u0001\""),
              std::string::npos)
        << select->out();
    EXPECT_EQ(sim_->colorimeter().selectedSlot(), 9);

    ChildProcess *rom = cli({"black", "--port", port(), "rom"});
    ASSERT_EQ(rom->wait(), 0) << rom->err();
    const auto table = sim_->colorimeter().blackRom();
    // Range 1 is the last triple of the instrument's table.
    const std::string range1 = "[" + std::to_string(table[15]) + "," + std::to_string(table[16]) +
                               "," + std::to_string(table[17]) + "]";
    EXPECT_EQ(rom->out().rfind(
                  "{\"source\":\"rom\",\"status\":0,\"thermal\":1480,\"black\":[" + range1, 0),
              0u)
        << rom->out();
}

TEST_F(CliInstruments, BadArgumentsExitTwoAndNoInstrumentExitsOne) {
    startSim("T-40");
    const std::vector<std::vector<std::string>> bad = {
        {"measure"},
        {"measure", "--port", port(), "--speed", "slow"},
        {"measure", "--port", port(), "--max-avg", "129"},
        {"measure", "--port", port(), "--count", "3", "--seconds", "2"},
        {"flicker", "--port", port(), "--samples", "1000"},
        {"flicker", "--port", port(), "--method", "vesa"},
        {"profiles", "--port", port(), "--select", "97"},
        {"black", "--port", port(), "flash"},
        {"black", "--port", port(), "ram", "rom"},
    };
    for (const auto &args : bad) {
        ChildProcess *p = cli(args);
        EXPECT_EQ(p->wait(), 2) << args[0] << " " << args.back();
        EXPECT_TRUE(p->out().empty());
    }
    for (const char *command : {"measure", "flicker", "profiles"}) {
        ChildProcess *p = cli({command, "--port", port() + "-missing"});
        EXPECT_EQ(p->wait(), 1) << command;
        EXPECT_NE(p->err().find("no port at"), std::string::npos) << p->err();
    }
    ChildProcess *t40 = cli({"flicker", "--port", port(), "--count", "1"});
    EXPECT_EQ(t40->wait(), 1);
    EXPECT_NE(t40->err().find("does not stream"), std::string::npos) << t40->err();
}

TEST_F(CliInstruments, LosingTheInstrumentExitsThreeAndAnInterruptZero) {
    startSim("TV-40");
    for (const char *command : {"measure", "flicker"}) {
        ChildProcess *p = cli({command, "--port", port()});
        ASSERT_GE(p->waitLines(3), 3u) << p->err();
        ASSERT_EQ(say("unplug"), "ok colorimeter unplugged");
        EXPECT_EQ(p->wait(), 3) << command;
        EXPECT_NE(p->err().find("instrument lost"), std::string::npos) << p->err();
        ASSERT_EQ(say("replug").substr(0, 2), "ok");
    }
    ChildProcess *p = cli({"measure", "--port", port()});
    ASSERT_GE(p->waitLines(3), 3u) << p->err();
    p->signal(SIGINT);
    EXPECT_EQ(p->wait(), 0) << p->err();
    TClmtr c; // the port is released: another owner can connect at once
    EXPECT_TRUE(c.connect(port()));
}

} // namespace
