#include "reportcontent.h"

#include <QtMath>

#include <cmath>

namespace {

QString fixed(double v, int decimals) {
    return QString::number(v, 'f', decimals);
}

bool isVideoWhite(const QColor &c, const CalibrationStandard &s) {
    return c.red() == s.videoHigh && c.green() == s.videoHigh && c.blue() == s.videoHigh;
}

} // namespace

double PatchTable::averageDeltaE() const {
    if (rows.isEmpty())
        return 0;
    double sum = 0;
    for (const PatchResult &r : rows)
        sum += r.deltaE;
    return sum / rows.size();
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
    const int span = qMax(1, standard.videoHigh - standard.videoLow);
    double percent[3];
    const int values[3] = {code.red(), code.green(), code.blue()};
    for (int c = 0; c < 3; ++c) {
        const double fraction = qBound(0.0, double(values[c] - standard.videoLow) / span, 1.0);
        percent[c] = 100.0 * std::pow(fraction, standard.gamma);
    }
    GamutSpec spec = standard.spec;
    spec.setWhite(spec.whiteX, spec.whiteY, whiteY);
    return Measurement::fromRGB(percent[0], percent[1], percent[2], spec);
}

PatchTable comparePatches(const QString &title, const QList<ColorPatch> &patches,
                          const QList<Measurement> &measured, const CalibrationStandard &standard) {
    double whiteY = standard.spec.whiteBigY > 0 ? standard.spec.whiteBigY : 100.0;
    for (int i = 0; i < patches.size() && i < measured.size(); ++i) {
        if (isVideoWhite(patches.at(i).color, standard) && measured.at(i).bigY > 0) {
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
        r.target = targetFor(r.code, standard, whiteY);
        r.measured = Measurement::fromXYZ(measured.at(i).bigX, measured.at(i).bigY,
                                          measured.at(i).bigZ, spec);
        r.deltaE = r.target.deltaE2000(r.measured);
        if (!std::isfinite(r.deltaE))
            r.deltaE = 0;
        table.rows << r;
    }
    return table;
}

QString standardText(const CalibrationStandard &s) {
    const GamutSpec &g = s.spec;
    auto xy = [](double x, double y) {
        return QStringLiteral("x %1, y %2").arg(fixed(x, 4), fixed(y, 4));
    };
    const bool full = s.videoLow == 0 && s.videoHigh == 255;
    return QStringLiteral("Standard: %1\nRed: %2\nGreen: %3\nBlue: %4\nWhite: %5\nGamma: %6\n"
                          "Video Range: %7 (%8 to %9)")
        .arg(s.name.isEmpty() ? QStringLiteral("Custom") : s.name, xy(g.redX, g.redY),
             xy(g.greenX, g.greenY), xy(g.blueX, g.blueY), xy(g.whiteX, g.whiteY),
             QString::number(s.gamma, 'g', 3),
             full ? QStringLiteral("Full Range") : QStringLiteral("Video Range"))
        .arg(s.videoLow)
        .arg(s.videoHigh);
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
    return QStringLiteral("%1 patches, average ΔE2000 %2, maximum %3 (%4)")
        .arg(t.rows.size())
        .arg(fixed(t.averageDeltaE(), 2), fixed(t.rows.at(worst).deltaE, 2), t.rows.at(worst).name);
}

QStringList patchTableHeader() {
    return {QStringLiteral("Patch"),    QStringLiteral("R,G,B"),    QStringLiteral("Target x"),
            QStringLiteral("Target y"), QStringLiteral("Target Y"), QStringLiteral("x"),
            QStringLiteral("y"),        QStringLiteral("Y"),        QStringLiteral("ΔE2000")};
}

QStringList patchTableCells(const PatchResult &r) {
    // Black has no chromaticity to aim at or to read.
    auto chroma = [](const Measurement &m, double v) {
        return m.bigY > 0 ? fixed(v, 4) : QStringLiteral("-");
    };
    return {r.name,
            QStringLiteral("%1,%2,%3").arg(r.code.red()).arg(r.code.green()).arg(r.code.blue()),
            chroma(r.target, r.target.x),
            chroma(r.target, r.target.y),
            QString::number(r.target.bigY, 'f', 2),
            chroma(r.measured, r.measured.x),
            chroma(r.measured, r.measured.y),
            QString::number(r.measured.bigY, 'f', 2),
            fixed(r.deltaE, 2)};
}
