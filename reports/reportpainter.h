#pragma once
// Paints a report: the summary page, the patch-table pages and the graph
// pages, each under the page header, onto a printer, a PDF writer or an
// image. The graphs are borrowed widgets; each is resized to its cell for
// the rendering and given its own size back.

#include "reportcontent.h"
#include "reportlayout.h"

#include <QList>
#include <QPointer>
#include <QSize>
#include <QString>

class QPainter;
class QPagedPaintDevice;
class QWidget;

class ReportPainter {
public:
    ReportPainter(const ReportSetup &setup, const QList<QWidget *> &graphs, int across = 2,
                  int down = 3);

    void setLayout(int across, int down);
    // The layout for a page size, with the pages the tables need.
    ReportLayout layoutFor(const QSize &page, int dpiY) const;

    // Paints the requested pages (every page when rangeRequested is false)
    // onto device, whose resolution the caller has set; returns the number
    // of pages painted, 0 when painting could not begin.
    int paint(QPagedPaintDevice *device, bool rangeRequested = false, int fromPage = 0,
              int toPage = 0);
    // One page on an open painter; for previews of a single page and tests.
    void paintPage(QPainter &p, int page, const QSize &pageSize, int dpiX, int dpiY);

    // Rows of a patch table that fit under the header of one page.
    static int rowsPerPage(const QSize &page, int dpiY);

private:
    struct TableChunk {
        int table = 0, firstRow = 0, rows = 0;
    };
    QList<TableChunk> tableChunks(const QSize &page, int dpiY) const;
    int paintHeader(QPainter &p, const QSize &page, int dpiX, int dpiY) const;
    void paintSummary(QPainter &p, const QSize &page, int dpiX, int dpiY, int top) const;
    void paintTable(QPainter &p, const TableChunk &chunk, const QSize &page, int dpiX, int dpiY,
                    int top) const;
    void paintGraphs(QPainter &p, int page, const ReportLayout &layout, const QSize &size, int dpiX,
                     int dpiY) const;

    ReportSetup m_setup;
    QList<QPointer<QWidget>> m_graphs;
    int m_across, m_down;
};

// Resolution of every report page, printed or written.
constexpr int reportDpi = 144;

// The report as a PDF file on Letter pages; false when the file cannot be
// written. pages, when given, receives the number of pages written.
bool writeReportPdf(const QString &path, const ReportSetup &setup, const QList<QWidget *> &graphs,
                    int across = 2, int down = 3, int *pages = nullptr);
