// The reference kept in the settings across restarts, and the one built
// from a gamut standard.
#include "settingsfixture.h"
#include "storedreference.h"

#include <QSettings>

using namespace profiles;

class StoredReferenceTest : public EmptySettings {};

TEST_F(StoredReferenceTest, SurvivesARoundTripAndRefusesDamage) {
    StoredReference ref;
    ref.time = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5));
    ref.model = "CS-2000";
    ref.serial = "10011234";
    ref.profileId = "2";
    ref.profileName = "Studio";
    ref.colors = {Measurement::fromXYZ(114, 120, 130), Measurement::fromXYZ(50, 25.5, 2),
                  Measurement::fromXYZ(30, 85.8, 14), Measurement::fromXYZ(20, 8.7, 100)};
    {
        QSettings s;
        saveReference(s, ref);
    }
    QSettings s;
    EXPECT_EQ(s.value("ref_3_z").toDouble(), 100);
    StoredReference back = loadReference(s);
    ASSERT_TRUE(back.complete());
    EXPECT_EQ(back.time, ref.time);
    EXPECT_EQ(back.model, "CS-2000");
    EXPECT_EQ(back.profileName, "Studio");
    for (int c = 0; c < 4; ++c) {
        EXPECT_DOUBLE_EQ(back.colors[c].bigY, ref.colors[c].bigY) << c;
        EXPECT_NEAR(back.colors[c].x, ref.colors[c].x, 1e-12) << c;
    }
    const char *damage[][2] = {{"ref_2_y", "abc"}, {"ref_1_x", "nan"}, {"ref_0_z", "-4"}};
    for (const auto &d : damage) {
        QSettings broken;
        saveReference(broken, ref);
        broken.setValue(d[0], d[1]);
        EXPECT_FALSE(loadReference(broken).complete()) << d[0];
    }
    s.remove("ref_3_x");
    EXPECT_FALSE(loadReference(s).complete());
}

TEST_F(StoredReferenceTest, GamutReferenceTakesTheStandardsColours) {
    const GamutSpec rec709 = GamutSpec::standardSpec(2, 80);
    const StoredReference ref = gamutReference(rec709, "REC709", QDateTime::currentDateTime());
    ASSERT_TRUE(ref.complete());
    EXPECT_EQ(ref.model, "Gamut Color");
    EXPECT_NEAR(ref.colors[0].x, rec709.whiteX, 1e-9);
    EXPECT_NEAR(ref.colors[0].bigY, 80, 1e-9);
    EXPECT_NEAR(ref.colors[1].x, rec709.redX, 1e-9);
    EXPECT_NEAR(ref.colors[3].y, rec709.blueY, 1e-9);
    // The primaries' luminances add up to the white's.
    EXPECT_NEAR(ref.colors[1].bigY + ref.colors[2].bigY + ref.colors[3].bigY, 80, 1e-6);
}
