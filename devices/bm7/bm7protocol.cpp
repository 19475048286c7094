#include "bm7protocol.h"

#include <cmath>

namespace bm7 {

quint32 parseReading(const QString &reply, double xyz[3]) {
    if (reply.left(2) != QLatin1String("TS"))
        return 0x2;
    const int columns[3] = {xColumn, yColumn, zColumn};
    const bool footLamberts = reply.size() > unitColumn && reply.at(unitColumn) == QLatin1Char('F');
    double v[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        v[i] = reply.mid(columns[i], valueWidth).toDouble(&ok);
        if (!ok || !std::isfinite(v[i]))
            return 0x8;
        if (footLamberts)
            v[i] *= footLambertFactor;
    }
    for (int i = 0; i < 3; ++i)
        xyz[i] = v[i];
    return 0;
}

} // namespace bm7
