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

struct Identity;
// "P0" on an open, configured port.
Identity identify(SerialLink &port);

} // namespace clmtr
