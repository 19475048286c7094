// Any CS-2000 reply text: the status, field, identity, measuring-time, sync
// and XYZ parsers never fail on it, and what they accept is consistent (an
// identity, a time, a sync or XYZ only from an "OK" reply; a measuring time
// within the instrument's range; finite numbers only, never the
// calculation-error value).
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
    const int code = cs2000::errorCode(reply);
    if (code > 99 || (code >= 0 && ok))
        __builtin_trap();
    cs2000::errorMeaning(code);
    cs2000::Identity id;
    if (cs2000::parseIdentity(reply, &id) && (!ok || id.model.isEmpty()))
        __builtin_trap();
    int seconds = -1;
    if (cs2000::parseMeasuringTime(reply, &seconds) &&
        (!ok || seconds < 0 || seconds > cs2000::longestMeasuringSeconds))
        __builtin_trap();
    cs2000::Sync sync;
    if (cs2000::parseSync(reply, &sync) && (!ok || !sync.valid()))
        __builtin_trap();
    double xyz[3];
    if (cs2000::parseXYZ(reply, xyz) == cs2000::Reading::Usable) {
        if (!ok)
            __builtin_trap();
        for (double d : xyz) {
            if (!std::isfinite(d) || d == cs2000::calculationError)
                __builtin_trap();
        }
    }
    return 0;
}
