#pragma once
// One of our programs run as a child process: standard input is a pipe the
// test writes to, standard output and error are collected. A program named
// without a "/" is taken from the build's bin directory (TINTWELL_BIN_DIR).
// A child still running when the object goes is killed.

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char **environ;

class ChildProcess {
public:
    // env: "NAME=value" sets a variable for the child, a bare "NAME" removes it.
    explicit ChildProcess(std::vector<std::string> args, const std::vector<std::string> &env = {}) {
        if (args[0].find('/') == std::string::npos) {
            const char *dir = std::getenv("TINTWELL_BIN_DIR");
            args[0] = std::string(dir && *dir ? dir : ".") + "/" + args[0];
        }
        std::signal(SIGPIPE, SIG_IGN); // writing to a child that has ended is not fatal
        std::vector<std::string> environment;
        for (char **e = environ; *e; ++e)
            environment.emplace_back(*e);
        for (const std::string &change : env) {
            const std::string name = change.substr(0, change.find('=')) + "=";
            for (auto it = environment.begin(); it != environment.end();)
                it = it->compare(0, name.size(), name) == 0 ? environment.erase(it) : it + 1;
            if (change.find('=') != std::string::npos)
                environment.push_back(change);
        }
        int in[2], out[2], err[2];
        if (::pipe2(in, O_CLOEXEC) || ::pipe2(out, O_CLOEXEC) || ::pipe2(err, O_CLOEXEC))
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        std::vector<char *> argv = pointers(args), envp = pointers(environment);
        if (::posix_spawn(&pid_, args[0].c_str(), &actions, nullptr, argv.data(), envp.data()))
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        for (int fd : {in[0], out[1], err[1]})
            ::close(fd);
        in_ = in[1];
        fds_[0] = out[0];
        fds_[1] = err[0];
    }
    ~ChildProcess() {
        closeInput();
        if (pid_ > 0 && status_ < 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        for (int fd : fds_)
            if (fd >= 0)
                ::close(fd);
    }
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    void send(const std::string &text) {
        if (in_ >= 0 && ::write(in_, text.data(), text.size()) < 0)
            closeInput();
    }
    void closeInput() {
        if (in_ >= 0)
            ::close(std::exchange(in_, -1));
    }
    void signal(int sig) {
        if (pid_ > 0 && status_ < 0)
            ::kill(pid_, sig);
    }
    // The next line of standard output not yet taken, or "<timeout>"/"<eof>".
    std::string readLine(int ms = 5000) {
        const auto end = deadline(ms);
        std::size_t nl;
        while ((nl = text_[0].find('\n', taken_)) == std::string::npos) {
            if (fds_[0] < 0 || std::chrono::steady_clock::now() >= end)
                return fds_[0] < 0 ? "<eof>" : "<timeout>";
            pump(10);
        }
        const std::string line = text_[0].substr(taken_, nl - taken_);
        taken_ = nl + 1;
        return line;
    }
    // A command on standard input and the line that answers it.
    std::string ask(const std::string &line) {
        send(line + "\n");
        return readLine();
    }
    // Collects output until standard output holds n lines or ms pass.
    std::size_t waitLines(std::size_t n, int ms = 10000) {
        const auto end = deadline(ms);
        while (lines().size() < n && std::chrono::steady_clock::now() < end)
            pump(10);
        return lines().size();
    }
    // The exit code (128 + signal when killed), or -1 if still running after ms.
    int wait(int ms = 20000) {
        const auto end = deadline(ms);
        int st = 0;
        while (status_ < 0 && pid_ > 0 && std::chrono::steady_clock::now() < end) {
            pump(10);
            if (::waitpid(pid_, &st, WNOHANG) == pid_) {
                while (pump(0)) {
                }
                status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
            }
        }
        return status_;
    }
    std::vector<std::string> lines() const {
        std::vector<std::string> v;
        std::size_t start = 0;
        for (std::size_t nl; (nl = text_[0].find('\n', start)) != std::string::npos; start = nl + 1)
            v.push_back(text_[0].substr(start, nl - start));
        return v;
    }
    const std::string &out() const { return text_[0]; }
    const std::string &err() const { return text_[1]; }

private:
    static std::chrono::steady_clock::time_point deadline(int ms) {
        return std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    }
    static std::vector<char *> pointers(std::vector<std::string> &strings) {
        std::vector<char *> p;
        for (std::string &s : strings)
            p.push_back(&s[0]);
        p.push_back(nullptr);
        return p;
    }
    // Reads what arrives within ms; true when something did.
    bool pump(int ms) {
        pollfd p[2] = {{fds_[0], POLLIN, 0}, {fds_[1], POLLIN, 0}};
        if (::poll(p, 2, ms) <= 0) // closed descriptors (-1) are skipped by poll
            return false;
        bool got = false;
        char buf[65536];
        for (int i = 0; i < 2; ++i) {
            if (fds_[i] < 0 || !p[i].revents)
                continue;
            const ssize_t n = ::read(fds_[i], buf, sizeof buf);
            if (n > 0)
                text_[i].append(buf, static_cast<std::size_t>(n));
            else
                ::close(std::exchange(fds_[i], -1));
            got |= n > 0;
        }
        return got;
    }

    pid_t pid_ = -1;
    int in_ = -1;
    int fds_[2] = {-1, -1};
    std::string text_[2];
    std::size_t taken_ = 0;
    int status_ = -1;
};
