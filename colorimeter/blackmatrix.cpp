#include "blackmatrix.h"

#include "measurement.h"
#include "protocol.h"
#include "transaction.h"

namespace clmtr {

namespace {

unsigned u16(const std::string &s, std::size_t at) {
    return static_cast<unsigned char>(s[at]) * 256u + static_cast<unsigned char>(s[at + 1]);
}

// Value i of the 18 (six triples from range 6 down) goes to black[range-1][channel].
void putReversed(BlackMatrix &b, int i, double v) {
    const int range = 6 - i / 3;
    b.black[range - 1][i % 3] = v;
}

constexpr int blackValues = 18;
constexpr std::size_t blackStatusAt = 41;

} // namespace

BlackMatrix parseBlackTable(const std::string &reply) {
    BlackMatrix b;
    if (reply.size() < static_cast<std::size_t>(blackTableReplyLength) - 1) {
        b.status = Internal;
        return b;
    }
    bool inRange = true;
    for (int i = 0; i <= blackValues; ++i) {
        const unsigned v = u16(reply, 2 + 2 * static_cast<std::size_t>(i));
        inRange &= v >= blackTableMin && v <= blackTableMax;
        if (i < blackValues)
            putReversed(b, i, v);
        else
            b.thermal = v;
    }
    uint32_t status = statusBits(reply[blackStatusAt]);
    if (!inRange) {
        b = BlackMatrix{};
        status |= ErrorBits::BlackOutOfRange;
    }
    b.status = static_cast<int>(status);
    return b;
}

BlackMatrix parseThermalCoefficients(const std::string &reply) {
    BlackMatrix b;
    if (reply.size() < 2 + 2 * static_cast<std::size_t>(blackValues)) {
        b.status = Internal;
        return b;
    }
    for (int i = 0; i < blackValues; ++i) {
        const unsigned u = u16(reply, 2 + 2 * static_cast<std::size_t>(i));
        const double signedValue = u > 32768 ? 32768.0 - u : static_cast<double>(u);
        putReversed(b, i, signedValue / 4096);
    }
    return b;
}

bool parseCountsRecord(const std::string &reply, CountsRecord &out) {
    if (reply.size() < 19)
        return false;
    out = CountsRecord{};
    for (int i = 0; i < 6; ++i)
        out.counts[i] = u16(reply, 2 * static_cast<std::size_t>(i));
    out.value16 = u16(reply, 12);
    out.sensorA = static_cast<unsigned char>(reply[14]);
    out.sensorB = static_cast<unsigned char>(reply[15]);
    const Ranges r = decodeRangeByte(static_cast<unsigned char>(reply[16]));
    out.rangeX = r.x;
    out.rangeY = r.y;
    out.rangeZ = r.z;
    out.errorCode = statusBits(reply[18]);
    return true;
}

bool countsAllowBlackCalibration(const CountsRecord &c) {
    auto healthy = [](unsigned v) { return v >= 50 && v <= 200; };
    return healthy(c.sensorA) && healthy(c.sensorB);
}

} // namespace clmtr
