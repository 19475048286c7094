// tintwell-cli and tintwell-sim as a user meets them when things go wrong.
// The fault campaign runs every client against the simulator (20 times
// instrument speed) while the line fails in every way the simulator can make
// it fail, and while the client is interrupted, broken off or killed; after
// each, nothing impossible was printed as a reading, the client ended in time
// with the right exit code, and a fresh client reads within 3 s. Then what the
// tools say about colours that are none, failed connections and options.
#include "childprocess.h"
#include "simfixture.h"

#include "serialport.h"

#include <cmath>

namespace {

const std::string cli = std::string(std::getenv("TINTWELL_BIN_DIR")) + "/tintwell-cli";

double field(const std::string &json, const std::string &name) {
    const std::size_t at = json.find("\"" + name + "\":");
    return at == std::string::npos ? std::nan("")
                                   : std::strtod(json.c_str() + at + name.size() + 3, nullptr);
}

// Every printed line is a reading of the scene (X 95, Y 100, Z 108 cd/m²).
void expectReadingsOfTheScene(const ChildProcess &c, bool flicker, const std::string &what) {
    for (const std::string &l : c.lines()) {
        const bool ok = flicker ? std::fabs(field(l, "y") - 100) < 2
                                : std::fabs(field(l, "bigY") - 100) < 2 &&
                                      std::fabs(field(l, "x") - 0.31) < 0.02 &&
                                      field(l, "errorCode") == 0;
        ASSERT_TRUE(ok && l.find("null") == std::string::npos) << what << ": " << l.substr(0, 300);
    }
}

struct Operation {
    const char *name;
    bool streams; // prints until stopped
    int limitMs;  // its time limit once the line fails, and 3 s to start and end
};
const Operation operations[] = {{"measure", true, 1500 + 3000},
                                {"flicker", true, 3000 + 3000},
                                {"profiles", false, 1500 + 2100 + 1500 + 3000}};

// Exit codes for measure, flicker, profiles; -1 keeps running (a stream
// resynchronises past noise, a reading or an identification cannot).
const struct {
    const char *on, *off;
    int exitCode[3];
} faults[] = {{"garbage 10", "garbage off", {3, -1, 1}},
              {"truncate 5", "truncate off", {3, 3, 1}},
              {"silence on", "silence off", {3, 3, 1}},
              {"slow 2000", "slow off", {3, 3, 1}},
              {"unplug", "replug", {3, 3, 1}}};

struct Expectation {
    std::vector<std::string> args;
    int exitCode;
    std::string says; // on stderr
};

void expectAll(const std::vector<Expectation> &cases) {
    for (const Expectation &e : cases) {
        ChildProcess c(e.args);
        const std::string what = e.args[1] + " ... " + e.args.back();
        EXPECT_EQ(c.wait(), e.exitCode) << what << ": " << c.err();
        EXPECT_NE(c.err().find(e.says), std::string::npos) << what << ": " << c.err();
        EXPECT_TRUE(e.exitCode == 0 || c.out().empty()) << what;
    }
}

} // namespace

class CliFaults : public SimFixture {
protected:
    void SetUp() override {
        startSim("TV-40");
        sim_->scene().setXYZ(95, 100, 108);
    }
    std::vector<std::string> command(const Operation &op) {
        return {cli, op.name, "--port", port()};
    }
    void expectFreshClientReads(const std::string &after) {
        ChildProcess fresh({cli, "measure", "--port", port(), "--count", "1"});
        EXPECT_EQ(fresh.wait(3000), 0) << "after " << after << ": " << fresh.err();
        EXPECT_EQ(fresh.lines().size(), 1u);
        expectReadingsOfTheScene(fresh, false, "after " + after);
    }
};

TEST_F(CliFaults, EveryFaultDuringEveryOperation) {
    for (const auto &fault : faults) {
        for (std::size_t k = 0; k < 3; ++k) {
            const Operation &op = operations[k];
            const std::string what = std::string(op.name) + " with " + fault.on;
            if (!op.streams) { // over before a fault could come: it meets it from the start
                ASSERT_EQ(say(fault.on).substr(0, 2), "ok");
            }
            ChildProcess c(command(op));
            if (op.streams) {
                ASSERT_GE(c.waitLines(3), 3u) << what << c.err();
                ASSERT_EQ(say(fault.on).substr(0, 2), "ok");
            }
            if (fault.exitCode[k] < 0) {
                EXPECT_EQ(c.wait(1000), -1) << what << c.err();
                c.signal(SIGINT);
            }
            EXPECT_EQ(c.wait(op.limitMs), std::max(fault.exitCode[k], 0)) << what << c.err();
            expectReadingsOfTheScene(c, k == 1, what);
            ASSERT_EQ(say(fault.off).substr(0, 2), "ok");
            expectFreshClientReads(what);
        }
    }
}

