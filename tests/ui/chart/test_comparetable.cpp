// The copyable table's clipboard text and the comparison table's targets,
// readings, units and colour differences.
#include "appsettings.h"
#include "chromagamutspec.h"
#include "qcomparetable.h"
#include "qcopytable.h"

#include <QApplication>
#include <QClipboard>
#include <QSettings>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

namespace {

QString cell(const QCopyTable *t, int row, int col) {
    const QTableWidgetItem *item = t->item(row, col);
    return item ? item->text() : QString();
}

QString text(double v) {
    return QStringLiteral("%1").arg(v);
}

TEST(CopyTable, CopyPutsTheFirstRangeWithHeadersOnTheClipboard) {
    QCopyTable table(3, 3);
    table.setHorizontalHeaderLabels({"White", "Red", "Green"});
    table.setVerticalHeaderLabels({"Measure: x", "Measure: y", "Measure: Y"});
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            table.setItem(r, c, new QTableWidgetItem(QString("%1.%2").arg(r).arg(c)));
    table.show();
    QApplication::clipboard()->setText("before");

    // Nothing selected: the clipboard keeps what it had.
    table.clearSelection();
    QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "before");

    table.setRangeSelected(QTableWidgetSelectionRange(1, 0, 2, 1), true);
    QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(),
              "\tWhite\tRed\nMeasure: y\t1.0\t1.1\nMeasure: Y\t2.0\t2.1\n");

    // Only the first of several ranges is copied.
    table.setSelectionMode(QAbstractItemView::MultiSelection);
    table.setRangeSelected(QTableWidgetSelectionRange(0, 2, 0, 2), true);
    ASSERT_EQ(table.selectedRanges().size(), 2);
    EXPECT_EQ(table.selectionText(), "\tWhite\tRed\nMeasure: y\t1.0\t1.1\nMeasure: Y\t2.0\t2.1\n");

    // Other keys keep their table meaning.
    table.clearSelection();
    table.setCurrentCell(0, 0);
    QTest::keyClick(&table, Qt::Key_Down);
    EXPECT_EQ(table.currentRow(), 1);
}

TEST(CopyTable, ColumnsAndRowsWithoutHeadersAreNumberedFromOne) {
    QCopyTable table(4, 3);
    table.setItem(1, 2, new QTableWidgetItem("b"));
    table.setRangeSelected(QTableWidgetSelectionRange(1, 1, 2, 2), true);
    // Empty cells copy as empty fields.
    EXPECT_EQ(table.selectionText(), "\t2\t3\n2\t\tb\n3\t\t\n");
}

class CompareTable : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings().clear();
        spec = new ChromaGamutSpec(&owner);
        appSettings().setValue("isNits", true);
    }
    void TearDown() override {
        appSettings().remove("isNits");
        QSettings().clear();
    }
    // Every cell's text, for before/after comparisons.
    static QStringList cells(const QCompareTable &t) {
        QStringList out;
        for (int r = 0; r < t.table()->rowCount(); ++r)
            for (int c = 0; c < t.table()->columnCount(); ++c)
                out << cell(t.table(), r, c);
        return out;
    }
    QObject owner;
    ChromaGamutSpec *spec = nullptr;
};

TEST_F(CompareTable, ColumnsAndRowLabels) {
    QCompareTable table(spec);
    table.setColumns({{"White", QColor(255, 255, 255)}, {"Red", QColor(255, 0, 0)}});
    EXPECT_EQ(table.table()->columnCount(), 2);
    EXPECT_EQ(table.columnNames(), (QStringList{"White", "Red"}));
    EXPECT_EQ(table.table()->horizontalHeaderItem(1)->text(), "Red");
    EXPECT_EQ(table.targets().size(), 2);

    auto labels = [&] {
        QStringList l;
        for (int r = 0; r < table.table()->rowCount(); ++r)
            l << table.table()->verticalHeaderItem(r)->text();
        return l;
    };
    EXPECT_EQ(labels(), (QStringList{"Measure: x", "Measure: y", "Measure: Y", "Target: x",
                                     "Target: y", "Target: Y", "DeltaE"}));
    table.setChart(false);
    EXPECT_EQ(labels(), (QStringList{"Measure: u'", "Measure: v'", "Measure: Y", "Target: u'",
                                     "Target: v'", "Target: Y", "DeltaE"}));
}

