#pragma once
// One column per named test colour: its measured chromaticity and luminance
// beside its target from the shared gamut settings, and the colour
// difference between them.

#include "measurement.h"
#include "videotarget.h"

#include <QColor>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

class ChromaGamutSpec;
class QCopyTable;

class QCompareTable : public QWidget {
    Q_OBJECT
public:
    // A test colour: its name and the code values sent to the pattern generator.
    using Column = QPair<QString, QColor>;

    enum Row {
        MeasureA,
        MeasureB,
        MeasureY,
        TargetA,
        TargetB,
        TargetY,
        DeltaE,
        DeltaItp, // ΔE ITP (BT.2124) of absolute light, beside ΔE2000
        RowCount
    };

    // Targets follow `spec`, or the process-wide settings when it is null.
    explicit QCompareTable(QWidget *parent = nullptr);
    explicit QCompareTable(ChromaGamutSpec *spec, QWidget *parent = nullptr);

    void setColumns(const QList<Column> &columns);
    QStringList columnNames() const;
    const QList<Column> &columns() const { return m_columns; }
    const QList<Measurement> &targets() const { return m_targets; }

    // true: x, y rows; false: u', v' rows. A change rewrites every column's
    // target and last reading in the new coordinates.
    void setChart(bool xy);
    bool isXyChart() const { return m_xy; }

    // Writes a reading (isTarget false: rows 0-2 and the colour difference)
    // or a target (rows 3-5) into the column of that name and colour; does
    // nothing when no column matches.
    void setMeasurement(const Measurement &m, const Column &column, bool isTarget);

    // The luminance (cd/m²) expected of the reading now being measured; each
    // reading's Y cell says how it compares.
    void setExpectedLuminance(double y) { m_expectedY = y; }
    double expectedLuminance() const { return m_expectedY; }

    QCopyTable *table() const { return m_table; }

    // Whole percent of a code value within the video range, never below 0.
    static int levelPercent(int code, int videoMin, int videoMax);
    // The signal the target of a code value is computed from: its whole
    // percent for the relative SDR curves, the exact place of the code for
    // HDR, where a percent of signal is several percent of luminance.
    static double targetSignal(int code, const VideoStandard &standard);

public slots:
    void checkToFillTarget();

private:
    void relabelRows();
    void writeColumn(const Measurement &m, int column, bool isTarget);
    // In the shortest form, or with that many decimals.
    void setCell(int row, int column, double value, int decimals = -1);

    QPointer<ChromaGamutSpec> m_spec;
    QCopyTable *m_table;
    QList<Column> m_columns;
    QList<Measurement> m_targets;
    // Last reading written into each column, so a chart change can rewrite it.
    QList<Measurement> m_readings;
    QList<bool> m_hasReading;
    bool m_xy = true;
    double m_expectedY = 0;
};
