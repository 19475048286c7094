#pragma once
// The CS-2000's wire format as plain functions over text: the commands with
// the reply length and time limit each needs, status and field splitting,
// identity, XYZ and the four spectral data blocks. No I/O.

#include "serialcommand.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace cs2000 {

using Command = SerialCommand;

constexpr Command remoteOn{"RMTS,1", 5, 1};
constexpr Command measuringMode{"SCMS,1,06000", 5, 2};
constexpr Command readNdFilter{"NDFR", 7, 2};
constexpr Command readLens{"LNSR", 7, 2};
constexpr Command readChannel{"UCCR", 8, 2};
constexpr Command readChannelAfterSelect{"UCCR", 1, 2};
constexpr Command readStatus{"STSR", 7, 2};
constexpr Command identify{"IDDR", 25, 2};
constexpr Command startMeasurement{"MEAS,1", 9, 10};
constexpr Command readXYZ{"MEDR,2,0,01", 33, 3};
// The end-of-measurement reply comes unasked, this long, within the
// measuring time the start reply announced plus a grace time.
constexpr int endOfMeasurementLength = 5;
constexpr int endOfMeasurementGraceSeconds = 5; // s
constexpr int channelNameMinLength = 1, channelNameTimeoutSeconds = 4;
constexpr int selectMinLength = 1, selectTimeoutSeconds = 2;

constexpr int userChannels = 10; // channels 1 to 10; 0 is the factory calibration
constexpr const char *factoryChannelName = "Factory Cal File";
constexpr const char *blankChannelName = "Blank";

// "UCPR,2,%1" and "UCCS,%1" with the channel as two zero-padded digits.
QString channelNameCommand(int channel);
QString selectChannelCommand(int channel);

// A reply cut at its commas, each field trimmed; field 0 holds the status.
QStringList fields(const QString &reply);
// The reply's status is "OK".
bool isOk(const QString &reply);
// "ER05": a user channel that holds no calibration.
bool isBlankChannel(const QString &reply);
// Field `index` as an integer; false when missing or not a number.
bool intField(const QString &reply, int index, int *out);

struct Identity {
    QString model;
    QString serialNumber;
};
// Fields 1 (model) and 3 (serial number) of an "OK" reply to "IDDR".
bool parseIdentity(const QString &reply, Identity *out);
// Fields 1 to 3 of an "OK" reply to "MEDR,2,0,01".
bool parseXYZ(const QString &reply, double xyz[3]);

// The spectrum: 781 values indexed by wavelength in nm; 380 to 780 come
// from the instrument, the rest stay 0.
constexpr int spectrumSize = 781;
constexpr int firstNm = 380, lastNm = 780;

struct SpectralBlock {
    const char *command;
    int minLength;
    int timeoutSeconds;
    int firstNm; // fields 1 to count hold firstNm onwards, 1 nm apart
    int count;
};
constexpr SpectralBlock spectralBlocks[] = {
    {"MEDR,1,0,01", 700, 2, 380, 100},
    {"MEDR,1,0,02", 700, 2, 480, 100},
    {"MEDR,1,0,03", 700, 2, 580, 100},
    {"MEDR,1,0,04", 707, 2, 680, 101},
};

// Stores the block's values into spectrum (781 entries). A field that is
// missing or not a number leaves its wavelength at 0. Returns how many of
// the block's wavelengths got a value.
int storeSpectralBlock(const QString &reply, const SpectralBlock &block, QList<double> &spectrum);

} // namespace cs2000
