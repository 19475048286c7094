#include "patchcheck.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace patchcheck {

namespace {

double spreadOf(double min, double max) {
    if (!(max > 0) || !std::isfinite(min) || !std::isfinite(max))
        return 0;
    return std::fabs(max - min) / max * 100.0;
}

bool unstable(double max, double spreadPercent) {
    return max > darkLimit && spreadPercent > spreadLimitPercent;
}

struct BitGroup {
    uint32_t bits;
    const char *text;
};

// In the order they are described; each group is taken out once named.
const BitGroup describedGroups[] = {
    {0x40, "The Aiming lights are on.\n"},
    {0x700, "There was an error from the Torva device due to the Range switching with the "
            "measurement.\n"},
    {0x80000, "The Flicker string from the Torva device was bad.\n"},
    {0x7, "The device has been unplugged\n"},
    {ErrorBits::PatternNotShown, "The pattern generator did not confirm the colour.\n"},
    {ErrorBits::LowLight, "The reference instrument measured in low light; its reading is less "
                          "accurate.\n"},
};

} // namespace

Spread spread(const Measurement &m) {
    return {spreadOf(m.minX, m.maxX), spreadOf(m.minY, m.maxY), spreadOf(m.minZ, m.maxZ)};
}

uint32_t relevantBits(uint32_t errorCode) {
    return errorCode & ~ignoredBits;
}

QString errorDescription(uint32_t error) {
    QString text;
    uint32_t left = error;
    for (const BitGroup &g : describedGroups) {
        if (left & g.bits) {
            text += QLatin1String(g.text);
            left &= ~g.bits;
        }
    }
    if (left)
        text +=
            QStringLiteral("There was an error with the measurement. Error code: %1\n").arg(left);
    return text;
}

bool unchangedDisplay(const QList<QColor> &colors, const QList<Measurement> &readings, int *first,
                      int *second) {
    using Codes = std::array<int, 3>;
    auto codes = [](const QColor &c) { return Codes{c.red(), c.green(), c.blue()}; };
    auto above = [](const Codes &a, const Codes &b) { // every channel of a well above b's
        for (int i = 0; i < 3; ++i)
            if (a[i] - b[i] < distinctColourStep)
                return false;
        return true;
    };
    auto leads = [](const Codes &a, const Codes &b) { // a's brightest channel well above b's
        const int top = *std::max_element(a.begin(), a.end());
        for (int i = 0; i < 3; ++i)
            if (a[i] == top && a[i] - b[i] >= distinctColourStep)
                return true;
        return false;
    };
    auto distinct = [&](const QColor &x, const QColor &y) {
        const Codes a = codes(x), b = codes(y);
        return above(a, b) || above(b, a) || (leads(a, b) && leads(b, a));
    };
    auto close = [](double a, double b) {
        return std::fabs(a - b) <=
               std::max(alikeFloor, alikeFraction * std::max(std::fabs(a), std::fabs(b)));
    };
    const int n = std::min(colors.size(), readings.size());
    for (int i = 0; i < n; ++i) {
        const Measurement &a = readings.at(i);
        for (int j = i + 1; j < n; ++j) {
            const Measurement &b = readings.at(j);
            if (distinct(colors.at(i), colors.at(j)) && close(a.bigX, b.bigX) &&
                close(a.bigY, b.bigY) && close(a.bigZ, b.bigZ)) {
                *first = i;
                *second = j;
                return true;
            }
        }
    }
    return false;
}

bool findProblem(const Measurement &m, Problem *problem) {
    const Spread s = spread(m);
    const bool shaky = unstable(m.maxX, s.x) || unstable(m.maxY, s.y) || unstable(m.maxZ, s.z);
    // Read as a signed number, as the instrument layer reports it.
    const bool failed = static_cast<int32_t>(m.errorCode) > 0;
    if (!shaky && !failed)
        return false;
    if (!problem)
        return true;
    Problem p;
    p.spread = s;
    p.error = m.errorCode;
    p.defaultChoice = Abort;
    if (!failed) {
        p.error = 0;
        p.title = QStringLiteral("Unstable Measurement");
        p.text = QStringLiteral("The Measurements had greater than 1.5% different between min and "
                                "max.\n") +
                 QStringLiteral("\nError of X : %1%").arg(s.x) +
                 QStringLiteral("\nError of Y : %1%").arg(s.y) +
                 QStringLiteral("\nError of Z : %1%").arg(s.z);
        p.choices = {Retry, Ignore, Abort};
    } else {
        const QString description = errorDescription(m.errorCode);
        p.title = QStringLiteral("Error Measurement");
        p.text = QStringLiteral("There was an error during measurement\n %1").arg(description);
        if (description.contains(QLatin1String("unplugged")))
            p.choices = {Abort};
        else if (m.errorCode == ErrorBits::LowLight)
            p.choices = {Abort, Retry, Ignore}; // a reading all the same: it may be kept
        else
            p.choices = {Abort, Retry};
    }
    *problem = p;
    return true;
}

} // namespace patchcheck
