// tintwell-cli flicker as a separate process against the in-process
// simulator: records as JSON, the methods, argument errors, a colorimeter
// that cannot stream, no instrument, and a lost instrument.
#include "simfixture.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>

namespace {

// A child process whose standard output and error are collected.
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
        fds_[0] = out[0];
        fds_[1] = err[0];
    }
    ~Child() {
        if (pid_ > 0 && status_ < 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        for (int fd : fds_)
            if (fd >= 0)
                ::close(fd);
    }
    // Collects output until stdout holds n lines or ms pass.
    std::size_t waitLines(std::size_t n, int ms = 10000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (lineCount() < n && std::chrono::steady_clock::now() < end) {
            if (!pump(10))
                ::usleep(1000); // closed pipes poll at once
        }
        return lineCount();
    }
    int wait(int ms = 20000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (status_ < 0 && std::chrono::steady_clock::now() < end) {
            if (!pump(10))
                ::usleep(1000);
            int st = 0;
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
    const std::string &err() const { return text_[1]; }

private:
    std::size_t lineCount() const {
        return static_cast<std::size_t>(std::count(text_[0].begin(), text_[0].end(), '\n'));
    }
    bool pump(int ms) {
        pollfd p[2] = {{fds_[0], POLLIN, 0}, {fds_[1], POLLIN, 0}};
        if (::poll(p, 2, ms) <= 0)
            return false;
        bool any = false;
        for (int i = 0; i < 2; ++i) {
            if (!(p[i].revents & (POLLIN | POLLHUP)))
                continue;
            char buf[65536];
            const ssize_t n = ::read(fds_[i], buf, sizeof buf);
            if (n > 0) {
                text_[i].append(buf, static_cast<std::size_t>(n));
                any = true;
            }
        }
        return any;
    }
    pid_t pid_ = -1;
    int fds_[2] = {-1, -1};
    std::string text_[2];
    int status_ = -1;
};

std::string cli() {
    const char *dir = std::getenv("TINTWELL_BIN_DIR");
    return std::string(dir ? dir : ".") + "/tintwell-cli";
}

// The number after `key` + "[[" + hz + "," in a JSON line; NaN when absent.
double firstPeak(const std::string &line, const std::string &key, const std::string &hz) {
    const std::string at = "\"" + key + "\":[[" + hz + ",";
    const std::size_t p = line.find(at);
    return p == std::string::npos ? std::nan("")
                                  : std::strtod(line.c_str() + p + at.size(), nullptr);
}

} // namespace

class CliFlicker : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        startSim("TV-40");
    }
};

TEST_F(CliFlicker, PrintsOneObjectPerRecordWithThePeaks) {
    ASSERT_EQ(say("flicker sine 30 20").substr(0, 2), "ok");
    Child c({cli(), "flicker", "--port", port(), "--count", "12", "--spectrum"});
    ASSERT_EQ(c.wait(), 0) << c.err();
    const auto lines = c.lines();
    ASSERT_EQ(lines.size(), 12u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string &l = lines[i];
        EXPECT_EQ(l.front(), '{');
        EXPECT_EQ(l.back(), '}');
        for (const char *key : {"\"errorCode\":", "\"y\":", "\"range\":3", "\"sampleRate\":384",
                                "\"sampleCount\":256", "\"peaksPercent\":[[", "\"peaksDb\":[[",
                                "\"spectrumPercent\":[[0,100],[1.5,", "\"spectrumDb\":[[0,0],"})
            EXPECT_NE(l.find(key), std::string::npos) << key << " in " << l.substr(0, 200);
        // 256 samples are 8 packets: the first 7 records are incomplete.
        EXPECT_NE(l.find(i < 7 ? "\"errorCode\":8388608," : "\"errorCode\":0,"), std::string::npos)
            << i;
    }
    EXPECT_NEAR(firstPeak(lines.back(), "peaksPercent", "30"), 40.0, 2.0);
    EXPECT_FALSE(std::isnan(firstPeak(lines.back(), "peaksDb", "30")));
}

TEST_F(CliFlicker, MethodsScaleThePeaks) {
    ASSERT_EQ(say("flicker sine 30 20").substr(0, 2), "ok");
    Child contrast({cli(), "flicker", "--port", port(), "--count", "10", "--samples", "128"});
    ASSERT_EQ(contrast.wait(), 0) << contrast.err();
    Child normalized({cli(), "flicker", "--port", port(), "--count", "10", "--samples", "128",
                      "--method", "normalized", "--db", "jeita"});
    ASSERT_EQ(normalized.wait(), 0) << normalized.err();
    const std::string a = contrast.lines().back(), b = normalized.lines().back();
    EXPECT_NE(a.find("\"sampleCount\":128"), std::string::npos);
    const double pa = firstPeak(a, "peaksPercent", "30"), pb = firstPeak(b, "peaksPercent", "30");
    EXPECT_NEAR(pa / pb, 4.0, 0.2);
    const double da = firstPeak(a, "peaksDb", "30"), db = firstPeak(b, "peaksDb", "30");
    EXPECT_NEAR(da - db, 3.01 + 20 * std::log10(pa / pb / 4), 0.2);
}

TEST_F(CliFlicker, BadArgumentsExitWith2) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--port"},
        {"--port", port(), "--samples", "1000"},
        {"--port", port(), "--samples", "4096"},
        {"--port", port(), "--method", "vesa"},
        {"--port", port(), "--db", "contrast"},
        {"--port", port(), "--count", "0"},
        {"--port", port(), "--colour"},
    };
    for (const auto &args : bad) {
        std::vector<std::string> argv = {cli(), "flicker"};
        argv.insert(argv.end(), args.begin(), args.end());
        Child c(argv);
        EXPECT_EQ(c.wait(), 2) << (args.empty() ? "" : args.back());
        EXPECT_TRUE(c.lines().empty());
    }
}

TEST_F(CliFlicker, NoInstrumentOrOneThatCannotStreamExitsWith1) {
    Child none({cli(), "flicker", "--port", dir_ + "/nothing-here", "--count", "1"});
    EXPECT_EQ(none.wait(), 1);
    EXPECT_NE(none.err().find("no port at"), std::string::npos);

    sim_.reset();
    startSim("T-40");
    Child t40({cli(), "flicker", "--port", port(), "--count", "1"});
    EXPECT_EQ(t40.wait(), 1);
    EXPECT_NE(t40.err().find("does not stream"), std::string::npos) << t40.err();
    EXPECT_TRUE(t40.lines().empty());
}

TEST_F(CliFlicker, LosingTheInstrumentExitsWith3) {
    Child c({cli(), "flicker", "--port", port()});
    ASSERT_GE(c.waitLines(3), 3u) << c.err();
    ASSERT_EQ(say("unplug"), "ok colorimeter unplugged");
    EXPECT_EQ(c.wait(), 3);
    EXPECT_NE(c.err().find("instrument lost"), std::string::npos) << c.err();
}
