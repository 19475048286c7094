// Placeholder until the library side exists: says so honestly.
#include "commands.h"

#include <cstdio>

int cliProfiles(const CliArgs &) {
    std::fprintf(stderr, "tintwell-cli profiles: not available in this build\n");
    return 2;
}
