// tintwell-cli: scripted access to the colour library and the instruments.
#include "commands.h"

#include <cstdio>
#include <cstring>

namespace {

struct Command {
    const char *name;
    int (*run)(const CliArgs &);
    const char *summary;
};

const Command commands[] = {
    {"convert", cliConvert, "turn one colour description into every derived quantity"},
    {"deltae", cliDeltaE, "colour differences between two CIELAB colours"},
    {"measure", cliMeasure, "measure continuously with a colorimeter"},
    {"flicker", cliFlicker, "stream flicker records from a video colorimeter"},
    {"profiles", cliProfiles, "list the colorimeter's profiles"},
    {"black", cliBlack, "read the colorimeter's black-level data"},
    {"pattern", cliPattern, "drive a network pattern generator, or find one"},
    {"sequence", cliSequence, "measure a list of colours shown by a pattern generator"},
    {"calibrate", cliCalibrate, "make, store and verify a colour profile against a reference"},
    {"batch", cliBatch, "run a test colour batch into a results file and a PDF report"},
    {"ports", cliPorts, "list what a device scan finds"},
    {"reference", cliReference, "measure with a reference instrument"},
    {"spectrum", cliSpectrum, "read the CS-2000's spectrum"},
    {"channels", cliChannels, "list or select the CS-2000's calibration channels"},
    {"template", cliTemplate, "check a screen-calibration template and list its patches"},
    {"characterize", cliCharacterize, "measure a display and compute its correction"},
    {"verify", cliVerify, "measure a display through its correction"},
};

void printUsage(FILE *out) {
    std::fprintf(out, "usage: tintwell-cli COMMAND [options]\n\ncommands:\n");
    for (const Command &c : commands)
        std::fprintf(out, "  %-10s %s\n", c.name, c.summary);
    std::fprintf(out, "\n'tintwell-cli COMMAND --help' describes a command's options.\n");
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        printUsage(stderr);
        return 2;
    }
    if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") ||
        !std::strcmp(argv[1], "help")) {
        printUsage(stdout);
        return 0;
    }
    for (const Command &c : commands) {
        if (!std::strcmp(argv[1], c.name))
            return c.run(CliArgs(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "tintwell-cli: unknown command '%s'\n", argv[1]);
    printUsage(stderr);
    return 2;
}
