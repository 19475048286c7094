// "Save Next Measurement" files: a new file gets the header and one row (a
// checked-in expected file), an existing one a row and the header only when
// it lacks it, files that cannot be opened are left alone, and a short write
// is reported.
#include "measurementcsv.h"
#include "tempdir.h"

#include <QFile>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

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
    Measurement m = d65(); // a twelve-hour clock, and the error code as an integer
    m.errorCode = 0x8000000;
    const QString row = measurementCsvRow(m, QDateTime(QDate(2023, 12, 31), QTime(0, 5, 0, 7)));
    EXPECT_TRUE(row.startsWith("12/31/2023 12:05:00.007 am,")) << row.toStdString();
    EXPECT_TRUE(row.endsWith(",134217728")) << row.toStdString();
}

TEST_F(CsvTest, AnExistingFileGetsOneRowAndTheHeaderOnlyWhenItLacksIt) {
    const QByteArray crlfHeader = QByteArray(measurementCsvHeader) + "\r\n";
    const QByteArray unended = header() + "01/01/2024 01:00:00.000 am,1";
    const struct {
        const char *name;
        QByteArray before, after;
    } cases[] = {
        {"log.csv", golden(), golden() + row()},
        {"crlf.csv", crlfHeader, crlfHeader + row()}, // last saved on Windows
        {"foreign.csv", "a,b,c\n1,2,3\n", "a,b,c\n1,2,3\n" + header() + row()},
        {"unended.csv", unended, unended + "\n" + row()}, // ended first, not glued to the row
    };
    for (const auto &c : cases) {
        write(path(c.name), c.before);
        EXPECT_EQ(appendMeasurementCsv(path(c.name), d65(), when), CsvAppendResult::Appended);
        EXPECT_EQ(readAll(path(c.name)), c.after) << c.name;
    }
}

TEST_F(CsvTest, UnopenableFilesAreLeftAloneAndAShortWriteIsReported) {
    // A directory cannot be opened for reading and writing, nor a missing one.
    EXPECT_EQ(appendMeasurementCsv(QString::fromStdString(dir.path()), d65(), when),
              CsvAppendResult::CannotOpenReadWrite);
    EXPECT_EQ(appendMeasurementCsv(path("missing/dir/x.csv"), d65(), when),
              CsvAppendResult::CannotOpenReadWrite);

    // A file-size limit just above what is there: the row is cut short.
    const QString full = path("full.csv");
    write(full, golden());
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = before;
    limited.rlim_cur = static_cast<rlim_t>(golden().size() + 10);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const CsvAppendResult r = appendMeasurementCsv(full, d65(), when);
    ::setrlimit(RLIMIT_FSIZE, &before);
    EXPECT_EQ(r, CsvAppendResult::WriteFailed);
}
