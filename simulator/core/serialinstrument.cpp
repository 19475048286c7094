#include "serialinstrument.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

SerialInstrument::SerialInstrument(std::string name, std::string linkPath, int baud)
    : name_(std::move(name)), baud_(baud), pty_(std::move(linkPath)) {}

SerialInstrument::~SerialInstrument() {
    stop();
}

bool SerialInstrument::start(std::string *error) {
    if (thread_.joinable())
        return true;
    if (::pipe2(wakePipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        if (error)
            *error = "pipe failed";
        return false;
    }
    if (!pty_.create(error)) {
        ::close(wakePipe_[0]);
        ::close(wakePipe_[1]);
        wakePipe_[0] = wakePipe_[1] = -1;
        return false;
    }
    plugged_ = true;
    thread_ = std::thread(&SerialInstrument::run, this);
    return true;
}

void SerialInstrument::stop() {
    if (!thread_.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(requestLock_);
        request_ = Request::Stop;
    }
    wake();
    thread_.join();
    pty_.destroy();
    plugged_ = false;
    ::close(wakePipe_[0]);
    ::close(wakePipe_[1]);
    wakePipe_[0] = wakePipe_[1] = -1;
}

bool SerialInstrument::unplug() {
    if (!thread_.joinable())
        return false;
    std::unique_lock<std::mutex> lock(requestLock_);
    requestDone_.wait(lock, [&] { return request_ == Request::None; });
    request_ = Request::Unplug;
    wake();
    requestDone_.wait(lock, [&] { return request_ == Request::None; });
    return requestResult_;
}

bool SerialInstrument::replug(std::string *error) {
    if (!thread_.joinable())
        return false;
    std::unique_lock<std::mutex> lock(requestLock_);
    requestDone_.wait(lock, [&] { return request_ == Request::None; });
    request_ = Request::Replug;
    wake();
    requestDone_.wait(lock, [&] { return request_ == Request::None; });
    if (!requestResult_ && error)
        *error = requestError_;
    return requestResult_;
}

void SerialInstrument::setSilent(bool on) {
    silent_ = on;
    wake();
}

void SerialInstrument::setSlowMs(double ms) {
    slowMs_ = ms;
    wake(); // a byte waiting out the old delay goes at the new one
}

void SerialInstrument::setTruncate(int n) {
    truncate_ = n;
    wake();
}

void SerialInstrument::setGarbage(int n) {
    garbage_ = n;
    wake();
}

void SerialInstrument::wake() {
    if (wakePipe_[1] < 0)
        return; // not running
    char c = 1;
    ssize_t r = ::write(wakePipe_[1], &c, 1);
    (void)r; // a full pipe already wakes the thread
}

bool SerialInstrument::serviceRequest() {
    char buf[64];
    while (::read(wakePipe_[0], buf, sizeof buf) > 0) {
    }
    std::lock_guard<std::mutex> lock(requestLock_);
    switch (request_) {
    case Request::None:
        return true;
    case Request::Stop:
        return false; // stop() tears down after joining
    case Request::Unplug:
        requestResult_ = pty_.exists();
        pty_.destroy();
        plugged_ = false;
        input_.clear();
        streaming_ = false; // no power, no stream
        streamOut_.clear();
        powerLost();
        break;
    case Request::Replug:
        requestResult_ = !pty_.exists() && pty_.create(&requestError_);
        plugged_ = pty_.exists();
        break;
    }
    request_ = Request::None;
    requestDone_.notify_all();
    return true;
}

void SerialInstrument::run() {
    for (;;) {
        pollfd p[2] = {{wakePipe_[0], POLLIN, 0}, {pty_.masterFd(), POLLIN, 0}};
        int n = pty_.exists() ? 2 : 1;
        const Clock::time_point due = serviceStream();
        timespec ts{};
        timespec *timeout = nullptr;
        if (due != Clock::time_point::max()) {
            const auto left = std::max<long long>(
                0,
                std::chrono::duration_cast<std::chrono::microseconds>(due - Clock::now()).count());
            ts = {static_cast<time_t>(left / 1000000), static_cast<long>(left % 1000000) * 1000};
            timeout = &ts;
        }
        if (::ppoll(p, static_cast<nfds_t>(n), timeout, nullptr) < 0 && errno != EINTR)
            break;
        if (p[0].revents) {
            if (!serviceRequest())
                return;
            continue;
        }
        if (n < 2 || !(p[1].revents & POLLIN))
            continue;
        char buf[512];
        ssize_t got = ::read(pty_.masterFd(), buf, sizeof buf);
        if (got <= 0)
            continue;
        input_.append(buf, static_cast<std::size_t>(got));
        while (std::size_t len = frameLength(input_)) {
            std::string frame = input_.substr(0, len);
            input_.erase(0, len);
            std::string reply = handle(frame);
            if (!pty_.exists())
                break; // unplugged while the instrument was busy
            if (!reply.empty() && !silent_)
                sendReply(std::move(reply));
        }
    }
}

void SerialInstrument::discardInput() {
    input_.clear();
    if (!pty_.exists())
        return;
    char buf[512];
    pollfd p{pty_.masterFd(), POLLIN, 0};
    while (::poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
        if (::read(pty_.masterFd(), buf, sizeof buf) <= 0)
            break;
    }
}

std::size_t SerialInstrument::frameLength(const std::string &input) const {
    std::size_t cr = input.find('\r');
    return cr == std::string::npos ? 0 : cr + 1;
}

void SerialInstrument::injectFaults(std::string &bytes) {
    const int garbage = garbage_;
    if (garbage > 0) {
        std::string noise;
        for (int i = 0; i < garbage; ++i) {
            garbageSeed_ = garbageSeed_ * 1103515245u + 12345u;
            noise += static_cast<char>(garbageSeed_ >> 16);
        }
        bytes = noise + bytes;
    }
    const int keep = truncate_;
    if (keep >= 0 && static_cast<std::size_t>(keep) < bytes.size())
        bytes.resize(static_cast<std::size_t>(keep));
}

SerialInstrument::Clock::duration SerialInstrument::byteTime() const {
    // 10 bits per byte on the wire (start, 8 data, stop).
    return scaled(10000.0 / baud_) + std::chrono::duration_cast<Clock::duration>(
                                         std::chrono::duration<double, std::milli>(slowMs_));
}

void SerialInstrument::sendReply(std::string reply) {
    injectFaults(reply);
    if (!hostLineMatches())
        garble(reply);

    Clock::time_point last = Clock::now(); // when the previous byte left
    std::size_t sent = 0;
    while (sent < reply.size()) {
        if (silent_)
            return; // fell silent in the middle of the reply
        std::size_t chunk = reply.size() - sent;
        if (byteTime().count() > 0) {
            // The delay is looked up again whenever a setting changes, so a
            // byte waiting out a long delay goes as soon as it is lifted.
            Wait w;
            Clock::time_point due;
            do {
                due = last + byteTime();
                w = waitOrWake(due);
            } while (w == Wait::Woken);
            if (w == Wait::Interrupted)
                return;
            last = due;
            chunk = 1;
        }
        if (sent + chunk == reply.size()) {
            // Stamped just before the last byte goes out, so a reader woken by
            // it always finds this reply's time.
            lastReplyEnd_ = Clock::now().time_since_epoch().count();
            ++replies_;
        }
        ssize_t w = ::write(pty_.masterFd(), reply.data() + sent, chunk);
        // Nobody reading and the queue full: the bytes are lost, as on a wire.
        sent += w > 0 ? static_cast<std::size_t>(w) : chunk;
    }
}

bool SerialInstrument::waitUntil(Clock::time_point t) {
    Wait w;
    while ((w = waitOrWake(t)) == Wait::Woken) {
    }
    return w == Wait::Done;
}

SerialInstrument::Wait SerialInstrument::waitOrWake(Clock::time_point t) {
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::microseconds>(t - Clock::now());
        if (left.count() <= 0)
            return Wait::Done;
        pollfd p{wakePipe_[0], POLLIN, 0};
        timespec ts{static_cast<time_t>(left.count() / 1000000),
                    static_cast<long>(left.count() % 1000000) * 1000};
        if (::ppoll(&p, 1, &ts, nullptr) > 0) {
            std::lock_guard<std::mutex> lock(requestLock_);
            if (request_ != Request::None)
                return Wait::Interrupted; // the main loop services it
            char buf[64];
            while (::read(wakePipe_[0], buf, sizeof buf) > 0) {
            }
            return Wait::Woken;
        }
    }
}

