#include "flickerwire.h"

#include "colorimeterwire.h"

namespace sim {
namespace clmtrwire {

std::string responseReply(const std::string &model, const std::string &serial,
                          const std::string &firmware, const ResponseValues &values) {
    std::string out = "P4" + padded(model, 7) + padded(serial, 9) + " " + padded(firmware, 7);
    for (const auto &block : values) {
        for (uint16_t v : block) {
            out += static_cast<char>(v >> 8);
            out += static_cast<char>(v & 0xFF);
        }
    }
    out.resize(responseReplyLength - 1, '\0');
    return out + '\r';
}

std::string flickerPacket(const std::array<uint16_t, 32> &samples, double X, double Y, double Z,
                          int range, char status) {
    std::string header(32, '_');
    header[0] = 'T';
    header[1] = '2';
    const std::string xyz = encodeReading(X) + encodeReading(Y) + encodeReading(Z);
    for (std::size_t i = 0; i < xyz.size(); ++i)
        header[2 + i] = xyz[i]; // groups 2-10: bytes 6, 9, ..., 30
    header[11] = static_cast<char>(encodeRangeByte(range, range, range)); // byte 33
    header[12] = ' ';                                                     // byte 36, unused
    header[13] = status;                                                  // byte 39
    header[14] = '>';                                                     // byte 42
    std::string out;
    out.reserve(96);
    for (std::size_t g = 0; g < 32; ++g) {
        out += header[g];
        out += static_cast<char>(samples[g] >> 8);
        out += static_cast<char>(samples[g] & 0xFF);
    }
    return out;
}

} // namespace clmtrwire
} // namespace sim
