// What the simulator owns and guards: its port directory (one simulator at a
// time), a state file it may not overwrite unread, and the pace of a reply
// once a slow line is cured.
#include "nvmemory.h"
#include "ptyclient.h"
#include "simfixture.h"

#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

bool exists(const std::string &path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string slurp(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

class SimOwnership : public SimFixture {};

TEST_F(SimOwnership, ASecondSimulatorOnTheSameDirectoryRefusesAndLeavesTheFirstAlone) {
    startSim();
    {
        sim::Simulator second(options());
        std::string error;
        EXPECT_FALSE(second.start(&error));
        EXPECT_NE(error.find(dir_ + " is in use by another simulator (pid " +
                             std::to_string(::getpid()) + ")"),
                  std::string::npos)
            << error;
    }
    ASSERT_TRUE(exists(port())); // the refused one took nothing with it
    TClmtr c;
    EXPECT_TRUE(c.connect(port()));
    c.close();

    sim_.reset(); // the owner leaves: the directory is free again
    EXPECT_FALSE(exists(dir_ + "/tintwell-sim.lock"));
    startSim();
}

TEST_F(SimOwnership, AStateFileThatCannotBeReadIsRefusedAndKept) {
    ::chmod(dir_.c_str(), 0755); // the file itself is what cannot be read
    const std::string state = dir_ + "/state";
    const std::string contents = "tintwell-sim colorimeter state 1\nslot 3 00\n";
    {
        std::ofstream out(state, std::ios::trunc);
        out << contents;
    }
    ::chmod(state.c_str(), 0600);
    // Unreadable for whoever runs the check: another user when run as root
    // (who reads everything), the owner without read permission otherwise.
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(77);
        } else if (::chmod(state.c_str(), 0) != 0) {
            ::_exit(77);
        }
        sim::NonVolatileMemory memory(state);
        std::string error;
        if (memory.load(&error))
            ::_exit(1);
        if (memory.setRecord(2, std::string(sim::NonVolatileMemory::recordLength, 'x')))
            ::_exit(2);
        ::_exit(error.find(state) == 0 ? 0 : 3);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::chmod(state.c_str(), 0600);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "cannot make the file unreadable here";
    EXPECT_EQ(WEXITSTATUS(status), 0); // 1: taken for a missing file, 2: overwritten
    EXPECT_EQ(slurp(state), contents);
}

TEST_F(SimOwnership, LiftingADelayFreesTheReplyBeingSent) {
    startSim();
    PtyClient client(port());
    ASSERT_TRUE(client.ok());
    ASSERT_EQ(say("slow 2000"), "ok slow 2000 ms");
    client.send("P0\r");
    EXPECT_EQ(client.receive(1, 300), ""); // the first byte waits out its 2 s
    say("slow off");
    // At 2 s a byte the rest would take 40 s; cured, it follows at once.
    const std::string reply = client.receive(21, 3000);
    EXPECT_EQ(reply.size(), 21u);
    EXPECT_EQ(reply.compare(0, 7, "P0TV-40"), 0) << reply;
}
