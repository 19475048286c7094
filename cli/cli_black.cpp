// tintwell-cli black: the colorimeter's black-level table in working or
// permanent memory, or its thermal coefficients, as one JSON object.
#include "calibrationjson.h"
#include "cliargs.h"
#include "clmtrsession.h"
#include "commands.h"
#include "tclmtr.h"

#include <cstdio>

namespace {

struct Options {
    std::string port;
    std::string source; // ram, rom or thermal
};

void printHelp() {
    std::printf("usage: tintwell-cli black --port PATH ram|rom|thermal\n\n"
                "Connects to the colorimeter at PATH and prints one JSON object: source, status\n"
                "(error bits, 0 when fine; 16384 when the table failed its range check and was\n"
                "zeroed), thermal, and black: six rows [X, Y, Z] for ranges 1 to 6.\n\n"
                "  ram       the black level in working memory\n"
                "  rom       the black level stored in permanent memory\n"
                "  thermal   the thermal correction coefficients\n\n"
                "Exit codes: 0 done, 1 no colorimeter answered, 2 bad arguments,\n"
                "3 the instrument was lost.\n");
}

Options parseOptions(const CliArgs &args) {
    Options o;
    ArgCursor c(args);
    while (!c.atEnd()) {
        const std::string arg = c.take();
        if (arg == "--port") {
            o.port = c.takeValue(arg);
        } else if (arg == "ram" || arg == "rom" || arg == "thermal") {
            if (!o.source.empty())
                throw CliError("give one of ram, rom or thermal");
            o.source = arg;
        } else {
            throw CliError("unknown argument '" + arg + "'");
        }
    }
    if (o.port.empty())
        throw CliError("--port PATH is required");
    if (o.source.empty())
        throw CliError("say which: ram, rom or thermal");
    return o;
}

int run(const Options &o) {
    TClmtr clmtr;
    if (!connectColorimeter(clmtr, "black", o.port))
        return 1;
    const BlackMatrix b = o.source == "ram"   ? clmtr.readBlackRam()
                          : o.source == "rom" ? clmtr.readBlackRom()
                                              : clmtr.readThermalCoefficients();
    if (const uint32_t failure = static_cast<uint32_t>(b.status) & linkFailureBits) {
        std::fprintf(stderr, "tintwell-cli black: instrument lost: %s (code %u)\n",
                     failureText(failure).c_str(), failure);
        return 3;
    }
    std::printf("%s\n", blackJson(o.source, b).c_str());
    clmtr.close();
    return 0;
}

} // namespace

int cliBlack(const CliArgs &args) {
    return runCommand("black", args, printHelp, parseOptions, run);
}
