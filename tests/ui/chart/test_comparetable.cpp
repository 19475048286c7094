// The copyable table's clipboard text and the comparison table's targets,
// readings, units and colour differences.
#include "appsettings.h"
#include "chromagamutspec.h"
#include "qcomparetable.h"
#include "qcopytable.h"
#include "transfer.h"

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
    table.setHorizontalHeaderLabels({"White", "Red"}); // the third column has no header
    table.setVerticalHeaderLabels({"Measure: x", "Measure: y"});
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            table.setItem(r, c, new QTableWidgetItem(QString("%1.%2").arg(r).arg(c)));
    table.show();
    QApplication::clipboard()->setText("before");
    table.clearSelection();
    QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "before"); // nothing selected
    table.setRangeSelected(QTableWidgetSelectionRange(0, 0, 1, 1), true);
    table.setSelectionMode(QAbstractItemView::MultiSelection);
    table.setRangeSelected(QTableWidgetSelectionRange(1, 2, 2, 2), true); // only the first range
    QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(),
              "\tWhite\tRed\nMeasure: x\t0.0\t0.1\nMeasure: y\t1.0\t1.1\n");
    // Without headers the numbers from 1; empty cells copy as empty fields.
    table.clearSelection();
    table.setRangeSelected(QTableWidgetSelectionRange(1, 2, 2, 2), true);
    EXPECT_EQ(table.selectionText(), "\t3\nMeasure: y\t1.2\n3\t\n");
}

class CompareTable : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings().clear();
        spec = new ChromaGamutSpec(&owner);
        table = new QCompareTable(spec, &owner);
        table->setColumns({white, red});
    }
    void TearDown() override { QSettings().clear(); }
    QString at(int row, int column) const { return cell(table->table(), row, column); }
    QWidget owner;
    ChromaGamutSpec *spec = nullptr;
    QCompareTable *table = nullptr;
    const QCompareTable::Column white{"White", QColor(255, 255, 255)};
    const QCompareTable::Column red{"Red", QColor(128, 0, 0)};
};

TEST_F(CompareTable, RowLabelsLevelsAndTargets) {
    EXPECT_EQ(table->table()->verticalHeaderItem(QCompareTable::TargetY)->text(), "Target: Y");
    const int levels[][4] = {
        {235, 16, 235, 100}, {128, 0, 255, 50}, {0, 16, 235, 0}, {10, 10, 10, 0}};
    for (const auto &l : levels) // code, min, max, level: never below 0
        EXPECT_EQ(QCompareTable::levelPercent(l[0], l[1], l[2]), l[3]) << l[0];
    spec->setVideoMode(16, 235);
    table->setColumns({{"Red", QColor(235, 16, 16)}, {"Black", QColor(0, 0, 0)}});
    const Measurement want = Measurement::fromRGB(100, 0, 0, spec->currentGamut().spec);
    EXPECT_DOUBLE_EQ(table->targets().at(0).bigZ, want.bigZ);
    EXPECT_EQ(at(QCompareTable::TargetA, 0), text(want.x));
    EXPECT_EQ(at(QCompareTable::TargetY, 1), "0"); // code 0 is below the range: black, not NaN
}

TEST_F(CompareTable, ReadingsGoToTheirColumnOnlyWithTheLuminanceComparison) {
    const QStringList before = [&] {
        QStringList all;
        for (int c = 0; c < 2; ++c)
            all << at(QCompareTable::MeasureA, c) << at(QCompareTable::DeltaE, c);
        return all;
    }();
    const Measurement m = Measurement::fromxyY(0.64, 0.33, 21.3);
    table->setMeasurement(m, {"Red", QColor(127, 0, 0)}, false); // colour differs
    table->setMeasurement(m, {"red", QColor(128, 0, 0)}, false); // name differs
    EXPECT_EQ(at(QCompareTable::MeasureA, 1), before.at(2));
    table->setExpectedLuminance(20.0);
    table->setMeasurement(m, red, false);
    EXPECT_EQ(at(QCompareTable::MeasureA, 1), text(m.x));
    EXPECT_EQ(at(QCompareTable::MeasureY, 1), text(21.3));
    EXPECT_EQ(at(QCompareTable::DeltaE, 1),
              QString::number(m.deltaE2000(table->targets().at(1)), 'f', 2));
    EXPECT_EQ(table->table()->verticalHeaderItem(QCompareTable::DeltaE)->text(), "ΔE2000");
    EXPECT_EQ(table->table()->item(QCompareTable::MeasureY, 1)->toolTip(),
              "Expected Y: 20 nits (106.5 %)");
    EXPECT_TRUE(at(QCompareTable::MeasureA, 0).isEmpty());
}

