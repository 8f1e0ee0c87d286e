#include "core/merge.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/cpu_features.h"
#include "core/limits.h"
#include "core/merge_ops.h"
#include "core/parallel.h"

namespace wendral {

// The whole-picture merge runs each rule as an inlined kernel instead of one virtual Combine
// per pixel. A kernel is the rule of merge_ops.h, made once per merge, with vector loops beside
// it that do the same arithmetic for many pixels at a time; the rule itself takes every pixel
// they leave.
namespace {

using Byte = std::uint8_t;

// Rules that combine each channel on its own see a row as one run of bytes; with SSE2 they
// run 16 bytes at a time in 16-bit lanes, which hold every product and sum they form exactly.
template <class PerByte>
void ChannelRow(const PerByte& f, const Byte* a, const Byte* b, Byte* o, int bytes,
                InstructionSet set) {
    int n = 0;
#if defined(WENDRAL_X86_SIMD)
    for (; set >= InstructionSet::Sse2 && n + 16 <= bytes; n += 16) {
        const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + n));
        const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + n));
        const __m128i zero = _mm_setzero_si128();
        const __m128i lo = f.Lanes(_mm_unpacklo_epi8(va, zero), _mm_unpacklo_epi8(vb, zero));
        const __m128i hi = f.Lanes(_mm_unpackhi_epi8(va, zero), _mm_unpackhi_epi8(vb, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + n), _mm_packus_epi16(lo, hi));
    }
#endif
    for (; n < bytes; ++n) o[n] = f(a[n], b[n]);
}

struct AverageKernel {
    AverageRule rule;
    InstructionSet set;
    Byte operator()(int a, int b) const { return rule(a, b); }
#if defined(WENDRAL_X86_SIMD)
    __m128i Lanes(__m128i a, __m128i b) const {
        const __m128i sum =
            _mm_add_epi16(_mm_mullo_epi16(a, _mm_set1_epi16(static_cast<short>(rule.wa))),
                          _mm_mullo_epi16(b, _mm_set1_epi16(static_cast<short>(rule.wb))));
        return _mm_srli_epi16(sum, 8);
    }
#endif
    void Row(const Byte* a, const Byte* b, Byte* o, int width) const {
        ChannelRow(*this, a, b, o, 3 * width, set);
    }
};

// (PA - PB) >> 7 when PB < PA, else 0: an unsigned saturating subtraction does both.
template <bool OneMinusTwo>
struct SubtractKernel {
    SubtractRule<OneMinusTwo> rule;
    InstructionSet set;
    Byte operator()(int a, int b) const { return rule(a, b); }
#if defined(WENDRAL_X86_SIMD)
    __m128i Lanes(__m128i a, __m128i b) const {
        const __m128i pa = _mm_mullo_epi16(a, _mm_set1_epi16(static_cast<short>(rule.wa)));
        const __m128i pb = _mm_mullo_epi16(b, _mm_set1_epi16(static_cast<short>(rule.wb)));
        return _mm_srli_epi16(OneMinusTwo ? _mm_subs_epu16(pa, pb) : _mm_subs_epu16(pb, pa), 7);
    }
#endif
    void Row(const Byte* a, const Byte* b, Byte* o, int width) const {
        ChannelRow(*this, a, b, o, 3 * width, set);
    }
};

// A row copy is the copy rule for every pixel at once.
template <bool First>
struct CopyKernel {
    void Row(const Byte* a, const Byte* b, Byte* o, int width) const {
        std::memcpy(o, First ? a : b, 3 * static_cast<std::size_t>(width));
    }
};

