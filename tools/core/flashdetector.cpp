#include "flashdetector.h"

#include "flicker.h"
#include "measurement.h"

#include <algorithm>
#include <cmath>

void FlashStats::add(double value) {
    ++count;
    const double old = mean;
    mean = ((count - 1) * old + value) / count;
    squares += (value - mean) * (value - old);
}

double FlashStats::deviation() const {
    return count > 1 ? std::sqrt(squares / (count - 1)) : 0.0;
}

void FlashDetector::reset() {
    clearWindow();
    m_positive = FlashStats();
    m_negative = FlashStats();
}

void FlashDetector::clearWindow() {
    m_times.clear();
    m_counts.clear();
    m_lastProcessed = -1e300;
}

QVector<Flash> FlashDetector::process(const Flicker &record) {
    if (record.errorCode & (ErrorBits::FlickerRangeChanged | ErrorBits::FlickerBufferNotFilled)) {
        clearWindow();
        return {};
    }
    QVector<double> times, counts;
    const matrix &s = record.signalCounts;
    times.reserve(s.rows());
    counts.reserve(s.rows());
    for (int i = 0; i < s.rows(); ++i) {
        times << s(i, 0);
        counts << s(i, 1);
    }
    return process(times, counts);
}

QVector<Flash> FlashDetector::process(const QVector<double> &times, const QVector<double> &counts) {
    // Each record repeats most of the previous one: only newer samples join.
    const int n = std::min(times.size(), counts.size());
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(times[i]) || !std::isfinite(counts[i]))
            continue;
        if (!m_times.isEmpty() && times[i] <= m_times.last())
            continue;
        m_times << times[i];
        m_counts << counts[i];
    }
    int drop = 0;
    while (drop < m_times.size() && m_times.last() - m_times[drop] > windowSeconds)
        ++drop;
    m_times.remove(0, drop);
    m_counts.remove(0, drop);
    return scan();
}

QVector<Flash> FlashDetector::scan() {
    QVector<Flash> found;
    const int n = m_times.size();
    const int q = n / 4;
    if (n < 2 || n - 2 * q < 1)
        return found;
    QVector<double> sorted = m_counts;
    std::sort(sorted.begin(), sorted.end());
    double level = 0;
    for (int i = q; i < n - q; ++i)
        level += sorted[i];
    level /= n - 2 * q;
    if (level <= 0)
        return found;                            // no light: no relative deviation
    const double step = m_times[1] - m_times[0]; // s between samples

    auto deviation = [&](int i) { return (m_counts[i] - level) / level; };
    int i = q;
    const int end = n - q; // the newest quarter waits for later passes
    while (i < end) {
        if (m_times[i] <= m_lastProcessed) {
            ++i;
            continue;
        }
        const double d = deviation(i);
        if (std::fabs(d) < quietDeviation) {
            ++i;
            continue;
        }
        const bool positive = d >= 0;
        double sum = d / 2;
        int last = i;
        int j = i + 1;
        for (; j < end; ++j) {
            const double dj = deviation(j);
            if (std::fabs(dj) < quietDeviation || (dj >= 0) != positive)
                break;
            sum += dj;
            last = j;
        }
        if (j >= end)
            break;                  // still open: looked at again, whole, with the next record
        sum -= deviation(last) / 2; // trapezoid rule
        m_lastProcessed = m_times[last];
        const double value = step * 100 * sum;
        if (std::fabs(value) >= m_threshold) {
            const Flash flash{(m_times[i] + m_times[last]) / 2, value};
            (value < 0 ? m_negative : m_positive).add(value);
            found << flash;
        }
        i = j;
    }
    return found;
}
