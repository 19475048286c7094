#pragma once
// The CS-2000's wire format as plain functions over text: the commands with
// the time each reply may take, the error-check code that opens every reply
// and what it means, identity, the two-step measurement, the sync setting,
// XYZ and the four spectral data blocks. Replies reach these functions
// without their line end. No I/O.

#include "serialcommand.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace cs2000 {

using Command = SerialCommand;

// Line settings the driver opens with. Over USB any setting works; on
// RS-232 the instrument must be set to the same rate (it leaves the factory
// at 115,200 baud).
constexpr int baud = 9600;

// Ordinary commands answer at once; a command that writes the instrument's
// memory, and the long data blocks (about 1 kB, a second at 9600 baud), get
// the 10 s the instrument may take.
constexpr Command remoteOn{"RMTS,1", 1000};
constexpr Command readSync{"SCMR", 2000};
constexpr Command readNdFilter{"NDFR", 2000};
constexpr Command readLens{"LNSR", 2000};
constexpr Command readChannel{"UCCR", 2000};
constexpr Command readStatus{"STSR", 2000};
constexpr Command identify{"IDDR", 2000};
constexpr Command readXYZ{"MEDR,2,0,01", 10000};
constexpr int settingTimeoutMs = 10000; // "SCMS", "UCCS": stored in the instrument
// ms a port scan waits for "RMTS,1": the instrument answers it at once, and
// its 5 characters take 5 ms at 9600 baud.
constexpr int probeSilenceMs = 500;
constexpr int channelNameTimeoutMs = 4000; // "UCPR"

// "MEAS,1" is answered after a pre-measurement of about 1 to 10 s with the
// measuring time still to come; the end reply follows within that time.
// Twice the longest pre-measurement before the start reply counts as lost.
constexpr Command startMeasurement{"MEAS,1", 20000};
constexpr Command cancelMeasurement{"MEAS,0", 3000};
constexpr int longestMeasuringSeconds = 242; // s, the most the start reply announces
constexpr int endGraceMs = 10000;            // ms beyond the announced time

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
// nn of a reply whose status is "ERnn"; -1 for any other reply.
int errorCode(const QString &reply);
// "ER05": a user channel that holds no calibration.
bool isBlankChannel(const QString &reply);
// What an error-check code means to the operator ("over its measuring
// range: ..."), without the code itself.
QString errorMeaning(int code);
// Field `index` as an integer; false when missing or not a number.
bool intField(const QString &reply, int index, int *out);

struct Identity {
    QString model;        // the product name, padding removed
    QString serialNumber; // padding removed
};
// Any complete "OK" reply to "IDDR": product name, variation code and serial
// number, however they are padded.
bool parseIdentity(const QString &reply, Identity *out);

// The measuring time (s) announced by the "OK" start reply to "MEAS,1":
// up to three digits, at most longestMeasuringSeconds.
bool parseMeasuringTime(const QString &reply, int *seconds);

// Sync mode as "SCMR" reports and "SCMS" sets it.
struct Sync {
    int mode = 1;       // 0 none, 1 internal, 2 external
    int centiHz = 6000; // internal sync only: 2000 to 20000 (20 to 200 Hz)
    bool operator==(const Sync &o) const {
        return mode == o.mode && (mode != 1 || centiHz == o.centiHz);
    }
    bool operator!=(const Sync &o) const { return !(*this == o); }
    bool valid() const {
        return mode == 0 || mode == 2 || (mode == 1 && centiHz >= 2000 && centiHz <= 20000);
    }
};
// "SCMS,1,06000", "SCMS,0" or "SCMS,2".
QString syncCommand(const Sync &sync);
bool parseSync(const QString &reply, Sync *out);

// The value the instrument sends when its own calculation failed.
constexpr double calculationError = -9.9999e9;

enum class Reading { Usable, CalculationError, Unusable };
// Fields 1 to 3 of an "OK" reply to "MEDR,2,0,01"; xyz is set only when usable.
Reading parseXYZ(const QString &reply, double xyz[3]);

// The spectrum: 781 values indexed by wavelength in nm; 380 to 780 come
// from the instrument, the rest stay 0.
constexpr int spectrumSize = 781;
constexpr int firstNm = 380, lastNm = 780;

struct SpectralBlock {
    const char *command;
    int firstNm; // fields 1 to count hold firstNm onwards, 1 nm apart
    int count;
};
constexpr int spectralTimeoutMs = 10000;
constexpr SpectralBlock spectralBlocks[] = {
    {"MEDR,1,0,01", 380, 100},
    {"MEDR,1,0,02", 480, 100},
    {"MEDR,1,0,03", 580, 100},
    {"MEDR,1,0,04", 680, 101},
};

struct BlockResult {
    int stored = 0;            // wavelengths that got a value
    int calculationErrors = 0; // wavelengths the instrument could not calculate (NaN)
};
// Stores the block's values into spectrum (781 entries). A field that is
// missing or not a number leaves its wavelength at 0; a calculation error
// is stored as NaN, never as a value. A reply with more values than the
// block has is not this block: nothing is stored.
BlockResult storeSpectralBlock(const QString &reply, const SpectralBlock &block,
                               QList<double> &spectrum);

} // namespace cs2000
