// tintwell-cli convert and deltae, run as a child process; the output is
// compared with the colour library called in this process.
#include "childprocess.h"
#include "measurement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

struct Outcome {
    int code;
    std::string out, err;
};

Outcome cli(std::vector<std::string> args) {
    args.insert(args.begin(), "tintwell-cli");
    ChildProcess p(args);
    const int code = p.wait();
    return {code, p.out(), p.err()};
}

// The number after "name": in a JSON text, NaN when absent.
double number(const std::string &json, const std::string &name, size_t from = 0) {
    const size_t at = json.find("\"" + name + "\":", from);
    return at == std::string::npos ? NAN
                                   : std::strtod(json.c_str() + at + name.size() + 3, nullptr);
}

TEST(CliColour, ConvertPrintsTheRecordAsTheLibraryComputesIt) {
    const Outcome r = cli({"convert", "--xyz", "12.5", "20", "7.25", "--gamut", "dcip3"});
    ASSERT_EQ(r.code, 0) << r.err;
    ASSERT_EQ(r.out.find('\n'), r.out.size() - 1) << "one line";
    const Measurement m = Measurement::fromXYZ(12.5, 20, 7.25, GamutSpec::standardSpec(5, 100));
    const std::pair<const char *, double> fields[] = {
        {"x", m.x},         {"bigZ", m.bigZ},           {"rawX", 0},     {"vPrime", m.vPrime},
        {"nmDuv", m.nmDuv}, {"labH", m.labH},           {"hue", m.hue},  {"rangeZ", m.rangeZ},
        {"temp", m.temp},   {"errorCode", m.errorCode}, {"avgCount", 0}, {"maxZ", 0}};
    size_t last = 0;
    for (const auto &f : fields) {
        const size_t at = r.out.find(std::string("\"") + f.first + "\":");
        EXPECT_GT(at, last) << f.first << " missing or out of order";
        last = at;
        EXPECT_EQ(number(r.out, f.first), f.second) << f.first;
    }
    const size_t spec = r.out.find("\"gamutSpec\":{");
    ASSERT_NE(spec, std::string::npos);
    EXPECT_EQ(number(r.out, "standard", spec), 5);
    EXPECT_EQ(number(r.out, "greenBigY", spec), m.gamutSpec.greenBigY);
}

TEST(CliColour, ConvertCsvHasAHeaderAndOneRow) {
    const Outcome r = cli(
        {"convert", "--cct", "5000", "-0.004", "80", "--csv", "--white-y", "48", "--gamut", "1"});
    ASSERT_EQ(r.code, 0) << r.err;
    const size_t nl = r.out.find('\n');
    ASSERT_NE(nl, std::string::npos);
    const std::string header = r.out.substr(0, nl), row = r.out.substr(nl + 1);
    EXPECT_EQ(header.rfind("x,y,bigX,bigY,bigZ,rawX", 0), 0u);
    EXPECT_EQ(std::count(header.begin(), header.end(), ','),
              std::count(row.begin(), row.end(), ','));
    EXPECT_EQ(row.back(), '\n');
    EXPECT_NE(header.find("gamutSpec.rgbToXyz[2][1]"), std::string::npos);
    const Measurement m = Measurement::fromCCT(5000, -0.004, 80, GamutSpec::standardSpec(1, 48));
    EXPECT_EQ(std::strtod(row.c_str(), nullptr), m.x);
}

TEST(CliColour, DeltaEMatchesTheLibrary) {
    const Outcome r = cli({"deltae", "50", "2.6772", "-79.7751", "50", "0", "-82.7485"});
    ASSERT_EQ(r.code, 0) << r.err;
    const Measurement a = Measurement::fromLab(50, 2.6772, -79.7751);
    const Measurement b = Measurement::fromLab(50, 0, -82.7485);
    EXPECT_EQ(number(r.out, "dE76"), a.deltaE76(b));
    EXPECT_EQ(number(r.out, "dE94"), a.deltaE94(b));
    EXPECT_NEAR(number(r.out, "dE00"), 2.0425, 1e-4);
}

TEST(CliColour, BadArgumentsGiveOneUsageLineAndExitTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {"convert", "--xyz", "1", "word", "3"},
        {"convert", "--xyz", "1", "nan", "3"},
        {"convert", "--xyz", "inf", "1", "3"},
        {"convert", "--xyz", "1e999", "1", "3"},
        {"convert", "--xyz", "0x10", "2", "3"},
        {"convert", "--xyz", " 1", "2", "3"},
        {"convert", "--xyz", "1", "2"},
        {"convert", "--xyz", "1", "2", "3", "4"},
        {"convert", "--xyz", "1", "2", "3", "--gamut", "SRGB"},
        {"convert", "--xyz", "1", "2", "3", "--white-y", "0"},
        {"convert", "--xyz", "1", "2", "3", "--lab", "50", "0", "0"},
        {"convert"},
        {"deltae", "50", "1", "2", "50", "1"},
        {"deltae", "50", "1", "2", "NaN", "1", "2"},
    };
    for (const auto &args : cases) {
        const Outcome r = cli(args);
        EXPECT_EQ(r.code, 2) << args.back();
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
        EXPECT_EQ(r.err.rfind("tintwell-cli " + args[0] + ": ", 0), 0u) << r.err;
    }
    const Outcome help = cli({"convert", "--help"});
    EXPECT_EQ(help.code, 0);
    for (const char *opt : {"--xyz", "--xyY", "--cct", "--rgb", "--lab", "--gamut", "--csv"})
        EXPECT_NE(help.out.find(opt), std::string::npos) << opt;
}

} // namespace
