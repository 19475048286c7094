#include "reportcontent.h"

#include "transfer.h"

#include <QtMath>

#include <cmath>

namespace {

QString fixed(double v, int decimals) {
    return QString::number(v, 'f', decimals);
}

bool isVideoWhite(const std::array<int, 3> &c, const CalibrationStandard &s) {
    return c[0] == s.videoHigh && c[1] == s.videoHigh && c[2] == s.videoHigh;
}

} // namespace

VideoStandard CalibrationStandard::video() const {
    VideoStandard v;
    v.spec = spec;
    v.curve = curve;
    v.curve.gamma = gamma;
    v.range = {videoLow, videoHigh, bits};
    return v;
}

namespace {

double average(const QList<PatchResult> &rows, double PatchResult::*field) {
    if (rows.isEmpty())
        return 0;
    double sum = 0;
    for (const PatchResult &r : rows)
        sum += r.*field;
    return sum / rows.size();
}

} // namespace

double PatchTable::averageDeltaItp() const {
    return average(rows, &PatchResult::deltaItp);
}

double PatchTable::averageDeltaE() const {
    return average(rows, &PatchResult::deltaE);
}

int PatchTable::worstRow() const {
    int worst = -1;
    for (int i = 0; i < rows.size(); ++i) {
        if (worst < 0 || rows.at(i).deltaE > rows.at(worst).deltaE)
            worst = i;
    }
    return worst;
}

Measurement targetFor(const QColor &code, const CalibrationStandard &standard, double whiteY) {
    return targetFor(std::array<int, 3>{code.red(), code.green(), code.blue()}, standard, whiteY);
}

Measurement targetFor(const std::array<int, 3> &codes, const CalibrationStandard &standard,
                      double whiteY) {
    VideoStandard v = standard.video();
    if (!v.curve.isHdr())
        v.spec.setWhite(v.spec.whiteX, v.spec.whiteY, whiteY);
    return codeTarget(codes, v).measurement;
}

PatchTable comparePatches(const QString &title, const QList<ColorPatch> &patches,
                          const QList<Measurement> &measured, const CalibrationStandard &standard) {
    double whiteY = standard.spec.whiteBigY > 0 ? standard.spec.whiteBigY : 100.0;
    for (int i = 0; i < patches.size() && i < measured.size() && !standard.curve.isHdr(); ++i) {
        if (isVideoWhite(patches.at(i).codes(), standard) && measured.at(i).bigY > 0) {
            whiteY = measured.at(i).bigY;
            break;
        }
    }
    GamutSpec spec = standard.spec;
    spec.setWhite(spec.whiteX, spec.whiteY, whiteY);
    PatchTable table;
    table.title = title;
    for (int i = 0; i < patches.size() && i < measured.size(); ++i) {
        PatchResult r;
        r.name = patches.at(i).name;
        r.code = patches.at(i).color;
        r.codes = patches.at(i).codes();
        r.bits = patches.at(i).bits;
        r.target = targetFor(r.codes, standard, whiteY);
        r.measured = Measurement::fromXYZ(measured.at(i).bigX, measured.at(i).bigY,
                                          measured.at(i).bigZ, spec);
        r.deltaE = r.target.deltaE2000(r.measured);
        if (!std::isfinite(r.deltaE))
            r.deltaE = 0;
        r.deltaItp = deltaEItp(r.target, r.measured);
        table.rows << r;
    }
    return table;
}

