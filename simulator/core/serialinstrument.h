#pragma once
// Base of every simulated serial instrument: owns its pseudo-terminal and an
// I/O thread that cuts the incoming bytes into command frames, asks the
// instrument for a reply and writes it back paced at the line's baud rate,
// with faults injected on demand (silence, slow bytes, truncation, garbage,
// unplugging). An instrument handles one command at a time, like firmware.

#include "ptyport.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace sim {

class SerialInstrument {
public:
    using Clock = std::chrono::steady_clock;

    SerialInstrument(std::string name, std::string linkPath, int baud);
    // Derived classes call stop() in their destructor: the I/O thread calls
    // their handlers.
    virtual ~SerialInstrument();
    SerialInstrument(const SerialInstrument &) = delete;
    SerialInstrument &operator=(const SerialInstrument &) = delete;

    bool start(std::string *error);
    void stop();

    // The pseudo-terminal goes away / comes back under the same link path.
    // Both return once done; false when already in that state or on failure.
    bool unplug();
    bool replug(std::string *error = nullptr);
    bool plugged() const { return plugged_; }

    const std::string &name() const { return name_; }
    const std::string &linkPath() const { return pty_.linkPath(); }

    // Faults, for replies and streams alike, in force from the next byte on.
    // slowMs is extra time per byte; truncate keeps the first n bytes of each
    // reply or stream packet (-1 off); garbage puts n random bytes before each
    // (0 off); a silent instrument sends nothing.
    void setSilent(bool on);
    bool silent() const { return silent_; }
    void setSlowMs(double ms);
    void setTruncate(int n);
    void setGarbage(int n);

    // 1 real time; 0 answers at once without pacing; in between runs faster.
    void setTimeScale(double s) { timeScale_ = s; }
    double timeScale() const { return timeScale_; }
    int baud() const { return baud_; }
    // The instrument's line rate changes (a baud switch ordered by a command).
    void setBaud(int baud) { baud_ = baud; }

    // When the last byte of the latest reply was written, and how many replies.
    Clock::time_point lastReplyEnd() const;
    uint64_t repliesSent() const { return replies_; }

protected:
    // Length of the first complete command frame in input, 0 while incomplete.
    // Default: up to and including a carriage return.
    virtual std::size_t frameLength(const std::string &input) const;
    // One frame in, the reply out (empty: no reply). Runs on the I/O thread
    // and may wait with waitUntil().
    virtual std::string handle(const std::string &frame) = 0;

    // Sleeps until t; false when interrupted by an unplug or stop, in which
    // case the pending reply must be dropped.
    bool waitUntil(Clock::time_point t);
    enum class Wait { Done, Woken, Interrupted };
    // As waitUntil, but also returns early (Woken) when a fault setting changed.
    Wait waitOrWake(Clock::time_point t);
    // ms of instrument time as wall time under the time scale.
    Clock::duration scaled(double ms) const;
    // From handle(): drops every byte received and not yet handled, as an
    // instrument does that reads no commands while it is busy.
    void discardInput();

    // --- Streamed output (a sample stream sent without being asked) ---
    // While streaming, the I/O thread calls streamOutput() once the time it
    // last set in next has come (and at once after startStream()); the bytes
    // appended to out go to the host paced at the baud rate, between command
    // frames. Returning false ends the stream. Runs on the I/O thread.
    virtual bool streamOutput(Clock::time_point now, std::string &out, Clock::time_point &next);
    // From handle(): streamOutput() is asked from `first` on.
    void startStream(Clock::time_point first);
    // From handle(): stop asking and drop whatever was not sent yet.
    void stopStream();
    // With the check on, bytes sent while the host's line rate differs from
    // the instrument's arrive garbled, as on a real wire.
    void setLineRateCheck(bool on) { lineRateCheck_ = on; }
    // The instrument lost power (unplugged); runs on the I/O thread.
    virtual void powerLost() {}

private:
    enum class Request { None, Unplug, Replug, Stop };

    void run();
    bool serviceRequest(); // false when the thread should end
    void sendReply(std::string reply);
    void wake();
    // Garbage before, truncation after: what a faulty line makes of bytes.
    void injectFaults(std::string &bytes);
    // Wire time of one byte, with the extra delay in force now.
    Clock::duration byteTime() const;
    // Asks for and writes due stream bytes; returns when to look again.
    Clock::time_point serviceStream();
    bool hostLineMatches() const;
    void garble(std::string &bytes) const;

    std::string name_;
    std::atomic<int> baud_;
    PtyPort pty_;
    std::thread thread_;
    int wakePipe_[2] = {-1, -1};
    std::string input_;

    std::mutex requestLock_;
    std::condition_variable requestDone_;
    Request request_ = Request::None;
    bool requestResult_ = false;
    std::string requestError_;

    std::atomic<bool> plugged_{false};
    std::atomic<bool> silent_{false};
    std::atomic<double> slowMs_{0};
    std::atomic<int> truncate_{-1};
    std::atomic<int> garbage_{0};
    std::atomic<double> timeScale_{1.0};
    std::atomic<Clock::rep> lastReplyEnd_{0};
    std::atomic<uint64_t> replies_{0};
    uint32_t garbageSeed_ = 0x2545F491;

    // Stream state, I/O thread only.
    bool streaming_ = false;
    Clock::time_point streamNext_{};   // when to ask streamOutput() again
    Clock::time_point streamByteAt_{}; // when the next stream byte may go
    std::string streamOut_;            // produced, not yet sent
    std::atomic<bool> lineRateCheck_{false};
};

} // namespace sim
