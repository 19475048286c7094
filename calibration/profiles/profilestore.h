#pragma once
// Storing a computed profile into the colorimeter and switching to it, the
// step the profile-saving window and the command line share.

#include <QString>
#include <QVector>

class GenMeasure;

namespace profiles {

// reference and measured: twelve numbers each. black: three values or
// empty; with slot 0 in factory mode it asks for the factory calibration
// record. Returns 0 on success (the instrument then uses the new profile);
// otherwise the library's result, and the instrument stays on the profile
// it had.
int storeProfile(GenMeasure *device, int slot, const QString &name,
                 const QVector<double> &reference, const QVector<double> &measured,
                 const QVector<double> &black, bool factory);

} // namespace profiles
