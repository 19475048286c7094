#include "flickerview.h"

#include "measurement.h"

#include <QtGlobal>

namespace {

struct TimeAxisRow {
    int samples;
    AxisScale axis;
};

const TimeAxisRow timeAxes[] = {{64, {0.25, 0.0625, 0.0125}}, {128, {0.5, 0.125, 0.025}},
                                {256, {1, 0.25, 0.05}},       {512, {2, 0.5, 0.1}},
                                {1024, {4, 1, 0.2}},          {2048, {8, 2, 0.4}}};

const AxisScale percentAxes[percentScaleCount] = {
    {2, 0.5, 0.1}, {5, 1, 0.1}, {10, 1, 0.5}, {20, 5, 1}, {50, 5, 1}, {100, 10, 5}, {200, 20, 5}};

struct ErrorLine {
    uint32_t bits;
    const char *text;
};

const ErrorLine startErrors[] = {
    {ErrorBits::NotAvailableOnModel, "This Torva device doesn't support Flicker.\n"},
    {ErrorBits::AimingLights, "The Aiming Lights are on. Please turn them off, and try again.\n"},
    {ErrorBits::FlickerBadResponseData,
     "There is a problem with the RangeCal. This problem can be resolved by trying again.\n"},
    {ErrorBits::FlickerBadSampleCount, "The samples given wasn't 64,128 or 256.\n"},
};

const ErrorLine recordErrors[] = {
    {ErrorBits::NoDominantWavelength,
     "There was an error when converting to NM with the measurement.\n"},
    {ErrorBits::CctOutOfRange,
     "There was an error when converting to Kelvins with the measurement.\n"},
    {ErrorBits::AimingLights, "The Aiming lights are on.\n"},
    {ErrorBits::StatusU | ErrorBits::StatusV | ErrorBits::StatusW,
     "There was an error from the Torva device due to the Range switching with the "
     "measurement.\n"},
    {ErrorBits::FlickerBadPacket, "The Flicker string from the Torva device was bad.\n"},
    {ErrorBits::PortLost | ErrorBits::Timeout | ErrorBits::Internal,
     "The Torva device has been unplugged\n"},
};

template <std::size_t N>
QString errorText(uint32_t code, const ErrorLine (&table)[N], const char *otherwise) {
    QString text;
    uint32_t left = code;
    for (const ErrorLine &line : table) {
        if (code & line.bits) {
            text += QString::fromLatin1(line.text);
            left &= ~line.bits;
        }
    }
    if (left)
        text += QString::fromLatin1(otherwise).arg(left);
    return text;
}

} // namespace

AxisScale signalTimeAxis(int sampleCount) {
    for (const TimeAxisRow &row : timeAxes) {
        if (row.samples == sampleCount)
            return row.axis;
    }
    return {1, 0.25, 0.05};
}

AxisScale percentAxis(int index) {
    return percentAxes[qBound(0, index, percentScaleCount - 1)];
}

QString flickerStartErrorText(uint32_t code) {
    return errorText(code, startErrors,
                     "There is a problem setting up the Torva device to Flicker. Error code: %1\n");
}

QString flickerRecordErrorText(uint32_t code) {
    return errorText(code & ~FlickerIndicators::all, recordErrors,
                     "There was an error with the measurement. Error code: %1\n");
}

bool isUnpluggedCode(uint32_t code) {
    return code & (ErrorBits::PortLost | ErrorBits::Timeout | ErrorBits::Internal);
}
