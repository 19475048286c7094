// The frequency-response data of the "P4" reply: gain curves from the 16-bit
// values, the repair, the check that rejects bad data, the 71-value tables
// and the fitted cubics, and H(f) from the segment list.
#include "flickerresponse.h"
#include "measurement.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace clmtr;

namespace {

// A plausible sensor: the correction grows with frequency, 49 at 99 Hz.
double smoothGain(double f) {
    return 1 + (f - 1) * (f - 1) / 200;
}

std::string block(double (*gain)(double)) {
    std::string b;
    for (int j = 0; j < 64; ++j) {
        const long v = std::lround(32768 / gain(2 * j + 1));
        b += static_cast<char>(v >> 8);
        b += static_cast<char>(v & 0xFF);
    }
    return b;
}

std::string reply(const std::string &b0, const std::string &b1, const std::string &b2) {
    std::string r = "P4" + std::string(17, ' ') + "01.12ak" + b0 + b1 + b2;
    r.resize(responseReplyLength - 1, '\0');
    return r + '\r';
}

const unsigned char *bytes(const std::string &s) {
    return reinterpret_cast<const unsigned char *>(s.data());
}

GainCurve linearCurve() {
    GainCurve g{};
    for (std::size_t f = 0; f < g.size(); ++f)
        g[f] = f == 0 ? 1.0 : static_cast<double>(f) * 0.4 + 0.6; // g(1) = 1, g(99) = 40.2
    return g;
}

} // namespace

TEST(GainCurve, OddFrequenciesFromValuesEvenOnesBetween) {
    std::string b(128, '\0');
    b[0] = static_cast<char>(0x80); // 32768: g(1) = 1
    b[2] = 0x40;                    // 16384: g(3) = 2
    b[4] = 0x20;                    // 8192: g(5) = 4
    // j = 3 stays 0: counted as 1e-7.
    const GainCurve g = gainCurve(bytes(b));
    EXPECT_DOUBLE_EQ(g[1], 1.0);
    EXPECT_DOUBLE_EQ(g[3], 2.0);
    EXPECT_DOUBLE_EQ(g[5], 4.0);
    EXPECT_DOUBLE_EQ(g[0], 1.0);
    EXPECT_DOUBLE_EQ(g[2], 1.5);
    EXPECT_DOUBLE_EQ(g[4], 3.0);
    EXPECT_DOUBLE_EQ(g[7], 32768 / 1e-7);
}

TEST(GainCurve, RepairPutsA100HzOutlierBackOnTheLine) {
    GainCurve g = linearCurve();
    repairGainCurve(g);
    EXPECT_EQ(g, [] {
        GainCurve l = linearCurve();
        l[128] = l[127];
        return l;
    }()); // on the line: nothing to repair

    g = linearCurve();
    const double line = 2 * g[99] - g[98];
    g[100] = line * 1.021; // just over 2 % off
    g[101] = 500;
    repairGainCurve(g);
    EXPECT_DOUBLE_EQ(g[100], line);
    EXPECT_DOUBLE_EQ(g[101], 2 * line - g[99]);

    g = linearCurve();
    g[100] = line * 1.019; // within 2 %: kept
    repairGainCurve(g);
    EXPECT_DOUBLE_EQ(g[100], line * 1.019);
}

TEST(GainCurve, RepairCutsACurveThatFallsBelowOneAt102Hz) {
    GainCurve g = linearCurve();
    g[102] = 0.5;
    repairGainCurve(g);
    for (std::size_t f = 102; f <= 128; ++f)
        EXPECT_EQ(g[f], 0.0) << f;
    EXPECT_GT(g[101], 1.0);
}

TEST(GainCurve, CheckRejectsWhatIsNotASensorCorrection) {
    EXPECT_TRUE(gainCurveValid(linearCurve()));

    GainCurve g = linearCurve();
    g[1] = 1.0000001;
    EXPECT_FALSE(gainCurveValid(g)); // normalised at 1 Hz exactly

    g = linearCurve();
    g[99] = 24.9;
    g[98] = 24.8;
    EXPECT_FALSE(gainCurveValid(g));
    g[99] = 150.5;
    EXPECT_FALSE(gainCurveValid(g));

    g = linearCurve();
    g[50] = 0.989 * g[49]; // a drop of more than 1 %
    EXPECT_FALSE(gainCurveValid(g));
    g[50] = 0.995 * g[49];
    g[51] = g[49];
    EXPECT_TRUE(gainCurveValid(g));

    g = linearCurve();
    g[99] = std::nan("");
    EXPECT_FALSE(gainCurveValid(g));
}

