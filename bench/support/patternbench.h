#pragma once
// The simulated bench of the pattern benchmarks: a colorimeter and a network
// pattern generator on loopback, driving the display under test, in a
// private directory and port; the generator and the colorimeter opened
// through their factories.

#include "genmeasure.h"
#include "simulator.h"
#include "torvafactory.h"
#include "torvapattern.h"
#include "torvapatternfactory.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

// "--name VALUE" from the command line, or fallback.
inline int argInt(int argc, char **argv, const char *name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (!std::strcmp(argv[i], name))
            return std::atoi(argv[i + 1]);
    return fallback;
}

inline double argDouble(int argc, char **argv, const char *name, double fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (!std::strcmp(argv[i], name))
            return std::atof(argv[i + 1]);
    return fallback;
}

// The instrument's own time for one measurement at this averaging, in ms,
// once per run: what a patch costs before our code adds anything.
inline std::vector<double> instrumentTimesMs(GenMeasure *meter, int averages, int runs) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        meter->measure(averages);
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    return ms;
}

class PatternBench {
public:
    // colorimeterTimeScale 0 answers at once; settleMs 0 shows changes at once.
    bool start(double colorimeterTimeScale, int settleMs) {
        char dirTemplate[] = "/tmp/tintwell-bench-XXXXXX";
        dir = ::mkdtemp(dirTemplate);
        const int port = 20000 + static_cast<int>(::getpid() % 20000);
        qputenv("TINTWELL_PATTERN_PORT", QByteArray::number(port));
        sim::SimulatorOptions o;
        o.dir = dir;
        o.colorimeter.timeScale = colorimeterTimeScale;
        o.colorimeter.noise = 0;
        o.withPatternGenerator = true;
        o.patternGenerator.port = port;
        o.patternGenerator.address = "127.0.0.2";
        o.display = "rec709";
        o.displaySettleMs = settleMs;
        bench = std::make_unique<sim::Simulator>(o);
        std::string error;
        if (!bench->start(&error)) {
            std::fprintf(stderr, "bench: %s\n", error.c_str());
            return false;
        }
        g.reset(generators.create("127.0.0.2"));
        m.reset(meters.create(QString::fromStdString(dir + "/colorimeter")));
        generator = qobject_cast<TorvaPattern *>(g.get());
        meter = qobject_cast<GenMeasure *>(m.get());
        if (!generator || !generator->isConnected() || !meter || !meter->isConnected()) {
            std::fprintf(stderr, "bench: generator or colorimeter did not open\n");
            return false;
        }
        return true;
    }
    ~PatternBench() {
        g.reset();
        m.reset();
        if (bench)
            bench->stop();
        if (!dir.empty())
            ::rmdir(dir.c_str());
    }

    std::string dir;
    TorvaPattern *generator = nullptr;
    GenMeasure *meter = nullptr;

private:
    std::unique_ptr<sim::Simulator> bench;
    TorvaPatternFactory generators;
    TorvaFactory meters;
    std::unique_ptr<GenDevice> g, m;
};
