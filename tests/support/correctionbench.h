#pragma once
// A display of the simulated bench measured without instruments: the light
// its spectra give for each patch, as a perfect meter would read it, and
// the correction model fitted to that. For the correction's unit tests;
// the whole chain through the instruments is the command line's test.

#include "displayfit.h"
#include "displaymodel.h"
#include "patchsets.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace correctionbench {

// What a display shows for a code (0..1 per channel), X, Y, Z in cd/m².
using Light = std::function<correction::Xyz(const Rgb3 &code)>;

// A built-in simulated display, its gamma replaced when gamma > 0.
inline Light simulatedDisplay(const std::string &name, double gamma = 0) {
    const sim::DisplayModel *found = sim::findDisplayModel(name);
    if (!found)
        throw std::invalid_argument("no simulated display " + name);
    sim::DisplayLevels levels;
    levels.gamma = gamma > 0 ? gamma : -1;
    const sim::DisplayModel m = sim::withLevels(*found, levels);
    return [m](const Rgb3 &v) {
        const sim::Tristimulus t = sim::displayLight(m, v[0] * 255, v[1] * 255, v[2] * 255);
        return correction::Xyz{t.X, t.Y, t.Z};
    };
}

inline Rgb3 codeOf(const correction::Patch &p) {
    return {p.code[0] / 255.0, p.code[1] / 255.0, p.code[2] / 255.0};
}

inline std::vector<correction::Sample> measure(const Light &light,
                                               const std::vector<correction::Patch> &patches) {
    std::vector<correction::Sample> out;
    for (const correction::Patch &p : patches)
        out.push_back({codeOf(p), light(codeOf(p))});
    return out;
}

// The model of a display fitted to its characterisation; throws when the
// fit fails (a test then fails with the reason).
inline correction::DisplayModel
fitted(const Light &light, correction::PatchSetSize size = correction::PatchSetSize::Quick) {
    correction::DisplayModel model;
    std::string why;
    if (!model.fit(measure(light, correction::characterisationPatches(size)), &why))
        throw std::runtime_error("fit failed: " + why);
    return model;
}

} // namespace correctionbench