TEST_F(CompareTable, AGammaOrStandardChangeRewritesTargetsAndKeepsReadings) {
    const Measurement grey = Measurement::fromxyY(0.3127, 0.3290, 21.0);
    table->setMeasurement(grey, white, false);
    const QString measured = at(QCompareTable::MeasureY, 0);
    spec->setGamma(2.4); // the table follows gammaChanged()
    EXPECT_EQ(at(QCompareTable::MeasureY, 0), measured);
    const double level = 100.0 * std::pow(0.5, 2.4); // code 128 is 50 %
    const Measurement wantRed = Measurement::fromRGB(level, 0, 0, spec->currentGamut().spec);
    EXPECT_EQ(at(QCompareTable::TargetY, 1), text(wantRed.bigY));
    spec->setCurrentGamut(0);
    EXPECT_EQ(at(QCompareTable::TargetA, 1),
              text(Measurement::fromRGB(level, 0, 0, spec->currentGamut().spec).x));
}

TEST_F(CompareTable, AChartChangeRewritesTargetsAndReadingsInTheNewCoordinates) {
    const Measurement reading = Measurement::fromxyY(0.3000, 0.3200, 80.0);
    table->setMeasurement(reading, white, false);
    const QString deltaE = at(QCompareTable::DeltaE, 0);
    table->setChart(false);
    EXPECT_EQ(table->table()->verticalHeaderItem(QCompareTable::TargetA)->text(), "Target: u'");
    EXPECT_EQ(at(QCompareTable::MeasureA, 0), text(reading.uPrime));
    EXPECT_EQ(at(QCompareTable::MeasureB, 0), text(reading.vPrime));
    EXPECT_EQ(at(QCompareTable::TargetB, 1), text(table->targets().at(1).vPrime));
    EXPECT_EQ(at(QCompareTable::DeltaE, 0), deltaE);
    EXPECT_EQ(at(QCompareTable::MeasureA, 1), QString()); // never had a reading
    table->setChart(true);
    EXPECT_EQ(at(QCompareTable::MeasureA, 0), text(reading.x));
}

// REC2100 PQ: targets are absolute luminances from the exact code (a whole
// percent of PQ signal is several percent of luminance), judged against the
// 203 cd/m² reference white, with ΔE ITP beside ΔE2000.
TEST_F(CompareTable, PqTargetsAreAbsoluteWithDeltaItpBesideDeltaE) {
    spec->setCurrentGamut(ChromaGamutSpec::pqGamutIndex);
    const QCompareTable::Column grey{"Grey", QColor(148, 148, 148)}; // PQ 58 %
    table->setColumns({grey});
    EXPECT_EQ(table->table()->verticalHeaderItem(QCompareTable::DeltaItp)->text(), "ΔE ITP");
    const double nits = transfer::st2084Eotf(148 / 255.0);
    EXPECT_NEAR(table->targets().at(0).bigY, nits, 1e-9);
    EXPECT_NEAR(table->targets().at(0).labL, 100, 1); // about the reference white
    const Measurement reading = Measurement::fromxyY(0.3127, 0.3290, nits * 1.1);
    table->setMeasurement(reading, grey, false);
    EXPECT_EQ(at(QCompareTable::DeltaItp, 0),
              QString::number(deltaEItp(reading, table->targets().at(0)), 'f', 2));
    EXPECT_GT(deltaEItp(reading, table->targets().at(0)), 5); // 10 % brighter
    // The peak and roll-off reach the table: white clips at the display's peak.
    table->setColumns({white});
    spec->setHdrPeak(600);
    EXPECT_NEAR(table->targets().at(0).bigY, 600, 1e-9);
}

} // namespace
