#pragma once
// The simulated bench of the runs through a pattern generator: the network
// generator on 127.0.0.2 (a fresh loopback port) driving a Rec. 709 display
// (or another simulated one) in front of the colorimeter.

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
