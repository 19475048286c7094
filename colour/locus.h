#pragma once
// The Planckian and spectrum locus as tables of cubic Hermite segments, and
// the searches on them: correlated colour temperature, dominant wavelength
// and the point of a given key. Pure C++, no Qt.

// One row: key, x, y, u, v, step, du, dv. (u, v) is the point in the plane
// the searches work in, step is half the key distance to the neighbouring
// rows, and (du, dv) is d(u, v)/d(key) times step, i.e. the tangent in the
// segment parameter t.
enum LocusColumn { LocusKey, LocusX, LocusY, LocusU, LocusV, LocusStep, LocusDu, LocusDv };

struct LocusTable {
    const double (*rows)[8];
    int count;
};

// Key in K; (u, v) in CIE 1960 UCS. Generated at build time.
extern const LocusTable planckianTable;
// Key in nm; (u, v) are CIE 1976 u', v'. Generated at build time.
extern const LocusTable spectrumLocusTable;

// A point on the curve at parameter t of a segment, with the tangent in t.
struct LocusPoint {
    double key = 0;
    double u = 0, v = 0;
    double du = 0, dv = 0;
};

// Hermite segment between rows i and i + 1 at t in [0, 1].
LocusPoint locusSegmentPoint(const LocusTable &table, int segment, double t);

// Point and tangent at a key; false when no segment contains the key.
bool locusLookup(double key, const LocusTable &table, LocusPoint *out);

struct LocusCct {
    double temp = 0;      // K, 0 when out of range
    double duv = 0;       // signed, positive above the locus
    bool inRange = false; // false: farther than the limit from the locus
};

// Nearest point of the Planckian locus to (u, v) in CIE 1960 UCS.
LocusCct findCct(double u, double v, double limit = 0.05, const LocusTable &table = planckianTable);
// The same search over every segment, without skipping any; the reference
// the fast search is checked against.
LocusCct findCctExhaustive(double u, double v, double limit = 0.05,
                           const LocusTable &table = planckianTable);

struct LocusDominant {
    double nm = 0;     // 0 when none
    double duv = 0;    // u'v' distance to the locus, negative outside it
    bool found = true; // false: the ray from the white misses the locus
};

// Where the ray from the white (wu, wv) through (up, vp) meets the spectrum
// locus, all in u'v'.
LocusDominant findDominantWavelength(double up, double vp, double wu, double wv,
                                     const LocusTable &table = spectrumLocusTable);
// The same search over every segment, without skipping any.
LocusDominant findDominantWavelengthExhaustive(double up, double vp, double wu, double wv,
                                               const LocusTable &table = spectrumLocusTable);
