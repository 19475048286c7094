// The frequency-response data of the "P4" reply: the repair and the check of
// a gain curve, and all-or-nothing parsing. H(f) is checked end to end.
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

GainCurve linearCurve() {
    GainCurve g{};
    for (std::size_t f = 0; f < g.size(); ++f)
        g[f] = f == 0 ? 1.0 : static_cast<double>(f) * 0.4 + 0.6; // g(1) = 1, g(99) = 40.2
    return g;
}

} // namespace

TEST(GainCurve, RepairPutsA100HzOutlierBackOnTheLineAndCutsAFallBelowOne) {
    GainCurve g = linearCurve();
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
    g = linearCurve();
    g[102] = 0.5;
    repairGainCurve(g);
    for (std::size_t f = 102; f <= 128; ++f)
        EXPECT_EQ(g[f], 0.0) << f;
    EXPECT_GT(g[101], 1.0);
}

TEST(GainCurve, CheckRejectsWhatIsNotASensorCorrection) {
    EXPECT_TRUE(gainCurveValid(linearCurve()));
    const std::pair<std::size_t, double> faults[] = {
        {1, 1.0000001},                   // normalised at 1 Hz exactly
        {99, 150.5},                      // implausibly steep
        {50, 0.989 * linearCurve()[49]}}; // a drop of more than 1 %
    for (const auto &f : faults) {
        GainCurve g = linearCurve();
        g[f.first] = f.second;
        EXPECT_FALSE(gainCurveValid(g)) << f.first;
    }
}

TEST(ResponseData, ParsedAllOrNothing) {
    const std::string good = block(smoothGain);
    auto data = unknownResponseData();
    ASSERT_EQ(parseResponseData(reply(good, good, good), data), 0u);
    EXPECT_EQ(responseFirmwareVersion(reply(good, good, good)), "01.12ak");
    EXPECT_NEAR(data[1].table[30], smoothGain(30), 0.01 * smoothGain(30));
    EXPECT_EQ(parseResponseData(reply(good, good, good).substr(0, 409), data),
              ErrorBits::FlickerBadResponseData); // short
    std::string bad = good;
    bad[1] = 1; // 32769: g(1) is no longer exactly 1
    const auto before = data;
    EXPECT_EQ(parseResponseData(reply(bad, good, good), data), ErrorBits::FlickerBadResponseData);
    EXPECT_EQ(data[2].table, before[2].table); // all or nothing
}
