// The colorimeter's wire format: number formats, range byte, status letters,
// identification and profile-list replies, per-model facts.
#include "bytes.h"
#include "protocol.h"

#include "measurement.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace clmtr;

TEST(ReadingFormat, MantissaOver65536TimesPowerOfTwo) {
    EXPECT_DOUBLE_EQ(decodeReading(bytes({0x40, 0x00, 0x01}), 0), 0.5);
    // The same bytes that store 100 in a profile record read 50 here.
    EXPECT_DOUBLE_EQ(decodeReading(bytes({0x64, 0x00, 0x07}), 0), 50.0);
    EXPECT_DOUBLE_EQ(decodeReading(bytes({0x12, 0x34, 0x10}), 0), 0x1234 / 65536.0 * 65536.0);
    EXPECT_DOUBLE_EQ(decodeReading(bytes({0x00, 0x00, 0x00}), 0), 0.0);
}

TEST(ReadingFormat, SignBitAndNegativeExponents) {
    EXPECT_DOUBLE_EQ(decodeReading(bytes({0xC0, 0x00, 0x03}), 0), -2.0);
    EXPECT_DOUBLE_EQ(decodeReading(bytes({0x40, 0x00, 0xFF}), 0), 0.125); // 255 is -1
    EXPECT_DOUBLE_EQ(decodeReading(bytes({0x40, 0x00, 0x81}), 0), std::ldexp(1.0, -129));
    EXPECT_DOUBLE_EQ(decodeReading(bytes({0x7F, 0xFF, 0x00}), 0), 32767 / 65536.0);
    // The offset picks the value out of a longer reply.
    EXPECT_DOUBLE_EQ(decodeReading(bytes({'N', '5', 0xC0, 0x00, 0x03}), 2), -2.0);
}

TEST(FourByteFormat, SignByteExponentAndLengthCheck) {
    EXPECT_DOUBLE_EQ(decodeValue4(bytes({0x00, 0x07, 0x64, 0x00})), 50.0);
    EXPECT_DOUBLE_EQ(decodeValue4(bytes({0x01, 0x07, 0x64, 0x00})), -50.0);
    EXPECT_DOUBLE_EQ(decodeValue4(bytes({0x02, 0x07, 0x64, 0x00})), 50.0); // only 1 is negative
    EXPECT_DOUBLE_EQ(decodeValue4(bytes({0x00, 0x81, 0x40, 0x00})), std::ldexp(0.25, 129));
    EXPECT_EQ(decodeValue4(bytes({0x00, 0x07, 0x64})), -1.0);
    EXPECT_EQ(decodeValue4(bytes({0x00, 0x07, 0x64, 0x00, 0x00})), -1.0);
}

TEST(RangeByte, EdgeBytes) {
    Ranges all = decodeRangeByte(0xFF); // c = 31 reads as digits 1, 0, 1 (mod 3)
    EXPECT_EQ(all.x, 2);
    EXPECT_EQ(all.y, 4);
    EXPECT_EQ(all.z, 4);
    Ranges none = decodeRangeByte(0x00);
    EXPECT_EQ(none.x, 1);
    EXPECT_EQ(none.y, 1);
    EXPECT_EQ(none.z, 1);
}

TEST(RangeByte, HighBitsAddOneAndDigitsAddTwo) {
    Ranges odd = decodeRangeByte(0xE0);
    EXPECT_EQ(odd.x, 2);
    EXPECT_EQ(odd.y, 2);
    EXPECT_EQ(odd.z, 2);
    Ranges top = decodeRangeByte(0xE0 | 26); // digits 2, 2, 2
    EXPECT_EQ(top.x, 6);
    EXPECT_EQ(top.y, 6);
    EXPECT_EQ(top.z, 6);
    Ranges mixed = decodeRangeByte(0x40 | (1 * 9 + 0 * 3 + 2)); // X digit 1, Y bit, Z digit 2
    EXPECT_EQ(mixed.x, 3);
    EXPECT_EQ(mixed.y, 2);
    EXPECT_EQ(mixed.z, 5);
}

TEST(StatusLetters, MapToTheirBitsAndNothingElse) {
    EXPECT_EQ(statusBits('L'), ErrorBits::AimingLights);
    EXPECT_EQ(statusBits('u'), 0x100u);
    EXPECT_EQ(statusBits('v'), 0x200u);
    EXPECT_EQ(statusBits('w'), 0x400u);
    EXPECT_EQ(statusBits('t'), 0x800u);
    EXPECT_EQ(statusBits('s'), 0x1000u);
    EXPECT_EQ(statusBits('b'), 0x2000u);
    EXPECT_EQ(statusBits('X'), 0x10000000u);
    EXPECT_EQ(statusBits('B'), 0x10000000u);
    for (char c : {'0', ' ', 'l', 'x', 'U', '\0', '\xFF'})
        EXPECT_EQ(statusBits(c), 0u) << int(c);
}

TEST(Identify, ModelAndSerialAreTrimmedFields) {
    Identity id = parseIdentify("P0T-40   A12345678OK\r");
    EXPECT_TRUE(id.ok);
    EXPECT_EQ(id.model, "T-40");
    EXPECT_EQ(id.serialNumber, "A12345678");

    id = parseIdentify("P0\tTV-40\r  SN 42    xyz");
    EXPECT_TRUE(id.ok);
    EXPECT_EQ(id.model, "TV-40");
    EXPECT_EQ(id.serialNumber, "SN 42");
}

