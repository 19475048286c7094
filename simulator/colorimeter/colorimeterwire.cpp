#include "colorimeterwire.h"

#include <algorithm>
#include <cmath>

namespace sim {
namespace clmtrwire {

std::string padded(const std::string &s, std::size_t width, char fill) {
    std::string out = s.substr(0, width);
    out.resize(width, fill);
    return out;
}

void put16(std::string &out, unsigned v) {
    v = std::min(v, 0xFFFFu);
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v & 0xFF);
}

std::string encodeReading(double v) {
    if (v == 0 || !std::isfinite(v))
        return std::string(3, '\0');
    int e = 0;
    double f = std::frexp(std::fabs(v), &e); // |v| = f * 2^e, f in [0.5, 1)
    // Mantissa m / 65536 holds f / 2 so that m fills 15 bits.
    long m = std::lround(f * 32768.0);
    e += 1;
    if (m >= 32768) {
        m /= 2;
        ++e;
    }
    e = std::clamp(e, -127, 127);
    std::string out(3, '\0');
    out[0] = static_cast<char>(((m >> 8) & 0x7F) | (v < 0 ? 0x80 : 0));
    out[1] = static_cast<char>(m & 0xFF);
    out[2] = static_cast<char>(static_cast<signed char>(e));
    return out;
}

unsigned char encodeRangeByte(int rangeX, int rangeY, int rangeZ) {
    auto parts = [](int r, int &odd, int &digit) {
        r = std::clamp(r, 1, 6) - 1;
        odd = r % 2;
        digit = r / 2;
    };
    int ox, dx, oy, dy, oz, dz;
    parts(rangeX, ox, dx);
    parts(rangeY, oy, dy);
    parts(rangeZ, oz, dz);
    return static_cast<unsigned char>((ox << 7) | (oy << 6) | (oz << 5) | (dx * 9 + dy * 3 + dz));
}

std::string identifyReply(const std::string &model, const std::string &serial) {
    return "P0" + padded(model, 7) + padded(serial, 9) + "OK\r";
}

std::string readingReply(const std::string &command, double X, double Y, double Z, int rangeX,
                         int rangeY, int rangeZ, char status) {
    std::string out = padded(command, 2);
    out += encodeReading(X);
    out += encodeReading(Y);
    out += encodeReading(Z);
    out += static_cast<char>(encodeRangeByte(rangeX, rangeY, rangeZ));
    out += ' ';
    out += status;
    out += '\r';
    return out;
}

std::string profileListReply(const std::vector<std::string> &slotNames) {
    std::string out = "D7";
    for (std::size_t slot = 0; slot < 96; ++slot) {
        const std::string name = slot < slotNames.size() ? slotNames[slot] : std::string();
        if (name.empty())
            out += std::string(20, '\xFF');
        else
            out += padded(name, 20);
    }
    return out + "OK\r"; // the reply is 1925 bytes: three trailing bytes after the fields
}

std::string countsReply(const Counts &c) {
    std::string out;
    for (unsigned v : c.signal)
        put16(out, v);
    for (unsigned v : c.dark)
        put16(out, v);
    put16(out, c.integrationMs);
    out += static_cast<char>(std::min(c.temperatureA, 255u));
    out += static_cast<char>(std::min(c.temperatureB, 255u));
    out += static_cast<char>(encodeRangeByte(c.rangeX, c.rangeY, c.rangeZ));
    out += ' ';
    out += c.status;
    out += '\r';
    return out;
}

} // namespace clmtrwire
} // namespace sim
