// Placeholder until the library side exists: says so honestly.
#include "commands.h"

#include <cstdio>

int cliFlicker(const CliArgs &) {
    std::fprintf(stderr, "tintwell-cli flicker: not available in this build\n");
    return 2;
}
