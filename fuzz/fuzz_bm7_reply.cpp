// Any BM-7 reply: the result is 0 (three finite values), 0x2 (no "TS"
// header) or 0x8 (a column that is not a number), and values are written
// only on success.
#include "bm7protocol.h"

#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString reply =
        QString::fromLatin1(reinterpret_cast<const char *>(data), static_cast<int>(size));
    double xyz[3] = {-7, -7, -7};
    const quint32 error = bm7::parseReading(reply, xyz);
    if (error != 0 && error != 0x2 && error != 0x8)
        __builtin_trap();
    if (error == 0x2 && reply.startsWith(QLatin1String("TS")))
        __builtin_trap();
    for (double d : xyz) {
        if (error == 0 ? !std::isfinite(d) : d != -7)
            __builtin_trap();
    }
    return 0;
}
