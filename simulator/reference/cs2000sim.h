#pragma once
// The simulated CS-2000 spectroradiometer, as its maker's communication
// document describes it: commands ended by CR, LF or CR LF and answered with
// the same delimiter; remote mode; identity; the sync setting and the
// selected one of ten named user-calibration channels (some blank), both
// kept in the state file like the instrument's own memory; and the two-step
// measurement: a pre-measurement during which no command is read, then the
// announced measuring time (both longer as the light falls), cancellable
// with "MEAS,0", after which the spectrum and the colorimetric values are
// read in alphanumeric or hexadecimal form.

#include "referencesim.h"

#include <array>
#include <map>
#include <mutex>
#include <utility>

namespace sim {

class CS2000Sim : public ReferenceSim {
public:
    CS2000Sim(Scene &scene, std::string linkPath, ReferenceConfig config);
    ~CS2000Sim() override;

    static constexpr int channels = 10;
    // Luminance above which a measurement is over range (cd/m², at the 1°
    // measuring angle the simulated instrument reports).
    static constexpr double rangeLimit = 5000;
    // Channel 1 to 10; empty for a blank channel.
    std::string channelName(int channel) const;
    int selectedChannel() const;
    // Sync mode (0 none, 1 internal, 2 external) and frequency (Hz x 100).
    std::pair<int, int> sync() const;
    // How often a sync setting was written into the instrument's memory.
    int syncWrites() const { return syncWrites_; }
    std::string stateError() const override { return stateError_; }
    // Instrument time of the pre-measurement of light with luminance Y, ms,
    // and the measuring time it then announces, s.
    static double preMeasurementMs(double Y);
    static int measuringSeconds(double Y);
    // Measurements end with error-check code ERnn instead of their data
    // (0: as the light and the settings allow). Over range (10) is found by
    // the pre-measurement; the others at the end of the measurement.
    void setMeasureError(int code) { measureError_ = code; }
    // A serial number the instrument can have: seven digits.
    static bool validSerial(const std::string &serial);

protected:
    std::size_t frameLength(const std::string &input) const override;
    std::string handle(const std::string &frame) override;
    bool streamOutput(Clock::time_point now, std::string &out, Clock::time_point &next) override;
    void powerLost() override;

private:
    using Args = std::vector<std::string>;
    using Handler = std::string (CS2000Sim::*)(const Args &);

    std::string ok(const std::vector<std::string> &fields = {}) const;
    std::string error(int code) const;

    std::string remoteCommand(const Args &a);
    std::string identifyCommand(const Args &a);
    std::string readSyncCommand(const Args &a);
    std::string setSyncCommand(const Args &a);
    std::string zeroField(const Args &a);
    std::string switchCommand(const Args &a);
    std::string readChannelCommand(const Args &a);
    std::string channelParameterCommand(const Args &a);
    std::string selectChannelCommand(const Args &a);
    std::string measureCommand(const Args &a);
    std::string dataCommand(const Args &a);

    bool loadState();
    bool saveState() const;

    std::map<std::string, Handler> commands_;
    std::array<std::string, channels + 1> names_; // index 0 unused
    mutable std::mutex lock_;
    int selected_ = 0;
    int syncMode_ = 1, syncCentiHz_ = 6000;
    std::string stateError_;
    std::atomic<int> syncWrites_{0};
    std::atomic<int> measureError_{0};

    // I/O thread only.
    std::string delimiter_ = "\r"; // of the command being answered
    std::string endDelimiter_;     // of the "MEAS,1" whose end is awaited
    int remote_ = 0;               // 0 off, 1 on, 2 on without storing settings
    bool measuring_ = false;
    int endError_ = 0; // the code the measurement under way ends with
    int measuredSeconds_ = 0;
    int measuredChannel_ = 0;
    bool haveData_ = false;
    Spectrum captured_;
};

} // namespace sim
