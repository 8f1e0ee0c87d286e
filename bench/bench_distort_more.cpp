// Implode, explode, converge and diverge on a full-size picture with a full-picture zone.
#include "bench/bench_support.h"
#include "core/distortion_engine.h"

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
void RadialTenthPress(benchmark::State& st, wendral::Distortion key) {
    static wendral::WendralState state;
    wendral::DistortionEngine engine;
    wendral::bench::FillFullDestination(state);
    wendral::Zone zone = FullZone();
    engine.Press(key, state, zone);  // the zone's geometry, as its first press builds it
    for (auto _ : st) {
        st.PauseTiming();
        zone.ResetLevels();
        engine.Press(key, state, zone, {}, 9);
        st.ResumeTiming();
        engine.Press(key, state, zone);
        benchmark::ClobberMemory();
    }
}

void BM_ImplodeTenthPress(benchmark::State& st) {
    const wendral::bench::ThreadsFor threads(st, 0);
    RadialTenthPress(st, wendral::Distortion::Implode);
}
void BM_ExplodeTenthPress(benchmark::State& st) {
    const wendral::bench::ThreadsFor threads(st, 0);
    RadialTenthPress(st, wendral::Distortion::Explode);
}
BENCHMARK(BM_ImplodeTenthPress)
    ->ArgsProduct({wendral::bench::ThreadCounts()})
    ->ArgNames({"threads"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(12);
BENCHMARK(BM_ExplodeTenthPress)
    ->ArgsProduct({wendral::bench::ThreadCounts()})
    ->ArgNames({"threads"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(12);

// One press that takes the level to 5 (or -5) on a zone already pressed.
void PullPressAtFive(benchmark::State& st, wendral::Distortion key, int step) {
    static wendral::WendralState state;
    wendral::DistortionEngine engine;
    wendral::bench::FillFullDestination(state);
    wendral::Zone zone = FullZone();
    engine.Press(key, state, zone);
    for (auto _ : st) {
        zone.ColourLevel = 4 * step;
        engine.Press(key, state, zone);
        benchmark::ClobberMemory();
    }
}

void BM_ConvergePressAtLevel5(benchmark::State& st) {
    const wendral::bench::ThreadsFor threads(st, 0);
    PullPressAtFive(st, wendral::Distortion::Converge, +1);
}
void BM_DivergePressAtLevel5(benchmark::State& st) {
    const wendral::bench::ThreadsFor threads(st, 0);
    PullPressAtFive(st, wendral::Distortion::Diverge, -1);
}
BENCHMARK(BM_ConvergePressAtLevel5)
    ->ArgsProduct({wendral::bench::ThreadCounts()})
    ->ArgNames({"threads"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DivergePressAtLevel5)
    ->ArgsProduct({wendral::bench::ThreadCounts()})
    ->ArgNames({"threads"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
