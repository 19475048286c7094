// TClmtr: reading the black-level tables and thermal coefficients, and the
// black-level calibration with its confirmation exchange.
#include "tclmtr.h"

using namespace clmtr;

namespace {

// The instrument stores a measured black level only after this code.
const char *const confirmationCode = "{73918264}#&!";
constexpr int confirmationReplyLength = 3;
constexpr int confirmationWeight = 1;

void zeroBlack(BlackMatrix &b) {
    for (auto &range : b.black)
        for (double &v : range)
            v = 0;
}

} // namespace

BlackMatrix TClmtr::readBlackTable(const char *command) {
    Reply r = sendCommand(command);
    BlackMatrix b;
    if (r.result == Ok) {
        b = parseBlackTable(r.bytes);
        lastError_ |= static_cast<uint32_t>(b.status);
    }
    b.status = static_cast<int>(lastError_.load());
    return b;
}

BlackMatrix TClmtr::readBlackRam() {
    return readBlackTable("B4");
}

BlackMatrix TClmtr::readBlackRom() {
    return readBlackTable("B8");
}

BlackMatrix TClmtr::readThermalCoefficients() {
    Reply r = sendCommand("S0");
    BlackMatrix b;
    if (r.result == Ok) {
        b = parseThermalCoefficients(r.bytes);
        lastError_ |= static_cast<uint32_t>(b.status);
    }
    b.status = static_cast<int>(lastError_.load());
    return b;
}

BlackMatrix TClmtr::calibrateBlack() {
    BlackMatrix result;
    sendCommand("M6"); // the first record may predate the darkening
    Reply counts = sendCommand("M6");
    if (counts.result != Ok) {
        result.status = static_cast<int>(counts.result);
        return result;
    }
    CountsRecord c;
    if (!parseCountsRecord(counts.bytes, c) || !countsAllowBlackCalibration(c)) {
        // Sensors outside their working window: nothing is measured, and the
        // caller must not read the zeros as a calibrated black.
        lastError_ = ErrorBits::BlackNotConfirmed;
        result.status = static_cast<int>(lastError_.load());
        return result;
    }

    Reply measured = sendCommand("B9");
    if (measured.result != Ok) {
        result.status = static_cast<int>(measured.result);
        return result;
    }
    result = parseBlackTable(measured.bytes);
    uint32_t status = static_cast<uint32_t>(result.status);
    // Only a clean measurement is stored: out-of-range values or a status
    // letter (light, saturation, aiming lights) would store a wrong black.
    if (status == Ok) {
        bool confirmed = false;
        Reply store = sendCommand("B7");
        status |= store.result;
        if (store.result == Ok && store.bytes == "B7") {
            Reply ack = sendCommand(confirmationCode, confirmationReplyLength, confirmationWeight);
            status |= ack.result;
            confirmed = ack.result == Ok && ack.bytes.compare(0, 3, "<0>") == 0;
        }
        if (!confirmed) {
            status |= ErrorBits::BlackNotConfirmed;
            zeroBlack(result);
        }
    }
    lastError_ = status;
    result.status = static_cast<int>(status);
    return result;
}
