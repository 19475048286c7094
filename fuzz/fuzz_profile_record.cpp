// A profile record as read back from the instrument, and the stored-value
// encoder fed with whatever doubles the bytes make (NaN, infinities,
// subnormals, extremes): decoding then re-encoding must stay within the
// format and never misbehave.
#include "profilerecord.h"
#include "storedvalue.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    clmtr::ProfileRecord record;
    if (clmtr::decodeProfileRecord(bytes, record)) {
        bool tooLarge = false;
        const std::string again =
            clmtr::encodeProfileRecord(record.name, record.rgb, record.correction, tooLarge);
        if (again.size() != static_cast<std::size_t>(clmtr::profileRecordLength))
            __builtin_trap();
        clmtr::ProfileRecord back;
        if (!clmtr::decodeProfileRecord(again, back) || back.name != record.name)
            __builtin_trap();
    }
    for (std::size_t at = 0; at + sizeof(double) <= size; at += sizeof(double)) {
        double v = 0;
        std::memcpy(&v, data + at, sizeof v);
        bool over = false;
        const clmtr::StoredBytes b = clmtr::encodeStoredValue(v, over);
        const double d = clmtr::decodeStoredValue(b);
        if (over ? d != 0 : !(std::fabs(d - v) <= std::ldexp(std::fabs(v), -13)))
            __builtin_trap();
    }
    return 0;
}
