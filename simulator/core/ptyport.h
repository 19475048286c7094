#pragma once
// A pseudo-terminal standing in for an instrument's serial port, reachable
// under a stable symlink. The simulator keeps the slave side open itself, so
// the application closing and reopening the port never hangs up the master.

#include <string>

namespace sim {

class PtyPort {
public:
    explicit PtyPort(std::string linkPath) : linkPath_(std::move(linkPath)) {}
    ~PtyPort() { destroy(); }
    PtyPort(const PtyPort &) = delete;
    PtyPort &operator=(const PtyPort &) = delete;

    // New pseudo-terminal in raw mode, symlink pointed at it.
    bool create(std::string *error);
    // The device disappears: both sides closed, symlink removed. The
    // application's open descriptor sees a hang-up.
    void destroy();
    bool exists() const { return master_ >= 0; }

    int masterFd() const { return master_; }
    const std::string &linkPath() const { return linkPath_; }
    const std::string &devicePath() const { return devicePath_; }

private:
    std::string linkPath_;
    std::string devicePath_;
    int master_ = -1;
    int slave_ = -1;
};

} // namespace sim
