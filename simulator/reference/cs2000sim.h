#pragma once
// The simulated CS-2000 spectroradiometer: remote mode, identity, ten named
// user-calibration channels (some blank) of which one is selected, and
// measurements that take longer as the light dims, reported as XYZ and as
// the spectrum from 380 to 780 nm. The selected channel persists in the
// state file, like the instrument's own memory.

#include "referencesim.h"

#include <array>
#include <map>
#include <mutex>

namespace sim {

class CS2000Sim : public ReferenceSim {
public:
    CS2000Sim(Scene &scene, std::string linkPath, ReferenceConfig config);
    ~CS2000Sim() override;

    static constexpr int channels = 10;
    // Channel 1 to 10; empty for a blank channel.
    std::string channelName(int channel) const;
    int selectedChannel() const;
    std::string stateError() const override { return stateError_; }
    // Instrument time a measurement of light with luminance Y takes, ms.
    static double measuringMs(double Y);

protected:
    std::string handle(const std::string &frame) override;
    bool streamOutput(Clock::time_point now, std::string &out, Clock::time_point &next) override;
    void powerLost() override;

private:
    using Args = std::vector<std::string>;
    using Handler = std::string (CS2000Sim::*)(const Args &);

    std::string remoteCommand(const Args &a);
    std::string acknowledge(const Args &);
    std::string zeroField(const Args &);
    std::string readChannelCommand(const Args &);
    std::string channelNameCommand(const Args &a);
    std::string selectChannelCommand(const Args &a);
    std::string identifyCommand(const Args &);
    std::string measureCommand(const Args &a);
    std::string dataCommand(const Args &a);

    bool loadState();
    bool saveState() const;

    std::map<std::string, Handler> commands_;
    std::array<std::string, channels + 1> names_; // index 0 unused
    mutable std::mutex lock_;
    int selected_ = 0;
    std::string stateError_;

    // I/O thread only.
    bool remote_ = false;
    bool measuring_ = false;
    bool haveData_ = false;
    Spectrum captured_;
};

} // namespace sim
