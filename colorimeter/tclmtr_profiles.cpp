// TClmtr: the profile list, selecting a profile, computing, writing and
// erasing profiles. The record format and the arithmetic live in
// profilerecord.* and profilemath.*; this file is the command sequence.
#include "tclmtr.h"

#include "profilemath.h"
#include "profilerecord.h"

using namespace clmtr;

namespace {

constexpr int selectWeight = 2;
constexpr int writeReplyLength = 3;
constexpr int writeWeight = 5;
constexpr uint32_t ProfileCheckFailed = ErrorBits::ProfileCheckFailed;

Mat3 toMat3(const matrix &m) {
    Mat3 out{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out[r][c] = m[r][c];
    return out;
}

matrix toMatrix(const Mat3 &m) {
    matrix out(3, 3);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out[r][c] = m[r][c];
    return out;
}

bool is3x3(const matrix &m) {
    return m.rows() == 3 && m.cols() == 3;
}

} // namespace

std::vector<std::string> TClmtr::profileLabels() const {
    return clmtr::profileLabels(profileNames_);
}

matrix TClmtr::profileMatrix() const {
    return toMatrix(profileMatrix_);
}

void TClmtr::stopForProfileChange() {
    // The worker reads the profile matrix with every reading.
    if (measuringActive_)
        stopMeasuring();
    else
        stopThread();
}

void TClmtr::selectFactoryProfile() {
    currentProfile_ = 0;
    currentProfileName_ = factoryProfileName;
    profileMatrix_ = Mat3{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
}

void TClmtr::restoreProfileSelection() {
    // The instrument cannot say which profile it last served, so the one this
    // object had in force is asked for again; when that fails, or the slot is
    // empty now, the factory calibration is what the readings carry.
    const int slot = currentProfile_;
    if (selectProfile(slot) != Ok || currentProfile_ != slot)
        selectFactoryProfile();
}

uint32_t TClmtr::selectProfile(int slot) {
    if (slot < 0 || slot > lastProfileSlot) {
        // No such slot: refused, rather than quietly serving the slot asked
        // for before, which the caller would take for the one it named.
        lastError_ = ProfileCheckFailed;
        return lastError_;
    }
    stopForProfileChange();
    pendingSlot_ = slot;
    const std::string name = profileNames_[static_cast<std::size_t>(pendingSlot_)];
    if (pendingSlot_ == 0 || name == blankProfileName || name == factoryProfileName) {
        selectFactoryProfile();
        return Ok;
    }
    Reply echo = sendCommand("D1");
    if (echo.result != Ok)
        return echo.result;
    if (echo.bytes != "D1") {
        lastError_ = ProfileCheckFailed; // an instrument that did not take the request
        return lastError_;
    }
    // The slot number itself is the command byte (slot 13 is a carriage return).
    Reply rec = sendCommand(std::string(1, static_cast<char>(pendingSlot_)), profileReplyLength,
                            selectWeight);
    if (rec.result != Ok)
        return rec.result;
    ProfileRecord record;
    if (!decodeProfileRecord(rec.bytes, record)) {
        lastError_ = Internal;
        return lastError_;
    }
    // Every stored record carries "//" after its name; without it these bytes
    // are not the record, and its matrix would correct every reading wrongly.
    if (rec.bytes.compare(profileNameLength, 2, "//") != 0) {
        lastError_ = ErrorBits::BadReply;
        drainBadReply();
        return lastError_;
    }
    profileMatrix_ = record.correction;
    currentProfile_ = pendingSlot_;
    currentProfileName_ = name;
    return Ok;
}

TClmtr::ProfileMatrices TClmtr::computeProfile(const double *reference, const double *measured) {
    ProfileMatrices out{matrix(3, 3), matrix(3, 3)};
    if (!reference || !measured) {
        lastError_ |= Internal;
        return out;
    }
    const ProfileSolution s = solveProfile(reference, measured);
    out.correction = toMatrix(s.correction);
    out.rgb = toMatrix(s.rgb);
    lastError_ |= s.flags;
    return out;
}

int TClmtr::saveProfile(int slot, const std::string &name, const double *reference,
                        const double *measured) {
    stopForProfileChange(); // so no reading clears the result word meanwhile
    lastError_ = 0;
    const ProfileMatrices m = computeProfile(reference, measured);
    // A degenerate set yields numbers that correct nothing: never store them.
    if (lastError_ != 0)
        return static_cast<int>(lastError_.load());
    return static_cast<int>(writeProfile(slot, name, m.correction, m.rgb));
}

uint32_t TClmtr::writeProfile(int slot, const std::string &name, const matrix &correction,
                              const matrix &rgb) {
    if (!is3x3(correction) || !is3x3(rgb)) {
        lastError_ = Internal;
        return lastError_;
    }
    bool tooLarge = false;
    const std::string record = encodeProfileRecord(name, toMat3(rgb), toMat3(correction), tooLarge);
    if (tooLarge) {
        // Checked before anything is sent: a half-written record is worse
        // than none.
        lastError_ = ErrorBits::StoredValueTooLarge | ProfileCheckFailed;
        return lastError_;
    }
    return writeRecord(slot, record);
}

int TClmtr::deleteProfile(int slot) {
    if (slot < 1 || slot > lastProfileSlot) {
        lastError_ = ProfileCheckFailed; // slot 0 is the factory calibration
        return static_cast<int>(lastError_.load());
    }
    if (currentProfile_ == slot)
        selectProfile(0);
    return static_cast<int>(writeRecord(slot, erasedProfileRecord()));
}

uint32_t TClmtr::writeRecord(int slot, const std::string &record) {
    if (slot < 0 || slot > lastProfileSlot) {
        lastError_ = ProfileCheckFailed;
        return lastError_;
    }
    Reply begin = sendCommand("D9");
    if (begin.result != Ok || begin.bytes != "D9") {
        lastError_ = begin.result | ProfileCheckFailed;
        return lastError_;
    }
    std::string command = "MAT";
    command += static_cast<char>(slot);
    command += '(';
    command += record;
    command += ')';
    // The worker is stopped by "D9" above, so the port is ours.
    Reply written = transact(*port_, command, writeReplyLength, writeWeight);
    if (written.result != Ok || written.bytes.compare(0, 3, "<e>") == 0) {
        lastError_ = written.result | ProfileCheckFailed;
        return lastError_;
    }
    Reply list = sendCommand("D7");
    if (list.result != Ok)
        return lastError_;
    profileNames_ = parseProfileList(list.bytes);
    // The library's copy of an overwritten profile in force would be stale.
    if (slot != 0 && slot == currentProfile_)
        restoreProfileSelection();
    return lastError_;
}
