// Profiles as bytes and numbers: the three-byte stored value, the 128-byte
// record, the list labels, and the arithmetic of a new profile.
#include "profilemath.h"
#include "profilerecord.h"
#include "protocol.h"
#include "storedvalue.h"

#include "measurement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace clmtr;

namespace {

StoredBytes enc(double v, bool *over = nullptr) {
    bool o = false;
    StoredBytes b = encodeStoredValue(v, o);
    if (over)
        *over = o;
    return b;
}

StoredBytes bytes3(int a, int b, int c) {
    return {static_cast<unsigned char>(a), static_cast<unsigned char>(b),
            static_cast<unsigned char>(c)};
}

Mat3 multiply(const Mat3 &a, const Mat3 &b) {
    Mat3 r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k)
                r[i][j] += a[i][k] * b[k][j];
    return r;
}

std::array<double, 3> times(const Mat3 &m, const double *v) {
    std::array<double, 3> r{};
    for (int i = 0; i < 3; ++i)
        r[i] = m[i][0] * v[0] + m[i][1] * v[1] + m[i][2] * v[2];
    return r;
}

double relativeError(const std::array<double, 3> &got, const double *want) {
    double worst = 0;
    for (int i = 0; i < 3; ++i)
        worst = std::max(worst, std::fabs(got[i] - want[i]) / std::fabs(want[i]));
    return worst;
}

// White, red, green, blue: X, Y, Z each, as a reference would see a display.
struct Set {
    double v[profileSetSize];
};

Set additiveSet(const double r[3], const double g[3], const double b[3]) {
    Set s{};
    for (int c = 0; c < 3; ++c) {
        s.v[c] = r[c] + g[c] + b[c];
        s.v[3 + c] = r[c];
        s.v[6 + c] = g[c];
        s.v[9 + c] = b[c];
    }
    return s;
}

Set seenThrough(const Mat3 &e, const Set &s) {
    Set out{};
    for (int p = 0; p < 4; ++p) {
        const auto v = times(e, s.v + 3 * p);
        for (int c = 0; c < 3; ++c)
            out.v[3 * p + c] = v[c];
    }
    return out;
}

const double red[3] = {41.24, 21.26, 1.93};
const double green[3] = {35.76, 71.52, 11.92};
const double blue[3] = {18.05, 7.22, 95.05};

} // namespace

TEST(StoredValue, KnownEncodings) {
    EXPECT_EQ(enc(100), bytes3(0x64, 0x00, 7)); // m = 25600, e = 7
    EXPECT_EQ(decodeStoredValue(bytes3(0x64, 0x00, 7)), 100.0);
    EXPECT_EQ(enc(-100), bytes3(0xE4, 0x00, 7));
    EXPECT_EQ(decodeStoredValue(bytes3(0xE4, 0x00, 7)), -100.0);
    EXPECT_EQ(enc(0), bytes3(0, 0, 0));
    EXPECT_EQ(decodeStoredValue(bytes3(0, 0, 0)), 0.0);
    EXPECT_EQ(enc(1), bytes3(0x40, 0x00, 1));
    // Below 1 the exponent comes from log2 truncated toward zero.
    EXPECT_EQ(enc(0.5), bytes3(0x40, 0x00, 0));
    EXPECT_EQ(enc(0.75), bytes3(0x30, 0x00, 1));
    EXPECT_EQ(enc(0.3), bytes3(0x26, 0x66, 0));
    // Rounding up to 32768 halves the mantissa and raises the exponent.
    EXPECT_EQ(enc(127.999), bytes3(0x40, 0x00, 8));
    // Exponent bytes 129 to 255 are negative.
    EXPECT_EQ(decodeStoredValue(bytes3(0x40, 0x00, 0xFF)), 0.25);
    EXPECT_EQ(decodeStoredValue(bytes3(0x40, 0x00, 0x81)), std::ldexp(0.5, -127));
}

