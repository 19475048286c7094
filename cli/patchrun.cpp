#include "patchrun.h"

#include "cliargs.h"
#include "clidevice.h"
#include "devicetypes.h"
#include "genmeasure.h"
#include "genpattern.h"
#include "interruptguard.h"
#include "patternsequence.h"
#include "profilerules.h"
#include "sequencetexts.h"

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
    if (arg == "--standard") {
        options.standard = c.takeValue(arg);
        if (options.standard.empty())
            throw CliError("--standard needs a standard's name");
        return true;
    }
    if (arg == "--bits") {
        const std::string v = c.takeValue(arg);
        if (v != "8" && v != "10")
            throw CliError("--bits must be 8 or 10");
        options.bits = std::stoi(v);
        return true;
    }
    if (arg == "--range") {
        options.range = c.takeValue(arg);
        if (options.range != "full" && options.range != "limited")
            throw CliError("--range must be full or limited");
        return true;
    }
    if (arg == "--window") {
        options.window = parseNumber(c.takeValue(arg), arg);
        if (!(options.window >= sequencetexts::minWindowPercent &&
              options.window <= sequencetexts::maxWindowPercent))
            throw CliError("--window must be 1 to 100 percent of the screen's area");
        return true;
    }
    return takeSequenceOption(c, arg, options.stable, options.averages);
}

namespace {

QString lastLine(const QString &text) {
    return text.trimmed().split(QLatin1Char('\n')).last().trimmed();
}

// Why the readings of a completed run are not of what was asked for; empty
// when they are.
std::string doubtAboutTheRun(const QList<ColorPatch> &patches, const QList<int> &read,
                             const QList<Measurement> &readings, int notConfirmed) {
    if (notConfirmed > 0)
        return "the generator did not confirm " + std::to_string(notConfirmed) + " of " +
               std::to_string(patches.size()) + " patches: their readings may be of another colour";
    QList<QColor> colors;
    for (int index : read)
        colors << patches.value(index).color;
    int a = -1, b = -1;
    if (!patchcheck::unchangedDisplay(colors, readings, &a, &b))
        return {};
    const Measurement &m = readings.at(a);
    return QStringLiteral("the display did not change: '%1' and '%2' read alike (X %3, Y %4, "
                          "Z %5 cd/m²), so the generator is not driving what the instrument "
                          "sees")
        .arg(patches.value(read.at(a)).name, patches.value(read.at(b)).name)
        .arg(m.bigX, 0, 'g', 4)
        .arg(m.bigY, 0, 'g', 4)
        .arg(m.bigZ, 0, 'g', 4)
        .toStdString();
}

// Switches the colorimeter to the run's profile slot, as measure --profile
// does; a code and the reason when it cannot.
RunOutcome selectProfile(const char *command, GenMeasure &instrument, const PatchRunOptions &o) {
    if (instrument.deviceType() != TorvaDevice)
        return {2, "--profile needs a colorimeter, and " + o.device + " holds a " +
                       instrument.model().toStdString()};
    const QString entry = profiles::entryForSlot(instrument.calFileList(), o.profile);
    if (o.profile > 0 && (entry.isEmpty() || profiles::isBlankName(profiles::entryName(entry))))
        return {2, "profile slot " + std::to_string(o.profile) + " is empty"};
    instrument.setCalFile(o.profile);
    if (instrument.calFileIndex() != o.profile)
        return {3, "profile " + std::to_string(o.profile) + " could not be selected"};
    std::fprintf(stderr, "tintwell-cli %s: profile %d: %s\n", command, o.profile,
                 instrument.calFileName().toUtf8().constData());
    return {};
}

} // namespace

