#include "calibrationwire.h"

#include "colorimeterwire.h"

#include <algorithm>
#include <cmath>

namespace sim {
namespace clmtrwire {

std::string encodeStored(double v) {
    if (v == 0 || !std::isfinite(v))
        return std::string(3, '\0');
    int e = 0;
    const double f = std::frexp(std::fabs(v), &e); // f in [0.5, 1)
    long m = std::lround(f * 32768.0);
    if (m >= 32768) {
        m /= 2;
        ++e;
    }
    std::string out(3, '\0');
    out[0] = static_cast<char>(((m >> 8) & 0x7F) | (v < 0 ? 0x80 : 0));
    out[1] = static_cast<char>(m & 0xFF);
    out[2] = static_cast<char>(static_cast<signed char>(std::clamp(e, -127, 127)));
    return out;
}

std::string profileRecord(const std::string &name, const Matrix3 &rgb, const Matrix3 &correction) {
    std::string out = padded(name, 20) + "//";
    out = padded(out, 59, '\0');
    for (double c : {95.043, 100.0, 108.89, 0.005, 5.0})
        out += encodeStored(c);
    for (const Matrix3 *m : {&rgb, &correction})
        for (const auto &row : *m)
            for (double v : row)
                out += encodeStored(v);
    return out;
}

std::string profileListFromRecords(const std::vector<std::string> &records) {
    std::string out = "D7";
    for (std::size_t slot = 0; slot < 96; ++slot) {
        const std::string r = slot < records.size() ? records[slot] : std::string();
        out += padded(r, 20, '\xFF');
    }
    return out + "OK\r";
}

std::string recordReply(const std::string &record) {
    return padded(record, 128, '\xFF') + "OK\r";
}

std::string encodeValue4(double v) {
    std::string out(4, '\0');
    if (!std::isfinite(v))
        return out;
    out[0] = v < 0 ? 1 : 0;
    const double a = std::fabs(v);
    int e = 0;
    long m = 0;
    if (a < 1) {
        m = std::lround(a * 65536.0); // the exponent cannot go below 0
    } else {
        const double f = std::frexp(a, &e);
        m = std::lround(f * 65536.0);
    }
    if (m >= 65536) {
        m /= 2;
        ++e;
    }
    out[1] = static_cast<char>(std::clamp(e, 0, 255));
    out[2] = static_cast<char>(m >> 8);
    out[3] = static_cast<char>(m & 0xFF);
    return out;
}

std::string matrixReply(const Matrix3 &m) {
    std::string out = "Q0";
    for (const auto &row : m)
        for (double v : row)
            out += encodeValue4(v);
    return padded(out, 130, '\0') + "OK\r";
}

std::string blackTableReply(const std::string &command, const std::array<unsigned, 19> &values,
                            char status) {
    std::string out = padded(command, 2);
    for (unsigned v : values)
        put16(out, v);
    out += ' ';
    out += status;
    out += '\r';
    return out;
}

std::string thermalReply(const std::array<double, 18> &coefficients) {
    std::string out = "S0";
    for (double c : coefficients) {
        const unsigned quarter = static_cast<unsigned>(std::lround(std::fabs(c) * 4096.0));
        put16(out, c < 0 ? 32768 + quarter : quarter);
    }
    return padded(out, 130, '\0') + "OK\r";
}

} // namespace clmtrwire
} // namespace sim
