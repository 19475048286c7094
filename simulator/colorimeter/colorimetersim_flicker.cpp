// The simulated colorimeter's flicker side: the "P4" reply, and the sample
// stream started by "T1" (newer firmware: 384 samples/s at 19200 baud) or
// "T2" (256 samples/s at the line's rate) and ended by "X9". Video models
// only; while streaming the instrument ignores every other command.
#include "colorimetersim.h"

#include "colorimeterwire.h"
#include "flickerwire.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {
const std::string olderVersion = "01.08fc";
const std::string newerVersion = "01.12ak";
constexpr int olderRate = 256; // samples/s
constexpr int newerRate = 384; // samples/s
constexpr int streamBaud = 19200;
constexpr int samplesPerPacket = 32;
constexpr double saturatedMean = 63000;  // counts: even a steady light is over 61000
constexpr double fastStreamScale = 0.05; // "answer at once" still paces the stream, 20 times fast
constexpr int catchUpPackets = 4;        // a late I/O thread sends at most this many at once
const auto hostSwitchTime = std::chrono::milliseconds(20); // the host follows the baud switch

bool isVideoModel(const std::string &model) {
    return model.compare(0, 3, "TV-") == 0;
}
} // namespace

const std::string &ColorimeterSim::firmware() const {
    return config_.olderFirmware ? olderVersion : newerVersion;
}

void ColorimeterSim::initFlicker() {
    // Replies and stream bytes sent while the host's line runs at another
    // rate arrive garbled: a host that misses the baud switch hears noise.
    setLineRateCheck(true);
}

bool ColorimeterSim::handleFlickerFrame(const std::string &frame, std::string &reply) {
    const std::string command =
        frame.size() == 3 && frame[2] == '\r' ? frame.substr(0, 2) : std::string();
    if (command == "X9") {
        stopStream();
        streamingNow_ = false;
        streamRate_ = 0;
        setBaud(config_.baud);
        return true; // no reply
    }
    if (!isVideoModel(config_.model))
        return false; // the others do not know the flicker commands
    if (command == "T1" && !config_.olderFirmware) {
        beginFlickerStream(newerRate, streamBaud);
        return true;
    }
    if (command == "T2") {
        beginFlickerStream(olderRate, config_.baud);
        return true;
    }
    if (streamingNow_)
        return true; // busy streaming
    if (command == "P4") {
        const int rate = config_.olderFirmware ? olderRate : newerRate;
        reply = clmtrwire::responseReply(config_.model, config_.serial, firmware(),
                                         FlickerSensor::responseValues(rate));
        return true;
    }
    return false;
}

SerialInstrument::Clock::duration ColorimeterSim::packetPeriod() const {
    const double scale = timeScale() > 0 ? timeScale() : fastStreamScale;
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(scale * samplesPerPacket / streamRate_));
}

void ColorimeterSim::beginFlickerStream(int sampleRate, int baud) {
    stopStream(); // a new start restarts the stream
    streamRate_ = sampleRate;
    sensor_.restart(sampleRate);
    packetIndex_ = 0;
    setBaud(baud);
    // The first packet goes once 32 samples are taken, and not before the
    // host can have followed a baud switch.
    firstPacketDue_ = Clock::now() + std::max<Clock::duration>(packetPeriod(), hostSwitchTime);
    streamingNow_ = true;
    startStream(firstPacketDue_);
}

void ColorimeterSim::powerLost() {
    streamingNow_ = false;
    streamRate_ = 0;
    setBaud(config_.baud);
}

bool ColorimeterSim::streamOutput(Clock::time_point now, std::string &out,
                                  Clock::time_point &next) {
    if (!streamingNow_)
        return false;
    const Clock::duration period = packetPeriod();
    auto due = [&](long long k) { return firstPacketDue_ + period * k; };
    int sent = 0;
    while (due(packetIndex_) <= now && sent < catchUpPackets) {
        out += nextFlickerPacket();
        ++packetIndex_;
        ++sent;
    }
    if (due(packetIndex_) <= now) {
        // Far behind (a stalled thread): the instrument's buffer overran and
        // those packets are gone; carry on from now.
        firstPacketDue_ = now + period - period * packetIndex_;
    }
    next = due(packetIndex_);
    return true;
}

std::string ColorimeterSim::nextFlickerPacket() {
    const Tristimulus t = sensed();
    const double v[3] = {t.X, t.Y, t.Z};

    const FlickerWave &wave = scene_.flicker();
    const int forced = forcedRange_;
    const int mode = rangeMode_;
    if (forced >= 1 && forced <= 6) {
        streamRange_ = forced;
    } else if (mode >= 1 && mode <= 6) {
        streamRange_ = mode;
    } else if (mode < 0) {
        // Automatic: the smallest range the waveform's peak fits.
        const double peak = std::fabs(v[1]) * wave.peak();
        streamRange_ = 1;
        while (streamRange_ < 6 && peak > rangeLimit(streamRange_))
            ++streamRange_;
    } // mode 0 holds the range
    sensor_.setPair((streamRange_ - 1) / 2);
    const FlickerSensor::Packet p = sensor_.next(wave);

    const double perCount = rangeLimit(streamRange_) / fullScaleCounts; // cd/m² per count
    const double mean = std::max(v[1], 0.0) / perCount;                 // counts
    const double gain = saturated_ && mean > 0 ? saturatedMean / mean : 1.0;
    std::normal_distribution<double> gauss(0.0, 1.0);
    const double sigma = 2.0 * noise_ * sensitivity_; // counts
    std::array<uint16_t, 32> samples{};
    for (std::size_t i = 0; i < samples.size(); ++i) {
        double c = mean * p.level[i] * gain;
        if (sigma > 0)
            c += sigma * gauss(rng_);
        samples[i] = static_cast<uint16_t>(std::clamp(std::lround(c), 0L, 65535L));
    }
    ++packetsSent_;
    return clmtrwire::flickerPacket(samples, v[0] * p.mean, v[1] * p.mean, v[2] * p.mean,
                                    streamRange_, aiming_ ? 'L' : '0');
}

} // namespace sim
