// Placeholder until the colorimeter library lands: says so honestly.
#include "commands.h"

#include <cstdio>

int cliMeasure(const CliArgs &) {
    std::fprintf(stderr, "tintwell-cli measure: not available in this build\n");
    return 2;
}
