// The logging tool's timing: the slider coupling keeps every log between 3
// and 10000 samples, the clock throttles readings to one per interval, and
// a pause moves the end of the log.
#include "logschedule.h"

#include <gtest/gtest.h>

TEST(LogSchedule, CouplingMovesTheOtherSliderAsDescribed) {
    // Log time "10 Seconds" with sample rate "1 Hour": the rate comes down
    // until the log holds at least 3 samples.
    EXPECT_EQ(coupledSampleRate(0, 11), 2); // "2 Seconds": 5 samples
    // Sample rate "1 Hour" with log time "10 Seconds": the log grows to "3 Hours".
    EXPECT_EQ(coupledLogTime(11, 0), 7);
    EXPECT_EQ(samplesInLog(7, 11), 3);
    // Sample rate "Fast" with log time "1 Week": the log shrinks to "10 Minutes".
    EXPECT_EQ(coupledLogTime(0, 12), 4);
    EXPECT_EQ(samplesInLog(4, 0), 6000);
    // A pair already within the rule is left alone.
    EXPECT_EQ(coupledSampleRate(4, 1), 1);
    EXPECT_EQ(coupledLogTime(1, 4), 4);
}

TEST(LogSchedule, EveryPairOfTheGridEndsWithinTheSampleRule) {
    for (int t = 0; t < logTimeCount; ++t) {
        for (int s = 0; s < sampleRateCount; ++s) {
            // The user moves the log time to t, or the sample rate to s.
            const int rate = coupledSampleRate(t, s);
            const qint64 a = samplesInLog(t, rate);
            EXPECT_TRUE(a >= minLogSamples && a <= maxLogSamples) << t << " " << s << ": " << a;
            const int time = coupledLogTime(s, t);
            const qint64 b = samplesInLog(time, s);
            EXPECT_TRUE(b >= minLogSamples && b <= maxLogSamples) << s << " " << t << ": " << b;
            // The pair reached is stable: the other slider's handler keeps it.
            EXPECT_EQ(coupledLogTime(rate, t), t);
            EXPECT_EQ(coupledSampleRate(time, s), s);
        }
    }
}

TEST(LogSchedule, RemainingTimeIsDaysHoursMinutesSecondsAndMilliseconds) {
    EXPECT_EQ(remainingText((((1 * 24 + 2) * 60 + 3) * 60 + 4) * 1000, true), "1 d 02:03:04");
    EXPECT_EQ(remainingText(600000, false), "0:10:00 (paused)");
    EXPECT_EQ(remainingText(9 * 60000 + 51916, true), "0:09:52"); // rounded up
    EXPECT_EQ(remainingText(-20, true), "0:00:00");
}

TEST(LogClock, ReadingsFasterThanTheIntervalAreTakenOncePerInterval) {
    LogClock clock;
    clock.start(1000, 100, 10000);
    int taken = 0;
    // The colorimeter's fast rate: a reading every 62.5 ms for 2 s.
    for (int i = 0; i < 32; ++i)
        taken += clock.takeSample(1000 + i * 62.5) ? 1 : 0;
    // Due at 1000, then the first reading at least 100 ms after the last one
    // taken: every second reading, 16 in all.
    EXPECT_EQ(taken, 16);
    // The last one taken was the 31st, at 2875 ms.
    EXPECT_FALSE(clock.takeSample(2875 + 99));
    EXPECT_TRUE(clock.takeSample(2875 + 100));
    EXPECT_LE(taken, clock.maxRows());
}

TEST(LogClock, PausingForFiveMinutesMovesTheEndByFiveMinutes) {
    LogClock clock;
    const qint64 start = 1000000, hour = 3600000, pause = 300000;
    clock.start(start, 1000, hour);
    clock.pause(start + 600000);
    EXPECT_TRUE(clock.isPaused());
    // Paused time does not count.
    EXPECT_EQ(clock.remaining(start + 600000 + pause), hour - 600000);
    clock.resume(start + 600000 + pause);
    EXPECT_TRUE(clock.isRunning());
    EXPECT_EQ(clock.remaining(start + hour), pause);
    EXPECT_EQ(clock.remaining(start + hour + pause), 0);
    clock.finish();
    EXPECT_FALSE(clock.isActive());
}
