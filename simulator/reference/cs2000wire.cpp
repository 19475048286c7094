#include "cs2000wire.h"

#include <cstdio>

namespace sim::cs2000wire {

std::string ok(const std::vector<std::string> &fields) {
    std::string out = "OK00";
    for (const std::string &f : fields)
        out += "," + f;
    return out + "\r\n";
}

std::string error(int code) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "ER%02d\r\n", code);
    return buf;
}

std::string number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4E", v);
    return buf;
}

std::string spectralBlock(const Spectrum &s, int block) {
    // 380-479, 480-579, 580-679, 680-780 nm.
    const int first = spectrumFirstNm + 100 * (block - 1);
    const int count = block == 4 ? 101 : 100;
    std::vector<std::string> values;
    for (int i = 0; i < count; ++i) {
        const std::size_t at = static_cast<std::size_t>(first - spectrumFirstNm + i);
        values.push_back(number(at < s.size() ? s[at] : 0.0));
    }
    return ok(values);
}

} // namespace sim::cs2000wire
