// Verdicts on a new profile and the QC report that documents it.
#include "profilecheck.h"
#include "profileverify.h"
#include "qcreport.h"
#include "tempdir.h"

#include <QFile>
#include <gtest/gtest.h>

#include <cmath>

using namespace profiles;

namespace {

Measurement reading(double x, double y, double bigY) {
    Measurement m = Measurement::fromxyY(x, y, bigY);
    m.x = x; // exactly what the case says, not recomputed
    m.y = y;
    m.bigY = bigY;
    return m;
}

// White, red, green, blue; one colour moved by dx, dy and Y by a percentage.
QVector<Measurement> patches(int colour = 0, double dx = 0, double dy = 0, double yPercent = 0) {
    const double v[4][3] = {
        {0.3127, 0.329, 120}, {0.64, 0.33, 25.5}, {0.3, 0.6, 85.8}, {0.15, 0.06, 8.7}};
    QVector<Measurement> out;
    for (int c = 0; c < 4; ++c) {
        const bool moved = c == colour;
        out << reading(v[c][0] + (moved ? dx : 0), v[c][1] + (moved ? dy : 0),
                       v[c][2] * (moved ? 1 + yPercent / 100 : 1));
    }
    return out;
}

} // namespace

TEST(ProfileVerdict, TheWorstColourDecides) {
    const Verdict v = verifyProfile(patches(), patches(2, 0.0011, -0.0003, -1.5));
    EXPECT_TRUE(v.nearMiss);
    EXPECT_EQ(verdictSummary(v),
              "Max xy Err: 0.0011, Max Y% Err: 1.5000 NOT SO GOOD, past 0.001 or 2% limit");
    EXPECT_TRUE(verifyProfile(patches(), patches(3, -0.0009, 0.0009, 1.9)).pass);
}

TEST(ProfileVerdict, TheLimitsThemselvesAndBrokenReadingsDoNotPass) {
    // Differences that are exactly the limits (from x = 0, Y = 100).
    const QVector<Measurement> ref(4, reading(0, 0, 100));
    QVector<Measurement> post = ref;
    post[1] = reading(0.001, 0, 100);
    Verdict v = verifyProfile(ref, post);
    EXPECT_FALSE(v.pass);
    EXPECT_TRUE(verdictMessage(v).startsWith("Calibration verification was off."));
    post[1] = reading(0, 0.002, 100);
    EXPECT_TRUE(
        verdictMessage(verifyProfile(ref, post)).startsWith("Calibration verification failed."));
    post[1] = reading(0, 0, 102);
    EXPECT_FALSE(verifyProfile(ref, post).pass);
    post[1].x = std::nan("");
    EXPECT_FALSE(verifyProfile(ref, post).nearMiss);
    EXPECT_FALSE(verifyProfile(QVector<Measurement>(4, reading(0, 0, 0)), ref).pass); // no light
    EXPECT_FALSE(verifyProfile(ref, ref.mid(0, 3)).pass);
    EXPECT_EQ(verdictText(verifyProfile(ref, ref)), "PASS");
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
    r.reference = patches();
    r.preCal = patches(1, 0.004, -0.003, 3);
    // Post-cal x of white below the reference: the error column stays positive.
    r.postCal = patches(0, -0.0004, 0.0002, -0.5);
    r.postCal[2] = reading(0.3012, 0.6, 85.8 * 1.025);
    return r;
}

} // namespace

TEST(ProfileInputs, OnlyReadingsOfADisplaysPrimariesMakeAProfile) {
    const QVector<Measurement> good = patches();
    QVector<Measurement> oneWhite = {good[0], good[0], good[0], good[0]};
    QVector<Measurement> cutWhite = good; // a reply that lost its last digits: Z 1.09, not 109
    cutWhite[0] = Measurement::fromXYZ(95.04, 100, 1.09);
    QVector<Measurement> flagged = good;
    flagged[1].errorCode = ErrorBits::PatternNotShown;
    QVector<Measurement> impossible = good;
    impossible[2] = Measurement::fromXYZ(5e7, 5e7, 5e7);
    QVector<Measurement> dim;
    for (const Measurement &m : good)
        dim << Measurement::fromXYZ(m.bigX / 25, m.bigY / 25, m.bigZ / 25);
    const struct {
        QVector<Measurement> reference, measured;
        bool referenceMeasured;
        const char *why; // empty: a profile can be made
    } cases[] = {
        {good, patches(0, 0.005, 0.003, 3), true, ""},
        {patches(1, -0.06), good, false, ""}, // a standard need not match the display
        {oneWhite, good, true, "reference read White and Red as the same colour"},
        {good, cutWhite, true, "colorimeter's White"},
        {cutWhite, cutWhite, true, "White (x 0.4846, y 0.5099) is not a mixture"},
        {good, flagged, true, "Red reading has a problem"},
        {impossible, good, true, "Green reading (X 5e+07"},
        {good, patches(1, -0.07), true, "disagree on Red"},
        {good, dim, false, "degenerate"},
    };
    for (const auto &c : cases) {
        const QString why = patchSetProblem(c.reference, c.measured, c.referenceMeasured);
        if (*c.why == 0)
            EXPECT_TRUE(why.isEmpty()) << why.toStdString();
        else
            EXPECT_TRUE(why.contains(c.why)) << c.why << ": " << why.toStdString();
    }
}

TEST(QcReport, MatchesTheGoldenFileAndIsWrittenWholeOrNotAtAll) {
    const QcReport r = sampleReport();
    const std::string golden =
        TempDir::read(std::string(TINTWELL_CALIBRATION_DATA) + "/qc_report.csv");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(qcReportText(r).toStdString(), golden);
    EXPECT_EQ(qcReportFileName(r.serial, r.slot), "TV40-6012-3.csv");

    TempDir dir;
    const QString path = QString::fromStdString(dir.file("qc.csv"));
    ASSERT_TRUE(saveQcReport(path, r));
    EXPECT_EQ(TempDir::read(path.toStdString()), golden);
    const QString missing = QString::fromStdString(dir.file("no/such/dir/qc.csv"));
    EXPECT_FALSE(saveQcReport(missing, r));
    EXPECT_FALSE(QFile::exists(missing));
}
