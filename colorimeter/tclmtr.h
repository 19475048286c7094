#pragma once
// Protocol library of the colorimeter family ("T-..." and "TV-..." models):
// connection, identification, commands with their interlocks, and a worker
// thread that reads the instrument continuously and hands every averaged
// reading to measured(). No Qt, no exceptions escaping: operations return a
// result code (0 success) or record it in lastError, which is OR-ed into the
// next delivered record.

#include "averaging.h"
#include "blackmatrix.h"
#include "flicker.h"
#include "flickerresponse.h"
#include "matrix.h"
#include "measurement.h"
#include "protocol.h"
#include "seriallink.h"
#include "transaction.h"

#include <array>
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
    // Why the last connect() failed.
    enum class ConnectFailure {
        None,
        NoSuchPort,          // nothing at that name
        PortBusy,            // another program holds the port
        CannotOpen,          // no permission, not a serial device, ...
        NoAnswer,            // the port opened but nothing came back
        NotIdentified,       // bytes came back but named no colorimeter of the family
        LostWhileConnecting, // identified, then the profile list did not arrive
    };
    ConnectFailure connectFailure() const { return connectFailure_; }
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
    // first, so the port has one user at a time. A reply that should start
    // with the command's echo and does not is refused (ErrorBits::BadReply)
    // and the line drained. The result goes to lastError.
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
    bool isThreadRunning() const { return threadState_ == ThreadState::Running; }
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

    // Blocking: count readings averaged (all of them, up to measureOnceLimit;
    // above it nothing is measured and errorCode is 4), or with count < 1
    // adaptively up to maxAverage. Continuous measuring is stopped first.
    // Damaged replies are skipped; badReplyLimit of them in a row end it with
    // ErrorBits::BadReply and a time-out.
    Measurement measureOnce(int count = 0);
    static constexpr int measureOnceLimit = 65536; // over an hour at 16 readings a second
    // Damaged replies in a row that count as an instrument no longer heard.
    static constexpr int badReplyLimit = 3;

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
    // Slot 0 is the factory calibration; slots 1 to 96 hold user profiles
    // ("Blank" when empty). Every operation that changes the profile in force
    // stops continuous measuring and streaming first.
    const std::vector<std::string> &profileNames() const { return profileNames_; }
    // "i: name" for slots 0 to 96.
    std::vector<std::string> profileLabels() const;
    int currentProfile() const { return currentProfile_; }
    std::string currentProfileName() const { return currentProfileName_; }
    int pendingSlot() const { return pendingSlot_; }
    // The 3 x 3 correction in force (identity for the factory profile).
    matrix profileMatrix() const;
    // Loads slot's matrix from the instrument; an empty slot (or 0) selects
    // the factory profile without asking. A failed selection keeps the
    // previous profile; a slot outside 0 to 96 is refused (0x20000) with
    // nothing sent. Returns lastError.
    uint32_t selectProfile(int slot);

    struct ProfileMatrices {
        matrix correction; // 3 x 3
        matrix rgb;        // 3 x 3
    };
    // reference and measured: X, Y, Z of white, red, green, blue (12 each).
    // A degenerate set sets 0x10000 in lastError.
    ProfileMatrices computeProfile(const double *reference, const double *measured);
    // computeProfile, then writeProfile; nothing is written when the set is
    // degenerate. Returns lastError (0 success).
    int saveProfile(int slot, const std::string &name, const double *reference,
                    const double *measured);
    // Stores a record in slot and re-reads the list; a failed or refused write
    // sets 0x20000 and leaves the list as it was. Returns lastError.
    uint32_t writeProfile(int slot, const std::string &name, const matrix &correction,
                          const matrix &rgb);
    // Erases slot 1 to 96, switching to the factory profile first when slot
    // is in force. Returns lastError.
    int deleteProfile(int slot);

    // --- black level ---
    // Each result's status is lastError after the operation (0 success).
    BlackMatrix readBlackRam();            // "B4", working memory
    BlackMatrix readBlackRom();            // "B8", permanent memory
    BlackMatrix readThermalCoefficients(); // "S0"
    // Measures the dark level ("B9", seconds; the lens must be covered) and
    // stores it with the confirmation exchange. A result that fails its range
    // check is never stored; an unconfirmed store sets 0x8000 and zeroes the
    // black values.
    BlackMatrix calibrateBlack();

    // --- Flicker streaming ---
    // Video models ("TV-...") stream their luminance; every packet of 32
    // samples yields a Flicker record from the last sampleCount() samples,
    // delivered to flickered() on the worker (threaded) or returned by
    // readFlicker() (unthreaded). Settings take effect at the next packet.
    // Reads the frequency response ("P4") once per connection, then starts
    // the stream. 0x2000000 for models that do not stream (nothing is
    // sent), 0x100000 for invalid response data, else lastError.
    uint32_t startStreaming(bool threaded = true);
    // Ends the stream ("X9" sequence) in either mode; the same as stopThread().
    void stopStreaming() { stopThread(); }
    bool isStreaming() const { return streamingActive_; }
    // 0x4000000 unless n is a power of two from 64 to 2048; a running stream
    // restarts in the same mode with the new count.
    uint32_t setSampleCount(int n);
    int sampleCount() const { return sampleCount_; }
    // Samples per second: 384 on newer firmware, 256 otherwise (set at start).
    int sampleRate() const { return sampleRate_; }
    void setWindowOn(bool on) { windowOn_ = on; }
    bool windowOn() const { return windowOn_; }
    void setBinMerge(bool on) { binMerge_ = on; }
    bool binMerge() const { return binMerge_; }
    // The device layer's names for the two options.
    void setFlickerOptionA(bool on) { setBinMerge(on); }
    void setFlickerOptionB(bool on) { setWindowOn(on); }
    void setJeitaDiscountDb(bool on) { jeitaDiscountDb_ = on; }
    bool jeitaDiscountDb() const { return jeitaDiscountDb_; }
    void setJeitaDiscountPercent(bool on) { jeitaDiscountPercent_ = on; }
    bool jeitaDiscountPercent() const { return jeitaDiscountPercent_; }
    // 1 JEITA decibels, 0 VESA.
    void setJeita(int j) { jeita_ = j; }
    int jeita() const { return jeita_; }
    // 1 normalized percent, 0 contrast method.
    void setNormalized(int n) { normalized_ = n; }
    int normalized() const { return normalized_; }
    FlickerSettings flickerSettings() const;
    // The response data of the connection are known (read by "P4").
    bool flickerResponseKnown() const;
    // Unthreaded streaming: reads and analyses the next packet on the caller's
    // thread (up to 3 s). Outside an unthreaded stream: errorCode 4.
    Flicker readFlicker();
    // The last delivered record (possibly one packet old); fresh is cleared.
    Flicker lastFlicker(bool *fresh = nullptr);

