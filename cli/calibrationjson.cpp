#include "calibrationjson.h"

#include "measurementjson.h"

#include <cstdio>

std::string jsonString(const std::string &bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

namespace {

std::string rowsJson(const matrix &m) {
    std::string out = "[";
    for (int r = 0; r < m.rows(); ++r) {
        out += r ? ",[" : "[";
        for (int c = 0; c < m.cols(); ++c)
            out += (c ? "," : "") + jsonNumber(m[r][c]);
        out += "]";
    }
    return out + "]";
}

} // namespace

std::string profilesJson(const ProfilesView &v) {
    std::string out = "{\"model\":" + jsonString(v.model) +
                      ",\"serialNumber\":" + jsonString(v.serialNumber) +
                      ",\"selected\":" + std::to_string(v.selected) +
                      ",\"selectedName\":" + jsonString(v.selectedName) +
                      ",\"matrix\":" + rowsJson(v.correction) +
                      ",\"status\":" + std::to_string(v.status) + ",\"labels\":[";
    for (std::size_t i = 0; i < v.labels.size(); ++i)
        out += (i ? "," : "") + jsonString(v.labels[i]);
    return out + "]}";
}

std::string blackJson(const std::string &source, const BlackMatrix &b) {
    matrix m(6, 3);
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 3; ++c)
            m[r][c] = b.black[r][c];
    return "{\"source\":" + jsonString(source) + ",\"status\":" + std::to_string(b.status) +
           ",\"thermal\":" + jsonNumber(b.thermal) + ",\"black\":" + rowsJson(m) + "}";
}
