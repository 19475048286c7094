// A serial port this account may not open: the advice names the group that
// may and the way in, and the command-line tool gives it instead of "no
// instrument answered". As root the tool runs as "nobody" on a port of the
// group dialout; otherwise on a port nobody may open.
#include "childprocess.h"
#include "portaccess.h"

#include <gtest/gtest.h>

#include <fstream>
#include <grp.h>
#include <sys/stat.h>

TEST(PortAccess, AdviceFitsWhatStandsInTheWay) {
    auto denied = [](const char *group, bool active, bool listed) {
        PortAccess a;
        a.denied = true;
        a.group = group;
        a.groupIsRoot = a.group == "root";
        a.memberActive = active;
        a.memberListed = listed;
        a.user = "ada";
        return a;
    };
    const struct {
        PortAccess access;
        const char *says; // "" for no advice at all
    } cases[] = {
        {PortAccess{}, ""},
        {denied("dialout", false, false),
         "join the group 'dialout' (sudo usermod -aG dialout ada)"},
        {denied("uucp", false, true), "log out and back in to use the group 'uucp'"},
        {denied("dialout", true, true), "not even for its group 'dialout'; a udev rule"},
        {denied("root", false, false), "only root may use it; a udev rule"},
    };
    for (const auto &c : cases) {
        const std::string advice = portAccessAdvice("/dev/ttyUSB0", c.access);
        EXPECT_NE(advice.find(c.says), std::string::npos) << advice;
        EXPECT_EQ(advice.empty(), !*c.says) << advice;
    }
}

TEST(PortAccess, TheToolSaysWhichGroupMayOpenThePort) {
    char dir[] = "/tmp/tintwell-refusedXXXXXX"; // "nobody" may not enter the test's home
    ASSERT_TRUE(::mkdtemp(dir));
    const std::string port = std::string(dir) + "/ttyUSB9";
    std::ofstream(port).put('\0');
    std::vector<std::string> asOther;
    std::string advice = "no permission to open " + port;
    if (::geteuid() == 0) {
        const group *dialout = ::getgrnam("dialout");
        ASSERT_TRUE(dialout && ::access("/usr/bin/setpriv", X_OK) == 0);
        ASSERT_EQ(::chmod(dir, 0755) | ::chown(port.c_str(), 0, dialout->gr_gid), 0);
        asOther = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        advice += ": join the group 'dialout' (sudo usermod -aG dialout nobody)";
    }
    ASSERT_EQ(::chmod(port.c_str(), asOther.empty() ? 0 : 0660), 0);
    const std::string cli = std::string(std::getenv("TINTWELL_BIN_DIR")) + "/tintwell-cli";
    for (std::vector<std::string> run : {std::vector<std::string>{cli, "measure", "--port", port},
                                         {cli, "reference", "--port", port, "--model", "cs2000"}}) {
        run.insert(run.begin(), asOther.begin(), asOther.end());
        ChildProcess p(run);
        p.closeInput();
        EXPECT_EQ(p.wait(), 1) << p.err();
        EXPECT_NE(p.err().find(run[asOther.size() + 1] + ": " + advice), std::string::npos)
            << p.err();
    }
    ::unlink(port.c_str());
    ::rmdir(dir);
}
