#pragma once
// A spectroradiometer that announces a long measurement, as a CS-2000 does
// in low light, and then waits until it is cancelled (or, as a safety net,
// until its own long limit): measure() and spectrum() both block so.

#include "fakemeter.h"

#include <atomic>
#include <chrono>
#include <thread>

class AnnouncingMeter : public FakeMeter {
public:
    int announcedMs = 240000; // ms
    std::atomic<bool> waiting{false};
    std::atomic<bool> cancelled{false};

    Measurement measure(int) override {
        waitForCancel();
        Measurement m;
        m.errorCode = 0x8;
        return m;
    }
    QList<double> spectrum() override {
        waitForCancel();
        return QVector<double>(781, 0.0).toList();
    }
    quint32 spectrumErrorCode() override { return 0x8; }
    QString lastProblem() override { return QStringLiteral("The measurement was cancelled."); }
    void cancelMeasurement() override { cancelled = true; }

private:
    void waitForCancel() {
        cancelled = false;
        emit measuringTime(announcedMs);
        waiting = true;
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!cancelled && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        waiting = false;
    }
};