TEST(Identify, ShortOrForeignRepliesFail) {
    Identity eight = parseIdentify("P0T-40  "); // 8 bytes
    EXPECT_FALSE(eight.ok);
    EXPECT_TRUE(eight.model.empty());
    EXPECT_TRUE(eight.serialNumber.empty());

    Identity nine = parseIdentify("P0T-90   "); // just enough for the model
    EXPECT_TRUE(nine.ok);
    EXPECT_EQ(nine.model, "T-90");
    EXPECT_EQ(nine.serialNumber, "");

    Identity foreign = parseIdentify("P0CS-2000123456789OK\r");
    EXPECT_FALSE(foreign.ok);
    EXPECT_TRUE(foreign.model.empty());
    EXPECT_FALSE(parseIdentify("P0 T4    123456789OK\r").ok);
}

TEST(ProfileList, NamesBlankSlotsAndFactorySlot) {
    std::string reply = "D7";
    for (int slot = 1; slot <= 96; ++slot) {
        std::string field(20, ' ');
        if (slot == 1)
            field = "  Studio D65        ";
        else if (slot == 5)
            field = std::string("Looks name") + '\xFF' + "but is em"; // 0xFF at byte 10
        else if (slot == 96)
            field = "Last slot\t           ";
        else
            field = std::string(20, '\xFF');
        reply += field.substr(0, 20);
    }
    reply += "OK\r";
    ASSERT_EQ(reply.size(), 1925u);
    std::vector<std::string> names = parseProfileList(reply);
    ASSERT_EQ(names.size(), 97u);
    EXPECT_EQ(names[0], "Factory Cal File");
    EXPECT_EQ(names[1], "Studio D65");
    EXPECT_EQ(names[2], "Blank");
    EXPECT_EQ(names[5], "Blank"); // 0xFF at byte 10 marks the slot empty
    EXPECT_EQ(names[96], "Last slot");
}

TEST(CommandTable, LengthsWeightsAndFraming) {
    struct Expect {
        const char *cmd;
        int length, weight;
    } cases[] = {{"P0", 21, 1}, {"D7", 1925, 6}, {"N5", 15, 1}, {"N4", 15, 1}, {"M6", 20, 2},
                 {"L1", 0, 0},  {"J3", 1, 2},    {"J8", 1, 2},  {"B9", 43, 8}, {"T1", -1, 2}};
    for (const Expect &e : cases) {
        const CommandInfo *c = findCommand(e.cmd);
        ASSERT_NE(c, nullptr) << e.cmd;
        EXPECT_EQ(c->replyLength, e.length) << e.cmd;
        EXPECT_EQ(c->weight, e.weight) << e.cmd;
    }
    EXPECT_EQ(findCommand("ZZ"), nullptr);
    EXPECT_EQ(findCommand("N"), nullptr);
    EXPECT_EQ(frame("N5"), "N5\r");
}

TEST(ReadingReply, DecodesFieldsAndRefusesShortReplies) {
    std::string reply = "N5" + bytes({0x40, 0, 1, 0xC0, 0, 3, 0x64, 0, 7, 0xFF}) + " L\r";
    RawReading r;
    ASSERT_TRUE(parseReadingReply(reply, r));
    EXPECT_DOUBLE_EQ(r.x, 0.5);
    EXPECT_DOUBLE_EQ(r.y, -2.0);
    EXPECT_DOUBLE_EQ(r.z, 50.0);
    EXPECT_EQ(r.ranges.y, 4);
    EXPECT_EQ(r.status, 'L');
    EXPECT_FALSE(parseReadingReply(reply.substr(0, 13), r));
}

TEST(Models, FactorsAndAimingLights) {
    EXPECT_DOUBLE_EQ(modelFactor("T-4"), 1.0 / 30);
    EXPECT_DOUBLE_EQ(modelFactor("T-40-A"), 1.0 / 3);
    EXPECT_DOUBLE_EQ(modelFactor("T-40A"), 1.0 / 3);
    EXPECT_DOUBLE_EQ(modelFactor("T-7"), 8.0);
    EXPECT_DOUBLE_EQ(modelFactor("T-90"), 0.5);
    for (const char *m : {"T-40", "TV-40", "T-4 ", "", "T-40CLOSED"})
        EXPECT_DOUBLE_EQ(modelFactor(m), 1.0) << m;

    for (const char *m : {"T-40", "T-40-A", "TV-40", "T-90"})
        EXPECT_TRUE(hasAimingLights(m)) << m;
    for (const char *m : {"T-4", "T-7", "TV-4", ""})
        EXPECT_FALSE(hasAimingLights(m)) << m;
    EXPECT_TRUE(streamsFlicker("TV-40"));
    EXPECT_FALSE(streamsFlicker("T-40"));
}

TEST(Firmware, NewerMeansSortsAfterReferenceVersion) {
    for (const char *v : {"01.09fh", "01.09f", "01.09", "", "01.09fg", "00.99zz", "01.09Fh"})
        EXPECT_FALSE(firmwareIsNewer(v)) << v;
    for (const char *v : {"01.09fi", "01.09fh1", "01.09fh ", "01.10aa", "02"})
        EXPECT_TRUE(firmwareIsNewer(v)) << v;
}
