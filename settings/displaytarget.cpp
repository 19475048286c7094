#include "displaytarget.h"

#include "chromagamutspec.h"

#include <QtGlobal>

#include <cmath>

namespace {

struct ChannelMask {
    const char *name;
    int r, g, b;
};

const ChannelMask masks[] = {
    {"White", 1, 1, 1}, {"Red", 1, 0, 0},    {"Green", 0, 1, 0},   {"Blue", 0, 0, 1},
    {"Cyan", 0, 1, 1},  {"Yellow", 1, 1, 0}, {"Magenta", 1, 0, 1},
};

} // namespace

QStringList targetColourNames() {
    QStringList names;
    for (const ChannelMask &m : masks)
        names << QString::fromLatin1(m.name);
    return names;
}

bool targetColourFromName(const QString &name, TargetColour &colour) {
    for (int i = 0; i < int(sizeof masks / sizeof masks[0]); ++i) {
        if (name == QLatin1String(masks[i].name)) {
            colour = static_cast<TargetColour>(i);
            return true;
        }
    }
    return false;
}

DisplayTarget computeTarget(TargetColour colour, double level, int videoMin, int videoMax,
                            double gamma, const GamutSpec &spec) {
    const ChannelMask &mask = masks[static_cast<int>(colour)];
    const int channel[3] = {mask.r, mask.g, mask.b};
    // Outside 0..100 IRE the code values would leave the video range.
    const double ire = std::isfinite(level) ? qBound(0.0, level, 100.0) : 0.0;
    DisplayTarget target;
    int code[3];
    for (int c = 0; c < 3; ++c) {
        const double fraction = channel[c] * ire / 100.0;
        code[c] = int(videoMin + (videoMax - videoMin) * fraction + 0.5);
        target.percent[c] = 100.0 * std::pow(fraction, gamma);
    }
    target.colour = QColor(code[0], code[1], code[2], 255);
    target.expectedLuminance = spec.whiteBigY * std::pow(ire / 100.0, gamma);
    target.measurement =
        Measurement::fromRGB(target.percent[0], target.percent[1], target.percent[2], spec);
    return target;
}

DisplayTarget computeTarget(TargetColour colour, double level, const ChromaGamutSpec &settings) {
    return computeTarget(colour, level, settings.videoMin(), settings.videoMax(), settings.gamma(),
                         settings.currentGamut().spec);
}
