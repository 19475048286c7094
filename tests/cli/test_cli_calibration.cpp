// tintwell-cli profiles and black as separate processes against the
// in-process simulator, and tintwell-sim's --state option.
#include "simfixture.h"

#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace {

struct Outcome {
    int exitCode = -1;
    std::string out, err;
};

std::string slurp(const std::string &path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string binary(const char *name) {
    const char *bin = std::getenv("TINTWELL_BIN_DIR");
    return std::string(bin ? bin : ".") + "/" + name;
}

// Runs a program to its end with its output in files of dir.
Outcome runProgram(const std::string &dir, std::vector<std::string> args) {
    const std::string outPath = dir + "/out", errPath = dir + "/err";
    Outcome r;
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = ::open("/dev/null", O_RDONLY);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ::dup2(in, 0);
        std::vector<char *> argv;
        for (std::string &a : args)
            argv.push_back(&a[0]);
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        r.exitCode = WEXITSTATUS(status);
    r.out = slurp(outPath);
    r.err = slurp(errPath);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return r;
}

class CliCalibration : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        startSim("T-40");
    }
    Outcome cli(std::vector<std::string> args) {
        args.insert(args.begin(), binary("tintwell-cli"));
        return runProgram(dir_, args);
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
    const Outcome r =
        runProgram(dir_, {binary("tintwell-sim"), "--dir", dir_ + "/ports", "--state", state});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("not a colorimeter state file"), std::string::npos) << r.err;
    EXPECT_EQ(slurp(state), "my notes\n");
    std::remove(state.c_str());
    ::rmdir((dir_ + "/ports").c_str());
    EXPECT_EQ(runProgram(dir_, {binary("tintwell-sim"), "--state"}).exitCode, 2);
}
