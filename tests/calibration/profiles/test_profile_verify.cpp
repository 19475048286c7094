// Verdicts on a new profile and the QC report that documents it.
#include "profileverify.h"
#include "qcreport.h"
#include "tempdir.h"

#include <QFile>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

using namespace profiles;

namespace {

Measurement reading(double x, double y, double bigY) {
    Measurement m = Measurement::fromxyY(x, y, bigY);
    m.x = x; // exactly what the case says, not recomputed
    m.y = y;
    m.bigY = bigY;
    return m;
}

QVector<Measurement> set(const double xyY[4][3]) {
    QVector<Measurement> out;
    for (int c = 0; c < 4; ++c)
        out << reading(xyY[c][0], xyY[c][1], xyY[c][2]);
    return out;
}

const double reference[4][3] = {
    {0.3127, 0.3290, 120.0}, {0.6400, 0.3300, 25.5}, {0.3000, 0.6000, 85.8}, {0.1500, 0.0600, 8.7}};

// The reference with one colour moved by dx, dy and a Y change in percent.
QVector<Measurement> shifted(int colour, double dx, double dy, double yPercent) {
    double v[4][3];
    std::copy(&reference[0][0], &reference[0][0] + 12, &v[0][0]);
    v[colour][0] += dx;
    v[colour][1] += dy;
    v[colour][2] *= 1 + yPercent / 100;
    return set(v);
}

std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST(ProfileVerdict, ToleranceBands) {
    const struct {
        int colour;
        double dx, dy, yPercent;
        bool pass, nearMiss;
    } cases[] = {
        {0, 0.0009, 0, 0, true, false},      {1, 0, -0.0009, 1.9, true, false},
        {2, 0.0011, 0, 0, false, true},      {3, 0, 0.0019, 1.0, false, true},
        {0, 0.0021, 0, 0, false, false},     {1, 0, 0, 2.1, false, false},
        {2, -0.0005, 0, -2.5, false, false}, {3, 0.0030, 0.0030, 5, false, false},
    };
    const QVector<Measurement> ref = set(reference);
    for (const auto &c : cases) {
        const Verdict v = verifyProfile(ref, shifted(c.colour, c.dx, c.dy, c.yPercent));
        EXPECT_EQ(v.pass, c.pass) << c.colour << " " << c.dx << " " << c.dy << " " << c.yPercent;
        EXPECT_EQ(v.nearMiss, c.nearMiss) << c.colour << " " << c.dx << " " << c.dy;
        EXPECT_NEAR(v.maxXyError, std::max(std::fabs(c.dx), std::fabs(c.dy)), 1e-9);
        EXPECT_NEAR(v.maxYErrorPercent, std::fabs(c.yPercent), 1e-9);
        EXPECT_EQ(verdictText(v), c.pass ? "PASS" : "NOT SO GOOD, past 0.001 or 2% limit");
        const QString message = verdictMessage(v);
        EXPECT_EQ(message.isEmpty(), c.pass);
        EXPECT_EQ(message.contains("but not by much"), c.nearMiss);
    }
}

TEST(ProfileVerdict, LimitsThemselvesDoNotPass) {
    // Differences that are exactly the limits (from x = 0, Y = 100).
    const QVector<Measurement> ref(4, reading(0, 0, 100));
    QVector<Measurement> post = ref;
    post[1] = reading(0.001, 0, 100);
    Verdict v = verifyProfile(ref, post);
    EXPECT_FALSE(v.pass);
    EXPECT_TRUE(v.nearMiss);
    EXPECT_TRUE(verdictMessage(v).startsWith("Calibration verification was off."));
    post[1] = reading(0, 0.002, 100);
    v = verifyProfile(ref, post);
    EXPECT_FALSE(v.nearMiss);
    EXPECT_TRUE(verdictMessage(v).startsWith("Calibration verification failed."));
    post[1] = reading(0, 0, 102);
    EXPECT_FALSE(verifyProfile(ref, post).pass);
    EXPECT_FALSE(patchError(ref[1], post[1]).bigYPass);
    EXPECT_TRUE(patchError(ref[1], reading(0, 0.0009, 101.9)).bigYPass);
}

TEST(ProfileVerdict, BrokenReadingsNeverPass) {
    const QVector<Measurement> ref = set(reference);
    QVector<Measurement> post = ref;
    post[2].x = std::nan("");
    EXPECT_FALSE(verifyProfile(ref, post).pass);
    EXPECT_FALSE(verifyProfile(ref, post).nearMiss);
    QVector<Measurement> dark = ref;
    dark[3].bigY = 0; // a reference without light gives no percentage
    EXPECT_FALSE(verifyProfile(dark, ref).pass);
    EXPECT_FALSE(verifyProfile(ref, ref.mid(0, 3)).pass);
    EXPECT_TRUE(verifyProfile(ref, ref).pass);
    EXPECT_EQ(verdictSummary(verifyProfile(ref, shifted(1, 0.0012, 0, 0.5))),
              "Max xy Err: 0.0012, Max Y% Err: 0.5000 NOT SO GOOD, past 0.001 or 2% limit");
}

namespace {

QcReport sampleReport() {
    QcReport r;
    r.when = QDateTime(QDate(2026, 3, 7), QTime(14, 5, 9));
    r.colorMatrix = matrix(3, 3);
    const double m[3][3] = {{0.98, -0.01, 0.002}, {0.004, 1.01, -0.007}, {-0.003, 0.02, 0.97}};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            r.colorMatrix(row, col) = m[row][col];
    r.referenceModel = "CS-2000";
    r.referenceSerial = "10011234";
    r.referenceProfileId = "0";
    r.referenceProfileName = "Factory Cal File";
    r.model = "TV-40";
    r.serial = "TV40-6012";
    r.slot = 3;
    r.slotName = "Bench 709";
    r.reference = set(reference);
    r.preCal = shifted(1, 0.004, -0.003, 3);
    // Post-cal x of white below the reference: the error column stays positive.
    r.postCal = shifted(0, -0.0004, 0.0002, -0.5);
    r.postCal[2] = reading(0.3012, 0.6000, 85.8 * 1.025);
    return r;
}

} // namespace

TEST(QcReport, MatchesTheGoldenFile) {
    const QcReport r = sampleReport();
    ASSERT_TRUE(qcReportComplete(r));
    const std::string golden = readFile(std::string(TINTWELL_CALIBRATION_DATA) + "/qc_report.csv");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(qcReportText(r).toStdString(), golden);
    EXPECT_EQ(qcReportFileName(r.serial, r.slot), "TV40-6012-3.csv");
}

TEST(QcReport, WrittenWholeOrNotAtAll) {
    TempDir dir;
    const QString path = QString::fromStdString(dir.file("qc.csv"));
    ASSERT_TRUE(saveQcReport(path, sampleReport()));
    EXPECT_EQ(readFile(path.toStdString()), qcReportText(sampleReport()).toStdString());
    // A place that cannot be written: refused, nothing half-written left behind.
    const QString missing = QString::fromStdString(dir.file("no/such/dir/qc.csv"));
    EXPECT_FALSE(saveQcReport(missing, sampleReport()));
    EXPECT_FALSE(QFile::exists(missing));
    QcReport partial = sampleReport();
    partial.postCal.clear();
    EXPECT_FALSE(qcReportComplete(partial));
}
