#pragma once
// Primaries, white point and the RGB<->XYZ matrices derived from them.
// Pure value type: no Qt, so the colorimeter library can use it.

#include <array>

using Mat3 = std::array<std::array<double, 3>, 3>;

struct GamutSpec {
    // Chromaticity of each primary and its luminance at the white
    // (the Y fields of the primaries are filled by the matrix derivation).
    double redX = 0, redY = 0, redBigY = 0;
    double greenX = 0, greenY = 0, greenBigY = 0;
    double blueX = 0, blueY = 0, blueBigY = 0;
    double whiteX = 0, whiteY = 0, whiteBigY = 0; // whiteBigY in cd/m²
    int standard = 6;                             // 0..5 built in, 6 custom
    Mat3 rgbToXyz{};                              // columns: primaries' XYZ at the white luminance
    Mat3 xyzToRgb{};                              // inverse of rgbToXyz

    GamutSpec() = default;
    GamutSpec(double rx, double ry, double gx, double gy, double bx, double by, double wx,
              double wy, double wY);

    // Built-in standard 0..5 with the given white luminance; any other index
    // gives an all-zero spec with standard 6.
    static GamutSpec standardSpec(int index, double whiteY = 100.0);
    static constexpr int builtInCount = 6;

    void setRed(double x, double y);
    void setGreen(double x, double y);
    void setBlue(double x, double y);
    void setWhite(double x, double y, double bigY);

    // White's tristimulus values (Xn, Yn, Zn).
    std::array<double, 3> whiteXYZ() const;

private:
    void rebuild(); // re-identify the standard and derive both matrices
};

// Index 0..5 of the built-in standard with exactly these chromaticities, else 6.
int identifyStandard(const GamutSpec &spec);