TEST(ResponseFit, CubicThroughExactPointsComesBack) {
    double x[31], y[31];
    for (int i = 0; i < 31; ++i) {
        x[i] = 70 + i;
        y[i] = 2.5 - 0.75 * x[i] + 0.031 * x[i] * x[i] + 2e-4 * x[i] * x[i] * x[i];
    }
    const auto c = fitCubic(x, y, 31);
    EXPECT_NEAR(c[0], 2.5, 1e-6);
    EXPECT_NEAR(c[1], -0.75, 1e-7);
    EXPECT_NEAR(c[2], 0.031, 1e-9);
    EXPECT_NEAR(c[3], 2e-4, 1e-11);
}

TEST(ResponseData, ValidReplyGivesTablesAndCubicsPerRangePair) {
    auto data = unknownResponseData();
    EXPECT_FALSE(responseDataKnown(data));
    const std::string r = reply(block(smoothGain), block(smoothGain), block(smoothGain));
    ASSERT_EQ(r.size(), 613u);
    EXPECT_EQ(responseFirmwareVersion(r), "01.12ak");
    ASSERT_EQ(parseResponseData(r, data), 0u);
    EXPECT_TRUE(responseDataKnown(data));
    for (const PairResponse &p : data) {
        EXPECT_DOUBLE_EQ(p.table[1], 1.0);
        EXPECT_DOUBLE_EQ(p.table[0], 1.0);
        for (int f = 2; f <= 70; ++f)
            EXPECT_NEAR(p.table[static_cast<std::size_t>(f)], smoothGain(f), 0.01 * smoothGain(f))
                << f;
        // The cubic follows the curve over 70-100 Hz.
        for (double f : {70.0, 85.0, 99.0}) {
            const double fitted =
                p.cubic[0] + p.cubic[1] * f + p.cubic[2] * f * f + p.cubic[3] * f * f * f;
            EXPECT_NEAR(fitted, smoothGain(f), 0.01 * smoothGain(f)) << f;
        }
    }
}

TEST(ResponseData, ShortOrFailingDataSetTheBitAndChangeNothing) {
    const std::string good = block(smoothGain);
    auto data = unknownResponseData();

    std::string shortReply = reply(good, good, good).substr(0, 26 + 383);
    EXPECT_EQ(parseResponseData(shortReply, data), ErrorBits::FlickerBadResponseData);
    EXPECT_FALSE(responseDataKnown(data));
    EXPECT_EQ(responseFirmwareVersion("P4 too short"), "");

    std::string bad = good;
    bad[1] = 1; // 32769: g(1) is no longer exactly 1
    EXPECT_EQ(parseResponseData(reply(good, good, bad), data), ErrorBits::FlickerBadResponseData);
    EXPECT_FALSE(responseDataKnown(data));

    ASSERT_EQ(parseResponseData(reply(good, good, good), data), 0u);
    const auto before = data;
    EXPECT_EQ(parseResponseData(reply(bad, good, good), data), ErrorBits::FlickerBadResponseData);
    EXPECT_EQ(data[2].table, before[2].table); // all or nothing
}

TEST(ResponseCorrection, TableBelow70HzCubicUpTo151NothingElsewhere) {
    PairResponse p{};
    for (std::size_t f = 0; f < p.table.size(); ++f)
        p.table[f] = 1 + static_cast<double>(f * f) / 100;
    p.cubic = {1, 0.5, 0, 0.001};
    const auto h = responseSegments(p);
    ASSERT_EQ(h.size(), 2u);
    EXPECT_DOUBLE_EQ(responseAt(h, 0), 1.0);
    EXPECT_DOUBLE_EQ(responseAt(h, 10), 2.0);
    EXPECT_DOUBLE_EQ(responseAt(h, 10.25), 2.0 + 0.25 * (1 + 121.0 / 100 - 2.0));
    EXPECT_DOUBLE_EQ(responseAt(h, 69.5), (p.table[69] + p.table[70]) / 2);
    EXPECT_DOUBLE_EQ(responseAt(h, 70), 1 + 35 + 343);
    EXPECT_DOUBLE_EQ(responseAt(h, 150.5), 1 + 75.25 + 0.001 * 150.5 * 150.5 * 150.5);
    EXPECT_DOUBLE_EQ(responseAt(h, 151), 1.0);
    EXPECT_DOUBLE_EQ(responseAt(h, -1), 1.0);
    EXPECT_DOUBLE_EQ(responseAt({}, 42), 1.0);
}
