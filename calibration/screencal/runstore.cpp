#include "runstore.h"

namespace screencal {

void RunStore::startRun(int kind, const QVector<Rgb> &patches) {
    if (kind < 0 || kind >= runKindCount)
        return;
    QVector<Slot> &run = m_runs[kind];
    run.clear();
    for (const Rgb &p : patches)
        run.append({p, Measurement(), std::nullopt, false});
}

bool RunStore::store(int kind, int index, const Measurement &m,
                     const std::optional<ShownPatch> &shown) {
    if (kind < 0 || kind >= runKindCount || index < 0 || index >= m_runs[kind].size())
        return false;
    Slot &s = m_runs[kind][index];
    s.m = m;
    s.shown = shown;
    s.measured = true;
    return true;
}

QVector<RunSample> RunStore::samples(int kind) const {
    QVector<RunSample> out;
    if (kind < 0 || kind >= runKindCount)
        return out;
    for (const Slot &s : m_runs[kind])
        if (s.measured)
            out.append({s.patch, s.m, s.shown});
    return out;
}

void RunStore::clear() {
    for (QVector<Slot> &run : m_runs)
        run.clear();
}

QVector<RunSample> selectSamples(const QVector<RunSample> &samples, uint32_t mask,
                                 const RunOptions &options, int low) {
    const uint32_t whiteBits = Mask::White | Mask::MaxWhite | Mask::MinWhite;
    const uint32_t colourBits = Mask::AllColors & ~Mask::White;
    const bool greys = options.grayScale || options.pqScale;
    const bool everything = mask == 0 && !greys && !options.colorScale;
    QVector<RunSample> out;
    for (const RunSample &s : samples) {
        const int colour = classifyPatch(s.patch, low);
        bool take = everything;
        if (colour == White)
            take = take || (mask & whiteBits) || greys;
        else if (colour != NoColour)
            take = take || (mask & patchColourMaskBit(colour)) ||
                   (options.colorScale && !(mask & colourBits));
        if (take)
            out.append(s);
    }
    return out;
}

} // namespace screencal
