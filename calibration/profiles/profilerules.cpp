#include "profilerules.h"

#include <QSettings>

namespace profiles {

const char *const profilePassword = "pangolin";

namespace {
const QLatin1String separator(": ");
const char *const passwordKey = "passwordCal/password";
} // namespace

QStringList listedEntries(const QStringList &all) {
    return all.mid(0, maxListedEntries);
}

bool isBlankName(const QString &name) {
    const QString s = name.simplified();
    return s.isEmpty() || s.compare(QLatin1String("blank"), Qt::CaseInsensitive) == 0;
}

int entrySlot(const QString &entry, bool *ok) {
    const int at = entry.indexOf(separator);
    bool valid = false;
    const int slot = at > 0 ? entry.left(at).trimmed().toInt(&valid) : 0;
    if (ok)
        *ok = valid;
    return valid ? slot : -1;
}

QString entryName(const QString &entry) {
    const int at = entry.indexOf(separator);
    return at < 0 ? QString() : entry.mid(at + separator.size());
}

int firstBlankSlot(const QStringList &entries) {
    for (const QString &e : entries) {
        bool ok = false;
        const int slot = entrySlot(e, &ok);
        if (ok && e.contains(QLatin1String("Blank")))
            return slot;
    }
    return -1;
}

QString entryForSlot(const QStringList &entries, int slot) {
    for (const QString &e : entries) {
        bool ok = false;
        if (entrySlot(e, &ok) == slot && ok)
            return e;
    }
    return QString();
}

const QStringList &presetEntries() {
    static const QStringList entries = {
        QStringLiteral("default"),
        QStringLiteral("0: factory cal matrix"),
        QStringLiteral("1: Default CRT File"),
        QStringLiteral("2: Torva DLP Lux"),
        QStringLiteral("3: Torva SMPTE C"),
        QStringLiteral("5: TVL XVM245"),
        QStringLiteral("6: Torva LED Bk LCD"),
        QStringLiteral("7: Torva Plasma"),
        QStringLiteral("8: DLP Screen"),
        QStringLiteral("9: TVL LEM150"),
        QStringLiteral("10: Sony EL OLED"),
        QStringLiteral("11: Eizo CG LCD"),
        QStringLiteral("12: FSI 2461W"),
        QStringLiteral("14: HP DreamColor 2"),
    };
    return entries;
}

Preset parsePreset(const QString &text) {
    Preset p;
    bool ok = false;
    const int slot = entrySlot(text, &ok);
    // The box is editable: anything that does not read as "slot: name" is
    // treated as "default" rather than storing into a slot nobody chose.
    if (text == QLatin1String("default") || !ok || slot < 0 || slot > lastSlot)
        return p;
    p.isDefault = false;
    p.slot = slot;
    p.name = entryName(text);
    return p;
}

bool checkPassword(QSettings &settings, const QString &typed, bool remember) {
    if (remember)
        settings.setValue(passwordKey, typed);
    else
        settings.remove(passwordKey);
    return typed == QLatin1String(profilePassword);
}

QString rememberedPassword(QSettings &settings) {
    return settings.value(passwordKey, QString()).toString();
}

namespace {
QString badge() {
    return QStringLiteral(" border-radius:3px; padding:1px 6px;");
}
} // namespace

AgeLook referenceAge(qint64 seconds) {
    struct Band {
        qint64 below;
        const char *style;
        const char *text;
    };
    // Green, amber and red badges with their own text colour, so the label
    // reads on a light theme as on a dark one.
    static const Band bands[] = {
        {900, "color:#ffffff; background-color:#1e8a2e;", "< 15 minutes"},
        {3600, "color:#000000; background-color:#f0c020;", "15-60 minutes"},
    };
    for (const Band &b : bands) {
        if (seconds < b.below)
            return {QLatin1String(b.style) + badge(), QLatin1String(b.text)};
    }
    return {QStringLiteral("color:#ffffff; background-color:#c02828;") + badge(),
            QStringLiteral("> 1 hour")};
}

} // namespace profiles
