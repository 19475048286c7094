#include "qgraphbox.h"

#include "qgraphbox_p.h"

#include <algorithm>
#include <cmath>

// Scale steps and ticks: the first-digit steps of the axes and their labels.

namespace {

constexpr int maxStepDigits = 15;     // below 1e-15 a step is treated as none
constexpr double maxStepValue = 1e15; // beyond qint64 arithmetic on ticks
constexpr double integerSlack = 1e-9; // absorbs binary rounding of k * power / count

} // namespace

namespace GraphBoxDetail {

// The smallest 1, 2 or 5 times a power of ten that is at least v (> 0).
double niceCeil(double v) {
    const double e = std::pow(10.0, std::floor(std::log10(v)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * e >= v * (1 - 1e-12))
            return m * e;
    return 10 * e;
}

// A major step of 1, 2 or 5 times a power of ten near `rough`, and a minor
// step that divides it into 5, 4 or 5 parts.
void niceSteps(double rough, QGraphBox::ScaleStep &major, QGraphBox::ScaleStep &minor) {
    major = QGraphBox::ScaleStep::fromStep(niceCeil(rough));
    QGraphBox::ScaleStep m = major;
    switch (major.count) {
    case 1:
        m.count = 2;
        m.power *= 10;
        break;
    case 2:
        m.count = 5;
        m.power *= 10;
        break;
    default:
        m.count = 1;
        break;
    }
    minor = m;
}

// Rounds [lo, hi] outward to whole multiples of step.
void snapOutward(double &lo, double &hi, const QGraphBox::ScaleStep &step) {
    if (step.count == 0)
        return;
    const double k0 = std::floor(lo * step.power / step.count + integerSlack);
    const double k1 = std::ceil(hi * step.power / step.count - integerSlack);
    lo = k0 * step.count / step.power;
    hi = k1 * step.count / step.power;
}

} // namespace GraphBoxDetail

// ---- Scale steps ----

QGraphBox::ScaleStep QGraphBox::ScaleStep::fromStep(double step) {
    const double a = std::fabs(step);
    if (!(a > 0) || !std::isfinite(a) || a >= maxStepValue)
        return {};
    int count = 0;
    double scaled = a;
    double power = 1;
    // One multiplication by an exact power of ten, so 0.7 stays 7 and does not
    // become 6.999... through repeated products.
    while (scaled * (1 + 1e-12) < 1) {
        if (++count > maxStepDigits)
            return {};
        power *= 10;
        scaled = a * power;
    }
    ScaleStep s;
    s.count = qint64(std::floor(scaled * (1 + 1e-12)));
    s.power = qint64(power);
    return s;
}

int QGraphBox::ScaleStep::decimals() const {
    int d = 0;
    for (qint64 p = power; p > 1; p /= 10)
        ++d;
    return d;
}

QVector<double> QGraphBox::ticks(double min, double max, const ScaleStep &step, int maxTicks) {
    QVector<double> out;
    if (step.count == 0 || !std::isfinite(min) || !std::isfinite(max) || max < min)
        return out;
    const double k0 = std::ceil(min * step.power / step.count - integerSlack);
    const double k1 = std::floor(max * step.power / step.count + integerSlack);
    if (k1 - k0 + 1 > maxTicks || k1 < k0)
        return out;
    for (qint64 k = qint64(k0); k <= qint64(k1); ++k)
        out.append(double(k * step.count) / double(step.power));
    return out;
}

QColor QGraphBox::spectrumColor(double nm) {
    struct Stop {
        double nm;
        int r, g, b;
    };
    static const Stop stops[] = {{750, 0, 0, 0},     {687, 255, 0, 0}, {607, 255, 127, 0},
                                 {580, 255, 255, 0}, {532, 0, 255, 0}, {485, 0, 255, 255},
                                 {462, 0, 0, 255},   {380, 0, 0, 0}};
    if (!(nm < 750 && nm > 380))
        return QColor(0, 0, 0);
    for (int i = 0; i + 1 < int(sizeof stops / sizeof stops[0]); ++i) {
        const Stop &a = stops[i], &b = stops[i + 1];
        if (nm <= a.nm && nm >= b.nm) {
            const double t = (a.nm - nm) / (a.nm - b.nm);
            return QColor(qRound(a.r + (b.r - a.r) * t), qRound(a.g + (b.g - a.g) * t),
                          qRound(a.b + (b.b - a.b) * t));
        }
    }
    return QColor(0, 0, 0);
}
