// tintwell-cli profiles and black as separate processes against the
// in-process simulator, and tintwell-sim's --state option.
#include "childprocess.h"
#include "simfixture.h"

#include <fstream>
#include <sstream>

namespace {

std::string slurp(const std::string &path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Outcome {
    int exitCode = -1;
    std::string out, err;
};

Outcome run(const std::vector<std::string> &args) {
    ChildProcess p(args);
    const int code = p.wait();
    return {code, p.out(), p.err()};
}

class CliCalibration : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        startSim("T-40");
    }
    Outcome cli(std::vector<std::string> args) {
        args.insert(args.begin(), "tintwell-cli");
        return run(args);
    }
};

} // namespace

TEST_F(CliCalibration, ProfilesListsLabelsAndTheSelection) {
    Outcome r = cli({"profiles", "--port", port()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("{\"model\":\"T-40\",", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("\"selected\":0,\"selectedName\":\"Factory Cal File\""),
              std::string::npos);
    EXPECT_NE(r.out.find("\"labels\":[\"0: Factory Cal File\",\"1: Studio D65\",\"2: Projector "
                         "Room\",\"3: Blank\""),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"96: Blank\"]}\n"), std::string::npos);

    sim_->colorimeter().setProfileName(9, "Quote\" and \x01");
    r = cli({"profiles", "--port", port(), "--select", "9"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\"selected\":9,\"selectedName\":\"Quote\\\" and \\u0001\""),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"status\":0,"), std::string::npos);
    EXPECT_EQ(sim_->colorimeter().selectedSlot(), 9);
}

TEST_F(CliCalibration, BlackPrintsTheTableByRange) {
    Outcome r = cli({"black", "--port", port(), "rom"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto rom = sim_->colorimeter().blackRom();
    // Range 1 is the last triple of the instrument's table.
    const std::string range1 = "[" + std::to_string(rom[15]) + "," + std::to_string(rom[16]) + "," +
                               std::to_string(rom[17]) + "]";
    EXPECT_EQ(
        r.out.rfind("{\"source\":\"rom\",\"status\":0,\"thermal\":1480,\"black\":[" + range1, 0),
        0u)
        << r.out;

    r = cli({"black", "thermal", "--port", port()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\"thermal\":0,\"black\":[[0.22998046875,"), std::string::npos) << r.out;
}

TEST_F(CliCalibration, ExitCodes) {
    for (const std::vector<std::string> &args : std::vector<std::vector<std::string>>{
             {"profiles"},
             {"profiles", "--port", port(), "--select", "97"},
             {"profiles", "--port", port(), "--select", "x"},
             {"profiles", "--port", port(), "extra"},
             {"black", "--port", port()},
             {"black", "--port", port(), "ram", "rom"},
             {"black", "--port", port(), "flash"},
         }) {
        const Outcome r = cli(args);
        EXPECT_EQ(r.exitCode, 2) << args.back();
        EXPECT_TRUE(r.out.empty());
    }
    for (const Outcome &r : {cli({"profiles", "--port", dir_ + "/missing"}),
                             cli({"black", "--port", dir_ + "/missing", "ram"})}) {
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("no port at"), std::string::npos) << r.err;
    }
}

TEST_F(CliCalibration, SimulatorRefusesAStateFileItCannotRead) {
    const std::string state = dir_ + "/state";
    {
        std::ofstream out(state);
        out << "my notes\n";
    }
    const Outcome r = run({"tintwell-sim", "--dir", dir_ + "/ports", "--state", state});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("not a colorimeter state file"), std::string::npos) << r.err;
    EXPECT_EQ(slurp(state), "my notes\n");
    std::remove(state.c_str());
    ::rmdir((dir_ + "/ports").c_str());
    EXPECT_EQ(run({"tintwell-sim", "--state"}).exitCode, 2);
}