// Rules that keep one whole source pixel decide every pixel of the row first, as a byte mask
// over its three channels, and then take a where the mask is set and b elsewhere.
template <class Rule>
void SelectRow(const Rule& rule, const Byte* a, const Byte* b, Byte* o, int width,
               InstructionSet set) {
    Byte mask[3 * kMaxWidth + 1];
    const Rule decide = rule;  // a local copy, so that the mask stores cannot alias its constants
    for (int j = 0; j < width; ++j) {
        // One four-byte store per pixel; its last byte is the next pixel's, written next.
        const std::uint32_t m = (decide.TakesOne(a + 3 * j, b + 3 * j) ? 0xFFu : 0u) * 0x01010101u;
        std::memcpy(mask + 3 * j, &m, 4);
    }
    const int bytes = 3 * width;
    int n = 0;
#if defined(WENDRAL_X86_SIMD)
    for (; set >= InstructionSet::Sse2 && n + 16 <= bytes; n += 16) {
        const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + n));
        const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + n));
        const __m128i vm = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mask + n));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + n),
                         _mm_xor_si128(vb, _mm_and_si128(_mm_xor_si128(va, vb), vm)));
    }
#endif
    for (; n < bytes; ++n) o[n] = static_cast<Byte>(b[n] ^ ((a[n] ^ b[n]) & mask[n]));
}

#if defined(WENDRAL_X86_SIMD)
// Where the processor has SSSE3, the rules that look at a whole pixel and the b/w contrast run
// sixteen pixels at a time: a byte shuffle splits 48 bytes into one 16-byte plane per channel,
// and another spreads one byte per pixel back over its three channels.
struct PlaneShuffles {
    alignas(16) std::int8_t split[3][3][16];  // [channel][source vector][plane byte]
    alignas(16) std::int8_t spread[3][16];    // [output vector][byte]
    constexpr PlaneShuffles() : split{}, spread{} {
        for (int c = 0; c < 3; ++c)
            for (int v = 0; v < 3; ++v)
                for (int p = 0; p < 16; ++p) {
                    const int g = 3 * p + c;
                    split[c][v][p] = static_cast<std::int8_t>(g / 16 == v ? g % 16 : -128);
                }
        for (int v = 0; v < 3; ++v)
            for (int i = 0; i < 16; ++i) spread[v][i] = static_cast<std::int8_t>((16 * v + i) / 3);
    }
};
constexpr PlaneShuffles kShuffles;

struct Block {
    __m128i raw[3];
    __m128i plane[3];
};

WENDRAL_TARGET_SSSE3 inline __m128i Control(const std::int8_t* c) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(c));
}

WENDRAL_TARGET_SSSE3 inline Block LoadBlock(const Byte* p) {
    Block b;
    for (int v = 0; v < 3; ++v)
        b.raw[v] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * v));
    for (int c = 0; c < 3; ++c)
        b.plane[c] =
            _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(b.raw[0], Control(kShuffles.split[c][0])),
                                      _mm_shuffle_epi8(b.raw[1], Control(kShuffles.split[c][1]))),
                         _mm_shuffle_epi8(b.raw[2], Control(kShuffles.split[c][2])));
    return b;
}

// Per pixel, a where the byte of `takeA` is all ones, else b.
WENDRAL_TARGET_SSSE3 inline void StoreSelected(const Block& a, const Block& b, __m128i takeA,
                                               Byte* o) {
    for (int v = 0; v < 3; ++v) {
        const __m128i m = _mm_shuffle_epi8(takeA, Control(kShuffles.spread[v]));
        const __m128i out =
            _mm_xor_si128(b.raw[v], _mm_and_si128(_mm_xor_si128(a.raw[v], b.raw[v]), m));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 16 * v), out);
    }
}

// trunc(y x weight) for y = plane byte + shift, 0..510, as y x q + floor(y x m / 25), where
// q + m / 25 is the weight's value 7.04, 37.76 or 19.2 and floor(n / 25) is (n x 41944) >> 20;
// both agree with the double products for every y in 0..510, and every sum fits 16 bits.
WENDRAL_TARGET_SSSE3 inline __m128i Product(__m128i y, short q, short m) {
    const __m128i fraction =
        _mm_srli_epi16(_mm_mulhi_epu16(_mm_mullo_epi16(y, _mm_set1_epi16(m)),
                                       _mm_set1_epi16(static_cast<short>(41944))),
                       4);
    return _mm_add_epi16(_mm_mullo_epi16(y, _mm_set1_epi16(q)), fraction);
}

