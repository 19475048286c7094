#pragma once
// What a display should show for a patch of code values: the codes' range
// and depth turn them into signals, a transfer curve turns the signals into
// light, and the standard's primaries into a target colour. One place for
// every target in the program (live table, batch, sequence, screen
// calibration, reports). Plain C++, no Qt.

#include "measurement.h"

#include <array>

// Code values of one bit depth and the range black to nominal white within it.
struct CodeRange {
    int low = 0, high = 255; // black and nominal white codes
    int bits = 8;

    static CodeRange full(int bits);
    static CodeRange limited(int bits); // 16-235 at 8 bits, 64-940 at 10
    int maxCode() const { return (1 << bits) - 1; }
    bool isFull() const { return low == 0 && high == maxCode(); }
    bool holds(int code) const { return code >= 0 && code <= maxCode(); }
    // (code - low) / (high - low), clamped to 0..1: codes below black are
    // black, codes above nominal white are white.
    double signal(double code) const;
    // The code of this range nearest to a code of another range: the same
    // place between black and white, rounded.
    int nearestFrom(int code, const CodeRange &from) const;
};

enum class Transfer {
    Gamma,  // white · signal^gamma
    Bt1886, // ITU-R BT.1886 with the display's black
    Pq,     // SMPTE ST 2084, absolute
    Hlg     // BT.2100 hybrid log-gamma, relative to the display's peak
};

// Signals to display light.
struct TargetCurve {
    Transfer transfer = Transfer::Gamma;
    double gamma = 2.2;
    double blackNits = 0.0;   // cd/m²: BT.1886's and HLG's black
    double peakNits = 1000.0; // cd/m²: the display's peak (PQ and HLG)
    // PQ above what the display can show: 0 clips at its peak; otherwise the
    // BT.2390 roll-off for content mastered at this peak (cd/m²).
    double masteringPeak = 0.0;

    // PQ: a code value means a luminance whatever the display.
    bool isAbsolute() const { return transfer == Transfer::Pq; }
    bool isHdr() const { return transfer == Transfer::Pq || transfer == Transfer::Hlg; }
    // The light of R, G, B (cd/m² each, as a grey of that signal would have
    // it) for a white of whiteNits where the curve is relative.
    std::array<double, 3> light(const std::array<double, 3> &signal, double whiteNits) const;
    // Luminance of a grey of this signal.
    double greyNits(double signal, double whiteNits) const;
    // The luminance of the white colour patches are judged against:
    // BT.2408's reference white for HDR (203 cd/m² for PQ, HLG's 75 % on
    // this display), whiteNits for the others.
    double referenceWhite(double whiteNits) const;
};

// ITU-R BT.2408 HDR reference white, cd/m².
constexpr double hdrReferenceWhite = 203.0;
// The HLG signal of that white.
constexpr double hlgReferenceSignal = 0.75;

struct VideoStandard {
    GamutSpec spec; // primaries; whiteBigY is the white patches are judged against
    TargetCurve curve;
    CodeRange range;
};

struct PatchTarget {
    std::array<double, 3> signal{};
    std::array<double, 3> percent{}; // of the standard's white, linear
    std::array<double, 3> xyz{};     // cd/m²
    Measurement measurement;         // against the standard's spec
};

// The target of three signals (0..1).
PatchTarget signalTarget(const std::array<double, 3> &signal, const VideoStandard &standard);
// The target of code values of the standard's range.
PatchTarget codeTarget(const std::array<int, 3> &code, const VideoStandard &standard);

// ΔE ITP (ITU-R BT.2124) between two absolute colours.
double deltaEItp(const Measurement &a, const Measurement &b);
