// The sequence run logic without widgets: scripted readings, a recording
// generator and a scripted operator.
#include "announcingmeter.h"
#include "fakemeter.h"
#include "genmeasure.h"
#include "genpattern.h"
#include "patternsequence.h"
#include "spreadreading.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Hands out queued readings (a steady one when none is queued) and notes
// where each measurement ran.
class ScriptedMeter : public FakeMeter {
public:
    QList<Measurement> queue;
    QList<int> averagesAsked;
    QList<bool> onWorker;

    Measurement measure(int averages) override {
        averagesAsked << averages;
        onWorker << (QThread::currentThread() == thread() &&
                     thread() != QCoreApplication::instance()->thread());
        return queue.isEmpty() ? spreadReading(100) : queue.takeFirst();
    }
};

class RecordingGenerator : public GenPattern {
    Q_OBJECT
public:
    QStringList sent;
    bool open_ = true;
    QString portName() override { return "gen"; }
    DeviceType deviceType() override { return PatternGenerator; }
    bool isConnected() override { return open_; }
    void close() override {
        if (open_) {
            open_ = false;
            emit closed();
        }
    }
    bool open(const QString &) override { return true; }
    void updateInfo() override {}
    void setPattern(int p) override { sent << QString("pattern %1").arg(p); }
    void setColor(const QColor &c) override { sent << "color " + c.name(); }
    void setMaxColor(int m) override { sent << QString("max %1").arg(m); }
    void sendImage(const QImage &) override {}
    void setBoxSize(const QRect &) override {}
    void setCheckerBoardPattern(int, int) override {}
    void showProgress(int total, int, int index, const QList<QColor> &) override {
        progress << (total == 0 ? -1 : index);
    }
    QList<int> progress; // patch index of each tick, -1 when the strip was removed
};

class Sequence : public ::testing::Test {
protected:
    Sequence() {
        seq.setColors({Qt::white, Qt::red, Qt::green, Qt::blue});
        seq.setGenerator(&gen);
        seq.setStableTime(0);
        seq.setAverages(4);
        seq.setMaxAverage(64);
        QObject::connect(&seq, &PatternSequence::Measured,
                         [this](const Measurement &m, int tag, int index) {
                             measured << index;
                             readings << m;
                             tags << tag;
                         });
    }
    // Runs to the end; returns "finished" or "Aborted".
    QString runToEnd(int tag = 1) {
        QSignalSpy done(&seq, &PatternSequence::finished);
        QSignalSpy aborted(&seq, &PatternSequence::Aborted);
        EXPECT_TRUE(seq.start(&meter, tag));
        (void)QTest::qWaitFor([&] { return done.count() + aborted.count() > 0; }, 10000);
        EXPECT_FALSE(seq.isRunning());
        return done.count() ? "finished" : aborted.count() ? "Aborted" : "stuck";
    }
    ScriptedMeter meter;
    RecordingGenerator gen;
    PatternSequence seq;
    QList<int> measured;
    QList<Measurement> readings;
    QList<int> tags;
};

} // namespace

TEST_F(Sequence, EveryColourIsShownMeasuredAndReportedInOrder) {
    QSignalSpy running(&seq, &PatternSequence::isRunningChanged);
    QSignalSpy progress(&seq, &PatternSequence::progress);
    EXPECT_EQ(runToEnd(2), "finished");
    for (const QList<QVariant> &p : progress) // no stabilising time, no ticks
        EXPECT_TRUE(p.at(0).toInt() == 0 || p.at(1).toBool());
    EXPECT_EQ(measured, (QList<int>{0, 1, 2, 3}));
    EXPECT_EQ(tags, (QList<int>{2, 2, 2, 2}));
    EXPECT_EQ(gen.sent.mid(0, 8),
              (QStringList{"color #ffffff", "pattern 3", "color #ff0000", "pattern 3",
                           "color #00ff00", "pattern 3", "color #0000ff", "pattern 3"}));
    EXPECT_EQ(gen.sent.mid(8), (QStringList{"color #ffffff", "pattern 3"})); // back to the first
    EXPECT_EQ(meter.averagesAsked, (QList<int>{4, 4, 4, 4}));
    EXPECT_EQ(meter.calls.count("maxAverage 64"), 4);
    EXPECT_EQ(meter.maxAverage(), 12); // given back after each patch
    EXPECT_EQ(meter.onWorker, (QList<bool>{true, true, true, true}));
    EXPECT_EQ(meter.thread(), QCoreApplication::instance()->thread());
    EXPECT_EQ(gen.progress.last(), -1); // the strip is taken down
    ASSERT_EQ(running.count(), 2);
    EXPECT_TRUE(running.at(0).at(0).toBool());
    EXPECT_FALSE(running.at(1).at(0).toBool());
}

TEST_F(Sequence, OneColourRunsOnceAndStabilisingTimeIsWaited) {
    seq.setColors({Qt::gray});
    seq.setStableTime(0.15);
    QSignalSpy progress(&seq, &PatternSequence::progress);
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(runToEnd(), "finished");
    EXPECT_GE(t.elapsed(), 150);
    EXPECT_EQ(measured, QList<int>{0});
    EXPECT_GT(progress.count(), 3); // ticks while stabilising
    EXPECT_TRUE(progress.last().at(1).toBool());
}

