#pragma once
// Creates a page's widgets from its model on the page grid and connects
// them to the window's slots.

#include "templatemodel.h"

#include <QList>
#include <QString>

class QAbstractButton;
class QComboBox;
class QGraphBox;
class QGridLayout;
class QPushButton;
class QWidget;
class ScreenCal;

namespace screencal {

class CalTable;

struct PageGraph {
    QGraphBox *graph = nullptr;
    QString type;
    int kind = PreCali; // a run kind or ReportKind
    uint32_t mask = 0;
    RunOptions options;
    QString title;
};

struct PageTable {
    CalTable *table = nullptr;
    int kind = PreCali;
    uint32_t mask = 0;
};

struct PageCombo {
    QComboBox *combo = nullptr;
    QString option; // "space", "gray", "color", "MontiorColor", "colorLevel"
};

struct BuiltPage {
    QList<PageGraph> graphs;
    QList<PageTable> tables;
    QList<PageCombo> combos;
    QList<QAbstractButton *> buttons;    // disabled while a run is active
    QList<QPushButton *> measureButtons; // "StartMeasure"
    QList<TemplateIssue> issues;
};

// The entries of a "Combo" of that option; empty for an unknown option.
QStringList comboEntries(const QString &option);

// window may be null (the fuzz target and tests build pages without one).
BuiltPage buildPage(const PageModel &page, QWidget *area, QGridLayout *grid, ScreenCal *window);

} // namespace screencal
