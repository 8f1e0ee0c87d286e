#include "core/radial_distort.h"

#include <cmath>
#include <cstring>
#include <memory>

#include "core/inscribed_ellipse.h"
#include "core/limits.h"

namespace wendral {

namespace {

constexpr std::size_t kGridPixels = std::size_t{kMaxWidth} * kMaxHeight;

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
          cr_(new double[kGridPixels]),
          sr_(new double[kGridPixels]),
          runs_(new Run[kMaxHeight]) {}

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
                cr_[p] = std::cos(theta) * rho;
                sr_[p] = std::sin(theta) * rho;
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
        const std::size_t width = static_cast<std::size_t>(state.DestWidth);
        const std::size_t lastRow = static_cast<std::size_t>(state.DestHeight) - 1;
        const std::int64_t adx0 = cells_.adx0, cx = e.xc;
        for (int r = 0; r < runCount_; ++r) {
            const Run& run = runs_[r];
            const double* g = g_.get() + run.cellRow;
            const double* cr = cr_.get() + run.first;
            const double* sr = sr_.get() + run.first;
            std::uint8_t* out = dest + state.DestOffset(0, run.y);
            for (int x = run.xa; x < run.xb; ++x, ++cr, ++sr) {
                const std::int64_t d = x - cx;
                const double gx = g[(d < 0 ? -d : d) - adx0];
                const double vx = *cr * gx + xc;
                const double vy = *sr * gx + yc;
                if (!(vx >= loX && vx < hiX && vy >= loY && vy < hiY)) continue;
                const std::size_t sx = static_cast<std::size_t>(static_cast<int>(vx));
                const std::size_t sy = static_cast<std::size_t>(static_cast<int>(vy));
                const std::uint8_t* in = restore + 3 * ((lastRow - sy) * width + sx);
                std::uint8_t* o = out + 3 * static_cast<std::size_t>(x);
                o[0] = in[0];
                o[1] = in[1];
                o[2] = in[2];
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

    std::unique_ptr<double[]> u_, g_, cr_, sr_;
    std::unique_ptr<Run[]> runs_;
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
