// The 15-byte reading reply ("N4"/"N5"): any bytes either fail as too short
// or give finite values, ranges 1 to 6 and a status whose bits come from the
// status table.
#include "measurement.h"
#include "protocol.h"

#include <cmath>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string reply(reinterpret_cast<const char *>(data), size);
    clmtr::RawReading r;
    const bool ok = clmtr::parseReadingReply(reply, r);
    if (ok != (size >= 14))
        __builtin_trap();
    if (!ok)
        return 0;
    for (double v : {r.x, r.y, r.z}) {
        if (!std::isfinite(v))
            __builtin_trap();
    }
    for (int range : {r.ranges.x, r.ranges.y, r.ranges.z}) {
        if (range < 1 || range > 6)
            __builtin_trap();
    }
    const uint32_t statusMask = ErrorBits::AimingLights | ErrorBits::StatusU | ErrorBits::StatusV |
                                ErrorBits::StatusW | ErrorBits::StatusT | ErrorBits::StatusS |
                                ErrorBits::StatusB | ErrorBits::StatusXB;
    if (clmtr::statusBits(r.status) & ~statusMask)
        __builtin_trap();
    return 0;
}