SerialInstrument::Clock::duration SerialInstrument::scaled(double ms) const {
    const double s = timeScale_;
    if (s <= 0)
        return Clock::duration::zero();
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double, std::milli>(ms * s));
}

bool SerialInstrument::streamOutput(Clock::time_point, std::string &, Clock::time_point &) {
    return false;
}

void SerialInstrument::startStream(Clock::time_point first) {
    streaming_ = true;
    streamNext_ = first;
}

void SerialInstrument::stopStream() {
    streaming_ = false;
    streamOut_.clear();
}

SerialInstrument::Clock::time_point SerialInstrument::serviceStream() {
    constexpr std::size_t bufferLimit = 4096;        // bytes the instrument can hold back
    const auto batch = std::chrono::milliseconds(1); // bytes leave in 1 ms lots, like USB frames
    if (!pty_.exists())
        return Clock::time_point::max();
    auto now = Clock::now();
    if (streaming_ && now >= streamNext_) {
        std::string produced;
        Clock::time_point next = Clock::time_point::max();
        streaming_ = streamOutput(now, produced, next);
        streamNext_ = next;
        if (silent_)
            produced.clear(); // produced all the same: a silent instrument keeps its clock
        else
            injectFaults(produced);
        if (streamOut_.size() + produced.size() <= bufferLimit) // an overrun loses packets
            streamOut_ += produced;
    }
    if (silent_)
        streamOut_.clear();
    if (streamOut_.empty())
        return streaming_ ? streamNext_ : Clock::time_point::max();

    const auto perByte = byteTime();
    if (streamByteAt_ < now - batch)
        streamByteAt_ = now; // the line was idle: no burst to catch up
    streamByteAt_ = std::min(streamByteAt_, now + perByte); // a lifted delay counts at once
    std::size_t count = streamOut_.size();
    if (perByte.count() > 0) {
        if (now < streamByteAt_)
            return std::min(streamByteAt_, streaming_ ? streamNext_ : Clock::time_point::max());
        count = std::min<std::size_t>(
            count, static_cast<std::size_t>((now - streamByteAt_) / perByte) + 1);
    }
    std::string chunk = streamOut_.substr(0, count);
    streamOut_.erase(0, count);
    streamByteAt_ += perByte * static_cast<long>(count);
    if (!hostLineMatches())
        garble(chunk);
    // Nobody reading and the queue full: the bytes are lost, as on a wire.
    ssize_t w = ::write(pty_.masterFd(), chunk.data(), chunk.size());
    (void)w;
    now = Clock::now();
    Clock::time_point due = streaming_ ? streamNext_ : Clock::time_point::max();
    if (!streamOut_.empty())
        due = std::min(due, std::max(streamByteAt_, now + batch));
    return due;
}