protected:
    // Called on the worker thread. The base class does nothing.
    virtual void measured(const Measurement &m) { (void)m; }
    virtual void flickered(const Flicker &f) { (void)f; }

    // Thread control: the worker runs while asked to; a stop from outside
    // joins it, a stop from the worker itself only asks.
    enum class RunRequest { Run, Stop };
    enum class ThreadState { NotStarted, Running, Ended };
    enum class ThreadMode { Measure, Stream };

private:
    void startThread(ThreadMode mode);
    // Asks the worker to stop and, unless called from it, joins it.
    void haltWorker();
    // Joins every worker handle (never the caller's own); true when one was joined.
    bool joinEnded();
    bool onWorker() const;
    void workerMain(unsigned generation);
    void measureStep(unsigned generation);
    bool workerShouldRun(unsigned generation) const;
    const char *readingCommand() const;
    // Sends the reading command; a reply that is not a reading (wrong echo,
    // impossible values) comes back as ErrorBits::BadReply with the line drained.
    clmtr::Reply requestReading();
    double thresholdScale() const;

    // Profiles: the list comes from "D7"; selecting a stored slot loads its
    // record into profileMatrix_.
    void restoreProfileSelection();
    void selectFactoryProfile();
    uint32_t writeRecord(int slot, const std::string &record);
    void stopForProfileChange();
    // Black level
    BlackMatrix readBlackTable(const char *command);
    void resetFlickerBuffers();

    // Flicker streaming
    void streamWorker(unsigned generation);
    void beginStream();
    void endStream();
    void endUnthreadedStream();
    // One packet read, analysed and turned into a record; false when the
    // worker was asked to stop while waiting.
    bool streamStep(Flicker &out, bool threaded, unsigned generation);
    void deliverFlicker(const Flicker &f);
    void closeFlicker();

    // Discards the rest of a reply that failed its check.
    void drainBadReply();

    std::unique_ptr<SerialLink> port_;
    bool portOpened_ = false;
    ConnectFailure connectFailure_ = ConnectFailure::None;
    std::string model_;
    std::string serialNumber_;
    std::string firmwareVersion_;
    std::atomic<uint32_t> lastError_{0};
    int rangeSetting_ = -1;

    std::vector<std::string> profileNames_;
    int currentProfile_ = 0;
    std::string currentProfileName_;
    int pendingSlot_ = 0;
    Mat3 profileMatrix_{};

    std::atomic<int> speed_{0};
    std::atomic<int> maxAverage_{32};
    clmtr::ReadingAverager rings_; // used by one thread at a time
    int badReplies_ = 0;           // damaged replies in a row; the worker's

    std::atomic<bool> measuringActive_{false};
    std::atomic<bool> streamingActive_{false};
    std::atomic<bool> threadEverRan_{false};

    // Thread control; no lock around the port: the worker is joined before
    // anyone else uses it.
    std::atomic<RunRequest> runRequest_{RunRequest::Stop};
    std::atomic<ThreadState> threadState_{ThreadState::NotStarted};
    std::atomic<ThreadMode> threadMode_{ThreadMode::Measure};
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

    // Flicker streaming: settings (set from any thread)...
    std::atomic<int> sampleCount_{256};
    std::atomic<int> sampleRate_{256};
    std::atomic<bool> windowOn_{true};
    std::atomic<bool> binMerge_{true};
    std::atomic<bool> jeitaDiscountDb_{true};
    std::atomic<bool> jeitaDiscountPercent_{false};
    std::atomic<int> jeita_{0};
    std::atomic<int> normalized_{0};
    std::atomic<bool> unthreadedStream_{false}; // started without a worker
    // ...response data per range pair, -1 until read...
    std::array<clmtr::PairResponse, clmtr::responsePairs> flickerResponse_ =
        clmtr::unknownResponseData();
    // ...and the stream state, used by one thread at a time.
    std::vector<double> flickerSamples_;
    std::string streamInput_;
    long packetCounter_ = 0;
    int streamRange_ = -1;
    int packetsNeeded_ = 0;
    std::vector<ResponseSegment> response_;
    Flicker lastFlicker_; // guarded by recordLock_
    bool flickerFresh_ = false;
};
