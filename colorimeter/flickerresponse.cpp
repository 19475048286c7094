#include "flickerresponse.h"

#include "measurement.h"

#include <cmath>

namespace clmtr {

namespace {
constexpr std::size_t versionAt = 19;
constexpr std::size_t versionLength = 7;
constexpr std::size_t blocksAt = 26;
constexpr double fitLow = 70;         // Hz
constexpr double fitHigh = 100;       // Hz
constexpr double polynomialEnd = 151; // Hz
} // namespace

std::string responseFirmwareVersion(const std::string &reply) {
    if (reply.size() < versionAt + versionLength)
        return {};
    return reply.substr(versionAt, versionLength);
}

GainCurve gainCurve(const unsigned char *block) {
    GainCurve g{};
    for (int j = 0; j < 64; ++j) {
        double v = block[2 * j] * 256 + block[2 * j + 1];
        if (v == 0)
            v = 1e-7;
        g[static_cast<std::size_t>(2 * j + 1)] = 32768.0 / v;
    }
    for (std::size_t f = 2; f <= 126; f += 2)
        g[f] = (g[f - 1] + g[f + 1]) / 2;
    g[0] = g[1];
    g[128] = g[127]; // filled for completeness; the repair sets it again
    return g;
}

void repairGainCurve(GainCurve &g) {
    const double line = 2 * g[99] - g[98];
    if (std::fabs(g[100] - line) > 0.02 * std::fabs(line)) {
        g[100] = line;
        g[101] = 2 * g[100] - g[99];
    }
    if (g[102] < 1) {
        for (std::size_t f = 102; f <= 127; ++f)
            g[f] = 0;
    }
    g[128] = g[127];
}

bool gainCurveValid(const GainCurve &g) {
    if (g[1] != 1.0)
        return false;
    if (!(g[99] >= 25 && g[99] <= 150))
        return false;
    for (std::size_t f = 1; f <= 98; ++f) {
        if (!(g[f + 1] > 0.99 * g[f]))
            return false;
    }
    return true;
}

std::array<double, 4> fitCubic(const double *x, const double *y, int n) {
    // Normal equations in a centred, scaled variable u = (x - c) / s keep the
    // 4 x 4 system well conditioned; the result is expanded back to powers of x.
    std::array<double, 4> coef{};
    if (n < 1)
        return coef;
    double lo = x[0], hi = x[0];
    for (int i = 1; i < n; ++i) {
        lo = std::fmin(lo, x[i]);
        hi = std::fmax(hi, x[i]);
    }
    const double c = (lo + hi) / 2;
    const double s = hi > lo ? (hi - lo) / 2 : 1.0;

    double a[4][5] = {};
    for (int i = 0; i < n; ++i) {
        const double u = (x[i] - c) / s;
        double pw[7] = {1};
        for (int k = 1; k < 7; ++k)
            pw[k] = pw[k - 1] * u;
        for (int r = 0; r < 4; ++r) {
            for (int k = 0; k < 4; ++k)
                a[r][k] += pw[r + k];
            a[r][4] += pw[r] * y[i];
        }
    }
    // Gauss-Jordan with partial pivoting; a singular system (fewer than four
    // distinct x) leaves the missing terms 0.
    int used[4] = {-1, -1, -1, -1};
    for (int col = 0, row = 0; col < 4 && row < 4; ++col) {
        int best = row;
        for (int r = row + 1; r < 4; ++r) {
            if (std::fabs(a[r][col]) > std::fabs(a[best][col]))
                best = r;
        }
        if (std::fabs(a[best][col]) < 1e-12)
            continue;
        for (int k = 0; k < 5; ++k)
            std::swap(a[row][k], a[best][k]);
        for (int r = 0; r < 4; ++r) {
            if (r == row)
                continue;
            const double m = a[r][col] / a[row][col];
            for (int k = 0; k < 5; ++k)
                a[r][k] -= m * a[row][k];
        }
        used[col] = row++;
    }
    double b[4] = {};
    for (int col = 0; col < 4; ++col) {
        if (used[col] >= 0)
            b[col] = a[used[col]][4] / a[used[col]][col];
    }
    // sum b_k ((x - c) / s)^k expanded by the binomial theorem.
    static const double binom[4][4] = {{1, 0, 0, 0}, {1, 1, 0, 0}, {1, 2, 1, 0}, {1, 3, 3, 1}};
    for (int k = 0; k < 4; ++k) {
        const double scale = b[k] / std::pow(s, k);
        for (int j = 0; j <= k; ++j)
            coef[static_cast<std::size_t>(j)] += scale * binom[k][j] * std::pow(-c, k - j);
    }
    return coef;
}

PairResponse pairResponse(const GainCurve &g) {
    PairResponse p{};
    for (std::size_t f = 0; f < p.table.size(); ++f)
        p.table[f] = g[f];
    double x[31], y[31];
    for (int i = 0; i < 31; ++i) {
        x[i] = fitLow + i;
        y[i] = g[static_cast<std::size_t>(fitLow) + static_cast<std::size_t>(i)];
    }
    static_assert(fitHigh - fitLow + 1 == 31, "31 points from 70 to 100 Hz");
    p.cubic = fitCubic(x, y, 31);
    return p;
}

std::array<PairResponse, 3> unknownResponseData() {
    std::array<PairResponse, 3> data{};
    for (PairResponse &p : data) {
        p.table.fill(unknownCalibration);
        p.cubic.fill(unknownCalibration);
    }
    return data;
}

bool responseDataKnown(const std::array<PairResponse, 3> &data) {
    for (const PairResponse &p : data) {
        for (double v : p.table)
            if (v == unknownCalibration)
                return false;
        for (double v : p.cubic)
            if (v == unknownCalibration)
                return false;
    }
    return true;
}

uint32_t parseResponseData(const std::string &reply, std::array<PairResponse, 3> &out) {
    const std::size_t blockArea = responsePairs * responseBlockBytes; // 384 bytes
    if (reply.size() < blocksAt + blockArea)
        return ErrorBits::FlickerBadResponseData;
    const auto *bytes = reinterpret_cast<const unsigned char *>(reply.data()) + blocksAt;
    std::array<PairResponse, 3> parsed{};
    for (std::size_t pair = 0; pair < responsePairs; ++pair) {
        GainCurve g = gainCurve(bytes + pair * responseBlockBytes);
        repairGainCurve(g);
        if (!gainCurveValid(g))
            return ErrorBits::FlickerBadResponseData;
        parsed[pair] = pairResponse(g);
    }
    out = parsed;
    return 0;
}

std::vector<ResponseSegment> responseSegments(const PairResponse &pair) {
    ResponseSegment table;
    table.low = 0;
    table.high = fitLow;
    table.kind = ResponseSegment::Table;
    table.coefficients.assign(pair.table.begin(), pair.table.end());
    ResponseSegment cubic;
    cubic.low = fitLow;
    cubic.high = polynomialEnd;
    cubic.kind = ResponseSegment::Polynomial;
    cubic.coefficients.assign(pair.cubic.begin(), pair.cubic.end());
    return {table, cubic};
}

double responseAt(const std::vector<ResponseSegment> &segments, double f) {
    for (const ResponseSegment &s : segments) {
        if (!(f >= s.low && f < s.high))
            continue;
        const std::vector<double> &c = s.coefficients;
        if (s.kind == ResponseSegment::Table) {
            const double at = f - s.low;
            const std::size_t i = static_cast<std::size_t>(at);
            if (i + 1 >= c.size())
                return c.empty() ? 1.0 : c.back();
            return c[i] + (c[i + 1] - c[i]) * (at - static_cast<double>(i));
        }
        double v = 0, p = 1;
        for (double ck : c) {
            v += ck * p;
            p *= f;
        }
        return v;
    }
    return 1.0;
}

} // namespace clmtr
