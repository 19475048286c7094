#pragma once
// The BM-7's wire format as plain functions over text: the one measurement
// command and its fixed-column reply. No I/O.

#include <QString>
#include <QtGlobal>

namespace bm7 {

constexpr const char *measureCommand = "RA TS ST";
constexpr int measureMinLength = 79;
constexpr int measureTimeoutSeconds = 4; // s

// Columns of the reply, counted from 0.
constexpr int unitColumn = 13; // 'F': values in foot-lamberts
constexpr int valueWidth = 10;
constexpr int xColumn = 43, yColumn = 57, zColumn = 70;
// This instrument's conversion from foot-lamberts to cd/m².
constexpr double footLambertFactor = 3.4263;

// X, Y, Z in cd/m² from a reply to "RA TS ST". Returns 0, or errorCode bits:
// 0x2 when the reply lacks the "TS" header (no answer), 0x8 when a value
// does not read as a number; xyz is left alone then.
quint32 parseReading(const QString &reply, double xyz[3]);

} // namespace bm7
