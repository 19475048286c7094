#include "darkreading.h"

#include "measurement.h"

bool isBelowResolution(const Measurement &m) {
    return !(m.bigY >= resolvableLuminance) || !(m.bigX + m.bigY + m.bigZ > 0);
}

QString belowResolutionText(bool nits) {
    const double limit = nits ? resolvableLuminance : nitsToFootLamberts(resolvableLuminance);
    return QStringLiteral("<%1 %2")
        .arg(limit, 0, 'g', 1)
        .arg(nits ? QStringLiteral("nits") : QStringLiteral("fL"));
}

QString tooDarkText(bool nits) {
    return QStringLiteral("Too dark to measure: the light is below %1")
        .arg(belowResolutionText(nits).mid(1));
}
