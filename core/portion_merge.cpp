#include "core/portion_merge.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "core/cpu_features.h"
#include "core/limits.h"
#include "core/parallel.h"

namespace wendral {

namespace {

// The offsets |v - centre| of the values v in [from, to), as the range [nearest, farthest].
void OffsetRange(std::int64_t centre, int from, int to, std::int64_t& nearest,
                 std::int64_t& farthest) {
    if (centre < from) {
        nearest = from - centre;
        farthest = to - 1 - centre;
    } else if (centre >= to) {
        nearest = centre - (to - 1);
        farthest = centre - from;
    } else {
        nearest = 0;
        farthest = std::max(centre - from, to - 1 - centre);
    }
}

// The weights k x ((h - 2r) / h)^2, at most 8, of the column offsets from the centre along one
// row, up to the first offset outside the ellipse; returns how many lie inside.
int InsideWeights(const double* columnTerm, int columns, double rowTerm, double h, double k,
                  double* weight) {
    int o = 0;
#if defined(WENDRAL_X86_SIMD)
    const __m128d vr = _mm_set1_pd(rowTerm), vh = _mm_set1_pd(h), vk = _mm_set1_pd(k);
    const __m128d two = _mm_set1_pd(2.0), eight = _mm_set1_pd(8.0), zero = _mm_setzero_pd();
    for (; o + 2 <= columns; o += 2) {
        const __m128d r = _mm_sqrt_pd(_mm_add_pd(_mm_loadu_pd(columnTerm + o), vr));
        const __m128d d = _mm_sub_pd(vh, _mm_mul_pd(two, r));
        const __m128d q = _mm_div_pd(d, vh);
        _mm_storeu_pd(weight + o, _mm_min_pd(_mm_mul_pd(vk, _mm_mul_pd(q, q)), eight));
        // The weight falls with the offset, so once one lane is outside the next one is too.
        const int outside = _mm_movemask_pd(_mm_cmplt_pd(d, zero));
        if (outside != 0) return (outside & 1) != 0 ? o : o + 1;
    }
#endif
    for (; o < columns; ++o) {
        const double r = std::sqrt(columnTerm[o] + rowTerm);
        const double d = h - 2.0 * r;
        if (d < 0) return o;
        const double q = d / h;
        const double w = k * (q * q);
        weight[o] = w < 8.0 ? w : 8.0;
    }
    return columns;
}

// base + (trunc((source - base) x w) >> 3) for each byte, with w at most 8. A weight of 8 gives
// the source byte exactly, which is what every weight from 8 up gives; and the result lies
// between base and source, so it needs no clamping. The loop is plain so that the compiler
// vectorises it, once for every build and once more for AVX2; both do the same IEEE
// operations on every byte.
inline __attribute__((always_inline)) void BlendBytesLoop(const std::uint8_t* base,
                                                          const std::uint8_t* source,
                                                          const double* weight, std::uint8_t* out,
                                                          int bytes) {
    for (int n = 0; n < bytes; ++n) {
        const int b = base[n];
        const int t = static_cast<int>((source[n] - b) * weight[n]);
        out[n] = static_cast<std::uint8_t>(b + (t >> 3));
    }
}

void BlendBytesPlain(const std::uint8_t* base, const std::uint8_t* source, const double* weight,
                     std::uint8_t* out, int bytes) {
    BlendBytesLoop(base, source, weight, out, bytes);
}

#if defined(WENDRAL_X86_SIMD)
WENDRAL_TARGET_AVX2 void BlendBytesAvx2(const std::uint8_t* base, const std::uint8_t* source,
                                        const double* weight, std::uint8_t* out, int bytes) {
    BlendBytesLoop(base, source, weight, out, bytes);
}
#endif

using BlendBytes = void (*)(const std::uint8_t*, const std::uint8_t*, const double*, std::uint8_t*,
                            int);

BlendBytes BlendFor(InstructionSet set) {
#if defined(WENDRAL_X86_SIMD)
    if (set >= InstructionSet::Avx2) return BlendBytesAvx2;
#endif
    (void)set;
    return BlendBytesPlain;
}

}  // namespace

void BlendPortion(WendralState& state, const Zone& zone, const SourceImage& source, int level) {
    const double h = std::abs(static_cast<double>(zone.y2) - zone.y1);
    const int left = zone.xmin(), right = zone.xmax(), top = zone.ymin(), bottom = zone.ymax();
    // In 64 bits: corners left from an earlier picture may lie anywhere.
    const std::int64_t cx = (std::int64_t{left} + right) >> 1,
                       cy = (std::int64_t{top} + bottom) >> 1;
    const double k = std::abs(static_cast<double>(level));
    const double s =
        (static_cast<double>(zone.y2) - zone.y1) / (static_cast<double>(zone.x2) - zone.x1);

    // A zone is formed inside the picture; one left from an earlier, larger picture is cut to it
    // so that no pixel outside the stores is read or written.
    const int j0 = std::max(left, 0), j1 = std::min(right, state.DestWidth);
    const int i0 = std::max(top, 0), i1 = std::min(bottom, state.DestHeight);
    if (j0 >= j1 || i0 >= i1) return;

    // The distance depends on |i - cy| and |j - cx| alone (negating an offset negates its
    // product with s exactly), so the rows at the same offset above and below the centre share
    // one row of weights, and so do the columns on either side of it. Along a row the weight
    // only falls as the offset grows, so the pixels inside the ellipse are one run.
    std::int64_t rowNear = 0, rowFar = 0, colNear = 0, colFar = 0;
    OffsetRange(cy, i0, i1, rowNear, rowFar);
    OffsetRange(cx, j0, j1, colNear, colFar);
    const int columns = static_cast<int>(colFar - colNear) + 1;
    std::array<double, kMaxWidth> columnTerm;
    for (int o = 0; o < columns; ++o) {
        const double x = static_cast<double>(colNear + o) * s;
        columnTerm[o] = x * x;
    }
    const BlendBytes blend = BlendFor(ProcessorInstructionSet());
    const std::uint8_t* restore = state.RestoreStore();
    std::uint8_t* dest = state.DestinationStore();
    // Each offset owns its one or two rows, so bands of offsets write apart.
    const int offsets = static_cast<int>(rowFar - rowNear) + 1;
    ForEachRowBand(offsets, 2 * (j1 - j0), [&](int first, int end) {
        std::array<double, kMaxWidth> weight;
        std::array<double, 3 * kMaxWidth> byteWeight;
        for (std::int64_t p = rowNear + first; p < rowNear + end; ++p) {
            const double rowTerm = static_cast<double>(p * p);
            const int inside =
                InsideWeights(columnTerm.data(), columns, rowTerm, h, k, weight.data());
            if (inside == 0) continue;
            const std::int64_t reach = colNear + inside - 1;
            const int jl = static_cast<int>(std::max<std::int64_t>(j0, cx - reach));
            const int jr = static_cast<int>(std::min<std::int64_t>(j1 - 1, cx + reach));
            if (jl > jr) continue;
            for (int j = jl; j <= jr; ++j) {
                const double w =
                    weight[static_cast<std::size_t>((j < cx ? cx - j : j - cx) - colNear)];
                double* to = &byteWeight[3 * static_cast<std::size_t>(j - jl)];
                to[0] = to[1] = to[2] = w;
            }
            const int bytes = 3 * (jr - jl + 1);
            const std::int64_t rows[2] = {cy - p, cy + p};
            for (int n = 0; n < (p == 0 ? 1 : 2); ++n) {
                if (rows[n] < i0 || rows[n] >= i1) continue;
                const int row = static_cast<int>(rows[n]);
                const std::size_t at = state.DestOffset(jl, row);
                blend(restore + at, source.At(jl, row), byteWeight.data(), dest + at, bytes);
            }
        }
    });
}

}  // namespace wendral
