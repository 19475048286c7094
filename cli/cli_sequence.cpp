// tintwell-cli sequence: a list of colours shown one after another on a
// network pattern generator and measured with an instrument, through the
// same run logic as the pattern manager window; one JSON object (or CSV row)
// per patch.
#include "batchfile.h"
#include "calibrationjson.h" // jsonString
#include "cliargs.h"
#include "clidevice.h"
#include "commands.h"
#include "factories.h"
#include "genfactory.h"
#include "genmeasure.h"
#include "interruptguard.h"
#include "measurementjson.h"
#include "patternfactories.h"
#include "patternsequence.h"
#include "torvapattern.h"
#include "torvapatternfactory.h"

#include <QFile>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

struct Options {
    std::string generator;
    std::string device;
    std::string colors;
    double stable = 1.0;
    int averages = 8;
    bool csv = false;
};

void printHelp() {
    std::printf(
        "usage: tintwell-cli sequence --generator H --device PORT --colors FILE.csv\n"
        "                             [--stable SECONDS] [--avg N] [--csv]\n\n"
        "Shows each colour of FILE.csv (one 'name,red,green,blue' per line, no header) on\n"
        "the network pattern generator at address H, waits the stabilising time, measures\n"
        "it with the instrument on PORT (identified as a device scan would) and prints one\n"
        "JSON object per patch: index, name, red, green, blue, problem (null, or why the\n"
        "reading is doubtful) and every field of the measurement. Unstable readings are\n"
        "reported with their problem; an instrument that is lost ends the run with a line\n"
        "for that patch. Ctrl-C stops after printing the patches measured so far.\n\n"
        "  --stable SECONDS  stabilising time before each measurement (default 1)\n"
        "  --avg N           readings averaged per patch, 1 to 126; 0 lets the instrument\n"
        "                    choose in low light (default 8)\n"
        "  --csv             print CSV with a header instead of JSON\n\n"
        "The generator's port follows TINTWELL_PATTERN_PORT (default 8888).\n"
        "Exit codes: 0 done (or stopped), 1 no generator or instrument answered,\n"
        "2 bad arguments or colour file, 3 the run was aborted (generator or\n"
        "instrument lost).\n");
}

Options parseOptions(const CliArgs &args) {
    Options o;
    ArgCursor c(args);
    while (!c.atEnd()) {
        const std::string arg = c.take();
        if (arg == "--generator") {
            o.generator = c.takeValue(arg);
        } else if (arg == "--device") {
            o.device = c.takeValue(arg);
        } else if (arg == "--colors") {
            o.colors = c.takeValue(arg);
        } else if (arg == "--stable") {
            o.stable = parseNumber(c.takeValue(arg), arg);
            if (o.stable < 0 || o.stable > 3600)
                throw CliError("--stable must be 0 to 3600 seconds");
        } else if (arg == "--avg") {
            o.averages = static_cast<int>(parseInteger(c.takeValue(arg), arg, 0, 126));
        } else if (arg == "--csv") {
            o.csv = true;
        } else {
            throw CliError("unknown option '" + arg + "'");
        }
    }
    if (o.generator.empty() || o.device.empty() || o.colors.empty())
        throw CliError("--generator H, --device PORT and --colors FILE.csv are required");
    return o;
}

QList<ColorPatch> readColors(const std::string &path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw CliError("cannot open '" + path + "'");
    const BatchRead r = readBatch(QString::fromUtf8(file.readAll()));
    if (r.status == BatchRead::BadFormat)
        throw CliError(path + " line " + std::to_string(r.line) + ": not 'name,red,green,blue'");
    if (r.status == BatchRead::BadColor)
        throw CliError(path + " line " + std::to_string(r.line) +
                       ": red, green and blue must be whole numbers from 0 to 255");
    if (r.patches.isEmpty())
        throw CliError(path + " holds no colours");
    return r.patches;
}

