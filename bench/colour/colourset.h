#pragma once
// A fixed, varied set of X, Y, Z triples for timing and for comparing the
// colour derivation: saturated and purple colours, near-whites, very dark
// readings, and colours outside any display gamut (some outside the
// spectrum locus, a few negative or zero). Deterministic on every platform:
// its own generator, no <random> distributions.

#include "locus.h"

#include <array>
#include <cstdint>
#include <vector>

namespace colourset {

class Lcg {
public:
    explicit Lcg(uint64_t seed) : state_(seed) {}
    double next() { // [0, 1)
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state_ >> 11) * (1.0 / 9007199254740992.0);
    }
    double in(double lo, double hi) { return lo + (hi - lo) * next(); }

private:
    uint64_t state_;
};

inline std::array<double, 3> fromxyY(double x, double y, double Y) {
    return {x * Y / y, Y, (1 - x - y) * Y / y};
}

inline std::vector<std::array<double, 3>> make(int count = 10000) {
    std::vector<std::array<double, 3>> set;
    set.reserve(count);
    Lcg rng(20240611);
    const LocusTable &sl = spectrumLocusTable;
    for (int i = 0; i < count; ++i) {
        switch (i % 5) {
        case 0: { // saturated: near the spectrum locus or the purple line
            const double *a = sl.rows[static_cast<int>(rng.in(0, sl.count))];
            const double *b = sl.rows[rng.next() < 0.2 ? sl.count - 1 : 0];
            const double mixPurple = rng.next() < 0.2 ? rng.next() : 0;
            const double x = a[LocusX] * (1 - mixPurple) + b[LocusX] * mixPurple;
            const double y = a[LocusY] * (1 - mixPurple) + b[LocusY] * mixPurple;
            const double toWhite = rng.in(0.02, 0.3);
            set.push_back(
                fromxyY(x + (0.3127 - x) * toWhite, y + (0.329 - y) * toWhite, rng.in(1, 300)));
            break;
        }
        case 1: // near-white
            set.push_back(fromxyY(rng.in(0.28, 0.36), rng.in(0.29, 0.37), rng.in(5, 500)));
            break;
        case 2: // dark
            set.push_back(fromxyY(rng.in(0.2, 0.45), rng.in(0.2, 0.45), rng.in(1e-4, 0.2)));
            break;
        case 3: // outside the display gamuts, some outside the spectrum locus
            set.push_back(fromxyY(rng.in(0.0, 0.75), rng.in(0.01, 0.85), rng.in(0.5, 200)));
            break;
        default: { // raw instrument-like triples, a few negative or zero
            const double r = rng.next();
            if (r < 0.05)
                set.push_back({0, 0, 0});
            else if (r < 0.15)
                set.push_back({rng.in(-1, 5), rng.in(-0.5, 5), rng.in(-1, 5)});
            else
                set.push_back({rng.in(0, 200), rng.in(0, 200), rng.in(0, 200)});
            break;
        }
        }
    }
    return set;
}

} // namespace colourset
