#pragma once
// One flicker analysis delivered while the luminance signal streams: the
// signal against time, its spectrum in percent and decibels, the three
// strongest peaks of each, and the settings that produced it. A copyable
// value, so it can cross threads by queued signals.

#include "matrix.h"

#include <cstdint>
#include <vector>

// One piece of the frequency-response correction: for low <= f < high the
// gain is a table interpolated at f (kind 0, one value per Hz from 0) or a
// polynomial sum c[k] f^k (kind 1).
struct ResponseSegment {
    enum Kind { Table = 0, Polynomial = 1 };
    double low = 0;  // Hz
    double high = 0; // Hz
    int kind = Table;
    std::vector<double> coefficients;
};

struct FlickerSettings {
    int sampleCount = 256; // samples per analysis, a power of two from 64 to 2048
    int sampleRate = 256;  // samples per second
    bool windowOn = true;  // raised-cosine window before the transform
    bool binMerge = true;  // each bin combined with its two neighbours
    bool jeitaDiscountDb = true;
    bool jeitaDiscountPercent = false;
    int jeita = 0;                         // decibel method: 1 JEITA, 0 VESA
    int normalized = 0;                    // percent method: 1 normalized, 0 contrast
    std::vector<ResponseSegment> response; // empty: no correction
};

struct Flicker {
    Flicker() : peaksPercent(3, 2), peaksDb(3, 2) {
        for (int r = 0; r < 3; ++r)
            peaksDb[r][1] = -100; // dB: no peak
    }

    double y = 0;           // cd/m²
    int range = 1;          // instrument range 1 to 6
    matrix peaksPercent;    // 3 x 2: Hz, percent, largest first; (0, 0) when none
    matrix peaksDb;         // 3 x 2: Hz, dB, largest first; (0, -100) when none
    matrix spectrumDb;      // M x 2: Hz, dB
    matrix spectrumPercent; // M x 2: Hz, percent
    matrix signalCounts;    // N x 2: s, counts
    matrix signalNits;      // N x 2: s, cd/m²
    matrix amplitude; // M x 2: Hz, amplitude relative to the mean; bin 0 the mean's own magnitude
    uint32_t errorCode = 0;
    FlickerSettings settings;
};
