#include "pr650protocol.h"

#include <QStringList>

#include <cmath>

namespace pr650 {

bool isOk(const QString &reply) {
    return reply.left(2) == QLatin1String("00");
}

QString text(const QString &reply) {
    return reply.trimmed();
}

bool parseXYZ(const QString &reply, double xyz[3]) {
    if (!isOk(reply))
        return false;
    const QStringList f = reply.split(QLatin1Char(','));
    if (f.size() < 5)
        return false;
    double v[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        v[i] = f.at(i + 2).trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(v[i]))
            return false;
    }
    for (int i = 0; i < 3; ++i)
        xyz[i] = v[i];
    return true;
}

} // namespace pr650
