#pragma once
// Judging one patch's measurement: the spread between the smallest and the
// largest reading of each channel, which error bits matter, the text that
// describes them, and the choice the operator is offered.

#include "measurement.h"

#include <QColor>
#include <QList>
#include <QString>

#include <cstdint>

namespace patchcheck {

// The operator's answer to a problem; the values are the ones kept as the
// run's last answer.
enum Answer { NoAnswer = 0, Abort = 0x40000, Retry = 0x80000, Ignore = 0x100000 };

// Bits that never stop a patch: no dominant wavelength, CCT out of range,
// the averaging's own instability flag and flicker-only states.
constexpr uint32_t ignoredBits = 0x10 | 0x20 | 0x80 | 0x800000 | 0x1000000 | 0x8000000;
// A channel whose largest reading is at or below this is too dark for its
// spread to mean anything.
constexpr double darkLimit = 5.0;
constexpr double spreadLimitPercent = 1.5;

struct Spread {
    double x = 0, y = 0, z = 0; // percent of the channel's largest reading
};

// |max - min| / max x 100 per channel; 0 for a channel whose max is not
// positive.
Spread spread(const Measurement &m);
uint32_t relevantBits(uint32_t errorCode);

struct Problem {
    Spread spread;
    uint32_t error = 0; // relevant bits; 0 for a plain unstable reading
    QString title;
    QString text;
    QList<Answer> choices; // in the order offered
    Answer defaultChoice = Abort;
};

// Null when the measurement may be reported as it is. The measurement's
// errorCode must already have had the ignored bits cleared.
bool findProblem(const Measurement &m, Problem *problem);

// The operator-facing description of the error bits, one line per group.
QString errorDescription(uint32_t error);

// Patches whose colours differ by at least this much (code values, of 255)
// where it counts can never read alike on a display that shows them: every
// channel of one above the other's, or each colour's brightest channel above
// the other's same channel. Less is not enough: an HDR display that takes
// its wide-gamut input into its own primaries, clipping what falls outside,
// shows (255, 0, 0) and (255, 128, 0) alike.
constexpr int distinctColourStep = 128;
// Readings within this fraction of each other (or this close, cd/m²) on X,
// Y and Z read alike.
constexpr double alikeFraction = 0.01;
constexpr double alikeFloor = 0.005;

// The first two patches (indices into both lists) whose colours plainly
// differ yet whose readings are alike: the display did not follow the
// generator. False when there are none.
bool unchangedDisplay(const QList<QColor> &colors, const QList<Measurement> &readings, int *first,
                      int *second);

} // namespace patchcheck
