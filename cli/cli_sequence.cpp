// tintwell-cli sequence: a list of colours shown one after another on a
// network pattern generator and measured with an instrument, through the
// same run logic as the pattern manager window; one JSON object (or CSV row)
// per patch.
#include "batchfile.h"
#include "cliargs.h"
#include "clidevice.h"
#include "colorfile.h"
#include "commands.h"
#include "patchoutput.h"
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
        "                             [--standard NAME] [--bits 8|10] [--range full|limited]\n"
        "                             [--window PERCENT] [--stable SECONDS] [--avg N] [--profile "
        "N]\n"
        "                             [--csv]\n\n"
        "Shows each colour of FILE.csv (one 'name,red,green,blue' per line, no header) on\n"
        "the network pattern generator at address H, waits the stabilising time, measures\n"
        "it with the instrument on PORT (identified as a device scan would) and prints one\n"
        "JSON object per patch: index, name, red, green, blue, problem (null, or why the\n"
        "reading is doubtful), every field of the measurement, then bits (the file's depth),\n"
        "the code values the generator was given (shownBits, shownRed, shownGreen,\n"
        "shownBlue), the target's targetX, targetY, targetZ (cd/m²; absolute for REC2100\n"
        "PQ, at the display's peak for REC2100 HLG, relative to the maximum Y setting for\n"
        "the others), deltaE2000 against the standard's white and deltaITP (ITU-R\n"
        "BT.2124). Unstable readings are\n"
        "reported with their problem, and so is a patch the generator refused or did not\n"
        "answer for; an instrument or generator that is lost ends the run with a line for\n"
        "that patch. Ctrl-C stops after printing the patches measured so far.\n\n"
        "  --standard NAME   the target standard, as listed in the gamut settings ('REC709',\n"
        "                    'REC2100 PQ', 'REC2100 HLG', a user standard...); default the\n"
        "                    current one. Gamma, BT.1886, the HDR peak and roll-off come from\n"
        "                    the settings\n"
        "  --bits 8|10       depth of the file's code values (default: 8, or 10 when the\n"
        "                    file starts with the line '#bits=10'; a file that says other\n"
        "                    than --bits is refused). 10-bit values go to the generator as\n"
        "                    they are; a generator that takes only 8 bits gets the nearest\n"
        "                    8-bit codes, and the target follows the codes shown (stderr says\n"
        "                    so, and shownBits tells)\n"
        "  --range full|limited  the code range: full (0-255, 0-1023) or limited (16-235,\n"
        "                    64-940); default the video range of the settings\n"
        "  --window PERCENT  show each patch as a centred box of PERCENT of the screen's\n"
        "                    area on black (1 to 100; HDR displays dim large bright areas,\n"
        "                    so they are measured in 10 or 18 %% windows); default the\n"
        "                    generator's own patch box\n"
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

int run(const Options &o) {
    const QList<ColorPatch> patches = readColorFile(o.colors, o.run.bits);
    const CliDeviceContext context;
    const RunStandard standard = runStandard(o.run, patches.first().bits);
    std::fprintf(stderr, "tintwell-cli sequence: %s\n", describeStandard(standard).c_str());
    PatchPrinter printer(patches, standard.standard, o.csv);
    const RunOutcome outcome = runPatches(
        "sequence", o.run, patches,
        [&](int index, const Measurement &m, const QString &problem, bool read,
            const ShownCodes &shown) { printer.patch(index, m, problem, read, shown); },
        nullptr, standard.standard.range);
    if (!outcome.reason.empty())
        std::fprintf(stderr, "tintwell-cli sequence: %s\n", outcome.reason.c_str());
    return outcome.code;
}

} // namespace

int cliSequence(const CliArgs &args) {
    return runCommand("sequence", args, printHelp, parseOptions, run);
}
