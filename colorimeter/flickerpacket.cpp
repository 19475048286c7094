#include "flickerpacket.h"

namespace clmtr {

namespace {
constexpr std::size_t firstUnderscore = 45;
const std::size_t xAt[3] = {6, 9, 12};
const std::size_t yAt[3] = {15, 18, 21};
const std::size_t zAt[3] = {24, 27, 30};
constexpr std::size_t rangeAt = 33;
constexpr std::size_t statusAt = 39;

double headerValue(const unsigned char *p, const std::size_t (&at)[3]) {
    const unsigned char b[3] = {p[at[0]], p[at[1]], p[at[2]]};
    return decodeReading(b);
}
} // namespace

bool flickerMarkersValid(const unsigned char *p) {
    if (p[0] != 'T' || p[3] != '2' || p[42] != '>')
        return false;
    for (std::size_t i = firstUnderscore; i < flickerPacketLength; i += 3) {
        if (p[i] != '_')
            return false;
    }
    return true;
}

bool parseFlickerPacket(const std::string &bytes, FlickerPacket &out) {
    if (bytes.size() < flickerPacketLength)
        return false;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    if (!flickerMarkersValid(p))
        return false;
    for (std::size_t i = 0; i < static_cast<std::size_t>(samplesPerPacket); ++i)
        out.samples[i] = static_cast<uint16_t>(p[3 * i + 1] << 8 | p[3 * i + 2]);
    out.x = headerValue(p, xAt);
    out.y = headerValue(p, yAt);
    out.z = headerValue(p, zAt);
    out.ranges = decodeRangeByte(p[rangeAt]);
    out.status = static_cast<char>(p[statusAt]);
    return true;
}

StreamFront takeFlickerPacket(std::string &input, FlickerPacket &out) {
    if (input.size() < flickerPacketLength)
        return StreamFront::NeedMore;
    if (parseFlickerPacket(input, out)) {
        input.erase(0, flickerPacketLength);
        return StreamFront::Packet;
    }
    const std::size_t next = input.find('T', 1);
    input.erase(0, next == std::string::npos ? input.size() : next);
    return StreamFront::Skipped;
}

} // namespace clmtr
