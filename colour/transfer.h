#pragma once
// Transfer functions of the video standards, each a small function named for
// its standard: SMPTE ST 2084 (PQ), ITU-R BT.2100 hybrid log-gamma (HLG),
// ITU-R BT.1886 and the ITU-R BT.2390 roll-off (EETF) that maps PQ content
// onto a display of lower peak. Signals are normalised (0 to 1), display
// light is in cd/m² unless said otherwise. Plain C++, no Qt.

#include <array>

namespace transfer {

// ---- SMPTE ST 2084 (PQ): absolute, a signal is a luminance ----

constexpr double pqPeak = 10000.0; // cd/m² at signal 1

// Signal 0..1 to display luminance, 0 to 10000 cd/m². Out-of-range and
// non-finite signals are clamped (NaN gives 0).
double st2084Eotf(double signal);
// Luminance in cd/m² to signal 0..1 (clamped to 0..10000 cd/m²).
double st2084InverseEotf(double nits);

// ---- ITU-R BT.2100 hybrid log-gamma: relative to the display's peak ----

// Scene linear light 0..1 to signal 0..1.
double hlgOetf(double scene);
// Signal 0..1 to scene linear light 0..1.
double hlgInverseOetf(double signal);
// The system gamma for a display of nominal peak Lw (cd/m²):
// 1.2 + 0.42 log10(Lw / 1000).
double hlgSystemGamma(double peakNits);
// Scene linear R, G, B (0..1) to display light (cd/m²) on a display of peak
// Lw: Lw · Ys^(γ-1) · E, Ys the scene luminance of the three.
std::array<double, 3> hlgOotf(const std::array<double, 3> &scene, double peakNits);
// The whole display chain of BT.2100 (its 2018 revision): the signal lifted
// for the display's black Lb, the inverse OETF, then the OOTF.
std::array<double, 3> hlgEotf(const std::array<double, 3> &signal, double peakNits,
                              double blackNits = 0.0);
// Display luminance of a grey of this signal.
double hlgGreyEotf(double signal, double peakNits, double blackNits = 0.0);

// ---- ITU-R BT.1886: the flat-panel gamma with the display's black ----

// Signal 0..1 to luminance (cd/m²) for white Lw and black Lb.
double bt1886Eotf(double signal, double whiteNits, double blackNits, double gamma = 2.4);

// ---- ITU-R BT.2390 EETF: PQ content of one range shown on another ----

struct EetfRange {
    double sourceBlack = 0.0;   // cd/m², the mastering display's black
    double sourcePeak = 1000.0; // cd/m², the mastering display's peak
    double targetBlack = 0.0;   // cd/m², this display's black
    double targetPeak = 1000.0; // cd/m², this display's peak
};
// PQ signal in, PQ signal out: the identity below the knee (1.5 · maxLum -
// 0.5 of the source range), a Hermite spline from there to the target's
// peak, the black lifted to the target's. A target at or above the source
// leaves the signal alone (but for clamping to the source range).
double bt2390Eetf(double pqSignal, const EetfRange &range);
// The same in cd/m².
double bt2390EetfNits(double nits, const EetfRange &range);

} // namespace transfer
