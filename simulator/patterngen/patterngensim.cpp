#include "patterngensim.h"

#include "patterngenwire.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace sim {

namespace {

constexpr int maxClients = 8;
constexpr std::size_t readChunk = 64 * 1024;

bool makeAddress(const std::string &text, int port, sockaddr_in *out) {
    std::memset(out, 0, sizeof *out);
    out->sin_family = AF_INET;
    out->sin_port = htons(static_cast<uint16_t>(port));
    return ::inet_pton(AF_INET, text.c_str(), &out->sin_addr) == 1;
}

int boundSocket(int type, const sockaddr_in &at, std::string *error, const char *what) {
    const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = std::string(what) + ": " + std::strerror(errno);
        return -1;
    }
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (type == SOCK_DGRAM)
        ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&at), sizeof at) != 0) {
        *error = std::string(what) + ": " + std::strerror(errno);
        ::close(fd);
        return -1;
    }
    return fd;
}

void closeFd(int &fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

bool sendAll(int fd, const std::string &bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

bool startsWith(const std::string &s, const std::string &prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

struct PatternGenSim::Client {
    using Clock = std::chrono::steady_clock;
    int fd;
    std::string pending;
    std::deque<std::pair<Clock::time_point, std::string>> replies; // due in this order
    bool hangUp = false;
};

PatternGenSim::PatternGenSim(PatternGenConfig config) : config_(std::move(config)) {
    state_.width = config_.width;
    state_.height = config_.height;
    state_.boxX = config_.width / 4;
    state_.boxY = config_.height / 4;
    state_.boxW = config_.width / 2;
    state_.boxH = config_.height / 2;
}

PatternGenSim::~PatternGenSim() {
    stop();
}

void PatternGenSim::setListener(Listener listener) {
    std::lock_guard<std::mutex> lock(lock_);
    listener_ = std::move(listener);
}

void PatternGenSim::setFaults(const PatternFaults &faults) {
    std::lock_guard<std::mutex> lock(lock_);
    faults_ = faults;
}

PatternFaults PatternGenSim::faults() const {
    std::lock_guard<std::mutex> lock(lock_);
    return faults_;
}

PatternState PatternGenSim::state() const {
    std::lock_guard<std::mutex> lock(lock_);
    return state_;
}

bool PatternGenSim::start(std::string *error) {
    std::string ignored;
    if (!error)
        error = &ignored;
    if (running_)
        return true;
    sockaddr_in own{}, discovery{}, ephemeral{};
    if (!makeAddress(config_.address, config_.port, &own) ||
        !makeAddress(config_.address, 0, &ephemeral) ||
        !makeAddress(config_.discoveryAddress, config_.port, &discovery)) {
        *error = "pattern generator: bad address";
        return false;
    }
    udp_ = boundSocket(SOCK_DGRAM, discovery, error, "pattern generator discovery");
    udpReply_ = udp_ < 0 ? -1 : boundSocket(SOCK_DGRAM, ephemeral, error, "pattern generator");
    listen_ = udpReply_ < 0 ? -1 : boundSocket(SOCK_STREAM, own, error, "pattern generator");
    if (listen_ < 0 || ::listen(listen_, maxClients) != 0 || ::pipe2(wake_, O_CLOEXEC) != 0) {
        if (error->empty())
            *error = std::string("pattern generator: ") + std::strerror(errno);
        stop();
        return false;
    }
    running_ = true;
    thread_ = std::thread([this] { run(); });
    return true;
}

void PatternGenSim::stop() {
    if (thread_.joinable()) {
        const char c = 1;
        ssize_t r = ::write(wake_[1], &c, 1);
        (void)r;
        thread_.join();
    }
    running_ = false;
    closeFd(udp_);
    closeFd(udpReply_);
    closeFd(listen_);
    closeFd(wake_[0]);
    closeFd(wake_[1]);
}

void PatternGenSim::serve(Client &c, const std::string &command) {
    PatternFaults f;
    bool answer = false;
    {
        std::lock_guard<std::mutex> lock(lock_);
        f = faults_;
        answer = !f.silent && f.answerLeft != 0;
        if (answer && faults_.answerLeft > 0)
            --faults_.answerLeft;
    }
    ++commands_;
    if (!answer)
        return; // a hung box: the command is lost, nothing changes
    if (!f.closeOn.empty() && startsWith(command, f.closeOn)) {
        c.hangUp = true;
        return;
    }
    std::string reply = "ERR::";
    std::size_t length = 0;
    const bool known = scanCommand(command, &length) == CommandScan::Complete;
    if (known && !(f.refuse && !startsWith(command, "getInfo"))) {
        bool changed = false;
        PatternState shown;
        Listener listener;
        {
            std::lock_guard<std::mutex> lock(lock_);
            reply = applyCommand(command, config_.serial, state_, &changed);
            shown = state_;
            listener = listener_;
        }
        if (changed && listener && f.output)
            listener(shown);
    }
    // Identification stays prompt, so a late box is still found and opened.
    const int lateMs = startsWith(command, "getInfo") ? 0 : f.lateMs;
    c.replies.emplace_back(Client::Clock::now() + std::chrono::milliseconds(lateMs), reply);
}

void PatternGenSim::run() {
    using Clock = Client::Clock;
    std::vector<Client> clients;
    std::vector<char> buf(readChunk);
    const std::string info = patternInfoLine(config_.serial, config_.width, config_.height);
    for (;;) {
        std::vector<pollfd> p = {{wake_[0], POLLIN, 0}, {udp_, POLLIN, 0}, {listen_, POLLIN, 0}};
        int timeoutMs = -1; // until a late reply falls due
        for (const Client &c : clients) {
            p.push_back({c.fd, POLLIN, 0});
            if (c.replies.empty())
                continue;
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(c.replies.front().first -
                                                                           Clock::now());
            const int ms = static_cast<int>(std::max<long long>(0, wait.count()));
            timeoutMs = timeoutMs < 0 ? ms : std::min(timeoutMs, ms);
        }
        if (::poll(p.data(), p.size(), timeoutMs) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (p[0].revents)
            break;
        if (p[1].revents & POLLIN) {
            sockaddr_in from{};
            socklen_t len = sizeof from;
            const ssize_t n = ::recvfrom(udp_, buf.data(), buf.size(), 0,
                                         reinterpret_cast<sockaddr *>(&from), &len);
            if (n == 7 && std::memcmp(buf.data(), "getInfo", 7) == 0) {
                ::sendto(udpReply_, info.data(), info.size(), 0,
                         reinterpret_cast<const sockaddr *>(&from), len);
            }
        }
        if (p[2].revents & POLLIN) {
            const int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0 && static_cast<int>(clients.size()) >= maxClients) {
                ::close(fd);
            } else if (fd >= 0) {
                const int one = 1;
                ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                clients.push_back({fd, {}, {}, false});
            }
        }
        for (std::size_t i = 3; i < p.size(); ++i) {
            if (!p[i].revents)
                continue;
            Client &c = clients[i - 3];
            const ssize_t n = ::recv(c.fd, buf.data(), buf.size(), 0);
            c.hangUp = !(n > 0 || (n < 0 && errno == EINTR));
            if (n > 0)
                c.pending.append(buf.data(), static_cast<std::size_t>(n));
            while (!c.hangUp && !c.pending.empty()) {
                std::size_t length = 0;
                const CommandScan scan = scanCommand(c.pending, &length);
                if (scan == CommandScan::Incomplete)
                    break;
                if (scan == CommandScan::Invalid)
                    length = c.pending.size(); // not a command we know: drop the buffer
                const std::string command = c.pending.substr(0, length);
                c.pending.erase(0, length);
                serve(c, command);
            }
        }
        const Clock::time_point now = Clock::now();
        for (Client &c : clients) {
            while (!c.hangUp && !c.replies.empty() && c.replies.front().first <= now) {
                c.hangUp = !sendAll(c.fd, c.replies.front().second);
                c.replies.pop_front();
            }
            if (c.hangUp) {
                ::close(c.fd);
                c.fd = -1;
            }
        }
        clients.erase(std::remove_if(clients.begin(), clients.end(),
                                     [](const Client &c) { return c.fd < 0; }),
                      clients.end());
    }
    for (Client &c : clients)
        ::close(c.fd);
}

} // namespace sim
