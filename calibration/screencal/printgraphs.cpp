#include "printgraphs.h"

#include "reports.h"

#include <algorithm>

namespace screencal {

namespace {

const char *const runTitles[runKindCount] = {"Pre-calibration", "Post-calibration", "Measuring"};

} // namespace

ReportSetup pageReport(const QString &pageName, const RunStore &store, GenMeasure *meter,
                       GenPattern *generator) {
    ReportSetup setup =
        Reports::currentSetup(meter, generator, QStringLiteral("screencal"), pageName);
    const CalibrationStandard &standard = setup.standard;
    for (int kind = 0; kind < runKindCount; ++kind) {
        QVector<RunSample> samples = store.samples(kind);
        if (samples.isEmpty())
            continue;
        // By colour, each colour from its darkest level to its brightest:
        // the run measures full white early, the table lists it last.
        std::stable_sort(samples.begin(), samples.end(),
                         [&standard](const RunSample &a, const RunSample &b) {
                             const int ca = classifyPatch(a.patch, standard.videoLow);
                             const int cb = classifyPatch(b.patch, standard.videoLow);
                             if (ca != cb)
                                 return ca < cb;
                             return patchLevel(a.patch, standard.videoLow, standard.videoHigh) <
                                    patchLevel(b.patch, standard.videoLow, standard.videoHigh);
                         });
        QList<ColorPatch> patches;
        QList<Measurement> measured;
        for (const RunSample &s : samples) {
            const int colour = classifyPatch(s.patch, standard.videoLow);
            const double ire = 100 * patchLevel(s.patch, standard.videoLow, standard.videoHigh);
            patches.append(
                {QStringLiteral("%1 - %2 IRE").arg(patchColourName(colour)).arg(qRound(ire)),
                 QColor(s.patch.r, s.patch.g, s.patch.b)});
            measured.append(s.m);
        }
        setup.tables.append(
            comparePatches(QLatin1String(runTitles[kind]), patches, measured, standard));
    }
    return setup;
}

void printPageGraphs(QWidget *parent, const QList<QWidget *> &graphs, const ReportSetup &setup) {
    Reports::preview(parent, graphs, setup);
}

} // namespace screencal
