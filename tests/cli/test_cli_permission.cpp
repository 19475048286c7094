// A serial port this account may not open: the advice names the group that
// may and what to do, and the command-line tool gives it instead of "no
// instrument answered". Run as root, the tool is started as "nobody" on a
// port of the group dialout; otherwise on a port nobody may open.
#include "childprocess.h"
#include "portaccess.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace {

TEST(PortAccessAdvice, NamesTheGroupAndTheWayIn) {
    const std::string port = "/dev/ttyUSB0";
    auto denied = [](std::string group, bool active, bool listed, bool root = false) {
        PortAccess a;
        a.denied = true;
        a.group = std::move(group);
        a.memberActive = active;
        a.memberListed = listed;
        a.groupIsRoot = root;
        a.user = "ada";
        return a;
    };
    const struct {
        PortAccess access;
        std::vector<std::string> says;
        std::vector<std::string> neverSays;
    } cases[] = {
        {PortAccess{}, {}, {"permission"}},
        {denied("dialout", false, false),
         {"no permission to open /dev/ttyUSB0", "group 'dialout'", "sudo usermod -aG dialout ada",
          "log in again"},
         {"udev"}},
        {denied("uucp", false, true),
         {"group 'uucp' you joined", "log out and back in"},
         {"usermod"}},
        // Already in the group: joining again would not help, a udev rule would.
        {denied("dialout", true, true),
         {"not even for its group 'dialout'", "udev rule"},
         {"usermod"}},
        {denied("root", false, false, true), {"only root may use it", "udev rule"}, {"usermod"}},
        {denied("", false, false), {"only root may use it"}, {"usermod", "''"}},
    };
    for (const auto &c : cases) {
        const std::string advice = portAccessAdvice(port, c.access);
        EXPECT_EQ(advice.empty(), c.says.empty()) << advice;
        for (const std::string &s : c.says)
            EXPECT_NE(advice.find(s), std::string::npos) << "'" << s << "' missing in: " << advice;
        for (const std::string &s : c.neverSays)
            EXPECT_EQ(advice.find(s), std::string::npos) << "'" << s << "' in: " << advice;
    }
}

// A file standing in for a serial port this account may not open, and the
// command line that runs a program as that account.
class RefusedPort : public ::testing::Test {
protected:
    void SetUp() override {
        // Outside the test's private home, which "nobody" may not enter.
        char dir[] = "/tmp/tintwell-refusedXXXXXX";
        ASSERT_NE(::mkdtemp(dir), nullptr);
        dir_ = dir;
        port_ = dir_ + "/ttyUSB9";
        std::ofstream(port_).put('\0');
        if (::geteuid() == 0) {
            const group *dialout = ::getgrnam("dialout");
            if (!dialout || ::access("/usr/bin/setpriv", X_OK) != 0)
                GTEST_SKIP() << "needs the group dialout and setpriv to drop root";
            ASSERT_EQ(::chmod(dir_.c_str(), 0755), 0);
            ASSERT_EQ(::chown(port_.c_str(), 0, dialout->gr_gid), 0);
            ASSERT_EQ(::chmod(port_.c_str(), 0660), 0);
            group_ = "dialout";
            asOther_ = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        } else {
            ASSERT_EQ(::chmod(port_.c_str(), 0), 0);
            group_ = ::getgrgid(::getegid()) ? ::getgrgid(::getegid())->gr_name : "";
        }
    }
    void TearDown() override {
        ::unlink(port_.c_str());
        ::rmdir(dir_.c_str());
    }
    std::vector<std::string> command(std::vector<std::string> args) const {
        const char *bin = std::getenv("TINTWELL_BIN_DIR");
        args[0] = std::string(bin ? bin : ".") + "/" + args[0];
        std::vector<std::string> full = asOther_;
        full.insert(full.end(), args.begin(), args.end());
        return full;
    }

    std::string dir_, port_, group_;
    std::vector<std::string> asOther_;
};

TEST_F(RefusedPort, TheToolSaysWhichGroupMayOpenIt) {
    const struct {
        std::vector<std::string> args;
        int exitCode;
    } runs[] = {
        {{"tintwell-cli", "measure", "--port", port_, "--count", "1"}, 1},
        {{"tintwell-cli", "reference", "--port", port_, "--model", "cs2000"}, 1},
    };
    for (const auto &run : runs) {
        ChildProcess p(command(run.args));
        p.closeInput();
        EXPECT_EQ(p.wait(), run.exitCode) << run.args[1] << ": " << p.err();
        const std::string said = p.err();
        EXPECT_NE(said.find("tintwell-cli " + run.args[1] + ": no permission to open " + port_),
                  std::string::npos)
            << said;
        EXPECT_TRUE(group_.empty() || said.find("'" + group_ + "'") != std::string::npos) << said;
        EXPECT_EQ(said.find("answered"), std::string::npos) << said;
    }
}

} // namespace
