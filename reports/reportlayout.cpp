#include "reportlayout.h"

#include <QtGlobal>

ReportLayout::PageKind ReportLayout::kind(int page) const {
    if (page <= 0)
        return Summary;
    return page <= tablePages ? Table : Graphs;
}

int ReportLayout::firstGraph(int page) const {
    return kind(page) == Graphs ? (page - 1 - tablePages) * perPage() : 0;
}

int ReportLayout::graphsOn(int page) const {
    if (kind(page) != Graphs || page >= pageCount())
        return 0;
    return qMin(perPage(), graphs - firstGraph(page));
}

QList<int> ReportLayout::pagesToPrint(bool rangeRequested, int fromPage, int toPage) const {
    int first = 0, last = pageCount() - 1;
    if (rangeRequested && fromPage > 0) {
        first = fromPage - 1;
        last = qMin(last, (toPage > 0 ? toPage : fromPage) - 1);
    }
    QList<int> pages;
    for (int p = first; p <= last; ++p)
        pages << p;
    return pages;
}

ReportLayout::Geometry ReportLayout::geometry(const QSize &page, int dpiX, int dpiY) const {
    Geometry g;
    g.mx = int(0.5 * dpiX);
    g.my = int(0.5 * dpiY);
    g.hy = dpiY;
    g.across = qMax(1, across);
    const int rows = qMax(1, down);
    g.cellWidth = qMax(0, (page.width() - (g.across + 1) * g.mx) / g.across);
    g.cellHeight = qMax(0, (page.height() - rows * g.my - g.hy) / rows);
    return g;
}

QRect ReportLayout::Geometry::cell(int i) const {
    const int c = i % across, r = i / across;
    return QRect(mx + c * (cellWidth + mx), hy + r * (cellHeight + my), cellWidth, cellHeight);
}
