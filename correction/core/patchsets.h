#pragma once
// The patches a display is characterised with and the set its correction
// is verified on, as 8-bit full-range code values.

#include <array>
#include <string>
#include <vector>

namespace correction {

struct Patch {
    std::string name;
    std::array<int, 3> code{}; // 0..255
};

enum class PatchSetSize { Quick, Normal, Thorough };

// "quick", "normal", "thorough"; false for any other word.
bool parsePatchSetSize(const std::string &word, PatchSetSize *size);
// 5, 9 or 17 levels per axis of the cube.
int cubeLevels(PatchSetSize size);
// The cube's code values per axis: n levels spread evenly from 0 to 255.
std::vector<int> cubeCodes(int levels);

// Black, each channel's ramp and the grey ramp (with extra steps near
// black and near white, where a display's curve bends most and the eye
// sees most), then the cube of mixtures. Every code appears once.
std::vector<Patch> characterisationPatches(PatchSetSize size);

// Skin, foliage, sky and other familiar colours, a grey scale, and the
// primaries and secondaries at 75 % and 100 %.
std::vector<Patch> verificationPatches();
// Whether a verification patch is one of the greys (for grey tracking).
bool isGrey(const Patch &p);

} // namespace correction
