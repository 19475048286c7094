#pragma once
// A simulated bench with the three reference instruments (CS-2000, PR-650,
// BM-7) beside the colorimeter, answering at once and without noise.

#include "simulator.h"

#include <string>

inline sim::SimulatorOptions referenceBenchOptions(const std::string &dir) {
    sim::SimulatorOptions o;
    o.dir = dir;
    o.colorimeter.timeScale = 0.05;
    o.colorimeter.noise = 0;
    for (const char *model : {"CS-2000", "PR-650", "BM-7"}) {
        sim::ReferenceConfig r;
        r.model = model;
        r.timeScale = 0; // measuring time is not under test
        r.noise = 0;
        o.references.push_back(r);
    }
    return o;
}
