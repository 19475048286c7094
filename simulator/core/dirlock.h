#pragma once
// One simulator per port directory: a second one would replace the first
// one's port links and delete them when it ends. The lock is an flock on a
// file in the directory holding the owner's pid; the system drops it when the
// owner dies, so a crashed simulator never blocks the next.

#include <string>

namespace sim {

class DirLock {
public:
    DirLock() = default;
    ~DirLock() { release(); }
    DirLock(const DirLock &) = delete;
    DirLock &operator=(const DirLock &) = delete;

    // False, with a message naming the owner's pid, when another process
    // holds dir.
    bool acquire(const std::string &dir, std::string *error);
    void release();
    bool held() const { return fd_ >= 0; }

    static const char *const fileName;

private:
    int fd_ = -1;
    std::string path_;
};

} // namespace sim