// The weighted brightness of eight pixels, the low (High false) or high half of a block.
template <bool High>
WENDRAL_TARGET_SSSE3 inline __m128i Brightness(const Block& b, __m128i shift) {
    const __m128i zero = _mm_setzero_si128();
    __m128i y[3];
    for (int c = 0; c < 3; ++c)
        y[c] = _mm_add_epi16(
            High ? _mm_unpackhi_epi8(b.plane[c], zero) : _mm_unpacklo_epi8(b.plane[c], zero),
            shift);
    return _mm_add_epi16(_mm_add_epi16(Product(y[0], 7, 1), Product(y[1], 37, 19)),
                         Product(y[2], 19, 5));
}

// The pixels of a row in whole blocks; returns how many it did.
template <bool KeepOneWhenDimmer>
WENDRAL_TARGET_SSSE3 int BrightnessRowWide(const Byte* a, const Byte* b, Byte* o, int width,
                                           int shiftOne, int shiftTwo) {
    const __m128i s1 = _mm_set1_epi16(static_cast<short>(shiftOne)),
                  s2 = _mm_set1_epi16(static_cast<short>(shiftTwo));
    int j = 0;
    for (; j + 16 <= width; j += 16) {
        const Block one = LoadBlock(a + 3 * j), two = LoadBlock(b + 3 * j);
        const __m128i dimmer =
            _mm_packs_epi16(_mm_cmplt_epi16(Brightness<false>(one, s1), Brightness<false>(two, s2)),
                            _mm_cmplt_epi16(Brightness<true>(one, s1), Brightness<true>(two, s2)));
        StoreSelected(one, two,
                      KeepOneWhenDimmer ? dimmer : _mm_xor_si128(dimmer, _mm_set1_epi8(-1)),
                      o + 3 * j);
    }
    return j;
}

// With AVX2 the brightness rules take two blocks at once, one in each 128-bit half: every
// shuffle, unpack and pack above works within a half, so each half does what one block does.
struct PairBlock {
    __m256i raw[3];
    __m256i plane[3];
};

WENDRAL_TARGET_AVX2 inline __m256i Control2(const std::int8_t* c) {
    return _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(c)));
}

WENDRAL_TARGET_AVX2 inline PairBlock LoadPair(const Byte* p) {
    PairBlock b;
    for (int v = 0; v < 3; ++v)
        b.raw[v] = _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * v))),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48 + 16 * v)), 1);
    for (int c = 0; c < 3; ++c)
        b.plane[c] = _mm256_or_si256(
            _mm256_or_si256(_mm256_shuffle_epi8(b.raw[0], Control2(kShuffles.split[c][0])),
                            _mm256_shuffle_epi8(b.raw[1], Control2(kShuffles.split[c][1]))),
            _mm256_shuffle_epi8(b.raw[2], Control2(kShuffles.split[c][2])));
    return b;
}

WENDRAL_TARGET_AVX2 inline __m256i Product2(__m256i y, short q, short m) {
    const __m256i fraction =
        _mm256_srli_epi16(_mm256_mulhi_epu16(_mm256_mullo_epi16(y, _mm256_set1_epi16(m)),
                                             _mm256_set1_epi16(static_cast<short>(41944))),
                          4);
    return _mm256_add_epi16(_mm256_mullo_epi16(y, _mm256_set1_epi16(q)), fraction);
}

