#pragma once
// What the simulated pattern generator is showing: the last pattern, colour,
// patch box, checker layout and largest code value it was told.

#include <cstdint>

namespace sim {

struct PatternState {
    int width = 1920;
    int height = 1080;
    int pattern = 3; // the colour patch
    int red = 255, green = 255, blue = 255;
    int maxColor = 255;
    int boxX = 480, boxY = 270, boxW = 960, boxH = 540; // the default half-screen patch
    int checkerColumns = 5, checkerRows = 5;
    bool hasImage = false;
};

} // namespace sim
