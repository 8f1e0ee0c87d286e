#include "bench/bench_support.h"

namespace {

void BM_SnapshotDestination(benchmark::State& st) {
    static wendral::WendralState state;
    wendral::bench::FillFullDestination(state);
    for (auto _ : st) {
        state.SnapshotDestination();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SnapshotDestination)->Unit(benchmark::kMillisecond);

void BM_RevertDestination(benchmark::State& st) {
    static wendral::WendralState state;
    wendral::bench::FillFullDestination(state);
    for (auto _ : st) {
        state.RevertDestination();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RevertDestination)->Unit(benchmark::kMillisecond);

}  // namespace
