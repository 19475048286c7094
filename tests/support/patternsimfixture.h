#pragma once
// The simulated bench of the run commands' tests: beside the colorimeter, a
// network pattern generator on a loopback address and the test's own port
// (call useLoopbackPatternPort() first), driving the display under test.

#include "loopbackport.h"
#include "simfixture.h"

#include <cstdlib>
#include <string>

// For startSim: the display changes at once unless settleMs is given.
inline SimInstrument::Adjust withPatternGenerator(const std::string &address,
                                                  const std::string &serial,
                                                  const std::string &display, int settleMs = 0) {
    return [=](sim::SimulatorOptions &o) {
        o.withPatternGenerator = true;
        o.patternGenerator.port = std::atoi(std::getenv("TINTWELL_PATTERN_PORT"));
        o.patternGenerator.address = address;
        o.patternGenerator.serial = serial;
        o.display = display;
        o.displaySettleMs = settleMs;
    };
}
