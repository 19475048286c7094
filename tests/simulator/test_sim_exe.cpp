// tintwell-sim as a process: its start-up lines, the command channel on
// standard input, its options, and leaving no port links behind.
#include "childprocess.h"
#include "ptyclient.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

bool exists(const std::string &path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

} // namespace

TEST(SimExecutable, AnnouncesPortsAnswersCommandsAndCleansUpOnEndOfInput) {
    TempDir tmp;
    const std::string dir = tmp.path();
    ChildProcess p(
        {"tintwell-sim", "--dir", dir + "/run", "--colorimeter", "T-40-A:XY777", "--fast"});
    const std::string port = dir + "/run/colorimeter";
    EXPECT_EQ(p.readLine(), "colorimeter " + port);
    EXPECT_EQ(p.readLine(), "ready");
    EXPECT_TRUE(exists(port));

    PtyClient c(port);
    ASSERT_TRUE(c.ok());
    EXPECT_EQ(c.transact("P0", 21), "P0T-40-A XY777    OK\r");
    EXPECT_EQ(p.ask("aim"), "ok off");
    c.send("L1\r");
    EXPECT_EQ(c.transact("P0", 21).size(), 21u); // answered in order, so L1 is done
    EXPECT_EQ(p.ask("aim"), "ok on");
    EXPECT_EQ(p.ask("light xyY 0.3127 0.329 100").rfind("ok XYZ 95.04", 0), 0u);
    EXPECT_EQ(p.ask("frobnicate").rfind("error ", 0), 0u);
    EXPECT_EQ(p.ask("help").rfind("ok ", 0), 0u);
    EXPECT_EQ(p.ask("unplug"), "ok colorimeter unplugged");
    EXPECT_EQ(p.ask("replug"), "ok colorimeter " + port);

    p.closeInput();
    EXPECT_EQ(p.wait(), 0);
    EXPECT_FALSE(exists(port));
}

TEST(SimExecutable, TerminationSignalRemovesTheLinks) {
    TempDir tmp;
    const std::string dir = tmp.path();
    for (int sig : {SIGTERM, SIGINT}) {
        ChildProcess p({"tintwell-sim", "--dir", dir});
        EXPECT_EQ(p.readLine(), "colorimeter " + dir + "/colorimeter");
        EXPECT_EQ(p.readLine(), "ready");
        p.signal(sig);
        EXPECT_EQ(p.wait(), 0);
        EXPECT_FALSE(exists(dir + "/colorimeter"));
    }
}

TEST(SimExecutable, RefusesBadOptionsAndAStateFileItCannotRead) {
    TempDir tmp;
    const std::string fifo = tmp.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::vector<std::string> args;
        const char *says;
    } cases[] = {
        {{"--colorimeter", "X-99"}, "X-99"},
        {{"--colorimeter", "T-4:SERIALTOOLONG"}, "serial number"},
        {{"--reference", "CS-2000:10011234"}, "CS-2000"}, // its serial numbers have seven digits
        {{"--reference", "CS-2000:ABC1234"}, "CS-2000"},
        {{"--dir"}, "--dir"},
        {{"--bogus"}, "--bogus"},
        {{"--pattern-generator", "PG1", "--address", "127.0.0.300"}, "--address"},
        {{"--state", fifo}, "--state"}, // reading it would wait for a writer for ever
        {{"--display", "crt"}, "--display must be one of rec709, p3, oled"},
        {{"--display-gamma", "9"}, "--display-gamma must be 1 to 4"},
        {{"--display-peak", "50", "--display-black", "60"}, "below the display's white"},
        {{"--seed", "x"}, "--seed"},
        {{"--seed", "4294967296"}, "--seed"}, // one past 32 bits
        {{"--seed", "-1"}, "--seed"},
        // A display's spectra that cannot be a display's.
        {{"--display-spectra", tmp.write("header.csv", "wavelength,r,g,b\n400,1,1,1\n")},
         "line 1: the header must be nm,red,green,blue"},
        {{"--display-spectra", tmp.write("negative.csv", "nm,red,green,blue\n500,1,1,1\n"
                                                         "501,1,-0.2,1\n")},
         "line 3: radiance must not be negative"},
        {{"--display-spectra", tmp.write("falling.csv", "nm,red,green,blue\n500,1,1,1\n"
                                                        "499,1,1,1\n")},
         "line 3: wavelengths must rise"},
        {{"--display-spectra", tmp.write("sparse.csv", "nm,red,green,blue\n500,1,1,1\n"
                                                       "510,1,1,1\n")},
         "line 3: wavelengths more than 5 nm apart"},
        {{"--display-spectra", tmp.write("nan.csv", "nm,red,green,blue\nnan,nan,nan,nan\n"
                                                    "nan,nan,nan,nan\n")},
         "line 2: values must be finite"},
        {{"--display-spectra", tmp.write("dark.csv", "nm,red,green,blue\n800,1,1,1\n"
                                                     "801,1,1,1\n")},
         "the red primary has no light from 380 to 780 nm"},
        {{"--display", "p3", "--display-spectra",
          tmp.write("ok.csv", "nm,red,green,blue\n"
                              "500,1,1,1\n501,1,1,1\n")},
         "not both"},
    };
    for (const auto &c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), "tintwell-sim");
        ChildProcess p(args);
        EXPECT_EQ(p.wait(5000), 2) << c.says;
        EXPECT_NE(p.err().find(c.says), std::string::npos) << p.err();
    }
    const std::string state = tmp.file("state");
    std::ofstream(state) << "my notes\n";
    ChildProcess p({"tintwell-sim", "--dir", tmp.file("ports"), "--state", state});
    EXPECT_EQ(p.wait(), 1);
    EXPECT_NE(p.err().find("not a colorimeter state file"), std::string::npos) << p.err();
    std::ifstream in(state);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "my notes\n");
}

