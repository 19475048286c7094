// Any PR-650 reply: an "M2" reading is accepted only with quality code 0
// (or 18, low light) and three finite values; the identity parsers give a
// serial number and a model only as printable text without commas, and a
// model only when it names a PR instrument.
#include "pr650protocol.h"

#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString reply =
        QString::fromLatin1(reinterpret_cast<const char *>(data), static_cast<int>(size));
    double xyz[3] = {0, 0, 0};
    if (pr650::parseXYZ(reply, xyz) != pr650::Reading::Unusable) {
        for (double d : xyz) {
            if (!std::isfinite(d))
                __builtin_trap();
        }
    }
    const QString serial = pr650::serialNumber(reply);
    const QString model = pr650::model(reply);
    for (const QString &s : {serial, model}) {
        if (s.contains(QLatin1Char(',')) || s != s.trimmed())
            __builtin_trap();
    }
    if (!model.isEmpty() && !model.startsWith(QLatin1String("PR")))
        __builtin_trap();
    return 0;
}
