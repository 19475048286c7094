#pragma once
// Flashes in a streamed light signal: short excursions from the running
// level, measured in "% Diff * Second" (the area of the relative deviation
// over time). The detector keeps the last 4 seconds of samples, takes the
// mean of their middle half as the level, and integrates each run of
// same-signed deviations by the trapezoid rule; a run whose area reaches the
// threshold is a flash, counted and averaged per sign.

#include <QVector>

#include <cstdint>

struct Flicker;

// Count, mean and spread of one sign's flashes, kept by Welford's method.
struct FlashStats {
    int count = 0;
    double mean = 0;
    double squares = 0; // sum of squared deviations from the mean
    void add(double value);
    bool hasDeviation() const { return count > 1; }
    double deviation() const; // sample standard deviation; 0 below two flashes
};

struct Flash {
    double time = 0;  // s on the record's clock: the middle of the run
    double value = 0; // % Diff * Second; negative for a dip
};

class FlashDetector {
public:
    static constexpr double windowSeconds = 4.0;
    static constexpr double quietDeviation = 0.0001; // relative

    void setThreshold(double threshold) { m_threshold = threshold; }
    double threshold() const { return m_threshold; }
    // Forgets the samples and the statistics.
    void reset();

    // One pass over a record: appends its samples newer than those held and
    // returns the flashes found. A record taken while the instrument's
    // buffer was not yet full or just after a range change holds samples
    // from another range and starts the window afresh.
    QVector<Flash> process(const Flicker &record);
    // The same on bare samples (time in s, counts), for records and tests.
    QVector<Flash> process(const QVector<double> &times, const QVector<double> &counts);

    const FlashStats &positive() const { return m_positive; }
    const FlashStats &negative() const { return m_negative; }
    int heldSamples() const { return m_times.size(); }
    double heldSpan() const { return m_times.isEmpty() ? 0 : m_times.last() - m_times.first(); }

private:
    void clearWindow();
    QVector<Flash> scan();

    QVector<double> m_times;
    QVector<double> m_counts;
    double m_lastProcessed = -1e300;
    double m_threshold = 0.01;
    FlashStats m_positive;
    FlashStats m_negative;
};
