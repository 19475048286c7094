#pragma once
// The logging tool's timing: the sample-rate and log-time tables, the rule
// that keeps every log between 3 and 10000 samples, and the clock of one log
// (start, pause, resume, time remaining, one sample per interval).

#include <QString>
#include <QtGlobal>

struct ScheduleEntry {
    const char *label;
    qint64 ms;
};

constexpr int sampleRateCount = 12;
constexpr int logTimeCount = 13;
constexpr qint64 minLogSamples = 3;
constexpr qint64 maxLogSamples = 10000;

// Index clamped to the table.
const ScheduleEntry &sampleRate(int index);
const ScheduleEntry &logTime(int index);

// Samples in a log, by integer division as the coupling rule counts them.
qint64 samplesInLog(int logTimeIndex, int sampleRateIndex);
// The sample rate to use after the log time changed to logTimeIndex.
int coupledSampleRate(int logTimeIndex, int sampleRateIndex);
// The log time to use after the sample rate changed to sampleRateIndex.
int coupledLogTime(int sampleRateIndex, int logTimeIndex);

// "h:mm:ss" (with "N d " before it from a day on), rounded up to the second,
// " (paused)" when not running.
QString remainingText(qint64 ms, bool running);

// One log: idle, running, paused, finished. Times are ms since the epoch.
class LogClock {
public:
    // The interval also throttles readings shown while no log runs.
    void setInterval(qint64 intervalMs) { m_interval = qMax<qint64>(1, intervalMs); }
    void start(qint64 now, qint64 intervalMs, qint64 durationMs);
    void pause(qint64 now);
    // The start moves forward by the paused time, so the end does too.
    void resume(qint64 now);
    void finish();

    bool isRunning() const { return m_running; }
    bool isPaused() const { return m_active && !m_running; }
    // Started and not yet finished (running or paused).
    bool isActive() const { return m_active; }
    qint64 startTime() const { return m_start; }
    qint64 intervalMs() const { return m_interval; }
    qint64 durationMs() const { return m_duration; }

    qint64 remaining(qint64 now) const;
    // A reading at now is due when a whole interval has passed since the last
    // one taken; a due reading becomes the last one taken.
    bool takeSample(qint64 now);
    // The most rows a log of this length can hold: one per interval plus the
    // first.
    qint64 maxRows() const;

private:
    qint64 m_interval = 100; // ms
    qint64 m_duration = 0;
    qint64 m_start = 0;
    qint64 m_pause = 0;
    qint64 m_lastSample = 0;
    bool m_running = false;
    bool m_active = false;
};
