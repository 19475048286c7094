#include "readouts.h"

#include "appsettings.h"

#include <QtGlobal>

#include <cmath>

QStringList chartNames() {
    return {QStringLiteral("CIE1931 (xy)"),   QStringLiteral("CIE1976 (u'v')"),
            QStringLiteral("Magnified (xy)"), QStringLiteral("Magnified (u'v')"),
            QStringLiteral("RGB Bars"),       QStringLiteral("Hue and Saturation")};
}

namespace {

const ReadoutSet sets[readoutSetCount] = {
    {{"x", "y", "Y"}, {"x", "y", "Y"}, "-x.xxxx nits", int(ChartKind::CIE1931)},
    {{"X", "Y", "Z"}, {"X", "Y", "Z"}, "-x.xxxx nits", int(ChartKind::CIE1931)},
    {{"R%", "G%", "B%"}, {"R%", "G%", "B%"}, "x.xx %", int(ChartKind::Bars)},
    {{"u'", "v'", "Y"}, {"u'", "v'", "Y"}, "-x.xxxx nits", int(ChartKind::CIE1976)},
    {{"Temp", "duv", "Y"}, {"T", "d", "Y"}, "-x.xxxx nits", int(ChartKind::CIE1931)},
    {{"nm", "du'v'", "Y"}, {"nm", "d'", "Y"}, "-x.xxxx nits", int(ChartKind::CIE1976)},
    {{"L*", "a*", "b*"}, {"L*", "a*", "b*"}, "-x.xxxx", -1},
    {{"L*", "C*", "h*"}, {"L*", "C*", "h*"}, "x.xxx", -1},
    {{"Hue", "Saturation", "Value"}, {"H", "S", "V"}, "xx.xx", int(ChartKind::HueSat)},
    {{QString::fromUtf8("ΔE76"), QString::fromUtf8("ΔE94"), QString::fromUtf8("ΔE00")},
     {QString::fromUtf8("ΔE76"), QString::fromUtf8("ΔE94"), QString::fromUtf8("ΔE00")},
     "xx.xx",
     -1},
};

QString kelvin(double t) {
    return QString::number(t, 'f', 0) + QStringLiteral(" K");
}

// 100 plus the difference, as the RGB set shows it.
QString balance(double value, double target) {
    return QString::number(value - target + 100.0, 'f', 2) + QStringLiteral(" %");
}

// Hue and saturation are -1 where they are undefined (a grey has no hue,
// black has neither); a number there would look like a measured angle.
QString defined(double v) {
    return v < 0 ? QString::fromLatin1(noValue) : formatSigFigs(v);
}

} // namespace

const ReadoutSet &readoutSet(int index) {
    return sets[qBound(0, index, readoutSetCount - 1)];
}

QString readoutComboText(int index) {
    const QStringList &l = readoutSet(index).longLabels;
    return QStringLiteral("%1, %2, %3").arg(l.at(0), l.at(1), l.at(2));
}

bool isUnstableReading(const Measurement &m) {
    // Bits that never matter (no dominant wavelength, CCT out of range) may
    // ride along with the unstable bit; the reading is unstable all the same.
    return (m.errorCode & ErrorBits::Unstable) != 0;
}

Measurement deltaEReference(const GamutSpec &deviceSpec) {
    return Measurement::fromxyY(deviceSpec.whiteX, deviceSpec.whiteY, deviceSpec.whiteBigY,
                                GamutSpec::standardSpec(2, 100.0));
}

ReadoutTexts formatReadouts(const Measurement &m, int index, const ReadoutContext &context) {
    ReadoutTexts out;
    const QString none = QString::fromLatin1(noValue);
    const bool unstable = isUnstableReading(m);
    // In the dark the low-light average never settles either; that the
    // light is below the limit is the more useful thing to say.
    if (isBelowResolution(m)) {
        // Only the luminance means something: that it is below the limit.
        out.temperature = none;
        out.duv = none;
        const QString dark = context.luxProfile ? QStringLiteral("<%1 Lux").arg(resolvableLuminance)
                                                : belowResolutionText(context.nits);
        switch (qBound(0, index, readoutSetCount - 1)) {
        case ReadXyY:
        case ReadUvY:
        case ReadTempDuvY:
        case ReadNmDuvY:
            out.value = {none, none, dark};
            break;
        case ReadXYZ:
            out.value = {none, dark, none};
            break;
        default:
            out.value = {none, none, none};
            break;
        }
        return out;
    }

    if (m.temp == 0 || unstable) {
        out.temperature = none;
        out.duv = none;
    } else {
        out.temperature = kelvin(m.temp);
        out.duv = QString::number(m.tempDuv, 'f', 4);
    }
    if (unstable) {
        out.value = {none, none, none};
        return out;
    }

    // An illuminance profile reads lux, which has no foot-lambert form.
    const bool convert = !context.luxProfile && !context.nits;
    const QString unit = context.luxProfile ? QStringLiteral(" Lux")
                         : context.nits     ? QStringLiteral(" nits")
                                            : QStringLiteral(" fL");
    auto lum = [&](double v) { return formatSigFigs(convert ? nitsToFootLamberts(v) : v) + unit; };

    switch (qBound(0, index, readoutSetCount - 1)) {
    case ReadXyY:
        out.value = {formatSigFigs(m.x), formatSigFigs(m.y), lum(m.bigY)};
        break;
    case ReadXYZ:
        out.value = {lum(m.bigX), lum(m.bigY), lum(m.bigZ)};
        break;
    case ReadRgb:
        out.value = {balance(m.redPercent, context.target.percent[0]),
                     balance(m.greenPercent, context.target.percent[1]),
                     balance(m.bluePercent, context.target.percent[2])};
        break;
    case ReadUvY:
        out.value = {formatSigFigs(m.uPrime), formatSigFigs(m.vPrime), lum(m.bigY)};
        break;
    case ReadTempDuvY:
        out.value = {m.temp == 0 ? none : kelvin(m.temp),
                     m.temp == 0 ? none : formatSigFigs(m.tempDuv), lum(m.bigY)};
        break;
    case ReadNmDuvY:
        out.value = {m.nm == 0 ? none : formatSigFigs(m.nm),
                     m.nm == 0 ? none : formatSigFigs(m.nmDuv), lum(m.bigY)};
        break;
    case ReadLab:
        out.value = {formatSigFigs(m.labL), formatSigFigs(m.labA), formatSigFigs(m.labB)};
        break;
    case ReadLch:
        out.value = {formatSigFigs(m.labL), formatSigFigs(m.labC), formatSigFigs(m.labH)};
        break;
    case ReadHsv:
        out.value = {defined(m.hue), defined(m.saturation), formatSigFigs(m.value)};
        break;
    case ReadDeltaE: {
        const Measurement ref = deltaEReference(context.deviceSpec);
        out.value = {formatSigFigs(m.deltaE76(ref)), formatSigFigs(m.deltaE94(ref)),
                     formatSigFigs(m.deltaE2000(ref))};
        break;
    }
    }
    return out;
}

