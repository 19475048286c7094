// tintwell-cli and tintwell-sim saying what went wrong: colours that are no
// colours, connections that fail for different reasons, repeated or
// out-of-range options, and a profile chosen for one run.
#include "childprocess.h"
#include "simfixture.h"

#include "serialport.h"

#include <cmath>

namespace {

double field(const std::string &json, const std::string &name) {
    const std::size_t at = json.find("\"" + name + "\":");
    return at == std::string::npos ? std::nan("")
                                   : std::strtod(json.c_str() + at + name.size() + 3, nullptr);
}

struct Expectation {
    std::vector<std::string> args;
    int exitCode;
    std::string says; // on stderr
};

void expectAll(const std::vector<Expectation> &cases) {
    for (const Expectation &e : cases) {
        ChildProcess c(e.args);
        const std::string what = e.args.size() > 1 ? e.args[1] + " ... " + e.args.back() : "";
        EXPECT_EQ(c.wait(), e.exitCode) << what << ": " << c.err();
        EXPECT_NE(c.err().find(e.says), std::string::npos) << what << ": " << c.err();
        if (e.exitCode != 0) {
            EXPECT_EQ(c.out(), "") << what;
        }
    }
}

} // namespace

TEST(CliColourLimits, DescriptionsWithoutADefinedColourAreRefused) {
    const std::string cli = "tintwell-cli";
    expectAll({
        {{cli, "deltae", "1e308", "1e308", "1e308", "-1e308", "-1e308", "-1e308"}, 2, "no colour"},
        {{cli, "deltae", "1e308", "0", "0", "50", "0", "0"}, 2, "no finite difference"},
        {{cli, "deltae", "-50", "0", "0", "50", "0", "0"}, 2, "L1 a1 b1 is no colour"},
        {{cli, "convert", "--lab", "1e300", "0", "0"}, 2, "--lab gives no finite"},
        {{cli, "convert", "--cct", "6500", "0", "100", "--white-y", "1e-320"}, 2, "no finite"},
        {{cli, "convert", "--cct", "500", "0", "100"}, 2, "outside the range"},
        {{cli, "convert", "--xyz", "-1", "0", "0"}, 2, "negative"},
        // Far from the Planckian locus: no temperature, yet a colour.
        {{cli, "convert", "--xyY", "0.3", "0.6", "100"}, 0, ""},
    });
}

class CliLink : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        startSim("TV-40");
        sim_->scene().setXYZ(95, 100, 108);
    }
    std::string cli() const { return "tintwell-cli"; }
};

TEST_F(CliLink, AFailedConnectionSaysWhy) {
    {
        serialPort holder(port()); // another program has the port
        ASSERT_TRUE(holder.open());
        expectAll({{{cli(), "measure", "--port", port()}, 1, "is in use by another program"},
                   {{cli(), "measure", "--port", dir_ + "/none"}, 1, "no port at " + dir_}});
    }
    say("silence on");
    expectAll({{{cli(), "profiles", "--port", port()}, 1, "nothing came back"}});
    say("silence off");
    say("garbage 30");
    expectAll({{{cli(), "black", "--port", port(), "ram"}, 1, "did not identify a colorimeter"}});
}

TEST_F(CliLink, OptionMistakesAreNamed) {
    const std::string sim = "tintwell-sim";
    expectAll({
        {{cli(), "measure", "--port", port(), "--port", port()}, 2, "--port given twice"},
        {{cli(), "flicker", "--port", port(), "--count", "1", "--count", "2"}, 2, "given twice"},
        {{cli(), "measure", "--port", port(), "--seconds", "1e8"}, 2, "at most 10000000"},
        {{sim, "--bogus"}, 2, "unknown option '--bogus'"},
        {{sim, "--fast", "--dir"}, 2, "--dir needs a value"},
        {{sim, "--dir", dir_},
         1,
         dir_ + " is in use by another simulator (pid " + std::to_string(::getpid()) + ")"},
    });
}

TEST_F(CliLink, AProfileChosenForTheRunCorrectsItsReadings) {
    // Slot 1 holds the exact correction of the simulated instrument's error.
    ChildProcess raw({cli(), "measure", "--port", port(), "--count", "2"});
    ASSERT_EQ(raw.wait(), 0) << raw.err();
    ChildProcess corrected({cli(), "measure", "--port", port(), "--count", "2", "--profile", "1"});
    ASSERT_EQ(corrected.wait(), 0) << corrected.err();
    EXPECT_NE(corrected.err().find("profile 1: Studio D65"), std::string::npos) << corrected.err();
    EXPECT_NEAR(field(raw.lines().back(), "bigX"), 95.97, 0.02);
    EXPECT_NEAR(field(corrected.lines().back(), "bigX"), 95, 0.02);

    ChildProcess stream({cli(), "flicker", "--port", port(), "--count", "1", "--profile", "1"});
    ASSERT_EQ(stream.wait(), 0) << stream.err();
    EXPECT_NEAR(field(stream.lines().back(), "y"), 100, 0.02); // 99.9 uncorrected

    expectAll({{{cli(), "measure", "--port", port(), "--profile", "3"}, 2, "slot 3 is empty"},
               {{cli(), "profiles", "--help"}, 0, ""}});
    ChildProcess help({cli(), "profiles", "--help"});
    help.wait();
    EXPECT_NE(help.out().find("A selection lasts while this command runs"), std::string::npos);
}
