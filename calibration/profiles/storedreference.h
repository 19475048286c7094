#pragma once
// The reference reading of White, Red, Green and Blue kept in the settings
// across restarts, with the identity of the instrument that took it; or the
// same four built from a gamut standard.

#include "gamutspec.h"
#include "measurement.h"

#include <QDateTime>
#include <QString>
#include <QVector>

class QSettings;

namespace profiles {

struct StoredReference {
    QDateTime time;
    QString model, serial;
    QString profileId, profileName;
    QVector<Measurement> colors; // White, Red, Green, Blue; empty when none
    bool complete() const;
    // Read by an instrument, not built from a gamut standard.
    bool measured() const;
};

void saveReference(QSettings &settings, const StoredReference &ref);
// Incomplete (no colours) when any of the twelve values is missing, not a
// number, or negative: a damaged settings file never becomes a reference.
StoredReference loadReference(QSettings &settings);

// White from the standard's white point and luminance, the primaries from
// their chromaticities and luminances; model "Gamut Color".
StoredReference gamutReference(const GamutSpec &spec, const QString &standardName,
                               const QDateTime &when);

} // namespace profiles
