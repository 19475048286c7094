#pragma once
// The instrument's frequency response as it arrives in the "P4" reply, and
// the correction built from it: pure functions over bytes and arrays.
//
// Each of the three range pairs (1-2, 3-4, 5-6) has 64 16-bit values v(j)
// giving the gain correction g(2j + 1) = 32768 / v(j) at the odd frequencies
// 1 to 127 Hz. The curve is filled in to 0-128 Hz, repaired, checked, and
// reduced to a 71-value table (0-70 Hz) and a cubic fitted over 70-100 Hz.

#include "flicker.h"

#include <array>
#include <cstdint>
#include <string>

namespace clmtr {

constexpr int responseReplyLength = 613;
constexpr int responsePairs = 3;
constexpr int responseBlockBytes = 128;
constexpr int responseTableSize = 71; // g(0) to g(70)
constexpr double unknownCalibration = -1.0;

// g(f) for f = 0 to 128 Hz in 1 Hz steps.
using GainCurve = std::array<double, 129>;

struct PairResponse {
    std::array<double, responseTableSize> table; // g(0) to g(70)
    std::array<double, 4> cubic;                 // c0 + c1 f + c2 f² + c3 f³ over 70-100 Hz
};

// The firmware version at bytes 19-25; empty when the reply is too short.
std::string responseFirmwareVersion(const std::string &reply);

// One 128-byte block: odd frequencies from the values, even ones the mean of
// their neighbours, g(0) = g(1). A value 0 counts as 1e-7.
GainCurve gainCurve(const unsigned char *block);

// A g(100) off the line through g(98), g(99) by more than 2 % is put back on
// it (and g(101) after it); a curve below 1 at 102 Hz is cut to 0 from there;
// g(128) = g(127).
void repairGainCurve(GainCurve &g);

// g(1) exactly 1, g(99) in 25 to 150, and no step from 1 to 99 Hz falling by
// 1 % or more.
bool gainCurveValid(const GainCurve &g);

// Least-squares c0 + c1 x + c2 x² + c3 x³ through n points.
std::array<double, 4> fitCubic(const double *x, const double *y, int n);

PairResponse pairResponse(const GainCurve &g);

// Every value at the unknown marker -1.
std::array<PairResponse, 3> unknownResponseData();
// False when any value is the unknown marker.
bool responseDataKnown(const std::array<PairResponse, 3> &data);

// Parses, repairs and checks all three blocks of a "P4" reply. Returns 0 and
// fills out, or ErrorBits::FlickerBadResponseData and leaves out untouched
// when the block area is short or any curve fails its check.
uint32_t parseResponseData(const std::string &reply, std::array<PairResponse, 3> &out);

// The correction in force for a range pair: the table over [0, 70) Hz and
// the cubic over [70, 151) Hz.
std::vector<ResponseSegment> responseSegments(const PairResponse &pair);

// H(f) from a segment list; 1 where no segment covers f.
double responseAt(const std::vector<ResponseSegment> &segments, double f);

} // namespace clmtr
