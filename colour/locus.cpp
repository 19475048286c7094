#include "locus.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int bisectionSteps = 20;

// A row's tangent is its derivative times its own step, which matches the
// segment only where the rows are evenly spaced. Around uneven spacing
// (6500 K: step 50, next row 1 K away) the unscaled tangent makes the
// curve overshoot and run backwards, so the tangent is rescaled to the
// segment's length there. Evenly spaced segments keep the stored values
// untouched.
double tangentScale(const double *row, double length) {
    return row[LocusStep] == length ? 1.0 : length / row[LocusStep];
}

// One Hermite segment. Every caller evaluates it through here, so a point
// comes out bit for bit the same whichever search asks for it.
struct Segment {
    const double *a, *b;
    double sa, sb; // tangent scales

    Segment(const LocusTable &table, int i) : a(table.rows[i]), b(table.rows[i + 1]) {
        const double length = b[LocusKey] - a[LocusKey];
        sa = tangentScale(a, length);
        sb = tangentScale(b, length);
    }

    struct Basis {
        double h00, h10, h01, h11;
    };
    Basis basis(double t) const {
        const double t2 = t * t, t3 = t2 * t;
        return {2 * t3 - 3 * t2 + 1, (t3 - 2 * t2 + t) * sa, -2 * t3 + 3 * t2, (t3 - t2) * sb};
    }
    // Derivatives of the basis functions, for the tangent.
    Basis slope(double t) const {
        const double t2 = t * t;
        return {6 * t2 - 6 * t, (3 * t2 - 4 * t + 1) * sa, -6 * t2 + 6 * t, (3 * t2 - 2 * t) * sb};
    }
    double apply(const Basis &h, int value, int tangent) const {
        return h.h00 * a[value] + h.h10 * a[tangent] + h.h01 * b[value] + h.h11 * b[tangent];
    }

    double key(double t) const { return apply(basis(t), LocusKey, LocusStep); }
    void point(double t, double &u, double &v) const {
        const Basis h = basis(t);
        u = apply(h, LocusU, LocusDu);
        v = apply(h, LocusV, LocusDv);
    }
    void tangent(double t, double &du, double &dv) const {
        const Basis g = slope(t);
        du = apply(g, LocusU, LocusDu);
        dv = apply(g, LocusV, LocusDv);
    }
};

// 20 halvings of [0, 1], keeping lo on the side where `past` is false;
// returns the midpoint of the last interval.
template <typename Past> double bisect(Past past) {
    double lo = 0, hi = 1;
    for (int n = 0; n < bisectionSteps; ++n) {
        const double mid = (lo + hi) / 2;
        // Selections rather than a branch: the direction is a coin toss.
        const bool isPast = past(mid);
        hi = isPast ? mid : hi;
        lo = isPast ? lo : mid;
    }
    return (lo + hi) / 2;
}

} // namespace

LocusPoint locusSegmentPoint(const LocusTable &table, int segment, double t) {
    const Segment seg(table, segment);
    LocusPoint p;
    p.key = seg.key(t);
    seg.point(t, p.u, p.v);
    seg.tangent(t, p.du, p.dv);
    return p;
}

bool locusLookup(double key, const LocusTable &table, LocusPoint *out) {
    for (int i = 0; i + 1 < table.count; ++i) {
        if (!(table.rows[i][LocusKey] <= key && key <= table.rows[i + 1][LocusKey]))
            continue;
        const Segment seg(table, i);
        *out = locusSegmentPoint(table, i, bisect([&](double t) { return seg.key(t) > key; }));
        return true;
    }
    return false;
}

