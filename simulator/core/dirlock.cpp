#include "dirlock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sim {

const char *const DirLock::fileName = "tintwell-sim.lock";

namespace {

bool sameFile(int fd, const std::string &path) {
    struct stat held {
    }, named{};
    return ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

std::string ownerPid(int fd) {
    char buf[32] = {};
    const ssize_t n = ::pread(fd, buf, sizeof buf - 1, 0);
    std::string pid(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
    pid = pid.substr(0, pid.find_first_not_of("0123456789"));
    return pid.empty() ? "unknown" : pid;
}

} // namespace

bool DirLock::acquire(const std::string &dir, std::string *error) {
    release();
    const std::string path = dir + "/" + fileName;
    // An owner that ends removes the file while still holding it; whoever
    // locked that removed file tries again with the new one.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (error)
                *error = "cannot lock " + dir + ": " + std::strerror(errno);
            return false;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            if (error)
                *error = err == EWOULDBLOCK
                             ? dir + " is in use by another simulator (pid " + ownerPid(fd) + ")"
                             : "cannot lock " + dir + ": " + std::strerror(err);
            ::close(fd);
            return false;
        }
        if (!sameFile(fd, path)) {
            ::close(fd);
            continue;
        }
        const std::string pid = std::to_string(::getpid()) + "\n";
        if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.data(), pid.size(), 0) < 0) {
            // Locked all the same; only the name of the owner is missing.
        }
        fd_ = fd;
        path_ = path;
        return true;
    }
    if (error)
        *error = "cannot lock " + dir + ": the lock file keeps changing";
    return false;
}

void DirLock::release() {
    if (fd_ < 0)
        return;
    ::unlink(path_.c_str());
    ::close(fd_);
    fd_ = -1;
}

} // namespace sim