TEST_F(CompareTable, LevelsFollowTheVideoRange) {
    EXPECT_EQ(QCompareTable::levelPercent(235, 16, 235), 100);
    EXPECT_EQ(QCompareTable::levelPercent(16, 16, 235), 0);
    EXPECT_EQ(QCompareTable::levelPercent(255, 0, 255), 100);
    EXPECT_EQ(QCompareTable::levelPercent(128, 0, 255), 50);
    // Below the Broadcast minimum: 0, not a negative level.
    EXPECT_EQ(QCompareTable::levelPercent(0, 16, 235), 0);
    EXPECT_EQ(QCompareTable::levelPercent(10, 10, 10), 0);
}

TEST_F(CompareTable, BroadcastRedTargetIsTheFullRedPrimary) {
    spec->setVideoMode(16, 235);
    QCompareTable table(spec);
    table.setColumns({{"Red", QColor(235, 16, 16)}, {"Black", QColor(0, 0, 0)}});
    const Measurement want = Measurement::fromRGB(100, 0, 0, spec->currentGamut().spec);
    const Measurement &got = table.targets().at(0);
    EXPECT_DOUBLE_EQ(got.bigX, want.bigX);
    EXPECT_DOUBLE_EQ(got.bigY, want.bigY);
    EXPECT_DOUBLE_EQ(got.bigZ, want.bigZ);
    EXPECT_EQ(cell(table.table(), QCompareTable::TargetA, 0), text(want.x));
    EXPECT_EQ(cell(table.table(), QCompareTable::TargetB, 0), text(want.y));
    EXPECT_EQ(cell(table.table(), QCompareTable::TargetY, 0), text(want.bigY));
    // Code 0 lies below the range: black, not NaN.
    EXPECT_EQ(cell(table.table(), QCompareTable::TargetY, 1), "0");
    EXPECT_TRUE(cell(table.table(), QCompareTable::MeasureA, 0).isEmpty());

    table.setChart(false);
    table.checkToFillTarget();
    EXPECT_EQ(cell(table.table(), QCompareTable::TargetA, 0), text(want.uPrime));
    EXPECT_EQ(cell(table.table(), QCompareTable::TargetB, 0), text(want.vPrime));
}

TEST_F(CompareTable, AReadingThatMatchesNoColumnChangesNothing) {
    QCompareTable table(spec);
    table.setColumns({{"White", QColor(255, 255, 255)}, {"Red", QColor(255, 0, 0)}});
    const QStringList before = cells(table);
    const Measurement m = Measurement::fromxyY(0.64, 0.33, 21.3);
    table.setMeasurement(m, {"Red", QColor(254, 0, 0)}, false); // colour differs
    table.setMeasurement(m, {"red", QColor(255, 0, 0)}, false); // name differs
    table.setMeasurement(m, {"Blue", QColor(255, 0, 0)}, true);
    EXPECT_EQ(cells(table), before);

    table.setMeasurement(m, {"Red", QColor(255, 0, 0)}, false);
    EXPECT_EQ(cell(table.table(), QCompareTable::MeasureA, 1), text(m.x));
    EXPECT_EQ(cell(table.table(), QCompareTable::MeasureY, 1), text(21.3));
    EXPECT_EQ(cell(table.table(), QCompareTable::DeltaE, 1),
              text(m.deltaE2000(table.targets().at(1))));
    EXPECT_TRUE(cell(table.table(), QCompareTable::MeasureA, 0).isEmpty());
}