namespace {

// Bounding boxes that let the searches skip whole runs of segments without
// changing their results: a run is skipped only when no segment in it could
// have been chosen.
struct Box {
    double u0 = INFINITY, u1 = -INFINITY, v0 = INFINITY, v1 = -INFINITY;
    void add(double u, double v) {
        u0 = std::fmin(u0, u);
        u1 = std::fmax(u1, u);
        v0 = std::fmin(v0, v);
        v1 = std::fmax(v1, v);
    }
    void add(const Box &b) {
        add(b.u0, b.v0);
        add(b.u1, b.v1);
    }
    // False for NaN, so a NaN sample is never skipped.
    bool far(double u, double v, double margin) const {
        return u < u0 - margin || u > u1 + margin || v < v0 - margin || v > v1 + margin;
    }
};

constexpr int blockSize = 16; // segments per block

struct SearchIndex {
    std::vector<Box> segmentHull; // per segment: hull of its Bézier control points
    std::vector<Box> blockHull;   // per block: union of its segments' hulls
    std::vector<Box> blockRows;   // per block: its row points, both ends included
};

SearchIndex buildIndex(const LocusTable &table) {
    SearchIndex ix;
    const int segments = table.count - 1;
    for (int i = 0; i < segments; ++i) {
        const double *a = table.rows[i];
        const double *b = table.rows[i + 1];
        const double length = b[LocusKey] - a[LocusKey];
        const double sa = tangentScale(a, length) / 3, sb = tangentScale(b, length) / 3;
        // The cubic lies inside the convex hull of its Bézier control points.
        Box box;
        box.add(a[LocusU], a[LocusV]);
        box.add(a[LocusU] + a[LocusDu] * sa, a[LocusV] + a[LocusDv] * sa);
        box.add(b[LocusU] - b[LocusDu] * sb, b[LocusV] - b[LocusDv] * sb);
        box.add(b[LocusU], b[LocusV]);
        ix.segmentHull.push_back(box);
    }
    for (int first = 0; first < segments; first += blockSize) {
        const int end = std::min(first + blockSize, segments);
        Box hull, rows;
        for (int i = first; i < end; ++i) {
            hull.add(ix.segmentHull[i]);
            rows.add(table.rows[i][LocusU], table.rows[i][LocusV]);
        }
        rows.add(table.rows[end][LocusU], table.rows[end][LocusV]);
        ix.blockHull.push_back(hull);
        ix.blockRows.push_back(rows);
    }
    return ix;
}

// Only the two built-in tables are indexed; others are scanned in full.
const SearchIndex *indexFor(const LocusTable &table) {
    static const SearchIndex planck = buildIndex(planckianTable);
    static const SearchIndex spectrum = buildIndex(spectrumLocusTable);
    if (table.rows == planckianTable.rows && table.count == planckianTable.count)
        return &planck;
    if (table.rows == spectrumLocusTable.rows && table.count == spectrumLocusTable.count)
        return &spectrum;
    return nullptr;
}

// Covers rounding in evaluating a point of a segment against its hull.
constexpr double hullMargin = 1e-9;

struct CctSearch {
    const LocusTable &table;
    double u, v;
    double best = 10;
    LocusCct r;

    // Projection of the sample on a row's tangent. The foot of the
    // perpendicular lies in a segment only when the projections on its two
    // end tangents point different ways.
    bool behind(int row) const {
        const double *p = table.rows[row];
        return (u - p[LocusU]) * p[LocusDu] + (v - p[LocusV]) * p[LocusDv] < 0;
    }

    void segment(int i, bool neg0) {
        const Segment seg(table, i);
        const double t = bisect([&](double mid) {
            double pu, pv, pdu, pdv;
            seg.point(mid, pu, pv);
            seg.tangent(mid, pdu, pdv);
            return ((u - pu) * pdu + (v - pv) * pdv < 0) != neg0;
        });
        const LocusPoint p = locusSegmentPoint(table, i, t);
        const double du = u - p.u, dv = v - p.v;
        const double dist = std::sqrt(du * du + dv * dv);
        if (dist < best) {
            best = dist;
            r.temp = p.key;
            r.duv = (du * p.dv - dv * p.du < 0) ? -dist : dist;
        }
    }

    void scan(int first, int end) {
        bool negEnd = behind(first);
        for (int i = first; i < end; ++i) {
            const bool neg0 = negEnd;
            negEnd = behind(i + 1);
            if (neg0 != negEnd)
                segment(i, neg0);
        }
    }
};

struct DominantSearch {
    const LocusTable &table;
    double up, vp, wu, wv;
    double dx, dy, radius;
    double best = 10;
    LocusDominant r;

    // Side of the line through the white along the sample's direction.
    double side(double u, double v) const { return dx * (v - wv) - dy * (u - wu); }
    bool negSide(int row) const {
        return side(table.rows[row][LocusU], table.rows[row][LocusV]) < 0;
    }

    void segment(int i, bool neg0) {
        const Segment seg(table, i);
        const double t = bisect([&](double mid) {
            double pu, pv;
            seg.point(mid, pu, pv);
            return (side(pu, pv) < 0) != neg0;
        });
        const LocusPoint p = locusSegmentPoint(table, i, t);
        double dist = std::sqrt((p.u - up) * (p.u - up) + (p.v - vp) * (p.v - vp));
        const double locusRadius = std::sqrt((p.u - wu) * (p.u - wu) + (p.v - wv) * (p.v - wv));
        if (radius > locusRadius)
            dist = -dist; // the sample lies outside the locus
        if (std::fabs(dist) < std::fabs(best)) {
            best = dist;
            r.nm = p.key;
        }
    }

