#include "cs2000wire.h"

#include "measurement.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace sim::cs2000wire {

std::string ok(const std::vector<std::string> &fields, const std::string &delimiter) {
    std::string out = "OK00";
    for (const std::string &f : fields)
        out += "," + f;
    return out + delimiter;
}

std::string error(int code, const std::string &delimiter) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "ER%02d", code);
    return buf + delimiter;
}

std::string exponential(double v) {
    if (!std::isfinite(v))
        return "-9.9999e9";
    if (std::fabs(v) < 0.00005e-9)
        return "0.0000e-9";
    // One exponent digit: below 1e-9 the mantissa gives way instead ("0.0520e-9").
    int exponent = std::max(-9, static_cast<int>(std::floor(std::log10(std::fabs(v)))));
    double mantissa = v / std::pow(10.0, exponent);
    if (std::fabs(std::round(mantissa * 1e4) / 1e4) >= 10.0) {
        mantissa /= 10.0;
        ++exponent;
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4fe%+d", mantissa, exponent);
    return buf;
}

std::string hexFloat(double v) {
    if (!std::isfinite(v))
        return "D1BA43B6";
    const float f = static_cast<float>(v);
    uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08X", bits);
    return buf;
}

namespace {
// v in a printf format, or the instrument's text for a value it could not
// calculate.
std::string printed(double v, const char *format, const char *calculationError) {
    if (!std::isfinite(v))
        return calculationError;
    char buf[32];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}
} // namespace

std::string fixed4(double v) {
    return printed(v, "%.4f", "-9.999");
}

std::string signedFixed4(double v) {
    return printed(v, "%+.4f", "-9.9999");
}

std::string sixCharacters(double v) {
    if (!std::isfinite(v))
        return "-9.9e9";
    if (v < 0.00005)
        return "0.0000";
    char buf[32];
    if (v >= 999999.5) {
        std::snprintf(buf, sizeof buf, "%.2e", v);
        // "1.23e+06" to the instrument's one-digit exponent, "1.23e+6".
        std::string s = buf;
        const std::size_t e = s.find('e');
        while (s.size() > e + 3 && s[e + 2] == '0')
            s.erase(e + 2, 1);
        return s;
    }
    // Digits before the point leave the rest of the six characters to decimals.
    for (int decimals = 4; decimals >= 0; --decimals) {
        std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
        if (std::strlen(buf) <= 6)
            return buf;
    }
    std::snprintf(buf, sizeof buf, "%.0f", v);
    return buf;
}

std::string wholeNumber(double v) {
    return printed(v, "%.0f", "-9999");
}

std::vector<std::string> spectralBlock(const Spectrum &s, int block, bool hex) {
    // 380-479, 480-579, 580-679, 680-780 nm.
    const int first = spectrumFirstNm + 100 * (block - 1);
    const int count = block == 4 ? 101 : 100;
    std::vector<std::string> values;
    for (int i = 0; i < count; ++i) {
        const std::size_t at = static_cast<std::size_t>(first - spectrumFirstNm + i);
        const double v = at < s.size() ? s[at] : 0.0;
        values.push_back(hex ? hexFloat(v) : exponential(v));
    }
    return values;
}

std::vector<std::string> colorimetricBlock(const Spectrum &s, int block, bool hex) {
    enum Format { Exponential, Six, Fixed, SignedFixed, Whole };
    struct Quantity {
        double value;
        Format format;
    };
    double xyz[3];
    spectrumXYZ(s, xyz);
    double radiance = 0; // W/(sr m²), 1 nm steps
    for (double v : s)
        radiance += v;
    const Measurement m = Measurement::fromXYZ(xyz[0], xyz[1], xyz[2]);
    const double none = std::nan("");
    const double cct = m.errorCode & ErrorBits::CctOutOfRange ? none : m.temp;
    const double duv = m.errorCode & ErrorBits::CctOutOfRange ? none : m.tempDuv;
    const double dominant = m.errorCode & ErrorBits::NoDominantWavelength ? none : m.nm;
    // In the order of block 0: Le, Lv, X, Y, Z, x, y, u', v', T, duv, dominant
    // wavelength, purity, then the same thirteen less Le and Lv for 10°.
    const Quantity all[] = {
        {radiance, Exponential},
        {xyz[1], Six},
        {xyz[0], Exponential},
        {xyz[1], Exponential},
        {xyz[2], Exponential},
        {m.x, Fixed},
        {m.y, Fixed},
        {m.uPrime, Fixed},
        {m.vPrime, Fixed},
        {cct, Whole},
        {duv, SignedFixed},
        {dominant, Six},
        {none, Six},
        {none, Exponential},
        {none, Exponential},
        {none, Exponential},
        {none, Fixed},
        {none, Fixed},
        {none, Fixed},
        {none, Fixed},
        {none, Whole},
        {none, SignedFixed},
        {none, Six},
        {none, Six},
    };
    constexpr int count = sizeof all / sizeof all[0];
    struct Block {
        int number;
        std::vector<int> quantities; // indices into all
    };
    static const Block blocks[] = {
        {1, {2, 3, 4}},    {2, {5, 6, 1}},     {3, {7, 8, 1}},    {4, {9, 10, 1}},
        {5, {11, 12, 1}},  {11, {13, 14, 15}}, {12, {16, 17, 1}}, {13, {18, 19, 1}},
        {14, {20, 21, 1}}, {15, {22, 23, 1}},  {100, {0}},        {101, {1}},
    };
    std::vector<int> wanted;
    if (block == 0) {
        for (int i = 0; i < count; ++i)
            wanted.push_back(i);
    }
    for (const Block &b : blocks) {
        if (b.number == block)
            wanted = b.quantities;
    }
    std::vector<std::string> out;
    for (int i : wanted) {
        const Quantity &q = all[i];
        if (hex) {
            out.push_back(hexFloat(q.value));
            continue;
        }
        switch (q.format) {
        case Exponential:
            out.push_back(exponential(q.value));
            break;
        case Six:
            out.push_back(sixCharacters(q.value));
            break;
        case Fixed:
            out.push_back(fixed4(q.value));
            break;
        case SignedFixed:
            out.push_back(signedFixed4(q.value));
            break;
        case Whole:
            out.push_back(wholeNumber(q.value));
            break;
        }
    }
    return out;
}

} // namespace sim::cs2000wire
