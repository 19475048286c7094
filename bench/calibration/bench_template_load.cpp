// Screen-calibration templates, timed and weighed:
//  - the peak memory of loading hostile templates (a nested-entity DTD,
//    a 100 MB file, 4 MB of nesting, 4 MB of pages);
//  - loading the page tree of a template with 1,000 pages;
//  - finding its largest page again and building it into widgets.
//
//   bench_template_load [--runs R]   (QT_QPA_PLATFORM=offscreen without a display)
#include "benchstats.h"
#include "pagebuilder.h"
#include "templatefiles.h"
#include "templatemodel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGridLayout>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>
#include <vector>

using namespace screencal;

namespace {

long peakKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

QByteArray bigTemplate(int pages, int largest) {
    QByteArray x = "<?xml version=\"1.0\"?>\n<ScreenCal version=\"1.0\" name=\"big\">\n";
    for (int p = 0; p < pages; ++p) {
        if (p % 10 == 0)
            x += (p ? "</header>\n" : "") + QByteArray("<header name=\"group ") +
                 QByteArray::number(p / 10) + "\">\n";
        x += "<frame name=\"page " + QByteArray::number(p) + "\">\n";
        const int items = p == pages / 2 ? largest : 8;
        x += "<cali caliFor=\"preCali\" colorFor=\"allcolors\" option=\"grayScale colorScale\"/>\n";
        for (int i = 0; i < items; ++i) {
            const QByteArray at = " column=\"" + QByteArray::number(i % 6) + "\" row=\"" +
                                  QByteArray::number(i / 6) + "\"";
            if (i % 5 == 0)
                x += "<item object=\"Graph\" type=\"line:Y\" caliFor=\"preCali\"" + at + "/>\n";
            else if (i % 5 == 1)
                x += "<item object=\"Table\" caliFor=\"preCali\" colorFor=\"allcolors\"" + at +
                     "/>\n";
            else if (i % 5 == 2)
                x += "<item object=\"Combo\" option=\"gray\"" + at + "/>\n";
            else
                x += "<item object=\"Label\" text=\"step " + QByteArray::number(i) + "\"" + at +
                     "/>\n";
        }
        x += "</frame>\n";
    }
    return x + "</header>\n</ScreenCal>\n";
}

template <typename F> std::vector<double> timeRuns(int runs, F f) {
    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer t;
        t.start();
        f();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    return ms;
}

} // namespace

int main(int argc, char **argv) {
    int runs = 15;
    for (int i = 1; i + 1 < argc; ++i)
        if (!std::strcmp(argv[i], "--runs"))
            runs = std::max(1, std::atoi(argv[i + 1]));
    QApplication app(argc, argv);

    // Memory first, while the peak is still the start-up's.
    struct Hostile {
        const char *name;
        QByteArray bytes;
    };
    QByteArray laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE ScreenCal [\n<!ENTITY a0 \"ha\">\n";
    for (int i = 1; i < 10; ++i)
        laughs += "<!ENTITY a" + QByteArray::number(i) + " \"" +
                  QByteArray("&a" + QByteArray::number(i - 1) + ";").repeated(10) + "\">\n";
    laughs += "]>\n<ScreenCal version=\"1.0\" name=\"&a9;\"><header name=\"&a9;\"/></ScreenCal>";
    const QByteArray head = "<ScreenCal version=\"1.0\"><header name=\"h\">";
    const Hostile hostile[] = {
        {"nested entities", laughs},
        {"4 MB of nesting", head + QByteArray("<g>").repeated((maxTemplateBytes - 64) / 3)},
        {"4 MB of pages",
         head + QByteArray("<frame name=\"p\"/>").repeated((maxTemplateBytes - 64) / 17)},
    };
    for (const Hostile &h : hostile) {
        const long before = peakKb();
        QElapsedTimer t;
        t.start();
        const TemplateTree tree = loadTemplateTree(h.bytes);
        const double ms = t.nsecsElapsed() / 1e6;
        std::printf(
            "%-16s %6lld KB in: %.1f ms, peak RSS +%ld KB, %d pages, %s\n", h.name,
            static_cast<long long>(h.bytes.size() / 1024), ms, peakKb() - before, tree.pageCount(),
            tree.issues.isEmpty() ? "no message"
                                  : tree.issues.first().text().left(60).toUtf8().constData());
    }
    // A 100 MB file on disk: refused after reading one byte past the limit.
    QTemporaryDir dir;
    const QString path = dir.filePath("huge.xml");
    {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly)) {
            f.write(head);
            f.resize(100LL * 1024 * 1024);
        }
    }
    const long before = peakKb();
    QByteArray bytes;
    QString error;
    const bool read = readTemplateFile(path, &bytes, &error);
    std::printf("100 MB file: %s, peak RSS +%ld KB: %s\n", read ? "read" : "refused",
                peakKb() - before, error.toUtf8().constData());
    const QByteArray big = bigTemplate(1000, 240);
    int pages = 0;
    const auto load = timeRuns(runs, [&] { pages = loadTemplateTree(big).pageCount(); });
    std::printf("tree of %d pages (%lld KB): median %.2f ms, p90 %.2f ms\n", pages,
                static_cast<long long>(big.size() / 1024), median(load), percentile(load, 0.9));

    const int frame = 500;
    size_t elements = 0;
    const auto build = timeRuns(runs, [&] {
        const PageModel page = loadPage(big, frame);
        QWidget area;
        auto *grid = new QGridLayout(&area);
        const BuiltPage built = buildPage(page, &area, grid, nullptr);
        elements = page.elements.size();
        (void)built;
    });
    std::printf("largest page (%zu elements) found and built: median %.2f ms, p90 %.2f ms\n",
                elements, median(build), percentile(build, 0.9));

    return 0;
}
