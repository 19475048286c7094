#pragma once
// The simulated tristimulus colorimeter. It integrates continuously (16 or 8
// readings a second) and answers a reading command with the next completed
// reading; it auto-ranges over six ranges. It sees the light's spectrum
// through three glass filters that only approximate the CIE functions,
// calibrated at the factory on illuminant A, so how wrong it reads depends
// on the spectrum in front of it; photon and dark noise make its readings
// noisier as the light gets dimmer.

#include "filtercolorimeter.h"
#include "flickersensor.h"
#include "nvmemory.h"
#include "scene.h"
#include "serialinstrument.h"

#include <array>
#include <map>
#include <memory>
#include <random>
#include <vector>

namespace sim {

struct ColorimeterConfig {
    std::string model = "TV-40";
    std::string serial; // empty: a default for the model
    int baud = 9600;
    double timeScale = 1.0;
    double noise = 1.0; // 0 gives exact readings
    uint32_t seed = 1;
    // The idealised instrument of earlier benches: it reads the light's CIE
    // X, Y, Z through a fixed matrix error (matrixError()), whatever the
    // spectrum, with a noise floor plus a part proportional to the signal.
    bool ideal = false;
    std::string stateFile; // profiles and stored black level persist here (empty: none)
    // Flicker streaming: older firmware streams 256 samples/s ("T2") at the
    // line's rate; newer firmware 384 samples/s ("T1") at 19200 baud.
    bool olderFirmware = false;
};

// Names the simulator knows (the family's models).
const std::vector<std::string> &colorimeterModels();

class ColorimeterSim : public SerialInstrument {
public:
    ColorimeterSim(Scene &scene, std::string linkPath, ColorimeterConfig config);
    ~ColorimeterSim() override;

    const std::string &model() const { return config_.model; }
    const std::string &serial() const { return config_.serial; }
    bool aimingLights() const { return aiming_; }
    // -1 automatic, 0 hold, 1 to 6 fixed.
    int rangeMode() const { return rangeMode_; }
    void setNoise(double scale) { noise_ = scale; }
    // Sensitivity of the X, Y and Z channels drifted by these percentages
    // since the factory (all 0: none); what a profile made earlier no longer
    // corrects.
    void setDrift(double x, double y, double z);
    std::array<double, 3> drift() const;
    // A cold instrument: from now on the channels read off by up to percent
    // (X by percent, Y by half of it, Z by minus it), settling exponentially
    // with the time constant (s, real time) as the sensor warms up. 0: off.
    void setWarmup(double percent, double seconds);

    // --- Profiles and black level (colorimeterprofiles.cpp, colorimeterblack.cpp) ---
    // Slots 1 to 96; an empty name empties the slot, any other stores a record
    // with that name and the correction a profile made on the rec709 display
    // holds (for the ideal instrument, the exact correction of its error).
    void setProfileName(int slot, const std::string &name);
    // Empty unless the state file exists but could not be read; the simulator
    // then refuses to start rather than overwrite it.
    const std::string &stateError() const { return stateError_; }
    // Slot 1 to 96 as stored: 128 bytes, all 0xFF when empty.
    std::string profileRecord(int slot) const { return memory_->record(slot); }
    // The slot last selected with "D1" and its slot byte (0: none). The
    // instrument reports raw readings whatever is selected: applying the
    // profile's correction is the host's part.
    int selectedSlot() const { return selectedSlot_; }
    // A cap over the lens: readings and black measurements see no light.
    void setDark(bool on) { dark_ = on; }
    bool dark() const { return dark_; }
    using BlackTable = NonVolatileMemory::BlackTable; // range 6 down to 1 by X, Y, Z; thermal
    BlackTable blackRam() const;
    BlackTable blackRom() const { return memory_->blackRom(); }
    // The dark counts the black measurement finds in darkness (before noise).
    static BlackTable darkCounts();
    // The instrument's own matrix, as "Q0" reports it.
    static const std::array<std::array<double, 3>, 3> &ownMatrix();

    // --- Flicker streaming (colorimetersim_flicker.cpp) ---
    // The version "P4" reports.
    const std::string &firmware() const;
    bool streaming() const { return streamingNow_; }
    int streamSampleRate() const { return streamRate_; }
    uint64_t packetsSent() const { return packetsSent_; }
    // The range the stream reports and scales its samples for: 1 to 6, or 0
    // to follow the range mode (automatic: the waveform's peak fits).
    void setForcedRange(int range) { forcedRange_ = range; }
    int forcedRange() const { return forcedRange_; }
    // Samples pushed above the over-saturation level (a light far too strong
    // for the range).
    void setSaturated(bool on) { saturated_ = on; }
    bool saturated() const { return saturated_; }
    static constexpr unsigned fullScaleCounts = 50000; // a sample at the range's limit

