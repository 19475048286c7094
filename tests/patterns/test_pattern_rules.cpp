// The network generator's wire format, the colour batch file, and the rules
// that judge a patch, over plain values.
#include "batchfile.h"
#include "patchcheck.h"
#include "patchdepth.h"
#include "patternwire.h"
#include "sequencetexts.h"
#include "spreadreading.h"

#include <gtest/gtest.h>

using namespace patternwire;

TEST(PatternWire, InformationLinesAreCheckedFieldByField) {
    struct Case {
        QByteArray line;
        bool info;      // a well-formed information line
        bool discovery; // and from a generator
    };
    const QByteArray huge = "Torva Pat,S," + QByteArray(300, 'm') + ",1,1";
    const Case cases[] = {
        {"Torva Pat,PG1,Torva Instruments,1920,1080", true, true},
        {"Torva Pat,,,0,0", true, true},
        {"Other Box,PG1,Maker,1920,1080", true, false},
        {"Torva Pat,PG1,Torva Instruments,1920", false, false},        // 4 fields
        {"Torva Pat,PG1,Torva Instruments,1920,1080,x", false, false}, // 6 fields
        {"Torva Pat,PG1,Torva Instruments,wide,1080", false, false},   // not a number
        {"Torva Pat,PG1,Torva Instruments,-1920,1080", false, false},  // signed
        {"Torva Pat,PG1,Torva Instruments,1920,99999", false, false},  // past any display
        {"Torva Pat,PG1,Torva Instruments, 1920,1080", false, false},  // padded
        {QByteArray("Torva Pat,P\0G,M,1,1", 19), false, false},        // binary
        {"Torva Pat,PG1,Torva Instruments,1920,1080\n", false, false},
        {huge, false, false},
        {"", false, false},
    };
    for (const Case &c : cases) {
        Info info;
        info.serialNumber = "untouched";
        EXPECT_EQ(parseInfo(c.line, &info), c.info) << c.line.toStdString();
        EXPECT_EQ(parseDiscoveryAnswer(c.line, nullptr), c.discovery) << c.line.toStdString();
        if (!c.info) {
            EXPECT_EQ(info.serialNumber, "untouched");
        }
    }
}

// The other commands' bytes are pinned end to end against a scripted peer.
TEST(PatternWire, ImageBytesTravelAsLowercaseHex) {
    EXPECT_EQ(sendImageCommand(QByteArray("\x89PNG\xff", 5)), "sendImg,89504e47ff");
}

TEST(PatternWire, RepliesAreCutAtTheirTerminatorsInOrderAndFloodsRefused) {
    ReplyStream r;
    QString reply;
    EXPECT_TRUE(r.feed("Torva Pat,PG1,M"));
    EXPECT_TRUE(r.feed(",1,1:")); // half a terminator
    EXPECT_FALSE(r.next(&reply));
    EXPECT_TRUE(r.feed(":OK::ER"));
    ASSERT_TRUE(r.next(&reply));
    EXPECT_EQ(reply, "Torva Pat,PG1,M,1,1");
    ASSERT_TRUE(r.next(&reply)); // the next command's, kept apart
    EXPECT_EQ(reply, "OK");
    EXPECT_FALSE(r.next(&reply));
    EXPECT_EQ(r.partialLength(), 2);

    r.clear();
    for (int i = 0; i < 3000; ++i) // many short replies are no flood
        ASSERT_TRUE(r.feed("OK::"));
    EXPECT_TRUE(r.feed(QByteArray(maxReplyLength, 'x')));
    EXPECT_FALSE(r.feed("y")); // an endless reply is
    EXPECT_FALSE(r.next(&reply));
}

TEST(PatternWire, EnvironmentRedirectsPortAndDiscovery) {
    qputenv("TINTWELL_PATTERN_PORT", "47123");
    qputenv("TINTWELL_DISCOVERY_ADDRESS", "127.255.255.255");
    EXPECT_EQ(port(), 47123);
    EXPECT_EQ(discoveryAddress(), QHostAddress("127.255.255.255"));
    for (const char *bad : {"0", "70000", "88a", ""}) {
        qputenv("TINTWELL_PATTERN_PORT", bad);
        EXPECT_EQ(port(), defaultPort) << bad;
    }
    qputenv("TINTWELL_DISCOVERY_ADDRESS", "not an address");
    EXPECT_EQ(discoveryAddress(), QHostAddress(QHostAddress::Broadcast));
    qunsetenv("TINTWELL_PATTERN_PORT");
    qunsetenv("TINTWELL_DISCOVERY_ADDRESS");
}

