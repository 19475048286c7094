#pragma once
// Black verification arithmetic: the darkened colorimeter's readings are
// averaged over 50 readings, the first reading after a start never counted
// (it may have been integrated before the lens was covered). A reading
// taken with the aiming lights on stops the verification.

#include "measurement.h"

#include <QVector>

class BlackAverage {
public:
    static constexpr int readingsNeeded = 50;
    static constexpr uint32_t aimingLightBit = 0x40;
    // A black level is right when the darkened instrument reads within this
    // of zero on every channel.
    static constexpr double blackTolerance = 0.005; // cd/m²

    enum class Step { Skipped, Counted, Done, AimingLight, Idle };

    void start();
    void stop() { m_running = false; }
    bool isRunning() const { return m_running; }
    // One reading while running: counted, skipped (the first), the last one
    // needed (Done, and the average stops), or refused for the aiming light
    // (AimingLight, and it stops).
    Step add(const Measurement &m);

    int count() const { return m_count; }
    double sum(int channel) const { return m_sum[channel]; }
    double mean(int channel) const { return m_count > 0 ? m_sum[channel] / m_count : 0.0; }
    // Percent of the readings needed, 0 to 100.
    int progress() const;
    // Mean X, Y, Z; empty before the first counted reading.
    QVector<double> blackList() const;
    // All readings taken and every mean within blackTolerance of zero.
    bool complete() const { return m_count >= readingsNeeded; }
    bool isBlack() const;

private:
    bool m_running = false;
    bool m_skipNext = false;
    int m_count = 0;
    double m_sum[3] = {0, 0, 0};
};
