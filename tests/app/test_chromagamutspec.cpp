// The shared gamut settings: defaults and fall-backs when reading, the
// setters with their stored keys and signals, and the user lists' text form.
#include "chromagamutspec.h"
#include "settingsfixture.h"
#include "signalrecorder.h"

#include <cmath>
#include <limits>

namespace {

class ChromaGamutSpecTest : public EmptySettings {};

const char *const rec709Like = "Mine,0.3127,0.329,0.64,0.33,0.3,0.6,0.15,0.06";

UserGamutEntry entry(const QString &name, double wx, double wy) {
    UserGamutEntry e;
    e.name = name;
    e.whiteX = wx;
    e.whiteY = wy;
    e.redX = 0.68;
    e.redY = 0.32;
    e.greenX = 0.265;
    e.greenY = 0.69;
    e.blueX = 0.15;
    e.blueY = 0.06;
    return e;
}

TEST_F(ChromaGamutSpecTest, DefaultsWithNoSettingsAndNothingWritten) {
    ChromaGamutSpec spec;
    EXPECT_EQ(spec.gamutNames(),
              QStringList({"NTSC", "EBU", "REC709", "REC2020", "SMPTE", "DCIP3"}));
    EXPECT_EQ(spec.currentGamutIndex(), 2);
    EXPECT_EQ(spec.currentGamut().spec.standard, 2);
    EXPECT_EQ(spec.maxBigY(), 100.0);
    EXPECT_EQ(spec.videoMin(), 0);
    EXPECT_EQ(spec.videoMax(), 255);
    EXPECT_EQ(spec.gamma(), 2.2);
    ASSERT_EQ(spec.offSets().size(), 2);
    EXPECT_EQ(spec.offSets().at(0).name, "Sony OLED");
    EXPECT_EQ(spec.offSets().at(0).dx, -0.002);
    EXPECT_EQ(spec.offSets().at(0).dy, -0.011);
    EXPECT_EQ(spec.offSets().at(1).name, "None");
    EXPECT_EQ(spec.currentOffSetIndex(), 0);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(spec.gamutSpecs().at(i).spec.standard, i);
        EXPECT_EQ(spec.gamutSpecs().at(i).spec.whiteBigY, 100.0);
    }
    EXPECT_TRUE(storedKeys().isEmpty()) << storedKeys().join(' ').toStdString();
}

TEST_F(ChromaGamutSpecTest, StoredValuesOutsideTheirRangesFallBack) {
    QSettings s;
    s.setValue("gamutSpecIndex", 9);
    s.setValue("gamma", 2.8);
    s.setValue("offSetIndex", 5);
    s.setValue("maxBigY", -5.0);
    ChromaGamutSpec spec;
    EXPECT_EQ(spec.currentGamutIndex(), 2);
    EXPECT_EQ(spec.currentGamut().name, "REC709");
    EXPECT_EQ(spec.gamma(), 2.2);
    EXPECT_EQ(spec.currentOffSetIndex(), 0);
    EXPECT_EQ(spec.maxBigY(), 100.0);

    s.setValue("gamutSpecIndex", -1);
    s.setValue("gamma", "steep");
    s.setValue("maxBigY", "lots");
    ChromaGamutSpec garbled;
    EXPECT_EQ(garbled.currentGamutIndex(), 2);
    EXPECT_EQ(garbled.gamma(), 2.2);
    EXPECT_EQ(garbled.maxBigY(), 100.0);
}

TEST_F(ChromaGamutSpecTest, StoredValuesInsideTheirRangesAreUsed) {
    QSettings s;
    s.setValue("gamutSpecIndex", 5);
    s.setValue("gamma", 2.7);
    s.setValue("offSetIndex", 1);
    s.setValue("maxBigY", 48.0);
    ChromaGamutSpec spec;
    EXPECT_EQ(spec.currentGamut().name, "DCIP3");
    EXPECT_EQ(spec.gamma(), 2.7);
    EXPECT_EQ(spec.currentOffSet().name, "None");
    EXPECT_EQ(spec.maxBigY(), 48.0);
    EXPECT_EQ(spec.currentGamut().spec.whiteBigY, 48.0);
}

