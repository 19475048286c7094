// TCP reply bytes in arbitrary pieces: the stream never holds more than its
// limit allows, hands out replies only up to a terminator, and no reply
// contains one.
#include "patternwire.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    // The first byte picks the piece size the rest arrives in.
    const int piece = 1 + data[0] % 64;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), static_cast<int>(size - 1));
    patternwire::ReplyStream stream;
    int handedOut = 0;
    for (int at = 0; at < bytes.size(); at += piece) {
        stream.feed(bytes.mid(at, piece));
        QString reply;
        while (stream.next(&reply)) {
            if (reply.contains(QLatin1String("::")))
                __builtin_trap();
            handedOut += reply.size() + 2;
        }
        if (stream.partialLength() > patternwire::maxReplyLength)
            __builtin_trap();
    }
    if (handedOut > bytes.size())
        __builtin_trap(); // nothing invented
    return 0;
}
