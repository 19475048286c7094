#include "ptyport.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace {
bool fail(std::string *error, const std::string &what) {
    if (error)
        *error = what + ": " + std::strerror(errno);
    return false;
}
} // namespace

bool PtyPort::create(std::string *error) {
    destroy();
    int m = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m < 0)
        return fail(error, "posix_openpt");
    char name[128];
    if (::grantpt(m) != 0 || ::unlockpt(m) != 0 || ::ptsname_r(m, name, sizeof name) != 0) {
        ::close(m);
        return fail(error, "pseudo-terminal set-up");
    }
    int s = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (s < 0) {
        ::close(m);
        return fail(error, std::string("open ") + name);
    }
    // Raw from the start: an echoing line discipline would send the replies
    // back to the instrument before the application sets its own mode.
    termios tio{};
    ::tcgetattr(s, &tio);
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    ::tcsetattr(s, TCSANOW, &tio);
    ::fcntl(m, F_SETFL, ::fcntl(m, F_GETFL) | O_NONBLOCK);

    // Replace the link atomically so a reader never finds it missing or stale.
    std::string tmp = linkPath_ + ".new" + std::to_string(::getpid());
    ::unlink(tmp.c_str());
    if (::symlink(name, tmp.c_str()) != 0 || ::rename(tmp.c_str(), linkPath_.c_str()) != 0) {
        bool r = fail(error, "symlink " + linkPath_);
        ::unlink(tmp.c_str());
        ::close(s);
        ::close(m);
        return r;
    }
    master_ = m;
    slave_ = s;
    devicePath_ = name;
    return true;
}

void PtyPort::destroy() {
    if (master_ < 0)
        return;
    ::unlink(linkPath_.c_str());
    ::close(slave_);
    ::close(master_);
    master_ = slave_ = -1;
    devicePath_.clear();
}

} // namespace sim
