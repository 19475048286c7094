// Placeholder until the library side exists: says so honestly.
#include "commands.h"

#include <cstdio>

int cliBlack(const CliArgs &) {
    std::fprintf(stderr, "tintwell-cli black: not available in this build\n");
    return 2;
}
