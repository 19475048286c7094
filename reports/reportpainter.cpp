#include "reportpainter.h"

#include "qgraphbox.h"

#include <QDate>
#include <QFile>
#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QWidget>

namespace {

constexpr double baseFontPoints = 10.0;

QFont font(double points, bool bold = false) {
    QFont f(QStringLiteral("Sans Serif"));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

// Height of a line of the base font in pixels at dpiY.
int lineHeight(int dpiY) {
    return dpiY / 4;
}

// Draws a labelled block: the label in 1.5 × the base size, the text below.
int labelled(QPainter &p, int x, int y, int width, const QString &label, const QString &text) {
    p.setFont(font(baseFontPoints * 1.5, true));
    QRect used;
    p.drawText(QRect(x, y, width, 10000), Qt::AlignLeft | Qt::TextWordWrap, label, &used);
    y = used.bottom() + 2;
    p.setFont(font(baseFontPoints));
    p.drawText(QRect(x, y, width, 10000), Qt::AlignLeft | Qt::TextWordWrap, text, &used);
    return used.bottom() + p.fontMetrics().height();
}

} // namespace

ReportPainter::ReportPainter(const ReportSetup &setup, const QList<QWidget *> &graphs, int across,
                             int down)
    : m_setup(setup), m_across(across), m_down(down) {
    for (QWidget *g : graphs)
        m_graphs << QPointer<QWidget>(g);
}

void ReportPainter::setLayout(int across, int down) {
    m_across = qBound(1, across, 3);
    m_down = qBound(1, down, 4);
}

int ReportPainter::rowsPerPage(const QSize &page, int dpiY) {
    // Under the header: the table title and the column header.
    const int room = page.height() - dpiY - 3 * lineHeight(dpiY);
    return qMax(1, room / lineHeight(dpiY));
}

QList<ReportPainter::TableChunk> ReportPainter::tableChunks(const QSize &page, int dpiY) const {
    QList<TableChunk> chunks;
    const int per = rowsPerPage(page, dpiY);
    for (int t = 0; t < m_setup.tables.size(); ++t) {
        const int n = m_setup.tables.at(t).rows.size();
        for (int first = 0; first < n; first += per)
            chunks << TableChunk{t, first, qMin(per, n - first)};
    }
    return chunks;
}

ReportLayout ReportPainter::layoutFor(const QSize &page, int dpiY) const {
    ReportLayout l;
    l.across = m_across;
    l.down = m_down;
    l.graphs = m_graphs.size();
    l.tablePages = tableChunks(page, dpiY).size();
    return l;
}

int ReportPainter::paint(QPagedPaintDevice *device, bool rangeRequested, int fromPage, int toPage) {
    QPainter p;
    if (!device || !p.begin(device))
        return 0;
    const QSize size(device->width(), device->height());
    const int dpiX = device->logicalDpiX(), dpiY = device->logicalDpiY();
    const QList<int> pages = layoutFor(size, dpiY).pagesToPrint(rangeRequested, fromPage, toPage);
    bool first = true;
    for (int page : pages) {
        if (!first)
            device->newPage();
        first = false;
        paintPage(p, page, size, dpiX, dpiY);
    }
    p.end();
    return pages.size();
}

void ReportPainter::paintPage(QPainter &p, int page, const QSize &size, int dpiX, int dpiY) {
    const ReportLayout layout = layoutFor(size, dpiY);
    p.save();
    p.setPen(Qt::black);
    const int top = paintHeader(p, size, dpiX, dpiY);
    switch (layout.kind(page)) {
    case ReportLayout::Summary:
        paintSummary(p, size, dpiX, dpiY, top);
        break;
    case ReportLayout::Table: {
        const QList<TableChunk> chunks = tableChunks(size, dpiY);
        if (page - 1 < chunks.size())
            paintTable(p, chunks.at(page - 1), size, dpiX, dpiY, top);
        break;
    }
    case ReportLayout::Graphs:
        paintGraphs(p, page, layout, size, dpiX, dpiY);
        break;
    }
    p.restore();
}

int ReportPainter::paintHeader(QPainter &p, const QSize &size, int dpiX, int dpiY) const {
    const int mx = int(0.5 * dpiX);
    const int width = size.width() - 2 * mx;
    QRect used;
    p.setFont(font(20, true));
    p.drawText(QRect(mx, 0, width, dpiY / 2), Qt::AlignLeft | Qt::AlignTop, m_setup.texts.title,
               &used);
    p.setFont(font(baseFontPoints));
    const int y = qMax(used.bottom(), dpiY * 2 / 5) + 4;
    p.drawText(QRect(mx, y, width, dpiY - y), Qt::AlignLeft | Qt::AlignTop,
               QStringLiteral("Date: ") + QDate::currentDate().toString("MM/dd/yyyy") +
                   QStringLiteral("\nCalibrated By: ") + m_setup.texts.name);
    p.setPen(QPen(Qt::darkGray, qMax(1, dpiY / 72)));
    p.drawLine(mx, dpiY - dpiY / 12, size.width() - mx, dpiY - dpiY / 12);
    p.setPen(Qt::black);
    return dpiY;
}

void ReportPainter::paintSummary(QPainter &p, const QSize &size, int dpiX, int dpiY,
                                 int top) const {
    const ReportTexts &t = m_setup.texts;
    const int mx = int(0.5 * dpiX);
    const int column = (size.width() - 3 * mx) / 2;
    QString contact =
        QStringLiteral("%1\n%2\n\nEmail: %3\nPhone: %4").arg(t.name, t.company, t.email, t.phone);
    if (!t.website.isEmpty())
        contact += QStringLiteral("\nWebsite: ") + t.website;
    p.setFont(font(baseFontPoints));
    int blocksTop = top;
    if (!(t.name + t.company + t.email + t.phone + t.website).isEmpty()) {
        QRect used;
        p.drawText(QRect(mx, top, size.width() - 2 * mx, 10000), Qt::AlignLeft, contact, &used);
        blocksTop = used.bottom() + lineHeight(dpiY);
    }

    // Left: the set-up; right: the standard and the results.
    int y = labelled(p, mx, blocksTop, column, QStringLiteral("Meter:"), deviceText(m_setup.meter));
    y = labelled(p, mx, y, column, QStringLiteral("Pattern Generator:"),
                 deviceText(m_setup.generator));
    labelled(p, mx, y, column, QStringLiteral("Profile:"),
             m_setup.profile.isEmpty() ? QStringLiteral("None") : m_setup.profile);
    const int right = 2 * mx + column;
    y = labelled(p, right, blocksTop, column, QStringLiteral("Calibration Standard:"),
                 standardText(m_setup.standard));
    QStringList results;
    for (const PatchTable &table : m_setup.tables)
        results << table.title + QStringLiteral(": ") + tableSummaryText(table);
    if (!results.isEmpty())
        labelled(p, right, y, column, QStringLiteral("Results:"), results.join('\n'));
}

void ReportPainter::paintTable(QPainter &p, const TableChunk &chunk, const QSize &size, int dpiX,
                               int dpiY, int top) const {
    const PatchTable &table = m_setup.tables.at(chunk.table);
    const int mx = int(0.5 * dpiX);
    const int width = size.width() - 2 * mx;
    const int row = lineHeight(dpiY);
    p.setFont(font(baseFontPoints * 1.5, true));
    const QString title =
        chunk.firstRow == 0 ? table.title : table.title + QStringLiteral(" (continued)");
    p.drawText(QRect(mx, top, width, 2 * row), Qt::AlignLeft | Qt::AlignVCenter, title);
    int y = top + 2 * row;

    // Number columns as wide as their widest text; the name takes the rest.
    const QStringList header = patchTableHeader();
    p.setFont(font(baseFontPoints * 0.9, true));
    const QFontMetrics metrics = p.fontMetrics();
    const int pad = dpiX / 12;
    QList<int> widths{0, metrics.horizontalAdvance(QStringLiteral("255,255,255")) + pad};
    for (int i = 2; i < header.size(); ++i)
        widths << qMax(metrics.horizontalAdvance(header.at(i)),
                       metrics.horizontalAdvance(QStringLiteral("0000.00"))) +
                      pad;
    int numbers = 0;
    for (int w : widths)
        numbers += w;
    widths[0] = qMax(dpiX, width - numbers);
    auto drawRow = [&](const QStringList &cells, bool bold) {
        p.setFont(font(baseFontPoints * 0.9, bold));
        int x = mx;
        for (int c = 0; c < cells.size(); ++c) {
            const int align = (c == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter;
            p.drawText(QRect(x + 4, y, widths.at(c) - 8, row), align,
                       p.fontMetrics().elidedText(cells.at(c), Qt::ElideRight, widths.at(c) - 8));
            x += widths.at(c);
        }
        y += row;
    };
    p.fillRect(QRect(mx, y, width, row), QColor(220, 226, 235));
    drawRow(header, true);
    for (int i = chunk.firstRow; i < chunk.firstRow + chunk.rows; ++i) {
        if ((i - chunk.firstRow) % 2)
            p.fillRect(QRect(mx, y, width, row), QColor(244, 246, 249));
        drawRow(patchTableCells(table.rows.at(i)), false);
    }
    p.setPen(QPen(Qt::darkGray, 1));
    p.drawLine(mx, y, mx + width, y);
    p.setPen(Qt::black);
    if (chunk.firstRow + chunk.rows == table.rows.size()) {
        p.setFont(font(baseFontPoints, true));
        p.drawText(QRect(mx, y + row / 2, width, row), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Average ΔE2000: %1    Maximum ΔE2000: %2")
                       .arg(table.averageDeltaE(), 0, 'f', 2)
                       .arg(table.worstRow() < 0 ? 0.0 : table.rows.at(table.worstRow()).deltaE, 0,
                            'f', 2));
    }
}

void ReportPainter::paintGraphs(QPainter &p, int page, const ReportLayout &layout,
                                const QSize &size, int dpiX, int dpiY) const {
    const ReportLayout::Geometry g = layout.geometry(size, dpiX, dpiY);
    const int first = layout.firstGraph(page);
    for (int i = 0; i < layout.graphsOn(page); ++i) {
        QWidget *w = m_graphs.value(first + i);
        if (!w)
            continue;
        // Charts are drawn onto the page itself: vectors at the page's
        // resolution, in print colours whatever the screen's theme.
        if (auto *graph = qobject_cast<QGraphBox *>(w)) {
            graph->paintForPrint(p, g.cell(i), dpiX / 96.0);
            continue;
        }
        const QSize oldSize = w->size(), oldMinimum = w->minimumSize();
        w->setMinimumSize(0, 0);
        w->resize(g.cell(i).size());
        w->render(&p, g.cell(i).topLeft(), QRegion(),
                  QWidget::DrawWindowBackground | QWidget::DrawChildren);
        w->setMinimumSize(oldMinimum);
        w->resize(oldSize);
    }
}

bool writeReportPdf(const QString &path, const ReportSetup &setup, const QList<QWidget *> &graphs,
                    int across, int down, int *pages) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    int painted = 0;
    {
        QPdfWriter writer(&file);
        writer.setResolution(reportDpi);
        writer.setPageSize(QPageSize(QPageSize::Letter));
        writer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        writer.setTitle(setup.texts.title);
        writer.setCreator(QStringLiteral("Tintwell"));
        ReportPainter painter(setup, graphs, across, down);
        painted = painter.paint(&writer);
    } // the writer finishes the file when it goes
    file.close();
    if (pages)
        *pages = painted;
    return painted > 0 && file.error() == QFileDevice::NoError;
}
