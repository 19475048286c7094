// TCP reply bytes in arbitrary pieces: the reader never holds more than its
// limit, completes only on the terminator, and its text never contains one.
#include "patternwire.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    // The first byte picks the piece size the rest arrives in.
    const int piece = 1 + data[0] % 64;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), static_cast<int>(size - 1));
    patternwire::ReplyReader reader;
    for (int at = 0; at < bytes.size(); at += piece) {
        const auto before = reader.state();
        const auto after = reader.feed(bytes.mid(at, piece));
        if (before != patternwire::ReplyReader::Waiting && after != before)
            __builtin_trap(); // one reply per exchange
    }
    const QString text = reader.text();
    if (text.contains(QLatin1String("::")) && reader.state() == patternwire::ReplyReader::Complete)
        __builtin_trap();
    if (text.size() > patternwire::maxReplyLength)
        __builtin_trap();
    return 0;
}
