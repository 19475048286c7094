#pragma once
// The colorimeter's replies as the instrument builds them: pure functions over
// values, testable without a pseudo-terminal.

#include <string>
#include <vector>

namespace sim {
namespace clmtrwire {

// s cut or filled with `fill` to exactly width bytes.
std::string padded(const std::string &s, std::size_t width, char fill = ' ');
// v (at most 0xFFFF) as two bytes, high byte first.
void put16(std::string &out, unsigned v);

// Three-byte reading value: bit 7 of byte 0 the sign, 15-bit mantissa high
// byte first, byte 2 a signed exponent; value = mantissa / 65536 * 2^exponent.
std::string encodeReading(double v);

// Range byte for ranges 1 to 6 per channel: the odd/even part of each range
// in bits 7, 6, 5, the rest as three base-3 digits in bits 0-4.
unsigned char encodeRangeByte(int rangeX, int rangeY, int rangeZ);

// "P0": echo, model padded to 7, serial padded to 9, three trailing bytes.
std::string identifyReply(const std::string &model, const std::string &serial);

// "N4"/"N5": echo, X, Y, Z, range byte, a spare byte, status, CR (15 bytes).
std::string readingReply(const std::string &command, double X, double Y, double Z, int rangeX,
                         int rangeY, int rangeZ, char status);

// "D7": echo, 96 fields of 20 bytes for slots 1-96 and three trailing bytes.
// An empty name is an empty slot (all 0xFF); names are cut to 20 characters
// and blank-padded.
std::string profileListReply(const std::vector<std::string> &slotNames);

struct Counts {
    unsigned signal[3] = {0, 0, 0}; // X, Y, Z
    unsigned dark[3] = {0, 0, 0};
    unsigned integrationMs = 0;
    unsigned temperatureA = 0, temperatureB = 0; // sensor temperatures, 50-200 is healthy
    int rangeX = 1, rangeY = 1, rangeZ = 1;
    char status = '0';
};
// "M6": six 16-bit counts, a 16-bit value, two single bytes, range byte,
// spare, status, CR (20 bytes).
std::string countsReply(const Counts &c);

} // namespace clmtrwire
} // namespace sim
