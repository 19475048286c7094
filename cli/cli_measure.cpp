// tintwell-cli measure: continuous readings from a colorimeter, one JSON
// object (or CSV row) per reading, until a count, a duration or SIGINT.
#include "cliargs.h"
#include "clmtrsession.h"
#include "commands.h"
#include "interruptguard.h"
#include "measurementjson.h"
#include "tclmtr.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>

namespace {

using Clock = std::chrono::steady_clock;

// Hands every record from the worker thread to the printing thread.
class QueueingClmtr : public TClmtr {
public:
    struct Item {
        Measurement m;
        Clock::time_point at;
    };
    ~QueueingClmtr() override { close(); }

    bool next(Item &out, std::chrono::milliseconds wait) {
        std::unique_lock<std::mutex> lock(lock_);
        if (!ready_.wait_for(lock, wait, [&] { return !items_.empty(); }))
            return false;
        out = items_.front();
        items_.pop_front();
        return true;
    }

protected:
    void measured(const Measurement &m) override {
        {
            std::lock_guard<std::mutex> lock(lock_);
            items_.push_back({m, Clock::now()});
        }
        ready_.notify_one();
    }

private:
    std::mutex lock_;
    std::condition_variable ready_;
    std::deque<Item> items_;
};

constexpr double maxSeconds = 1e7; // s: about 16 weeks

struct Options {
    std::string port;
    int profile = -1; // the connection's own choice (the factory calibration)
    int speed = 0;    // fast
    int maxAverage = 0;
    long long count = 0;
    double seconds = 0;
    bool csv = false;
};

void printHelp() {
    std::printf(
        "usage: tintwell-cli measure --port PATH [--profile N] [--speed fast|normal]\n"
        "                            [--max-avg N] [--count N | --seconds S] [--csv]\n\n"
        "Connects to the colorimeter at PATH and measures continuously, printing one JSON\n"
        "object per reading (every field of the record plus \"t\", ms since the first\n"
        "reading), or CSV with a header. Runs until N readings, S seconds or SIGINT.\n"
        "A reply damaged on the line is never printed: it is reported on stderr as a\n"
        "communication error, and three in a row end the run as an instrument that\n"
        "stopped answering.\n\n"
        "  --profile N          correct the readings with profile slot N (1 to 96; 0 the\n"
        "                       factory calibration, the default) for this run\n"
        "  --speed fast|normal  16 or 8 readings a second (default fast)\n"
        "  --max-avg N          most readings averaged in low light, 1 to 128 (default 32)\n"
        "  --count N            stop after N readings\n"
        "  --seconds S          stop after S seconds\n"
        "  --csv                print CSV instead of JSON\n\n"
        "Exit codes: 0 done, 1 no colorimeter answered, 2 bad arguments,\n"
        "3 the instrument was lost (the last line on stderr says how).\n");
}

Options parseOptions(const CliArgs &args) {
    Options o;
    bool haveCount = false, haveSeconds = false;
    ArgCursor c(args);
    while (!c.atEnd()) {
        const std::string arg = c.take();
        if (arg == "--port") {
            o.port = c.takeValue(arg);
        } else if (arg == "--profile") {
            o.profile = static_cast<int>(parseInteger(c.takeValue(arg), arg, 0, 96));
        } else if (arg == "--speed") {
            const std::string s = c.takeValue(arg);
            if (s == "fast")
                o.speed = 0;
            else if (s == "normal")
                o.speed = 1;
            else
                throw CliError("--speed must be fast or normal, not '" + s + "'");
        } else if (arg == "--max-avg") {
            o.maxAverage = static_cast<int>(parseInteger(c.takeValue(arg), arg, 1, 128));
        } else if (arg == "--count") {
            o.count = parseInteger(c.takeValue(arg), arg, 1, 1000000000LL);
            haveCount = true;
        } else if (arg == "--seconds") {
            o.seconds = parseNumber(c.takeValue(arg), arg);
            if (!(o.seconds > 0) || o.seconds > maxSeconds)
                throw CliError("--seconds must be greater than 0 and at most 10000000");
            haveSeconds = true;
        } else if (arg == "--csv") {
            o.csv = true;
        } else {
            throw CliError("unknown option '" + arg + "'");
        }
    }
    if (o.port.empty())
        throw CliError("--port PATH is required");
    if (haveCount && haveSeconds)
        throw CliError("give --count or --seconds, not both");
    return o;
}

int measure(const Options &o) {
    // From before connecting, so an interrupt never leaves a reply half read.
    const InterruptGuard guard;
    QueueingClmtr clmtr;
    if (!connectColorimeter(clmtr, "measure", o.port))
        return 1;
    std::fprintf(stderr, "tintwell-cli measure: %s, serial %s\n", clmtr.model().c_str(),
                 clmtr.serialNumber().c_str());
    if (o.profile >= 0) {
        if (const int failed = selectProfileForRun(clmtr, "measure", o.profile))
            return failed;
    }
    clmtr.setSpeed(o.speed);
    if (o.maxAverage > 0)
        clmtr.setMaxAverage(o.maxAverage);

    bool outputOpen = true;
    if (o.csv)
        outputOpen = printLine(measurementCsvHeader({{"t", ""}}));
    const auto started = Clock::now();
    const auto deadline =
        started + std::chrono::duration_cast<Clock::duration>(
                      std::chrono::duration<double>(o.seconds > 0 ? o.seconds : 1e9));
    clmtr.startMeasuring();

    int exitCode = 0;
    long long printed = 0;
    bool haveFirst = false;
    Clock::time_point first;
    while (outputOpen && !guard.interrupted() && Clock::now() < deadline &&
           (o.count == 0 || printed < o.count)) {
        QueueingClmtr::Item item;
        if (!clmtr.next(item, std::chrono::milliseconds(50)))
            continue;
        const uint32_t failure = item.m.errorCode & linkFailureBits;
        if (failure & ~ErrorBits::BadReply) {
            std::fprintf(stderr, "tintwell-cli measure: instrument lost: %s (code %u)\n",
                         failureText(failure).c_str(), failure);
            exitCode = 3;
            break;
        }
        if (failure) { // one damaged reply: not a reading
            std::fprintf(stderr, "tintwell-cli measure: %s (code %u)\n",
                         failureText(failure).c_str(), failure);
            continue;
        }
        if (!haveFirst) {
            first = item.at;
            haveFirst = true;
        }
        const double t = std::chrono::duration<double, std::milli>(item.at - first).count();
        const std::vector<TextField> lead = {{"t", jsonNumber(std::round(t * 1000) / 1000)}};
        outputOpen =
            printLine(o.csv ? measurementCsvRow(item.m, lead) : measurementJson(item.m, lead));
        ++printed;
    }
    clmtr.stopMeasuring();
    clmtr.close();
    if (!outputOpen)
        InterruptGuard::endAsBrokenPipe();
    return exitCode;
}

} // namespace

int cliMeasure(const CliArgs &args) {
    return runCommand("measure", args, printHelp, parseOptions, measure);
}