TEST_F(CliFaults, InterruptedBrokenOffOrKilledClients) {
    const int endings[][2] = {
        {SIGINT, 0}, {SIGHUP, 0}, {SIGPIPE, 128 + SIGPIPE}, {SIGKILL, 128 + SIGKILL}};
    for (const auto &ending : endings) {
        for (std::size_t k = 0; k < 2; ++k) {
            const std::string what =
                std::string(operations[k].name) + " ended by " + strsignal(ending[0]);
            std::vector<std::string> args = command(operations[k]);
            if (ending[0] == SIGPIPE) // `| head -3`, keeping the client's own exit code
                args.insert(args.begin(),
                            {"/bin/bash", "-c",
                             "\"$0\" \"$@\" | head -3 >/dev/null; exit ${PIPESTATUS[0]}"});
            ChildProcess c(args);
            if (ending[0] != SIGPIPE) {
                ASSERT_GE(c.waitLines(3), 3u) << what << c.err();
                c.signal(ending[0]);
            }
            EXPECT_EQ(c.wait(operations[k].limitMs), ending[1]) << what << c.err();
            // Only a kill leaves the stream running; the next connection ends it.
            EXPECT_TRUE(ending[0] == SIGKILL || !sim_->colorimeter().streaming()) << what;
            expectFreshClientReads(what);
        }
    }
}

TEST_F(CliFaults, ToolsSayWhatIsWrong) {
    const std::string sim = "tintwell-sim";
    expectAll({
        {{cli, "deltae", "-50", "0", "0", "50", "0", "0"}, 2, "L1 a1 b1 is no colour"},
        {{cli, "deltae", "1e308", "0", "0", "50", "0", "0"}, 2, "no finite difference"},
        {{cli, "convert", "--lab", "1e300", "0", "0"}, 2, "--lab gives no finite"},
        {{cli, "convert", "--cct", "6500", "0", "100", "--white-y", "1e-320"}, 2, "no finite"},
        {{cli, "convert", "--cct", "500", "0", "100"}, 2, "outside the range"},
        {{cli, "convert", "--xyY", "0.3", "0.6", "100"}, 0, ""}, // no temperature, yet a colour
        {{cli, "measure", "--port", port(), "--port", port()}, 2, "--port given twice"},
        {{cli, "measure", "--port", port(), "--seconds", "1e8"}, 2, "at most 10000000"},
        {{cli, "measure", "--port", dir_ + "/none"}, 1, "no port at " + dir_},
        {{cli, "measure", "--port", port(), "--profile", "3"}, 2, "slot 3 is empty"},
        {{sim, "--bogus"}, 2, "unknown option '--bogus'"},
        {{sim, "--dir", dir_},
         1,
         dir_ + " is in use by another simulator (pid " + std::to_string(::getpid()) + ")"},
    });
    {
        serialPort held(port());
        ASSERT_TRUE(held.open());
        expectAll({{{cli, "black", "--port", port(), "ram"}, 1, "is in use by another program"}});
    }
    say("silence on");
    expectAll({{{cli, "profiles", "--port", port()}, 1, "nothing came back"}});
    say("silence off");
    say("garbage 30");
    expectAll({{{cli, "profiles", "--port", port()}, 1, "did not identify a colorimeter"}});
}

TEST_F(CliFaults, AProfileChosenForTheRunCorrectsItsReadings) {
    // The idealised instrument: slot 1 holds the exact correction of its
    // matrix error, right for any light (a real instrument's profile is
    // right for the display it was made on only).
    startSim("TV-40", [](sim::SimulatorOptions &o) { o.colorimeter.ideal = true; });
    sim_->scene().setXYZ(95, 100, 108);
    const struct {
        std::vector<std::string> extra;
        const char *name;
        double value;
    } runs[] = {{{"measure", "--count", "1"}, "bigX", 95.97},
                {{"measure", "--count", "1", "--profile", "1"}, "bigX", 95},
                {{"flicker", "--count", "1", "--profile", "1"}, "y", 100}}; // 99.9 without
    for (const auto &r : runs) {
        std::vector<std::string> args = {cli, "--port", port()};
        args.insert(args.begin() + 1, r.extra.begin(), r.extra.end());
        ChildProcess c(args);
        ASSERT_EQ(c.wait(), 0) << c.err();
        EXPECT_NEAR(field(c.lines().back(), r.name), r.value, 0.02) << r.extra.back();
    }
    ChildProcess help({cli, "profiles", "--help"});
    help.wait();
    EXPECT_NE(help.out().find("A selection lasts while this command runs"), std::string::npos);
}
