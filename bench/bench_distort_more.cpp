// Implode, explode, converge and diverge on a full-size picture with a full-picture zone.
#include "bench/bench_support.h"
#include "core/colour_pull.h"
#include "core/radial_distort.h"

namespace {

wendral::Zone FullZone() {
    wendral::Zone z;
    z.x1 = 0;
    z.y1 = 0;
    z.x2 = wendral::kMaxWidth - 1;
    z.y2 = wendral::kMaxHeight - 1;
    return z;
}

// The tenth press in a row of one command: nine presses from level 0 untimed, then the tenth.
void RadialTenthPress(benchmark::State& st, int step) {
    static wendral::WendralState state;
    wendral::bench::FillFullDestination(state);
    wendral::Zone zone = FullZone();
    wendral::Radial(state, zone, step);  // the zone's geometry, as its first press builds it
    for (auto _ : st) {
        st.PauseTiming();
        zone.ResetLevels();
        for (int i = 0; i < 9; ++i) wendral::Radial(state, zone, step);
        st.ResumeTiming();
        wendral::Radial(state, zone, step);
        benchmark::ClobberMemory();
    }
}

void BM_ImplodeTenthPress(benchmark::State& st) { RadialTenthPress(st, -1); }
void BM_ExplodeTenthPress(benchmark::State& st) { RadialTenthPress(st, +1); }
BENCHMARK(BM_ImplodeTenthPress)->Unit(benchmark::kMillisecond)->Iterations(12);
BENCHMARK(BM_ExplodeTenthPress)->Unit(benchmark::kMillisecond)->Iterations(12);

// One press that takes the level to 5 (or -5) on a zone already pressed.
void PullPressAtFive(benchmark::State& st, int step) {
    static wendral::WendralState state;
    wendral::bench::FillFullDestination(state);
    wendral::Zone zone = FullZone();
    wendral::Pull(state, zone, step);
    for (auto _ : st) {
        zone.ColourLevel = 4 * step;
        wendral::Pull(state, zone, step);
        benchmark::ClobberMemory();
    }
}

void BM_ConvergePressAtLevel5(benchmark::State& st) { PullPressAtFive(st, +1); }
void BM_DivergePressAtLevel5(benchmark::State& st) { PullPressAtFive(st, -1); }
BENCHMARK(BM_ConvergePressAtLevel5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DivergePressAtLevel5)->Unit(benchmark::kMillisecond);

}  // namespace
