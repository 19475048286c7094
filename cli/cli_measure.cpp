// tintwell-cli measure: continuous readings from a colorimeter, one JSON
// object (or CSV row) per reading, until a count, a duration or SIGINT.
#include "cliargs.h"
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

struct Options {
    std::string port;
    int speed = 0; // fast
    int maxAverage = 0;
    long long count = 0;
    double seconds = 0;
    bool csv = false;
};

void printHelp() {
    std::printf(
        "usage: tintwell-cli measure --port PATH [--speed fast|normal] [--max-avg N]\n"
        "                            [--count N | --seconds S] [--csv]\n\n"
        "Connects to the colorimeter at PATH and measures continuously, printing one JSON\n"
        "object per reading (every field of the record plus \"t\", ms since the first\n"
        "reading), or CSV with a header. Runs until N readings, S seconds or SIGINT.\n\n"
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
            if (!(o.seconds > 0) || o.seconds > 1e7)
                throw CliError("--seconds must be greater than 0");
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

const char *lossReason(uint32_t code) {
    if (code & clmtr::PortLost)
        return "the port closed or the instrument was unplugged";
    if (code & clmtr::TimedOut)
        return "the instrument stopped answering";
    return "a reply could not be handled";
}

int measure(const Options &o) {
    QueueingClmtr clmtr;
    if (!clmtr.connect(o.port)) {
        std::fprintf(stderr, "tintwell-cli measure: no colorimeter answered at %s\n",
                     o.port.c_str());
        return 1;
    }
    std::fprintf(stderr, "tintwell-cli measure: %s, serial %s\n", clmtr.model().c_str(),
                 clmtr.serialNumber().c_str());
    clmtr.setSpeed(o.speed);
    if (o.maxAverage > 0)
        clmtr.setMaxAverage(o.maxAverage);

    const InterruptGuard guard;

    if (o.csv) {
        std::printf("%s\n", measurementCsvHeader({{"t", ""}}).c_str());
        std::fflush(stdout);
    }
    const auto started = Clock::now();
    const auto deadline =
        started + std::chrono::duration_cast<Clock::duration>(
                      std::chrono::duration<double>(o.seconds > 0 ? o.seconds : 1e9));
    clmtr.startMeasuring();

    int exitCode = 0;
    long long printed = 0;
    bool haveFirst = false;
    Clock::time_point first;
    while (!guard.interrupted() && Clock::now() < deadline && (o.count == 0 || printed < o.count)) {
        QueueingClmtr::Item item;
        if (!clmtr.next(item, std::chrono::milliseconds(50)))
            continue;
        const uint32_t transport = clmtr::PortLost | clmtr::TimedOut | clmtr::Internal;
        if (item.m.errorCode & transport) {
            std::fprintf(stderr, "tintwell-cli measure: instrument lost: %s (code %u)\n",
                         lossReason(item.m.errorCode), item.m.errorCode & transport);
            exitCode = 3;
            break;
        }
        if (!haveFirst) {
            first = item.at;
            haveFirst = true;
        }
        const double t = std::chrono::duration<double, std::milli>(item.at - first).count();
        const std::vector<TextField> lead = {{"t", jsonNumber(std::round(t * 1000) / 1000)}};
        const std::string line =
            o.csv ? measurementCsvRow(item.m, lead) : measurementJson(item.m, lead);
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
        ++printed;
    }
    clmtr.stopMeasuring();
    clmtr.close();
    return exitCode;
}

} // namespace

int cliMeasure(const CliArgs &args) {
    return runCommand("measure", args, printHelp, parseOptions, measure);
}