    // Full scale of a range in instrument units (cd/m² per channel).
    static double rangeLimit(int range);
    // The ideal instrument's factory matrix error, applied to the true light.
    static const std::array<std::array<double, 3>, 3> &matrixError();
    // The family's filters and factory calibration.
    static const FilterColorimeter &filters();
    // What the instrument reads, on its factory calibration and without
    // noise or drift, of a light: through its filters, or (ideal) the
    // light's X, Y, Z through matrixError().
    static Tristimulus factoryReading(const Spectrum &s, bool ideal = false);

protected:
    std::string handle(const std::string &frame) override;
    // Profiles: the slot byte after "D1" and the "MAT" record are framed by
    // length, since a slot byte or record may itself be a carriage return.
    std::size_t frameLength(const std::string &input) const override;

private:
    using Handler = std::string (ColorimeterSim::*)(const std::string &command);
    struct Reading {
        double v[3];
        int range[3];
        char status;
    };

    std::string identifyCommand(const std::string &);
    std::string profileListCommand(const std::string &);
    std::string readingCommand(const std::string &command);
    std::string aimingCommand(const std::string &command);
    std::string rangeCommand(const std::string &command);
    std::string countsCommand(const std::string &);
    Reading takeReading();
    // What the three channels see now without noise: nothing under the
    // cap, else the factory reading with drift and warm-up applied.
    Tristimulus sensed() const;
    double readingSigma(double value) const;

    // Profiles and black level
    void initCalibration();
    // Frames that depend on the exchange under way; false when the frame is
    // an ordinary command.
    bool handleCalibrationFrame(const std::string &frame, std::string &reply);
    std::string selectCommand(const std::string &);
    std::string beginWriteCommand(const std::string &);
    std::string slotReply(int slot);
    std::string writeCommand(const std::string &frame);
    std::string matrixCommand(const std::string &);
    std::string blackTableCommand(const std::string &command);
    std::string blackMeasureCommand(const std::string &command);
    std::string blackStoreCommand(const std::string &command);
    std::string confirmCommand(const std::string &frame);
    std::string thermalCommand(const std::string &);

    // Flicker streaming
    void initFlicker();
    // "P4", "T1", "T2", "X9", and every frame while streaming; false when the
    // frame is an ordinary command.
    bool handleFlickerFrame(const std::string &frame, std::string &reply);
    void beginFlickerStream(int sampleRate, int baud);
    bool streamOutput(Clock::time_point now, std::string &out, Clock::time_point &next) override;
    void powerLost() override;
    std::string nextFlickerPacket();
    Clock::duration packetPeriod() const;

    Scene &scene_;
    ColorimeterConfig config_;
    std::map<std::string, Handler> commands_;
    std::atomic<bool> aiming_{false};
    std::atomic<int> rangeMode_{-1};
    std::atomic<double> noise_;
    std::atomic<double> drift_[3] = {{0.0}, {0.0}, {0.0}}; // percent per channel
    mutable std::mutex warmupLock_;
    double warmupPercent_ = 0;
    double warmupSeconds_ = 1;
    Clock::time_point warmupFrom_{};
    bool hasLights_;
    double sensitivity_; // how much noisier than the reference model
    std::mt19937 rng_;
    int lastRanges_[3] = {3, 3, 3};
    // The integration clock: readings complete every period from epoch.
    Clock::time_point epoch_;
    double periodMs_ = 0;

    // Profiles and black level
    std::unique_ptr<NonVolatileMemory> memory_;
    std::string stateError_;
    std::atomic<bool> dark_{false};
    std::atomic<int> selectedSlot_{0};
    enum class Awaiting { Command, SlotByte, Confirmation };
    Awaiting awaiting_ = Awaiting::Command; // I/O thread only
    bool writeOpen_ = false;                // "D9" seen; I/O thread only
    mutable std::mutex blackLock_;
    BlackTable blackRam_{};
    bool blackMeasured_ = false; // a "B9" result waits to be stored

    // Flicker streaming; the sensor and packet clock belong to the I/O thread.
    FlickerSensor sensor_;
    std::atomic<bool> streamingNow_{false};
    std::atomic<int> streamRate_{0}; // samples/s, 0 when not streaming
    std::atomic<int> forcedRange_{0};
    std::atomic<bool> saturated_{false};
    std::atomic<uint64_t> packetsSent_{0};
    Clock::time_point firstPacketDue_{};
    long long packetIndex_ = 0;
    int streamRange_ = 3;
};

} // namespace sim
