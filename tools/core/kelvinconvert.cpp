#include "kelvinconvert.h"

#include "appsettings.h"
#include "locus.h"

#include <QCryptographicHash>
#include <QLocale>

#include <cmath>

namespace {

constexpr uint32_t acceptedBits = ErrorBits::NoDominantWavelength | ErrorBits::CctOutOfRange;

const char *const unitWords[] = {"nits", "fL", "cd/m²", "cd/m2", "K", "nm", "%"};

// A number, optionally followed by a unit word; nothing else.
bool parseNumber(QString text, double *out) {
    text = text.trimmed();
    for (const char *unit : unitWords) {
        const QString u = QString::fromUtf8(unit);
        if (text.endsWith(u, Qt::CaseInsensitive) && text.size() > u.size()) {
            text.chop(u.size());
            text = text.trimmed();
            break;
        }
    }
    bool ok = false;
    const double v = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(v))
        return false;
    *out = v;
    return true;
}

QString fieldName(KelvinNotation n, int i) {
    static const char *const names[][3] = {
        {"x", "y", "Y"}, {"Deg K", "d uv", "Y"}, {"u'", "v'", "Y"}, {"nm", "d u'v'", "Y"},
        {"R", "G", "B"}, {"X", "Y", "Z"},        {"H", "S", "V"},   {"L*", "a*", "b*"}};
    return QString::fromUtf8(names[static_cast<int>(n)][i]);
}

// Which of the three fields carry luminance in the display unit.
bool isLuminance(KelvinNotation n, int i) {
    switch (n) {
    case KelvinNotation::xyY:
    case KelvinNotation::Temperature:
    case KelvinNotation::UpVp:
    case KelvinNotation::Wavelength:
        return i == 2;
    case KelvinNotation::XYZ:
        return true;
    default:
        return false;
    }
}

QString keyRange(const LocusTable &t, const char *unit) {
    return QStringLiteral("between %1 %3 and %2 %3")
        .arg(t.rows[0][LocusKey], 0, 'g', 10)
        .arg(t.rows[t.count - 1][LocusKey], 0, 'g', 10)
        .arg(QLatin1String(unit));
}

// The notation's own rule; an empty text when the values may be converted.
QString ruleBroken(KelvinNotation n, const std::array<double, 3> &v) {
    LocusPoint p;
    switch (n) {
    case KelvinNotation::xyY:
        if (v[0] < 0 || v[1] <= 0)
            return QStringLiteral("x must not be negative and y must be greater than 0.");
        if (v[0] + v[1] > 1)
            return QStringLiteral("x + y must not be more than 1.");
        break;
    case KelvinNotation::Temperature:
        if (!locusLookup(v[0], planckianTable, &p))
            return QStringLiteral("The temperature must lie ") + keyRange(planckianTable, "K") +
                   QLatin1Char('.');
        break;
    case KelvinNotation::UpVp:
        if (v[0] < 0 || v[1] <= 0)
            return QStringLiteral("u' must not be negative and v' must be greater than 0.");
        break;
    case KelvinNotation::Wavelength:
        if (!locusLookup(v[0], spectrumLocusTable, &p))
            return QStringLiteral("The wavelength must lie ") + keyRange(spectrumLocusTable, "nm") +
                   QLatin1Char('.');
        break;
    case KelvinNotation::RGB:
        if (v[0] < 0 || v[1] < 0 || v[2] < 0)
            return QStringLiteral("R, G and B must not be negative.");
        break;
    case KelvinNotation::XYZ:
        if (v[0] < 0 || v[1] < 0 || v[2] < 0)
            return QStringLiteral("X, Y and Z must not be negative.");
        break;
    case KelvinNotation::HSV:
        if (v[0] < 0 || v[0] >= 360)
            return QStringLiteral("H must be at least 0 and less than 360.");
        if (v[1] <= 0 || v[2] <= 0)
            return QStringLiteral("S and V must be greater than 0.");
        break;
    case KelvinNotation::Lab:
        break;
    }
    if ((n == KelvinNotation::xyY || n == KelvinNotation::Temperature ||
         n == KelvinNotation::UpVp || n == KelvinNotation::Wavelength) &&
        v[2] < 0)
        return QStringLiteral("Y must not be negative.");
    return QString();
}

