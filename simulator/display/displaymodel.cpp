#include "displaymodel.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

// The sensor sees a square spot this fraction of the screen height wide.
constexpr double spotFraction = 0.05;
constexpr int spotSamples = 48; // per side
constexpr int imageGrey = 128;  // what a sent image shows under the spot
// The screen's average light is sampled on this grid (across, down).
constexpr int screenColumns = 160, screenRows = 90;

struct Rgb {
    double r, g, b;
    bool operator==(const Rgb &o) const { return r == o.r && g == o.g && b == o.b; }
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

// The codes the panel gets from the video processor in front of it.
Rgb processed(const DisplayModel &m, const Rgb &c, int maxCode) {
    if (!m.processor)
        return c;
    const double full = std::max(1, maxCode);
    const Rgb3 out = m.processor->apply({c.r / full, c.g / full, c.b / full});
    return {std::clamp(out[0], 0.0, 1.0) * full, std::clamp(out[1], 0.0, 1.0) * full,
            std::clamp(out[2], 0.0, 1.0) * full};
}

// Each primary's drive, 0 to 1 of full white above black: through the gamma,
// or an HDR display's own processing.
std::array<double, 3> drives(const DisplayModel &m, const Rgb &input, int maxCode) {
    const Rgb c = processed(m, input, maxCode);
    if (!m.hdr.on)
        return {drive(c.r, maxCode, m.gamma), drive(c.g, maxCode, m.gamma),
                drive(c.b, maxCode, m.gamma)};
    const std::array<double, 3> nits = hdrNativeLight(m.hdr, c.r, c.g, c.b, maxCode);
    const double span = std::max(1e-9, m.whiteY - m.blackY);
    return {std::min(1.0, nits[0] / span), std::min(1.0, nits[1] / span),
            std::min(1.0, nits[2] / span)};
}

int maxCodeOf(const PatternState &s) {
    return (s.pattern == 3 || s.pattern == 4) ? s.maxColor : 255;
}

// Remembers the last code's drives: a pattern has few distinct codes.
class DriveCache {
public:
    DriveCache(const DisplayModel &m, int maxCode) : m_(m), maxCode_(maxCode) {}
    const std::array<double, 3> &at(const Rgb &c) {
        if (!valid_ || !(c == last_)) {
            last_ = c;
            drives_ = drives(m_, c, maxCode_);
            valid_ = true;
        }
        return drives_;
    }

private:
    const DisplayModel &m_;
    int maxCode_;
    bool valid_ = false;
    Rgb last_{0, 0, 0};
    std::array<double, 3> drives_{};
};

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
    return mixSpectrum(m, drives(m, {red, green, blue}, maxCode));
}

double screenAverage(const DisplayModel &m, const PatternState &s) {
    if (s.width <= 0 || s.height <= 0)
        return m.blackY;
    double share[3]; // each primary's luminance at full drive
    for (std::size_t j = 0; j < 3; ++j) {
        double xyz[3];
        spectrumXYZ(m.primaries[j], xyz);
        share[j] = xyz[1] * std::max(0.0, m.whiteY - m.blackY);
    }
    DriveCache cache(m, maxCodeOf(s));
    double sum = 0;
    for (int j = 0; j < screenRows; ++j) {
        for (int i = 0; i < screenColumns; ++i) {
            const int x = static_cast<int>((i + 0.5) * s.width / screenColumns);
            const int y = static_cast<int>((j + 0.5) * s.height / screenRows);
            const std::array<double, 3> &lin = cache.at(codeAt(s, x, y));
            sum += share[0] * lin[0] + share[1] * lin[1] + share[2] * lin[2];
        }
    }
    return m.blackY + sum / (screenColumns * screenRows);
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
    DriveCache cache(m, maxCodeOf(s));
    std::array<double, 3> sum{};
    for (int j = 0; j < spotSamples; ++j) {
        for (int i = 0; i < spotSamples; ++i) {
            const int x = static_cast<int>(x0 + (i + 0.5) * side / spotSamples);
            const int y = static_cast<int>(y0 + (j + 0.5) * side / spotSamples);
            const std::array<double, 3> &lin = cache.at(codeAt(s, x, y));
            for (std::size_t c = 0; c < 3; ++c)
                sum[c] += lin[c];
        }
    }
    // The limiter dims what the panel adds to its black.
    const double n = spotSamples * spotSamples;
    const double gain = m.hdr.on ? hdrAblGain(m.hdr, screenAverage(m, s)) : 1.0;
    return mixSpectrum(m, {gain * sum[0] / n, gain * sum[1] / n, gain * sum[2] / n});
}

Tristimulus sensorLight(const DisplayModel &m, const PatternState &s) {
    return xyzOf(sensorSpectrum(m, s));
}

} // namespace sim