bool SerialInstrument::hostLineMatches() const {
    if (!lineRateCheck_ || !pty_.exists())
        return true;
    struct Rate {
        int baud;
        speed_t constant;
    };
    static const Rate rates[] = {{1200, B1200},   {2400, B2400},    {4800, B4800},
                                 {9600, B9600},   {19200, B19200},  {38400, B38400},
                                 {57600, B57600}, {115200, B115200}};
    const int baud = baud_;
    const Rate *mine = nullptr;
    for (const Rate &r : rates) {
        if (r.baud == baud)
            mine = &r;
    }
    termios tio{};
    // On the master side this reads the settings the host gave its end.
    if (!mine || ::tcgetattr(pty_.masterFd(), &tio) != 0)
        return true;
    return ::cfgetospeed(&tio) == mine->constant;
}

void SerialInstrument::garble(std::string &bytes) const {
    // What a receiver at the wrong rate makes of each byte: framing errors
    // that never look like a clean ASCII marker.
    for (char &c : bytes)
        c = static_cast<char>((static_cast<unsigned char>(c) ^ 0x5A) | 0x80);
}

SerialInstrument::Clock::time_point SerialInstrument::lastReplyEnd() const {
    return Clock::time_point(Clock::duration(lastReplyEnd_.load()));
}

} // namespace sim
