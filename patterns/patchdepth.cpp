#include "patchdepth.h"

#include <QString>

CodeRange rangeAtBits(const CodeRange &range, int bits) {
    if (bits == range.bits)
        return range;
    if (range.isFull())
        return CodeRange::full(bits);
    if (range.low == CodeRange::limited(range.bits).low &&
        range.high == CodeRange::limited(range.bits).high)
        return CodeRange::limited(bits);
    const CodeRange to = CodeRange::full(bits), from = CodeRange::full(range.bits);
    return {to.nearestFrom(range.low, from), to.nearestFrom(range.high, from), bits};
}

ShownCodes shownCodes(const Codes &code, const CodeRange &range, int generatorBits) {
    ShownCodes shown;
    if (generatorBits >= range.bits) {
        shown.code = code;
        shown.range = range;
        return shown;
    }
    shown.range = rangeAtBits(range, generatorBits);
    for (int c = 0; c < 3; ++c)
        shown.code[c] = shown.range.nearestFrom(code[c], range);
    shown.reduced = true;
    return shown;
}

QColor previewColor(const Codes &code, int bits) {
    const CodeRange from = CodeRange::full(bits);
    const CodeRange to = CodeRange::full(8);
    return QColor(to.nearestFrom(code[0], from), to.nearestFrom(code[1], from),
                  to.nearestFrom(code[2], from));
}

QString reducedCodesText(const Codes &asked, int askedBits, const ShownCodes &shown) {
    return QStringLiteral("%1-bit %2,%3,%4 shown as %5-bit %6,%7,%8")
        .arg(askedBits)
        .arg(asked[0])
        .arg(asked[1])
        .arg(asked[2])
        .arg(shown.range.bits)
        .arg(shown.code[0])
        .arg(shown.code[1])
        .arg(shown.code[2]);
}
