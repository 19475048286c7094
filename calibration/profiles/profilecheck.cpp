#include "profilecheck.h"

#include "patchcheck.h"
#include "profilemath.h"
#include "profileverify.h"

#include <cmath>

namespace profiles {

namespace {

struct Xy {
    double x = 0, y = 0;
};

Xy chromaticity(const Measurement &m) {
    const double sum = m.bigX + m.bigY + m.bigZ;
    return {m.bigX / sum, m.bigY / sum};
}

// Twice the signed area of the triangle a, b, c.
double cross(const Xy &a, const Xy &b, const Xy &c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

QString patchName(int i) {
    return patchNames().value(i);
}

// Why one instrument's four readings are no set of a display's primaries.
QString setProblem(const QVector<Measurement> &set, const QString &who) {
    if (set.size() != patchCount)
        return QStringLiteral("the %1 has %2 of the 4 readings").arg(who).arg(set.size());
    Xy xy[patchCount];
    for (int i = 0; i < patchCount; ++i) {
        const Measurement &m = set[i];
        if (const uint32_t bits = patchcheck::relevantBits(m.errorCode))
            return QStringLiteral("the %1's %2 reading has a problem (error code %3): %4")
                .arg(who, patchName(i))
                .arg(bits)
                .arg(patchcheck::errorDescription(bits).trimmed().replace('\n', ' '));
        if (!Readings::plausible(m.bigX, m.bigY, m.bigZ) || !(m.bigY > 0) || m.bigX < 0 ||
            m.bigZ < 0)
            return QStringLiteral("the %1's %2 reading (X %3, Y %4, Z %5) is not a reading of "
                                  "light")
                .arg(who, patchName(i))
                .arg(m.bigX)
                .arg(m.bigY)
                .arg(m.bigZ);
        xy[i] = chromaticity(m);
    }
    for (int i = 0; i < patchCount; ++i)
        for (int j = i + 1; j < patchCount; ++j)
            if (std::hypot(xy[i].x - xy[j].x, xy[i].y - xy[j].y) < distinctXy)
                return QStringLiteral("the %1 read %2 and %3 as the same colour (x %4, y %5): "
                                      "the display did not change between them")
                    .arg(who, patchName(i), patchName(j))
                    .arg(xy[i].x, 0, 'f', 4)
                    .arg(xy[i].y, 0, 'f', 4);
    // A display's white is a mixture of its primaries: inside their triangle.
    const Xy &w = xy[0], &r = xy[1], &g = xy[2], &b = xy[3];
    const double area = cross(r, g, b);
    const bool inside = area != 0 && cross(r, g, w) / area > 0 && cross(g, b, w) / area > 0 &&
                        cross(b, r, w) / area > 0;
    if (!inside)
        return QStringLiteral("the %1's White (x %2, y %3) is not a mixture of its Red, Green "
                              "and Blue: a reading is wrong")
            .arg(who)
            .arg(w.x, 0, 'f', 4)
            .arg(w.y, 0, 'f', 4);
    return QString();
}

QVector<double> tristimulus(const QVector<Measurement> &set) {
    QVector<double> out;
    for (const Measurement &m : set)
        out << m.bigX << m.bigY << m.bigZ;
    return out;
}

double norm1(const Mat3 &m) {
    double largest = 0;
    for (int c = 0; c < 3; ++c)
        largest = std::max(largest, std::fabs(m[0][c]) + std::fabs(m[1][c]) + std::fabs(m[2][c]));
    return largest;
}

// The 1-norm condition number; infinite for a singular matrix.
double condition(const Mat3 &m) {
    const double det = clmtr::determinant(m);
    if (!std::isfinite(det) || det == 0)
        return INFINITY;
    Mat3 inverse{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            inverse[c][r] = (m[(r + 1) % 3][(c + 1) % 3] * m[(r + 2) % 3][(c + 2) % 3] -
                             m[(r + 1) % 3][(c + 2) % 3] * m[(r + 2) % 3][(c + 1) % 3]) /
                            det;
    return norm1(m) * norm1(inverse);
}

} // namespace

QString patchSetProblem(const QVector<Measurement> &reference, const QVector<Measurement> &measured,
                        bool referenceMeasured) {
    QString why = setProblem(reference, QStringLiteral("reference"));
    if (why.isEmpty())
        why = setProblem(measured, QStringLiteral("colorimeter"));
    if (!why.isEmpty())
        return why;
    for (int i = 0; referenceMeasured && i < patchCount; ++i) {
        const Xy a = chromaticity(reference[i]), b = chromaticity(measured[i]);
        const double ratio = measured[i].bigY / reference[i].bigY;
        if (std::fabs(a.x - b.x) > agreementXy || std::fabs(a.y - b.y) > agreementXy ||
            ratio > agreementYFactor || ratio < 1 / agreementYFactor)
            return QStringLiteral("the instruments disagree on %1 (reference x %2, y %3, Y %4; "
                                  "colorimeter x %5, y %6, Y %7): one reading is wrong")
                .arg(patchName(i))
                .arg(a.x, 0, 'f', 4)
                .arg(a.y, 0, 'f', 4)
                .arg(reference[i].bigY, 0, 'g', 4)
                .arg(b.x, 0, 'f', 4)
                .arg(b.y, 0, 'f', 4)
                .arg(measured[i].bigY, 0, 'g', 4);
    }
    const QVector<double> ref = tristimulus(reference), col = tristimulus(measured);
    const clmtr::ProfileSolution s = clmtr::solveProfile(ref.constData(), col.constData());
    double largest = 0;
    for (const auto &row : s.correction)
        for (double v : row)
            largest = std::isfinite(v) ? std::max(largest, std::fabs(v)) : INFINITY;
    const double cond = condition(s.correction);
    if (s.flags || largest > largestCorrection || cond > largestCondition)
        return QStringLiteral("the correction these readings give is degenerate (largest "
                              "entry %1, condition %2)")
            .arg(largest, 0, 'g', 3)
            .arg(cond, 0, 'g', 3);
    return QString();
}

} // namespace profiles
