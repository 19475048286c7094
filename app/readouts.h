#pragma once
// What the main window shows for a reading, as pure functions: the ten
// readout sets, the text of each readout, the bar and hue-arc values of the
// chart, and the check that decides whether a reading is shown at all.

#include "darkreading.h"
#include "measurement.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

// Chart combo entries, in combo order.
enum class ChartKind {
    CIE1931 = 0,
    CIE1976 = 1,
    Magnified1931 = 2,
    Magnified1976 = 3,
    Bars = 4,
    HueSat = 5
};
QStringList chartNames();

struct ReadoutSet {
    QStringList longLabels;  // joined for the units combo
    QStringList shortLabels; // captions beside the readouts
    QString widthTemplate;   // what the self-sizing readouts fit their font to
    int chart;               // chart switched to, or -1 to leave it
};

constexpr int readoutSetCount = 10;
enum ReadoutIndex {
    ReadXyY = 0,
    ReadXYZ = 1,
    ReadRgb = 2,
    ReadUvY = 3,
    ReadTempDuvY = 4,
    ReadNmDuvY = 5,
    ReadLab = 6,
    ReadLch = 7,
    ReadHsv = 8,
    ReadDeltaE = 9
};
const ReadoutSet &readoutSet(int index); // index clamped to the table
QString readoutComboText(int index);     // "%1, %2, %3" of the long labels

// The target the readings are compared with: the RGB percentages of the
// target patch and its measurement (hue, saturation, value for the bars).
struct ReadoutTarget {
    double percent[3] = {100, 100, 100};
    Measurement measurement = Measurement::fromRGB(100, 100, 100);
};

struct ReadoutContext {
    bool nits = true;        // else foot-lamberts
    bool luxProfile = false; // the instrument's profile measures illuminance
    ReadoutTarget target;
    // The colorimeter's current standard; its white is the ΔE reference.
    GamutSpec deviceSpec = GamutSpec::standardSpec(2, 100.0);
};

struct ReadoutTexts {
    std::array<QString, 3> value; // lineMeasure1..3
    QString temperature;          // lineT
    QString duv;                  // lineduv
};

constexpr const char *noValue = "--";

// The low-light average did not settle: only "--" is shown.
bool isUnstableReading(const Measurement &m);

ReadoutTexts formatReadouts(const Measurement &m, int index, const ReadoutContext &context);

// The three bars of the bar chart: 100 plus the difference from the target
// (for the HSV set, the hue difference drawn as an arc length: the short
// way between the hues, negative when the reading lies clockwise of the
// target).
std::array<double, 3> barValues(const Measurement &m, int index, const ReadoutTarget &target);
double hueArcBar(double hue, double targetHue, double targetSaturation);

// The reference of the ΔE set: the white of the instrument's standard, as a
// reading in REC709 with white Y 100.
Measurement deltaEReference(const GamutSpec &deviceSpec);

// --- the error check ---
// The error bits left once those that never matter and those the user chose
// to ignore are removed.
uint32_t remainingErrors(uint32_t errorCode, bool ignoreAimingLight, bool ignoreRangeCal);
// Accepted when nothing but the unstable bit remains.
bool isAcceptedErrorCode(uint32_t remaining);
// The lines of the "Measurement Error" warning for the remaining bits.
QString measurementErrorText(uint32_t remaining);

QString lowLightAveragingText(int avgCount);
QString lowLightUnstableText(int avgCount);
