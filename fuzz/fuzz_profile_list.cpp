// The "D7" profile list reply: any bytes give 97 names with slot 0 the
// factory calibration, and labels for each.
#include "profilerecord.h"
#include "protocol.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string reply(reinterpret_cast<const char *>(data), size);
    const auto names = clmtr::parseProfileList(reply);
    if (names.size() != static_cast<std::size_t>(clmtr::profileSlots) ||
        names[0] != clmtr::factoryProfileName)
        __builtin_trap();
    for (const std::string &n : names)
        if (n.size() > static_cast<std::size_t>(clmtr::profileNameLength))
            __builtin_trap();
    const auto labels = clmtr::profileLabels(names);
    if (labels.size() != names.size())
        __builtin_trap();
    return 0;
}