// The measuring device on the port, found the way a scan finds it.
std::unique_ptr<GenMeasure> identifyInstrument(const QString &port) {
    for (GenFactory *f : factories()) {
        if (f->connectionKind() != SerialConnection)
            continue;
        ConnectionInfo info;
        info.port = port;
        if (!f->probe(port, &info))
            continue;
        std::unique_ptr<GenDevice> d(f->create(port));
        auto *m = qobject_cast<GenMeasure *>(d.get());
        if (m && m->isConnected()) {
            d.release();
            return std::unique_ptr<GenMeasure>(m);
        }
    }
    return nullptr;
}

class Printer {
public:
    Printer(const QList<ColorPatch> &patches, bool csv) : m_patches(patches), m_csv(csv) {
        if (csv)
            std::printf("%s\n", measurementCsvHeader(lead(0, QString())).c_str());
        std::fflush(stdout);
    }
    void patch(int index, const Measurement &m, const QString &problem) {
        const auto fields = lead(index, problem);
        std::printf("%s\n",
                    (m_csv ? measurementCsvRow(m, fields) : measurementJson(m, fields)).c_str());
        std::fflush(stdout);
    }

private:
    std::vector<TextField> lead(int index, const QString &problem) const {
        const ColorPatch p = m_patches.value(index);
        const std::string name = p.name.toLatin1().toStdString();
        const std::string why = problem.trimmed().toLatin1().toStdString();
        return {{"index", std::to_string(index)},
                {"name", m_csv ? csvField(name) : jsonString(name)},
                {"red", std::to_string(p.color.red())},
                {"green", std::to_string(p.color.green())},
                {"blue", std::to_string(p.color.blue())},
                {"problem", problem.isEmpty() ? (m_csv ? std::string() : std::string("null"))
                                              : (m_csv ? csvField(why) : jsonString(why))}};
    }
    QList<ColorPatch> m_patches;
    bool m_csv;
};

int run(const Options &o) {
    const QList<ColorPatch> patches = readColors(o.colors);
    const CliDeviceContext context;
    registerNetworkPatternFactory();

    TorvaPatternFactory generatorFactory;
    std::unique_ptr<GenDevice> generator(
        generatorFactory.create(QString::fromStdString(o.generator)));
    auto *pattern = qobject_cast<TorvaPattern *>(generator.get());
    if (!pattern || !pattern->isConnected()) {
        std::fprintf(stderr, "tintwell-cli sequence: no pattern generator answered at %s\n",
                     o.generator.c_str());
        return 1;
    }
    std::unique_ptr<GenMeasure> instrument = identifyInstrument(QString::fromStdString(o.device));
    if (!instrument) {
        reportNoAnswer("sequence", "instrument", o.device);
        return 1;
    }
    std::fprintf(stderr, "tintwell-cli sequence: %s %s on %s, generator %s at %s\n",
                 instrument->model().toUtf8().constData(),
                 instrument->serialNumber().toUtf8().constData(), o.device.c_str(),
                 pattern->serialNumber().toUtf8().constData(), o.generator.c_str());

    PatternSequence sequence;
    QList<QColor> colors;
    for (const ColorPatch &p : patches)
        colors.append(p.color);
    sequence.setColors(colors);
    sequence.setGenerator(pattern);
    sequence.setStableTime(o.stable);
    sequence.setAverages(o.averages);

    Printer printer(patches, o.csv);
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
        printer.patch(sequence.currentIndex(), lost, problem);
        exitCode = 3;
        return patchcheck::Abort;
    });
    QObject::connect(&sequence, &PatternSequence::Measured,
                     [&](const Measurement &m, int, int index) {
                         printer.patch(index, m, problem);
                         problem.clear();
                     });
    QObject::connect(&sequence, &PatternSequence::finished, QCoreApplication::instance(),
                     &QCoreApplication::quit);
    QObject::connect(&sequence, &PatternSequence::Aborted, QCoreApplication::instance(), [&](int) {
        if (!interrupted && exitCode == 0) {
            std::fprintf(stderr, "tintwell-cli sequence: the run was aborted (generator lost)\n");
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

} // namespace

int cliSequence(const CliArgs &args) {
    return runCommand("sequence", args, printHelp, parseOptions, run);
}
