#pragma once
// A scanned spectrum as the spectral scan tool uses it: the values from 380
// to 780 nm, why a scan cannot be used, and the CSV the user saves.

#include <QDateTime>
#include <QList>
#include <QString>

namespace spectrum {

constexpr int firstNm = 380, lastNm = 780;
constexpr int points = lastNm - firstNm + 1; // 401

// Why a spectrum cannot be shown, from the device's error bits and the
// values it returned; empty when it is usable.
QString problem(const QList<double> &values, quint32 errorCode);
// The largest energy from 380 to 780 nm, 0 when none is positive.
double peak(const QList<double> &values);
// The saved file: the time, a blank line, the header and 401 lines.
QString csv(const QList<double> &values, const QDateTime &when);

} // namespace spectrum
