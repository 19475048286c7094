// Full derivation of one record from X, Y, Z, averaged over a fixed set of
// 10,000 varied colours. The reported time is per record.
#include "colourset.h"
#include "measurement.h"

#include <benchmark/benchmark.h>

namespace {

void BM_FromXYZ(benchmark::State &state) {
    const auto colours = colourset::make();
    const GamutSpec spec = GamutSpec::standardSpec(2, 100);
    for (auto _ : state) {
        for (const auto &c : colours) {
            Measurement m = Measurement::fromXYZ(c[0], c[1], c[2], spec);
            benchmark::DoNotOptimize(m);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(colours.size()));
    state.counters["per_record"] =
        benchmark::Counter(static_cast<double>(state.iterations() * colours.size()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FromXYZ)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
