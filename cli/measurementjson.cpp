#include "measurementjson.h"

#include <charconv>
#include <cmath>

namespace {

std::vector<TextField> recordFields(const Measurement &m) {
    const std::pair<const char *, double> reals[] = {
        {"x", m.x},
        {"y", m.y},
        {"bigX", m.bigX},
        {"bigY", m.bigY},
        {"bigZ", m.bigZ},
        {"rawX", m.rawX},
        {"rawY", m.rawY},
        {"rawZ", m.rawZ},
        {"redPercent", m.redPercent},
        {"greenPercent", m.greenPercent},
        {"bluePercent", m.bluePercent},
        {"uPrime", m.uPrime},
        {"vPrime", m.vPrime},
        {"nm", m.nm},
        {"nmDuv", m.nmDuv},
        {"labL", m.labL},
        {"labA", m.labA},
        {"labB", m.labB},
        {"labC", m.labC},
        {"labH", m.labH},
        {"hue", m.hue},
        {"saturation", m.saturation},
        {"value", m.value},
    };
    std::vector<TextField> f;
    for (const auto &r : reals)
        f.push_back({r.first, jsonNumber(r.second)});
    f.push_back({"rangeX", std::to_string(m.rangeX)});
    f.push_back({"rangeY", std::to_string(m.rangeY)});
    f.push_back({"rangeZ", std::to_string(m.rangeZ)});
    f.push_back({"temp", jsonNumber(m.temp)});
    f.push_back({"tempDuv", jsonNumber(m.tempDuv)});
    f.push_back({"errorCode", std::to_string(m.errorCode)});
    f.push_back({"avgCount", std::to_string(m.avgCount)});
    const std::pair<const char *, double> extremes[] = {
        {"minX", m.minX}, {"maxX", m.maxX}, {"minY", m.minY},
        {"maxY", m.maxY}, {"minZ", m.minZ}, {"maxZ", m.maxZ},
    };
    for (const auto &r : extremes)
        f.push_back({r.first, jsonNumber(r.second)});
    return f;
}

std::vector<TextField> specScalars(const GamutSpec &s) {
    const std::pair<const char *, double> reals[] = {
        {"redX", s.redX},     {"redY", s.redY},     {"redBigY", s.redBigY},
        {"greenX", s.greenX}, {"greenY", s.greenY}, {"greenBigY", s.greenBigY},
        {"blueX", s.blueX},   {"blueY", s.blueY},   {"blueBigY", s.blueBigY},
        {"whiteX", s.whiteX}, {"whiteY", s.whiteY}, {"whiteBigY", s.whiteBigY},
    };
    std::vector<TextField> f;
    for (const auto &r : reals)
        f.push_back({r.first, jsonNumber(r.second)});
    f.push_back({"standard", std::to_string(s.standard)});
    return f;
}

std::string jsonMatrix(const Mat3 &m) {
    std::string out = "[";
    for (int r = 0; r < 3; ++r) {
        out += r ? ",[" : "[";
        for (int c = 0; c < 3; ++c)
            out += (c ? "," : "") + jsonNumber(m[r][c]);
        out += "]";
    }
    return out + "]";
}

std::string joined(const std::vector<TextField> &fields, bool names) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i)
        out += (i ? "," : "") + (names ? fields[i].name : fields[i].text);
    return out;
}

} // namespace

std::string jsonNumber(double v) {
    if (!std::isfinite(v))
        return "null";
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

std::string csvField(const std::string &text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::vector<TextField> measurementFields(const Measurement &m) {
    std::vector<TextField> all = recordFields(m);
    for (const TextField &f : specScalars(m.gamutSpec))
        all.push_back({"gamutSpec." + f.name, f.text});
    const std::pair<const char *, const Mat3 *> matrices[] = {{"rgbToXyz", &m.gamutSpec.rgbToXyz},
                                                              {"xyzToRgb", &m.gamutSpec.xyzToRgb}};
    for (const auto &mat : matrices)
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                all.push_back({std::string("gamutSpec.") + mat.first + "[" + std::to_string(r) +
                                   "][" + std::to_string(c) + "]",
                               jsonNumber((*mat.second)[r][c])});
    return all;
}

std::string measurementJson(const Measurement &m, const std::vector<TextField> &leading,
                            const std::vector<TextField> &trailing) {
    std::string out = "{";
    for (const TextField &f : leading)
        out += "\"" + f.name + "\":" + f.text + ",";
    for (const TextField &f : recordFields(m))
        out += "\"" + f.name + "\":" + f.text + ",";
    out += "\"gamutSpec\":{";
    for (const TextField &f : specScalars(m.gamutSpec))
        out += "\"" + f.name + "\":" + f.text + ",";
    out += "\"rgbToXyz\":" + jsonMatrix(m.gamutSpec.rgbToXyz) +
           ",\"xyzToRgb\":" + jsonMatrix(m.gamutSpec.xyzToRgb) + "}";
    for (const TextField &f : trailing)
        out += ",\"" + f.name + "\":" + f.text;
    return out + "}";
}

namespace {

std::string csvOf(const Measurement &m, const std::vector<TextField> &leading,
                  const std::vector<TextField> &trailing, bool names) {
    std::vector<TextField> all = leading;
    for (TextField &f : measurementFields(m))
        all.push_back(std::move(f));
    all.insert(all.end(), trailing.begin(), trailing.end());
    return joined(all, names);
}

} // namespace

std::string measurementCsvHeader(const std::vector<TextField> &leading,
                                 const std::vector<TextField> &trailing) {
    return csvOf(Measurement(), leading, trailing, true);
}

std::string measurementCsvRow(const Measurement &m, const std::vector<TextField> &leading,
                              const std::vector<TextField> &trailing) {
    return csvOf(m, leading, trailing, false);
}
