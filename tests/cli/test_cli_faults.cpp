// The fault campaign: tintwell-cli against the simulator (20 times instrument
// speed) while the line fails in every way the simulator can make it fail,
// and while the client itself is interrupted, broken off or killed. After
// each: nothing impossible was ever printed as a reading, the client ended in
// time with the right exit code, and a fresh client reads within 3 s.
#include "childprocess.h"
#include "simfixture.h"

#include <cmath>
#include <thread>

namespace {

std::string cli() {
    const char *dir = std::getenv("TINTWELL_BIN_DIR");
    return std::string(dir && *dir ? dir : ".") + "/tintwell-cli";
}

double field(const std::string &json, const std::string &name) {
    const std::size_t at = json.find("\"" + name + "\":");
    return at == std::string::npos ? std::nan("")
                                   : std::strtod(json.c_str() + at + name.size() + 3, nullptr);
}

// A printed line is a reading of the scene (X 95, Y 100, Z 108 cd/m²), or it
// is wrong.
bool plausible(const std::string &line, bool flicker) {
    if (flicker)
        return std::fabs(field(line, "y") - 100) < 2 && line.find("null") == std::string::npos;
    const double x = field(line, "x"), y = field(line, "y"), bigY = field(line, "bigY");
    return std::fabs(bigY - 100) < 2 && x > 0.3 && x < 0.34 && y > 0.32 && y < 0.36 &&
           field(line, "errorCode") == 0;
}

struct Operation {
    const char *name;
    std::vector<std::string> args; // after the port
    bool streams;                  // prints until stopped
    int limitMs;                   // the longest it may take to end once the line fails
};

// Limits: the transaction's own time limit (1.5 s a reading, 3 s a stream
// packet, twice 1.5 s and the longest reply between for identification) and
// 3 s for starting and ending the process under a loaded test machine.
const Operation operations[] = {
    {"measure", {"measure"}, true, 1500 + 3000},
    {"flicker", {"flicker"}, true, 3000 + 3000},
    {"profiles", {"profiles"}, false, 1500 + 2100 + 1500 + 3000},
};

struct Fault {
    const char *on, *off;
    // Exit code per operation: measure, flicker, profiles (-1: keeps running).
    int exitCode[3];
};

const Fault faults[] = {
    // A stream resynchronises past noise; a reading or identification cannot.
    {"garbage 10", "garbage off", {3, -1, 1}}, {"truncate 5", "truncate off", {3, 3, 1}},
    {"silence on", "silence off", {3, 3, 1}},  {"slow 200", "slow off", {3, 3, 1}},
    {"unplug", "replug", {3, 3, 1}},
};

} // namespace

class CliFaults : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        startSim("TV-40");
        sim_->scene().setXYZ(95, 100, 108);
    }
    std::vector<std::string> command(const Operation &op) {
        std::vector<std::string> a = {cli()};
        a.insert(a.end(), op.args.begin(), op.args.end());
        a.push_back("--port");
        a.push_back(port());
        return a;
    }
    void expectPlausible(const ChildProcess &c, bool flicker, const std::string &what) {
        for (const std::string &line : c.lines())
            ASSERT_TRUE(plausible(line, flicker)) << what << ": " << line.substr(0, 300);
    }
    // A new client connects and reads within 3 s.
    void expectFreshClientReads(const std::string &after) {
        ChildProcess fresh({"tintwell-cli", "measure", "--port", port(), "--count", "1"});
        EXPECT_EQ(fresh.wait(3000), 0) << "after " << after << ": " << fresh.err();
        expectPlausible(fresh, false, "fresh client after " + after);
        EXPECT_EQ(fresh.lines().size(), 1u);
    }
};

TEST_F(CliFaults, EveryFaultDuringEveryOperation) {
    for (const Fault &fault : faults) {
        for (std::size_t k = 0; k < 3; ++k) {
            const Operation &op = operations[k];
            const std::string what = std::string(op.name) + " with " + fault.on;
            SCOPED_TRACE(what);
            std::unique_ptr<ChildProcess> c;
            if (op.streams) {
                c = std::make_unique<ChildProcess>(command(op));
                ASSERT_GE(c->waitLines(3), 3u) << c->err();
                ASSERT_EQ(say(fault.on).substr(0, 2), "ok");
            } else {
                ASSERT_EQ(say(fault.on).substr(0, 2), "ok");
                c = std::make_unique<ChildProcess>(command(op));
            }
            const int expected = fault.exitCode[k];
            if (expected < 0) {
                EXPECT_EQ(c->wait(1000), -1) << c->err();
                c->signal(SIGINT);
                EXPECT_EQ(c->wait(op.limitMs), 0) << c->err();
            } else {
                EXPECT_EQ(c->wait(op.limitMs), expected) << c->err();
            }
            if (op.streams) {
                expectPlausible(*c, k == 1, what);
            } else {
                EXPECT_EQ(c->out(), "") << "nothing is listed from a failing line";
            }
            ASSERT_EQ(say(fault.off).substr(0, 2), "ok");
            expectFreshClientReads(what);
        }
    }
}

TEST_F(CliFaults, InterruptedBrokenOffOrKilledClients) {
    const struct {
        int signal;
        int exitCode;
    } endings[] = {{SIGINT, 0}, {SIGHUP, 0}, {SIGPIPE, 128 + SIGPIPE}, {SIGKILL, 128 + SIGKILL}};
    for (const auto &ending : endings) {
        for (std::size_t k = 0; k < 2; ++k) {
            const Operation &op = operations[k];
            const std::string what = std::string(op.name) + " ended by " + strsignal(ending.signal);
            SCOPED_TRACE(what);
            std::vector<std::string> args = command(op);
            if (ending.signal == SIGPIPE) // `| head -3`, and the client's own exit code
                args.insert(args.begin(),
                            {"/bin/bash", "-c",
                             "\"$0\" \"$@\" | head -3 >/dev/null; exit ${PIPESTATUS[0]}"});
            ChildProcess c(args);
            if (ending.signal != SIGPIPE) {
                ASSERT_GE(c.waitLines(3), 3u) << c.err();
                c.signal(ending.signal);
            }
            EXPECT_EQ(c.wait(op.limitMs), ending.exitCode) << c.err();
            // Only a kill can leave the instrument streaming; the next
            // connection recovers it.
            if (ending.signal != SIGKILL) {
                EXPECT_FALSE(sim_->colorimeter().streaming());
            }
            expectFreshClientReads(what);
        }
    }
}
