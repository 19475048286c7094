// tintwell-cli sequence: a list of colours shown one after another on a
// network pattern generator and measured with an instrument, through the
// same run logic as the pattern manager window; one JSON object (or CSV row)
// per patch.
#include "batchfile.h"
#include "calibrationjson.h" // jsonString
#include "cliargs.h"
#include "clidevice.h"
#include "colorfile.h"
#include "commands.h"
#include "measurementjson.h"
#include "patchrun.h"

#include <cstdio>

namespace {

struct Options {
    PatchRunOptions run;
    std::string colors;
    bool csv = false;
};

void printHelp() {
    std::printf(
        "usage: tintwell-cli sequence --generator H --device PORT --colors FILE.csv\n"
        "                             [--stable SECONDS] [--avg N] [--profile N] [--csv]\n\n"
        "Shows each colour of FILE.csv (one 'name,red,green,blue' per line, no header) on\n"
        "the network pattern generator at address H, waits the stabilising time, measures\n"
        "it with the instrument on PORT (identified as a device scan would) and prints one\n"
        "JSON object per patch: index, name, red, green, blue, problem (null, or why the\n"
        "reading is doubtful) and every field of the measurement. Unstable readings are\n"
        "reported with their problem, and so is a patch the generator refused or did not\n"
        "answer for; an instrument or generator that is lost ends the run with a line for\n"
        "that patch. Ctrl-C stops after printing the patches measured so far.\n\n"
        "  --stable SECONDS  stabilising time before each measurement (default 1)\n"
        "  --avg N           readings averaged per patch, 1 to 126; 0 lets the instrument\n"
        "                    choose in low light (default 8)\n"
        "  --profile N       colorimeter only: correct the readings with profile slot N\n"
        "                    (1 to 96; 0 the factory calibration), as measure --profile\n"
        "                    does (default: the profile the instrument is on)\n"
        "  --csv             print CSV with a header instead of JSON\n\n"
        "The generator's port follows TINTWELL_PATTERN_PORT (default 8888).\n"
        "Exit codes: 0 done (or stopped), 1 no generator or instrument answered,\n"
        "2 bad arguments or colour file (or --profile on an empty slot or an instrument\n"
        "that is no colorimeter), 3 the run was aborted (generator or instrument lost)\n"
        "or the profile could not be selected, 5 the readings may not be of the colours\n"
        "asked for (the generator did not confirm a patch, or two patches that cannot look\n"
        "alike read alike). The last line on stderr says why.\n");
}

Options parseOptions(const CliArgs &args) {
    Options o;
    ArgCursor c(args);
    while (!c.atEnd()) {
        const std::string arg = c.take();
        if (takePatchRunOption(c, arg, o.run)) {
        } else if (arg == "--colors") {
            o.colors = c.takeValue(arg);
        } else if (arg == "--profile") {
            o.run.profile = static_cast<int>(parseInteger(c.takeValue(arg), arg, 0, 96));
        } else if (arg == "--csv") {
            o.csv = true;
        } else {
            throw CliError("unknown option '" + arg + "'");
        }
    }
    if (o.run.generator.empty() || o.run.device.empty() || o.colors.empty())
        throw CliError("--generator H, --device PORT and --colors FILE.csv are required");
    return o;
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
    const QList<ColorPatch> patches = readColorFile(o.colors);
    const CliDeviceContext context;
    Printer printer(patches, o.csv);
    const RunOutcome outcome =
        runPatches("sequence", o.run, patches,
                   [&](int index, const Measurement &m, const QString &problem, bool) {
                       printer.patch(index, m, problem);
                   });
    if (!outcome.reason.empty())
        std::fprintf(stderr, "tintwell-cli sequence: %s\n", outcome.reason.c_str());
    return outcome.code;
}

} // namespace

int cliSequence(const CliArgs &args) {
    return runCommand("sequence", args, printHelp, parseOptions, run);
}
