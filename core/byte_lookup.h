#pragma once
// Byte-to-byte tables looked up 64 bytes at a time with the AVX-512 byte permutes.
#include <cstddef>
#include <cstdint>

#include "core/cpu_features.h"

#if defined(WENDRAL_X86_SIMD)
namespace wendral::byte_lookup {

// A 256-entry byte table in four registers. One permute reaches 128 entries, so a lookup takes
// one permute for each half and picks between them by the index's top bit.
struct Table {
    __m512i quarter[4];
};

WENDRAL_TARGET_AVX512VBMI inline Table LoadTable(const std::uint8_t* entries) {
    Table t;
    for (int q = 0; q < 4; ++q) t.quarter[q] = _mm512_loadu_si512(entries + 64 * q);
    return t;
}

// `upper` is _mm512_movepi8_mask(index), shared by every table looked up with the same index.
WENDRAL_TARGET_AVX512VBMI inline __m512i Lookup(const Table& t, __m512i index, __mmask64 upper) {
    const __m512i low = _mm512_permutex2var_epi8(t.quarter[0], index, t.quarter[1]);
    const __m512i high = _mm512_permutex2var_epi8(t.quarter[2], index, t.quarter[3]);
    return _mm512_mask_blend_epi8(upper, low, high);
}

// 64 pixels of three bytes fill three vectors exactly, so each vector of a block has the same
// pattern of channels in every block.
inline constexpr int kBlockBytes = 192;

// The mask of the bytes of vector v (0 ... 2) of a block that lie within its first `bytes`.
inline __mmask64 VectorPart(std::size_t bytes, int v) {
    const std::size_t start = 64 * static_cast<std::size_t>(v);
    if (bytes >= start + 64) return ~__mmask64{0};
    if (bytes <= start) return 0;
    return (__mmask64{1} << (bytes - start)) - 1;
}

// Whole blocks of `bytes` by their three vectors, then what is left, read and written under
// masks so that nothing outside the span is touched. block(in, out) maps three vectors to
// three; in the last block the bytes beyond the span read as 0 and are not stored. Block's
// call operator carries WENDRAL_TARGET_AVX512VBMI itself: a lambda would not inherit it.
// `dst` may be `src`. A `copy` other than null also receives the bytes read, so that a
// snapshot costs no pass of its own.
template <class Block>
WENDRAL_TARGET_AVX512VBMI inline void ForEachBlock(const std::uint8_t* src, std::uint8_t* dst,
                                                   std::size_t bytes, Block&& block,
                                                   std::uint8_t* copy = nullptr) {
    __m512i in[3], out[3];
    std::size_t i = 0;
    for (; i + kBlockBytes <= bytes; i += kBlockBytes) {
        for (int v = 0; v < 3; ++v) in[v] = _mm512_loadu_si512(src + i + 64 * v);
        if (copy)
            for (int v = 0; v < 3; ++v) _mm512_storeu_si512(copy + i + 64 * v, in[v]);
        block(in, out);
        for (int v = 0; v < 3; ++v) _mm512_storeu_si512(dst + i + 64 * v, out[v]);
    }
    if (i == bytes) return;
    __mmask64 part[3];
    for (int v = 0; v < 3; ++v) {
        part[v] = VectorPart(bytes - i, v);
        in[v] = _mm512_maskz_loadu_epi8(part[v], src + i + 64 * v);
        if (copy) _mm512_mask_storeu_epi8(copy + i + 64 * v, part[v], in[v]);
    }
    block(in, out);
    for (int v = 0; v < 3; ++v) _mm512_mask_storeu_epi8(dst + i + 64 * v, part[v], out[v]);
}

}  // namespace wendral::byte_lookup
#endif
