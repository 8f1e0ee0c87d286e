#include "core/nudge_twist.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

#include "core/limits.h"
#include "core/near_trig.h"
#include "core/parallel.h"

namespace wendral {
namespace {

// The nudge's bump factor for a position across the axis: 1 on the centre line, about 257 on
// the zone's sides. It depends on the distance from the centre line only (IEEE arithmetic is
// symmetric in sign), which is what lets the source positions be shared by mirrored lines.
float BumpFactor(int p, int centre, int span) {
    const float w = 8.0f * static_cast<float>(p - centre) / static_cast<float>(span);
    return 1.0f + w * w * w * w;
}

// One press of a nudge moves a source position by its distance to the nearer zone edge along
// the axis, divided by 32 and by the bump factor.
template <bool Forward>
inline float StepSource(float j, float f, float lo, float hi, float centre) {
    float d = j > centre ? hi - j : j - lo;
    d = d / 32.0f;
    const float s = d / f;
    return Forward ? j + s : j - s;
}

std::uint8_t* RowOf(std::uint8_t* store, int y, int width, int height) {
    return store + 3 * static_cast<std::size_t>(height - 1 - y) * static_cast<std::size_t>(width);
}
const std::uint8_t* RowOf(const std::uint8_t* store, int y, int width, int height) {
    return store + 3 * static_cast<std::size_t>(height - 1 - y) * static_cast<std::size_t>(width);
}

// All three loads before the stores: the stores may alias the source as far as the compiler
// knows, and interleaving them serialises every pixel.
void CopyPixel(std::uint8_t* d, const std::uint8_t* s) {
    const std::uint8_t b = s[0], g = s[1], r = s[2];
    d[0] = b;
    d[1] = g;
    d[2] = r;
}

constexpr int kPrefetchRows = 4;

// A twisted pixel at (dx, dy) from the centre takes its source at rho cos(theta - a) and
// rho sin(theta - a), theta = atan2(dy, dx), a = turn x q / 8, with the library's cos and sin.
// That is dx cos a + dy sin a and dy cos a - dx sin a, and a depends on the cell (|dx|, |dy|)
// alone, so a press needs cos a and sin a once a cell. For |a| up to kTwistTurnLimit the two
// positions differ by less than 1e-8 of a pixel: rho < 2^11 times the roundings of atan2, of
// theta - a (below 2e-12 there) and of cos and sin, plus SinCosNear's error (kSinCosNearError)
// times |dx| + |dy| < 2^12. The margin is a hundred times that; a pixel it leaves unsure, and
// every pixel of a deeper turn, takes the formula.
constexpr double kTwistTurnLimit = 1.0e4;
constexpr double kTwistMargin = 1.0e-6;

int HalfExtent(int lo, int hi, int centre) {
    return hi > lo ? std::max(centre - lo, hi - 1 - centre) + 1 : 0;
}

}  // namespace

struct NudgeGeometry {
    bool vertical = true;
    int xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    friend bool operator==(const NudgeGeometry&, const NudgeGeometry&) = default;
};

// Source positions J of every visited zone position at one nudge level, for one line across
// the axis per distinct bump factor. Vertical nudges lay them out row by row (position along
// the axis, then factor), horizontal ones factor by factor, so that the pixel pass reads them in
// store order either way.
//
// Going one level deeper is one step per value. Going back cannot undo a rounded step, so the
// level before the current one is kept as well, and checkpoints of earlier levels are spaced so
// that a few fixed buffers cover any depth; a way back that finds neither recomputes from the
// nearest checkpoint and spreads the free checkpoints over that stretch for the presses after.
class NudgeLevelCache {
  public:
    static constexpr std::size_t kKeys = kMaxWidth / 2 + 1;
    static constexpr std::size_t kCapacity = kKeys * kMaxHeight;
    static constexpr int kCheckpoints = 6;
    static constexpr int kFirstSpacing = 4;

