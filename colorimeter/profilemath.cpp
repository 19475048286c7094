#include "profilemath.h"

#include <cmath>

namespace clmtr {

namespace {

constexpr double singularStandIn = 1e-5;
constexpr double relativeSingularity = 1e-12;

bool allFinite(const Mat3 &m) {
    for (const auto &row : m)
        for (double v : row)
            if (!std::isfinite(v))
                return false;
    return true;
}

Mat3 withColumn(Mat3 m, int column, const std::array<double, 3> &b) {
    for (int r = 0; r < 3; ++r)
        m[r][column] = b[r];
    return m;
}

// Every row i of x solves rows · x_i = column i of targets (row p of targets
// is the vector that primary p must become).
Mat3 solveRows(const Mat3 &rows, const Mat3 &targets, bool &singular) {
    Mat3 x{};
    for (int i = 0; i < 3; ++i) {
        bool s = false;
        const auto xi = cramer(rows, {targets[0][i], targets[1][i], targets[2][i]}, &s);
        singular |= s;
        x[i] = xi;
    }
    return x;
}

} // namespace

double determinant(const Mat3 &m) {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

std::array<double, 3> cramer(const Mat3 &m, const std::array<double, 3> &b, bool *singular) {
    double d = determinant(m);
    if (singular) {
        // Rounding rarely leaves an exact 0: a determinant that is a vanishing
        // part of its largest possible value (the product of the row lengths)
        // is as singular as 0.
        double bound = 1;
        for (const auto &row : m)
            bound *= std::sqrt(row[0] * row[0] + row[1] * row[1] + row[2] * row[2]);
        *singular = d == 0 || std::fabs(d) <= relativeSingularity * bound;
    }
    if (d == 0)
        d = singularStandIn;
    std::array<double, 3> x{};
    for (int j = 0; j < 3; ++j)
        x[j] = determinant(withColumn(m, j, b)) / d;
    return x;
}

bool primaryMatrix(const double *set, Mat3 &out) {
    out = Mat3{};
    const std::array<double, 3> white{set[0], set[1], set[2]};
    Mat3 chroma{}; // columns: the primaries' chromaticities x, y, z
    double sums[3];
    for (int p = 0; p < 3; ++p) {
        const double *c = set + 3 * (p + 1);
        sums[p] = c[0] + c[1] + c[2];
        if (sums[p] == 0 || !std::isfinite(sums[p]))
            return false; // a primary without light has no chromaticity
        for (int r = 0; r < 3; ++r)
            chroma[r][p] = c[r] / sums[p];
    }
    bool singular = false;
    const auto k = cramer(chroma, white, &singular);
    if (singular)
        return false;
    for (int p = 0; p < 3; ++p) {
        const double scale = (2 * k[p] + sums[p]) / 3;
        for (int r = 0; r < 3; ++r)
            out[p][r] = chroma[r][p] * scale;
    }
    return allFinite(out);
}

ProfileSolution solveProfile(const double *reference, const double *measured) {
    ProfileSolution s;
    Mat3 ref{}, meas{};
    bool usable = primaryMatrix(reference, ref);
    usable &= primaryMatrix(measured, meas);

    Mat3 hundred{};
    for (int i = 0; i < 3; ++i)
        hundred[i][i] = 100;
    bool singular = false;
    s.correction = solveRows(meas, ref, singular);
    s.rgb = solveRows(ref, hundred, singular);
    // A singular primary matrix still yields numbers (the 1e-5 stand-in), but
    // they correct nothing: such a set is as degenerate as a singular white.
    if (!usable || singular || !allFinite(s.correction) || !allFinite(s.rgb))
        s.flags |= ProfileDegenerate;
    return s;
}

} // namespace clmtr
