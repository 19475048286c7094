// A state file that exists but cannot be read is refused and never replaced.
#include "nvmemory.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

TEST(SimState, AFileThatCannotBeReadIsRefusedAndKept) {
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755); // the file itself is what cannot be read
    const std::string state = dir.file("state"), contents = "tintwell-sim colorimeter state 1\n";
    std::ofstream(state) << contents;
    ::chmod(state.c_str(), 0600);
    // Unreadable for whoever checks: another user when run as root (who reads
    // everything), the owner without read permission otherwise.
    const pid_t child = ::fork();
    if (child == 0) {
        const bool unreadable = ::geteuid() == 0 ? ::setgid(65534) == 0 && ::setuid(65534) == 0
                                                 : ::chmod(state.c_str(), 0) == 0;
        if (!unreadable)
            ::_exit(77);
        sim::NonVolatileMemory memory(state);
        std::string error;
        const bool refused = !memory.load(&error) && error.find(state) == 0;
        const bool kept = !memory.setRecord(2, std::string(128, 'x'));
        ::_exit(refused && kept ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::chmod(state.c_str(), 0600);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "cannot make the file unreadable here";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::stringstream now;
    now << std::ifstream(state).rdbuf();
    EXPECT_EQ(now.str(), contents);
}
