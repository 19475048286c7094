// .cube tables: what is written reads back, tetrahedral interpolation
// reproduces a table's own mapping between its points, and every way a
// file can be damaged is refused with the line it is on.
#include "cubelut.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

// An affine map with channel mixing and an offset: tetrahedral interpolation
// is exact for it, so any error between grid points is a fault of ours.
Rgb3 affine(const Rgb3 &v) {
    return {0.8 * v[0] + 0.15 * v[1] + 0.02 * v[2] + 0.01, 0.05 * v[0] + 0.9 * v[1] + 0.03,
            0.1 * v[0] + 0.1 * v[1] + 0.75 * v[2]};
}

CubeLut affineLut(int size) {
    CubeLut lut = CubeLut::identity(size);
    const double step = 1.0 / (size - 1);
    for (int b = 0; b < size; ++b)
        for (int g = 0; g < size; ++g)
            for (int r = 0; r < size; ++r)
                lut.set(r, g, b, affine({r * step, g * step, b * step}));
    return lut;
}

std::string header(int size) {
    return "TITLE \"t\"\nLUT_3D_SIZE " + std::to_string(size) +
           "\nDOMAIN_MIN 0 0 0\nDOMAIN_MAX 1 1 1\n";
}

std::string rows(int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += "0.5 0.25 0.125\n";
    return s;
}

} // namespace

TEST(CubeLut, WrittenTablesReadBackAndInterpolateTheirMappingExactly) {
    for (int dims : {3, 1}) {
        CubeLut lut = dims == 3 ? affineLut(9) : CubeLut::identity(16, 1);
        lut.title = "round trip";
        CubeLut back;
        std::string error;
        ASSERT_TRUE(parseCube(writeCube(lut), &back, &error)) << error;
        EXPECT_EQ(back.title, "round trip");
        EXPECT_EQ(back.dimensions, dims);
        EXPECT_EQ(back.size, lut.size);
        ASSERT_EQ(back.values.size(), lut.values.size());
        for (std::size_t i = 0; i < lut.values.size(); ++i)
            ASSERT_NEAR(back.values[i], lut.values[i], 1e-7) << i;
    }
    // Red runs fastest in the file: the second entry is red's second step.
    const std::string text = writeCube(affineLut(3));
    CubeLut parsed;
    ASSERT_TRUE(parseCube(text, &parsed, nullptr));
    const Rgb3 second = affine({0.5, 0, 0});
    EXPECT_NEAR(parsed.values[3], second[0], 1e-7);
    EXPECT_NEAR(parsed.values[4], second[1], 1e-7);

    const CubeLut lut = affineLut(5);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int i = 0; i < 500; ++i) {
        const Rgb3 v{unit(random), unit(random), unit(random)};
        const Rgb3 got = lut.apply(v), want = affine(v);
        for (int c = 0; c < 3; ++c)
            ASSERT_NEAR(got[c], want[c], 1e-6) << v[0] << " " << v[1] << " " << v[2];
    }
    // Outside the domain the edge holds.
    const Rgb3 clamped = lut.apply({1.5, -1, 0.5}), edge = affine({1, 0, 0.5});
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(clamped[c], edge[c], 1e-6);
}

TEST(CubeLut, ADomainOtherThanZeroToOneScalesTheInput) {
    CubeLut lut;
    ASSERT_TRUE(parseCube("LUT_1D_SIZE 2\nDOMAIN_MIN 0 0 0\nDOMAIN_MAX 2 2 2\n0 0 0\n1 1 1\n", &lut,
                          nullptr));
    EXPECT_NEAR(lut.apply({1, 0.5, 2})[0], 0.5, 1e-9);
    EXPECT_NEAR(lut.apply({1, 0.5, 2})[1], 0.25, 1e-9);
    EXPECT_NEAR(lut.apply({1, 0.5, 2})[2], 1.0, 1e-9);
}

TEST(CubeLut, DamagedFilesAreRefusedWithTheReason) {
    const struct {
        std::string text;
        const char *message;
    } cases[] = {
        {header(2) + rows(7), "holds 7 entries, and a size of 2 needs 8 (truncated?)"},
        {header(2) + rows(9), "line 13: more entries than the 8"},
        {header(2) + rows(7) + "0.5 0.25", "line 12: the file ends in the middle of an entry"},
        {header(2) + rows(6) + "0.5 0.25\n0 0 0\n", "line 11: an entry must be three numbers"},
        {header(2) + rows(7) + "nan 0 0\n", "line 12: 'nan' is not a finite value"},
        {header(2) + rows(7) + "1e400 0 0\n", "line 12: '1e400' is not a number"},
        {header(2) + rows(7) + "0,5 0 0\n", "line 12: '0,5' is not a number"},
        {header(1) + rows(1), "line 2: LUT_3D_SIZE must be a whole number from 2 to 256"},
        {header(257), "line 2: LUT_3D_SIZE must be a whole number from 2 to 256"},
        {"LUT_3D_SIZE 2.5\n", "line 1: LUT_3D_SIZE must be a whole number"},
        {"LUT_3D_SIZE 2\nLUT_1D_SIZE 2\n", "line 2: a second table size"},
        {"0 0 0\n", "line 1: values before LUT_3D_SIZE"},
        {"TITLE \"x\"\n", "no LUT_3D_SIZE or LUT_1D_SIZE line"},
        {"LUT_3D_SIZE 2\nLUT_SHAPER 3\n", "line 2: unknown keyword 'LUT_SHAPER'"},
        {header(2) + rows(8) + "TITLE \"late\"\n", "line 13: 'TITLE' after the table's values"},
        {"LUT_1D_SIZE 2\nDOMAIN_MIN 1 0 0\nDOMAIN_MAX 1 1 1\n0 0 0\n1 1 1\n",
         "DOMAIN_MIN must be below DOMAIN_MAX"},
        {"LUT_1D_SIZE 2\nDOMAIN_MAX 1 1\n", "line 2: DOMAIN_MAX needs three numbers"},
        {"TITLE untitled\nLUT_1D_SIZE 2\n", "line 1: TITLE needs a quoted text"},
    };
    for (const auto &c : cases) {
        std::string error;
        CubeLut lut;
        EXPECT_FALSE(parseCube(c.text, &lut, &error)) << c.message;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
    // Comments, blank lines and CR LF endings are part of the format.
    std::string error;
    EXPECT_TRUE(parseCube("# made by hand\r\n\r\nLUT_1D_SIZE 2\r\n0 0 0 # black\r\n1 1 1\r\n",
                          nullptr, &error))
        << error;
}