TEST(BatchFile, ReadsPatchesAndStopsAtTheFirstBadLine) {
    BatchRead r = readBatch("White,255,255,255\r\nRed - 50 IRE,128,0,0\n");
    ASSERT_EQ(r.status, BatchRead::Ok);
    ASSERT_EQ(r.patches.size(), 2);
    EXPECT_EQ(r.patches[1].name, "Red - 50 IRE");
    EXPECT_EQ(r.patches[1].color, QColor(128, 0, 0));

    struct Case {
        const char *text;
        BatchRead::Status status;
        int line;
        int kept;
    };
    const Case cases[] = {
        {"A,1,2,3\n\nB,1,2,3\n", BatchRead::BadFormat, 2, 1},
        {"A,1,2\n", BatchRead::BadFormat, 1, 0},
        {"A,1,2,3,4\n", BatchRead::BadFormat, 1, 0},
        {"A,1,2,3\nB,1,x,3\n", BatchRead::BadColor, 2, 1},
        {"A,1,2,256\n", BatchRead::OutOfRange, 1, 0},
        {"A,1,2,3\nB,-1,2,3\n", BatchRead::OutOfRange, 2, 1},
        {"A,1,2,99999999999999999999\n", BatchRead::BadColor, 1, 0},
        {"\"A,1,2,3\n", BatchRead::BadFormat, 1, 0},            // quote never closed
        {"\"A\"x,1,2,3\n", BatchRead::BadFormat, 1, 0},         // text after the closing quote
        {"\"A,B\",1,2,3\nC,1,2\n", BatchRead::BadFormat, 2, 1}, // quoted comma is one field
    };
    for (const Case &c : cases) {
        r = readBatch(QString::fromLatin1(c.text));
        EXPECT_EQ(r.status, c.status) << c.text;
        EXPECT_EQ(r.line, c.line) << c.text;
        EXPECT_EQ(r.patches.size(), c.kept) << c.text;
    }
}

TEST(BatchFile, NamesWithCommasQuotesAndBreaksSurviveARoundTrip) {
    const QList<ColorPatch> patches = {{"Plain", QColor(1, 2, 3)},
                                       {"Red, 50 IRE", QColor(128, 0, 0)},
                                       {"5\" \"panel\"", QColor(4, 5, 6)},
                                       {"two\nlines", QColor(7, 8, 9)},
                                       {"", QColor(0, 0, 0)}};
    const QString text = writeBatch(patches);
    EXPECT_TRUE(
        text.startsWith("Plain,1,2,3\n\"Red, 50 IRE\",128,0,0\n\"5\"\" \"\"panel\"\"\",4,5,6\n"))
        << text.toStdString();
    const BatchRead r = readBatch(text);
    ASSERT_EQ(r.status, BatchRead::Ok) << r.line;
    ASSERT_EQ(r.patches.size(), patches.size());
    for (int i = 0; i < patches.size(); ++i) {
        EXPECT_EQ(r.patches[i].name, patches[i].name) << i;
        EXPECT_EQ(r.patches[i].color, patches[i].color) << i;
    }
    // A bare quote inside an unquoted name is kept as it always was.
    const BatchRead bare = readBatch("5\" panel,1,2,3\nNext,4,5,6\n");
    ASSERT_EQ(bare.status, BatchRead::Ok);
    ASSERT_EQ(bare.patches.size(), 2);
    EXPECT_EQ(bare.patches[0].name, "5\" panel");
}

