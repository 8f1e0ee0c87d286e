#include "core/radial_distort.h"

#include <cmath>
#include <cstring>
#include <memory>

#include "core/inscribed_ellipse.h"
#include "core/limits.h"

namespace wendral {

namespace {

constexpr std::size_t kGridPixels = std::size_t{kMaxWidth} * kMaxHeight;
constexpr std::int32_t kLastFourByteRead = static_cast<std::int32_t>(kStoreBytes - 4);

struct Run {
    int y;
    int xa, xb;         // columns inside the ellipse and the picture
    std::size_t first;  // index of (xa, y) in the per-pixel arrays
    std::size_t cellRow;
};

// Everything a press can reuse from the one before. The geometry (u per cell, cos θ × ρ and
// sin θ × ρ per pixel) depends only on the zone and the picture size; the factor g of a level
// is one multiplication and division away from the g of the level next to it towards 0, and
// the same g serves every zone with the same geometry. Arrays hold the largest possible zone
// and are allocated once; pages the zone never reaches are never touched.
class RadialCache {
public:
    RadialCache()
        : u_(new double[kGridPixels]),
          g_(new double[kGridPixels]),
          pos_(new double[2 * kGridPixels]),
          runs_(new Run[kMaxHeight]),
          from_(new std::int32_t[kMaxWidth + 1]) {}

    void Prepare(const InscribedEllipse& e) {
        if (geometryValid_ && e_.SameWork(e)) return;
        e_ = e;
        cells_ = MakeQuadrantCells(e);
        const std::size_t n = cells_.Count();
        for (std::size_t i = 0; i < n; ++i) u_[i] = e.Margin(cells_.Adx(i), cells_.Ady(i)) / e.H;
        std::size_t p = 0;
        runCount_ = 0;
        for (int y = e.y0; y < e.y1; ++y) {
            Run& run = runs_[runCount_++];
            run.y = y;
            e.RowSpan(y, &run.xa, &run.xb);
            run.first = p;
            run.cellRow = cells_.RowBase(e, y);
            const double dy = static_cast<double>(y - e.yc);
            for (int x = run.xa; x < run.xb; ++x, ++p) {
                const double dx = static_cast<double>(x - e.xc);
                const double theta = std::atan2(dy, dx);
                const double rho = std::sqrt(dx * dx + dy * dy);
                pos_[2 * p] = std::cos(theta) * rho;
                pos_[2 * p + 1] = std::sin(theta) * rho;
            }
        }
        geometryValid_ = true;
        gValid_ = false;
    }

    void Render(WendralState& state, int level) {
        if (level == 0) {
            CopyBack(state);
            return;
        }
        UpdateFactors(level);
        const InscribedEllipse& e = e_;
        const double xc = static_cast<double>(e.xc), yc = static_cast<double>(e.yc);
        // trunc(v) lies in [lo, hi) exactly when v does, except that for lo = 0 every v above -1
        // truncates to 0. Testing before converting also turns away infinities and NaN.
        const double loX = e.x0 == 0 ? std::nextafter(-1.0, 0.0) : e.x0, hiX = e.x1;
        const double loY = e.y0 == 0 ? std::nextafter(-1.0, 0.0) : e.y0, hiY = e.y1;
        const std::uint8_t* restore = state.RestoreStore();
        std::uint8_t* dest = state.DestinationStore();
        // Offsets fit 32 bits: the store is 9,437,184 bytes.
        const std::int32_t width = state.DestWidth;
        const std::int32_t lastRow = state.DestHeight - 1;
        const std::int64_t adx0 = cells_.adx0, cx = e.xc;
        for (int r = 0; r < runCount_; ++r) {
            const Run& run = runs_[r];
            const double* g = g_.get() + run.cellRow;
            const double* pos = pos_.get() + 2 * run.first;
            // First every source offset of the row (-1: keep the pixel), then the copies, so
            // that the loads of source pixels do not wait on the arithmetic.
            const int n = run.xb - run.xa;
            std::int32_t* from = from_.get();
            for (int i = 0; i < n; ++i) {
                const std::int64_t d = run.xa + i - cx;
                const double gx = g[(d < 0 ? -d : d) - adx0];
                const double vx = pos[2 * i] * gx + xc;
                const double vy = pos[2 * i + 1] * gx + yc;
                const bool keep = !(vx >= loX && vx < hiX && vy >= loY && vy < hiY);
                const std::int32_t sx = keep ? 0 : static_cast<std::int32_t>(vx);
                const std::int32_t sy = keep ? 0 : static_cast<std::int32_t>(vy);
                from[i] = keep ? -1 : 3 * ((lastRow - sy) * width + sx);
            }
            from[n] = -1;
            std::uint8_t* out = dest + state.DestOffset(run.xa, run.y);
            for (int i = 0; i < n; ++i, out += 3) {
                if (from[i] < 0) continue;
                const std::uint8_t* in = restore + from[i];
                // When the next pixel is written too, its first byte may be clobbered now; the
                // fourth byte read stays inside the store.
                if (from[i + 1] >= 0 && from[i] < kLastFourByteRead) {
                    std::memcpy(out, in, 4);
                } else {
                    out[0] = in[0];
                    out[1] = in[1];
                    out[2] = in[2];
                }
            }
        }
    }

private:
    void CopyBack(WendralState& state) {
        for (int r = 0; r < runCount_; ++r) {
            const Run& run = runs_[r];
            if (run.xa >= run.xb) continue;
            const std::size_t at = state.DestOffset(run.xa, run.y);
            std::memcpy(state.DestinationStore() + at, state.RestoreStore() + at,
                        3 * static_cast<std::size_t>(run.xb - run.xa));
        }
    }