TEST_F(ChromaGamutSpecTest, VideoModeOneIsBroadcastAndAnythingElsePc) {
    const struct {
        QVariant stored;
        int min, max;
    } cases[] = {{1, 16, 235}, {2, 0, 255}, {0, 0, 255}, {7, 0, 255}, {"tv", 0, 255}};
    for (const auto &c : cases) {
        QSettings().setValue("VideoMode", c.stored);
        ChromaGamutSpec spec;
        EXPECT_EQ(spec.videoMin(), c.min) << c.stored.toString().toStdString();
        EXPECT_EQ(spec.videoMax(), c.max) << c.stored.toString().toStdString();
    }
}

TEST_F(ChromaGamutSpecTest, VideoRangeIsStoredAsItsCodeAndReadBack) {
    ChromaGamutSpec spec;
    SignalRecorder rec(&spec);
    spec.setVideoMode(16, 235);
    EXPECT_EQ(rec.take(), QStringList{"videoModeChanged"});
    EXPECT_EQ(QSettings().value("VideoMode").toInt(), 1);
    EXPECT_EQ(ChromaGamutSpec().videoMin(), 16);

    spec.setVideoMode(16, 235);
    EXPECT_TRUE(rec.take().isEmpty());

    // Another range is used as given but stored as 0, which reads back as PC.
    spec.setVideoMode(10, 240);
    EXPECT_EQ(rec.take(), QStringList{"videoModeChanged"});
    EXPECT_EQ(spec.videoMin(), 10);
    EXPECT_EQ(QSettings().value("VideoMode").toInt(), 0);
    EXPECT_EQ(ChromaGamutSpec().videoMax(), 255);

    spec.setVideoMode(0, 255);
    EXPECT_EQ(QSettings().value("VideoMode").toInt(), 2);

    // Ranges that are not code values are refused.
    for (auto range : {std::make_pair(200, 100), std::make_pair(-1, 255), std::make_pair(0, 256)})
        spec.setVideoMode(range.first, range.second);
    EXPECT_EQ(rec.take(), QStringList{"videoModeChanged"});
    EXPECT_EQ(spec.videoMin(), 0);
    EXPECT_EQ(spec.videoMax(), 255);
}

TEST_F(ChromaGamutSpecTest, GammaOutsideItsRangeChangesNothing) {
    ChromaGamutSpec spec;
    SignalRecorder rec(&spec);
    for (double g : {2.8, 1.79, std::numeric_limits<double>::quiet_NaN(), 2.2})
        spec.setGamma(g);
    EXPECT_EQ(spec.gamma(), 2.2);
    EXPECT_TRUE(rec.take().isEmpty());
    EXPECT_FALSE(QSettings().contains("gamma"));

    spec.setGamma(2.4);
    spec.setGamma(2.4);
    EXPECT_EQ(rec.take(), QStringList{"gammaChanged"});
    EXPECT_EQ(QSettings().value("gamma").toDouble(), 2.4);
    spec.setGamma(1.8);
    spec.setGamma(2.7);
    EXPECT_EQ(rec.take(), QStringList({"gammaChanged", "gammaChanged"}));
    EXPECT_EQ(ChromaGamutSpec().gamma(), 2.7);
}

TEST_F(ChromaGamutSpecTest, MaxBigYRebuildsEveryStandardAndSignalsOnce) {
    ChromaGamutSpec spec;
    ASSERT_TRUE(spec.addGamutSpec(entry("Wide", 0.3, 0.32)));
    SignalRecorder rec(&spec);
    spec.setMaxBigY(250.0);
    EXPECT_EQ(rec.take(),
              QStringList({"GamutSpecChanged", "CurrentGamutChanged", "MaxBigYChanged"}));
    EXPECT_EQ(QSettings().value("maxBigY").toDouble(), 250.0);
    const GamutSpec rec709 = GamutSpec::standardSpec(2, 250.0);
    EXPECT_EQ(spec.gamutSpecs().at(2).spec.rgbToXyz, rec709.rgbToXyz);
    const GamutSpec &user = spec.gamutSpecs().at(6).spec;
    EXPECT_EQ(user.whiteBigY, 250.0);
    EXPECT_EQ(user.whiteX, 0.3);
    EXPECT_EQ(user.redX, 0.68);
    EXPECT_NEAR(user.rgbToXyz[1][0] + user.rgbToXyz[1][1] + user.rgbToXyz[1][2], 250.0, 1e-9);

    // Unchanged, zero, negative and non-finite values are refused without a signal.
    for (double y : {250.0, 0.0, -3.0, std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN()})
        spec.setMaxBigY(y);
    EXPECT_TRUE(rec.take().isEmpty());
    EXPECT_EQ(spec.maxBigY(), 250.0);
}

