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

DisplayTarget computeTarget(TargetColour colour, double level, const VideoStandard &standard) {
    const ChannelMask &mask = masks[static_cast<int>(colour)];
    const int channel[3] = {mask.r, mask.g, mask.b};
    // Outside 0..100 IRE the code values would leave the video range.
    const double ire = std::isfinite(level) ? qBound(0.0, level, 100.0) : 0.0;
    const CodeRange &range = standard.range;
    DisplayTarget target;
    int code[3];
    std::array<double, 3> signal;
    for (int c = 0; c < 3; ++c) {
        signal[c] = channel[c] * ire / 100.0;
        code[c] = int(range.low + (range.high - range.low) * signal[c] + 0.5);
    }
    target.colour = QColor(code[0], code[1], code[2], 255);
    const PatchTarget t = signalTarget(signal, standard);
    target.measurement = t.measurement;
    for (int c = 0; c < 3; ++c)
        target.percent[c] = t.percent[c];
    const double white = standard.spec.whiteBigY;
    target.expectedLuminance = standard.curve.transfer == Transfer::Gamma
                                   ? white * std::pow(ire / 100.0, standard.curve.gamma)
                                   : standard.curve.greyNits(ire / 100.0, white);
    return target;
}

DisplayTarget computeTarget(TargetColour colour, double level, int videoMin, int videoMax,
                            double gamma, const GamutSpec &spec) {
    VideoStandard standard;
    standard.spec = spec;
    standard.curve.gamma = gamma;
    standard.range = {videoMin, videoMax, 8};
    return computeTarget(colour, level, standard);
}

DisplayTarget computeTarget(TargetColour colour, double level, const ChromaGamutSpec &settings) {
    return computeTarget(colour, level, settings.currentVideoStandard());
}
