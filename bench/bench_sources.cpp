#include <memory>

#include "bench/bench_support.h"
#include "core/sources.h"

namespace {

using wendral::kMaxHeight;
using wendral::kMaxWidth;

// A full-grid source window holding a 2048 x 1536 picture, laid out at the given scales.
std::unique_ptr<wendral::SourceView> FullView(int widthScale, int heightScale) {
    auto view = std::make_unique<wendral::SourceView>();
    wendral::PicturePacket p = wendral::MakePicturePacket(kMaxWidth, kMaxHeight, nullptr);
    const std::vector<std::uint8_t> bytes = wendral::bench::MakeSourcePixels(99);
    std::memcpy(p.data() + wendral::PicturePacket::kHeaderSize, bytes.data(), wendral::kStoreBytes);
    view->Document.packet = std::move(p);
    view->Document.PictureWidth = kMaxWidth;
    view->Document.PictureHeight = kMaxHeight;
    view->SetClientSize(kMaxWidth, kMaxHeight);
    view->SetScales(widthScale, heightScale);
    view->LayoutSourceView(false);
    return view;
}

void BM_RenderSourceView(benchmark::State& st) {
    const int scale = static_cast<int>(st.range(0));
    auto view = FullView(scale, scale);
    for (auto _ : st) {
        view->RenderSourceView();
        benchmark::DoNotOptimize(view->SourcePixels());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RenderSourceView)->Arg(100)->Arg(150)->Arg(50)->Unit(benchmark::kMillisecond);

void BM_RebuildDestinationOneSource(benchmark::State& st) {
    static wendral::WendralState state;
    wendral::Zone zone;
    auto view = FullView(100, 100);
    wendral::AttachSource(state, *view);
    for (auto _ : st) {
        wendral::SourceOutcome out;
        wendral::RebuildDestination(state, zone, out);
        benchmark::ClobberMemory();
    }
    state.SourceCount = 0;
    state.SourceViews[1] = nullptr;
}
BENCHMARK(BM_RebuildDestinationOneSource)->Unit(benchmark::kMillisecond);

}  // namespace