TEST_F(ChromaGamutSpecTest, CurrentStandardAndOffsetAreStoredWithOneSignal) {
    ChromaGamutSpec spec;
    SignalRecorder rec(&spec);
    spec.setCurrentGamut(3);
    spec.setCurrentGamut(3);
    spec.setCurrentGamut(6); // no user standard: out of range
    spec.setCurrentOffSet(1);
    spec.setCurrentOffSet(1);
    spec.setCurrentOffSet(2);
    EXPECT_EQ(rec.take(), QStringList({"CurrentGamutChanged", "CurrentOffSetChanged"}));
    EXPECT_EQ(QSettings().value("gamutSpecIndex").toInt(), 3);
    EXPECT_EQ(QSettings().value("offSetIndex").toInt(), 1);
    ChromaGamutSpec reread;
    EXPECT_EQ(reread.currentGamut().name, "REC2020");
    EXPECT_EQ(reread.currentOffSet().name, "None");
}

TEST_F(ChromaGamutSpecTest, UserStandardsRoundTripThroughTheSettings) {
    ChromaGamutSpec spec;
    SignalRecorder rec(&spec);
    UserGamutEntry awkward = entry("Odd", 0.1 + 0.2, 1.0 / 3.0); // no short decimal form
    ASSERT_TRUE(spec.addGamutSpec(entry("Mine", 0.3127, 0.329)));
    ASSERT_TRUE(spec.addGamutSpec(awkward));
    EXPECT_EQ(rec.take(), QStringList({"GamutSpecsListChanged", "GamutSpecsListChanged"}));
    EXPECT_EQ(QSettings().value("userGamutSpec").toString(),
              "Mine,0.3127,0.329,0.68,0.32,0.265,0.69,0.15,0.06;"
              "Odd,0.30000000000000004,0.3333333333333333,0.68,0.32,0.265,0.69,0.15,0.06");

    ChromaGamutSpec reread;
    ASSERT_EQ(reread.gamutSpecs().size(), 8);
    EXPECT_EQ(reread.gamutSpecs().at(6).name, "Mine");
    const GamutSpec &odd = reread.gamutSpecs().at(7).spec;
    EXPECT_EQ(reread.gamutSpecs().at(7).name, "Odd");
    EXPECT_EQ(odd.whiteX, awkward.whiteX); // bit for bit
    EXPECT_EQ(odd.whiteY, awkward.whiteY);
    EXPECT_EQ(odd.greenY, 0.69);
    EXPECT_EQ(odd.whiteBigY, 100.0);
    EXPECT_EQ(odd.standard, 6);
}

TEST_F(ChromaGamutSpecTest, AStoredStandardMatchingABuiltInKeepsItsName) {
    QSettings().setValue("userGamutSpec", rec709Like);
    QSettings().setValue("gamutSpecIndex", 6);
    ChromaGamutSpec spec;
    EXPECT_EQ(spec.currentGamutIndex(), 6);
    EXPECT_EQ(spec.currentGamut().name, "Mine");
    EXPECT_EQ(spec.currentGamut().spec.standard, 2);
}

TEST_F(ChromaGamutSpecTest, EmptyAndMalformedStoredEntriesAreSkipped) {
    QSettings().setValue("userGamutSpec", QString(rec709Like) + ";");
    EXPECT_EQ(ChromaGamutSpec().gamutSpecs().size(), 7);

    const QString messy = QString(";;") + rec709Like + ";Short,0.3,0.3;Words,a,b,c,d,e,f,g,h;" +
                          " ;Nan,nan,0.329,0.64,0.33,0.3,0.6,0.15,0.06;," +
                          QString(rec709Like).mid(4);
    const QList<UserGamutEntry> parsed = ChromaGamutSpec::parseUserGamutSpecs(messy);
    ASSERT_EQ(parsed.size(), 1);
    EXPECT_EQ(parsed.at(0).name, "Mine");
    EXPECT_EQ(parsed.at(0).blueY, 0.06);

    const QList<WhiteOffSet> offSets =
        ChromaGamutSpec::parseUserOffSets("Warm,0.004,-0.002;;Bad,x,1;Two,1;Cool,-0.001,0.003;");
    ASSERT_EQ(offSets.size(), 2);
    EXPECT_EQ(offSets.at(0).name, "Warm");
    EXPECT_EQ(offSets.at(1).dy, 0.003);
}

