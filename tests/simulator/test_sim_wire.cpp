// The simulated colorimeter's reply builders against the library's decoders
// (written separately, so a shared mistake would have to be made twice), with
// a byte-level spot check of each format.
#include "bytes.h"
#include "colorimeterwire.h"
#include "protocol.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace sim::clmtrwire;

TEST(SimWire, ReadingValuesAndRangesSurviveTheLibraryDecoders) {
    EXPECT_EQ(encodeReading(-2.0), bytes({0xC0, 0x00, 0x03}));
    EXPECT_EQ(encodeReading(0.125), bytes({0x40, 0x00, 0xFF}));
    for (double v : {1e-6, 0.003, 0.99999999, 3.14159, 1234.5, 150000.0, -99.9}) {
        const double back = clmtr::decodeReading(encodeReading(v), 0);
        EXPECT_NEAR(back, v, std::fabs(v) * 4e-5) << v; // 15-bit mantissa
    }
    for (int x = 1; x <= 6; ++x)
        for (int y = 1; y <= 6; ++y)
            for (int z = 1; z <= 6; ++z) {
                const clmtr::Ranges r = clmtr::decodeRangeByte(encodeRangeByte(x, y, z));
                ASSERT_TRUE(r.x == x && r.y == y && r.z == z) << x << y << z;
            }
}

TEST(SimWire, RepliesHaveTheirLengthsAndParse) {
    const std::string id = identifyReply("T-40", "AB123");
    EXPECT_EQ(id, "P0T-40   AB123    OK\r");
    EXPECT_EQ(identifyReply("T-40-A-LONGER", "1234567890123").size(), 21u); // fields are cut
    EXPECT_EQ(clmtr::parseIdentify(id).serialNumber, "AB123");

    const std::string reading = readingReply("N4", 0.5, -2.0, 50.0, 2, 4, 6, 'L');
    ASSERT_EQ(reading.size(), 15u);
    clmtr::RawReading raw;
    ASSERT_TRUE(clmtr::parseReadingReply(reading, raw));
    EXPECT_EQ(raw.ranges.z, 6);
    EXPECT_DOUBLE_EQ(raw.y, -2.0);
    EXPECT_EQ(raw.status, 'L');

    std::vector<std::string> names(96);
    names[0] = "First";
    names[4] = "A name longer than twenty characters";
    const std::string list = profileListReply(names);
    ASSERT_EQ(list.size(), 1925u);
    const auto parsed = clmtr::parseProfileList(list);
    EXPECT_EQ(parsed[1], "First");
    EXPECT_EQ(parsed[2], "Blank");
    EXPECT_EQ(parsed[5], "A name longer than t");

    Counts c;
    c.signal[0] = 0x1234;
    c.dark[2] = 1000;
    c.integrationMs = 62;
    c.temperatureA = 118;
    c.rangeY = 4;
    c.status = 'L';
    const std::string counts = countsReply(c);
    ASSERT_EQ(counts.size(), 20u);
    EXPECT_EQ(counts.substr(0, 2), bytes({0x12, 0x34}));
    EXPECT_EQ(counts.substr(10, 4), bytes({0x03, 0xE8, 0x00, 62}));
    EXPECT_EQ(static_cast<unsigned char>(counts[14]), 118);
    EXPECT_EQ(clmtr::decodeRangeByte(static_cast<unsigned char>(counts[16])).y, 4);
    EXPECT_EQ(counts[18], 'L');
}
