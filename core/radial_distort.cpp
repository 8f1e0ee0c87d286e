#include "core/ellipse_renderer_members.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <memory>

#include "core/cpu_features.h"
#include "core/inscribed_ellipse.h"
#include "core/limits.h"
#include "core/parallel.h"

namespace wendral {

namespace {

constexpr std::size_t kGridPixels = std::size_t{kMaxWidth} * kMaxHeight;
constexpr std::int32_t kLastFourByteRead = static_cast<std::int32_t>(kStoreBytes - 4);

// cos θ × ρ and sin θ × ρ of the pixel at (dx, dy) from the centre.
struct Position {
    double x, y;
};

Position ExactPosition(double dx, double dy) {
    const double theta = std::atan2(dy, dx);
    const double rho = std::sqrt(dx * dx + dy * dy);
    return {std::cos(theta) * rho, std::sin(theta) * rho};
}

bool SameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// Pixels whose position the compact form does not give back bit for bit.
struct Exception {
    std::int32_t i;  // index in its row, from xa
    Position p;
};

// One |dy| of the zone: the rows yc + |dy| and yc - |dy| that lie in the picture, which share
// their columns, their cells and (checked pixel by pixel) their positions up to the sign of y.
struct CellRow {
    double ady;
    int xa, xb;             // columns inside the ellipse and the picture
    int rowPlus, rowMinus;  // yc + |dy| and yc - |dy|, or -1 outside the picture (or a repeat)
    std::size_t cellBase;   // index of (|dx| = adx0, |dy|) in the per-cell arrays
    std::size_t cellsUsed;  // cells from adx0 to the largest |dx| of the columns
    std::size_t first;      // index of (xa, |dy|) in the compact positions
    std::size_t excPlus, excMinus, excEnd;  // exceptions of rowPlus, then of rowMinus
};

// Everything a press can reuse from the one before. The geometry (u per cell, positions per
// pixel) depends only on the zone and the picture size; the factor g of a level is one
// multiplication and division away from the g of the level next to it towards 0, and the same g
// serves every zone with the same geometry. Arrays hold the largest possible zone and are
// allocated once; pages the zone never reaches are never touched.
//
// A press is limited by memory traffic, so positions are kept small: cos θ × ρ and sin θ × ρ lie
// within a few units in the last place of dx and |dy|, and the differences are kept as floats,
// one pair for the two rows at the same |dy| (sin θ only changes sign between them). Every pixel
// is checked once per zone against the direct formula; the few the compact form cannot give back
// exactly (the centre column and row, at least) keep their positions whole in a list of
// exceptions. The factors of a cell row are brought to the level just before its rows use them,
// while they are in cache.
class RadialCache : EllipseWork {
  public:
    explicit RadialCache(InstructionSet set)
        : EllipseWork(set),
          u_(new double[kGridPixels]),
          g_(new double[kGridPixels]),
          offsets_(new float[2 * kGridPixels]),
          exceptions_(new Exception[kGridPixels]),
          cellRows_(new CellRow[kMaxHeight]) {}

    void Prepare(const InscribedEllipse& e) {
        TakeEllipse(e, [this](std::size_t i, double t) { u_[i] = t; });
        std::size_t p = 0, x = 0;
        cellRowCount_ = 0;
        for (std::int64_t r = 0; r < cells_.rows; ++r) {
            const std::int64_t ady = cells_.ady0 + r;
            const std::int64_t plus = e.yc + ady, minus = e.yc - ady;
            CellRow& row = cellRows_[cellRowCount_];
            row.rowPlus = plus >= e.y0 && plus < e.y1 ? static_cast<int>(plus) : -1;
            row.rowMinus = ady != 0 && minus >= e.y0 && minus < e.y1 ? static_cast<int>(minus) : -1;
            if (row.rowPlus < 0 && row.rowMinus < 0) continue;
            e.RowSpan(row.rowPlus >= 0 ? row.rowPlus : row.rowMinus, &row.xa, &row.xb);
            if (row.xa >= row.xb) continue;
            ++cellRowCount_;
            row.ady = static_cast<double>(ady);
            row.cellBase = static_cast<std::size_t>(r * cells_.cols);
            const std::int64_t far = std::max(e.xc - row.xa, (row.xb - 1) - e.xc);
            row.cellsUsed = static_cast<std::size_t>(far - cells_.adx0 + 1);
            row.first = p;
            const double dxa = static_cast<double>(row.xa - e.xc);
            const int n = row.xb - row.xa;
            for (int i = 0; i < n; ++i) {
                const double dx = dxa + i;
                const Position q = ExactPosition(dx, row.ady);
                offsets_[2 * p + i] = static_cast<float>(q.x - dx);
                offsets_[2 * p + n + i] = static_cast<float>(q.y - row.ady);
            }
            row.excPlus = x;
            if (row.rowPlus >= 0) x = CollectExceptions(row, dxa, +1, x);
            row.excMinus = x;
            if (row.rowMinus >= 0) x = CollectExceptions(row, dxa, -1, x);
            row.excEnd = x;
            p += static_cast<std::size_t>(n);
        }
        gValid_ = false;
    }

