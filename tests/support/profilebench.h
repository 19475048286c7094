#pragma once
// The simulated bench profile creation runs on: a network pattern generator
// driving a Rec. 709 display, a CS-2000 as reference and the TV-40 (with its
// factory-matrix error) as colorimeter, all in fast instrument time but with
// their ordinary noise, the colorimeter's memory kept in a state file.

#include "simulator.h"

#include <string>
#include <vector>

inline sim::SimulatorOptions profileBenchOptions(const std::string &dir, int patternPort,
                                                 const std::string &address) {
    sim::SimulatorOptions o;
    o.dir = dir;
    o.colorimeter.timeScale = 0.05;
    o.colorimeter.stateFile = dir + "/colorimeter.state";
    o.withPatternGenerator = true;
    o.patternGenerator.port = patternPort;
    o.patternGenerator.address = address;
    o.patternGenerator.serial = "PG-CAL";
    o.display = "rec709";
    o.displaySettleMs = 50;
    sim::ReferenceConfig cs2000;
    cs2000.model = "CS-2000";
    cs2000.timeScale = 0; // its measuring time is not under test
    o.references.push_back(cs2000);
    return o;
}

// Stabilising time for the bench's display (it settles in displaySettleMs).
constexpr double profileBenchStableSeconds = 0.15;

// tintwell-cli calibrate against the bench in dir, its generator at address,
// before the options a test adds (name, slot, password...).
inline std::vector<std::string> benchCalibrateArgs(const std::string &dir,
                                                   const std::string &address) {
    return {"calibrate",     "--reference",        dir + "/cs2000",
            "--colorimeter", dir + "/colorimeter", "--generator",
            address,         "--stable",           std::to_string(profileBenchStableSeconds)};
}
