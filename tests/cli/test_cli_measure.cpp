// tintwell-cli measure as a separate process against the in-process
// simulator: JSON and CSV output, argument errors, no instrument, a lost
// instrument, and SIGINT.
#include "simfixture.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>

namespace {

// A child process with its standard output and error captured.
class Child {
public:
    explicit Child(const std::vector<std::string> &args) {
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
        out_ = out[0];
        err_ = err[0];
    }
    ~Child() {
        if (pid_ > 0 && status_ < 0) {
            ::kill(pid_, SIGKILL);
            wait();
        }
        ::close(out_);
        ::close(err_);
    }
    // Reads output until it holds n lines or the time runs out.
    std::vector<std::string> lines(std::size_t n, int ms = 10000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (splitLines(stdout_).size() < n && std::chrono::steady_clock::now() < deadline) {
            if (!pump(10))
                ::usleep(1000);
        }
        return splitLines(stdout_);
    }
    int wait() {
        if (status_ >= 0)
            return status_;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            if (!pump(10))
                ::usleep(1000); // closed pipes poll at once
            int st = 0;
            if (::waitpid(pid_, &st, WNOHANG) == pid_) {
                while (pump(0)) {
                }
                status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
                return status_;
            }
        }
        return -1;
    }
    void signal(int sig) { ::kill(pid_, sig); }
    const std::string &out() const { return stdout_; }
    const std::string &err() const { return stderr_; }

private:
    static std::vector<std::string> splitLines(const std::string &s) {
        std::vector<std::string> v;
        std::size_t start = 0, nl;
        while ((nl = s.find('\n', start)) != std::string::npos) {
            v.push_back(s.substr(start, nl - start));
            start = nl + 1;
        }
        return v;
    }
    // True when some output arrived.
    bool pump(int ms) {
        pollfd p[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
        if (::poll(p, 2, ms) <= 0)
            return false;
        bool got = false;
        char buf[4096];
        if (p[0].revents) {
            ssize_t n = ::read(out_, buf, sizeof buf);
            if (n > 0)
                stdout_.append(buf, static_cast<std::size_t>(n));
            got |= n > 0;
        }
        if (p[1].revents) {
            ssize_t n = ::read(err_, buf, sizeof buf);
            if (n > 0)
                stderr_.append(buf, static_cast<std::size_t>(n));
            got |= n > 0;
        }
        return got;
    }
    pid_t pid_ = -1;
    int out_ = -1, err_ = -1;
    int status_ = -1;
    std::string stdout_, stderr_;
};

std::string cli() {
    const char *bin = std::getenv("TINTWELL_BIN_DIR");
    return std::string(bin ? bin : ".") + "/tintwell-cli";
}

// The number after "name": in a one-line JSON object.
double jsonField(const std::string &json, const std::string &name) {
    std::size_t at = json.find("\"" + name + "\":");
    if (at == std::string::npos)
        return -12345;
    return std::strtod(json.c_str() + at + name.size() + 3, nullptr);
}

std::string lastLine(const std::string &s) {
    std::string t = s;
    while (!t.empty() && t.back() == '\n')
        t.pop_back();
    return t.substr(t.rfind('\n') == std::string::npos ? 0 : t.rfind('\n') + 1);
}

} // namespace

class CliMeasure : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        startSim("T-40");
        sim_->scene().setXYZ(95, 100, 108);
    }
};

TEST_F(CliMeasure, PrintsOneJsonObjectPerReading) {
    Child p({cli(), "measure", "--port", port(), "--count", "5", "--max-avg", "4"});
    ASSERT_EQ(p.wait(), 0) << p.err();
    auto lines = p.lines(5);
    ASSERT_EQ(lines.size(), 5u) << p.out();
    double lastT = -1;
    for (const std::string &l : lines) {
        EXPECT_EQ(l.rfind("{\"t\":", 0), 0u) << l;
        EXPECT_EQ(l.back(), '}');
        const double t = jsonField(l, "t");
        EXPECT_GE(t, lastT);
        lastT = t;
        EXPECT_NEAR(jsonField(l, "bigY"), 99.9, 0.5);
        EXPECT_EQ(jsonField(l, "avgCount"), 1);
        EXPECT_EQ(jsonField(l, "errorCode"), 0);
        EXPECT_NE(l.find("\"gamutSpec\":{"), std::string::npos);
        EXPECT_NE(l.find("\"maxZ\":"), std::string::npos);
    }
    EXPECT_EQ(jsonField(lines[0], "t"), 0);
}

TEST_F(CliMeasure, CsvHasAHeaderAndOneRowPerReading) {
    Child p({cli(), "measure", "--port", port(), "--count", "3", "--csv", "--speed", "normal"});
    ASSERT_EQ(p.wait(), 0) << p.err();
    auto lines = p.lines(4);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].rfind("t,x,y,bigX,bigY,bigZ,rawX", 0), 0u) << lines[0];
    const auto columns = [](const std::string &s) { return std::count(s.begin(), s.end(), ','); };
    for (std::size_t i = 1; i < 4; ++i)
        EXPECT_EQ(columns(lines[i]), columns(lines[0]));
    EXPECT_EQ(lines[1].rfind("0,", 0), 0u);
}

TEST_F(CliMeasure, BadArgumentsExitTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {"measure"},
        {"measure", "--port", port(), "--speed", "slow"},
        {"measure", "--port", port(), "--count", "0"},
        {"measure", "--port", port(), "--max-avg", "129"},
        {"measure", "--port", port(), "--count", "3", "--seconds", "2"},
        {"measure", "--port", port(), "--seconds", "-1"},
        {"measure", "--port", port(), "--frobnicate"},
    };
    for (auto args : cases) {
        args.insert(args.begin(), cli());
        Child p(args);
        EXPECT_EQ(p.wait(), 2) << args.back();
        EXPECT_TRUE(p.out().empty());
    }
}

TEST_F(CliMeasure, NoInstrumentAtThePathExitsOne) {
    Child p({cli(), "measure", "--port", dir_ + "/missing", "--count", "1"});
    EXPECT_EQ(p.wait(), 1);
    EXPECT_NE(p.err().find("no port at"), std::string::npos) << p.err();
}

TEST_F(CliMeasure, LostInstrumentExitsThreeAndSaysHow) {
    Child p({cli(), "measure", "--port", port(), "--seconds", "60"});
    ASSERT_GE(p.lines(3).size(), 3u) << p.err();
    EXPECT_EQ(say("unplug"), "ok colorimeter unplugged");
    EXPECT_EQ(p.wait(), 3);
    EXPECT_NE(lastLine(p.err()).find("instrument lost"), std::string::npos) << p.err();
    EXPECT_NE(lastLine(p.err()).find("unplugged"), std::string::npos) << p.err();
}

TEST_F(CliMeasure, InterruptStopsCleanly) {
    Child p({cli(), "measure", "--port", port()});
    ASSERT_GE(p.lines(3).size(), 3u) << p.err();
    p.signal(SIGINT);
    EXPECT_EQ(p.wait(), 0) << p.err();
    // The port is released: another owner can connect at once.
    TClmtr c;
    EXPECT_TRUE(c.connect(port()));
}