    void Render(WendralState& state, int level) {
        if (level == 0) {
            CopyBack(state);
            return;
        }
        const Step step = !gValid_                            ? Step::Anew
                          : level == gLevel_                  ? Step::None
                          : level > 0 && level == gLevel_ + 1 ? Step::Explode
                          : level < 0 && level == gLevel_ - 1 ? Step::Implode
                                                              : Step::Anew;
        const InscribedEllipse& e = e_;
        Frame f;
        f.xc = static_cast<double>(e.xc);
        f.yc = static_cast<double>(e.yc);
        // trunc(v) lies in [lo, hi) exactly when v does, except that for lo = 0 every v above -1
        // truncates to 0. Testing before converting also turns away infinities and NaN.
        f.loX = e.x0 == 0 ? std::nextafter(-1.0, 0.0) : e.x0;
        f.hiX = e.x1;
        f.loY = e.y0 == 0 ? std::nextafter(-1.0, 0.0) : e.y0;
        f.hiY = e.y1;
        // Offsets fit 32 bits: the store is 9,437,184 bytes.
        f.width = state.DestWidth;
        f.lastRow = state.DestHeight - 1;
        const std::int64_t adx0 = cells_.adx0, cx = e.xc;
        const std::uint8_t* restore = state.RestoreStore();
        // Cell rows own their factors and their two picture rows, so bands of them share
        // nothing but what they read.
        ForEachRowBand(cellRowCount_, f.width, [&](int firstRow, int endRow) {
            std::int32_t fromPlus[kMaxWidth + 1], fromMinus[kMaxWidth + 1];
            for (int r = firstRow; r < endRow; ++r) {
                const CellRow& row = cellRows_[r];
                double* g = g_.get() + row.cellBase;
                UpdateFactors(step, level, g, u_.get() + row.cellBase, row.cellsUsed);
                const int n = row.xb - row.xa;
                // First every source offset of the row (-1: keep the pixel), then the copies,
                // so that the loads of source pixels do not wait on the arithmetic.
                const bool plus = row.rowPlus >= 0, minus = row.rowMinus >= 0;
                const RowJob job{f,        row,       g,
                                 adx0,     cx,        offsets_.get() + 2 * row.first,
                                 fromPlus, fromMinus, restore};
                if (plus && minus)
                    RowSources<true, true>(job, set_);
                else if (plus)
                    RowSources<true, false>(job, set_);
                else
                    RowSources<false, true>(job, set_);
                for (std::size_t j = row.excPlus; j < row.excMinus; ++j) {
                    const Exception& x = exceptions_[j];
                    const double gx = g[Cell(row.xa + x.i - cx) - adx0];
                    fromPlus[x.i] = f.Source(x.p.x * gx + f.xc, x.p.y * gx + f.yc);
                }
                for (std::size_t j = row.excMinus; j < row.excEnd; ++j) {
                    const Exception& x = exceptions_[j];
                    const double gx = g[Cell(row.xa + x.i - cx) - adx0];
                    fromMinus[x.i] = f.Source(x.p.x * gx + f.xc, x.p.y * gx + f.yc);
                }
                if (plus) Copy(state, row.xa, row.rowPlus, n, fromPlus);
                if (minus) Copy(state, row.xa, row.rowMinus, n, fromMinus);
            }
        });
        gValid_ = true;
        gLevel_ = level;
    }

