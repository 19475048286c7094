#include "cs2000protocol.h"

#include <cmath>
#include <limits>

namespace cs2000 {

namespace {
QString twoDigits(int channel) {
    return QStringLiteral("%1").arg(channel, 2, 10, QLatin1Char('0'));
}

bool allDigits(const QString &s, int maxLength) {
    if (s.isEmpty() || s.size() > maxLength)
        return false;
    for (const QChar c : s) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

enum class Value { Number, CalculationError, Bad };

Value numberField(const QStringList &f, int index, double *out) {
    if (index >= f.size())
        return Value::Bad;
    bool ok = false;
    const double v = f.at(index).toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return Value::Bad;
    if (v == calculationError)
        return Value::CalculationError;
    *out = v;
    return Value::Number;
}

struct Meaning {
    int code;
    const char *text;
};
// The error-check codes, in our own words.
const Meaning meanings[] = {
    {0, "it did not accept the command"},
    {2, "it is still measuring"},
    {5, "there are no calibration values for that channel"},
    {10, "over its measuring range: the light is too bright for this measurement mode, or "
         "flickers too much"},
    {17, "a setting was out of its range"},
    {20, "it holds no measurement"},
    {30, "its internal memory failed"},
    {32, "its internal memory failed"},
    {34, "its internal memory failed"},
    {51, "its sensor is too warm (ambient temperature too high)"},
    {52, "its sensor is too warm (ambient temperature too high)"},
    {71, "no usable sync signal: external sync needs a vertical sync between 20 and 200 Hz"},
    {81, "its shutter failed"},
    {82, "its internal ND filter failed"},
    {83, "the measuring-angle selector is not in place, or was moved while measuring"},
    {84, "its cooling fan failed"},
    {99, "an internal program error"},
};
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

int errorCode(const QString &reply) {
    const QString status = reply.section(QLatin1Char(','), 0, 0);
    if (status.size() != 4 || !status.startsWith(QLatin1String("ER")) ||
        !allDigits(status.mid(2), 2))
        return -1;
    return status.mid(2).toInt();
}

bool isBlankChannel(const QString &reply) {
    return reply.left(4) == QLatin1String("ER05");
}

QString errorMeaning(int code) {
    for (const Meaning &m : meanings) {
        if (m.code == code)
            return QString::fromLatin1(m.text);
    }
    return QStringLiteral("an error the driver does not know");
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
    if (!isOk(reply) || f.size() < 4 || f.at(1).isEmpty() || f.at(3).isEmpty())
        return false;
    out->model = f.at(1);
    out->serialNumber = f.at(3);
    return true;
}

bool parseMeasuringTime(const QString &reply, int *seconds) {
    const QStringList f = fields(reply);
    if (!isOk(reply) || f.size() != 2 || !allDigits(f.at(1), 3))
        return false;
    const int s = f.at(1).toInt();
    if (s > longestMeasuringSeconds)
        return false;
    *seconds = s;
    return true;
}

QString syncCommand(const Sync &sync) {
    if (sync.mode != 1)
        return QStringLiteral("SCMS,%1").arg(sync.mode);
    return QStringLiteral("SCMS,1,%1").arg(sync.centiHz, 5, 10, QLatin1Char('0'));
}

bool parseSync(const QString &reply, Sync *out) {
    const QStringList f = fields(reply);
    if (!isOk(reply) || f.size() < 2 || !allDigits(f.at(1), 1))
        return false;
    Sync s;
    s.mode = f.at(1).toInt();
    if (s.mode == 1) {
        if (f.size() != 3 || !allDigits(f.at(2), 5))
            return false;
        s.centiHz = f.at(2).toInt();
    } else if (f.size() != 2) {
        return false;
    }
    if (!s.valid())
        return false;
    *out = s;
    return true;
}

Reading parseXYZ(const QString &reply, double xyz[3]) {
    if (!isOk(reply))
        return Reading::Unusable;
    const QStringList f = fields(reply);
    if (f.size() != 4)
        return Reading::Unusable;
    double v[3];
    bool calculationFailed = false;
    for (int i = 0; i < 3; ++i) {
        const Value got = numberField(f, i + 1, &v[i]);
        if (got == Value::Bad)
            return Reading::Unusable;
        calculationFailed |= got == Value::CalculationError;
    }
    if (calculationFailed)
        return Reading::CalculationError;
    for (int i = 0; i < 3; ++i)
        xyz[i] = v[i];
    return Reading::Usable;
}

BlockResult storeSpectralBlock(const QString &reply, const SpectralBlock &block,
                               QList<double> &spectrum) {
    BlockResult r;
    const QStringList f = fields(reply);
    if (!isOk(reply) || f.size() > block.count + 1)
        return r; // not this block
    for (int i = 0; i < block.count; ++i) {
        const int nm = block.firstNm + i;
        if (nm < 0 || nm >= spectrum.size())
            continue;
        double v = 0;
        switch (numberField(f, i + 1, &v)) {
        case Value::Number:
            spectrum[nm] = v;
            ++r.stored;
            break;
        case Value::CalculationError:
            spectrum[nm] = std::numeric_limits<double>::quiet_NaN();
            ++r.calculationErrors;
            break;
        case Value::Bad:
            break;
        }
    }
    return r;
}

} // namespace cs2000
