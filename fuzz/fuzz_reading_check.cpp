// The check a reading reply passes before it is believed: byte 0 of the input
// picks the command ("N4" or "N5"), the rest is the reply. Whatever the bytes,
// a reply is accepted exactly when it is long enough, echoes that command and
// decodes to finite values within the limit; an accepted one never yields a
// value outside it.
#include "protocol.h"

#include <cmath>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    const std::string command = (data[0] & 1) ? "N4" : "N5";
    const std::string reply(reinterpret_cast<const char *>(data) + 1, size - 1);
    clmtr::RawReading r;
    r.x = r.y = r.z = 12345.0; // must stay untouched unless accepted
    const clmtr::ReadingCheck check = clmtr::checkReadingReply(reply, command, r);

    clmtr::RawReading decoded;
    const bool longEnough = reply.size() >= static_cast<size_t>(clmtr::readingReplyLength);
    const bool echo = longEnough && reply.compare(0, 2, command) == 0;
    bool plausible = echo && clmtr::parseReadingReply(reply, decoded);
    for (double v : {decoded.x, decoded.y, decoded.z})
        plausible = plausible && std::isfinite(v) && std::fabs(v) <= clmtr::readingLimit;

    if ((check == clmtr::ReadingCheck::Ok) != plausible)
        __builtin_trap();
    if (check == clmtr::ReadingCheck::TooShort && longEnough)
        __builtin_trap();
    if (check == clmtr::ReadingCheck::WrongEcho && (!longEnough || echo))
        __builtin_trap();
    if (check != clmtr::ReadingCheck::Ok) {
        if (r.x != 12345.0 || r.y != 12345.0 || r.z != 12345.0)
            __builtin_trap();
        return 0;
    }
    for (double v : {r.x, r.y, r.z}) {
        if (!(std::fabs(v) <= clmtr::readingLimit))
            __builtin_trap();
    }
    return 0;
}