RunOutcome runPatches(const char *command, const PatchRunOptions &o,
                      const QList<ColorPatch> &patches, const PatchSink &sink,
                      const RunStarted &started, const CodeRange &range) {
    RunOutcome outcome;
    const std::unique_ptr<GenDevice> generator = openPatternGenerator(command, o.generator);
    if (!generator)
        return {1, {}};
    auto *pattern = static_cast<GenPattern *>(generator.get());
    std::unique_ptr<GenMeasure> instrument = identifyInstrument(QString::fromStdString(o.device));
    if (!instrument) {
        reportNoAnswer(command, "instrument", o.device);
        return {1, {}};
    }
    std::fprintf(stderr, "tintwell-cli %s: %s %s on %s, generator %s at %s\n", command,
                 instrument->model().toUtf8().constData(),
                 instrument->serialNumber().toUtf8().constData(), o.device.c_str(),
                 pattern->serialNumber().toUtf8().constData(), o.generator.c_str());
    if (o.profile >= 0) {
        RunOutcome refused = selectProfile(command, *instrument, o);
        if (refused.code)
            return refused;
    }
    if (o.window > 0) {
        if (pattern->width <= 0 || pattern->height <= 0)
            return {1, "the generator did not give its screen size, so no window can be set"};
        const QRect box = sequencetexts::windowRect(o.window, pattern->width, pattern->height);
        pattern->setBoxSize(box);
        std::fprintf(stderr, "tintwell-cli %s: %s\n", command,
                     sequencetexts::windowLabel(o.window, pattern->width, pattern->height)
                         .toUtf8()
                         .constData());
    }
    if (started)
        started(*instrument, *pattern);

    PatternSequence sequence;
    QList<Codes> codes;
    bool deep = false;
    for (const ColorPatch &p : patches) {
        codes.append(p.codes());
        deep = deep || p.bits > 8;
    }
    sequence.setGenerator(pattern);
    // The codes carry the run's range, which the targets follow.
    sequence.setCodes(codes, range);
    if (deep) {
        if (pattern->codeBits() < range.bits)
            std::fprintf(stderr,
                         "tintwell-cli %s: the generator shows %d-bit values: each %d-bit "
                         "patch is shown as its nearest %d-bit codes, and judged by them\n",
                         command, pattern->codeBits(), range.bits, pattern->codeBits());
    }
    sequence.setStableTime(o.stable);
    sequence.setAverages(o.averages);

    QString problem; // of the current patch
    bool interrupted = false;
    int notConfirmed = 0;
    QList<int> read; // patches with a reading, in order
    QList<Measurement> readings;
    sequence.setProblemHandler([&](const patchcheck::Problem &p) {
        problem = p.text;
        if (p.choices.contains(patchcheck::Ignore) || p.choices.contains(patchcheck::Retry))
            return patchcheck::Ignore; // reported with its problem, never dropped
        // Only Abort is offered: the instrument or the generator is gone. The
        // patch still gets its line.
        Measurement lost;
        lost.errorCode = p.error;
        sink(sequence.currentIndex(), lost, problem, false,
             sequence.shownCodes(sequence.currentIndex()));
        outcome.code = 3;
        outcome.reason = "the run was aborted at '" +
                         patches.value(sequence.currentIndex()).name.toStdString() +
                         "': " + lastLine(problem).toStdString();
        return patchcheck::Abort;
    });
    QObject::connect(&sequence, &PatternSequence::Measured,
                     [&](const Measurement &m, int, int index) {
                         if (m.errorCode & ErrorBits::PatternNotShown)
                             ++notConfirmed;
                         read << index;
                         readings << m;
                         sink(index, m, problem, true, sequence.shownCodes(index));
                         problem.clear();
                     });
    QObject::connect(&sequence, &PatternSequence::finished, QCoreApplication::instance(),
                     &QCoreApplication::quit);
    QObject::connect(&sequence, &PatternSequence::Aborted, QCoreApplication::instance(), [&](int) {
        if (!interrupted && outcome.code == 0)
            outcome = {3, "the run was aborted: the generator was lost"};
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
        return {1, {}};
    QCoreApplication::exec();
    if (outcome.code == 0) {
        outcome.reason = doubtAboutTheRun(patches, read, readings, notConfirmed);
        if (!outcome.reason.empty())
            outcome.code = exitNotShown;
    }
    return outcome;
}
