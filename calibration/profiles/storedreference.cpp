#include "storedreference.h"

#include "profileverify.h"

#include <QSettings>

#include <cmath>

namespace profiles {

namespace {

const char *const gamutModel = "Gamut Color"; // the reference built from a standard

QString colorKey(int index, char channel) {
    return QStringLiteral("ref_%1_%2").arg(index).arg(QLatin1Char(channel));
}

} // namespace

bool StoredReference::complete() const {
    return colors.size() == patchCount;
}

void saveReference(QSettings &settings, const StoredReference &ref) {
    settings.setValue("reftime", ref.time);
    settings.setValue("refmodel", ref.model);
    settings.setValue("refsn", ref.serial);
    settings.setValue("refcalfileid", ref.profileId);
    settings.setValue("refcalfilename", ref.profileName);
    for (int i = 0; i < ref.colors.size() && i < patchCount; ++i) {
        settings.setValue(colorKey(i, 'x'), ref.colors.at(i).bigX);
        settings.setValue(colorKey(i, 'y'), ref.colors.at(i).bigY);
        settings.setValue(colorKey(i, 'z'), ref.colors.at(i).bigZ);
    }
}

StoredReference loadReference(QSettings &settings) {
    StoredReference ref;
    ref.time = settings.value("reftime").toDateTime();
    ref.model = settings.value("refmodel", QString()).toString();
    ref.serial = settings.value("refsn", QString()).toString();
    ref.profileId = settings.value("refcalfileid", QString()).toString();
    ref.profileName = settings.value("refcalfilename", QString()).toString();
    QVector<Measurement> colors;
    for (int i = 0; i < patchCount; ++i) {
        double v[3];
        const char channels[] = {'x', 'y', 'z'};
        for (int c = 0; c < 3; ++c) {
            bool ok = false;
            v[c] = settings.value(colorKey(i, channels[c])).toDouble(&ok);
            if (!ok || !std::isfinite(v[c]) || v[c] < 0)
                return ref;
        }
        colors.append(Measurement::fromXYZ(v[0], v[1], v[2]));
    }
    ref.colors = colors;
    return ref;
}

bool StoredReference::measured() const {
    return model != QLatin1String(gamutModel);
}

StoredReference gamutReference(const GamutSpec &spec, const QString &standardName,
                               const QDateTime &when) {
    StoredReference ref;
    ref.time = when;
    ref.model = QLatin1String(gamutModel);
    ref.profileId = QString::number(spec.standard);
    ref.profileName = standardName;
    ref.colors = {Measurement::fromxyY(spec.whiteX, spec.whiteY, spec.whiteBigY),
                  Measurement::fromxyY(spec.redX, spec.redY, spec.redBigY),
                  Measurement::fromxyY(spec.greenX, spec.greenY, spec.greenBigY),
                  Measurement::fromxyY(spec.blueX, spec.blueY, spec.blueBigY)};
    return ref;
}

} // namespace profiles