    void scan(int first, int end) {
        bool negEnd = negSide(first);
        for (int i = first; i < end; ++i) {
            const double *a = table.rows[i];
            const bool neg0 = negEnd;
            negEnd = negSide(i + 1);
            // Only the half of the line ahead of the white counts.
            if (neg0 != negEnd && (a[LocusU] - wu) * dx + (a[LocusV] - wv) * dy >= 0)
                segment(i, neg0);
        }
    }

    // True when every point of the box lies clearly on one side of the line,
    // so no row inside it can be on the other. The side is linear, so its
    // extremes over the box are at the corners.
    bool oneSide(const Box &b) const {
        const double c[4] = {side(b.u0, b.v0), side(b.u0, b.v1), side(b.u1, b.v0),
                             side(b.u1, b.v1)};
        const double margin = 1e-12 * (std::fabs(dx) + std::fabs(dy));
        // A NaN side (NaN sample) compares false everywhere: nothing skipped.
        return (c[0] > margin && c[1] > margin && c[2] > margin && c[3] > margin) ||
               (c[0] < -margin && c[1] < -margin && c[2] < -margin && c[3] < -margin);
    }
};

} // namespace

LocusCct findCct(double u, double v, double limit, const LocusTable &table) {
    CctSearch s{table, u, v, 10, LocusCct()};
    const SearchIndex *ix = indexFor(table);
    if (!ix) {
        s.scan(0, table.count - 1);
    } else {
        // Branch and bound in table order: a segment whose hull lies farther
        // than the best distance so far (or than the limit) can neither win
        // nor tie, so skipping it leaves the result as the full scan's.
        const auto bound = [&] { return std::min(s.best, limit) + hullMargin; };
        for (size_t k = 0; k < ix->blockHull.size(); ++k) {
            if (ix->blockHull[k].far(u, v, bound()))
                continue;
            const int first = static_cast<int>(k) * blockSize;
            const int end = std::min(first + blockSize, table.count - 1);
            for (int i = first; i < end; ++i) {
                if (ix->segmentHull[i].far(u, v, bound()))
                    continue;
                const bool neg0 = s.behind(i);
                if (neg0 != s.behind(i + 1))
                    s.segment(i, neg0);
            }
        }
    }
    LocusCct r = s.r;
    r.inRange = !(s.best > limit);
    if (!r.inRange) {
        r.temp = 0;
        r.duv = 0;
    }
    return r;
}

LocusCct findCctExhaustive(double u, double v, double limit, const LocusTable &table) {
    CctSearch s{table, u, v, 10, LocusCct()};
    s.scan(0, table.count - 1);
    LocusCct r = s.r;
    r.inRange = !(s.best > limit);
    if (!r.inRange) {
        r.temp = 0;
        r.duv = 0;
    }
    return r;
}

namespace {

LocusDominant dominant(double up, double vp, double wu, double wv, const LocusTable &table,
                       bool useIndex) {
    if (up == 0 || vp == 0)
        return LocusDominant();
    const double dx = up - wu, dy = vp - wv;
    DominantSearch s{table,          up, vp, wu, wv, dx, dy, std::sqrt(dx * dx + dy * dy), 10,
                     LocusDominant()};
    const SearchIndex *ix = useIndex ? indexFor(table) : nullptr;
    if (!ix) {
        s.scan(0, table.count - 1);
    } else {
        // Blocks whose rows all lie on one side of the line hold no crossing.
        for (size_t k = 0; k < ix->blockRows.size(); ++k) {
            if (s.oneSide(ix->blockRows[k]))
                continue;
            const int first = static_cast<int>(k) * blockSize;
            s.scan(first, std::min(first + blockSize, table.count - 1));
        }
    }
    LocusDominant r = s.r;
    r.duv = s.best;
    if (std::fabs(s.best) > 1) {
        r.found = false;
        r.nm = 0;
        r.duv = 0;
    }
    return r;
}

} // namespace

LocusDominant findDominantWavelength(double up, double vp, double wu, double wv,
                                     const LocusTable &table) {
    return dominant(up, vp, wu, wv, table, true);
}

LocusDominant findDominantWavelengthExhaustive(double up, double vp, double wu, double wv,
                                               const LocusTable &table) {
    return dominant(up, vp, wu, wv, table, false);
}
