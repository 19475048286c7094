// Rules over plain values: presets, the first blank slot beyond the listed
// entries, the reference age bands, and damaged stored references.
#include "profilerules.h"
#include "settingsfixture.h"
#include "storedreference.h"

#include <QSettings>

using namespace profiles;

TEST(ProfileRules, PresetsGiveSlotAndNameOrNothing) {
    const struct {
        const char *text;
        int slot; // -1: "default", slot and name left open
        const char *name;
    } cases[] = {
        {"default", -1, ""},
        {"0: factory cal matrix", 0, "factory cal matrix"},
        {"14: HP DreamColor 2", 14, "HP DreamColor 2"},
        {"typed name", -1, ""}, // an edited box without a slot stays open
        {"97: Beyond", -1, ""},
    };
    for (const auto &c : cases) {
        const Preset p = parsePreset(QString::fromLatin1(c.text));
        EXPECT_EQ(p.isDefault, c.slot < 0) << c.text;
        EXPECT_EQ(p.slot, c.slot) << c.text;
        EXPECT_EQ(p.name, QString::fromLatin1(c.name)) << c.text;
    }
}

TEST(ProfileRules, TheFirstBlankSlotIsLookedForInTheListGiven) {
    QStringList all{"0: Factory Cal File"};
    for (int s = 1; s <= 96; ++s)
        all << QStringLiteral("%1: %2").arg(s).arg(s == 93 ? "Blank" : "P");
    EXPECT_EQ(firstBlankSlot(listedEntries(all)), -1); // 93 is beyond the 90 listed
    EXPECT_EQ(firstBlankSlot(all), 93);
    EXPECT_EQ(entryForSlot(all, 93), "93: Blank");
}

TEST(ProfileRules, ReferenceAgeBandsReadOnEitherTheme) {
    const struct {
        qint64 seconds;
        const char *text;
    } cases[] = {
        {899, "< 15 minutes"}, {900, "15-60 minutes"}, {3599, "15-60 minutes"}, {3600, "> 1 hour"}};
    for (const auto &c : cases) {
        const AgeLook look = referenceAge(c.seconds);
        EXPECT_EQ(look.text, c.text) << c.seconds;
        // Its own background and text colour: never the theme's background
        // under a bright text colour.
        EXPECT_TRUE(look.style.startsWith("color:#") && look.style.contains("background-color:#"))
            << look.style.toStdString();
    }
    EXPECT_NE(referenceAge(0).style, referenceAge(900).style);
    EXPECT_NE(referenceAge(900).style, referenceAge(3600).style);
}

class StoredReferenceTest : public EmptySettings {};

TEST_F(StoredReferenceTest, ADamagedValueGivesNoReference) {
    StoredReference ref;
    ref.colors = QVector<Measurement>(4, Measurement::fromXYZ(95, 100, 108));
    QSettings s;
    for (const char *bad : {"abc", "nan", "-4", ""}) {
        saveReference(s, ref);
        EXPECT_TRUE(loadReference(s).complete());
        s.setValue("ref_2_y", bad);
        EXPECT_FALSE(loadReference(s).complete()) << bad;
    }
}
