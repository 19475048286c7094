#include "profileverify.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace profiles {

const QStringList &patchNames() {
    static const QStringList names = {QStringLiteral("White"), QStringLiteral("Red"),
                                      QStringLiteral("Green"), QStringLiteral("Blue")};
    return names;
}

PatchError patchError(const Measurement &reference, const Measurement &post) {
    PatchError e;
    e.x = std::fabs(post.x - reference.x);
    e.y = std::fabs(post.y - reference.y);
    e.yPercent = reference.bigY > 0 ? std::fabs(post.bigY - reference.bigY) * 100 / reference.bigY
                                    : std::numeric_limits<double>::infinity();
    // Written as "below the limit" so that NaN fails.
    e.xPass = e.x < xyTolerance;
    e.yPass = e.y < xyTolerance;
    e.bigYPass = e.yPercent < yTolerancePercent;
    return e;
}

Verdict verifyProfile(const QVector<Measurement> &reference, const QVector<Measurement> &post) {
    Verdict v;
    if (reference.size() < patchCount || post.size() < patchCount) {
        v.maxXyError = v.maxYErrorPercent = std::numeric_limits<double>::infinity();
        return v;
    }
    bool finite = true;
    for (int c = 0; c < patchCount; ++c) {
        const PatchError e = patchError(reference.at(c), post.at(c));
        const double xy = std::max(e.x, e.y);
        finite = finite && std::isfinite(xy) && std::isfinite(e.yPercent);
        v.maxXyError = std::max(v.maxXyError, xy);
        v.maxYErrorPercent = std::max(v.maxYErrorPercent, e.yPercent);
    }
    v.pass = finite && v.maxXyError < xyTolerance && v.maxYErrorPercent < yTolerancePercent;
    v.nearMiss =
        !v.pass && finite && v.maxXyError < nearMissXy && v.maxYErrorPercent < yTolerancePercent;
    return v;
}

QString verdictText(const Verdict &v) {
    return v.pass ? QStringLiteral("PASS") : QStringLiteral("NOT SO GOOD, past 0.001 or 2% limit");
}

QString verdictSummary(const Verdict &v) {
    return QStringLiteral("Max xy Err: %1, Max Y% Err: %2 %3")
        .arg(v.maxXyError, 0, 'f', 4)
        .arg(v.maxYErrorPercent, 0, 'f', 4)
        .arg(verdictText(v));
}

QString verdictMessage(const Verdict &v) {
    if (v.pass)
        return QString();
    if (v.nearMiss)
        return QStringLiteral("Calibration verification was off. Measured error exceeds "
                              "acceptable tolerances, but not by much. Please try again.\n");
    return QStringLiteral(
        "Calibration verification failed. Measured error exceeds acceptable tolerances.\n");
}

} // namespace profiles
