// The simulated colorimeter's black level: the tables in working ("B4") and
// permanent ("B8") memory, a dark measurement ("B9") that sees whatever light
// reaches the sensor, storing it ("B7" and the confirmation code), and the
// thermal coefficients ("S0").
#include "colorimetersim.h"

#include "calibrationwire.h"

#include <cmath>

namespace sim {

namespace {

constexpr double blackMeasureMs = 4000; // ms: the instrument integrates in the dark
constexpr unsigned thermalCount = 1480;
constexpr double darkFullScale = 60000; // counts of a full-scale signal
constexpr double countNoise = 1.5;      // counts, at noise scale 1
const char *const confirmationCode = "{73918264}#&!";

// Table position i holds range 6 - i / 3, channel i % 3.
int rangeAt(std::size_t i) {
    return 6 - static_cast<int>(i / 3);
}

double thermalCoefficient(int range, int channel) {
    return 0.35 - 0.12 * range + 0.05 * channel;
}

} // namespace

ColorimeterSim::BlackTable ColorimeterSim::darkCounts() {
    BlackTable t{};
    for (std::size_t i = 0; i + 1 < t.size(); ++i)
        t[i] = 1000 + 60 * static_cast<unsigned>(rangeAt(i)) + 17 * static_cast<unsigned>(i % 3);
    t.back() = thermalCount;
    return t;
}

ColorimeterSim::BlackTable ColorimeterSim::blackRam() const {
    std::lock_guard<std::mutex> lock(blackLock_);
    return blackRam_;
}

std::string ColorimeterSim::blackTableCommand(const std::string &command) {
    const BlackTable t = command == "B4" ? blackRam() : blackRom();
    return clmtrwire::blackTableReply(command, t, '0');
}

std::string ColorimeterSim::blackMeasureCommand(const std::string &command) {
    if (!waitUntil(Clock::now() + scaled(blackMeasureMs)))
        return {};
    // Light that reaches the sensor adds to the dark counts; in bright light
    // the low ranges saturate.
    const Tristimulus t = sensed();
    const double signal[3] = {std::fabs(t.X), std::fabs(t.Y), std::fabs(t.Z)};

    BlackTable table = darkCounts();
    bool saturated = false;
    std::normal_distribution<double> gauss(0.0, 1.0);
    for (std::size_t i = 0; i + 1 < table.size(); ++i) {
        double counts = table[i] + signal[i % 3] / rangeLimit(rangeAt(i)) * darkFullScale +
                        noise_ * countNoise * gauss(rng_);
        if (counts > 65535) {
            counts = 65535;
            saturated = true;
        }
        table[i] = static_cast<unsigned>(std::lround(std::max(0.0, counts)));
    }
    {
        std::lock_guard<std::mutex> lock(blackLock_);
        blackRam_ = table;
        blackMeasured_ = true;
    }
    return clmtrwire::blackTableReply(command, table, saturated ? 'X' : (aiming_ ? 'L' : '0'));
}

std::string ColorimeterSim::blackStoreCommand(const std::string &) {
    awaiting_ = Awaiting::Confirmation;
    return "B7";
}

std::string ColorimeterSim::confirmCommand(const std::string &frame) {
    if (frame != std::string(confirmationCode) + "\r")
        return "<e>";
    BlackTable measured;
    {
        std::lock_guard<std::mutex> lock(blackLock_);
        if (!blackMeasured_)
            return "<e>"; // nothing measured to store
        measured = blackRam_;
    }
    if (!memory_->setBlackRom(measured))
        return "<e>";
    std::lock_guard<std::mutex> lock(blackLock_);
    blackMeasured_ = false;
    return "<0>";
}

std::string ColorimeterSim::thermalCommand(const std::string &) {
    std::array<double, 18> c{};
    for (std::size_t i = 0; i < c.size(); ++i)
        c[i] = thermalCoefficient(rangeAt(i), static_cast<int>(i % 3));
    return clmtrwire::thermalReply(c);
}

} // namespace sim
