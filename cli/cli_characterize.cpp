// tintwell-cli characterize: a display measured through the network pattern
// generator (channel ramps, a grey ramp, a cube of mixtures and the
// verification set), modelled, and corrected towards a standard: a 3D table
// for a video processor, calibration curves and an ICC profile for the
// operating system, the measurements as CSV and a PDF report.
#include "atomicsave.h"
#include "cliargs.h"
#include "clidevice.h"
#include "commands.h"
#include "correctionfiles.h"
#include "genmeasure.h"
#include "genpattern.h"
#include "outputpath.h"
#include "patchoutput.h"
#include "reports.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstdio>

namespace {

using namespace correction;
using namespace correctionfiles;

struct Options {
    PatchRunOptions run;
    std::string out;
    std::string eotf; // "", bt1886, pq, hlg
    double gamma = 0; // 0: as the standard and the settings say
    bool haveWhite = false;
    double whiteX = 0, whiteY = 0;
    int size = 33;
    PatchSetSize patches = PatchSetSize::Normal;
    std::string patchSet = "normal";
    BlackHandling black = BlackHandling::Native;
};

void printHelp() {
    std::printf(
        "usage: tintwell-cli characterize --generator H --device PORT --standard NAME\n"
        "                                 [--gamma G | --eotf bt1886|pq|hlg] [--white x,y]\n"
        "                                 [--size 17|33|65] [--patches quick|normal|thorough]\n"
        "                                 [--black native|zero] [--stable SECONDS] [--avg N]\n"
        "                                 [--window PERCENT] --out DIR\n\n"
        "Measures the display the network pattern generator at H drives, with the\n"
        "instrument on PORT: black, each channel's ramp and a grey ramp (with extra steps\n"
        "near black and near white), a cube of mixtures (quick 5^3, normal 9^3, thorough\n"
        "17^3) and the verification set (skin, foliage, sky, greys, primaries and\n"
        "secondaries at 75 and 100 %%). It fits a model of the display, then writes\n"
        "into DIR:\n"
        "  display.cube              a 3D table (full-range codes in and out) that makes\n"
        "                            the display show the standard: load it into the\n"
        "                            video processor in front of the display\n"
        "  display-calibration.cube  per-channel curves (LUT_1D_SIZE) that put the greys\n"
        "                            right: white point and grey tracking only\n"
        "  display.icc               an ICC display profile (v4, matrix and curves) of the\n"
        "                            display with those curves loaded, which it holds as\n"
        "                            'vcgt'\n"
        "  characterization.csv      every patch measured (set,name,red,green,blue,X,Y,Z)\n"
        "  correction.json           the target, for tintwell-cli verify\n"
        "  report.pdf                the verification before correction\n"
        "and prints one JSON line: patches, the model's fit error (ΔE2000 of the patches\n"
        "the fit did not use), how far the channels are from adding up, the share of\n"
        "Rec. 709, DCI-P3 and Rec. 2020 the display covers (area in u'v'), the white\n"
        "and the verification before correction (ΔE2000, ΔITP for HDR targets, grey\n"
        "tracking). A count of patches goes to stderr when it is a terminal.\n\n"
        "  --standard NAME   primaries and white, as listed in the gamut settings\n"
        "                    ('REC709', 'DCIP3', 'REC2100 PQ', ...); default the current one\n"
        "  --gamma G         a power-law curve (1 to 4) instead of the standard's\n"
        "  --eotf CURVE      bt1886 (with the display's black), pq or hlg instead\n"
        "                    (default: the standard's curve with the settings' gamma)\n"
        "  --white x,y       another white point for the target\n"
        "  --size N          points per axis of display.cube: 17, 33 or 65 (default 33)\n"
        "  --patches SET     quick, normal or thorough (default normal)\n"
        "  --black MODE      native: the curve starts at the display's black (default);\n"
        "                    zero: from no light, codes darker than the display's black\n"
        "                    all show its black\n"
        "  --stable, --avg, --window  as sequence takes them\n\n"
        "The generator's port follows TINTWELL_PATTERN_PORT (default 8888).\n"
        "Exit codes: 0 done (or stopped with Ctrl-C: nothing computed), 1 no generator\n"
        "or instrument answered, 2 bad arguments, 3 the run was aborted, 4 the\n"
        "measurements could not be modelled or a file could not be written, 5 the\n"
        "readings may not be of the colours asked for.\n");
}

Options parseOptions(const CliArgs &args) {
    Options o;
    ArgCursor c(args);
    while (!c.atEnd()) {
        const std::string arg = c.take();
        if (arg == "--bits" || arg == "--range")
            throw CliError(arg + " does not apply: characterize shows full-range 8-bit codes");
        if (takePatchRunOption(c, arg, o.run)) {
        } else if (arg == "--out") {
            o.out = c.takeValue(arg);
        } else if (arg == "--gamma") {
            o.gamma = parseNumber(c.takeValue(arg), arg);
            if (!(o.gamma >= 1 && o.gamma <= 4))
                throw CliError("--gamma must be 1 to 4");
        } else if (arg == "--eotf") {
            o.eotf = c.takeValue(arg);
            if (o.eotf != "bt1886" && o.eotf != "pq" && o.eotf != "hlg")
                throw CliError("--eotf must be bt1886, pq or hlg");
        } else if (arg == "--white") {
            const std::string v = c.takeValue(arg);
            const std::size_t comma = v.find(',');
            if (comma == std::string::npos)
                throw CliError("--white needs x,y");
            o.whiteX = parseNumber(v.substr(0, comma), "--white x");
            o.whiteY = parseNumber(v.substr(comma + 1), "--white y");
            if (!(o.whiteX > 0.2 && o.whiteX < 0.5 && o.whiteY > 0.2 && o.whiteY < 0.5))
                throw CliError("--white must be a white point: x and y from 0.2 to 0.5");
            o.haveWhite = true;
        } else if (arg == "--size") {
            o.size = static_cast<int>(parseInteger(c.takeValue(arg), arg, 2, 256));
            if (o.size != 17 && o.size != 33 && o.size != 65)
                throw CliError("--size must be 17, 33 or 65");
        } else if (arg == "--patches") {
            o.patchSet = c.takeValue(arg);
            if (!parsePatchSetSize(o.patchSet, &o.patches))
                throw CliError("--patches must be quick, normal or thorough");
        } else if (arg == "--black") {
            const std::string v = c.takeValue(arg);
            if (v != "native" && v != "zero")
                throw CliError("--black must be native or zero");
            o.black = v == "zero" ? BlackHandling::Zero : BlackHandling::Native;
        } else {
            throw CliError("unknown option '" + arg + "'");
        }
    }
    if (o.run.generator.empty() || o.run.device.empty() || o.out.empty())
        throw CliError("--generator H, --device PORT and --out DIR are required");
    if (o.gamma > 0 && !o.eotf.empty())
        throw CliError("--gamma and --eotf exclude each other");
    return o;
}

// The target: the standard's primaries (and white, unless --white), its
// curve unless --gamma or --eotf says otherwise.
CorrectionInfo targetOf(const Options &o, const RunStandard &standard) {
    CorrectionInfo info;
    info.standard = standard.name;
    info.lutSize = o.size;
    info.patchSet = QString::fromStdString(o.patchSet);
    const GamutSpec &s = standard.standard.spec;
    info.target.primaries =
        GamutSpec(s.redX, s.redY, s.greenX, s.greenY, s.blueX, s.blueY,
                  o.haveWhite ? o.whiteX : s.whiteX, o.haveWhite ? o.whiteY : s.whiteY, 1.0);
    TargetCurve &curve = info.target.curve;
    curve = standard.standard.curve;
    if (o.gamma > 0) {
        curve.transfer = Transfer::Gamma;
        curve.gamma = o.gamma;
    } else if (o.eotf == "bt1886") {
        curve.transfer = Transfer::Bt1886;
        curve.gamma = 2.4;
    } else if (o.eotf == "pq") {
        curve.transfer = Transfer::Pq;
    } else if (o.eotf == "hlg") {
        curve.transfer = Transfer::Hlg;
    }
    info.target.black = o.black;
    return info;
}

QJsonObject fitJson(const FitReport &f) {
    QJsonObject o;
    o["heldBack"] = f.heldBack;
    o["meanDeltaE2000"] = std::round(f.meanDeltaE * 1e4) / 1e4;
    o["maxDeltaE2000"] = std::round(f.maxDeltaE * 1e4) / 1e4;
    o["additiveMeanDeltaE2000"] = std::round(f.interactionMeanDeltaE * 1e4) / 1e4;
    o["additiveMaxDeltaE2000"] = std::round(f.interactionMaxDeltaE * 1e4) / 1e4;
    return o;
}

QJsonObject coverageJson(const Coverage &c) {
    QJsonObject o;
    o["rec709"] = std::round(c.rec709 * 1e4) / 1e4;
    o["p3"] = std::round(c.p3 * 1e4) / 1e4;
    o["rec2020"] = std::round(c.rec2020 * 1e4) / 1e4;
    return o;
}

bool save(const QString &path, const QByteArray &bytes) {
    if (saveAtomically(path, bytes) == SaveResult::Saved)
        return true;
    std::fprintf(stderr, "tintwell-cli characterize: %s could not be written\n",
                 path.toUtf8().constData());
    return false;
}

int run(const Options &o) {
    if (!QDir().mkpath(QString::fromStdString(o.out)))
        throw CliError("cannot make the folder '" + o.out + "'");
    for (const char *name : {"display.cube", "display-calibration.cube", "display.icc",
                             "characterization.csv", "correction.json", "report.pdf"})
        checkOutputPath(o.out + "/" + name, "--out", {o.run.device});
    ensureWidgets();
    const CliDeviceContext context;
    const RunStandard standard = runStandard(o.run, 8);
    CorrectionInfo info = targetOf(o, standard);

    const std::vector<std::pair<std::string, Patch>> patches = characterisationRun(o.patches);
    std::fprintf(stderr, "tintwell-cli characterize: %d patches (%s), target %s\n",
                 int(patches.size()), o.patchSet.c_str(), info.standard.toUtf8().constData());
    ReportSetup setup;
    std::vector<MeasuredPatch> measured;
    const RunOutcome outcome =
        measure("characterize", o.run, patches, &measured,
                [&](GenMeasure &instrument, GenPattern &generator) {
                    setup =
                        Reports::currentSetup(&instrument, &generator, QStringLiteral("correction"),
                                              QStringLiteral("Display Correction Report"));
                });
    const QString dir = QString::fromStdString(o.out);
    if (!measured.empty() && !writeCsv(csvPath(o.out), measured)) {
        std::fprintf(stderr, "tintwell-cli characterize: %s could not be written\n",
                     csvPath(o.out).toUtf8().constData());
        return 4;
    }
    if (outcome.code) {
        if (!outcome.reason.empty())
            std::fprintf(stderr, "tintwell-cli characterize: %s\n", outcome.reason.c_str());
        return outcome.code;
    }
    if (measured.size() != patches.size()) {
        std::fprintf(stderr,
                     "tintwell-cli characterize: stopped after %d of %d patches; they are in "
                     "%s, nothing was computed\n",
                     int(measured.size()), int(patches.size()),
                     csvPath(o.out).toUtf8().constData());
        return 0;
    }

    const std::string title = "Tintwell correction to " + info.standard.toStdString();
    Correction made;
    std::string why;
    if (!computeCorrection(measured, info.target, o.size, title, &made, &why)) {
        std::fprintf(stderr, "tintwell-cli characterize: no correction: %s\n", why.c_str());
        return 4;
    }
    const ResolvedTarget &target = made.target;
    setup.standard = Reports::standardOf(info.standard, target.standard());
    if (!save(dir + "/display.cube", QByteArray::fromStdString(writeCube(made.lut))) ||
        !save(dir + "/display-calibration.cube",
              QByteArray::fromStdString(writeCube(made.curves))) ||
        !save(dir + "/display.icc",
              QByteArray(reinterpret_cast<const char *>(made.icc.data()), int(made.icc.size()))) ||
        !writeInfo(infoPath(o.out), info))
        return 4;
    if (!writeReport(dir + "/report.pdf", setup, target, {{"Before correction", made.before}})) {
        std::fprintf(stderr, "tintwell-cli characterize: the report could not be written\n");
        return 4;
    }

    QJsonObject summary;
    summary["patches"] = int(measured.size());
    summary["fit"] = fitJson(made.model->report());
    summary["coverage"] = coverageJson(made.coverage);
    summary["whiteNits"] = std::round(target.whiteNits() * 100) / 100;
    summary["blackNits"] = std::round(made.model->black()[1] * 1e4) / 1e4;
    summary["before"] = summaryJson(summarise(made.before), target.isHdr());
    summary["out"] = dir;
    std::printf("%s\n", QJsonDocument(summary).toJson(QJsonDocument::Compact).constData());
    std::fprintf(stderr,
                 "tintwell-cli characterize: written to %s; load display.cube and run "
                 "tintwell-cli verify --dir %s\n",
                 o.out.c_str(), o.out.c_str());
    return 0;
}

} // namespace

int cliCharacterize(const CliArgs &args) {
    return runCommand("characterize", args, printHelp, parseOptions, run);
}
