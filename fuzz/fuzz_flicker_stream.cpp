// The flicker sample stream: arbitrary bytes, fed in pieces whose sizes the
// input chooses, go through the packet reader with resynchronisation; every
// packet taken is analysed at a sample count the input chooses. The reader
// must always make progress, never hold more than it was given, and the
// analysis must give spectra of the right size without NaN.
#include "flickeranalysis.h"
#include "flickerpacket.h"
#include "flickerresponse.h"
#include "measurement.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2)
        return 0;
    // First byte: settings; second: piece length.
    const uint8_t opts = data[0];
    const std::size_t piece = data[1] % 97 + 1;
    data += 2;
    size -= 2;

    FlickerSettings s;
    s.sampleCount = 64 << (opts & 3); // 64 to 512: enough to reach every path quickly
    s.sampleRate = (opts & 4) ? 384 : 256;
    s.windowOn = opts & 8;
    s.binMerge = opts & 16;
    s.jeitaDiscountDb = opts & 32;
    s.jeitaDiscountPercent = opts & 64;
    s.jeita = (opts >> 7) & 1;
    s.normalized = (opts >> 6) & 1;
    clmtr::PairResponse pair{};
    for (std::size_t f = 0; f < pair.table.size(); ++f)
        pair.table[f] = 1 + static_cast<double>(f) / 10;
    pair.cubic = {1, 0.1, 0, 0};
    s.response = clmtr::responseSegments(pair);

    std::vector<double> samples(static_cast<std::size_t>(s.sampleCount), 0.0);
    std::string input;
    long counter = 0;
    for (std::size_t at = 0; at < size; at += piece) {
        const std::size_t n = size - at < piece ? size - at : piece;
        input.append(reinterpret_cast<const char *>(data + at), n);
        clmtr::FlickerPacket p;
        for (;;) {
            const std::size_t before = input.size();
            const clmtr::StreamFront front = clmtr::takeFlickerPacket(input, p);
            if (front == clmtr::StreamFront::NeedMore)
                break;
            if (input.size() >= before)
                __builtin_trap(); // no progress
            if (front != clmtr::StreamFront::Packet)
                continue;
            if (p.ranges.x < 1 || p.ranges.x > 6)
                __builtin_trap();
            samples.erase(samples.begin(), samples.begin() + clmtr::samplesPerPacket);
            samples.insert(samples.end(), p.samples.begin(), p.samples.end());
            Flicker f;
            f.settings = s;
            clmtr::analyseFlicker(f, samples, ++counter, p.y);
            const int m = clmtr::flickerBinCount(s.sampleCount);
            if (f.spectrumPercent.rows() != m || f.spectrumDb.rows() != m ||
                f.signalCounts.rows() != s.sampleCount || f.errorCode != 0)
                __builtin_trap();
            for (int k = 0; k < m; ++k) {
                if (std::isnan(f.spectrumPercent[k][1]) || std::isnan(f.spectrumDb[k][1]))
                    __builtin_trap();
            }
            for (int r = 0; r < 3; ++r) {
                if (r > 0 && f.peaksPercent[r][1] > f.peaksPercent[r - 1][1])
                    __builtin_trap(); // largest first
            }
        }
        if (input.size() >= clmtr::flickerPacketLength)
            __builtin_trap(); // a full packet's worth left unread
    }
    return 0;
}
