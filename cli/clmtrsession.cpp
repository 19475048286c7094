#include "clmtrsession.h"

#include "portaccess.h"

#include <cstdio>

namespace {

using Failure = TClmtr::ConnectFailure;

struct FailureText {
    Failure failure;
    const char *format; // %s: the port
};

const FailureText failureTexts[] = {
    {Failure::NoAnswer, "no colorimeter answered at %s: nothing came back"},
    {Failure::NotIdentified,
     "no colorimeter answered at %s: what came back did not identify a colorimeter"},
    {Failure::LostWhileConnecting, "the colorimeter at %s stopped answering while connecting"},
};

// The port itself would not open: said the same way for every instrument.
OpenFailure openFailureOf(Failure f) {
    switch (f) {
    case Failure::NoSuchPort:
        return OpenFailure::NoSuchPort;
    case Failure::PortBusy:
        return OpenFailure::Busy;
    case Failure::CannotOpen:
        return OpenFailure::Refused;
    default:
        return OpenFailure::None;
    }
}

} // namespace

bool connectColorimeter(TClmtr &clmtr, const char *command, const std::string &port) {
    if (clmtr.connect(port))
        return true;
    const std::string cannotOpen = openFailureText(openFailureOf(clmtr.connectFailure()), port);
    if (!cannotOpen.empty()) {
        std::fprintf(stderr, "tintwell-cli %s: %s\n", command, cannotOpen.c_str());
        return false;
    }
    const char *format = "no colorimeter answered at %s";
    for (const FailureText &t : failureTexts) {
        if (t.failure == clmtr.connectFailure())
            format = t.format;
    }
    std::fprintf(stderr, "tintwell-cli %s: ", command);
    std::fprintf(stderr, format, port.c_str());
    std::fprintf(stderr, "\n");
    return false;
}

int selectProfileForRun(TClmtr &clmtr, const char *command, int slot) {
    const auto &names = clmtr.profileNames();
    if (slot > 0 && (slot >= static_cast<int>(names.size()) || names[slot] == "Blank")) {
        std::fprintf(stderr, "tintwell-cli %s: profile slot %d is empty\n", command, slot);
        return 2;
    }
    const uint32_t status = clmtr.selectProfile(slot);
    if (status != 0 || clmtr.currentProfile() != slot) {
        std::fprintf(stderr, "tintwell-cli %s: profile %d could not be selected: %s (code %u)\n",
                     command, slot, failureText(status).c_str(), status);
        return 3;
    }
    std::fprintf(stderr, "tintwell-cli %s: profile %d: %s\n", command, slot,
                 clmtr.currentProfileName().c_str());
    return 0;
}

bool printLine(const std::string &line) {
    return std::fputs(line.c_str(), stdout) >= 0 && std::fputc('\n', stdout) != EOF &&
           std::fflush(stdout) == 0;
}

std::string failureText(uint32_t code) {
    if (code & ErrorBits::PortLost)
        return "the port closed or the instrument was unplugged";
    if (code & ErrorBits::Timeout)
        return "the instrument stopped answering";
    if (code & ErrorBits::BadReply)
        return "communication error: a reply was damaged";
    if (code & ErrorBits::Internal)
        return "a reply could not be handled";
    return "the instrument refused the request";
}
