#include "transaction.h"

#include "protocol.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace clmtr {

namespace {

uint32_t waitReplyWithin(SerialLink &port, int replyLength, int limitMs, std::string &reply) {
    using Clock = std::chrono::steady_clock;
    if (!port.isOpen())
        return PortLost;
    reply += port.readAvailable();
    const std::size_t wanted = static_cast<std::size_t>(replyLength);
    if (reply.size() >= wanted)
        return Ok;
    // Wake on every arrival rather than polling on a fixed step: a fixed step
    // rounds each exchange up and costs readings at 16 a second.
    const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
        if (!port.isOpen())
            break;
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            break;
        port.waitReadable(static_cast<int>(left));
        reply += port.readAvailable();
        if (reply.size() >= wanted)
            return Ok;
    }
    return port.isOpen() ? TimedOut : PortLost;
}

} // namespace

uint32_t waitReply(SerialLink &port, int replyLength, int weight, std::string &reply) {
    return waitReplyWithin(port, replyLength, weight * msPerWeight, reply);
}

Reply transact(SerialLink &port, const std::string &command, int replyLength, int weight) {
    return transactWithin(port, command, replyLength, weight * msPerWeight);
}

Reply transactWithin(SerialLink &port, const std::string &command, int replyLength, int limitMs) {
    Reply r;
    try {
        if (!port.isOpen()) {
            r.result = PortLost;
            return r;
        }
        port.readAvailable(); // whatever a previous exchange left behind
        std::string framed = frame(command);
        port.write(framed.data(), framed.size());
        if (replyLength > 0)
            r.result = waitReplyWithin(port, replyLength, limitMs, r.bytes);
    } catch (...) {
        r.result = Internal;
    }
    return r;
}

void drainInput(SerialLink &port, int quietMs, int capMs) {
    using Clock = std::chrono::steady_clock;
    const auto now = [] { return Clock::now(); };
    const auto end = now() + std::chrono::milliseconds(capMs);
    auto quietEnd = now() + std::chrono::milliseconds(quietMs);
    for (;;) {
        if (!port.isOpen())
            return;
        if (!port.readAvailable().empty())
            quietEnd = now() + std::chrono::milliseconds(quietMs);
        const auto until = std::min(end, quietEnd);
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - now()).count();
        if (left <= 0)
            return;
        port.waitReadable(static_cast<int>(left));
    }
}

void stopStaleStream(SerialLink &port) {
    const std::string stop = frame("X9");
    // Newer firmware streams at the higher rate and drops back by itself once
    // stopped; older firmware streams at the line rate, where the first stop
    // may arrive glued to the noise sent at the other rate.
    port.configure(streamBaud, lineDataBits, lineParity, lineTimeout);
    port.write(stop.data(), stop.size());
    port.write(stop.data(), stop.size());
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    port.configure(lineBaud, lineDataBits, lineParity, lineTimeout);
    port.write(stop.data(), stop.size());
    port.write(stop.data(), stop.size());
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

namespace {
constexpr int quietMs = 100; // ms of silence that ends a stale reply or stream

Identity identifyOnce(SerialLink &port, int silenceMs) {
    const CommandInfo *p0 = findCommand("P0");
    const int fullMs = p0->weight * msPerWeight;
    Reply r = transactWithin(port, p0->command, p0->replyLength, std::min(silenceMs, fullMs));
    // A colorimeter that began to answer gets the command's full time; another
    // instrument's reply (a CS-2000's "ER00") does not.
    const bool begunIdentity =
        !r.bytes.empty() &&
        std::string("P0").compare(0, std::min<std::size_t>(r.bytes.size(), 2), r.bytes, 0, 2) == 0;
    if (r.result == TimedOut && begunIdentity && silenceMs < fullMs)
        waitReplyWithin(port, p0->replyLength, fullMs - silenceMs, r.bytes);
    // A short reply still names the instrument when the fields made it.
    return parseIdentify(r.bytes);
}
} // namespace

Identity identify(SerialLink &port) {
    const CommandInfo *p0 = findCommand("P0");
    return identify(port, p0->weight * msPerWeight);
}

Identity identify(SerialLink &port, int silenceMs) {
    Identity id = identifyOnce(port, silenceMs);
    if (id.ok || !id.answered || !port.isOpen())
        return id;
    stopStaleStream(port);
    drainInput(port, quietMs, longestReplyMs);
    // A colorimeter whose stream was stopped answers at once like any other.
    Identity again = identifyOnce(port, silenceMs);
    again.answered = true;
    return again;
}

} // namespace clmtr
