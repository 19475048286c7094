#pragma once
// The measurements of the runs made while the window is open, kept per run
// kind with the patch each was taken on, so a post-calibration page can
// compare with the pre-calibration run.

#include "measurement.h"
#include "patchlist.h"
#include "videotarget.h"

#include <QVector>

#include <optional>

namespace screencal {

struct ShownPatch {
    Rgb code;
    CodeRange range;
};

struct RunSample {
    Rgb patch;
    Measurement m;
    // What the generator showed when it could not show the patch's depth
    // (a 10-bit patch on an 8-bit generator): the target follows it.
    std::optional<ShownPatch> shown = std::nullopt;
};

class RunStore {
public:
    // A new run of that kind replaces the old one.
    void startRun(int kind, const QVector<Rgb> &patches);
    // Ignored for an unknown kind or an index outside the run's patch list.
    bool store(int kind, int index, const Measurement &m,
               const std::optional<ShownPatch> &shown = std::nullopt);
    // The measured patches of the kind, in patch order.
    QVector<RunSample> samples(int kind) const;
    bool hasData(int kind) const { return !samples(kind).isEmpty(); }
    void clear();

private:
    struct Slot {
        Rgb patch;
        Measurement m;
        std::optional<ShownPatch> shown;
        bool measured = false;
    };
    QVector<Slot> m_runs[runKindCount];
};

// The samples a graph or table of colorFor mask and options shows: greys
// for any white bit or the grey scale, each colour for its own bit; the
// colour scale with no colour bit takes every colour. An empty mask and no
// options take everything.
QVector<RunSample> selectSamples(const QVector<RunSample> &samples, uint32_t mask,
                                 const RunOptions &options, int low);

} // namespace screencal
