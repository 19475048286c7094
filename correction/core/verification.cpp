#include "verification.h"

#include "ictcp.h"
#include "labmath.h"

#include <algorithm>
#include <cmath>

namespace correction {

namespace {

using Point = std::array<double, 2>;

double cross(const Point &o, const Point &a, const Point &b) {
    return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
}

double area(const std::vector<Point> &poly) {
    double s = 0;
    for (std::size_t i = 0; i < poly.size(); ++i) {
        const Point &a = poly[i], &b = poly[(i + 1) % poly.size()];
        s += a[0] * b[1] - b[0] * a[1];
    }
    return std::fabs(s) / 2;
}

std::vector<Point> counterClockwise(const Triangle &t) {
    std::vector<Point> p(t.begin(), t.end());
    if (cross(p[0], p[1], p[2]) < 0)
        std::swap(p[1], p[2]);
    return p;
}

// Sutherland-Hodgman: the part of subject inside the convex clip polygon.
std::vector<Point> clip(std::vector<Point> subject, const std::vector<Point> &clipper) {
    for (std::size_t e = 0; e < clipper.size() && !subject.empty(); ++e) {
        const Point &a = clipper[e], &b = clipper[(e + 1) % clipper.size()];
        std::vector<Point> in = std::move(subject);
        subject.clear();
        for (std::size_t i = 0; i < in.size(); ++i) {
            const Point &p = in[i], &q = in[(i + 1) % in.size()];
            const double dp = cross(a, b, p), dq = cross(a, b, q);
            if (dp >= 0)
                subject.push_back(p);
            if ((dp >= 0) != (dq >= 0)) {
                const double t = dp / (dp - dq);
                subject.push_back({p[0] + t * (q[0] - p[0]), p[1] + t * (q[1] - p[1])});
            }
        }
    }
    return subject;
}

} // namespace

VerifiedPatch judgePatch(const Patch &patch, const Xyz &measured, const ResolvedTarget &target) {
    VerifiedPatch v;
    v.patch = patch;
    v.measured = measured;
    v.target = target.xyz({patch.code[0] / 255.0, patch.code[1] / 255.0, patch.code[2] / 255.0});
    v.deltaE = deltaE2000(v.target, measured, target.white());
    v.deltaItp = deltaEItpXyz(v.target.data(), measured.data());
    return v;
}

bool furtherThanBefore(const VerificationSummary &before, const VerificationSummary &after) {
    return after.meanDeltaE > before.meanDeltaE * 1.1 + 0.2;
}

VerificationSummary summarise(const std::vector<VerifiedPatch> &patches) {
    VerificationSummary s;
    s.patches = static_cast<int>(patches.size());
    for (const VerifiedPatch &p : patches) {
        s.meanDeltaE += p.deltaE;
        s.meanDeltaItp += p.deltaItp;
        if (p.deltaE >= s.maxDeltaE) {
            s.maxDeltaE = p.deltaE;
            s.worst = p.patch.name;
        }
        s.maxDeltaItp = std::max(s.maxDeltaItp, p.deltaItp);
        if (isGrey(p.patch) && p.target[1] > 0) {
            const Point a = upvp(p.measured), b = upvp(p.target);
            s.greyMaxDuv = std::max(s.greyMaxDuv, std::hypot(a[0] - b[0], a[1] - b[1]));
            s.greyMaxLuminancePercent =
                std::max(s.greyMaxLuminancePercent,
                         100.0 * std::fabs(p.measured[1] - p.target[1]) / p.target[1]);
        }
    }
    if (s.patches) {
        s.meanDeltaE /= s.patches;
        s.meanDeltaItp /= s.patches;
    }
    return s;
}

double coverage(const Triangle &display, const Triangle &standard) {
    const std::vector<Point> s = counterClockwise(standard);
    const double whole = area(s);
    if (!(whole > 0))
        return 0;
    return area(clip(s, counterClockwise(display))) / whole;
}

Triangle standardTriangle(const GamutSpec &spec) {
    return {upvp(fromXyY(spec.redX, spec.redY, 1)), upvp(fromXyY(spec.greenX, spec.greenY, 1)),
            upvp(fromXyY(spec.blueX, spec.blueY, 1))};
}

Coverage gamutCoverage(const DisplayModel &display) {
    const Triangle own{upvp(display.primary(0)), upvp(display.primary(1)),
                       upvp(display.primary(2))};
    // Standard indices of the built-in list: REC709 2, REC2020 3, DCIP3 5.
    return {coverage(own, standardTriangle(GamutSpec::standardSpec(2))),
            coverage(own, standardTriangle(GamutSpec::standardSpec(5))),
            coverage(own, standardTriangle(GamutSpec::standardSpec(3)))};
}

} // namespace correction
