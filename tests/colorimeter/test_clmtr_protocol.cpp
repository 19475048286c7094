// The colorimeter's wire format as pure functions: number formats, range
// byte, status letters, identification, the profile list, per-model facts.
#include "bytes.h"
#include "measurement.h"
#include "protocol.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace clmtr;

TEST(WireFormat, NumbersRangesAndStatusLetters) {
    // mantissa / 65536 * 2^exponent, sign in the top bit, exponents above 128
    // negative; the bytes that store 100 in a profile read 50 here.
    EXPECT_DOUBLE_EQ(decodeReading(bytes({0x64, 0x00, 0x07}), 0), 50.0);
    EXPECT_DOUBLE_EQ(decodeReading(bytes({'N', '5', 0xC0, 0x00, 0x03}), 2), -2.0);
    EXPECT_DOUBLE_EQ(decodeReading(bytes({0x40, 0x00, 0xFF}), 0), 0.125);
    EXPECT_DOUBLE_EQ(decodeValue4(bytes({0x01, 0x07, 0x64, 0x00})), -50.0); // only 1 is negative
    EXPECT_DOUBLE_EQ(decodeValue4(bytes({0x02, 0x07, 0x64, 0x00})), 50.0);
    EXPECT_EQ(decodeValue4(bytes({0x00, 0x07, 0x64})), -1.0); // wrong length
    const int ranges[][4] = {
        {0x00, 1, 1, 1}, {0xFF, 2, 4, 4}, {0xE0 | 26, 6, 6, 6}, {0x4B, 3, 2, 5}};
    for (const auto &r : ranges) {
        const Ranges got = decodeRangeByte(static_cast<unsigned char>(r[0]));
        EXPECT_TRUE(got.x == r[1] && got.y == r[2] && got.z == r[3]) << r[0];
    }
    const std::pair<char, uint32_t> letters[] = {{'L', ErrorBits::AimingLights},
                                                 {'w', 0x400},
                                                 {'b', 0x2000},
                                                 {'X', 0x10000000},
                                                 {'0', 0},
                                                 {'l', 0}};
    for (const auto &l : letters)
        EXPECT_EQ(statusBits(l.first), l.second) << l.first;
}

TEST(WireFormat, IdentificationReplies) {
    const char *const cases[][3] = {{"P0T-40   A12345678OK\r", "T-40", "A12345678"},
                                    {"P0\tTV-40\r  SN 42    xyz", "TV-40", "SN 42"},
                                    {"P0T-90   ", "T-90", ""}, // just enough for the model
                                    {"P0T-40  ", nullptr, ""}, // 8 bytes
                                    {"P0CS-2000123456789OK\r", nullptr, ""}};
    for (const auto &c : cases) {
        const Identity id = parseIdentify(c[0]);
        EXPECT_EQ(id.ok, c[1] != nullptr) << c[0];
        EXPECT_EQ(id.model, c[1] ? c[1] : "");
        EXPECT_EQ(id.serialNumber, c[2]);
    }
}

TEST(WireFormat, ProfileListCommandTableModelsAndFirmware) {
    const std::string blank = std::string("Looks name") + '\xFF' + "but is em"; // 0xFF at byte 10
    const auto names = parseProfileList("D7" + blank + "  Studio D65        " +
                                        std::string(94 * 20, '\xFF') + "OK\r");
    EXPECT_EQ(names[0], "Factory Cal File");
    EXPECT_EQ(names[1], "Blank");
    EXPECT_EQ(names[2], "Studio D65");
    EXPECT_EQ(findCommand("D7")->replyLength, 1925);
    EXPECT_DOUBLE_EQ(modelFactor("T-40A"), 1.0 / 3);
    EXPECT_DOUBLE_EQ(modelFactor("T-40CLOSED"), 1.0);
    EXPECT_FALSE(hasAimingLights("T-7"));
    EXPECT_FALSE(streamsFlicker("T-40"));
    for (const char *v : {"01.09fh", "", "00.99zz", "01.09Fh"})
        EXPECT_FALSE(firmwareIsNewer(v)) << v;
    for (const char *v : {"01.09fi", "01.09fh1", "02"})
        EXPECT_TRUE(firmwareIsNewer(v)) << v;
}
