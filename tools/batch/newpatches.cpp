#include "newpatches.h"

#include "displaytarget.h"

namespace newpatches {

namespace {

// The colours of each "Target Color:" entry, by index into the seven names.
const QList<int> choiceColours[] = {
    {0}, {1}, {2}, {3}, {4}, {5}, {6}, {1, 2, 3}, {4, 5, 6}, {0, 1, 2, 3, 4, 5, 6},
};

ColorPatch patch(int colour, int ire, int low, int high) {
    // Gamma and standard do not change code values.
    const DisplayTarget t = computeTarget(static_cast<TargetColour>(colour), ire, low, high, 2.2,
                                          GamutSpec::standardSpec(2));
    return {QStringLiteral("%1 - %2 IRE").arg(targetColourNames().at(colour)).arg(ire), t.colour};
}

} // namespace

QStringList targetChoices() {
    return targetColourNames() +
           QStringList{QStringLiteral("Primaries(Red, Green, and Blue)"),
                       QStringLiteral("Secondaries(Cyan, Yellow, and Magenta)"),
                       QStringLiteral("All Colors")};
}

QList<ColorPatch> targetPatches(int choice, int ire, int low, int high) {
    QList<ColorPatch> out;
    if (choice < 0 || choice >= int(std::size(choiceColours)))
        return out;
    for (int colour : choiceColours[choice])
        out << patch(colour, ire, low, high);
    return out;
}

QList<ColorPatch> tenPointPatches(int colour, int low, int high) {
    QList<ColorPatch> out;
    if (colour < 0 || colour > 6)
        return out;
    for (int ire = 0; ire <= 100; ire += 10)
        out << patch(colour, ire, low, high);
    return out;
}

QList<ColorPatch> builtInBatch(int low, int high) {
    QList<ColorPatch> out;
    for (int colour : {0, 1, 2, 3})
        out << patch(colour, 100, low, high);
    return out;
}

bool outOfRange(const QColor &c, int low, int high) {
    for (int v : {c.red(), c.green(), c.blue()}) {
        if (v < low || v > high)
            return true;
    }
    return false;
}

} // namespace newpatches
