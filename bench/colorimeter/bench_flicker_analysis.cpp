// The analysis of one flicker record at the largest sample count (2048):
// time axis, window, FFT, response correction, bin merge, percent and
// decibel spectra and peaks, as the worker does it for every packet. At 384
// samples/s a packet arrives every 83 ms.
#include "flickeranalysis.h"
#include "flickerresponse.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace {

void BM_AnalyseFlicker2048(benchmark::State &state) {
    const int n = static_cast<int>(state.range(0));
    std::vector<double> samples(static_cast<std::size_t>(n));
    std::mt19937 rng(1);
    std::normal_distribution<double> noise(0, 40);
    for (int i = 0; i < n; ++i)
        samples[static_cast<std::size_t>(i)] =
            25000 * (1 + 0.2 * std::sin(2 * 3.14159265358979 * 30 * i / 384.0)) + noise(rng);
    clmtr::PairResponse pair{};
    for (std::size_t f = 0; f < pair.table.size(); ++f)
        pair.table[f] = std::sqrt(1 + std::pow(f / 15.0, 4));
    pair.cubic = {2.0, -0.1, 0.0045, 0.0};
    FlickerSettings s;
    s.sampleCount = n;
    s.sampleRate = 384;
    s.response = clmtr::responseSegments(pair);
    long counter = 1000;
    for (auto _ : state) {
        Flicker f;
        f.settings = s;
        clmtr::analyseFlicker(f, samples, ++counter, 100.0);
        benchmark::DoNotOptimize(f);
    }
}
BENCHMARK(BM_AnalyseFlicker2048)->Arg(2048)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