TEST_F(ChromaGamutSpecTest, AListWrittenWithoutQuotesIsStillRead) {
    // Without quotes the INI reader splits at the commas into a string list.
    {
        QSettings s;
        s.setValue("userGamutSpec", QStringList(QString(rec709Like).split(',')));
    }
    EXPECT_EQ(ChromaGamutSpec().gamutSpecs().size(), 7);
}

TEST_F(ChromaGamutSpecTest, RemovingAUserStandardKeepsTheCurrentOneOrFallsBack) {
    ChromaGamutSpec spec;
    spec.addGamutSpec(entry("A", 0.31, 0.32));
    spec.addGamutSpec(entry("B", 0.32, 0.33));
    spec.addGamutSpec(entry("C", 0.33, 0.34));
    spec.setCurrentGamut(8); // C
    SignalRecorder rec(&spec);

    EXPECT_TRUE(spec.removeGamutSpec(6)); // A, before the current one
    EXPECT_EQ(rec.take(), QStringList{"GamutSpecsListChanged"});
    EXPECT_EQ(spec.currentGamut().name, "C");
    EXPECT_EQ(QSettings().value("gamutSpecIndex").toInt(), 7);

    EXPECT_TRUE(spec.removeGamutSpec(7)); // C, the current one
    EXPECT_EQ(rec.take(), QStringList({"GamutSpecsListChanged", "CurrentGamutChanged"}));
    EXPECT_EQ(spec.currentGamutIndex(), 2);
    EXPECT_EQ(QSettings().value("userGamutSpec").toString().section(',', 0, 0), "B");

    for (int index : {0, 5, 7, -1})
        EXPECT_FALSE(spec.removeGamutSpec(index));
    EXPECT_TRUE(rec.take().isEmpty());
    EXPECT_EQ(ChromaGamutSpec().gamutNames().last(), "B");
}

TEST_F(ChromaGamutSpecTest, UserOffsetsRoundTripAndProtectTheBuiltIns) {
    ChromaGamutSpec spec;
    SignalRecorder rec(&spec);
    ASSERT_TRUE(spec.addOffSet({"Warm", 0.004, -0.0125}));
    ASSERT_TRUE(spec.addOffSet({"Cool", -0.001, 0.1 + 0.2 - 0.29}));
    EXPECT_EQ(rec.take(), QStringList({"OffSetListChanged", "OffSetListChanged"}));
    EXPECT_EQ(QSettings().value("userOffsets").toString(),
              "Warm,0.004,-0.0125;Cool,-0.001,0.010000000000000064");
    ChromaGamutSpec reread;
    ASSERT_EQ(reread.offSets().size(), 4);
    EXPECT_EQ(reread.offSets().at(3).dy, 0.1 + 0.2 - 0.29);

    spec.setCurrentOffSet(3);
    rec.take();
    EXPECT_FALSE(spec.removeOffSet(0));
    EXPECT_FALSE(spec.removeOffSet(1));
    EXPECT_TRUE(spec.removeOffSet(3));
    EXPECT_EQ(rec.take(), QStringList({"OffSetListChanged", "CurrentOffSetChanged"}));
    EXPECT_EQ(spec.currentOffSetIndex(), 0);
    EXPECT_EQ(QSettings().value("userOffsets").toString(), "Warm,0.004,-0.0125");
}

TEST_F(ChromaGamutSpecTest, NamesThatWouldBreakTheStoredListAreRefused) {
    ChromaGamutSpec spec;
    SignalRecorder rec(&spec);
    for (const char *name : {"a,b", "a;b", "", "   "}) {
        EXPECT_FALSE(spec.addGamutSpec(entry(name, 0.31, 0.32))) << name;
        EXPECT_FALSE(spec.addOffSet({name, 0.001, 0.001})) << name;
    }
    EXPECT_FALSE(spec.addOffSet({"Inf", std::numeric_limits<double>::infinity(), 0}));
    EXPECT_TRUE(rec.take().isEmpty());
    EXPECT_TRUE(storedKeys().isEmpty());

    ASSERT_TRUE(spec.addGamutSpec(entry("  Pad  ", 0.31, 0.32)));
    EXPECT_EQ(spec.gamutNames().last(), "Pad"); // as it reads back
}

TEST_F(ChromaGamutSpecTest, ThereIsOneSharedObject) {
    ChromaGamutSpec *shared = ChromaGamutSpec::instance();
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(shared, ChromaGamutSpec::instance());
}

} // namespace
