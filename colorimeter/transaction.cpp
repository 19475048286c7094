#include "transaction.h"

#include "protocol.h"

#include <chrono>

namespace clmtr {

uint32_t waitReply(SerialLink &port, int replyLength, int weight, std::string &reply) {
    using Clock = std::chrono::steady_clock;
    if (!port.isOpen())
        return PortLost;
    reply += port.readAvailable();
    const std::size_t wanted = static_cast<std::size_t>(replyLength);
    if (reply.size() >= wanted)
        return Ok;
    // Wake on every arrival rather than polling on a fixed step: a fixed step
    // rounds each exchange up and costs readings at 16 a second.
    const auto deadline = Clock::now() + std::chrono::milliseconds(weight * msPerWeight);
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

Reply transact(SerialLink &port, const std::string &command, int replyLength, int weight) {
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
            r.result = waitReply(port, replyLength, weight, r.bytes);
    } catch (...) {
        r.result = Internal;
    }
    return r;
}

Identity identify(SerialLink &port) {
    const CommandInfo *p0 = findCommand("P0");
    Reply r = transact(port, p0->command, p0->replyLength, p0->weight);
    // A short reply still names the instrument when the fields made it.
    return parseIdentify(r.bytes);
}

} // namespace clmtr
