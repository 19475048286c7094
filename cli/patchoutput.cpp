#include "patchoutput.h"

#include "calibrationjson.h" // jsonString
#include "chromagamutspec.h"
#include "cliargs.h"
#include "measurementjson.h"
#include "patchrun.h"

#include <cstdio>

RunStandard runStandard(const PatchRunOptions &o, int bits) {
    const ChromaGamutSpec &settings = *ChromaGamutSpec::instance();
    int index = settings.currentGamutIndex();
    if (!o.standard.empty()) {
        index = settings.gamutIndexOfName(QString::fromStdString(o.standard));
        if (index < 0)
            throw CliError("no standard '" + o.standard + "'; the standards are " +
                           settings.gamutNames().join(QStringLiteral(", ")).toStdString());
    }
    RunStandard s;
    s.name = settings.gamutSpecs().at(index).name;
    s.standard = settings.videoStandard(index);
    if (o.range == "full")
        s.standard.range = CodeRange::full(bits);
    else if (o.range == "limited")
        s.standard.range = CodeRange::limited(bits);
    else
        s.standard.range = rangeAtBits(s.standard.range, bits);
    return s;
}

std::string describeStandard(const RunStandard &s) {
    const TargetCurve &c = s.standard.curve;
    QString curve;
    switch (c.transfer) {
    case Transfer::Gamma:
        curve = QStringLiteral("gamma %1").arg(c.gamma);
        break;
    case Transfer::Bt1886:
        curve = QStringLiteral("BT.1886, black %1 cd/m²").arg(c.blackNits);
        break;
    case Transfer::Pq:
        curve = QStringLiteral("ST 2084, peak %1 cd/m², %2 above")
                    .arg(c.peakNits)
                    .arg(c.masteringPeak > 0
                             ? QStringLiteral("rolled off from %1 cd/m²").arg(c.masteringPeak)
                             : QStringLiteral("clipped"));
        break;
    case Transfer::Hlg:
        curve = QStringLiteral("HLG, peak %1 cd/m²").arg(c.peakNits);
        break;
    }
    const CodeRange &r = s.standard.range;
    return QStringLiteral("standard %1 (%2, white %3 cd/m²), %4-bit %5 range %6-%7")
        .arg(s.name, curve)
        .arg(s.standard.spec.whiteBigY)
        .arg(r.bits)
        .arg(r.isFull() ? QStringLiteral("full")
                        : (r.low == CodeRange::limited(r.bits).low ? QStringLiteral("limited")
                                                                   : QStringLiteral("video")))
        .arg(r.low)
        .arg(r.high)
        .toStdString();
}

namespace {

const char *const judgementNames[] = {"bits",    "shownBits", "shownRed", "shownGreen", "shownBlue",
                                      "targetX", "targetY",   "targetZ",  "deltaE2000", "deltaITP"};

// After every field of the measurement, so that older readers of the lines
// find the fields they know where they were.
std::vector<TextField> judgementFields(int bits, const PatchJudgement &j, bool read) {
    const std::string none = "null";
    const std::string values[] = {std::to_string(bits),
                                  std::to_string(j.shown.range.bits),
                                  std::to_string(j.shown.code[0]),
                                  std::to_string(j.shown.code[1]),
                                  std::to_string(j.shown.code[2]),
                                  jsonNumber(j.target.xyz[0]),
                                  jsonNumber(j.target.xyz[1]),
                                  jsonNumber(j.target.xyz[2]),
                                  read ? jsonNumber(j.deltaE2000) : none,
                                  read ? jsonNumber(j.deltaItp) : none};
    std::vector<TextField> out;
    for (std::size_t i = 0; i < std::size(judgementNames); ++i)
        out.push_back({judgementNames[i], values[i]});
    return out;
}

std::string csvText(const std::string &json) {
    return json == "null" ? std::string() : json;
}

} // namespace

PatchPrinter::PatchPrinter(const QList<ColorPatch> &patches, const VideoStandard &standard,
                           bool csv)
    : m_patches(patches), m_standard(standard), m_csv(csv) {
    if (csv)
        std::printf("%s\n", measurementCsvHeader(lead(0, QString()),
                                                 judgementFields(8, PatchJudgement(), true))
                                .c_str());
    std::fflush(stdout);
}

void PatchPrinter::patch(int index, const Measurement &m, const QString &problem, bool read,
                         const ShownCodes &shown) {
    const std::vector<TextField> fields = lead(index, problem);
    std::vector<TextField> after;
    for (TextField &f :
         judgementFields(m_patches.value(index).bits, judgePatch(shown, m, m_standard), read))
        after.push_back({f.name, m_csv ? csvText(f.text) : f.text});
    std::printf(
        "%s\n",
        (m_csv ? measurementCsvRow(m, fields, after) : measurementJson(m, fields, after)).c_str());
    std::fflush(stdout);
}

std::vector<TextField> PatchPrinter::lead(int index, const QString &problem) const {
    const ColorPatch p = m_patches.value(index);
    const std::array<int, 3> codes = p.codes();
    const std::string name = p.name.toLatin1().toStdString();
    const std::string why = problem.trimmed().toLatin1().toStdString();
    return {{"index", std::to_string(index)},
            {"name", m_csv ? csvField(name) : jsonString(name)},
            {"red", std::to_string(codes[0])},
            {"green", std::to_string(codes[1])},
            {"blue", std::to_string(codes[2])},
            {"problem", problem.isEmpty() ? (m_csv ? std::string() : std::string("null"))
                                          : (m_csv ? csvField(why) : jsonString(why))}};
}
