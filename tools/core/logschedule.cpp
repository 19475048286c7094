#include "logschedule.h"

#include <QtGlobal>

namespace {

const ScheduleEntry sampleRates[sampleRateCount] = {
    {"Fast", 100},         {"1 Second", 1000},     {"2 Seconds", 2000},     {"5 Seconds", 5000},
    {"10 Seconds", 10000}, {"30 Seconds", 30000},  {"1 Minute", 60000},     {"2 Minutes", 120000},
    {"5 Minutes", 300000}, {"10 Minutes", 600000}, {"30 Minutes", 1800000}, {"1 Hour", 3600000}};

const ScheduleEntry logTimes[logTimeCount] = {
    {"10 Seconds", 10000},  {"30 Seconds", 30000},   {"1 Minute", 60000}, {"5 Minutes", 300000},
    {"10 Minutes", 600000}, {"30 Minutes", 1800000}, {"1 Hour", 3600000}, {"3 Hours", 10800000},
    {"6 Hours", 21600000},  {"12 Hours", 43200000},  {"1 Day", 86400000}, {"3 Day", 259200000},
    {"1 Week", 604800000}};

} // namespace

const ScheduleEntry &sampleRate(int index) {
    return sampleRates[qBound(0, index, sampleRateCount - 1)];
}

const ScheduleEntry &logTime(int index) {
    return logTimes[qBound(0, index, logTimeCount - 1)];
}

qint64 samplesInLog(int logTimeIndex, int sampleRateIndex) {
    return logTime(logTimeIndex).ms / sampleRate(sampleRateIndex).ms;
}

int coupledSampleRate(int t, int s) {
    t = qBound(0, t, logTimeCount - 1);
    s = qBound(0, s, sampleRateCount - 1);
    while (s > 0 && samplesInLog(t, s) < minLogSamples)
        --s;
    while (s < sampleRateCount - 1 && samplesInLog(t, s) > maxLogSamples)
        ++s;
    return s;
}

int coupledLogTime(int s, int t) {
    s = qBound(0, s, sampleRateCount - 1);
    t = qBound(0, t, logTimeCount - 1);
    while (t < logTimeCount - 1 && samplesInLog(t, s) < minLogSamples)
        ++t;
    while (t > 0 && samplesInLog(t, s) > maxLogSamples)
        --t;
    return t;
}

QString remainingText(qint64 ms, bool running) {
    // Whole seconds, rounded up: "0:00:00" only once the log is over.
    const qint64 total = (qMax<qint64>(0, ms) + 999) / 1000;
    const qint64 days = total / 86400;
    const QString clock = QStringLiteral("%1:%2:%3")
                              .arg(total / 3600 % 24, days ? 2 : 1, 10, QLatin1Char('0'))
                              .arg(total / 60 % 60, 2, 10, QLatin1Char('0'))
                              .arg(total % 60, 2, 10, QLatin1Char('0'));
    const QString text = days ? QStringLiteral("%1 d %2").arg(days).arg(clock) : clock;
    return running ? text : text + QStringLiteral(" (paused)");
}

void LogClock::start(qint64 now, qint64 intervalMs, qint64 durationMs) {
    m_interval = qMax<qint64>(1, intervalMs);
    m_duration = qMax<qint64>(0, durationMs);
    m_start = now;
    m_pause = now;
    m_lastSample = 0;
    m_running = true;
    m_active = true;
}

void LogClock::pause(qint64 now) {
    if (!m_running)
        return;
    m_pause = now;
    m_running = false;
}

void LogClock::resume(qint64 now) {
    if (!m_active || m_running)
        return;
    m_start += now - m_pause;
    m_running = true;
}

void LogClock::finish() {
    m_running = false;
    m_active = false;
}

qint64 LogClock::remaining(qint64 now) const {
    const qint64 elapsed = (m_running ? now : m_pause) - m_start;
    return qMax<qint64>(0, m_duration - elapsed);
}

bool LogClock::takeSample(qint64 now) {
    if (m_lastSample + m_interval > now)
        return false;
    m_lastSample = now;
    return true;
}

qint64 LogClock::maxRows() const {
    return m_duration / m_interval + 1;
}
