// A test colour batch against the simulated generator, display and
// colorimeter answering at once (the simulator's --fast), stabilising time
// 0: the time a patch costs beyond the instrument's own measuring time,
// with the results row written and flushed to disk as the window and the
// command line do.
//
//   bench_batch_run [--runs R] [--patches N] [--avg A]
#include "batchfile.h"
#include "batchresults.h"
#include "benchstats.h"
#include "patternbench.h"
#include "patternsequence.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv) {
    const int runs = argInt(argc, argv, "--runs", 5);
    const int patches = argInt(argc, argv, "--patches", 100);
    const int averages = argInt(argc, argv, "--avg", 8);

    QCoreApplication app(argc, argv);
    registerDeviceMetaTypes();
    PatternBench bench;
    if (!bench.start(0, 0)) // the simulator's --fast, a display that changes at once
        return 1;
    TorvaPattern *generator = bench.generator;
    GenMeasure *meter = bench.meter;

    const double instrument = median(instrumentTimesMs(meter, averages, 20));
    std::printf("instrument time per patch (measure(%d)): median %.2f ms\n", averages, instrument);

    QList<ColorPatch> list;
    QList<QColor> colors;
    for (int i = 0; i < patches; ++i) {
        const QColor c = QColor::fromHsv(i * 360 / patches, 200, 55 + (i * 37) % 200);
        list << ColorPatch{QStringLiteral("Patch %1").arg(i + 1), c};
        colors << c;
    }
    QList<bool> flags;
    for (int i = 0; i < 10; ++i)
        flags << true;
    const QString results = QString::fromStdString(bench.dir + "/results.csv");
    std::vector<double> perPatchMs, overheadMs;
    for (int r = 0; r < runs; ++r) {
        BatchResultsFile file;
        file.open(results, BatchColumns::fromChooserFlags(flags, true));
        PatternSequence seq;
        seq.setColors(colors);
        seq.setGenerator(generator);
        seq.setStableTime(0);
        seq.setAverages(averages);
        QObject::connect(&seq, &PatternSequence::Measured,
                         [&](const Measurement &reading, int, int index) {
                             file.append(list.at(index).name, reading);
                         });
        QEventLoop loop;
        QObject::connect(&seq, &PatternSequence::finished, &loop, &QEventLoop::quit);
        QObject::connect(&seq, &PatternSequence::Aborted, &loop, &QEventLoop::quit);
        QElapsedTimer total;
        total.start();
        seq.start(meter, 0);
        loop.exec();
        const double perPatch = total.nsecsElapsed() / 1e6 / patches;
        perPatchMs.push_back(perPatch);
        overheadMs.push_back(perPatch - instrument);
        std::printf("run %d: %.2f ms per patch, %d rows, beyond the instrument %.2f ms\n", r + 1,
                    perPatch, file.rows(), overheadMs.back());
    }
    std::printf("batch of %d patches, stabilising 0: per patch median %.2f ms, beyond the "
                "instrument time median %.2f ms (%d runs)\n",
                patches, median(perPatchMs), median(overheadMs), runs);
    QFile::remove(results);
    return 0;
}
