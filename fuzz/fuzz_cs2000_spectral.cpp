// Any reply to a spectral data request: the block is stored within its own
// wavelengths, the counts of stored values and of calculation errors are
// honest (NaN exactly where the instrument could not calculate), and the
// spectrum keeps its 781 entries.
#include "cs2000protocol.h"

#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1)
        return 0;
    const cs2000::SpectralBlock &block = cs2000::spectralBlocks[data[0] % 4];
    const QString reply =
        QString::fromLatin1(reinterpret_cast<const char *>(data + 1), static_cast<int>(size - 1));
    QList<double> spectrum;
    for (int i = 0; i < cs2000::spectrumSize; ++i)
        spectrum.append(0.0);
    const cs2000::BlockResult r = cs2000::storeSpectralBlock(reply, block, spectrum);
    if (r.stored < 0 || r.calculationErrors < 0 || r.stored + r.calculationErrors > block.count ||
        spectrum.size() != cs2000::spectrumSize)
        __builtin_trap();
    int nans = 0;
    for (int nm = 0; nm < cs2000::spectrumSize; ++nm) {
        const bool inBlock = nm >= block.firstNm && nm < block.firstNm + block.count;
        if (std::isnan(spectrum[nm])) {
            ++nans;
            if (!inBlock)
                __builtin_trap();
        } else if (!std::isfinite(spectrum[nm]) || (!inBlock && spectrum[nm] != 0.0)) {
            __builtin_trap();
        }
    }
    if (nans != r.calculationErrors)
        __builtin_trap();
    return 0;
}