TEST_F(CompareTable, AGammaChangeRewritesTargetsAndKeepsReadings) {
    QCompareTable table(spec);
    const QCompareTable::Column grey{"Grey", QColor(128, 128, 128)};
    const QCompareTable::Column red{"Red", QColor(128, 0, 0)};
    table.setColumns({grey, red});
    table.setMeasurement(Measurement::fromxyY(0.3127, 0.3290, 21.0), grey, false);
    table.setMeasurement(Measurement::fromxyY(0.6300, 0.3300, 4.5), red, false);
    QStringList measured, targets;
    auto rows = [&](int from, int to) {
        QStringList out;
        for (int r = from; r <= to; ++r)
            for (int c = 0; c < 2; ++c)
                out << cell(table.table(), r, c);
        return out;
    };
    measured = rows(QCompareTable::MeasureA, QCompareTable::MeasureY) + rows(6, 6);
    targets = rows(QCompareTable::TargetA, QCompareTable::TargetY);

    spec->setGamma(2.4); // emits gammaChanged(), which the table follows
    EXPECT_EQ(rows(QCompareTable::MeasureA, QCompareTable::MeasureY) + rows(6, 6), measured);
    const QStringList after = rows(QCompareTable::TargetA, QCompareTable::TargetY);
    const double level = 100.0 * std::pow(0.50, 2.4);
    const Measurement want = Measurement::fromRGB(level, level, level, spec->currentGamut().spec);
    EXPECT_EQ(cell(table.table(), QCompareTable::TargetY, 0), text(want.bigY));
    const Measurement wantRed = Measurement::fromRGB(level, 0, 0, spec->currentGamut().spec);
    EXPECT_EQ(cell(table.table(), QCompareTable::TargetY, 1), text(wantRed.bigY));
    EXPECT_NE(after, targets);

    // The next reading is compared with the new target.
    const Measurement again = Measurement::fromxyY(0.3127, 0.3290, 21.0);
    table.setMeasurement(again, grey, false);
    EXPECT_EQ(cell(table.table(), QCompareTable::DeltaE, 0), text(again.deltaE2000(want)));
    EXPECT_NE(cell(table.table(), QCompareTable::DeltaE, 0), measured.at(6));

    // A new standard rewrites the targets as well.
    spec->setCurrentGamut(0);
    const Measurement ntsc = Measurement::fromRGB(level, 0, 0, spec->currentGamut().spec);
    EXPECT_EQ(cell(table.table(), QCompareTable::TargetA, 1), text(ntsc.x));
}

TEST_F(CompareTable, AChartChangeRewritesTargetsAndReadingsInTheNewCoordinates) {
    QCompareTable table(spec);
    const QCompareTable::Column white{"White", QColor(255, 255, 255)};
    const QCompareTable::Column red{"Red", QColor(255, 0, 0)};
    table.setColumns({white, red});
    const Measurement reading = Measurement::fromxyY(0.3000, 0.3200, 80.0);
    table.setMeasurement(reading, white, false);
    const QString deltaE = cell(table.table(), QCompareTable::DeltaE, 0);

    table.setChart(false);
    const Measurement &target = table.targets().at(0);
    EXPECT_EQ(cell(table.table(), QCompareTable::MeasureA, 0), text(reading.uPrime));
    EXPECT_EQ(cell(table.table(), QCompareTable::MeasureB, 0), text(reading.vPrime));
    EXPECT_EQ(cell(table.table(), QCompareTable::TargetA, 0), text(target.uPrime));
    EXPECT_EQ(cell(table.table(), QCompareTable::TargetB, 1), text(table.targets().at(1).vPrime));
    EXPECT_EQ(cell(table.table(), QCompareTable::DeltaE, 0), deltaE);
    // A column that never had a reading stays empty.
    EXPECT_EQ(cell(table.table(), QCompareTable::MeasureA, 1), QString());

    table.setChart(true);
    EXPECT_EQ(cell(table.table(), QCompareTable::MeasureA, 0), text(reading.x));
    EXPECT_EQ(cell(table.table(), QCompareTable::TargetB, 0), text(target.y));
}

TEST_F(CompareTable, LuminanceInFootLambertsWhenNitsAreOff) {
    appSettings().setValue("isNits", false);
    QCompareTable table(spec);
    const QCompareTable::Column white{"White", QColor(255, 255, 255)};
    table.setColumns({white});
    table.setMeasurement(Measurement::fromxyY(0.3127, 0.3290, 100.0), white, false);
    EXPECT_EQ(cell(table.table(), QCompareTable::MeasureY, 0), "29.1864"); // 100 / 3.4262591
    EXPECT_EQ(cell(table.table(), QCompareTable::TargetY, 0), "29.1864");  // white at max Y
    // Chromaticity is not a luminance and stays as it is.
    EXPECT_EQ(cell(table.table(), QCompareTable::MeasureA, 0), "0.3127");

    appSettings().setValue("isNits", true);
    table.setMeasurement(Measurement::fromxyY(0.3127, 0.3290, 100.0), white, false);
    EXPECT_EQ(cell(table.table(), QCompareTable::MeasureY, 0), "100");
}

} // namespace
