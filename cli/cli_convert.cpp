// tintwell-cli convert: one colour description in, every field of the
// resulting Measurement out, as JSON or CSV.
#include "cliargs.h"
#include "commands.h"
#include "measurementjson.h"

#include "measurement.h"

#include <cstdio>
#include <string>
#include <strings.h>
#include <vector>

namespace {

using Builder = Measurement (*)(double, double, double, const GamutSpec &);

struct ColourOption {
    const char *name;
    Builder build;
    const char *values;
    const char *help;
    bool thirdIsLuminance; // a positive Y given must survive into the record
};

const ColourOption colourOptions[] = {
    {"--xyz", Measurement::fromXYZ, "X Y Z", "tristimulus values, Y in cd/m2", false},
    {"--xyY", Measurement::fromxyY, "x y Y", "CIE 1931 chromaticity, luminance in cd/m2", true},
    {"--upvp", Measurement::fromUpVp, "u' v' Y", "CIE 1976 u'v', luminance", true},
    {"--cct", Measurement::fromCCT, "T duv Y",
     "colour temperature in K, signed CIE 1960 uv distance from the\n"
     "Planckian locus (positive above it), luminance",
     true},
    {"--wavelength", Measurement::fromWavelength, "nm d Y",
     "dominant wavelength, u'v' distance from the spectrum locus\n"
     "toward the white (negative: outside the locus), luminance",
     true},
    {"--rgb", Measurement::fromRGB, "R G B", "linear RGB of the gamut in percent of its white",
     false},
    {"--hsv", Measurement::fromHSV, "H S V", "hue in degrees, saturation and value in percent",
     false},
    {"--lab", Measurement::fromLab, "L a b", "CIELAB relative to the gamut's white", false},
};

// Why m is no answer to the description it was built from, or empty when it is.
std::string undefinedBecause(const Measurement &m, const ColourOption &colour,
                             const std::vector<double> &values) {
    for (const TextField &f : measurementFields(m)) {
        if (f.text == "null")
            return "gives no finite " + f.name + " (too large, or a white too small)";
    }
    if (m.errorCode & ErrorBits::NegativeInput)
        return "gives negative X, Y or Z, which no light has";
    if (colour.thirdIsLuminance && values[2] > 0 && m.bigY == 0)
        return "is outside the range where it describes a colour";
    return {};
}

const char *const gamutNames[GamutSpec::builtInCount] = {"NTSC",    "EBU",   "REC709",
                                                         "REC2020", "SMPTE", "DCIP3"};

void printHelp() {
    std::printf("usage: tintwell-cli convert COLOUR [--gamut NAME|INDEX] [--white-y Yw] [--csv]\n\n"
                "Builds one measurement record from a colour description and prints every\n"
                "field: one JSON object on one line, or a CSV header and one row.\n\n"
                "COLOUR is exactly one of:\n");
    for (const ColourOption &o : colourOptions) {
        std::string help = o.help;
        for (size_t at = help.find('\n'); at != std::string::npos; at = help.find('\n', at + 1))
            help.insert(at + 1, 24, ' ');
        std::printf("  %-12s %-8s %s\n", o.name, o.values, help.c_str());
    }
    std::printf("\noptions:\n"
                "  --gamut NAME|INDEX  gamut standard for RGB and CIELAB: NTSC, EBU, REC709,\n"
                "                      REC2020, SMPTE, DCIP3 or 0 to 5 (default REC709)\n"
                "  --white-y Yw        luminance of the gamut's white in cd/m2, > 0 (default 100)\n"
                "  --csv               print CSV instead of JSON\n"
                "  --help              this text\n\n"
                "A description that gives no defined colour (negative X, Y or Z, numbers too\n"
                "large to convert, a temperature or wavelength outside the tables) is refused.\n"
                "errorCode 16 (no dominant wavelength) and 32 (too far from the Planckian\n"
                "locus for a colour temperature) say which derived fields mean nothing for\n"
                "this colour; the rest of the record stands.\n\n"
                "Exit codes: 0 done, 2 bad arguments or no defined colour.\n");
}

int parseGamut(const std::string &text) {
    for (int i = 0; i < GamutSpec::builtInCount; ++i)
        if (!strcasecmp(text.c_str(), gamutNames[i]))
            return i;
    if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos)
        return static_cast<int>(parseInteger(text, "--gamut", 0, GamutSpec::builtInCount - 1));
    throw CliError("unknown gamut '" + text +
                   "' (NTSC, EBU, REC709, REC2020, SMPTE, DCIP3 or 0 to 5)");
}

int convert(const CliArgs &args) {
    if (wantsHelp(args)) {
        printHelp();
        return 0;
    }
    const ColourOption *colour = nullptr;
    std::vector<double> values;
    int gamut = -1;
    double whiteY = 0;
    bool haveWhiteY = false, csv = false;

    ArgCursor cur(args);
    while (!cur.atEnd()) {
        const std::string arg = cur.take();
        const ColourOption *found = nullptr;
        for (const ColourOption &o : colourOptions)
            if (arg == o.name)
                found = &o;
        if (found) {
            if (colour)
                throw CliError("give one colour only, got " + std::string(colour->name) + " and " +
                               arg);
            colour = found;
            values = cur.takeNumbers(arg, 3);
        } else if (arg == "--gamut") {
            gamut = parseGamut(cur.takeValue(arg));
        } else if (arg == "--white-y") {
            whiteY = parseNumber(cur.takeValue(arg), "--white-y");
            if (!(whiteY > 0))
                throw CliError("--white-y must be above 0");
            haveWhiteY = true;
        } else if (arg == "--csv") {
            csv = true;
        } else if (!arg.empty() && arg[0] == '-') {
            throw CliError("unknown option '" + arg + "'");
        } else {
            throw CliError("unexpected argument '" + arg + "'");
        }
    }
    if (!colour)
        throw CliError("no colour given (one of --xyz, --xyY, --upvp, --cct, --wavelength, "
                       "--rgb, --hsv, --lab)");

    const GamutSpec spec =
        GamutSpec::standardSpec(gamut < 0 ? 2 : gamut, haveWhiteY ? whiteY : 100);
    const Measurement m = colour->build(values[0], values[1], values[2], spec);
    const std::string undefined = undefinedBecause(m, *colour, values);
    if (!undefined.empty())
        throw CliError(std::string(colour->name) + " " + undefined);
    if (csv)
        std::printf("%s\n%s\n", measurementCsvHeader().c_str(), measurementCsvRow(m).c_str());
    else
        std::printf("%s\n", measurementJson(m).c_str());
    return 0;
}

} // namespace

int cliConvert(const CliArgs &args) {
    return runCommand("convert", [&args] { return convert(args); });
}
