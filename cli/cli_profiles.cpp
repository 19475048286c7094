// tintwell-cli profiles: the colorimeter's profile slots and the profile in
// force, optionally after selecting one, as one JSON object.
#include "calibrationjson.h"
#include "cliargs.h"
#include "clmtrsession.h"
#include "commands.h"
#include "tclmtr.h"

#include <cstdio>

namespace {

struct Options {
    std::string port;
    int select = -1; // none
};

void printHelp() {
    std::printf("usage: tintwell-cli profiles --port PATH [--select N]\n\n"
                "Connects to the colorimeter at PATH and prints one JSON object: model,\n"
                "serialNumber, the selected slot and its name, the 3 x 3 correction matrix in\n"
                "force, status (the selection's error bits, 0 when fine) and the 97 labels\n"
                "\"i: name\" of slots 0 (factory) to 96 (\"Blank\" when empty).\n\n"
                "  --select N   select slot N (0 to 96) first; 0 is the factory calibration\n\n"
                "A selection lasts while this command runs: the instrument keeps no selection\n"
                "of its own, and every connection starts on the factory calibration (slot 0).\n"
                "To measure through a profile, give it to that run: measure --profile N,\n"
                "flicker --profile N.\n\n"
                "Exit codes: 0 done, 1 no colorimeter answered, 2 bad arguments,\n"
                "3 the instrument was lost.\n");
}

Options parseOptions(const CliArgs &args) {
    Options o;
    ArgCursor c(args);
    while (!c.atEnd()) {
        const std::string arg = c.take();
        if (arg == "--port")
            o.port = c.takeValue(arg);
        else if (arg == "--select")
            o.select = static_cast<int>(parseInteger(c.takeValue(arg), arg, 0, 96));
        else
            throw CliError("unknown option '" + arg + "'");
    }
    if (o.port.empty())
        throw CliError("--port PATH is required");
    return o;
}

int run(const Options &o) {
    TClmtr clmtr;
    if (!connectColorimeter(clmtr, "profiles", o.port))
        return 1;
    ProfilesView v;
    if (o.select >= 0) {
        v.status = clmtr.selectProfile(o.select);
        if (const uint32_t failure = v.status & linkFailureBits) {
            std::fprintf(stderr,
                         "tintwell-cli profiles: instrument lost while selecting: %s (code %u)\n",
                         failureText(failure).c_str(), failure);
            return 3;
        }
    }
    v.model = clmtr.model();
    v.serialNumber = clmtr.serialNumber();
    v.selected = clmtr.currentProfile();
    v.selectedName = clmtr.currentProfileName();
    v.correction = clmtr.profileMatrix();
    v.labels = clmtr.profileLabels();
    std::printf("%s\n", profilesJson(v).c_str());
    clmtr.close();
    return 0;
}

} // namespace

int cliProfiles(const CliArgs &args) {
    return runCommand("profiles", args, printHelp, parseOptions, run);
}
