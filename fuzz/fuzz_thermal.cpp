// The thermal-coefficient reply ("S0"): 18 signed values of 4096ths.
#include "blackmatrix.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string reply(reinterpret_cast<const char *>(data), size);
    const BlackMatrix b = clmtr::parseThermalCoefficients(reply);
    for (const auto &range : b.black)
        for (double v : range)
            if (!(v >= -8.0 && v <= 8.0))
                __builtin_trap();
    if (b.thermal != 0)
        __builtin_trap();
    return 0;
}
