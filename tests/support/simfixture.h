#pragma once
// Shared by the tests that run against the simulator over real
// pseudo-terminals: a simulated colorimeter in its own port directory, in
// fast instrument time, and a TClmtr that keeps every delivered record.

#include "simulator.h"
#include "tclmtr.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Instrument time runs 20 times faster than real: a fast reading every
// 3.1 ms, the 1925-byte profile list in about 100 ms.
class SimInstrument {
public:
    using Adjust = std::function<void(sim::SimulatorOptions &)>;
    explicit SimInstrument(const std::string &model = "TV-40", const Adjust &adjust = nullptr) {
        sim::SimulatorOptions o;
        o.dir = dir_.path();
        o.colorimeter.model = model;
        o.colorimeter.timeScale = 0.05;
        o.colorimeter.noise = 0;
        if (adjust)
            adjust(o);
        sim_ = std::make_unique<sim::Simulator>(o);
        std::string error;
        EXPECT_TRUE(sim_->start(&error)) << error;
    }
    const std::string &dir() const { return dir_.path(); }
    std::string portPath() const { return dir_.file("colorimeter"); }
    std::string say(const std::string &line) { return sim_->execute(line); }
    sim::Simulator &sim() const { return *sim_; }
    sim::Scene &scene() const { return sim_->scene(); }
    sim::ColorimeterSim &colorimeter() const { return sim_->colorimeter(); }

private:
    TempDir dir_;
    std::unique_ptr<sim::Simulator> sim_;
};

class SimFixture : public ::testing::Test {
protected:
    void startSim(const std::string &model = "TV-40",
                  const SimInstrument::Adjust &adjust = nullptr) {
        sim_ = std::make_unique<SimInstrument>(model, adjust);
        dir_ = sim_->dir();
    }
    std::string port() const { return sim_->portPath(); }
    std::string say(const std::string &line) { return sim_->say(line); }

    std::unique_ptr<SimInstrument> sim_;
    std::string dir_; // the simulator's port directory, once started
};

// Records delivered on the worker thread, read by the test thread.
template <typename Record> class RecordQueue {
public:
    // Blocks until at least n records arrived (or a generous time passed).
    std::vector<Record> waitFor(std::size_t n, int seconds = 10) {
        std::unique_lock<std::mutex> lock(lock_);
        arrived_.wait_for(lock, std::chrono::seconds(seconds),
                          [&] { return records_.size() >= n; });
        return records_;
    }
    std::vector<Record> records() {
        std::lock_guard<std::mutex> lock(lock_);
        return records_;
    }

protected:
    void push(const Record &r) {
        {
            std::lock_guard<std::mutex> lock(lock_);
            records_.push_back(r);
        }
        arrived_.notify_all();
    }

private:
    std::mutex lock_;
    std::condition_variable arrived_;
    std::vector<Record> records_;
};

class RecordingClmtr : public TClmtr, public RecordQueue<Measurement> {
public:
    ~RecordingClmtr() override { close(); }

protected:
    void measured(const Measurement &m) override {
        push(m);
        onRecord(m);
    }
    virtual void onRecord(const Measurement &) {}
};
