#pragma once
// The CIE 1931 2° colour-matching functions at 1 nm steps (generated at build
// time from data/), and tristimulus values of a spectral power distribution.
// Pure C++, no Qt.

// Rows of nm, xbar, ybar, zbar, rising by 1 nm.
struct CmfTable {
    const double (*rows)[4];
    int count;
};
extern const CmfTable cie1931Cmf;

// xbar, ybar, zbar at a whole wavelength; false (all 0) outside the table.
bool cmfAt(int nm, double out[3]);

// Luminous efficacy of the photopic observer, lm/W.
constexpr double maxLuminousEfficacy = 683.0;

// X, Y, Z of a spectral radiance sampled at 1 nm from firstNm (count values,
// W/(sr·m²·nm)): 683 times the sums of value × colour-matching function.
// Y is then in cd/m². Wavelengths outside the table add nothing.
void spectrumToXYZ(const double *values, int firstNm, int count, double xyz[3]);
