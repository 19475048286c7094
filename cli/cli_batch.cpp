// tintwell-cli batch: the test colour batch without the window. Every patch
// of a batch file is shown on the network pattern generator and measured;
// each row goes to the results file as it is measured (the window's format
// and column groups), and a PDF report can follow.
#include "appsettings.h"
#include "batchresults.h"
#include "cliargs.h"
#include "clidevice.h"
#include "colorfile.h"
#include "commands.h"
#include "genmeasure.h"
#include "genpattern.h"
#include "outputpath.h"
#include "patchoutput.h"
#include "patchrun.h"
#include "reports.h"
#include "saveheaders.h"

#include <QApplication>

#include <cstdio>
#include <memory>

namespace {

struct Options {
    PatchRunOptions run;
    std::string colors, out, pdf, title;
    std::string groups; // empty: the column chooser's stored choice
};

// Names of the column groups on the command line, in the chooser's flag order.
const char *const groupNames[saveHeaders::groupCount] = {"xy", "uv",  "y",   "xz",  "temp",
                                                         "nm", "rgb", "hsv", "lab", "lch"};
// Beyond the chooser's groups: the targets and colour differences.
const char *const targetGroup = "target";

struct Groups {
    QList<bool> flags;
    bool targets = false;
};

void printHelp() {
    std::printf(
        "usage: tintwell-cli batch --colors FILE.csv --generator H --device PORT --out "
        "RESULTS.csv\n"
        "                          [--groups LIST] [--pdf REPORT.pdf] [--title TEXT]\n"
        "                          [--standard NAME] [--bits 8|10] [--range full|limited]\n"
        "                          [--window PERCENT] [--stable SECONDS] [--avg N]\n\n"
        "Runs a test colour batch: each patch of FILE.csv (one 'name,red,green,blue' per\n"
        "line, names with commas or quotes in double quotes) is shown on the network pattern\n"
        "generator at H, measured after the stabilising time with the instrument on PORT,\n"
        "and written to RESULTS.csv as soon as it is measured: the header\n"
        "'Name,Big Y nits,...,AvgBy,Error' and one row per patch, as the batch window writes\n"
        "them. A run that is interrupted or aborted keeps every row measured before.\n"
        "Each patch is also printed on stdout as one JSON object, as sequence prints it:\n"
        "the codes shown, targetX, targetY, targetZ, deltaE2000, deltaITP and the\n"
        "measurement.\n\n"
        "  --groups LIST    column groups, comma-separated: xy, uv, rgb, hsv, temp, nm, lab,\n"
        "                   lch, xz (Big X and Big Z), target (after Error: Target x, Target y,\n"
        "                   Target Y, DeltaE2000, DeltaITP), 'all' or 'none'; default: the\n"
        "                   groups last chosen in the window's column dialog\n"
        "  --pdf FILE       also write a PDF report: set-up, calibration standard, a table of\n"
        "                   target and measured x, y, Y with CIEDE2000 and ΔITP per patch,\n"
        "                   graphs\n"
        "  --standard NAME, --bits 8|10, --range full|limited, --window PERCENT\n"
        "                   the target standard, the depth and range of the file's code\n"
        "                   values and the window size, as for sequence (see its --help)\n"
        "  --title TEXT     the report's title (default: the last one used, or\n"
        "                   'Display Measurement Report')\n"
        "  --stable SECONDS stabilising time before each measurement (default 1)\n"
        "  --avg N          readings averaged per patch, 0 to 126 (default 8)\n\n"
        "Targets follow --standard (default the current calibration standard), the gamma,\n"
        "HDR peak and roll-off and the video range of the settings. Every output is checked\n"
        "before the run: one that cannot be written, or\n"
        "that is the colour file itself, is refused.\n"
        "Exit codes: 0 done (or stopped), 1 no generator or instrument answered,\n"
        "2 bad arguments, colour file or results file, 3 the run was aborted (generator or\n"
        "instrument lost), 4 a results row or the report could not be written, 5 the\n"
        "readings may not be of the colours asked for (the generator did not confirm a\n"
        "patch, whose row then carries the error, or two patches that cannot look alike\n"
        "read alike). The last line on stderr says why.\n");
}

Groups parseGroups(const std::string &list) {
    Groups groups;
    QList<bool> &flags = groups.flags;
    for (int i = 0; i < saveHeaders::groupCount; ++i)
        flags << false;
    for (const QString &raw : QString::fromStdString(list).split(',', Qt::SkipEmptyParts)) {
        const QString name = raw.trimmed().toLower();
        if (name == QLatin1String("all")) {
            for (bool &f : flags)
                f = true;
            groups.targets = true;
            continue;
        }
        if (name == QLatin1String("none"))
            continue;
        if (name == QLatin1String(targetGroup)) {
            groups.targets = true;
            continue;
        }
        int found = -1;
        for (int i = 0; i < saveHeaders::groupCount; ++i) {
            if (name == QLatin1String(groupNames[i]))
                found = i;
        }
        if (found < 0)
            throw CliError("unknown column group '" + name.toStdString() + "'");
        flags[found] = true;
    }
    return groups;
}

Options parseOptions(const CliArgs &args) {
    Options o;
    ArgCursor c(args);
    while (!c.atEnd()) {
        const std::string arg = c.take();
        if (takePatchRunOption(c, arg, o.run)) {
        } else if (arg == "--colors") {
            o.colors = c.takeValue(arg);
        } else if (arg == "--out") {
            o.out = c.takeValue(arg);
        } else if (arg == "--groups") {
            o.groups = c.takeValue(arg);
            parseGroups(o.groups); // refused here, before any device is touched
        } else if (arg == "--pdf") {
            o.pdf = c.takeValue(arg);
        } else if (arg == "--title") {
            o.title = c.takeValue(arg);
        } else {
            throw CliError("unknown option '" + arg + "'");
        }
    }
    if (o.run.generator.empty() || o.run.device.empty() || o.colors.empty() || o.out.empty())
        throw CliError("--colors FILE.csv, --generator H, --device PORT and --out FILE are "
                       "required");
    return o;
}

DeviceIdentity identityOf(GenDevice &d) {
    return {d.manufacturer(), d.model().trimmed(), d.serialNumber()};
}

int writeReport(const Options &o, ReportSetup setup, const QList<ColorPatch> &patches,
                const QList<Measurement> &measured) {
    if (!o.title.empty())
        setup.texts.title = QString::fromStdString(o.title);
    else if (setup.texts.title.isEmpty())
        setup.texts.title = QStringLiteral("Display Measurement Report");
    setup.tables << comparePatches(QStringLiteral("Batch results"), patches, measured,
                                   setup.standard);
    QWidget holder;
    const QList<QWidget *> graphs =
        Reports::patchGraphs(setup.tables.first(), setup.standard, &holder);
    if (!Reports::exportPdf(QString::fromStdString(o.pdf), graphs, setup,
                            Reports::patchGraphsAcross, Reports::patchGraphsDown)) {
        std::fprintf(stderr, "tintwell-cli batch: the report %s could not be written\n",
                     o.pdf.c_str());
        return 4;
    }
    const PatchTable &t = setup.tables.first();
    std::fprintf(stderr, "tintwell-cli batch: report %s: %s\n", o.pdf.c_str(),
                 tableSummaryText(t).toUtf8().constData());
    return 0;
}

// Widgets draw the report's graphs; without a display they draw offscreen.
std::unique_ptr<QApplication> reportApplication() {
    static int argc = 1;
    static char name[] = "tintwell-cli";
    static char *argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QApplication>(argc, argv);
}

int run(const Options &o) {
    const QList<ColorPatch> patches = readColorFile(o.colors, o.run.bits);
    checkOutputPath(o.out, "--out", {o.colors, o.run.device});
    if (!o.pdf.empty())
        checkOutputPath(o.pdf, "--pdf", {o.colors, o.out, o.run.device});
    std::unique_ptr<QApplication> widgets;
    if (!o.pdf.empty())
        widgets = reportApplication();
    const CliDeviceContext context;
    const RunStandard standard = runStandard(o.run, patches.first().bits);
    std::fprintf(stderr, "tintwell-cli batch: %s\n", describeStandard(standard).c_str());
    Groups groups;
    if (o.groups.empty())
        groups.flags = saveHeaders::storedFlags();
    else
        groups = parseGroups(o.groups);
    BatchColumns columns = BatchColumns::fromChooserFlags(groups.flags, isNits());
    columns.targets = groups.targets;
    BatchResultsFile results;
    if (!results.open(QString::fromStdString(o.out), columns))
        throw CliError("cannot write '" + o.out + "'");
    PatchPrinter printer(patches, standard.standard, false);

    ReportSetup setup;
    QList<ColorPatch> measuredPatches;
    QList<Measurement> measured;
    bool writeFailed = false;
    const RunOutcome outcome = runPatches(
        "batch", o.run, patches,
        [&](int index, const Measurement &m, const QString &problem, bool read,
            const ShownCodes &shown) {
            printer.patch(index, m, problem, read, shown);
            if (!problem.isEmpty())
                std::fprintf(stderr, "tintwell-cli batch: %s: %s\n",
                             patches.value(index).name.toUtf8().constData(),
                             problem.trimmed().toUtf8().constData());
            if (!read)
                return; // the run was lost on this patch: no reading to keep
            // Its row carries the error; the report shows only what was shown.
            if (!(m.errorCode & ErrorBits::PatternNotShown)) {
                measuredPatches << patches.value(index);
                measured << m;
            }
            const PatchJudgement judged = judgePatch(shown, m, standard.standard);
            if (!results.append(patches.value(index).name, m, &judged) && !writeFailed) {
                writeFailed = true;
                std::fprintf(stderr, "tintwell-cli batch: cannot write to %s\n", o.out.c_str());
            }
        },
        [&](GenMeasure &instrument, GenPattern &generator) {
            setup = Reports::currentSetup(&instrument, &generator);
            setup.meter = identityOf(instrument);
            setup.generator = identityOf(generator);
            setup.standard = Reports::standardOf(standard.name, standard.standard);
        },
        standard.standard.range);
    results.close();
    std::fprintf(stderr, "tintwell-cli batch: %d of %d patches written to %s\n", results.rows(),
                 int(patches.size()), o.out.c_str());
    int reportCode = 0;
    if (!o.pdf.empty() && !measured.isEmpty())
        reportCode = writeReport(o, setup, measuredPatches, measured);
    // The reason comes last, where a reader of the log looks first.
    if (!outcome.reason.empty())
        std::fprintf(stderr, "tintwell-cli batch: %s\n", outcome.reason.c_str());
    else if (writeFailed)
        std::fprintf(stderr, "tintwell-cli batch: rows could not be written to %s\n",
                     o.out.c_str());
    if (outcome.code)
        return outcome.code;
    return writeFailed ? 4 : reportCode;
}

} // namespace

int cliBatch(const CliArgs &args) {
    return runCommand("batch", args, printHelp, parseOptions, run);
}
