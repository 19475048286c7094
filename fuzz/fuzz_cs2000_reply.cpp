// Any CS-2000 reply text: the status, field, identity and XYZ parsers never
// fail on it, and what they accept is consistent (an identity or XYZ only
// from an "OK" reply, finite numbers only).
#include "cs2000protocol.h"

#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString reply =
        QString::fromLatin1(reinterpret_cast<const char *>(data), static_cast<int>(size));
    const bool ok = cs2000::isOk(reply);
    int v = 0;
    cs2000::intField(reply, 1, &v);
    cs2000::isBlankChannel(reply);
    cs2000::Identity id;
    if (cs2000::parseIdentity(reply, &id) && !ok)
        __builtin_trap();
    double xyz[3];
    if (cs2000::parseXYZ(reply, xyz)) {
        if (!ok)
            __builtin_trap();
        for (double d : xyz) {
            if (!std::isfinite(d))
                __builtin_trap();
        }
    }
    return 0;
}
