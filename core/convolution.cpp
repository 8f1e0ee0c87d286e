#include "core/convolution.h"

#include <algorithm>
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
// The division, offset and clamp of a sum in vector arithmetic: the quotient by a multiply-high
// with a reciprocal rounded up, `multiplier` / 2^(16 + shift), plus one for a negative sum, which
// turns the floor into the truncation toward zero; then the offset added with 16-bit saturation
// and the clamp of packing to bytes. A multiplier of 0 means no division. Usable only where it
// has been checked against the lookup for every sum the kernel can give.
struct VectorDivision {
    bool usable = false;
    int multiplier = 0;
    int shift = 0;
    int offset = 0;
};

// What the vector loops compute for `sum`, one lane at a time.
int DivideAsVectors(const VectorDivision& d, int sum) {
    int q = sum;
    if (d.multiplier != 0) q = (((sum * d.multiplier) >> 16) >> d.shift) - (sum >> 15);
    const int v = std::clamp(q + d.offset, -32768, 32767);
    return std::clamp(v, 0, 255);
}

VectorDivision FindVectorDivision(const Kernel3& kernel, int minSum, const std::uint8_t* lookup,
                                  int lookupSize) {
    const auto agrees = [&](const VectorDivision& d) {
        for (int s = 0; s < lookupSize; ++s)
            if (DivideAsVectors(d, s + minSum) != lookup[s]) return false;
        return true;
    };
    VectorDivision d;
    d.offset = kernel.offset;
    if (kernel.offset < -32768 || kernel.offset > 32767 || kernel.divisor < 0) return d;
    if (kernel.divisor <= 1) {
        d.usable = agrees(d);
        return d;
    }
    // The widest shift whose multiplier fits a signed 16-bit lane is the most precise.
    for (int shift = 15; shift >= 0; --shift) {
        const long long multiplier = (1LL << (16 + shift)) / kernel.divisor + 1;
        if (multiplier > 32767) continue;
        d.multiplier = static_cast<int>(multiplier);
        d.shift = shift;
        d.usable = agrees(d);
        if (d.usable) return d;
    }
    d.usable = false;
    return d;
}

__m128i DivideLanes(__m128i sum, const VectorDivision& d) {
    __m128i q = sum;
    if (d.multiplier != 0) {
        q = _mm_srai_epi16(_mm_mulhi_epi16(sum, _mm_set1_epi16(static_cast<short>(d.multiplier))),
                           d.shift);
        q = _mm_sub_epi16(q, _mm_srai_epi16(sum, 15));
    }
    return _mm_adds_epi16(q, _mm_set1_epi16(static_cast<short>(d.offset)));
}

WENDRAL_TARGET_AVX2 __m256i DivideLanes(__m256i sum, const VectorDivision& d) {
    __m256i q = sum;
    if (d.multiplier != 0) {
        q = _mm256_srai_epi16(
            _mm256_mulhi_epi16(sum, _mm256_set1_epi16(static_cast<short>(d.multiplier))), d.shift);
        q = _mm256_sub_epi16(q, _mm256_srai_epi16(sum, 15));
    }
    return _mm256_adds_epi16(q, _mm256_set1_epi16(static_cast<short>(d.offset)));
}

// The kernel sums of 32 bytes of a row at a time from p while p + 32 <= last, divided and
// clamped in the lanes: the same integer sums as the 16-byte loop. Returns where the row's
// rest begins.
WENDRAL_TARGET_AVX2 int ConvolveBlocksAvx2(const std::uint8_t* const* src, const Tap* taps,
                                           int tapCount, const VectorDivision& division,
                                           std::uint8_t* out, int p, int last) {
    __m256i weight[9];
    for (int t = 0; t < tapCount; ++t)
        weight[t] = _mm256_set1_epi16(static_cast<short>(taps[t].weight));
    // The loads reach 3 bytes beyond the block, which stays inside the row while the block
    // ends at the frame column.
    for (; p + 32 <= last; p += 32) {
        __m256i lo = _mm256_setzero_si256(), hi = _mm256_setzero_si256();
        for (int t = 0; t < tapCount; ++t) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src[t] + p));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src[t] + p + 16));
            lo = _mm256_add_epi16(lo, _mm256_mullo_epi16(_mm256_cvtepu8_epi16(a), weight[t]));
            hi = _mm256_add_epi16(hi, _mm256_mullo_epi16(_mm256_cvtepu8_epi16(b), weight[t]));
        }
        // Packing works within each 128-bit half; the permute puts the halves back in order.
        const __m256i bytes =
            _mm256_packus_epi16(DivideLanes(lo, division), DivideLanes(hi, division));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + p),
                            _mm256_permute4x64_epi64(bytes, 0xD8));
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
        // offset and clamp of every possible sum are worked out once: the lookup is the rule
        // for the row's ends and the check of the vector loops' arithmetic, which divide in
        // their lanes instead of storing and looking up every byte.
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
        const VectorDivision division = FindVectorDivision(kernel, minSum, lookup, lookupSize);
        const bool vectors = division.usable && InstructionSetUpTo(set) >= InstructionSet::Sse2;
        const bool avx2 = vectors && InstructionSetUpTo(set) >= InstructionSet::Avx2;
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
                if (avx2) p = ConvolveBlocksAvx2(src, taps, tapCount, division, out, p, last);
                const __m128i zero = _mm_setzero_si128();
                __m128i weight[9];
                for (int t = 0; t < tapCount; ++t)
                    weight[t] = _mm_set1_epi16(static_cast<short>(taps[t].weight));
                // The loads reach 3 bytes beyond the block, which stays inside the row while
                // the block ends at the frame column.
                for (; vectors && p + 16 <= last; p += 16) {
                    __m128i lo = zero, hi = zero;
                    for (int t = 0; t < tapCount; ++t) {
                        const __m128i v =
                            _mm_loadu_si128(reinterpret_cast<const __m128i*>(src[t] + p));
                        lo = _mm_add_epi16(lo,
                                           _mm_mullo_epi16(_mm_unpacklo_epi8(v, zero), weight[t]));
                        hi = _mm_add_epi16(hi,
                                           _mm_mullo_epi16(_mm_unpackhi_epi8(v, zero), weight[t]));
                    }
                    _mm_storeu_si128(
                        reinterpret_cast<__m128i*>(out + p),
                        _mm_packus_epi16(DivideLanes(lo, division), DivideLanes(hi, division)));
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
