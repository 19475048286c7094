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

// Columns: XYZ of each primary at full drive, scaled so that full white
// lands on the white point with the white-minus-black luminance.
void primaryMatrix(const DisplayModel &m, double out[3][3]) {
    const double p[3][2] = {{m.rx, m.ry}, {m.gx, m.gy}, {m.bx, m.by}};
    double c[3][3]; // column j = primary j with Y = 1
    for (int j = 0; j < 3; ++j) {
        c[0][j] = p[j][0] / p[j][1];
        c[1][j] = 1.0;
        c[2][j] = (1 - p[j][0] - p[j][1]) / p[j][1];
    }
    const double span = m.whiteY - m.blackY;
    const double W[3] = {m.wx / m.wy * span, span, (1 - m.wx - m.wy) / m.wy * span};
    // Solve c * s = W for the primaries' luminances s (Cramer's rule).
    auto det = [](const double a[3][3]) {
        return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
               a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
               a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    };
    const double d = det(c);
    for (int j = 0; j < 3; ++j) {
        double t[3][3];
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 3; ++k)
                t[r][k] = k == j ? W[r] : c[r][k];
        const double s = det(t) / d;
        for (int r = 0; r < 3; ++r)
            out[r][j] = c[r][j] * s;
    }
}

double drive(double code, int maxCode, double gamma) {
    const double v = std::clamp(code / std::max(1, maxCode), 0.0, 1.0);
    return std::pow(v, gamma);
}

// Each primary's drive, 0 to 1 of full white above black.
std::array<double, 3> drives(const DisplayModel &m, const Rgb &c, int maxCode) {
    if (!m.hdr.on)
        return {drive(c.r, maxCode, m.gamma), drive(c.g, maxCode, m.gamma),
                drive(c.b, maxCode, m.gamma)};
    const Primaries panel{m.rx, m.ry, m.gx, m.gy, m.bx, m.by, m.wx, m.wy};
    const std::array<double, 3> nits = hdrNativeLight(m.hdr, panel, c.r, c.g, c.b, maxCode);
    const double span = std::max(1e-9, m.whiteY - m.blackY);
    return {std::min(1.0, nits[0] / span), std::min(1.0, nits[1] / span),
            std::min(1.0, nits[2] / span)};
}

// The light of drives onto the black level; gain dims what the drives add.
Tristimulus lightOf(const DisplayModel &m, const std::array<double, 3> &lin, double gain = 1.0) {
    double M[3][3];
    primaryMatrix(m, M);
    const double black[3] = {m.wx / m.wy * m.blackY, m.blackY, (1 - m.wx - m.wy) / m.wy * m.blackY};
    double out[3];
    for (int r = 0; r < 3; ++r)
        out[r] = black[r] + gain * (M[r][0] * lin[0] + M[r][1] * lin[1] + M[r][2] * lin[2]);
    return {out[0], out[1], out[2]};
}

int maxCodeOf(const PatternState &s) {
    return (s.pattern == 3 || s.pattern == 4) ? s.maxColor : 255;
}

// Remembers the last code's drives: a pattern has few distinct codes.
class DriveCache {
public:
    explicit DriveCache(const DisplayModel &m, int maxCode) : m_(m), maxCode_(maxCode) {}
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

const std::vector<DisplayModel> &displayModels() {
    // Each a little off its nominal primaries, as real panels are.
    static const std::vector<DisplayModel> models = {
        {"rec709", 0.643, 0.334, 0.296, 0.604, 0.152, 0.062, 0.3135, 0.3282, 120.0, 0.1, 2.4},
        {"p3", 0.678, 0.321, 0.268, 0.687, 0.151, 0.062, 0.3130, 0.3286, 200.0, 0.05, 2.2},
        {"oled", 0.675, 0.322, 0.270, 0.684, 0.141, 0.056, 0.3127, 0.3290, 150.0, 0.0, 2.2},
        // P3-D65 panel behind a PQ input, 1000 cd/m² peak with its own
        // roll-off above 800, limited to 300 cd/m² over the whole screen.
        {"hdr1000", 0.680, 0.320, 0.265, 0.690, 0.150, 0.060, 0.3127, 0.3290, 1000.0, 0.005, 2.4,
         HdrSignal{true, 800.0, 1000.0, 300.0}},
    };
    return models;
}

const DisplayModel *findDisplayModel(const std::string &name) {
    for (const DisplayModel &m : displayModels()) {
        if (m.name == name)
            return &m;
    }
    return nullptr;
}

Tristimulus displayLight(const DisplayModel &m, double red, double green, double blue,
                         int maxCode) {
    return lightOf(m, drives(m, {red, green, blue}, maxCode));
}

double screenAverage(const DisplayModel &m, const PatternState &s) {
    if (s.width <= 0 || s.height <= 0)
        return m.blackY;
    double M[3][3];
    primaryMatrix(m, M);
    DriveCache cache(m, maxCodeOf(s));
    double sum = 0;
    for (int j = 0; j < screenRows; ++j) {
        for (int i = 0; i < screenColumns; ++i) {
            const int x = static_cast<int>((i + 0.5) * s.width / screenColumns);
            const int y = static_cast<int>((j + 0.5) * s.height / screenRows);
            const std::array<double, 3> &lin = cache.at(codeAt(s, x, y));
            sum += M[1][0] * lin[0] + M[1][1] * lin[1] + M[1][2] * lin[2];
        }
    }
    return m.blackY + sum / (screenColumns * screenRows);
}

Tristimulus sensorLight(const DisplayModel &m, const PatternState &s) {
    if (s.width <= 0 || s.height <= 0)
        return displayLight(m, 0, 0, 0);
    const double side = std::max(1.0, s.height * spotFraction);
    const double x0 = s.width / 2.0 - side / 2;
    const double y0 = s.height / 2.0 - side / 2;
    // Light adds up linearly: average each primary's drive over the spot.
    DriveCache cache(m, maxCodeOf(s));
    std::array<double, 3> sum{};
    for (int j = 0; j < spotSamples; ++j) {
        for (int i = 0; i < spotSamples; ++i) {
            const int x = static_cast<int>(x0 + (i + 0.5) * side / spotSamples);
            const int y = static_cast<int>(y0 + (j + 0.5) * side / spotSamples);
            const std::array<double, 3> &lin = cache.at(codeAt(s, x, y));
            for (int c = 0; c < 3; ++c)
                sum[c] += lin[c];
        }
    }
    const double n = spotSamples * spotSamples;
    const double gain = m.hdr.on ? hdrAblGain(m.hdr, screenAverage(m, s)) : 1.0;
    return lightOf(m, {sum[0] / n, sum[1] / n, sum[2] / n}, gain);
}

} // namespace sim