    // Once a cell's factor stops changing (it has reached 0, infinity or a rounding fixed
    // point) further steps cannot change it, so deep levels cost no more than that.
    void UpdateFactors(int level) {
        const std::size_t n = cells_.Count();
        double* g = g_.get();
        const double* u = u_.get();
        if (gValid_ && level == gLevel_) return;
        if (gValid_ && level > 0 && level == gLevel_ + 1) {
            for (std::size_t i = 0; i < n; ++i) g[i] = g[i] * 8 / (u[i] + 8);
        } else if (gValid_ && level < 0 && level == gLevel_ - 1) {
            for (std::size_t i = 0; i < n; ++i) g[i] = g[i] * (u[i] / 8 + 1);
        } else {
            const long long presses = level > 0 ? level : -static_cast<long long>(level);
            for (std::size_t i = 0; i < n; ++i) {
                double f = 1;
                for (long long j = 0; j < presses; ++j) {
                    const double next = level > 0 ? f * 8 / (u[i] + 8) : f * (u[i] / 8 + 1);
                    if (next == f) break;
                    f = next;
                }
                g[i] = f;
            }
        }
        gValid_ = true;
        gLevel_ = level;
    }

    // u and g per cell; cos θ × ρ and sin θ × ρ per pixel, side by side.
    std::unique_ptr<double[]> u_, g_, pos_;
    std::unique_ptr<Run[]> runs_;
    std::unique_ptr<std::int32_t[]> from_;
    int runCount_ = 0;
    InscribedEllipse e_;
    QuadrantCells cells_;
    bool geometryValid_ = false;
    bool gValid_ = false;
    int gLevel_ = 0;
};

RadialCache& Cache() {
    static RadialCache cache;
    return cache;
}

ZoneOutcome Repeat(WendralState& state, Zone& zone, int step, int presses) {
    ZoneOutcome last = ZoneOutcome::Nothing;
    for (int i = 0; i < presses; ++i) {
        last = Radial(state, zone, step);
        if (last != ZoneOutcome::Redraw) break;
    }
    return last;
}

}  // namespace

ZoneOutcome Radial(WendralState& state, Zone& zone, int step) {
    state.DestModified = 1;
    zone.ColourLevel = 0;
    zone.HorizontalNudgeLevel = 0;
    zone.VerticalNudgeLevel = 0;
    zone.TwistLevel = 0.0;
    zone.PortionLevel = 0;
    if (zone.ImplodeLevel == 0) state.SnapshotDestination();
    if (!zone.HasZone()) return ZoneOutcome::AskZoneQuestion;
    zone.ImplodeLevel += step;
    const InscribedEllipse e = MakeInscribedEllipse(zone, state.DestWidth, state.DestHeight);
    if (e.Empty()) return ZoneOutcome::Redraw;
    RadialCache& cache = Cache();
    cache.Prepare(e);
    cache.Render(state, zone.ImplodeLevel);
    return ZoneOutcome::Redraw;
}

ZoneOutcome Implode(WendralState& state, Zone& zone, int presses) { return Repeat(state, zone, -1, presses); }
ZoneOutcome Explode(WendralState& state, Zone& zone, int presses) { return Repeat(state, zone, +1, presses); }

}  // namespace wendral