Measurement convert(KelvinNotation n, const std::array<double, 3> &v, const GamutSpec &spec) {
    switch (n) {
    case KelvinNotation::xyY:
        return Measurement::fromxyY(v[0], v[1], v[2], spec);
    case KelvinNotation::Temperature:
        return Measurement::fromCCT(v[0], v[1], v[2], spec);
    case KelvinNotation::UpVp:
        return Measurement::fromUpVp(v[0], v[1], v[2], spec);
    case KelvinNotation::Wavelength:
        return Measurement::fromWavelength(v[0], v[1], v[2], spec);
    case KelvinNotation::RGB:
        return Measurement::fromRGB(v[0], v[1], v[2], spec);
    case KelvinNotation::XYZ:
        return Measurement::fromXYZ(v[0], v[1], v[2], spec);
    case KelvinNotation::HSV:
        return Measurement::fromHSV(v[0], v[1], v[2], spec);
    case KelvinNotation::Lab:
        return Measurement::fromLab(v[0], v[1], v[2], spec);
    }
    return Measurement();
}

QString number(double v) {
    return QString::number(v, 'g', 6);
}

} // namespace

std::array<KelvinField, 3> notationFields(KelvinNotation n) {
    switch (n) {
    case KelvinNotation::xyY:
        return {Fieldx, Fieldy, FieldYxy};
    case KelvinNotation::Temperature:
        return {FieldK, FieldKduv, FieldYK};
    case KelvinNotation::UpVp:
        return {FieldUp, FieldVp, FieldYuv};
    case KelvinNotation::Wavelength:
        return {FieldNm, FieldNmduv, FieldYnm};
    case KelvinNotation::RGB:
        return {FieldR, FieldG, FieldB};
    case KelvinNotation::XYZ:
        return {FieldX, FieldYxyz, FieldZ};
    case KelvinNotation::HSV:
        return {FieldH, FieldS, FieldV};
    case KelvinNotation::Lab:
        return {FieldL, FieldA, FieldLabB};
    }
    return {FieldX, FieldYxyz, FieldZ};
}

KelvinEntry convertKelvinEntry(KelvinNotation notation, const QStringList &fields, bool nits,
                               const GamutSpec &spec) {
    KelvinEntry entry;
    std::array<double, 3> v{};
    for (int i = 0; i < 3; ++i) {
        if (!parseNumber(fields.value(i), &v[i])) {
            entry.reason = QStringLiteral("%1 is not a number.").arg(fieldName(notation, i));
            return entry;
        }
        if (isLuminance(notation, i) && !nits)
            v[i] = footLambertsToNits(v[i]);
    }
    entry.reason = ruleBroken(notation, v);
    if (!entry.reason.isEmpty())
        return entry;
    entry.m = convert(notation, v, spec);
    const uint32_t left = entry.m.errorCode & ~acceptedBits;
    if (left) {
        entry.reason = left & ErrorBits::NegativeInput
                           ? QStringLiteral("The colour lies outside what can be measured: a "
                                            "tristimulus value would be negative.")
                           : QStringLiteral("The conversion failed (error code %1).").arg(left);
        return entry;
    }
    entry.ok = true;
    return entry;
}

std::array<QString, kelvinFieldCount> kelvinTexts(const Measurement &m, bool nits) {
    const QString unit = QLatin1Char(' ') + (nits ? QStringLiteral("nits") : QStringLiteral("fL"));
    auto lum = [&](double v) { return number(nits ? v : nitsToFootLamberts(v)) + unit; };
    const QString bigY = lum(m.bigY);
    return {lum(m.bigX), bigY, lum(m.bigZ), number(m.x), number(m.y), bigY, number(m.uPrime),
            number(m.vPrime), bigY, number(m.temp), number(m.tempDuv), bigY, number(m.nm),
            number(m.nmDuv), bigY, number(m.redPercent), number(m.greenPercent),
            number(m.bluePercent),
            // A grey has no hue: -1 there is no angle.
            m.hue < 0 ? QStringLiteral("--") : number(m.hue), number(m.saturation), number(m.value),
            number(m.labL), number(m.labA), number(m.labB), number(m.labL), number(m.labC),
            number(m.labH)};
}

HiddenWord hiddenWord(const QString &text) {
    if (text == QLatin1String("0x"))
        return HiddenWord::Clear;
    const QByteArray digest =
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5).toHex();
    if (digest == factoryModeDigest)
        return HiddenWord::Factory;
    if (digest == betaModeDigest)
        return HiddenWord::Beta;
    return HiddenWord::None;
}

void applyHiddenWord(HiddenWord word, const QString &text) {
    const QString digest = QString::fromLatin1(
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5).toHex());
    switch (word) {
    case HiddenWord::Factory:
        appSettings().setValue("factorymode", digest);
        break;
    case HiddenWord::Beta:
        appSettings().setValue("betamode", digest);
        break;
    case HiddenWord::Clear:
        appSettings().remove("factorymode");
        appSettings().remove("betamode");
        break;
    case HiddenWord::None:
        break;
    }
}
