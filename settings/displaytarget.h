#pragma once
// The colour a display should show for a target patch: its code values for
// the video range and the luminance percentages after the gamma, measured
// against the current gamut standard.

#include "measurement.h"
#include "videotarget.h"

#include <QColor>
#include <QString>
#include <QStringList>

class ChromaGamutSpec;

enum class TargetColour { White, Red, Green, Blue, Cyan, Yellow, Magenta };

struct DisplayTarget {
    QColor colour;                 // code values, alpha 255
    double percent[3] = {0, 0, 0}; // R, G, B in percent of the white
    Measurement measurement;
    // cd/m²: what a display that follows the standard's curve shows for a
    // white patch of this level (white Y (level / 100)^gamma for a gamma).
    double expectedLuminance = 0;
};

// "White", "Red", "Green", "Blue", "Cyan", "Yellow", "Magenta", in that order.
QStringList targetColourNames();
// The colour of one of those names; false when the name is unknown.
bool targetColourFromName(const QString &name, TargetColour &colour);

// level is in IRE (0 to 100; values outside are clamped).
DisplayTarget computeTarget(TargetColour colour, double level, const VideoStandard &standard);
// A gamma standard.
DisplayTarget computeTarget(TargetColour colour, double level, int videoMin, int videoMax,
                            double gamma, const GamutSpec &spec);
// The same with the video range, gamma and standard of the shared settings.
DisplayTarget computeTarget(TargetColour colour, double level, const ChromaGamutSpec &settings);