template <bool High>
WENDRAL_TARGET_AVX2 inline __m256i Brightness2(const PairBlock& b, __m256i shift) {
    const __m256i zero = _mm256_setzero_si256();
    __m256i y[3];
    for (int c = 0; c < 3; ++c)
        y[c] = _mm256_add_epi16(
            High ? _mm256_unpackhi_epi8(b.plane[c], zero) : _mm256_unpacklo_epi8(b.plane[c], zero),
            shift);
    return _mm256_add_epi16(_mm256_add_epi16(Product2(y[0], 7, 1), Product2(y[1], 37, 19)),
                            Product2(y[2], 19, 5));
}

template <bool KeepOneWhenDimmer>
WENDRAL_TARGET_AVX2 int BrightnessRowWidest(const Byte* a, const Byte* b, Byte* o, int width,
                                            int shiftOne, int shiftTwo) {
    const __m256i s1 = _mm256_set1_epi16(static_cast<short>(shiftOne));
    const __m256i s2 = _mm256_set1_epi16(static_cast<short>(shiftTwo));
    int j = 0;
    for (; j + 32 <= width; j += 32) {
        const PairBlock one = LoadPair(a + 3 * j), two = LoadPair(b + 3 * j);
        // x < y is y > x.
        const __m256i dimmer = _mm256_packs_epi16(
            _mm256_cmpgt_epi16(Brightness2<false>(two, s2), Brightness2<false>(one, s1)),
            _mm256_cmpgt_epi16(Brightness2<true>(two, s2), Brightness2<true>(one, s1)));
        const __m256i takeA =
            KeepOneWhenDimmer ? dimmer : _mm256_xor_si256(dimmer, _mm256_set1_epi8(-1));
        for (int v = 0; v < 3; ++v) {
            const __m256i m = _mm256_shuffle_epi8(takeA, Control2(kShuffles.spread[v]));
            const __m256i out = _mm256_xor_si256(
                two.raw[v], _mm256_and_si256(_mm256_xor_si256(one.raw[v], two.raw[v]), m));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 3 * j + 16 * v),
                             _mm256_castsi256_si128(out));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 3 * j + 48 + 16 * v),
                             _mm256_extracti128_si256(out, 1));
        }
    }
    return j;
}

// above[c] is limit[c] + 1 clamped to 0..255, so that a > limit is max(a, above) == a; with a
// limit of 255 or more no pixel is above it, which `never` says.
template <bool OneWhenAbove>
WENDRAL_TARGET_SSSE3 int ReferenceRowWide(const Byte* a, const Byte* b, Byte* o, int width,
                                          const int* limit) {
    __m128i above[3];
    bool never = false;
    for (int c = 0; c < 3; ++c) {
        above[c] = _mm_set1_epi8(static_cast<char>(std::clamp(limit[c] + 1, 0, 255)));
        never = never || limit[c] >= 255;
    }
    const __m128i enable = never ? _mm_setzero_si128() : _mm_set1_epi8(-1);
    int j = 0;
    for (; j + 16 <= width; j += 16) {
        const Block one = LoadBlock(a + 3 * j), two = LoadBlock(b + 3 * j);
        __m128i all = enable;
        for (int c = 0; c < 3; ++c)
            all = _mm_and_si128(all,
                                _mm_cmpeq_epi8(_mm_max_epu8(one.plane[c], above[c]), one.plane[c]));
        StoreSelected(one, two, OneWhenAbove ? all : _mm_xor_si128(all, _mm_set1_epi8(-1)),
                      o + 3 * j);
    }
    return j;
}