  private:
    enum class Step { None, Explode, Implode, Anew };

    struct Frame {
        double xc, yc, loX, hiX, loY, hiY;
        std::int32_t width, lastRow;

        // The offset in RestoreStore of the pixel at (vx, vy) truncated, or -1 when it lies
        // outside the picture or the zone rectangle.
        std::int32_t Source(double vx, double vy) const {
            const bool keep = !((vx >= loX) & (vx < hiX) & (vy >= loY) & (vy < hiY));
            const std::int32_t sx = keep ? 0 : static_cast<std::int32_t>(vx);
            const std::int32_t sy = keep ? 0 : static_cast<std::int32_t>(vy);
            return keep ? -1 : 3 * ((lastRow - sy) * width + sx);
        }
    };

    static std::int64_t Cell(std::int64_t d) { return d < 0 ? -d : d; }

    struct RowJob {
        const Frame& f;
        const CellRow& row;
        const double* g;  // factor of |dx| at g[|dx| - adx0]
        std::int64_t adx0, cx;
        const float* ox;  // float differences of cos θ × ρ from dx, then of sin θ × ρ from |dy|
        std::int32_t* fromPlus;
        std::int32_t* fromMinus;
        const std::uint8_t* restore;
    };

    // Source offsets of the pixels [i0, i1) of a cell row's rows, one at a time.
    template <bool kPlus, bool kMinus>
    static void RowSourcesPlain(const RowJob& j, int i0, int i1) {
        const Frame& f = j.f;
        const float* oy = j.ox + (j.row.xb - j.row.xa);
        const double dxa = static_cast<double>(j.row.xa - j.cx);
        for (int i = i0; i < i1; ++i) {
            const double gx = j.g[Cell(j.row.xa + i - j.cx) - j.adx0];
            const double px = (dxa + i + static_cast<double>(j.ox[i])) * gx;
            const double py = (j.row.ady + static_cast<double>(oy[i])) * gx;
            if constexpr (kPlus) {
                j.fromPlus[i] = f.Source(px + f.xc, py + f.yc);
                __builtin_prefetch(j.restore + (j.fromPlus[i] < 0 ? 0 : j.fromPlus[i]));
            }
            if constexpr (kMinus) {
                j.fromMinus[i] = f.Source(px + f.xc, f.yc - py);
                __builtin_prefetch(j.restore + (j.fromMinus[i] < 0 ? 0 : j.fromMinus[i]));
            }
        }
    }

#if defined(WENDRAL_X86_SIMD)
    // The same for two pixels at a time, operation for operation, so every rounding is the
    // same. Columns left of the centre read their factors backwards.
    template <bool kPlus, bool kMinus, bool kLeft>
    static void RowSourcesPairs(const RowJob& j, int i0, int i1) {
        const Frame& f = j.f;
        const float* oy = j.ox + (j.row.xb - j.row.xa);
        const __m128d dxa = _mm_set1_pd(static_cast<double>(j.row.xa - j.cx));
        const __m128d ady = _mm_set1_pd(j.row.ady);
        const __m128d xc = _mm_set1_pd(f.xc), yc = _mm_set1_pd(f.yc);
        const __m128d loX = _mm_set1_pd(f.loX), hiX = _mm_set1_pd(f.hiX);
        const __m128d loY = _mm_set1_pd(f.loY), hiY = _mm_set1_pd(f.hiY);
        const __m128d lastRow = _mm_set1_pd(f.lastRow), width = _mm_set1_pd(f.width),
                      three = _mm_set1_pd(3.0);
        const __m128d two = _mm_set1_pd(2.0);
        const __m128i none = _mm_set1_epi32(-1);
        __m128d iv = _mm_set_pd(i0 + 1, i0);
        for (int i = i0; i + 1 < i1; i += 2, iv = _mm_add_pd(iv, two)) {
            const std::int64_t c = Cell(j.row.xa + i - j.cx) - j.adx0;
            const __m128d gx =
                kLeft ? _mm_shuffle_pd(_mm_loadu_pd(j.g + c - 1), _mm_loadu_pd(j.g + c - 1), 1)
                      : _mm_loadu_pd(j.g + c);
            const __m128d ex = _mm_cvtps_pd(
                _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(j.ox + i))));
            const __m128d ey = _mm_cvtps_pd(
                _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(oy + i))));
            const __m128d px = _mm_mul_pd(_mm_add_pd(_mm_add_pd(dxa, iv), ex), gx);
            const __m128d py = _mm_mul_pd(_mm_add_pd(ady, ey), gx);
            const __m128d vx = _mm_add_pd(px, xc);
            const __m128d inX = _mm_and_pd(_mm_cmpge_pd(vx, loX), _mm_cmplt_pd(vx, hiX));
            const __m128d sx = _mm_cvtepi32_pd(_mm_cvttpd_epi32(vx));
            auto offsets = [&](__m128d vy) {
                const __m128d in =
                    _mm_and_pd(inX, _mm_and_pd(_mm_cmpge_pd(vy, loY), _mm_cmplt_pd(vy, hiY)));
                const __m128d sy = _mm_cvtepi32_pd(_mm_cvttpd_epi32(vy));
                // Exact in double: every product and sum stays below 2^24.
                const __m128d at =
                    _mm_mul_pd(_mm_add_pd(_mm_mul_pd(_mm_sub_pd(lastRow, sy), width), sx), three);
                const __m128i keep =
                    _mm_shuffle_epi32(_mm_castpd_si128(in), _MM_SHUFFLE(2, 0, 2, 0));
                return _mm_or_si128(_mm_and_si128(keep, _mm_cvttpd_epi32(at)),
                                    _mm_andnot_si128(keep, none));
            };
            if constexpr (kPlus) {
                _mm_storel_epi64(reinterpret_cast<__m128i*>(j.fromPlus + i),
                                 offsets(_mm_add_pd(py, yc)));
                __builtin_prefetch(j.restore + (j.fromPlus[i] < 0 ? 0 : j.fromPlus[i]));
            }
            if constexpr (kMinus) {
                _mm_storel_epi64(reinterpret_cast<__m128i*>(j.fromMinus + i),
                                 offsets(_mm_sub_pd(yc, py)));
                __builtin_prefetch(j.restore + (j.fromMinus[i] < 0 ? 0 : j.fromMinus[i]));
            }
        }
        if ((i1 - i0) % 2 != 0) RowSourcesPlain<kPlus, kMinus>(j, i1 - 1, i1);
    }

    // Four lanes' source offsets, -1 where the position lies outside.
    WENDRAL_TARGET_AVX2 static __m128i QuadOffsets(__m256d inX, __m256d sx, __m256d vy, __m256d loY,
                                                   __m256d hiY, __m256d lastRow, __m256d width) {
        const __m256d in = _mm256_and_pd(inX, _mm256_and_pd(_mm256_cmp_pd(vy, loY, _CMP_GE_OQ),
                                                            _mm256_cmp_pd(vy, hiY, _CMP_LT_OQ)));
        const __m256d sy = _mm256_cvtepi32_pd(_mm256_cvttpd_epi32(vy));
        // Exact in double: every product and sum stays below 2^24.
        const __m256d at =
            _mm256_mul_pd(_mm256_add_pd(_mm256_mul_pd(_mm256_sub_pd(lastRow, sy), width), sx),
                          _mm256_set1_pd(3.0));
        // The lanes' masks narrowed to 32 bits: the low halves of the 64-bit masks.
        const __m256 halves = _mm256_castpd_ps(in);
        const __m128i keep = _mm_castps_si128(_mm_shuffle_ps(_mm256_castps256_ps128(halves),
                                                             _mm256_extractf128_ps(halves, 1),
                                                             _MM_SHUFFLE(2, 0, 2, 0)));
        return _mm_or_si128(_mm_and_si128(keep, _mm256_cvttpd_epi32(at)),
                            _mm_andnot_si128(keep, _mm_set1_epi32(-1)));
    }

    // And four at a time where the processor has AVX2, again operation for operation.
    template <bool kPlus, bool kMinus, bool kLeft>
    WENDRAL_TARGET_AVX2 static void RowSourcesQuads(const RowJob& j, int i0, int i1) {
        const Frame& f = j.f;
        const float* oy = j.ox + (j.row.xb - j.row.xa);
        const __m256d dxa = _mm256_set1_pd(static_cast<double>(j.row.xa - j.cx));
        const __m256d ady = _mm256_set1_pd(j.row.ady);
        const __m256d xc = _mm256_set1_pd(f.xc), yc = _mm256_set1_pd(f.yc);
        const __m256d loX = _mm256_set1_pd(f.loX), hiX = _mm256_set1_pd(f.hiX);
        const __m256d loY = _mm256_set1_pd(f.loY), hiY = _mm256_set1_pd(f.hiY);
        const __m256d lastRow = _mm256_set1_pd(f.lastRow), width = _mm256_set1_pd(f.width);
        const __m256d four = _mm256_set1_pd(4.0);
        __m256d iv = _mm256_set_pd(i0 + 3, i0 + 2, i0 + 1, i0);
        int i = i0;
        for (; i + 3 < i1; i += 4, iv = _mm256_add_pd(iv, four)) {
            const std::int64_t c = Cell(j.row.xa + i - j.cx) - j.adx0;
            const __m256d gx = kLeft ? _mm256_permute4x64_pd(_mm256_loadu_pd(j.g + c - 3), 0x1B)
                                     : _mm256_loadu_pd(j.g + c);
            const __m256d ex = _mm256_cvtps_pd(_mm_loadu_ps(j.ox + i));
            const __m256d ey = _mm256_cvtps_pd(_mm_loadu_ps(oy + i));
            const __m256d px = _mm256_mul_pd(_mm256_add_pd(_mm256_add_pd(dxa, iv), ex), gx);
            const __m256d py = _mm256_mul_pd(_mm256_add_pd(ady, ey), gx);
            const __m256d vx = _mm256_add_pd(px, xc);
            const __m256d inX = _mm256_and_pd(_mm256_cmp_pd(vx, loX, _CMP_GE_OQ),
                                              _mm256_cmp_pd(vx, hiX, _CMP_LT_OQ));
            const __m256d sx = _mm256_cvtepi32_pd(_mm256_cvttpd_epi32(vx));
            if constexpr (kPlus) {
                _mm_storeu_si128(
                    reinterpret_cast<__m128i*>(j.fromPlus + i),
                    QuadOffsets(inX, sx, _mm256_add_pd(py, yc), loY, hiY, lastRow, width));
                for (int k = 0; k < 4; ++k)
                    __builtin_prefetch(j.restore + (j.fromPlus[i + k] < 0 ? 0 : j.fromPlus[i + k]));
            }
            if constexpr (kMinus) {
                _mm_storeu_si128(
                    reinterpret_cast<__m128i*>(j.fromMinus + i),
                    QuadOffsets(inX, sx, _mm256_sub_pd(yc, py), loY, hiY, lastRow, width));
                for (int k = 0; k < 4; ++k)
                    __builtin_prefetch(j.restore +
                                       (j.fromMinus[i + k] < 0 ? 0 : j.fromMinus[i + k]));
            }
        }
        RowSourcesPairs<kPlus, kMinus, kLeft>(j, i, i1);
    }