TEST(StoredValue, RoundTripsWithinTheFormatsPrecision) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> mantissa(-1, 1);
    std::uniform_int_distribution<int> exponent(-100, 100);
    for (int i = 0; i < 20000; ++i) {
        const double v = std::ldexp(mantissa(rng), exponent(rng));
        bool over = true;
        const StoredBytes b = enc(v, &over);
        ASSERT_FALSE(over) << v;
        // At least 13 significant bits: values below 1 lose up to two.
        ASSERT_LE(std::fabs(decodeStoredValue(b) - v), std::ldexp(std::fabs(v), -14)) << v;
    }
}

TEST(StoredValue, UnrepresentableValuesAreFlaggedAndZero) {
    for (double v : {1e40, -1e40, 1e-40, HUGE_VAL, -HUGE_VAL, std::nan("")}) {
        bool over = false;
        EXPECT_EQ(enc(v, &over), bytes3(0, 0, 0)) << v;
        EXPECT_TRUE(over) << v;
    }
    bool over = true;
    enc(std::ldexp(0.75, 127), &over); // exponent 127 still fits
    EXPECT_FALSE(over);
}

TEST(ProfileRecord, LayoutAsWritten) {
    const Mat3 rgb{{{3.2, -1.5, -0.5}, {-0.97, 1.88, 0.04}, {0.06, -0.2, 1.06}}};
    const Mat3 corr{{{0.99, 0.01, -0.004}, {-0.003, 1.006, 0.002}, {0.002, -0.008, 0.985}}};
    bool tooLarge = true;
    const std::string r =
        encodeProfileRecord("A name that is longer than twenty", rgb, corr, tooLarge);
    ASSERT_EQ(r.size(), 128u);
    EXPECT_FALSE(tooLarge);
    EXPECT_EQ(r.substr(0, 20), "A name that is longe");
    EXPECT_EQ(r.substr(20, 2), "//");
    EXPECT_EQ(r.substr(22, 37), std::string(37, '\0'));
    EXPECT_EQ(r.substr(62, 3), std::string("\x64\x00\x07", 3)); // 100
    const double constants[5] = {95.043, 100, 108.89, 0.005, 5};
    const auto *u = reinterpret_cast<const unsigned char *>(r.data());
    for (int i = 0; i < 5; ++i)
        EXPECT_NEAR(decodeStoredValue(u + 59 + 3 * i), constants[i], constants[i] * 1e-4);

    EXPECT_EQ(encodeProfileRecord("Short", rgb, corr, tooLarge).substr(0, 22),
              "Short               //");

    ProfileRecord back;
    ASSERT_TRUE(decodeProfileRecord(r + "OK\r", back)); // as the slot reply carries it
    EXPECT_EQ(back.name, "A name that is longe");
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            EXPECT_NEAR(back.rgb[i][j], rgb[i][j], std::fabs(rgb[i][j]) * 1e-4);
            EXPECT_NEAR(back.correction[i][j], corr[i][j], std::fabs(corr[i][j]) * 1e-4);
        }
    }
    EXPECT_FALSE(decodeProfileRecord(r.substr(0, 127), back));
}

