#include "printgraphs.h"

#include <QDate>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QWidget>

namespace screencal {

int renderGraphs(QPrinter *printer, const QList<QWidget *> &graphs, const QString &title) {
    constexpr int across = 2, down = 3;
    printer->setResolution(144);
    QPainter p;
    if (!p.begin(printer))
        return 0;
    const int mx = int(0.5 * printer->logicalDpiX()), my = int(0.5 * printer->logicalDpiY());
    const int header = printer->logicalDpiY();
    const QRect page = printer->pageRect(QPrinter::DevicePixel).toRect();
    const int cellW = (page.width() - (across + 1) * mx) / across;
    const int cellH = (page.height() - down * my - header) / down;
    const int perPage = across * down;
    const int pages = qMax(1, (graphs.size() + perPage - 1) / perPage);
    for (int pageIndex = 0; pageIndex < pages; ++pageIndex) {
        if (pageIndex > 0)
            printer->newPage();
        QFont big = p.font();
        big.setPointSize(20);
        p.setFont(big);
        p.drawText(QRect(mx, 0, page.width() - 2 * mx, header / 2), Qt::AlignLeft | Qt::AlignBottom,
                   title);
        QFont small = p.font();
        small.setPointSize(10);
        p.setFont(small);
        p.drawText(QRect(mx, header / 2, page.width() - 2 * mx, header / 2),
                   Qt::AlignLeft | Qt::AlignTop,
                   QStringLiteral("Date: ") + QDate::currentDate().toString("MM/dd/yyyy"));
        for (int i = 0; i < perPage; ++i) {
            const int g = pageIndex * perPage + i;
            if (g >= graphs.size())
                break;
            QWidget *w = graphs[g];
            const QSize size = w->size(), minimum = w->minimumSize();
            w->setMinimumSize(0, 0);
            w->resize(cellW, cellH);
            const int c = i % across, r = i / across;
            w->render(&p, QPoint(mx + c * (cellW + mx), header + r * (cellH + my)), QRegion(),
                      QWidget::DrawWindowBackground | QWidget::DrawChildren);
            w->setMinimumSize(minimum);
            w->resize(size);
        }
    }
    p.end();
    return pages;
}

void printPageGraphs(QWidget *parent, const QList<QWidget *> &graphs, const QString &title) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, parent);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested,
                     [&](QPrinter *pr) { renderGraphs(pr, graphs, title); });
    preview.exec();
}

} // namespace screencal
