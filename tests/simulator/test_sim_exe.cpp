// tintwell-sim as a process: its start-up lines, the command channel on
// standard input, its options, and leaving no port links behind.
#include "ptyclient.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

bool exists(const std::string &path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// tintwell-sim with pipes on its standard input and output.
class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> args) {
        const char *bin = std::getenv("TINTWELL_BIN_DIR");
        args.insert(args.begin(), std::string(bin ? bin : ".") + "/tintwell-sim");
        int in[2], out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            int devnull = ::open("/dev/null", O_WRONLY);
            ::dup2(devnull, 2);
            ::close(in[1]);
            ::close(out[0]);
            std::vector<char *> argv;
            for (std::string &a : args)
                argv.push_back(&a[0]);
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        in_ = in[1];
        out_ = out[0];
    }
    ~SimProcess() {
        closeInput();
        if (pid_ > 0 && status_ < 0) {
            ::kill(pid_, SIGKILL);
            wait();
        }
        ::close(out_);
    }
    std::string line(int ms = 5000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            std::size_t nl = buf_.find('\n');
            if (nl != std::string::npos) {
                std::string l = buf_.substr(0, nl);
                buf_.erase(0, nl + 1);
                return l;
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
            pollfd p{out_, POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0)
                return "<timeout>";
            char b[1024];
            ssize_t n = ::read(out_, b, sizeof b);
            if (n <= 0)
                return "<eof>";
            buf_.append(b, static_cast<std::size_t>(n));
        }
    }
    std::string command(const std::string &c) {
        std::string l = c + "\n";
        ssize_t n = ::write(in_, l.data(), l.size());
        (void)n;
        return line();
    }
    void closeInput() {
        if (in_ >= 0)
            ::close(in_);
        in_ = -1;
    }
    void signal(int sig) { ::kill(pid_, sig); }
    int wait() {
        if (status_ >= 0)
            return status_;
        for (int i = 0; i < 10000; ++i) {
            int st = 0;
            if (::waitpid(pid_, &st, WNOHANG) == pid_) {
                status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
                return status_;
            }
            ::usleep(1000);
        }
        return -1;
    }

private:
    pid_t pid_ = -1;
    int in_ = -1, out_ = -1;
    int status_ = -1;
    std::string buf_;
};

} // namespace

TEST(SimExecutable, AnnouncesPortsAnswersCommandsAndCleansUpOnEndOfInput) {
    const std::string dir = makeTempDir();
    SimProcess p({"--dir", dir + "/run", "--colorimeter", "T-40-A:XY777", "--fast"});
    const std::string port = dir + "/run/colorimeter";
    EXPECT_EQ(p.line(), "colorimeter " + port);
    EXPECT_EQ(p.line(), "ready");
    EXPECT_TRUE(exists(port));

    PtyClient c(port);
    ASSERT_TRUE(c.ok());
    EXPECT_EQ(c.transact("P0", 21), "P0T-40-A XY777    OK\r");
    EXPECT_EQ(p.command("aim"), "ok off");
    c.send("L1\r");
    EXPECT_EQ(c.transact("P0", 21).size(), 21u); // answered in order, so L1 is done
    EXPECT_EQ(p.command("aim"), "ok on");
    EXPECT_EQ(p.command("light xyY 0.3127 0.329 100").rfind("ok XYZ 95.04", 0), 0u);
    EXPECT_EQ(p.command("frobnicate").rfind("error ", 0), 0u);
    EXPECT_EQ(p.command("help").rfind("ok ", 0), 0u);
    EXPECT_EQ(p.command("unplug"), "ok colorimeter unplugged");
    EXPECT_EQ(p.command("replug"), "ok colorimeter " + port);

    p.closeInput();
    EXPECT_EQ(p.wait(), 0);
    EXPECT_FALSE(exists(port));
    ::rmdir((dir + "/run").c_str());
    ::rmdir(dir.c_str());
}

TEST(SimExecutable, TerminationSignalRemovesTheLinks) {
    const std::string dir = makeTempDir();
    for (int sig : {SIGTERM, SIGINT}) {
        SimProcess p({"--dir", dir});
        EXPECT_EQ(p.line(), "colorimeter " + dir + "/colorimeter");
        EXPECT_EQ(p.line(), "ready");
        p.signal(sig);
        EXPECT_EQ(p.wait(), 0);
        EXPECT_FALSE(exists(dir + "/colorimeter"));
    }
    ::rmdir(dir.c_str());
}

TEST(SimExecutable, RefusesBadOptions) {
    const std::vector<std::vector<std::string>> cases = {
        {"--colorimeter", "X-99"},
        {"--colorimeter", "T-4:SERIALTOOLONG"},
        {"--dir"},
        {"--bogus"},
    };
    for (const auto &args : cases) {
        SimProcess p(args);
        EXPECT_EQ(p.wait(), 2) << args[0];
    }
}
