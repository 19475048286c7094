// Black-level table replies ("B4", "B8", "B9"): a table either passes its
// range check whole or comes back all zero with the range bit.
#include "blackmatrix.h"
#include "measurement.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string reply(reinterpret_cast<const char *>(data), size);
    const BlackMatrix b = clmtr::parseBlackTable(reply);
    const bool rejected = b.status & (ErrorBits::BlackOutOfRange | ErrorBits::Internal);
    for (const auto &range : b.black) {
        for (double v : range) {
            if (rejected ? v != 0 : (v < clmtr::blackTableMin || v > clmtr::blackTableMax))
                __builtin_trap();
        }
    }
    return 0;
}
