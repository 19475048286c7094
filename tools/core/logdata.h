#pragma once
// What a logging run holds: one row per logged reading (its time and 17
// values, luminance in cd/m²), running statistics per column, and the CSV
// the user saves. Rows keep raw values, so a change of unit or digits
// re-renders the whole log instead of mixing units in one column.

#include "measurement.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <array>

constexpr int logValueCount = 17; // X, Y, Z, x, y, u', v', K, K duv, nm, nm du'v', R, G, B, H, S, V
constexpr int logColumnCount = 18; // "Date/Time" and the values

struct LogRow {
    qint64 timeMs = 0; // ms since the epoch
    // NaN marks a blank cell: no colour temperature, no dominant wavelength,
    // or an undefined hue or saturation (a grey).
    std::array<double, logValueCount> values{};
};

LogRow logRowFrom(const Measurement &m, qint64 timeMs);

// How cells are written: the unit of X, Y, Z and the significant digits
// (3 or 4 as the display shows them; 0: six significant digits, as files
// keep them).
struct LogFormat {
    bool nits = true;
    int sigFigs = 3;
    static LogFormat current(); // from the settings
    bool operator==(const LogFormat &o) const { return nits == o.nits && sigFigs == o.sigFigs; }
    bool operator!=(const LogFormat &o) const { return !(*this == o); }
};

QStringList logHeaders(bool nits);        // 18: "Date/Time", "X (nits)", ...
QStringList statisticsHeaders(bool nits); // the 17 value columns
// "MM/dd/yyyy hh:mm:ss.zzz ap" in local time.
QString logTimeText(qint64 ms);
// A value in the display unit through the significant-digit rule; "" for a blank.
QString logValueText(int valueIndex, double value, const LogFormat &format);
// Column 0 is the time, columns 1..17 the values.
QString logCellText(const LogRow &row, int column, const LogFormat &format);

// Minimum, maximum and mean per value column over the non-blank cells.
class LogStatistics {
public:
    void add(const LogRow &row);
    void clear();
    bool has(int valueIndex) const { return m_count[valueIndex] > 0; }
    int count(int valueIndex) const { return m_count[valueIndex]; }
    double minimum(int valueIndex) const { return m_min[valueIndex]; }
    double maximum(int valueIndex) const { return m_max[valueIndex]; }
    double average(int valueIndex) const;

private:
    std::array<double, logValueCount> m_min{}, m_max{}, m_sum{};
    std::array<int, logValueCount> m_count{};
};

// The instrument and plan of a run.
struct LogMeta {
    QString model;
    QString serialNumber;
    qint64 intervalMs = 0;
    qint64 durationMs = 0;
    qint64 startMs = 0;
};

struct LogData {
    LogMeta meta;
    QVector<LogRow> rows;
    LogStatistics statistics;
    void append(const LogRow &row) {
        rows.append(row);
        statistics.add(row);
    }
    void clear() {
        rows.clear();
        statistics.clear();
    }
};

// Statistics cell text for row 0 "Min", 1 "Max", 2 "Avg"; "" when the column
// has no value.
QString statisticsText(const LogStatistics &s, int statRow, int valueIndex,
                       const LogFormat &format);

// The saved file: instrument, first and last time, the statistics block and
// every row numbered from 1.
// The file keeps every value to six significant digits, whatever the
// display's digits setting; format gives the unit.
QByteArray loggingCsv(const LogData &data, const LogFormat &format);

// One row in the journal and back: the time and full-precision values.
QByteArray encodeLogRow(const LogRow &row);
bool decodeLogRow(const QByteArray &line, LogRow *row);
