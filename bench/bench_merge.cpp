#include <vector>

#include "bench/bench_support.h"
#include "core/distortion_engine.h"
#include "core/merge.h"
#include "core/merge_ops.h"
#include "core/rotate.h"

namespace {

using namespace wendral;

struct Sources {
    std::vector<std::uint8_t> one = bench::MakeSourcePixels(1);
    std::vector<std::uint8_t> two = bench::MakeSourcePixels(2);
    SourceImage Image1() const { return SourceImage{one.data(), kMaxWidth, kMaxHeight}; }
    SourceImage Image2() const { return SourceImage{two.data(), kMaxWidth, kMaxHeight}; }
};
const Sources& TheSources() {
    static const Sources sources;
    return sources;
}

// Argument 0: the index of the rule in kMergeRules; argument 1: the contrast bit.
void BM_MergeSources(benchmark::State& st) {
    static WendralState state;
    Zone zone;
    const Sources& s = TheSources();
    state.MergeMode =
        kMergeRules[static_cast<std::size_t>(st.range(0))].bit | static_cast<unsigned>(st.range(1));
    state.MergeBias = 100;
    state.ContrastThreshold = 127;
    Messages out;
    const bench::ThreadsFor threads(st, 2);
    for (auto _ : st) {
        MergeSources(state, zone, s.Image1(), s.Image2(), out);
        benchmark::ClobberMemory();
    }
    st.SetLabel(kMergeRules[static_cast<std::size_t>(st.range(0))].batchName);
}
BENCHMARK(BM_MergeSources)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6, 7, 8},
                   {kContrastNormalBit, kContrastRgbBit, kContrastBwBit},
                   bench::ThreadCounts()})
    ->ArgNames({"", "", "threads"})
    ->Unit(benchmark::kMillisecond);

// One press over a zone covering the whole picture, alternating the two commands between
// levels 1 and 2 so that every timed press re-renders the zone.
void BM_PortionMerge(benchmark::State& st) {
    const wendral::bench::ThreadsFor threads(st, 0);
    static WendralState state;
    Zone zone;
    DistortionEngine engine;
    bench::FillFullDestination(state);
    zone.x1 = 0;
    zone.y1 = 0;
    zone.x2 = kMaxWidth - 1;
    zone.y2 = kMaxHeight - 1;
    const Sources& s = TheSources();
    const SourceImage one = s.Image1(), two = s.Image2();
    engine.Press(Distortion::Portion1, state, zone, {&one, &two});
    bool up = true;
    for (auto _ : st) {
        engine.Press(up ? Distortion::Portion1 : Distortion::Portion2, state, zone, {&one, &two});
        up = !up;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PortionMerge)
    ->ArgsProduct({wendral::bench::ThreadCounts()})
    ->ArgNames({"threads"})
    ->Unit(benchmark::kMillisecond);

void BM_RotateDestination30(benchmark::State& st) {
    static WendralState state;
    Zone zone;
    bench::FillFullDestination(state);
    const bench::ThreadsFor threads(st, 0);
    for (auto _ : st) {
        RotateDestination(state, zone, 30);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RotateDestination30)
    ->ArgsProduct({bench::ThreadCounts()})
    ->ArgNames({"threads"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
