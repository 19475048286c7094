#pragma once
// The video colorimeter's flicker replies as the instrument builds them:
// the "P4" reply with firmware version and frequency-response data, and the
// 96-byte packets of the sample stream. Pure functions over values.

#include <array>
#include <cstdint>
#include <string>

namespace sim {
namespace clmtrwire {

constexpr int responseReplyLength = 613;
using ResponseValues = std::array<std::array<uint16_t, 64>, 3>; // per range pair

// "P4": echo, model (7) and serial (9) and a blank, the firmware version (7,
// bytes 19-25), the three blocks of 64 16-bit values high byte first (bytes
// 26-409), zero padding and a CR (613 bytes).
std::string responseReply(const std::string &model, const std::string &serial,
                          const std::string &firmware, const ResponseValues &values);

// One stream packet: 32 groups of a marker/header byte and a 16-bit sample.
// The header bytes carry X, Y, Z in the three-byte reading format, the range
// byte (all channels in `range`) and the status character.
std::string flickerPacket(const std::array<uint16_t, 32> &samples, double X, double Y, double Z,
                          int range, char status);

} // namespace clmtrwire
} // namespace sim