TEST_F(Sequence, RetryMeasuresTheSameColourAgainAndIgnoreReportsIt) {
    // The first reading carries only bits that never raise a problem.
    meter.queue = {spreadReading(100, 0, 0x10 | 0x20 | 0x80 | 0x800000),
                   spreadReading(100),
                   spreadReading(100),
                   spreadReading(100, 3.0),
                   spreadReading(100, 4.0),
                   spreadReading(100)};
    seq.setColors({Qt::white, Qt::red, Qt::green, Qt::blue, Qt::yellow});
    QList<patchcheck::Answer> script = {patchcheck::Retry, patchcheck::Ignore};
    QList<int> askedAt;
    seq.setProblemHandler([&](const patchcheck::Problem &p) {
        askedAt << seq.currentIndex();
        EXPECT_EQ(p.title, "Unstable Measurement");
        return script.takeFirst();
    });
    EXPECT_EQ(runToEnd(), "finished");
    EXPECT_EQ(askedAt, (QList<int>{3, 3}));
    EXPECT_EQ(measured, (QList<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(meter.averagesAsked.size(), 6);
    EXPECT_NEAR(readings[3].minY, 96.0, 1e-9); // the ignored, unstable reading
    EXPECT_EQ(gen.sent.count("color #0000ff"), 2);
    EXPECT_EQ(readings[0].errorCode, 0u);
}

TEST_F(Sequence, AbortAtAProblemEndsTheRun) {
    meter.queue = {spreadReading(100), spreadReading(100, 0, 0x1)};
    QList<patchcheck::Answer> offered;
    seq.setProblemHandler([&](const patchcheck::Problem &p) {
        offered = p.choices;
        return patchcheck::Abort;
    });
    QSignalSpy aborted(&seq, &PatternSequence::Aborted);
    EXPECT_EQ(runToEnd(7), "Aborted");
    EXPECT_EQ(offered, QList<patchcheck::Answer>{patchcheck::Abort}); // unplugged
    EXPECT_EQ(measured, QList<int>{0});
    EXPECT_EQ(aborted.at(0).at(0).toInt(), 7);
    EXPECT_EQ(seq.currentIndex(), 0);
}

TEST_F(Sequence, AbortWhileStabilisingStopsAtOnce) {
    seq.setStableTime(60);
    QSignalSpy aborted(&seq, &PatternSequence::Aborted);
    ASSERT_TRUE(seq.start(&meter, 0));
    QTest::qWait(50);
    ASSERT_TRUE(seq.abort());
    // Within 2 s, not the 60 s stabilising time.
    ASSERT_TRUE(QTest::qWaitFor([&] { return aborted.count() == 1; }, 2000));
    EXPECT_TRUE(meter.averagesAsked.isEmpty());
    EXPECT_FALSE(seq.abort()); // nothing left to stop
    EXPECT_EQ(meter.thread(), QCoreApplication::instance()->thread());
}

TEST_F(Sequence, AbortWhileAnInstrumentMeasuresForMinutesCancelsTheMeasurement) {
    AnnouncingMeter slow;
    QSignalSpy announced(&seq, &PatternSequence::measuring);
    QSignalSpy aborted(&seq, &PatternSequence::Aborted);
    ASSERT_TRUE(seq.start(&slow, 0));
    ASSERT_TRUE(announced.wait(5000));
    EXPECT_EQ(announced.first().first().toInt(), 240000);
    ASSERT_TRUE(seq.abort());
    ASSERT_TRUE(QTest::qWaitFor([&] { return aborted.count() == 1; }, 5000));
    EXPECT_TRUE(slow.cancelled);
    EXPECT_TRUE(measured.isEmpty());
}

TEST_F(Sequence, AGeneratorThatGoesAwayEndsTheRunAtTheNextPatch) {
    seq.setStableTime(0.1);
    QSignalSpy missing(&seq, &PatternSequence::generatorMissing);
    QObject::connect(&seq, &PatternSequence::Measured, &gen,
                     [this](const Measurement &, int, int i) {
                         if (i == 1)
                             gen.close();
                     });
    EXPECT_EQ(runToEnd(), "Aborted");
    EXPECT_EQ(measured, (QList<int>{0, 1}));
    EXPECT_EQ(missing.count(), 1);
    EXPECT_EQ(seq.generator(), nullptr);
}

TEST_F(Sequence, NothingStartsWithoutAGeneratorOrColours) {
    QSignalSpy missing(&seq, &PatternSequence::generatorMissing);
    seq.setGenerator(nullptr);
    EXPECT_FALSE(seq.start(&meter, 0));
    EXPECT_EQ(missing.count(), 1);
    seq.setGenerator(&gen);
    seq.setColors({});
    EXPECT_FALSE(seq.start(&meter, 0));
    EXPECT_FALSE(seq.isRunning());
}

#include "test_pattern_sequence.moc"
