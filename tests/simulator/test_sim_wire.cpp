// The simulated colorimeter's reply builders, checked byte by byte and
// against the library's decoders (written separately, so a shared mistake
// in both would have to be made twice).
#include "bytes.h"
#include "colorimeterwire.h"
#include "protocol.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace sim::clmtrwire;

TEST(SimWire, ReadingValueBytes) {
    EXPECT_EQ(encodeReading(0.5), bytes({0x40, 0x00, 0x01}));
    EXPECT_EQ(encodeReading(-2.0), bytes({0xC0, 0x00, 0x03}));
    EXPECT_EQ(encodeReading(50.0), bytes({0x64, 0x00, 0x07}));
    EXPECT_EQ(encodeReading(0.125), bytes({0x40, 0x00, 0xFF}));
    EXPECT_EQ(encodeReading(0.0), bytes({0, 0, 0}));
}

TEST(SimWire, ReadingValuesSurviveTheLibraryDecoder) {
    for (double v : {1e-6, 0.003, 0.1, 1.0, 3.14159, 99.9, 1234.5, 150000.0}) {
        for (double s : {1.0, -1.0}) {
            const double value = s * v;
            const double back = clmtr::decodeReading(encodeReading(value), 0);
            EXPECT_NEAR(back, value, std::fabs(value) * 4e-5) << value; // 15-bit mantissa
        }
    }
    // Values just below a power of two must not overflow the mantissa.
    EXPECT_NEAR(clmtr::decodeReading(encodeReading(0.99999999), 0), 1.0, 1e-4);
}

TEST(SimWire, EveryRangeTripletRoundTrips) {
    for (int x = 1; x <= 6; ++x)
        for (int y = 1; y <= 6; ++y)
            for (int z = 1; z <= 6; ++z) {
                clmtr::Ranges r = clmtr::decodeRangeByte(encodeRangeByte(x, y, z));
                EXPECT_EQ(r.x, x);
                EXPECT_EQ(r.y, y);
                EXPECT_EQ(r.z, z);
            }
    EXPECT_EQ(encodeRangeByte(1, 1, 1), 0x00);
    EXPECT_EQ(encodeRangeByte(2, 2, 2), 0xE0);
}

TEST(SimWire, IdentifyReplyLayout) {
    std::string r = identifyReply("T-40", "AB123");
    ASSERT_EQ(r.size(), 21u);
    EXPECT_EQ(r.substr(0, 9), "P0T-40   ");
    EXPECT_EQ(r.substr(9, 9), "AB123    ");
    clmtr::Identity id = clmtr::parseIdentify(r);
    EXPECT_TRUE(id.ok);
    EXPECT_EQ(id.model, "T-40");
    EXPECT_EQ(id.serialNumber, "AB123");
    EXPECT_EQ(identifyReply("T-40-A-LONGER", "1234567890123").size(), 21u); // fields are cut
}

TEST(SimWire, ReadingReplyLayout) {
    std::string r = readingReply("N4", 0.5, -2.0, 50.0, 2, 4, 6, 'L');
    ASSERT_EQ(r.size(), 15u);
    EXPECT_EQ(r.substr(0, 2), "N4");
    EXPECT_EQ(r.substr(2, 3), encodeReading(0.5));
    EXPECT_EQ(r.substr(5, 3), encodeReading(-2.0));
    EXPECT_EQ(r.substr(8, 3), encodeReading(50.0));
    EXPECT_EQ(static_cast<unsigned char>(r[11]), encodeRangeByte(2, 4, 6));
    EXPECT_EQ(r[13], 'L');
    clmtr::RawReading raw;
    ASSERT_TRUE(clmtr::parseReadingReply(r, raw));
    EXPECT_EQ(raw.ranges.z, 6);
    EXPECT_DOUBLE_EQ(raw.z, 50.0);
}

TEST(SimWire, ProfileListReplyLayout) {
    std::vector<std::string> names(96);
    names[0] = "First";
    names[4] = "A name longer than twenty characters";
    std::string r = profileListReply(names);
    ASSERT_EQ(r.size(), 1925u);
    EXPECT_EQ(r.substr(0, 2), "D7");
    EXPECT_EQ(r.substr(2, 20), "First" + std::string(15, ' '));
    EXPECT_EQ(r.substr(22, 20), std::string(20, '\xFF'));
    auto parsed = clmtr::parseProfileList(r);
    EXPECT_EQ(parsed[1], "First");
    EXPECT_EQ(parsed[2], "Blank");
    EXPECT_EQ(parsed[5], "A name longer than t");
    EXPECT_EQ(parsed[96], "Blank");
}

TEST(SimWire, CountsReplyLayout) {
    Counts c;
    c.signal[0] = 0x1234;
    c.dark[2] = 1000;
    c.integrationMs = 62;
    c.temperatureA = 118;
    c.temperatureB = 121;
    c.rangeY = 4;
    c.status = 'L';
    std::string r = countsReply(c);
    ASSERT_EQ(r.size(), 20u);
    EXPECT_EQ(r.substr(0, 2), bytes({0x12, 0x34}));
    EXPECT_EQ(r.substr(10, 2), bytes({0x03, 0xE8}));
    EXPECT_EQ(r.substr(12, 2), bytes({0x00, 62}));
    EXPECT_EQ(static_cast<unsigned char>(r[14]), 118);
    EXPECT_EQ(static_cast<unsigned char>(r[15]), 121);
    EXPECT_EQ(clmtr::decodeRangeByte(static_cast<unsigned char>(r[16])).y, 4);
    EXPECT_EQ(r[18], 'L');
}