    NudgeLevelCache()
        : slab_(std::make_unique_for_overwrite<float[]>(kCapacity * (kCheckpoints + 2))),
          factor_(std::make_unique_for_overwrite<float[]>(kKeys)) {
        cur_ = slab_.get();
        prev_ = cur_ + kCapacity;
        for (int i = 0; i < kCheckpoints; ++i) slots_[i] = Slot{-1, prev_ + (i + 1) * kCapacity};
    }

    // The positions after `level` presses (level >= 0) moving towards larger coordinates
    // (forward) or smaller ones.
    const float* Positions(const NudgeGeometry& g, bool forward, int level) {
        if (!valid_ || !(g == geometry_) || forward != forward_) Reset(g, forward);
        if (level > level_) {
            while (level_ < level) {
                Advance();
                if (level_ % spacing_ == 0) Keep();
            }
        } else if (level < level_) {
            GoBack(level);
        }
        return cur_;
    }
    int Keys() const { return keys_; }

  private:
    struct Slot {
        int level;  // -1: free
        float* data;
    };

    std::size_t Size() const {
        return static_cast<std::size_t>(keys_) * static_cast<std::size_t>(count_);
    }

    void Reset(const NudgeGeometry& g, bool forward) {
        valid_ = true;
        geometry_ = g;
        forward_ = forward;
        const int lo = g.vertical ? g.ymin : g.xmin;
        const int hi = g.vertical ? g.ymax : g.xmax;
        const int acrossLo = g.vertical ? g.xmin : g.ymin;
        const int acrossHi = g.vertical ? g.xmax : g.ymax;
        const int centre = (lo + hi) / 2;
        const int acrossCentre = (acrossLo + acrossHi) / 2;
        lo_ = static_cast<float>(lo);
        hi_ = static_cast<float>(hi);
        centre_ = static_cast<float>(centre);
        count_ = hi - lo;
        start_ = forward ? lo : lo + 1;
        keys_ = HalfExtent(acrossLo, acrossHi, acrossCentre);
        for (int k = 0; k < keys_; ++k) {
            const int p = acrossCentre + k <= acrossHi - 1 ? acrossCentre + k : acrossCentre - k;
            factor_[k] = BumpFactor(p, acrossCentre, acrossHi - acrossLo);
        }
        for (Slot& s : slots_) s.level = -1;
        spacing_ = kFirstSpacing;
        prevLevel_ = -1;
        level_ = 0;
        StartLevelZero(cur_);
    }

    void StartLevelZero(float* out) const {
        if (geometry_.vertical) {
            for (int i = 0; i < count_; ++i) {
                const float j = static_cast<float>(start_ + i);
                std::fill(out + static_cast<std::size_t>(i) * keys_,
                          out + static_cast<std::size_t>(i + 1) * keys_, j);
            }
        } else {
            for (int k = 0; k < keys_; ++k) {
                float* line = out + static_cast<std::size_t>(k) * count_;
                for (int i = 0; i < count_; ++i) line[i] = static_cast<float>(start_ + i);
            }
        }
    }

    template <bool Forward>
    void StepAs(const float* in, float* out) const {
        const float lo = lo_, hi = hi_, centre = centre_;
        const float* f = factor_.get();
        const int keys = keys_, count = count_;
        if (geometry_.vertical) {
            ForEachRowBand(count, keys, [&](int first, int end) {
                for (int i = first; i < end; ++i) {
                    const float* a = in + static_cast<std::size_t>(i) * keys;
                    float* b = out + static_cast<std::size_t>(i) * keys;
                    for (int k = 0; k < keys; ++k)
                        b[k] = StepSource<Forward>(a[k], f[k], lo, hi, centre);
                }
            });
        } else {
            ForEachRowBand(keys, count, [&](int first, int end) {
                for (int k = first; k < end; ++k) {
                    const float* a = in + static_cast<std::size_t>(k) * count;
                    float* b = out + static_cast<std::size_t>(k) * count;
                    const float fk = f[k];
                    for (int i = 0; i < count; ++i)
                        b[i] = StepSource<Forward>(a[i], fk, lo, hi, centre);
                }
            });
        }
    }

