#pragma once
// A scripted SerialLink for byte-level cases: each command written arms the
// next script, whose chunks then arrive after given delays; a chunk can take
// the line down with it. Records everything written and the line rates set.
// connectOnFakePort() gives a TClmtr that has already connected through one.

#include "seriallink.h"
#include "tclmtr.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class FakePort : public SerialLink {
public:
    using Clock = std::chrono::steady_clock;
    struct Chunk {
        int afterMs; // ms after the previous chunk (the first: after the write)
        std::string bytes;
        bool diesAfter = false; // the device goes away once this chunk is read
    };

    // The reply to the next command written (one script per write, in order).
    void script(std::vector<Chunk> chunks) {
        std::lock_guard<std::mutex> l(lock_);
        scripts_.push_back(std::move(chunks));
    }
    // Bytes already waiting, as if left over from an earlier exchange.
    void preload(const std::string &bytes) {
        std::lock_guard<std::mutex> l(lock_);
        due_.push_back({Clock::now(), bytes, false});
    }
    void setAlive(bool alive) {
        std::lock_guard<std::mutex> l(lock_);
        alive_ = alive;
    }
    std::string written() {
        std::lock_guard<std::mutex> l(lock_);
        return written_;
    }
    int waits() {
        std::lock_guard<std::mutex> l(lock_);
        return waits_;
    }

    bool open() override {
        std::lock_guard<std::mutex> l(lock_);
        alive_ = opened_ = true;
        return true;
    }
    bool configure(int baud, int, char, int) override {
        std::lock_guard<std::mutex> l(lock_);
        rates_.push_back(baud);
        return true;
    }
    std::vector<int> rates() {
        std::lock_guard<std::mutex> l(lock_);
        return rates_;
    }
    bool isOpen() override {
        std::lock_guard<std::mutex> l(lock_);
        return alive_;
    }
    std::string readAvailable() override {
        std::lock_guard<std::mutex> l(lock_);
        std::string out;
        const auto now = Clock::now();
        while (!due_.empty() && due_.front().at <= now) {
            out += due_.front().bytes;
            if (due_.front().dies)
                alive_ = false;
            due_.pop_front();
        }
        return out;
    }
    long write(const char *bytes, std::size_t length) override {
        std::lock_guard<std::mutex> l(lock_);
        written_.append(bytes, length);
        if (!scripts_.empty()) {
            auto at = Clock::now();
            for (const Chunk &c : scripts_.front()) {
                at += std::chrono::milliseconds(c.afterMs);
                due_.push_back({at, c.bytes, c.diesAfter});
            }
            scripts_.pop_front();
        }
        return static_cast<long>(length);
    }
    bool waitReadable(int timeoutMs) override {
        Clock::time_point until = Clock::now() + std::chrono::milliseconds(timeoutMs);
        {
            std::lock_guard<std::mutex> l(lock_);
            ++waits_;
            if (!due_.empty() && due_.front().at < until)
                until = due_.front().at;
        }
        std::this_thread::sleep_until(until);
        return true;
    }
    bool setDtr(int) override { return true; }
    bool setRts(int) override { return true; }
    bool close() override {
        std::lock_guard<std::mutex> l(lock_);
        bool was = opened_;
        alive_ = opened_ = false;
        return was;
    }

private:
    struct Due {
        Clock::time_point at;
        std::string bytes;
        bool dies;
    };
    std::mutex lock_;
    std::deque<std::vector<Chunk>> scripts_;
    std::deque<Due> due_;
    std::string written_;
    std::vector<int> rates_;
    bool alive_ = false;
    bool opened_ = false;
    int waits_ = 0;
};

// One reply as a serial line delivers it: afterMs of silence (after the
// command, or after the part before), then the bytes one by one at the
// line's rate (10 bits a byte), gathered into 1 ms lots.
struct PacedPart {
    int afterMs;
    std::string bytes;
};
inline std::vector<FakePort::Chunk> paced(const std::vector<PacedPart> &parts, int baud = 9600) {
    std::vector<FakePort::Chunk> chunks;
    const double byteMs = 10000.0 / baud;
    double t = 0;  // ms since the command
    long last = 0; // ms of the last chunk
    for (const PacedPart &part : parts) {
        t += part.afterMs;
        for (char c : part.bytes) {
            t += byteMs;
            const long ms = static_cast<long>(std::ceil(t));
            if (chunks.empty() || ms != last) {
                chunks.push_back({static_cast<int>(ms - last), std::string()});
                last = ms;
            }
            chunks.back().bytes += c;
        }
    }
    return chunks;
}

// The "D7" reply: the named slots (1 to 96), every other slot blank.
inline std::string profileListReply(const std::map<int, std::string> &names = {}) {
    std::string r = "D7";
    for (int slot = 1; slot <= 96; ++slot) {
        auto it = names.find(slot);
        std::string field = it == names.end() ? std::string(20, '\xFF') : it->second;
        field.resize(20, ' ');
        r += field;
    }
    return r + "OK\r";
}

// A TClmtr (or a subclass taking the link) on a scripted port that has
// answered the connection's "P0", "D7" and "J8".
template <typename Clmtr = TClmtr>
std::unique_ptr<Clmtr> connectOnFakePort(const std::string &model, FakePort *&port,
                                         const std::map<int, std::string> &names = {}) {
    auto fake = std::make_unique<FakePort>();
    port = fake.get();
    port->script({{1, "P0" + model + std::string(7 - model.size(), ' ') + "SER000001OK\r"}});
    port->script({{1, profileListReply(names)}});
    port->script({{1, "0"}});
    auto c = std::make_unique<Clmtr>(std::move(fake));
    EXPECT_TRUE(c->connect("/dev/fake0")) << model;
    return c;
}
