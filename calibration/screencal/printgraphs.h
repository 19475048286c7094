#pragma once
// Printing a page: its graphs after the measured runs' patch tables, through
// the application's report printing.

#include "reportcontent.h"
#include "runstore.h"

#include <QList>
#include <QString>

class GenMeasure;
class GenPattern;
class QWidget;

namespace screencal {

// The report of a page: devices, standard and texts as every report has
// them, the title defaulting to the page's name, and one patch table per
// run kind measured so far.
ReportSetup pageReport(const QString &pageName, const RunStore &store, GenMeasure *meter,
                       GenPattern *generator);

// Opens the print preview of the graphs (borrowed: only rendered).
void printPageGraphs(QWidget *parent, const QList<QWidget *> &graphs, const ReportSetup &setup);

} // namespace screencal
