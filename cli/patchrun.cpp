#include "patchrun.h"

#include "cliargs.h"
#include "clidevice.h"
#include "genmeasure.h"
#include "genpattern.h"
#include "interruptguard.h"
#include "patternsequence.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <memory>

bool takePatchRunOption(ArgCursor &c, const std::string &arg, PatchRunOptions &options) {
    if (arg == "--generator") {
        options.generator = c.takeValue(arg);
        return true;
    }
    if (arg == "--device") {
        options.device = c.takeValue(arg);
        return true;
    }
    return takeSequenceOption(c, arg, options.stable, options.averages);
}

int runPatches(const char *command, const PatchRunOptions &o, const QList<ColorPatch> &patches,
               const PatchSink &sink, const RunStarted &started) {
    const std::unique_ptr<GenDevice> generator = openPatternGenerator(command, o.generator);
    if (!generator)
        return 1;
    auto *pattern = static_cast<GenPattern *>(generator.get());
    std::unique_ptr<GenMeasure> instrument = identifyInstrument(QString::fromStdString(o.device));
    if (!instrument) {
        reportNoAnswer(command, "instrument", o.device);
        return 1;
    }
    std::fprintf(stderr, "tintwell-cli %s: %s %s on %s, generator %s at %s\n", command,
                 instrument->model().toUtf8().constData(),
                 instrument->serialNumber().toUtf8().constData(), o.device.c_str(),
                 pattern->serialNumber().toUtf8().constData(), o.generator.c_str());
    if (started)
        started(*instrument, *pattern);

    PatternSequence sequence;
    QList<QColor> colors;
    for (const ColorPatch &p : patches)
        colors.append(p.color);
    sequence.setColors(colors);
    sequence.setGenerator(pattern);
    sequence.setStableTime(o.stable);
    sequence.setAverages(o.averages);

    QString problem; // of the current patch
    int exitCode = 0;
    bool interrupted = false;
    sequence.setProblemHandler([&](const patchcheck::Problem &p) {
        problem = p.text;
        if (p.choices.contains(patchcheck::Ignore) || p.choices.contains(patchcheck::Retry))
            return patchcheck::Ignore; // reported with its problem, never dropped
        // Only Abort is offered: the instrument is gone. The patch still gets its line.
        Measurement lost;
        lost.errorCode = p.error;
        sink(sequence.currentIndex(), lost, problem);
        exitCode = 3;
        return patchcheck::Abort;
    });
    QObject::connect(&sequence, &PatternSequence::Measured,
                     [&](const Measurement &m, int, int index) {
                         sink(index, m, problem);
                         problem.clear();
                     });
    QObject::connect(&sequence, &PatternSequence::finished, QCoreApplication::instance(),
                     &QCoreApplication::quit);
    QObject::connect(&sequence, &PatternSequence::Aborted, QCoreApplication::instance(), [&](int) {
        if (!interrupted && exitCode == 0) {
            std::fprintf(stderr, "tintwell-cli %s: the run was aborted (generator lost)\n",
                         command);
            exitCode = 3;
        }
        QCoreApplication::quit();
    });

    const InterruptGuard guard;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (guard.interrupted() && !interrupted) {
            interrupted = true;
            if (!sequence.abort())
                QCoreApplication::quit();
        }
    });
    poll.start(20);
    if (!sequence.start(instrument.get(), 0))
        return 1;
    QCoreApplication::exec();
    return exitCode;
}