double hueArcBar(double hue, double targetHue, double targetSaturation) {
    // Without a hue on either side there is no angle to show.
    if (hue < 0 || targetHue < 0)
        return 100.0;
    const double h = hue, th = targetHue;
    bool negative;
    if (th < 180)
        negative = h > th + 180 || h < th;
    else
        negative = std::fmod(th + 180, 360.0) < h && h < th;
    const double sign = negative ? -1.0 : 1.0;
    // The sign says which way round the reading lies; the size is the short
    // way between the hues. (h - th) itself would carry a second sign and
    // turn 20 degrees across 0 into 340.
    const double apart = std::fabs(h - th);
    const double shortest = apart > 180.0 ? 360.0 - apart : apart;
    return 100.0 + (shortest / 360.0) * targetSaturation * 2.0 * M_PI * sign;
}

std::array<double, 3> barValues(const Measurement &m, int index, const ReadoutTarget &target) {
    if (isUnstableReading(m))
        return {100.0, 100.0, 100.0};
    if (index == ReadHsv) {
        const Measurement &t = target.measurement;
        return {hueArcBar(m.hue, t.hue, t.saturation), 100.0 + m.saturation - t.saturation,
                100.0 + m.value - t.value};
    }
    return {100.0 + m.redPercent - target.percent[0], 100.0 + m.greenPercent - target.percent[1],
            100.0 + m.bluePercent - target.percent[2]};
}

uint32_t remainingErrors(uint32_t code, bool ignoreAimingLight, bool ignoreRangeCal) {
    code &= ~(ErrorBits::NoDominantWavelength | ErrorBits::CctOutOfRange |
              ErrorBits::FlickerBufferNotFilled | ErrorBits::FlickerRangeChanged |
              ErrorBits::FlickerOverSaturated);
    if (ignoreAimingLight)
        code &= ~ErrorBits::AimingLights;
    if (ignoreRangeCal)
        code &= ~(ErrorBits::StatusU | ErrorBits::StatusV | ErrorBits::StatusW);
    return code;
}

bool isAcceptedErrorCode(uint32_t remaining) {
    return (remaining & ~ErrorBits::Unstable) == 0;
}

QString measurementErrorText(uint32_t remaining) {
    constexpr uint32_t rangeBits = ErrorBits::StatusU | ErrorBits::StatusV | ErrorBits::StatusW;
    constexpr uint32_t lostBits = ErrorBits::PortLost | ErrorBits::Timeout | ErrorBits::Internal;
    QString text;
    if (remaining & ErrorBits::AimingLights)
        text += QStringLiteral("The Aiming lights are on.\n");
    if (remaining & rangeBits)
        text += QStringLiteral("There was an error from the Torva device due to the Range "
                               "switching with the measurement.\n");
    if (remaining & ErrorBits::FlickerBadPacket)
        text += QStringLiteral("The Flicker string from the Torva device was bad.\n");
    if (remaining & lostBits)
        text += QStringLiteral("The Torva device has been unplugged\n");
    if (remaining & ErrorBits::BadReply)
        text += QStringLiteral("The reply from the Torva device was damaged (communication "
                               "error).\n");
    const uint32_t rest =
        remaining & ~(ErrorBits::AimingLights | rangeBits | ErrorBits::FlickerBadPacket | lostBits |
                      ErrorBits::BadReply);
    if (rest)
        text +=
            QStringLiteral("There was an error with the measurement. Error code: %1\n").arg(rest);
    return text;
}

QString lowLightAveragingText(int avgCount) {
    return QStringLiteral("Low light averaging %1 samples").arg(avgCount);
}

QString lowLightUnstableText(int avgCount) {
    const int dots = ((avgCount % 4) + 4) % 4;
    return QStringLiteral("Low light average unstable") + QString(dots, QLatin1Char('.'));
}
