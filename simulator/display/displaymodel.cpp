#include "displaymodel.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

// The sensor sees a square spot this fraction of the screen height wide.
constexpr double spotFraction = 0.05;
constexpr int spotSamples = 48; // per side
constexpr int imageGrey = 128;  // what a sent image shows under the spot

struct Rgb {
    double r, g, b;
};

// The black level plus each primary at its linear drive (0 to 1).
Spectrum mixSpectrum(const DisplayModel &m, const std::array<double, 3> &linear) {
    Spectrum s = m.blackShape * m.blackY;
    s.resize(spectrumSize, 0.0);
    const double span = std::max(0.0, m.whiteY - m.blackY);
    for (std::size_t j = 0; j < 3; ++j) {
        const Spectrum &p = m.primaries[j];
        for (std::size_t i = 0; i < s.size() && i < p.size(); ++i)
            s[i] += p[i] * span * linear[j];
    }
    return s;
}

Tristimulus xyzOf(const Spectrum &s) {
    double xyz[3];
    spectrumXYZ(s, xyz);
    return {xyz[0], xyz[1], xyz[2]};
}

double drive(double code, int maxCode, double gamma) {
    const double v = std::clamp(code / std::max(1, maxCode), 0.0, 1.0);
    return std::pow(v, gamma);
}

// The code values at a pixel of the pattern.
Rgb codeAt(const PatternState &s, int x, int y) {
    const double full = s.maxColor;
    switch (s.pattern) {
    case 0:
        return {0, 0, 0};
    case 1:
    case 2: {
        const int cell = std::min(3, y * 4 / s.height) * 8 + std::min(7, x * 8 / s.width);
        const double level = s.pattern == 1 ? cell : 255 - cell;
        return {level, level, level};
    }
    case 4: {
        static const Rgb bars[7] = {{1, 1, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1},
                                    {1, 1, 0}, {0, 1, 1}, {1, 0, 1}};
        const int row = std::min(2, y * 3 / s.height);
        const int bar = row == 0 ? 0 : 1 + (row - 1) * 3 + std::min(2, x * 3 / s.width);
        return {bars[bar].r * full, bars[bar].g * full, bars[bar].b * full};
    }
    case 5:
        return s.hasImage ? Rgb{imageGrey, imageGrey, imageGrey} : Rgb{0, 0, 0};
    case 6: {
        const int cols = s.checkerColumns > 0 ? s.checkerColumns : 5;
        const int rows = s.checkerRows > 0 ? s.checkerRows : 5;
        const int cw = std::max(1, static_cast<int>(std::floor(s.width / double(cols) + 0.5)));
        const int ch = std::max(1, static_cast<int>(std::floor(s.height / double(rows) + 0.5)));
        const double v = ((x / cw + y / ch) % 2 == 0) ? 255 : 0;
        return {v, v, v};
    }
    case 7:
        return {255, 255, 255}; // white, but for thin markers at the edges
    default: {
        const bool inBox = x >= s.boxX && x < s.boxX + s.boxW && y >= s.boxY && y < s.boxY + s.boxH;
        return inBox ? Rgb{double(s.red), double(s.green), double(s.blue)} : Rgb{0, 0, 0};
    }
    }
}

} // namespace

const DisplayModel *findDisplayModel(const std::string &name) {
    for (const DisplayModel &m : displayModels()) {
        if (m.name == name)
            return &m;
    }
    return nullptr;
}

DisplayModel withLevels(DisplayModel m, const DisplayLevels &levels) {
    if (levels.peak >= 0)
        m.whiteY = levels.peak;
    if (levels.gamma >= 0)
        m.gamma = levels.gamma;
    if (levels.black >= 0)
        m.blackY = levels.black;
    return m;
}

std::string displayModelNames() {
    std::string out;
    for (const DisplayModel &m : displayModels())
        out += (out.empty() ? "" : ", ") + m.name;
    return out;
}

Spectrum displaySpectrum(const DisplayModel &m, double red, double green, double blue,
                         int maxCode) {
    return mixSpectrum(m, {drive(red, maxCode, m.gamma), drive(green, maxCode, m.gamma),
                           drive(blue, maxCode, m.gamma)});
}

Tristimulus displayLight(const DisplayModel &m, double red, double green, double blue,
                         int maxCode) {
    return xyzOf(displaySpectrum(m, red, green, blue, maxCode));
}

Spectrum sensorSpectrum(const DisplayModel &m, const PatternState &s) {
    if (s.width <= 0 || s.height <= 0)
        return mixSpectrum(m, {0, 0, 0});
    // Light adds up linearly: average each primary's drive over the spot.
    const double side = std::max(1.0, s.height * spotFraction);
    const double x0 = s.width / 2.0 - side / 2;
    const double y0 = s.height / 2.0 - side / 2;
    const int maxCode = (s.pattern == 3 || s.pattern == 4) ? s.maxColor : 255;
    std::array<double, 3> sum{};
    for (int j = 0; j < spotSamples; ++j) {
        for (int i = 0; i < spotSamples; ++i) {
            const int x = static_cast<int>(x0 + (i + 0.5) * side / spotSamples);
            const int y = static_cast<int>(y0 + (j + 0.5) * side / spotSamples);
            const Rgb c = codeAt(s, x, y);
            sum[0] += drive(c.r, maxCode, m.gamma);
            sum[1] += drive(c.g, maxCode, m.gamma);
            sum[2] += drive(c.b, maxCode, m.gamma);
        }
    }
    const double n = spotSamples * spotSamples;
    return mixSpectrum(m, {sum[0] / n, sum[1] / n, sum[2] / n});
}

Tristimulus sensorLight(const DisplayModel &m, const PatternState &s) {
    return xyzOf(sensorSpectrum(m, s));
}

} // namespace sim
