#pragma once
// The simulated network pattern generator's side of the wire: recognising
// one command in the bytes received so far, applying it to what is shown,
// and the replies. Commands arrive without a terminator, so a command is
// taken as complete when its fields are all there (an image when its PNG
// has ended).

#include "patternstate.h"

#include <cstddef>
#include <string>

namespace sim {

constexpr const char *patternIdentity = "Torva Pat";
constexpr const char *patternManufacturer = "Torva Instruments";

// "Torva Pat,SERIAL,Torva Instruments,W,H" (no terminator).
std::string patternInfoLine(const std::string &serial, int width, int height);

enum class CommandScan {
    Incomplete, // wait for more bytes
    Complete,   // `length` bytes form one command
    Invalid     // not a command we know: drop the buffer
};

// Looks at the start of the buffer.
CommandScan scanCommand(const std::string &buffer, std::size_t *length);

// Applies one complete command; returns the reply with its "::" terminator.
// The state changed when *changed is set.
std::string applyCommand(const std::string &command, const std::string &serial, PatternState &state,
                         bool *changed);

} // namespace sim