TEST(ProfileRecord, ValueTooLargeIsReportedAndErasedRecordIsAllFF) {
    Mat3 corr{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    corr[2][1] = 1e300;
    bool tooLarge = false;
    encodeProfileRecord("x", Mat3{}, corr, tooLarge);
    EXPECT_TRUE(tooLarge);
    EXPECT_EQ(erasedProfileRecord(), std::string(128, '\xFF'));
}

TEST(ProfileList, LabelsAndBlankSlots) {
    std::string reply = "D7";
    for (int slot = 1; slot <= 96; ++slot) {
        if (slot == 3)
            reply += "Bench A             ";
        else if (slot == 96)
            reply += "\t Last \r\n           ";
        else
            reply += std::string(20, '\xFF');
    }
    const auto labels = profileLabels(parseProfileList(reply + "OK\r"));
    ASSERT_EQ(labels.size(), 97u);
    EXPECT_EQ(labels[0], "0: Factory Cal File");
    EXPECT_EQ(labels[1], "1: Blank");
    EXPECT_EQ(labels[3], "3: Bench A");
    EXPECT_EQ(labels[96], "96: Last");
    // A reply cut short leaves the slots it does not reach blank.
    const auto cut = parseProfileList(reply.substr(0, 2 + 20 * 3));
    EXPECT_EQ(cut[3], "Bench A");
    EXPECT_EQ(cut[4], "Blank");
    EXPECT_EQ(cut[96], "Blank");
}

TEST(ProfileMath, CorrectionUndoesALinearErrorOnAllFourPatches) {
    const Mat3 error{{{1.04, -0.03, 0.012}, {0.02, 0.97, 0.006}, {-0.01, 0.025, 1.06}}};
    const Set ref = additiveSet(red, green, blue);
    const Set meas = seenThrough(error, ref);
    const ProfileSolution s = solveProfile(ref.v, meas.v);
    EXPECT_EQ(s.flags, 0u);
    for (int p = 0; p < 4; ++p)
        EXPECT_LT(relativeError(times(s.correction, meas.v + 3 * p), ref.v + 3 * p), 1e-9) << p;
    const Mat3 identity = multiply(s.correction, error);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(identity[i][j], i == j ? 1 : 0, 1e-12);
    // The RGB matrix reads each reference primary as 100 in its own channel.
    for (int p = 1; p < 4; ++p) {
        const auto rgb = times(s.rgb, ref.v + 3 * p);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(rgb[c], c == p - 1 ? 100 : 0, 1e-9);
    }
}

TEST(ProfileMath, PrimaryScalesCountTheWhiteTwiceAndTheOwnSumOnce) {
    // White = 0.9 R + 1.2 G + 1.0 B: white-derived scale a·Σ, own sum Σ, so
    // row p is primary p · (2a + 1) / 3.
    Set s = additiveSet(red, green, blue);
    const double a[3] = {0.9, 1.2, 1.0};
    for (int c = 0; c < 3; ++c)
        s.v[c] = a[0] * red[c] + a[1] * green[c] + a[2] * blue[c];
    Mat3 p{};
    ASSERT_TRUE(primaryMatrix(s.v, p));
    const double *prim[3] = {red, green, blue};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(p[r][c], prim[r][c] * (2 * a[r] + 1) / 3, 1e-12);
}

TEST(ProfileMath, DegenerateSetsAreFlagged) {
    const Set good = additiveSet(red, green, blue);
    auto flagsFor = [&](const Set &ref, const Set &meas) {
        return solveProfile(ref.v, meas.v).flags;
    };

    Set sameChroma = good; // green with red's chromaticity
    for (int c = 0; c < 3; ++c)
        sameChroma.v[6 + c] = 2 * red[c];
    EXPECT_EQ(flagsFor(sameChroma, good), ProfileDegenerate);
    EXPECT_EQ(flagsFor(good, sameChroma), ProfileDegenerate);

    Set dark = good; // blue patch without light
    for (int c = 0; c < 3; ++c)
        dark.v[9 + c] = 0;
    EXPECT_EQ(flagsFor(good, dark), ProfileDegenerate);

    // Blue exactly between red and green in chromaticity.
    const double r[3] = {1, 0, 0}, g[3] = {0, 1, 0}, b[3] = {1, 1, 0};
    EXPECT_EQ(flagsFor(additiveSet(r, g, b), good), ProfileDegenerate);

    // A white that cancels a primary's scale (k = -Σ/2) leaves a zero row.
    Set cancelled = good;
    for (int c = 0; c < 3; ++c)
        cancelled.v[c] = -0.5 * red[c] + green[c] + blue[c];
    EXPECT_EQ(flagsFor(cancelled, good), ProfileDegenerate);

    EXPECT_EQ(flagsFor(good, good), 0u);
}
