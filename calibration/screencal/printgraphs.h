#pragma once
// Printing a page's graphs. The window hands its graphs to printPageGraphs,
// the one place that decides how a graph report is laid out and previewed.

#include <QList>
#include <QString>

class QPrinter;
class QWidget;

namespace screencal {

// Opens the print preview of the graphs (borrowed: only rendered).
void printPageGraphs(QWidget *parent, const QList<QWidget *> &graphs, const QString &title);
// Renders the graphs two across and three down per page under a title;
// returns the number of pages printed, 0 when the printer cannot paint.
int renderGraphs(QPrinter *printer, const QList<QWidget *> &graphs, const QString &title);

} // namespace screencal
