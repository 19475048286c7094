// Readings per second delivered by continuous measuring against the simulated
// colorimeter in real instrument time, fast and normal speed, and the latency
// from the last byte of a reading leaving the instrument to the measured()
// callback (both clocks in this process).
//
//   bench_colorimeter_rate [--seconds S] [--runs R]
#include "benchstats.h"
#include "simulator.h"
#include "tclmtr.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class TimedClmtr : public TClmtr {
public:
    explicit TimedClmtr(sim::ColorimeterSim &instrument) : instrument_(instrument) {}
    ~TimedClmtr() override { close(); }

    void reset() {
        std::lock_guard<std::mutex> lock(lock_);
        arrivals_.clear();
        latenciesUs_.clear();
        failures_ = 0;
    }
    void take(std::vector<Clock::time_point> &arrivals, std::vector<double> &latencies,
              int &failures) {
        std::lock_guard<std::mutex> lock(lock_);
        arrivals = arrivals_;
        latencies = latenciesUs_;
        failures = failures_;
    }

protected:
    void measured(const Measurement &m) override {
        const auto now = Clock::now();
        const auto lastByte = instrument_.lastReplyEnd();
        std::lock_guard<std::mutex> lock(lock_);
        if (m.errorCode & 0x7) {
            ++failures_;
            return;
        }
        arrivals_.push_back(now);
        latenciesUs_.push_back(std::chrono::duration<double, std::micro>(now - lastByte).count());
    }

private:
    sim::ColorimeterSim &instrument_;
    std::mutex lock_;
    std::vector<Clock::time_point> arrivals_;
    std::vector<double> latenciesUs_;
    int failures_ = 0;
};

struct RunResult {
    double rate = 0;       // readings a second
    double latencyUs = 0;  // median
    double latencyP99 = 0; // µs
    int readings = 0;
    int failures = 0;
};

RunResult run(TimedClmtr &c, int speed, double seconds) {
    c.setSpeed(speed);
    c.reset();
    c.startMeasuring();
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // let the averaging ring settle
    c.reset();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    c.stopMeasuring();
    std::vector<Clock::time_point> arrivals;
    std::vector<double> latencies;
    RunResult r;
    c.take(arrivals, latencies, r.failures);
    r.readings = static_cast<int>(arrivals.size());
    if (arrivals.size() > 1)
        r.rate = (arrivals.size() - 1) /
                 std::chrono::duration<double>(arrivals.back() - arrivals.front()).count();
    r.latencyUs = median(latencies);
    r.latencyP99 = percentile(latencies, 0.99);
    return r;
}

} // namespace

int main(int argc, char **argv) {
    double seconds = 10;
    int runs = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--seconds"))
            seconds = std::atof(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--runs"))
            runs = std::atoi(argv[i + 1]);
    }
    if (seconds <= 0 || runs <= 0) {
        std::fprintf(stderr, "usage: %s [--seconds S] [--runs R]\n", argv[0]);
        return 2;
    }

    char tmpl[] = "/tmp/tintwell-bench-XXXXXX";
    const char *dir = ::mkdtemp(tmpl);
    if (!dir)
        return 1;
    sim::SimulatorOptions options;
    options.dir = dir;
    options.colorimeter.model = "TV-40";
    options.colorimeter.timeScale = 1.0; // real instrument time: the point of this benchmark
    sim::Simulator simulator(options);
    std::string error;
    if (!simulator.start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }
    simulator.scene().setXYZ(95, 100, 108);

    int status = 0;
    {
        TimedClmtr c(simulator.colorimeter());
        if (!c.connect(std::string(dir) + "/colorimeter")) {
            std::fprintf(stderr, "could not connect to the simulated colorimeter\n");
            status = 1;
        } else {
            struct Mode {
                const char *name;
                int speed;
                double target; // readings a second
            } modes[] = {{"fast", 0, 15.5}, {"normal", 1, 7.8}};
            for (const Mode &m : modes) {
                std::vector<double> rates, lat;
                for (int i = 0; i < runs; ++i) {
                    RunResult r = run(c, m.speed, seconds);
                    std::printf("%-6s run %d: %6.2f readings/s (%d readings, %d failed), "
                                "latency median %.0f us, p99 %.0f us\n",
                                m.name, i + 1, r.rate, r.readings, r.failures, r.latencyUs,
                                r.latencyP99);
                    rates.push_back(r.rate);
                    lat.push_back(r.latencyUs);
                }
                const double rate = median(rates), latency = median(lat);
                std::printf("%-6s median: %.2f readings/s (target >= %.1f), latency median %.0f us "
                            "(target < 2000 us)\n",
                            m.name, rate, m.target, latency);
                std::fflush(stdout);
                if (rate < m.target || latency >= 2000)
                    status = 3;
            }
        }
    }
    simulator.stop();
    ::rmdir(dir);
    return status;
}
