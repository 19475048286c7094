// tintwell-cli deltae: CIE76, CIE94 and CIEDE2000 differences between two
// CIELAB colours.
#include "cliargs.h"
#include "commands.h"
#include "measurementjson.h"

#include "measurement.h"

#include <cmath>
#include <cstdio>

namespace {

void printHelp() {
    std::printf("usage: tintwell-cli deltae L1 a1 b1 L2 a2 b2\n\n"
                "Prints {\"dE76\":..,\"dE94\":..,\"dE00\":..} for the colour difference of the\n"
                "second colour from the first (CIE94 weights by the second colour's chroma).\n"
                "Both colours are CIELAB relative to the REC709 white at 100 cd/m2. A colour\n"
                "that gives negative X, Y or Z, or numbers too large for a finite difference,\n"
                "is refused.\n\n"
                "options:\n"
                "  --help   this text\n\n"
                "Exit codes: 0 done, 2 bad arguments.\n");
}

int deltaE(const CliArgs &args) {
    if (wantsHelp(args)) {
        printHelp();
        return 0;
    }
    // Negative numbers start with '-', so only "--" marks an option here.
    for (const std::string &a : args)
        if (a.size() > 1 && a[0] == '-' && a[1] == '-')
            throw CliError("unknown option '" + a + "'");
    if (args.size() != 6)
        throw CliError("needs 6 numbers (L1 a1 b1 L2 a2 b2), got " + std::to_string(args.size()) +
                       " arguments");
    static const char *const names[6] = {"L1", "a1", "b1", "L2", "a2", "b2"};
    double v[6];
    for (int i = 0; i < 6; ++i)
        v[i] = parseNumber(args[i], names[i]);
    const Measurement colours[2] = {Measurement::fromLab(v[0], v[1], v[2]),
                                    Measurement::fromLab(v[3], v[4], v[5])};
    for (int i = 0; i < 2; ++i) {
        // fromLab replaces a negative X, Y or Z by black: a difference from
        // that black would answer another question.
        if (colours[i].errorCode & ErrorBits::NegativeInput)
            throw CliError(std::string(names[3 * i]) + " " + names[3 * i + 1] + " " +
                           names[3 * i + 2] + " is no colour: it gives negative X, Y or Z");
    }
    const double d[3] = {colours[0].deltaE76(colours[1]), colours[0].deltaE94(colours[1]),
                         colours[0].deltaE2000(colours[1])};
    for (double x : d) {
        if (!std::isfinite(x))
            throw CliError("these colours give no finite difference (values too large)");
    }
    std::printf("{\"dE76\":%s,\"dE94\":%s,\"dE00\":%s}\n", jsonNumber(d[0]).c_str(),
                jsonNumber(d[1]).c_str(), jsonNumber(d[2]).c_str());
    return 0;
}

} // namespace

int cliDeltaE(const CliArgs &args) {
    return runCommand("deltae", [&args] { return deltaE(args); });
}
