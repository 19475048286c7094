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

TEST(ProfileRules, ReferenceAgeBands) {
    const struct {
        qint64 seconds;
        const char *style;
    } cases[] = {{899, "color:#00FF00"},
                 {900, "color:#FFFF00"},
                 {3599, "color:#FFFF00"},
                 {3600, "color:#FF0000"}};
    for (const auto &c : cases)
        EXPECT_EQ(referenceAge(c.seconds).style, c.style) << c.seconds;
    EXPECT_EQ(referenceAge(3600).text, "> 1 hour");
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
