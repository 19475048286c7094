#pragma once
// What the instrument commands of tintwell-cli share around a TClmtr:
// connecting with a message that says why it failed, choosing a profile slot
// for the run, and the error bits that end a command.

#include "measurement.h"
#include "tclmtr.h"

#include <string>

// Bits after which no more can be read: the port went away, the instrument
// stopped answering, or a reply could not be handled or was damaged.
constexpr uint32_t linkFailureBits =
    ErrorBits::PortLost | ErrorBits::Timeout | ErrorBits::Internal | ErrorBits::BadReply;

// Connects; on failure prints "tintwell-cli COMMAND: <why>" and returns false.
bool connectColorimeter(TClmtr &clmtr, const char *command, const std::string &port);

// Selects slot for this run and says which profile is in force on stderr.
// Returns 0, 2 when the slot is empty, 3 when the instrument failed.
int selectProfileForRun(TClmtr &clmtr, const char *command, int slot);

// One line on standard output, flushed; false when nobody reads it any more.
bool printLine(const std::string &line);

// Why an error code ended a run, in words.
std::string failureText(uint32_t code);
