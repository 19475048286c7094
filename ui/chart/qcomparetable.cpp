#include "qcomparetable.h"

#include "appsettings.h"
#include "chromagamutspec.h"
#include "qcopytable.h"

#include <QHeaderView>
#include <QPixmap>
#include <QVBoxLayout>

#include <cmath>

QCompareTable::QCompareTable(QWidget *parent) : QCompareTable(nullptr, parent) {}

QCompareTable::QCompareTable(ChromaGamutSpec *spec, QWidget *parent)
    : QWidget(parent), m_spec(spec ? spec : ChromaGamutSpec::instance()),
      m_table(new QCopyTable(RowCount, 0, this)) {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_table);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_table->horizontalHeader()->setMinimumSectionSize(64);
    relabelRows();

    for (auto signal : {&ChromaGamutSpec::CurrentGamutChanged, &ChromaGamutSpec::videoModeChanged,
                        &ChromaGamutSpec::gammaChanged, &ChromaGamutSpec::MaxBigYChanged,
                        &ChromaGamutSpec::MinBigYChanged, &ChromaGamutSpec::transferChanged})
        connect(m_spec, signal, this, &QCompareTable::checkToFillTarget);
}

void QCompareTable::setColumns(const QList<Column> &columns) {
    m_columns = columns;
    m_readings = QList<Measurement>();
    m_hasReading = QList<bool>();
    for (int i = 0; i < columns.size(); ++i) {
        m_readings.append(Measurement());
        m_hasReading.append(false);
    }
    m_table->clearContents();
    m_table->setColumnCount(columns.size());
    for (int i = 0; i < columns.size(); ++i) {
        // A swatch of the patch beside its name; the copied header is the name.
        QPixmap swatch(12, 12);
        swatch.fill(columns[i].second);
        m_table->setHorizontalHeaderItem(i, new QTableWidgetItem(QIcon(swatch), columns[i].first));
    }
    checkToFillTarget();
}

QStringList QCompareTable::columnNames() const {
    QStringList names;
    for (const Column &c : m_columns)
        names << c.first;
    return names;
}

void QCompareTable::setChart(bool xy) {
    if (xy == m_xy)
        return;
    m_xy = xy;
    relabelRows();
    for (int col = 0; col < m_columns.size(); ++col) {
        if (col < m_targets.size())
            writeColumn(m_targets.at(col), col, true);
        if (m_hasReading.at(col))
            writeColumn(m_readings.at(col), col, false);
    }
}

void QCompareTable::relabelRows() {
    const QString a = m_xy ? QStringLiteral("x") : QStringLiteral("u'");
    const QString b = m_xy ? QStringLiteral("y") : QStringLiteral("v'");
    const QStringList labels = {
        "Measure: " + a,          "Measure: " + b, QStringLiteral("Measure: Y"),
        "Target: " + a,           "Target: " + b,  QStringLiteral("Target: Y"),
        QStringLiteral("ΔE2000"), // which difference, said
        QStringLiteral("ΔE ITP")};
    m_table->setVerticalHeaderLabels(labels);
}

int QCompareTable::levelPercent(int code, int videoMin, int videoMax) {
    if (videoMax <= videoMin)
        return 0;
    const double level = (code + 0.5 - videoMin) / double(videoMax - videoMin) * 100.0;
    // Codes below the video minimum (0 to 15 in Broadcast range) would give
    // a negative level, and a negative base to the gamma power gives NaN.
    return std::max(0, int(level));
}

double QCompareTable::targetSignal(int code, const VideoStandard &standard) {
    const CodeRange &r = standard.range;
    if (standard.curve.isHdr())
        return r.signal(code);
    return levelPercent(code, r.low, r.high) / 100.0;
}

void QCompareTable::checkToFillTarget() {
    if (!m_spec)
        return;
    const VideoStandard standard = m_spec->currentVideoStandard();
    m_targets.clear();
    for (const Column &column : qAsConst(m_columns)) {
        const QColor &c = column.second;
        const std::array<double, 3> signal = {targetSignal(c.red(), standard),
                                              targetSignal(c.green(), standard),
                                              targetSignal(c.blue(), standard)};
        const Measurement target = signalTarget(signal, standard).measurement;
        m_targets.append(target);
        setMeasurement(target, column, true);
    }
}

void QCompareTable::setMeasurement(const Measurement &m, const Column &column, bool isTarget) {
    const int col = m_columns.indexOf(column);
    if (col < 0)
        return;
    if (!isTarget) {
        m_readings[col] = m;
        m_hasReading[col] = true;
    }
    writeColumn(m, col, isTarget);
}

void QCompareTable::writeColumn(const Measurement &m, int col, bool isTarget) {
    const int block = isTarget ? TargetA : MeasureA;
    setCell(block, col, m_xy ? m.x : m.uPrime);
    setCell(block + 1, col, m_xy ? m.y : m.vPrime);
    setCell(block + 2, col, isNits() ? m.bigY : nitsToFootLamberts(m.bigY));
    if (!isTarget && col < m_targets.size()) {
        setCell(DeltaE, col, m.deltaE2000(m_targets.at(col)), 2);
        setCell(DeltaItp, col, deltaEItp(m, m_targets.at(col)), 2);
    }
    if (!isTarget && m_expectedY > 0) {
        const double shown = isNits() ? m_expectedY : nitsToFootLamberts(m_expectedY);
        m_table->item(MeasureY, col)
            ->setToolTip(QStringLiteral("Expected Y: %1 %2 (%3 %)")
                             .arg(shown)
                             .arg(unitsText())
                             .arg(100.0 * m.bigY / m_expectedY, 0, 'f', 1));
    }
}

void QCompareTable::setCell(int row, int column, double value, int decimals) {
    QTableWidgetItem *cell = m_table->item(row, column);
    if (!cell) {
        cell = new QTableWidgetItem;
        cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_table->setItem(row, column, cell);
    }
    // A colour difference to hundredths: more digits than any eye can tell.
    cell->setText(decimals < 0 ? QStringLiteral("%1").arg(value)
                               : QString::number(value, 'f', decimals));
}
