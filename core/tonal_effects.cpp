#include "core/tonal_effects.h"

#include <algorithm>
#include <cstring>

#include "core/byte_lookup.h"
#include "core/effect_support.h"
#include "core/parallel.h"

namespace wendral {
namespace {

// The luma's three products depend on one channel each, so they are tabled once, in byte
// order (blue, green, red). The sum of the three is under 64 x 255, so each product splits
// into whole 64ths (`whole`) and the rest (`part`): the luma is the sum of the wholes, at most
// 254, plus the rest's sum (under 192) shifted by 6, and every step fits in a byte.
struct LumaTables {
    int product[3][256];
    std::uint8_t whole[3][256], part[3][256];
    LumaTables() {
        for (int v = 0; v < 256; ++v) {
            product[0][v] = static_cast<int>(7.04 * v);
            product[1][v] = static_cast<int>(37.76 * v);
            product[2][v] = static_cast<int>(19.2 * v);
            for (int c = 0; c < 3; ++c) {
                whole[c][v] = static_cast<std::uint8_t>(product[c][v] >> 6);
                part[c][v] = static_cast<std::uint8_t>(product[c][v] & 63);
            }
        }
    }
};

const LumaTables& Tables() {
    static const LumaTables tables;
    return tables;
}

std::uint8_t Clamp255(int v) {
    return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// c + 255 - 2L lies in -253 ... 510; a table clamps it.
struct ClampTable {
    std::uint8_t at[764];
    ClampTable() {
        for (int v = 0; v < 764; ++v) at[v] = Clamp255(v - 253);
    }
};

void LuminanceSpanPortable(const std::uint8_t* src, std::uint8_t* dst, std::size_t bytes,
                           LuminanceMode mode) {
    const auto& [blue, green, red] = Tables().product;
    if (mode == LuminanceMode::BlackAndWhite) {
        // Each pixel's bytes are read into locals before anything is stored: a byte store
        // may alias the source as far as the compiler knows, and would force them to be
        // read again.
        for (std::size_t i = 0; i < bytes; i += 3) {
            const int b = src[i], g = src[i + 1], r = src[i + 2];
            const auto l = static_cast<std::uint8_t>((blue[b] + green[g] + red[r]) >> 6);
            dst[i] = dst[i + 1] = dst[i + 2] = l;
        }
        return;
    }
    static const ClampTable clamp;
    for (std::size_t i = 0; i < bytes; i += 3) {
        const int b = src[i], g = src[i + 1], r = src[i + 2];
        const int l = (blue[b] + green[g] + red[r]) >> 6;
        const std::uint8_t* shifted = clamp.at + (253 + 255 - 2 * l);
        const std::uint8_t ob = shifted[b], og = shifted[g], orr = shifted[r];
        dst[i] = ob;
        dst[i + 1] = og;
        dst[i + 2] = orr;
    }
}

#if defined(WENDRAL_X86_SIMD)
// Where each byte of a block's three vectors comes from or goes to, as permute indices.
struct LumaLanes {
    std::uint8_t gather[3][64];  // plane c, pixel j: byte 3j + c of the block
    std::uint64_t third[3];      // plane c: the pixels whose byte lies in the third vector
    std::uint8_t spread[3][64];  // vector v, byte p: pixel (64v + p) / 3
    constexpr LumaLanes() : gather{}, third{}, spread{} {
        for (int c = 0; c < 3; ++c)
            for (int j = 0; j < 64; ++j) {
                gather[c][j] = static_cast<std::uint8_t>(3 * j + c);
                if (3 * j + c >= 128) third[c] |= std::uint64_t{1} << j;
            }
        for (int v = 0; v < 3; ++v)
            for (int p = 0; p < 64; ++p) spread[v][p] = static_cast<std::uint8_t>((64 * v + p) / 3);
    }
};
constexpr LumaLanes kLumaLanes;

// The luma of 64 pixels is worked out in planes, one vector per channel, then spread back
// over the three bytes of each pixel.
template <bool kInvert>
struct LumaBlock {
    byte_lookup::Table whole[3], part[3];
    __m512i gather[3], spread[3];

    WENDRAL_TARGET_AVX512VBMI void operator()(const __m512i* in, __m512i* out) const {
        __m512i wholes = _mm512_setzero_si512(), parts = _mm512_setzero_si512();
        for (int c = 0; c < 3; ++c) {
            const __m512i first = _mm512_permutex2var_epi8(in[0], gather[c], in[1]);
            const __m512i plane =
                _mm512_mask_permutexvar_epi8(first, kLumaLanes.third[c], gather[c], in[2]);
            const __mmask64 upper = _mm512_movepi8_mask(plane);
            wholes = _mm512_add_epi8(wholes, byte_lookup::Lookup(whole[c], plane, upper));
            parts = _mm512_add_epi8(parts, byte_lookup::Lookup(part[c], plane, upper));
        }
        // A 16-bit shift: what comes in from the byte above lands above bit 1 and is masked.
        const __m512i carry = _mm512_and_si512(_mm512_srli_epi16(parts, 6), _mm512_set1_epi8(3));
        const __m512i luma = _mm512_add_epi8(wholes, carry);
        for (int v = 0; v < 3; ++v) {
            // The zero-masking form under a full mask: gcc 12's plain form trips its own
            // uninitialised-value warning.
            const __m512i l = _mm512_maskz_permutexvar_epi8(~__mmask64{0}, spread[v], luma);
            if constexpr (!kInvert) {
                out[v] = l;
            } else {
                // c + 255 - 2L as a saturated add of 255 - 2L when that is positive, else a
                // saturated subtraction of 2L - 255: both fit a byte, held at 0 from below.
                const __m512i mirror = _mm512_xor_si512(l, _mm512_set1_epi8(-1));  // 255 - L
                const __m512i up = _mm512_subs_epu8(mirror, l);
                const __m512i down = _mm512_subs_epu8(l, mirror);
                out[v] = _mm512_subs_epu8(_mm512_adds_epu8(in[v], up), down);
            }
        }
    }
};

template <bool kInvert>
WENDRAL_TARGET_AVX512VBMI void LuminanceSpanAvx512(const std::uint8_t* src, std::uint8_t* dst,
                                                   std::size_t bytes, std::uint8_t* copy) {
    const LumaTables& t = Tables();
    LumaBlock<kInvert> block;
    for (int c = 0; c < 3; ++c) {
        block.whole[c] = byte_lookup::LoadTable(t.whole[c]);
        block.part[c] = byte_lookup::LoadTable(t.part[c]);
        block.gather[c] = _mm512_loadu_si512(kLumaLanes.gather[c]);
        block.spread[c] = _mm512_loadu_si512(kLumaLanes.spread[c]);
    }
    byte_lookup::ForEachBlock(src, dst, bytes, block, copy);
}
#endif

// `copy`, when not null, receives the bytes of `src` (which `dst` may then be).
void LuminanceSpan(const std::uint8_t* src, std::uint8_t* dst, std::size_t bytes,
                   LuminanceMode mode, InstructionSet set, std::uint8_t* copy = nullptr) {
#if defined(WENDRAL_X86_SIMD)
    if (set >= InstructionSet::Avx512Vbmi) {
        if (mode == LuminanceMode::BlackAndWhite)
            LuminanceSpanAvx512<false>(src, dst, bytes, copy);
        else
            LuminanceSpanAvx512<true>(src, dst, bytes, copy);
        return;
    }
#else
    (void)set;
#endif
    if (copy) {
        std::memcpy(copy, src, bytes);
        src = copy;
    }
    LuminanceSpanPortable(src, dst, bytes, mode);
}

// One row from RestoreStore into DestinationStore, or, with `snapshot`, from
// DestinationStore into itself while copying it into RestoreStore: the commands read the
// picture once, each row right before it is recoloured.
void LuminanceRow(WendralState& state, int row, LuminanceMode mode, InstructionSet set,
                  bool snapshot = false) {
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(state.DestWidth);
    std::uint8_t* restore = state.RestoreStore() + row * rowBytes;
    std::uint8_t* dest = state.DestinationStore() + row * rowBytes;
    if (snapshot)
        LuminanceSpan(dest, dest, rowBytes, mode, set, restore);
    else
        LuminanceSpan(restore, dest, rowBytes, mode, set);
}

}  // namespace

void LuminanceEffect(WendralState& state, LuminanceMode mode, InstructionSet set) {
    if (!PictureFitsStores(state)) return;
    const InstructionSet widest = InstructionSetUpTo(set);
    ForEachRowBand(state.DestHeight, state.DestWidth, [&](int first, int end) {
        for (int row = first; row < end; ++row) LuminanceRow(state, row, mode, widest);
    });
}

void LuminanceCommand(WendralState& state, LuminanceMode mode, InstructionSet set) {
    if (PictureFitsStores(state)) {
        const InstructionSet widest = InstructionSetUpTo(set);
        state.SnapshotDestinationWhile(
            [&](int row) { LuminanceRow(state, row, mode, widest, /*snapshot=*/true); });
    }
    state.MarkDestModified();
}

namespace {
template <typename Operation>
void RunTonal(WendralState& state, Operation op) {
    if (PictureFitsStores(state)) state.SnapshotDestination();
    op(state);
    state.MarkDestModified();
}
}  // namespace

void ConvertToBlackWhite(WendralState& state) {
    LuminanceCommand(state, LuminanceMode::BlackAndWhite);
}
void InvertBrightness(WendralState& state) {
    LuminanceCommand(state, LuminanceMode::InvertedBrightness);
}
void PencilDrawCommand(WendralState& state) {
    PencilMemory memory(state.DestWidth, state.DestHeight);
    RunTonal(state, [&memory](WendralState& s) { PencilDraw(s, memory); });
}

}  // namespace wendral
