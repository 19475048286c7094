// The 96-byte stream packets: samples and header, the marker check, and
// resynchronisation on damaged or cut input fed in arbitrary pieces.
#include "flickerpacket.h"

#include <gtest/gtest.h>

#include <random>

using namespace clmtr;

namespace {

// Built here from the layout, independently of the simulator's encoder.
std::string packet(uint16_t first, char status = '0', unsigned char rangeByte = 0x09) {
    std::string p(96, '_');
    p[0] = 'T';
    p[3] = '2';
    p[42] = '>';
    const unsigned char header[] = {0x40, 0x00, 0x08,  // X = 0.25 * 2^8 = 64
                                    0x64, 0x00, 0x07,  // Y = 50
                                    0xC0, 0x00, 0x03}; // Z = -2
    for (std::size_t i = 0; i < 9; ++i)
        p[6 + 3 * i] = static_cast<char>(header[i]);
    p[33] = static_cast<char>(rangeByte);
    p[36] = ' ';
    p[39] = status;
    for (std::size_t i = 0; i < 32; ++i) {
        const uint16_t s = static_cast<uint16_t>(first + 1000 * i);
        p[3 * i + 1] = static_cast<char>(s >> 8);
        p[3 * i + 2] = static_cast<char>(s & 0xFF);
    }
    return p;
}

} // namespace

TEST(FlickerPacket, SamplesHeaderRangeAndStatus) {
    FlickerPacket out;
    ASSERT_TRUE(parseFlickerPacket(packet(0x1234, 'L', 0x09), out));
    EXPECT_EQ(out.samples[0], 0x1234);
    EXPECT_EQ(out.samples[31], 0x1234 + 31000);
    EXPECT_DOUBLE_EQ(out.x, 64.0);
    EXPECT_DOUBLE_EQ(out.y, 50.0);
    EXPECT_DOUBLE_EQ(out.z, -2.0);
    EXPECT_EQ(out.ranges.x, 3); // 0x09: first digit 1, so range 3
    EXPECT_EQ(out.status, 'L');
}

TEST(FlickerPacket, EveryMarkerIsChecked) {
    const std::string good = packet(100);
    FlickerPacket out;
    EXPECT_TRUE(parseFlickerPacket(good, out));
    std::vector<std::size_t> markers = {0, 3, 42};
    for (std::size_t i = 45; i < 96; i += 3)
        markers.push_back(i);
    for (std::size_t at : markers) {
        std::string bad = good;
        bad[at] = 'X';
        EXPECT_FALSE(parseFlickerPacket(bad, out)) << at;
    }
    // Header bytes may hold anything.
    std::string header = good;
    header[36] = 'X';
    header[6] = 'T';
    EXPECT_TRUE(parseFlickerPacket(header, out));
    EXPECT_FALSE(parseFlickerPacket(good.substr(0, 95), out));
}

TEST(FlickerStream, DamagedPacketIsSkippedToTheNextT) {
    std::string damaged = packet(0x0101); // no sample byte is a 'T'
    damaged[48] = 'X';
    std::string input = damaged + packet(0x0202);
    FlickerPacket out;
    EXPECT_EQ(takeFlickerPacket(input, out), StreamFront::Skipped);
    EXPECT_EQ(input.size(), 96u); // everything up to the next packet's 'T'
    EXPECT_EQ(takeFlickerPacket(input, out), StreamFront::Packet);
    EXPECT_EQ(out.samples[0], 0x0202);
    EXPECT_TRUE(input.empty());
    EXPECT_EQ(takeFlickerPacket(input, out), StreamFront::NeedMore);

    std::string noT(200, 'x');
    EXPECT_EQ(takeFlickerPacket(noT, out), StreamFront::Skipped);
    EXPECT_TRUE(noT.empty());
}

TEST(FlickerStream, GarbageAndCutPacketsInRandomPiecesLoseOnlyThemselves) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string wire;
    std::vector<uint16_t> sent;
    for (int k = 0; k < 200; ++k) {
        const uint16_t first = static_cast<uint16_t>(k * 7);
        switch (k % 5) {
        case 1: // garbage before the packet (never a 'T')
            for (int i = 0; i < k % 37 + 1; ++i) {
                char c = static_cast<char>(byte(rng));
                wire += c == 'T' ? 'U' : c;
            }
            break;
        case 3: // a packet cut short
            wire += packet(9999).substr(0, static_cast<std::size_t>(k % 90 + 1));
            break;
        default:
            break;
        }
        wire += packet(first);
        sent.push_back(first);
    }
    std::string input;
    std::vector<uint16_t> got;
    std::uniform_int_distribution<std::size_t> piece(1, 150);
    for (std::size_t at = 0; at < wire.size();) {
        const std::size_t n = std::min(piece(rng), wire.size() - at);
        input += wire.substr(at, n);
        at += n;
        FlickerPacket out;
        for (StreamFront f; (f = takeFlickerPacket(input, out)) != StreamFront::NeedMore;) {
            if (f == StreamFront::Packet)
                got.push_back(out.samples[0]);
        }
    }
    EXPECT_EQ(got, sent);
}