// A 10-bit file says so on its first line, which an 8-bit reader refuses as
// a line that is not four fields; its values run to 1023, and a depth the
// caller asks for must be the one the file gives.
TEST(BatchFile, TenBitFilesCarryTheirDepth) {
    BatchRead r = readBatch("#bits=10\nGrey 203,594,594,594\nWhite,1023,1023,1023\n");
    ASSERT_EQ(r.status, BatchRead::Ok) << r.line;
    EXPECT_EQ(r.bits, 10);
    EXPECT_TRUE(r.marked);
    ASSERT_EQ(r.patches.size(), 2);
    EXPECT_EQ(r.patches[0].codes(), (std::array<int, 3>{594, 594, 594}));
    EXPECT_EQ(r.patches[0].color, QColor(148, 148, 148)); // the nearest 8-bit, for show
    EXPECT_EQ(r.patches[1].color, QColor(255, 255, 255));
    // Written back with its marker, as it was.
    EXPECT_EQ(writeBatch(r.patches), "#bits=10\nGrey 203,594,594,594\nWhite,1023,1023,1023\n");
    // --bits 10 on a file without the marker reads its values as 10-bit.
    r = readBatch("A,1000,0,0\n", 10);
    ASSERT_EQ(r.status, BatchRead::Ok);
    EXPECT_EQ(r.patches[0].codes()[0], 1000);

    struct Case {
        const char *text;
        int bits; // asked for
        BatchRead::Status status;
        int line;
        int kept;
    };
    const Case cases[] = {
        {"#bits=10\nA,1,2,3\nB,1,2,1024\n", 0, BatchRead::OutOfRange, 3, 1},
        {"#bits=10\nA,1,-2,3\n", 0, BatchRead::OutOfRange, 2, 0},
        {"#bits=12\nA,1,2,3\n", 0, BatchRead::BadDepth, 1, 0},
        {"#bits=ten\nA,1,2,3\n", 0, BatchRead::BadDepth, 1, 0},
        {"#bits=10\nA,1,2,3\n", 8, BatchRead::BadDepth, 1, 0},  // the file says otherwise
        {"A,1,2,300\n", 0, BatchRead::OutOfRange, 1, 0},        // unmarked: 8-bit
        {"A,1,2,3\n#bits=10\n", 0, BatchRead::BadFormat, 2, 1}, // a marker only leads
    };
    for (const Case &c : cases) {
        r = readBatch(QString::fromLatin1(c.text), c.bits);
        EXPECT_EQ(r.status, c.status) << c.text;
        EXPECT_EQ(r.line, c.line) << c.text;
        EXPECT_EQ(r.patches.size(), c.kept) << c.text;
    }
    // A list with a 10-bit patch is written at 10 bits, the 8-bit ones scaled.
    const QList<ColorPatch> mixed = {{"Old", QColor(255, 128, 0)},
                                     ColorPatch::withCodes("New", {594, 594, 594}, 10)};
    EXPECT_EQ(writeBatch(mixed), "#bits=10\nOld,1023,514,0\nNew,594,594,594\n");
}

// What a generator shows for deep codes: the codes when it takes their
// depth, the nearest ones at its own depth and range when it does not.
TEST(PatchDepth, ShownCodesFollowTheGeneratorsDepth) {
    const CodeRange full10 = CodeRange::full(10), limited10 = CodeRange::limited(10);
    ShownCodes s = shownCodes({520, 594, 0}, full10, 10);
    EXPECT_FALSE(s.reduced);
    EXPECT_EQ(s.code, (Codes{520, 594, 0}));
    s = shownCodes({520, 594, 1023}, full10, 8);
    EXPECT_TRUE(s.reduced);
    EXPECT_EQ(s.range.maxCode(), 255);
    EXPECT_EQ(s.code, (Codes{130, 148, 255}));
    s = shownCodes({64, 502, 940}, limited10, 8);
    EXPECT_EQ(s.range.low, 16);
    EXPECT_EQ(s.range.high, 235);
    EXPECT_EQ(s.code, (Codes{16, 126, 235}));
    EXPECT_EQ(reducedCodesText({64, 502, 940}, 10, s),
              "10-bit 64,502,940 shown as 8-bit 16,126,235");
    // An odd video range scales with the depth.
    const CodeRange odd{10, 240, 8};
    EXPECT_EQ(rangeAtBits(odd, 10).low, 40);
    EXPECT_EQ(rangeAtBits(odd, 10).high, 963);
}

// Windows keep the screen's proportions, centred, with the area asked for.
TEST(SequenceTexts, WindowsAreCentredBoxesOfTheirShareOfTheArea) {
    const struct {
        double percent;
        QRect box;
    } cases[] = {{10, QRect(656, 369, 607, 342)},
                 {18, QRect(552, 311, 815, 458)},
                 {100, QRect(0, 0, 1920, 1080)},
                 {0.01, QRect(864, 486, 192, 108)}, // at least 1 %
                 {250, QRect(0, 0, 1920, 1080)}};
    for (const auto &c : cases) {
        const QRect r = sequencetexts::windowRect(c.percent, 1920, 1080);
        EXPECT_EQ(r, c.box) << c.percent;
        EXPECT_NEAR(100.0 * r.width() * r.height() / (1920 * 1080), qBound(1.0, c.percent, 100.0),
                    0.1);
    }
    EXPECT_EQ(sequencetexts::windowLabel(10, 1920, 1080), "10 % window (607x342)");
    EXPECT_EQ(sequencetexts::windowLabel(18, 0, 0), "18 % window");
}

TEST(PatchCheck, SpreadAboveTheLimitIsUnstableOnlyWhenBrightEnough) {
    using namespace patchcheck;
    Problem p;
    EXPECT_FALSE(findProblem(spreadReading(100, 1.4), &p));
    ASSERT_TRUE(findProblem(spreadReading(100, 2.0), &p));
    EXPECT_EQ(p.title, "Unstable Measurement");
    EXPECT_NEAR(p.spread.y, 2.0, 1e-9);
    EXPECT_TRUE(p.text.contains("\nError of Y : 2%"));
    EXPECT_EQ(p.choices, (QList<Answer>{Retry, Ignore, Abort}));
    EXPECT_EQ(p.defaultChoice, Abort);
    // However wild, a reading at or below 5.0 is too dark to judge.
    EXPECT_FALSE(findProblem(spreadReading(5.0, 90), &p));
    EXPECT_TRUE(findProblem(spreadReading(5.01, 90), &p));
    // No reading at all is no spread, not a division by zero.
    EXPECT_FALSE(findProblem(Measurement(), &p));
}

