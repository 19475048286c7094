#pragma once
// Where the pages of a graph report go: page 0 is the summary, then the
// pages of the patch tables, then the graphs, across × down to a page. All
// geometry is in device pixels of the page being painted.

#include <QList>
#include <QRect>
#include <QSize>

struct ReportLayout {
    int across = 2;     // 1 to 3
    int down = 3;       // 1 to 4
    int graphs = 0;     // graphs to place
    int tablePages = 0; // pages of patch tables after the summary

    int perPage() const { return across * down; }
    int graphPages() const { return graphs <= 0 ? 0 : (graphs + perPage() - 1) / perPage(); }
    int pageCount() const { return 1 + tablePages + graphPages(); }

    enum PageKind { Summary, Table, Graphs };
    PageKind kind(int page) const;
    // First graph on a graph page and how many it holds (0 on other pages).
    int firstGraph(int page) const;
    int graphsOn(int page) const;

    // Zero-based pages to paint: a requested range fromPage..toPage (1-based,
    // as a print dialog gives it), or every page; pages that do not exist are
    // left out.
    QList<int> pagesToPrint(bool rangeRequested, int fromPage, int toPage) const;

    // Margins half an inch, header one inch, cells in integer pixels.
    struct Geometry {
        int mx = 0, my = 0, hy = 0;
        int cellWidth = 0, cellHeight = 0;
        int across = 1;
        // Cell of graph i on its page.
        QRect cell(int indexOnPage) const;
    };
    Geometry geometry(const QSize &page, int dpiX, int dpiY) const;
};
