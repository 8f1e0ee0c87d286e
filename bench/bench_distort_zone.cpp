// Flip, nudge and twist on a full 2048 x 1536 picture with a zone over all of it. A nudge or
// twist press is timed at a chosen depth: the opposite press that brings the level back before
// the next timed one runs outside the timing.
#include "bench/bench_support.h"
#include "core/destination_commands.h"
#include "core/distortion_engine.h"
#include "core/zone.h"

namespace {

using wendral::Distortion;
using wendral::DistortionEngine;
using wendral::WendralState;
using wendral::Zone;

struct Setup {
    WendralState state;
    DistortionEngine engine;
    Zone zone;
    Setup() {
        wendral::bench::FillFullDestination(state);
        zone.x1 = 0;
        zone.y1 = 0;
        zone.x2 = wendral::kMaxWidth - 1;
        zone.y2 = wendral::kMaxHeight - 1;
    }
};

Setup& Shared() {
    static Setup setup;
    return setup;
}

void TimePress(benchmark::State& st, Distortion deeper, Distortion back, int press) {
    Setup& s = Shared();
    s.zone.ResetLevels();
    s.engine.Press(deeper, s.state, s.zone, {}, press - 1);
    for (auto _ : st) {
        s.engine.Press(deeper, s.state, s.zone);
        benchmark::ClobberMemory();
        st.PauseTiming();
        s.engine.Press(back, s.state, s.zone);
        st.ResumeTiming();
    }
}

void BM_NudgeUpward50thPress(benchmark::State& st) {
    const wendral::bench::ThreadsFor threads(st, 0);
    TimePress(st, Distortion::NudgeUpward, Distortion::NudgeDownward, 50);
}
BENCHMARK(BM_NudgeUpward50thPress)
    ->ArgsProduct({wendral::bench::ThreadCounts()})
    ->ArgNames({"threads"})
    ->Unit(benchmark::kMillisecond);

void BM_NudgeLeft50thPress(benchmark::State& st) {
    const wendral::bench::ThreadsFor threads(st, 0);
    TimePress(st, Distortion::NudgeLeft, Distortion::NudgeRight, 50);
}
BENCHMARK(BM_NudgeLeft50thPress)
    ->ArgsProduct({wendral::bench::ThreadCounts()})
    ->ArgNames({"threads"})
    ->Unit(benchmark::kMillisecond);

// Going back one level from 50: the press that a held opposite key repeats.
void BM_NudgeDownwardFrom50(benchmark::State& st) {
    const wendral::bench::ThreadsFor threads(st, 0);
    Setup& s = Shared();
    s.zone.ResetLevels();
    s.engine.Press(Distortion::NudgeUpward, s.state, s.zone, {}, 50);
    for (auto _ : st) {
        if (s.zone.VerticalNudgeLevel < 2) {
            st.PauseTiming();
            s.engine.Press(Distortion::NudgeUpward, s.state, s.zone, {},
                           50 - s.zone.VerticalNudgeLevel);
            st.ResumeTiming();
        }
        s.engine.Press(Distortion::NudgeDownward, s.state, s.zone);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_NudgeDownwardFrom50)
    ->ArgsProduct({wendral::bench::ThreadCounts()})
    ->ArgNames({"threads"})
    ->Unit(benchmark::kMillisecond);

void BM_TwistRight10thPress(benchmark::State& st) {
    const wendral::bench::ThreadsFor threads(st, 0);
    TimePress(st, Distortion::TwistRight, Distortion::TwistLeft, 10);
}
BENCHMARK(BM_TwistRight10thPress)
    ->ArgsProduct({wendral::bench::ThreadCounts()})
    ->ArgNames({"threads"})
    ->Unit(benchmark::kMillisecond);

void BM_Flip(benchmark::State& st) {
    Setup& s = Shared();
    const wendral::bench::ThreadsFor threads(st, 0);
    for (auto _ : st) {
        wendral::Flip(s.state, s.zone);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Flip)
    ->ArgsProduct({wendral::bench::ThreadCounts()})
    ->ArgNames({"threads"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