    void Advance() {
        if (forward_)
            StepAs<true>(cur_, prev_);
        else
            StepAs<false>(cur_, prev_);
        std::swap(cur_, prev_);
        prevLevel_ = level_;
        ++level_;
    }

    Slot* FreeSlot() {
        for (Slot& s : slots_)
            if (s.level < 0) return &s;
        return nullptr;
    }

    void Store(Slot& s) {
        std::memcpy(s.data, cur_, Size() * sizeof(float));
        s.level = level_;
    }

    // Checkpoints the current level on the way down; when every buffer is taken, the spacing
    // doubles and the checkpoints off the new spacing make room.
    void Keep() {
        Slot* s = FreeSlot();
        while (s == nullptr) {
            spacing_ *= 2;
            for (Slot& t : slots_)
                if (t.level % spacing_ != 0) t.level = -1;
            s = FreeSlot();
        }
        if (level_ % spacing_ == 0) Store(*s);
    }

    void GoBack(int target) {
        for (Slot& s : slots_)
            if (s.level > target) s.level = -1;
        if (prevLevel_ > target) prevLevel_ = -1;
        if (prevLevel_ == target) {
            std::swap(cur_, prev_);
            level_ = target;
            prevLevel_ = -1;
            return;
        }
        Slot* best = nullptr;
        int bestLevel = 0;
        for (Slot& s : slots_)
            if (s.level > bestLevel) {
                best = &s;
                bestLevel = s.level;
            }
        if (prevLevel_ > bestLevel) {
            std::swap(cur_, prev_);
            level_ = prevLevel_;
        } else if (best != nullptr) {
            std::memcpy(cur_, best->data, Size() * sizeof(float));
            level_ = bestLevel;
        } else {
            StartLevelZero(cur_);
            level_ = 0;
        }
        prevLevel_ = -1;
        int free = 0;
        for (const Slot& s : slots_) free += s.level < 0 ? 1 : 0;
        const int spread = (target - level_) / (free + 1);
        int next = level_ + spread;
        while (level_ < target) {
            Advance();
            if (spread > 0 && level_ == next && level_ < target) {
                if (Slot* s = FreeSlot()) Store(*s);
                next += spread;
            }
        }
    }

    std::unique_ptr<float[]> slab_;
    std::unique_ptr<float[]> factor_;
    float* cur_ = nullptr;
    float* prev_ = nullptr;
    Slot slots_[kCheckpoints];
    bool valid_ = false;
    NudgeGeometry geometry_;
    bool forward_ = true;
    int level_ = 0;
    int prevLevel_ = -1;
    int spacing_ = kFirstSpacing;
    float lo_ = 0, hi_ = 0, centre_ = 0;
    int count_ = 0;  // positions visited along the axis
    int start_ = 0;  // the first of them
    int keys_ = 0;  // distinct bump factors: lines at equal distance from the centre line share one
};

// The twist's geometry of one zone: the fall-off q (negative outside the inscribed ellipse) and
// the distance rho depend on |dx| and |dy| only and are kept for one quadrant, and so are cos a
// and sin a of a press's turn. The angle theta is worked out only for the few pixels that need
// the formula.
class TwistGeometryCache {
  public:
    static constexpr std::size_t kHalfX = kMaxWidth / 2 + 1;
    static constexpr std::size_t kHalfY = kMaxHeight / 2 + 1;

    TwistGeometryCache()
        : fall_(std::make_unique_for_overwrite<double[]>(kHalfX * kHalfY)),
          radius_(std::make_unique_for_overwrite<double[]>(kHalfX * kHalfY)),
          cosTurn_(std::make_unique_for_overwrite<double[]>(kHalfX * kHalfY)),
          sinTurn_(std::make_unique_for_overwrite<double[]>(kHalfX * kHalfY)) {}