#endif

    template <bool kPlus, bool kMinus>
    static void RowSources(const RowJob& j, InstructionSet set) {
        const int n = j.row.xb - j.row.xa;
#if defined(WENDRAL_X86_SIMD)
        const int split = static_cast<int>(std::clamp<std::int64_t>(j.cx - j.row.xa, 0, n));
        if (set >= InstructionSet::Avx2) {
            RowSourcesQuads<kPlus, kMinus, true>(j, 0, split);
            RowSourcesQuads<kPlus, kMinus, false>(j, split, n);
            return;
        }
        if (set >= InstructionSet::Sse2) {
            RowSourcesPairs<kPlus, kMinus, true>(j, 0, split);
            RowSourcesPairs<kPlus, kMinus, false>(j, split, n);
            return;
        }
#endif
        RowSourcesPlain<kPlus, kMinus>(j, 0, n);
    }

    // Appends the pixels of one row of `row` whose position the compact form misses.
    std::size_t CollectExceptions(const CellRow& row, double dxa, double sign, std::size_t x) {
        const int n = row.xb - row.xa;
        const float* ox = offsets_.get() + 2 * row.first;
        const float* oy = ox + n;
        for (int i = 0; i < n; ++i) {
            const double dx = dxa + i;
            const Position exact = ExactPosition(dx, sign * row.ady);
            const double px = dx + static_cast<double>(ox[i]);
            const double py = sign * (row.ady + static_cast<double>(oy[i]));
            if (!SameBits(px, exact.x) || !SameBits(py, exact.y))
                exceptions_[x++] = Exception{i, exact};
        }
        return x;
    }

    static void Copy(WendralState& state, int xa, int y, int n, std::int32_t* from) {
        const std::uint8_t* restore = state.RestoreStore();
        from[n] = -1;
        std::uint8_t* out = state.DestinationStore() + state.DestOffset(xa, y);
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

    void CopyBack(WendralState& state) {
        ForEachRowBand(cellRowCount_, state.DestWidth, [&](int firstRow, int endRow) {
            for (int r = firstRow; r < endRow; ++r) {
                const CellRow& row = cellRows_[r];
                for (int y : {row.rowPlus, row.rowMinus}) {
                    if (y < 0) continue;
                    const std::size_t at = state.DestOffset(row.xa, y);
                    std::memcpy(state.DestinationStore() + at, state.RestoreStore() + at,
                                3 * static_cast<std::size_t>(row.xb - row.xa));
                }
            }
        });
    }

    // Brings the factors of n cells to `level`. Once a cell's factor stops changing (it has
    // reached 0, infinity or a rounding fixed point) further steps cannot change it, so deep
    // levels cost no more than that.
    static void UpdateFactors(Step step, int level, double* g, const double* u, std::size_t n) {
        switch (step) {
            case Step::None:
                return;
            case Step::Explode: {
                std::size_t i = 0;
#if defined(WENDRAL_X86_SIMD)
                const __m128d eight = _mm_set1_pd(8.0);
                for (; i + 1 < n; i += 2)
                    _mm_storeu_pd(g + i, _mm_div_pd(_mm_mul_pd(_mm_loadu_pd(g + i), eight),
                                                    _mm_add_pd(_mm_loadu_pd(u + i), eight)));
#endif
                for (; i < n; ++i) g[i] = g[i] * 8 / (u[i] + 8);
                return;
            }
            case Step::Implode: {
                std::size_t i = 0;
#if defined(WENDRAL_X86_SIMD)
                const __m128d eight = _mm_set1_pd(8.0), one = _mm_set1_pd(1.0);
                for (; i + 1 < n; i += 2)
                    _mm_storeu_pd(
                        g + i, _mm_mul_pd(_mm_loadu_pd(g + i),
                                          _mm_add_pd(_mm_div_pd(_mm_loadu_pd(u + i), eight), one)));
#endif
                for (; i < n; ++i) g[i] = g[i] * (u[i] / 8 + 1);
                return;
            }
            case Step::Anew:
                break;
        }
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

    // u and g per cell; per pixel of one |dy| the float differences of its position from
    // (dx, |dy|), side by side.
    std::unique_ptr<double[]> u_, g_;
    std::unique_ptr<float[]> offsets_;
    std::unique_ptr<Exception[]> exceptions_;
    std::unique_ptr<CellRow[]> cellRows_;
    int cellRowCount_ = 0;
    bool gValid_ = false;
    int gLevel_ = 0;
};

}  // namespace

template <>
class EllipseRenderer<RadialDistortion>::Cache : public RadialCache {
  public:
    using RadialCache::RadialCache;
};

template class EllipseRenderer<RadialDistortion>;

}  // namespace wendral
