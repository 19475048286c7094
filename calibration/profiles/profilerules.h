#pragma once
// The rules of the profile windows that need no widgets: reading profile
// list entries ("slot: name"), what counts as a blank slot, the profile-name
// presets, the password that guards every change to the instrument's list,
// and how old a reference reading may look.

#include <QString>
#include <QStringList>

class QSettings;

namespace profiles {

// The windows list at most this many entries.
constexpr int maxListedEntries = 90;
// Slots a profile may be stored into or selected from.
constexpr int lastSlot = 96;

QStringList listedEntries(const QStringList &all);

// Trimmed, inner white space collapsed, and "blank" in any case: not a name.
bool isBlankName(const QString &name);
// The slot before ": " (ok false when there is none or it is not a number),
// and the name after it.
int entrySlot(const QString &entry, bool *ok = nullptr);
QString entryName(const QString &entry);
// The slot of the first entry whose text contains "Blank"; -1 when none.
int firstBlankSlot(const QStringList &entries);
// The entry of the given slot, or an empty string when the list has none.
QString entryForSlot(const QStringList &entries, int slot);

// Profile-name preset box: "default" leaves slot and name open.
const QStringList &presetEntries();
struct Preset {
    bool isDefault = true;
    int slot = -1;
    QString name;
};
Preset parsePreset(const QString &text);

// Password dialog: remembers the typed text under "passwordCal/password"
// when remember is set, removes it otherwise (whatever was typed), and tells
// whether the text is the profile password.
extern const char *const profilePassword;
bool checkPassword(QSettings &settings, const QString &typed, bool remember);
QString rememberedPassword(QSettings &settings);

// How fresh the reference reading is, for the age label.
struct AgeLook {
    QString style;
    QString text;
};
AgeLook referenceAge(qint64 seconds);

} // namespace profiles
