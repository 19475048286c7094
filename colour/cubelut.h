#pragma once
// Colour look-up tables in the .cube text format that video processors and
// grading software read: a TITLE, LUT_3D_SIZE N (or LUT_1D_SIZE N for
// per-channel curves), DOMAIN_MIN and DOMAIN_MAX, then N³ (or N) lines of
// "R G B" with red changing fastest. Reading checks every byte: sizes
// outside 2..256, a count of entries other than the size asks, numbers that
// are not finite, a truncated last line and unknown keywords are refused
// with the line they are on. Plain C++, no Qt, so the simulator can apply
// the tables it is given.

#include <array>
#include <string>
#include <vector>

using Rgb3 = std::array<double, 3>;

struct CubeLut {
    static constexpr int minSize = 2;
    static constexpr int maxSize = 256;

    std::string title;
    int dimensions = 3; // 3: a 3D table; 1: three per-channel curves
    int size = 0;       // points per axis
    Rgb3 domainMin{0, 0, 0};
    Rgb3 domainMax{1, 1, 1};
    // size³ (or size) triplets, red index fastest; floats keep a 256³ table
    // at 200 MB rather than 400.
    std::vector<float> values;

    // A table that changes nothing.
    static CubeLut identity(int size, int dimensions = 3);
    int entries() const;
    // The triplet stored at grid point (r, g, b); for a 1D table r == g == b
    // is the index.
    Rgb3 at(int r, int g, int b) const;
    void set(int r, int g, int b, const Rgb3 &v);
    // The table applied to a colour: tetrahedral interpolation between the
    // grid points of a 3D table (it keeps greys on the grey axis), linear
    // per channel for a 1D one. Inputs outside the domain are clamped to it.
    Rgb3 apply(const Rgb3 &rgb) const;
};

// False with the reason (naming the line) when the text is no valid table.
bool parseCube(const std::string &text, CubeLut *out, std::string *error);
// The file's text; numbers with enough digits to read back within 1e-7.
std::string writeCube(const CubeLut &lut);
