// tintwell-cli deltae: CIE76, CIE94 and CIEDE2000 differences between two
// CIELAB colours.
#include "cliargs.h"
#include "commands.h"

#include "measurement.h"

#include <cstdio>

namespace {

void printHelp() {
    std::printf("usage: tintwell-cli deltae L1 a1 b1 L2 a2 b2\n\n"
                "Prints {\"dE76\":..,\"dE94\":..,\"dE00\":..} for the colour difference of the\n"
                "second colour from the first (CIE94 weights by the second colour's chroma).\n"
                "Both colours are CIELAB relative to the REC709 white at 100 cd/m2.\n\n"
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
    const Measurement first = Measurement::fromLab(v[0], v[1], v[2]);
    const Measurement second = Measurement::fromLab(v[3], v[4], v[5]);
    std::printf("{\"dE76\":%.17g,\"dE94\":%.17g,\"dE00\":%.17g}\n", first.deltaE76(second),
                first.deltaE94(second), first.deltaE2000(second));
    return 0;
}

} // namespace

int cliDeltaE(const CliArgs &args) {
    return runCommand("deltae", [&args] { return deltaE(args); });
}