// The b/w contrast in whole blocks; 3t is held within -1..765, which keeps its outcome.
WENDRAL_TARGET_SSSE3 int BlackWhiteRowWide(Byte* o, int width, int t) {
    const __m128i limit =
        _mm_set1_epi16(static_cast<short>(std::clamp<std::int64_t>(3 * std::int64_t{t}, -1, 765)));
    const __m128i zero = _mm_setzero_si128();
    int j = 0;
    for (; j + 16 <= width; j += 16) {
        const Block p = LoadBlock(o + 3 * j);
        const __m128i lo = _mm_add_epi16(
            _mm_add_epi16(_mm_unpacklo_epi8(p.plane[0], zero), _mm_unpacklo_epi8(p.plane[1], zero)),
            _mm_unpacklo_epi8(p.plane[2], zero));
        const __m128i hi = _mm_add_epi16(
            _mm_add_epi16(_mm_unpackhi_epi8(p.plane[0], zero), _mm_unpackhi_epi8(p.plane[1], zero)),
            _mm_unpackhi_epi8(p.plane[2], zero));
        const __m128i white =
            _mm_packs_epi16(_mm_cmpgt_epi16(lo, limit), _mm_cmpgt_epi16(hi, limit));
        for (int v = 0; v < 3; ++v)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 3 * j + 16 * v),
                             _mm_shuffle_epi8(white, Control(kShuffles.spread[v])));
    }
    return j;
}
#endif

template <bool KeepOneWhenDimmer>
struct BrightnessKernel {
    BrightnessRule<KeepOneWhenDimmer> rule;
    InstructionSet set;
    void Row(const Byte* a, const Byte* b, Byte* o, int width) const {
        int done = 0;
#if defined(WENDRAL_X86_SIMD)
        if (set >= InstructionSet::Avx2)
            done = BrightnessRowWidest<KeepOneWhenDimmer>(a, b, o, width, rule.shiftOne,
                                                          rule.shiftTwo);
        if (set >= InstructionSet::Ssse3)
            done +=
                BrightnessRowWide<KeepOneWhenDimmer>(a + 3 * done, b + 3 * done, o + 3 * done,
                                                     width - done, rule.shiftOne, rule.shiftTwo);
#endif
        SelectRow(rule, a + 3 * done, b + 3 * done, o + 3 * done, width - done, set);
    }
};

template <bool OneWhenAbove>
struct ReferenceKernel {
    ReferenceRule<OneWhenAbove> rule;
    InstructionSet set;
    void Row(const Byte* a, const Byte* b, Byte* o, int width) const {
        int done = 0;
#if defined(WENDRAL_X86_SIMD)
        if (set >= InstructionSet::Ssse3) {
            // ac + 255 - k > Rc + 127 is ac > Rc + k - 128.
            const int limit[3] = {rule.ref.b + rule.k - 128, rule.ref.g + rule.k - 128,
                                  rule.ref.r + rule.k - 128};
            done = ReferenceRowWide<OneWhenAbove>(a, b, o, width, limit);
        }
#endif
        SelectRow(rule, a + 3 * done, b + 3 * done, o + 3 * done, width - done, set);
    }
};

// Infinite contrast rgb on every byte of a row.
void ThresholdRow(Byte* o, int bytes, int t, InstructionSet set) {
    if (t < 0 || t >= 255) {
        // Every byte is above a negative threshold, none above 255 or more.
        std::memset(o, t < 0 ? 255 : 0, static_cast<std::size_t>(bytes));
        return;
    }
    int n = 0;
#if defined(WENDRAL_X86_SIMD)
    // o > t is max(o, t + 1) == o.
    const __m128i above = _mm_set1_epi8(static_cast<char>(t + 1));
    for (; set >= InstructionSet::Sse2 && n + 16 <= bytes; n += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(o + n));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + n),
                         _mm_cmpeq_epi8(_mm_max_epu8(v, above), v));
    }
#endif
    for (; n < bytes; ++n) o[n] = InfiniteContrastRgb(o[n], t);
}

// Infinite contrast b/w on every pixel of a row.
void BlackWhiteRow(Byte* o, int width, int t) {
    for (int j = 0; j < width; ++j, o += 3)
        o[0] = o[1] = o[2] = InfiniteContrastBw(o[0], o[1], o[2], t);
}

