#pragma once
// Profile records as the instrument stores them (128 bytes), the reply that
// reads one back, and the labels of the profile list.

#include "gamutspec.h"

#include <string>
#include <vector>

namespace clmtr {

constexpr int profileRecordLength = 128;
constexpr int profileNameLength = 20;
// "D1" and the slot byte answer the stored record and three more bytes.
constexpr int profileReplyLength = 131;
constexpr int lastProfileSlot = 96;

// Offsets inside a record.
constexpr int recordRgbAt = 74;
constexpr int recordCorrectionAt = 101;

// Name (first 20 bytes, blank-padded), "//", zeros, the five constants every
// record carries, the RGB matrix and the correction matrix, row by row.
// tooLarge is set when a value does not fit the stored format.
std::string encodeProfileRecord(const std::string &name, const Mat3 &rgb, const Mat3 &correction,
                                bool &tooLarge);

// What erasing writes: 128 bytes of 0xFF.
std::string erasedProfileRecord();

struct ProfileRecord {
    std::string name; // trimmed
    Mat3 rgb{};
    Mat3 correction{};
};
// A record at the start of bytes (a reply to the slot byte, or a record as
// written). False when there are fewer than 128 bytes.
bool decodeProfileRecord(const std::string &bytes, ProfileRecord &out);

// Nine stored values from bytes[at], row by row; bytes must hold at + 27.
Mat3 decodeStoredMatrix(const std::string &bytes, std::size_t at);

// "i: name" for every slot.
std::vector<std::string> profileLabels(const std::vector<std::string> &names);

} // namespace clmtr
