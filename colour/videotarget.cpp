#include "videotarget.h"

#include "ictcp.h"
#include "transfer.h"

#include <algorithm>
#include <cmath>

CodeRange CodeRange::full(int bits) {
    return {0, (1 << bits) - 1, bits};
}

CodeRange CodeRange::limited(int bits) {
    const int scale = 1 << (bits - 8);
    return {16 * scale, 235 * scale, bits};
}

double CodeRange::signal(double code) const {
    if (high <= low || !std::isfinite(code))
        return 0.0;
    return std::clamp((code - low) / double(high - low), 0.0, 1.0);
}

int CodeRange::nearestFrom(int code, const CodeRange &from) const {
    if (from.high <= from.low)
        return low;
    const double place = (code - from.low) / double(from.high - from.low);
    const long rounded = std::lround(low + place * (high - low));
    return int(std::clamp<long>(rounded, 0, maxCode()));
}

std::array<double, 3> TargetCurve::light(const std::array<double, 3> &s, double whiteNits) const {
    std::array<double, 3> out{};
    switch (transfer) {
    case Transfer::Gamma:
        for (int c = 0; c < 3; ++c)
            out[c] = whiteNits * std::pow(std::clamp(s[c], 0.0, 1.0), gamma);
        break;
    case Transfer::Bt1886:
        for (int c = 0; c < 3; ++c)
            out[c] = transfer::bt1886Eotf(std::clamp(s[c], 0.0, 1.0), whiteNits, blackNits, gamma);
        break;
    case Transfer::Pq:
        for (int c = 0; c < 3; ++c) {
            const double nits = transfer::st2084Eotf(s[c]);
            if (masteringPeak > 0) {
                transfer::EetfRange r;
                r.sourcePeak = masteringPeak;
                r.targetBlack = blackNits;
                r.targetPeak = peakNits;
                out[c] = transfer::bt2390EetfNits(nits, r);
            } else {
                out[c] = std::min(nits, peakNits);
            }
        }
        break;
    case Transfer::Hlg:
        out = transfer::hlgEotf(s, peakNits, blackNits);
        break;
    }
    return out;
}

double TargetCurve::greyNits(double signal, double whiteNits) const {
    return light({signal, signal, signal}, whiteNits)[1];
}

double TargetCurve::referenceWhite(double whiteNits) const {
    switch (transfer) {
    case Transfer::Pq:
        return hdrReferenceWhite;
    case Transfer::Hlg:
        return transfer::hlgGreyEotf(hlgReferenceSignal, peakNits, blackNits);
    default:
        return whiteNits;
    }
}

PatchTarget signalTarget(const std::array<double, 3> &signal, const VideoStandard &standard) {
    PatchTarget t;
    t.signal = signal;
    const GamutSpec &spec = standard.spec;
    std::array<double, 3> &percent = t.percent;
    if (standard.curve.transfer == Transfer::Gamma) {
        // Relative to the white exactly, as the gamma targets always were.
        for (int c = 0; c < 3; ++c)
            percent[c] = 100.0 * std::pow(std::clamp(signal[c], 0.0, 1.0), standard.curve.gamma);
    } else {
        const std::array<double, 3> nits = standard.curve.light(signal, spec.whiteBigY);
        for (int c = 0; c < 3; ++c)
            percent[c] = spec.whiteBigY > 0 ? 100.0 * nits[c] / spec.whiteBigY : 0.0;
    }
    t.measurement = Measurement::fromRGB(percent[0], percent[1], percent[2], spec);
    t.xyz = {t.measurement.bigX, t.measurement.bigY, t.measurement.bigZ};
    return t;
}

PatchTarget codeTarget(const std::array<int, 3> &code, const VideoStandard &standard) {
    const CodeRange &r = standard.range;
    return signalTarget({r.signal(code[0]), r.signal(code[1]), r.signal(code[2])}, standard);
}

double deltaEItp(const Measurement &a, const Measurement &b) {
    const double xa[3] = {a.bigX, a.bigY, a.bigZ};
    const double xb[3] = {b.bigX, b.bigY, b.bigZ};
    return deltaEItpXyz(xa, xb);
}
