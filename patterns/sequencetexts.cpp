#include "sequencetexts.h"

#include <QtGlobal>

#include <cmath>

namespace sequencetexts {

namespace {

struct PatchSize {
    double origin; // fraction of the area from the top-left corner
    double size;   // fraction of the area
    const char *bare;
    const char *sized;
};

// 3/4 sits at 0.145, not centred at 0.125: the generator's layout.
const PatchSize patchSizes[patchSizeCount] = {
    {0.375, 0.25, "1/4 of Screen", "1/4 of Screen (%1x%2)"},
    {0.25, 0.5, "1/2 of Screen (Default)", "1/2 of Screen (%1x%2) (Default)"},
    {0.145, 0.75, "3/4 of Screen", "3/4 of Screen (%1x%2)"},
    {0.0, 1.0, "Full Screen", "Full Screen (%1x%2)"},
};

const PatchSize &sizeAt(int index) {
    return patchSizes[index >= 0 && index < patchSizeCount ? index : defaultPatchSize];
}

} // namespace

QRect patchRect(int index, int width, int height) {
    const PatchSize &p = sizeAt(index);
    return QRect(static_cast<int>(p.origin * width), static_cast<int>(p.origin * height),
                 static_cast<int>(p.size * width), static_cast<int>(p.size * height));
}

QRect windowRect(double percent, int width, int height) {
    const double p = qBound(minWindowPercent, percent, maxWindowPercent);
    const double side = std::sqrt(p / 100.0);
    const int w = qBound(1, qRound(width * side), qMax(1, width));
    const int h = qBound(1, qRound(height * side), qMax(1, height));
    return QRect((width - w) / 2, (height - h) / 2, w, h);
}

QString windowLabel(double percent, int width, int height) {
    const QString share = QStringLiteral("%1 % window").arg(percent);
    if (width <= 0 || height <= 0)
        return share;
    const QRect r = windowRect(percent, width, height);
    return QStringLiteral("%1 (%2x%3)").arg(share).arg(r.width()).arg(r.height());
}

QString patchSizeLabel(int index, int width, int height) {
    const PatchSize &p = sizeAt(index);
    if (width == 0 && height == 0)
        return QLatin1String(p.bare);
    return QString::fromLatin1(p.sized).arg(p.size * width).arg(p.size * height);
}

QString patchCounter(int index, int count) {
    return QStringLiteral("Patch %1/%2").arg(index).arg(count);
}

QString stabilisingText(double secondsLeft) {
    return QStringLiteral("Stabilizing in...%1").arg(secondsLeft);
}

} // namespace sequencetexts
