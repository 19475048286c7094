#include "displayfit.h"

#include "labmath.h"
#include "patchsets.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace correction {

namespace {

// Codes are compared as 8-bit values: the patch sets are 8-bit.
int code8(double v) {
    return static_cast<int>(std::lround(v * 255.0));
}

// Tolerance of reachable(), in drive (0..1).
constexpr double reachSlack = 1e-3;
// How far invert() may leave the model's light from the target's, as a
// share of the white's luminance, before it searches further.
constexpr double invertTolerance = 1e-4;

double dot(const Xyz &a, const Xyz &b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

Xyz minus(const Xyz &a, const Xyz &b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}

// Fritsch-Carlson slopes: the cubic through the points never overshoots,
// so the response stays monotone and invertible.
std::vector<double> monotoneSlopes(const std::vector<double> &x, const std::vector<double> &y) {
    const std::size_t n = x.size();
    std::vector<double> d(n - 1), m(n);
    for (std::size_t i = 0; i + 1 < n; ++i)
        d[i] = (y[i + 1] - y[i]) / (x[i + 1] - x[i]);
    m[0] = d[0];
    m[n - 1] = d[n - 2];
    for (std::size_t i = 1; i + 1 < n; ++i)
        m[i] = (d[i - 1] * d[i] <= 0) ? 0.0 : (d[i - 1] + d[i]) / 2;
    for (std::size_t i = 0; i + 1 < n; ++i) {
        if (d[i] == 0) {
            m[i] = m[i + 1] = 0;
            continue;
        }
        const double a = m[i] / d[i], b = m[i + 1] / d[i];
        const double s = a * a + b * b;
        if (s > 9) {
            const double k = 3 / std::sqrt(s);
            m[i] = k * a * d[i];
            m[i + 1] = k * b * d[i];
        }
    }
    return m;
}

double hermite(const std::vector<double> &x, const std::vector<double> &y,
               const std::vector<double> &m, double v) {
    v = std::clamp(v, x.front(), x.back());
    std::size_t i = std::upper_bound(x.begin(), x.end(), v) - x.begin();
    i = std::clamp<std::size_t>(i, 1, x.size() - 1) - 1;
    const double h = x[i + 1] - x[i];
    const double s = (v - x[i]) / h;
    const double s2 = s * s, s3 = s2 * s;
    return (2 * s3 - 3 * s2 + 1) * y[i] + (s3 - 2 * s2 + s) * h * m[i] +
           (-2 * s3 + 3 * s2) * y[i + 1] + (s3 - s2) * h * m[i + 1];
}

// The exponent of the power law nearest the ramp (least squares in log-log
// over its middle, where neither black nor noise dominate); 1 to 4.
double powerExponent(const std::vector<double> &v, const std::vector<double> &t) {
    double sxy = 0, sxx = 0;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] < 0.1 || v[i] > 0.95 || !(t[i] > 0))
            continue;
        const double x = std::log(v[i]), y = std::log(t[i]);
        sxy += x * y;
        sxx += x * x;
    }
    return sxx > 0 ? std::clamp(sxy / sxx, 1.0, 4.0) : 1.0;
}

} // namespace

Xyz multiply(const Mat3 &m, const Xyz &v) {
    return {m[0][0] * v[0] + m[0][1] * v[1] + m[0][2] * v[2],
            m[1][0] * v[0] + m[1][1] * v[1] + m[1][2] * v[2],
            m[2][0] * v[0] + m[2][1] * v[1] + m[2][2] * v[2]};
}