TEST(SimExecutable, FilesAndLinesTooLargeAreRefusedWithoutReadingThemOut) {
    TempDir tmp;
    ChildProcess p({"tintwell-sim", "--dir", tmp.path(), "--fast"});
    ASSERT_EQ(p.readLine(), "colorimeter " + tmp.file("colorimeter"));
    ASSERT_EQ(p.readLine(), "ready");
    EXPECT_EQ(p.ask("light spectrum /dev/zero"), "error /dev/zero: not a regular file");
    const std::string big = tmp.write("big.csv", std::string(2 << 20, '\n'));
    EXPECT_EQ(p.ask("light spectrum " + big), "error " + big + ": larger than 1024 KiB");
    // A line of 8 MiB is skipped as it arrives, and the next is answered.
    p.send(std::string(8 << 20, 'x'));
    EXPECT_EQ(p.ask("").rfind("error line longer than", 0), 0u);
    EXPECT_EQ(p.ask("light XYZ 1 2 3"), "ok XYZ 1 2 3");
    p.closeInput();
    EXPECT_EQ(p.wait(), 0);
    EXPECT_FALSE(exists(tmp.file("colorimeter")));
}

// A run is repeated by its seed: the same seed gives the same noisy readings,
// another seed other readings, and an unseeded run names the seed it drew.
TEST(SimExecutable, TheSeedRepeatsARunsNoise) {
    TempDir tmp;
    auto readings = [&](const std::string &name, const std::vector<std::string> &seed) {
        std::vector<std::string> args = {"tintwell-sim", "--dir", tmp.file(name), "--fast"};
        args.insert(args.end(), seed.begin(), seed.end());
        ChildProcess p(args);
        EXPECT_EQ(p.readLine(), "colorimeter " + tmp.file(name) + "/colorimeter");
        EXPECT_EQ(p.readLine(), "ready");
        EXPECT_EQ(p.ask("light xyY 0.3127 0.329 100").rfind("ok ", 0), 0u);
        PtyClient c(tmp.file(name) + "/colorimeter");
        EXPECT_TRUE(c.ok());
        std::string replies;
        for (int i = 0; i < 5; ++i)
            replies += c.transact("N5", 15);
        p.closeInput();
        EXPECT_EQ(p.wait(), 0);
        return std::make_pair(replies, p.err());
    };
    const auto first = readings("a", {"--seed", "7"});
    EXPECT_EQ(first.first.size(), 5 * 15u);
    EXPECT_EQ(readings("b", {"--seed", "7"}).first, first.first);
    EXPECT_NE(readings("c", {"--seed", "8"}).first, first.first);
    const auto unseeded = readings("d", {});
    const std::size_t at = unseeded.second.find("--seed ");
    ASSERT_NE(at, std::string::npos) << unseeded.second;
    const std::string seed =
        unseeded.second.substr(at + 7, unseeded.second.find(' ', at + 7) - at - 7);
    EXPECT_EQ(readings("e", {"--seed", seed}).first, unseeded.first);
}
