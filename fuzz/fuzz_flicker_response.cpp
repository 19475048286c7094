// The "P4" reply's frequency-response data: any bytes are either rejected
// with the response bit, leaving the stored data unknown, or give tables
// that pass the checks, finite cubics, and a correction that is finite at
// every frequency the analysis asks for.
#include "flickerresponse.h"
#include "measurement.h"

#include <cmath>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string reply(reinterpret_cast<const char *>(data), size);
    const std::string version = clmtr::responseFirmwareVersion(reply);
    if (!version.empty() && version.size() != 7)
        __builtin_trap();
    auto out = clmtr::unknownResponseData();
    const uint32_t r = clmtr::parseResponseData(reply, out);
    if (r != 0) {
        if (r != ErrorBits::FlickerBadResponseData || clmtr::responseDataKnown(out))
            __builtin_trap();
        return 0;
    }
    if (size < 410)
        __builtin_trap();
    for (const clmtr::PairResponse &p : out) {
        if (p.table[1] != 1.0 || !(p.table[70] > 0))
            __builtin_trap();
        for (double c : p.cubic) {
            if (!std::isfinite(c))
                __builtin_trap();
        }
        const auto h = clmtr::responseSegments(p);
        for (double f = 0; f <= 160; f += 0.75) {
            if (!std::isfinite(clmtr::responseAt(h, f)))
                __builtin_trap();
        }
    }
    return 0;
}
