#include "caltable.h"

#include "appsettings.h"
#include "plotcommon.h"

#include <QHeaderView>

namespace screencal {

namespace {
enum Column { MeasA, MeasB, MeasY, TargA, TargB, TargY, DeltaE, ColumnCount };
}

CalTable::CalTable(uint32_t mask, QWidget *parent) : QCopyTable(parent) {
    const uint32_t whiteBits = Mask::White | Mask::MaxWhite | Mask::MinWhite;
    for (int c = 0; c < patchColourCount; ++c)
        if (mask & (c == White ? whiteBits : patchColourMaskBit(c)))
            m_colours << c;
    setRowCount(m_colours.size());
    setColumnCount(ColumnCount);
    QStringList rows;
    for (int c : m_colours)
        rows << patchColourName(c);
    setVerticalHeaderLabels(rows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    setHeaders(PlotContext());
}

void CalTable::setHeaders(const PlotContext &context) {
    const QString a = context.xy ? QStringLiteral("x") : QStringLiteral("u'");
    const QString b = context.xy ? QStringLiteral("y") : QStringLiteral("v'");
    setHorizontalHeaderLabels({a, b, QStringLiteral("Y"), QStringLiteral("Target: ") + a,
                               QStringLiteral("Target: ") + b, QStringLiteral("Target: Y"),
                               QStringLiteral("DeltaE")});
}

void CalTable::setText(int row, int column, const QString &text) {
    QTableWidgetItem *cell = item(row, column);
    if (!cell) {
        cell = new QTableWidgetItem;
        cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        setItem(row, column, cell);
    }
    cell->setText(text);
}

int CalTable::pickSample(const QVector<RunSample> &samples, int colour, int levelCode,
                         const PlotContext &context) {
    int best = -1;
    double bestLevel = -1;
    for (int i = 0; i < samples.size(); ++i) {
        const Rgb &p = samples[i].patch;
        if (classifyPatch(p, context.low) != colour)
            continue;
        const Rgb ch = colourChannels(colour);
        const Rgb atLevel{ch.r ? levelCode : context.low, ch.g ? levelCode : context.low,
                          ch.b ? levelCode : context.low};
        if (p == atLevel)
            return i;
        const double level = patchLevel(p, context.low, context.high);
        if (level > bestLevel) {
            bestLevel = level;
            best = i;
        }
    }
    return best;
}

void CalTable::fill(const QVector<RunSample> &samples, double whiteY, int levelCode,
                    const PlotContext &context) {
    setHeaders(context);
    const QList<double> de = patchDeltaEs(samples, whiteY, context);
    auto number = [](double v) { return formatSigFigs(v); };
    for (int row = 0; row < m_colours.size(); ++row) {
        const int i = pickSample(samples, m_colours[row], levelCode, context);
        if (i < 0) {
            for (int c = 0; c < ColumnCount; ++c)
                setText(row, c, QString());
            continue;
        }
        const Measurement &m = samples[i].m;
        GamutSpec spec = context.spec;
        if (whiteY > 0)
            spec.setWhite(spec.whiteX, spec.whiteY, whiteY);
        const Measurement t = sampleTarget(samples[i], context, spec).measurement;
        auto lum = [&](double nits) { return context.nits ? nits : nitsToFootLamberts(nits); };
        setText(row, MeasA, number(context.xy ? m.x : m.uPrime));
        setText(row, MeasB, number(context.xy ? m.y : m.vPrime));
        setText(row, MeasY, number(lum(m.bigY)));
        setText(row, TargA, number(context.xy ? t.x : t.uPrime));
        setText(row, TargB, number(context.xy ? t.y : t.vPrime));
        setText(row, TargY, number(lum(t.bigY)));
        setText(row, DeltaE, number(de.value(i)));
    }
}

} // namespace screencal
