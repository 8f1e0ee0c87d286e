#include "core/convolution.h"

#include <cstdint>
#include <cstdlib>

#include "core/cpu_features.h"
#include "core/effect_support.h"
#include "core/parallel.h"

namespace wendral {
namespace {

// Largest sum of absolute weights for which every partial kernel sum fits in 16 bits.
constexpr int kMaxAbsWeight = 128;
constexpr int kMaxLookup = kMaxAbsWeight * 255 + 1;

struct Tap {
    int row;    // 0 above, 1 centre, 2 below
    int shift;  // byte distance of the neighbour's channel: -3, 0 or 3
    int weight;
};

#if defined(WENDRAL_X86_SIMD)
// The weighted sums less the smallest possible one, 32 bytes of a row at a time from p while
// p + 32 <= last, as 16-bit indices into the lookup: the same integer sums as the 16-byte loop.
// Returns where the row's rest begins.
WENDRAL_TARGET_AVX2 int ConvolveBlocksAvx2(const std::uint8_t* const* src, const Tap* taps,
                                           int tapCount, int minSum, const std::uint8_t* lookup,
                                           std::uint8_t* out, int p, int last) {
    const __m256i bias = _mm256_set1_epi16(static_cast<short>(-minSum));
    __m256i weight[9];
    for (int t = 0; t < tapCount; ++t)
        weight[t] = _mm256_set1_epi16(static_cast<short>(taps[t].weight));
    // The loads reach 3 bytes beyond the block, which stays inside the row while the block
    // ends at the frame column.
    for (; p + 32 <= last; p += 32) {
        __m256i lo = bias, hi = bias;
        for (int t = 0; t < tapCount; ++t) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src[t] + p));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src[t] + p + 16));
            lo = _mm256_add_epi16(lo, _mm256_mullo_epi16(_mm256_cvtepu8_epi16(a), weight[t]));
            hi = _mm256_add_epi16(hi, _mm256_mullo_epi16(_mm256_cvtepu8_epi16(b), weight[t]));
        }
        alignas(32) std::uint16_t index[32];
        _mm256_store_si256(reinterpret_cast<__m256i*>(index), lo);
        _mm256_store_si256(reinterpret_cast<__m256i*>(index + 16), hi);
        for (int q = 0; q < 32; ++q) out[p + q] = lookup[index[q]];
    }
    return p;
}
#endif

}  // namespace

bool ConvolveDestination(WendralState& state, const Kernel3& kernel, int kernelSize,
                         InstructionSet set) {
    if (kernelSize != 3) return false;
    int negative = 0, positive = 0;
    Tap taps[9];
    int tapCount = 0;
    for (int j = 0; j < 3; ++j) {
        for (int i = 0; i < 3; ++i) {
            const int w = kernel.weights[j * 3 + i];
            if (w < -kMaxAbsWeight || w > kMaxAbsWeight) return false;
            if (w == 0) continue;
            (w < 0 ? negative : positive) += w;
            taps[tapCount++] = Tap{j, 3 * (i - 1), w};
        }
    }
    if (positive - negative > kMaxAbsWeight) return false;

    if (PictureFitsStores(state) && state.DestWidth >= 3 && state.DestHeight >= 3) {
        // Each sum lies in [255 x negative weights, 255 x positive weights], so the division,
        // offset and clamp of every possible sum are worked out once; a pixel is then nine
        // multiply-adds and one lookup.
        const int minSum = 255 * negative;
        const int lookupSize = 255 * (positive - negative) + 1;
        std::uint8_t lookup[kMaxLookup];
        for (int s = 0; s < lookupSize; ++s) {
            const int sum = s + minSum;
            const int value = (kernel.divisor != 0 ? sum / kernel.divisor : sum) + kernel.offset;
            lookup[s] = static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
        }

        const int rowBytes = 3 * state.DestWidth;
#if defined(WENDRAL_X86_SIMD)
        const bool avx2 = InstructionSetUpTo(set) >= InstructionSet::Avx2;
#endif
        const int last = rowBytes - 3;  // first byte of the right-hand frame column
        ForEachRowBand(state.DestHeight - 2, state.DestWidth, [&](int first, int end) {
            for (int y = first + 1; y < end + 1; ++y) {
                const std::uint8_t* rows[3] = {RestoreRow(state, y - 1), RestoreRow(state, y),
                                               RestoreRow(state, y + 1)};
                const std::uint8_t* src[9];
                for (int t = 0; t < tapCount; ++t) src[t] = rows[taps[t].row] + taps[t].shift;
                std::uint8_t* out = DestRow(state, y);
                int p = 3;
#if defined(WENDRAL_X86_SIMD)
                if (avx2) p = ConvolveBlocksAvx2(src, taps, tapCount, minSum, lookup, out, p, last);
                const __m128i zero = _mm_setzero_si128();
                const __m128i bias = _mm_set1_epi16(static_cast<short>(-minSum));
                __m128i weight[9];
                for (int t = 0; t < tapCount; ++t)
                    weight[t] = _mm_set1_epi16(static_cast<short>(taps[t].weight));
                // The loads reach 3 bytes beyond the block, which stays inside the row while
                // the block ends at the frame column.
                for (; p + 16 <= last; p += 16) {
                    __m128i lo = bias, hi = bias;
                    for (int t = 0; t < tapCount; ++t) {
                        const __m128i v =
                            _mm_loadu_si128(reinterpret_cast<const __m128i*>(src[t] + p));
                        lo = _mm_add_epi16(lo,
                                           _mm_mullo_epi16(_mm_unpacklo_epi8(v, zero), weight[t]));
                        hi = _mm_add_epi16(hi,
                                           _mm_mullo_epi16(_mm_unpackhi_epi8(v, zero), weight[t]));
                    }
                    alignas(16) std::uint16_t index[16];
                    _mm_store_si128(reinterpret_cast<__m128i*>(index), lo);
                    _mm_store_si128(reinterpret_cast<__m128i*>(index + 8), hi);
                    for (int q = 0; q < 16; ++q) out[p + q] = lookup[index[q]];
                }
#endif
                for (; p < last; ++p) {
                    int sum = 0;
                    for (int t = 0; t < tapCount; ++t) sum += taps[t].weight * src[t][p];
                    out[p] = lookup[sum - minSum];
                }
            }
        });
    }
    state.MarkDestModified();
    return true;
}

void ApplyFilter(WendralState& state, const ConvolutionFilter& filter) {
    if (PictureFitsStores(state)) state.SnapshotDestination();
    ConvolveDestination(state, filter.kernel);
}

}  // namespace wendral
