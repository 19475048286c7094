// Patch lists of a run against lists worked out by hand, and the way
// patches are named and picked for graphs and tables.
#include "patchlist.h"
#include "runstore.h"

#include "templatetesting.h"

#include <gtest/gtest.h>

#include <ostream>

namespace screencal {
void PrintTo(const Rgb &c, std::ostream *os) {
    *os << "(" << c.r << "," << c.g << "," << c.b << ")";
}
} // namespace screencal

using namespace screencal;

namespace {

RunDefinition run(uint32_t mask, bool grey = false, bool colour = false) {
    RunDefinition r;
    r.mask = mask;
    r.options.grayScale = grey;
    r.options.colorScale = colour;
    return r;
}

PatchSettings settings(bool video, int level, int greyMode, int colourMode) {
    PatchSettings s;
    s.low = video ? 16 : 0;
    s.high = video ? 235 : 255;
    s.levelIre = level;
    s.greyMode = greyMode;
    s.colourMode = colourMode;
    return s;
}

QVector<Rgb> greys(std::initializer_list<int> codes) {
    QVector<Rgb> out;
    for (int c : codes)
        out.append({c, c, c});
    return out;
}

} // namespace

TEST(PatchList, WorkedExamples) {
    struct Case {
        const char *what;
        RunDefinition run;
        PatchSettings settings;
        QVector<Rgb> patches;
    };
    const Case cases[] = {
        {"two-point grey and colour, white and red",
         run(Mask::White | Mask::Red, true, true),
         settings(false, 70, TwoPoint, TwoPoint),
         {{0, 0, 0}, {76, 76, 76}, {178, 178, 178}, {255, 255, 255}, {76, 0, 0}, {178, 0, 0}}},
        {"primaries and cyan at 80 IRE in video range",
         run(0x2F),
         settings(true, 80, TenPoint, TenPoint),
         {{191, 191, 191}, {191, 16, 16}, {16, 191, 16}, {16, 16, 191}, {16, 191, 191}}},
        {"balance modes add no scale patches",
         run(Mask::Red, true, true),
         settings(false, 95, BalanceOnly, BalanceOnly),
         {{242, 0, 0}}},
        {"ten-point grey in video range, 70 IRE on a step", run(Mask::White, true, false),
         settings(true, 70, TenPoint, TenPoint),
         greys({16, 37, 59, 81, 103, 125, 147, 169, 191, 213, 235})},
        {"nothing asked, nothing shown", run(0, true, true), settings(false, 70, 0, 0), {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(buildPatchList(c.run, c.settings), c.patches) << c.what;
}

TEST(PatchList, ClassifiesPatchesByColourAndLevel) {
    struct Case {
        Rgb patch;
        int low, colour;
        double level;
    };
    const Case cases[] = {
        {{0, 0, 0}, 0, White, 0.0},
        {{255, 255, 255}, 0, White, 1.0},
        {{16, 16, 16}, 16, White, 0.0},
        {{125, 16, 16}, 16, Red, 109.0 / 219},
        {{0, 191, 191}, 0, Cyan, 191.0 / 255},
        {{191, 0, 191}, 0, Magenta, 191.0 / 255},
        {{200, 200, 0}, 0, Yellow, 200.0 / 255},
        {{200, 100, 0}, 0, NoColour, 200.0 / 255},
        {{10, 0, 0}, 16, NoColour, 0.0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(classifyPatch(c.patch, c.low), c.colour) << c.patch.r << "," << c.patch.g;
        EXPECT_NEAR(patchLevel(c.patch, c.low, c.low ? 235 : 255), c.level, 1e-12);
    }
    EXPECT_EQ(patchColourName(NoColour), "ERROR");
}

TEST(PatchList, GraphsPickTheirSamples) {
    const QVector<Rgb> patches = {{0, 0, 0},   {255, 255, 255}, {128, 128, 128},
                                  {128, 0, 0}, {0, 0, 128},     {0, 128, 128}};
    QVector<RunSample> samples;
    for (const Rgb &p : patches)
        samples.append({p, Measurement()});
    auto picked = [&](uint32_t mask, bool grey, bool colour) {
        QVector<Rgb> out;
        for (const RunSample &s : selectSamples(samples, mask, {grey, colour}, 0))
            out << s.patch;
        return out;
    };
    EXPECT_EQ(picked(0, false, false), patches);
    EXPECT_EQ(picked(Mask::White, false, false), patches.mid(0, 3));
    EXPECT_EQ(picked(0, true, false), patches.mid(0, 3));
    EXPECT_EQ(picked(Mask::Blue | Mask::Cyan, false, false), patches.mid(4, 2));
    EXPECT_EQ(picked(0, false, true), patches.mid(3, 3));
    EXPECT_EQ(picked(Mask::Red, false, true), QVector<Rgb>({{128, 0, 0}}));
}

TEST(PatchList, RunStoreKeepsEachKindByPatchIndex) {
    RunStore store;
    store.startRun(PreCali, {{0, 0, 0}, {255, 255, 255}});
    store.startRun(PostCali, {{9, 9, 9}});
    EXPECT_TRUE(store.store(PreCali, 1, Measurement()));
    EXPECT_TRUE(store.store(PostCali, 0, Measurement()));
    for (auto [kind, index] :
         {std::pair<int, int>{PreCali, 2}, {PreCali, -1}, {ReportKind, 0}, {-1, 0}})
        EXPECT_FALSE(store.store(kind, index, Measurement())) << kind << " " << index;
    ASSERT_EQ(store.samples(PreCali).size(), 1);
    EXPECT_EQ(store.samples(PreCali)[0].patch, (Rgb{255, 255, 255}));
    store.startRun(PreCali, {{1, 1, 1}}); // a new run starts empty; the others stay
    EXPECT_FALSE(store.hasData(PreCali));
    EXPECT_TRUE(store.hasData(PostCali));
}

TEST(PatchList, PageCombosGiveTheirStartingChoices) {
    const PageModel page = loadPage(onePageXml(R"(
<item object="Combo" option="gray" current="2"/>
<tabBox><tab name="t"><item object="Combo" option="colorLevel" current="5"/></tab></tabBox>
<item object="Combo" option="color" current="7"/>
<item object="Combo" option="color"/>)"),
                                    0);
    const PatchSettings s = pageChoices(page, settings(true, 75, TwoPoint, TwoPoint));
    EXPECT_EQ(s.greyMode, TenPoint);
    EXPECT_EQ(s.levelIre, 95);
    EXPECT_EQ(s.colourMode, TwoPoint); // 7 is no entry: the choice stays
    EXPECT_EQ(s.low, 16);
}
