#pragma once
// What the flicker tool shows for its settings and records, as plain data:
// the graph scales per view, the texts of its error boxes, and which error
// bits only light an indicator.

#include <QString>

#include <cstdint>

struct AxisScale {
    double max = 0;
    double major = 0;
    double minor = 0;
};

// x axis of the Signal and Nits views: the acquisition's length in seconds.
AxisScale signalTimeAxis(int sampleCount);
// y axis of the Percent view for "2%" to "200%" (index 0 to 6).
AxisScale percentAxis(int index);
constexpr int percentScaleCount = 7;

// Bits that light an indicator and never stop the display.
namespace FlickerIndicators {
constexpr uint32_t insufficientData = 0x800000;
constexpr uint32_t rangeChanged = 0x1000000;
constexpr uint32_t overSaturated = 0x8000000;
constexpr uint32_t all = insufficientData | rangeChanged | overSaturated;
} // namespace FlickerIndicators

// The warning when flickering cannot start; empty for code 0.
QString flickerStartErrorText(uint32_t code);
// The warning for a record's error bits (indicator bits excluded); empty when
// the record may be shown.
QString flickerRecordErrorText(uint32_t code);
bool isUnpluggedCode(uint32_t code);
