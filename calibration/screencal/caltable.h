#pragma once
// A template's "Table": one row per colour of its colorFor, the reading of
// that colour from the run beside its target and the colour difference.

#include "calplots.h"
#include "qcopytable.h"

namespace screencal {

class CalTable : public QCopyTable {
    Q_OBJECT
public:
    CalTable(uint32_t mask, QWidget *parent = nullptr);

    // The colours in row order.
    const QList<int> &rowColours() const { return m_colours; }
    // Which sample stands for a colour: its patch at levelCode, else its
    // brightest one.
    static int pickSample(const QVector<RunSample> &samples, int colour, int levelCode,
                          const PlotContext &context);

    void fill(const QVector<RunSample> &samples, double whiteY, int levelCode,
              const PlotContext &context);

private:
    void setHeaders(const PlotContext &context);
    void setText(int row, int column, const QString &text);

    QList<int> m_colours;
};

} // namespace screencal