bool invert3(const Mat3 &m, Mat3 *out) {
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    if (!std::isfinite(det) || std::fabs(det) < 1e-12)
        return false;
    Mat3 &r = *out;
    r[0][0] = (m[1][1] * m[2][2] - m[1][2] * m[2][1]) / det;
    r[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det;
    r[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det;
    r[1][0] = (m[1][2] * m[2][0] - m[1][0] * m[2][2]) / det;
    r[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det;
    r[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det;
    r[2][0] = (m[1][0] * m[2][1] - m[1][1] * m[2][0]) / det;
    r[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det;
    r[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det;
    return true;
}

bool DisplayModel::fit(const std::vector<Sample> &samples, std::string *error) {
    auto fail = [error](const std::string &why) {
        if (error)
            *error = why;
        return false;
    };
    // Repeated codes are averaged.
    std::map<std::array<int, 3>, std::pair<Xyz, int>> byCode;
    for (const Sample &s : samples) {
        for (double v : s.xyz)
            if (!std::isfinite(v))
                return fail("a measurement is not finite");
        auto &slot = byCode[{code8(s.code[0]), code8(s.code[1]), code8(s.code[2])}];
        for (int c = 0; c < 3; ++c)
            slot.first[c] += s.xyz[c];
        ++slot.second;
    }
    auto mean = [&](const std::array<int, 3> &code, Xyz *out) {
        const auto it = byCode.find(code);
        if (it == byCode.end())
            return false;
        for (int c = 0; c < 3; ++c)
            (*out)[c] = it->second.first[c] / it->second.second;
        return true;
    };
    if (!mean({0, 0, 0}, &black_))
        return fail("no black patch was measured");
    const char *names[3] = {"red", "green", "blue"};
    for (int c = 0; c < 3; ++c) {
        std::array<int, 3> full{0, 0, 0};
        full[c] = 255;
        Xyz top;
        if (!mean(full, &top))
            return fail(std::string("no full ") + names[c] + " patch was measured");
        const Xyz p = minus(top, black_);
        const double p2 = dot(p, p);
        if (!(p[1] > 0) || !(p2 > 0))
            return fail(std::string("full ") + names[c] + " gives no light above black");
        for (int r = 0; r < 3; ++r)
            m_[r][c] = p[r];
        // The ramp, projected on the primary: its share of full drive.
        Curve &curve = curves_[c];
        curve = {};
        std::vector<double> share{0.0};
        curve.v.push_back(0);
        for (const auto &[code, sum] : byCode) {
            const int v = code[c];
            if (v == 0 || code[(c + 1) % 3] != 0 || code[(c + 2) % 3] != 0)
                continue;
            Xyz xyz;
            mean(code, &xyz);
            const double t = v == 255 ? 1.0 : dot(minus(xyz, black_), p) / p2;
            curve.v.push_back(v / 255.0);
            // Noise must not bend the curve back: a response never falls.
            share.push_back(std::clamp(std::max(t, share.back()), 0.0, 1.0));
        }
        if (curve.v.size() < 3)
            return fail(std::string("the ") + names[c] + " ramp has too few steps");
        curve.exponent = powerExponent(curve.v, share);
        for (double t : share)
            curve.y.push_back(std::pow(t, 1.0 / curve.exponent));
        curve.slope = monotoneSlopes(curve.v, curve.y);
    }
    if (!invert3(m_, &inverse_))
        return fail("the primaries do not span a colour space (two measure alike)");

    // The residual on the largest complete cube among the patch sets'.
    grid_.clear();
    residual_.clear();
    for (int levels : {17, 9, 5}) {
        const std::vector<int> codes = cubeCodes(levels);
        bool complete = true;
        for (int b : codes)
            for (int g : codes)
                for (int r : codes)
                    complete = complete && byCode.count({r, g, b});
        if (!complete)
            continue;
        for (int c : codes)
            grid_.push_back(c / 255.0);
        for (int b : codes)
            for (int g : codes)
                for (int r : codes) {
                    Xyz xyz;
                    mean({r, g, b}, &xyz);
                    residual_.push_back(
                        minus(xyz, predictAdditive({r / 255.0, g / 255.0, b / 255.0})));
                }
        break;
    }

    report_ = {};
    report_.samples = static_cast<int>(samples.size());
    Xyz white;
    if (!mean({255, 255, 255}, &white))
        white = predictAdditive({1, 1, 1});
    whiteY_ = std::max(white[1] - black_[1], 1e-9);
    double sum = 0, interaction = 0;
    int onGrid = 0;
    auto inGrid = [&](int v) {
        return std::any_of(grid_.begin(), grid_.end(), [v](double g) { return code8(g) == v; });
    };
    for (const auto &[code, total] : byCode) {
        Xyz xyz;
        mean(code, &xyz);
        const int lit = (code[0] > 0) + (code[1] > 0) + (code[2] > 0);
        const bool cube = !grid_.empty() && inGrid(code[0]) && inGrid(code[1]) && inGrid(code[2]);
        if (cube) {
            const double d = deltaE2000(
                predictAdditive({code[0] / 255.0, code[1] / 255.0, code[2] / 255.0}), xyz, white);
            interaction += d;
            report_.interactionMaxDeltaE = std::max(report_.interactionMaxDeltaE, d);
            ++onGrid;
        }
        if (cube || lit <= 1)
            continue; // used by the fit
        const double d =
            deltaE2000(predict({code[0] / 255.0, code[1] / 255.0, code[2] / 255.0}), xyz, white);
        sum += d;
        report_.maxDeltaE = std::max(report_.maxDeltaE, d);
        ++report_.heldBack;
    }
    if (report_.heldBack)
        report_.meanDeltaE = sum / report_.heldBack;
    if (onGrid)
        report_.interactionMeanDeltaE = interaction / onGrid;
    return true;
}

double DisplayModel::response(int channel, double code) const {
    const Curve &c = curves_[channel];
    if (c.v.size() < 2)
        return std::clamp(code, 0.0, 1.0);
    return std::pow(std::clamp(hermite(c.v, c.y, c.slope, code), 0.0, 1.0), c.exponent);
}

double DisplayModel::inverseResponse(int channel, double t) const {
    if (t <= 0)
        return 0;
    if (t >= 1)
        return 1;
    double lo = 0, hi = 1;
    for (int i = 0; i < 40; ++i) {
        const double mid = (lo + hi) / 2;
        (response(channel, mid) < t ? lo : hi) = mid;
    }
    return (lo + hi) / 2;
}

Xyz DisplayModel::predictAdditive(const Rgb3 &code) const {
    const Xyz t{response(0, code[0]), response(1, code[1]), response(2, code[2])};
    const Xyz light = multiply(m_, t);
    return {black_[0] + light[0], black_[1] + light[1], black_[2] + light[2]};
}

Xyz DisplayModel::residual(const Rgb3 &code) const {
    const std::size_t n = grid_.size();
    if (n < 2)
        return {0, 0, 0};
    std::size_t i[3];
    double f[3];
    for (int c = 0; c < 3; ++c) {
        const double v = std::clamp(code[c], 0.0, 1.0);
        std::size_t k = std::upper_bound(grid_.begin(), grid_.end(), v) - grid_.begin();
        k = std::clamp<std::size_t>(k, 1, n - 1) - 1;
        i[c] = k;
        f[c] = (v - grid_[k]) / (grid_[k + 1] - grid_[k]);
    }
    Xyz out{0, 0, 0};
    for (int corner = 0; corner < 8; ++corner) {
        double w = 1;
        std::size_t at[3];
        for (int c = 0; c < 3; ++c) {
            const bool up = corner & (1 << c);
            w *= up ? f[c] : 1 - f[c];
            at[c] = i[c] + (up ? 1 : 0);
        }
        if (w == 0)
            continue;
        const Xyz &e = residual_[(at[2] * n + at[1]) * n + at[0]];
        for (int c = 0; c < 3; ++c)
            out[c] += w * e[c];
    }
    return out;
}

Xyz DisplayModel::predict(const Rgb3 &code) const {
    const Xyz a = predictAdditive(code);
    const Xyz e = residual(code);
    return {a[0] + e[0], a[1] + e[1], a[2] + e[2]};
}

Rgb3 DisplayModel::drivesFor(const Xyz &xyz) const {
    return multiply(inverse_, minus(xyz, black_));
}

Rgb3 DisplayModel::invert(const Xyz &xyz) const {
    // The additive part inverts exactly; where the residual varies slowly, a
    // few rounds of "take it off the target and invert again" converge.
    Rgb3 code{0, 0, 0};
    Xyz e{0, 0, 0};
    for (int round = 0; round < 5; ++round) {
        const Rgb3 t = drivesFor(minus(xyz, e));
        for (int c = 0; c < 3; ++c)
            code[c] = inverseResponse(c, t[c]);
        if (grid_.empty())
            break;
        e = residual(code);
    }
    if (grid_.empty() || missBy(code, xyz) <= invertTolerance)
        return code;
    // Where the channels interact strongly (a display that converts its
    // input to its own primaries and clips, an HDR roll-off) the rounds can
    // settle far from the target: search the whole model from there.
    return refined(code, xyz);
}

double DisplayModel::missBy(const Rgb3 &code, const Xyz &xyz) const {
    return distance(predict(code), xyz);
}

double DisplayModel::distance(const Xyz &a, const Xyz &b) const {
    const Xyz d = minus(a, b);
    return std::sqrt(dot(d, d)) / whiteY_;
}

Rgb3 DisplayModel::refined(const Rgb3 &start, const Xyz &xyz) const {
    // Levenberg-Marquardt on the model's X, Y, Z, codes kept within 0..1.
    Rgb3 code = start;
    Xyz here = predict(code);
    double miss = distance(here, xyz), damping = 1e-3;
    double jacobian[3][3]; // d xyz[row] / d code[column], at code
    bool moved = true;     // a refused step leaves code, and so the jacobian, as it was
    for (int step = 0; step < 25 && miss > invertTolerance && damping < 1e8; ++step) {
        if (moved) {
            for (int c = 0; c < 3; ++c) {
                Rgb3 nudged = code;
                const double h = code[c] > 0.5 ? -1e-4 : 1e-4;
                nudged[c] += h;
                const Xyz light = predict(nudged);
                for (int row = 0; row < 3; ++row)
                    jacobian[row][c] = (light[row] - here[row]) / h;
            }
            moved = false;
        }
        const Xyz r = minus(here, xyz);
        Mat3 normal{};
        Xyz gradient{0, 0, 0};
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j)
                for (int row = 0; row < 3; ++row)
                    normal[i][j] += jacobian[row][i] * jacobian[row][j];
            for (int row = 0; row < 3; ++row)
                gradient[i] += jacobian[row][i] * r[row];
        }
        for (int i = 0; i < 3; ++i)
            normal[i][i] += damping * std::max(normal[i][i], 1e-12);
        Mat3 inverse{};
        if (!invert3(normal, &inverse)) {
            damping *= 10;
            continue;
        }
        const Xyz delta = multiply(inverse, gradient);
        Rgb3 next = code;
        for (int c = 0; c < 3; ++c)
            next[c] = std::clamp(code[c] - delta[c], 0.0, 1.0);
        const Xyz there = predict(next);
        const double nextMiss = distance(there, xyz);
        if (nextMiss < miss) {
            code = next;
            here = there;
            miss = nextMiss;
            moved = true;
            damping = std::max(damping / 4, 1e-9);
        } else {
            damping *= 8;
        }
    }
    return code;
}

bool DisplayModel::reachable(const Xyz &xyz) const {
    const Rgb3 t = drivesFor(minus(xyz, residual(invert(xyz))));
    for (double v : t)
        if (v < -reachSlack || v > 1 + reachSlack)
            return false;
    return true;
}

} // namespace correction
