#pragma once
// The three-byte stored value of profile records: bit 7 of byte 0 the sign,
// a 15-bit mantissa (high part in byte 0, low in byte 1) scaled by 1/32768,
// and byte 2 a signed power of two. Stored profiles depend on the exact
// rounding of the encoder, so it is kept as the instrument family has it.

#include <array>
#include <cstdint>

namespace clmtr {

using StoredBytes = std::array<unsigned char, 3>;

// Bytes of v; 0 gives three zero bytes. outOfRange is set (and the bytes are
// zero) when v is not finite or its exponent does not fit a signed byte.
StoredBytes encodeStoredValue(double v, bool &outOfRange);

double decodeStoredValue(const unsigned char *bytes);
inline double decodeStoredValue(const StoredBytes &b) {
    return decodeStoredValue(b.data());
}

} // namespace clmtr
