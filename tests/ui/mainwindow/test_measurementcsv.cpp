// "Save Next Measurement" files: a new file gets the header and one row (a
// checked-in expected file), a log that starts with the header grows by one
// row and no second header, a foreign file gets the header before the row,
// and files that cannot be opened are left alone.
#include "measurementcsv.h"
#include "tempdir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void write(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

const QDateTime when(QDate(2024, 3, 5), QTime(14, 7, 9, 45));

Measurement d65() {
    return Measurement::fromxyY(0.3127, 0.329, 100.0);
}

class CsvTest : public ::testing::Test {
protected:
    QString path(const char *name) const { return QString::fromStdString(dir.file(name)); }
    QByteArray golden() const {
        return readAll(QStringLiteral(MAINWINDOW_TEST_DATA "/save_measure_d65.csv"));
    }
    QByteArray header() const { return QByteArray(measurementCsvHeader) + '\n'; }
    QByteArray row() const { return measurementCsvRow(d65(), when).toUtf8() + '\n'; }
    TempDir dir;
};

} // namespace

TEST_F(CsvTest, NewFileGetsHeaderAndRowAsInTheExpectedFile) {
    ASSERT_FALSE(golden().startsWith("<unreadable>"));
    const QString file = path("new.csv");
    EXPECT_EQ(appendMeasurementCsv(file, d65(), when), CsvAppendResult::Appended);
    EXPECT_EQ(readAll(file), golden());
}

TEST_F(CsvTest, ExistingLogGetsOneRowAndNoSecondHeader) {
    const QString file = path("log.csv");
    write(file, golden());
    Measurement red = Measurement::fromRGB(100, 0, 0);
    red.errorCode = 0x20; // ignored bits are still written as they came
    EXPECT_EQ(appendMeasurementCsv(file, red, when), CsvAppendResult::Appended);
    const QByteArray text = readAll(file);
    EXPECT_EQ(text, golden() + measurementCsvRow(red, when).toUtf8() + '\n');
    EXPECT_EQ(text.count(measurementCsvHeader), 1);
    EXPECT_TRUE(text.endsWith(",32\n"));

    // A log last saved on Windows (CRLF) is recognised too.
    const QString crlf = path("crlf.csv");
    write(crlf, QByteArray(measurementCsvHeader) + "\r\n");
    EXPECT_EQ(appendMeasurementCsv(crlf, d65(), when), CsvAppendResult::Appended);
    EXPECT_EQ(readAll(crlf), QByteArray(measurementCsvHeader) + "\r\n" + row());
}

TEST_F(CsvTest, ForeignFileGetsTheHeaderBeforeTheRow) {
    const QString file = path("foreign.csv");
    write(file, "a,b,c\n1,2,3\n");
    EXPECT_EQ(appendMeasurementCsv(file, d65(), when), CsvAppendResult::Appended);
    EXPECT_EQ(readAll(file), QByteArray("a,b,c\n1,2,3\n") + header() + row());

    // A last line without its line end is ended first, not glued to the row.
    const QString open = path("unended.csv");
    write(open, header() + "01/01/2024 01:00:00.000 am,1");
    EXPECT_EQ(appendMeasurementCsv(open, d65(), when), CsvAppendResult::Appended);
    EXPECT_EQ(readAll(open), header() + "01/01/2024 01:00:00.000 am,1\n" + row());
}

TEST_F(CsvTest, UnopenableFilesAreLeftAlone) {
    // A directory cannot be opened for reading and writing.
    EXPECT_EQ(appendMeasurementCsv(QString::fromStdString(dir.path()), d65(), when),
              CsvAppendResult::CannotOpenReadWrite);
    EXPECT_EQ(appendMeasurementCsv(path("missing/dir/x.csv"), d65(), when),
              CsvAppendResult::CannotOpenReadWrite);
    EXPECT_FALSE(QFile::exists(path("missing/dir/x.csv")));
}

TEST_F(CsvTest, ReadOnlyFileIsLeftAlone) {
    const QString locked = path("locked.csv");
    write(locked, golden());
    QFile::setPermissions(locked, QFile::ReadOwner);
    if (QFile(locked).open(QIODevice::ReadWrite))
        GTEST_SKIP() << "running with rights that ignore file permissions";
    EXPECT_EQ(appendMeasurementCsv(locked, d65(), when), CsvAppendResult::CannotOpenReadWrite);
    EXPECT_EQ(readAll(locked), golden());
}

TEST(CsvRowTest, TwelveHourTimeAndIntegerErrorCode) {
    Measurement m = d65();
    m.errorCode = 0x8000000;
    const QString row = measurementCsvRow(m, QDateTime(QDate(2023, 12, 31), QTime(0, 5, 0, 7)));
    EXPECT_TRUE(row.startsWith("12/31/2023 12:05:00.007 am,")) << row.toStdString();
    EXPECT_TRUE(row.endsWith(",134217728")) << row.toStdString();
    EXPECT_EQ(row.count(','), 18);
}
