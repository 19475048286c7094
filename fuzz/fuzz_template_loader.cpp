// A screen-calibration template from anywhere: the page tree, every page
// found again by its place, built into widgets, and its patch lists in
// every mode and range. Whatever the bytes, a listed page is found again
// with its name (alone as among all pages read at once), and every patch
// lies within the video range, once.
#include "pagebuilder.h"
#include "patchlist.h"
#include "templatemodel.h"

#include <QApplication>
#include <QGridLayout>
#include <QWidget>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

QApplication *application() {
    static int argc = 1;
    static char name[] = "fuzz_template_loader";
    static char *argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return &app;
}

void checkPatches(const screencal::RunDefinition &run) {
    using namespace screencal;
    for (bool video : {false, true})
        for (int grey = 0; grey < 3; ++grey)
            for (int colour = 0; colour < 3; ++colour) {
                PatchSettings s;
                s.low = video ? 16 : 0;
                s.high = video ? 235 : 255;
                s.greyMode = grey;
                s.colourMode = colour;
                s.levelIre = 70 + 5 * ((grey + colour) % 6);
                const QVector<Rgb> list = buildPatchList(run, s);
                if (list.size() > 100)
                    __builtin_trap();
                for (int i = 0; i < list.size(); ++i) {
                    for (int c : {list[i].r, list[i].g, list[i].b})
                        if (c < s.low || c > s.high)
                            __builtin_trap();
                    for (int j = 0; j < i; ++j)
                        if (list[i] == list[j])
                            __builtin_trap();
                }
            }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace screencal;
    application();
    const QByteArray xml(reinterpret_cast<const char *>(data), static_cast<int>(size));
    const TemplateTree tree = loadTemplateTree(xml);
    if (!tree.valid && !tree.headers.isEmpty())
        __builtin_trap();
    if (tree.headers.size() + tree.pageCount() > maxTreeEntries)
        __builtin_trap();
    int frames = 0;
    for (const TemplateHeader &h : tree.headers)
        for (const TemplatePage &p : h.pages)
            frames = std::max(frames, p.frameIndex + 1);
    // Every page in one reading is each page read on its own.
    const std::vector<PageModel> all = loadPages(xml, frames);
    int built = 0;
    for (const TemplateHeader &h : tree.headers)
        for (const TemplatePage &p : h.pages) {
            if (++built > 16) // enough to see every kind of page
                return 0;
            const PageModel page = loadPage(xml, p.frameIndex);
            if (!page.found || page.name != p.name)
                __builtin_trap();
            const PageModel &once = all[static_cast<std::size_t>(p.frameIndex)];
            if (once.name != page.name || once.elements.size() != page.elements.size() ||
                once.issues.size() != page.issues.size() || bool(once.run) != bool(page.run))
                __builtin_trap();
            if (int(page.elements.size()) > maxPageElements)
                __builtin_trap();
            QWidget area;
            auto *grid = new QGridLayout(&area);
            buildPage(page, &area, grid, nullptr);
#ifdef TINTWELL_PLANTED_LEAK
            // The sanitizer build's canary: a loaded page never freed is
            // reported although Qt's own font cache is not. (A widget would
            // not do: Qt keeps every widget in a list, so it stays reachable.)
            auto *leaked = new PageModel(loadPage(xml, p.frameIndex));
            leaked->found = !leaked->found;
#endif
            if (page.run)
                checkPatches(*page.run);
        }
    return 0;
}
