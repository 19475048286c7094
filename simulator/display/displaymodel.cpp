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
    double M[3][3];
    primaryMatrix(m, M);
    const double lin[3] = {drive(red, maxCode, m.gamma), drive(green, maxCode, m.gamma),
                           drive(blue, maxCode, m.gamma)};
    double out[3];
    const double black[3] = {m.wx / m.wy * m.blackY, m.blackY, (1 - m.wx - m.wy) / m.wy * m.blackY};
    for (int r = 0; r < 3; ++r)
        out[r] = black[r] + M[r][0] * lin[0] + M[r][1] * lin[1] + M[r][2] * lin[2];
    return {out[0], out[1], out[2]};
}

Tristimulus sensorLight(const DisplayModel &m, const PatternState &s) {
    if (s.width <= 0 || s.height <= 0)
        return displayLight(m, 0, 0, 0);
    const double side = std::max(1.0, s.height * spotFraction);
    const double x0 = s.width / 2.0 - side / 2;
    const double y0 = s.height / 2.0 - side / 2;
    Tristimulus sum;
    int n = 0;
    for (int j = 0; j < spotSamples; ++j) {
        for (int i = 0; i < spotSamples; ++i) {
            const int x = static_cast<int>(x0 + (i + 0.5) * side / spotSamples);
            const int y = static_cast<int>(y0 + (j + 0.5) * side / spotSamples);
            const Rgb c = codeAt(s, x, y);
            const int maxCode = (s.pattern == 3 || s.pattern == 4) ? s.maxColor : 255;
            const Tristimulus t = displayLight(m, c.r, c.g, c.b, maxCode);
            sum.X += t.X;
            sum.Y += t.Y;
            sum.Z += t.Z;
            ++n;
        }
    }
    return {sum.X / n, sum.Y / n, sum.Z / n};
}

} // namespace sim
