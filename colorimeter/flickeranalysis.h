#pragma once
// The analysis of one flicker record: time axis, window, FFT, frequency-
// response correction, bin merging, normalisation to the mean, percent and
// decibel spectra with the VESA/JEITA conventions, and the three strongest
// peaks. Pure functions over arrays; no I/O, no state.

#include "flicker.h"

#include <array>
#include <vector>

namespace clmtr {

// A power of two from 64 to 2048.
bool validSampleCount(int n);

// Bins kept in the spectra: n/2 - floor(28 n / 256) + 1 (101 for n = 256).
int flickerBinCount(int n);

// The JEITA flicker weight at 0 to 63 Hz, 1 Hz apart.
const std::array<double, 64> &jeitaTable();
// Linear interpolation of the table; 0 from 62 Hz on.
double jeitaWeight(double f);

// In place, n a power of two: X[k] = sum over j of x[j] e^(+2 pi i j k / n),
// unscaled.
void fft(double *re, double *im, int n);

// Fills rec from the sample buffer (oldest first, size n = a valid sample
// count) with rec.settings in force. packetCounter is the number of packets
// received, which places the buffer on the time axis; y is the packet's
// luminance in cd/m², or -1 for none (signalNits then carries times only).
// An invalid buffer size sets ErrorBits::Internal and leaves the rest.
void analyseFlicker(Flicker &rec, const std::vector<double> &samples, long packetCounter, double y);

// Bins k >= 1 above their left neighbour and (except the last bin) their
// right one, inserted into peaks (3 x 2, kept in descending order) where
// they are strictly greater than a listed value.
void findPeaks(const matrix &spectrum, matrix &peaks);

} // namespace clmtr
