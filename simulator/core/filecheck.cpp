#include "filecheck.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sim {

bool isRegularOrAbsent(const std::string &path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT;
    return S_ISREG(st.st_mode);
}

bool readSmallFile(const std::string &path, std::size_t maxBytes, std::string *text,
                   std::string *why) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer; the type is
    // checked on the descriptor, so the file cannot be swapped in between.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *why = std::string("cannot read it (") + std::strerror(errno) + ")";
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (!ok)
        *why = "not a regular file";
    text->clear();
    char buf[65536];
    while (ok) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            if (!ok)
                *why = std::string("cannot read it (") + std::strerror(errno) + ")";
            break;
        }
        if (text->size() + static_cast<std::size_t>(n) > maxBytes) {
            *why = "larger than " + std::to_string(maxBytes / 1024) + " KiB";
            ok = false;
            break;
        }
        text->append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (!ok)
        text->clear();
    return ok;
}

} // namespace sim
