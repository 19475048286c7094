// Pattern generation against the simulated bench, in real instrument time:
//  - the round trip of one pattern command over loopback TCP;
//  - the per-patch overhead of a sequence beyond its stabilising time and
//    the instrument's own measuring time;
//  - the longest the GUI thread went without running its event loop during
//    a run, beside the longest single command exchange;
//  - how soon a run stopped while stabilising reports Aborted.
//
//   bench_pattern_sequence [--runs R] [--patches N] [--stable S] [--commands C]
#include "benchstats.h"
#include "patternbench.h"
#include "patternsequence.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The longest time the event loop went without running a 1 ms timer.
class StallWatch {
public:
    StallWatch() {
        m_ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_ticker, &QTimer::timeout, [this] {
            m_worst = std::max(m_worst, m_since.nsecsElapsed() / 1e6);
            m_since.restart();
        });
        m_since.start();
        m_ticker.start(1);
    }
    double worstMs() const { return m_worst; }

private:
    QTimer m_ticker;
    QElapsedTimer m_since;
    double m_worst = 0;
};

} // namespace

int main(int argc, char **argv) {
    const int runs = argInt(argc, argv, "--runs", 3);
    const int patches = argInt(argc, argv, "--patches", 10);
    const double stable = argDouble(argc, argv, "--stable", 0.5);
    const int commandCount = argInt(argc, argv, "--commands", 500);
    const int averages = 4;

    QCoreApplication app(argc, argv);
    registerDeviceMetaTypes();
    PatternBench bench;
    if (!bench.start(1.0, 200)) // instrument time, a display that settles
        return 1;
    TorvaPattern *generator = bench.generator;
    GenMeasure *meter = bench.meter;

    // 1. Command round trips.
    std::vector<double> tripsMs;
    for (int i = 0; i < commandCount; ++i) {
        QElapsedTimer t;
        t.start();
        generator->command(i % 2 ? "setColor,10,20,30" : "setPattern,3");
        tripsMs.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("pattern command round trip: median %.3f ms, p95 %.3f ms, max %.3f ms (%d)\n",
                median(tripsMs), percentile(tripsMs, 0.95),
                *std::max_element(tripsMs.begin(), tripsMs.end()), commandCount);

    // 2. The instrument's own time for one measurement at this averaging.
    const double instrument = median(instrumentTimesMs(meter, averages, 10));
    std::printf("instrument time per patch (measure(%d)): median %.1f ms\n", averages, instrument);

    // 3. The same watch on an idle event loop, for the machine's own noise.
    {
        QEventLoop idle;
        QTimer::singleShot(3000, &idle, &QEventLoop::quit);
        const StallWatch watch;
        idle.exec();
        std::printf("longest stall of an idle event loop over 3 s: %.1f ms\n", watch.worstMs());
    }

    // 4. Whole sequences, with the GUI thread's stalls watched by a 1 ms timer.
    std::vector<double> overheadMs, stallMs;
    QList<QColor> colors;
    for (int i = 0; i < patches; ++i)
        colors.append(QColor::fromHsv(i * 360 / patches, 200, 255));
    for (int r = 0; r < runs; ++r) {
        PatternSequence seq;
        seq.setColors(colors);
        seq.setGenerator(generator);
        seq.setStableTime(stable);
        seq.setAverages(averages);
        QEventLoop loop;
        QObject::connect(&seq, &PatternSequence::finished, &loop, &QEventLoop::quit);
        QObject::connect(&seq, &PatternSequence::Aborted, &loop, &QEventLoop::quit);
        QElapsedTimer total;
        total.start();
        const StallWatch watch;
        seq.start(meter, 0);
        loop.exec();
        const double perPatch = total.nsecsElapsed() / 1e6 / patches;
        overheadMs.push_back(perPatch - stable * 1000 - instrument);
        stallMs.push_back(watch.worstMs());
        std::printf("run %d: %.1f ms per patch, overhead %.1f ms, longest GUI stall %.1f ms\n",
                    r + 1, perPatch, overheadMs.back(), watch.worstMs());
    }
    // 5. How soon a run stopped while stabilising has ended.
    std::vector<double> abortMs;
    for (int i = 0; i < 20; ++i) {
        PatternSequence seq;
        seq.setColors(colors);
        seq.setGenerator(generator);
        seq.setStableTime(60);
        QEventLoop loop;
        QElapsedTimer sinceAbort;
        QObject::connect(&seq, &PatternSequence::Aborted, &loop, [&] {
            abortMs.push_back(sinceAbort.nsecsElapsed() / 1e6);
            loop.quit();
        });
        seq.start(meter, 0);
        QTimer::singleShot(30 + 7 * i, &loop, [&] {
            sinceAbort.start();
            seq.abort();
        });
        loop.exec();
    }
    std::printf("abort while stabilising to Aborted: median %.1f ms, max %.1f ms (%zu)\n",
                median(abortMs), *std::max_element(abortMs.begin(), abortMs.end()), abortMs.size());

    std::printf("per-patch overhead beyond %.2f s stabilising and instrument time: median %.1f ms "
                "(%d runs x %d patches)\n",
                stable, median(overheadMs), runs, patches);
    std::printf("longest GUI-thread stall during a run: median %.1f ms; longest command exchange "
                "%.1f ms\n",
                median(stallMs), *std::max_element(tripsMs.begin(), tripsMs.end()));
    return 0;
}
