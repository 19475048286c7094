#pragma once
// The simulated bench of the runs through a pattern generator: the network
// generator on 127.0.0.2 (a fresh loopback port) driving a Rec. 709 display
// (or another simulated one) in front of the colorimeter, and what the
// colorimeter reads of its light.

#include "colorimetersim.h"
#include "loopbackport.h"
#include "simulator.h"

#include <string>

inline void addDisplayBench(sim::SimulatorOptions &o, const std::string &serial = "PG-RUN",
                            const std::string &display = "rec709") {
    o.withPatternGenerator = true;
    o.patternGenerator.port = useLoopbackPatternPort();
    o.patternGenerator.address = "127.0.0.2";
    o.patternGenerator.serial = serial;
    o.display = display;
}

// A light as the colorimeter reads it: through the instrument's own
// factory-matrix error.
inline sim::Tristimulus colorimeterReading(const sim::Tristimulus &t) {
    const auto &m = sim::ColorimeterSim::matrixError();
    return {m[0][0] * t.X + m[0][1] * t.Y + m[0][2] * t.Z,
            m[1][0] * t.X + m[1][1] * t.Y + m[1][2] * t.Z,
            m[2][0] * t.X + m[2][1] * t.Y + m[2][2] * t.Z};
}
