// The rules of the profile windows over plain values: list entries, blank
// names, presets, the password and the reference age.
#include "profilerules.h"
#include "settingsfixture.h"

#include <QSettings>

using namespace profiles;

TEST(ProfileRules, BlankNamesInAnyCaseOrSpacing) {
    const struct {
        const char *name;
        bool blank;
    } cases[] = {{"", true},         {"   ", true},        {"blank", true},
                 {"BLANK", true},    {"  Blank \t", true}, {"bLaNk", true},
                 {"Blanket", false}, {"my blank", false},  {"Studio", false}};
    for (const auto &c : cases)
        EXPECT_EQ(isBlankName(QString::fromLatin1(c.name)), c.blank) << c.name;
}

TEST(ProfileRules, EntriesSplitAtTheSeparator) {
    bool ok = false;
    EXPECT_EQ(entrySlot("12: FSI 2461W", &ok), 12);
    EXPECT_TRUE(ok);
    EXPECT_EQ(entryName("12: FSI 2461W"), "FSI 2461W");
    EXPECT_EQ(entryName("7: a: b"), "a: b"); // only the first separator splits
    EXPECT_EQ(entrySlot("Studio", &ok), -1);
    EXPECT_FALSE(ok);
    EXPECT_EQ(entrySlot("x: Studio", &ok), -1);
    EXPECT_FALSE(ok);
}

TEST(ProfileRules, ListsStopAtNinetyAndProposeTheFirstBlankSlot) {
    QStringList all{"0: Factory Cal File"};
    for (int s = 1; s <= 96; ++s)
        all << QStringLiteral("%1: %2").arg(s).arg(s == 4 || s == 93 ? "Blank" : "P");
    const QStringList shown = listedEntries(all);
    ASSERT_EQ(shown.size(), maxListedEntries);
    EXPECT_EQ(shown.last(), "89: P");
    EXPECT_EQ(firstBlankSlot(shown), 4);
    all[4] = "4: Used";
    EXPECT_EQ(firstBlankSlot(listedEntries(all)), -1); // 93 is beyond the listed entries
    EXPECT_EQ(firstBlankSlot(all), 93);
    EXPECT_EQ(entryForSlot(all, 93), "93: Blank");
    EXPECT_TRUE(entryForSlot(all, 97).isEmpty());
}

TEST(ProfileRules, PresetsGiveSlotAndNameOrNothing) {
    const struct {
        const char *text;
        bool isDefault;
        int slot;
        const char *name;
    } cases[] = {
        {"default", true, -1, ""},
        {"0: factory cal matrix", false, 0, "factory cal matrix"},
        {"14: HP DreamColor 2", false, 14, "HP DreamColor 2"},
        {"typed name", true, -1, ""}, // an edited box without a slot stays open
        {"97: Beyond", true, -1, ""},
    };
    for (const auto &c : cases) {
        const Preset p = parsePreset(QString::fromLatin1(c.text));
        EXPECT_EQ(p.isDefault, c.isDefault) << c.text;
        EXPECT_EQ(p.slot, c.slot) << c.text;
        EXPECT_EQ(p.name, QString::fromLatin1(c.name)) << c.text;
    }
    EXPECT_EQ(presetEntries().first(), "default");
    for (const QString &e : presetEntries().mid(1))
        EXPECT_FALSE(parsePreset(e).isDefault) << e.toStdString();
}

TEST(ProfileRules, ReferenceAgeBands) {
    const struct {
        qint64 seconds;
        const char *style;
        const char *text;
    } cases[] = {{0, "color:#00FF00", "< 15 minutes"},    {899, "color:#00FF00", "< 15 minutes"},
                 {900, "color:#FFFF00", "15-60 minutes"}, {3599, "color:#FFFF00", "15-60 minutes"},
                 {3600, "color:#FF0000", "> 1 hour"},     {86400 * 9, "color:#FF0000", "> 1 hour"}};
    for (const auto &c : cases) {
        const AgeLook look = referenceAge(c.seconds);
        EXPECT_EQ(look.style, c.style) << c.seconds;
        EXPECT_EQ(look.text, c.text) << c.seconds;
    }
}

class PasswordRules : public EmptySettings {};

TEST_F(PasswordRules, RememberedOnlyWhileTickedWhateverWasTyped) {
    QSettings s;
    EXPECT_FALSE(checkPassword(s, "wrong", true));
    EXPECT_EQ(rememberedPassword(s), "wrong"); // ticked: kept, even when wrong
    EXPECT_TRUE(checkPassword(s, profilePassword, true));
    EXPECT_EQ(rememberedPassword(s), profilePassword);
    EXPECT_FALSE(checkPassword(s, "still wrong", false));
    EXPECT_TRUE(rememberedPassword(s).isEmpty()); // unticked removes it, even after a miss
    EXPECT_FALSE(s.contains("passwordCal/password"));
    EXPECT_FALSE(checkPassword(s, "Pangolin", false)); // case matters
}
