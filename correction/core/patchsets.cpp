#include "patchsets.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace correction {

namespace {

// Steps near black and near white beside the evenly spread ramp.
constexpr int detailCodes[] = {2, 4, 6, 8, 12, 16, 24, 239, 247, 251};

std::vector<int> rampCodes(PatchSetSize size) {
    const int steps = size == PatchSetSize::Quick ? 9 : size == PatchSetSize::Normal ? 17 : 33;
    std::set<int> codes(std::begin(detailCodes), std::end(detailCodes));
    for (int c : cubeCodes(steps))
        codes.insert(c);
    return {codes.begin(), codes.end()};
}

std::string level(int code) {
    return std::to_string(code);
}

} // namespace

bool parsePatchSetSize(const std::string &word, PatchSetSize *size) {
    if (word == "quick")
        *size = PatchSetSize::Quick;
    else if (word == "normal")
        *size = PatchSetSize::Normal;
    else if (word == "thorough")
        *size = PatchSetSize::Thorough;
    else
        return false;
    return true;
}

int cubeLevels(PatchSetSize size) {
    return size == PatchSetSize::Quick ? 5 : size == PatchSetSize::Normal ? 9 : 17;
}

std::vector<int> cubeCodes(int levels) {
    std::vector<int> out;
    for (int i = 0; i < levels; ++i)
        out.push_back(static_cast<int>(std::lround(255.0 * i / (levels - 1))));
    return out;
}

std::vector<Patch> characterisationPatches(PatchSetSize size) {
    std::vector<Patch> out;
    std::set<std::array<int, 3>> seen;
    auto add = [&](const std::string &name, const std::array<int, 3> &code) {
        if (seen.insert(code).second)
            out.push_back({name, code});
    };
    add("Black", {0, 0, 0});
    const std::vector<int> ramp = rampCodes(size);
    const char *channel[3] = {"Red", "Green", "Blue"};
    for (int c = 0; c < 3; ++c) {
        for (int v : ramp) {
            std::array<int, 3> code{0, 0, 0};
            code[c] = v;
            add(std::string(channel[c]) + " " + level(v), code);
        }
    }
    for (int v : ramp)
        add("Grey " + level(v), {v, v, v});
    const std::vector<int> cube = cubeCodes(cubeLevels(size));
    for (int b : cube)
        for (int g : cube)
            for (int r : cube)
                add("Cube " + level(r) + " " + level(g) + " " + level(b), {r, g, b});
    return out;
}

std::vector<Patch> verificationPatches() {
    // Familiar colours as a video signal codes them: the reflectances of
    // skin, foliage, sky and flowers under daylight.
    std::vector<Patch> out = {
        {"Dark skin", {115, 82, 68}},     {"Light skin", {194, 150, 130}},
        {"Blue sky", {98, 122, 157}},     {"Foliage", {87, 108, 67}},
        {"Blue flower", {133, 128, 177}}, {"Bluish green", {103, 189, 170}},
        {"Orange", {214, 126, 44}},       {"Purplish blue", {80, 91, 166}},
        {"Moderate red", {193, 90, 99}},  {"Purple", {94, 60, 108}},
        {"Yellow green", {157, 188, 64}}, {"Orange yellow", {224, 163, 46}},
    };
    for (int percent : {20, 40, 60, 80, 100}) {
        const int v = static_cast<int>(std::lround(255.0 * percent / 100));
        out.push_back({"Grey " + std::to_string(percent) + "%", {v, v, v}});
    }
    const struct {
        const char *name;
        int r, g, b;
    } hues[] = {{"Red", 1, 0, 0},  {"Green", 0, 1, 0},   {"Blue", 0, 0, 1},
                {"Cyan", 0, 1, 1}, {"Magenta", 1, 0, 1}, {"Yellow", 1, 1, 0}};
    for (int percent : {75, 100}) {
        const int v = static_cast<int>(std::lround(255.0 * percent / 100));
        for (const auto &h : hues)
            out.push_back({std::string(h.name) + " " + std::to_string(percent) + "%",
                           {h.r * v, h.g * v, h.b * v}});
    }
    return out;
}

bool isGrey(const Patch &p) {
    return p.code[0] == p.code[1] && p.code[1] == p.code[2] && p.code[0] > 0;
}

} // namespace correction