    void Prepare(const Zone& area) {
        if (valid_ && area.x1 == x1_ && area.y1 == y1_ && area.x2 == x2_ && area.y2 == y2_) return;
        valid_ = true;
        x1_ = area.x1;
        y1_ = area.y1;
        x2_ = area.x2;
        y2_ = area.y2;
        const int xmin = area.xmin(), xmax = area.xmax(), ymin = area.ymin(), ymax = area.ymax();
        const int xc = (xmin + xmax) / 2, yc = (ymin + ymax) / 2;
        halfX_ = HalfExtent(xmin, xmax, xc);
        const int halfY = HalfExtent(ymin, ymax, yc);
        halfY_ = halfY;
        if (halfX_ == 0 || halfY == 0) return;  // no column or no row: nothing is ever drawn
        const double h = std::abs(static_cast<double>(y2_ - y1_));
        const double k =
            static_cast<double>(y2_ - y1_) / static_cast<double>(x2_ - x1_);  // x2 != x1 here
        const int halfX = halfX_;
        ForEachRowBand(halfY, halfX, [&](int first, int end) {
            for (int ady = first; ady < end; ++ady) {
                const double dy = ady;
                for (int adx = 0; adx < halfX; ++adx) {
                    const double dx = adx;
                    const double r = std::sqrt((dx * k) * (dx * k) + dy * dy);
                    const double m = h - 2 * r;
                    const std::size_t at = static_cast<std::size_t>(ady) * halfX + adx;
                    if (m >= 0) {
                        const double t = m / h;
                        fall_[at] = t * t;
                    } else {
                        fall_[at] = -1.0;
                    }
                    radius_[at] = std::sqrt(dx * dx + dy * dy);
                }
            }
        });
    }

    // cos a and sin a of every cell's turn a = turn x q / 8, from SinCosNear; NaN where the
    // cell lies outside the ellipse or a is beyond what SinCosNear covers.
    void Turn(double turn) {
        const int halfX = halfX_;
        ForEachRowBand(halfY_, halfX, [&](int first, int end) {
            std::size_t at = static_cast<std::size_t>(first) * halfX;
            const std::size_t last = static_cast<std::size_t>(end) * halfX;
#if defined(WENDRAL_X86_SIMD)
            const __m128d nan = _mm_set1_pd(std::numeric_limits<double>::quiet_NaN());
            for (; at + 1 < last; at += 2) {
                const __m128d q = _mm_loadu_pd(fall_.get() + at);
                const __m128d a = _mm_div_pd(_mm_mul_pd(_mm_set1_pd(turn), q), _mm_set1_pd(8.0));
                const __m128d usable = _mm_and_pd(_mm_cmpge_pd(q, _mm_setzero_pd()),
                                                  _mm_cmple_pd(_mm_andnot_pd(_mm_set1_pd(-0.0), a),
                                                               _mm_set1_pd(kTwistTurnLimit)));
                __m128d sn, cs;
                SinCosNear2(_mm_and_pd(usable, a), sn, cs);
                _mm_storeu_pd(cosTurn_.get() + at,
                              _mm_or_pd(_mm_and_pd(usable, cs), _mm_andnot_pd(usable, nan)));
                _mm_storeu_pd(sinTurn_.get() + at,
                              _mm_or_pd(_mm_and_pd(usable, sn), _mm_andnot_pd(usable, nan)));
            }
#endif
            for (; at < last; ++at) {
                const double q = fall_[at];
                const double a = turn * q / 8;
                if (q < 0 || !(std::fabs(a) <= kTwistTurnLimit)) {
                    cosTurn_[at] = sinTurn_[at] = std::numeric_limits<double>::quiet_NaN();
                    continue;
                }
                const SinCos near = SinCosNear(a);
                cosTurn_[at] = near.cos;
                sinTurn_[at] = near.sin;
            }
        });
    }

