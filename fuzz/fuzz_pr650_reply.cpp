// Any PR-650 "M2" reply: accepted only with the "00" status, and then with
// three finite values.
#include "pr650protocol.h"

#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString reply =
        QString::fromLatin1(reinterpret_cast<const char *>(data), static_cast<int>(size));
    double xyz[3];
    if (!pr650::parseXYZ(reply, xyz))
        return 0;
    if (!pr650::isOk(reply))
        __builtin_trap();
    for (double d : xyz) {
        if (!std::isfinite(d))
            __builtin_trap();
    }
    return 0;
}
