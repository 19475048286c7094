// tintwell-cli flicker: streams the luminance of a video colorimeter and
// prints one JSON object per Flicker record, until a count or SIGINT.
#include "cliargs.h"
#include "clmtrsession.h"
#include "commands.h"
#include "interruptguard.h"
#include "measurementjson.h"
#include "tclmtr.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>

namespace {

// Hands every record from the worker thread to the printing thread.
class QueueingClmtr : public TClmtr {
public:
    ~QueueingClmtr() override { close(); }

    bool next(Flicker &out, std::chrono::milliseconds wait) {
        std::unique_lock<std::mutex> lock(lock_);
        if (!ready_.wait_for(lock, wait, [&] { return !items_.empty(); }))
            return false;
        out = std::move(items_.front());
        items_.pop_front();
        return true;
    }

protected:
    void flickered(const Flicker &f) override {
        {
            std::lock_guard<std::mutex> lock(lock_);
            items_.push_back(f);
        }
        ready_.notify_one();
    }

private:
    std::mutex lock_;
    std::condition_variable ready_;
    std::deque<Flicker> items_;
};

struct Options {
    std::string port;
    int profile = -1; // the connection's own choice (the factory calibration)
    int samples = 256;
    long long count = 0;
    int normalized = 0;
    int jeita = 0;
    bool spectrum = false;
};

void printHelp() {
    std::printf(
        "usage: tintwell-cli flicker --port PATH [--profile N] [--samples N] [--count K]\n"
        "                            [--method contrast|normalized] [--db vesa|jeita]\n"
        "                            [--spectrum]\n\n"
        "Connects to the video colorimeter at PATH, streams its luminance and prints one\n"
        "JSON object per analysis (one per 32 samples) with \"errorCode\", \"y\" (cd/m²),\n"
        "\"range\", \"sampleRate\", \"sampleCount\" and the three largest peaks of each\n"
        "spectrum, \"peaksPercent\" and \"peaksDb\", as [Hz, value] pairs, largest first.\n"
        "Runs until K records or SIGINT; the stream is stopped on every way out but\n"
        "SIGKILL (a closed output included).\n\n"
        "  --profile N         luminance through profile slot N (1 to 96; 0 the factory\n"
        "                      calibration, the default) for this run\n"
        "  --samples N         samples per analysis, a power of two from 64 to 2048\n"
        "                      (default 256)\n"
        "  --count K           stop after K records\n"
        "  --method M          percent spectrum: contrast (default) or normalized\n"
        "  --db M              decibel spectrum: vesa (default) or jeita\n"
        "  --spectrum          add \"spectrumPercent\" and \"spectrumDb\" in the same pair form\n\n"
        "The first records after the start carry 0x800000 in errorCode until the buffer\n"
        "holds N samples; 0x1000000 marks a range change, 0x8000000 over-saturation.\n\n"
        "Exit codes: 0 done, 1 no colorimeter answered (or the one that did cannot\n"
        "stream flicker), 2 bad arguments, 3 the instrument was lost or the stream\n"
        "failed (the last line on stderr says how).\n");
}

Options parseOptions(const CliArgs &args) {
    Options o;
    ArgCursor c(args);
    while (!c.atEnd()) {
        const std::string arg = c.take();
        if (arg == "--port") {
            o.port = c.takeValue(arg);
        } else if (arg == "--profile") {
            o.profile = static_cast<int>(parseInteger(c.takeValue(arg), arg, 0, 96));
        } else if (arg == "--samples") {
            o.samples = static_cast<int>(parseInteger(c.takeValue(arg), arg, 64, 2048));
            if (o.samples & (o.samples - 1))
                throw CliError("--samples must be a power of two from 64 to 2048");
        } else if (arg == "--count") {
            o.count = parseInteger(c.takeValue(arg), arg, 1, 1000000000LL);
        } else if (arg == "--method") {
            const std::string m = c.takeValue(arg);
            if (m != "contrast" && m != "normalized")
                throw CliError("--method must be contrast or normalized, not '" + m + "'");
            o.normalized = m == "normalized" ? 1 : 0;
        } else if (arg == "--db") {
            const std::string m = c.takeValue(arg);
            if (m != "vesa" && m != "jeita")
                throw CliError("--db must be vesa or jeita, not '" + m + "'");
            o.jeita = m == "jeita" ? 1 : 0;
        } else if (arg == "--spectrum") {
            o.spectrum = true;
        } else {
            throw CliError("unknown option '" + arg + "'");
        }
    }
    if (o.port.empty())
        throw CliError("--port PATH is required");
    return o;
}

std::string jsonPairs(const matrix &m) {
    std::string out = "[";
    for (int r = 0; r < m.rows(); ++r)
        out += (r ? ",[" : "[") + jsonNumber(m[r][0]) + "," + jsonNumber(m[r][1]) + "]";
    return out + "]";
}

std::string flickerJson(const Flicker &f, bool spectrum) {
    std::string out = "{\"errorCode\":" + std::to_string(f.errorCode) +
                      ",\"y\":" + jsonNumber(f.y) + ",\"range\":" + std::to_string(f.range) +
                      ",\"sampleRate\":" + std::to_string(f.settings.sampleRate) +
                      ",\"sampleCount\":" + std::to_string(f.settings.sampleCount) +
                      ",\"peaksPercent\":" + jsonPairs(f.peaksPercent) +
                      ",\"peaksDb\":" + jsonPairs(f.peaksDb);
    if (spectrum)
        out += ",\"spectrumPercent\":" + jsonPairs(f.spectrumPercent) +
               ",\"spectrumDb\":" + jsonPairs(f.spectrumDb);
    return out + "}";
}

// Conditions that leave the stream running.
constexpr uint32_t softBits = ErrorBits::FlickerBufferNotFilled | ErrorBits::FlickerRangeChanged |
                              ErrorBits::FlickerOverSaturated | ErrorBits::AimingLights;

int flicker(const Options &o) {
    // From before connecting, so an interrupt never leaves the stream running.
    const InterruptGuard guard;
    QueueingClmtr clmtr;
    if (!connectColorimeter(clmtr, "flicker", o.port))
        return 1;
    std::fprintf(stderr, "tintwell-cli flicker: %s, serial %s\n", clmtr.model().c_str(),
                 clmtr.serialNumber().c_str());
    if (o.profile >= 0) {
        if (const int failed = selectProfileForRun(clmtr, "flicker", o.profile))
            return failed;
    }
    clmtr.setSampleCount(o.samples);
    clmtr.setNormalized(o.normalized);
    clmtr.setJeita(o.jeita);

    int exitCode = 0;
    const uint32_t started = clmtr.startStreaming(true);
    if (started & ErrorBits::NotAvailableOnModel) {
        std::fprintf(stderr, "tintwell-cli flicker: the %s does not stream flicker\n",
                     clmtr.model().c_str());
        exitCode = 1;
    } else if (started & ErrorBits::FlickerBadResponseData) {
        std::fprintf(stderr,
                     "tintwell-cli flicker: the instrument's frequency-response data are "
                     "invalid (code %u)\n",
                     started);
        exitCode = 3;
    } else if (started) {
        std::fprintf(stderr, "tintwell-cli flicker: instrument lost: %s (code %u)\n",
                     failureText(started).c_str(), started);
        exitCode = 3;
    }
    bool outputOpen = true;
    long long printed = 0;
    while (exitCode == 0 && outputOpen && !guard.interrupted() &&
           (o.count == 0 || printed < o.count)) {
        Flicker f;
        if (!clmtr.next(f, std::chrono::milliseconds(50)))
            continue;
        if (f.errorCode & ~softBits) {
            // The worker has ended the stream after this record, which holds
            // no analysis worth printing.
            const char *why = (f.errorCode & linkFailureBits)
                                  ? nullptr
                                  : "the instrument reported a condition that ends the stream";
            std::fprintf(stderr, "tintwell-cli flicker: instrument lost: %s (code %u)\n",
                         why ? why : failureText(f.errorCode).c_str(), f.errorCode);
            exitCode = 3;
            break;
        }
        outputOpen = printLine(flickerJson(f, o.spectrum));
        ++printed;
    }
    clmtr.stopThread();
    clmtr.close();
    if (!outputOpen)
        InterruptGuard::endAsBrokenPipe();
    return exitCode;
}

} // namespace

int cliFlicker(const CliArgs &args) {
    return runCommand("flicker", args, printHelp, parseOptions, flicker);
}
