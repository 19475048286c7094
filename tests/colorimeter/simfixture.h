#pragma once
// Shared by the tests that run TClmtr against the simulator over real
// pseudo-terminals: a private port directory, a running simulator in fast
// instrument time, and a TClmtr that keeps every delivered record.

#include "simulator.h"
#include "tclmtr.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <unistd.h>
#include <vector>

inline std::string makeTempDir() {
    const char *base = std::getenv("TINTWELL_TEST_HOME");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/simXXXXXX";
    char *dir = ::mkdtemp(&tmpl[0]);
    return dir ? std::string(dir) : std::string();
}

// Instrument time runs 20 times faster than real: a fast reading every
// 3.1 ms, the 1925-byte profile list in about 100 ms.
constexpr double testTimeScale = 0.05;

class SimFixture : public ::testing::Test {
protected:
    sim::SimulatorOptions options(const std::string &model = "TV-40") {
        sim::SimulatorOptions o;
        o.dir = dir_;
        o.colorimeter.model = model;
        o.colorimeter.timeScale = testTimeScale;
        o.colorimeter.noise = 0;
        return o;
    }
    void SetUp() override { dir_ = makeTempDir(); }
    void startSim(const std::string &model = "TV-40") {
        sim_ = std::make_unique<sim::Simulator>(options(model));
        std::string error;
        ASSERT_TRUE(sim_->start(&error)) << error;
    }
    void TearDown() override {
        sim_.reset();
        ::rmdir(dir_.c_str());
    }
    std::string port() const { return dir_ + "/colorimeter"; }
    std::string say(const std::string &line) { return sim_->execute(line); }

    std::string dir_;
    std::unique_ptr<sim::Simulator> sim_;
};

class RecordingClmtr : public TClmtr {
public:
    ~RecordingClmtr() override { close(); }

    // Blocks until at least n records arrived (or a generous time passed).
    std::vector<Measurement> waitFor(std::size_t n, int seconds = 10) {
        std::unique_lock<std::mutex> lock(lock_);
        arrived_.wait_for(lock, std::chrono::seconds(seconds),
                          [&] { return records_.size() >= n; });
        return records_;
    }
    std::vector<Measurement> records() {
        std::lock_guard<std::mutex> lock(lock_);
        return records_;
    }
    void clear() {
        std::lock_guard<std::mutex> lock(lock_);
        records_.clear();
    }

protected:
    void measured(const Measurement &m) override {
        {
            std::lock_guard<std::mutex> lock(lock_);
            records_.push_back(m);
        }
        arrived_.notify_all();
        onRecord(m);
    }
    virtual void onRecord(const Measurement &) {}

private:
    std::mutex lock_;
    std::condition_variable arrived_;
    std::vector<Measurement> records_;
};
