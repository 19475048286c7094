#pragma once
// Talks to a simulated instrument the way a serial program would: opens the
// port path in raw mode, writes commands, reads with a time limit.

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

class PtyClient {
public:
    explicit PtyClient(const std::string &path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ >= 0) {
            termios t{};
            ::tcgetattr(fd_, &t);
            ::cfmakeraw(&t);
            ::tcsetattr(fd_, TCSANOW, &t);
        }
    }
    ~PtyClient() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    void send(const std::string &s) {
        ssize_t n = ::write(fd_, s.data(), s.size());
        (void)n;
    }
    // Reads until n bytes arrived, ms passed or the far side hung up.
    std::string receive(std::size_t n, int ms) {
        std::string out;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        pollfd p{fd_, POLLIN, 0};
        char buf[4096];
        while (out.size() < n && std::chrono::steady_clock::now() < end && ::poll(&p, 1, 10) >= 0 &&
               !(p.revents & (POLLHUP | POLLERR))) {
            const ssize_t got = ::read(fd_, buf, sizeof buf);
            if (got > 0)
                out.append(buf, static_cast<std::size_t>(got));
        }
        return out;
    }
    // Reads until what arrived ends with `end` (a reply's delimiter), ms
    // passed or the far side hung up.
    std::string receiveUntil(const std::string &end, int ms) {
        std::string out;
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        pollfd p{fd_, POLLIN, 0};
        char c;
        while ((out.size() < end.size() || out.compare(out.size() - end.size(), end.size(), end)) &&
               std::chrono::steady_clock::now() < until && ::poll(&p, 1, 10) >= 0 &&
               !(p.revents & (POLLHUP | POLLERR))) {
            if (::read(fd_, &c, 1) == 1)
                out += c;
        }
        return out;
    }
    // Sends command + delimiter and reads the reply up to the same delimiter.
    std::string ask(const std::string &command, const std::string &delimiter = "\r",
                    int ms = 3000) {
        send(command + delimiter);
        return receiveUntil(delimiter, ms);
    }
    std::string transact(const std::string &command, std::size_t n, int ms = 3000) {
        send(command + "\r");
        return receive(n, ms);
    }
    // The far side is gone (hang-up).
    bool hungUp() {
        pollfd p{fd_, 0, 0};
        return ::poll(&p, 1, 100) > 0 && (p.revents & POLLHUP);
    }

private:
    int fd_ = -1;
};
