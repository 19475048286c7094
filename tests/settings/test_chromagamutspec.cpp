// The shared gamut settings: what is read back and what falls back, the
// setters' refusals and signals, and the user lists' stored text.
#include "chromagamutspec.h"
#include "settingsfixture.h"
#include "signalrecorder.h"

#include <cmath>
#include <limits>

namespace {

class ChromaGamutSpecTest : public EmptySettings {};

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

UserGamutEntry entry(const QString &name, double wx, double wy) {
    return {name, wx, wy, 0.68, 0.32, 0.265, 0.69, 0.15, 0.06};
}

QString formatted(const QList<UserGamutEntry> &entries) {
    return ChromaGamutSpec::formatUserGamutSpecs(entries);
}

TEST_F(ChromaGamutSpecTest, StoredValuesAreUsedOrFallBackAndNothingIsWritten) {
    const struct {
        QVariant index, gamma, maxY, videoMode;
        int wantIndex;
        double wantGamma, wantMaxY;
        int wantVideoMin;
    } cases[] = {
        {QVariant(), QVariant(), QVariant(), QVariant(), 2, 2.2, 100, 0}, // defaults
        {5, 2.7, 48.0, 1, 5, 2.7, 48, 16},
        {9, 2.8, -5.0, 7, 2, 2.2, 100, 0},
        {-3, "steep", "lots", "tv", 2, 2.2, 100, 0},
    };
    for (const auto &c : cases) {
        clearSettings();
        QSettings s;
        for (const auto &kv :
             {qMakePair(QString("gamutSpecIndex"), c.index), qMakePair(QString("gamma"), c.gamma),
              qMakePair(QString("maxBigY"), c.maxY), qMakePair(QString("VideoMode"), c.videoMode)})
            if (kv.second.isValid())
                s.setValue(kv.first, kv.second);
        const QStringList before = storedKeys();
        ChromaGamutSpec spec;
        EXPECT_EQ(spec.currentGamutIndex(), c.wantIndex);
        EXPECT_EQ(spec.gamma(), c.wantGamma);
        EXPECT_EQ(spec.currentGamut().spec.whiteBigY, c.wantMaxY);
        EXPECT_EQ(spec.maxBigY(), c.wantMaxY);
        EXPECT_EQ(spec.videoMin(), c.wantVideoMin);
        EXPECT_EQ(storedKeys(), before);
    }
}

TEST_F(ChromaGamutSpecTest, SettersRefuseNonsenseAndSignalOnlyChanges) {
    ChromaGamutSpec spec;
    SignalRecorder rec(&spec);
    for (double g : {2.8, 1.79, nan, 2.2})
        spec.setGamma(g);
    for (double y : {100.0, 0.0, -3.0, inf, nan})
        spec.setMaxBigY(y);
    for (auto range : {std::make_pair(200, 100), std::make_pair(-1, 255), std::make_pair(0, 256),
                       std::make_pair(0, 255)})
        spec.setVideoMode(range.first, range.second);
    spec.setCurrentGamut(8); // no user standard: out of range
    EXPECT_TRUE(rec.take().isEmpty());
    EXPECT_TRUE(storedKeys().isEmpty());

    spec.setGamma(2.4);
    spec.setVideoMode(16, 235);
    spec.setMaxBigY(250.0);
    spec.setCurrentGamut(3);
    EXPECT_EQ(rec.take(),
              QStringList({"gammaChanged", "videoModeChanged", "GamutSpecChanged",
                           "CurrentGamutChanged", "MaxBigYChanged", "CurrentGamutChanged"}));
    EXPECT_EQ(spec.currentGamut().spec.rgbToXyz, GamutSpec::standardSpec(3, 250.0).rgbToXyz);
    spec.setVideoMode(10, 240); // used, but stored as 0, which reads back as PC
    ChromaGamutSpec reread;
    EXPECT_EQ(reread.gamma(), 2.4);
    EXPECT_EQ(reread.videoMax(), 255);
}

TEST_F(ChromaGamutSpecTest, UserStandardsRoundTripExactly) {
    ChromaGamutSpec spec;
    ASSERT_TRUE(spec.addGamutSpec(entry("Mine", 0.3127, 0.329)));
    ASSERT_TRUE(spec.addGamutSpec(entry("  Odd ", 0.1 + 0.2, 1.0 / 3.0))); // no short decimal form
    EXPECT_EQ(QSettings().value("userGamutSpec").toString(),
              "Mine,0.3127,0.329,0.68,0.32,0.265,0.69,0.15,0.06;"
              "Odd,0.30000000000000004,0.3333333333333333,0.68,0.32,0.265,0.69,0.15,0.06");
    spec.setMaxBigY(80.0); // rebuilds the user standards too
    EXPECT_EQ(spec.gamutSpecs().at(9).spec.whiteBigY, 80.0);
    ChromaGamutSpec reread;
    ASSERT_EQ(reread.gamutSpecs().size(), 10);
    EXPECT_EQ(reread.gamutSpecs().at(9).spec.whiteX, 0.1 + 0.2); // bit for bit
    EXPECT_EQ(reread.gamutSpecs().at(9).spec.whiteBigY, 80.0);

    ASSERT_TRUE(spec.addOffSet({"Cool", -0.001, 0.1 + 0.2 - 0.29}));
    EXPECT_EQ(ChromaGamutSpec().offSets().at(2).dy, 0.1 + 0.2 - 0.29);
}

TEST_F(ChromaGamutSpecTest, NamesThatWouldBreakTheStoredListsAreRefused) {
    ChromaGamutSpec spec;
    for (const char *name : {"a,b", "a;b", "   "})
        EXPECT_FALSE(spec.addGamutSpec(entry(name, 0.31, 0.32)) || spec.addOffSet({name, 0, 0}));
    EXPECT_FALSE(spec.addOffSet({"Inf", inf, 0}));
    EXPECT_TRUE(storedKeys().isEmpty());
}

TEST_F(ChromaGamutSpecTest, MalformedStoredEntriesAreSkipped) {
    const QString mine = "Mine,0.3127,0.329,0.64,0.33,0.3,0.6,0.15,0.06";
    QSettings().setValue(
        "userGamutSpec",
        ";;" + mine +
            ";Short,0.3,0.3;Words,a,b,c,d,e,f,g,h; ;Nan,nan,0.3,0.6,0.3,0.3,0.6,0.1,0.06;");
    QSettings().setValue("userOffsets", "Warm,0.004,-0.002;;Bad,x,1;Two,1;");
    ChromaGamutSpec spec;
    EXPECT_EQ(spec.gamutNames().mid(8), QStringList{"Mine"});
    EXPECT_EQ(spec.offSets().size(), 3);
}

TEST_F(ChromaGamutSpecTest, RemovingTheCurrentUserEntryFallsBack) {
    ChromaGamutSpec spec;
    spec.addGamutSpec(entry("A", 0.31, 0.32));
    spec.addGamutSpec(entry("B", 0.32, 0.33));
    spec.setCurrentGamut(9);                                   // B
    EXPECT_EQ(QSettings().value("gamutSpecIndex").toInt(), 7); // as before the HDR standards
    spec.addOffSet({"Warm", 0.004, -0.0125});
    spec.setCurrentOffSet(2);
    SignalRecorder rec(&spec);

    EXPECT_TRUE(spec.removeGamutSpec(8)); // before the current one: it stays current
    EXPECT_EQ(spec.currentGamut().name, "B");
    EXPECT_TRUE(spec.removeGamutSpec(8)); // the current one
    EXPECT_EQ(spec.currentGamutIndex(), 2);
    EXPECT_TRUE(spec.removeOffSet(2));
    EXPECT_EQ(spec.currentOffSetIndex(), 0);
    for (int index : {0, 5, 6, 7, 8, -1})
        EXPECT_FALSE(spec.removeGamutSpec(index));
    EXPECT_FALSE(spec.removeOffSet(1)); // built in
    EXPECT_EQ(rec.take(),
              QStringList({"GamutSpecsListChanged", "GamutSpecsListChanged", "CurrentGamutChanged",
                           "OffSetListChanged", "CurrentOffSetChanged"}));
    EXPECT_EQ(QSettings().value("gamutSpecIndex").toInt(), 2);
    EXPECT_EQ(QSettings().value("offSetIndex").toInt(), 0);
}

// "gamutSpecIndex" keeps its numbers for files written before the HDR
// standards: 0 to 5 built in, 6 on the user standards; the HDR standards
// are stored as -1 and -2, which older builds read as REC709.
TEST_F(ChromaGamutSpecTest, StoredIndicesOfOlderFilesReadTheSame) {
    const struct {
        int stored;
        QString want;
    } cases[] = {{2, "REC709"},      {5, "DCIP3"},        {6, "Mine"},   {7, "Yours"},
                 {-1, "REC2100 PQ"}, {-2, "REC2100 HLG"}, {8, "REC709"}, {-3, "REC709"}};
    for (const auto &c : cases) {
        clearSettings();
        QSettings().setValue("userGamutSpec",
                             formatted({entry("Mine", 0.31, 0.32), entry("Yours", 0.32, 0.33)}));
        QSettings().setValue("gamutSpecIndex", c.stored);
        ChromaGamutSpec spec;
        EXPECT_EQ(spec.currentGamut().name, c.want) << c.stored;
        // Chosen again, it is stored as it was read.
        const int index = spec.currentGamutIndex();
        spec.setCurrentGamut(0);
        spec.setCurrentGamut(index);
        if (c.want != "REC709") {
            EXPECT_EQ(QSettings().value("gamutSpecIndex").toInt(), c.stored);
        }
    }
}

TEST_F(ChromaGamutSpecTest, HdrStandardsAndTheirSettings) {
    ChromaGamutSpec spec;
    EXPECT_EQ(spec.gamutIndexOfName("rec2100 pq"), ChromaGamutSpec::pqGamutIndex);
    EXPECT_EQ(spec.gamutIndexOfName("Nonesuch"), -1);
    const VideoStandard pq = spec.videoStandard(ChromaGamutSpec::pqGamutIndex);
    EXPECT_EQ(pq.curve.transfer, Transfer::Pq);
    EXPECT_EQ(pq.spec.whiteBigY, hdrReferenceWhite); // not the maximum Y
    EXPECT_EQ(pq.spec.standard, 3);                  // BT.2020 primaries
    EXPECT_NEAR(spec.videoStandard(ChromaGamutSpec::hlgGamutIndex).spec.whiteBigY, 203, 0.2);

    SignalRecorder rec(&spec);
    for (double peak : {50.0, 20000.0, nan, 1000.0})
        spec.setHdrPeak(peak);
    for (int rollOff : {500, -1, 0})
        spec.setHdrRollOff(rollOff);
    for (double black : {-1.0, 60.0, nan, 0.0})
        spec.setMinBigY(black);
    EXPECT_TRUE(rec.take().isEmpty());
    EXPECT_TRUE(storedKeys().isEmpty());

    spec.setHdrPeak(600);
    spec.setHdrRollOff(4000);
    spec.setMinBigY(0.05);
    spec.setBt1886(true);
    EXPECT_EQ(rec.take(), QStringList({"transferChanged", "transferChanged", "MinBigYChanged",
                                       "transferChanged"}));
    // HLG's reference white follows the display's peak (its system gamma).
    EXPECT_LT(spec.videoStandard(ChromaGamutSpec::hlgGamutIndex).spec.whiteBigY, 203);
    ChromaGamutSpec reread;
    const VideoStandard sdr = reread.videoStandard(2);
    EXPECT_EQ(sdr.curve.transfer, Transfer::Bt1886);
    EXPECT_EQ(sdr.curve.blackNits, 0.05);
    const VideoStandard hdr = reread.videoStandard(ChromaGamutSpec::pqGamutIndex);
    EXPECT_EQ(hdr.curve.peakNits, 600);
    EXPECT_EQ(hdr.curve.masteringPeak, 4000);
    // Setting the maximum Y leaves the HDR whites alone.
    reread.setMaxBigY(80);
    EXPECT_EQ(reread.gamutSpecs().at(ChromaGamutSpec::pqGamutIndex).spec.whiteBigY, 203);
}

} // namespace
