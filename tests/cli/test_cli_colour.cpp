// tintwell-cli convert and deltae, run as a child process. The output is
// compared with the colour library called in this process.
#include "measurement.h"

#include "childprocess.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct CliRun {
    int exitCode = -1;
    std::string out, err;
};

CliRun runCli(std::vector<std::string> args) {
    args.insert(args.begin(), "tintwell-cli");
    ChildProcess p(args);
    const int code = p.wait();
    return {code, p.out(), p.err()};
}

// Number after "name": in a JSON text, or NaN when absent.
double jsonNumber(const std::string &json, const std::string &name, size_t from = 0) {
    const std::string key = "\"" + name + "\":";
    const size_t at = json.find(key, from);
    if (at == std::string::npos)
        return NAN;
    return std::strtod(json.c_str() + at + key.size(), nullptr);
}

std::vector<std::string> split(const std::string &s, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t i = 0; i <= s.size(); ++i)
        if (i == s.size() || s[i] == sep) {
            parts.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    return parts;
}

const char *const recordNames[] = {
    "x",      "y",      "bigX",       "bigY",         "bigZ",        "rawX",
    "rawY",   "rawZ",   "redPercent", "greenPercent", "bluePercent", "uPrime",
    "vPrime", "nm",     "nmDuv",      "labL",         "labA",        "labB",
    "labC",   "labH",   "hue",        "saturation",   "value",       "rangeX",
    "rangeY", "rangeZ", "temp",       "tempDuv",      "errorCode",   "avgCount",
    "minX",   "maxX",   "minY",       "maxY",         "minZ",        "maxZ"};

double recordValue(const Measurement &m, const std::string &name) {
    const std::pair<const char *, double> v[] = {
        {"x", m.x},
        {"y", m.y},
        {"bigX", m.bigX},
        {"bigY", m.bigY},
        {"bigZ", m.bigZ},
        {"redPercent", m.redPercent},
        {"greenPercent", m.greenPercent},
        {"bluePercent", m.bluePercent},
        {"uPrime", m.uPrime},
        {"vPrime", m.vPrime},
        {"nm", m.nm},
        {"nmDuv", m.nmDuv},
        {"labL", m.labL},
        {"labA", m.labA},
        {"labB", m.labB},
        {"labC", m.labC},
        {"labH", m.labH},
        {"hue", m.hue},
        {"saturation", m.saturation},
        {"value", m.value},
        {"rangeX", double(m.rangeX)},
        {"rangeY", double(m.rangeY)},
        {"rangeZ", double(m.rangeZ)},
        {"temp", m.temp},
        {"tempDuv", m.tempDuv},
        {"errorCode", double(m.errorCode)},
    };
    for (const auto &p : v)
        if (name == p.first)
            return p.second;
    return 0; // raw, min/max and avgCount stay 0 for computed records
}

