#include "storedvalue.h"

#include <cmath>

namespace clmtr {

StoredBytes encodeStoredValue(double v, bool &outOfRange) {
    outOfRange = false;
    StoredBytes b{0, 0, 0};
    if (v == 0)
        return b;
    const double a = std::fabs(v);
    if (!std::isfinite(a)) {
        outOfRange = true;
        return b;
    }
    // Truncation toward zero (not floor) leaves values below 1 with a bit or
    // two less precision; records already in instruments were made this way.
    long e = static_cast<long>(std::trunc(std::log2(a))) + 1;
    double m = std::floor(std::ldexp(a, static_cast<int>(-e)) * 32768.0 + 0.5);
    if (m >= 32768) {
        m = std::floor(m / 2);
        ++e;
    }
    if (e < -127 || e > 127) {
        outOfRange = true;
        return b;
    }
    const unsigned mantissa = static_cast<unsigned>(m);
    b[0] = static_cast<unsigned char>((mantissa >> 8) | (v < 0 ? 0x80 : 0));
    b[1] = static_cast<unsigned char>(mantissa & 0xFF);
    b[2] = static_cast<unsigned char>(static_cast<signed char>(e));
    return b;
}

double decodeStoredValue(const unsigned char *b) {
    const double mantissa = ((b[0] & 0x7F) * 256 + b[1]) / 32768.0;
    const double v = std::ldexp(mantissa, static_cast<signed char>(b[2]));
    return (b[0] & 0x80) ? -v : v;
}

} // namespace clmtr
