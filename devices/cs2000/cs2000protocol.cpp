#include "cs2000protocol.h"

#include <cmath>

namespace cs2000 {

namespace {
QString twoDigits(int channel) {
    return QStringLiteral("%1").arg(channel, 2, 10, QLatin1Char('0'));
}

bool doubleField(const QStringList &f, int index, double *out) {
    if (index >= f.size())
        return false;
    bool ok = false;
    const double v = f.at(index).toDouble(&ok);
    ok = ok && std::isfinite(v);
    if (ok)
        *out = v;
    return ok;
}
} // namespace

QString channelNameCommand(int channel) {
    return QStringLiteral("UCPR,2,") + twoDigits(channel);
}

QString selectChannelCommand(int channel) {
    return QStringLiteral("UCCS,") + twoDigits(channel);
}

QStringList fields(const QString &reply) {
    QStringList out = reply.split(QLatin1Char(','));
    for (QString &f : out)
        f = f.trimmed();
    return out;
}

bool isOk(const QString &reply) {
    return reply.left(2) == QLatin1String("OK");
}

bool isBlankChannel(const QString &reply) {
    return reply.left(4) == QLatin1String("ER05");
}

bool intField(const QString &reply, int index, int *out) {
    const QStringList f = fields(reply);
    if (index >= f.size())
        return false;
    bool ok = false;
    const int v = f.at(index).toInt(&ok);
    if (ok)
        *out = v;
    return ok;
}

bool parseIdentity(const QString &reply, Identity *out) {
    const QStringList f = fields(reply);
    if (!isOk(reply) || f.size() < 4)
        return false;
    out->model = f.at(1);
    out->serialNumber = f.at(3);
    return true;
}

bool parseXYZ(const QString &reply, double xyz[3]) {
    if (!isOk(reply))
        return false;
    const QStringList f = fields(reply);
    double v[3];
    for (int i = 0; i < 3; ++i) {
        if (!doubleField(f, i + 1, &v[i]))
            return false;
    }
    for (int i = 0; i < 3; ++i)
        xyz[i] = v[i];
    return true;
}

int storeSpectralBlock(const QString &reply, const SpectralBlock &block, QList<double> &spectrum) {
    const QStringList f = fields(reply);
    int stored = 0;
    for (int i = 0; i < block.count; ++i) {
        const int nm = block.firstNm + i;
        double v = 0;
        if (nm < 0 || nm >= spectrum.size() || !doubleField(f, i + 1, &v))
            continue;
        spectrum[nm] = v;
        ++stored;
    }
    return stored;
}

} // namespace cs2000
