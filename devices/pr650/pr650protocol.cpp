#include "pr650protocol.h"

#include <QStringList>

#include <cmath>

namespace pr650 {

namespace {
// A status or quality code: one to five digits.
bool statusValue(const QString &field, int *value) {
    if (field.isEmpty() || field.size() > 5)
        return false;
    for (const QChar c : field) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    *value = field.toInt();
    return true;
}

// The text of an identity reply: plain, or after a status that says all is
// well; empty after any other status.
QString identityText(const QString &reply) {
    const QString t = reply.trimmed();
    int status = 0;
    if (t.contains(QLatin1Char(',')) &&
        statusValue(t.section(QLatin1Char(','), 0, 0).trimmed(), &status))
        return status == 0 ? t.section(QLatin1Char(','), 1).trimmed() : QString();
    return t;
}

bool printableWithoutComma(const QString &s) {
    for (const QChar c : s) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e || c == QLatin1Char(','))
            return false;
    }
    return !s.isEmpty();
}
} // namespace

bool isOk(const QString &reply) {
    return reply.left(2) == QLatin1String("00");
}

QString text(const QString &reply) {
    return reply.trimmed();
}

QString serialNumber(const QString &reply) {
    const QString s = identityText(reply);
    return printableWithoutComma(s) ? s : QString();
}

QString model(const QString &reply) {
    const QString m = identityText(reply);
    return printableWithoutComma(m) && m.startsWith(QLatin1String("PR")) ? m : QString();
}

Reading parseXYZ(const QString &reply, double xyz[3]) {
    const QStringList f = reply.split(QLatin1Char(','));
    int quality = -1;
    if (f.size() != 5 || !statusValue(f.at(0).trimmed(), &quality))
        return Reading::Unusable;
    if (quality != 0 && quality != lowLightCode)
        return Reading::Unusable;
    double v[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        v[i] = f.at(i + 2).trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(v[i]))
            return Reading::Unusable;
    }
    for (int i = 0; i < 3; ++i)
        xyz[i] = v[i];
    return quality == lowLightCode ? Reading::LowLight : Reading::Usable;
}

} // namespace pr650
