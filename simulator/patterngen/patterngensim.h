#pragma once
// A simulated network pattern generator: answers "getInfo" discovery
// datagrams and serves the TCP commands on one loopback address, so that
// several can run side by side and a scan sees each. Every change of what it
// shows goes to a listener (the simulated display). On demand it misbehaves
// as a faulty box would: refuses, falls silent, hangs up or answers late.

#include "patternstate.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace sim {

struct PatternGenConfig {
    std::string serial = "PG000001";
    std::string address = "127.0.0.1"; // where it listens and answers from
    // Where discovery requests arrive; the loopback broadcast by default.
    std::string discoveryAddress = "127.255.255.255";
    int port = 8888; // UDP discovery and TCP commands
    int width = 1920;
    int height = 1080;
};

// How the generator misbehaves; the default serves every command at once.
struct PatternFaults {
    bool refuse = false;  // "ERR::" to every command but "getInfo", nothing shown
    bool silent = false;  // commands are neither shown nor answered
    long answerLeft = -1; // commands still served before it falls silent (-1 all)
    std::string closeOn;  // hang up on a command starting with this (empty: never)
    int lateMs = 0;       // every reply but getInfo's this much after its command
    bool output = true;   // false: all is answered, but the display no longer follows
};

class PatternGenSim {
public:
    using Listener = std::function<void(const PatternState &)>;

    explicit PatternGenSim(PatternGenConfig config);
    ~PatternGenSim();
    PatternGenSim(const PatternGenSim &) = delete;
    PatternGenSim &operator=(const PatternGenSim &) = delete;

    // Called on the generator's thread after each change.
    void setListener(Listener listener);
    bool start(std::string *error);
    // Closes every socket: to a client the generator has vanished.
    void stop();
    bool running() const { return running_; }

    const PatternGenConfig &config() const { return config_; }
    std::string endpoint() const { return config_.address + ":" + std::to_string(config_.port); }
    PatternState state() const;
    // Commands received so far (discovery answers not counted).
    long commandCount() const { return commands_; }
    // In force from the next command received.
    void setFaults(const PatternFaults &faults);
    PatternFaults faults() const;

private:
    struct Client;
    void run();
    // One complete command from a client: what it shows and what it answers.
    void serve(Client &c, const std::string &command);

    PatternGenConfig config_;
    mutable std::mutex lock_;
    PatternState state_;
    PatternFaults faults_;
    Listener listener_;
    int udp_ = -1;      // receives discovery broadcasts
    int udpReply_ = -1; // answers from our own address
    int listen_ = -1;
    int wake_[2] = {-1, -1};
    std::atomic<bool> running_{false};
    std::atomic<long> commands_{0};
    std::thread thread_;
};

} // namespace sim
