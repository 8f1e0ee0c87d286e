#include "core/colour_pull.h"

#include <algorithm>
#include <memory>

#include "core/inscribed_ellipse.h"
#include "core/limits.h"

namespace wendral {

namespace {

constexpr std::size_t kGridPixels = std::size_t{kMaxWidth} * kMaxHeight;

struct Run {
    int y;
    int xa, xb;
    std::size_t cellRow;
};

// q = (m / H)² depends only on the zone and the picture size and is kept per cell (one cell
// serves the up to four pixels at the same |dx| and |dy|); the share s of a press is worked out
// once per cell from it. Allocated once at the largest zone; untouched pages cost nothing.
class PullCache {
public:
    PullCache() : q_(new double[kGridPixels]), s_(new double[kGridPixels]), runs_(new Run[kMaxHeight]) {}

    void Prepare(const InscribedEllipse& e) {
        if (valid_ && e_.SameWork(e)) return;
        e_ = e;
        cells_ = MakeQuadrantCells(e);
        const std::size_t n = cells_.Count();
        for (std::size_t i = 0; i < n; ++i) {
            const double t = e.Margin(cells_.Adx(i), cells_.Ady(i)) / e.H;
            q_[i] = t * t;
        }
        runCount_ = 0;
        for (int y = e.y0; y < e.y1; ++y) {
            Run& run = runs_[runCount_++];
            run.y = y;
            e.RowSpan(y, &run.xa, &run.xb);
            run.cellRow = cells_.RowBase(e, y);
        }
        valid_ = true;
    }

    void Render(WendralState& state, int level) {
        const std::size_t n = cells_.Count();
        const double l = level;
        if (level >= 0) {
            for (std::size_t i = 0; i < n; ++i) {
                const double w = l * q_[i] / 4;
                s_[i] = w / (w + 1);
            }
            Apply<false>(state);
        } else {
            for (std::size_t i = 0; i < n; ++i) s_[i] = l * q_[i] / 4;
            Apply<true>(state);
        }
    }

private:
    // Converge keeps every channel between its value and the reference, so only diverge needs
    // the clamps. Diverge's products grow without bound with the level; limiting them to ±512
    // before the conversion changes no clamped result and keeps the conversion defined.
    template <bool kDiverge>
    void Apply(WendralState& state) {
        const int ref[3] = {state.ReferenceColour.b, state.ReferenceColour.g, state.ReferenceColour.r};
        const std::uint8_t* restore = state.RestoreStore();
        std::uint8_t* dest = state.DestinationStore();
        const std::int64_t adx0 = cells_.adx0, cx = e_.xc;
        for (int r = 0; r < runCount_; ++r) {
            const Run& run = runs_[r];
            const double* s = s_.get() + run.cellRow;
            const std::size_t row = state.DestOffset(0, run.y);
            const std::uint8_t* in = restore + row;
            std::uint8_t* out = dest + row;
            for (int x = run.xa; x < run.xb; ++x) {
                const std::int64_t d = x - cx;
                const double share = s[(d < 0 ? -d : d) - adx0];
                const std::size_t at = 3 * static_cast<std::size_t>(x);
                for (int c = 0; c < 3; ++c) {
                    const int v = in[at + c];
                    double moved = static_cast<double>(v - ref[c]) * share;
                    if constexpr (kDiverge) moved = std::clamp(moved, -512.0, 512.0);
                    int result = v - static_cast<int>(moved);
                    if constexpr (kDiverge) result = std::clamp(result, 0, 255);
                    out[at + c] = static_cast<std::uint8_t>(result);
                }
            }
        }
    }

    std::unique_ptr<double[]> q_, s_;
    std::unique_ptr<Run[]> runs_;
    int runCount_ = 0;
    InscribedEllipse e_;
    QuadrantCells cells_;
    bool valid_ = false;
};

PullCache& Cache() {
    static PullCache cache;
    return cache;
}

ZoneOutcome Repeat(WendralState& state, Zone& zone, int step, int presses) {
    ZoneOutcome last = ZoneOutcome::Nothing;
    for (int i = 0; i < presses; ++i) {
        last = Pull(state, zone, step);
        if (last != ZoneOutcome::Redraw) break;
    }
    return last;
}

}  // namespace

ZoneOutcome Pull(WendralState& state, Zone& zone, int step) {
    state.DestModified = 1;
    zone.TwistLevel = 0.0;
    zone.ImplodeLevel = 0;
    zone.HorizontalNudgeLevel = 0;
    zone.VerticalNudgeLevel = 0;
    zone.PortionLevel = 0;
    if (zone.ColourLevel == 0) state.SnapshotDestination();
    if (!zone.HasZone()) return ZoneOutcome::AskZoneQuestion;
    zone.ColourLevel += step;
    const InscribedEllipse e = MakeInscribedEllipse(zone, state.DestWidth, state.DestHeight);
    if (e.Empty()) return ZoneOutcome::Redraw;
    PullCache& cache = Cache();
    cache.Prepare(e);
    cache.Render(state, zone.ColourLevel);
    return ZoneOutcome::Redraw;
}

ZoneOutcome Converge(WendralState& state, Zone& zone, int presses) { return Repeat(state, zone, +1, presses); }
ZoneOutcome Diverge(WendralState& state, Zone& zone, int presses) { return Repeat(state, zone, -1, presses); }

}  // namespace wendral
