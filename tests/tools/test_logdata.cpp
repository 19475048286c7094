// What a logging run holds and saves: statistics against a plain
// recomputation, the saved CSV against a golden file, a unit change that
// re-renders the whole log, and the journal's row encoding.
#include "goldenfiles.h"
#include "logdata.h"

#include <QDateTime>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

qint64 localMs(int h, int m, int s, int ms) {
    return QDateTime(QDate(2024, 3, 5), QTime(h, m, s, ms)).toMSecsSinceEpoch();
}

LogData scriptedLog() {
    LogData data;
    data.meta = {"TV-40", "TV40-0042", 1000, 600000, localMs(14, 30, 0, 0)};
    const double whites[][3] = {{95.047, 100.0, 108.883}, {47.5, 50.0, 54.4}, {190, 200, 217.8}};
    for (int i = 0; i < 3; ++i) {
        const Measurement m = Measurement::fromXYZ(whites[i][0], whites[i][1], whites[i][2]);
        data.append(logRowFrom(m, localMs(14, 30, i, 250)));
    }
    // A red: no colour temperature, so its pair stays blank.
    data.append(logRowFrom(Measurement::fromxyY(0.64, 0.33, 21.26), localMs(14, 30, 3, 250)));
    return data;
}

} // namespace

TEST(LogData, StatisticsMatchAPlainRecomputationOverNonBlankCells) {
    LogData data;
    for (int i = 0; i < 500; ++i) {
        // A varied walk of colours, with greys (no hue) and reds (no CCT).
        const double x = 0.25 + 0.4 * std::fabs(std::sin(i * 0.37));
        const double y = 0.2 + 0.1 * std::fabs(std::cos(i * 0.53));
        data.append(logRowFrom(Measurement::fromxyY(x, y, 1 + i % 97), i * 100));
    }
    data.append(logRowFrom(Measurement::fromRGB(50, 50, 50), 60000));
    for (int c = 0; c < logValueCount; ++c) {
        double lo = INFINITY, hi = -INFINITY, sum = 0;
        int n = 0;
        for (const LogRow &row : data.rows) {
            const double v = row.values[c];
            if (std::isnan(v))
                continue;
            lo = std::min(lo, v);
            hi = std::max(hi, v);
            sum += v;
            ++n;
        }
        ASSERT_EQ(data.statistics.count(c), n) << c;
        if (n == 0)
            continue;
        EXPECT_EQ(data.statistics.minimum(c), lo) << c;
        EXPECT_EQ(data.statistics.maximum(c), hi) << c;
        EXPECT_NEAR(data.statistics.average(c), sum / n, 1e-9 * std::fabs(sum / n)) << c;
    }
    // Some rows had no CCT and the grey has no hue: those cells are blank.
    EXPECT_LT(data.statistics.count(7), data.rows.size());
    EXPECT_EQ(data.statistics.count(14), data.rows.size() - 1);
}

TEST(LogData, SavedFileMatchesTheGoldenFileInEitherUnit) {
    const LogData data = scriptedLog();
    EXPECT_EQ(loggingCsv(data, LogFormat{true, 3}), golden("logging_nits.csv"));
    EXPECT_EQ(loggingCsv(data, LogFormat{false, 3}), golden("logging_footlamberts.csv"));
    // The shown cells and statistics follow the unit too.
    EXPECT_EQ(logCellText(data.rows.at(0), 2, LogFormat{false, 3}), "29.2"); // 100 nits
    EXPECT_EQ(statisticsText(data.statistics, 1, 1, LogFormat{false, 4}), "58.37");
}

TEST(LogData, JournalRowsRoundTripExactlyAndGarbageIsRefused) {
    for (const LogRow &row : scriptedLog().rows) {
        LogRow back;
        ASSERT_TRUE(decodeLogRow(encodeLogRow(row), &back));
        EXPECT_EQ(back.timeMs, row.timeMs);
        for (int i = 0; i < logValueCount; ++i) {
            if (std::isnan(row.values[i]))
                EXPECT_TRUE(std::isnan(back.values[i]));
            else
                EXPECT_EQ(back.values[i], row.values[i]);
        }
    }
    LogRow row;
    const QByteArray good = encodeLogRow(scriptedLog().rows.at(0));
    for (const QByteArray &bad :
         {QByteArray(), QByteArray("1,2,3"), good + ",7", QByteArray(good).replace(0, 1, "x"),
          good.left(good.lastIndexOf(',') + 1) + "inf"})
        EXPECT_FALSE(decodeLogRow(bad, &row)) << bad.constData();
}
