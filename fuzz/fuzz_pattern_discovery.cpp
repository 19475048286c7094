// A discovery datagram or information line from the network: any bytes are
// either refused or give a generator's identity with sizes in range, and the
// refused leave the record untouched.
#include "patternwire.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<int>(size));
    patternwire::Info info;
    info.width = -7;
    const bool line = patternwire::parseInfo(bytes, &info);
    if (!line && info.width != -7)
        __builtin_trap();
    if (line && (info.width < 0 || info.width > patternwire::maxDimension || info.height < 0 ||
                 info.height > patternwire::maxDimension || bytes.count(',') != 4))
        __builtin_trap();
    patternwire::Info answer;
    const bool generator = patternwire::parseDiscoveryAnswer(bytes, &answer);
    if (generator && (!line || answer.model != QLatin1String(patternwire::identity)))
        __builtin_trap();
    return 0;
}