// A display that did not follow the generator is told from one that showed
// two colours alike because it had to: clipped or tone-mapped by its
// brightest channel, as HDR displays are.
TEST(PatchCheck, OnlyColoursThatMustLookDifferentAreJudgedUnchanged) {
    auto reading = [](double X, double Y, double Z) {
        Measurement m;
        m.bigX = X;
        m.bigY = Y;
        m.bigZ = Z;
        return m;
    };
    const Measurement same = reading(501.8, 230.5, 6.07);
    const struct {
        QColor a, b;
        bool unchanged; // when both read alike
    } cases[] = {
        {Qt::black, Qt::white, true},
        {QColor(127, 127, 127), QColor(255, 255, 255), true},
        {Qt::red, Qt::green, true}, // each leads in its own channel
        {QColor(255, 255, 0), QColor(0, 255, 255), true},
        {Qt::white, Qt::red, false},                       // the red both share may be clipped
        {QColor(255, 0, 0), QColor(255, 128, 0), false},   // tone-mapped by red
        {QColor(255, 128, 0), QColor(255, 0, 128), false}, // the same
        {QColor(223, 0, 0), QColor(255, 128, 0), false},
        {QColor(128, 128, 128), QColor(255, 255, 255), false}, // 127 apart
        {QColor(255, 128, 0), QColor(128, 255, 0), false},
    };
    for (const auto &c : cases) {
        const std::string pair = (c.a.name() + " " + c.b.name()).toStdString();
        int first = -1, second = -1;
        EXPECT_EQ(patchcheck::unchangedDisplay({c.a, c.b}, {same, same}, &first, &second),
                  c.unchanged)
            << pair;
        EXPECT_EQ(patchcheck::unchangedDisplay({c.b, c.a}, {same, same}, &first, &second),
                  c.unchanged)
            << pair;
        // Readings apart are never a display that did not change.
        EXPECT_FALSE(patchcheck::unchangedDisplay({c.a, c.b}, {same, reading(501.8, 240, 6.07)},
                                                  &first, &second))
            << pair;
    }
    int first = -1, second = -1;
    ASSERT_TRUE(patchcheck::unchangedDisplay({Qt::red, Qt::red, Qt::white, Qt::black},
                                             {same, same, same, same}, &first, &second));
    EXPECT_EQ(first, 2); // the first pair that must differ
    EXPECT_EQ(second, 3);
}

TEST(PatchCheck, ErrorBitsAreDescribedAndUnpluggedCanOnlyBeAborted) {
    using namespace patchcheck;
    EXPECT_EQ(relevantBits(0xFFFFFFFFu), 0xF67FFF4Fu);
    Problem p;
    ASSERT_TRUE(findProblem(spreadReading(100, 0, 0x40 | 0x200 | 0x1000), &p));
    EXPECT_EQ(p.title, "Error Measurement");
    EXPECT_EQ(p.text, "There was an error during measurement\n The Aiming lights are on.\n"
                      "There was an error from the Torva device due to the Range switching "
                      "with the measurement.\nThere was an error with the measurement. Error "
                      "code: 4096\n");
    EXPECT_EQ(p.choices, (QList<Answer>{Abort, Retry}));

    ASSERT_TRUE(findProblem(spreadReading(100, 0, 0x2), &p));
    EXPECT_TRUE(p.text.contains("The device has been unplugged"));
    EXPECT_EQ(p.choices, QList<Answer>{Abort});
    // The top bit makes the code negative, which is not reported.
    EXPECT_FALSE(findProblem(spreadReading(100, 0, 0x80000000u), &p));
}

TEST(SequenceTexts, PatchRectanglesAndLabels) {
    using namespace sequencetexts;
    EXPECT_EQ(patchRect(0, 1920, 1080), QRect(720, 405, 480, 270));
    EXPECT_EQ(patchRect(2, 1000, 1000), QRect(145, 145, 750, 750));
    EXPECT_EQ(patchRect(3, 1920, 1080), QRect(0, 0, 1920, 1080));
    EXPECT_EQ(patchRect(9, 1920, 1080), patchRect(1, 1920, 1080));
    EXPECT_EQ(patchSizeLabel(1, 0, 0), "1/2 of Screen (Default)");
    EXPECT_EQ(patchSizeLabel(2, 1920, 1080), "3/4 of Screen (1440x810)");
    EXPECT_EQ(stabilisingText(2.5), "Stabilizing in...2.5");
}
