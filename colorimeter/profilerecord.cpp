#include "profilerecord.h"

#include "protocol.h"
#include "storedvalue.h"

namespace clmtr {

namespace {

// Written into every record; the instrument's use of them lies outside the
// application, but records without them are not what instruments expect.
const double recordConstants[5] = {95.043, 100, 108.89, 0.005, 5};
constexpr int recordConstantsAt = 59;

void putValue(std::string &out, double v, bool &tooLarge) {
    bool over = false;
    const StoredBytes b = encodeStoredValue(v, over);
    tooLarge |= over;
    out.append(reinterpret_cast<const char *>(b.data()), b.size());
}

void putMatrix(std::string &out, const Mat3 &m, bool &tooLarge) {
    for (const auto &row : m)
        for (double v : row)
            putValue(out, v, tooLarge);
}

} // namespace

std::string encodeProfileRecord(const std::string &name, const Mat3 &rgb, const Mat3 &correction,
                                bool &tooLarge) {
    tooLarge = false;
    std::string out = name.substr(0, profileNameLength);
    out.resize(profileNameLength, ' ');
    out += "//";
    out.resize(recordConstantsAt, '\0');
    for (double c : recordConstants)
        putValue(out, c, tooLarge);
    putMatrix(out, rgb, tooLarge);
    putMatrix(out, correction, tooLarge);
    return out;
}

std::string erasedProfileRecord() {
    return std::string(profileRecordLength, '\xFF');
}

Mat3 decodeStoredMatrix(const std::string &bytes, std::size_t at) {
    Mat3 m{};
    const auto *b = reinterpret_cast<const unsigned char *>(bytes.data()) + at;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            m[r][c] = decodeStoredValue(b + 3 * (3 * r + c));
    return m;
}

bool decodeProfileRecord(const std::string &bytes, ProfileRecord &out) {
    if (bytes.size() < static_cast<std::size_t>(profileRecordLength))
        return false;
    out.name = trimmed(bytes.substr(0, profileNameLength));
    out.rgb = decodeStoredMatrix(bytes, recordRgbAt);
    out.correction = decodeStoredMatrix(bytes, recordCorrectionAt);
    return true;
}

std::vector<std::string> profileLabels(const std::vector<std::string> &names) {
    std::vector<std::string> labels;
    labels.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        labels.push_back(std::to_string(i) + ": " + names[i]);
    return labels;
}

} // namespace clmtr
