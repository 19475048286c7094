#pragma once
// The simulated bench of the run commands' tests: the colorimeter, a
// network pattern generator on a loopback address and port of the test's
// own, and the display under test it drives.

#include "loopbackport.h"
#include "simfixture.h"

#include <cstdlib>
#include <memory>
#include <string>

class PatternSimFixture : public SimFixture {
protected:
    // Call from SetUp; the display changes at once unless settleMs is given.
    void startPatternBench(const std::string &address, const std::string &serial,
                           const std::string &display, int settleMs = 0) {
        useLoopbackPatternPort();
        sim::SimulatorOptions o = options();
        o.withPatternGenerator = true;
        o.patternGenerator.port = std::atoi(std::getenv("TINTWELL_PATTERN_PORT"));
        o.patternGenerator.address = address;
        o.patternGenerator.serial = serial;
        o.display = display;
        o.displaySettleMs = settleMs;
        bench_ = std::make_unique<sim::Simulator>(o);
        std::string error;
        ASSERT_TRUE(bench_->start(&error)) << error;
    }
    void TearDown() override {
        bench_.reset();
        SimFixture::TearDown();
    }
    std::unique_ptr<sim::Simulator> bench_;
};
