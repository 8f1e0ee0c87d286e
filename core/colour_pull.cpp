#include "core/ellipse_renderer_members.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "core/cpu_features.h"
#include "core/inscribed_ellipse.h"
#include "core/limits.h"
#include "core/parallel.h"

namespace wendral {

namespace {

constexpr std::size_t kGridPixels = std::size_t{kMaxWidth} * kMaxHeight;

struct Run {
    int y;
    int xa, xb;
    std::size_t cellRow;
};

#if defined(WENDRAL_X86_SIMD)
// One run's pixels but its last, the three channels and a spare lane in one vector of four
// doubles: the same IEEE operations on every channel as the two-lane loop, so the same bytes.
// Returns where the run's rest begins.
WENDRAL_TARGET_AVX2 int PullRunAvx2(const std::uint8_t* in, std::uint8_t* out, int xa, int xb,
                                    const double* s, std::int64_t cx, std::int64_t adx0,
                                    const int* ref) {
    const __m128i refs = _mm_setr_epi32(ref[0], ref[1], ref[2], 0);
    const __m256d lo = _mm256_set1_pd(-512.0), hi = _mm256_set1_pd(512.0);
    const __m128i zero = _mm_setzero_si128();
    int x = xa;
    for (; x + 1 < xb; ++x) {
        const std::int64_t d = x - cx;
        const __m256d share = _mm256_set1_pd(s[(d < 0 ? -d : d) - adx0]);
        const std::size_t at = 3 * static_cast<std::size_t>(x);
        std::int32_t four;
        std::memcpy(&four, in + at, 4);
        const __m128i v = _mm_cvtepu8_epi32(_mm_cvtsi32_si128(four));
        const __m256d moved = _mm256_min_pd(
            _mm256_max_pd(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm_sub_epi32(v, refs)), share), lo),
            hi);
        const __m128i res = _mm_sub_epi32(v, _mm256_cvttpd_epi32(moved));
        four = _mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(res, zero), zero));
        std::memcpy(out + at, &four, 4);
    }
    return x;
}
#endif

// q = (m / H)² depends only on the zone and the picture size and is kept per cell (one cell
// serves the up to four pixels at the same |dx| and |dy|); the share s of a press is worked out
// once per cell from it. Allocated once at the largest zone; untouched pages cost nothing.
class PullCache : EllipseWork {
  public:
    explicit PullCache(InstructionSet set)
        : EllipseWork(set),
          q_(new double[kGridPixels]),
          s_(new double[kGridPixels]),
          runs_(new Run[kMaxHeight]) {}

    void Prepare(const InscribedEllipse& e) {
        TakeEllipse(e, [this](std::size_t i, double t) { q_[i] = t * t; });
        runCount_ = 0;
        for (int y = e.y0; y < e.y1; ++y) {
            Run& run = runs_[runCount_++];
            run.y = y;
            e.RowSpan(y, &run.xa, &run.xb);
            run.cellRow = cells_.RowBase(e, y);
        }
    }

    void Render(WendralState& state, int level) {
        const std::size_t n = cells_.Count();
        const double l = level;
        if (level >= 0) {
            for (std::size_t i = 0; i < n; ++i) {
                const double w = l * q_[i] / 4;
                s_[i] = w / (w + 1);
            }
            Apply(state);
        } else {
            for (std::size_t i = 0; i < n; ++i) s_[i] = l * q_[i] / 4;
            Apply(state);
        }
    }

  private:
    // Diverge's products grow without bound with the level; limiting them to ±512 before the
    // conversion changes no clamped result and keeps the conversion defined. Converge's stay
    // below 255 and are not affected.
    static std::uint8_t Channel(int v, int ref, double share) {
        const double moved = std::clamp(static_cast<double>(v - ref) * share, -512.0, 512.0);
        return static_cast<std::uint8_t>(std::clamp(v - static_cast<int>(moved), 0, 255));
    }

    void Apply(WendralState& state) {
        const int ref[3] = {state.ReferenceColour.b, state.ReferenceColour.g,
                            state.ReferenceColour.r};
        const std::uint8_t* restore = state.RestoreStore();
        std::uint8_t* dest = state.DestinationStore();
        const std::int64_t adx0 = cells_.adx0, cx = e_.xc;
#if defined(WENDRAL_X86_SIMD)
        // The three channels and a spare lane at once; the saturating packs are the clamp to
        // 0 ... 255. The spare byte read and written belongs to the next pixel of the run,
        // which is written after, so the last pixel of a run goes the plain way.
        const __m128i refs = _mm_setr_epi32(ref[0], ref[1], ref[2], 0);
        const __m128d lo = _mm_set1_pd(-512.0), hi = _mm_set1_pd(512.0);
        const __m128i zero = _mm_setzero_si128();
        const bool avx2 = set_ >= InstructionSet::Avx2, sse2 = set_ >= InstructionSet::Sse2;
#endif
        ForEachRowBand(runCount_, e_.x1 - e_.x0, [&](int firstRun, int endRun) {
            for (int r = firstRun; r < endRun; ++r) {
                const Run& run = runs_[r];
                const double* s = s_.get() + run.cellRow;
                const std::size_t row = state.DestOffset(0, run.y);
                const std::uint8_t* in = restore + row;
                std::uint8_t* out = dest + row;
                int x = run.xa;
#if defined(WENDRAL_X86_SIMD)
                if (avx2) x = PullRunAvx2(in, out, run.xa, run.xb, s, cx, adx0, ref);
                for (; sse2 && x + 1 < run.xb; ++x) {
                    const std::int64_t d = x - cx;
                    const __m128d share = _mm_set1_pd(s[(d < 0 ? -d : d) - adx0]);
                    const std::size_t at = 3 * static_cast<std::size_t>(x);
                    std::int32_t four;
                    std::memcpy(&four, in + at, 4);
                    const __m128i v =
                        _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(four), zero), zero);
                    const __m128i diff = _mm_sub_epi32(v, refs);
                    const __m128d m0 =
                        _mm_min_pd(_mm_max_pd(_mm_mul_pd(_mm_cvtepi32_pd(diff), share), lo), hi);
                    const __m128d m1 = _mm_min_pd(
                        _mm_max_pd(
                            _mm_mul_pd(_mm_cvtepi32_pd(_mm_shuffle_epi32(diff, 0x0E)), share), lo),
                        hi);
                    const __m128i t =
                        _mm_unpacklo_epi64(_mm_cvttpd_epi32(m0), _mm_cvttpd_epi32(m1));
                    const __m128i res = _mm_sub_epi32(v, t);
                    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(res, zero), zero);
                    four = _mm_cvtsi128_si32(bytes);
                    std::memcpy(out + at, &four, 4);
                }
#endif
                for (; x < run.xb; ++x) {
                    const std::int64_t d = x - cx;
                    const double share = s[(d < 0 ? -d : d) - adx0];
                    const std::size_t at = 3 * static_cast<std::size_t>(x);
                    for (int c = 0; c < 3; ++c) out[at + c] = Channel(in[at + c], ref[c], share);
                }
            }
        });
    }

    std::unique_ptr<double[]> q_, s_;
    std::unique_ptr<Run[]> runs_;
    int runCount_ = 0;
};

}  // namespace

template <>
class EllipseRenderer<ColourPull>::Cache : public PullCache {
  public:
    using PullCache::PullCache;
};

template class EllipseRenderer<ColourPull>;

}  // namespace wendral