void expectUsageError(const std::vector<std::string> &args) {
    std::string cmd;
    for (const std::string &a : args)
        cmd += a + " ";
    SCOPED_TRACE(cmd);
    const CliRun r = runCli(args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    // Exactly one line, naming the command.
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    EXPECT_EQ(r.err.rfind("tintwell-cli " + args[0] + ": ", 0), 0u) << r.err;
}

TEST(Cli, ConvertRejectsBadArguments) {
    expectUsageError({"convert", "--xyz", "1", "word", "3"});
    expectUsageError({"convert", "--xyz", "1", "nan", "3"});
    expectUsageError({"convert", "--xyz", "inf", "1", "3"});
    expectUsageError({"convert", "--xyz", "1", "-infinity", "3"});
    expectUsageError({"convert", "--xyz", "1e999", "1", "3"});
    expectUsageError({"convert", "--xyz", "1", "2.5x", "3"});
    expectUsageError({"convert", "--xyz", "0x10", "2", "3"});
    expectUsageError({"convert", "--xyz", " 1", "2", "3"});
    expectUsageError({"convert", "--xyz", "1", "2"});
    expectUsageError({"convert", "--xyz", "1", "2", "--csv"});
    expectUsageError({"convert", "--xyz", "1", "2", "3", "4"});
    expectUsageError({"convert", "--xyz", "1", "2", "3", "--gamut", "SRGB"});
    expectUsageError({"convert", "--xyz", "1", "2", "3", "--gamut", "6"});
    expectUsageError({"convert", "--xyz", "1", "2", "3", "--gamut"});
    expectUsageError({"convert", "--xyz", "1", "2", "3", "--white-y", "0"});
    expectUsageError({"convert", "--xyz", "1", "2", "3", "--frobnicate"});
    expectUsageError({"convert", "--xyz", "1", "2", "3", "--lab", "50", "0", "0"});
    expectUsageError({"convert", "--csv"});
    expectUsageError({"convert"});
}

TEST(Cli, DeltaERejectsBadArguments) {
    expectUsageError({"deltae", "50", "1", "2", "50", "1"});
    expectUsageError({"deltae", "50", "1", "2", "50", "1", "2", "3"});
    expectUsageError({"deltae", "50", "one", "2", "50", "1", "2"});
    expectUsageError({"deltae", "50", "1", "2", "NaN", "1", "2"});
    expectUsageError({"deltae", "50", "1", "2", "50", "inf", "2"});
    expectUsageError({"deltae", "50", "1", "2", "50", "1", "2", "--csv"});
}

TEST(Cli, HelpDocumentsEveryOption) {
    const CliRun c = runCli({"convert", "--help"});
    EXPECT_EQ(c.exitCode, 0);
    EXPECT_EQ(c.err, "");
    for (const char *opt : {"--xyz", "--xyY", "--upvp", "--cct", "--wavelength", "--rgb", "--hsv",
                            "--lab", "--gamut", "--white-y", "--csv", "--help", "REC2020"})
        EXPECT_NE(c.out.find(opt), std::string::npos) << opt;
    const CliRun d = runCli({"deltae", "--help"});
    EXPECT_EQ(d.exitCode, 0);
    EXPECT_NE(d.out.find("L1 a1 b1 L2 a2 b2"), std::string::npos);
}

TEST(Cli, ConvertJsonHasEveryFieldExactly) {
    const CliRun r = runCli({"convert", "--xyz", "12.5", "20", "7.25", "--gamut", "dcip3"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    ASSERT_EQ(r.out.find('\n'), r.out.size() - 1) << "one line";
    EXPECT_EQ(r.out.rfind("{\"x\":", 0), 0u);
    EXPECT_EQ(r.out.substr(r.out.size() - 5), "]]}}\n");

    const Measurement m = Measurement::fromXYZ(12.5, 20, 7.25, GamutSpec::standardSpec(5, 100));
    size_t last = 0;
    for (const char *name : recordNames) {
        const size_t at = r.out.find(std::string("\"") + name + "\":");
        ASSERT_NE(at, std::string::npos) << name;
        EXPECT_GT(at, last) << name << " out of order";
        last = at;
        EXPECT_EQ(jsonNumber(r.out, name), recordValue(m, name)) << name;
    }
    const size_t spec = r.out.find("\"gamutSpec\":{");
    ASSERT_NE(spec, std::string::npos);
    EXPECT_EQ(jsonNumber(r.out, "standard", spec), 5);
    EXPECT_EQ(jsonNumber(r.out, "whiteY", spec), 0.351);
    EXPECT_EQ(jsonNumber(r.out, "greenBigY", spec), m.gamutSpec.greenBigY);
    const size_t matrix = r.out.find("\"xyzToRgb\":[[", spec);
    ASSERT_NE(matrix, std::string::npos);
    EXPECT_EQ(std::strtod(r.out.c_str() + matrix + 13, nullptr), m.gamutSpec.xyzToRgb[0][0]);
}

TEST(Cli, ConvertCsvHeaderAndRow) {
    const CliRun r = runCli(
        {"convert", "--cct", "5000", "-0.004", "80", "--csv", "--white-y", "48", "--gamut", "1"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<std::string> lines = split(r.out, '\n');
    ASSERT_EQ(lines.size(), 3u); // header, row, empty after the last "\n"
    EXPECT_EQ(lines[2], "");
    const std::vector<std::string> header = split(lines[0], ',');
    const std::vector<std::string> row = split(lines[1], ',');
    ASSERT_EQ(header.size(), row.size());
    ASSERT_GE(header.size(), 36u + 13 + 18);
    const Measurement m = Measurement::fromCCT(5000, -0.004, 80, GamutSpec::standardSpec(1, 48));
    for (size_t i = 0; i < 36; ++i) {
        EXPECT_EQ(header[i], recordNames[i]);
        EXPECT_EQ(std::strtod(row[i].c_str(), nullptr), recordValue(m, header[i])) << header[i];
    }
    const auto column = [&](const std::string &name) {
        for (size_t i = 0; i < header.size(); ++i)
            if (header[i] == name)
                return row[i];
        return std::string("missing");
    };
    EXPECT_EQ(column("gamutSpec.standard"), "1");
    EXPECT_EQ(column("gamutSpec.whiteBigY"), "48");
    EXPECT_EQ(std::strtod(column("gamutSpec.rgbToXyz[2][1]").c_str(), nullptr),
              m.gamutSpec.rgbToXyz[2][1]);
}

TEST(Cli, DeltaEMatchesTheLibrary) {
    const CliRun r = runCli({"deltae", "50", "2.6772", "-79.7751", "50", "0", "-82.7485"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Measurement a = Measurement::fromLab(50, 2.6772, -79.7751);
    const Measurement b = Measurement::fromLab(50, 0, -82.7485);
    EXPECT_EQ(r.out.rfind("{\"dE76\":", 0), 0u);
    EXPECT_EQ(jsonNumber(r.out, "dE76"), a.deltaE76(b));
    EXPECT_EQ(jsonNumber(r.out, "dE94"), a.deltaE94(b));
    EXPECT_EQ(jsonNumber(r.out, "dE00"), a.deltaE2000(b));
    EXPECT_NEAR(jsonNumber(r.out, "dE00"), 2.0425, 1e-4);
}

} // namespace
