// tintwell-cli reference: single blocking measurements with a reference
// instrument, one JSON object per reading (the fields of `measure`).
#include "cliargs.h"
#include "clidevice.h"
#include "commands.h"
#include "devicetypes.h"
#include "interruptguard.h"
#include "measurementjson.h"
#include "referencewatch.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

struct Model {
    const char *option;
    const char *kind; // factory name
};
const Model models[] = {
    {"cs2000", DeviceNames::cs2000},
    {"pr650", DeviceNames::pr650},
    {"bm7", DeviceNames::bm7},
};

struct Options {
    std::string port;
    const char *kind = nullptr;
    long long count = 1;
};

void printHelp() {
    std::printf("usage: tintwell-cli reference --port PATH --model cs2000|pr650|bm7 [--count N]\n\n"
                "Connects to the reference instrument at PATH and takes N single measurements\n"
                "(default 1), each as long as the instrument needs, printing one JSON object per\n"
                "reading with the fields of `measure` (\"t\": ms since the first reading).\n"
                "A measurement the instrument refuses is reported in its terms (a CS-2000\n"
                "over its range says so); Ctrl-C cancels the measurement under way. On a\n"
                "terminal the CS-2000's announced measuring time counts down on stderr.\n\n"
                "Exit codes: 0 done, 1 no instrument answered, 2 bad arguments,\n"
                "3 the instrument was lost, refused the measurement or its reply could\n"
                "not be used.\n");
}

Options parseOptions(const CliArgs &args) {
    Options o;
    ArgCursor c(args);
    while (!c.atEnd()) {
        const std::string arg = c.take();
        if (arg == "--port") {
            o.port = c.takeValue(arg);
        } else if (arg == "--model") {
            const std::string m = c.takeValue(arg);
            for (const Model &known : models) {
                if (m == known.option)
                    o.kind = known.kind;
            }
            if (!o.kind)
                throw CliError("--model must be cs2000, pr650 or bm7, not '" + m + "'");
        } else if (arg == "--count") {
            o.count = parseInteger(c.takeValue(arg), arg, 1, 1000000);
        } else {
            throw CliError("unknown option '" + arg + "'");
        }
    }
    if (o.port.empty())
        throw CliError("--port PATH is required");
    if (!o.kind)
        throw CliError("--model cs2000|pr650|bm7 is required");
    return o;
}

int run(const Options &o) {
    using Clock = std::chrono::steady_clock;
    CliDeviceContext qt;
    std::unique_ptr<GenMeasure> device = openInstrument("reference", o.kind, o.port);
    if (!device) {
        if (std::strcmp(o.kind, DeviceNames::cs2000) == 0)
            explainCs2000LineSettings("reference");
        return 1;
    }
    const InterruptGuard guard;
    ReferenceWatch watch("reference", *device, guard);
    Clock::time_point first;
    for (long long i = 0; i < o.count && !guard.interrupted(); ++i) {
        const Measurement m = device->measure(1);
        const Clock::time_point at = Clock::now();
        if (guard.interrupted())
            break; // cancelled: the readings so far stand
        if (const int code = watch.check(m.errorCode))
            return code;
        if (i == 0)
            first = at;
        const double t = std::chrono::duration<double, std::milli>(at - first).count();
        std::printf("%s\n",
                    measurementJson(m, {{"t", jsonNumber(std::round(t * 1000) / 1000)}}).c_str());
        std::fflush(stdout);
    }
    device->close();
    return 0;
}

} // namespace

int cliReference(const CliArgs &args) {
    return runCommand("reference", args, printHelp, parseOptions, run);
}
