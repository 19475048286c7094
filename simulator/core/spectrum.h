#pragma once
// Spectral power distributions for the simulated scene: a smooth, plausible
// spectrum for any tristimulus value, and measured spectra read from CSV.
// Values are spectral radiance in W/(sr·m²·nm) at 1 nm from 380 to 780 nm,
// so that 683 lm/W times their sums with the CIE 1931 colour-matching
// functions give X, Y, Z in cd/m².

#include <string>
#include <utility>
#include <vector>

namespace sim {

constexpr int spectrumFirstNm = 380;
constexpr int spectrumLastNm = 780;
constexpr int spectrumSize = spectrumLastNm - spectrumFirstNm + 1; // 401

using Spectrum = std::vector<double>; // spectrumSize values

// A spectrum whose X, Y, Z are the given ones: a daylight-like white plus
// at most two Gaussian bands, as broad as the colour allows (a saturated
// colour gets narrow bands, a near-white a smooth curve). Colours beyond
// what the narrowest bands reach get the nearest reachable colour. All
// zero for black or negative input.
Spectrum synthesizeSpectrum(double X, double Y, double Z);

// X, Y, Z of a spectrum (spectrumSize values from 380 nm).
void spectrumXYZ(const Spectrum &s, double xyz[3]);

// --- Shapes that spectra are built from (peak 1 unless given) ---
// A Gaussian band: peak and full width at half maximum in nm.
Spectrum gaussianBand(double peakNm, double fwhmNm, double height = 1.0);
// A band with different slopes on either side of its peak (standard
// deviations in nm), as phosphor and filter curves are.
Spectrum skewedBand(double peakNm, double sigmaShortNm, double sigmaLongNm, double height = 1.0);
// Planck's law at a temperature (K), peak 1 over the range.
Spectrum planckSpectrum(double kelvin);
// CIE illuminant A: a Planckian radiator at 2856 K.
const Spectrum &illuminantA();
// A colour filter's transmission: rising through loNm and falling through
// hiNm over edges about edgeNm wide, never below leak.
Spectrum bandpassFilter(double loNm, double hiNm, double edgeNm, double leak);
Spectrum operator+(const Spectrum &a, const Spectrum &b);
Spectrum operator*(const Spectrum &a, const Spectrum &b); // wavelength by wavelength
Spectrum operator*(const Spectrum &a, double k);

// Points (nm, value) with rising wavelengths, linearly resampled to 1 nm
// from 380 to 780 nm; 0 outside the points' range.
Spectrum resampleSpectrum(const std::vector<std::pair<double, double>> &points);

// "wavelength,value" lines (a header line that is not numbers is skipped;
// wavelengths in nm, rising; values finite and not negative), resampled
// linearly to 1 nm from 380 to 780 nm, 0 outside the given range. False
// with a reason for anything else.
bool parseSpectrumCsv(const std::string &text, Spectrum &out, std::string *error);

} // namespace sim
