#include "patchlist.h"

#include "transfer.h"

#include <algorithm>
#include <cmath>

namespace screencal {

namespace {

struct ColourInfo {
    const char *name;
    uint32_t bit;
    Rgb channels;
};
// In the order the runs and the tables go through them.
const ColourInfo colours[patchColourCount] = {
    {"White", Mask::White, {1, 1, 1}},   {"Red", Mask::Red, {1, 0, 0}},
    {"Green", Mask::Green, {0, 1, 0}},   {"Blue", Mask::Blue, {0, 0, 1}},
    {"Cyan", Mask::Cyan, {0, 1, 1}},     {"Magenta", Mask::Magenta, {1, 0, 1}},
    {"Yellow", Mask::Yellow, {1, 1, 0}},
};

Rgb colourAt(int colour, int code, int low) {
    const Rgb c = colours[colour].channels;
    return {c.r ? code : low, c.g ? code : low, c.b ? code : low};
}

// Eleven patches from low to high in tenths of the span; each step from its
// own multiple, so no rounding accumulates and drops the last step.
void appendRamp(QVector<Rgb> &out, int colour, int low, int high) {
    const double step = (high - low) / 10.0;
    for (int k = 0; k < 10; ++k)
        out.append(colourAt(colour, int(low + k * step), low));
    out.append(colourAt(colour, high, low));
}

} // namespace

int levelCode(double ire, int low, int high) {
    return int(low + (high - low) * ire * 0.01);
}

QVector<double> pqScaleLuminances() {
    return {0.0,   0.1,   0.5,   1.0,   5.0,   10.0,  25.0,  50.0,
            100.0, 150.0, 203.0, 300.0, 400.0, 600.0, 800.0, 1000.0};
}

int pqScaleCode(double nits) {
    return int(std::lround(transfer::st2084InverseEotf(nits) * 1023));
}

int runBits(const RunDefinition &run) {
    return run.options.pqScale ? 10 : 8;
}

PatchSettings forRun(const RunDefinition &run, PatchSettings settings) {
    if (runBits(run) > 8) {
        settings.low = 0;
        settings.high = (1 << runBits(run)) - 1;
    }
    return settings;
}

QVector<Rgb> buildPatchList(const RunDefinition &run, const PatchSettings &s) {
    const int low = s.low, high = s.high;
    const int span = high - low;
    const int level = levelCode(s.levelIre, low, high);
    const int ire30 = int(low + 0.3 * span);
    const uint32_t mask = run.mask;
    const Rgb black{low, low, low}, white{high, high, high};
    QVector<Rgb> list;

    if (mask & Mask::MinWhite)
        list.append(black);
    if (mask & Mask::MaxWhite)
        list.append(white);
    if (run.options.grayScale && s.greyMode != BalanceOnly) {
        list.append(black);
        if (s.greyMode == TwoPoint) {
            list.append(colourAt(White, ire30, low));
            list.append(colourAt(White, level, low));
        } else {
            appendRamp(list, White, low, high);
        }
        list.append(white);
    }
    if (run.options.pqScale)
        for (double nits : pqScaleLuminances())
            list.append(colourAt(White, nits > 0 ? pqScaleCode(nits) : low, low));
    if (mask & Mask::White)
        list.append(colourAt(White, level, low));
    if (run.options.colorScale && s.colourMode != BalanceOnly) {
        for (int c = Red; c <= Yellow; ++c) {
            if (!(mask & colours[c].bit))
                continue;
            if (s.colourMode == TwoPoint) {
                list.append(colourAt(c, ire30, low));
                list.append(colourAt(c, level, low));
            } else {
                appendRamp(list, c, low, high);
            }
        }
    }
    for (int c = Red; c <= Yellow; ++c)
        if (mask & colours[c].bit)
            list.append(colourAt(c, level, low));

    QVector<Rgb> unique;
    for (const Rgb &p : list)
        if (!unique.contains(p))
            unique.append(p);
    return unique;
}

QString patchColourName(int colour) {
    return colour >= 0 && colour < patchColourCount ? QString::fromLatin1(colours[colour].name)
                                                    : QStringLiteral("ERROR");
}

uint32_t patchColourMaskBit(int colour) {
    return colour >= 0 && colour < patchColourCount ? colours[colour].bit : 0;
}

Rgb colourChannels(int colour) {
    return colour >= 0 && colour < patchColourCount ? colours[colour].channels : Rgb{};
}

int classifyPatch(const Rgb &p, int low) {
    if (p.r == p.g && p.g == p.b)
        return White;
    const int code = std::max({p.r, p.g, p.b});
    const Rgb on{p.r > low, p.g > low, p.b > low};
    for (int c = Red; c <= Yellow; ++c) {
        if (colours[c].channels != on)
            continue;
        // Every lit channel at the same code, the rest exactly at low.
        return colourAt(c, code, low) == p ? c : NoColour;
    }
    return NoColour;
}

double patchLevel(const Rgb &p, int low, int high) {
    if (high <= low)
        return 0;
    const int code = std::max({p.r, p.g, p.b});
    return std::clamp(double(code - low) / (high - low), 0.0, 1.0);
}

} // namespace screencal

namespace screencal {

namespace {

void applyChoices(const std::vector<PageElement> &elements, PatchSettings &s) {
    for (const PageElement &e : elements) {
        for (const PageTab &t : e.tabs)
            applyChoices(t.children, s);
        if (e.kind != PageElement::Item || e.object() != QLatin1String("Combo"))
            continue;
        bool ok = false;
        const int current = e.attribute(QStringLiteral("current")).toInt(&ok);
        if (!ok || current < 0)
            continue;
        const QString option = e.attribute(QStringLiteral("option"));
        if (option == QLatin1String("gray") && current <= TenPoint)
            s.greyMode = current;
        else if (option == QLatin1String("color") && current <= TenPoint)
            s.colourMode = current;
        else if (option == QLatin1String("colorLevel") && current <= 5)
            s.levelIre = 70 + 5 * current;
    }
}

} // namespace

PatchSettings pageChoices(const PageModel &page, PatchSettings settings) {
    applyChoices(page.elements, settings);
    return settings;
}

} // namespace screencal
