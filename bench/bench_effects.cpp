#include "bench/bench_support.h"
#include "core/convolution.h"
#include "core/special_effect.h"
#include "core/tonal_effects.h"
#include "core/tone_curve.h"

namespace {

using wendral::WendralState;

// One slider event of the brightness dialog: the whole picture through three channel curves.
void BM_ToneCurveSliderEvent(benchmark::State& st) {
    static WendralState state;
    wendral::bench::FillFullDestination(state);
    wendral::ToneSettings t;
    t.Brightness = {100, 140, 200};
    t.Contrast = {-30, 90, 200};
    t.GammaBend = 77;
    const wendral::bench::ThreadsFor threads(st, 0);
    for (auto _ : st) {
        wendral::RenderToneCurve(state, t);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ToneCurveSliderEvent)
    ->ArgsProduct({wendral::bench::ThreadCounts()})
    ->ArgNames({"threads"})
    ->Unit(benchmark::kMillisecond);

// A whole filter command, snapshot included.
void BM_Filter(benchmark::State& st) {
    static WendralState state;
    wendral::bench::FillFullDestination(state);
    const wendral::ConvolutionFilter& f = wendral::kConvolutionFilters[st.range(0)];
    st.SetLabel(f.name);
    const wendral::bench::ThreadsFor threads(st, 1);
    for (auto _ : st) {
        wendral::ApplyFilter(state, f);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Filter)
    ->ArgsProduct({{0, 1, 2, 3, 4}, wendral::bench::ThreadCounts()})
    ->ArgNames({"", "threads"})
    ->Unit(benchmark::kMillisecond);

void BM_BlackAndWhite(benchmark::State& st) {
    static WendralState state;
    wendral::bench::FillFullDestination(state);
    const wendral::bench::ThreadsFor threads(st, 0);
    for (auto _ : st) {
        wendral::ConvertToBlackWhite(state);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BlackAndWhite)
    ->ArgsProduct({wendral::bench::ThreadCounts()})
    ->ArgNames({"threads"})
    ->Unit(benchmark::kMillisecond);

void BM_InvertBrightness(benchmark::State& st) {
    static WendralState state;
    wendral::bench::FillFullDestination(state);
    const wendral::bench::ThreadsFor threads(st, 0);
    for (auto _ : st) {
        wendral::InvertBrightness(state);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_InvertBrightness)
    ->ArgsProduct({wendral::bench::ThreadCounts()})
    ->ArgNames({"threads"})
    ->Unit(benchmark::kMillisecond);

// One click of the special effects dialog with every parameter in use.
void BM_SpecialEffectAllParameters(benchmark::State& st) {
    static WendralState state;
    wendral::bench::FillFullDestination(state);
    const wendral::SpecialEffectParams p{9, 5, 3, 7, 4};
    const wendral::bench::ThreadsFor threads(st, 0);
    for (auto _ : st) {
        wendral::SpecialEffect(state, p);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SpecialEffectAllParameters)
    ->ArgsProduct({wendral::bench::ThreadCounts()})
    ->ArgNames({"threads"})
    ->Unit(benchmark::kMillisecond);

// The strokes of one pencil drawing, always from the same noisy snapshot.
void BM_PencilDraw(benchmark::State& st) {
    static WendralState state;
    wendral::bench::FillFullDestination(state);
    for (auto _ : st) {
        wendral::PencilDraw(state);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PencilDraw)->Unit(benchmark::kMillisecond);

}  // namespace