QString standardText(const CalibrationStandard &s) {
    const GamutSpec &g = s.spec;
    auto xy = [](double x, double y) {
        return QStringLiteral("x %1, y %2").arg(fixed(x, 4), fixed(y, 4));
    };
    const bool full = s.videoLow == 0 && s.videoHigh == (1 << s.bits) - 1;
    const QString curve = s.curve.transfer == Transfer::Gamma
                              ? QStringLiteral("Gamma: %1").arg(QString::number(s.gamma, 'g', 3))
                              : QStringLiteral("EOTF: %1").arg(curveText(s.curve));
    return QStringLiteral("Standard: %1\nRed: %2\nGreen: %3\nBlue: %4\nWhite: %5\n%6\n"
                          "Video Range: %7 (%8 to %9)")
        .arg(s.name.isEmpty() ? QStringLiteral("Custom") : s.name, xy(g.redX, g.redY),
             xy(g.greenX, g.greenY), xy(g.blueX, g.blueY), xy(g.whiteX, g.whiteY), curve,
             full ? QStringLiteral("Full Range") : QStringLiteral("Video Range"))
        .arg(s.videoLow)
        .arg(s.videoHigh);
}

QString curveText(const TargetCurve &c) {
    switch (c.transfer) {
    case Transfer::Gamma:
        return QStringLiteral("gamma %1").arg(c.gamma);
    case Transfer::Bt1886:
        return QStringLiteral("BT.1886, black %1 cd/m²").arg(c.blackNits);
    case Transfer::Pq:
        return QStringLiteral("ST 2084 (PQ), peak %1 cd/m², %2 above, reference white %3 cd/m²")
            .arg(c.peakNits)
            .arg(c.masteringPeak > 0
                     ? QStringLiteral("BT.2390 roll-off from %1 cd/m²").arg(c.masteringPeak)
                     : QStringLiteral("clipped"))
            .arg(hdrReferenceWhite);
    case Transfer::Hlg:
        return QStringLiteral("HLG, peak %1 cd/m², system gamma %2")
            .arg(c.peakNits)
            .arg(transfer::hlgSystemGamma(c.peakNits), 0, 'f', 3);
    }
    return QString();
}

QString deviceText(const DeviceIdentity &d) {
    if (d.isEmpty())
        return QStringLiteral("None");
    return QStringLiteral("Manufacturer: %1\nModel: %2\nSerial Number: %3")
        .arg(d.manufacturer, d.model, d.serialNumber);
}

QString tableSummaryText(const PatchTable &t) {
    const int worst = t.worstRow();
    if (worst < 0)
        return QStringLiteral("no patches");
    double worstItp = 0;
    for (const PatchResult &r : t.rows)
        worstItp = std::max(worstItp, r.deltaItp);
    return QStringLiteral("%1 patches, average ΔE2000 %2, maximum %3 (%4); average ΔITP %5, "
                          "maximum %6")
        .arg(t.rows.size())
        .arg(fixed(t.averageDeltaE(), 2), fixed(t.rows.at(worst).deltaE, 2), t.rows.at(worst).name,
             fixed(t.averageDeltaItp(), 1), fixed(worstItp, 1));
}

QStringList patchTableHeader() {
    return {QStringLiteral("Patch"),    QStringLiteral("R,G,B"),    QStringLiteral("Target x"),
            QStringLiteral("Target y"), QStringLiteral("Target Y"), QStringLiteral("x"),
            QStringLiteral("y"),        QStringLiteral("Y"),        QStringLiteral("ΔE2000"),
            QStringLiteral("ΔITP")};
}

QStringList patchTableCells(const PatchResult &r) {
    // Black has no chromaticity to aim at or to read.
    auto chroma = [](const Measurement &m, double v) {
        return m.bigY > 0 ? fixed(v, 4) : QStringLiteral("-");
    };
    return {r.name,
            QStringLiteral("%1,%2,%3").arg(r.codes[0]).arg(r.codes[1]).arg(r.codes[2]),
            chroma(r.target, r.target.x),
            chroma(r.target, r.target.y),
            QString::number(r.target.bigY, 'f', 2),
            chroma(r.measured, r.measured.x),
            chroma(r.measured, r.measured.y),
            QString::number(r.measured.bigY, 'f', 2),
            fixed(r.deltaE, 2),
            fixed(r.deltaItp, 1)};
}
