#pragma once
// A program run as a child with its output collected while it runs.

#include <chrono>
#include <csignal>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

class ChildRun {
public:
    explicit ChildRun(const std::vector<std::string> &args) {
        int out[2], err[2];
        if (::pipe(out) != 0 || ::pipe(err) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            ::dup2(err[1], 2);
            ::close(out[0]);
            ::close(err[0]);
            std::vector<char *> argv;
            for (const std::string &a : args)
                argv.push_back(const_cast<char *>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        fd_[0] = out[0];
        fd_[1] = err[0];
    }
    ~ChildRun() {
        if (pid_ > 0 && status_ < 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        for (int fd : fd_)
            if (fd >= 0)
                ::close(fd);
    }
    ChildRun(const ChildRun &) = delete;
    ChildRun &operator=(const ChildRun &) = delete;

    // Collects output until stdout holds n lines or ms pass; the lines so far.
    std::vector<std::string> lines(std::size_t n = 0, int ms = 10000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (n > 0 && count('\n') < n && std::chrono::steady_clock::now() < end)
            pump(10);
        std::vector<std::string> v;
        std::size_t start = 0;
        for (std::size_t nl; (nl = text_[0].find('\n', start)) != std::string::npos; start = nl + 1)
            v.push_back(text_[0].substr(start, nl - start));
        return v;
    }
    // Exit code, 128 + signal when killed, -1 while still running after ms.
    int wait(int ms = 20000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (status_ < 0) {
            pump(5);
            int st = 0;
            if (::waitpid(pid_, &st, WNOHANG) == pid_) {
                while (pump(0)) {
                }
                status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
            } else if (std::chrono::steady_clock::now() >= end) {
                break;
            }
        }
        return status_;
    }
    void signal(int sig) { ::kill(pid_, sig); }
    // The reader goes away, as `| head -1` does.
    void closeOutput() {
        ::close(fd_[0]);
        fd_[0] = -1;
    }
    const std::string &out() const { return text_[0]; }
    const std::string &err() const { return text_[1]; }

private:
    std::size_t count(char c) const {
        std::size_t k = 0;
        for (char x : text_[0])
            k += x == c;
        return k;
    }
    // True when some output arrived within ms.
    bool pump(int ms) {
        pollfd p[2] = {{fd_[0], POLLIN, 0}, {fd_[1], POLLIN, 0}}; // closed ones are skipped
        bool any = false;
        if (::poll(p, 2, ms) > 0) {
            for (int i = 0; i < 2; ++i) {
                if (fd_[i] < 0 || !p[i].revents)
                    continue;
                char buf[65536];
                const ssize_t n = ::read(fd_[i], buf, sizeof buf);
                if (n > 0)
                    text_[i].append(buf, static_cast<std::size_t>(n));
                any |= n > 0;
            }
        }
        if (!any && ms > 0)
            ::usleep(1000); // closed pipes poll at once
        return any;
    }
    pid_t pid_ = -1;
    int fd_[2] = {-1, -1};
    std::string text_[2];
    int status_ = -1;
};
