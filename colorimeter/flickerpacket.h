#pragma once
// The 96-byte packets of the luminance sample stream, as pure functions over
// bytes. A packet is 32 groups of three bytes: a marker or header byte, then
// one 16-bit sample, high byte first. The marker bytes ("T" at 0, "2" at 3,
// ">" at 42, "_" at 45, 48, ..., 93) frame the packet; the others carry the
// packet's X, Y, Z (bytes 6/9/12, 15/18/21, 24/27/30), its range byte (33)
// and a status character (39).

#include "protocol.h"

#include <array>
#include <cstdint>
#include <string>

namespace clmtr {

constexpr std::size_t flickerPacketLength = 96;
constexpr int samplesPerPacket = 32;
constexpr unsigned overSaturatedCounts = 61000;

struct FlickerPacket {
    std::array<uint16_t, samplesPerPacket> samples{};
    double x = 0, y = 0, z = 0; // instrument units
    Ranges ranges;              // ranges.x is the packet's range
    char status = '0';
};

// The marker check on the 96 bytes at p.
bool flickerMarkersValid(const unsigned char *p);

// False (out untouched) when fewer than 96 bytes are given or the markers fail.
bool parseFlickerPacket(const std::string &bytes, FlickerPacket &out);

// What the front of a stream's input holds.
enum class StreamFront {
    NeedMore, // fewer than 96 bytes
    Packet,   // a packet was taken off the front
    Skipped,  // the front failed the marker check; bytes up to the next "T" were dropped
};

// Takes one packet off the front of input, or resynchronises: on a failed
// marker check everything before the next "T" after the first byte is
// dropped (everything when there is none).
StreamFront takeFlickerPacket(std::string &input, FlickerPacket &out);

} // namespace clmtr
