// A display described by a file of its primaries' spectra, as a user measured
// them with a spectroradiometer: "nm,red,green,blue" and one line per
// wavelength.
#include "displaymodel.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace sim {

namespace {

// Narrow lines (a laser's, a KSF phosphor's) would vanish between samples
// further apart than this.
constexpr double largestStepNm = 5.0;

std::string trimmed(const std::string &s) {
    const std::size_t a = s.find_first_not_of(" \t");
    const std::size_t b = s.find_last_not_of(" \t");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

std::vector<std::string> fields(const std::string &line) {
    std::vector<std::string> out;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, ','))
        out.push_back(trimmed(field));
    if (!line.empty() && line.back() == ',')
        out.emplace_back();
    return out;
}

// A number that strtod reads whole; false for text, empty fields and "nan".
bool number(const std::string &text, double &v) {
    if (text.empty())
        return false;
    char *end = nullptr;
    v = std::strtod(text.c_str(), &end);
    return *end == '\0';
}

} // namespace

bool parseDisplaySpectra(const std::string &text, DisplayModel &out, std::string *error) {
    auto fail = [&](int line, const std::string &why) {
        if (error)
            *error = (line > 0 ? "line " + std::to_string(line) + ": " : std::string()) + why;
        return false;
    };
    std::vector<std::pair<double, double>> points[3];
    std::istringstream lines(text);
    std::string line;
    int lineNumber = 0;
    bool header = false;
    while (std::getline(lines, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (trimmed(line).empty())
            continue;
        const std::vector<std::string> f = fields(line);
        if (!header) {
            if (f != std::vector<std::string>{"nm", "red", "green", "blue"})
                return fail(lineNumber, "the header must be nm,red,green,blue");
            header = true;
            continue;
        }
        if (f.size() != 4)
            return fail(lineNumber, "expected nm,red,green,blue (4 values)");
        double v[4];
        for (int k = 0; k < 4; ++k) {
            if (!number(f[static_cast<std::size_t>(k)], v[k]))
                return fail(lineNumber, "'" + f[static_cast<std::size_t>(k)] + "' is not a number");
            if (!std::isfinite(v[k]))
                return fail(lineNumber, "values must be finite");
        }
        if (v[1] < 0 || v[2] < 0 || v[3] < 0)
            return fail(lineNumber, "radiance must not be negative");
        if (!points[0].empty()) {
            const double step = v[0] - points[0].back().first;
            if (step <= 0)
                return fail(lineNumber, "wavelengths must rise");
            if (step > largestStepNm)
                return fail(lineNumber, "wavelengths more than 5 nm apart");
        }
        for (int k = 0; k < 3; ++k)
            points[k].emplace_back(v[0], v[k + 1]);
    }
    if (!header)
        return fail(0, "empty file: the header must be nm,red,green,blue");
    if (points[0].size() < 2)
        return fail(0, "need at least two wavelengths");
    static const char *const names[3] = {"red", "green", "blue"};
    DisplayModel m;
    m.name = "spectra file";
    m.technology = "primaries from a file";
    Spectrum white(spectrumSize, 0.0);
    for (std::size_t j = 0; j < 3; ++j) {
        m.primaries[j] = resampleSpectrum(points[j]);
        double xyz[3];
        spectrumXYZ(m.primaries[j], xyz);
        if (!(xyz[0] + xyz[1] + xyz[2] > 0))
            return fail(0, std::string("the ") + names[j] +
                               " primary has no light from 380 to 780 nm");
        white = white + m.primaries[j];
    }
    double w[3];
    spectrumXYZ(white, w);
    if (!(w[1] > 0))
        return fail(0, "the white (the three primaries together) has no luminance");
    for (Spectrum &p : m.primaries)
        p = p * (1.0 / w[1]);
    m.blackShape = white * (1.0 / w[1]);
    out = m;
    return true;
}

} // namespace sim
