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
#include "genmeasure.h"
#include "patternsequence.h"
#include "simulator.h"
#include "torvafactory.h"
#include "torvapattern.h"
#include "torvapatternfactory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

int argInt(int argc, char **argv, const char *name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (!std::strcmp(argv[i], name))
            return std::atoi(argv[i + 1]);
    return fallback;
}

} // namespace

int main(int argc, char **argv) {
    const int runs = argInt(argc, argv, "--runs", 5);
    const int patches = argInt(argc, argv, "--patches", 100);
    const int averages = argInt(argc, argv, "--avg", 8);

    QCoreApplication app(argc, argv);
    registerDeviceMetaTypes();
    char dirTemplate[] = "/tmp/tintwell-batch-bench-XXXXXX";
    const std::string dir = ::mkdtemp(dirTemplate);
    const int port = 20000 + static_cast<int>(::getpid() % 20000);
    qputenv("TINTWELL_PATTERN_PORT", QByteArray::number(port));

    sim::SimulatorOptions o;
    o.dir = dir;
    o.colorimeter.timeScale = 0; // answers at once
    o.colorimeter.noise = 0;
    o.withPatternGenerator = true;
    o.patternGenerator.port = port;
    o.patternGenerator.address = "127.0.0.2";
    o.display = "rec709";
    o.displaySettleMs = 0;
    sim::Simulator bench(o);
    std::string error;
    if (!bench.start(&error)) {
        std::fprintf(stderr, "bench: %s\n", error.c_str());
        return 1;
    }
    TorvaPatternFactory generators;
    TorvaFactory meters;
    std::unique_ptr<GenDevice> g(generators.create("127.0.0.2"));
    std::unique_ptr<GenDevice> m(meters.create(QString::fromStdString(dir + "/colorimeter")));
    auto *generator = qobject_cast<TorvaPattern *>(g.get());
    auto *meter = qobject_cast<GenMeasure *>(m.get());
    if (!generator || !generator->isConnected() || !meter || !meter->isConnected()) {
        std::fprintf(stderr, "bench: generator or colorimeter did not open\n");
        return 1;
    }

    std::vector<double> instrumentMs;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer t;
        t.start();
        meter->measure(averages);
        instrumentMs.push_back(t.nsecsElapsed() / 1e6);
    }
    const double instrument = median(instrumentMs);
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
    const QString results = QString::fromStdString(dir + "/results.csv");
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
    g.reset();
    m.reset();
    bench.stop();
    QFile::remove(results);
    ::rmdir(dir.c_str());
    return 0;
}
