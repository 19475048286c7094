#pragma once
// The text of the flicker tool's files, line by line without line ends: the
// peak, flash and signal logs (header, one entry per record or flash, the
// flash summary) and "Save Flicker" of a single record. Numbers in the
// general format with six significant digits.

#include <QByteArrayList>
#include <QDateTime>

#include <cstdint>

struct Flicker;
struct Flash;
struct FlashStats;

enum class FlickerLogKind { Peaks = 0, Flashes = 1, Signal = 2 };
constexpr int flickerLogKindCount = 3;

QByteArray flickerNumber(double value);

QByteArrayList peakLogHeader();
// The date and time, the three percent peaks (Hz, value), the three decibel
// peaks, Y and the error code.
QByteArray peakLogLine(const Flicker &record, const QDateTime &when);

QByteArrayList flashLogHeader();
QByteArray flashLogLine(const Flash &flash, uint32_t errorCode);
QByteArrayList flashLogSummary(const FlashStats &positive, const FlashStats &negative);

QByteArrayList signalLogHeader(const QDateTime &start);
// One line per sample newer than *lastTime, which moves to the newest.
QByteArrayList signalLogLines(const Flicker &record, double *lastTime);

QByteArray saveFlickerText(const Flicker &record, const QDateTime &when);
