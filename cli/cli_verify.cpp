// tintwell-cli verify: the verification set of a characterisation measured
// again, now through the correction (display.cube loaded into the video
// processor in front of the display), and judged against the same target:
// before and after side by side, and the report written again with both.
#include "cliargs.h"
#include "clidevice.h"
#include "commands.h"
#include "correctionfiles.h"
#include "outputpath.h"
#include "reports.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

using namespace correction;
using namespace correctionfiles;

struct Options {
    PatchRunOptions run;
    std::string dir;
};

void printHelp() {
    std::printf("usage: tintwell-cli verify --generator H --device PORT --dir DIR\n"
                "                           [--stable SECONDS] [--avg N] [--window PERCENT]\n\n"
                "Measures the verification set of the characterisation in DIR (made by\n"
                "tintwell-cli characterize) on the display the generator at H drives, with the\n"
                "instrument on PORT, and judges it against the same target. Load DIR/display.cube\n"
                "into the video processor in front of the display first (on tintwell-sim: the\n"
                "'lut DIR/display.cube' command). Prints one JSON line with 'before' (as\n"
                "characterized) and 'after' (now): ΔE2000 mean and maximum, the worst patch,\n"
                "ΔITP for HDR targets and grey tracking; writes what it measured to\n"
                "DIR/verification.csv (as characterization.csv) and DIR/report.pdf again with\n"
                "both tables.\n\n"
                "Exit codes as characterize; 4 also when the display is further from the\n"
                "target through the correction than it was without (mean ΔE2000 more than\n"
                "10 %% and 0.2 above).\n");
}

Options parseOptions(const CliArgs &args) {
    Options o;
    ArgCursor c(args);
    while (!c.atEnd()) {
        const std::string arg = c.take();
        if (arg == "--dir")
            o.dir = c.takeValue(arg);
        else if (arg == "--bits" || arg == "--range" || arg == "--standard")
            throw CliError(arg + " does not apply: the target is the characterisation's");
        else if (!takePatchRunOption(c, arg, o.run))
            throw CliError("unknown option '" + arg + "'");
    }
    if (o.run.generator.empty() || o.run.device.empty() || o.dir.empty())
        throw CliError("--generator H, --device PORT and --dir DIR are required");
    return o;
}

int run(const Options &o) {
    const CorrectionInfo info = readInfo(infoPath(o.dir));
    const std::vector<MeasuredPatch> characterised = readCsv(csvPath(o.dir));
    checkOutputPath(o.dir + "/report.pdf", "--dir", {o.run.device});
    checkOutputPath(o.dir + "/verification.csv", "--dir", {o.run.device});
    ensureWidgets();
    const CliDeviceContext context;
    DisplayModel model;
    std::string why;
    if (!fitRows(characterised, &model, &why))
        throw CliError("the display cannot be modelled from " + csvPath(o.dir).toStdString() +
                       ": " + why);
    const ResolvedTarget target(info.target, model);
    const std::vector<std::pair<std::string, Patch>> patches = verificationRun();
    ReportSetup setup;
    std::vector<MeasuredPatch> measured;
    const RunOutcome outcome = measure(
        "verify", o.run, patches, &measured, [&](GenMeasure &instrument, GenPattern &generator) {
            setup = Reports::currentSetup(&instrument, &generator, QStringLiteral("correction"),
                                          QStringLiteral("Display Correction Report"));
        });
    if (outcome.code) {
        if (!outcome.reason.empty())
            std::fprintf(stderr, "tintwell-cli verify: %s\n", outcome.reason.c_str());
        return outcome.code;
    }
    if (measured.size() != patches.size()) {
        std::fprintf(stderr, "tintwell-cli verify: stopped after %d of %d patches\n",
                     int(measured.size()), int(patches.size()));
        return 0;
    }
    if (!writeCsv(QString::fromStdString(o.dir) + QStringLiteral("/verification.csv"), measured)) {
        std::fprintf(stderr, "tintwell-cli verify: %s/verification.csv could not be written\n",
                     o.dir.c_str());
        return 4;
    }
    const std::vector<VerifiedPatch> before = judgeRows(characterised, target);
    const std::vector<VerifiedPatch> after = judgeRows(measured, target);
    setup.standard = Reports::standardOf(info.standard, target.standard());
    const QString report = QString::fromStdString(o.dir) + QStringLiteral("/report.pdf");
    if (!writeReport(report, setup, target,
                     {{"Before correction", before}, {"After correction", after}})) {
        std::fprintf(stderr, "tintwell-cli verify: the report could not be written\n");
        return 4;
    }
    const VerificationSummary was = summarise(before), now = summarise(after);
    QJsonObject summary;
    summary["before"] = summaryJson(was, target.isHdr());
    summary["after"] = summaryJson(now, target.isHdr());
    std::printf("%s\n", QJsonDocument(summary).toJson(QJsonDocument::Compact).constData());
    if (furtherThanBefore(was, now)) {
        std::fprintf(stderr,
                     "tintwell-cli verify: the display is further from the target than before "
                     "correction (mean ΔE2000 %.2f, was %.2f; worst '%s', %.2f): do not use "
                     "%s/display.cube; a characterisation with more patches (--patches normal "
                     "or thorough) may model this display better\n",
                     now.meanDeltaE, was.meanDeltaE, now.worst.c_str(), now.maxDeltaE,
                     o.dir.c_str());
        return 4;
    }
    return 0;
}

} // namespace

int cliVerify(const CliArgs &args) {
    return runCommand("verify", args, printHelp, parseOptions, run);
}