template <class Kernel>
void MergeWith(const Kernel& kernel, unsigned mode, int t, const SourceImage& s1,
               const SourceImage& s2, Byte* dest, int width, int height, InstructionSet set) {
    ForEachRowBand(height, width, [&](int first, int end) {
        for (int i = first; i < end; ++i) {
            Byte* o = dest + 3 * static_cast<std::size_t>(height - 1 - i) *
                                 static_cast<std::size_t>(width);
            kernel.Row(s1.At(0, i), s2.At(0, i), o, width);
            // The rgb step before the b/w step, as on one pixel.
            if (mode & kContrastRgbBit) ThresholdRow(o, 3 * width, t, set);
            if (mode & kContrastBwBit) {
                int done = 0;
#if defined(WENDRAL_X86_SIMD)
                if (set >= InstructionSet::Ssse3) done = BlackWhiteRowWide(o, width, t);
#endif
                BlackWhiteRow(o + 3 * done, width - done, t);
            }
        }
    });
}

void MergePicture(const WendralState& state, unsigned ruleBit, const SourceImage& s1,
                  const SourceImage& s2, Byte* dest, int width, int height, InstructionSet set) {
    const unsigned mode = state.MergeMode;
    const int t = state.ContrastThreshold;
    const int k = RuleBias(state);
    const Bgr ref = state.ReferenceColour;
    auto merge = [&](const auto& kernel) {
        MergeWith(kernel, mode, t, s1, s2, dest, width, height, set);
    };
    switch (ruleBit) {
        case kMergeAverageBit:
            merge(AverageKernel{AverageRule(k), set});
            break;
        case kMergeGreatestBit:
            merge(BrightnessKernel<false>{GreatestRule(k), set});
            break;
        case kMergeLeastBit:
            merge(BrightnessKernel<true>{LeastRule(k), set});
            break;
        case kMergeSub12Bit:
            merge(SubtractKernel<true>{Subtract12Rule(k), set});
            break;
        case kMergeSub21Bit:
            merge(SubtractKernel<false>{Subtract21Rule(k), set});
            break;
        case kMergeCopy1Bit:
            merge(CopyKernel<true>{});
            break;
        case kMergeCopy2Bit:
            merge(CopyKernel<false>{});
            break;
        case kMergeRef12Bit:
            merge(ReferenceKernel<true>{Reference12Rule{k, ref}, set});
            break;
        case kMergeRef21Bit:
            merge(ReferenceKernel<false>{Reference21Rule{k, ref}, set});
            break;
        default:
            break;
    }
}

// A source without pixels (a closed window) shows nothing.
int ShownWidth(const SourceImage& s) {
    return s.pixels ? s.shownWidth : 0;
}
int ShownHeight(const SourceImage& s) {
    return s.pixels ? s.shownHeight : 0;
}

}  // namespace

ZoneOutcome MergeSources(WendralState& state, Zone& zone, const SourceImage& source1,
                         const SourceImage& source2, Messages& out) {
    return MergeSources(state, zone, source1, source2, out, ProcessorInstructionSet());
}

ZoneOutcome MergeSources(WendralState& state, Zone& zone, const SourceImage& source1,
                         const SourceImage& source2, Messages& out, InstructionSet widest) {
    zone.ResetZone();
    state.TakeDestinationSize(std::min(ShownWidth(source1), ShownWidth(source2)),
                              std::min(ShownHeight(source1), ShownHeight(source2)));
    const MergeRule* rule = SelectedMergeRule(state.MergeMode);
    if (rule == nullptr) {
        out.push_back(kNoMergeTypeMessage);
        return ZoneOutcome::Nothing;
    }
    MergePicture(state, rule->bit, source1, source2, state.DestinationStore(), state.DestWidth,
                 state.DestHeight, InstructionSetUpTo(widest));
    state.DestModified = 0;
    state.BrushingEnabled = 0;
    return ZoneOutcome::Redraw;
}

}  // namespace wendral
