#pragma once
// Protocol library of the colorimeter family ("T-..." and "TV-..." models):
// connection, identification, commands with their interlocks, and a worker
// thread that reads the instrument continuously and hands every averaged
// reading to measured(). No Qt, no exceptions escaping: operations return a
// result code (0 success) or record it in lastError, which is OR-ed into the
// next delivered record.

#include "averaging.h"
#include "flicker.h"
#include "measurement.h"
#include "protocol.h"
#include "seriallink.h"
#include "transaction.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TClmtr {
public:
    TClmtr();
    // Runs over the given link instead of a real serial port (tests).
    explicit TClmtr(std::unique_ptr<SerialLink> link);
    // Subclasses that override the callbacks must call close() or stopThread()
    // in their own destructor, so the worker never calls into a dead object.
    virtual ~TClmtr();
    TClmtr(const TClmtr &) = delete;
    TClmtr &operator=(const TClmtr &) = delete;

    // --- connection ---
    bool connect(const std::string &portName);
    void close();
    // Liveness of the port; a port that went away is closed first.
    bool isConnected();

    struct ProbeResult {
        bool found = false;
        std::string model;
        std::string serialNumber;
    };
    // Opens portName briefly and asks who is there.
    static ProbeResult probe(const std::string &portName);

    // --- commands ---
    // Every command from outside the worker goes through here: it stops
    // continuous measuring (unless this is a reading command) and streaming
    // first, so the port has one user at a time. The result goes to lastError.
    clmtr::Reply sendCommand(const std::string &command, int replyLength, int weight);
    // Reply length and weight from the command table.
    clmtr::Reply sendCommand(const std::string &command);

    uint32_t setAimingLights(bool on);
    // -1 automatic, 0 hold, 1 to 6 fixed.
    uint32_t setRange(int range);

    // --- continuous measuring ---
    void startMeasuring();
    void stopMeasuring();
    void stopThread();
    bool isMeasuring() const { return measuringActive_; }
    // The worker is between its start and its end (it ends by itself when the
    // instrument is lost).
    bool isThreadRunning() const { return threadState_ == Running; }
    // False when n is the current value or outside 1 to 128; otherwise stops
    // measuring and stores n (measuring stays stopped).
    bool setMaxAverage(int n);
    int maxAverage() const { return maxAverage_; }
    // 1 normal (8 readings a second), anything else fast (16 a second). Stops
    // an active measurement.
    void setSpeed(int speed);
    int speed() const { return speed_; }
    void setGamutSpec(const GamutSpec &spec);
    GamutSpec gamutSpec() const;

    // Blocking: count readings averaged, or with count < 1 adaptively up to
    // maxAverage. Continuous measuring is stopped first.
    Measurement measureOnce(int count = 0);

    // Decodes one reading reply, averages it with the ring and derives every
    // field (worker thread, or measureOnce's caller).
    Measurement parseReading(const std::string &reply, bool lowLightStop);

    // The last delivered record (possibly one reading old); fresh is cleared.
    Measurement lastMeasurement(bool *fresh = nullptr);

    // --- identity ---
    std::string model() const { return model_; }
    std::string serialNumber() const { return serialNumber_; }
    std::string portName() const { return port_->portName(); }
    std::string firmwareVersion() const { return firmwareVersion_; }
    int rangeSetting() const { return rangeSetting_; }
    uint32_t lastError() const { return lastError_; }
    bool firmwareIsNewer() const { return clmtr::firmwareIsNewer(firmwareVersion_); }
    double modelFactor() const { return clmtr::modelFactor(model_); }

    // --- profiles ---
    const std::vector<std::string> &profileNames() const { return profileNames_; }
    int currentProfile() const { return currentProfile_; }
    std::string currentProfileName() const { return currentProfileName_; }

protected:
    // Called on the worker thread. The base class does nothing.
    virtual void measured(const Measurement &m) { (void)m; }
    virtual void flickered(const Flicker &f) { (void)f; }

    enum ThreadState { NotStarted = 0, Running = 1, Ended = 2 };
    enum ThreadMode { MeasureMode = 0, StreamMode = 1 };

private:
    void startThread(ThreadMode mode);
    // Asks the worker to stop and, unless called from it, waits for it to end.
    void haltWorker();
    void joinEnded(); // joins every worker that has ended (never the caller)
    bool onWorker() const;
    void workerMain(unsigned generation);
    void measureStep(unsigned generation);
    bool workerShouldRun(unsigned generation) const;
    const char *readingCommand() const;
    double thresholdScale() const;

    // Profile handling: the list comes from "D7"; selecting a stored slot
    // loads its record into profileMatrix_.
    void restoreProfileSelection();
    void selectFactoryProfile();
    void resetFlickerBuffers();

    std::unique_ptr<SerialLink> port_;
    bool portOpened_ = false;
    std::string model_;
    std::string serialNumber_;
    std::string firmwareVersion_;
    std::atomic<uint32_t> lastError_{0};
    int rangeSetting_ = -1;

    std::vector<std::string> profileNames_;
    int currentProfile_ = 0;
    std::string currentProfileName_;
    Mat3 profileMatrix_{};

    std::atomic<int> speed_{0};
    std::atomic<int> maxAverage_{32};
    clmtr::ReadingAverager rings_; // used by one thread at a time

    std::atomic<bool> measuringActive_{false};
    std::atomic<bool> streamingActive_{false};
    std::atomic<bool> threadEverRan_{false};

    // Thread control: polled flags, no lock around the port.
    std::atomic<int> runFlag_{2}; // 1 run, 2 stop requested
    std::atomic<int> threadState_{NotStarted};
    std::atomic<int> threadMode_{MeasureMode};
    std::atomic<std::thread::id> threadId_{};
    // A worker that restarts measuring from its own callback hands over to a
    // new worker; the generation tells the old loop it is no longer wanted.
    std::atomic<unsigned> generation_{0};
    std::mutex handleLock_; // guards worker_ and retired_
    std::thread worker_;
    std::vector<std::thread> retired_; // workers replaced from their own callback

    mutable std::mutex recordLock_; // guards gamutSpec_ and the last records
    GamutSpec gamutSpec_ = GamutSpec::standardSpec(2, 100.0);
    Measurement lastMeasurement_;
    bool measurementFresh_ = false;
};
