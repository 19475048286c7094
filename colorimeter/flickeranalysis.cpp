#include "flickeranalysis.h"

#include "flickerresponse.h"
#include "measurement.h"

#include <cmath>

namespace clmtr {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double jeitaCutoff = 62;    // Hz: no weight from here on
constexpr double noPeakDb = -100;     // dB
constexpr double mergedScale = 0.819; // window and bin merge together
constexpr double plainScale = 1.046;  // otherwise
constexpr double contrastFactor = 4;  // contrast method against normalized
constexpr double vesaOffsetDb = 3.01; // dB
constexpr int meanSamples = 32;       // the newest packet's samples

struct Knot {
    double f; // Hz
    double w;
};
const Knot jeitaKnots[] = {{0, 1.0},       {20, 1.0},  {30, 0.707946}, {40, 0.501187},
                           {50, 0.251189}, {60, 0.01}, {61, 0.005158}, {62, 0.000316},
                           {63, 0.0},      {64, 0.0}}; // the last knot closes the interval of 63 Hz

std::array<double, 64> makeJeitaTable() {
    std::array<double, 64> t{};
    for (std::size_t i = 0; i < t.size(); ++i) {
        const double f = static_cast<double>(i);
        for (std::size_t k = 0; k + 1 < sizeof jeitaKnots / sizeof jeitaKnots[0]; ++k) {
            const Knot &a = jeitaKnots[k], &b = jeitaKnots[k + 1];
            if (f == a.f) {
                t[i] = a.w;
                break;
            }
            if (f > a.f && f < b.f) {
                t[i] = a.w + (b.w - a.w) * (f - a.f) / (b.f - a.f);
                break;
            }
        }
    }
    return t;
}

// The window for n samples, computed once per size and thread.
const std::vector<double> &raisedCosine(int n) {
    thread_local std::vector<double> w;
    if (static_cast<int>(w.size()) != n) {
        w.resize(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            w[static_cast<std::size_t>(i)] = 1 + std::cos(2 * pi * i / (n - 1) + pi);
    }
    return w;
}

void insertPeak(matrix &peaks, double f, double v) {
    for (int r = 0; r < peaks.rows(); ++r) {
        if (v > peaks[r][1]) {
            for (int s = peaks.rows() - 1; s > r; --s) {
                peaks[s][0] = peaks[s - 1][0];
                peaks[s][1] = peaks[s - 1][1];
            }
            peaks[r][0] = f;
            peaks[r][1] = v;
            return;
        }
    }
}

} // namespace

bool validSampleCount(int n) {
    return n >= 64 && n <= 2048 && (n & (n - 1)) == 0;
}

int flickerBinCount(int n) {
    return n / 2 - (28 * n) / 256 + 1;
}

const std::array<double, 64> &jeitaTable() {
    static const std::array<double, 64> table = makeJeitaTable();
    return table;
}

double jeitaWeight(double f) {
    if (!(f < jeitaCutoff))
        return 0; // also NaN
    if (f <= 0)
        return jeitaTable()[0];
    const auto i = static_cast<std::size_t>(f);
    const auto &t = jeitaTable();
    return t[i] + (t[i + 1] - t[i]) * (f - static_cast<double>(i));
}

void fft(double *re, double *im, int n) {
    // Bit-reversal permutation.
    for (int i = 1, j = 0; i < n; ++i) {
        int bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
    }
    // Butterflies; the twiddle advances by a rotation per step, re-seeded
    // from sin/cos each stage.
    for (int len = 2; len <= n; len <<= 1) {
        const double theta = 2 * pi / len; // + sign: e^(+i theta)
        const double half = std::sin(theta / 2);
        const double stepRe = -2 * half * half; // cos(theta) - 1
        const double stepIm = std::sin(theta);
        double wRe = 1, wIm = 0;
        const int h = len / 2;
        for (int k = 0; k < h; ++k) {
            for (int i = k; i < n; i += len) {
                const int j = i + h;
                const double tRe = wRe * re[j] - wIm * im[j];
                const double tIm = wRe * im[j] + wIm * re[j];
                re[j] = re[i] - tRe;
                im[j] = im[i] - tIm;
                re[i] += tRe;
                im[i] += tIm;
            }
            const double old = wRe;
            wRe += wRe * stepRe - wIm * stepIm;
            wIm += wIm * stepRe + old * stepIm;
        }
    }
}

void findPeaks(const matrix &spectrum, matrix &peaks) {
    const int m = spectrum.rows();
    for (int k = 1; k < m; ++k) {
        const double v = spectrum[k][1];
        if (!(v > spectrum[k - 1][1]))
            continue;
        if (k + 1 < m && !(v > spectrum[k + 1][1]))
            continue;
        insertPeak(peaks, spectrum[k][0], v);
    }
}

void analyseFlicker(Flicker &rec, const std::vector<double> &samples, long packetCounter,
                    double y) {
    const FlickerSettings &s = rec.settings;
    const int n = static_cast<int>(samples.size());
    if (!validSampleCount(n) || !(s.sampleRate > 0)) {
        rec.errorCode |= ErrorBits::Internal;
        return;
    }
    const double rate = s.sampleRate;
    rec.y = y;

    // 1. Time axis: the newest sample is the last of packet packetCounter.
    rec.signalCounts = matrix(n, 2);
    rec.signalNits = matrix(n, 2);
    const double t0 = (static_cast<double>(meanSamples) * packetCounter - n) / rate;
    double mean = 0;
    for (int i = n - meanSamples; i < n; ++i)
        mean += samples[static_cast<std::size_t>(i)];
    mean /= meanSamples;
    for (int i = 0; i < n; ++i) {
        const double t = t0 + i / rate;
        const double v = samples[static_cast<std::size_t>(i)];
        rec.signalCounts[i][0] = t;
        rec.signalCounts[i][1] = v;
        rec.signalNits[i][0] = t;
        if (y != -1)
            rec.signalNits[i][1] = mean != 0 ? v * y / mean : 0; // no light: 0 cd/m²
    }

    // 2-3. Window and transform.
    std::vector<double> re(samples), im(static_cast<std::size_t>(n), 0.0);
    if (s.windowOn) {
        const std::vector<double> &w = raisedCosine(n);
        for (std::size_t i = 0; i < re.size(); ++i)
            re[i] *= w[i];
    }
    fft(re.data(), im.data(), n);

    // 4. Magnitudes with the instrument's response corrected.
    const int m = flickerBinCount(n);
    const double binHz = rate / n;
    std::vector<double> a(static_cast<std::size_t>(m));
    for (int k = 0; k < m; ++k) {
        const auto kk = static_cast<std::size_t>(k);
        a[kk] = std::sqrt(re[kk] * re[kk] + im[kk] * im[kk]) * responseAt(s.response, k * binHz);
    }
    // 5. Each bin with its neighbours, from the unmerged values.
    if (s.binMerge) {
        const std::vector<double> raw(a);
        for (int k = 3; k <= m - 3; ++k) {
            const auto kk = static_cast<std::size_t>(k);
            a[kk] = std::sqrt(raw[kk - 1] * raw[kk - 1] + raw[kk] * raw[kk] +
                              raw[kk + 1] * raw[kk + 1]);
        }
    }
    // 6. Relative to the mean (bin 0); bin 1 holds the window's leakage from
    // the mean, so it repeats bin 2. A dark buffer has no relative amplitude.
    const double dc = a[0];
    for (int k = 2; k < m; ++k)
        a[static_cast<std::size_t>(k)] = dc > 0 ? a[static_cast<std::size_t>(k)] / dc : 0;
    a[1] = a[2];

    // 7-8. Percent and decibels.
    const double scale = (s.windowOn && s.binMerge) ? mergedScale : plainScale;
    rec.amplitude = matrix(m, 2);
    rec.spectrumPercent = matrix(m, 2);
    rec.spectrumDb = matrix(m, 2);
    // Bin 0 keeps the DC magnitude itself, the level every other bin is
    // relative to: the one place the signal's absolute size survives.
    rec.amplitude[0][1] = dc;
    rec.spectrumPercent[0][1] = 100;
    rec.spectrumDb[0][1] = 0;
    for (int k = 0; k < m; ++k) {
        const double f = k * binHz;
        rec.amplitude[k][0] = f;
        rec.spectrumPercent[k][0] = f;
        rec.spectrumDb[k][0] = f;
        if (k == 0)
            continue;
        const double ak = a[static_cast<std::size_t>(k)] * scale;
        rec.amplitude[k][1] = ak;
        double p = 100 * ak * (s.normalized == 0 ? contrastFactor : 1);
        if (s.jeitaDiscountPercent)
            p *= jeitaWeight(f);
        rec.spectrumPercent[k][1] = p;

        double d = noPeakDb;
        if (!(s.jeitaDiscountDb && f >= jeitaCutoff)) {
            const double w = s.jeitaDiscountDb ? jeitaWeight(f) : 1.0;
            const double level = std::sqrt(2.0) * w * ak;
            if (level > 0) // log of nothing: the floor instead of -infinity
                d = 20 * std::log10(level) + (s.jeita == 0 ? vesaOffsetDb : 0);
        }
        rec.spectrumDb[k][1] = d;
    }

    // 9. Peaks.
    rec.peaksPercent = matrix(3, 2);
    rec.peaksDb = matrix(3, 2);
    for (int r = 0; r < 3; ++r)
        rec.peaksDb[r][1] = noPeakDb;
    findPeaks(rec.spectrumPercent, rec.peaksPercent);
    findPeaks(rec.spectrumDb, rec.peaksDb);
}

} // namespace clmtr