    const double* CosTurn(int ady) const {
        return cosTurn_.get() + static_cast<std::size_t>(ady) * halfX_;
    }
    const double* SinTurn(int ady) const {
        return sinTurn_.get() + static_cast<std::size_t>(ady) * halfX_;
    }
    const double* Fall(int ady) const {
        return fall_.get() + static_cast<std::size_t>(ady) * halfX_;
    }
    const double* Radius(int ady) const {
        return radius_.get() + static_cast<std::size_t>(ady) * halfX_;
    }

  private:
    std::unique_ptr<double[]> fall_;
    std::unique_ptr<double[]> radius_;
    std::unique_ptr<double[]> cosTurn_, sinTurn_;
    bool valid_ = false;
    int x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
    int halfX_ = 0, halfY_ = 0;
};

NudgeRenderer::NudgeRenderer() : cache_(std::make_unique<NudgeLevelCache>()) {}
NudgeRenderer::~NudgeRenderer() = default;
TwistRenderer::TwistRenderer() : cache_(std::make_unique<TwistGeometryCache>()) {}
TwistRenderer::~TwistRenderer() = default;

void NudgeRenderer::Render(WendralState& state, const Zone& area, bool vertical, int level) {
    const int w = state.DestWidth, h = state.DestHeight;
    const int xmin = area.xmin(), xmax = area.xmax(), ymin = area.ymin(), ymax = area.ymax();
    if (xmax == xmin) return;  // no column to visit on either axis
    const bool forward = level > 0;
    const float* positions = cache_->Positions(NudgeGeometry{vertical, xmin, xmax, ymin, ymax},
                                               forward, forward ? level : -level);
    const std::uint8_t* restore = state.RestoreStore();
    std::uint8_t* dest = state.DestinationStore();
    // The source positions stay within the zone's edges along the axis by construction; the
    // range test (a clamp where every pixel must be written) keeps the conversion to a pixel
    // index defined whatever happens upstream.
    if (vertical) {
        const int keys = cache_->Keys();
        const int xc = (xmin + xmax) / 2;
        const float lo = static_cast<float>(ymin), hi = static_cast<float>(ymax);
        const int start = forward ? ymin : ymin + 1;
        const int rows = ymax - ymin;
        // Byte offsets of the source rows of one line of positions; a few lines ahead are kept
        // so that their sources can be fetched early. Each band of rows keeps its own.
        const std::int32_t rowBytes = 3 * w;
        ForEachRowBand(rows, xmax - xmin, [&](int first, int end) {
            std::int32_t ring[kPrefetchRows + 1][NudgeLevelCache::kKeys];
            auto rowOffsets = [&](int i) {
                const float* line = positions + static_cast<std::size_t>(i) * keys;
                std::int32_t* out = ring[i % (kPrefetchRows + 1)];
                for (int k = 0; k < keys; ++k) {
                    const float j = line[k];
                    const float sj = j >= lo ? (j <= hi ? j : hi) : lo;
                    out[k] = (h - 1 - static_cast<std::int32_t>(sj)) * rowBytes;
                }
                return out;
            };
            for (int i = first; i < std::min(first + kPrefetchRows, end); ++i) rowOffsets(i);
            for (int i = first; i < end; ++i) {
                const int y = start + i;
                // At depth the source rows of one destination row spread over hundreds of rows,
                // so the reads are latency-bound; the sources of the row a few ahead are fetched
                // early.
                if (i + kPrefetchRows < end) {
                    const std::int32_t* ahead = rowOffsets(i + kPrefetchRows);
                    for (int x = xmin; x < xc; ++x)
                        __builtin_prefetch(restore + ahead[xc - x] + 3 * x);
                    for (int x = xc; x < xmax; ++x)
                        __builtin_prefetch(restore + ahead[x - xc] + 3 * x);
                }
                const std::int32_t* from = ring[i % (kPrefetchRows + 1)];
                std::uint8_t* d = RowOf(dest, y, w, h);
                // Every pixel but the row's last one is copied as four bytes: the fourth lies in
                // the same row of both stores (x + 1 < xmax <= DestWidth - 1) and is overwritten
                // by the next pixel's copy straight after, so the loop has one load and one
                // store per pixel while the source rows it reads from spread out at depth.
                auto copy4 = [&](int x, std::int32_t at) {
                    std::uint32_t v;
                    std::memcpy(&v, restore + at + 3 * x, 4);
                    std::memcpy(d + 3 * x, &v, 4);
                };
                for (int x = xmin; x < xc; ++x) copy4(x, from[xc - x]);
                for (int x = xc; x + 1 < xmax; ++x) copy4(x, from[x - xc]);
                CopyPixel(d + 3 * (xmax - 1), restore + from[xmax - 1 - xc] + 3 * (xmax - 1));
            }
        });
    } else {
        const int count = xmax - xmin;
        const int yc = (ymin + ymax) / 2;
        const float lo = static_cast<float>(xmin), hi = static_cast<float>(xmax);
        const int start = forward ? xmin : xmin + 1;
        ForEachRowBand(ymax - ymin, count, [&](int first, int end) {
            for (int y = ymin + first; y < ymin + end; ++y) {
                const float* line = positions + static_cast<std::size_t>(std::abs(y - yc)) * count;
                const std::uint8_t* s = RowOf(restore, y, w, h);
                std::uint8_t* d = RowOf(dest, y, w, h) + 3 * start;
                for (int i = 0; i < count; ++i, d += 3) {
                    const float j = line[i];
                    if (!(j >= lo && j <= hi)) continue;
                    CopyPixel(d, s + 3 * static_cast<int>(j));
                }
            }
        });
    }
}

void TwistRenderer::Render(WendralState& state, const Zone& area, double level) {
    cache_->Prepare(area);
    const int w = state.DestWidth, h = state.DestHeight;
    const int xmin = area.xmin(), xmax = area.xmax(), ymin = area.ymin(), ymax = area.ymax();
    const int xc = (xmin + xmax) / 2, yc = (ymin + ymax) / 2;
    const int nx = xmax - xmin;
    const double turn = 3.14159 * level;
    const std::uint8_t* restore = state.RestoreStore();
    std::uint8_t* dest = state.DestinationStore();
    if (nx <= 0) return;
    // Undoing the last press leaves no turn at all, and the ellipse is put back from the base.
    // The formula would not do that on its own: cos(atan2(dy, dx)) x rho falls just short of dx
    // for many pixels and truncation then takes the neighbouring column or row, so a twist and
    // its opposite would leave a one-pixel scramble behind.
    if (level == 0.0) {
        ForEachRowBand(ymax - ymin, nx, [&](int first, int end) {
            for (int y = ymin + first; y < ymin + end; ++y) {
                const double* fall = cache_->Fall(std::abs(y - yc));
                std::uint8_t* d = RowOf(dest, y, w, h);
                const std::uint8_t* s = RowOf(restore, y, w, h);
                for (int x = xmin; x < xmax; ++x)
                    if (fall[std::abs(x - xc)] >= 0) CopyPixel(d + 3 * x, s + 3 * x);
            }
        });
        return;
    }
    cache_->Turn(turn);
    // The source offset of a pixel inside the ellipse by the formula, -1 when it stays.
    auto formula = [&](double q, double theta, double rho) {
        const double phi = theta - turn * q / 8;
        const double vx = std::cos(phi) * rho + xc;
        const double vy = std::sin(phi) * rho + yc;
        // Truncation towards zero maps (-1, 0) to column 0, so that interval is inside.
        if (!(vx > -1.0 && vx < w && vy > -1.0 && vy < h)) return -1;
        return 3 * ((h - 1 - static_cast<int>(vy)) * w + static_cast<int>(vx));
    };
    ForEachRowBand(ymax - ymin, nx, [&](int first, int end) {
        // A row's source offsets first, each source fetched as it is found, then the copies:
        // the sources of a deep twist lie on arcs across many rows and each is a cache miss of
        // its own.
        std::int32_t from[kMaxWidth];
        for (int y = ymin + first; y < ymin + end; ++y) {
            const int dy = y - yc, ady = std::abs(dy);
            const double* fall = cache_->Fall(ady);
            const double* radius = cache_->Radius(ady);
            const double* cosTurn = cache_->CosTurn(ady);
            const double* sinTurn = cache_->SinTurn(ady);
            // The formula for the pixel at x when the linear form cannot tell it.
            auto resolve = [&](int x) {
                const int adx = std::abs(x - xc);
                return formula(fall[adx],
                               std::atan2(static_cast<double>(dy), static_cast<double>(x - xc)),
                               radius[adx]);
            };
            int x = xmin;
#if defined(WENDRAL_X86_SIMD)
            const __m128d dys = _mm_set1_pd(dy), xcs = _mm_set1_pd(xc), ycs = _mm_set1_pd(yc);
            const __m128d zero = _mm_setzero_pd();
            for (; x + 1 < xmax; x += 2) {
                const int a0 = std::abs(x - xc), a1 = std::abs(x + 1 - xc);
                const __m128d q = _mm_set_pd(fall[a1], fall[a0]);
                const __m128d ca = _mm_set_pd(cosTurn[a1], cosTurn[a0]);
                const __m128d sa = _mm_set_pd(sinTurn[a1], sinTurn[a0]);
                const __m128d dx = _mm_set_pd(x + 1 - xc, x - xc);
                const __m128d vx =
                    _mm_add_pd(_mm_add_pd(_mm_mul_pd(dx, ca), _mm_mul_pd(dys, sa)), xcs);
                const __m128d vy =
                    _mm_add_pd(_mm_sub_pd(_mm_mul_pd(dys, ca), _mm_mul_pd(dx, sa)), ycs);
                // A cell without a linear form gives NaN, and its lanes are unsure.
                const __m128d inCell = _mm_cmpge_pd(q, zero);
                const int usable = _mm_movemask_pd(_mm_and_pd(inCell, _mm_cmpord_pd(vx, vy)));
                const NearSources2 near = TruncNear2(vx, vy, kTwistMargin, w, h);
                const int offMask = (_mm_movemask_pd(inCell) ^ 3) | (near.offMask & usable);
                const int insideMask = near.insideMask & usable;
                const std::int32_t* ats = near.at;
                for (int k = 0; k < 2; ++k) {
                    const std::int32_t a = ((insideMask >> k) & 1) ? ats[k]
                                           : ((offMask >> k) & 1)  ? -1
                                                                   : resolve(x + k);
                    from[x + k - xmin] = a;
                    if (a >= 0) __builtin_prefetch(restore + a);
                }
            }
#endif
            for (; x < xmax; ++x) {
                const int dx = x - xc, adx = std::abs(dx);
                std::int32_t a = -1;
                if (fall[adx] >= 0) {
                    const double ca = cosTurn[adx], sa = sinTurn[adx];
                    const int sx = TruncNear(dx * ca + dy * sa + xc, kTwistMargin, w);
                    const int sy = TruncNear(dy * ca - dx * sa + yc, kTwistMargin, h);
                    if (sx == kTruncUnsure || sy == kTruncUnsure)
                        a = (sx == kTruncOff || sy == kTruncOff) ? -1 : resolve(x);
                    else if (sx != kTruncOff && sy != kTruncOff)
                        a = 3 * ((h - 1 - sy) * w + sx);
                }
                from[x - xmin] = a;
                if (a >= 0) __builtin_prefetch(restore + a);
            }
            std::uint8_t* d = RowOf(dest, y, w, h);
            for (x = xmin; x < xmax; ++x)
                if (from[x - xmin] >= 0) CopyPixel(d + 3 * x, restore + from[x - xmin]);
        }
    });
}

}  // namespace wendral
