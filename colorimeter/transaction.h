#pragma once
// One command exchange over a SerialLink: flush, send, wait for a reply of a
// known length within weight x 1.5 s, waking as soon as bytes arrive.

#include "seriallink.h"

#include <cstdint>
#include <string>

namespace clmtr {

// Transaction results, the low bits of the errorCode table.
enum Result : uint32_t {
    Ok = 0,
    PortLost = 1, // not open, or went away
    TimedOut = 2, // the reply did not reach its length in time
    Internal = 4, // failure while handling strings or buffers
};

struct Reply {
    uint32_t result = Ok;
    std::string bytes;
};

// Accumulates into reply until it holds replyLength bytes. Stops early when the
// port dies; the time limit is weight x 1.5 s.
uint32_t waitReply(SerialLink &port, int replyLength, int weight, std::string &reply);

// Discards stale input, writes command + CR, then waits for replyLength bytes
// when replyLength > 0. Never throws.
Reply transact(SerialLink &port, const std::string &command, int replyLength, int weight);
// The same with the time limit in milliseconds instead of a weight.
Reply transactWithin(SerialLink &port, const std::string &command, int replyLength, int limitMs);

// Reads and discards until nothing has arrived for quietMs, at most capMs.
void drainInput(SerialLink &port, int quietMs, int capMs);

// Ends a sample stream a previous owner may have left running, at either
// firmware's line rate, and leaves the port at the normal line rate.
void stopStaleStream(SerialLink &port);

struct Identity;
// "P0" on an open, configured port. When bytes come back that do not identify
// (the rest of a reply nobody read, or a stream left running), any stream is
// stopped, the line drained for up to the longest reply's time, and the
// question asked once more. A silent line is given up after silenceMs; the
// first form waits the command's full limit.
Identity identify(SerialLink &port);
Identity identify(SerialLink &port, int silenceMs);

// How long a port scan waits for any answer to "P0": its 21 bytes take 22 ms
// at 9600 baud and the instrument answers it at once. (A connection keeps the
// command's full limit.)
constexpr int probeSilenceMs = 500;

} // namespace clmtr
