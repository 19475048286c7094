// The counts record ("M6", 20 bytes): any bytes either fail as too short or
// give 16-bit counts, byte-sized sensor values, ranges 1 to 6 and status bits.
#include "blackmatrix.h"
#include "measurement.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string reply(reinterpret_cast<const char *>(data), size);
    clmtr::CountsRecord c;
    if (!clmtr::parseCountsRecord(reply, c))
        return 0;
    if (size < 19)
        __builtin_trap(); // too short to hold the status byte
    for (unsigned v : c.counts) {
        if (v > 0xFFFF)
            __builtin_trap();
    }
    if (c.value16 > 0xFFFF || c.sensorA > 0xFF || c.sensorB > 0xFF)
        __builtin_trap();
    for (int range : {c.rangeX, c.rangeY, c.rangeZ}) {
        if (range < 1 || range > 6)
            __builtin_trap();
    }
    const uint32_t statusMask = ErrorBits::AimingLights | ErrorBits::StatusU | ErrorBits::StatusV |
                                ErrorBits::StatusW | ErrorBits::StatusT | ErrorBits::StatusS |
                                ErrorBits::StatusB | ErrorBits::StatusXB;
    if (c.errorCode & ~statusMask)
        __builtin_trap();
    return 0;
}
